#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <numeric>
#include <optional>
#include <thread>

#include "link/PosixSerialPort.h"
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
  const char* paths[] = {"/nonexistent/ttyUSB0", "/dev/null", file, "/tmp"};
  for (const char* path : paths) {
    CPosixSerialPort port;
    EXPECT_FALSE(port.OpenDevice(path)) << path;
    EXPECT_FALSE(port.IsOpen()) << path;
    EXPECT_FALSE(port.LastError().empty()) << path;
    EXPECT_EQ(port.QueuedBytes(), 0u);
    const std::uint8_t b = 0;
    EXPECT_EQ(port.Write(&b, 1), 0u);
  }
  unlink(file);

  ScopedEnv com("VENTRIX_COM20", "/nonexistent/ttyUSB0");
  CPosixSerialPort port;
  EXPECT_FALSE(port.Open(20));
  EXPECT_FALSE(port.LastError().empty());
}

TEST(PosixSerialPort, SecondOpenOfTheSameDeviceIsRefused) {
  testsupport::Pty pty;
  ASSERT_TRUE(pty.Ok());
  CPosixSerialPort first;
  ASSERT_TRUE(first.OpenDevice(pty.SlavePath())) << first.LastError();

  CPosixSerialPort second;
  EXPECT_FALSE(second.OpenDevice(pty.SlavePath()));
  EXPECT_FALSE(second.LastError().empty());
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
