#include <gtest/gtest.h>

#include <memory>

#include "core/AppCore.h"
#include "link/LinkStats.h"
#include "base/Lang.h"
#include "support/FakePort.h"
#include "support/RecordingView.h"

namespace {

TEST(LinkRateMeter, FramesPerSecondBetweenReadings) {
  struct Step {
    std::uint64_t sent, received;
    std::int64_t atMs;
    double sentPerSecond, receivedPerSecond;
    const char* why;
  };
  const Step steps[] = {
      {100, 90, 5000, 0, 0, "the first reading has nothing to compare with"},
      {110, 95, 6000, 10, 5, "one second"},
      {113, 95, 6500, 6, 0, "half a second"},
      {120, 99, 6700, 6, 0, "200 ms is too short for a rate: the last one stays"},
      {133, 103, 7500, 20, 8, "so the next spans the whole second since 6500"},
      {2, 1, 8500, 0, 0, "a fresh core's counters start again"},
      {7, 3, 9500, 5, 2, "and count from there"},
  };
  CLinkRateMeter meter;
  for (const Step& s : steps) {
    LinkCounters c;
    c.framesSent = s.sent;
    c.framesReceived = s.received;
    const LinkRates r = meter.Sample(c, s.atMs);
    EXPECT_DOUBLE_EQ(r.sentPerSecond, s.sentPerSecond) << s.why;
    EXPECT_DOUBLE_EQ(r.receivedPerSecond, s.receivedPerSecond) << s.why;
  }
}

class LinkCountersTest : public ::testing::Test {
 protected:
  LinkCountersTest() : core(view, std::make_unique<FakePort>()), port(static_cast<FakePort&>(core.Port())) {
    SetCurrentLanguage(0);
    core.textSlots.Apply(0);
    core.linkClock = [] { return std::int64_t{1'765'400'000'000}; };
  }
  void TickTo(int last) {
    while (core.tickCount < last) core.Tick();
  }
  const LinkCounters& stats() const { return core.linkStats; }

  RecordingView view;
  CAppCore core;
  FakePort& port;
};

// Each exchange ends one way: answered well, answered spoilt (a check-byte
// failure, not a timeout: the unit did answer) or not answered (a timeout).
TEST_F(LinkCountersTest, IdleLinkCountsEachExchangeOnce) {
  core.OpenPort();
  TickTo(6);  // block-0 request
  port.Queue(UnitReply(0xC0));
  TickTo(12);  // answered; a status request goes out
  Frame corrupt = UnitReply(0xB0);
  corrupt[151] ^= 0x01;
  port.Queue(corrupt);
  TickTo(13);
  EXPECT_EQ(stats().checkByteFailures, 1u);
  EXPECT_EQ(stats().lastError, LinkError::kCheckByte);
  EXPECT_EQ(stats().lastErrorAtMs, 1'765'400'000'000);
  TickTo(18);  // the next request, behind the one answered spoilt
  EXPECT_EQ(stats().timeouts, 0u);
  EXPECT_EQ(stats().lastError, LinkError::kCheckByte) << "the unit answered every frame so far";
  TickTo(24);  // and one more, behind one that got no answer at all

  EXPECT_EQ(stats().framesSent, 4u);
  EXPECT_EQ(stats().framesReceived, 2u);
  EXPECT_EQ(stats().checkByteFailures, 1u);
  EXPECT_EQ(stats().timeouts, 1u);
  EXPECT_EQ(stats().retries, 0u) << "idle requests are not repeated";
  EXPECT_EQ(stats().lastError, LinkError::kNoAnswer);
}

// The answer to a frame comes a tick after it went out; a reading between
// the two must not make the rates differ when every frame is answered.
TEST(LinkRateMeter, AFrameStillOnItsWayDoesNotCountYet) {
  struct Step {
    std::uint64_t sent, received;
    bool awaiting;
    std::int64_t atMs;
    double sentPerSecond, receivedPerSecond;
  };
  const Step steps[] = {
      {10, 10, false, 0, 0, 0},   {13, 12, true, 1000, 2, 2}, {16, 16, false, 2000, 4, 4},
      {19, 18, true, 3000, 2, 2}, {20, 18, true, 4000, 1, 0},  // the unit went quiet: one unanswered
  };
  CLinkRateMeter meter;
  for (const Step& s : steps) {
    LinkCounters c;
    c.framesSent = s.sent;
    c.framesReceived = s.received;
    c.awaitingAnswer = s.awaiting;
    const LinkRates r = meter.Sample(c, s.atMs);
    EXPECT_DOUBLE_EQ(r.sentPerSecond, s.sentPerSecond) << s.atMs;
    EXPECT_DOUBLE_EQ(r.receivedPerSecond, s.receivedPerSecond) << s.atMs;
  }
}

TEST_F(LinkCountersTest, ReadWithoutAnswersCountsRepeatsThenTheFailure) {
  core.OpenPort();
  core.StartRead();
  TickTo(36);  // 5 sends of block 0 at ticks 6..30, the run fails at 36
  EXPECT_EQ(stats().framesSent, 5u);
  EXPECT_EQ(stats().retries, 4u);
  EXPECT_EQ(stats().timeouts, 4u);
  EXPECT_EQ(stats().framesReceived, 0u);
  EXPECT_EQ(stats().lastError, LinkError::kRunFailed);
  EXPECT_EQ(core.mode, LinkMode::Idle);
}

// A port that takes part of each frame, as a dying USB adapter may.
class ShortWritePort : public FakePort {
 public:
  std::size_t Write(const std::uint8_t* src, std::size_t size) override { return FakePort::Write(src, size) / 2; }
};

TEST_F(LinkCountersTest, PortFailuresAreTheLastErrorAndSendNothing) {
  core.portIndex = 6;  // COM7 does not exist
  core.OpenPort();
  TickTo(18);
  EXPECT_EQ(stats().lastError, LinkError::kPortNotOpened);
  EXPECT_EQ(stats().framesSent, 0u);
  EXPECT_EQ(stats().timeouts, 0u) << "nothing went out, so nothing went unanswered";

  RecordingView otherView;
  CAppCore shortWrites(otherView, std::make_unique<ShortWritePort>());
  shortWrites.OpenPort();
  while (shortWrites.tickCount < 12) shortWrites.Tick();
  EXPECT_EQ(shortWrites.linkStats.lastError, LinkError::kWriteFailed);
  EXPECT_EQ(shortWrites.linkStats.framesSent, 0u);
  EXPECT_EQ(shortWrites.linkStats.timeouts, 0u);
}

}  // namespace
