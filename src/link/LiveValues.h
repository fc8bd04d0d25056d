#pragma once

#include <array>
#include <cstdint>
#include <span>

// Decoded contents of the unit's last live-data frame. Raw units as the unit
// sends them; the comment gives the scale.
struct CLiveValues {
  // Flags. Inputs come inverted on the wire; here true always means active.
  bool killSwitchIn = false;  // fall sensor / kill switch input
  bool fallSensorOut = false;
  bool blockingIn = false;
  bool blockingOut = false;
  bool startLimiterIn = false;
  bool startLimiterOut = false;
  bool clutchIn = false;
  bool clutchOut = false;
  bool tachoLambdaIn = false;
  bool tachoOutput = false;  // tacho/lambda output: true tacho, false lambda
  bool ignitionLimiter = false;
  bool injectionLimiter = false;
  bool retardLimiter = false;
  bool exhaustServoOk = false;
  bool intakeServoOk = false;
  bool n2oActive = false;
  bool advanceIsBase = false;
  bool coolingOn = false;
  bool crankPickupSignal = false;
  bool camPickupSignal = false;
  bool programmedDataError = false;
  bool throttleSensorError = false;
  bool iapSensorError = false;
  bool apSensorError = false;
  bool outputTestsLocked = false;
  bool intakeServoIdle = false;  // the intake servo runs the idle control
  bool pitRetard = false;
  bool pitNoIgnition = false;
  bool gasHandleMode = false;

  std::array<std::int8_t, 4> advance{};      // degrees, cylinders 1..4
  std::array<std::uint8_t, 4> injectionA{};  // x100 us, 1A..4A
  std::array<std::uint8_t, 4> injectionB{};  // x100 us, 1B..4B
  std::uint8_t coolant = 0;                  // value - 100 = C; a sensor error is stored as 180
  bool coolantError = false;                 // the unit sent 0
  std::uint8_t air = 0;                      // value - 100 = C; 0 is a sensor error
  std::uint8_t gear = 0;
  std::uint8_t injectionByThrottle = 0;  // %
  std::uint8_t pilotLight = 0;           // 0 off, 2 on, anything else blinking
  std::uint8_t tuningState = 0;
  std::uint8_t afr = 0;  // x0.1

  std::uint16_t dwell = 0;  // x0.1 ms
  std::uint16_t rpm = 0;
  std::uint16_t apSensorMv = 0;
  std::uint16_t ap = 0;  // x0.1 kPa
  std::uint16_t iapSensorMv = 0;
  std::uint16_t throttleSensorMv = 0;
  std::uint16_t lambdaMv = 0;
  std::uint16_t coolantSensorMv = 0;
  std::uint16_t airSensorMv = 0;
  std::uint16_t supplyMv = 0;
  std::array<std::uint16_t, 2> exhaustServoMv{};
  std::array<std::uint16_t, 2> intakeServoMv{};  // the first is the gas-handle sensor in gas-handle mode
  std::uint16_t potentiometerMv = 0;
  std::uint16_t programmings = 0;
  std::array<std::uint16_t, 8> test{};
  std::uint16_t sinceStart = 0;          // x0.1 s
  std::uint16_t injectionPositionA = 0;  // degrees
  std::uint16_t injectionPositionB = 0;
  std::uint16_t coolantCorrection = 0;         // x0.1 %
  std::uint16_t airCorrection = 0;             // x0.1 %
  std::uint16_t apCorrection = 0;              // x0.1 %
  std::uint16_t startCorrection = 0;           // x0.1 %
  std::uint16_t voltageCorrection = 0;         // value - 1000 = us
  std::uint16_t coolantAdvanceCorrection = 0;  // value x 0.1 - 100 = degrees
  std::uint16_t potAdvanceCorrection = 0;      // value x 0.1 - 100 = degrees
  std::uint16_t potInjectionCorrection = 0;    // x0.1 %
  std::uint16_t speed = 0;                     // km/h
  std::uint16_t gearSensorMv = 0;
  std::uint16_t rpmSpeedRatio = 0;              // x0.1
  std::array<std::uint16_t, 6> learnedRatio{};  // x0.1, gears 1..6
  std::uint16_t idleAdvanceCorrection = 0;      // (value - 1000) x 0.1 = degrees
  std::uint16_t iap = 0;                        // kPa
  std::uint16_t throttle = 0;                   // x0.1 %
  std::uint16_t accelerationCorrection = 0;     // x0.1 %
  std::uint16_t stepServoPosition = 0;
  std::uint16_t gasHandle = 0;  // x0.1 %

  // Blocks the unit changed on its own: bit n-1 for block n.
  std::uint16_t changedBlocks = 0;
  // Not 0 while the unit writes its memory; counts down from about 5782.
  std::uint16_t savingCountdown = 0;
  std::uint8_t unitVersion = 0;
};

// Decodes a valid live-data frame (152 bytes, first byte 0xB0) into `live`.
// A shorter span changes nothing.
void DecodeLiveFrame(std::span<const std::uint8_t> frame, CLiveValues& live);

// Temperatures as the sheets and displays use them: a failed coolant sensor
// reads 80 C, a failed air sensor 50 C.
int LiveCoolantC(const CLiveValues& live);
int LiveAirC(const CLiveValues& live);
