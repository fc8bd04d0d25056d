// Printing the open page of the main window: the page as it looks on the
// screen, without the tool bar, the status bar and the controls that mean
// nothing on paper, stamped with the date and time.

#include "shell/view/Printing.h"

#include <QApplication>
#include <QDateTime>
#include <QFileDialog>
#include <QLocale>
#include <QPainter>
#include <QPicture>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTabWidget>
#include <algorithm>

#include "core/AppCore.h"
#include "base/UiTexts.h"
#include "shell/view/TFormHlav.h"

namespace {

constexpr const char* kPrintHiddenControls[] = {
    "StatusBar1",     "GroupBoxToolBar",    "LabelSpojeni",  "UpDownChlazeni", "UpDownStartJet", "UpDownAkcelPrah",
    "UpDownAkcelJet", "UpDownTps0",         "UpDownTps100",  "UpDownGas1",     "UpDownGas2",     "UpDownGasD",
    "UpDownGasT",     "UpDownRetard1",      "UpDownRetard2", "UpDownRetardD",  "UpDownRetardT",  "ButtonTps0",
    "ButtonTps100",   "CheckBoxExtMonitor", "CGaugeRpm",     "CGaugeTps",      "CGaugeLambda",   "CGaugeVoda",
};

// Qt's long time formats end in a zone ("t"); it goes, with the blank before it.
QString WithoutZone(const QString& format) {
  QString out;
  bool quoted = false;
  for (const QChar c : format) {
    if (c == u'\'') quoted = !quoted;
    if (!quoted && c == u't') continue;
    out += c;
  }
  return out.simplified();
}

}  // namespace

std::span<const char* const> PrintHiddenControls() { return kPrintHiddenControls; }

QString PrintStampDateTime(const QDateTime& at, const QLocale& locale) {
  return locale.toString(at.date(), QLocale::ShortFormat) + "    " +
         locale.toString(at.time(), WithoutZone(locale.timeFormat(QLocale::LongFormat)));
}

// Qt renders a widget onto a printer through a screen-sized pixmap, which
// blurs when scaled to the paper and leaves no text in a PDF. Recorded into
// a picture first, the widget's drawing reaches the printer as drawing.
bool RenderFitted(QWidget& widget, QPaintDevice& device) {
  QPicture picture;
  {
    QPainter recorder(&picture);
    widget.render(&recorder, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
  }
  QPainter painter;
  if (!painter.begin(&device)) return false;
  const QSize source = widget.size();
  if (!source.isEmpty()) {
    const double scale = std::min(double(device.width()) / source.width(), double(device.height()) / source.height());
    // A picture plays back at its own resolution: a 1200 dpi printer would
    // enlarge it 12.5 times on top of the fitting.
    painter.scale(scale * picture.logicalDpiX() / device.logicalDpiX(),
                  scale * picture.logicalDpiY() / device.logicalDpiY());
    painter.drawPicture(0, 0, picture);
  }
  return painter.end();
}

CPrintMode::CPrintMode(QWidget& window, QTabWidget& pages, bool& printMode)
    : m_window(window), m_printMode(printMode), m_pages(&pages), m_focus(QApplication::focusWidget()) {
  m_ownPalette = window.testAttribute(Qt::WA_SetPalette);
  m_palette = window.palette();
  QPalette white = m_palette;
  white.setColor(QPalette::Window, Qt::white);
  window.setPalette(white);

  m_printMode = true;
  for (const char* name : kPrintHiddenControls)
    if (auto* w = window.findChild<QWidget*>(name)) {
      m_hidden.append({w, w->isHidden()});
      w->hide();
    }
  for (int i = 0; i < pages.count(); ++i) {
    m_tabVisible.append(pages.isTabVisible(i));
    if (i != pages.currentIndex()) pages.setTabVisible(i, false);
  }
}

CPrintMode::~CPrintMode() {
  if (m_pages)
    for (int i = 0; i < std::min(int(m_tabVisible.size()), m_pages->count()); ++i)
      m_pages->setTabVisible(i, m_tabVisible[i]);
  for (const auto& [w, wasHidden] : m_hidden)
    if (w) w->setHidden(wasHidden);
  m_printMode = false;
  m_window.setPalette(m_ownPalette ? m_palette : QPalette());
  if (m_focus && m_focus->isVisible() && QApplication::focusWidget() != m_focus) m_focus->setFocus();
}

// --- The main window's side ------------------------------------------------------

// Steps 1 to 5: stamp, print mode, paint, back to the screen, the status
// indicators laid out again.
bool TFormHlav::PrintPage(QPaintDevice& device) {
  m_core->ShowPrintStamp(PrintStampDateTime(QDateTime::currentDateTime(), QLocale::system()).toStdString());
  bool painted = false;
  {
    const CPrintMode printMode(*this, *m_pageControl1, m_core->printMode);
    painted = RenderFitted(*centralWidget(), device);
  }
  ShowLiveValues();
  return painted;
}

// The default printer without a dialog. With none, or with VENTRIX_PRINT_PDF
// set, a PDF: that file, or one the user names before the window changes.
void TFormHlav::SpeedButtonPrintClick() {
  QString target = qEnvironmentVariable(kPrintPdfVariable);
  const QPrinterInfo printerInfo = target.isEmpty() ? QPrinterInfo::defaultPrinter() : QPrinterInfo();
  if (target.isEmpty() && printerInfo.isNull()) {
    target = QFileDialog::getSaveFileName(this, QString(), QString(), "PDF (*.pdf)");
    if (target.isEmpty()) return;
  }
  QPrinter printer(QPrinter::HighResolution);
  if (target.isEmpty()) {
    printer.setPrinterName(printerInfo.printerName());
    target = printerInfo.printerName();
  } else {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(target);
  }
  printer.setDocName(windowTitle().trimmed());
  // The window is wider than high: across the sheet it comes out larger.
  printer.setPageOrientation(width() > height() ? QPageLayout::Landscape : QPageLayout::Portrait);
  if (!PrintPage(printer)) ShowMessageBox(FillInText(kPrintFailedText.Get(), {target.toStdString()}));
}
