#include <gtest/gtest.h>

#include <set>
#include <string>

#include "../support/LiveFrames.h"
#include "link/LiveChannels.h"
#include "shell/UiTexts.h"

namespace {

TEST(LiveChannelsTest, EveryChannelIsNamedInFourLanguagesOnce) {
  std::set<std::string> keys;
  for (const LiveChannel& c : LiveChannels()) {
    SCOPED_TRACE(c.key);
    EXPECT_TRUE(keys.insert(c.key).second) << "listed twice";
    EXPECT_EQ(FindLiveChannel(c.key), &c);
    EXPECT_NE(LiveChannelName(c.key, kEnglish), c.key) << "no name";
  }
  // Every name row belongs to a channel and is translated: a missing
  // variant would quietly show English.
  std::set<std::string> named;
  for (const NamedText& row : LiveChannelNames()) {
    SCOPED_TRACE(row.name);
    EXPECT_TRUE(named.insert(row.name).second) << "named twice";
    EXPECT_NE(FindLiveChannel(row.name), nullptr) << "no such channel";
    for (const char* text : row.text.text) EXPECT_TRUE(text != nullptr && *text != '\0');
  }
  EXPECT_EQ(named, keys);
  for (const char* key : DefaultChartChannels()) EXPECT_NE(FindLiveChannel(key), nullptr) << key;
  EXPECT_EQ(FindLiveChannel("nonsense"), nullptr);
  EXPECT_EQ(LiveChannelName("nonsense", kCzech), "nonsense");
}

// Frame positions and scales restated here on purpose: the chart must read
// the same numbers the Monitor page shows.
TEST(LiveChannelsTest, ValuesOfACraftedFrame) {
  Frame f = testsupport::QuietFrame(12600);
  testsupport::PutWord(f, 48, 6400);  // engine speed
  testsupport::PutWord(f, 138, 523);  // throttle, tenths of a per cent
  f[29] = 132;                        // AFR, tenths
  f[23] = 187;                        // coolant + 100
  f[14] = 25;                         // injection 1A, 100 us
  const ConfigImage image{};
  struct {
    const char* key;
    double value;
  } cases[] = {
      {"rpm", 6400}, {"throttle", 52.3}, {"afr", 13.2}, {"coolant", 87}, {"injection1A", 2500}, {"supply", 12.6},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    const LiveChannel* channel = FindLiveChannel(c.key);
    ASSERT_NE(channel, nullptr);
    EXPECT_NEAR(LiveChannelValue(*channel, f, image), c.value, 1e-9);
  }
}

}  // namespace
