#include "shell/view/OutsideFiles.h"

#include <QFile>

#include "base/TextSlots.h"
#include "base/UiTexts.h"
#include "core/AppCore.h"
#include "core/OutsideFile.h"
#include "files/view/FileCommands.h"
#include "link/view/LogCommands.h"
#include "monitor/view/MonitorCommands.h"
#include "shell/view/TFormHlav.h"

bool OpenOutsideFile(TFormHlav& window, const QString& path) {
  const std::string encoded = QFile::encodeName(path).toStdString();
  switch (KindOfOutsideFile(encoded)) {
    case OutsideFileKind::kConfig:
      return window.FileCommands().OpenConfigFile(path);
    case OutsideFileKind::kMonitorSet:
      return window.Monitor().OpenSetFile(path);
    case OutsideFileKind::kLiveLog:
      // Log > Open log is out of reach while recording; a double-click must
      // not end the recording behind the tuner's back either.
      if (window.Core().recorder.Recording()) {
        window.ShowMessageBox(FillInText(kLogNotWhileRecordingText.Get(), {path.toStdString()}));
        return false;
      }
      return window.Log().OpenLogFile(path);
  }
  return false;
}
