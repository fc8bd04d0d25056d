#include "link/LiveValues.h"

namespace {
constexpr std::size_t kLiveFrameSize = 152;
constexpr std::uint8_t kCoolantErrorStored = 180;  // 80 C
constexpr int kAirErrorC = 50;

std::uint16_t Word(std::span<const std::uint8_t> f, std::size_t at) {
  return static_cast<std::uint16_t>(f[at] | (f[at + 1] << 8));
}

bool Bit(std::uint8_t byte, int bit) { return (byte >> bit) & 1; }

// The flag bits of bytes 1 to 5. The unit reports its inputs inverted: an
// input is active while its bit is clear.
struct FlagBit {
  std::size_t byte;
  int bit;
  bool CLiveValues::*field;
  bool inputActiveLow;
};
constexpr FlagBit kFlags[] = {
    {1, 0, &CLiveValues::killSwitchIn, true},
    {1, 1, &CLiveValues::fallSensorOut, false},
    {1, 2, &CLiveValues::blockingIn, true},
    {1, 3, &CLiveValues::blockingOut, false},
    {1, 4, &CLiveValues::startLimiterIn, true},
    {1, 5, &CLiveValues::startLimiterOut, false},
    {1, 6, &CLiveValues::clutchIn, true},
    {1, 7, &CLiveValues::clutchOut, false},
    {2, 0, &CLiveValues::tachoLambdaIn, true},
    {2, 1, &CLiveValues::tachoOutput, false},
    {2, 2, &CLiveValues::ignitionLimiter, false},
    {2, 3, &CLiveValues::injectionLimiter, false},
    {2, 4, &CLiveValues::retardLimiter, false},
    {2, 6, &CLiveValues::exhaustServoOk, false},
    {2, 7, &CLiveValues::intakeServoOk, false},
    {3, 1, &CLiveValues::n2oActive, false},
    {3, 3, &CLiveValues::advanceIsBase, false},
    {3, 4, &CLiveValues::coolingOn, false},
    {3, 5, &CLiveValues::crankPickupSignal, false},
    {3, 6, &CLiveValues::camPickupSignal, false},
    {3, 7, &CLiveValues::programmedDataError, false},
    {4, 0, &CLiveValues::throttleSensorError, false},
    {4, 1, &CLiveValues::iapSensorError, false},
    {4, 2, &CLiveValues::apSensorError, false},
    {4, 3, &CLiveValues::outputTestsLocked, false},
    {4, 4, &CLiveValues::intakeServoIdle, false},
    {4, 5, &CLiveValues::pitRetard, false},
    {4, 6, &CLiveValues::pitNoIgnition, false},
    {5, 0, &CLiveValues::gasHandleMode, false},
};
}  // namespace

void DecodeLiveFrame(std::span<const std::uint8_t> frame, CLiveValues& live) {
  if (frame.size() < kLiveFrameSize) return;

  for (const auto& f : kFlags) live.*f.field = Bit(frame[f.byte], f.bit) != f.inputActiveLow;

  for (std::size_t i = 0; i < 4; ++i) {
    live.advance[i] = static_cast<std::int8_t>(frame[10 + i]);
    live.injectionA[i] = frame[14 + i];
    live.injectionB[i] = frame[18 + i];
  }
  live.coolantError = frame[23] == 0;
  live.coolant = live.coolantError ? kCoolantErrorStored : frame[23];
  live.air = frame[24];
  live.gear = frame[25];
  live.injectionByThrottle = frame[26];
  live.pilotLight = frame[27];
  live.tuningState = frame[28];
  live.afr = frame[29];

  live.dwell = Word(frame, 46);
  live.rpm = Word(frame, 48);
  live.apSensorMv = Word(frame, 50);
  live.ap = Word(frame, 52);
  live.iapSensorMv = Word(frame, 54);
  live.throttleSensorMv = Word(frame, 56);
  live.lambdaMv = Word(frame, 58);
  live.coolantSensorMv = Word(frame, 60);
  live.airSensorMv = Word(frame, 62);
  live.supplyMv = Word(frame, 64);
  live.exhaustServoMv = {Word(frame, 66), Word(frame, 68)};
  live.intakeServoMv = {Word(frame, 70), Word(frame, 72)};
  live.potentiometerMv = Word(frame, 74);
  live.programmings = Word(frame, 76);
  for (std::size_t i = 0; i < live.test.size(); ++i) live.test[i] = Word(frame, 78 + 2 * i);
  live.sinceStart = Word(frame, 94);
  live.injectionPositionA = Word(frame, 96);
  live.injectionPositionB = Word(frame, 98);
  live.coolantCorrection = Word(frame, 100);
  live.airCorrection = Word(frame, 102);
  live.apCorrection = Word(frame, 104);
  live.startCorrection = Word(frame, 106);
  live.voltageCorrection = Word(frame, 108);
  live.coolantAdvanceCorrection = Word(frame, 110);
  live.potAdvanceCorrection = Word(frame, 112);
  live.potInjectionCorrection = Word(frame, 114);
  live.speed = Word(frame, 116);
  live.gearSensorMv = Word(frame, 118);
  live.rpmSpeedRatio = Word(frame, 120);
  for (std::size_t i = 0; i < live.learnedRatio.size(); ++i) live.learnedRatio[i] = Word(frame, 122 + 2 * i);
  live.idleAdvanceCorrection = Word(frame, 134);
  live.iap = Word(frame, 136);
  live.throttle = Word(frame, 138);
  live.accelerationCorrection = Word(frame, 140);
  live.stepServoPosition = Word(frame, 142);
  live.gasHandle = Word(frame, 144);
  live.changedBlocks = Word(frame, 146);
  live.savingCountdown = Word(frame, 148);
  live.unitVersion = frame[150];
}

int LiveCoolantC(const CLiveValues& live) { return int(live.coolant) - 100; }

int LiveAirC(const CLiveValues& live) { return live.air == 0 ? kAirErrorC : int(live.air) - 100; }
