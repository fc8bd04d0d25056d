#include "image/Note.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/ConfigImage.h"

namespace {
using Lines = std::vector<std::string>;
constexpr std::size_t kFirst = 2730;
constexpr std::size_t kLast = 2849;
}  // namespace

TEST(NoteTest, LinesAreNulSeparatedAndComeBackTheSame) {
  ConfigImage image{};
  const Lines note{"ab", "", "c"};
  StoreNote(note, image);
  const std::uint8_t expected[] = {'a', 'b', 0, 0, 'c', 0};
  for (std::size_t i = 0; i < std::size(expected); ++i) EXPECT_EQ(image[kFirst + i], expected[i]) << i;
  for (std::size_t b = kFirst + 5; b <= kLast; ++b) EXPECT_EQ(image[b], 0);
  EXPECT_EQ(LoadNote(image), note);
}

TEST(NoteTest, EmptyLinesAtTheEndAreNotKeptButLeadingOnesAre) {
  const struct {
    Lines stored;
    Lines loaded;
  } cases[] = {
      {{"x", "", ""}, {"x"}},
      {{"", "", "y"}, {"", "", "y"}},
      {{"", ""}, {}},
      {{}, {}},
  };
  for (const auto& c : cases) {
    ConfigImage image{};
    StoreNote(c.stored, image);
    EXPECT_EQ(LoadNote(image), c.loaded);
  }
}

TEST(NoteTest, StoringClearsTheOldNoteAndLeavesTheRestOfTheImage) {
  ConfigImage image;
  image.fill(0x41);
  StoreNote(Lines{"z"}, image);
  EXPECT_EQ(image[kFirst], 'z');
  for (std::size_t b = kFirst + 1; b <= kLast; ++b) EXPECT_EQ(image[b], 0) << b;
  EXPECT_EQ(image[kFirst - 1], 0x41);
}

TEST(NoteTest, ANoteThatNeedsMoreRoomIsCutAndTheLastByteStaysZero) {
  ConfigImage image{};
  StoreNote(Lines{std::string(100, 'a'), std::string(30, 'b'), "never"}, image);
  EXPECT_EQ(image[kFirst + 99], 'a');
  EXPECT_EQ(image[kFirst + 100], 0);
  EXPECT_EQ(image[kLast - 1], 'b');
  EXPECT_EQ(image[kLast], 0);
  const Lines back = LoadNote(image);
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[1], std::string(18, 'b'));

  StoreNote(Lines{std::string(119, 'c'), "gone"}, image);
  EXPECT_EQ(LoadNote(image), Lines{std::string(119, 'c')});
}

TEST(NoteTest, CzechTextTravelsInWindows1250AndForeignCharactersBecomeQuestionMarks) {
  ConfigImage image{};
  StoreNote(Lines{"Poznámka uložená", "€ 日本"}, image);
  EXPECT_EQ(image[kFirst + 4], 0xE1);   // á
  EXPECT_EQ(image[kFirst + 12], 0x9E);  // ž
  EXPECT_EQ(image[kFirst + 17], 0x80);  // €
  EXPECT_EQ(LoadNote(image), (Lines{"Poznámka uložená", "€ ??"}));
}

TEST(NoteTest, AFullAreaWithoutTerminatorStillLoads) {
  ConfigImage image{};
  std::fill(image.begin() + kFirst, image.end(), 'q');
  const Lines back = LoadNote(image);
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(back[0], std::string(120, 'q'));
}
