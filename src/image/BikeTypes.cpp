#include "image/BikeTypes.h"

#include <algorithm>

#include "image/FieldCatalogue.h"

namespace {

// clang-format off
// text, type, byte 2, byte 3, byte 252, byte 254, byte 191, bytes 192 and 193, curve, options
constexpr BikeEntry kBikeList[] = {
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
  {"Keihim-18 lobes", 63, 30, 50, 150, 25, 3, 63, 105, 'L', kBikeTempDisplay | kBikeIdlePosition},
  {"One lobe short dwell", 33, 7, 60, 150, 25, 0, 56, 104, 'F', 0},
  {"One lobe long dwell", 32, 7, 60, 140, 25, 0, 56, 104, 'F', 0},
  {"Peugeot", 38, 11, 85, 120, 25, 0, 55, 103, 'I', kBikeIdlePosition},
  {"Suzuki DL-1000", 52, 25, 75, 95, 25, 1, kKeepByte, kKeepByte, 'J', 0},
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
  {"Yamaha FZS-600 Fazer          ", 35, 19, 50, 140, 25, 3, 63, 105, 'L', kBikeTempDisplay},
  {"Yamaha FZS-1000 Fazer          ", 51, 14, 35, 120, 25, 3, 59, 105, 'K', kBikeTempDisplay},
  {"Yamaha R 125", 61, 28, 50, 150, 25, 3, 63, 105, 'L', kBikeTempDisplay | kBikeIdlePosition},
  {"Yamaha TDM 900          ", 60, 27, 50, 90, 25, 3, 63, 105, 'L', kBikeTempDisplay},
  {"Yamaha XT 660          ", 42, 20, 50, 150, 25, 3, 63, 105, 'L', kBikeTempDisplay},
  {"Yamaha YZF-R1                 02-03", 17, 17, 35, 138, 25, 3, 59, 105, 'K', kBikeTempDisplay},
  {"Yamaha YZF-R1                 04-06", 27, 17, 35, 143, 25, 3, 59, 105, 'K', kBikeTempDisplay},
  {"Yamaha YZF-R1                 07-", 47, 14, 50, 158, 25, 3, 55, 103, 'I', kBikeIntakePorts | kBikeTempDisplay},
  {"Yamaha YZF-R6                 03-07", 18, 18, 50, 150, 25, 3, 63, 105, 'L', kBikeTempDisplay},
  {"Yamaha YZF-R6R               06-07", 34, 14, 50, 158, 25, 3, 55, 103, 'I', kBikeTempDisplay},
  {"Yamaha YZF-R6R               08-", 55, 14, 50, 158, 25, 3, 55, 103, 'I', kBikeIntakePorts | kBikeTempDisplay},
  {"Yamaha YP 400", 59, 28, 50, 150, 25, 3, 63, 105, 'L', kBikeTempDisplay},
  {"-------------", -1, 0, 0, 0, 0, 0, kKeepByte, kKeepByte, 0, 0},
};
static_assert(std::size(kBikeList) == kBikeListSize);

struct Curve {
  char name;
  std::array<std::uint16_t, kBikeCurvePoints> percent;
};
constexpr Curve kCurves[] = {
  {'A', {270, 207, 179, 151, 132, 115, 100, 90, 81}},
  {'B', {194, 166, 149, 136, 126, 114, 100, 95, 91}},
  {'C', {227, 188, 155, 130, 112, 100, 100, 93, 84}},
  {'D', {379, 269, 190, 150, 127, 114, 100, 91, 86}},
  {'E', {249, 208, 164, 143, 122, 112, 100, 88, 80}},
  {'F', {193, 168, 149, 131, 119, 109, 100, 94, 86}},
  {'G', {226, 186, 156, 140, 123, 113, 100, 92, 87}},
  {'H', {248, 195, 175, 150, 133, 118, 100, 95, 88}},
  {'I', {220, 165, 148, 135, 125, 113, 100, 94, 82}},
  {'J', {234, 184, 154, 137, 125, 115, 100, 91, 86}},
  {'K', {225, 190, 160, 140, 125, 115, 100, 90, 80}},
  {'L', {230, 185, 160, 140, 125, 110, 100, 90, 90}},
  {'M', {379, 269, 190, 150, 127, 114, 100, 92, 86}},
};

// cylinders, outputs, byte 253, bytes 261-274
constexpr TriggerSystem kTriggerSystems[] = {
  {2, {0, 1, 0, 1}, 4, {5, 10, 0, 0, 4, 1, 60, 6, 0, 12, 5, 10, kKeepByte, kKeepByte}},  // 0
  {2, {0, 1, 0, 1}, 11, {36, 2, 0, 0, 14, 5, 12, 28, 2, 20, 1, 13, kKeepByte, kKeepByte}},  // 1
  {2, {0, 1, 0, 1}, 11, {22, 40, 0, 0, 12, 4, 15, 23, 2, 16, 7, 13, kKeepByte, kKeepByte}},  // 2
  {2, {0, 1, 0, 1}, 11, {15, 33, 0, 0, 11, 4, 15, 22, 2, 16, 12, 5, kKeepByte, kKeepByte}},  // 3
  {4, {0, 1, 2, 3}, 11, {14, 20, 8, 2, 6, 2, 30, 12, 0, 24, 14, 20, 8, 2}},  // 4
  {2, {0, 1, 0, 1}, 11, {5, 14, 0, 0, 6, 2, 30, 12, 0, 24, 5, 14, kKeepByte, kKeepByte}},  // 5
  {4, {0, 1, 2, 3}, 11, {14, 5, 20, 11, 6, 2, 30, 12, 0, 24, 5, 14, 20, 11}},  // 6
  {2, {0, 1, 0, 1}, 4, {3, 3, 0, 0, 2, 1, kFromAdvanceRange, 2, 0, 24, 14, 20, 8, 2}},  // 7
  {4, {0, 1, 2, 3}, 11, {7, 11, 3, 15, 4, 2, 45, 8, 0, 16, 7, 11, 3, 15}},  // 8
  {4, {0, 1, 2, 3}, 11, {29, 41, 18, 6, 12, 4, 15, 23, 1, 24, 15, 21, 9, 3}},  // 9
  {4, {0, 1, 2, 3}, 11, {29, 41, 19, 7, 12, 4, 15, 22, 2, 16, 10, 14, 6, 2}},  // 10
  {1, {0, 0, 0, 0}, 11, {7, 0, 0, 0, 11, 4, 15, 23, 1, 24, 3, 15, kKeepByte, kKeepByte}},  // 11
  {4, {0, 1, 2, 3}, 11, {10, 14, 6, 2, 4, 2, 45, 8, 0, 16, 10, 14, 6, 2}},  // 12
  {2, {0, 1, 0, 1}, 4, {3, 6, 0, 0, 2, 1, 90, 4, 0, 8, 3, 6, kKeepByte, kKeepByte}},  // 13
  {4, {0, 1, 2, 3}, 11, {28, 40, 18, 6, 12, 4, 15, 22, 2, 16, 10, 14, 6, 2}},  // 14
  {2, {0, 1, 0, 1}, 11, {12, 28, 0, 0, 12, 4, 15, 22, 2, 16, 4, 10, kKeepByte, kKeepByte}},  // 15
  {2, {0, 1, 0, 1}, 11, {18, 34, 0, 0, 12, 4, 15, 22, 2, 16, 6, 12, kKeepByte, kKeepByte}},  // 16
  {4, {0, 1, 2, 3}, 11, {8, 12, 4, 0, 4, 2, 45, 8, 0, 16, 8, 12, 4, 0}},  // 17
  {4, {0, 1, 2, 3}, 4, {5, 7, 3, 1, 2, 1, 90, 4, 0, 8, 5, 7, 3, 1}},  // 18
  {2, {0, 1, 0, 1}, 4, {2, 6, 0, 0, 4, 2, 45, 4, 0, 8, 5, 7, 3, 1}},  // 19
  {1, {0, 0, 0, 0}, 11, {6, 0, 0, 0, 6, 2, 30, 11, 1, 12, 3, 9, kKeepByte, kKeepByte}},  // 20
  {2, {0, 1, 0, 1}, 11, {30, 58, 0, 0, 17, 6, 10, 34, 2, 24, 10, 19, kKeepByte, kKeepByte}},  // 21
  {1, {0, 0, 0, 0}, 4, {3, 3, 0, 0, 2, 1, kFromAdvanceRange, 2, 0, 24, 14, 20, 8, 2}},  // 22
  {3, {0, 1, 2, 0}, 11, {34, 20, 4, 0, 12, 4, 15, 22, 2, 16, 12, 7, 1, kKeepByte}},  // 23
  {4, {0, 1, 2, 3}, 11, {16, 3, 12, 7, 4, 2, 45, 9, 0, 16, 15, 3, 11, 7}},  // 24
  {2, {0, 1, 0, 1}, 11, {4, 7, 0, 0, 2, 1, 90, 4, 0, 8, 4, 7, kKeepByte, kKeepByte}},  // 25
  {2, {0, 1, 0, 1}, 11, {2, 5, 0, 0, 2, 1, 90, 6, 0, 24, 14, 20, 8, 2}},  // 26
  {2, {0, 1, 0, 1}, 11, {10, 19, 0, 0, 6, 2, 30, 12, 0, 24, 10, 19, kKeepByte, kKeepByte}},  // 27
  {1, {0, 0, 0, 0}, 11, {6, 0, 0, 0, 6, 2, 30, 11, 1, 6, 3, 0, kKeepByte, kKeepByte}},  // 28
  {4, {0, 1, 2, 3}, 11, {28, 40, 18, 6, 12, 4, 15, 22, 2, 16, 10, 14, 6, 2}},  // 29
  {1, {0, 0, 0, 0}, 11, {17, 0, 0, 0, 9, 3, 20, 18, 0, 6, 3, 0, kKeepByte, kKeepByte}},  // 30
};
static_assert(std::size(kTriggerSystems) == kTriggerSystemCount);

// b5, b4, b47, b136, b33, b34, b36, b24, b23, b45, b92, b90, b91, word 80, advance rows, extended reference
constexpr BikeScalars kScalars[] = {
  {0, 30, 1, 3, 65, 153, 2, 1, 0, 5, 10, 15, 30, 1000, 1, false},  // 0
  {0, 19, 1, 3, 34, 223, 2, 1, 0, 0, 10, 15, 30, 1000, 1, false},  // 1
  {0, 19, 1, 3, 50, 192, 2, 1, 0, 11, 10, 15, 30, 1000, 1, false},  // 2
  {0, 19, 1, 3, 50, 192, 2, 1, 0, 11, 10, 15, 30, 1000, 1, false},  // 3
  {0, 19, 1, 3, 50, 192, 2, 1, 0, 10, 10, 15, 30, 1000, 1, false},  // 4
  {0, 19, 1, 3, 50, 192, 2, 1, 0, 5, 10, 15, 30, 1000, 1, false},  // 5
  {0, 19, 1, 3, 110, 180, 1, 1, 0, 11, 10, 15, 30, 1000, 1, false},  // 6
  {0, 19, 1, 3, 103, 180, 2, 1, 0, 13, 10, 20, 36, 1000, 1, false},  // 7
  {0, 19, 1, 0, 62, 147, 2, 1, 0, 8, 12, 20, 34, 125, 10, true},  // 8
  {0, 19, 1, 3, 108, 169, 2, 0, 0, 8, 10, 15, 30, 1000, 1, false},  // 9
  {0, 19, 1, 3, 108, 169, 2, 0, 0, 8, 10, 15, 30, 1000, 1, false},  // 10
  {0, 19, 1, 0, 110, 180, 1, 1, 0, 10, 10, 15, 30, 1000, 1, false},  // 11
  {0, 19, 1, 0, 110, 180, 1, 1, 0, 10, 12, 15, 30, 1000, 1, false},  // 12
  {0, 19, 1, 0, 110, 180, 1, 1, 0, 12, 13, 15, 30, 1000, 1, false},  // 13
  {0, 19, 1, 0, 110, 180, 1, 0, 0, 13, 13, 15, 30, 1000, 1, false},  // 14
  {0, 19, 1, 0, 110, 180, 1, 0, 0, 12, 13, 15, 30, 1000, 1, false},  // 15
  {0, 19, 1, 3, 110, 180, 1, 1, 0, 10, 10, 15, 30, 1000, 1, false},  // 16
  {0, 19, 1, 3, 66, 139, 2, 0, 0, 7, 10, 15, 30, 970, 1, false},  // 17
  {0, 19, 1, 3, 66, 139, 2, 0, 0, 12, 10, 15, 30, 1000, 1, false},  // 18
  {0, 19, 1, 3, 103, 180, 2, 1, 0, 13, 10, 20, 36, 1000, 1, false},  // 19
  {0, 19, 1, 0, 110, 180, 1, 0, 0, 13, 10, 15, 30, 1000, 1, false},  // 20
  {0, 19, 1, 3, 50, 192, 2, 1, 0, 11, 10, 15, 30, 1000, 1, false},  // 21
  {0, 19, 1, 3, 50, 192, 2, 1, 0, 10, 10, 15, 30, 1000, 1, false},  // 22
  {0, 19, 1, 0, 110, 180, 1, 0, 0, 13, 12, 15, 30, 1000, 1, false},  // 23
  {0, 19, 1, 3, 48, 198, 1, 1, 0, 0, 20, 15, 30, 1000, 1, false},  // 24
  {0, 30, 1, 3, 110, 180, 1, 1, 0, 10, 10, 15, 30, 1000, 1, false},  // 25
  {1, 19, 1, 0, 110, 195, 1, 0, 0, 15, 13, 20, 36, 1000, 10, true},  // 26
  {0, 19, 1, 3, 66, 139, 2, 0, 0, 7, 10, 15, 30, 970, 1, false},  // 27
  {0, 19, 1, 3, 50, 192, 2, 1, 0, 11, 10, 15, 30, 1000, 1, false},  // 28
  {0, 19, 1, 0, 110, 180, 1, 0, 0, 13, 13, 15, 30, 1000, 1, false},  // 29
  {0, 19, 1, 3, 34, 223, 2, 1, 0, 0, 10, 15, 30, 1000, 1, false},  // 30
  {0, 19, 1, 3, 50, 192, 2, 1, 0, 10, 10, 15, 30, 1000, 1, false},  // 31
  {0, 30, 1, 3, 110, 180, 1, 1, 0, 10, 10, 15, 30, 1000, 1, false},  // 32
  {0, 19, 1, 3, 110, 180, 1, 1, 0, 10, 10, 15, 30, 1000, 1, false},  // 33
  {1, 19, 1, 3, 69, 158, 2, 0, 0, 8, 13, 20, 36, 869, 10, true},  // 34
  {0, 30, 1, 3, 66, 139, 2, 0, 0, 12, 10, 15, 30, 1000, 1, false},  // 35
  {0, 19, 1, 0, 62, 147, 2, 1, 0, 8, 12, 20, 34, 125, 10, true},  // 36
  {0, 30, 1, 3, 110, 180, 1, 0, 0, 8, 10, 15, 30, 1000, 1, false},  // 37
  {0, 19, 1, 3, 66, 156, 1, 1, 0, 13, 13, 15, 30, 1000, 1, false},  // 38
  {0, 19, 1, 3, 64, 167, 1, 0, 0, 10, 13, 15, 30, 1000, 10, true},  // 39
  {0, 30, 1, 3, 110, 180, 1, 0, 0, 8, 10, 15, 30, 1000, 1, false},  // 40
  {0, 19, 1, 0, 110, 180, 1, 0, 0, 13, 10, 15, 30, 1000, 1, false},  // 41
  {0, 19, 1, 3, 66, 139, 2, 0, 0, 10, 12, 15, 30, 1000, 1, false},  // 42
  {0, 19, 1, 3, 62, 144, 2, 1, 0, 5, 10, 15, 30, 1000, 1, false},  // 43
  {0, 19, 1, 3, 110, 180, 1, 1, 0, 5, 10, 15, 30, 1000, 1, false},  // 44
  {0, 19, 1, 0, 58, 140, 1, 0, 0, 5, 12, 30, 30, 1000, 10, true},  // 45
  {0, 19, 1, 3, 50, 192, 2, 1, 0, 11, 10, 20, 78, 1000, 1, false},  // 46
  {1, 19, 2, 3, 69, 158, 2, 0, 0, 8, 13, 20, 36, 869, 10, true},  // 47
  {1, 19, 1, 0, 103, 180, 2, 1, 0, 13, 10, 20, 36, 286, 1, false},  // 48
  {1, 19, 1, 0, 110, 195, 1, 0, 0, 15, 13, 20, 36, 1000, 1, false},  // 49
  {1, 30, 2, 3, 118, 180, 1, 1, 0, 13, 13, 22, 40, 1000, 1, false},  // 50
  {1, 19, 1, 3, 66, 139, 2, 0, 0, 7, 10, 15, 30, 970, 1, false},  // 51
  {1, 30, 1, 3, 110, 180, 1, 0, 0, 8, 10, 15, 30, 1000, 1, false},  // 52
  {0, 19, 2, 0, 59, 162, 1, 0, 0, 5, 50, 15, 50, 1000, 10, true},  // 53
  {0, 19, 2, 1, 107, 180, 2, 0, 1, 8, 13, 20, 30, 1075, 1, true},  // 54
  {1, 19, 2, 3, 69, 158, 2, 0, 0, 8, 13, 20, 36, 869, 10, true},  // 55
  {0, 19, 1, 3, 50, 192, 2, 1, 0, 11, 10, 15, 30, 1000, 1, false},  // 56
  {0, 19, 2, 0, 69, 147, 2, 1, 1, 14, 15, 18, 30, 952, 10, true},  // 57
  {0, 19, 1, 3, 48, 198, 1, 1, 0, 5, 20, 15, 30, 1000, 1, false},  // 58
  {0, 19, 1, 3, 66, 139, 2, 0, 0, 10, 12, 15, 30, 1000, 1, false},  // 59
  {0, 30, 2, 1, 75, 155, 2, 0, 0, 16, 35, 12, 41, 210, 10, true},  // 60
  {1, 19, 1, 3, 66, 139, 2, 0, 0, 10, 12, 15, 30, 1000, 1, true},  // 61
  {0, 19, 1, 0, 103, 180, 2, 1, 0, 13, 10, 20, 36, 286, 1, false},  // 62
  {1, 19, 1, 3, 66, 139, 2, 0, 0, 10, 12, 15, 30, 1000, 1, true},  // 63
};
static_assert(std::size(kScalars) == kBikeTypeCount);

constexpr SpeedSet kSpeedSets[] = {
  {10, 20, 30, 40, 50, 55, 60, 65, 70, 75, 80, 90, 100, 110, 120},  // P1
  {10, 20, 30, 40, 60, 70, 80, 90, 100, 110, 120, 130, 140, 150, 160},  // P2
  {10, 20, 30, 40, 50, 55, 60, 70, 80, 90, 100, 110, 120, 130, 140},  // P3
  {10, 20, 30, 40, 50, 55, 60, 65, 70, 75, 80, 85, 90, 95, 100},  // P4
  {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120, 130, 140, 150},  // P5
  {5, 11, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120, 130, 140},  // P6
  {8, 10, 17, 40, 50, 55, 60, 65, 70, 75, 80, 90, 100, 110, 120},  // P7
  {10, 13, 25, 30, 35, 40, 45, 50, 55, 60, 65, 70, 80, 90, 100},  // P8
  {15, 20, 30, 40, 50, 55, 60, 65, 70, 75, 80, 85, 90, 95, 100},  // P9
  {13, 15, 20, 25, 30, 35, 40, 45, 50, 55, 60, 65, 70, 80, 90},  // P10
  {11, 16, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120, 130, 140},  // P11
};
static_assert(std::size(kSpeedSets) == kSpeedSetCount);

// Speed sets (0 = P1) of the advance map, injection maps 1-4, the IAP map,
// map B and the positions.
constexpr BikeSpeedSets kBikeSpeedSets[] = {
  {0, 0, 0, 0, 0},  // 0
  {0, 0, 0, 0, 0},  // 1
  {1, 1, 1, 1, 1},  // 2
  {1, 1, 1, 1, 1},  // 3
  {2, 2, 2, 2, 2},  // 4
  {0, 0, 0, 0, 0},  // 5
  {1, 1, 1, 1, 1},  // 6
  {1, 1, 1, 1, 1},  // 7
  {2, 2, 2, 2, 2},  // 8
  {0, 0, 0, 0, 0},  // 9
  {0, 0, 0, 0, 0},  // 10
  {1, 1, 1, 1, 1},  // 11
  {2, 2, 2, 2, 2},  // 12
  {2, 2, 2, 2, 2},  // 13
  {2, 2, 2, 2, 2},  // 14
  {0, 0, 0, 0, 0},  // 15
  {0, 0, 0, 0, 0},  // 16
  {2, 2, 2, 2, 2},  // 17
  {1, 1, 1, 1, 1},  // 18
  {1, 1, 1, 1, 1},  // 19
  {1, 1, 1, 1, 1},  // 20
  {2, 2, 2, 2, 2},  // 21
  {2, 2, 2, 2, 2},  // 22
  {2, 2, 2, 2, 2},  // 23
  {3, 3, 3, 3, 3},  // 24
  {0, 0, 0, 0, 0},  // 25
  {4, 4, 4, 4, 4},  // 26
  {2, 2, 2, 2, 2},  // 27
  {1, 1, 1, 1, 1},  // 28
  {0, 0, 0, 0, 0},  // 29
  {0, 0, 0, 0, 0},  // 30
  {2, 2, 2, 2, 2},  // 31
  {1, 1, 1, 1, 1},  // 32
  {1, 1, 1, 1, 1},  // 33
  {4, 4, 4, 4, 4},  // 34
  {1, 1, 1, 1, 1},  // 35
  {2, 2, 2, 2, 2},  // 36
  {0, 0, 0, 0, 0},  // 37
  {2, 2, 2, 2, 2},  // 38
  {4, 4, 4, 4, 4},  // 39
  {0, 0, 0, 0, 0},  // 40
  {1, 1, 1, 1, 1},  // 41
  {2, 2, 2, 2, 2},  // 42
  {0, 0, 0, 0, 0},  // 43
  {1, 1, 1, 1, 1},  // 44
  {2, 2, 2, 2, 2},  // 45
  {1, 1, 1, 1, 1},  // 46
  {4, 4, 4, 4, 4},  // 47
  {1, 1, 1, 1, 1},  // 48
  {1, 1, 1, 1, 1},  // 49
  {0, 0, 0, 0, 0},  // 50
  {2, 2, 2, 2, 2},  // 51
  {0, 0, 0, 0, 0},  // 52
  {5, 8, 10, 2, 2},  // 53
  {6, 0, 0, 0, 0},  // 54
  {4, 4, 4, 4, 4},  // 55
  {2, 2, 2, 2, 2},  // 56
  {2, 2, 2, 4, 2},  // 57
  {3, 3, 3, 3, 3},  // 58
  {2, 2, 2, 2, 2},  // 59
  {7, 9, 9, 9, 7},  // 60
  {2, 2, 2, 2, 2},  // 61
  {1, 1, 1, 1, 1},  // 62
  {2, 2, 2, 2, 2},  // 63
};
static_assert(std::size(kBikeSpeedSets) == kBikeTypeCount);
// clang-format on

// List index of every bike type, the inverse of the list.
constexpr std::array<std::uint8_t, kBikeTypeCount> ListIndices() {
  std::array<std::uint8_t, kBikeTypeCount> at{};
  for (int i = 0; i < kBikeSeparatorIndex; ++i)
    at[static_cast<std::size_t>(kBikeList[i].type)] = static_cast<std::uint8_t>(i);
  return at;
}
constexpr std::array<std::uint8_t, kBikeTypeCount> kListIndexOfType = ListIndices();

constexpr bool EveryTypeListedOnce() {
  std::array<int, kBikeTypeCount> seen{};
  for (int i = 0; i < kBikeSeparatorIndex; ++i) {
    const int t = kBikeList[i].type;
    if (!IsBikeType(t) || seen[static_cast<std::size_t>(t)]++) return false;
  }
  return kBikeList[kBikeSeparatorIndex].type < 0;
}
static_assert(EveryTypeListedOnce(), "the bike list must hold each type once, then the separator");

constexpr bool EveryTriggerSystemKnown() {
  for (int i = 0; i < kBikeSeparatorIndex; ++i)
    if (kBikeList[i].triggerSystem >= kTriggerSystemCount) return false;
  return true;
}
static_assert(EveryTriggerSystemKnown());

constexpr std::size_t At(int i) { return static_cast<std::size_t>(i); }

}  // namespace

std::span<const BikeEntry> BikeList() { return kBikeList; }

std::optional<int> TypeOfListIndex(int index) {
  if (index < 0 || index >= kBikeSeparatorIndex) return std::nullopt;
  return kBikeList[index].type;
}

int ListIndexOfType(int type) { return IsBikeType(type) ? kListIndexOfType[At(type)] : kBikeSeparatorIndex; }

const BikeEntry* BikeOf(int type) { return IsBikeType(type) ? &kBikeList[kListIndexOfType[At(type)]] : nullptr; }

std::uint8_t BikeOptionsOf(int type) {
  const BikeEntry* b = BikeOf(type);
  return b ? b->options : 0;
}

std::span<const std::uint16_t, kBikeCurvePoints> BikeCurve(char curve) {
  for (const Curve& c : kCurves)
    if (c.name == curve) return c.percent;
  return kCurves[0].percent;
}

const TriggerSystem* TriggerSystemOf(int triggerSystem) {
  if (triggerSystem < 0 || triggerSystem >= kTriggerSystemCount) return nullptr;
  return &kTriggerSystems[triggerSystem];
}

const SpeedSet& SpeedPointSet(int index) { return kSpeedSets[std::clamp(index, 0, kSpeedSetCount - 1)]; }

const BikeScalars* ScalarsOf(int type) { return IsBikeType(type) ? &kScalars[type] : nullptr; }

std::optional<BikeSpeedSets> SpeedSetsOf(int type) {
  if (!IsBikeType(type)) return std::nullopt;
  return kBikeSpeedSets[type];
}

void DeriveBikeConstants(ConfigImage& image) {
  const BikeEntry* bike = BikeOf(image[ElementOffset(FieldId::kBike)]);
  if (!bike) return;
  const TriggerSystem& trigger = kTriggerSystems[bike->triggerSystem];
  auto put = [&](FieldId id, int index, std::int32_t value) {
    if (value != kKeepByte) WriteRaw(image, id, index, value);
  };
  put(FieldId::kBikeConstant3, 0, bike->byte3);
  put(FieldId::kTriggerSystem, 0, bike->triggerSystem);
  put(FieldId::kBikeConstants253, 1, bike->byte254);
  put(FieldId::kBikeConstants253, 0, trigger.byte253);
  put(FieldId::kBikeMaxRpm, 0, bike->maxRpm);
  put(FieldId::kBikeConstants191, 0, bike->byte191);
  put(FieldId::kBikeConstants191, 1, bike->byte192);
  put(FieldId::kBikeConstants191, 2, bike->byte193);
  put(FieldId::kCylinderCount, 0, trigger.cylinders);
  for (int i = 0; i < 4; ++i) put(FieldId::kIgnitionOutputs, i, trigger.outputs[At(i)]);
  const auto curve = BikeCurve(bike->curve);
  for (int i = 0; i < kBikeCurvePoints; ++i) put(FieldId::kBikeCurve, i, curve[At(i)]);
  const std::int32_t advanceRange = ReadRaw(image, FieldId::kAdvanceRange);
  for (int i = 0; i < 14; ++i) {
    const std::int16_t g = trigger.geometry[At(i)];
    put(FieldId::kPickupGeometry, i, g == kFromAdvanceRange ? advanceRange : g);
  }
}
