#include "image/Normalise.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "image/ConfigImage.h"

namespace {

int Word(const ConfigImage& image, std::size_t offset) { return image[offset] | (image[offset + 1] << 8); }
void SetWord(ConfigImage& image, std::size_t offset, int v) {
  image[offset] = static_cast<std::uint8_t>(v & 0xFF);
  image[offset + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
}
int Signed(const ConfigImage& image, std::size_t offset) { return static_cast<std::int8_t>(image[offset]); }

struct Case {
  const char* name;
  std::function<void(ConfigImage&)> setup;
  std::function<void(const ConfigImage&)> check;
};

}  // namespace

TEST(NormaliseTest, LimitCases) {
  const Case cases[] = {
      {"equal axis bytes count up from the first", [](ConfigImage& m) { std::fill_n(m.begin() + 465, 15, 5); },
       [](const ConfigImage& m) {
         for (int i = 0; i < 15; ++i) EXPECT_EQ(m[465 + static_cast<std::size_t>(i)], 5 + i);
       }},
      {"an axis of 255s ends at 250", [](ConfigImage& m) { std::fill_n(m.begin() + 480, 15, 255); },
       [](const ConfigImage& m) {
         for (int i = 0; i < 15; ++i) EXPECT_EQ(m[480 + static_cast<std::size_t>(i)], 236 + i);
       }},
      {"axis point 0 at position 0 becomes 1",
       [](ConfigImage& m) {
         for (int i = 0; i < 15; ++i) m[405 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(10 * i);
       },
       [](const ConfigImage& m) {
         EXPECT_EQ(m[405], 1);
         EXPECT_EQ(m[406], 10);
         EXPECT_EQ(m[419], 140);
       }},
      {"advance held between -20 and 60",
       [](ConfigImage& m) {
         m[600] = static_cast<std::uint8_t>(-30);
         m[749] = 70;
       },
       [](const ConfigImage& m) {
         EXPECT_EQ(Signed(m, 600), -20);
         EXPECT_EQ(Signed(m, 749), 60);
       }},
      {"trigger 7 caps advance at base + range",
       [](ConfigImage& m) {
         m[2] = 7, m[45] = 30, m[46] = 20;
         m[600] = 55, m[601] = static_cast<std::uint8_t>(-5);
       },
       [](const ConfigImage& m) {
         EXPECT_EQ(Signed(m, 600), 50);
         EXPECT_EQ(Signed(m, 601), -5);
       }},
      {"trigger 22 caps advance too", [](ConfigImage& m) { m[2] = 22, m[45] = 30, m[46] = 20, m[700] = 55; },
       [](const ConfigImage& m) { EXPECT_EQ(Signed(m, 700), 50); }},
      {"other triggers leave advance up to 60", [](ConfigImage& m) { m[2] = 8, m[45] = 30, m[46] = 20, m[700] = 55; },
       [](const ConfigImage& m) { EXPECT_EQ(Signed(m, 700), 55); }},
      {"the cap uses the base advance as limited, in one pass",
       [](ConfigImage& m) { m[2] = 7, m[45] = 200, m[46] = 0, m[600] = 55; },
       [](const ConfigImage& m) {
         EXPECT_EQ(m[45], 40);
         EXPECT_EQ(Signed(m, 600), 40);
       }},
      {"injection B and desired AFR values",
       [](ConfigImage& m) { m[1950] = 200, m[2099] = 101, m[2705] = 255, m[2729] = 251; },
       [](const ConfigImage& m) {
         EXPECT_EQ(m[1950], 100);
         EXPECT_EQ(m[2099], 100);
         EXPECT_EQ(m[2705], 250);
         EXPECT_EQ(m[2729], 250);
       }},
      {"throttle sensor and starting injection", [](ConfigImage& m) { m[33] = 251, m[34] = 255, m[92] = 51; },
       [](const ConfigImage& m) {
         EXPECT_EQ(m[33], 250);
         EXPECT_EQ(m[34], 250);
         EXPECT_EQ(m[92], 50);
       }},
      {"starting correction times and values",
       [](ConfigImage& m) { m[67] = 9, m[68] = 9, m[69] = 255, m[70] = 255, m[71] = 251; },
       [](const ConfigImage& m) {
         EXPECT_EQ(m[67], 9);
         EXPECT_EQ(m[68], 10);
         EXPECT_EQ(m[69], 249);
         EXPECT_EQ(m[70], 250);
         EXPECT_EQ(m[71], 250);
       }},
      {"pilot light second speed not below the first", [](ConfigImage& m) { m[110] = 90, m[116] = 80, m[117] = 5; },
       [](const ConfigImage& m) {
         EXPECT_EQ(m[116], 90);
         EXPECT_EQ(m[117], 5);
       }},
      {"gas stages, times and retards",
       [](ConfigImage& m) {
         m[99] = 80, m[100] = 50, m[101] = 0, m[102] = 201, m[103] = 30, m[104] = 10, m[105] = 0, m[106] = 255;
         m[158] = 150, m[159] = 120;
       },
       [](const ConfigImage& m) {
         EXPECT_EQ(m[99], 80);
         EXPECT_EQ(m[100], 80);
         EXPECT_EQ(m[101], 1);
         EXPECT_EQ(m[102], 200);
         EXPECT_EQ(m[103], 25);
         EXPECT_EQ(m[104], 25);
         EXPECT_EQ(m[105], 1);
         EXPECT_EQ(m[106], 200);
         EXPECT_EQ(m[159], 150);
       }},
      {"gas stage 2 above 100 comes down before it is compared", [](ConfigImage& m) { m[99] = 120, m[100] = 130; },
       [](const ConfigImage& m) {
         EXPECT_EQ(m[99], 100);
         EXPECT_EQ(m[100], 100);
       }},
      {"base advance -5 stored as 251 becomes 40", [](ConfigImage& m) { m[45] = 251; },
       [](const ConfigImage& m) { EXPECT_EQ(m[45], 40); }},
      {"IAP -> TP switch", [](ConfigImage& m) { m[48] = 200, m[49] = 50, m[50] = 60, m[51] = 40; },
       [](const ConfigImage& m) {
         EXPECT_EQ(m[48], 101);
         EXPECT_EQ(m[49], 101);
         EXPECT_EQ(m[51], 60);
       }},
      {"temperature sensors fall",
       [](ConfigImage& m) {
         for (int i = 0; i < 9; ++i) SetWord(m, 194 + 2 * static_cast<std::size_t>(i), 4000);
         SetWord(m, 212, 0xFFFF);
       },
       [](const ConfigImage& m) {
         for (int i = 0; i < 9; ++i) EXPECT_EQ(Word(m, 194 + 2 * static_cast<std::size_t>(i)), 4000 - i);
         EXPECT_EQ(Word(m, 212), 5000);
         EXPECT_EQ(Word(m, 228), 0);
       }},
      {"excitation within the period", [](ConfigImage& m) { m[77] = 20, m[78] = 30; },
       [](const ConfigImage& m) { EXPECT_EQ(m[78], 20); }},
      {"step pulse within the period", [](ConfigImage& m) { m[0] = 11, m[294] = 30, m[295] = 20; },
       [](const ConfigImage& m) { EXPECT_EQ(m[294], 20); }},
      {"step pulse of bike 61 is left alone", [](ConfigImage& m) { m[0] = 61, m[294] = 30, m[295] = 20; },
       [](const ConfigImage& m) { EXPECT_EQ(m[294], 30); }},
      {"tuned channel at most the cylinders", [](ConfigImage& m) { m[47] = 0, m[256] = 2, m[350] = 4; },
       [](const ConfigImage& m) { EXPECT_EQ(m[350], 2); }},
      {"tuned channel 1 when coupled", [](ConfigImage& m) { m[47] = 2, m[256] = 4, m[350] = 3; },
       [](const ConfigImage& m) { EXPECT_EQ(m[350], 1); }},
      {"standard lambda voltages fall",
       [](ConfigImage& m) {
         m[352] = 0;
         for (int i = 0; i < 5; ++i) SetWord(m, 358 + 2 * static_cast<std::size_t>(i), 1000 * i);
       },
       [](const ConfigImage& m) {
         for (int i = 0; i < 5; ++i) EXPECT_EQ(Word(m, 358 + 2 * static_cast<std::size_t>(i)), 4 - i);
       }},
      {"wide-band lambda voltages rise",
       [](ConfigImage& m) {
         m[352] = 1;
         for (int i = 0; i < 5; ++i) SetWord(m, 358 + 2 * static_cast<std::size_t>(i), 1000 * i);
       },
       [](const ConfigImage& m) {
         for (int i = 0; i < 5; ++i) EXPECT_EQ(Word(m, 358 + 2 * static_cast<std::size_t>(i)), 1000 * i);
       }},
      {"lambda tacho and bar", [](ConfigImage& m) { m[368] = 200, m[369] = 100, m[370] = 0, m[371] = 255; },
       [](const ConfigImage& m) {
         EXPECT_EQ(m[369], 201);
         EXPECT_EQ(m[370], 1);
         EXPECT_EQ(m[371], 250);
         EXPECT_EQ(m[372], 0);
         EXPECT_EQ(m[375], 3);
       }},
      {"desired AFR speed axis starts at 3", [](ConfigImage&) {},
       [](const ConfigImage& m) {
         for (int i = 0; i < 5; ++i) EXPECT_EQ(m[2700 + static_cast<std::size_t>(i)], 3 + i);
       }},
      {"pressure axis rises within 0 to 1000", [](ConfigImage& m) { SetWord(m, 402, 2000); },
       [](const ConfigImage& m) {
         EXPECT_EQ(Word(m, 384), 0);
         EXPECT_EQ(Word(m, 400), 8);
         EXPECT_EQ(Word(m, 402), 1000);
       }},
      {"idle band above the hysteresis, then at most 50", [](ConfigImage& m) { m[290] = 2, m[296] = 60, m[297] = 10; },
       [](const ConfigImage& m) { EXPECT_EQ(m[297], 50); }},
      {"idle band raised above a small hysteresis", [](ConfigImage& m) { m[290] = 2, m[296] = 20, m[297] = 10; },
       [](const ConfigImage& m) { EXPECT_EQ(m[297], 21); }},
      {"idle band after a hysteresis of 255 is the widest",
       [](ConfigImage& m) { m[290] = 2, m[296] = 255, m[297] = 3; },
       [](const ConfigImage& m) { EXPECT_EQ(m[297], 50); }},
      {"idle band of other idle types only bounded", [](ConfigImage& m) { m[290] = 1, m[296] = 60, m[297] = 0; },
       [](const ConfigImage& m) { EXPECT_EQ(m[297], 1); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ConfigImage image{};
    c.setup(image);
    NormaliseImage(image);
    c.check(image);
  }
}

TEST(NormaliseTest, ProgramSettingsComeIntoRange) {
  const struct {
    int language;
    std::uint8_t port, autoPort;
    int wantLanguage;
    std::uint8_t wantPort, wantAuto;
  } cases[] = {
      {3, 20, 19, 3, 20, 19},
      {4, 21, 20, 0, 0, 0},
      {-1, 255, 255, 0, 0, 0},
  };
  for (const auto& c : cases) {
    int language = c.language;
    std::uint8_t port = c.port, autoPort = c.autoPort;
    ConfigImage image{};
    NormaliseImage(image, {&language, &port, &autoPort});
    EXPECT_EQ(language, c.wantLanguage);
    EXPECT_EQ(port, c.wantPort);
    EXPECT_EQ(autoPort, c.wantAuto);
  }
}

namespace {

// Every limit, restated as a property of the finished image.
void ExpectNormal(const ConfigImage& m) {
  auto rising = [&](std::size_t at, int n, int lo, int hi) {
    for (int i = 0; i < n; ++i) {
      const int v = m[at + static_cast<std::size_t>(i)];
      EXPECT_GE(v, lo) << at;
      EXPECT_LE(v, hi) << at;
      if (i > 0) {
        EXPECT_GT(v, m[at + static_cast<std::size_t>(i) - 1]) << at;
      }
    }
  };
  auto words = [&](std::size_t at, int n, int lo, int hi, bool up) {
    for (int i = 0; i < n; ++i) {
      const int v = Word(m, at + 2 * static_cast<std::size_t>(i));
      EXPECT_GE(v, lo) << at;
      EXPECT_LE(v, hi) << at;
      if (i > 0) {
        const int prev = Word(m, at + 2 * static_cast<std::size_t>(i - 1));
        if (up)
          EXPECT_GT(v, prev) << at;
        else
          EXPECT_LT(v, prev) << at;
      }
    }
  };
  for (std::size_t axis : {465, 480, 495, 510, 525, 540, 555, 405, 435, 585, 570}) rising(axis, 15, 1, 250);
  words(384, 10, 0, 1000, true);
  const bool capped = m[2] == 7 || m[2] == 22;
  for (std::size_t b = 600; b < 750; ++b) {
    EXPECT_GE(Signed(m, b), -20);
    EXPECT_LE(Signed(m, b), 60);
    if (capped) {
      EXPECT_LE(Signed(m, b), m[45] + m[46]);
    }
  }
  for (std::size_t b = 1950; b < 2100; ++b) EXPECT_LE(m[b], 100);
  EXPECT_LE(m[33], 250);
  EXPECT_LE(m[34], 250);
  EXPECT_LE(m[92], 50);
  rising(67, 4, 0, 250);
  for (std::size_t b = 71; b < 75; ++b) EXPECT_LE(m[b], 250);
  for (std::size_t g = 0; g < 6; ++g) EXPECT_GE(m[114 + g], m[108 + g]);
  EXPECT_LE(m[99], 100);
  EXPECT_LE(m[100], 100);
  EXPECT_GE(m[100], m[99]);
  EXPECT_GE(m[101], 1);
  EXPECT_LE(m[101], 200);
  EXPECT_LE(m[102], 200);
  EXPECT_LE(m[103], 25);
  EXPECT_LE(m[104], 25);
  EXPECT_GE(m[104], m[103]);
  EXPECT_GE(m[105], 1);
  EXPECT_LE(m[105], 200);
  EXPECT_LE(m[106], 200);
  EXPECT_GE(m[159], m[158]);
  EXPECT_LE(m[45], 40);
  EXPECT_LE(m[48], 101);
  EXPECT_GE(m[49], m[48]);
  EXPECT_GE(m[51], m[50]);
  words(194, 9, 0, 5000, false);
  words(212, 9, 0, 5000, false);
  EXPECT_LE(m[78], m[77]);
  if (m[0] != 38 && m[0] != 61 && m[0] != 63) {
    EXPECT_LE(m[294], m[295]);
  }
  EXPECT_LE(m[350], m[47] != 0 ? 1 : m[256]);
  rising(353, 5, 0, 250);
  words(358, 5, 0, 5000, m[352] != 0);
  rising(368, 2, 0, 250);
  EXPECT_GE(m[370], 1);
  EXPECT_LE(m[370], 250);
  EXPECT_GE(m[371], 1);
  EXPECT_LE(m[371], 250);
  rising(372, 4, 0, 250);
  rising(2700, 5, 3, 250);
  for (std::size_t b = 2705; b < 2730; ++b) EXPECT_LE(m[b], 250);
  EXPECT_GE(m[297], 1);
  EXPECT_LE(m[297], 50);
  if (m[290] == 2 && m[296] < 50) {
    EXPECT_GT(m[297], m[296]);
  }
}

// Bytes some limit may change; every other byte must come through as it was.
bool Limited(std::size_t b) {
  const std::pair<std::size_t, std::size_t> ranges[] = {
      {33, 34},   {45, 45},   {48, 49},   {51, 51},   {67, 74},   {78, 78},     {92, 92},
      {99, 106},  {114, 119}, {159, 159}, {194, 229}, {294, 294}, {297, 297},   {350, 350},
      {353, 375}, {384, 403}, {405, 419}, {435, 449}, {465, 749}, {1950, 2099}, {2700, 2729},
  };
  for (const auto& [first, last] : ranges)
    if (b >= first && b <= last) return true;
  return false;
}

}  // namespace

TEST(NormaliseTest, RandomImagesEndNormalAndStayPut) {
  std::mt19937 rng(20070083);
  const std::uint8_t triggers[] = {7, 22, 3};
  const std::uint8_t bikes[] = {38, 61, 63, 11};
  for (int n = 0; n < 3000; ++n) {
    ConfigImage image;
    for (auto& b : image) b = static_cast<std::uint8_t>(rng());
    // Steer a share of the images into the conditional rules.
    if (n % 3 == 0) image[2] = triggers[(n / 3) % 3];
    if (n % 4 == 0) image[290] = 2;
    if (n % 5 == 0) image[0] = bikes[(n / 5) % 4];
    if (n % 2 == 0) image[352] = static_cast<std::uint8_t>(n % 4 == 0);
    if (n % 7 == 0) image[45] = static_cast<std::uint8_t>(rng() % 60);
    const ConfigImage before = image;

    NormaliseImage(image);
    SCOPED_TRACE("image " + std::to_string(n));
    ExpectNormal(image);
    for (std::size_t b = 0; b < kImageSize; ++b)
      if (!Limited(b)) {
        ASSERT_EQ(image[b], before[b]) << "byte " << b;
      }

    const ConfigImage once = image;
    NormaliseImage(image);
    ASSERT_EQ(image, once);
    if (HasFailure()) return;
  }
}

TEST(NormaliseTest, AxisRuleLiftsRepeatsAndSqueezesIntoRange) {
  const struct {
    std::vector<std::uint8_t> in;
    int lo, hi;
    std::vector<std::uint8_t> out;
  } cases[] = {
      {{1, 5, 5, 4, 200}, 0, 250, {1, 5, 6, 7, 200}},
      {{9, 3, 3, 200, 0}, 2, 10, {6, 7, 8, 9, 10}},
      {{0, 0, 0}, 3, 250, {3, 4, 5}},
  };
  for (auto c : cases) {
    ApplyAxisRule(c.in, c.lo, c.hi);
    EXPECT_EQ(c.in, c.out);
  }
}
