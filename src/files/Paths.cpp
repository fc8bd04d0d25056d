#include "files/Paths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// The program title, "_v" and the file format version; the image state
// file's name is the same behind "_".
constexpr std::string_view kSettingsFileName = "Ventrix_2007_v83.ini";
constexpr std::string_view kServiceMarkerFileName = "test_ovalis.txt";
constexpr std::string_view kErrorLogFileName = "IGN.err";
constexpr std::string_view kExeDirFileName = "data.ign";
constexpr std::string_view kMonitorSetSuffix = "EMON.cem";
constexpr std::string_view kAppFolder = "ventrix";
constexpr std::string_view kLogsFolder = "logs";

std::string Join(std::string_view dir, std::string_view name) {
  std::string path(dir);
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  if (path != "/") path += '/';
  path += name;
  return path;
}

std::string HomeDir() {
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') return home;
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
      found->pw_dir != nullptr && found->pw_dir[0] == '/') {
    return found->pw_dir;
  }
  // No home at all (a stripped service account): a folder of our own.
  return "/tmp/ventrix-" + std::to_string(::geteuid());
}

std::string XdgBase(const char* variable, std::string_view belowHome) {
  if (const char* value = std::getenv(variable); value != nullptr && value[0] == '/') return value;
  return Join(HomeDir(), belowHome);
}

}  // namespace

AppPaths MakeAppPaths(std::string_view configHome, std::string_view stateHome, std::string_view dataHome) {
  AppPaths p;
  p.configDir = Join(configHome, kAppFolder);
  p.stateDir = Join(stateHome, kAppFolder);
  p.dataDir = Join(dataHome, kAppFolder);
  p.settingsFile = Join(p.configDir, kSettingsFileName);
  p.serviceMarkerFile = Join(p.configDir, kServiceMarkerFileName);
  p.imageStateFile = Join(p.stateDir, "_" + std::string(kSettingsFileName));
  p.monitorSetFile = p.imageStateFile + std::string(kMonitorSetSuffix);
  p.errorLogFile = Join(p.stateDir, kErrorLogFileName);
  p.exeDirFile = Join(p.dataDir, kExeDirFileName);
  p.logsDir = Join(p.dataDir, kLogsFolder);
  return p;
}

AppPaths AppPathsFromEnvironment() {
  return MakeAppPaths(XdgBase("XDG_CONFIG_HOME", ".config"), XdgBase("XDG_STATE_HOME", ".local/state"),
                      XdgBase("XDG_DATA_HOME", ".local/share"));
}

bool EnsureDirectory(const std::string& dir, std::string* error) {
  auto fail = [&](const std::string& path, int err) {
    if (error) *error = path + ": " + std::strerror(err);
    return false;
  };
  if (dir.empty()) return fail(dir, ENOENT);
  // Every prefix ending before a '/', then the folder itself.
  for (std::size_t slash = dir.find('/', 1);; slash = dir.find('/', slash + 1)) {
    const std::string prefix = slash == std::string::npos ? dir : dir.substr(0, slash);
    if (::mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) {
      // A parent we may not create may still be there (EACCES on /home).
      const int err = errno;
      struct stat st {};
      if (::stat(prefix.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return fail(prefix, err);
    }
    if (slash == std::string::npos) break;
  }
  struct stat st {};
  if (::stat(dir.c_str(), &st) != 0) return fail(dir, errno);
  if (!S_ISDIR(st.st_mode)) return fail(dir, ENOTDIR);
  return true;
}

bool EnsureParentDirectory(const std::string& file, std::string* error) {
  const std::size_t slash = file.rfind('/');
  if (slash == std::string::npos) return true;  // the working folder
  return EnsureDirectory(slash == 0 ? std::string("/") : file.substr(0, slash), error);
}
