#include "link/ReleaseChannel.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
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

std::string ReleaseSocketPath() { return PrivateSocketDir() + "/port-release.sock"; }

bool CReleaseListener::Listen() { return m_socket.Bind(SOCK_DGRAM, ReleaseSocketPath()); }

std::optional<ReleaseRequest> CReleaseListener::Receive() {
  if (!m_socket.IsOpen()) return std::nullopt;
  for (int drops = 0; drops < kMaxDropsPerReceive;) {
    char buf[kMaxMessage];
    iovec iov{buf, sizeof buf};
    msghdr msg{};
    msg.msg_iov = &iov;
    msg.msg_iovlen = 1;
    const ssize_t n = ::recvmsg(m_socket.Fd(), &msg, MSG_DONTWAIT);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (errno != EAGAIN && errno != EWOULDBLOCK) m_socket.SetLastError("receive: " + ErrText(errno));
      return std::nullopt;
    }
    if ((msg.msg_flags & MSG_TRUNC) == 0) {
      if (auto r = ParseReleaseMessage(std::string_view(buf, static_cast<std::size_t>(n)))) return r;
    }
    m_socket.SetLastError("malformed release request dropped (" + std::to_string(n) + " bytes)");
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
  if (!MakeSocketAddress(path, addr, why)) return fail(why);
  bool missing = false;
  if (!CheckPrivateDir(PrivateSocketDir(), false, why, &missing)) {
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
