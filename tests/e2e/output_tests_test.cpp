#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "core/AppCore.h"
#include "support/CoreOnDevice.h"
#include "support/PtyUnit.h"

namespace {

// Output tests and the tuning switch through the real serial code on a
// pseudo-terminal, the simulated unit at the other end.
class OutputTests : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(unit.pty.Ok());
    line = std::make_unique<testsupport::CoreOnDevice>(unit.pty.SlavePath());
    core = line->core.get();
    ASSERT_TRUE(core->Port().IsOpen());
    Run(8);  // the idle link is up
    unit.sent.clear();
  }

  void Tick() {
    core->Tick();
    unit.Pump();
  }
  void Run(int n) {
    for (int i = 0; i < n; ++i) Tick();
  }
  // Ticks until `count` more status frames have gone out; those frames.
  std::vector<Frame> NextStatusFrames(std::size_t count) {
    std::vector<Frame> frames;
    std::size_t seen = unit.sent.size();
    for (int i = 0; i < 200 && frames.size() < count; ++i) {
      Tick();
      for (; seen < unit.sent.size(); ++seen)
        if (unit.sent[seen][0] == 0x30) frames.push_back(unit.sent[seen]);
    }
    return frames;
  }
  std::array<std::uint8_t, 4> TestBytes(const Frame& f) { return {f[20], f[21], f[22], f[23]}; }
  // The unit's record of the requests: (status byte, bit, refused).
  std::vector<std::tuple<int, int, bool>> UnitRequests() const {
    std::vector<std::tuple<int, int, bool>> out;
    for (const auto& r : unit.sim.TestRequests()) out.emplace_back(r.statusByte, r.bit, r.refused);
    return out;
  }

  testsupport::PtyUnit unit;
  std::unique_ptr<testsupport::CoreOnDevice> line;
  CAppCore* core = nullptr;
};

TEST_F(OutputTests, StatusFrameCarriesTheTuningBytesOfTheImageAndTheTuningSwitch) {
  // Status frame byte <- image byte: tuning mode, tacho/lambda switch item,
  // AFR/speed/throttle tolerances, revolutions per step, step, channel,
  // maximum acceleration correction, AFR min/max, throttle min, speed min,
  // temperature min/max.
  const std::pair<std::size_t, std::size_t> copies[] = {
      {2, 340},  {3, 341},  {6, 344},  {7, 345},  {8, 346},  {9, 347},  {10, 348}, {12, 350},
      {13, 351}, {14, 378}, {15, 379}, {16, 380}, {17, 381}, {18, 382}, {19, 383},
  };
  for (const auto& [frameByte, imageByte] : copies) core->image[imageByte] = static_cast<std::uint8_t>(100 + frameByte);
  core->image[341] = 2;  // a real item of the switch, still unlike every other byte sent
  for (std::size_t notSent : {342, 343, 349, 352, 377, 384}) core->image[notSent] = 0xEE;

  struct Case {
    bool toggleTuning;
    int byte1;
  };
  const Case cases[] = {{false, 0}, {true, 1}, {true, 0}};
  for (const auto& c : cases) {
    if (c.toggleTuning) core->MenuLadeniOnClick();
    const auto frames = NextStatusFrames(1);
    ASSERT_EQ(frames.size(), 1u);
    const Frame& f = frames[0];
    EXPECT_EQ(f[1], c.byte1) << "tuning on";
    for (const auto& [frameByte, imageByte] : copies)
      EXPECT_EQ(f[frameByte], core->image[imageByte]) << "frame byte " << frameByte << " from image byte " << imageByte;
    for (std::size_t i : {4, 5, 11}) EXPECT_EQ(f[i], 0) << i;
    for (std::size_t i = 20; i <= 150; ++i) ASSERT_EQ(f[i], 0) << i;
    EXPECT_TRUE(FrameIsValid(f));
    EXPECT_EQ(unit.sim.TuningOn(), c.byte1 == 1);
  }
  EXPECT_EQ(core->image[341], 2);
}

TEST_F(OutputTests, ClicksBeforeAStatusFrameTravelTogetherOnceAndTheUnitTakesEachOnce) {
  core->ButtonTestClick("ButtonTestJet1A");
  core->ButtonTestClick("ButtonTestJet3B");
  core->ButtonTestClick("ButtonTestJet1A");  // a second click asks for nothing more
  const auto frames = NextStatusFrames(3);
  ASSERT_EQ(frames.size(), 3u);
  EXPECT_EQ(TestBytes(frames[0]), (std::array<std::uint8_t, 4>{0x41, 0, 0, 0}));
  EXPECT_EQ(TestBytes(frames[1]), (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
  EXPECT_EQ(TestBytes(frames[2]), (std::array<std::uint8_t, 4>{0, 0, 0, 0}));

  using R = std::tuple<int, int, bool>;
  EXPECT_EQ(UnitRequests(), (std::vector<R>{{20, 0, false}, {20, 6, false}}));
  ASSERT_EQ(unit.sim.TestRequests().size(), 2u);
  EXPECT_EQ(TestRequestText(unit.sim.TestRequests()[0]), "test Injector 1A");
  EXPECT_EQ(TestRequestText(unit.sim.TestRequests()[1]), "test Injector 3B");
}

TEST_F(OutputTests, ClickDuringAReadTravelsInTheFirstStatusFrameAfterTheRun) {
  core->image = unit.sim.Image();
  core->StartRead();
  Run(10);
  ASSERT_EQ(core->mode, LinkMode::Reading);
  core->ButtonTestClick("ButtonTestIgn2");
  line->RunToIdle([&] { unit.Pump(); }, 300);
  ASSERT_EQ(line->view.messageText, "Verify: OK");
  for (const auto& f : unit.sent) EXPECT_NE(f[0], 0x30) << "no status frame during the run";
  EXPECT_TRUE(unit.sim.TestRequests().empty());

  const auto frames = NextStatusFrames(2);
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(TestBytes(frames[0]), (std::array<std::uint8_t, 4>{0, 0x02, 0, 0}));
  EXPECT_EQ(TestBytes(frames[1]), (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
  using R = std::tuple<int, int, bool>;
  EXPECT_EQ(UnitRequests(), (std::vector<R>{{21, 1, false}}));
}

TEST_F(OutputTests, TestLockOfTheUnitReachesTheCore) {
  EXPECT_FALSE(core->OutputTestsLocked());
  unit.sim.SetTestsLocked(true);
  NextStatusFrames(1);
  Run(2);  // the reply is decoded on a following tick
  EXPECT_TRUE(core->OutputTestsLocked());
  EXPECT_TRUE(core->live.outputTestsLocked);

  // A locked unit still takes Stop.
  core->ButtonTestClick("ButtonTestFuelPump");
  core->ButtonTestClick("ButtonTestStop");
  NextStatusFrames(1);
  using R = std::tuple<int, int, bool>;
  EXPECT_EQ(UnitRequests(), (std::vector<R>{{22, 1, true}, {22, 5, false}}));
  EXPECT_EQ(TestRequestText(unit.sim.TestRequests()[0]), "test Fuel pump refused: output tests locked");

  unit.sim.SetTestsLocked(false);
  NextStatusFrames(1);
  Run(2);
  EXPECT_FALSE(core->OutputTestsLocked());
}

// Regression: requests clicked before or during a release went out in the
// first status frame once the loader handed the port back.
TEST_F(OutputTests, RequestsDoNotOutliveAPortRelease) {
  core->ButtonTestClick("ButtonTestJet1A");
  core->OnPortReleaseMessage(1, 0x7FFFFFA2);  // reset the unit, then release the port
  core->ButtonTestClick("ButtonTestGas");
  for (int i = 0; i < 30 && core->portEnabled; ++i) Tick();
  ASSERT_FALSE(core->portEnabled) << "the unit answered the reset and the port was given away";
  ASSERT_EQ(unit.sim.Stats().resets, 1);
  core->ButtonTestClick("ButtonTestCooling");  // no unit behind the port now

  core->OnPortReleaseMessage(1, 0x7FFFFFA4);  // the port is free again
  ASSERT_TRUE(core->Port().IsOpen());
  const auto frames = NextStatusFrames(3);
  ASSERT_EQ(frames.size(), 3u);
  for (const auto& f : frames) EXPECT_EQ(TestBytes(f), (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
  EXPECT_TRUE(unit.sim.TestRequests().empty());

  core->ButtonTestClick("ButtonTestRpm");  // and the buttons work again
  ASSERT_EQ(NextStatusFrames(1).size(), 1u);
  using R = std::tuple<int, int, bool>;
  EXPECT_EQ(UnitRequests(), (std::vector<R>{{22, 4, false}}));
}

}  // namespace
