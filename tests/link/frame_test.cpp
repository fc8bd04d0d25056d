#include <gtest/gtest.h>

#include "link/Frame.h"

namespace {

TEST(FrameCheckByte, KnownAnswers) {
  struct Case {
    std::uint8_t first;
    std::uint8_t fill;
    std::uint8_t expected;
  };
  // 0xFF ^ first ^ (150 copies of fill): an even count of fill bytes cancels.
  const Case cases[] = {
      {0x30, 0x00, 0xCF},
      {0x40, 0x00, 0xBF},
      {0x00, 0x00, 0xFF},
      {0xB0, 0x5A, 0x4F},
  };
  for (const auto& c : cases) {
    Frame f{};
    f[0] = c.first;
    std::fill(f.begin() + 1, f.begin() + 151, c.fill);
    EXPECT_EQ(FrameCheckByte(f), c.expected) << int(c.first);
    SealFrame(f);
    EXPECT_TRUE(FrameIsValid(f));
    f[77] ^= 0x01;
    EXPECT_FALSE(FrameIsValid(f)) << "a flipped payload bit must be caught";
  }
}

TEST(FrameCheckByte, ShortBufferIsNeverValid) {
  const std::uint8_t bytes[151] = {};
  EXPECT_FALSE(FrameIsValid(bytes));
}

}  // namespace
