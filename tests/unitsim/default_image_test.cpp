#include <gtest/gtest.h>

#include <functional>

#include "UnitSim.h"
#include "image/MapStorage.h"
#include "image/Normalise.h"
#include "image/ParamSet.h"

namespace {

// First image byte where the two differ, or -1.
int FirstDifference(const ConfigImage& a, const ConfigImage& b) {
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i]) return static_cast<int>(i);
  return -1;
}

// What the program does to an image it has read (normalise) and to one the
// user commits unedited before a Verify or Program (load, store, normalise).
ConfigImage AfterRead(ConfigImage image) {
  NormaliseImage(image);
  return image;
}
ConfigImage AfterCommit(ConfigImage image) {
  CParamSet params;
  LoadParameterSet(image, params);
  StoreParameterSet(params, image);
  NormaliseImage(image);
  return image;
}

TEST(DefaultSimImageTest, TheProgramKeepsTheDefaultImageAndChangesTheBlankOne) {
  struct Case {
    const char* name;
    ConfigImage image;
    std::function<ConfigImage(ConfigImage)> program;
    bool kept;
  };
  const Case cases[] = {
      {"default, read", DefaultSimImage(), AfterRead, true},
      {"default, commit", DefaultSimImage(), AfterCommit, true},
      // A Read of the blank unit must end with a failing verify, in block 1.
      {"blank, read", BlankSimImage(), AfterRead, false},
  };
  for (const auto& c : cases) {
    const int at = FirstDifference(c.program(c.image), c.image);
    if (c.kept)
      EXPECT_EQ(at, -1) << c.name << ": byte " << at << " changed";
    else
      EXPECT_TRUE(at >= 0 && at < 150) << c.name << ": first change at " << at;
  }
  EXPECT_EQ(DefaultSimImage()[0], 11) << "bike type";
}

TEST(DefaultSimImageTest, MapsHaveTheShapeOfARunningEngine) {
  // Direction of the values down the rows (throttle or pressure) and along
  // the speed axis: +1 not falling, -1 not rising, 0 free.
  struct Case {
    MapId map;
    int downRows;
    int alongSpeed;
    int min, max;  // values as the sheet holds them
  };
  const Case cases[] = {
      {MapId::kAdvance, -1, 0, 0, 45},             // degrees; may fall back at high speed
      {MapId::kInjection1, +1, 0, 10000, 110000},  // 0.1 us: 1 .. 11 ms
      {MapId::kInjection4, +1, 0, 10000, 110000},
      {MapId::kInjectionIap, +1, 0, 10000, 110000},
  };
  const ConfigImage image = DefaultSimImage();
  for (const auto& c : cases) {
    MapGrid g;
    LoadMap(image, c.map, g);
    for (int r = 0; r < g.Rows(); ++r)
      for (int col = 0; col < g.Columns(); ++col) {
        SCOPED_TRACE(testing::Message() << "map " << int(c.map) << " row " << r << " column " << col);
        EXPECT_GE(g.At(r, col), c.min);
        EXPECT_LE(g.At(r, col), c.max);
        if (r > 0) {
          EXPECT_GE(c.downRows * (g.At(r, col) - g.At(r - 1, col)), 0);
        }
        if (col > 0) {
          EXPECT_GE(c.alongSpeed * (g.At(r, col) - g.At(r, col - 1)), 0);
        }
      }
  }
}

}  // namespace
