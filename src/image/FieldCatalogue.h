#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>

#include "image/ConfigImage.h"

// Every scalar field of the configuration image, by name. Code refers to a
// field through its id; its offset, width and conversion live only in the
// table below. The ids follow the table order (checked at compile time).
enum class FieldId : std::uint16_t {
  kBike,
  kReserved1,
  kTriggerSystem,
  kBikeConstant3,
  kDwell,
  kCrankPolarity,
  kApsPoint1Pressure,
  kApsPoint1Voltage,
  kApsPoint2Pressure,
  kApsPoint2Voltage,
  kIapsSensor,
  kFallDisable,
  kBlockingEnable,
  kFallActiveClosing,
  kClutchActiveClosing,
  kStartLimiterActiveClosing,
  kTachoLambdaActiveClosing,
  kStartLimiter1,
  kIgnitionLimiter,
  kInjectionLimiter,
  kRetardLimiterRpm,
  kRetardLimiterSlope,
  kTps0,
  kTps100,
  kCoolingWarning,
  kTachoPulses,
  kTachoCorrection,
  kIntakePortRpm,
  kStartLimiter2,
  kAdvanceUsesThrottle,
  kAdvanceCylinderCorrection,
  kBaseAdvance,
  kAdvanceRange,
  kInjectionCoupling,
  kIapTpsMin,
  kIapTpsMax,
  kIapRpmMin,
  kIapRpmMax,
  kIapCylinderCorrection,
  kPositionARef,
  kPositionBRef,
  kExServoEnable,
  kInServoEnable,
  kExServoP,
  kInServoP,
  kExServoPercent,
  kInServoPercent,
  kExServoAxes,
  kInServoAxes,
  kInServoStepMotor,
  kStartCorrectionTimes,
  kStartCorrections,
  kPotentiometerMode,
  kPotentiometerRange,
  kStepMotorPeriod,
  kStepMotorExcitation,
  kInjectionCorrCoolant,
  kInjectionCorrAir,
  kAccelThreshold,
  kAccelSize,
  kStartInjection,
  kAdvanceCorrCoolant,
  kGasEnable,
  kGasStage1,
  kGasStage2,
  kGasBuildUp,
  kGasDelay,
  kRetard1,
  kRetard2,
  kRetardBuildUp,
  kRetardDelay,
  kTempDisplay,
  kPilotFirstSpeed,
  kPilotSecondSpeed,
  kClutchMode,
  kClutchTime,
  kClutchPause,
  kClutchMinRpm,
  kClutchInjection,
  kClutchAdvance,
  kGearSystem,
  kGearCount,
  kSpeedMode,
  kPilotInvertedOut,
  kGearVoltage,
  kGearAutoTime,
  kGearAutoRpm,
  kGearAutoTps,
  kGearAutoBand,
  kGasInjectionCorr1,
  kGasInjectionCorr2,
  kSpeedPulses,
  kGearRatio,
  kGearAdvanceCorr,
  kGearInjectionCorr,
  kPitSpeed,
  kPitRetardP,
  kPitRetardI,
  kPitMinAdvance,
  kPitMinRpm,
  kBikeConstants191,
  kCoolantSensor,
  kAirSensor,
  kBikeCurve,
  kExServoI,
  kInServoI,
  kExServoD,
  kInServoD,
  kBikeMaxRpm,
  kBikeConstants253,
  kCylinderCount,
  kIgnitionOutputs,
  kPickupGeometry,
  kExServoIOff,
  kInServoIOff,
  kExServoDOff,
  kInServoDOff,
  kInServoO,
  kN2oRpmMin,
  kN2oTpsMin,
  kStartLimiterDelay,
  kIdleType,
  kIdleRpmRange,
  kIdleTpsRange,
  kIdleInverse,
  kIdleStepPulse,
  kIdleStepPeriod,
  kIdleHysteresis,
  kIdleControlBand,
  kIdlePosition,
  kIdleAdvanceOn,
  kIdleAdvancePerRpm,
  kIdleAdvancePerTime,
  kIdleMaxAdvance,
  kIdleDesiredRpm,
  kIdleStartTime,
  kAccKPlus,
  kAccKMinus,
  kAccT100,
  kAccT0,
  kTuningMode,
  kTuningByTls,
  kTuningAfrTolerance,
  kTuningRpmTolerance,
  kTuningTpsTolerance,
  kTuningRevsPerStep,
  kTuningStep,
  kTuningChannel,
  kTuningMaxAcc,
  kLambdaType,
  kLambdaAfrPoints,
  kLambdaVoltages,
  kLambdaTachoAfr,
  kLambdaTachoRpm,
  kLambdaBar,
  kTestRpm,
  kTestServo,
  kTuningAfrMin,
  kTuningAfrMax,
  kTuningTpsMin,
  kTuningRpmMin,
  kTuningTempMin,
  kTuningTempMax,
  kIapPressureAxis,
  kSpeedOutCorrection,
  kPositionAAxis,
  kPositionA,
  kPositionBAxis,
  kPositionB,
  kCount
};
constexpr FieldId kNoField = FieldId::kCount;
constexpr std::size_t kFieldCount = static_cast<std::size_t>(FieldId::kCount);

enum class FieldWidth : std::uint8_t { kByte, kSignedByte, kWord, kSignedWord };

// Who shows the field, and so whether storing the parameter set writes it.
enum class Holder : std::uint8_t {
  kNone,     // bike-derived or reserved: store leaves the image as it is
  kControl,  // an edit, up/down, check box, radio group or menu
  kSheet,    // a small sheet of a map page
  kMap,      // an axis that a map of the parameter set carries
};

// What the normalisation enforces on the raw value of each element.
enum class Order : std::uint8_t {
  kNone,
  kIncreasing,    // axis rule on bytes, increasing word rule on words
  kDecreasing,    // decreasing word rule
  kByLambdaType,  // decreasing for the standard sensor, increasing otherwise
};
enum class LimitRule : std::uint8_t {
  kPlain,
  kBikeException,       // not applied for the bike types that drive the step motor themselves
  kTunedChannel,        // maximum is 1 when coupled, else the cylinder count
  kAboveIdleHysteresis  // with idle type 2 raised above the hysteresis first
};
constexpr std::int32_t kNoBound = std::numeric_limits<std::int32_t>::min();

struct Limit {
  std::int32_t min = kNoBound;
  std::int32_t max = kNoBound;
  FieldId notBelow = kNoField;  // element-wise: raised to the same element of this field
  FieldId notAbove = kNoField;
  Order order = Order::kNone;
  LimitRule rule = LimitRule::kPlain;
};

struct FieldInfo {
  FieldId id;
  std::uint16_t offset;
  FieldWidth width;
  std::uint8_t count;
  const char* key;  // configuration file keyword of the group, "" for none
  std::int32_t scale;
  std::int32_t shownOffset;
  Limit limit;
  Holder holder;
  const char* control;  // "" for none
};

namespace field_table {
using H = Holder;
constexpr FieldWidth B = FieldWidth::kByte, SB = FieldWidth::kSignedByte, W = FieldWidth::kWord,
                     SW = FieldWidth::kSignedWord;
constexpr Limit kFree{};
constexpr Limit Max(std::int32_t v) { return {.max = v}; }
constexpr Limit Range(std::int32_t lo, std::int32_t hi) { return {.min = lo, .max = hi}; }
constexpr Limit AtLeast(FieldId f) { return {.notBelow = f}; }
constexpr Limit MaxAtLeast(std::int32_t v, FieldId f) { return {.max = v, .notBelow = f}; }
constexpr Limit Rising(std::int32_t lo, std::int32_t hi) { return {.min = lo, .max = hi, .order = Order::kIncreasing}; }
constexpr Limit Falling(std::int32_t lo, std::int32_t hi) {
  return {.min = lo, .max = hi, .order = Order::kDecreasing};
}

// clang-format off
inline constexpr FieldInfo kFields[] = {
  // id                                   off  width n  key                    scale shown  limit                                   holder       control
  {FieldId::kBike,                          0, B,  1, "BIKE",                     1,    0, kFree,                                   H::kControl, "ComboBoxBike"},
  {FieldId::kReserved1,                     1, B,  1, "",                         1,    0, kFree,                                   H::kNone,    ""},
  {FieldId::kTriggerSystem,                 2, B,  1, "",                         1,    0, kFree,                                   H::kNone,    ""},
  {FieldId::kBikeConstant3,                 3, B,  1, "",                         1,    0, kFree,                                   H::kNone,    ""},
  {FieldId::kDwell,                         4, B,  1, "DWELL",                  100,    0, kFree,                                   H::kControl, "UpDownDwell"},
  {FieldId::kCrankPolarity,                 5, B,  1, "NEG_CKPS",                 1,    0, kFree,                                   H::kControl, "RadioGroupPolCKPS"},
  {FieldId::kApsPoint1Pressure,             6, SW, 1, "APS_IAPS",                 1,    0, kFree,                                   H::kSheet,   "AP sensor sheet"},
  {FieldId::kApsPoint1Voltage,              8, SW, 1, "APS_IAPS",                 1,    0, kFree,                                   H::kSheet,   "AP sensor sheet"},
  {FieldId::kApsPoint2Pressure,            10, SW, 1, "APS_IAPS",                 1,    0, kFree,                                   H::kSheet,   "AP sensor sheet"},
  {FieldId::kApsPoint2Voltage,             12, SW, 1, "APS_IAPS",                 1,    0, kFree,                                   H::kSheet,   "AP sensor sheet"},
  {FieldId::kIapsSensor,                   14, SW, 4, "APS_IAPS",                 1,    0, kFree,                                   H::kSheet,   "IAP sensor sheet"},
  {FieldId::kFallDisable,                  22, B,  1, "INPUTS",                   1,    0, kFree,                                   H::kControl, "CheckBoxFallEnable"},
  {FieldId::kBlockingEnable,               23, B,  1, "INPUTS",                   1,    0, kFree,                                   H::kControl, "CheckBoxBlokEnable"},
  {FieldId::kFallActiveClosing,            24, B,  1, "INPUTS",                   1,    0, kFree,                                   H::kControl, "CheckBoxAktFall"},
  {FieldId::kClutchActiveClosing,          25, B,  1, "INPUTS",                   1,    0, kFree,                                   H::kControl, "CheckBoxAktClutch"},
  {FieldId::kStartLimiterActiveClosing,    26, B,  1, "INPUTS",                   1,    0, kFree,                                   H::kControl, "CheckBoxAktStartLimiter"},
  {FieldId::kTachoLambdaActiveClosing,     27, B,  1, "INPUTS",                   1,    0, kFree,                                   H::kControl, "CheckBoxAktRpm"},
  {FieldId::kStartLimiter1,                28, B,  1, "LIMITER",                100,    0, kFree,                                   H::kControl, "UpDownStartLimiter1"},
  {FieldId::kIgnitionLimiter,              29, B,  1, "LIMITER",                100,    0, kFree,                                   H::kControl, "UpDownIgnLimiter"},
  {FieldId::kInjectionLimiter,             30, B,  1, "LIMITER",                100,    0, kFree,                                   H::kControl, "UpDownJetLimiter"},
  {FieldId::kRetardLimiterRpm,             31, B,  1, "LIMITER",                100,    0, kFree,                                   H::kControl, "UpDownRetardLimiterRpm"},
  {FieldId::kRetardLimiterSlope,           32, B,  1, "LIMITER",                  1,    0, kFree,                                   H::kControl, "UpDownRetardLimiterAdv"},
  {FieldId::kTps0,                         33, B,  1, "TPS",                     10,    0, Max(250),                                H::kControl, "UpDownTps0"},
  {FieldId::kTps100,                       34, B,  1, "TPS",                     10, 2500, Max(250),                                H::kControl, "UpDownTps100"},
  {FieldId::kCoolingWarning,               35, B,  1, "COOLING",                  1,    0, kFree,                                   H::kControl, "UpDownChlazeni"},
  {FieldId::kTachoPulses,                  36, B,  1, "RPM",                      1,    0, kFree,                                   H::kControl, "UpDownRpmPulsu"},
  {FieldId::kTachoCorrection,              37, B,  1, "RPM",                      1, -100, kFree,                                   H::kControl, "UpDownRpmKorekce"},
  {FieldId::kIntakePortRpm,                38, B,  1, "INTAKE_PORT",            100,    0, kFree,                                   H::kControl, "UpDownIntakePortRpm"},
  {FieldId::kStartLimiter2,                39, B,  1, "LIMITER2",               100,    0, kFree,                                   H::kControl, "UpDownStartLimiter2"},
  {FieldId::kAdvanceUsesThrottle,          40, B,  1, "ADVANCE_MISC",             1,    0, kFree,                                   H::kSheet,   "advance sheet"},
  {FieldId::kAdvanceCylinderCorrection,    41, B,  4, "ADVANCE_MISC",             1, -100, kFree,                                   H::kControl, "cylinder correction edits of the advance page"},
  {FieldId::kBaseAdvance,                  45, B,  1, "ADVANCE_MISC",             1,    0, Max(40),                                 H::kControl, "base advance edit of the advance page"},
  {FieldId::kAdvanceRange,                 46, B,  1, "ADVANCE_MISC",             1,    0, kFree,                                   H::kNone,    ""},
  {FieldId::kInjectionCoupling,            47, B,  1, "JET1_MISC",                1,    0, kFree,                                   H::kControl, "Menu_Jet123Normal, Menu_Jet123Coupled, Menu_Jet123Stejny"},
  {FieldId::kIapTpsMin,                    48, B,  1, "JET1_MISC",                1,    0, Max(101),                                H::kControl, "\"TPS min\" edit"},
  {FieldId::kIapTpsMax,                    49, B,  1, "JET1_MISC",                1,    0, AtLeast(FieldId::kIapTpsMin),            H::kControl, "\"TPS max\" edit"},
  {FieldId::kIapRpmMin,                    50, B,  1, "JET1_MISC",              100,    0, kFree,                                   H::kControl, "\"RPM min\" edit"},
  {FieldId::kIapRpmMax,                    51, B,  1, "JET1_MISC",              100,    0, AtLeast(FieldId::kIapRpmMin),            H::kControl, "\"RPM max\" edit"},
  {FieldId::kIapCylinderCorrection,        52, B,  4, "IAP_MISC",                 1,    0, kFree,                                   H::kControl, "\"Correction for cylinder\" edits of the injection page"},
  {FieldId::kPositionARef,                 56, B,  1, "POSITION_A",               1,    0, kFree,                                   H::kSheet,   "position A sheet"},
  {FieldId::kPositionBRef,                 57, B,  1, "POSITION_B",               1,    0, kFree,                                   H::kSheet,   "position B sheet"},
  {FieldId::kExServoEnable,                58, B,  1, "SERVO_EX",                 1,    0, kFree,                                   H::kControl, "\"Servo enable\""},
  {FieldId::kInServoEnable,                59, B,  1, "SERVO_IN",                 1,    0, kFree,                                   H::kControl, "\"Servo enable\""},
  {FieldId::kExServoP,                     60, B,  1, "SERVO_EX",                 5,    0, kFree,                                   H::kControl, "\"1/P\" edit"},
  {FieldId::kInServoP,                     61, B,  1, "SERVO_IN",                 5,    0, kFree,                                   H::kControl, "\"1/P\" edit"},
  {FieldId::kExServoPercent,               62, B,  1, "SERVO_EX",                 1,    0, kFree,                                   H::kControl, "\"Percent\""},
  {FieldId::kInServoPercent,               63, B,  1, "SERVO_IN",                 1,    0, kFree,                                   H::kControl, "\"Percent\""},
  {FieldId::kExServoAxes,                  64, B,  1, "SERVO_EX",                 1,    0, kFree,                                   H::kSheet,   "exhaust servo sheet"},
  {FieldId::kInServoAxes,                  65, B,  1, "SERVO_IN",                 1,    0, kFree,                                   H::kSheet,   "intake servo sheet"},
  {FieldId::kInServoStepMotor,             66, B,  1, "SERVO_IN",                 1,    0, kFree,                                   H::kControl, "\"Step motor\""},
  {FieldId::kStartCorrectionTimes,         67, B,  4, "CHOKE",                    1,    0, Rising(0, 250),                          H::kSheet,   "starting corrections sheet"},
  {FieldId::kStartCorrections,             71, B,  4, "CHOKE",                    1,  100, Max(250),                                H::kSheet,   "starting corrections sheet"},
  {FieldId::kPotentiometerMode,            75, B,  1, "POTENTIOMETER",            1,    0, kFree,                                   H::kControl, "RadioGroupPotencMode"},
  {FieldId::kPotentiometerRange,           76, B,  1, "POTENTIOMETER",            1,    0, kFree,                                   H::kControl, "UpDownPotencRozsah"},
  {FieldId::kStepMotorPeriod,              77, B,  1, "SERVO_IN",                 1,    0, kFree,                                   H::kControl, "\"Period [ms]\" edit"},
  {FieldId::kStepMotorExcitation,          78, B,  1, "SERVO_IN",               250,    0, {.notAbove = FieldId::kStepMotorPeriod}, H::kControl, "\"Excitation [us]\" edit"},
  {FieldId::kInjectionCorrCoolant,         80, B,  5, "INJ_CORR",                 1,    0, kFree,                                   H::kSheet,   "temperature corrections of injection sheet, column 1"},
  {FieldId::kInjectionCorrAir,             85, B,  5, "INJ_CORR",                 1,    0, kFree,                                   H::kSheet,   "temperature corrections of injection sheet, column 2"},
  {FieldId::kAccelThreshold,               90, B,  1, "ACCEL",                   10,    0, kFree,                                   H::kControl, "UpDownAkcelPrah"},
  {FieldId::kAccelSize,                    91, B,  1, "ACCEL",                   50,    0, kFree,                                   H::kControl, "UpDownAkcelJet"},
  {FieldId::kStartInjection,               92, B,  1, "START_INJ",                1,    0, Max(50),                                 H::kControl, "UpDownStartJet"},
  {FieldId::kAdvanceCorrCoolant,           93, B,  5, "ADVANCE_CORR",             1, -100, kFree,                                   H::kSheet,   "temperature corrections of advance sheet"},
  {FieldId::kGasEnable,                    98, B,  1, "N2O",                      1,    0, kFree,                                   H::kControl, "CheckBoxGas"},
  {FieldId::kGasStage1,                    99, B,  1, "N2O",                      1,    0, Max(100),                                H::kControl, "UpDownGas1"},
  {FieldId::kGasStage2,                   100, B,  1, "N2O",                      1,    0, MaxAtLeast(100, FieldId::kGasStage1),    H::kControl, "UpDownGas2"},
  {FieldId::kGasBuildUp,                  101, B,  1, "N2O",                    100,    0, Range(1, 200),                           H::kControl, "UpDownGasT"},
  {FieldId::kGasDelay,                    102, B,  1, "N2O",                    100,    0, Max(200),                                H::kControl, "UpDownGasD"},
  {FieldId::kRetard1,                     103, B,  1, "N2O",                      1,    0, Max(25),                                 H::kControl, "UpDownRetard1"},
  {FieldId::kRetard2,                     104, B,  1, "N2O",                      1,    0, MaxAtLeast(25, FieldId::kRetard1),       H::kControl, "UpDownRetard2"},
  {FieldId::kRetardBuildUp,               105, B,  1, "N2O",                    100,    0, Range(1, 200),                           H::kControl, "UpDownRetardT"},
  {FieldId::kRetardDelay,                 106, B,  1, "N2O",                    100,    0, Max(200),                                H::kControl, "UpDownRetardD"},
  {FieldId::kTempDisplay,                 107, B,  1, "DISPLAY",                  1,    0, kFree,                                   H::kControl, "CheckBoxTempDisplay"},
  {FieldId::kPilotFirstSpeed,             108, B,  6, "PILOT_LIGHT",            100,    0, kFree,                                   H::kControl, "gear table of the race page, column 1"},
  {FieldId::kPilotSecondSpeed,            114, B,  6, "PILOT_LIGHT",            100,    0, AtLeast(FieldId::kPilotFirstSpeed),      H::kControl, "gear table of the race page, column 2"},
  {FieldId::kClutchMode,                  120, B,  1, "CLUTCH",                   1,    0, kFree,                                   H::kControl, "RadioGroupClutchMode"},
  {FieldId::kClutchTime,                  121, B,  6, "CLUTCH",                   5,    0, kFree,                                   H::kControl, "gear table of the race page, column 3"},
  {FieldId::kClutchPause,                 127, B,  6, "CLUTCH",                  10,    0, kFree,                                   H::kControl, "gear table of the race page, column 4"},
  {FieldId::kClutchMinRpm,                133, B,  1, "CLUTCH",                 100,    0, kFree,                                   H::kControl, "UpDownClutchMinRpm"},
  {FieldId::kClutchInjection,             134, B,  1, "CLUTCH",                   1,    0, kFree,                                   H::kControl, "UpDownClutchJet"},
  {FieldId::kClutchAdvance,               135, SB, 1, "CLUTCH",                   1,    0, kFree,                                   H::kControl, "UpDownClutchAdv"},
  {FieldId::kGearSystem,                  136, B,  1, "GEAR",                     1,    0, kFree,                                   H::kControl, "RadioGroupGearSystem"},
  {FieldId::kGearCount,                   137, B,  1, "GEAR",                     1,    0, kFree,                                   H::kControl, "UpDownPocetGear"},
  {FieldId::kSpeedMode,                   138, B,  1, "SPEED_PULSES",             1,    0, kFree,                                   H::kControl, "RadioGroupSpeedMode"},
  {FieldId::kPilotInvertedOut,            139, B,  1, "PILOT_LIGHT_INV_OUT",      1,    0, kFree,                                   H::kControl, "CheckBoxPilotLightInvOut"},
  {FieldId::kGearVoltage,                 140, W,  7, "GEAR",                     1,    0, kFree,                                   H::kControl, "gear voltage edits"},
  {FieldId::kGearAutoTime,                154, B,  1, "GEAR_AUTO",                1,    0, kFree,                                   H::kControl, "UpDownGearAutoTime"},
  {FieldId::kGearAutoRpm,                 155, B,  1, "GEAR_AUTO",              100,    0, kFree,                                   H::kControl, "UpDownGearAutoRpm"},
  {FieldId::kGearAutoTps,                 156, B,  1, "GEAR_AUTO",                1,    0, kFree,                                   H::kControl, "UpDownGearAutoTps"},
  {FieldId::kGearAutoBand,                157, B,  1, "GEAR_AUTO",                1,    0, kFree,                                   H::kControl, "UpDownGearAutoBand"},
  {FieldId::kGasInjectionCorr1,           158, B,  1, "N2O",                      1,  100, kFree,                                   H::kControl, "UpDownGasJetKor1"},
  {FieldId::kGasInjectionCorr2,           159, B,  1, "N2O",                      1,  100, AtLeast(FieldId::kGasInjectionCorr1),    H::kControl, "UpDownGasJetKor2"},
  {FieldId::kSpeedPulses,                 160, W,  1, "SPEED_PULSES",             1,    0, kFree,                                   H::kControl, "UpDownPulsuProSpeed"},
  {FieldId::kGearRatio,                   162, W,  6, "GEAR",                     1,    0, kFree,                                   H::kControl, "gear ratio edits"},
  {FieldId::kGearAdvanceCorr,             174, B,  6, "GEAR_CORR",                1, -100, kFree,                                   H::kControl, "gear correction edits, advance column"},
  {FieldId::kGearInjectionCorr,           180, B,  6, "GEAR_CORR",                1,    0, kFree,                                   H::kControl, "gear correction edits, injection column"},
  {FieldId::kPitSpeed,                    186, B,  1, "PIT_SPEED_CONTROL",        1,    0, kFree,                                   H::kControl, "UpDownPitSpeed"},
  {FieldId::kPitRetardP,                  187, B,  1, "PIT_SPEED_CONTROL",        1,    0, kFree,                                   H::kControl, "UpDownPitRetardP"},
  {FieldId::kPitRetardI,                  188, B,  1, "PIT_SPEED_CONTROL",        1,    0, kFree,                                   H::kControl, "UpDownPitRetardI"},
  {FieldId::kPitMinAdvance,               189, SB, 1, "PIT_SPEED_CONTROL",        1,    0, kFree,                                   H::kControl, "UpDownPitMinAdv"},
  {FieldId::kPitMinRpm,                   190, B,  1, "PIT_SPEED_CONTROL",      100,    0, kFree,                                   H::kControl, "UpDownPitMinRpm"},
  {FieldId::kBikeConstants191,            191, B,  3, "",                         1,    0, kFree,                                   H::kNone,    ""},
  {FieldId::kCoolantSensor,               194, SW, 9, "WATER_TEMP_SENSOR",        1,    0, Falling(0, 5000),                        H::kSheet,   "temperature sensors sheet, column 1"},
  {FieldId::kAirSensor,                   212, SW, 9, "AIR_TEMP_SENSOR",          1,    0, Falling(0, 5000),                        H::kSheet,   "temperature sensors sheet, column 2"},
  {FieldId::kBikeCurve,                   230, W,  9, "",                         1,    0, kFree,                                   H::kNone,    ""},
  {FieldId::kExServoI,                    248, B,  1, "SERVO_EX",                 1,    0, kFree,                                   H::kControl, "\"I\" edit"},
  {FieldId::kInServoI,                    249, B,  1, "SERVO_IN",                 1,    0, kFree,                                   H::kControl, "\"I\" edit"},
  {FieldId::kExServoD,                    250, B,  1, "SERVO_EX",                 1,    0, kFree,                                   H::kControl, "\"D\" edit"},
  {FieldId::kInServoD,                    251, B,  1, "SERVO_IN",                 1,    0, kFree,                                   H::kControl, "\"D\" edit"},
  {FieldId::kBikeMaxRpm,                  252, B,  1, "",                       100,    0, kFree,                                   H::kNone,    ""},
  {FieldId::kBikeConstants253,            253, B,  2, "",                         1,    0, kFree,                                   H::kNone,    ""},
  {FieldId::kCylinderCount,               256, B,  1, "",                         1,    0, kFree,                                   H::kNone,    ""},
  {FieldId::kIgnitionOutputs,             257, B,  4, "",                         1,    0, kFree,                                   H::kNone,    ""},
  {FieldId::kPickupGeometry,              261, B, 14, "",                         1,    0, kFree,                                   H::kNone,    ""},
  {FieldId::kExServoIOff,                 275, B,  1, "SERVO_EX",                 1,    0, kFree,                                   H::kControl, "\"I off\" edit"},
  {FieldId::kInServoIOff,                 276, B,  1, "SERVO_IN",                 1,    0, kFree,                                   H::kControl, "\"I off\" edit"},
  {FieldId::kExServoDOff,                 277, B,  1, "SERVO_EX",                 1,    0, kFree,                                   H::kControl, "\"D off\" edit"},
  {FieldId::kInServoDOff,                 278, B,  1, "SERVO_IN",                 1,    0, kFree,                                   H::kControl, "\"D off\" edit"},
  {FieldId::kInServoO,                    279, B,  1, "SERVO_IN",                 1,    0, kFree,                                   H::kControl, "\"O\" edit"},
  {FieldId::kN2oRpmMin,                   280, B,  1, "N2O_RPMmin",             100,    0, kFree,                                   H::kControl, "UpDownN2O_RPMmin"},
  {FieldId::kN2oTpsMin,                   281, B,  1, "N2O_TPSmin",               1,    0, kFree,                                   H::kControl, "UpDownN2O_TPSmin"},
  {FieldId::kStartLimiterDelay,           282, B,  1, "START_LIMITER_DELAY",    100,    0, kFree,                                   H::kControl, "UpDownStartLimiterDelay"},
  {FieldId::kIdleType,                    290, B,  1, "IDLE",                     1,    0, kFree,                                   H::kControl, "RadioGroupIdleMode"},
  {FieldId::kIdleRpmRange,                291, B,  1, "IDLE",                   100,    0, kFree,                                   H::kControl, "UpDownIdleRpmMez"},
  {FieldId::kIdleTpsRange,                292, B,  1, "IDLE",                     1,    0, kFree,                                   H::kControl, "UpDownIdleTpsMez"},
  {FieldId::kIdleInverse,                 293, B,  1, "IDLE",                     1,    0, kFree,                                   H::kControl, "CheckBoxIdleSmerReg"},
  {FieldId::kIdleStepPulse,               294, B,  1, "IDLE",                   250,    0, {.notAbove = FieldId::kIdleStepPeriod, .rule = LimitRule::kBikeException}, H::kControl, "UpDownIdleStepPuls"},
  {FieldId::kIdleStepPeriod,              295, B,  1, "IDLE",                     1,    0, kFree,                                   H::kControl, "UpDownIdleStepPerioda"},
  {FieldId::kIdleHysteresis,              296, B,  1, "IDLE",                    10,    0, kFree,                                   H::kControl, "UpDownIdleHyster"},
  {FieldId::kIdleControlBand,             297, B,  1, "IDLE_CONTROL_BAND",       10,    0, {.min = 1, .max = 50, .rule = LimitRule::kAboveIdleHysteresis}, H::kControl, "UpDownIdleControlBand"},
  {FieldId::kIdlePosition,                298, W,  9, "IDLE",                     1,    0, kFree,                                   H::kSheet,   "idle position sheet"},
  {FieldId::kIdleAdvanceOn,               317, B,  1, "IDLE",                     1,    0, kFree,                                   H::kControl, "CheckBoxIdleAdvOn"},
  {FieldId::kIdleAdvancePerRpm,           318, B,  1, "IDLE",                     1,    0, kFree,                                   H::kControl, "UpDownIdleAdvNaRpm"},
  {FieldId::kIdleAdvancePerTime,          319, B,  1, "IDLE",                     1,    0, kFree,                                   H::kControl, "UpDownIdleAdvNaCas"},
  {FieldId::kIdleMaxAdvance,              320, B,  1, "IDLE",                     1,    0, kFree,                                   H::kControl, "UpDownIdleMaxAdv"},
  {FieldId::kIdleDesiredRpm,              321, B,  9, "IDLE",                    50,    0, kFree,                                   H::kSheet,   "idle advance speed sheet"},
  {FieldId::kIdleStartTime,               330, W,  1, "IDLE",                     1,    0, kFree,                                   H::kControl, "UpDownIdleStart"},
  {FieldId::kAccKPlus,                    332, W,  1, "ACC_CORR",                 1,    0, kFree,                                   H::kControl, "UpDownAccKPlus"},
  {FieldId::kAccKMinus,                   334, W,  1, "ACC_CORR",                 1,    0, kFree,                                   H::kControl, "UpDownAccKMinus"},
  {FieldId::kAccT100,                     336, W,  1, "ACC_CORR",                 1,    0, kFree,                                   H::kControl, "UpDownAccT100"},
  {FieldId::kAccT0,                       338, W,  1, "ACC_CORR",                 1,    0, kFree,                                   H::kControl, "UpDownAccT0"},
  {FieldId::kTuningMode,                  340, B,  1, "TUNING",                   1,    0, kFree,                                   H::kControl, "RadioGroupLadeniMode"},
  {FieldId::kTuningByTls,                 341, B,  1, "TUNING",                   1,    0, kFree,                                   H::kControl, "RadioGroupLadeniOnByTLS"},
  {FieldId::kTuningAfrTolerance,          344, B,  1, "TUNING",                   1,    0, kFree,                                   H::kControl, "UpDownLadeniHyster"},
  {FieldId::kTuningRpmTolerance,          345, B,  1, "TUNING",                  10,    0, kFree,                                   H::kControl, "UpDownLadeniRpm"},
  {FieldId::kTuningTpsTolerance,          346, B,  1, "TUNING",                   1,    0, kFree,                                   H::kControl, "UpDownLadeniTps"},
  {FieldId::kTuningRevsPerStep,           347, B,  1, "TUNING",                   1,    0, kFree,                                   H::kControl, "UpDownLadeniCas"},
  {FieldId::kTuningStep,                  348, B,  1, "TUNING",                   1,    0, kFree,                                   H::kControl, "UpDownLadeniKrok"},
  {FieldId::kTuningChannel,               350, B,  1, "TUNING",                   1,    0, {.rule = LimitRule::kTunedChannel},      H::kControl, "UpDownLadeniKanal"},
  {FieldId::kTuningMaxAcc,                351, B,  1, "TUNING",                   1,    0, kFree,                                   H::kControl, "UpDownLadeniMaxAcc"},
  {FieldId::kLambdaType,                  352, B,  1, "SENSOR_LAMBDA",            1,    0, kFree,                                   H::kControl, "RadioGroupCidloLambdaMode"},
  {FieldId::kLambdaAfrPoints,             353, B,  5, "SENSOR_LAMBDA",            1,    0, Rising(0, 250),                          H::kSheet,   "lambda sensor sheet, axis"},
  {FieldId::kLambdaVoltages,              358, SW, 5, "SENSOR_LAMBDA",            1,    0, {.min = 0, .max = 5000, .order = Order::kByLambdaType}, H::kSheet, "lambda sensor sheet, values"},
  {FieldId::kLambdaTachoAfr,              368, B,  2, "LAMBDA_TACHO",             1,    0, Rising(0, 250),                          H::kControl, "lambda tacho edits, \"AFR [x10]\""},
  {FieldId::kLambdaTachoRpm,              370, B,  2, "LAMBDA_TACHO",           100,    0, Range(1, 250),                           H::kControl, "lambda tacho edits, \"Rpm\""},
  {FieldId::kLambdaBar,                   372, B,  4, "LAMBDA_BAR",               1,    0, Rising(0, 250),                          H::kControl, "UpDownLambdaBar0 to UpDownLambdaBar3"},
  {FieldId::kTestRpm,                     376, B,  1, "TEST_OUT",               100,    0, kFree,                                   H::kControl, "UpDownTestRpm"},
  {FieldId::kTestServo,                   377, B,  1, "TEST_OUT",                10,    0, kFree,                                   H::kControl, "UpDownTestServo"},
  {FieldId::kTuningAfrMin,                378, B,  1, "TUNING",                   1,    0, kFree,                                   H::kControl, "UpDownLadeniLambdaMin"},
  {FieldId::kTuningAfrMax,                379, B,  1, "TUNING",                   1,    0, kFree,                                   H::kControl, "UpDownLadeniLambdaMax"},
  {FieldId::kTuningTpsMin,                380, B,  1, "TUNING",                   1,    0, kFree,                                   H::kControl, "UpDownLadeniTpsMin"},
  {FieldId::kTuningRpmMin,                381, B,  1, "TUNING",                 100,    0, kFree,                                   H::kControl, "UpDownLadeniRpmMin"},
  {FieldId::kTuningTempMin,               382, B,  1, "TUNING",                   1, -100, kFree,                                   H::kControl, "UpDownLadeniTempMin"},
  {FieldId::kTuningTempMax,               383, B,  1, "TUNING",                   1, -100, kFree,                                   H::kControl, "UpDownLadeniTempMax"},
  {FieldId::kIapPressureAxis,             384, SW,10, "IAP_IAP",                  1,    0, Rising(0, 1000),                         H::kMap,     "IAP injection sheet, axis"},
  {FieldId::kSpeedOutCorrection,          404, B,  1, "SPEED_OUT_COR",            1,    0, kFree,                                   H::kControl, "UpDownSpeedOutCorrection"},
  {FieldId::kPositionAAxis,               405, B, 15, "POSITION_A",             100,    0, Rising(1, 250),                          H::kSheet,   "position A sheet"},
  {FieldId::kPositionA,                   420, B, 15, "POSITION_A",               5,    0, kFree,                                   H::kSheet,   "position A sheet"},
  {FieldId::kPositionBAxis,               435, B, 15, "POSITION_B",             100,    0, Rising(1, 250),                          H::kSheet,   "position B sheet"},
  {FieldId::kPositionB,                   450, B, 15, "POSITION_B",               5,    0, kFree,                                   H::kSheet,   "position B sheet"},
};
// clang-format on
}  // namespace field_table

inline constexpr std::span<const FieldInfo> kFieldCatalogue{field_table::kFields};

constexpr bool FieldIdsFollowTable() {
  if (kFieldCatalogue.size() != kFieldCount) return false;
  for (std::size_t i = 0; i < kFieldCatalogue.size(); ++i)
    if (static_cast<std::size_t>(kFieldCatalogue[i].id) != i) return false;
  return true;
}
static_assert(FieldIdsFollowTable(), "field table out of step with FieldId");

constexpr const FieldInfo& Field(FieldId id) { return kFieldCatalogue[static_cast<std::size_t>(id)]; }

constexpr bool IsWord(FieldWidth w) { return w == FieldWidth::kWord || w == FieldWidth::kSignedWord; }
constexpr bool IsSigned(FieldWidth w) { return w == FieldWidth::kSignedByte || w == FieldWidth::kSignedWord; }
constexpr std::size_t ElementSize(FieldWidth w) { return IsWord(w) ? 2 : 1; }

// Image offset of element `index` of a field.
constexpr std::size_t ElementOffset(const FieldInfo& f, int index = 0) {
  return f.offset + ElementSize(f.width) * static_cast<std::size_t>(index);
}
constexpr std::size_t ElementOffset(FieldId id, int index = 0) { return ElementOffset(Field(id), index); }
constexpr std::size_t WordIndex(const FieldInfo& f) { return f.offset / 2; }
// One past the last byte of the field.
constexpr std::size_t FieldEnd(const FieldInfo& f) { return ElementOffset(f, f.count); }

// Raw value of one element at image offset `offset`, sign-extended only for signed widths.
std::int32_t ReadRaw(const ConfigImage& image, std::size_t offset, FieldWidth width);
// Stores the low 8 or 16 bits of `raw`.
void WriteRaw(ConfigImage& image, std::size_t offset, FieldWidth width, std::int64_t raw);

inline std::int32_t ReadRaw(const ConfigImage& image, FieldId id, int index = 0) {
  return ReadRaw(image, ElementOffset(id, index), Field(id).width);
}
inline void WriteRaw(ConfigImage& image, FieldId id, int index, std::int64_t raw) {
  WriteRaw(image, ElementOffset(id, index), Field(id).width, raw);
}

// raw × scale + offset
std::int32_t ToShown(const FieldInfo& f, std::int32_t raw);
// (shown − offset) / scale truncated toward zero, not yet cut to the field's width.
std::int64_t ToRaw(const FieldInfo& f, std::int32_t shown);

// Number of parameter values: one per element of every field.
constexpr std::size_t CountFieldValues() {
  std::size_t n = 0;
  for (const auto& f : kFieldCatalogue) n += f.count;
  return n;
}
constexpr std::size_t kFieldValueCount = CountFieldValues();

// Index of a field's first value in the flat parameter value array.
constexpr std::array<std::uint16_t, kFieldCount> FieldValueStarts() {
  std::array<std::uint16_t, kFieldCount> starts{};
  std::uint16_t n = 0;
  for (std::size_t i = 0; i < kFieldCount; ++i) {
    starts[i] = n;
    n = static_cast<std::uint16_t>(n + kFieldCatalogue[i].count);
  }
  return starts;
}
inline constexpr std::array<std::uint16_t, kFieldCount> kFieldValueStart = FieldValueStarts();
