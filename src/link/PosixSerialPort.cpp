#include "link/PosixSerialPort.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "link/PortNames.h"

namespace {

bool IsGoneErrno(int err) { return err == EIO || err == ENXIO || err == ENODEV || err == EBADF; }

std::string ErrText(int err) { return std::strerror(err); }

}  // namespace

CPosixSerialPort::~CPosixSerialPort() { Close(); }

bool CPosixSerialPort::Open(int comNumber) {
  Close();
  const std::string path = ComDevicePath(comNumber);
  if (path.empty()) {
    m_lastError = "COM" + std::to_string(comNumber) + ": no serial device";
    return false;
  }
  return OpenDevice(path);
}

bool CPosixSerialPort::Fail(const std::string& what, int err) {
  m_lastError = m_path + ": " + what + ": " + ErrText(err);
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
  m_path.clear();
  return false;
}

bool CPosixSerialPort::OpenDevice(const std::string& path) {
  Close();
  m_lastError.clear();
  m_path = path;
  m_fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (m_fd < 0) return Fail("open", errno);
  if (!::isatty(m_fd)) return Fail("not a serial device", ENOTTY);

#ifdef TIOCGEXCL
  // Root opens through another holder's TIOCEXCL; ask instead of trusting it.
  int excl = 0;
  if (::ioctl(m_fd, TIOCGEXCL, &excl) == 0 && excl != 0) return Fail("in use by another program", EBUSY);
#endif
  if (::ioctl(m_fd, TIOCEXCL) != 0) return Fail("exclusive mode", errno);
  // Two programs that both run as root still keep off each other this way.
  if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
    const int err = errno;
    return Fail("in use by another program", err == EWOULDBLOCK ? EBUSY : err);
  }

  if (::tcgetattr(m_fd, &m_saved) != 0) return Fail("read line settings", errno);
  termios t = m_saved;
  ::cfmakeraw(&t);
  t.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
  t.c_cflag |= CS8 | CLOCAL | CREAD;
  t.c_iflag &= ~(IXON | IXOFF | IXANY);
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
  if (::cfsetispeed(&t, B57600) != 0 || ::cfsetospeed(&t, B57600) != 0) return Fail("set speed", errno);
  if (::tcsetattr(m_fd, TCSANOW, &t) != 0) return Fail("set line settings", errno);
  return true;
}

void CPosixSerialPort::Close() {
  if (m_fd < 0) return;
  ::tcflush(m_fd, TCIFLUSH);
  ::tcsetattr(m_fd, TCSANOW, &m_saved);
  ::ioctl(m_fd, TIOCNXCL);
  ::close(m_fd);
  m_fd = -1;
  m_path.clear();
}

void CPosixSerialPort::DropGoneDevice(const std::string& why) {
  // Nothing to restore on a device that is gone; just let go of it.
  m_lastError = m_path + ": device gone: " + why;
  ::close(m_fd);
  m_fd = -1;
  m_path.clear();
}

void CPosixSerialPort::OnIoError(const char* what, int err) {
  if (IsGoneErrno(err)) {
    DropGoneDevice(std::string(what) + ": " + ErrText(err));
  } else {
    m_lastError = m_path + ": " + what + ": " + ErrText(err);
  }
}

std::size_t CPosixSerialPort::QueuedBytes() {
  if (m_fd < 0) return 0;
  pollfd p{m_fd, POLLIN, 0};
  if (::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
    DropGoneDevice((p.revents & POLLNVAL) ? "invalid handle" : "hang-up");
    return 0;
  }
  int n = 0;
  if (::ioctl(m_fd, FIONREAD, &n) != 0) {
    OnIoError("queued bytes", errno);
    return 0;
  }
  return n > 0 ? static_cast<std::size_t>(n) : 0;
}

std::size_t CPosixSerialPort::Read(std::uint8_t* dst, std::size_t max) {
  if (m_fd < 0 || max == 0) return 0;
  for (;;) {
    const ssize_t n = ::read(m_fd, dst, max);
    if (n >= 0) return static_cast<std::size_t>(n);
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) OnIoError("read", errno);
    return 0;
  }
}

std::size_t CPosixSerialPort::Write(const std::uint8_t* src, std::size_t size) {
  if (m_fd < 0) return 0;
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(kWriteBudgetMs);
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(m_fd, src + done, size - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
      OnIoError("write", errno);
      return done;
    }
    // Driver buffer full: wait for room, but never past the budget.
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    pollfd p{m_fd, POLLOUT, 0};
    if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0) {
      m_lastError = m_path + ": write: output buffer full, " + std::to_string(size - done) + " bytes dropped";
      return done;
    }
    if ((p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
      DropGoneDevice("hang-up");
      return done;
    }
  }
  return done;
}

void CPosixSerialPort::Purge() {
  if (m_fd < 0) return;
  if (::tcflush(m_fd, TCIFLUSH) != 0) OnIoError("purge", errno);
}

std::string CPosixSerialPort::DeviceName(int comNumber) const { return ComDevicePath(comNumber); }
