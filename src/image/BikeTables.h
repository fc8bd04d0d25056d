#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "image/BikeTypes.h"
#include "image/ReferenceTables.h"

// The built-in tables a bike's default configuration is made of. Several
// bikes may share one table. Values are shown values (rpm, mV, degrees,
// percent) unless a table says otherwise.
struct BikeTables {
  std::span<const std::int32_t> advance;   // degrees; 15 (one row) or 150 (ten rows of 15)
  std::span<const std::int32_t> apSensor;  // kPa, mV, kPa, mV
  std::span<const std::int32_t> iapSensor;
  const InjectionReference* reference;           // base tables of the injection maps
  std::span<const std::int32_t> mapB;            // percent, 150
  std::span<const std::int32_t> position;        // references A, B; 15 positions A; 15 positions B (degrees)
  std::span<const std::int32_t> tempCorrection;  // percent: coolant at -10..110 °C, then air
  std::span<const std::int32_t> intakeServo;     // word 0, 15 speed points (rpm), 15 or 150 values
  std::span<const std::int32_t> exhaustServo;
  std::span<const std::int32_t> gearVoltages;  // mV, gears 0-6
  std::span<const std::int32_t>
      idleRecord;  // type, rpm range, tps range, inverse, pulse µs, period ms, hysteresis rpm, start ms
  std::span<const std::int32_t> idlePosition;   // raw words 149-157
  std::span<const std::int32_t> idleAdvance;    // bytes 317-320
  std::span<const std::int32_t> idleSpeed;      // rpm
  std::span<const std::int32_t> coolantSensor;  // mV at -10, 5, 20 .. 110 °C
  std::span<const std::int32_t> airSensor;
  const BikeScalars* scalars;
  BikeSpeedSets speedSets;
};

// The tables of a bike type; none for the codes 64-255.
std::optional<BikeTables> SelectBikeTables(int type);

// The bikes' reference tables for the injection maps' percent view.
class CBikeReferenceTables : public IReferenceTables {
 public:
  const InjectionReference* Find(int bike) const override;
};
