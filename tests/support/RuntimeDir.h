#pragma once

// A widget test's own XDG folders: the main window listens on the
// port-release socket in XDG_RUNTIME_DIR, and reads and writes its settings
// and image state below XDG_CONFIG_HOME and XDG_STATE_HOME; test programs
// running side by side must share none of them, nor touch the user's. Make
// it a member of the test object, so the folders exist before the first
// window is created and go with the test.
//
// The settings start with the port the tests' units answer on (COM2);
// everything else is a first start.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtGlobal>

namespace testsupport {

class RuntimeDir {
 public:
  RuntimeDir() {
    if (!m_dir.isValid()) return;
    qputenv("XDG_RUNTIME_DIR", m_dir.path().toUtf8());
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_STATE_HOME", "XDG_DATA_HOME"}) {
      const QString folder = m_dir.filePath(QString::fromLatin1(name).toLower());
      QDir().mkpath(folder);
      qputenv(name, folder.toUtf8());
    }
    QDir().mkpath(m_dir.filePath("xdg_config_home/ventrix"));
    QFile ini(m_dir.filePath("xdg_config_home/ventrix/Ventrix_2007_v83.ini"));
    if (ini.open(QIODevice::WriteOnly)) ini.write("[BASIC]\r\nComPort=2\r\n");
  }
  bool IsValid() const { return m_dir.isValid(); }
  QString Path() const { return m_dir.path(); }

 private:
  QTemporaryDir m_dir;
};

}  // namespace testsupport
