#include <gtest/gtest.h>

#include <vector>

#include "SimPort.h"

namespace {

Frame StatusFrame() {
  Frame f{};
  f[0] = 0x30;
  f[151] = 0xCF;
  return f;
}

TEST(SimPortTest, OnlyConfiguredPortsOpen) {
  CUnitSim sim;
  CSimPort port(sim, {2, 5});
  struct Case {
    int com;
    bool opens;
  } const cases[] = {{1, false}, {2, true}, {3, false}, {5, true}, {21, false}};
  for (const auto& c : cases) {
    EXPECT_EQ(port.Open(c.com), c.opens) << c.com;
    EXPECT_EQ(port.IsOpen(), c.opens) << c.com;
  }
  EXPECT_EQ(port.OpenAttempts(), 5);
  EXPECT_EQ(port.FailedOpens(), 3);
}

TEST(SimPortTest, WrittenFramesAreKeptAndAnswered) {
  CUnitSim sim;
  CSimPort port(sim);
  const Frame status = StatusFrame();
  EXPECT_EQ(port.Write(status.data(), status.size()), 0u);  // closed: nothing goes out
  ASSERT_TRUE(port.Open(2));
  EXPECT_EQ(port.Write(status.data(), status.size()), 152u);
  ASSERT_EQ(port.FramesWritten(), 1u);
  EXPECT_EQ(port.WrittenFrames()[0], status);
  ASSERT_EQ(port.QueuedBytes(), 152u);
  std::vector<std::uint8_t> buf(400);
  ASSERT_EQ(port.Read(buf.data(), buf.size()), 152u);
  EXPECT_EQ(buf[0], 0xB0);
  EXPECT_EQ(port.QueuedBytes(), 0u);
}

TEST(SimPortTest, DelayedReplyWaitsForTheClock) {
  UnitSimConfig cfg;
  cfg.faults.delayMs = 120;
  CUnitSim sim(cfg);
  CSimPort port(sim);
  ASSERT_TRUE(port.Open(2));
  const Frame status = StatusFrame();
  port.Write(status.data(), status.size());
  port.AdvanceMs(119);
  EXPECT_EQ(port.QueuedBytes(), 0u);
  port.AdvanceMs(1);
  EXPECT_EQ(port.QueuedBytes(), 152u);
}

TEST(SimPortTest, PulledCableKeepsThePortDeadUntilReopened) {
  CUnitSim sim;
  CSimPort port(sim);
  ASSERT_TRUE(port.Open(2));
  const Frame status = StatusFrame();
  port.Write(status.data(), status.size());
  port.Unplug();
  EXPECT_EQ(port.QueuedBytes(), 0u);  // the reply on the line is lost
  EXPECT_EQ(port.Write(status.data(), status.size()), 0u);
  EXPECT_EQ(sim.Stats().framesAccepted, 1);
  EXPECT_FALSE(port.Open(2));

  port.Plug();
  EXPECT_EQ(port.QueuedBytes(), 0u);
  ASSERT_TRUE(port.Open(2));
  port.Write(status.data(), status.size());
  EXPECT_EQ(port.QueuedBytes(), 152u);
  port.Purge();
  EXPECT_EQ(port.QueuedBytes(), 0u);
}

}  // namespace
