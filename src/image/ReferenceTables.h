#pragma once

#include <cstdint>
#include <span>

// One reference injection table of a bike: injection times over speed
// (columns) and throttle or intake pressure (rows). Each table carries its
// own points; they become the base points of the maps it serves.
struct ReferenceTable {
  std::span<const std::int32_t> speedPoints;  // rpm, one per column
  std::span<const std::int32_t> rowPoints;    // 0.1 % throttle or 0.1 kPa, one per row
  std::span<const std::int32_t> values;       // 10 µs, row after row
};

// A bike's reference injection, from which the injection maps take their
// base tables for the percent view.
struct InjectionReference {
  ReferenceTable maps14;  // maps 1 and 4
  ReferenceTable maps23;  // maps 2 and 3
  ReferenceTable iap;     // the IAP map
};

// The bike tables as the injection maps need them.
class IReferenceTables {
 public:
  virtual ~IReferenceTables() = default;
  // Nothing for a bike type without reference tables.
  virtual const InjectionReference* Find(int bike) const = 0;
};
