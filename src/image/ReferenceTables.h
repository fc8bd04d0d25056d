#pragma once

#include <cstdint>
#include <span>

// A bike's reference injection, from which the injection maps take their
// base tables for the percent view. Tables are row after row, one row per
// throttle (pressure) point, one column per speed point.
struct InjectionReference {
  std::span<const std::int32_t> speedPoints;     // rpm; 15 or 10 per bike
  std::span<const std::int32_t> injection[2];    // 10 µs, 10 throttle rows; the first for maps 1 and 4
  std::span<const std::int32_t> pressurePoints;  // 0.1 kPa, 10 points
  std::span<const std::int32_t> iap;             // 10 µs, one row per pressure point
  std::span<const std::int32_t> iapSpeedPoints;  // rpm; empty when the IAP table uses speedPoints
};

// The bike tables as the injection maps need them.
class IReferenceTables {
 public:
  virtual ~IReferenceTables() = default;
  // Nothing for a bike type without reference tables.
  virtual const InjectionReference* Find(int bike) const = 0;
};
