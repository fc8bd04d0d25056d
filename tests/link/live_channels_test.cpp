#include <gtest/gtest.h>

#include <set>
#include <string>

#include "../support/LiveFrames.h"
#include "link/LiveChannels.h"
#include "base/Lang.h"

namespace {

TEST(LiveChannelsTest, EveryChannelIsFoundByItsKeyAndNamedApartInEveryLanguage) {
  std::set<std::string> keys;
  for (const LiveChannel& c : LiveChannels()) {
    SCOPED_TRACE(c.key);
    EXPECT_TRUE(keys.insert(c.key).second) << "listed twice";
    EXPECT_EQ(FindLiveChannel(c.key), &c);
    // A name key with no text would come out as the key itself.
    if (c.nameKey != nullptr) {
      EXPECT_EQ(LiveChannelName(c, kEnglish).find(c.nameKey), std::string::npos);
    }
  }
  // The chart's list and the CSV's columns must tell every channel apart.
  for (int language : {kEnglish, kGerman, kFrench, kCzech}) {
    std::set<std::string> headings;
    for (const LiveChannel& c : LiveChannels()) {
      const std::string heading = LiveChannelHeading(c, language);
      EXPECT_FALSE(LiveChannelName(c, language).empty()) << c.key;
      EXPECT_TRUE(headings.insert(heading).second) << heading << " in language " << language;
    }
  }
  for (const char* key : DefaultChartChannels()) EXPECT_NE(FindLiveChannel(key), nullptr) << key;
  EXPECT_EQ(FindLiveChannel("nonsense"), nullptr);
}

// Frame positions and scales restated here on purpose: the chart must read
// the same numbers the Monitor page shows.
TEST(LiveChannelsTest, ValuesOfACraftedFrame) {
  Frame f = testsupport::QuietFrame(12600);
  testsupport::PutWord(f, 48, 6400);  // engine speed
  testsupport::PutWord(f, 138, 523);  // throttle, tenths of a per cent
  f[29] = 132;                        // AFR, tenths
  f[23] = 187;                        // coolant + 100
  f[14] = 25;                         // injection 1A, 100 us: 2.5 ms
  testsupport::PutWord(f, 110, 955);  // coolant advance correction, 1000 + tenths of a degree
  const ConfigImage image{};
  struct {
    const char* key;
    double value;
  } cases[] = {
      {"rpm", 6400},        {"throttle", 52.3}, {"afr", 13.2}, {"coolant", 87},
      {"injection1A", 2.5}, {"supply", 12.6},   {"gear", 0},   {"coolantAdvanceCorrection", -4.5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    const LiveChannel* channel = FindLiveChannel(c.key);
    ASSERT_NE(channel, nullptr);
    const auto value = LiveChannelValue(*channel, f, image);
    ASSERT_TRUE(value.has_value());
    EXPECT_NEAR(*value, c.value, 1e-9);
  }
}

// A sensor the unit has given up on has no value to plot (the Monitor page
// says "error"), rather than the number its raw byte would make.
TEST(LiveChannelsTest, FailedSensorsHaveNoValue) {
  Frame f = testsupport::QuietFrame();
  f[4] = 0x01 | 0x02;  // throttle and intake pressure sensor errors
  f[23] = 0;           // coolant sensor error
  const ConfigImage image{};
  for (const char* key : {"coolant", "iap", "throttle"}) {
    SCOPED_TRACE(key);
    EXPECT_FALSE(LiveChannelValue(*FindLiveChannel(key), f, image).has_value());
  }
  EXPECT_TRUE(LiveChannelValue(*FindLiveChannel("rpm"), f, image).has_value());
}

}  // namespace
