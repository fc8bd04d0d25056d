#include "shell/InstanceChannel.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "link/PrivateSocket.h"

namespace {

constexpr std::string_view kMagic = "VENTRIX-OPEN 1\n";
constexpr std::string_view kAnswerOk = "OK\n";
// A path of PATH_MAX bytes and the header fit.
constexpr std::size_t kMaxPacket = 8192;
// Connections that queue while the running instance is busy.
constexpr int kBacklog = 8;

std::string ErrText(int err) { return std::strerror(err); }

}  // namespace

std::string InstanceSocketPath() { return PrivateSocketDir() + "/instance.sock"; }

std::string FormatOpenRequest(std::string_view absolutePath) { return std::string(kMagic) + std::string(absolutePath); }

std::optional<std::string> ParseOpenRequest(std::string_view packet) {
  if (!packet.starts_with(kMagic)) return std::nullopt;
  packet.remove_prefix(kMagic.size());
  if (packet.empty() || packet.front() != '/' || packet.find('\0') != std::string_view::npos) return std::nullopt;
  return std::string(packet);
}

bool CInstanceListener::Listen() {
  if (!m_socket.Bind(SOCK_SEQPACKET, InstanceSocketPath())) return false;
  if (::listen(m_socket.Fd(), kBacklog) != 0) {
    m_socket.SetLastError(m_socket.Path() + ": " + ErrText(errno));
    m_socket.Close();
    return false;
  }
  return true;
}

int CInstanceListener::Accept() {
  if (!m_socket.IsOpen()) return -1;
  for (;;) {
    const int connection = ::accept4(m_socket.Fd(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (connection >= 0) return connection;
    if (errno == EINTR || errno == ECONNABORTED) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) m_socket.SetLastError("accept: " + ErrText(errno));
    return -1;
  }
}

ClientRequest ReadClientRequest(int connection) {
  char buf[kMaxPacket];
  iovec iov{buf, sizeof buf};
  msghdr msg{};
  msg.msg_iov = &iov;
  msg.msg_iovlen = 1;
  ssize_t n = -1;
  do {
    n = ::recvmsg(connection, &msg, MSG_DONTWAIT);
  } while (n < 0 && errno == EINTR);
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return {};
  ClientRequest request{ClientRequest::State::kRefused, {}};
  if (n <= 0 || (msg.msg_flags & MSG_TRUNC) != 0) return request;
  if (auto path = ParseOpenRequest(std::string_view(buf, static_cast<std::size_t>(n)))) {
    ::send(connection, kAnswerOk.data(), kAnswerOk.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
    request = {ClientRequest::State::kOpen, std::move(*path)};
  }
  return request;
}

void CloseConnection(int connection) {
  if (connection >= 0) ::close(connection);
}

bool IsInstanceListening() {
  sockaddr_un addr{};
  std::string why;
  if (!MakeSocketAddress(InstanceSocketPath(), addr, why) || !CheckPrivateDir(PrivateSocketDir(), false, why))
    return false;
  const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  // The running instance sees a client that leaves without a word, and drops it.
  const bool listening = ::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0;
  ::close(fd);
  return listening;
}

HandOver HandFileToRunningInstance(const std::string& absolutePath, int timeoutMs, std::string* error) {
  std::string why;
  auto result = [&](HandOver r, std::string reason) {
    if (error) *error = std::move(reason);
    return r;
  };
  const std::string path = InstanceSocketPath();
  sockaddr_un addr{};
  if (!MakeSocketAddress(path, addr, why)) return result(HandOver::kFailed, why);
  bool missing = false;
  if (!CheckPrivateDir(PrivateSocketDir(), false, why, &missing))
    return result(missing ? HandOver::kNoInstance : HandOver::kFailed, why);
  const std::string request = FormatOpenRequest(absolutePath);
  if (request.size() > kMaxPacket) return result(HandOver::kFailed, absolutePath + ": path too long");

  // Non-blocking, so that a full queue of a hung instance cannot hold us.
  const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return result(HandOver::kFailed, "socket: " + ErrText(errno));
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};

  if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
    const int err = errno;
    // No file, or the file of an instance that crashed: nobody to hand to.
    if (err == ENOENT || err == ECONNREFUSED) return result(HandOver::kNoInstance, path + ": " + ErrText(err));
    return result(HandOver::kFailed, path + ": " + ErrText(err));
  }
  if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(request.size()))
    return result(HandOver::kFailed, path + ": send: " + ErrText(errno));

  pollfd p{fd, POLLIN, 0};
  int ready = 0;
  do {
    ready = ::poll(&p, 1, timeoutMs);
  } while (ready < 0 && errno == EINTR);
  if (ready <= 0) return result(HandOver::kFailed, "the running Ventrix did not answer");
  char answer[16];
  const ssize_t n = ::recv(fd, answer, sizeof answer, MSG_DONTWAIT);
  if (n == static_cast<ssize_t>(kAnswerOk.size()) && std::string_view(answer, kAnswerOk.size()) == kAnswerOk)
    return result(HandOver::kDone, {});
  return result(HandOver::kFailed, "the running Ventrix refused " + absolutePath);
}
