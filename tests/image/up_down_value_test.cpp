#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include "image/UpDownValue.h"

namespace {
constexpr std::int32_t kNone = INT32_MIN + 1;  // "does not parse" in the tables below
}

TEST(ParseTypedNumber, AcceptsNumbersGroupedByThousands) {
  const struct {
    const char* text;
    const char* separator;
    std::int32_t value;
  } cases[] = {
      {"0", ",", 0},
      {"12500", ",", 12500},
      {"12,500", ",", 12500},
      {"1,000,000", ",", 1000000},
      {"007", ",", 7},
      {" 42 ", ",", 42},
      {"\t-7\t", ",", -7},
      {"+15", ",", 15},
      {"-1,000", ",", -1000},
      {"2147483647", ",", 2147483647},
      {"-2,147,483,648", ",", INT32_MIN},
      {"12500", "", 12500},
      {"12.500", ".", 12500},
      {"12\u00A0500", "\u00A0", 12500},
      {"12 500", "\u00A0", 12500},  // nobody types a no-break space
      {"12\u202F500", "\u202F", 12500},
      {"12 500", "\u202F", 12500},
      // rejected
      {"", ",", kNone},
      {"   ", ",", kNone},
      {"-", ",", kNone},
      {"+", ",", kNone},
      {"abc", ",", kNone},
      {"12a", ",", kNone},
      {"a12", ",", kNone},
      {"1.5", ",", kNone},
      {"0x10", ",", kNone},
      {"- 5", ",", kNone},
      {"5-", ",", kNone},
      {"--5", ",", kNone},
      {"1 2", ",", kNone},
      {"1,00", ",", kNone},
      {"1,0000", ",", kNone},
      {"1000,000", ",", kNone},
      {"1,000,00", ",", kNone},
      {"1,,000", ",", kNone},
      {",100", ",", kNone},
      {"100,", ",", kNone},
      {"12,500", "", kNone},
      {"12,500", ".", kNone},
      {"12 500", ",", kNone},
      {"2147483648", ",", kNone},
      {"-2147483649", ",", kNone},
      {"99999999999999999999", ",", kNone},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string("\"") + c.text + "\" with \"" + c.separator + "\"");
    const std::optional<std::int32_t> parsed = ParseTypedNumber(c.text, c.separator);
    if (c.value == kNone) {
      EXPECT_FALSE(parsed.has_value()) << *parsed;
    } else {
      EXPECT_EQ(parsed, c.value);
    }
  }
}

TEST(UpDownValue, TextGroupsThousandsFrom1000On) {
  const struct {
    std::int32_t position;
    const char* separator;
    const char* text;
  } cases[] = {
      {0, ",", "0"},
      {999, ",", "999"},
      {1000, ",", "1,000"},
      {12500, ",", "12,500"},
      {1234567, ",", "1,234,567"},
      {-999, ",", "-999"},
      {-1000, ",", "-1,000"},
      {INT32_MIN, ",", "-2,147,483,648"},
      {12500, ".", "12.500"},
      {12500, "\u00A0", "12\u00A0500"},
      {12500, "", "12500"},
  };
  for (const auto& c : cases) {
    CUpDownValue value(INT32_MIN, INT32_MAX, 1);
    value.Write(c.position);
    EXPECT_EQ(value.Text(c.separator), c.text) << c.position;
    // What the pair shows, typed back, is the same position.
    EXPECT_EQ(ParseTypedNumber(value.Text(c.separator), c.separator), c.position) << c.position;
  }
}

// A written position is kept as it is; a click moves it by one step and
// holds it in the range, even when it started outside.
TEST(UpDownValue, StepIsBoundedToTheRange) {
  const struct {
    std::int32_t min, max, step;
    std::int32_t written;
    int direction;
    std::int32_t position;
    bool changed;
  } cases[] = {
      {0, 100, 1, 50, +1, 51, true},
      {0, 100, 1, 50, -1, 49, true},
      {100, 25000, 100, 24900, +1, 25000, true},
      {100, 25000, 100, 25000, +1, 25000, false},
      {100, 25000, 100, 100, -1, 100, false},
      {-60, 60, 1, -60, -1, -60, false},
      {100, 25000, 100, 0, +1, 100, true},  // a blank image's start limiter
      {100, 25000, 100, 0, -1, 100, true},
      {100, 25000, 100, 30000, -1, 25000, true},
      {INT32_MIN, INT32_MAX, 1000, INT32_MAX, +1, INT32_MAX, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.min << ".." << c.max << " from " << c.written << " by " << c.direction);
    CUpDownValue value(c.min, c.max, c.step);
    value.Write(c.written);
    EXPECT_EQ(value.Position(), c.written);
    EXPECT_EQ(value.StepBy(c.direction), c.changed);
    EXPECT_EQ(value.Position(), c.position);
  }
}

TEST(UpDownValue, TypedTextIsBoundedAndGarbageLeavesThePosition) {
  const struct {
    std::int32_t min, max, step;
    std::int32_t written;
    const char* text;
    std::int32_t position;
    bool changed;
  } cases[] = {
      {0, 100, 1, 50, "30", 30, true},
      {0, 100, 1, 50, "300", 100, true},
      {0, 100, 1, 50, "-5", 0, true},
      {0, 100, 1, 50, "50", 50, false},
      {0, 100, 1, 50, " 50 ", 50, false},
      {0, 100, 1, 50, "abc", 50, false},
      {0, 100, 1, 50, "", 50, false},
      {0, 255, 1, 10, "300", 255, true},     // never beyond the byte behind it
      {0, 25500, 100, 500, "0", 0, true},    // the field's own limit comes with the commit
      {100, 25000, 100, 0, "0", 100, true},  // typed, unlike written, is bounded
      {100, 25000, 100, 0, "12,500", 12500, true},
      {100, 25000, 100, 0, "1,25,00", 0, false},
      {-30, 150, 1, 20, "-40", -30, true},
      {-30, 150, 1, 20, "99999999999", 20, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.min << ".." << c.max << " from " << c.written << " typed \"" << c.text
                                    << "\"");
    CUpDownValue value(c.min, c.max, c.step);
    value.Write(c.written);
    EXPECT_EQ(value.Type(c.text, ","), c.changed);
    EXPECT_EQ(value.Position(), c.position);
  }
}

// The tuned channel's maximum follows the cylinder count; a written channel
// above it stays until the user changes it.
TEST(UpDownValue, LoweredMaximumBoundsOnlyWhatTheUserChanges) {
  CUpDownValue channel(1, 4, 1);
  channel.Write(3);
  channel.SetMax(2);
  EXPECT_EQ(channel.Max(), 2);
  EXPECT_EQ(channel.Position(), 3);
  EXPECT_TRUE(channel.Type("4", ","));
  EXPECT_EQ(channel.Position(), 2);
  EXPECT_FALSE(channel.StepBy(+1));
  channel.SetMax(0);  // never below the minimum
  EXPECT_EQ(channel.Max(), 1);
}
