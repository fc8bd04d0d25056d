#include "files/ConfigSections.h"

#include "image/FieldCatalogue.h"
#include "image/MapStorage.h"
#include "image/Pages.h"

namespace {

using F = FieldId;
using M = MapId;
using A = ReaderAction;

// Sheets of the injection and servo pages, as DefaultsScope numbers them.
constexpr int kInj1 = 0, kInj2 = 1, kInj3 = 2, kInj4 = 3, kInjB = 4, kInjIap = 5;
constexpr int kIntake = 0, kExhaust = 1;

constexpr std::int16_t I16(int v) { return static_cast<std::int16_t>(v); }
constexpr std::uint8_t U8(int v) { return static_cast<std::uint8_t>(v); }

constexpr ConfigItem Values(ItemKind kind, std::size_t offset, int count, int scale = 1, int shift = 0) {
  return {.kind = kind,
          .offset = static_cast<std::uint16_t>(offset),
          .count = U8(count),
          .scale = I16(scale),
          .shift = I16(shift)};
}
// A whole field: its bytes, its signed bytes or its words.
constexpr ConfigItem B(F f, int scale = 1, int shift = 0) {
  return Values(ItemKind::kByte, Field(f).offset, Field(f).count, scale, shift);
}
constexpr ConfigItem S(F f) { return Values(ItemKind::kSignedByte, Field(f).offset, Field(f).count); }
constexpr ConfigItem W(F f) { return Values(ItemKind::kWord, Field(f).offset, Field(f).count); }
// A flag as fixed text: `width` columns, then a blank or not.
constexpr ConfigItem Flag(F f, int width, bool blank) {
  ConfigItem item = Values(ItemKind::kFlag, Field(f).offset, 1);
  item.width = U8(width);
  item.blank = blank;
  return item;
}
constexpr ConfigItem Axis(M m, int scale) { return Values(ItemKind::kByte, Map(m).axisOffset, Map(m).columns, scale); }
// All values of a map, a continuation break after each row of 15.
constexpr ConfigItem Table(M m) {
  const MapLayout& map = Map(m);
  ConfigItem item = Values(map.valueWidth == FieldWidth::kWord ? ItemKind::kWord : ItemKind::kByte, map.valueOffset,
                           map.rows * map.columns);
  item.every15 = true;
  return item;
}
constexpr ConfigItem ServoTable(M m, F percent) {
  ConfigItem item = Table(m);
  item.kind = ItemKind::kServoValue;
  item.scale = 20;  // steps of 20 mV in volt mode
  item.percentFlag = Field(percent).offset;
  return item;
}
constexpr ConfigItem Row(M m, int row) {
  return Values(ItemKind::kByte, MapValueOffset(Map(m), row, 0), Map(m).columns);
}
constexpr ConfigItem Cell(M m, int row, int column) {
  return Values(ItemKind::kByte, MapValueOffset(Map(m), row, column), 1);
}

constexpr ConfigItem Since(int version, ConfigItem item) {
  item.since = U8(version);
  return item;
}
constexpr ConfigItem StoredSince(int version, ConfigItem item) {
  item.storedSince = U8(version);
  return item;
}
constexpr ConfigItem OlderScale(int scale, int until, ConfigItem item) {
  item.olderScale = I16(scale);
  item.olderUntil = U8(until);
  return item;
}
constexpr ConfigItem KeptOnPage(ConfigItem item) {
  item.keptOnPage = true;
  return item;
}
constexpr ConfigItem Do(A action) { return {.kind = ItemKind::kAction, .action = action}; }

constexpr ConfigItem R{.kind = ItemKind::kBreak};      // ↵
constexpr ConfigItem P{.kind = ItemKind::kParagraph};  // ¶

// clang-format off
constexpr ConfigItem kBike[] = {B(F::kBike), Do(A::kBikeDefaults)};
constexpr ConfigItem kDwell[] = {B(F::kDwell, 100), R};
constexpr ConfigItem kApsIaps[] = {W(F::kApsPoint1Pressure), W(F::kApsPoint1Voltage), W(F::kApsPoint2Pressure),
                                   W(F::kApsPoint2Voltage), R, W(F::kIapsSensor)};
constexpr ConfigItem kWaterTemp[] = {R, StoredSince(66, W(F::kCoolantSensor))};
constexpr ConfigItem kAirTemp[] = {R, StoredSince(69, W(F::kAirSensor))};
constexpr ConfigItem kSensorLambda[] = {B(F::kLambdaType), Do(A::kLambdaDefaults), R, B(F::kLambdaAfrPoints), R,
                                        W(F::kLambdaVoltages)};
constexpr ConfigItem kLambdaTacho[] = {R, B(F::kLambdaTachoAfr), R, B(F::kLambdaTachoRpm, 100)};
constexpr ConfigItem kInputs[] = {B(F::kFallDisable), B(F::kBlockingEnable), B(F::kFallActiveClosing),
                                  B(F::kClutchActiveClosing), B(F::kStartLimiterActiveClosing),
                                  B(F::kTachoLambdaActiveClosing)};
constexpr ConfigItem kLimiter[] = {B(F::kStartLimiter1, 100), B(F::kIgnitionLimiter, 100), B(F::kInjectionLimiter, 100),
                                   B(F::kRetardLimiterRpm, 100), B(F::kRetardLimiterSlope)};
constexpr ConfigItem kLimiter2[] = {B(F::kStartLimiter2, 100)};
constexpr ConfigItem kStartLimiterDelay[] = {B(F::kStartLimiterDelay, 100)};
constexpr ConfigItem kTps[] = {B(F::kTps0, 10), B(F::kTps100, 10, 2500)};
constexpr ConfigItem kPotentiometer[] = {B(F::kPotentiometerMode), B(F::kPotentiometerRange)};
constexpr ConfigItem kCooling[] = {B(F::kCoolingWarning)};
constexpr ConfigItem kNegCkps[] = {B(F::kCrankPolarity)};
constexpr ConfigItem kRpm[] = {B(F::kTachoPulses), B(F::kTachoCorrection, 1, -100)};
constexpr ConfigItem kIntakePort[] = {B(F::kIntakePortRpm, 100), P};
constexpr ConfigItem kAdvanceMisc[] = {B(F::kAdvanceUsesThrottle), B(F::kAdvanceCylinderCorrection, 1, -100),
                                       B(F::kBaseAdvance), B(F::kAdvanceRange)};
constexpr ConfigItem kRpmAdv[] = {Axis(M::kAdvance, 100)};
constexpr ConfigItem kAdvance[] = {Table(M::kAdvance)};
constexpr ConfigItem kJet1Misc[] = {KeptOnPage(B(F::kInjectionCoupling)), B(F::kIapTpsMin), B(F::kIapTpsMax),
                                    B(F::kIapRpmMin, 100), B(F::kIapRpmMax, 100)};
constexpr ConfigItem kRpmJet1[] = {Axis(M::kInjection1, 100)};
constexpr ConfigItem kJet1[] = {Table(M::kInjection1)};
constexpr ConfigItem kRpmJet2[] = {Axis(M::kInjection2, 100)};
constexpr ConfigItem kJet2[] = {Table(M::kInjection2)};
constexpr ConfigItem kRpmJet3[] = {Axis(M::kInjection3, 100)};
constexpr ConfigItem kJet3[] = {Table(M::kInjection3)};
constexpr ConfigItem kRpmJet4[] = {Axis(M::kInjection4, 100)};
constexpr ConfigItem kJet4[] = {Table(M::kInjection4)};
constexpr ConfigItem kRpmJetB[] = {Axis(M::kInjectionB, 100)};
constexpr ConfigItem kJetB[] = {Table(M::kInjectionB)};
constexpr ConfigItem kIapMisc[] = {B(F::kIapCylinderCorrection)};
constexpr ConfigItem kIapIap[] = {W(F::kIapPressureAxis)};
constexpr ConfigItem kRpmIap[] = {Axis(M::kInjectionIap, 100)};
constexpr ConfigItem kIap[] = {Table(M::kInjectionIap)};
constexpr ConfigItem kPositionA[] = {B(F::kPositionARef), R, B(F::kPositionAAxis, 100), R, B(F::kPositionA, 5), P};
constexpr ConfigItem kPositionB[] = {B(F::kPositionBRef), R, B(F::kPositionBAxis, 100), R, B(F::kPositionB, 5), P};
constexpr ConfigItem kServoIn[] = {
    Flag(F::kInServoEnable, 5, false), Flag(F::kInServoPercent, 6, true), R,
    B(F::kInServoP, 5), Since(83, B(F::kInServoI)), Since(83, B(F::kInServoIOff)), Since(83, B(F::kInServoD)),
    Since(83, B(F::kInServoDOff)), Since(83, B(F::kInServoO)), R,
    B(F::kInServoAxes), Flag(F::kInServoStepMotor, 5, true), B(F::kStepMotorPeriod), B(F::kStepMotorExcitation, 250)};
constexpr ConfigItem kRpmServoIn[] = {Axis(M::kServoIntake, 100)};
constexpr ConfigItem kServoInValue[] = {R, ServoTable(M::kServoIntake, F::kInServoPercent), P};
constexpr ConfigItem kServoEx[] = {
    Flag(F::kExServoEnable, 5, false), Flag(F::kExServoPercent, 6, true),
    B(F::kExServoP, 5), Since(83, B(F::kExServoI)), Since(83, B(F::kExServoIOff)), Since(83, B(F::kExServoD)),
    Since(83, B(F::kExServoDOff)), B(F::kExServoAxes)};
constexpr ConfigItem kRpmServoEx[] = {Axis(M::kServoExhaust, 100)};
constexpr ConfigItem kServoExValue[] = {R, ServoTable(M::kServoExhaust, F::kExServoPercent)};
constexpr ConfigItem kIdle[] = {
    B(F::kIdleType), B(F::kIdleRpmRange, 100), B(F::kIdleTpsRange), R,
    B(F::kIdleInverse), B(F::kIdleStepPulse, 250), B(F::kIdleStepPeriod), B(F::kIdleHysteresis, 10), R,
    Since(70, W(F::kIdleStartTime)), R,
    W(F::kIdlePosition), R,
    B(F::kIdleAdvanceOn), B(F::kIdleAdvancePerRpm), B(F::kIdleAdvancePerTime), B(F::kIdleMaxAdvance), R,
    B(F::kIdleDesiredRpm, 50), R};
constexpr ConfigItem kIdleControlBand[] = {B(F::kIdleControlBand, 10), R};
constexpr ConfigItem kChoke[] = {B(F::kStartCorrectionTimes), R, B(F::kStartCorrections, 1, 100)};
constexpr ConfigItem kStartInj[] = {B(F::kStartInjection), R};
constexpr ConfigItem kInjCorr[] = {B(F::kInjectionCorrCoolant), R, B(F::kInjectionCorrAir)};
constexpr ConfigItem kAccel[] = {B(F::kAccelThreshold, 10), B(F::kAccelSize, 50), P};
constexpr ConfigItem kAccCorr[] = {W(F::kAccKPlus), W(F::kAccKMinus), W(F::kAccT0), W(F::kAccT100)};
constexpr ConfigItem kAdvanceCorr[] = {B(F::kAdvanceCorrCoolant), R};
constexpr ConfigItem kN2o[] = {
    Flag(F::kGasEnable, 5, true), R,
    B(F::kGasStage1), B(F::kGasStage2), B(F::kGasDelay, 100), B(F::kGasBuildUp, 100),
    B(F::kGasInjectionCorr1, 1, 100), B(F::kGasInjectionCorr2, 1, 100), R,
    B(F::kRetard1), B(F::kRetard2), B(F::kRetardDelay, 100), B(F::kRetardBuildUp, 100), Do(A::kClearN2oMinimums)};
constexpr ConfigItem kN2oRpmMin[] = {B(F::kN2oRpmMin, 100)};
constexpr ConfigItem kN2oTpsMin[] = {B(F::kN2oTpsMin)};
constexpr ConfigItem kSpeedPulses[] = {B(F::kSpeedMode), W(F::kSpeedPulses), R};
constexpr ConfigItem kGear[] = {B(F::kGearSystem), B(F::kGearCount), R, W(F::kGearVoltage), R, W(F::kGearRatio)};
constexpr ConfigItem kGearAuto[] = {B(F::kGearAutoTime), B(F::kGearAutoRpm, 100), B(F::kGearAutoTps),
                                    B(F::kGearAutoBand)};
constexpr ConfigItem kGearCorr[] = {B(F::kGearAdvanceCorr, 1, -100), R, B(F::kGearInjectionCorr)};
constexpr ConfigItem kSpeedOutCor[] = {B(F::kSpeedOutCorrection)};
constexpr ConfigItem kPilotLight[] = {B(F::kPilotFirstSpeed, 100), R, B(F::kPilotSecondSpeed, 100)};
constexpr ConfigItem kPilotLightInvOut[] = {Flag(F::kPilotInvertedOut, 5, false)};
constexpr ConfigItem kClutch[] = {
    B(F::kClutchMode), B(F::kClutchMinRpm, 100), B(F::kClutchInjection), S(F::kClutchAdvance), R,
    OlderScale(10, 70, B(F::kClutchTime, 5)), R,
    B(F::kClutchPause, 10), P};
constexpr ConfigItem kDisplay[] = {Flag(F::kTempDisplay, 5, false)};
constexpr ConfigItem kPitSpeedControl[] = {B(F::kPitSpeed), B(F::kPitRetardP), B(F::kPitRetardI),
                                           S(F::kPitMinAdvance), B(F::kPitMinRpm, 100), P};
constexpr ConfigItem kTuning[] = {
    B(F::kTuningByTls), B(F::kTuningMode), B(F::kTuningRpmTolerance, 10), B(F::kTuningTpsTolerance),
    B(F::kTuningAfrTolerance), B(F::kTuningRevsPerStep), B(F::kTuningStep), B(F::kTuningChannel), R,
    B(F::kTuningMaxAcc), B(F::kTuningAfrMin), B(F::kTuningAfrMax), B(F::kTuningTpsMin), B(F::kTuningRpmMin, 100),
    B(F::kTuningTempMin, 1, -100), B(F::kTuningTempMax, 1, -100)};
// Files 74..82: one desired AFR where 83 has the whole table, and the
// revolutions per step written × 10.
constexpr ConfigItem kTuningBefore83[] = {
    Since(81, B(F::kTuningByTls)), B(F::kTuningMode), B(F::kTuningRpmTolerance, 10), B(F::kTuningTpsTolerance),
    Cell(M::kDesiredAfr, 0, 0), Do(A::kFillDesiredAfr), B(F::kTuningAfrTolerance), B(F::kTuningRevsPerStep, 10),
    B(F::kTuningStep), B(F::kTuningChannel), B(F::kTuningMaxAcc)};
constexpr ConfigItem kTuningLambda[] = {
    Axis(M::kDesiredAfr, 100), R, Row(M::kDesiredAfr, 0), R, Row(M::kDesiredAfr, 1), R, Row(M::kDesiredAfr, 2),
    R, Row(M::kDesiredAfr, 3), R, Row(M::kDesiredAfr, 4), P};
constexpr ConfigItem kTestOut[] = {B(F::kTestRpm, 100), B(F::kTestServo, 10), P};
constexpr ConfigItem kLambdaBar[] = {B(F::kLambdaBar), R};

constexpr int kAny = kAnySheet;
constexpr ConfigSection kSections[] = {
  // keyword              width  items               page               sheet
  {"BIKE",                  13, kBike,              kNoPage,           kAny},
  {"DWELL",                 13, kDwell,             kPageBike,         kAny},
  {"APS_IAPS",              13, kApsIaps,           kPageSensors,      kAny},
  {"WATER_TEMP_SENSOR",     17, kWaterTemp,         kPageSensors,      kAny},
  {"AIR_TEMP_SENSOR",       19, kAirTemp,           kPageSensors,      kAny},
  {"SENSOR_LAMBDA",         19, kSensorLambda,      kPageSensors,      kAny},
  {"LAMBDA_TACHO",          19, kLambdaTacho,       kPageBike,         kAny},
  {"INPUTS",                13, kInputs,            kPageBike,         kAny},
  {"LIMITER",               13, kLimiter,           kPageBike,         kAny},
  {"LIMITER2",              13, kLimiter2,          kPageBike,         kAny},
  {"START_LIMITER_DELAY",   20, kStartLimiterDelay, kPageBike,         kAny},
  {"TPS",                   13, kTps,               kPageSensors,      kAny},
  {"POTENTIOMETER",         19, kPotentiometer,     kPageSensors,      kAny},
  {"COOLING",               13, kCooling,           kPageBike,         kAny},
  {"NEG_CKPS",              13, kNegCkps,           kPageBike,         kAny, 0, 255, SectionKind::kValues, "INV_INPUT_KL"},
  {"RPM",                   13, kRpm,               kPageBike,         kAny},
  {"INTAKE_PORT",           13, kIntakePort,        kPageBike,         kAny},
  {"ADVANCE_MISC",          13, kAdvanceMisc,       kPageAdvance,      kAny},
  {"RPM_ADV",               13, kRpmAdv,            kPageAdvance,      kAny},
  {"ADVANCE",               13, kAdvance,           kPageAdvance,      kAny},
  {"JET1_MISC",             13, kJet1Misc,          kPageInjection,    kInj1},
  {"RPM_JET_1A",            13, kRpmJet1,           kPageInjection,    kInj1},
  {"JET_1A",                13, kJet1,              kPageInjection,    kInj1},
  {"RPM_JET_2A",            13, kRpmJet2,           kPageInjection,    kInj2},
  {"JET_2A",                13, kJet2,              kPageInjection,    kInj2},
  {"RPM_JET_3A",            13, kRpmJet3,           kPageInjection,    kInj3},
  {"JET_3A",                13, kJet3,              kPageInjection,    kInj3},
  {"RPM_JET_4A",            13, kRpmJet4,           kPageInjection,    kInj4},
  {"JET_4A",                13, kJet4,              kPageInjection,    kInj4},
  {"RPM_JET_B",             13, kRpmJetB,           kPageInjection,    kInjB},
  {"JET_B",                 13, kJetB,              kPageInjection,    kInjB},
  {"IAP_MISC",              13, kIapMisc,           kPageInjection,    kInjIap},
  {"IAP_IAP",               13, kIapIap,            kPageInjection,    kInjIap},
  {"RPM_IAP",               13, kRpmIap,            kPageInjection,    kInjIap},
  {"IAP",                   13, kIap,               kPageInjection,    kInjIap},
  {"POSITION_A",            13, kPositionA,         kPagePosition,     kAny},
  {"POSITION_B",            13, kPositionB,         kPagePosition,     kAny},
  {"SERVO_IN",              13, kServoIn,           kPageServo,        kIntake},
  {"RPM_SERVO_IN",          13, kRpmServoIn,        kPageServo,        kIntake},
  {"SERVO_IN_VALUE",        14, kServoInValue,      kPageServo,        kIntake},
  {"SERVO_EX",              13, kServoEx,           kPageServo,        kExhaust},
  {"RPM_SERVO_EX",          13, kRpmServoEx,        kPageServo,        kExhaust},
  {"SERVO_EX_VALUE",        14, kServoExValue,      kPageServo,        kExhaust},
  {"IDLE",                  13, kIdle,              kPageIdle,         kAny},
  {"IDLE_CONTROL_BAND",     kKeywordTab, kIdleControlBand, kPageIdle,  kAny},
  {"CHOKE",                 13, kChoke,             kPageCorrections,  kAny},
  {"START_INJ",             13, kStartInj,          kPageCorrections,  kAny},
  {"INJ_CORR",              13, kInjCorr,           kPageCorrections,  kAny},
  {"ACCEL",                 13, kAccel,             kPageCorrections,  kAny},
  {"ACC_CORR",              13, kAccCorr,           kPageCorrections,  kAny},
  {"ADVANCE_CORR",          13, kAdvanceCorr,       kPageCorrections,  kAny},
  {"N2O",                   13, kN2o,               kPageN2o,          kAny},
  {"N2O_RPMmin",            13, kN2oRpmMin,         kPageN2o,          kAny},
  {"N2O_TPSmin",            13, kN2oTpsMin,         kPageN2o,          kAny},
  {"SPEED_PULSES",          13, kSpeedPulses,       kPageGear,         kAny},
  {"GEAR",                  13, kGear,              kPageGear,         kAny},
  {"GEAR_AUTO",             13, kGearAuto,          kPageGear,         kAny},
  {"GEAR_CORR",             13, kGearCorr,          kPageGear,         kAny},
  {"SPEED_OUT_COR",         14, kSpeedOutCor,       kPageGear,         kAny},
  {"PILOT_LIGHT",           13, kPilotLight,        kPageRace,         kAny},
  {"PILOT_LIGHT_INV_OUT",   19, kPilotLightInvOut,  kPageRace,         kAny},
  {"CLUTCH",                13, kClutch,            kPageRace,         kAny},
  {"DISPLAY",               13, kDisplay,           kPageRace,         kAny},
  {"PIT_SPEED_CONTROL",     19, kPitSpeedControl,   kPageRace,         kAny},
  {"TUNING",                13, kTuning,            kPageTuning,       kAny, 83},
  {"TUNING",                13, kTuningBefore83,    kPageTuning,       kAny, 74, 82},
  {"TUNING_LAMBDA",         13, kTuningLambda,      kPageTuning,       kAny},
  {"TEST_OUT",              13, kTestOut,           kPageTest,         kAny},
  {"LAMBDA_BAR",            13, kLambdaBar,         kPageMonitor,      kAny},
  {"VERSIONS",               8, {},                 kNoPage,           kAny, 0, 255, SectionKind::kVersions},
  {"MEMO",                  13, {},                 kPageBike,         kAny, 0, 255, SectionKind::kMemo},
};
// clang-format on

}  // namespace

std::span<const ConfigSection> ConfigSections() { return kSections; }
