#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <span>
#include <vector>

#include "image/BikeTuneTables.h"
#include "image/BikeTypes.h"

namespace {

using Ints = std::vector<std::int32_t>;
using Types = std::vector<int>;
using Table = std::span<const std::int32_t>;
constexpr int kTypes = 64;

bool In(const Types& list, int type) { return std::find(list.begin(), list.end(), type) != list.end(); }
Ints Slice(Table t, std::size_t from, std::size_t count) {
  if (from + count > t.size()) return Ints(t.begin(), t.end());
  return Ints(t.begin() + static_cast<std::ptrdiff_t>(from), t.begin() + static_cast<std::ptrdiff_t>(from + count));
}
Ints Repeat(std::int32_t value, std::size_t n) { return Ints(n, value); }
Ints Join(std::initializer_list<Ints> parts) {
  Ints all;
  for (const Ints& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

Table Reference1(int b) { return ReferenceOf(b).maps14.values; }

TEST(BikeTuneTables, GivenRowsAppearExactly) {
  const Ints position = Join({{370, 370, 360, 358, 350, 348, 345, 343}, Repeat(340, 7)});
  const Ints commonServo =
      Join({{400},
            {1000, 2000, 3000, 4000, 6000, 7000, 8000, 9000, 10000, 11000, 12000, 13000, 14000, 15000, 16000},
            {2000, 2100, 2200, 2300, 2400, 2450, 2500, 2550, 2600, 2650, 2700, 2750, 2800, 2850, 2900}});
  struct Case {
    const char* what;
    Types bikes;
    Table (*table)(int);
    std::size_t from;
    Ints expected;
    bool whole;  // the expected words are the whole table
  };
  const Case cases[] = {
      {"advance", {0, 43}, AdvanceTable, 0, {13, 14, 20, 28, 31, 32, 33, 32, 31, 31, 31, 31, 31, 31, 31}, true},
      {"advance row 0", {8, 36, 45}, AdvanceTable, 0, Join({{0, 5, 25, 38, 36}, Repeat(38, 10)}), false},
      {"advance row 9", {8, 36, 45}, AdvanceTable, 135, Join({{5, 10, 20, 27}, Repeat(30, 11)}), false},
      {"reference 1 row 0", {0}, Reference1, 0, {250, 187, 214, 214, 161, 121, 127, 127, 127, 127}, false},
      {"reference 1 row 9", {0}, Reference1, 90, {650, 687, 763, 736, 800, 898, 900, 900, 900, 900}, true},
      {"position", {0, 43}, PositionTable, 0, Join({{1, 1}, position, position}), true},
      {"intake servo of all others", {0}, IntakeServoTable, 0, commonServo, true},
      {"exhaust servo of all others", {0}, ExhaustServoTable, 0, commonServo, true},
  };
  for (const Case& c : cases) {
    for (int b : c.bikes) {
      const Table t = c.table(b);
      EXPECT_EQ(Slice(t, c.from, c.expected.size()), c.expected) << c.what << ", type " << b;
      if (c.whole) {
        EXPECT_EQ(t.size(), c.from + c.expected.size()) << c.what << ", type " << b;
      }
    }
  }
}

// Which bikes share a table. Own tables are groups of one; with
// othersShareOne every type not listed takes one more table.
struct Sharing {
  const char* what;
  TuneTableKind kind;
  std::vector<Types> groups;
  bool othersShareOne;
  Types asTable1;  // types whose reference table 1 serves here
};

// clang-format off
const std::vector<Sharing>& Sharings() {
  static const std::vector<Sharing> s = {
    {"advance", TuneTableKind::kAdvance,
     {{0, 43}, {1, 30}, {3, 28, 46}, {4, 31}, {5, 42, 59, 61, 63}, {7, 19, 48, 62}, {8, 36, 45}, {9, 10},
      {11, 32, 33, 44}, {14, 38}, {15, 29, 50}, {16, 25, 37, 40, 52}, {17, 27, 51}, {18, 35}, {20, 41, 49},
      {21, 56}, {24, 58}, {26, 34, 47, 55},
      {2}, {6}, {12}, {13}, {22}, {23}, {39}, {53}, {54}, {57}, {60}},
     false, {}},
    {"position", TuneTableKind::kPosition,
     {{0, 43}, {1, 30}, {3, 21, 28, 46, 56}, {4, 22, 31}, {7, 19, 48, 62}, {8, 36, 42, 45, 53, 57, 59, 60, 61, 63},
      {9, 10, 54}, {11, 20, 32, 33, 41, 44}, {12, 23}, {13, 14, 38}, {16, 25, 37, 40, 52}, {17, 27, 51}, {18, 35},
      {24, 58}, {26, 49}, {29, 50}, {34, 47, 55},
      {2}, {5}, {6}, {15}, {39}},
     false, {}},
    {"intake servo", TuneTableKind::kIntakeServo,
     {{4, 22, 31}, {7, 19, 26, 48, 49, 51, 54, 62}, {8, 36}, {13, 14, 38, 39}, {17, 27}, {21, 56}, {34, 47, 55},
      {37, 40}, {42, 59, 60, 61, 63}, {45, 53}, {46}, {50, 52}, {57}},
     true, {}},
    {"exhaust servo", TuneTableKind::kExhaustServo,
     {{4, 22, 31}, {7, 19, 48, 62}, {8, 36, 51, 57}, {13, 14, 38, 39}, {17, 27}, {21, 56}, {26, 49}, {34, 47},
      {37, 40}, {42, 59, 60, 61, 63}, {45, 53}, {46}, {50, 52}, {55}},
     true, {}},
    {"reference 1", TuneTableKind::kReference1,
     {{0, 42, 43, 59}, {3, 21, 28, 46, 56}, {4, 22, 31}, {7, 19, 48, 62}, {8, 36, 45}, {9, 10, 54}, {12, 23},
      {13, 14, 38}, {15, 29, 50}, {18, 35}, {24, 58}, {25, 37, 40, 52}, {27, 51}, {34, 47, 55}, {61, 63},
      {6, 11, 20, 32, 33, 41, 44, 49},
      {1}, {2}, {5}, {16}, {17}, {26}, {30}, {39}, {53}, {57}, {60}},
     false, {}},
    {"reference 2", TuneTableKind::kReference2,
     {{0, 42, 43, 59}, {3, 21, 28, 46, 56}, {4, 22, 31}, {6, 11, 20, 33, 41, 44, 49}, {7, 19, 48, 62}, {8, 36, 45},
      {9, 10, 54}, {12, 23}, {13, 14, 38}, {15, 29, 50}, {18, 35}, {24, 58}, {26, 32, 61, 63}, {27, 51}, {34, 47},
      {1}, {2}, {5}, {16}, {17}, {30}, {39}},
     false, {25, 37, 40, 52, 53, 55, 57, 60}},
    {"IAP reference", TuneTableKind::kIapReference,
     {{0, 42, 43, 59}, {3, 21, 28, 46, 56}, {4, 22, 31}, {7, 19, 48, 62}, {8, 36, 45}, {9, 10}, {12, 23},
      {13, 14, 38}, {15, 29, 50}, {18, 35}, {24, 58}, {25, 37, 40, 52}, {26, 39}, {27, 51}, {34, 47, 55},
      {6, 11, 20, 32, 33, 41, 44, 49},
      {1}, {2}, {5}, {16}, {17}, {30}, {53}, {54}, {57}, {60}},
     false, {61, 63}},
  };
  return s;
}
// clang-format on

TEST(BikeTuneTables, EverySharingListIsOneTable) {
  for (const Sharing& s : Sharings()) {
    // The restated lists name every type once (or leave the rest to "all others").
    std::vector<std::vector<int>> groups = s.groups;
    Types listed = s.asTable1;
    for (const Types& g : groups) listed.insert(listed.end(), g.begin(), g.end());
    ASSERT_EQ(std::set<int>(listed.begin(), listed.end()).size(), listed.size()) << s.what;
    Types others;
    for (int t = 0; t < kTypes; ++t)
      if (!In(listed, t)) others.push_back(t);
    ASSERT_EQ(others.empty(), !s.othersShareOne) << s.what;
    if (s.othersShareOne) groups.push_back(others);

    std::set<const void*> tables;
    for (const Types& g : groups) {
      const void* id = TuneTableIdentity(s.kind, g.front());
      for (int t : g) EXPECT_EQ(TuneTableIdentity(s.kind, t), id) << s.what << ": type " << t << " with " << g.front();
      EXPECT_TRUE(tables.insert(id).second) << s.what << ": the table of " << g.front() << " is another's";
    }
    for (int t : s.asTable1)
      EXPECT_EQ(TuneTableIdentity(s.kind, t), TuneTableIdentity(TuneTableKind::kReference1, t)) << s.what << ": " << t;
    // The tables 2 and IAP tables listed are tables of their own, not a table 1 again.
    if (s.kind == TuneTableKind::kReference2 || s.kind == TuneTableKind::kIapReference) {
      for (int t = 0; t < kTypes; ++t)
        EXPECT_EQ(tables.count(TuneTableIdentity(TuneTableKind::kReference1, t)), 0u) << s.what << ": " << t;
    }
  }
  // The exhaust of all other types is the intake table of all others.
  EXPECT_EQ(TuneTableIdentity(TuneTableKind::kExhaustServo, 0), TuneTableIdentity(TuneTableKind::kIntakeServo, 0));
}

// Points in rpm, restated from the speed point sets.
const Ints kTenPoints{1000, 2000, 3000, 4000, 6000, 8000, 10000, 12000, 14000, 16000};
const Ints kExtendedPoints{1000, 2000,  3000,  4000,  5000,  6000,  7000, 8000,
                           9000, 10000, 11000, 12000, 13000, 14000, 16000};
const Ints kP1{1000, 2000, 3000, 4000, 5000, 5500, 6000, 6500, 7000, 7500, 8000, 9000, 10000, 11000, 12000};
const Ints kP9{1500, 2000, 3000, 4000, 5000, 5500, 6000, 6500, 7000, 7500, 8000, 8500, 9000, 9500, 10000};
const Ints kP10{1300, 1500, 2000, 2500, 3000, 3500, 4000, 4500, 5000, 5500, 6000, 6500, 7000, 8000, 9000};
const Ints kP11{1100, 1600, 2000, 3000, 4000, 5000, 6000, 7000, 8000, 9000, 10000, 11000, 12000, 13000, 14000};
const Ints kThrottle{0, 20, 50, 100, 200, 300, 400, 600, 800, 1000};
const Ints kLowPressure{100, 200, 300, 400, 500, 600, 700, 800, 900, 1000};
const Ints kHighPressure{300, 500, 600, 700, 750, 800, 850, 900, 950, 1000};

const Types kExtendedReference{8, 26, 34, 36, 39, 45, 47, 53, 54, 55, 57, 60, 61, 63};

const Ints& Table1Points(int t) {
  if (t == 53) return kP9;
  if (t == 60) return kP10;
  return In(kExtendedReference, t) && t != 54 ? kExtendedPoints : kTenPoints;
}

// Injection times in 10 µs, stored ×10 in a word; rising with throttle or
// pressure, 2 to 12 ms at full load.
void ExpectReference(const ReferenceTable& r, const Ints& points, const Ints& rows, const char* what, int type) {
  SCOPED_TRACE(testing::Message() << what << ", type " << type);
  EXPECT_EQ(Ints(r.speedPoints.begin(), r.speedPoints.end()), points);
  EXPECT_EQ(Ints(r.rowPoints.begin(), r.rowPoints.end()), rows);
  const std::size_t columns = r.speedPoints.size();
  ASSERT_EQ(r.values.size(), rows.size() * columns);
  for (std::size_t i = 0; i < r.values.size(); ++i) {
    EXPECT_GT(r.values[i], 0) << "cell " << i;
    EXPECT_LE(r.values[i], 6553) << "cell " << i;
    if (i >= columns) {
      EXPECT_GE(r.values[i], r.values[i - columns]) << "cell " << i;
    }
  }
  for (std::size_t c = 0; c < columns; ++c) {
    const std::int32_t full = r.values[r.values.size() - columns + c];
    EXPECT_TRUE(full >= 200 && full <= 1200) << "full load at column " << c << ": " << full;
  }
}

// Word 0, 15 speed points (rpm, stored /100 in a byte), then the values.
void ExpectServo(Table s, int rows, bool percent, const char* what, int type) {
  SCOPED_TRACE(testing::Message() << what << ", type " << type);
  ASSERT_EQ(s.size(), 16u + 15u * static_cast<std::size_t>(rows));
  for (std::size_t i = 1; i <= 15; ++i) {
    EXPECT_TRUE(s[i] / 100 >= 1 && s[i] / 100 <= 250) << "point " << i;
    if (i > 1) {
      EXPECT_GT(s[i], s[i - 1]) << "point " << i;
    }
  }
  const auto [low, high] = std::minmax_element(s.begin() + 16, s.end());
  EXPECT_GE(*low, 0);
  // A percent table read as mV would sit below 100 mV.
  if (percent)
    EXPECT_LE(*high, 100);
  else
    EXPECT_TRUE(*high > 100 && *high <= 5000) << *high;
}

TEST(BikeTuneTables, ShapesAndLimitsPerType) {
  const Types tenAdvanceRows{8, 26, 34, 36, 39, 45, 47, 53, 55, 57, 60};
  const Types tenIntakeRows{7, 8, 19, 26, 34, 36, 47, 48, 49, 50, 51, 52, 54, 55, 57, 62};
  const Types percentIntake{7, 8, 19, 26, 36, 48, 49, 51, 54, 57, 62};
  // Type 7 works its exhaust servo in mV but shares the table of 19, 48 and 62.
  const Types percentExhaust{7, 8, 19, 36, 48, 51, 57, 62};
  const Types table2Of15{26, 32, 61, 63};  // one table, 15 columns, although 32 has ten

  for (int t = 0; t < kTypes; ++t) {
    SCOPED_TRACE(testing::Message() << "type " << t);
    const Table advance = AdvanceTable(t);
    EXPECT_EQ(advance.size(), In(tenAdvanceRows, t) ? 150u : 15u);
    // The defaults read as many rows as the bike's advance-rows constant says.
    EXPECT_EQ(advance.size(), 15u * ScalarsOf(t)->advanceRows);
    for (std::int32_t d : advance) EXPECT_TRUE(d >= -20 && d <= 60) << d;

    const Table position = PositionTable(t);
    ASSERT_EQ(position.size(), 32u);
    // References are 0 beginning, 1 centre, 2 end: another value would not
    // survive the position sheet's load and store.
    EXPECT_TRUE(position[0] >= 0 && position[0] <= 2 && position[1] >= 0 && position[1] <= 2);
    for (std::size_t i = 2; i < 32; ++i) EXPECT_TRUE(position[i] > 0 && position[i] / 5 <= 255) << position[i];

    ExpectServo(IntakeServoTable(t), In(tenIntakeRows, t) ? 10 : 1, In(percentIntake, t), "intake", t);
    ExpectServo(ExhaustServoTable(t), 1, In(percentExhaust, t), "exhaust", t);

    const InjectionReference& r = ReferenceOf(t);
    const bool extended = In(kExtendedReference, t);
    ExpectReference(r.maps14, Table1Points(t), kThrottle, "table 1", t);
    ExpectReference(r.maps23, In(table2Of15, t) ? kExtendedPoints : Table1Points(t), kThrottle, "table 2", t);
    const Ints& iapPoints = t == 53 ? kP11 : t == 54 ? kP1 : Table1Points(t);
    ExpectReference(r.iap, iapPoints, extended ? kHighPressure : kLowPressure, "IAP", t);
  }
}

// A code that names no bike reads type 0's tables, never past an array.
TEST(BikeTuneTables, CodesBeyondTheBikesTakeTypeZero) {
  const TuneTableKind kinds[] = {TuneTableKind::kAdvance,      TuneTableKind::kPosition,   TuneTableKind::kIntakeServo,
                                 TuneTableKind::kExhaustServo, TuneTableKind::kReference1, TuneTableKind::kReference2,
                                 TuneTableKind::kIapReference};
  for (int code : {-1, 64, 255, 100000})
    for (TuneTableKind k : kinds) EXPECT_EQ(TuneTableIdentity(k, code), TuneTableIdentity(k, 0)) << code;
}

}  // namespace
