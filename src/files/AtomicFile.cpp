#include "files/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <system_error>

namespace {

constexpr int kMaxLinkHops = 40;  // the kernel's own limit for path resolution
constexpr int kTempAttempts = 100;
constexpr std::size_t kMaxTempBase = 200;  // keeps the temporary name under NAME_MAX

FileResult Failure(const std::string& path, int error) {
  return {false, path + ": " + std::generic_category().message(error)};
}

std::string DirName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file a write to `path` must replace: the end of its chain of symbolic
// links (which need not exist yet). Replacing the link itself would cut it.
bool FollowLinks(const std::string& path, std::string& target, int& error) {
  target = path;
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    struct stat st {};
    if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
    std::string link(256, '\0');
    for (;;) {
      const ssize_t n = ::readlink(target.c_str(), link.data(), link.size());
      if (n < 0) {
        error = errno;
        return false;
      }
      if (static_cast<std::size_t>(n) < link.size()) {
        link.resize(static_cast<std::size_t>(n));
        break;
      }
      link.resize(link.size() * 2);
    }
    target = !link.empty() && link[0] == '/' ? link : DirName(target) + "/" + link;
  }
  error = ELOOP;
  return false;
}

bool WriteAll(int fd, std::string_view bytes, int& error) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      error = errno;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// Makes the rename itself durable. Some file systems cannot sync a folder
// and say so with EINVAL; that is no failure of the write.
bool SyncFolder(const std::string& folder, int& error) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    error = errno;
    return false;
  }
  const bool ok = ::fsync(fd) == 0 || errno == EINVAL;
  if (!ok) error = errno;
  ::close(fd);
  return ok;
}

std::atomic<unsigned> g_tempCounter{0};

}  // namespace

FileResult WriteFileAtomic(const std::string& path, std::string_view bytes) {
  std::string target;
  int error = 0;
  if (!FollowLinks(path, target, error)) return Failure(path, error);

  struct stat old {};
  const bool exists = ::stat(target.c_str(), &old) == 0;
  if (exists && S_ISDIR(old.st_mode)) return Failure(path, EISDIR);
  // The rename would replace a file the user may not write; writing in
  // place would have been refused, so this is too.
  if (exists && ::access(target.c_str(), W_OK) != 0) return Failure(path, errno);

  const std::string folder = DirName(target);
  const std::string base = BaseName(target).substr(0, kMaxTempBase);
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < kTempAttempts && fd < 0; ++attempt) {
    temp = folder + "/." + base + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(g_tempCounter++);
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return Failure(path, errno);
  }
  if (fd < 0) return Failure(path, EEXIST);

  bool ok = !exists || ::fchmod(fd, old.st_mode & 07777) == 0;
  if (!ok) error = errno;
  ok = ok && WriteAll(fd, bytes, error);
  if (ok && ::fsync(fd) != 0) {
    error = errno;
    ok = false;
  }
  if (::close(fd) != 0 && ok) {
    error = errno;
    ok = false;
  }
  if (ok && ::rename(temp.c_str(), target.c_str()) != 0) {
    error = errno;
    ok = false;
  }
  if (!ok) {
    ::unlink(temp.c_str());
    return Failure(path, error);
  }
  if (!SyncFolder(folder, error)) return Failure(path, error);
  return {true, {}};
}

FileResult ReadWholeFile(const std::string& path, std::string& bytes) {
  bytes.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Failure(path, errno);
  struct stat st {};
  if (::fstat(fd, &st) == 0) {
    if (S_ISDIR(st.st_mode)) {
      ::close(fd);
      return Failure(path, EISDIR);
    }
    if (st.st_size > 0) bytes.reserve(static_cast<std::size_t>(st.st_size));
  }
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int error = errno;
      ::close(fd);
      bytes.clear();
      return Failure(path, error);
    }
    if (n == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return {true, {}};
}
