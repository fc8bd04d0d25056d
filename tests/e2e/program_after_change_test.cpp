// "Programming after change" through the real serial code: each committed
// change reaches the unit at once as the blocks it touched, nothing else;
// Undo writes back what it restored; a Read is never disturbed.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "core/AppCore.h"
#include "image/MapStorage.h"
#include "support/CoreOnDevice.h"
#include "support/PtyUnit.h"

namespace {

// Restated wire facts: a block frame's command is the block number to
// write, or 0x40 + block to read; status frames are 0x30. The advance map
// starts at image byte 600, which is block 5.
constexpr int kAdvanceBlock = 0x05;
constexpr std::size_t kAdvanceCell = 600 + 2 * 15 + 3;  // row 2, column 3

class ProgramAfterChange : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(core->Port().IsOpen());
    core->StartRead();
    ASSERT_TRUE(RunToIdle());
    ASSERT_EQ(view.messageText, "Verify: OK");
    core->programAfterChange = true;
  }

  bool RunToIdle() {
    return link.RunToIdle([&] { unit.Pump(); }, 300) < 300;
  }

  // A committed edit of the advance map, as the page's sheet would make it.
  void CommitAdvanceStep(int delta) {
    view.onReadActivePage = [&] { core->params.Grid(MapId::kAdvance).At(2, 3) += delta; };
    core->CommitRequest(1, 0);
    view.onReadActivePage = nullptr;
  }

  // Block frames the program sent since the last call.
  std::vector<int> TakeCommands() {
    std::vector<int> c = unit.Commands();
    unit.sent.clear();
    return c;
  }

  testsupport::PtyUnit unit;
  testsupport::CoreOnDevice link{unit.pty.SlavePath()};
  RecordingView& view = link.view;
  std::unique_ptr<CAppCore>& core = link.core;
};

TEST_F(ProgramAfterChange, AChangeWritesItsBlockOnlyAndUndoWritesItBack) {
  const ConfigImage original = unit.sim.Image();
  TakeCommands();

  CommitAdvanceStep(+1);
  ASSERT_EQ(core->mode, LinkMode::Programming) << "the commit starts programming itself";
  ASSERT_TRUE(RunToIdle());
  EXPECT_EQ(TakeCommands(), std::vector<int>{kAdvanceBlock}) << "no identity block, no other block, no verify";
  EXPECT_EQ(unit.sim.Image()[kAdvanceCell], original[kAdvanceCell] + 1);
  EXPECT_TRUE(unit.sim.Image() == core->image);

  core->Undo();
  ASSERT_TRUE(RunToIdle());
  EXPECT_EQ(TakeCommands(), std::vector<int>{kAdvanceBlock});
  EXPECT_TRUE(unit.sim.Image() == original) << "the unit holds the image from before the change";

  core->Redo();
  ASSERT_TRUE(RunToIdle());
  EXPECT_EQ(TakeCommands(), std::vector<int>{kAdvanceBlock});
  EXPECT_EQ(unit.sim.Image()[kAdvanceCell], original[kAdvanceCell] + 1);
}

TEST_F(ProgramAfterChange, UndoDuringAReadLeavesTheReadAlone) {
  CommitAdvanceStep(+1);
  ASSERT_TRUE(RunToIdle());
  const ConfigImage unitImage = unit.sim.Image();

  core->StartRead();
  for (int i = 0; i < 20; ++i) {
    core->Tick();
    unit.Pump();
  }
  ASSERT_EQ(core->mode, LinkMode::Reading);
  EXPECT_EQ(core->Undo(), -1);
  EXPECT_EQ(core->mode, LinkMode::Reading) << "the Read goes on";
  ASSERT_TRUE(RunToIdle());
  EXPECT_EQ(view.messageText, "Verify: OK");
  EXPECT_TRUE(core->image == unitImage) << "the program holds what the unit sent";
  EXPECT_TRUE(unit.sim.Image() == unitImage) << "nothing was written to the unit";
}

}  // namespace
