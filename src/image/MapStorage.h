#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "image/ConfigImage.h"
#include "image/FieldCatalogue.h"
#include "image/MapGrid.h"

// The tables of the image that a map sheet holds whole: a stored speed axis
// along the columns, a second axis along the rows (fixed, or stored as a
// field) and rows × columns values stored row after row.
enum class MapId : std::uint8_t {
  kAdvance,
  kInjection1,
  kInjection2,
  kInjection3,
  kInjection4,
  kInjectionB,
  kInjectionIap,
  kServoExhaust,
  kServoIntake,
  kDesiredAfr,
  kCount
};
constexpr std::size_t kMapCount = static_cast<std::size_t>(MapId::kCount);

// Throttle points of the 15 × 10 maps and of the desired-AFR rows; never stored in the image.
inline constexpr std::array<std::int32_t, 10> kThrottleRows{0, 2, 5, 10, 20, 30, 40, 60, 80, 100};
inline constexpr std::array<std::int32_t, 5> kDesiredAfrRows{2, 5, 20, 60, 100};

struct MapLayout {
  MapId id;
  const char* axisKey;
  const char* valueKey;
  std::uint16_t axisOffset;  // column axis, one byte per column
  std::uint8_t columns;
  std::uint16_t valueOffset;
  FieldWidth valueWidth;
  std::uint8_t rows;
  std::span<const std::int32_t> fixedRows;  // empty when rowField holds the rows
  FieldId rowField;
  std::int32_t sheetFactor;  // sheet value = stored value × factor (injection times in 0.1 µs)
  std::int32_t axisMin, axisMax;
  std::int32_t valueMin, valueMax;  // kNoBound for none
};

namespace map_table {
constexpr FieldWidth B = FieldWidth::kByte, SB = FieldWidth::kSignedByte, W = FieldWidth::kWord;
constexpr std::span<const std::int32_t> kTps{kThrottleRows};
constexpr std::span<const std::int32_t> kAfrRows{kDesiredAfrRows};
constexpr std::int32_t kNo = kNoBound;
// clang-format off
inline constexpr MapLayout kMaps[] = {
  // id                   axis key         value key         axis cols  values width rows fixed rows  row field                 factor axis     values
  {MapId::kAdvance,       "RPM_ADV",      "ADVANCE",         465, 15,  600, SB, 10, kTps,     kNoField,                 1,     1, 250,  -20,  60},
  {MapId::kInjection1,    "RPM_JET_1A",   "JET_1A",          480, 15,  750, W,  10, kTps,     kNoField,                 10,    1, 250,  kNo, kNo},
  {MapId::kInjection2,    "RPM_JET_2A",   "JET_2A",          495, 15, 1050, W,  10, kTps,     kNoField,                 10,    1, 250,  kNo, kNo},
  {MapId::kInjection3,    "RPM_JET_3A",   "JET_3A",          510, 15, 1350, W,  10, kTps,     kNoField,                 10,    1, 250,  kNo, kNo},
  {MapId::kInjection4,    "RPM_JET_4A",   "JET_4A",          525, 15, 1650, W,  10, kTps,     kNoField,                 10,    1, 250,  kNo, kNo},
  {MapId::kInjectionB,    "RPM_JET_B",    "JET_B",           540, 15, 1950, B,  10, kTps,     kNoField,                 1,     1, 250,  kNo, 100},
  {MapId::kInjectionIap,  "RPM_IAP",      "IAP",             555, 15, 2100, W,  10, {},       FieldId::kIapPressureAxis, 10,   1, 250,  kNo, kNo},
  {MapId::kServoExhaust,  "RPM_SERVO_EX", "SERVO_EX_VALUE",  570, 15, 2400, B,  10, kTps,     kNoField,                 1,     1, 250,  kNo, kNo},
  {MapId::kServoIntake,   "RPM_SERVO_IN", "SERVO_IN_VALUE",  585, 15, 2550, B,  10, kTps,     kNoField,                 1,     1, 250,  kNo, kNo},
  {MapId::kDesiredAfr,    "TUNING_LAMBDA","TUNING_LAMBDA",  2700,  5, 2705, B,   5, kAfrRows, kNoField,                 1,     3, 250,  kNo, 250},
};
// clang-format on
}  // namespace map_table

inline constexpr std::span<const MapLayout> kMapTable{map_table::kMaps};

constexpr bool MapIdsFollowTable() {
  if (kMapTable.size() != kMapCount) return false;
  for (std::size_t i = 0; i < kMapTable.size(); ++i)
    if (static_cast<std::size_t>(kMapTable[i].id) != i) return false;
  return true;
}
static_assert(MapIdsFollowTable(), "map table out of step with MapId");

constexpr const MapLayout& Map(MapId id) { return kMapTable[static_cast<std::size_t>(id)]; }

// Image offset of the value at (row, column).
constexpr std::size_t MapValueOffset(const MapLayout& m, int row, int column) {
  return m.valueOffset + ElementSize(m.valueWidth) * static_cast<std::size_t>(row * m.columns + column);
}
// One past the last value byte.
constexpr std::size_t MapValueEnd(const MapLayout& m) { return MapValueOffset(m, m.rows, 0); }

// Image → grid: the full stored size, the row axis fixed or from its field,
// values × the sheet factor.
void LoadMap(const ConfigImage& image, MapId id, MapGrid& grid);

// Grid → image. Axis points and rows the grid lacks leave their image bytes as
// they are; a row shorter than the map is padded with its last value; values
// are divided by the sheet factor (truncating) and cut to the value width. An
// empty grid leaves the map untouched.
void StoreMap(const MapGrid& grid, MapId id, ConfigImage& image);
