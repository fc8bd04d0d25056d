#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>

#include "image/ConfigImage.h"

// The 64 motorcycle models the unit is fitted to. The bike type is image
// byte 0; the codes 64-255 name no bike and select no table.
constexpr int kBikeTypeCount = 64;
// ComboBoxBike: 64 bikes in an order of their own, then a separator line.
constexpr int kBikeListSize = 65;
constexpr int kBikeSeparatorIndex = 64;
// The bike a fresh start begins with.
constexpr int kStartBikeType = 11;

constexpr bool IsBikeType(int type) { return type >= 0 && type < kBikeTypeCount; }

// A set of bike types as bits, for the tables that several bikes share.
using BikeSet = std::uint64_t;
constexpr BikeSet Bikes(std::initializer_list<int> types) {
  BikeSet s = 0;
  for (int t : types) s |= BikeSet{1} << t;
  return s;
}
constexpr bool InBikeSet(BikeSet set, int type) { return IsBikeType(type) && ((set >> type) & 1); }

// What a bike's pages offer beyond the common controls.
enum BikeOption : std::uint8_t {
  kBikeIntakePorts = 1,   // GroupBoxIntakePort is shown ("servo 3")
  kBikeTempDisplay = 2,   // the display can show the temperature
  kBikeIdlePosition = 4,  // the unit drives the idle step motor itself
};

constexpr std::int16_t kKeepByte = -1;  // the byte keeps the value it has

// One entry of the bike list with the constants that depend on the type alone.
struct BikeEntry {
  const char* text;            // exactly as listed, inner and trailing blanks included
  std::int8_t type;            // -1 for the separator
  std::uint8_t triggerSystem;  // byte 2
  std::uint8_t byte3;
  std::uint8_t maxRpm;  // byte 252, hundreds of rpm
  std::uint8_t byte254;
  std::uint8_t byte191;
  std::int16_t byte192, byte193;  // kKeepByte for "unchanged"
  char curve;                     // 'A'..'M'
  std::uint8_t options;           // BikeOption bits
};
std::span<const BikeEntry> BikeList();

// List index 0-63 → bike type; the separator and anything else → none.
std::optional<int> TypeOfListIndex(int index);
// Bike type → list index; a code that names no bike → the separator.
int ListIndexOfType(int type);
// The list entry of a bike type; null for the codes 64-255.
const BikeEntry* BikeOf(int type);
// The option bits of a bike type; none for the codes 64-255.
std::uint8_t BikeOptionsOf(int type);
// The bike's display can show the temperature instead of the speed; for
// the others the race page clears image byte 107 whenever it is written.
inline bool TempDisplayAllowed(int bike) { return BikeOptionsOf(bike) & kBikeTempDisplay; }
// The bike has intake ports the unit switches (the bike page's group).
inline bool IntakePortsFitted(int bike) { return BikeOptionsOf(bike) & kBikeIntakePorts; }
// The unit drives the idle step motor by itself: the idle page shows the
// position curve in percent, the normalisation leaves the step timing alone,
// and the monitor's pilot light is the choke.
inline bool IdlePositionBike(int bike) { return BikeOptionsOf(bike) & kBikeIdlePosition; }

// Words 115-123: nine percentages over the speed range.
constexpr int kBikeCurvePoints = 9;
std::span<const std::uint16_t, kBikeCurvePoints> BikeCurve(char curve);

// Constants by trigger system (byte 2).
constexpr int kTriggerSystemCount = 31;
constexpr std::int16_t kFromAdvanceRange = -2;  // byte 267 := byte 46
struct TriggerSystem {
  std::uint8_t cylinders;               // byte 256
  std::array<std::uint8_t, 4> outputs;  // bytes 257-260
  std::uint8_t byte253;
  std::array<std::int16_t, 14> geometry;  // bytes 261-274; kKeepByte, kFromAdvanceRange
};
const TriggerSystem* TriggerSystemOf(int triggerSystem);

// The speed point sets of the default axes, hundreds of rpm as stored.
constexpr int kSpeedSetCount = 11;
using SpeedSet = std::array<std::uint8_t, 15>;
const SpeedSet& SpeedPointSet(int index);  // 0 = P1 .. 10 = P11

// Scalar defaults by bike type, raw image values.
struct BikeScalars {
  std::uint8_t crankPolarity;              // byte 5, 1 = negative
  std::uint8_t dwell;                      // byte 4
  std::uint8_t coupling;                   // byte 47, whole-image defaults only
  std::uint8_t gearSystem;                 // byte 136
  std::uint8_t tps0, tps100;               // bytes 33, 34
  std::uint8_t tachoPulses;                // byte 36
  std::uint8_t fallActiveClosing;          // byte 24
  std::uint8_t blockingEnable;             // byte 23
  std::uint8_t baseAdvance;                // byte 45
  std::uint8_t startInjection;             // byte 92
  std::uint8_t accelThreshold, accelSize;  // bytes 90, 91
  std::uint16_t speedPulses;               // word 80
  std::uint8_t advanceRows;                // 10: the advance table has a row per throttle point; 1: one row for all
  bool extendedReference;                  // 15 reference speed points, pressures from 30 kPa
};
const BikeScalars* ScalarsOf(int type);

// Which speed set (0 = P1) each default speed axis takes.
struct BikeSpeedSets {
  std::uint8_t advance, injection, iap, mapB, positions;
};
std::optional<BikeSpeedSets> SpeedSetsOf(int type);

// Bytes 2, 3, 252-254, 191-193, 256-260, words 115-123 and bytes 261-274
// from byte 0. A code that names no bike leaves every byte as it is.
void DeriveBikeConstants(ConfigImage& image);
