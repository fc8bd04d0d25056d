#include "image/BikeTuneTables.h"

#include <array>
#include <cstddef>
#include <vector>

#include "image/BikeTypes.h"
#include "image/MapStorage.h"

namespace {

using Values = std::vector<std::int32_t>;
constexpr std::size_t kColumns = 15;
constexpr std::size_t kRows = 10;
using Row = std::array<std::int32_t, kColumns>;

// How far each throttle row (0, 2, 5 .. 100 %) lies from the closed-throttle
// row towards the full-throttle row, in percent: a throttle body passes most
// of its air by half opening.
constexpr std::array<std::int32_t, kRows> kThrottleWeight{0, 8, 18, 32, 52, 68, 80, 92, 98, 100};

// Ten rows from the first and the last; the others lie between them as the
// row points lie between the first point and the last.
Values TenRows(std::span<const std::int32_t> first, std::span<const std::int32_t> last,
               std::span<const std::int32_t> rowPoints) {
  const std::int32_t span = rowPoints.back() - rowPoints.front();
  Values v;
  v.reserve(kRows * first.size());
  for (std::int32_t p : rowPoints)
    for (std::size_t c = 0; c < first.size(); ++c)
      v.push_back(first[c] + (last[c] - first[c]) * (p - rowPoints.front()) / span);
  return v;
}

// ---- Advance (degrees) ----

using Degrees = std::array<std::int8_t, kColumns>;
struct AdvanceSpec {
  int rows;        // 1: one row for every throttle; 10: the closed and the full-throttle row given
  Degrees first;   // the only row, or the closed-throttle row
  Degrees last{};  // the full-throttle row of a ten-row table
};

// clang-format off
constexpr AdvanceSpec kAdvance[] = {
  /*  0 */ {1, {13, 14, 20, 28, 31, 32, 33, 32, 31, 31, 31, 31, 31, 31, 31}},  // 0, 43
  /*  1 */ {1, {10, 12, 18, 26, 30, 32, 33, 33, 32, 32, 31, 31, 30, 30, 30}},  // 1, 30
  /*  2 */ {1, {12, 14, 20, 28, 34, 37, 39, 40, 40, 39, 38, 37, 36, 36, 36}},  // 3, 28, 46
  /*  3 */ {1, {12, 15, 22, 30, 34, 36, 37, 38, 38, 37, 36, 35, 34, 34, 34}},  // 4, 31
  /*  4 */ {1, {10, 13, 19, 27, 31, 33, 34, 34, 33, 33, 32, 32, 31, 31, 31}},  // 5, 42, 59, 61, 63
  /*  5 */ {1, {13, 15, 22, 30, 35, 38, 40, 41, 41, 40, 39, 38, 37, 37, 37}},  // 7, 19, 48, 62
  /*  6 */ {1, {12, 14, 21, 29, 33, 35, 36, 36, 35, 35, 34, 34, 33, 33, 33}},  // 9, 10
  /*  7 */ {1, {10, 13, 20, 28, 33, 36, 38, 39, 39, 38, 37, 36, 35, 35, 35}},  // 11, 32, 33, 44
  /*  8 */ {1, {11, 14, 21, 29, 33, 35, 36, 36, 35, 34, 33, 32, 32, 32, 32}},  // 14, 38
  /*  9 */ {1, {10, 12, 19, 27, 31, 33, 34, 34, 33, 32, 31, 30, 30, 30, 30}},  // 15, 29, 50
  /* 10 */ {1, { 8, 11, 17, 25, 29, 31, 32, 32, 31, 30, 30, 29, 29, 29, 29}},  // 16, 25, 37, 40, 52
  /* 11 */ {1, {12, 15, 22, 30, 34, 36, 37, 37, 36, 35, 34, 33, 33, 33, 33}},  // 17, 27, 51
  /* 12 */ {1, {13, 16, 23, 31, 35, 38, 40, 41, 41, 40, 39, 38, 38, 38, 38}},  // 18, 35
  /* 13 */ {1, {11, 14, 21, 29, 34, 37, 39, 40, 39, 38, 37, 36, 36, 36, 36}},  // 20, 41, 49
  /* 14 */ {1, {11, 14, 21, 29, 33, 35, 36, 36, 35, 34, 33, 33, 32, 32, 32}},  // 21, 56
  /* 15 */ {1, { 8, 10, 16, 24, 28, 30, 31, 31, 30, 30, 29, 29, 28, 28, 28}},  // 24, 58
  /* 16 */ {1, {12, 14, 21, 29, 33, 36, 38, 39, 38, 37, 36, 35, 35, 35, 35}},  // 2
  /* 17 */ {1, {13, 15, 22, 30, 34, 37, 39, 39, 38, 37, 36, 35, 35, 35, 35}},  // 6
  /* 18 */ {1, {11, 13, 20, 28, 32, 35, 36, 37, 37, 36, 35, 34, 34, 34, 34}},  // 12
  /* 19 */ {1, {10, 13, 20, 27, 31, 34, 35, 35, 34, 33, 32, 32, 31, 31, 31}},  // 13
  /* 20 */ {1, {11, 14, 21, 28, 32, 34, 35, 35, 34, 33, 32, 31, 31, 31, 31}},  // 22
  /* 21 */ {1, {12, 14, 21, 29, 33, 36, 37, 38, 37, 36, 35, 35, 34, 34, 34}},  // 23
  /* 22 */ {1, { 8, 10, 12, 22, 28, 31, 33, 34, 34, 33, 33, 32, 31, 31, 31}},  // 54
  /* 23 */ {10, { 0,  5, 25, 38, 36, 38, 38, 38, 38, 38, 38, 38, 38, 38, 38},
              { 5, 10, 20, 27, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30}},  // 8, 36, 45
  /* 24 */ {10, { 5, 10, 28, 40, 42, 44, 45, 45, 45, 44, 44, 43, 43, 43, 43},
              { 8, 12, 20, 28, 32, 34, 35, 35, 34, 34, 33, 33, 32, 32, 32}},  // 26, 34, 47, 55
  /* 25 */ {10, {10, 14, 26, 36, 40, 42, 43, 43, 42, 42, 41, 41, 40, 40, 40},
              {10, 12, 18, 25, 29, 31, 32, 32, 31, 31, 30, 30, 30, 30, 30}},  // 39
  /* 26 */ {10, { 5,  8, 20, 32, 38, 40, 41, 41, 40, 40, 39, 39, 38, 38, 38},
              { 5,  8, 15, 22, 27, 30, 31, 31, 30, 30, 29, 29, 28, 28, 28}},  // 53
  /* 27 */ {10, { 3,  8, 26, 38, 40, 42, 42, 42, 41, 41, 40, 40, 40, 40, 40},
              { 6, 11, 20, 27, 31, 33, 34, 34, 33, 33, 32, 32, 31, 31, 31}},  // 57
  /* 28 */ {10, { 8, 10, 20, 30, 36, 38, 40, 40, 40, 39, 39, 38, 38, 38, 38},
              { 8, 10, 16, 20, 24, 27, 29, 30, 30, 29, 29, 28, 28, 28, 28}},  // 60
};
// clang-format on

// ---- Injection positions (degrees) ----

// Positions of types 0 and 43; every table follows its fall over speed
// towards a plateau of its own.
constexpr Row kPositionShape{370, 370, 360, 358, 350, 348, 345, 343, 340, 340, 340, 340, 340, 340, 340};
struct PositionSpec {
  std::int32_t referenceA, referenceB;  // 0 beginning, 1 centre, 2 end
  std::int32_t plateauA, plateauB;  // the positions at high speed
};

// clang-format off
constexpr PositionSpec kPosition[] = {
  /*  0 */ {1, 1, 340, 340},  // 0, 43
  /*  1 */ {1, 1, 320, 320},  // 1, 30
  /*  2 */ {0, 2, 300, 330},  // 3, 21, 28, 46, 56
  /*  3 */ {0, 0, 310, 310},  // 4, 22, 31
  /*  4 */ {1, 2, 290, 350},  // 7, 19, 48, 62
  /*  5 */ {1, 1, 330, 360},  // 8, 36, 42, 45, 53, 57, 59, 60, 61, 63
  /*  6 */ {2, 2, 320, 340},  // 9, 10, 54
  /*  7 */ {0, 0, 350, 350},  // 11, 20, 32, 33, 41, 44
  /*  8 */ {0, 1, 345, 345},  // 12, 23
  /*  9 */ {1, 0, 335, 335},  // 13, 14, 38
  /* 10 */ {1, 1, 360, 360},  // 16, 25, 37, 40, 52
  /* 11 */ {2, 1, 300, 320},  // 17, 27, 51
  /* 12 */ {0, 0, 315, 315},  // 18, 35
  /* 13 */ {1, 1, 380, 380},  // 24, 58
  /* 14 */ {2, 2, 300, 300},  // 26, 49
  /* 15 */ {0, 2, 325, 345},  // 29, 50
  /* 16 */ {1, 2, 310, 340},  // 34, 47, 55
  /* 17 */ {0, 0, 330, 330},  // 2
  /* 18 */ {1, 1, 355, 355},  // 5
  /* 19 */ {2, 2, 340, 340},  // 6
  /* 20 */ {0, 0, 280, 280},  // 15
  /* 21 */ {2, 0, 360, 360},  // 39
};
// clang-format on

// ---- Servos ----

// Word 0 of every servo table; the defaults do not use it.
constexpr std::int32_t kServoWord0 = 400;
// Speed point sets as BikeTypes numbers them.
constexpr std::uint8_t kP1 = 0, kP2 = 1, kP3 = 2, kP5 = 4;

struct ServoSpec {
  std::uint8_t speedSet;
  int rows;                 // 1, or 10 (speed × throttle)
  Row full;                 // the only row, or the full-throttle row
  std::int32_t closed = 0;  // ten rows: the value at closed throttle
};

// From `low` up to column `from` to `high` from column `to`, straight between.
constexpr Row Ramp(std::int32_t low, std::int32_t high, int from, int to) {
  Row r{};
  for (int c = 0; c < static_cast<int>(kColumns); ++c)
    r[static_cast<std::size_t>(c)] = c <= from ? low : c >= to ? high : low + (high - low) * (c - from) / (to - from);
  return r;
}

// Percent where the bike's servo works in percent, else mV.
// clang-format off
constexpr ServoSpec kIntakeServo[] = {
  /*  0 */ {kP2, 1, {2000, 2100, 2200, 2300, 2400, 2450, 2500, 2550, 2600, 2650, 2700, 2750, 2800, 2850, 2900}},  // all others
  /*  1 */ {kP3, 1, Ramp(1500, 3500, 3, 10)},      // 4, 22, 31
  /*  2 */ {kP2, 10, Ramp(20, 100, 2, 9), 0},      // 7, 19, 26, 48, 49, 51, 54, 62 (%)
  /*  3 */ {kP3, 10, Ramp(15, 100, 3, 10), 0},     // 8, 36 (%)
  /*  4 */ {kP3, 1, Ramp(1200, 3800, 2, 9)},       // 13, 14, 38, 39
  /*  5 */ {kP3, 1, Ramp(1000, 4000, 4, 11)},      // 17, 27
  /*  6 */ {kP3, 1, Ramp(1800, 3200, 3, 8)},       // 21, 56
  /*  7 */ {kP5, 10, Ramp(1500, 4200, 3, 12), 800},  // 34, 47, 55
  /*  8 */ {kP1, 1, Ramp(1600, 3000, 2, 8)},       // 37, 40
  /*  9 */ {kP3, 1, Ramp(1400, 3600, 3, 10)},      // 42, 59, 60, 61, 63
  /* 10 */ {kP3, 1, Ramp(2000, 4000, 4, 11)},      // 45, 53
  /* 11 */ {kP2, 1, Ramp(1700, 3300, 3, 9)},       // 46
  /* 12 */ {kP1, 10, Ramp(1000, 4500, 2, 10), 600},  // 50, 52
  /* 13 */ {kP3, 10, Ramp(10, 100, 3, 11), 0},     // 57 (%)
};
// The exhaust of the types no row names takes the intake table of all others.
constexpr ServoSpec kExhaustServo[] = {
  /*  0 */ {kP3, 1, Ramp(800, 4200, 2, 8)},        // 4, 22, 31
  /*  1 */ {kP2, 1, Ramp(0, 100, 3, 9)},           // 7, 19, 48, 62 (%; type 7 alone works in mV)
  /*  2 */ {kP3, 1, Ramp(5, 100, 2, 9)},           // 8, 36, 51, 57 (%)
  /*  3 */ {kP3, 1, Ramp(1000, 4000, 3, 10)},      // 13, 14, 38, 39
  /*  4 */ {kP3, 1, Ramp(900, 4100, 3, 9)},        // 17, 27
  /*  5 */ {kP3, 1, Ramp(1100, 3900, 2, 9)},       // 21, 56
  /*  6 */ {kP5, 1, Ramp(1200, 4300, 3, 10)},      // 26, 49
  /*  7 */ {kP5, 1, Ramp(1000, 4400, 4, 11)},      // 34, 47
  /*  8 */ {kP1, 1, Ramp(1500, 3500, 3, 9)},       // 37, 40
  /*  9 */ {kP3, 1, Ramp(1300, 3700, 3, 10)},      // 42, 59, 60, 61, 63
  /* 10 */ {kP3, 1, Ramp(1600, 3800, 2, 10)},      // 45, 53
  /* 11 */ {kP2, 1, Ramp(1400, 3600, 4, 10)},      // 46
  /* 12 */ {kP1, 1, Ramp(1100, 3900, 3, 11)},      // 50, 52
  /* 13 */ {kP5, 1, Ramp(1000, 4500, 4, 12)},      // 55
};
// clang-format on

// ---- Reference injection (10 µs) ----

// Speed points without and with extended reference (rpm).
constexpr std::array<std::int32_t, 10> kTenPoints{1000, 2000, 3000, 4000, 6000, 8000, 10000, 12000, 14000, 16000};
constexpr std::array<std::int32_t, 15> kExtendedPoints{1000, 2000,  3000,  4000,  5000,  6000,  7000, 8000,
                                                       9000, 10000, 11000, 12000, 13000, 14000, 16000};
// Row points: throttle in 0.1 % for tables 1 and 2, intake pressure in 0.1 kPa for the IAP tables.
constexpr std::array<std::int32_t, kRows> kThrottlePoints = [] {
  std::array<std::int32_t, kRows> p{};
  for (std::size_t r = 0; r < kRows; ++r) p[r] = kThrottleRows[r] * 10;
  return p;
}();
constexpr std::array<std::int32_t, kRows> kLowPressures{100, 200, 300, 400, 500, 600, 700, 800, 900, 1000};
constexpr std::array<std::int32_t, kRows> kHighPressures{300, 500, 600, 700, 750, 800, 850, 900, 950, 1000};

// Reference table 1 of types 0, 42, 43 and 59 over the ten points: closed
// and full throttle. Every reference table is drawn from this character,
// scaled and stretched over the speed range.
constexpr std::array<std::int32_t, 10> kClosedCharacter{250, 187, 214, 214, 161, 121, 127, 127, 127, 127};
constexpr std::array<std::int32_t, 10> kFullCharacter{650, 687, 763, 736, 800, 898, 900, 900, 900, 900};

enum class Columns : std::uint8_t {
  kTen,
  kExtended,
  kInjectionSet,  // the injection map speed points of `ofType`
  kIapSet,        // the IAP map speed points of `ofType`
};
struct ReferenceSpec {
  Columns columns;
  std::int32_t closed, full;  // percent of the character's closed and full-throttle rows
  std::int32_t stretch;       // percent: the character's speeds reached this much later
  std::uint8_t ofType = 0;
};
constexpr Columns kTen = Columns::kTen, kExt = Columns::kExtended;

// clang-format off
constexpr ReferenceSpec kReference1[] = {
  /*  0 */ {kTen, 100, 100, 100},  // 0, 42, 43, 59
  /*  1 */ {kTen,  85,  95, 125},  // 3, 21, 28, 46, 56
  /*  2 */ {kTen,  90, 105, 110},  // 4, 22, 31
  /*  3 */ {kTen,  80,  85, 130},  // 7, 19, 48, 62
  /*  4 */ {kExt,  90, 100, 120},  // 8, 36, 45
  /*  5 */ {kTen, 100, 115, 105},  // 9, 10, 54
  /*  6 */ {kTen,  85,  95, 120},  // 12, 23
  /*  7 */ {kTen,  95, 110, 110},  // 13, 14, 38
  /*  8 */ {kTen, 105, 120, 100},  // 15, 29, 50
  /*  9 */ {kTen,  80,  85, 130},  // 18, 35
  /* 10 */ {kTen, 110, 125,  90},  // 24, 58
  /* 11 */ {kTen, 105, 115,  95},  // 25, 37, 40, 52
  /* 12 */ {kTen,  95, 110, 115},  // 27, 51
  /* 13 */ {kExt,  85, 100, 130},  // 34, 47, 55
  /* 14 */ {kExt,  70,  65, 130},  // 61, 63
  /* 15 */ {kTen,  85,  95, 125},  // 6, 11, 20, 32, 33, 41, 44, 49
  /* 16 */ {kTen, 100, 105, 100},  // 1
  /* 17 */ {kTen,  85,  90, 125},  // 2
  /* 18 */ {kTen, 105, 110,  95},  // 5
  /* 19 */ {kTen, 110, 115,  95},  // 16
  /* 20 */ {kTen,  90, 105, 120},  // 17
  /* 21 */ {kExt,  90, 110, 120},  // 26
  /* 22 */ {kTen,  95, 105, 100},  // 30
  /* 23 */ {kExt,  75,  80, 115},  // 39
  /* 24 */ {Columns::kInjectionSet, 100, 115, 95, 53},  // 53
  /* 25 */ {kExt,  90, 105, 120},  // 57
  /* 26 */ {Columns::kInjectionSet, 105, 110, 85, 60},  // 60
};
constexpr ReferenceSpec kReference2[] = {
  /*  0 */ {kTen,  95,  95, 100},  // 0, 42, 43, 59
  /*  1 */ {kTen,  80,  90, 125},  // 3, 21, 28, 46, 56
  /*  2 */ {kTen,  85, 100, 110},  // 4, 22, 31
  /*  3 */ {kTen,  80,  90, 125},  // 6, 11, 20, 33, 41, 44, 49
  /*  4 */ {kTen,  75,  80, 130},  // 7, 19, 48, 62
  /*  5 */ {kExt,  85,  95, 120},  // 8, 36, 45
  /*  6 */ {kTen,  95, 110, 105},  // 9, 10, 54
  /*  7 */ {kTen,  80,  90, 120},  // 12, 23
  /*  8 */ {kTen,  90, 105, 110},  // 13, 14, 38
  /*  9 */ {kTen, 100, 115, 100},  // 15, 29, 50
  /* 10 */ {kTen,  75,  80, 130},  // 18, 35
  /* 11 */ {kTen, 105, 120,  90},  // 24, 58
  /* 12 */ {kExt,  85, 100, 120},  // 26, 32, 61, 63: 15 columns for all four
  /* 13 */ {kTen,  90, 105, 115},  // 27, 51
  /* 14 */ {kExt,  80,  95, 130},  // 34, 47
  /* 15 */ {kTen,  95, 100, 100},  // 1
  /* 16 */ {kTen,  80,  85, 125},  // 2
  /* 17 */ {kTen, 100, 105,  95},  // 5
  /* 18 */ {kTen, 105, 110,  95},  // 16
  /* 19 */ {kTen,  85, 100, 120},  // 17
  /* 20 */ {kTen,  90, 100, 100},  // 30
  /* 21 */ {kExt,  70,  75, 115},  // 39
};
constexpr ReferenceSpec kIapReference[] = {
  /*  0 */ {kTen,  90, 100, 100},  // 0, 42, 43, 59
  /*  1 */ {kTen,  80,  95, 125},  // 3, 21, 28, 46, 56
  /*  2 */ {kTen,  85, 105, 110},  // 4, 22, 31
  /*  3 */ {kTen,  75,  85, 130},  // 7, 19, 48, 62
  /*  4 */ {kExt,  85, 100, 120},  // 8, 36, 45
  /*  5 */ {kTen,  95, 115, 105},  // 9, 10
  /*  6 */ {kTen,  80,  95, 120},  // 12, 23
  /*  7 */ {kTen,  90, 110, 110},  // 13, 14, 38
  /*  8 */ {kTen, 100, 120, 100},  // 15, 29, 50
  /*  9 */ {kTen,  75,  85, 130},  // 18, 35
  /* 10 */ {kTen, 105, 125,  90},  // 24, 58
  /* 11 */ {kTen, 100, 115,  95},  // 25, 37, 40, 52
  /* 12 */ {kExt,  85, 105, 120},  // 26, 39
  /* 13 */ {kTen,  90, 110, 115},  // 27, 51
  /* 14 */ {kExt,  80, 100, 130},  // 34, 47, 55
  /* 15 */ {kTen,  80,  95, 125},  // 6, 11, 20, 32, 33, 41, 44, 49
  /* 16 */ {kTen,  95, 105, 100},  // 1
  /* 17 */ {kTen,  80,  90, 125},  // 2
  /* 18 */ {kTen, 100, 110,  95},  // 5
  /* 19 */ {kTen, 105, 115,  95},  // 16
  /* 20 */ {kTen,  85, 105, 120},  // 17
  /* 21 */ {kTen,  90, 105, 100},  // 30
  /* 22 */ {Columns::kIapSet, 95, 115, 95, 53},        // 53
  /* 23 */ {Columns::kIapSet, 95, 115, 105, 54},       // 54
  /* 24 */ {kExt,  85, 105, 120},  // 57
  /* 25 */ {Columns::kInjectionSet, 100, 110, 85, 60},  // 60: the columns of its table 1
};
// clang-format on

// ---- Which table each type takes ----

// Reference table 2 or the IAP table: the type's reference table 1 serves.
// Exhaust servo: the intake table of all others serves.
constexpr std::int8_t kAsTable1 = -1;
constexpr std::int8_t kCommonServo = -1;
constexpr std::int8_t T1 = kAsTable1, CS = kCommonServo;

struct TypeTables {
  std::int8_t advance, position, intake, exhaust, reference1, reference2, iap;
};
// clang-format off
constexpr TypeTables kTypeTables[] = {
  // adv pos  in  ex  r1  r2 iap
  {   0,  0,  0, CS,  0,  0,  0},  // 0
  {   1,  1,  0, CS, 16, 15, 16},  // 1
  {  16, 17,  0, CS, 17, 16, 17},  // 2
  {   2,  2,  0, CS,  1,  1,  1},  // 3
  {   3,  3,  1,  0,  2,  2,  2},  // 4
  {   4, 18,  0, CS, 18, 17, 18},  // 5
  {  17, 19,  0, CS, 15,  3, 15},  // 6
  {   5,  4,  2,  1,  3,  4,  3},  // 7
  {  23,  5,  3,  2,  4,  5,  4},  // 8
  {   6,  6,  0, CS,  5,  6,  5},  // 9
  {   6,  6,  0, CS,  5,  6,  5},  // 10
  {   7,  7,  0, CS, 15,  3, 15},  // 11
  {  18,  8,  0, CS,  6,  7,  6},  // 12
  {  19,  9,  4,  3,  7,  8,  7},  // 13
  {   8,  9,  4,  3,  7,  8,  7},  // 14
  {   9, 20,  0, CS,  8,  9,  8},  // 15
  {  10, 10,  0, CS, 19, 18, 19},  // 16
  {  11, 11,  5,  4, 20, 19, 20},  // 17
  {  12, 12,  0, CS,  9, 10,  9},  // 18
  {   5,  4,  2,  1,  3,  4,  3},  // 19
  {  13,  7,  0, CS, 15,  3, 15},  // 20
  {  14,  2,  6,  5,  1,  1,  1},  // 21
  {  20,  3,  1,  0,  2,  2,  2},  // 22
  {  21,  8,  0, CS,  6,  7,  6},  // 23
  {  15, 13,  0, CS, 10, 11, 10},  // 24
  {  10, 10,  0, CS, 11, T1, 11},  // 25
  {  24, 14,  2,  6, 21, 12, 12},  // 26
  {  11, 11,  5,  4, 12, 13, 13},  // 27
  {   2,  2,  0, CS,  1,  1,  1},  // 28
  {   9, 15,  0, CS,  8,  9,  8},  // 29
  {   1,  1,  0, CS, 22, 20, 21},  // 30
  {   3,  3,  1,  0,  2,  2,  2},  // 31
  {   7,  7,  0, CS, 15, 12, 15},  // 32
  {   7,  7,  0, CS, 15,  3, 15},  // 33
  {  24, 16,  7,  7, 13, 14, 14},  // 34
  {  12, 12,  0, CS,  9, 10,  9},  // 35
  {  23,  5,  3,  2,  4,  5,  4},  // 36
  {  10, 10,  8,  8, 11, T1, 11},  // 37
  {   8,  9,  4,  3,  7,  8,  7},  // 38
  {  25, 21,  4,  3, 23, 21, 12},  // 39
  {  10, 10,  8,  8, 11, T1, 11},  // 40
  {  13,  7,  0, CS, 15,  3, 15},  // 41
  {   4,  5,  9,  9,  0,  0,  0},  // 42
  {   0,  0,  0, CS,  0,  0,  0},  // 43
  {   7,  7,  0, CS, 15,  3, 15},  // 44
  {  23,  5, 10, 10,  4,  5,  4},  // 45
  {   2,  2, 11, 11,  1,  1,  1},  // 46
  {  24, 16,  7,  7, 13, 14, 14},  // 47
  {   5,  4,  2,  1,  3,  4,  3},  // 48
  {  13, 14,  2,  6, 15,  3, 15},  // 49
  {   9, 15, 12, 12,  8,  9,  8},  // 50
  {  11, 11,  2,  2, 12, 13, 13},  // 51
  {  10, 10, 12, 12, 11, T1, 11},  // 52
  {  26,  5, 10, 10, 24, T1, 22},  // 53
  {  22,  6,  2, CS,  5,  6, 23},  // 54
  {  24, 16,  7, 13, 13, T1, 14},  // 55
  {  14,  2,  6,  5,  1,  1,  1},  // 56
  {  27,  5, 13,  2, 25, T1, 24},  // 57
  {  15, 13,  0, CS, 10, 11, 10},  // 58
  {   4,  5,  9,  9,  0,  0,  0},  // 59
  {  28,  5,  9,  9, 26, T1, 25},  // 60
  {   4,  5,  9,  9, 14, 12, T1},  // 61
  {   5,  4,  2,  1,  3,  4,  3},  // 62
  {   4,  5,  9,  9, 14, 12, T1},  // 63
};
// clang-format on
static_assert(std::size(kTypeTables) == kBikeTypeCount);

// Out of range reads nothing: anything but a bike type takes type 0's tables.
int Checked(int bike) { return IsBikeType(bike) ? bike : 0; }

// ---- The tables, built once ----

// Built at first use rather than at compile time: the speed point sets of the
// maps are the bike types' own and reach this file only through a function.

struct Reference {
  std::span<const std::int32_t> speedPoints;
  Values values;
};

class Store {
 public:
  Store() {
    for (int s = 0; s < kSpeedSetCount; ++s)
      for (std::size_t i = 0; i < kColumns; ++i) m_rpm[static_cast<std::size_t>(s)][i] = SpeedPointSet(s)[i] * 100;
    for (const AdvanceSpec& a : kAdvance) m_advance.push_back(MakeAdvance(a));
    for (const PositionSpec& p : kPosition) m_position.push_back(MakePosition(p));
    for (const ServoSpec& s : kIntakeServo) m_intake.push_back(MakeServo(s));
    for (const ServoSpec& s : kExhaustServo) m_exhaust.push_back(MakeServo(s));
    for (const ReferenceSpec& r : kReference1) m_reference1.push_back(BuildReference(r, kThrottlePoints));
    for (const ReferenceSpec& r : kReference2) m_reference2.push_back(BuildReference(r, kThrottlePoints));
    for (const ReferenceSpec& r : kIapReference) m_iap.push_back(BuildReference(r, PressurePoints(r)));
    for (int t = 0; t < kBikeTypeCount; ++t) m_byType[static_cast<std::size_t>(t)] = Compose(kTypeTables[t]);
  }

  std::span<const std::int32_t> Advance(int bike) const { return m_advance[Of(bike).advance]; }
  std::span<const std::int32_t> Position(int bike) const { return m_position[Of(bike).position]; }
  std::span<const std::int32_t> Intake(int bike) const { return m_intake[Of(bike).intake]; }
  std::span<const std::int32_t> Exhaust(int bike) const {
    const std::int8_t i = Of(bike).exhaust;
    return i == kCommonServo ? m_intake[0] : m_exhaust[static_cast<std::size_t>(i)];
  }
  const InjectionReference& ReferenceOf(int bike) const { return m_byType[static_cast<std::size_t>(Checked(bike))]; }

 private:
  static const TypeTables& Of(int bike) { return kTypeTables[Checked(bike)]; }

  static Values MakeAdvance(const AdvanceSpec& a) {
    Values first(a.first.begin(), a.first.end());
    if (a.rows == 1) return first;
    return TenRows(first, Values(a.last.begin(), a.last.end()), kThrottleWeight);
  }

  static Values MakePosition(const PositionSpec& p) {
    Values v{p.referenceA, p.referenceB};
    for (std::int32_t plateau : {p.plateauA, p.plateauB})
      for (std::int32_t s : kPositionShape) v.push_back(plateau + s - kPositionShape.back());
    return v;
  }

  Values MakeServo(const ServoSpec& s) const {
    Values v{kServoWord0};
    v.insert(v.end(), m_rpm[s.speedSet].begin(), m_rpm[s.speedSet].end());
    if (s.rows == 1) {
      v.insert(v.end(), s.full.begin(), s.full.end());
    } else {
      Row closed{};
      closed.fill(s.closed);
      const Values rows = TenRows(closed, s.full, kThrottleWeight);
      v.insert(v.end(), rows.begin(), rows.end());
    }
    return v;
  }

  std::span<const std::int32_t> Points(const ReferenceSpec& r) const {
    switch (r.columns) {
      case Columns::kTen:
        return kTenPoints;
      case Columns::kExtended:
        return kExtendedPoints;
      case Columns::kInjectionSet:
        return m_rpm[SpeedSetsOf(r.ofType).value_or(BikeSpeedSets{}).injection];
      case Columns::kIapSet:
        return m_rpm[SpeedSetsOf(r.ofType).value_or(BikeSpeedSets{}).iap];
    }
    return kTenPoints;
  }

  // The IAP tables of the extended-reference bikes start at 30 kPa; those
  // are exactly the tables with other than the ten plain speed points (type
  // 54 reads its IAP table over 15 points although its table 1 has ten).
  static std::span<const std::int32_t> PressurePoints(const ReferenceSpec& r) {
    if (r.columns == Columns::kTen) return kLowPressures;
    return kHighPressures;
  }

  // The character at `rpm` on the stretched speed scale.
  static std::int32_t AtSpeed(std::span<const std::int32_t> character, std::int32_t rpm, std::int32_t stretch) {
    const std::int32_t x = rpm * 100 / stretch;
    if (x <= kTenPoints.front()) return character.front();
    for (std::size_t i = 1; i < kTenPoints.size(); ++i) {
      if (x <= kTenPoints[i]) {
        const std::int32_t x0 = kTenPoints[i - 1];
        return character[i - 1] + (character[i] - character[i - 1]) * (x - x0) / (kTenPoints[i] - x0);
      }
    }
    return character.back();
  }

  Reference BuildReference(const ReferenceSpec& r, std::span<const std::int32_t> rowPoints) const {
    Reference ref{Points(r), {}};
    Values first, last;
    for (std::int32_t rpm : ref.speedPoints) {
      first.push_back(AtSpeed(kClosedCharacter, rpm, r.stretch) * r.closed / 100);
      last.push_back(AtSpeed(kFullCharacter, rpm, r.stretch) * r.full / 100);
    }
    ref.values = TenRows(first, last, rowPoints);
    return ref;
  }

  InjectionReference Compose(const TypeTables& t) const {
    const Reference& table1 = m_reference1[static_cast<std::size_t>(t.reference1)];
    const Reference& table2 = t.reference2 == kAsTable1 ? table1 : m_reference2[static_cast<std::size_t>(t.reference2)];
    const ReferenceSpec& iapSpec = t.iap == kAsTable1 ? kReference1[t.reference1] : kIapReference[t.iap];
    const Reference& iap = t.iap == kAsTable1 ? table1 : m_iap[static_cast<std::size_t>(t.iap)];
    return {{table1.speedPoints, kThrottlePoints, table1.values},
            {table2.speedPoints, kThrottlePoints, table2.values},
            {iap.speedPoints, PressurePoints(iapSpec), iap.values}};
  }

  std::array<std::array<std::int32_t, kColumns>, kSpeedSetCount> m_rpm{};
  std::vector<Values> m_advance, m_position, m_intake, m_exhaust;
  std::vector<Reference> m_reference1, m_reference2, m_iap;
  std::array<InjectionReference, kBikeTypeCount> m_byType{};
};

const Store& Tables() {
  static const Store store;
  return store;
}

}  // namespace

std::span<const std::int32_t> AdvanceTable(int bike) { return Tables().Advance(bike); }
std::span<const std::int32_t> PositionTable(int bike) { return Tables().Position(bike); }
std::span<const std::int32_t> IntakeServoTable(int bike) { return Tables().Intake(bike); }
std::span<const std::int32_t> ExhaustServoTable(int bike) { return Tables().Exhaust(bike); }
const InjectionReference& ReferenceOf(int bike) { return Tables().ReferenceOf(bike); }

const void* TuneTableIdentity(TuneTableKind kind, int bike) {
  const InjectionReference& r = ReferenceOf(bike);
  switch (kind) {
    case TuneTableKind::kAdvance:
      return AdvanceTable(bike).data();
    case TuneTableKind::kPosition:
      return PositionTable(bike).data();
    case TuneTableKind::kIntakeServo:
      return IntakeServoTable(bike).data();
    case TuneTableKind::kExhaustServo:
      return ExhaustServoTable(bike).data();
    case TuneTableKind::kReference1:
      return r.maps14.values.data();
    case TuneTableKind::kReference2:
      return r.maps23.values.data();
    case TuneTableKind::kIapReference:
      return r.iap.values.data();
  }
  return nullptr;
}
