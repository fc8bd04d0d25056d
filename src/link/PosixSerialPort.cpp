#include "link/PosixSerialPort.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

#include "link/PortNames.h"

namespace {

bool IsGoneErrno(int err) { return err == EIO || err == ENXIO || err == ENODEV || err == EBADF; }

std::string ErrText(int err) { return std::strerror(err); }

OpenFailureKind KindOfOpenErrno(int err) {
  switch (err) {
    case ENOENT:
    case ENOTDIR:
    case ENXIO:
    case ENODEV:
      return OpenFailureKind::NoDevice;
    case EACCES:
    case EPERM:
      return OpenFailureKind::PermissionDenied;
    case EBUSY:
      return OpenFailureKind::Busy;
    case EISDIR:
      return OpenFailureKind::NotSerial;
    default:
      return OpenFailureKind::Other;
  }
}

// The name of group `gid` ("dialout"), its number when it has no name.
std::string GroupName(gid_t gid) {
  group g{};
  group* found = nullptr;
  // A group with many members needs more room than most.
  for (std::vector<char> buf(4096); buf.size() <= (1u << 20); buf.resize(buf.size() * 2)) {
    const int err = ::getgrgid_r(gid, &g, buf.data(), buf.size(), &found);
    if (err == 0 && found) return found->gr_name;
    if (err != ERANGE) break;
  }
  return std::to_string(gid);
}

// The name of user `uid` ("root"), its number when it has no name.
std::string UserName(uid_t uid) {
  passwd p{};
  passwd* found = nullptr;
  for (std::vector<char> buf(4096); buf.size() <= (1u << 20); buf.resize(buf.size() * 2)) {
    const int err = ::getpwuid_r(uid, &p, buf.data(), buf.size(), &found);
    if (err == 0 && found) return found->pw_name;
    if (err != ERANGE) break;
  }
  return std::to_string(uid);
}

// Owner, group and mode of the device a user may not open, and the groups
// of the machine's other serial devices, so the advice names a group only
// when it is one for serial ports.
void FillPermissionDetails(OpenFailure& f) {
  struct stat st {};
  if (::stat(f.device.c_str(), &st) != 0) return;
  f.group = GroupName(st.st_gid);
  f.owner = UserName(st.st_uid);
  f.mode = st.st_mode;
  static constexpr std::string_view kSerialNames[] = {"ttyS", "ttyUSB", "ttyACM", "ttyAMA", "rfcomm"};
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/dev", ec)) {
    const std::string name = entry.path().filename().string();
    if (entry.path() == f.device) continue;
    if (std::none_of(std::begin(kSerialNames), std::end(kSerialNames),
                     [&](std::string_view prefix) { return name.starts_with(prefix); }))
      continue;
    struct stat other {};
    if (::stat(entry.path().c_str(), &other) != 0 || !S_ISCHR(other.st_mode)) continue;
    std::string g = GroupName(other.st_gid);
    if (std::find(f.serialGroups.begin(), f.serialGroups.end(), g) == f.serialGroups.end())
      f.serialGroups.push_back(std::move(g));
  }
}

std::string CommandName(int pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/comm");
  std::string name;
  std::getline(in, name);
  return name;
}

// The process that holds an flock() lock on the file `st` describes. The
// kernel lists every lock in /proc/locks, readable by all users, as
// "1: FLOCK  ADVISORY  WRITE <pid> <major>:<minor>:<inode> 0 EOF" with the
// file system's device in hex; waiters carry "->" and hold nothing.
int FlockHolderPid(const struct stat& st) {
  char key[64];
  std::snprintf(key, sizeof key, "%02x:%02x:%lu", ::major(st.st_dev), ::minor(st.st_dev),
                static_cast<unsigned long>(st.st_ino));
  std::ifstream in("/proc/locks");
  for (std::string line; std::getline(in, line);) {
    std::istringstream fields(line);
    std::string number, type, mode, access, file;
    int pid = 0;
    fields >> number >> type >> mode >> access >> pid >> file;
    if (type == "FLOCK" && file == key && pid > 0) return pid;
  }
  return 0;
}

// Another process with the terminal `rdev` open, found in /proc/*/fd. Only
// the processes we may look into take part: our own user's, or all of them
// for root.
int OpenerPid(dev_t rdev) {
  namespace fs = std::filesystem;
  const std::string self = std::to_string(::getpid());
  std::error_code ec;
  for (fs::directory_iterator p("/proc", ec), end; !ec && p != end; p.increment(ec)) {
    const std::string pid = p->path().filename().string();
    if (pid == self || pid.find_first_not_of("0123456789") != std::string::npos) continue;
    std::error_code fdEc;
    for (fs::directory_iterator fd(p->path() / "fd", fdEc), fdEnd; !fdEc && fd != fdEnd; fd.increment(fdEc)) {
      struct stat st {};
      if (::stat(fd->path().c_str(), &st) == 0 && S_ISCHR(st.st_mode) && st.st_rdev == rdev) return std::stoi(pid);
    }
  }
  return 0;
}

// Who keeps `path` busy: the holder of its lock, else any other process that
// has it open; 0 when neither can be seen.
int HolderPid(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return 0;
  if (const int pid = FlockHolderPid(st)) return pid;
  return S_ISCHR(st.st_mode) ? OpenerPid(st.st_rdev) : 0;
}

}  // namespace

CPosixSerialPort::~CPosixSerialPort() { Close(); }

bool CPosixSerialPort::Open(int comNumber) {
  Close();
  const std::string path = ComDevicePath(comNumber);
  if (path.empty()) {
    m_lastError = "COM" + std::to_string(comNumber) + ": no serial device";
    m_failure = {};
    m_failure.kind = OpenFailureKind::NoDevice;
    return false;
  }
  return OpenDevice(path);
}

bool CPosixSerialPort::Fail(OpenFailureKind kind, const std::string& what, int err) {
  m_lastError = m_path + ": " + what + ": " + ErrText(err);
  m_failure = {};
  m_failure.kind = kind;
  m_failure.device = m_path;
  if (kind == OpenFailureKind::Other) m_failure.system = ErrText(err);
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
  m_path.clear();
  return false;
}

bool CPosixSerialPort::OpenDevice(const std::string& path) {
  Close();
  m_lastError.clear();
  m_failure = {};
  m_path = path;
  m_fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (m_fd < 0) {
    // EBUSY: the terminal carries TIOCEXCL, and only a process with
    // CAP_SYS_ADMIN may open it then. Its holder may be alive, or may have
    // been killed on a terminal that outlives it (a pty whose other side is
    // still open keeps the flag). Without the privilege nothing here can
    // tell the two apart or clear the flag, since that needs an open
    // descriptor; we can only name a process that has the device open.
    // The flag goes when the terminal's last descriptor closes (a USB
    // adapter's on its own; a pty's when the program on the other side
    // ends).
    const int err = errno;
    return Fail(KindOfOpenErrno(err), "open", err);
  }
  if (!::isatty(m_fd)) return Fail(OpenFailureKind::NotSerial, "not a serial device", ENOTTY);

  // The lock decides whether the port is busy, also between programs that
  // run as root and pass TIOCEXCL. It goes with the descriptor, so no
  // holder, however it ended, leaves it behind.
  if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
    const int err = errno;
    if (err == EWOULDBLOCK) return Fail(OpenFailureKind::Busy, "in use by another program", EBUSY);
    return Fail(OpenFailureKind::Other, "lock", err);
  }
  // The lock is ours, so a TIOCEXCL flag still on the terminal (TIOCGEXCL)
  // was left by a holder that was killed; only root gets this far past it.
  // Setting it again makes it ours (clearing it first would change nothing).
  // A program that sets the flag without locking loses the port to root
  // here; that is the price of never being locked out for good.
  if (::ioctl(m_fd, TIOCEXCL) != 0) return Fail(OpenFailureKind::Other, "exclusive mode", errno);

  if (::tcgetattr(m_fd, &m_saved) != 0) return Fail(OpenFailureKind::Other, "read line settings", errno);
  termios t = m_saved;
  ::cfmakeraw(&t);
  t.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
  t.c_cflag |= CS8 | CLOCAL | CREAD;
  t.c_iflag &= ~(IXON | IXOFF | IXANY);
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
  if (::cfsetispeed(&t, B57600) != 0 || ::cfsetospeed(&t, B57600) != 0)
    return Fail(OpenFailureKind::Other, "set speed", errno);
  if (::tcsetattr(m_fd, TCSANOW, &t) != 0) return Fail(OpenFailureKind::Other, "set line settings", errno);
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

OpenFailure CPosixSerialPort::LastOpenFailure() const {
  // The details cost a look through /proc or the group database, so they are
  // found when asked for, not on each of the watchdog's silent reopens.
  OpenFailure f = m_failure;
  if (f.kind == OpenFailureKind::PermissionDenied) FillPermissionDetails(f);
  if (f.kind == OpenFailureKind::Busy) {
    f.holderPid = HolderPid(f.device);
    if (f.holderPid > 0) f.holderName = CommandName(f.holderPid);
  }
  return f;
}

std::string CPosixSerialPort::MenuDetail(int comNumber) const {
  const std::string path = ComDevicePath(comNumber);
  return path.empty() ? std::string() : PortMenuDetail(path);
}
