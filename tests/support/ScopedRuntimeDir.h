#pragma once

// A logic test's own XDG_RUNTIME_DIR, where the program keeps its sockets;
// the old value comes back, and the folder goes, with the object.

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace testsupport {

class ScopedRuntimeDir {
 public:
  ScopedRuntimeDir() {
    if (const char* old = std::getenv("XDG_RUNTIME_DIR")) m_old = old;
    char tmpl[] = "/tmp/ventrix-xdgXXXXXX";
    if (::mkdtemp(tmpl) == nullptr) return;
    m_path = tmpl;
    ::setenv("XDG_RUNTIME_DIR", m_path.c_str(), 1);
  }
  ~ScopedRuntimeDir() {
    if (m_old) {
      ::setenv("XDG_RUNTIME_DIR", m_old->c_str(), 1);
    } else {
      ::unsetenv("XDG_RUNTIME_DIR");
    }
    if (!m_path.empty()) std::filesystem::remove_all(m_path);
  }
  ScopedRuntimeDir(const ScopedRuntimeDir&) = delete;
  ScopedRuntimeDir& operator=(const ScopedRuntimeDir&) = delete;

  bool Ok() const { return !m_path.empty(); }
  const std::string& Path() const { return m_path; }

 private:
  std::string m_path;
  std::optional<std::string> m_old;
};

}  // namespace testsupport
