#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>

#include "monitor/MonitorSetFile.h"
#include "monitor/MonitorWindowRules.h"
#include "monitor/view/TMonImg.h"

class QMenu;
class CParameterCatalogue;

// The external monitor: a top-level window whose client area is one drawing
// surface with the dashboard and its bar. Normal mode shows the set scaled
// to the window and keeps its aspect; edit mode shows it at its layout size
// for moving, sizing, adding and removing elements.
class TFormEM : public QWidget {
  Q_OBJECT

 public:
  explicit TFormEM(const CParameterCatalogue& catalogue, QWidget* parent = nullptr);
  ~TFormEM() override;

  TMonImg& Surface() { return *m_surface; }
  QTimer& TimerMonitor() { return m_timer; }
  QMenu& PopupMenu1() { return *m_menu; }

  // What the main window tells the monitor.
  void SetNoConnectionSource(std::function<bool()> shown) { m_noConnection = std::move(shown); }
  void SetServiceMode(bool on) { m_serviceMode = on; }
  // File dialogs, replaceable in tests: returns the chosen path or empty.
  using Chooser = std::function<QString(bool save, const QString& filter, const QString& suffix)>;
  void SetChooser(Chooser chooser) { m_chooser = std::move(chooser); }
  // Error boxes of the set commands, replaceable in tests.
  void SetErrorSink(std::function<void(const QString&)> sink) { m_error = std::move(sink); }

  void SetEditMode(bool on);
  int EditState() const { return m_surface->editState; }
  void Layout() { m_surface->Layout(); }
  // The timer's work, callable from tests.
  void OnTimer();
  int CaptionState() const { return m_caption.State(); }

  // Monitor sets. Load and store return the result codes of the set file.
  int LoadMonitorSet(const std::string& path);
  // Loads the set file at `path` as "Load monitor set" does and reports what
  // went wrong (an error box, or a note when the file's window size was
  // invalid). True when the set was taken.
  bool LoadSetFile(const QString& path);
  // The last load found a window size below the minimum and used the minimum.
  bool LastLoadSizeInvalid() const { return m_loadSizeInvalid; }
  int StoreMonitorSet(const std::string& path);
  void LoadBuiltinSet(int which);
  void LoadMonitorSetDialog();
  void StoreMonitorSetDialog();
  void ExportMonitorSource();
  // The current set as the file stores it.
  MonitorSet CurrentSet() const;
  // Replaces the set (after a load or a built-in choice). False when the
  // set's window size was invalid and the minimum was taken instead.
  bool ApplySet(const MonitorSet& set);

  // Context-menu commands.
  void PropertiesDialog();
  void InsertTextDialog();
  void AddImageDialog();
  bool AddImageFile(const QString& path);
  void AddWatch();
  void DeleteSelected();
  void SendBackwards();

  // The window's size bounds, the maxima raised to the client size at creation.
  int minWidth = kMonitorMinWidth, minHeight = kMonitorMinHeight;
  int maxWidth = kMonitorMaxWidth, maxHeight = kMonitorMaxHeight;
  int lastWidth = 0, lastHeight = 0;
  bool stayOnTop = false;

 protected:
  void resizeEvent(QResizeEvent* e) override;
  void showEvent(QShowEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void keyReleaseEvent(QKeyEvent* e) override;
  void changeEvent(QEvent* e) override;
  // Tab goes to the elements, not to the focus chain.
  bool focusNextPrevChild(bool next) override;

 private:
  void RebuildMenu(QPoint global);
  void RunCommand(MonitorCommand command);
  void ShowError(int result);
  void Report(const QString& text, bool error);
  // The size rule, applied once a size stands: a size from the window
  // manager is corrected when its drag has ended, never during it.
  void FitToRule();
  // The size the rule makes of `requested`, from the settled size.
  QSize RuleFit(QSize requested) const;
  // Takes `client` as the settled size (the layout size too in edit mode).
  void Settle(QSize client);
  // The elements' largest right and bottom edges, in layout units.
  MonitorSize ContentExtent() const;
  // Normal mode: the window manager is asked to keep the layout's aspect
  // while it drags the frame; edit mode lifts the wish.
  void ApplyAspectHint();
  // Layout units to pixels as the set is shown now.
  float LayoutScale() const;

  const CParameterCatalogue& m_catalogue;
  TMonImg* m_surface = nullptr;
  QMenu* m_menu = nullptr;
  QTimer m_timer;
  CMonitorCaption m_caption;
  std::function<bool()> m_noConnection;
  bool m_serviceMode = false;
  Chooser m_chooser;
  std::function<void(const QString&)> m_error;
  QSize m_settled;        // the client size the rule last accepted
  QSize m_correctedFrom;  // a size the rule corrected; the window manager may insist on it
  QElapsedTimer m_correctedAt;
  QTimer m_fitTimer;
  bool m_loadSizeInvalid = false;
};
