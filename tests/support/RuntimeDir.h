#pragma once

// A widget test's own XDG_RUNTIME_DIR: the main window listens on the
// port-release socket there, and test programs running side by side must
// not share one. Make it a member of the test object, so the folder exists
// before the first window is created and goes with the test.

#include <QTemporaryDir>
#include <QtGlobal>

namespace testsupport {

class RuntimeDir {
 public:
  RuntimeDir() {
    if (m_dir.isValid()) qputenv("XDG_RUNTIME_DIR", m_dir.path().toUtf8());
  }
  bool IsValid() const { return m_dir.isValid(); }

 private:
  QTemporaryDir m_dir;
};

}  // namespace testsupport
