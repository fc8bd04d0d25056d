#include "link/PrivateSocket.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {
std::string ErrText(int err) { return std::strerror(err); }
}  // namespace

std::string PrivateSocketDir() {
  const char* xdg = std::getenv("XDG_RUNTIME_DIR");
  if (xdg != nullptr && xdg[0] == '/') return std::string(xdg) + "/ventrix";
  return "/tmp/ventrix-" + std::to_string(::geteuid());
}

// The directory must be ours and closed to others: anyone who could put a
// socket there could take the requests or send his own.
bool CheckPrivateDir(const std::string& dir, bool create, std::string& error, bool* missing) {
  if (create && ::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
    error = dir + ": " + ErrText(errno);
    return false;
  }
  struct stat st {};
  if (::lstat(dir.c_str(), &st) != 0) {
    if (missing) *missing = errno == ENOENT;
    error = dir + ": " + ErrText(errno);
    return false;
  }
  if (!S_ISDIR(st.st_mode)) {
    error = dir + ": not a directory";
    return false;
  }
  if (st.st_uid != ::geteuid()) {
    error = dir + ": owned by another user";
    return false;
  }
  if (create && (st.st_mode & 077) != 0 && ::chmod(dir.c_str(), 0700) != 0) {
    error = dir + ": " + ErrText(errno);
    return false;
  }
  return true;
}

bool MakeSocketAddress(const std::string& path, sockaddr_un& addr, std::string& error) {
  addr = {};
  addr.sun_family = AF_UNIX;
  if (path.size() >= sizeof addr.sun_path) {
    error = path + ": path too long for a socket";
    return false;
  }
  std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
  return true;
}

bool CBoundSocket::Bind(int type, const std::string& path) {
  Close();
  m_lastError.clear();
  std::string& error = m_lastError;
  sockaddr_un addr{};
  if (!CheckPrivateDir(PrivateSocketDir(), true, error) || !MakeSocketAddress(path, addr, error)) return false;

  const int fd = ::socket(AF_UNIX, type | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    error = "socket: " + ErrText(errno);
    return false;
  }
  auto fail = [&](const std::string& why) {
    error = path + ": " + why;
    ::close(fd);
    return false;
  };
  auto* sa = reinterpret_cast<const sockaddr*>(&addr);

  if (::bind(fd, sa, sizeof addr) != 0) {
    if (errno != EADDRINUSE) return fail(ErrText(errno));
    // The file is there: a live process, or the leftover of one that died.
    const int probe = ::socket(AF_UNIX, type | SOCK_CLOEXEC, 0);
    if (probe < 0) return fail("socket: " + ErrText(errno));
    const int rc = ::connect(probe, sa, sizeof addr);
    const int err = errno;
    ::close(probe);
    if (rc == 0) return fail("another Ventrix is already listening");
    if (err != ECONNREFUSED && err != ENOENT) return fail(ErrText(err));
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0) {
      if (!S_ISSOCK(st.st_mode)) return fail("exists and is not a socket");
      if (::unlink(path.c_str()) != 0) return fail("remove stale socket: " + ErrText(errno));
    }
    if (::bind(fd, sa, sizeof addr) != 0) return fail(ErrText(errno));
  }
  // The folder already keeps others out; the file says so as well.
  if (::chmod(path.c_str(), 0600) != 0) return fail(ErrText(errno));

  struct stat st {};
  m_inode = ::lstat(path.c_str(), &st) == 0 ? st.st_ino : 0;
  m_fd = fd;
  m_path = path;
  return true;
}

void CBoundSocket::Close() {
  if (m_fd < 0) return;
  struct stat st {};
  if (::lstat(m_path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode) && st.st_ino == m_inode) ::unlink(m_path.c_str());
  ::close(m_fd);
  m_fd = -1;
  m_path.clear();
  m_inode = 0;
}
