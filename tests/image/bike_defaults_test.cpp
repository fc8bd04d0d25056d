#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bitset>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "image/BikeDefaults.h"
#include "image/BikeTables.h"
#include "image/BikeTypes.h"
#include "image/ConfigImage.h"
#include "image/Normalise.h"
#include "image/ParamSet.h"
#include "support/BikeSpeedSets.h"

// The default configuration is built a second time here, statement by
// statement and byte by byte, from the bike data written out by hand. Only the
// advance, position, servo and reference tables are taken from the code: their
// values are our own tune, so their bytes are checked by shape instead.
namespace {

using Row15 = std::array<int, 15>;

constexpr int kKeep = -1;  // the byte keeps its value
constexpr int kB46 = -2;   // byte 267 takes byte 46

// Throttle rows of the injection maps, percent.
constexpr std::array<int, 10> kThrottleRows{0, 2, 5, 10, 20, 30, 40, 60, 80, 100};

using Curve = std::array<int, 9>;
constexpr Curve kCurveB{194, 166, 149, 136, 126, 114, 100, 95, 91};
constexpr Curve kCurveF{193, 168, 149, 131, 119, 109, 100, 94, 86};
constexpr Curve kCurveH{248, 195, 175, 150, 133, 118, 100, 95, 88};
constexpr Curve kCurveJ{234, 184, 154, 137, 125, 115, 100, 91, 86};
constexpr Curve kCurveL{230, 185, 160, 140, 125, 110, 100, 90, 90};

struct Trigger {
  int cylinders;               // byte 256
  std::array<int, 4> outputs;  // bytes 257-260
  int byte253;
  std::array<int, 14> geometry;  // bytes 261-274
};
constexpr Trigger kTrigger2{2, {0, 1, 0, 1}, 11, {22, 40, 0, 0, 12, 4, 15, 23, 2, 16, 7, 13, kKeep, kKeep}};
constexpr Trigger kTrigger7{2, {0, 1, 0, 1}, 4, {3, 3, 0, 0, 2, 1, kB46, 2, 0, 24, 14, 20, 8, 2}};
constexpr Trigger kTrigger10{4, {0, 1, 2, 3}, 11, {29, 41, 19, 7, 12, 4, 15, 22, 2, 16, 10, 14, 6, 2}};
constexpr Trigger kTrigger12{4, {0, 1, 2, 3}, 11, {10, 14, 6, 2, 4, 2, 45, 8, 0, 16, 10, 14, 6, 2}};
constexpr Trigger kTrigger17{4, {0, 1, 2, 3}, 11, {8, 12, 4, 0, 4, 2, 45, 8, 0, 16, 8, 12, 4, 0}};
constexpr Trigger kTrigger23{3, {0, 1, 2, 0}, 11, {34, 20, 4, 0, 12, 4, 15, 22, 2, 16, 12, 7, 1, kKeep}};
constexpr Trigger kTrigger25{2, {0, 1, 0, 1}, 11, {4, 7, 0, 0, 2, 1, 90, 4, 0, 8, 4, 7, kKeep, kKeep}};
constexpr Trigger kTrigger27{2, {0, 1, 0, 1}, 11, {10, 19, 0, 0, 6, 2, 30, 12, 0, 24, 10, 19, kKeep, kKeep}};

using Sensor9 = std::array<int, 9>;
constexpr Sensor9 kCommonSensor{4049, 3401, 2713, 2037, 1420, 981, 642, 443, 299};
constexpr Sensor9 kSensorOf1{4095, 3631, 3167, 2316, 1466, 1133, 801, 698, 596};
constexpr std::array<int, 7> kGearVoltages{5000, 1797, 2260, 2998, 3662, 4360, 4687};
constexpr std::array<int, 8> kIdleRecord{0, 1500, 40, 1, 1500, 6, 200, 2000};
constexpr std::array<int, 9> kIdlePosition{1800, 1800, 1800, 1550, 1400, 1200, 1200, 1200, 1200};
constexpr std::array<int, 4> kIdleAdvance{0, 13, 3, 22};
constexpr std::array<int, 9> kIdleSpeed{1800, 1800, 1750, 1600, 1550, 1550, 1550, 1550, 1450};
constexpr std::array<int, 10> kTempCorrF{112, 107, 103, 100, 97, 106, 103, 100, 100, 100};
constexpr std::array<int, 10> kTempCorrSecond{113, 109, 105, 100, 97, 109, 105, 100, 100, 100};
constexpr std::array<int, 10> kTempCorrH{125, 114, 107, 100, 98, 113, 107, 100, 97, 93};

// What one bike type's defaults are made of, restated for the types below.
struct Bike {
  int type;
  // Bike list
  int byte2, byte3, byte252, byte254, byte191, byte192, byte193;
  Curve curve;
  Trigger trigger;
  // Scalar defaults
  int byte5, byte4, byte47, byte136, byte33, byte34, byte36, byte24, byte23, byte45, byte92, byte90, byte91, word80;
  int advance, injection, iap, mapB, positions;  // P1-P11
  // Small tables
  int sensorMv1, sensorMv2;  // at 55 and 105 kPa, AP and IAP alike
  std::array<int, 7> gearVoltages;
  std::array<int, 8> idleRecord;
  std::array<int, 9> idlePosition;
  std::array<int, 4> idleAdvance;
  std::array<int, 9> idleSpeed;
  std::array<int, 10> tempCorrection;
  Sensor9 coolant, air;
  int bFirstRow;
  std::vector<Row15> bRows;  // the rest of map B is 0
};

// clang-format off
const Bike kBikes[] = {
  {1, 2, 65, 108, 50, 0, 55, 103, kCurveB, kTrigger2,
   0, 19, 1, 3, 34, 223, 2, 1, 0, 0, 10, 15, 30, 1000, P1, P1, P1, P1, P1,
   2247, 4744, kGearVoltages, kIdleRecord, kIdlePosition, kIdleAdvance, kIdleSpeed,
   kTempCorrSecond, kSensorOf1, kSensorOf1, 0, {}},
  {11, 12, 85, 140, 25, 1, 56, 104, kCurveF, kTrigger12,
   0, 19, 1, 0, 110, 180, 1, 1, 0, 10, 10, 15, 30, 1000, P2, P2, P2, P2, P2,
   2305, 3756, kGearVoltages, kIdleRecord, kIdlePosition, kIdleAdvance, kIdleSpeed,
   kTempCorrF, kCommonSensor, kCommonSensor, 0, {}},
  {33, 7, 60, 150, 25, 0, 56, 104, kCurveF, kTrigger7,
   0, 19, 1, 3, 110, 180, 1, 1, 0, 10, 10, 15, 30, 1000, P2, P2, P2, P2, P2,
   2305, 3756, kGearVoltages, kIdleRecord, kIdlePosition, kIdleAdvance, kIdleSpeed,
   kTempCorrF, kCommonSensor, kCommonSensor, 0, {}},
  {52, 25, 75, 95, 25, 1, kKeep, kKeep, kCurveJ, kTrigger25,
   1, 30, 1, 3, 110, 180, 1, 0, 0, 8, 10, 15, 30, 1000, P1, P1, P1, P1, P1,
   2162, 4160, kGearVoltages, {1, 1500, 40, 0, 1500, 6, 200, 2000},
   {4780, 4780, 4600, 4300, 3300, 2420, 1960, 1960, 1960}, kIdleAdvance, kIdleSpeed,
   {125, 107, 100, 100, 100, 105, 102, 100, 100, 100}, kCommonSensor, kCommonSensor, 0, {}},
  {53, 23, 65, 100, 50, 0, 60, 105, kCurveH, kTrigger23,
   0, 19, 2, 0, 59, 162, 1, 0, 0, 5, 50, 15, 50, 1000, P6, P9, P11, P3, P3,
   2162, 4160, {2400, 2600, 4200, 4300, 4400, 4500, 4600}, {3, 5000, 12, 1, 1500, 6, 200, 2000},
   {550, 550, 520, 510, 500, 490, 400, 400, 400}, {1, 25, 3, 24},
   {1800, 1800, 1750, 1500, 1500, 1500, 1300, 1300, 1300},
   kTempCorrH, kCommonSensor, kCommonSensor, 0, {}},
  {54, 17, 65, 115, 50, 0, 60, 105, kCurveH, kTrigger17,
   0, 19, 2, 1, 107, 180, 2, 0, 1, 8, 13, 20, 30, 1075, P7, P1, P1, P1, P1,
   2305, 3756, kGearVoltages, {0, 1500, 10, 1, 1500, 6, 200, 2000},
   {100, 100, 100, 100, 100, 100, 100, 100, 100}, {1, 10, 10, 25},
   {1500, 1500, 1500, 1500, 1400, 1300, 1200, 1200, 1200},
   kTempCorrSecond, kCommonSensor, kCommonSensor, 0, {}},
  {57, 10, 65, 131, 50, 4, 60, 105, kCurveH, kTrigger10,
   0, 19, 2, 0, 69, 147, 2, 1, 1, 14, 15, 18, 30, 952, P3, P3, P3, P5, P3,
   2162, 4160, {4521, 3519, 3015, 2507, 2018, 1456, 1006}, {1, 1500, 25, 0, 1500, 7, 200, 2000},
   {60, 60, 55, 53, 50, 46, 41, 40, 40}, {0, 11, 8, 25},
   {1800, 1800, 1800, 1550, 1400, 1200, 1200, 1200, 1200},
   kTempCorrH, kCommonSensor, kCommonSensor, 5, {
     {0, 0, 0, 4, 5, 5, 5, 5, 5, 6, 6, 6, 7, 7, 7},
     {0, 0, 0, 4, 4, 6, 8, 9, 11, 12, 13, 13, 14, 14, 14},
     {0, 0, 0, 4, 6, 17, 24, 30, 34, 38, 40, 40, 40, 40, 40},
     {0, 0, 0, 4, 11, 37, 47, 58, 67, 73, 74, 74, 73, 73, 73},
     {0, 0, 0, 4, 13, 42, 51, 62, 73, 80, 79, 79, 79, 79, 79}}},
  {60, 27, 50, 90, 25, 3, 63, 105, kCurveL, kTrigger27,
   0, 30, 2, 1, 75, 155, 2, 0, 0, 16, 35, 12, 41, 210, P8, P10, P10, P10, P8,
   2305, 3756, kGearVoltages, kIdleRecord, kIdlePosition, kIdleAdvance, kIdleSpeed,
   {124, 120, 109, 100, 98, 115, 109, 100, 98, 93}, kCommonSensor, kCommonSensor, 0, {}},
};
// clang-format on

const Bike& BikeOfType(int type) {
  for (const Bike& b : kBikes)
    if (b.type == type) return b;
  ADD_FAILURE() << "no restated data for type " << type;
  return kBikes[0];
}

bool In(std::initializer_list<int> types, int type) {
  return std::find(types.begin(), types.end(), type) != types.end();
}

// Which of our own tables a run wrote, so that their bytes are checked by shape.
enum OwnPart : unsigned {
  kOwnAdvance = 1,
  kOwnPositions = 2,
  kOwnIntake = 4,
  kOwnExhaust = 8,
  kOwnMap1 = 16,  // kOwnMap1 << k for map k + 1
  kOwnIap = 256,
};

struct Expected {
  ConfigImage image;
  std::bitset<kImageSize> own;  // filled from our own tables
  unsigned parts = 0;
};

// The defaults restated step by step: prelude, pages 0-13, closing.
class SpecDefaults {
 public:
  SpecDefaults(const Bike& b, const ConfigImage& start, const DefaultsScope& scope)
      : m_b(b), m_scope(scope), m_type(b.type) {
    m_e.image = start;
  }

  Expected Build() {
    Derive();
    Set(1, 0);
    if (m_scope.wholeImage) Set(47, m_b.byte47);
    if (Runs(0)) BikePage();
    if (Runs(1)) AdvancePage();
    if (Runs(2)) InjectionPage();
    if (Runs(3)) PositionPage();
    if (Runs(4)) CorrectionsPage();
    if (Runs(5)) SensorsPage();
    if (Runs(6)) ServoPage();
    if (Runs(7)) RacePage();
    if (Runs(8)) GearPage();
    if (Runs(9)) IdlePage();
    if (Runs(10)) N2oPage();
    if (Runs(11)) TuningPage();
    if (Runs(12)) Bytes(372, {100, 120, 140, 180});
    if (Runs(13)) Bytes(376, {50, 50});
    // The one-lobe trigger systems take byte 46 as the advance page left it.
    if (m_b.trigger.geometry[6] == kB46) Set(267, Get(46));
    Set(5, m_b.byte5);
    Set(4, m_b.byte4);
    return m_e;
  }

 private:
  bool Runs(int page) const { return m_scope.wholeImage || m_scope.page == page; }
  bool Shown(int part) const { return m_scope.wholeImage || m_scope.shownMap == part; }
  int Get(int offset) const { return m_e.image[static_cast<std::size_t>(offset)]; }
  void Set(int offset, int value) {
    m_e.image[static_cast<std::size_t>(offset)] = static_cast<std::uint8_t>(value & 0xFF);
  }
  void Word(int index, int value) {
    Set(2 * index, value);
    Set(2 * index + 1, value >> 8);
  }
  template <typename Values>
  void Bytes(int offset, const Values& values, int divisor = 1) {
    for (int v : values) Set(offset++, v / divisor);
  }
  void Bytes(int offset, std::initializer_list<int> values) { Bytes<std::initializer_list<int>>(offset, values); }
  template <typename Values>
  void Words(int index, const Values& values) {
    for (int v : values) Word(index++, v);
  }
  void Words(int index, std::initializer_list<int> values) { Words<std::initializer_list<int>>(index, values); }
  void Fill(int first, int last, int value) {
    for (int i = first; i <= last; ++i) Set(i, value);
  }
  void Own(unsigned part, int first, int last) {
    m_e.parts |= part;
    for (int i = first; i <= last; ++i) m_e.own.set(static_cast<std::size_t>(i));
  }
  void Axis(int offset, int set) { Bytes(offset, kSpeedSets[static_cast<std::size_t>(set)]); }

  void Derive() {
    Set(3, m_b.byte3);
    Set(2, m_b.byte2);
    Set(254, m_b.byte254);
    Set(253, m_b.trigger.byte253);
    Set(252, m_b.byte252);
    Set(191, m_b.byte191);
    if (m_b.byte192 != kKeep) Set(192, m_b.byte192);
    if (m_b.byte193 != kKeep) Set(193, m_b.byte193);
    Set(256, m_b.trigger.cylinders);
    Bytes(257, m_b.trigger.outputs);
    Words(115, m_b.curve);
    for (int i = 0; i < 14; ++i) {
      const int g = m_b.trigger.geometry[static_cast<std::size_t>(i)];
      if (g == kB46)
        Set(261 + i, Get(46));
      else if (g != kKeep)
        Set(261 + i, g);
    }
  }

  void BikePage() {
    Set(22, 1);
    Set(23, In({54, 57}, m_type) ? 1 : 0);
    Set(24, m_b.byte24);
    Bytes(25, {1, 1, 1});
    Set(35, 100);
    Set(36, m_b.byte36);
    Set(37, 100);
    Set(38, m_type == 55 ? 100 : 90);
    Set(29, Get(252));
    Set(28, Get(29) / 2);
    Set(39, Get(29) / 3 + Get(28));
    Set(282, 0);
    Set(30, Get(29) + 3);
    Set(31, Get(29) + 3);
    Set(32, 20);
    Bytes(368, {100, 200, 10, 120});
    Fill(2730, 2849, 0);
  }

  void AdvancePage() {
    Axis(465, m_b.advance);
    Own(kOwnAdvance, 600, 749);
    Set(40, 1);
    Fill(41, 44, 100);
    Set(45, m_b.byte45);
    Set(46, m_type == 33 ? 40 : m_type == 44 ? 60 : 50);
  }

  void InjectionPage() {
    if (Shown(0)) {
      Axis(480, m_b.injection);
      Own(kOwnMap1, 750, 1049);
      if (Get(47) == 1) {
        for (int k = 1; k < 4; ++k) Axis(480 + 15 * k, m_b.injection);
        Own(kOwnMap1 << 1 | kOwnMap1 << 2 | kOwnMap1 << 3, 1050, 1949);
      }
      const bool late = In({53, 57}, m_type);
      Set(48, late ? 3 : 2);
      Set(49, 5);
      Set(50, late ? 30 : 20);
      Set(51, late ? 40 : 30);
    }
    for (int k = 1; k < 4; ++k) {
      if (!Shown(k) || Get(47) != 0) continue;
      Axis(480 + 15 * k, m_b.injection);
      Own(kOwnMap1 << k, 750 + 300 * k, 1049 + 300 * k);
    }
    if (Shown(4)) {
      Axis(540, m_b.mapB);
      Fill(1950, 2099, 0);
      int offset = 1950 + 15 * m_b.bFirstRow;
      for (const Row15& row : m_b.bRows) {
        Bytes(offset, row);
        offset += 15;
      }
    }
    if (Shown(5)) {
      Words(192, {30, 50, 60, 70, 75, 80, 85, 90, 95, 100});
      Axis(555, m_b.iap);
      Own(kOwnIap, 2100, 2399);
      Fill(52, 55, 100);
    }
  }

  void PositionPage() {
    Axis(405, m_b.positions);
    Axis(435, m_b.positions);
    Own(kOwnPositions, 420, 434);
    Own(kOwnPositions, 450, 464);
    Own(kOwnPositions, 56, 57);
  }

  void CorrectionsPage() {
    Bytes(67, {5, 10, 15, 20});
    if (m_type == 53)
      Bytes(71, {50, 20, 15});
    else
      Bytes(71, {150, 50, 30});
    Set(74, 10);
    Set(90, m_b.byte90);
    Set(91, m_b.byte91);
    Bytes(80, m_b.tempCorrection);
    Bytes(93, {110, 110, 100, 100});
    Set(97, 95);
    Set(92, m_b.byte92);
    Words(166, {30, 40, 300, 300});
  }

  void SensorsPage() {
    Words(3, {55, m_b.sensorMv1, 105, m_b.sensorMv2});
    Words(7, {55, m_b.sensorMv1, 105, m_b.sensorMv2});
    Set(33, m_b.byte33);
    Set(34, m_b.byte34);
    Set(352, 0);
    Bytes(353, {100, 130, 140, 150, 180});
    Words(179, {900, 840, 760, 50, 0});
    Set(75, 0);
    Set(76, 20);
    Words(97, m_b.coolant);
    Words(106, m_b.air);
  }

  void ServoPage() {
    const int t = m_type;
    if (Shown(0)) {
      Set(65, In({7, 8, 19, 26, 34, 36, 47, 48, 49, 50, 51, 52, 54, 55, 57, 62}, t) ? 0 : 1);
      Set(59, In({7, 8, 11, 12, 13, 14, 17, 19, 20, 23, 26, 27, 34, 36, 41, 47, 48, 49, 50, 51, 52, 54, 55, 57, 62}, t)
                  ? 1
                  : 0);
      Set(63, In({7, 8, 19, 26, 36, 48, 49, 51, 54, 57, 62}, t) ? 1 : 0);
      Bytes(77, {14, 14});
      Set(66, In({7, 19, 26, 36, 45, 48, 49, 53, 54, 57, 62}, t) ? 1 : 0);
      Own(kOwnIntake, 585, 599);
      Own(kOwnIntake, 2550, 2699);
      Set(61, In({7, 19, 26, 48, 49, 51, 54, 62}, t) ? 30
              : In({8, 36}, t)                       ? 60
              : In({34, 47, 55}, t)                  ? 140
              : In({45, 53}, t)                      ? 40
              : In({50, 52}, t)                      ? 200
              : t == 57                              ? 10
                                                     : 80);
      Set(249, 20);
      Set(251, 25);
      Set(278, 30);
      const bool soft = In({34, 47, 50, 52, 55}, t);
      Set(276, soft ? 5 : 20);
      Set(279, soft ? 65 : 0);
    }
    if (Shown(1)) {
      Set(64, 1);
      Set(58, In({4, 7, 8, 13, 14, 17, 19, 21, 26, 27, 34, 36, 42, 45, 47, 48, 49, 51, 55, 56, 57, 59, 61, 62, 63}, t)
                  ? 1
                  : 0);
      Set(62, In({8, 19, 36, 48, 51, 57, 62}, t) ? 1 : 0);
      Own(kOwnExhaust, 570, 584);
      Own(kOwnExhaust, 2400, 2549);
      Set(60, In({7, 8, 19, 36, 45, 48, 51, 53, 57, 62}, t) ? 40 : In({34, 47, 55}, t) ? 60 : 80);
      Set(248, 5);
      Set(250, 10);
      Set(275, 20);
      Set(277, 30);
    }
  }

  void RacePage() {
    for (int g = 0; g < 6; ++g) {
      Set(108 + g, Get(29) - 20);
      Set(114 + g, Get(29) - 15);
      Set(121 + g, 20);
      Set(127 + g, 50);
    }
    Set(120, 0);
    Set(133, 20);
    Set(134, 50);
    Set(135, 0);
    Set(107, 0);
    Set(139, 0);
    Bytes(186, {80, 5, 10, -20, 25});
  }

  void GearPage() {
    Set(136, m_b.byte136);
    Words(70, m_b.gearVoltages);
    Set(137, 6);
    Set(404, 100);
    if (m_type == 54)
      Words(81, {821, 607, 476, 419, 372, 345});
    else if (m_type == 60)
      Words(81, {990, 702, 561, 449, 373, 335});
    else
      Words(81, {2000, 1000, 666, 500, 400, 333});
    Bytes(154, {3, 15, 20, 40});
    Fill(174, 185, 100);
    Set(138, 0);
    Word(80, m_b.word80);
  }

  void IdlePage() {
    Set(297, 15);
    const std::array<int, 8>& r = m_b.idleRecord;
    Bytes(290, {r[0], r[1] / 100, r[2], r[3], r[4] / 250, r[5], r[6] / 10});
    Word(165, r[7]);
    Words(149, m_b.idlePosition);
    Bytes(317, m_b.idleAdvance);
    Bytes(321, m_b.idleSpeed, 50);
  }

  void N2oPage() {
    Bytes(98, {0, 20, 60, 30, 20, 0, 0, 30, 20});
    Bytes(158, {0, 0});
  }

  void TuningPage() {
    Bytes(340, {0, 0});
    Bytes(344, {2, 20, 2, 20, 60});
    Set(350, 1);
    Set(351, 10);
    Bytes(378, {100, 200, 0, 8, 140, 205});
    Bytes(2700, {10, 20, 40, 80, 160});
    Bytes(2705, {142, 140, 136, 136, 136, 138, 138});
    Fill(2712, 2729, 136);
  }

  const Bike& m_b;
  const DefaultsScope& m_scope;
  int m_type;
  Expected m_e;
};

int WordAt(const ConfigImage& image, int index) {
  return image[static_cast<std::size_t>(2 * index)] | image[static_cast<std::size_t>(2 * index + 1)] << 8;
}

ConfigImage Filled(int type, std::uint8_t fill) {
  ConfigImage image;
  image.fill(fill);
  image[0] = static_cast<std::uint8_t>(type);
  return image;
}

ConfigImage Defaults(ConfigImage image, const DefaultsScope& scope) {
  CParamSet params;
  ApplyBikeDefaults(image, params, scope);
  return image;
}

// Every byte that is not filled from our own tables, with the offset named.
void ExpectStatedBytes(const ConfigImage& got, const Expected& want) {
  for (std::size_t i = 0; i < kImageSize; ++i)
    if (!want.own.test(i) && got[i] != want.image[i])
      ADD_FAILURE() << "byte " << i << ": expected " << int{want.image[i]} << ", got " << int{got[i]};
}

// A default injection map is its reference table sampled at the map's points:
// the base is the reference × 100, interpolated bilinearly (fractions limited
// to [0, 1]) and rounded half away from zero; the map holds base / 10 in µs.
// Exact integer arithmetic, so that a rounding slip shows.
int SampledReference(const ReferenceTable& ref, int x, int y) {
  const int nx = static_cast<int>(ref.speedPoints.size()), ny = static_cast<int>(ref.rowPoints.size());
  auto bx = [&](int i) { return ref.speedPoints[static_cast<std::size_t>(i)] / 100; };
  auto by = [&](int j) { return ref.rowPoints[static_cast<std::size_t>(j)] / 10; };
  auto v = [&](int i, int j) { return std::int64_t{ref.values[static_cast<std::size_t>(j * nx + i)]} * 100; };
  int l = 0, j = 0;
  while (l < nx - 2 && bx(l + 1) < x) ++l;
  while (j < ny - 2 && by(j + 1) < y) ++j;
  auto fraction = [](int lo, int hi, int p, std::int64_t& num, std::int64_t& den) {
    if (hi == lo) {
      num = 1, den = 2;
    } else {
      den = hi - lo;
      num = std::clamp<std::int64_t>(p - lo, 0, den);
    }
  };
  std::int64_t fxn, fxd, fyn, fyd;
  fraction(bx(l), bx(l + 1), x, fxn, fxd);
  fraction(by(j), by(j + 1), y, fyn, fyd);
  const std::int64_t n = (fyd - fyn) * ((fxd - fxn) * v(l, j) + fxn * v(l + 1, j)) +
                         fyn * ((fxd - fxn) * v(l, j + 1) + fxn * v(l + 1, j + 1));
  const std::int64_t d = fxd * fyd;
  const std::int64_t base = (2 * n + d) / (2 * d);  // never negative
  return static_cast<int>(base / 10);
}

void ExpectMapFromReference(const ConfigImage& got, const char* name, int firstWord, int axisOffset,
                            const std::array<int, 10>& rows, const ReferenceTable& ref) {
  ASSERT_GE(ref.speedPoints.size(), 2u) << name;
  ASSERT_GE(ref.rowPoints.size(), 2u) << name;
  ASSERT_EQ(ref.values.size(), ref.speedPoints.size() * ref.rowPoints.size()) << name;
  for (int r = 0; r < 10; ++r)
    for (int c = 0; c < 15; ++c) {
      const int x = got[static_cast<std::size_t>(axisOffset + c)];
      const int word = WordAt(got, firstWord + 15 * r + c);
      EXPECT_EQ(word, SampledReference(ref, x, rows[static_cast<std::size_t>(r)]))
          << name << " row " << r << " column " << c << " (word " << firstWord + 15 * r + c << ")";
      // Where the points coincide the map is the reference value in µs.
      for (std::size_t i = 0; i < ref.speedPoints.size(); ++i)
        for (std::size_t k = 0; k < ref.rowPoints.size(); ++k)
          if (ref.speedPoints[i] == x * 100 && ref.rowPoints[k] == rows[static_cast<std::size_t>(r)] * 10) {
            EXPECT_EQ(word, ref.values[k * ref.speedPoints.size() + i] * 10)
                << name << " row " << r << " column " << c << " on a reference point";
          }
    }
}

// A servo map from its table: axis = words 1-15 / 100; values from word 16,
// all 150 when the axes byte is 0 (speed × throttle), else the first 15 in
// every row; in steps of 20 mV unless the percent byte is set.
void ExpectServo(const ConfigImage& got, const char* name, std::span<const std::int32_t> table, int axisOffset,
                 int valueOffset, int axesByte, int percentByte) {
  ASSERT_GE(table.size(), 31u) << name;
  for (int c = 0; c < 15; ++c)
    EXPECT_EQ(int{got[static_cast<std::size_t>(axisOffset + c)]}, table[static_cast<std::size_t>(1 + c)] / 100)
        << name << " axis point " << c;
  const bool grid = got[static_cast<std::size_t>(axesByte)] == 0;
  if (grid) {
    ASSERT_GE(table.size(), 166u) << name << " needs ten rows for speed × throttle";
  }
  const bool percent = got[static_cast<std::size_t>(percentByte)] != 0;
  for (int i = 0; i < 150; ++i) {
    const std::int32_t v = table[static_cast<std::size_t>(16 + (grid ? i : i % 15))];
    EXPECT_EQ(int{got[static_cast<std::size_t>(valueOffset + i)]}, (percent ? v : v / 20) & 0xFF)
        << name << " value " << i;
  }
}

// Our own tables, checked by where they land and in what shape.
void ExpectOwnTables(int type, const ConfigImage& got, unsigned parts) {
  const std::optional<BikeTables> t = SelectBikeTables(type);
  ASSERT_TRUE(t.has_value());
  if (parts & kOwnAdvance) {
    const int rows = t->scalars->advanceRows;
    ASSERT_EQ(t->advance.size(), static_cast<std::size_t>(15 * rows));
    // One row serves all ten throttle rows: they replicate.
    for (int r = 0; r < 10; ++r)
      for (int c = 0; c < 15; ++c)
        EXPECT_EQ(int{got[static_cast<std::size_t>(600 + 15 * r + c)]},
                  t->advance[static_cast<std::size_t>((rows == 10 ? 15 * r : 0) + c)] & 0xFF)
            << "advance row " << r << " column " << c;
  }
  if (parts & kOwnPositions) {
    ASSERT_EQ(t->position.size(), 32u);
    EXPECT_EQ(int{got[56]}, t->position[0] & 0xFF);
    EXPECT_EQ(int{got[57]}, t->position[1] & 0xFF);
    for (int i = 0; i < 15; ++i) {
      EXPECT_EQ(int{got[static_cast<std::size_t>(420 + i)]}, t->position[static_cast<std::size_t>(2 + i)] / 5)
          << "A " << i;
      EXPECT_EQ(int{got[static_cast<std::size_t>(450 + i)]}, t->position[static_cast<std::size_t>(17 + i)] / 5)
          << "B " << i;
    }
  }
  if (parts & kOwnIntake) ExpectServo(got, "intake servo", t->intakeServo, 585, 2550, 65, 63);
  if (parts & kOwnExhaust) ExpectServo(got, "exhaust servo", t->exhaustServo, 570, 2400, 64, 62);
  const char* names[] = {"map 1", "map 2", "map 3", "map 4"};
  for (int k = 0; k < 4; ++k)
    if (parts & (kOwnMap1 << k))
      ExpectMapFromReference(got, names[k], 375 + 150 * k, 480 + 15 * k, kThrottleRows,
                             k == 0 || k == 3 ? t->reference->maps14 : t->reference->maps23);
  if (parts & kOwnIap) {
    std::array<int, 10> pressures{};
    for (int r = 0; r < 10; ++r) pressures[static_cast<std::size_t>(r)] = WordAt(got, 192 + r);
    ExpectMapFromReference(got, "IAP map", 1050, 555, pressures, t->reference->iap);
  }
}

constexpr unsigned kAllOwn = kOwnAdvance | kOwnPositions | kOwnIntake | kOwnExhaust | kOwnMap1 | kOwnIap;
constexpr unsigned kMaps234 = kOwnMap1 << 1 | kOwnMap1 << 2 | kOwnMap1 << 3;

TEST(BikeDefaultsTest, WholeImageMatchesTheDefaultsRestatedByteByByte) {
  const std::uint8_t fills[] = {0x00, 0x5A};
  for (const Bike& b : kBikes)
    for (std::uint8_t fill : fills) {
      SCOPED_TRACE("type " + std::to_string(b.type) + ", start bytes " + std::to_string(fill));
      const ConfigImage start = Filled(b.type, fill);
      const ConfigImage got = Defaults(start, kWholeImage);
      const Expected want = SpecDefaults(b, start, kWholeImage).Build();
      ExpectStatedBytes(got, want);
      ExpectOwnTables(b.type, got, want.parts);
    }
}

TEST(BikeDefaultsTest, OwnTablesReachTheImageInTheirStatedShape) {
  for (int type = 0; type < kBikeTypeCount; ++type) {
    SCOPED_TRACE("type " + std::to_string(type));
    const ConfigImage got = Defaults(Filled(type, 0), kWholeImage);
    const bool coupled = got[47] == 1;
    ExpectOwnTables(type, got, coupled ? kAllOwn | kMaps234 : kAllOwn);
    if (coupled) {
      // Maps 1 and 4 share reference table 1, maps 2 and 3 table 2.
      EXPECT_TRUE(std::equal(got.begin() + 750, got.begin() + 1050, got.begin() + 1650)) << "map 4 differs from map 1";
      EXPECT_TRUE(std::equal(got.begin() + 1050, got.begin() + 1350, got.begin() + 1350)) << "map 3 differs from map 2";
    }
  }
}

TEST(BikeDefaultsTest, EveryDefaultImageIsAFixedPointOfNormalisation) {
  for (int type = 0; type < kBikeTypeCount; ++type) {
    ConfigImage start = Filled(type, 0);
    NormaliseImage(start);
    const ConfigImage got = Defaults(start, kWholeImage);
    ConfigImage normalised = got;
    NormaliseImage(normalised);
    for (std::size_t i = 0; i < kImageSize; ++i)
      if (normalised[i] != got[i])
        ADD_FAILURE() << "type " << type << ", byte " << i << ": default " << int{got[i]} << ", normalised "
                      << int{normalised[i]};
  }
}

// ---- Edge cases ------------------------------------------------------------

struct ByteSpan {
  int first, last;
};
// Prelude and closing of a page-mode run: byte 1, dwell, polarity and the bike constants.
const std::vector<ByteSpan> kPreludeAndClosing{{1, 5}, {191, 193}, {230, 247}, {252, 254}, {256, 274}};

struct ExpectValues {
  int offset;  // first byte
  int width;   // 1 byte, 2 word
  std::vector<int> values;
};

struct EdgeCase {
  const char* what;
  int type;
  DefaultsScope scope;
  std::vector<std::pair<int, int>> startBytes;  // over the filled start image
  std::vector<ExpectValues> expect;
  std::vector<ByteSpan> mayChange;  // page mode: besides prelude and closing, nothing else changes
};

std::vector<int> Points(int set) {
  const auto& points = kSpeedSets[static_cast<std::size_t>(set)];
  return {points.begin(), points.end()};
}
// What the position page and the exhaust servo part write.
const std::vector<ByteSpan> kPositionBytes{{56, 57}, {405, 464}};
const std::vector<ByteSpan> kExhaustBytes{{58, 58},   {60, 60},   {62, 62},   {64, 64},   {248, 248},
                                          {250, 250}, {275, 275}, {277, 277}, {570, 584}, {2400, 2549}};

const EdgeCase kEdgeCases[] = {
    {"type 11 limiters and pilot lights",
     11,
     kWholeImage,
     {},
     {{28, 1, {70, 140, 143, 143}},
      {39, 1, {116}},
      {108, 1, {120, 120, 120, 120, 120, 120}},
      {114, 1, {125, 125, 125, 125, 125, 125}}},
     {}},
    {"type 1 coolant sensor", 1, kWholeImage, {}, {{194, 2, {4095, 3631, 3167, 2316, 1466, 1133, 801, 698, 596}}}, {}},
    {"type 60: injection axes P10, advance and positions P8",
     60,
     kWholeImage,
     {},
     {{480, 1, Points(P10)},
      {540, 1, Points(P10)},
      {555, 1, Points(P10)},
      {465, 1, Points(P8)},
      {405, 1, Points(P8)},
      {435, 1, Points(P8)}},
     {}},
    {"type 52 keeps bytes 192 and 193", 52, kWholeImage, {{192, 0x12}, {193, 0x34}}, {{192, 1, {0x12, 0x34}}}, {}},
    {"type 33: byte 267 ends at byte 46's 40", 33, kWholeImage, {}, {{46, 1, {40}}, {267, 1, {40}}}, {}},
    {"type 33, advance page: byte 267 follows the new byte 46",
     33,
     {false, 1, -1},
     {},
     {{46, 1, {40}}, {267, 1, {40}}},
     {{40, 46}, {465, 479}, {600, 749}}},
    {"position page, type 11", 11, {false, 3, -1}, {}, {{405, 1, Points(P2)}, {435, 1, Points(P2)}}, kPositionBytes},
    {"position page, type 60", 60, {false, 3, -1}, {}, {{405, 1, Points(P8)}, {435, 1, Points(P8)}}, kPositionBytes},
    {"\"Inj. 3\" shown, coupling 0", 11, {false, 2, 2}, {{47, 0}}, {{510, 1, Points(P2)}}, {{510, 524}, {1350, 1649}}},
    {"\"Inj. 3\" shown, coupling 1: no map part runs", 11, {false, 2, 2}, {{47, 1}}, {}, {}},
    // The intake bytes 59, 61, 63, 65, 66, 77, 78, 249, 251, 276, 278, 279,
    // 585-599 and 2550-2699 lie outside what may change.
    {"exhaust servo shown, type 57",
     57,
     {false, 6, 1},
     {},
     {{58, 1, {1}}, {60, 1, {40}}, {62, 1, {1}}, {64, 1, {1}}},
     kExhaustBytes},
    {"exhaust servo shown, type 11",
     11,
     {false, 6, 1},
     {},
     {{58, 1, {0}}, {60, 1, {80}}, {62, 1, {0}}, {64, 1, {1}}},
     kExhaustBytes},
};

bool InSpans(const std::vector<ByteSpan>& spans, std::size_t i) {
  return std::any_of(spans.begin(), spans.end(), [&](const ByteSpan& s) {
    return static_cast<int>(i) >= s.first && static_cast<int>(i) <= s.last;
  });
}

TEST(BikeDefaultsTest, EdgeCases) {
  // Two fills, so that a byte written with the fill's own value still shows.
  const std::uint8_t fills[] = {0x5A, 0xA5};
  for (const EdgeCase& e : kEdgeCases)
    for (std::uint8_t fill : fills) {
      SCOPED_TRACE(std::string(e.what) + ", start bytes " + std::to_string(fill));
      ConfigImage start = Filled(e.type, fill);
      for (auto [offset, value] : e.startBytes)
        start[static_cast<std::size_t>(offset)] = static_cast<std::uint8_t>(value);
      const ConfigImage got = Defaults(start, e.scope);
      const Expected want = SpecDefaults(BikeOfType(e.type), start, e.scope).Build();
      ExpectStatedBytes(got, want);
      ExpectOwnTables(e.type, got, want.parts);
      for (const ExpectValues& x : e.expect)
        for (std::size_t k = 0; k < x.values.size(); ++k) {
          const int at = x.offset + x.width * static_cast<int>(k);
          const int value = x.width == 2 ? WordAt(got, at / 2) : got[static_cast<std::size_t>(at)];
          EXPECT_EQ(value, x.values[k]) << "byte " << at;
        }
      if (e.scope.wholeImage) continue;
      for (std::size_t i = 0; i < kImageSize; ++i)
        if (!InSpans(kPreludeAndClosing, i) && !InSpans(e.mayChange, i)) {
          EXPECT_EQ(int{got[i]}, int{start[i]}) << "byte " << i << " changed";
        }
    }
}

TEST(BikeDefaultsTest, CodeThatNamesNoBikeChangesNoByteButLoadsTheParameterSet) {
  for (int type : {64, 100, 255})
    for (const DefaultsScope& scope : {kWholeImage, DefaultsScope{false, 3, -1}}) {
      SCOPED_TRACE("type " + std::to_string(type));
      const ConfigImage start = Filled(type, 0x5A);
      ConfigImage image = start;
      CParamSet params;
      params.Value(FieldId::kBike) = 11;
      ApplyBikeDefaults(image, params, scope);
      EXPECT_EQ(image, start);
      CParamSet loaded;
      LoadParameterSet(start, loaded);
      for (std::size_t f = 0; f < kFieldCount; ++f) {
        const auto id = static_cast<FieldId>(f);
        EXPECT_TRUE(std::ranges::equal(params.Values(id), loaded.Values(id))) << "field " << f;
      }
      EXPECT_EQ(params.Value(FieldId::kBike), type);
    }
}

}  // namespace
