#include <gtest/gtest.h>
#include <stdlib.h>

#include <functional>
#include <memory>

#include "core/AppCore.h"
#include "image/Normalise.h"
#include "link/PosixSerialPort.h"
#include "support/PtyUnit.h"
#include "support/RandomImage.h"
#include "support/RecordingView.h"

namespace {

std::vector<int> Range(int first, int last) {
  std::vector<int> v;
  for (int c = first; c <= last; ++c) v.push_back(c);
  return v;
}
std::vector<int> Concat(std::initializer_list<std::vector<int>> parts) {
  std::vector<int> v;
  for (const auto& p : parts) v.insert(v.end(), p.begin(), p.end());
  return v;
}

CUnitSim UnitWith(const ConfigImage& image, SimFaults faults = {}) {
  UnitSimConfig config;
  config.image = image;
  config.faults = faults;
  return CUnitSim(config);
}

using testsupport::RandomImage;

// Read, verify and program through the real serial code on a pseudo-terminal.
class BlockTransfer : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(unit.pty.Ok());
    ::setenv("VENTRIX_COM2", unit.pty.SlavePath().c_str(), 1);
    core = std::make_unique<CAppCore>(view, std::make_unique<CPosixSerialPort>());
    core->textSlots.Apply(0);
    core->OpenPort();
    ASSERT_TRUE(core->Port().IsOpen());
    Run(8);  // the idle link is up
    unit.sent.clear();
  }
  void TearDown() override { ::unsetenv("VENTRIX_COM2"); }

  void Tick() {
    core->Tick();
    ++ticks;
    unit.Pump();
  }
  void Run(int n) {
    for (int i = 0; i < n; ++i) Tick();
  }
  // Ticks until the run is over; the number of ticks it took.
  int RunToIdle(int limit = 200) {
    const int start = ticks;
    do Tick();
    while (core->mode != LinkMode::Idle && ticks - start < limit);
    return ticks - start;
  }

  testsupport::PtyUnit unit;
  RecordingView view;
  std::unique_ptr<CAppCore> core;
  int ticks = 0;
};

TEST_F(BlockTransfer, ReadTakesTheUnitsImageAndVerifiesIt) {
  const ConfigImage unitImage = RandomImage(1);
  unit.sim = UnitWith(unitImage);
  core->StartRead();
  const int took = RunToIdle();
  EXPECT_EQ(unit.Commands(), Concat({{0x40}, Range(0x41, 0x53), Range(0x41, 0x53)}));
  EXPECT_TRUE(core->image == unitImage);
  EXPECT_EQ(core->imageMatchesUnit, 1);
  EXPECT_EQ(view.messageText, "Verify: OK");
  EXPECT_EQ(view.gauge, 20);
  EXPECT_EQ(core->unitInfo[10], 83);
  EXPECT_EQ(core->unitText, "Ventrix simulated unit");
  EXPECT_LE(took, 39 + 6 + 1) << "one block per exchange, no needless waits";
}

TEST_F(BlockTransfer, VerifyIgnoresImageByteOne) {
  const ConfigImage unitImage = RandomImage(2);
  unit.sim = UnitWith(unitImage);
  core->image = unitImage;
  core->image[1] ^= 0xFF;
  // The program's parameter set always holds its image; Verify commits the page from it.
  LoadParameterSet(core->image, core->params);
  core->StartVerify();
  RunToIdle();
  EXPECT_EQ(unit.Commands(), Range(0x41, 0x53));
  EXPECT_EQ(view.messageText, "Verify: OK");
  EXPECT_EQ(core->imageMatchesUnit, 1);
}

TEST_F(BlockTransfer, ProgramWritesIdentityThenEveryBlockThenVerifies) {
  core->image = RandomImage(3);
  core->StartProgram();
  RunToIdle();
  EXPECT_EQ(unit.Commands(), Concat({{0x00}, Range(0x01, 0x13), Range(0x41, 0x53)}));
  EXPECT_TRUE(unit.sim.Image() == core->image);
  EXPECT_EQ(core->imageMatchesUnit, 1);
  EXPECT_TRUE(core->programDone);
  for (bool dirty : core->dirtyBlocks) EXPECT_FALSE(dirty);
  Tick();
  EXPECT_EQ(view.messageText, "Program device: OK") << "the idle tick keeps the programming's OK";
}

TEST_F(BlockTransfer, ProgramAfterChangeWritesTheDirtyBlockAlone) {
  core->image = unit.sim.Image();
  core->image[700] ^= 0x11;
  core->dirtyBlocks[5] = true;
  core->ProgramDirtyBlocks();
  RunToIdle();
  EXPECT_EQ(unit.Commands(), std::vector<int>{0x05});
  EXPECT_EQ(unit.sim.Image()[700], core->image[700]);
  EXPECT_EQ(view.messageText, "Program device: OK");
}

TEST_F(BlockTransfer, UnitWithAnotherVersionStopsTheReadAtOnce) {
  unit.sim.SetVersion(82, 0);
  core->image = RandomImage(4);
  const ConfigImage before = core->image;
  core->StartRead();
  RunToIdle();
  Run(12);
  EXPECT_EQ(unit.Commands(), std::vector<int>{0x40});
  ASSERT_EQ(view.messageBoxes.size(), 1u);
  EXPECT_EQ(view.messageBoxes[0], "Unmatched version of PC and Ignition programs!  PC-83, IGN-82");
  EXPECT_TRUE(core->image == before);
  EXPECT_FALSE(view.messageVisible) << "no progress text left behind";
}

TEST_F(BlockTransfer, LostOrBrokenRepliesEndTheRunAfterFiveSends) {
  struct Case {
    SimFaults faults;
    void (CAppCore::*start)();
    int firstCommand;
    const char* error;
  };
  const Case cases[] = {
      {{.dropEvery = 1}, &CAppCore::StartRead, 0x40, "Read error!"},
      {{.corruptEvery = 1}, &CAppCore::StartVerify, 0x41, "Verify error!"},
      {{.dropEvery = 1}, &CAppCore::StartProgram, 0x00, "Program error!"},
  };
  for (const auto& c : cases) {
    unit.sim.SetFaults(c.faults);
    unit.sent.clear();
    core->imageMatchesUnit = 1;
    (core.get()->*c.start)();
    RunToIdle();
    EXPECT_EQ(unit.Commands(), std::vector<int>(5, c.firstCommand)) << c.error;
    EXPECT_EQ(view.messageText, c.error);
    EXPECT_EQ(view.messageColour, clRed);
    EXPECT_EQ(core->imageMatchesUnit, 0) << c.error;
  }
  EXPECT_TRUE(core->dirtyBlocks[0]) << "a block that was never written stays dirty";
}

TEST_F(BlockTransfer, EveryThirdReplyLostStillReadsEverything) {
  const ConfigImage unitImage = RandomImage(5);
  unit.sim = UnitWith(unitImage, {.dropEvery = 3});
  core->StartRead();
  RunToIdle(800);
  EXPECT_EQ(view.messageText, "Verify: OK");
  EXPECT_TRUE(core->image == unitImage);
  // Each frame went out at most 5 times in a row.
  const auto commands = unit.Commands();
  int run = 1;
  for (std::size_t i = 1; i < commands.size(); ++i) {
    run = commands[i] == commands[i - 1] ? run + 1 : 1;
    EXPECT_LE(run, 5);
  }
}

TEST_F(BlockTransfer, ChangedBlockOfTheShownMapIsFetchedFirst) {
  struct Case {
    int page;
    int map;
    std::vector<int> expected;
  };
  const Case cases[] = {
      {2, 0, {0x46, 0x41}},  // injection map 1 shown: its block 6 first
      {0, -1, {0x41, 0x46}},
  };
  for (const auto& c : cases) {
    view.activePage = c.page;
    view.shownMap = c.map;
    unit.sim.ChangeOnUnit(10, 0x77);   // block 1
    unit.sim.ChangeOnUnit(760, 0x66);  // block 6
    unit.sent.clear();
    Run(30);
    EXPECT_EQ(unit.Commands(), c.expected);
    EXPECT_EQ(core->image[10], 0x77);
    EXPECT_EQ(core->image[760], 0x66);
    EXPECT_EQ(core->changedBlocks, 0);
    // A fetched block is followed by a status frame at once.
    ASSERT_GE(unit.sent.size(), 2u);
  }
}

TEST_F(BlockTransfer, UnitTuningChangesAreFetchedWhileTuningIsOn) {
  core->image = unit.sim.Image();
  core->tuningOn = true;
  // The unit tunes once the simulated ride leaves idle.
  for (int i = 0; i < 1200 && unit.sim.TuningSteps() < 2; ++i) Tick();
  ASSERT_GE(unit.sim.TuningSteps(), 2);
  Run(12);
  EXPECT_TRUE(core->image == unit.sim.Image()) << "every block the unit tuned has been read back";
}

}  // namespace
