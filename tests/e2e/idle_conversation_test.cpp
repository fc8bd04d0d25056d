#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <chrono>
#include <memory>
#include <thread>

#include "core/AppCore.h"
#include "link/PosixSerialPort.h"
#include "support/RecordingView.h"
#include "support/SimProcess.h"

namespace {

// The core with the real serial code on a pseudo-terminal, the simulated
// unit at the other end. The tick runs faster than 55 ms: the core counts
// ticks, and a pseudo-terminal has no line delay.
class IdleConversation : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(sim.Ok()) << "simulator did not start";
    ::setenv("VENTRIX_COM2", sim.Device().c_str(), 1);
    core = std::make_unique<CAppCore>(view, std::make_unique<CPosixSerialPort>());
    core->textSlots.Apply(0);
    core->OpenPort();
    ASSERT_TRUE(core->Port().IsOpen()) << view.portLabel;
  }
  void TearDown() override { ::unsetenv("VENTRIX_COM2"); }

  // Runs `ticks` ticks; returns how many of them received a valid frame.
  // With `awaitReplies` a tick after a frame went out waits (bounded) for
  // the answer to start arriving, so a loaded machine or a sanitizer build
  // cannot make a punctual unit look late.
  int Run(int ticks, bool awaitReplies = false) {
    int received = 0;
    for (int i = 0; i < ticks; ++i) {
      core->Tick();
      if (core->silenceTicks == 1) ++received;  // reset by a frame, then counted once
      maxSilence = std::max<int>(maxSilence, core->silenceTicks);
      std::this_thread::sleep_for(std::chrono::milliseconds(8));
      if (awaitReplies && core->linkStats.framesSent > core->linkStats.framesReceived) {
        for (int wait = 0; wait < 250 && core->Port().QueuedBytes() == 0; ++wait)
          std::this_thread::sleep_for(std::chrono::milliseconds(2));
        std::this_thread::sleep_for(std::chrono::milliseconds(4));  // the rest of the frame
      }
    }
    return received;
  }

  testsupport::SimProcess sim{VENTRIX_UNITSIM_EXE};
  RecordingView view;
  std::unique_ptr<CAppCore> core;
  int maxSilence = 0;
};

TEST_F(IdleConversation, StatusFramesAreAnsweredAndTheLinkStaysUp) {
  Run(12);  // first exchange
  maxSilence = 0;
  const int received = Run(6 * 30, true);
  EXPECT_GE(received, 28) << "one reply per frame sent every 6 ticks";
  EXPECT_LE(maxSilence, 7) << "every frame answered before the next one is due";
  EXPECT_FALSE(view.noConnectionVisible);
  EXPECT_TRUE(view.versionVisible);
  EXPECT_EQ(core->unitInfo[10], 83) << "the block-0 request brought the identity record";
}

TEST_F(IdleConversation, SilentUnitShowsNoConnectionAndThePortIsReopened) {
  Run(30);
  ASSERT_FALSE(view.noConnectionVisible);
  sim.Signal(SIGUSR1);  // the unit stops answering
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  Run(6 + 25);
  EXPECT_TRUE(view.noConnectionVisible);
  EXPECT_FALSE(view.versionVisible);
  Run(35);  // the watchdog's silent reopen
  EXPECT_TRUE(core->Port().IsOpen());
  EXPECT_TRUE(view.messageBoxes.empty());

  sim.Signal(SIGUSR1);  // answering again
  Run(12);
  EXPECT_FALSE(view.noConnectionVisible);
}

TEST_F(IdleConversation, PulledCableEndsInNoConnectionWithoutACrash) {
  Run(30);
  sim.Stop();
  Run(6 + 30 + 35);
  EXPECT_TRUE(view.noConnectionVisible);
  EXPECT_TRUE(view.messageBoxes.empty()) << "the watchdog reopens silently";
}

}  // namespace
