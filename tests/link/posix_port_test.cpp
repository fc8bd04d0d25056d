#include <errno.h>
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <numeric>
#include <optional>
#include <thread>

#include "link/OpenFailure.h"
#include "link/PosixSerialPort.h"
#include "base/Lang.h"
#include "support/ForkedProcess.h"
#include "support/Pty.h"

namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : m_name(name) {
    if (const char* old = std::getenv(name)) m_old = old;
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (m_old) {
      ::setenv(m_name.c_str(), m_old->c_str(), 1);
    } else {
      ::unsetenv(m_name.c_str());
    }
  }

 private:
  std::string m_name;
  std::optional<std::string> m_old;
};

// Reads everything the port gets until `count` bytes have come, as the
// tick would: only what QueuedBytes says is there.
Bytes ReadFromPort(CPosixSerialPort& port, std::size_t count) {
  const auto deadline = std::chrono::steady_clock::now() + 5s;
  Bytes out;
  while (out.size() < count && std::chrono::steady_clock::now() < deadline) {
    const std::size_t queued = port.QueuedBytes();
    if (queued == 0) {
      std::this_thread::yield();
      continue;
    }
    Bytes buf(queued);
    const std::size_t n = port.Read(buf.data(), buf.size());
    EXPECT_LE(n, queued);
    out.insert(out.end(), buf.begin(), buf.begin() + static_cast<std::ptrdiff_t>(n));
  }
  return out;
}

TEST(PosixSerialPort, OpensRawAt57600AndRestoresLineOnClose) {
  testsupport::Pty pty;
  ASSERT_TRUE(pty.Ok());
  // A cooked 9600 line with both kinds of flow control, to be undone.
  // (A pseudo-terminal keeps itself at 8 bits without parity.)
  termios before{};
  ASSERT_EQ(tcgetattr(pty.Master(), &before), 0);
  cfsetispeed(&before, B9600);
  cfsetospeed(&before, B9600);
  before.c_cflag |= CRTSCTS;
  before.c_iflag |= IXON | IXOFF | ICRNL;
  before.c_lflag |= ICANON | ECHO;
  ASSERT_EQ(tcsetattr(pty.Master(), TCSANOW, &before), 0);
  ASSERT_EQ(tcgetattr(pty.Master(), &before), 0);

  CPosixSerialPort port;
  {
    ScopedEnv com("VENTRIX_COM21", pty.SlavePath());
    ASSERT_TRUE(port.Open(21)) << port.LastError();
  }
  EXPECT_TRUE(port.IsOpen());
  EXPECT_EQ(port.DevicePath(), pty.SlavePath());

  termios t{};
  ASSERT_EQ(tcgetattr(pty.Master(), &t), 0);
  EXPECT_EQ(cfgetospeed(&t), speed_t(B57600));
  EXPECT_EQ(cfgetispeed(&t), speed_t(B57600));
  EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t(CS8));
  EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
  EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), tcflag_t(CLOCAL | CREAD));
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP), 0u);
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
  EXPECT_EQ(t.c_oflag & OPOST, 0u);
  EXPECT_EQ(t.c_cc[VMIN], 0);
  EXPECT_EQ(t.c_cc[VTIME], 0);

  port.Close();
  EXPECT_FALSE(port.IsOpen());
  termios after{};
  ASSERT_EQ(tcgetattr(pty.Master(), &after), 0);
  EXPECT_EQ(cfgetospeed(&after), speed_t(B9600));
  EXPECT_EQ(after.c_cflag, before.c_cflag);
  EXPECT_EQ(after.c_iflag, before.c_iflag);
  EXPECT_EQ(after.c_oflag, before.c_oflag);
  EXPECT_EQ(after.c_lflag, before.c_lflag);
  EXPECT_EQ(std::memcmp(after.c_cc, before.c_cc, sizeof before.c_cc), 0);
  port.Close();  // twice is harmless
}

TEST(PosixSerialPort, BytesPassUnchangedBothWays) {
  Bytes frame(152);
  std::iota(frame.begin(), frame.end(), std::uint8_t{0x40});
  Bytes allValues(256);
  std::iota(allValues.begin(), allValues.end(), std::uint8_t{0});
  Bytes controls = {0x11, 0x13, 0x0D, 0x0A, 0x03, 0x04, 0x1A, 0x7F, 0xFF, 0x00, 0x0D, 0x0D};

  testsupport::Pty pty;
  ASSERT_TRUE(pty.Ok());
  CPosixSerialPort port;
  ASSERT_TRUE(port.OpenDevice(pty.SlavePath())) << port.LastError();
  EXPECT_EQ(port.QueuedBytes(), 0u);
  std::uint8_t scratch[16];
  EXPECT_EQ(port.Read(scratch, sizeof scratch), 0u) << "nothing queued: returns at once with nothing";

  for (const Bytes* data : {&frame, &allValues, &controls}) {
    EXPECT_EQ(port.Write(data->data(), data->size()), data->size()) << port.LastError();
    EXPECT_EQ(pty.Receive(data->size()), *data) << "port to unit, " << data->size() << " bytes";

    ASSERT_TRUE(pty.Send(*data));
    EXPECT_EQ(ReadFromPort(port, data->size()), *data) << "unit to port, " << data->size() << " bytes";
  }
  EXPECT_TRUE(port.IsOpen());
}

TEST(PosixSerialPort, PurgeDropsQueuedInput) {
  testsupport::Pty pty;
  ASSERT_TRUE(pty.Ok());
  CPosixSerialPort port;
  ASSERT_TRUE(port.OpenDevice(pty.SlavePath())) << port.LastError();
  ASSERT_TRUE(pty.Send(Bytes(40, 0x55)));
  const auto deadline = std::chrono::steady_clock::now() + 5s;
  while (port.QueuedBytes() < 40 && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
  ASSERT_EQ(port.QueuedBytes(), 40u);
  port.Purge();
  EXPECT_EQ(port.QueuedBytes(), 0u);
  EXPECT_TRUE(port.IsOpen());
}

TEST(PosixSerialPort, OpenFailsCleanlyOnWhatIsNoSerialDevice) {
  char file[] = "/tmp/ventrix-notattyXXXXXX";
  const int fd = mkstemp(file);
  ASSERT_GE(fd, 0);
  close(fd);
  const struct {
    const char* path;
    OpenFailureKind why;
  } cases[] = {
      {"/nonexistent/ttyUSB0", OpenFailureKind::NoDevice},
      {"/dev/null", OpenFailureKind::NotSerial},
      {file, OpenFailureKind::NotSerial},
      {"/tmp", OpenFailureKind::NotSerial},
  };
  for (const auto& c : cases) {
    CPosixSerialPort port;
    EXPECT_FALSE(port.OpenDevice(c.path)) << c.path;
    EXPECT_FALSE(port.IsOpen()) << c.path;
    EXPECT_FALSE(port.LastError().empty()) << c.path;
    EXPECT_EQ(port.LastOpenFailure().kind, c.why) << c.path;
    EXPECT_EQ(port.LastOpenFailure().device, c.path);
    EXPECT_EQ(port.QueuedBytes(), 0u);
    const std::uint8_t b = 0;
    EXPECT_EQ(port.Write(&b, 1), 0u);
  }
  unlink(file);

  ScopedEnv com("VENTRIX_COM20", "/nonexistent/ttyUSB0");
  CPosixSerialPort port;
  EXPECT_FALSE(port.Open(20));
  EXPECT_FALSE(port.LastError().empty());
  EXPECT_EQ(port.LastOpenFailure().kind, OpenFailureKind::NoDevice);
  EXPECT_FALSE(port.Open(22)) << "a COM number with no device behind it";
  EXPECT_EQ(port.LastOpenFailure().kind, OpenFailureKind::NoDevice);
  EXPECT_EQ(port.LastOpenFailure().device, "");
}

TEST(PosixSerialPort, SecondOpenOfTheSameDeviceIsRefused) {
  testsupport::Pty pty;
  ASSERT_TRUE(pty.Ok());
  CPosixSerialPort first;
  ASSERT_TRUE(first.OpenDevice(pty.SlavePath())) << first.LastError();

  CPosixSerialPort second;
  EXPECT_FALSE(second.OpenDevice(pty.SlavePath()));
  EXPECT_FALSE(second.LastError().empty());
  EXPECT_EQ(second.LastOpenFailure().kind, OpenFailureKind::Busy);
  EXPECT_EQ(second.LastOpenFailure().holderPid, getpid());
  if (geteuid() != 0) {
    // Another program opening the device by hand: the kernel says no.
    const int fd = open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    EXPECT_LT(fd, 0);
    EXPECT_EQ(errno, EBUSY);
    if (fd >= 0) close(fd);
  }

  // The refused attempt leaves the holder working.
  const Bytes ping = {0x30, 0x31};
  EXPECT_EQ(first.Write(ping.data(), ping.size()), ping.size());
  EXPECT_EQ(pty.Receive(ping.size()), ping);

  first.Close();
  EXPECT_TRUE(second.OpenDevice(pty.SlavePath())) << "free again after close: " << second.LastError();
  EXPECT_EQ(second.LastOpenFailure().kind, OpenFailureKind::None);
}

TEST(PosixSerialPort, PortHeldByAnotherProgramIsBusyWithItsPidAndName) {
  testsupport::Pty pty;
  ASSERT_TRUE(pty.Ok());
  testsupport::ForkedProcess holder([&](const testsupport::ForkedProcess::Ready& ready) {
    CPosixSerialPort port;
    ready(port.OpenDevice(pty.SlavePath()));
  });
  ASSERT_TRUE(holder.WaitReady());

  CPosixSerialPort port;
  EXPECT_FALSE(port.OpenDevice(pty.SlavePath()));
  const OpenFailure why = port.LastOpenFailure();
  EXPECT_EQ(why.kind, OpenFailureKind::Busy);
  EXPECT_EQ(why.device, pty.SlavePath());
  EXPECT_EQ(why.holderPid, holder.Pid());
  // The holder is a fork of this test program; the kernel keeps 15 characters of a name.
  EXPECT_EQ(why.holderName, std::string(program_invocation_short_name).substr(0, 15));

  // The lock goes with its killed holder. The exclusive mark it leaves on the
  // pty (whose master we keep) only root can pass; without root the kernel
  // refuses the open before the lock is asked.
  holder.Kill();
  if (geteuid() == 0) {
    EXPECT_TRUE(port.OpenDevice(pty.SlavePath())) << "the lock went with its holder: " << port.LastError();
  }
}

// Run by PermissionDeniedNamesTheDevicesGroup as an unprivileged user:
// "<device>|<group>|<what the advice says>".
constexpr const char* kPermissionProbe = "VENTRIX_PERMISSION_PROBE";

// A device the user may not open: the failure names its group, for the fix
// (join the group) when it is a group of serial devices, and otherwise owner,
// group and mode, for the administrator. Root passes every permission check,
// so as root the test sets the devices up and runs itself again as nobody.
TEST(PosixSerialPort, PermissionDeniedNamesTheDevicesGroup) {
  if (geteuid() != 0) {
    std::string path, groupName, advice;
    char file[] = "/tmp/ventrix-noaccessXXXXXX";
    if (const char* probe = std::getenv(kPermissionProbe)) {
      const std::string p = probe;
      const std::size_t first = p.find('|'), second = p.find('|', first + 1);
      path = p.substr(0, first);
      groupName = p.substr(first + 1, second - first - 1);
      advice = p.substr(second + 1);
    } else {
      const int fd = mkstemp(file);
      ASSERT_GE(fd, 0);
      close(fd);
      ASSERT_EQ(chmod(file, 0), 0);
      path = file;
      const group* g = getgrgid(getegid());
      ASSERT_NE(g, nullptr);
      groupName = g->gr_name;
    }
    CPosixSerialPort port;
    EXPECT_FALSE(port.OpenDevice(path));
    EXPECT_EQ(port.LastOpenFailure().kind, OpenFailureKind::PermissionDenied) << port.LastError();
    EXPECT_EQ(port.LastOpenFailure().group, groupName);
    const std::string text = OpenFailureText(port.LastOpenFailure(), 2, kEnglish);
    EXPECT_NE(text.find(advice), std::string::npos) << text;
    if (path == file) unlink(file);
    return;
  }

  // A serial adapter as udev leaves it: root:dialout, mode 0660.
  const group* dialout = getgrnam("dialout");
  if (!dialout) GTEST_SKIP() << "no group dialout on this machine to give the device to";
  testsupport::Pty pty;
  ASSERT_TRUE(pty.Ok());
  ASSERT_EQ(chown(pty.SlavePath().c_str(), 0, dialout->gr_gid), 0);
  ASSERT_EQ(chmod(pty.SlavePath().c_str(), 0660), 0);
  // One left to root alone: joining its group would be no fix but a risk.
  testsupport::Pty rootOnly;
  ASSERT_TRUE(rootOnly.Ok());
  ASSERT_EQ(chown(rootOnly.SlavePath().c_str(), 0, 0), 0);
  ASSERT_EQ(chmod(rootOnly.SlavePath().c_str(), 0600), 0);

  char exe[4096] = {};
  ASSERT_GT(readlink("/proc/self/exe", exe, sizeof exe - 1), 0);
  // nobody must be able to reach and run this program.
  for (std::filesystem::path p = exe; p != p.root_path(); p = p.parent_path()) {
    struct stat st {};
    if (stat(p.c_str(), &st) != 0 || (st.st_mode & S_IXOTH) == 0)
      GTEST_SKIP() << p << " is closed to other users: cannot run the test as nobody";
  }
  const std::string setpriv = "/usr/bin/setpriv";
  if (access(setpriv.c_str(), X_OK) != 0) GTEST_SKIP() << "no " << setpriv << ": cannot run the test as nobody";

  const std::string filter = "--gtest_filter=PosixSerialPort.PermissionDeniedNamesTheDevicesGroup";
  std::vector<std::string> args = {setpriv, "--reuid=65534", "--regid=65534", "--clear-groups", exe, filter};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const std::string probes[] = {
      pty.SlavePath() + "|dialout|(sudo usermod -aG dialout $USER)",
      rootOnly.SlavePath() +
          "|root|the user \"root\" and the group \"root\" with the mode crw-------, which is no "
          "group for serial devices: ask the administrator",
  };
  for (const std::string& p : probes) {
    ScopedEnv probe(kPermissionProbe, p);
    pid_t pid = -1;
    ASSERT_EQ(posix_spawn(&pid, setpriv.c_str(), nullptr, nullptr, argv.data(), environ), 0);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the run as nobody failed; its output is above";
  }
}

TEST(PosixSerialPort, PulledCableDropsThePortQuietly) {
  auto pty = std::make_unique<testsupport::Pty>();
  ASSERT_TRUE(pty->Ok());
  const std::string path = pty->SlavePath();
  CPosixSerialPort port;
  ASSERT_TRUE(port.OpenDevice(path)) << port.LastError();

  pty->CloseMaster();
  const auto deadline = std::chrono::steady_clock::now() + 5s;
  while (port.IsOpen() && std::chrono::steady_clock::now() < deadline) {
    EXPECT_EQ(port.QueuedBytes(), 0u);
  }
  EXPECT_FALSE(port.IsOpen());
  EXPECT_FALSE(port.LastError().empty());
  EXPECT_EQ(port.QueuedBytes(), 0u);
  std::uint8_t buf[152] = {};
  EXPECT_EQ(port.Read(buf, sizeof buf), 0u);
  EXPECT_EQ(port.Write(buf, sizeof buf), 0u);
  port.Purge();
  port.Close();

  // The pseudo-terminal is gone with its master; unless another process
  // got the same number meanwhile, the path no longer opens.
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) {
    EXPECT_FALSE(port.OpenDevice(path));
    EXPECT_FALSE(port.IsOpen());
  }
}

TEST(PosixSerialPort, WriteToAVanishedUnitDropsThePort) {
  testsupport::Pty pty;
  ASSERT_TRUE(pty.Ok());
  CPosixSerialPort port;
  ASSERT_TRUE(port.OpenDevice(pty.SlavePath())) << port.LastError();
  pty.CloseMaster();
  std::uint8_t frame[152] = {};
  EXPECT_EQ(port.Write(frame, sizeof frame), 0u);
  EXPECT_FALSE(port.IsOpen());
  EXPECT_EQ(port.QueuedBytes(), 0u);
}

TEST(PosixSerialPort, FullOutputBufferIsReportedNotWaitedOn) {
  testsupport::Pty pty;  // nobody reads the master: the line backs up
  ASSERT_TRUE(pty.Ok());
  CPosixSerialPort port;
  ASSERT_TRUE(port.OpenDevice(pty.SlavePath())) << port.LastError();
  std::uint8_t frame[152] = {};
  std::size_t accepted = sizeof frame;
  int frames = 0;
  for (; frames < 20000 && accepted == sizeof frame; ++frames) accepted = port.Write(frame, sizeof frame);
  EXPECT_LT(accepted, sizeof frame) << "the buffer never filled in " << frames << " frames";
  EXPECT_FALSE(port.LastError().empty());
  EXPECT_TRUE(port.IsOpen()) << "a full buffer is no lost device";
}

}  // namespace
