#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "image/BikeTables.h"
#include "image/BikeTypes.h"
#include "support/BikeSpeedSets.h"

// Every bike datum is written out again here, by hand, so that one wrong
// byte on either side fails a cell. Nothing below reads a constant it checks.
namespace {

using Values = std::vector<std::int32_t>;

constexpr int kTypes = 64;
constexpr int kKeep = -1;  // the byte keeps its value
constexpr int kB46 = -2;   // byte 267 takes byte 46

std::string Type(int type) { return "type " + std::to_string(type); }

// Cell by cell, so that a failure names the cell rather than dumping 150 values.
void ExpectCells(std::span<const std::int32_t> got, const Values& want) {
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i) {
    if (want.size() == 150)
      EXPECT_EQ(got[i], want[i]) << "row " << i / 15 << ", column " << i % 15;
    else
      EXPECT_EQ(got[i], want[i]) << "word " << i;
  }
}

// ---- Bike list -------------------------------------------------------------

constexpr std::uint8_t S3 = kBikeIntakePorts, TD = kBikeTempDisplay, IP = kBikeIdlePosition;

struct ListRow {
  const char* text;
  int type, byte2, byte3, byte252, byte254, byte191, byte192, byte193;
  char curve;
  int options;
};

// Index = position in the array.
const ListRow kList[64] = {
    {"Aprilia RSV MILLE                98-", 0, 0, 75, 110, 50, 0, 61, 104, 'A', 0},
    {"Aprilia RSV MILLE                04-", 43, 21, 75, 113, 50, 0, 61, 104, 'A', 0},
    {"Aprilia SXV 450", 39, 1, 85, 115, 25, 0, 55, 103, 'I', 0},
    {"Buel XB12 X", 58, 26, 70, 100, 25, 0, 55, 103, 'A', 0},
    {"Ducati 996", 1, 2, 65, 108, 50, 0, 55, 103, 'B', 0},
    {"Ducati 999", 30, 2, 65, 108, 50, 0, 55, 103, 'B', 0},
    {"HD V-rod", 24, 3, 70, 100, 25, 0, 55, 103, 'A', 0},
    {"Honda CBR 600 F               01-02", 2, 4, 65, 140, 25, 0, 59, 104, 'C', 0},
    {"Honda CBR 600 RR            03-04", 3, 4, 70, 150, 25, 0, 59, 104, 'C', 0},
    {"Honda CBR 600 RR            05-06", 28, 4, 70, 150, 25, 0, 59, 104, 'C', 0},
    {"Honda CBR 600 RR            07", 46, 4, 70, 155, 25, 0, 59, 104, 'C', 0},
    {"Honda CBR 900 RR            00-03", 4, 4, 65, 120, 25, 0, 59, 104, 'D', 0},
    {"Honda CBR 1000 RR          04-07", 21, 4, 70, 124, 25, 0, 59, 104, 'C', 0},
    {"Honda CBR 1000 RR          08-", 56, 4, 70, 133, 25, 0, 59, 104, 'C', 0},
    {"Honda CBR 1100 XX               ", 22, 4, 65, 120, 25, 0, 59, 104, 'M', 0},
    {"Honda CRF 250 PCE", 44, 22, 60, 140, 25, 0, 56, 104, 'F', 0},
    {"Honda VFR 800                   ", 31, 6, 65, 120, 25, 0, 59, 104, 'D', 0},
    {"Honda VTR 1000 SP-1       01-02", 5, 5, 70, 110, 25, 0, 58, 104, 'E', 0},
    {"Kawasaki  ZX 6R PCE         02", 6, 8, 85, 140, 50, 0, 56, 104, 'F', 0},
    {"Kawasaki  ZX6RR               03 ", 7, 9, 65, 140, 50, 0, 48, 107, 'G', 0},
    {"Kawasaki  ZX6RR               04-06", 19, 9, 65, 155, 50, 0, 48, 107, 'G', 0},
    {"Kawasaki  ZX6RR               07", 48, 14, 65, 152, 50, 4, 48, 107, 'G', 0},
    {"Kawasaki  ZX6RR               09", 62, 29, 65, 152, 50, 4, 48, 107, 'G', 0},
    {"Kawasaki  ZX10 R               04-05 ", 8, 10, 65, 127, 50, 0, 60, 105, 'H', 0},
    {"Kawasaki  ZX10 R               06- ", 36, 10, 65, 127, 50, 0, 60, 105, 'H', 0},
    {"Kawasaki  ZX10 R               08-   ", 57, 10, 65, 131, 50, 4, 60, 105, 'H', 0},
    {"Kawasaki  ZX12 R               00-01", 9, 12, 65, 110, 50, 0, 60, 105, 'H', 0},
    {"Kawasaki  ZX12 R               02-", 10, 17, 65, 110, 50, 0, 60, 105, 'H', 0},
    {"Kawasaki  ZX12 R               04-", 54, 17, 65, 115, 50, 0, 60, 105, 'H', 0},
    {"Keihim-18 lobes", 63, 30, 50, 150, 25, 3, 63, 105, 'L', TD | IP},
    {"One lobe short dwell", 33, 7, 60, 150, 25, 0, 56, 104, 'F', 0},
    {"One lobe long dwell", 32, 7, 60, 140, 25, 0, 56, 104, 'F', 0},
    {"Peugeot", 38, 11, 85, 120, 25, 0, 55, 103, 'I', IP},
    {"Suzuki DL-1000", 52, 25, 75, 95, 25, 1, kKeep, kKeep, 'J', 0},
    {"Suzuki GSX-R600               01-03", 11, 12, 85, 140, 25, 1, 56, 104, 'F', 0},
    {"Suzuki GSX-R600               04-05", 20, 14, 85, 140, 25, 1, 56, 104, 'F', 0},
    {"Suzuki GSX-R600               06-07", 41, 14, 85, 154, 25, 1, 56, 104, 'F', 0},
    {"Suzuki GSX-R750               00-03", 12, 12, 85, 136, 25, 1, 55, 103, 'I', 0},
    {"Suzuki GSX-R750               04-05", 23, 14, 85, 136, 25, 1, 55, 103, 'I', 0},
    {"Suzuki GSX-R750               06-07", 49, 14, 85, 148, 25, 1, 55, 103, 'I', 0},
    {"Suzuki GSX-R1000             01-02", 13, 12, 85, 120, 25, 1, 55, 103, 'I', 0},
    {"Suzuki GSX-R1000             03-04", 14, 14, 85, 120, 25, 1, 55, 103, 'I', 0},
    {"Suzuki GSX-R1000             05-06", 26, 14, 85, 130, 25, 1, 55, 103, 'I', 0},
    {"Suzuki GSX-1300               99-01", 15, 12, 85, 109, 25, 1, 55, 103, 'I', 0},
    {"Suzuki GSX-1300               02-", 29, 9, 85, 109, 25, 1, 55, 103, 'I', 0},
    {"Suzuki GSX-1400               ", 50, 24, 85, 109, 25, 1, 55, 103, 'I', 0},
    {"Suzuki SV 650 S               ", 40, 15, 75, 110, 25, 1, 55, 103, 'J', 0},
    {"Suzuki SV 1000 S               ", 37, 16, 75, 105, 25, 1, 55, 103, 'J', 0},
    {"Suzuki TL 1000 R               98-", 16, 13, 75, 105, 25, 2, 55, 103, 'J', 0},
    {"Suzuki TL 1000 S               ", 25, 13, 75, 105, 25, 2, 55, 103, 'J', 0},
    {"Triumph Daytona 675       06-07", 45, 23, 65, 135, 50, 0, 60, 105, 'H', 0},
    {"Triumph Speed Triple 1050    06", 53, 23, 65, 100, 50, 0, 60, 105, 'H', 0},
    {"Yamaha FZS-600 Fazer          ", 35, 19, 50, 140, 25, 3, 63, 105, 'L', TD},
    {"Yamaha FZS-1000 Fazer          ", 51, 14, 35, 120, 25, 3, 59, 105, 'K', TD},
    {"Yamaha R 125", 61, 28, 50, 150, 25, 3, 63, 105, 'L', TD | IP},
    {"Yamaha TDM 900          ", 60, 27, 50, 90, 25, 3, 63, 105, 'L', TD},
    {"Yamaha XT 660          ", 42, 20, 50, 150, 25, 3, 63, 105, 'L', TD},
    {"Yamaha YZF-R1                 02-03", 17, 17, 35, 138, 25, 3, 59, 105, 'K', TD},
    {"Yamaha YZF-R1                 04-06", 27, 17, 35, 143, 25, 3, 59, 105, 'K', TD},
    {"Yamaha YZF-R1                 07-", 47, 14, 50, 158, 25, 3, 55, 103, 'I', S3 | TD},
    {"Yamaha YZF-R6                 03-07", 18, 18, 50, 150, 25, 3, 63, 105, 'L', TD},
    {"Yamaha YZF-R6R               06-07", 34, 14, 50, 158, 25, 3, 55, 103, 'I', TD},
    {"Yamaha YZF-R6R               08-", 55, 14, 50, 158, 25, 3, 55, 103, 'I', S3 | TD},
    {"Yamaha YP 400", 59, 28, 50, 150, 25, 3, 63, 105, 'L', TD},
};
constexpr std::string_view kSeparatorText = "-------------";

// ---- Bike curves -----------------------------------------------------------

struct CurveRow {
  char curve;
  std::array<int, 9> words;
  std::vector<int> types;  // empty: every type not listed in another row
};

const CurveRow kCurves[] = {
    {'A', {270, 207, 179, 151, 132, 115, 100, 90, 81}, {0, 24, 43, 58}},
    {'B', {194, 166, 149, 136, 126, 114, 100, 95, 91}, {1, 30}},
    {'C', {227, 188, 155, 130, 112, 100, 100, 93, 84}, {2, 3, 21, 28, 46, 56}},
    {'D', {379, 269, 190, 150, 127, 114, 100, 91, 86}, {4, 31}},
    {'E', {249, 208, 164, 143, 122, 112, 100, 88, 80}, {5}},
    {'F', {193, 168, 149, 131, 119, 109, 100, 94, 86}, {6, 11, 20, 32, 33, 41, 44}},
    {'G', {226, 186, 156, 140, 123, 113, 100, 92, 87}, {7, 19, 48, 62}},
    {'H', {248, 195, 175, 150, 133, 118, 100, 95, 88}, {8, 9, 10, 36, 45, 53, 54, 57}},
    {'I', {220, 165, 148, 135, 125, 113, 100, 94, 82}, {}},
    {'J', {234, 184, 154, 137, 125, 115, 100, 91, 86}, {16, 25, 37, 40, 52}},
    {'K', {225, 190, 160, 140, 125, 115, 100, 90, 80}, {17, 27, 51}},
    {'L', {230, 185, 160, 140, 125, 110, 100, 90, 90}, {18, 35, 42, 59, 60, 61, 63}},
    {'M', {379, 269, 190, 150, 127, 114, 100, 92, 86}, {22}},
};

// ---- Trigger systems -------------------------------------------------------

struct TriggerRow {
  int cylinders;
  std::array<int, 4> outputs;
  int byte253;
  std::array<int, 14> geometry;  // bytes 261-274
};

constexpr int K = kKeep;
// Index = byte 2.
const TriggerRow kTriggers[31] = {
    {2, {0, 1, 0, 1}, 4, {5, 10, 0, 0, 4, 1, 60, 6, 0, 12, 5, 10, K, K}},
    {2, {0, 1, 0, 1}, 11, {36, 2, 0, 0, 14, 5, 12, 28, 2, 20, 1, 13, K, K}},
    {2, {0, 1, 0, 1}, 11, {22, 40, 0, 0, 12, 4, 15, 23, 2, 16, 7, 13, K, K}},
    {2, {0, 1, 0, 1}, 11, {15, 33, 0, 0, 11, 4, 15, 22, 2, 16, 12, 5, K, K}},
    {4, {0, 1, 2, 3}, 11, {14, 20, 8, 2, 6, 2, 30, 12, 0, 24, 14, 20, 8, 2}},
    {2, {0, 1, 0, 1}, 11, {5, 14, 0, 0, 6, 2, 30, 12, 0, 24, 5, 14, K, K}},
    {4, {0, 1, 2, 3}, 11, {14, 5, 20, 11, 6, 2, 30, 12, 0, 24, 5, 14, 20, 11}},
    {2, {0, 1, 0, 1}, 4, {3, 3, 0, 0, 2, 1, kB46, 2, 0, 24, 14, 20, 8, 2}},
    {4, {0, 1, 2, 3}, 11, {7, 11, 3, 15, 4, 2, 45, 8, 0, 16, 7, 11, 3, 15}},
    {4, {0, 1, 2, 3}, 11, {29, 41, 18, 6, 12, 4, 15, 23, 1, 24, 15, 21, 9, 3}},
    {4, {0, 1, 2, 3}, 11, {29, 41, 19, 7, 12, 4, 15, 22, 2, 16, 10, 14, 6, 2}},
    {1, {0, 0, 0, 0}, 11, {7, 0, 0, 0, 11, 4, 15, 23, 1, 24, 3, 15, K, K}},
    {4, {0, 1, 2, 3}, 11, {10, 14, 6, 2, 4, 2, 45, 8, 0, 16, 10, 14, 6, 2}},
    {2, {0, 1, 0, 1}, 4, {3, 6, 0, 0, 2, 1, 90, 4, 0, 8, 3, 6, K, K}},
    {4, {0, 1, 2, 3}, 11, {28, 40, 18, 6, 12, 4, 15, 22, 2, 16, 10, 14, 6, 2}},
    {2, {0, 1, 0, 1}, 11, {12, 28, 0, 0, 12, 4, 15, 22, 2, 16, 4, 10, K, K}},
    {2, {0, 1, 0, 1}, 11, {18, 34, 0, 0, 12, 4, 15, 22, 2, 16, 6, 12, K, K}},
    {4, {0, 1, 2, 3}, 11, {8, 12, 4, 0, 4, 2, 45, 8, 0, 16, 8, 12, 4, 0}},
    {4, {0, 1, 2, 3}, 4, {5, 7, 3, 1, 2, 1, 90, 4, 0, 8, 5, 7, 3, 1}},
    {2, {0, 1, 0, 1}, 4, {2, 6, 0, 0, 4, 2, 45, 4, 0, 8, 5, 7, 3, 1}},
    {1, {0, 0, 0, 0}, 11, {6, 0, 0, 0, 6, 2, 30, 11, 1, 12, 3, 9, K, K}},
    {2, {0, 1, 0, 1}, 11, {30, 58, 0, 0, 17, 6, 10, 34, 2, 24, 10, 19, K, K}},
    {1, {0, 0, 0, 0}, 4, {3, 3, 0, 0, 2, 1, kB46, 2, 0, 24, 14, 20, 8, 2}},
    {3, {0, 1, 2, 0}, 11, {34, 20, 4, 0, 12, 4, 15, 22, 2, 16, 12, 7, 1, K}},
    {4, {0, 1, 2, 3}, 11, {16, 3, 12, 7, 4, 2, 45, 9, 0, 16, 15, 3, 11, 7}},
    {2, {0, 1, 0, 1}, 11, {4, 7, 0, 0, 2, 1, 90, 4, 0, 8, 4, 7, K, K}},
    {2, {0, 1, 0, 1}, 11, {2, 5, 0, 0, 2, 1, 90, 6, 0, 24, 14, 20, 8, 2}},
    {2, {0, 1, 0, 1}, 11, {10, 19, 0, 0, 6, 2, 30, 12, 0, 24, 10, 19, K, K}},
    {1, {0, 0, 0, 0}, 11, {6, 0, 0, 0, 6, 2, 30, 11, 1, 6, 3, 0, K, K}},
    {4, {0, 1, 2, 3}, 11, {28, 40, 18, 6, 12, 4, 15, 22, 2, 16, 10, 14, 6, 2}},
    {1, {0, 0, 0, 0}, 11, {17, 0, 0, 0, 9, 3, 20, 18, 0, 6, 3, 0, K, K}},
};

// ---- Scalar defaults and speed points --------------------------------------

constexpr int kPerMap = -1;  // "see below"

struct ScalarRow {
  int byte5, byte4, byte47, byte136, byte33, byte34, byte36, byte24, byte23, byte45, byte92, byte90, byte91, word80;
  int speedSet, advanceRows;
  bool extended;
};

// Index = bike type.
const ScalarRow kScalars[64] = {
    {0, 30, 1, 3, 65, 153, 2, 1, 0, 5, 10, 15, 30, 1000, P1, 1, false},
    {0, 19, 1, 3, 34, 223, 2, 1, 0, 0, 10, 15, 30, 1000, P1, 1, false},
    {0, 19, 1, 3, 50, 192, 2, 1, 0, 11, 10, 15, 30, 1000, P2, 1, false},
    {0, 19, 1, 3, 50, 192, 2, 1, 0, 11, 10, 15, 30, 1000, P2, 1, false},
    {0, 19, 1, 3, 50, 192, 2, 1, 0, 10, 10, 15, 30, 1000, P3, 1, false},
    {0, 19, 1, 3, 50, 192, 2, 1, 0, 5, 10, 15, 30, 1000, P1, 1, false},
    {0, 19, 1, 3, 110, 180, 1, 1, 0, 11, 10, 15, 30, 1000, P2, 1, false},
    {0, 19, 1, 3, 103, 180, 2, 1, 0, 13, 10, 20, 36, 1000, P2, 1, false},
    {0, 19, 1, 0, 62, 147, 2, 1, 0, 8, 12, 20, 34, 125, P3, 10, true},
    {0, 19, 1, 3, 108, 169, 2, 0, 0, 8, 10, 15, 30, 1000, P1, 1, false},
    {0, 19, 1, 3, 108, 169, 2, 0, 0, 8, 10, 15, 30, 1000, P1, 1, false},
    {0, 19, 1, 0, 110, 180, 1, 1, 0, 10, 10, 15, 30, 1000, P2, 1, false},
    {0, 19, 1, 0, 110, 180, 1, 1, 0, 10, 12, 15, 30, 1000, P3, 1, false},
    {0, 19, 1, 0, 110, 180, 1, 1, 0, 12, 13, 15, 30, 1000, P3, 1, false},
    {0, 19, 1, 0, 110, 180, 1, 0, 0, 13, 13, 15, 30, 1000, P3, 1, false},
    {0, 19, 1, 0, 110, 180, 1, 0, 0, 12, 13, 15, 30, 1000, P1, 1, false},
    {0, 19, 1, 3, 110, 180, 1, 1, 0, 10, 10, 15, 30, 1000, P1, 1, false},
    {0, 19, 1, 3, 66, 139, 2, 0, 0, 7, 10, 15, 30, 970, P3, 1, false},
    {0, 19, 1, 3, 66, 139, 2, 0, 0, 12, 10, 15, 30, 1000, P2, 1, false},
    {0, 19, 1, 3, 103, 180, 2, 1, 0, 13, 10, 20, 36, 1000, P2, 1, false},
    {0, 19, 1, 0, 110, 180, 1, 0, 0, 13, 10, 15, 30, 1000, P2, 1, false},
    {0, 19, 1, 3, 50, 192, 2, 1, 0, 11, 10, 15, 30, 1000, P3, 1, false},
    {0, 19, 1, 3, 50, 192, 2, 1, 0, 10, 10, 15, 30, 1000, P3, 1, false},
    {0, 19, 1, 0, 110, 180, 1, 0, 0, 13, 12, 15, 30, 1000, P3, 1, false},
    {0, 19, 1, 3, 48, 198, 1, 1, 0, 0, 20, 15, 30, 1000, P4, 1, false},
    {0, 30, 1, 3, 110, 180, 1, 1, 0, 10, 10, 15, 30, 1000, P1, 1, false},
    {1, 19, 1, 0, 110, 195, 1, 0, 0, 15, 13, 20, 36, 1000, P5, 10, true},
    {0, 19, 1, 3, 66, 139, 2, 0, 0, 7, 10, 15, 30, 970, P3, 1, false},
    {0, 19, 1, 3, 50, 192, 2, 1, 0, 11, 10, 15, 30, 1000, P2, 1, false},
    {0, 19, 1, 0, 110, 180, 1, 0, 0, 13, 13, 15, 30, 1000, P1, 1, false},
    {0, 19, 1, 3, 34, 223, 2, 1, 0, 0, 10, 15, 30, 1000, P1, 1, false},
    {0, 19, 1, 3, 50, 192, 2, 1, 0, 10, 10, 15, 30, 1000, P3, 1, false},
    {0, 30, 1, 3, 110, 180, 1, 1, 0, 10, 10, 15, 30, 1000, P2, 1, false},
    {0, 19, 1, 3, 110, 180, 1, 1, 0, 10, 10, 15, 30, 1000, P2, 1, false},
    {1, 19, 1, 3, 69, 158, 2, 0, 0, 8, 13, 20, 36, 869, P5, 10, true},
    {0, 30, 1, 3, 66, 139, 2, 0, 0, 12, 10, 15, 30, 1000, P2, 1, false},
    {0, 19, 1, 0, 62, 147, 2, 1, 0, 8, 12, 20, 34, 125, P3, 10, true},
    {0, 30, 1, 3, 110, 180, 1, 0, 0, 8, 10, 15, 30, 1000, P1, 1, false},
    {0, 19, 1, 3, 66, 156, 1, 1, 0, 13, 13, 15, 30, 1000, P3, 1, false},
    {0, 19, 1, 3, 64, 167, 1, 0, 0, 10, 13, 15, 30, 1000, P5, 10, true},
    {0, 30, 1, 3, 110, 180, 1, 0, 0, 8, 10, 15, 30, 1000, P1, 1, false},
    {0, 19, 1, 0, 110, 180, 1, 0, 0, 13, 10, 15, 30, 1000, P2, 1, false},
    {0, 19, 1, 3, 66, 139, 2, 0, 0, 10, 12, 15, 30, 1000, P3, 1, false},
    {0, 19, 1, 3, 62, 144, 2, 1, 0, 5, 10, 15, 30, 1000, P1, 1, false},
    {0, 19, 1, 3, 110, 180, 1, 1, 0, 5, 10, 15, 30, 1000, P2, 1, false},
    {0, 19, 1, 0, 58, 140, 1, 0, 0, 5, 12, 30, 30, 1000, P3, 10, true},
    {0, 19, 1, 3, 50, 192, 2, 1, 0, 11, 10, 20, 78, 1000, P2, 1, false},
    {1, 19, 2, 3, 69, 158, 2, 0, 0, 8, 13, 20, 36, 869, P5, 10, true},
    {1, 19, 1, 0, 103, 180, 2, 1, 0, 13, 10, 20, 36, 286, P2, 1, false},
    {1, 19, 1, 0, 110, 195, 1, 0, 0, 15, 13, 20, 36, 1000, P2, 1, false},
    {1, 30, 2, 3, 118, 180, 1, 1, 0, 13, 13, 22, 40, 1000, P1, 1, false},
    {1, 19, 1, 3, 66, 139, 2, 0, 0, 7, 10, 15, 30, 970, P3, 1, false},
    {1, 30, 1, 3, 110, 180, 1, 0, 0, 8, 10, 15, 30, 1000, P1, 1, false},
    {0, 19, 2, 0, 59, 162, 1, 0, 0, 5, 50, 15, 50, 1000, kPerMap, 10, true},
    {0, 19, 2, 1, 107, 180, 2, 0, 1, 8, 13, 20, 30, 1075, kPerMap, 1, true},
    {1, 19, 2, 3, 69, 158, 2, 0, 0, 8, 13, 20, 36, 869, P5, 10, true},
    {0, 19, 1, 3, 50, 192, 2, 1, 0, 11, 10, 15, 30, 1000, P3, 1, false},
    {0, 19, 2, 0, 69, 147, 2, 1, 1, 14, 15, 18, 30, 952, kPerMap, 10, true},
    {0, 19, 1, 3, 48, 198, 1, 1, 0, 5, 20, 15, 30, 1000, P4, 1, false},
    {0, 19, 1, 3, 66, 139, 2, 0, 0, 10, 12, 15, 30, 1000, P3, 1, false},
    {0, 30, 2, 1, 75, 155, 2, 0, 0, 16, 35, 12, 41, 210, kPerMap, 10, true},
    {1, 19, 1, 3, 66, 139, 2, 0, 0, 10, 12, 15, 30, 1000, P3, 1, true},
    {0, 19, 1, 0, 103, 180, 2, 1, 0, 13, 10, 20, 36, 286, P2, 1, false},
    {1, 19, 1, 3, 66, 139, 2, 0, 0, 10, 12, 15, 30, 1000, P3, 1, true},
};

// The bikes whose speed axes differ per map: advance, injection maps 1-4, IAP
// map, map B, positions A and B.
struct PerMapRow {
  int type, advance, injection, iap, mapB, positions;
};
const PerMapRow kPerMapSets[] = {
    {53, P6, P9, P11, P3, P3},
    {54, P7, P1, P1, P1, P1},
    {57, P3, P3, P3, P5, P3},
    {60, P8, P10, P10, P10, P8},
};


// ---- Small shared tables ---------------------------------------------------

struct SharedRow {
  std::vector<int> types;  // empty: all others
  Values values;
};

struct SharedTable {
  const char* name;
  std::span<const std::int32_t> BikeTables::*field;
  std::vector<SharedRow> rows;
};

// B table: zero but for the listed throttle rows of 15.
Values BTable(std::initializer_list<std::pair<int, std::array<int, 15>>> rows) {
  Values table(150, 0);
  for (const auto& [row, values] : rows) std::copy(values.begin(), values.end(), table.begin() + 15 * row);
  return table;
}

// Converter counts at -10, 20, 50, 80, 110 °C → mV at -10, 5, 20 .. 110 °C:
// each count scaled to 5000 mV over 1023, the points between them halfway.
Values SensorFromCounts(const std::array<int, 5>& counts) {
  Values mv;
  for (std::size_t i = 0; i < counts.size(); ++i) {
    const int here = counts[i] * 5000 / 1023;
    if (i > 0) mv.push_back((mv.back() + here) / 2);
    mv.push_back(here);
  }
  return mv;
}

const Values kCommonSensor = {4049, 3401, 2713, 2037, 1420, 981, 642, 443, 299};
const Values kSensor130 = {4095, 3631, 3167, 2316, 1466, 1133, 801, 698, 596};
const Values kCoolant2846 = {4110, 3328, 2546, 1866, 1187, 867, 547, 412, 278};
constexpr std::array<int, 5> kCounts130 = {838, 648, 300, 164, 122};
constexpr std::array<int, 5> kCounts2846 = {841, 521, 243, 112, 57};

Values Sensor(int mv1, int mv2) { return {55, mv1, 105, mv2}; }

// One table serves AP and IAP, but for type 43's AP table.
const std::vector<SharedRow> kSensorPoints = {
    {{1, 30}, Sensor(2247, 4744)},
    {{2, 3, 4, 5, 21, 22, 28, 31, 46, 56}, Sensor(1643, 3005)},
    {{7, 8, 17, 18, 19, 27, 35, 36, 40, 45, 48, 50, 52, 53, 57, 62}, Sensor(2162, 4160)},
    {{24, 58}, Sensor(2108, 5124)},
    {{}, Sensor(2305, 3756)},
};

std::vector<SharedRow> WithRow(std::vector<SharedRow> rows, SharedRow row) {
  rows.push_back(std::move(row));
  return rows;
}

// Type 16: rows 6-9 are zero in the first six columns, 50 in the other nine.
constexpr std::array<int, 15> kRow16 = {0, 0, 0, 0, 0, 0, 50, 50, 50, 50, 50, 50, 50, 50, 50};

const std::vector<SharedTable>& SharedTables() {
  static const std::vector<SharedTable> tables = {
      {"AP sensor", &BikeTables::apSensor, WithRow(kSensorPoints, {{43}, Sensor(1556, 4116)})},
      {"IAP sensor", &BikeTables::iapSensor, kSensorPoints},
      {"gear voltages",
       &BikeTables::gearVoltages,
       {
           {{8, 36}, {4623, 3851, 3592, 3128, 3015, 2360, 1969}},
           {{45}, {4877, 879, 1564, 2204, 2922, 3572, 4252}},
           {{48, 62}, {4428, 3450, 2952, 2468, 1979, 1485, 987}},
           {{53}, {2400, 2600, 4200, 4300, 4400, 4500, 4600}},
           {{57}, {4521, 3519, 3015, 2507, 2018, 1456, 1006}},
           {{}, {5000, 1797, 2260, 2998, 3662, 4360, 4687}},
       }},
      {"idle record",
       &BikeTables::idleRecord,
       {
           {{7, 8, 19, 26, 36, 48, 49, 62}, {1, 1500, 40, 0, 1500, 7, 200, 2000}},
           {{34, 47, 55}, {1, 2000, 5, 0, 1500, 6, 100, 2000}},
           {{38, 61, 63}, {0, 3000, 40, 1, 1500, 2, 1600, 2000}},
           {{45}, {3, 5000, 40, 1, 1500, 20, 200, 2000}},
           {{46}, {2, 2000, 3, 1, 25000, 100, 100, 2000}},
           {{50, 52}, {1, 1500, 40, 0, 1500, 6, 200, 2000}},
           {{53}, {3, 5000, 12, 1, 1500, 6, 200, 2000}},
           {{54}, {0, 1500, 10, 1, 1500, 6, 200, 2000}},
           {{57}, {1, 1500, 25, 0, 1500, 7, 200, 2000}},
           {{}, {0, 1500, 40, 1, 1500, 6, 200, 2000}},
       }},
      {"idle position",
       &BikeTables::idlePosition,
       {
           {{7, 19, 26, 48, 49, 62}, {95, 95, 90, 80, 70, 40, 40, 40, 40}},
           {{8, 36}, {40, 40, 40, 45, 50, 50, 60, 60, 60}},
           {{34, 47, 55}, {760, 760, 760, 760, 760, 760, 700, 700, 700}},
           {{38, 61, 63}, {45, 42, 40, 37, 33, 30, 30, 30, 30}},
           {{45}, {475, 475, 470, 440, 400, 390, 390, 390, 390}},
           {{50, 52}, {4780, 4780, 4600, 4300, 3300, 2420, 1960, 1960, 1960}},
           {{53}, {550, 550, 520, 510, 500, 490, 400, 400, 400}},
           {{54}, Values(9, 100)},
           {{57}, {60, 60, 55, 53, 50, 46, 41, 40, 40}},
           {{}, {1800, 1800, 1800, 1550, 1400, 1200, 1200, 1200, 1200}},
       }},
      {"idle advance",
       &BikeTables::idleAdvance,
       {
           {{7, 8, 19, 26, 36, 48, 49, 62}, {0, 1, 10, 25}},
           {{53}, {1, 25, 3, 24}},
           {{54}, {1, 10, 10, 25}},
           {{57}, {0, 11, 8, 25}},
           {{}, {0, 13, 3, 22}},
       }},
      {"idle speed",
       &BikeTables::idleSpeed,
       {
           {{7, 8, 19, 26, 36, 48, 49, 57, 62}, {1800, 1800, 1800, 1550, 1400, 1200, 1200, 1200, 1200}},
           {{53}, {1800, 1800, 1750, 1500, 1500, 1500, 1300, 1300, 1300}},
           {{54}, {1500, 1500, 1500, 1500, 1400, 1300, 1200, 1200, 1200}},
           {{}, {1800, 1800, 1750, 1600, 1550, 1550, 1550, 1550, 1450}},
       }},
      {"temperature correction",
       &BikeTables::tempCorrection,
       {
           {{0, 24, 43, 58}, {150, 138, 111, 100, 92, 121, 110, 100, 92, 84}},
           {{1, 13, 14, 15, 26, 29, 30, 34, 38, 39, 47, 49, 50, 54, 55},
            {113, 109, 105, 100, 97, 109, 105, 100, 100, 100}},
           {{2, 3, 21, 28, 46, 56}, {136, 125, 111, 100, 99, 119, 109, 100, 100, 100}},
           {{4, 22, 31}, {160, 139, 126, 100, 100, 121, 105, 100, 98, 98}},
           {{5}, {139, 110, 104, 100, 99, 121, 110, 100, 97, 97}},
           {{6, 11, 20, 32, 33, 41, 44}, {112, 107, 103, 100, 97, 106, 103, 100, 100, 100}},
           {{7, 19, 48, 62}, {134, 118, 110, 100, 100, 111, 107, 100, 95, 95}},
           {{8, 9, 10, 36, 45, 53, 57}, {125, 114, 107, 100, 98, 113, 107, 100, 97, 93}},
           {{12, 23}, {117, 111, 104, 100, 99, 110, 105, 100, 100, 100}},
           {{16, 25, 37, 40, 52}, {125, 107, 100, 100, 100, 105, 102, 100, 100, 100}},
           {{17, 27, 51}, {115, 107, 104, 100, 96, 105, 101, 100, 90, 85}},
           {{18, 35, 42, 59, 60, 61, 63}, {124, 120, 109, 100, 98, 115, 109, 100, 98, 93}},
       }},
      {"map B",
       &BikeTables::mapB,
       {
           {{3, 21, 28, 46, 56},
            BTable({
                {7, {0, 0, 0, 0, 3, 4, 5, 7, 9, 11, 14, 12, 10, 10, 10}},
                {8, {0, 0, 0, 0, 5, 9, 14, 20, 27, 35, 44, 36, 29, 29, 29}},
                {9, {0, 0, 0, 0, 9, 16, 24, 35, 47, 53, 59, 54, 50, 50, 50}},
            })},
           {{16},
            BTable({
                {6, kRow16},
                {7, kRow16},
                {8, kRow16},
                {9, kRow16},
            })},
           {{19, 48, 62},
            BTable({
                {3, {0, 0, 0, 0, 3, 3, 3, 3, 3, 3, 4, 4, 4, 4, 4}},
                {4, {0, 0, 0, 0, 2, 7, 12, 13, 14, 15, 16, 16, 17, 17, 17}},
                {5, {0, 0, 0, 0, 2, 7, 12, 21, 31, 33, 35, 35, 35, 35, 35}},
                {6, {0, 0, 0, 0, 2, 7, 12, 23, 34, 36, 38, 38, 38, 38, 38}},
                {7, {0, 0, 0, 0, 2, 8, 14, 27, 39, 42, 45, 45, 45, 45, 45}},
                {8, {0, 0, 0, 0, 2, 8, 14, 29, 43, 45, 48, 48, 48, 48, 48}},
                {9, {0, 0, 0, 0, 1, 7, 13, 29, 44, 46, 48, 48, 48, 48, 48}},
            })},
           {{26, 41, 49, 57},
            BTable({
                {5, {0, 0, 0, 4, 5, 5, 5, 5, 5, 6, 6, 6, 7, 7, 7}},
                {6, {0, 0, 0, 4, 4, 6, 8, 9, 11, 12, 13, 13, 14, 14, 14}},
                {7, {0, 0, 0, 4, 6, 17, 24, 30, 34, 38, 40, 40, 40, 40, 40}},
                {8, {0, 0, 0, 4, 11, 37, 47, 58, 67, 73, 74, 74, 73, 73, 73}},
                {9, {0, 0, 0, 4, 13, 42, 51, 62, 73, 80, 79, 79, 79, 79, 79}},
            })},
           {{34, 47, 55},
            BTable({
                {7, {0, 0, 0, 0, 0, 0, 13, 12, 13, 16, 14, 11, 15, 13, 13}},
                {8, {0, 0, 0, 0, 0, 0, 13, 28, 33, 38, 39, 32, 29, 23, 18}},
                {9, {0, 0, 0, 0, 0, 0, 17, 43, 52, 63, 62, 50, 41, 33, 19}},
            })},
           {{}, Values(150, 0)},
       }},
      {"coolant sensor",
       &BikeTables::coolantSensor,
       {
           {{1, 30}, SensorFromCounts(kCounts130)},
           {{28, 46}, SensorFromCounts(kCounts2846)},
           {{50}, {4100, 3501, 2913, 2050, 1191, 753, 511, 406, 266}},
           {{}, kCommonSensor},
       }},
      {"air sensor",
       &BikeTables::airSensor,
       {
           {{1, 30}, SensorFromCounts(kCounts130)},
           {{50}, {4049, 3401, 2713, 2037, 1420, 1419, 1418, 1417, 1416}},
           {{}, kCommonSensor},
       }},
  };
  return tables;
}

// The row of a shared table that serves `type`: its own list, else all others.
const SharedRow* RowOf(const std::vector<SharedRow>& rows, int type) {
  const SharedRow* others = nullptr;
  for (const auto& row : rows) {
    if (row.types.empty()) others = &row;
    if (std::ranges::find(row.types, type) != row.types.end()) return &row;
  }
  return others;
}

// How many rows name `type` in their list, "all others" counted when none does.
int RowsNaming(const std::vector<std::vector<int>>& lists, int type) {
  int named = 0;
  bool hasOthers = false;
  for (const auto& list : lists) {
    if (list.empty()) hasOthers = true;
    named += static_cast<int>(std::ranges::count(list, type));
  }
  return named == 0 && hasOthers ? 1 : named;
}

}  // namespace

TEST(BikeTypesTest, EveryBikeTypesColumnNamesEachTypeOnce) {
  std::vector<std::pair<std::string, std::vector<std::vector<int>>>> columns;
  std::vector<std::vector<int>> curveLists;
  for (const auto& c : kCurves) curveLists.push_back(c.types);
  columns.emplace_back("bike curves", curveLists);
  for (const auto& table : SharedTables()) {
    std::vector<std::vector<int>> lists;
    for (const auto& row : table.rows) lists.push_back(row.types);
    columns.emplace_back(table.name, lists);
  }
  for (const auto& [name, lists] : columns) {
    for (int type = 0; type < kTypes; ++type) {
      SCOPED_TRACE(name + ", " + Type(type));
      EXPECT_EQ(RowsNaming(lists, type), 1);
    }
  }
  // The list holds every bike once.
  std::vector<int> types;
  for (const auto& row : kList) types.push_back(row.type);
  std::ranges::sort(types);
  for (int type = 0; type < kTypes; ++type) EXPECT_EQ(types[static_cast<std::size_t>(type)], type);
  // The temperature sensors come from the converter counts as stated.
  EXPECT_EQ(SensorFromCounts(kCounts130), kSensor130);
  EXPECT_EQ(SensorFromCounts(kCounts2846), kCoolant2846);
}

TEST(BikeTypesTest, BikeListMatchesEntryByEntry) {
  const auto list = BikeList();
  ASSERT_EQ(list.size(), 65u);
  for (int index = 0; index < kTypes; ++index) {
    const ListRow& want = kList[index];
    const BikeEntry& got = list[static_cast<std::size_t>(index)];
    SCOPED_TRACE("index " + std::to_string(index) + ", " + Type(want.type));
    EXPECT_EQ(std::string_view(got.text), std::string_view(want.text));
    EXPECT_EQ(+got.type, want.type);
    EXPECT_EQ(+got.triggerSystem, want.byte2);
    EXPECT_EQ(+got.byte3, want.byte3);
    EXPECT_EQ(+got.maxRpm, want.byte252);
    EXPECT_EQ(+got.byte254, want.byte254);
    EXPECT_EQ(+got.byte191, want.byte191);
    EXPECT_EQ(got.byte192, want.byte192);
    EXPECT_EQ(got.byte193, want.byte193);
    EXPECT_EQ(got.curve, want.curve);
    EXPECT_EQ(+got.options, want.options);

    EXPECT_EQ(TypeOfListIndex(index), std::optional<int>(want.type));
    EXPECT_EQ(ListIndexOfType(want.type), index);
    EXPECT_EQ(BikeOf(want.type), &got);
    EXPECT_EQ(+BikeOptionsOf(want.type), want.options);
  }
  const BikeEntry& separator = list[64];
  EXPECT_EQ(std::string_view(separator.text), kSeparatorText);
  EXPECT_EQ(+separator.type, -1);
  EXPECT_EQ(TypeOfListIndex(64), std::nullopt);
}

TEST(BikeTypesTest, CodesThatNameNoBikeSelectTheSeparatorAndNoTable) {
  for (int code = 64; code <= 255; ++code) {
    SCOPED_TRACE("code " + std::to_string(code));
    EXPECT_EQ(ListIndexOfType(code), 64);
    EXPECT_EQ(BikeOf(code), nullptr);
    EXPECT_EQ(+BikeOptionsOf(code), 0);
    EXPECT_FALSE(SelectBikeTables(code).has_value());
  }
  EXPECT_EQ(TypeOfListIndex(-1), std::nullopt);
  EXPECT_EQ(TypeOfListIndex(65), std::nullopt);
}

TEST(BikeTypesTest, CurvesAndTriggerSystemsMatchCellByCell) {
  for (const auto& c : kCurves) {
    SCOPED_TRACE(std::string("curve ") + c.curve);
    const auto got = BikeCurve(c.curve);
    for (std::size_t i = 0; i < c.words.size(); ++i) EXPECT_EQ(got[i], c.words[i]) << "word " << 115 + i;
  }
  // Table 1's curve column and the curves' type lists say the same.
  for (int type = 0; type < kTypes; ++type) {
    SCOPED_TRACE(Type(type));
    const CurveRow* others = nullptr;
    const CurveRow* named = nullptr;
    for (const auto& c : kCurves) {
      if (c.types.empty()) others = &c;
      if (std::ranges::find(c.types, type) != c.types.end()) named = &c;
    }
    ASSERT_NE(BikeOf(type), nullptr);
    EXPECT_EQ(BikeOf(type)->curve, (named ? named : others)->curve);
  }

  for (int system = 0; system < 31; ++system) {
    SCOPED_TRACE("trigger system " + std::to_string(system));
    const TriggerRow& want = kTriggers[system];
    const TriggerSystem* got = TriggerSystemOf(system);
    ASSERT_NE(got, nullptr);
    EXPECT_EQ(+got->cylinders, want.cylinders);
    EXPECT_EQ(+got->byte253, want.byte253);
    for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(+got->outputs[i], want.outputs[i]) << "byte " << 257 + i;
    for (std::size_t i = 0; i < 14; ++i) {
      const int wantByte = want.geometry[i] == kKeep  ? kKeepByte
                           : want.geometry[i] == kB46 ? kFromAdvanceRange
                                                      : want.geometry[i];
      EXPECT_EQ(got->geometry[i], wantByte) << "byte " << 261 + i;
    }
  }
}

TEST(BikeTypesTest, ScalarsAndSpeedPointsMatchCellByCell) {
  for (int set = 0; set < 11; ++set) {
    SCOPED_TRACE("P" + std::to_string(set + 1));
    const SpeedSet& got = SpeedPointSet(set);
    for (std::size_t i = 0; i < 15; ++i) EXPECT_EQ(+got[i], kSpeedSets[set][i]) << "point " << i;
  }

  for (int type = 0; type < kTypes; ++type) {
    SCOPED_TRACE(Type(type));
    const ScalarRow& want = kScalars[type];
    const BikeScalars* got = ScalarsOf(type);
    ASSERT_NE(got, nullptr);
    EXPECT_EQ(+got->crankPolarity, want.byte5) << "byte 5";
    EXPECT_EQ(+got->dwell, want.byte4) << "byte 4";
    EXPECT_EQ(+got->coupling, want.byte47) << "byte 47";
    EXPECT_EQ(+got->gearSystem, want.byte136) << "byte 136";
    EXPECT_EQ(+got->tps0, want.byte33) << "byte 33";
    EXPECT_EQ(+got->tps100, want.byte34) << "byte 34";
    EXPECT_EQ(+got->tachoPulses, want.byte36) << "byte 36";
    EXPECT_EQ(+got->fallActiveClosing, want.byte24) << "byte 24";
    EXPECT_EQ(+got->blockingEnable, want.byte23) << "byte 23";
    EXPECT_EQ(+got->baseAdvance, want.byte45) << "byte 45";
    EXPECT_EQ(+got->startInjection, want.byte92) << "byte 92";
    EXPECT_EQ(+got->accelThreshold, want.byte90) << "byte 90";
    EXPECT_EQ(+got->accelSize, want.byte91) << "byte 91";
    EXPECT_EQ(got->speedPulses, want.word80) << "word 80";
    EXPECT_EQ(+got->advanceRows, want.advanceRows);
    EXPECT_EQ(got->extendedReference, want.extended);

    PerMapRow sets{type, want.speedSet, want.speedSet, want.speedSet, want.speedSet, want.speedSet};
    if (want.speedSet == kPerMap) {
      const auto* row = std::ranges::find(kPerMapSets, type, &PerMapRow::type);
      ASSERT_NE(row, std::end(kPerMapSets));
      sets = *row;
    }
    const auto gotSets = SpeedSetsOf(type);
    ASSERT_TRUE(gotSets.has_value());
    EXPECT_EQ(+gotSets->advance, sets.advance) << "advance";
    EXPECT_EQ(+gotSets->injection, sets.injection) << "injection maps 1-4";
    EXPECT_EQ(+gotSets->iap, sets.iap) << "IAP map";
    EXPECT_EQ(+gotSets->mapB, sets.mapB) << "map B";
    EXPECT_EQ(+gotSets->positions, sets.positions) << "positions";

    const auto tables = SelectBikeTables(type);
    ASSERT_TRUE(tables.has_value());
    EXPECT_EQ(tables->scalars, got);
    EXPECT_EQ(+tables->speedSets.advance, sets.advance);
    EXPECT_EQ(+tables->speedSets.injection, sets.injection);
    EXPECT_EQ(+tables->speedSets.iap, sets.iap);
    EXPECT_EQ(+tables->speedSets.mapB, sets.mapB);
    EXPECT_EQ(+tables->speedSets.positions, sets.positions);
  }
  // The per-map bikes are exactly the ones marked so in the scalar table.
  for (const auto& row : kPerMapSets) EXPECT_EQ(kScalars[row.type].speedSet, kPerMap) << Type(row.type);
}

TEST(BikeTypesTest, SmallTablesMatchCellByCell) {
  for (int type = 0; type < kTypes; ++type) {
    const auto tables = SelectBikeTables(type);
    ASSERT_TRUE(tables.has_value()) << Type(type);
    for (const auto& table : SharedTables()) {
      SCOPED_TRACE(std::string(table.name) + ", " + Type(type));
      const SharedRow* row = RowOf(table.rows, type);
      ASSERT_NE(row, nullptr);
      ExpectCells((*tables).*table.field, row->values);
    }
  }
}
