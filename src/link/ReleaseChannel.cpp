#include "link/ReleaseChannel.h"

#include <charconv>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr std::string_view kMagic = "VENTRIX-RELEASE 1 ";
constexpr std::size_t kMaxMessage = 128;
// Malformed datagrams handled per Receive call, so a flood cannot hold up
// the user-interface thread; the notifier fires again for the rest.
constexpr int kMaxDropsPerReceive = 64;

std::string ErrText(int err) { return std::strerror(err); }

std::string ReleaseSocketDir() {
  const char* xdg = std::getenv("XDG_RUNTIME_DIR");
  if (xdg != nullptr && xdg[0] == '/') return std::string(xdg) + "/ventrix";
  return "/tmp/ventrix-" + std::to_string(::geteuid());
}

// The directory must be ours and closed to others: anyone who could put a
// socket there could take the requests or send his own.
// `missing` tells a directory that is not there from one that is refused.
bool CheckPrivateDir(const std::string& dir, bool create, std::string& error, bool* missing = nullptr) {
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

bool MakeAddress(const std::string& path, sockaddr_un& addr, std::string& error) {
  addr = {};
  addr.sun_family = AF_UNIX;
  if (path.size() >= sizeof addr.sun_path) {
    error = path + ": path too long for a socket";
    return false;
  }
  std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
  return true;
}

std::optional<std::uint32_t> ParseDecimal(std::string_view s) {
  if (s.empty() || s.size() > 10) return std::nullopt;
  std::uint64_t v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + static_cast<std::uint64_t>(c - '0');
  }
  if (v > 0xFFFFFFFFu) return std::nullopt;
  return static_cast<std::uint32_t>(v);
}

std::optional<std::uint32_t> ParseHex8(std::string_view s) {
  std::uint32_t v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v, 16);
  if (s.size() != 8 || ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return v;
}

}  // namespace

std::string FormatReleaseMessage(const ReleaseRequest& request) {
  char code[16];
  std::snprintf(code, sizeof code, "%08X", static_cast<unsigned>(request.code));
  return std::string(kMagic) + std::to_string(request.port) + " " + code + "\n";
}

std::optional<ReleaseRequest> ParseReleaseMessage(std::string_view message) {
  if (!message.starts_with(kMagic)) return std::nullopt;
  message.remove_prefix(kMagic.size());
  if (message.ends_with('\n')) message.remove_suffix(1);
  const auto space = message.find(' ');
  if (space == std::string_view::npos) return std::nullopt;
  const auto port = ParseDecimal(message.substr(0, space));
  const auto code = ParseHex8(message.substr(space + 1));
  if (!port || !code) return std::nullopt;
  return ReleaseRequest{*port, *code};
}

std::string ReleaseSocketPath() { return ReleaseSocketDir() + "/port-release.sock"; }

CReleaseListener::~CReleaseListener() { Stop(); }

bool CReleaseListener::Listen() {
  Stop();
  m_lastError.clear();
  const std::string path = ReleaseSocketPath();
  sockaddr_un addr{};
  if (!CheckPrivateDir(ReleaseSocketDir(), true, m_lastError) || !MakeAddress(path, addr, m_lastError)) return false;

  const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    m_lastError = "socket: " + ErrText(errno);
    return false;
  }
  auto fail = [&](std::string why) {
    m_lastError = path + ": " + why;
    ::close(fd);
    return false;
  };
  auto* sa = reinterpret_cast<const sockaddr*>(&addr);

  if (::bind(fd, sa, sizeof addr) != 0) {
    if (errno != EADDRINUSE) return fail(ErrText(errno));
    // The file is there: a live instance, or the leftover of one that died.
    const int probe = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
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

  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0) m_boundInode = st.st_ino;
  m_fd = fd;
  m_path = path;
  return true;
}

void CReleaseListener::Stop() {
  if (m_fd < 0) return;
  // Only our own socket file: a later instance may have replaced it.
  struct stat st {};
  if (::lstat(m_path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode) && st.st_ino == m_boundInode) {
    ::unlink(m_path.c_str());
  }
  ::close(m_fd);
  m_fd = -1;
  m_path.clear();
  m_boundInode = 0;
}

std::optional<ReleaseRequest> CReleaseListener::Receive() {
  if (m_fd < 0) return std::nullopt;
  for (int drops = 0; drops < kMaxDropsPerReceive;) {
    char buf[kMaxMessage];
    iovec iov{buf, sizeof buf};
    msghdr msg{};
    msg.msg_iov = &iov;
    msg.msg_iovlen = 1;
    const ssize_t n = ::recvmsg(m_fd, &msg, MSG_DONTWAIT);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (errno != EAGAIN && errno != EWOULDBLOCK) m_lastError = "receive: " + ErrText(errno);
      return std::nullopt;
    }
    if ((msg.msg_flags & MSG_TRUNC) == 0) {
      if (auto r = ParseReleaseMessage(std::string_view(buf, static_cast<std::size_t>(n)))) return r;
    }
    m_lastError = "malformed release request dropped (" + std::to_string(n) + " bytes)";
    ++drops;
  }
  return std::nullopt;
}

bool SendReleaseRequest(std::uint32_t port, std::uint32_t code, std::string* error) {
  std::string why;
  auto fail = [&](std::string reason) {
    if (error) *error = std::move(reason);
    return false;
  };
  const std::string path = ReleaseSocketPath();
  sockaddr_un addr{};
  if (!MakeAddress(path, addr, why)) return fail(why);
  bool missing = false;
  if (!CheckPrivateDir(ReleaseSocketDir(), false, why, &missing)) {
    return fail(missing ? "no Ventrix is listening (" + why + ")" : why);
  }

  const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return fail("socket: " + ErrText(errno));
  const std::string msg = FormatReleaseMessage({port, code});
  const ssize_t n = ::sendto(fd, msg.data(), msg.size(), MSG_DONTWAIT | MSG_NOSIGNAL,
                             reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
  const int err = errno;
  ::close(fd);
  if (n == static_cast<ssize_t>(msg.size())) return true;
  if (n >= 0) return fail(path + ": short send");
  if (err == ENOENT || err == ECONNREFUSED) return fail("no Ventrix is listening at " + path);
  if (err == EAGAIN || err == EWOULDBLOCK) return fail(path + ": Ventrix is not taking requests (queue full)");
  return fail(path + ": " + ErrText(err));
}
