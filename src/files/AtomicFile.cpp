#include "files/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <set>
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
    target = link.starts_with('/') ? link : DirName(target).append("/").append(link);
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

// A file written to its temporary twin, not yet renamed over its target.
struct PendingFile {
  std::string path, target, temp, folder;
  int fd = -1;
};

void Abandon(PendingFile& p) {
  if (p.fd >= 0) ::close(p.fd);
  p.fd = -1;
  ::unlink(p.temp.c_str());
}

// The bytes into a temporary file beside the target, left open.
FileResult BeginWrite(const std::string& path, std::string_view bytes, PendingFile& p) {
  p.path = path;
  int error = 0;
  if (!FollowLinks(path, p.target, error)) return Failure(path, error);

  struct stat old {};
  const bool exists = ::stat(p.target.c_str(), &old) == 0;
  if (exists && S_ISDIR(old.st_mode)) return Failure(path, EISDIR);
  // The rename would replace a file the user may not write; writing in
  // place would have been refused, so this is too.
  if (exists && ::access(p.target.c_str(), W_OK) != 0) return Failure(path, errno);

  p.folder = DirName(p.target);
  const std::string base = BaseName(p.target).substr(0, kMaxTempBase);
  for (int attempt = 0; attempt < kTempAttempts && p.fd < 0; ++attempt) {
    p.temp = p.folder + "/." + base + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(g_tempCounter++);
    p.fd = ::open(p.temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (p.fd < 0 && errno != EEXIST) return Failure(path, errno);
  }
  if (p.fd < 0) return Failure(path, EEXIST);

  bool ok = !exists || ::fchmod(p.fd, old.st_mode & 07777) == 0;
  if (!ok) error = errno;
  ok = ok && WriteAll(p.fd, bytes, error);
  if (!ok) {
    Abandon(p);
    return Failure(path, error);
  }
  return {true, {}};
}

// Once the bytes are on the disk: the temporary file takes the target's place.
FileResult FinishWrite(PendingFile& p) {
  int error = 0;
  const int fd = p.fd;
  p.fd = -1;
  bool ok = true;
  if (::close(fd) != 0) {
    error = errno;
    ok = false;
  }
  if (ok && ::rename(p.temp.c_str(), p.target.c_str()) != 0) {
    error = errno;
    ok = false;
  }
  if (!ok) {
    Abandon(p);
    return Failure(p.path, error);
  }
  return {true, {}};
}

}  // namespace

FileResult WriteFileAtomic(const std::string& path, std::string_view bytes) {
  PendingFile p;
  if (FileResult begun = BeginWrite(path, bytes, p); !begun.ok) return begun;
  if (::fsync(p.fd) != 0) {
    const int error = errno;
    Abandon(p);
    return Failure(path, error);
  }
  if (FileResult finished = FinishWrite(p); !finished.ok) return finished;
  int error = 0;
  if (!SyncFolder(p.folder, error)) return Failure(path, error);
  return {true, {}};
}

std::vector<FileResult> WriteFilesAtomic(std::span<const FileToWrite> files) {
  std::vector<FileResult> results(files.size());
  std::vector<PendingFile> pending(files.size());
  for (std::size_t i = 0; i < files.size(); ++i) results[i] = BeginWrite(files[i].path, files[i].bytes, pending[i]);
  // One flush of each file system for all files instead of one per file;
  // only then may any of them replace its target.
  std::set<std::string> folders;
  for (std::size_t i = 0; i < files.size(); ++i) {
    PendingFile& p = pending[i];
    if (p.fd < 0 || folders.count(p.folder)) continue;
    folders.insert(p.folder);
    if (::syncfs(p.fd) == 0) continue;
    const int error = errno;
    for (std::size_t k = 0; k < files.size(); ++k) {
      if (pending[k].fd < 0 || pending[k].folder != p.folder) continue;
      Abandon(pending[k]);
      results[k] = Failure(files[k].path, error);
    }
  }
  for (std::size_t i = 0; i < files.size(); ++i)
    if (pending[i].fd >= 0) results[i] = FinishWrite(pending[i]);
  for (const std::string& folder : folders) {
    int error = 0;
    if (SyncFolder(folder, error)) continue;
    for (std::size_t i = 0; i < files.size(); ++i)
      if (results[i].ok && pending[i].folder == folder) results[i] = Failure(files[i].path, error);
  }
  return results;
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
