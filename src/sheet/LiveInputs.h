#pragma once

#include <cstdint>

// Status bits of the live inputs.
enum LiveStatusBits : int {
  kLiveThrottleInvalid = 2,
  kLivePressureInvalid = 4,
  kLiveNoConnection = 256,
};

// X points of sensor characteristics that stand for the coolant and the air
// temperature: the live rows and the graph's temperature lines follow them.
constexpr std::int32_t kLiveCoolantPoint = 10010;
constexpr std::int32_t kLiveAirPoint = 10020;

// What the owner pushes into a sheet control before each tick while the unit
// streams live data, in the units the sheets' axes are matched with. Until the
// first push the control counts as not connected, so no live mark is drawn.
struct SheetLiveInputs {
  std::int32_t engineSpeed = 0;  // rpm
  double throttle = 0;           // percent
  std::int32_t pressure = 0;     // kPa
  int throttleShare = 0;         // 0..100: share of the injection from the throttle maps
  std::int32_t airTemperature = 50;
  std::int32_t coolantTemperature = 80;
  std::int32_t startTime = 0;
  double airFuelRatio = 0;
  int status = kLiveNoConnection;

  bool Connected() const { return (status & kLiveNoConnection) == 0; }
};
