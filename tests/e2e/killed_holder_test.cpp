#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "core/AppCore.h"
#include "link/PosixSerialPort.h"
#include "support/ForkedProcess.h"
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

// A Ventrix killed while it holds the port leaves the terminal marked
// exclusive (TIOCEXCL): a pseudo-terminal keeps the mark while the
// simulator holds its other side. The next start must still get the port.
class KilledHolder : public ::testing::Test {
 protected:
  void TearDown() override { ::unsetenv("VENTRIX_COM2"); }
};

TEST_F(KilledHolder, NextStartGetsThePortAndReadsTheUnit) {
  if (geteuid() != 0)
    GTEST_SKIP() << "needs root: without CAP_SYS_ADMIN the kernel refuses to open a terminal left exclusive, "
                    "and only closing its last descriptor clears that";
  testsupport::SimProcess sim{VENTRIX_UNITSIM_EXE};
  ASSERT_TRUE(sim.Ok()) << "simulator did not start";
  ::setenv("VENTRIX_COM2", sim.Device().c_str(), 1);

  {
    testsupport::ForkedProcess first([](const testsupport::ForkedProcess::Ready& ready) {
      RecordingView view;
      CAppCore core(view, std::make_unique<CPosixSerialPort>());
      core.textSlots.Apply(kEnglish);
      core.OpenPort();
      const auto talking = [&] { return core.unitInfo[10] == kUnitVersion; };  // the identity record came
      ready(core.Port().IsOpen() && RunUntil(core, talking, 60));
    });
    ASSERT_TRUE(first.WaitReady()) << "the first program did not get to talk to the unit";
    first.Kill();
  }

  const int fd = ::open(sim.Device().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(fd, 0);
  int exclusive = 0;
  const bool known = ::ioctl(fd, TIOCGEXCL, &exclusive) == 0;
  ::close(fd);
  ASSERT_TRUE(known && exclusive) << "the killed program should have left the terminal exclusive";

  RecordingView view;
  CAppCore core(view, std::make_unique<CPosixSerialPort>());
  core.textSlots.Apply(kEnglish);
  core.OpenPort();
  ASSERT_TRUE(core.Port().IsOpen()) << static_cast<CPosixSerialPort&>(core.Port()).LastError();
  EXPECT_TRUE(view.messageBoxes.empty());
  core.StartRead();
  const auto done = [&] { return core.mode == LinkMode::Idle; };
  EXPECT_TRUE(RunUntil(core, done, 200));
  EXPECT_EQ(view.messageText, "Verify: OK");
}

}  // namespace
