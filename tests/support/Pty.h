#pragma once

// A pseudo-terminal pair standing in for a serial cable in tests: the code
// under test opens SlavePath() like a serial device, the test talks through
// the raw, non-blocking Master() fd. Closing the master is "cable pulled".

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

class Pty {
 public:
  Pty() {
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    char name[128];
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0 ||
        ::ptsname_r(m_master, name, sizeof name) != 0) {
      CloseMaster();
      return;
    }
    m_slavePath = name;
    // Line settings set on the master belong to the pair: start it raw.
    termios t{};
    if (::tcgetattr(m_master, &t) == 0) {
      ::cfmakeraw(&t);
      ::tcsetattr(m_master, TCSANOW, &t);
    }
  }
  ~Pty() { CloseMaster(); }
  Pty(const Pty&) = delete;
  Pty& operator=(const Pty&) = delete;

  bool Ok() const { return m_master >= 0; }
  int Master() const { return m_master; }
  const std::string& SlavePath() const { return m_slavePath; }
  void CloseMaster() {
    if (m_master >= 0) ::close(m_master);
    m_master = -1;
  }

  // Writes all of `bytes` to the master; false on error or after `timeout`.
  bool Send(const std::vector<std::uint8_t>& bytes, std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(m_master, bytes.data() + done, bytes.size() - done);
      if (n > 0) {
        done += static_cast<std::size_t>(n);
      } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
        return false;
      } else if (!WaitFor(POLLOUT, deadline)) {
        return false;
      }
    }
    return true;
  }

  // Reads from the master until `count` bytes have come or `timeout` passes;
  // returns what came.
  std::vector<std::uint8_t> Receive(std::size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::vector<std::uint8_t> out;
    std::uint8_t buf[4096];
    while (out.size() < count) {
      const std::size_t want = std::min(sizeof buf, count - out.size());
      const ssize_t n = ::read(m_master, buf, want);
      if (n > 0) {
        out.insert(out.end(), buf, buf + n);
      } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
        break;  // EIO: no slave open any more
      } else if (!WaitFor(POLLIN, deadline)) {
        break;
      }
    }
    return out;
  }

 private:
  bool WaitFor(short events, std::chrono::steady_clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
    if (left <= 0) return false;
    pollfd p{m_master, events, 0};
    return ::poll(&p, 1, static_cast<int>(left)) > 0 && (p.revents & events) != 0;
  }

  int m_master = -1;
  std::string m_slavePath;
};

}  // namespace testsupport
