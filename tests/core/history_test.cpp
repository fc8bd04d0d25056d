// The edit history through the core: what a commit, Undo and a Read mark
// dirty, and when programming after change starts.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "core/AppCore.h"
#include "image/FieldCatalogue.h"
#include "base/Lang.h"
#include "support/FakePort.h"
#include "support/RecordingView.h"

namespace {

// A view whose map sheets store a test's edit, as the advance sheet would.
class SheetView : public RecordingView {
 public:
  std::function<void()> onStoreMapSheets;
  void StoreMapSheets() override {
    if (onStoreMapSheets) onStoreMapSheets();
  }
};

class HistoryTest : public ::testing::Test {
 protected:
  HistoryTest() : core(view, std::make_unique<FakePort>()) {
    SetCurrentLanguage(0);
    core.textSlots.Apply(0);
    core.OpenPort();
    core.NormaliseAndLoad();
    core.ResetHistory();
  }

  std::vector<int> Dirty() const {
    std::vector<int> blocks;
    for (int b = 0; b < kBlockCount; ++b)
      if (core.dirtyBlocks[std::size_t(b)]) blocks.push_back(b);
    return blocks;
  }
  // An advance cell edited on the advance page and committed.
  void CommitAdvanceByte652(std::uint8_t value) {
    view.activePage = 1;
    view.onStoreMapSheets = [this, value] { core.image[652] = value; };
    core.CommitRequest(1, 0);
    view.onStoreMapSheets = nullptr;
  }

  SheetView view;
  CAppCore core;
};

TEST_F(HistoryTest, CommitMarksExactlyTheChangedBlockAndUnsettlesTheMatch) {
  core.imageMatchesUnit = 1;
  view.onReadActivePage = [this] { core.params.Value(FieldId::kGasStage1) = 40; };
  core.CommitRequest(1, 0);
  ASSERT_EQ(core.image[99], 40);  // block 1
  EXPECT_EQ(Dirty(), std::vector<int>{1});
  EXPECT_EQ(core.imageMatchesUnit, 0);
  EXPECT_EQ(core.mode, LinkMode::Idle);  // not programming without the check box
  EXPECT_TRUE(core.history.CanUndo());

  // The same commit again changes nothing and keeps the match.
  core.dirtyBlocks = {};
  core.imageMatchesUnit = 1;
  core.CommitRequest(1, 0);
  EXPECT_EQ(Dirty(), std::vector<int>{});
  EXPECT_EQ(core.imageMatchesUnit, 1);
}

TEST_F(HistoryTest, ProgrammingAfterChangeStartsWithTheChangedBlockAndUndoProgramsWhatItChanged) {
  core.programAfterChange = true;
  const std::uint8_t before = core.image[652];
  CommitAdvanceByte652(20);
  ASSERT_EQ(core.image[652], 20);
  EXPECT_EQ(Dirty(), std::vector<int>{5});
  EXPECT_EQ(core.mode, LinkMode::Programming);
  EXPECT_EQ(core.command, 5);
  EXPECT_EQ(view.messageText, "Program device:");
  EXPECT_EQ(view.gauge, 5);

  // The unit takes block 5.
  Frame reply{};
  reply[0] = 0x85;
  std::copy_n(core.image.begin() + 600, 150, reply.begin() + 1);
  SealFrame(reply);
  core.OnBlockReply(reply);
  ASSERT_EQ(core.mode, LinkMode::Idle);
  ASSERT_EQ(Dirty(), std::vector<int>{});

  // Undo from another page: back to the advance page, block 5 programmed again.
  view.activePage = 2;
  const int writesBefore = view.pagesWritten;
  EXPECT_EQ(core.Undo(), 1);
  EXPECT_EQ(core.image[652], before);
  EXPECT_EQ(view.pagesWritten, writesBefore + 1);
  EXPECT_EQ(Dirty(), std::vector<int>{5});
  EXPECT_EQ(core.mode, LinkMode::Programming);
  EXPECT_EQ(core.command, 5);

  // At the oldest step Undo does nothing.
  core.mode = LinkMode::Idle;
  core.dirtyBlocks = {};
  EXPECT_EQ(core.Undo(), -1);
  EXPECT_EQ(Dirty(), std::vector<int>{});
  EXPECT_EQ(core.mode, LinkMode::Idle);

  // Redo on the page of the change: no page switch.
  view.activePage = 1;
  EXPECT_EQ(core.Redo(), -1);
  EXPECT_EQ(core.image[652], 20);
  EXPECT_EQ(core.command, 5);
}

TEST_F(HistoryTest, ProgrammingAfterChangeNeverTakesOverAnotherRun) {
  core.programAfterChange = true;
  core.mode = LinkMode::Verifying;
  core.command = 0x43;
  CommitAdvanceByte652(21);
  EXPECT_EQ(core.mode, LinkMode::Verifying);
  EXPECT_EQ(core.command, 0x43);
  EXPECT_EQ(Dirty(), std::vector<int>{5});  // waits for the next start
}

TEST_F(HistoryTest, UndoWaitsForAReadAndTakesAPendingChangeFirst) {
  CommitAdvanceByte652(22);
  core.StartRead();
  const ConfigImage during = core.image;
  EXPECT_EQ(core.Undo(), -1);
  EXPECT_EQ(core.image, during);
  core.mode = LinkMode::Idle;

  // Clicks pending on an up/down are the newest step: Undo takes them back,
  // not the advance change before them.
  view.onReadActivePage = [this] { core.params.Value(FieldId::kGasStage1) = 60; };
  core.CommitRequest(4, 5);
  ASSERT_TRUE(core.pendingCommit.Pending());
  core.Undo();
  EXPECT_EQ(core.image[652], 22);
  EXPECT_FALSE(core.pendingCommit.Pending());
}

TEST_F(HistoryTest, ReadRecordsAStepButLeavesWhatTheUnitSentClean) {
  core.programAfterChange = true;
  const ConfigImage before = core.image;
  core.StartRead();
  ConfigImage sent{};
  for (int b = 0; b <= kMaxBlock; ++b) {
    Frame f{};
    f[0] = static_cast<std::uint8_t>((0x40 | b) ^ 0x80);
    if (b == 0) {
      f[1 + 10] = 83;  // the unit's program version
    } else {
      // The unit's own tune: block 5 differs from the program's image.
      for (std::size_t i = 0; i < 150; ++i) f[1 + i] = before[BlockOffset(b) + i];
      if (b == 5) f[1 + 52] = static_cast<std::uint8_t>(before[652] + 3);
      std::copy_n(f.begin() + 1, 150, sent.begin() + std::ptrdiff_t(BlockOffset(b)));
    }
    SealFrame(f);
    core.OnBlockReply(f);
  }
  ASSERT_EQ(core.mode, LinkMode::Verifying);
  EXPECT_EQ(core.image[652], before[652] + 3);
  // Only bytes the program's normalisation changed need writing back.
  DirtyBlocks expected{};
  MarkChangedBlocks(sent, core.image, expected);
  EXPECT_EQ(core.dirtyBlocks, expected);
  EXPECT_FALSE(core.dirtyBlocks[5]);
  // The Read is a step of its own: Undo brings the program's image back.
  core.mode = LinkMode::Idle;
  core.dirtyBlocks = {};
  core.Undo();
  EXPECT_EQ(core.image, before);
  EXPECT_TRUE(core.dirtyBlocks[5]);
}

}  // namespace
