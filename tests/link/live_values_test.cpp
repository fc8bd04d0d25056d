#include <gtest/gtest.h>

#include "link/Frame.h"
#include "link/LiveValues.h"

namespace {

Frame LiveFrame() {
  Frame f{};
  f[0] = 0xB0;
  return f;
}

void PutWord(Frame& f, std::size_t at, int value) {
  f[at] = static_cast<std::uint8_t>(value & 0xFF);
  f[at + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

CLiveValues Decode(const Frame& f) {
  CLiveValues v;
  DecodeLiveFrame(f, v);
  return v;
}

TEST(DecodeLiveFrame, WordsAreLittleEndianAtTheirOffsets) {
  struct Case {
    std::size_t offset;
    std::uint16_t CLiveValues::*field;
  };
  const Case cases[] = {
      {46, &CLiveValues::dwell},
      {48, &CLiveValues::rpm},
      {50, &CLiveValues::apSensorMv},
      {52, &CLiveValues::ap},
      {54, &CLiveValues::iapSensorMv},
      {56, &CLiveValues::throttleSensorMv},
      {58, &CLiveValues::lambdaMv},
      {60, &CLiveValues::coolantSensorMv},
      {62, &CLiveValues::airSensorMv},
      {64, &CLiveValues::supplyMv},
      {74, &CLiveValues::potentiometerMv},
      {76, &CLiveValues::programmings},
      {94, &CLiveValues::sinceStart},
      {96, &CLiveValues::injectionPositionA},
      {98, &CLiveValues::injectionPositionB},
      {100, &CLiveValues::coolantCorrection},
      {102, &CLiveValues::airCorrection},
      {104, &CLiveValues::apCorrection},
      {106, &CLiveValues::startCorrection},
      {108, &CLiveValues::voltageCorrection},
      {110, &CLiveValues::coolantAdvanceCorrection},
      {112, &CLiveValues::potAdvanceCorrection},
      {114, &CLiveValues::potInjectionCorrection},
      {116, &CLiveValues::speed},
      {118, &CLiveValues::gearSensorMv},
      {120, &CLiveValues::rpmSpeedRatio},
      {134, &CLiveValues::idleAdvanceCorrection},
      {136, &CLiveValues::iap},
      {138, &CLiveValues::throttle},
      {140, &CLiveValues::accelerationCorrection},
      {142, &CLiveValues::stepServoPosition},
      {144, &CLiveValues::gasHandle},
      {146, &CLiveValues::changedBlocks},
      {148, &CLiveValues::savingCountdown},
  };
  // Every word gets a value of its own, so a field read from a neighbour's
  // offset or with its bytes swapped shows.
  Frame f = LiveFrame();
  for (std::size_t at = 46; at < 150; at += 2) PutWord(f, at, 0x0100 * int(at) + int(at / 2));
  const CLiveValues v = Decode(f);
  for (const auto& c : cases) EXPECT_EQ(v.*c.field, 0x0100 * c.offset + c.offset / 2) << "offset " << c.offset;

  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(v.exhaustServoMv[i], 0x0100 * (66 + 2 * i) + (66 + 2 * i) / 2);
    EXPECT_EQ(v.intakeServoMv[i], 0x0100 * (70 + 2 * i) + (70 + 2 * i) / 2);
  }
  for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(v.test[i], 0x0100 * (78 + 2 * i) + (78 + 2 * i) / 2) << "Test" << i + 1;
  for (std::size_t g = 0; g < 6; ++g) EXPECT_EQ(v.learnedRatio[g], 0x0100 * (122 + 2 * g) + (122 + 2 * g) / 2);
}

TEST(DecodeLiveFrame, BytesAndSignedAdvance) {
  Frame f = LiveFrame();
  const std::uint8_t advance[] = {0xF6, 0x00, 0x1E, 0x80};  // -10, 0, 30, -128
  for (std::size_t i = 0; i < 4; ++i) {
    f[10 + i] = advance[i];
    f[14 + i] = static_cast<std::uint8_t>(20 + i);
    f[18 + i] = static_cast<std::uint8_t>(40 + i);
  }
  f[23] = 190;
  f[24] = 125;
  f[25] = 4;
  f[26] = 77;
  f[27] = 2;
  f[28] = 16;
  f[29] = 147;
  f[150] = 83;
  const CLiveValues v = Decode(f);
  EXPECT_EQ(v.advance[0], -10);
  EXPECT_EQ(v.advance[1], 0);
  EXPECT_EQ(v.advance[2], 30);
  EXPECT_EQ(v.advance[3], -128);
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(v.injectionA[i], 20 + i);
    EXPECT_EQ(v.injectionB[i], 40 + i);
  }
  EXPECT_EQ(v.coolant, 190);
  EXPECT_FALSE(v.coolantError);
  EXPECT_EQ(LiveCoolantC(v), 90);
  EXPECT_EQ(v.air, 125);
  EXPECT_EQ(LiveAirC(v), 25);
  EXPECT_EQ(v.gear, 4);
  EXPECT_EQ(v.injectionByThrottle, 77);
  EXPECT_EQ(v.pilotLight, 2);
  EXPECT_EQ(v.tuningState, 16);
  EXPECT_EQ(v.afr, 147);
  EXPECT_EQ(v.unitVersion, 83);
}

TEST(DecodeLiveFrame, FailedTemperatureSensorsReadAsEightyAndFifty) {
  Frame f = LiveFrame();
  f[23] = 0;
  f[24] = 0;
  const CLiveValues v = Decode(f);
  EXPECT_TRUE(v.coolantError);
  EXPECT_EQ(v.coolant, 180);
  EXPECT_EQ(LiveCoolantC(v), 80);
  EXPECT_EQ(v.air, 0);
  EXPECT_EQ(LiveAirC(v), 50);

  // The next good frame clears the error.
  f[23] = 120;
  f[24] = 70;
  CLiveValues again = v;
  DecodeLiveFrame(f, again);
  EXPECT_FALSE(again.coolantError);
  EXPECT_EQ(LiveCoolantC(again), 20);
  EXPECT_EQ(LiveAirC(again), -30);
}

TEST(DecodeLiveFrame, FlagsWithInvertedInputs) {
  struct Case {
    std::size_t byte;
    int bit;
    bool CLiveValues::*flag;
    bool activeWhenSet;
  };
  const Case cases[] = {
      {1, 0, &CLiveValues::killSwitchIn, false},       {1, 1, &CLiveValues::fallSensorOut, true},
      {1, 2, &CLiveValues::blockingIn, false},         {1, 3, &CLiveValues::blockingOut, true},
      {1, 4, &CLiveValues::startLimiterIn, false},     {1, 5, &CLiveValues::startLimiterOut, true},
      {1, 6, &CLiveValues::clutchIn, false},           {1, 7, &CLiveValues::clutchOut, true},
      {2, 0, &CLiveValues::tachoLambdaIn, false},      {2, 1, &CLiveValues::tachoOutput, true},
      {2, 2, &CLiveValues::ignitionLimiter, true},     {2, 3, &CLiveValues::injectionLimiter, true},
      {2, 4, &CLiveValues::retardLimiter, true},       {2, 6, &CLiveValues::exhaustServoOk, true},
      {2, 7, &CLiveValues::intakeServoOk, true},       {3, 1, &CLiveValues::n2oActive, true},
      {3, 3, &CLiveValues::advanceIsBase, true},       {3, 4, &CLiveValues::coolingOn, true},
      {3, 5, &CLiveValues::crankPickupSignal, true},   {3, 6, &CLiveValues::camPickupSignal, true},
      {3, 7, &CLiveValues::programmedDataError, true}, {4, 0, &CLiveValues::throttleSensorError, true},
      {4, 1, &CLiveValues::iapSensorError, true},      {4, 2, &CLiveValues::apSensorError, true},
      {4, 3, &CLiveValues::outputTestsLocked, true},   {4, 4, &CLiveValues::intakeServoIdle, true},
      {4, 5, &CLiveValues::pitRetard, true},           {4, 6, &CLiveValues::pitNoIgnition, true},
      {5, 0, &CLiveValues::gasHandleMode, true},
  };
  for (const auto& c : cases) {
    // Only this bit differs between the two frames, the rest of the byte set
    // and cleared in turn, so a flag read from the wrong bit fails one way.
    for (std::uint8_t rest : {std::uint8_t{0x00}, std::uint8_t{0xFF}}) {
      Frame on = LiveFrame();
      Frame off = LiveFrame();
      on[c.byte] = static_cast<std::uint8_t>(rest | (1u << c.bit));
      off[c.byte] = static_cast<std::uint8_t>(rest & ~(1u << c.bit));
      EXPECT_EQ(Decode(on).*c.flag, c.activeWhenSet) << "byte " << c.byte << " bit " << c.bit;
      EXPECT_EQ(Decode(off).*c.flag, !c.activeWhenSet) << "byte " << c.byte << " bit " << c.bit;
    }
  }
}

TEST(DecodeLiveFrame, ShortInputChangesNothing) {
  Frame f = LiveFrame();
  PutWord(f, 48, 5000);
  CLiveValues v;
  v.rpm = 1234;
  DecodeLiveFrame(std::span<const std::uint8_t>(f.data(), 151), v);
  EXPECT_EQ(v.rpm, 1234);
  DecodeLiveFrame(f, v);
  EXPECT_EQ(v.rpm, 5000);
}

}  // namespace
