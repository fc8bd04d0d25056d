#include "link/LiveValues.h"

namespace {
constexpr std::size_t kLiveFrameSize = 152;
constexpr std::uint8_t kCoolantErrorStored = 180;  // 80 C
constexpr int kAirErrorC = 50;

std::uint16_t Word(std::span<const std::uint8_t> f, std::size_t at) {
  return static_cast<std::uint16_t>(f[at] | (f[at + 1] << 8));
}

bool Bit(std::uint8_t byte, int bit) { return (byte >> bit) & 1; }
}  // namespace

void DecodeLiveFrame(std::span<const std::uint8_t> frame, CLiveValues& live) {
  if (frame.size() < kLiveFrameSize) return;

  const std::uint8_t a = frame[1];
  live.killSwitchIn = !Bit(a, 0);
  live.fallSensorOut = Bit(a, 1);
  live.blockingIn = !Bit(a, 2);
  live.blockingOut = Bit(a, 3);
  live.startLimiterIn = !Bit(a, 4);
  live.startLimiterOut = Bit(a, 5);
  live.clutchIn = !Bit(a, 6);
  live.clutchOut = Bit(a, 7);

  const std::uint8_t b = frame[2];
  live.tachoLambdaIn = !Bit(b, 0);
  live.tachoOutput = Bit(b, 1);
  live.ignitionLimiter = Bit(b, 2);
  live.injectionLimiter = Bit(b, 3);
  live.retardLimiter = Bit(b, 4);
  live.exhaustServoOk = Bit(b, 6);
  live.intakeServoOk = Bit(b, 7);

  const std::uint8_t c = frame[3];
  live.n2oActive = Bit(c, 1);
  live.advanceIsBase = Bit(c, 3);
  live.coolingOn = Bit(c, 4);
  live.crankPickupSignal = Bit(c, 5);
  live.camPickupSignal = Bit(c, 6);
  live.programmedDataError = Bit(c, 7);

  const std::uint8_t d = frame[4];
  live.throttleSensorError = Bit(d, 0);
  live.iapSensorError = Bit(d, 1);
  live.apSensorError = Bit(d, 2);
  live.outputTestsLocked = Bit(d, 3);
  live.intakeServoIdle = Bit(d, 4);
  live.pitRetard = Bit(d, 5);
  live.pitNoIgnition = Bit(d, 6);

  live.gasHandleMode = Bit(frame[5], 0);

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
