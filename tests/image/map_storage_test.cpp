#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "image/ConfigImage.h"
#include "image/MapStorage.h"
#include "image/ParamSet.h"

namespace {

std::int32_t Word(const ConfigImage& image, std::size_t offset) { return image[offset] | (image[offset + 1] << 8); }
void SetWord(ConfigImage& image, std::size_t offset, int v) {
  image[offset] = static_cast<std::uint8_t>(v & 0xFF);
  image[offset + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
}

// The stored layout of every map restated: axis bytes, first value byte,
// bytes per value, rows, columns.
struct Layout {
  MapId id;
  std::size_t axis;
  std::size_t values;
  int valueBytes;
  int rows;
  int columns;
};
constexpr Layout kLayouts[] = {
    {MapId::kAdvance, 465, 600, 1, 10, 15},       {MapId::kInjection1, 480, 750, 2, 10, 15},
    {MapId::kInjection2, 495, 1050, 2, 10, 15},   {MapId::kInjection3, 510, 1350, 2, 10, 15},
    {MapId::kInjection4, 525, 1650, 2, 10, 15},   {MapId::kInjectionB, 540, 1950, 1, 10, 15},
    {MapId::kInjectionIap, 555, 2100, 2, 10, 15}, {MapId::kServoExhaust, 570, 2400, 1, 10, 15},
    {MapId::kServoIntake, 585, 2550, 1, 10, 15},  {MapId::kDesiredAfr, 2700, 2705, 1, 5, 5},
};

}  // namespace

TEST(MapStorageTest, EachMapReadsItsOwnBytesRowAfterRow) {
  for (const Layout& l : kLayouts) {
    SCOPED_TRACE(l.axis);
    ConfigImage image{};
    for (int c = 0; c < l.columns; ++c) image[l.axis + static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(10 + c);
    // Value (r, c) holds r * 15 + c, so a wrong stride or base shows.
    for (int r = 0; r < l.rows; ++r)
      for (int c = 0; c < l.columns; ++c) {
        const std::size_t at = l.values + static_cast<std::size_t>(l.valueBytes * (r * l.columns + c));
        if (l.valueBytes == 2)
          SetWord(image, at, r * 15 + c);
        else
          image[at] = static_cast<std::uint8_t>(r * 15 + c);
      }
    MapGrid grid;
    LoadMap(image, l.id, grid);
    ASSERT_EQ(grid.Columns(), l.columns);
    ASSERT_EQ(grid.Rows(), l.rows);
    const int factor = l.valueBytes == 2 ? 10 : 1;  // injection times held as absolute 0.1 us
    for (int c = 0; c < l.columns; ++c) EXPECT_EQ(grid.columnAxis[static_cast<std::size_t>(c)], 10 + c);
    for (int r = 0; r < l.rows; ++r)
      for (int c = 0; c < l.columns; ++c) {
        const int v = r * 15 + c;
        const int expected = l.id == MapId::kAdvance ? static_cast<std::int8_t>(v) : v;  // signed degrees
        EXPECT_EQ(grid.At(r, c), expected * factor) << r << "," << c;
      }

    ConfigImage back{};
    StoreMap(grid, l.id, back);
    for (std::size_t b = l.axis; b < l.axis + static_cast<std::size_t>(l.columns); ++b) EXPECT_EQ(back[b], image[b]);
    const std::size_t end = l.values + static_cast<std::size_t>(l.valueBytes * l.rows * l.columns);
    for (std::size_t b = l.values; b < end; ++b) EXPECT_EQ(back[b], image[b]) << b;
    EXPECT_EQ(back[end], 0) << "wrote past the map";
  }
}

TEST(MapStorageTest, RowAxesAreFixedOrTheStoredPressureAxis) {
  ConfigImage image{};
  for (int r = 0; r < 10; ++r) SetWord(image, 384 + 2 * static_cast<std::size_t>(r), r == 0 ? 0xFFF6 : 30 + 10 * r);
  MapGrid grid;
  LoadMap(image, MapId::kAdvance, grid);
  EXPECT_EQ(grid.rowAxis, (std::vector<std::int32_t>{0, 2, 5, 10, 20, 30, 40, 60, 80, 100}));
  LoadMap(image, MapId::kServoIntake, grid);
  EXPECT_EQ(grid.rowAxis, (std::vector<std::int32_t>{0, 2, 5, 10, 20, 30, 40, 60, 80, 100}));
  LoadMap(image, MapId::kDesiredAfr, grid);
  EXPECT_EQ(grid.rowAxis, (std::vector<std::int32_t>{2, 5, 20, 60, 100}));
  LoadMap(image, MapId::kInjectionIap, grid);
  EXPECT_EQ(grid.rowAxis, (std::vector<std::int32_t>{-10, 40, 50, 60, 70, 80, 90, 100, 110, 120}));

  grid.rowAxis[3] = 999;
  StoreMap(grid, MapId::kInjectionIap, image);
  EXPECT_EQ(Word(image, 390), 999);
}

TEST(MapStorageTest, AdvanceValuesAreSignedAndInjectionIsStoredAsAbsoluteOverTen) {
  ConfigImage image{};
  image[600] = 0xEC;  // -20
  SetWord(image, 750, 2500);
  MapGrid advance, injection;
  LoadMap(image, MapId::kAdvance, advance);
  LoadMap(image, MapId::kInjection1, injection);
  EXPECT_EQ(advance.At(0, 0), -20);
  EXPECT_EQ(injection.At(0, 0), 25000);  // 2.5 ms
  injection.At(0, 1) = 12339;
  StoreMap(injection, MapId::kInjection1, image);
  EXPECT_EQ(Word(image, 752), 1233);
}

TEST(MapStorageTest, NarrowSheetPadsEachRowWithItsLastColumn) {
  ConfigImage image{};
  for (int c = 0; c < 15; ++c) image[465 + static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(100 + c);
  MapGrid grid;
  grid.Resize(10, 12);
  for (int c = 0; c < 12; ++c) grid.columnAxis[static_cast<std::size_t>(c)] = 10 + c;
  for (int r = 0; r < 10; ++r)
    for (int c = 0; c < 12; ++c) grid.At(r, c) = r - c;
  StoreMap(grid, MapId::kAdvance, image);
  for (int r = 0; r < 10; ++r)
    for (int c = 12; c < 15; ++c)
      EXPECT_EQ(static_cast<std::int8_t>(image[600 + 15 * static_cast<std::size_t>(r) + static_cast<std::size_t>(c)]),
                r - 11);
  EXPECT_EQ(image[465 + 11], 21);
  EXPECT_EQ(image[465 + 12], 112);  // points the sheet no longer has keep their bytes
}

TEST(MapStorageTest, EmptyGridLeavesTheMapAlone) {
  ConfigImage image;
  image.fill(0x33);
  const ConfigImage before = image;
  StoreMap(MapGrid{}, MapId::kInjection2, image);
  EXPECT_EQ(image, before);
}

TEST(MapStorageTest, ParameterSetCarriesEveryMapThroughLoadAndStore) {
  ConfigImage image{};
  image[2729] = 77;
  image[569] = 200;
  CParamSet params;
  LoadParameterSet(image, params);
  EXPECT_EQ(params.Grid(MapId::kDesiredAfr).At(4, 4), 77);
  EXPECT_EQ(params.Grid(MapId::kInjectionIap).columnAxis[14], 200);
  params.Grid(MapId::kDesiredAfr).At(0, 0) = 140;
  StoreParameterSet(params, image);
  EXPECT_EQ(image[2705], 140);
}
