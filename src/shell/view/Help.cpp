// The Help menu: the manual of the current language in the desktop's PDF
// viewer, and the About window.

#include "shell/view/Help.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include "base/TextSlots.h"
#include "base/UiTexts.h"
#include "shell/view/TFormAbout.h"
#include "shell/view/TFormHlav.h"

QString FindManual(const QString& programDir, const QString& name) {
  const QDir dir(programDir);
  for (const QString& candidate : {dir.filePath(name), dir.filePath("../share/ventrix/" + name)})
    if (QFileInfo(candidate).isFile()) return QDir::cleanPath(QFileInfo(candidate).absoluteFilePath());
  return {};
}

// The path stays the file system's own: a Czech folder name must not be
// squeezed into an 8-bit code page on its way to the viewer. The launcher
// reports success as soon as it starts, even for a missing file, so the file
// is looked for first.
void TFormHlav::MenuContensClick() {
  const QString programDir = m_programDir.isEmpty() ? QCoreApplication::applicationDirPath() : m_programDir;
  const QString manual = FindManual(programDir, QString::fromStdString(m_core->textSlots[kSlotManual]));
  if (manual.isEmpty()) {
    ShowMessageBox(m_core->textSlots[kSlotOpenManualError]);
    return;
  }
  // The file is there: what failed is the desktop's viewer, and the tuner
  // can still open the manual himself from where it lies.
  if (!QDesktopServices::openUrl(QUrl::fromLocalFile(manual)))
    ShowMessageBox(FillInText(kNoPdfViewerText.Get(), {QDir::toNativeSeparators(manual).toStdString()}));
}

void TFormHlav::MenuAboutClick() {
  if (!m_formAbout) m_formAbout = new TFormAbout(this);
  m_formAbout->open();
}
