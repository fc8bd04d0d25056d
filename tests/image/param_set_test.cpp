#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <set>

#include "image/ConfigImage.h"
#include "image/FieldCatalogue.h"
#include "image/ParamSet.h"

namespace {

std::int32_t Word(const ConfigImage& image, std::size_t offset) { return image[offset] | (image[offset + 1] << 8); }

// Bytes that storing the parameter set must never write: nothing shows them.
std::set<std::size_t> UntouchedBytes() {
  std::set<std::size_t> bytes;
  const std::pair<int, int> ranges[] = {
      {1, 3},       {46, 46},   {191, 193}, {230, 247}, {252, 274},              // bike-derived and reserved
      {79, 79},     {255, 255}, {283, 289}, {316, 316}, {342, 343}, {349, 349},  // unused
      {2730, 2849},                                                              // note
  };
  for (const auto& [first, last] : ranges)
    for (int b = first; b <= last; ++b) bytes.insert(static_cast<std::size_t>(b));
  return bytes;
}

}  // namespace

// Every byte a control, sheet or map shows survives load then store unchanged,
// whatever extreme its raw value has; the others are not written at all.
TEST(ParamSetTest, LoadThenStoreReproducesEveryShownByteAtItsExtremes) {
  for (const std::uint8_t fill : {std::uint8_t{0x00}, std::uint8_t{0xFF}, std::uint8_t{0x80}, std::uint8_t{0x7F}}) {
    SCOPED_TRACE(static_cast<int>(fill));
    ConfigImage source;
    source.fill(fill);
    source[0] = 11;  // a bike that keeps its step-motor flag
    CParamSet params;
    LoadParameterSet(source, params);
    ConfigImage target;
    target.fill(0x5A);
    StoreParameterSet(params, target);
    const auto untouched = UntouchedBytes();
    for (std::size_t b = 0; b < kImageSize; ++b) {
      if (untouched.count(b))
        EXPECT_EQ(target[b], 0x5A) << "byte " << b;
      else
        EXPECT_EQ(target[b], source[b]) << "byte " << b;
    }
  }
}

TEST(ParamSetTest, RandomImagesRoundTripThroughTheParameterSet) {
  std::mt19937 rng(4711);
  for (int n = 0; n < 200; ++n) {
    ConfigImage image;
    for (auto& b : image) b = static_cast<std::uint8_t>(rng());
    if (image[0] == 47) image[0] = 46;
    CParamSet params;
    LoadParameterSet(image, params);
    ConfigImage copy = image;
    StoreParameterSet(params, copy);
    ASSERT_EQ(copy, image) << "image " << n;
  }
}

TEST(ParamSetTest, LoadShowsRawTimesScalePlusOffset) {
  const struct {
    FieldId id;
    int index;
    std::int32_t raw;
    std::int32_t shown;
  } cases[] = {
      {FieldId::kTachoCorrection, 0, 40, -60},
      {FieldId::kTachoCorrection, 0, 160, 60},
      {FieldId::kTps0, 0, 250, 2500},
      {FieldId::kTps100, 0, 250, 5000},
      {FieldId::kTps100, 0, 0, 2500},
      {FieldId::kDwell, 0, 100, 10000},
      {FieldId::kClutchAdvance, 0, 0xF6, -10},
      {FieldId::kPitMinAdvance, 0, 0x80, -128},
      {FieldId::kClutchInjection, 0, 0xF6, 246},
      {FieldId::kStepMotorExcitation, 0, 100, 25000},
      {FieldId::kStartCorrections, 3, 150, 250},
      {FieldId::kAdvanceCorrCoolant, 4, 0, -100},
      {FieldId::kGasInjectionCorr2, 0, 0, 100},
      {FieldId::kIdleDesiredRpm, 8, 24, 1200},
      {FieldId::kTuningTempMax, 0, 250, 150},
      {FieldId::kClutchTime, 5, 250, 1250},
      {FieldId::kLambdaVoltages, 4, 0xFC18, -1000},
      {FieldId::kGearVoltage, 6, 0xFC18, 64536},
      {FieldId::kCoolantSensor, 0, 0x8000, -32768},
      {FieldId::kAccT100, 0, 0xFFFF, 65535},
  };
  for (const auto& c : cases) {
    ConfigImage image{};
    WriteRaw(image, c.id, c.index, c.raw);
    CParamSet params;
    LoadParameterSet(image, params);
    EXPECT_EQ(params.Value(c.id, c.index), c.shown) << Field(c.id).offset << "[" << c.index << "]";
  }
}

TEST(ParamSetTest, StoreTruncatesTowardZeroAndKeepsTheLowBits) {
  const struct {
    FieldId id;
    std::int32_t shown;
    std::size_t offset;
    std::int32_t stored;  // byte, or word for word fields
  } cases[] = {
      {FieldId::kBaseAdvance, -5, 45, 251},
      {FieldId::kTachoCorrection, -60, 37, 40},
      {FieldId::kTachoCorrection, 60, 37, 160},
      {FieldId::kDwell, 150, 4, 1},
      {FieldId::kDwell, -150, 4, 255},  // -1.5 truncates to -1
      {FieldId::kTps100, 2495, 34, 0},  // -0.5 truncates to 0, not -1
      {FieldId::kTps100, 5000, 34, 250},
      {FieldId::kTuningMaxAcc, 2500, 351, 196},  // wider control than its byte
      {FieldId::kIapCylinderCorrection, 1000, 52, 232},
      {FieldId::kClutchAdvance, -60, 135, 196},
      {FieldId::kGearRatio, 70000, 162, 4464},
      {FieldId::kLambdaVoltages, -1000, 358, 0xFC18},
      {FieldId::kStartCorrections, 99, 71, 255},
      {FieldId::kTuningTempMin, -30, 382, 70},
  };
  for (const auto& c : cases) {
    ConfigImage image{};
    CParamSet params;
    LoadParameterSet(image, params);
    params.Value(c.id) = c.shown;
    StoreParameterSet(params, image);
    const std::int32_t got = IsWord(Field(c.id).width) ? Word(image, c.offset) : image[c.offset];
    EXPECT_EQ(got, c.stored) << c.offset << " shown " << c.shown;
  }
}

TEST(ParamSetTest, CylinderCountReadsOneToFourAndItsByteStays) {
  const std::pair<std::uint8_t, int> cases[] = {{0, 1}, {1, 1}, {3, 3}, {4, 4}, {7, 4}, {255, 4}};
  for (const auto& [byte, shown] : cases) {
    ConfigImage image{};
    image[256] = byte;
    CParamSet params;
    LoadParameterSet(image, params);
    EXPECT_EQ(params.CylinderCount(), shown) << int{byte};
    StoreParameterSet(params, image);
    EXPECT_EQ(image[256], byte);
  }
}

TEST(ParamSetTest, StepMotorFlagIsStoredAsZeroForBike47Only) {
  for (const std::uint8_t bike : {std::uint8_t{46}, std::uint8_t{47}, std::uint8_t{48}}) {
    ConfigImage image{};
    CParamSet params;
    LoadParameterSet(image, params);
    params.Value(FieldId::kBike) = bike;
    params.Value(FieldId::kInServoStepMotor) = 1;
    StoreParameterSet(params, image);
    EXPECT_EQ(image[66], bike == 47 ? 0 : 1) << int{bike};
  }
}

TEST(ParamSetTest, ViewSettingStartsAsPercentAndIsNotInTheImage) {
  CParamSet params;
  EXPECT_FALSE(params.injectionAsTime);
  ConfigImage image{};
  LoadParameterSet(image, params);
  params.injectionAsTime = true;
  ConfigImage stored{};
  StoreParameterSet(params, stored);
  EXPECT_EQ(stored, image);
}
