#pragma once

#include <QList>
#include <QPalette>
#include <QPointer>
#include <QString>
#include <span>
#include <utility>

class QDateTime;
class QLocale;
class QPaintDevice;
class QTabWidget;
class QWidget;

// Set to a file name, printing writes that PDF instead of using a printer.
inline constexpr const char* kPrintPdfVariable = "VENTRIX_PRINT_PDF";

// Controls of the main window that never go on paper, by object name: the
// tool bar, the status bar, the connection label, the spin buttons, the TPS
// buttons, the extended-monitor switch and the live gauges.
std::span<const char* const> PrintHiddenControls();

// The date and time of the stamp: the locale's short date, four blanks and
// its long time without the time zone (a zone name is no help on paper).
QString PrintStampDateTime(const QDateTime& at, const QLocale& locale);

// Paints `widget` and its children through a painter on `device`, scaled to
// fit the device's page with the aspect kept. Rendering, not a screen grab:
// text stays text in a PDF and sharp on a printer. False when the device
// takes no painting (an unwritable PDF, a printer that went away).
bool RenderFitted(QWidget& widget, QPaintDevice& device);

// Print mode for as long as it lives: the listed controls and every tab but
// the current one are hidden, and the window is white. Everything comes back
// as it was when it ends, also when the printing in between failed or threw;
// a control the page rules had hidden stays hidden.
class CPrintMode {
 public:
  // `printMode` is the core's flag, set for the same time.
  CPrintMode(QWidget& window, QTabWidget& pages, bool& printMode);
  ~CPrintMode();
  CPrintMode(const CPrintMode&) = delete;
  CPrintMode& operator=(const CPrintMode&) = delete;

 private:
  QWidget& m_window;
  bool& m_printMode;
  QPointer<QTabWidget> m_pages;
  bool m_ownPalette = false;
  QPalette m_palette;
  QList<std::pair<QPointer<QWidget>, bool>> m_hidden;  // control, hidden before
  QList<bool> m_tabVisible;
  QPointer<QWidget> m_focus;
};
