// The edit history: which steps Undo and Redo reach, and what a restore puts
// into the image and its dirty flags.

#include <gtest/gtest.h>

#include <string>

#include "image/EditHistory.h"

namespace {

// Each change writes its own number into the image, so the number found in
// the image tells which snapshot a restore brought back.
int ImageNumber(const ConfigImage& image) { return image[10] | (image[2000] << 8); }
void SetImageNumber(ConfigImage& image, int number) {
  image[10] = static_cast<std::uint8_t>(number);
  image[2000] = static_cast<std::uint8_t>(number >> 8);
}

struct SequenceCase {
  const char* what;
  // C a committed change, S a commit that changed nothing, U Undo, R Redo.
  std::string ops;
  int current, newest, oldest;
  int imageNumber;  // the change whose image the history holds at the end
};

TEST(EditHistory, OperationSequences) {
  const std::string c250(250, 'C');
  const SequenceCase cases[] = {
      {"Undo at the first step does nothing", "U", 0, 0, 0, 0},
      {"Redo at the newest step does nothing", "CCR", 2, 2, 0, 2},
      {"two undos go back two changes", "CCCUU", 1, 3, 0, 1},
      {"redo after undo", "CCCUUR", 2, 3, 0, 2},
      {"redo all the way back", "CCCUUURRRR", 3, 3, 0, 3},
      {"a new change after undo drops the redo steps", "CCCUUCR", 2, 2, 0, 4},
      {"an unchanged commit uses no slot and keeps Redo", "CCUS", 1, 2, 0, 1},
      {"an unchanged commit then Redo", "CCUSR", 2, 2, 0, 2},
      {"200 changes: the ring overwrites the first step", std::string(200, 'C'), 0, 0, 1, 200},
      {"after 250 changes 199 undos reach the oldest step", c250 + std::string(199, 'U'), 51, 50, 51, 51},
      {"the 200th Undo does nothing", c250 + std::string(200, 'U'), 51, 50, 51, 51},
      {"and Redo walks forward again", c250 + std::string(200, 'U') + std::string(199, 'R'), 50, 50, 51, 250},
  };
  for (const SequenceCase& c : cases) {
    CEditHistory history;
    ConfigImage image{};
    DirtyBlocks dirty{};
    history.Reset(image, 0);
    int changes = 0;
    for (const char op : c.ops) {
      switch (op) {
        case 'C':
          SetImageNumber(image, ++changes);
          EXPECT_TRUE(history.RecordChange(image, 0, dirty)) << c.what;
          break;
        case 'S':
          EXPECT_FALSE(history.RecordChange(image, 0, dirty)) << c.what;
          break;
        case 'U':
          history.Undo(image, dirty);
          break;
        case 'R':
          history.Redo(image, dirty);
          break;
      }
    }
    EXPECT_EQ(history.Current(), c.current) << c.what;
    EXPECT_EQ(history.Newest(), c.newest) << c.what;
    EXPECT_EQ(history.Oldest(), c.oldest) << c.what;
    EXPECT_EQ(ImageNumber(image), c.imageNumber) << c.what;
    EXPECT_EQ(history.CanUndo(), c.current != c.oldest) << c.what;
    EXPECT_EQ(history.CanRedo(), c.current != c.newest) << c.what;
  }
}

TEST(EditHistory, AtTheEndsUndoAndRedoLeaveImageAndFlagsAlone) {
  CEditHistory history;
  ConfigImage image{};
  history.Reset(image, 3);
  image[5] = 9;  // an edit not yet recorded
  DirtyBlocks dirty{};
  EXPECT_FALSE(history.Undo(image, dirty).has_value());
  EXPECT_FALSE(history.Redo(image, dirty).has_value());
  EXPECT_EQ(image[5], 9);
  EXPECT_EQ(dirty, DirtyBlocks{});
}

std::vector<int> DirtyList(const DirtyBlocks& dirty) {
  std::vector<int> blocks;
  for (int b = 0; b < kBlockCount; ++b)
    if (dirty[std::size_t(b)]) blocks.push_back(b);
  return blocks;
}

TEST(EditHistory, RestoreIsExactMarksOnlyChangedBlocksAndNamesThePageOfTheStep) {
  CEditHistory history;
  ConfigImage start{};
  for (std::size_t i = 0; i < start.size(); ++i) start[i] = static_cast<std::uint8_t>(i * 7);
  history.Reset(start, 0);

  // On page 7: bytes 652 (block 5) and 2849 (the last byte, block 19).
  ConfigImage image = start;
  image[652] ^= 0xFF;
  image[2849] ^= 0x01;
  DirtyBlocks dirty{};
  history.RecordChange(image, 7, dirty);
  EXPECT_EQ(DirtyList(dirty), (std::vector<int>{5, 19}));
  const ConfigImage afterFirst = image;

  // On page 2: byte 149 (last of block 1) and byte 150 (first of block 2).
  image[149] = 0xEE;
  image[150] = 0xEE;
  dirty = {};
  history.RecordChange(image, 2, dirty);
  EXPECT_EQ(DirtyList(dirty), (std::vector<int>{1, 2}));
  const ConfigImage afterSecond = image;

  struct Step {
    const char* what;
    bool undo;
    int page;
    std::vector<int> dirty;
    const ConfigImage* image;
  };
  const Step steps[] = {
      {"undo the page-2 change", true, 2, {1, 2}, &afterFirst},
      {"undo the page-7 change", true, 7, {5, 19}, &start},
      {"redo the page-7 change", false, 7, {5, 19}, &afterFirst},
      {"redo the page-2 change", false, 2, {1, 2}, &afterSecond},
  };
  for (const Step& s : steps) {
    dirty = {};
    const auto restored = s.undo ? history.Undo(image, dirty) : history.Redo(image, dirty);
    ASSERT_TRUE(restored.has_value()) << s.what;
    EXPECT_EQ(restored->page, s.page) << s.what;
    EXPECT_TRUE(restored->changed) << s.what;
    EXPECT_EQ(DirtyList(dirty), s.dirty) << s.what;
    EXPECT_EQ(image, *s.image) << s.what;
  }
}

}  // namespace
