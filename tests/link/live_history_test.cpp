#include <gtest/gtest.h>

#include "link/LiveHistory.h"
#include "support/LiveFrames.h"

namespace {

Frame RpmFrame(int rpm) {
  Frame f = testsupport::QuietFrame();
  testsupport::PutWord(f, 48, rpm);
  SealFrame(f);
  return f;
}

// Five minutes and a half at three frames a second, the settings changed
// twice: the window keeps the last five minutes and the image in force for
// each frame kept, with times that stay put as it rolls.
TEST(LiveHistoryTest, KeepsTheLastMinutesWithTheirSettings) {
  CLiveHistory history;
  ConfigImage image{};
  const std::uint64_t origin = 7'000'000'000;  // the monotonic clock does not start at 0
  const std::uint64_t step = 333'333;
  ConfigImage first = image, second = image, third = image;
  second[10] = 1;
  third[10] = 2;
  std::uint64_t revision = history.Revision();
  for (std::uint64_t i = 0; i < 1000; ++i) {
    const ConfigImage& now = i < 100 ? first : i < 950 ? second : third;
    history.Add(origin + i * step, RpmFrame(1000 + int(i)), now);
    EXPECT_GT(history.Revision(), revision);
    revision = history.Revision();
  }
  const LiveLogContents& log = history.Contents();
  const std::uint64_t newest = 999 * step;
  EXPECT_EQ(log.DurationMicros(), newest);
  ASSERT_FALSE(log.frames.empty());
  // Whole batches drop: what is kept reaches back at least five minutes, and not far more.
  EXPECT_LE(log.frames.front().micros, newest - CLiveHistory::kWindowMicros);
  EXPECT_GT(log.frames.front().micros + 20 * step, newest - CLiveHistory::kWindowMicros);
  for (std::size_t i = 0; i < log.frames.size(); ++i) {
    const std::uint64_t n = log.frames[i].micros / step;
    ASSERT_EQ(log.frames[i].micros, n * step);
    const Frame& f = log.frames[i].bytes;
    EXPECT_EQ(f[48] | (f[49] << 8), 1000 + int(n));
    EXPECT_EQ(log.ImageAtFrame(i), n < 100 ? first : n < 950 ? second : third) << n;
  }
  history.Clear();
  EXPECT_TRUE(history.Contents().frames.empty());
  history.Add(origin + 5, RpmFrame(900), third);
  EXPECT_EQ(history.Contents().frames.front().micros, 0u) << "a new start counts from its first frame";
}

}  // namespace
