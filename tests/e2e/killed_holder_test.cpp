#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "core/AppCore.h"
#include "link/PosixSerialPort.h"
#include "support/ForkedProcess.h"
#include "support/PtyUnit.h"
#include "support/RecordingView.h"
#include "support/SimProcess.h"

namespace {

// One tick, then a wait for the simulator's reply, if one is coming, so the
// next tick finds it queued.
void TickAndWaitForReply(CAppCore& core) {
  core.Tick();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(50);
  while (core.Port().QueuedBytes() < kFrameSize && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

bool RunUntil(CAppCore& core, const std::function<bool()>& done, int limit) {
  for (int i = 0; i < limit && !done(); ++i) TickAndWaitForReply(core);
  return done();
}

// A core that holds COM2 and has talked to the unit, in another process.
bool HoldThePortAndTalk(const std::function<void()>& pump, const testsupport::ForkedProcess::Ready& ready) {
  RecordingView view;
  CAppCore core(view, std::make_unique<CPosixSerialPort>());
  core.textSlots.Apply(kEnglish);
  core.OpenPort();
  bool talking = false;
  for (int i = 0; i < 60 && core.Port().IsOpen() && !talking; ++i) {
    TickAndWaitForReply(core);
    pump();
    talking = core.unitInfo[10] == kUnitVersion;  // the identity record came
  }
  ready(talking);
  return talking;
}

bool StillExclusive(const std::string& device) {
  const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return errno == EBUSY;
  int exclusive = 0;
  const bool known = ::ioctl(fd, TIOCGEXCL, &exclusive) == 0;
  ::close(fd);
  return known && exclusive != 0;
}

// A Ventrix killed while it holds the port leaves the terminal marked
// exclusive (TIOCEXCL): a pseudo-terminal keeps the mark while the unit's
// side stays open. The next start must still get the port.
class KilledHolder : public ::testing::Test {
 protected:
  void TearDown() override { ::unsetenv("VENTRIX_COM2"); }
};

// The program itself takes over a mark whose lock died with its holder.
TEST_F(KilledHolder, NextStartTakesTheLeftOverMarkAndReadsTheUnit) {
  if (geteuid() != 0)
    GTEST_SKIP() << "needs root: without CAP_SYS_ADMIN the kernel refuses to open a terminal left exclusive, "
                    "and only closing its last descriptor clears that";
  testsupport::PtyUnit unit;
  ASSERT_TRUE(unit.pty.Ok());
  ::setenv("VENTRIX_COM2", unit.pty.SlavePath().c_str(), 1);
  {
    // The child pumps its own copy of the unit through the shared master.
    testsupport::ForkedProcess first(
        [&](const testsupport::ForkedProcess::Ready& ready) { HoldThePortAndTalk([&] { unit.Pump(2); }, ready); });
    ASSERT_TRUE(first.WaitReady()) << "the first program did not get to talk to the unit";
    first.Kill();
  }
  ASSERT_TRUE(StillExclusive(unit.pty.SlavePath())) << "the killed program should have left the terminal exclusive";

  RecordingView view;
  CAppCore core(view, std::make_unique<CPosixSerialPort>());
  core.textSlots.Apply(kEnglish);
  core.OpenPort();
  ASSERT_TRUE(core.Port().IsOpen()) << static_cast<CPosixSerialPort&>(core.Port()).LastError();
  EXPECT_TRUE(view.messageBoxes.empty());
  core.StartRead();
  for (int i = 0; i < 200 && core.mode != LinkMode::Idle; ++i) {
    core.Tick();
    unit.Pump(2);
  }
  EXPECT_EQ(view.messageText, "Verify: OK");
}

// The simulator clears a mark nobody holds the lock for, as a real device's
// last close does, so even a start without root gets the port back.
TEST_F(KilledHolder, SimulatorClearsTheLeftOverMarkForAnyUser) {
  testsupport::SimProcess sim{VENTRIX_UNITSIM_EXE};
  ASSERT_TRUE(sim.Ok()) << "simulator did not start";
  ::setenv("VENTRIX_COM2", sim.Device().c_str(), 1);
  {
    testsupport::ForkedProcess first(
        [](const testsupport::ForkedProcess::Ready& ready) { HoldThePortAndTalk([] {}, ready); });
    ASSERT_TRUE(first.WaitReady()) << "the first program did not get to talk to the unit";
    first.Kill();
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  while (StillExclusive(sim.Device()) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ASSERT_FALSE(StillExclusive(sim.Device()));

  RecordingView view;
  CAppCore core(view, std::make_unique<CPosixSerialPort>());
  core.textSlots.Apply(kEnglish);
  core.OpenPort();
  ASSERT_TRUE(core.Port().IsOpen()) << static_cast<CPosixSerialPort&>(core.Port()).LastError();
  core.StartRead();
  const auto done = [&] { return core.mode == LinkMode::Idle; };
  EXPECT_TRUE(RunUntil(core, done, 200));
  EXPECT_EQ(view.messageText, "Verify: OK");
}

}  // namespace
