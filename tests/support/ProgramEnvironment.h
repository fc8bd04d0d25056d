#pragma once

// The environment of the real ventrix program run as a process by a test:
// XDG folders of its own below a temporary folder, no display but the
// offscreen platform, and only COM `com` leading to `device` (the other
// ports lead nowhere), so that talking on that device shows which port the
// program chose.

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QString>

namespace testsupport {

// `stateHome` empty: `home`/state.
inline QProcessEnvironment ProgramEnvironment(const QString& home, int com, const QString& device,
                                              QString stateHome = {}) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "VENTRIX_UNITSIM"}) env.remove(name);
  // ctest hands over a screen that holds the window at its design size.
  if (!env.contains("QT_QPA_PLATFORM")) env.insert("QT_QPA_PLATFORM", "offscreen");
  const QDir dir(home);
  for (const char* sub : {"config", "state", "data", "run"}) dir.mkpath(sub);
  QFile::setPermissions(dir.filePath("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
  env.insert("XDG_STATE_HOME", stateHome.isEmpty() ? dir.filePath("state") : stateHome);
  env.insert("XDG_DATA_HOME", dir.filePath("data"));
  env.insert("XDG_RUNTIME_DIR", dir.filePath("run"));
  for (int n = 1; n <= 21; ++n)
    env.insert(QString("VENTRIX_COM%1").arg(n), n == com ? device : dir.filePath("no-such-port"));
  return env;
}

}  // namespace testsupport
