#include "image/PageBindings.h"

#include <algorithm>
#include <iterator>
#include <string>

#include "image/Pages.h"

namespace {

constexpr ControlBinding UpDown(int page, const char* name, FieldId field, std::int32_t min, std::int32_t max,
                                std::int32_t step = 1) {
  return {page, name, field, 0, ControlKind::kUpDown, min, max, step};
}
// One element of a field of several.
constexpr ControlBinding UpDownAt(int page, const char* name, FieldId field, int element, std::int32_t min,
                                  std::int32_t max, std::int32_t step = 1) {
  return {page, name, field, element, ControlKind::kUpDown, min, max, step};
}
constexpr ControlBinding Check(int page, const char* name, FieldId field) {
  return {page, name, field, 0, ControlKind::kCheckBox};
}
constexpr ControlBinding Radio(int page, const char* name, FieldId field) {
  return {page, name, field, 0, ControlKind::kRadioGroup};
}

using F = FieldId;

// Names of the added controls follow one scheme: "UpDown" + group + column +
// row number, the row counted as the page shows it (gears from 0 or 1, lambda
// tacho rows from 1).
//
// Rows are grouped by page in ascending order (checked below), so that a page
// is one span of the table. The base advance and the IAP cylinder corrections
// are narrowed to what their bytes hold, like UpDownLadeniMaxAcc: a typed
// value beyond the byte keeps only its low bits and would reach the unit in
// the next status frame (a base advance of -5 became 251, normalised to 40).
// clang-format off
constexpr ControlBinding kBindings[] = {
  // Bike
  Check   (kPageBike,        "CheckBoxFallEnable",        F::kFallDisable),  // bound directly: checked = byte 22 not 0
  Check   (kPageBike,        "CheckBoxBlokEnable",        F::kBlockingEnable),
  Check   (kPageBike,        "CheckBoxAktFall",           F::kFallActiveClosing),
  Check   (kPageBike,        "CheckBoxAktClutch",         F::kClutchActiveClosing),
  Check   (kPageBike,        "CheckBoxAktStartLimiter",   F::kStartLimiterActiveClosing),
  Check   (kPageBike,        "CheckBoxAktRpm",            F::kTachoLambdaActiveClosing),
  UpDown  (kPageBike,        "UpDownStartLimiter1",       F::kStartLimiter1,                  100, 25000,   100),
  UpDown  (kPageBike,        "UpDownIgnLimiter",          F::kIgnitionLimiter,                100, 25000,   100),
  UpDown  (kPageBike,        "UpDownJetLimiter",          F::kInjectionLimiter,               100, 25000,   100),
  UpDown  (kPageBike,        "UpDownRetardLimiterRpm",    F::kRetardLimiterRpm,               100, 25000,   100),
  UpDown  (kPageBike,        "UpDownRetardLimiterAdv",    F::kRetardLimiterSlope,               1,   250),
  UpDown  (kPageBike,        "UpDownStartLimiter2",       F::kStartLimiter2,                  100, 25000,   100),
  UpDown  (kPageBike,        "UpDownStartLimiterDelay",   F::kStartLimiterDelay,                0, 25000,   100),
  UpDown  (kPageBike,        "UpDownChlazeni",            F::kCoolingWarning,                   0,   150),
  UpDown  (kPageBike,        "UpDownRpmPulsu",            F::kTachoPulses,                      0,     6),
  UpDown  (kPageBike,        "UpDownRpmKorekce",          F::kTachoCorrection,                -60,    60),
  UpDown  (kPageBike,        "UpDownIntakePortRpm",       F::kIntakePortRpm,                  100, 25000,   100),
  UpDown  (kPageBike,        "UpDownDwell",               F::kDwell,                          100, 10000,   100),
  UpDownAt(kPageBike,        "UpDownLambdaTachoAfr1",     F::kLambdaTachoAfr,            0,   100,   200),
  UpDownAt(kPageBike,        "UpDownLambdaTachoAfr2",     F::kLambdaTachoAfr,            1,   100,   200),
  UpDownAt(kPageBike,        "UpDownLambdaTachoRpm1",     F::kLambdaTachoRpm,            0,     0, 25000,   100),
  UpDownAt(kPageBike,        "UpDownLambdaTachoRpm2",     F::kLambdaTachoRpm,            1,     0, 25000,   100),

  // Advance
  UpDown  (kPageAdvance,     "UpDownBaseAdvance",         F::kBaseAdvance,                      0,    40),
  UpDownAt(kPageAdvance,     "UpDownAdvKor1",             F::kAdvanceCylinderCorrection, 0,   -15,    15),
  UpDownAt(kPageAdvance,     "UpDownAdvKor2",             F::kAdvanceCylinderCorrection, 1,   -15,    15),
  UpDownAt(kPageAdvance,     "UpDownAdvKor3",             F::kAdvanceCylinderCorrection, 2,   -15,    15),
  UpDownAt(kPageAdvance,     "UpDownAdvKor4",             F::kAdvanceCylinderCorrection, 3,   -15,    15),

  // Injection
  UpDown  (kPageInjection,   "UpDownIapTpsMin",           F::kIapTpsMin,                        0,   101),
  UpDown  (kPageInjection,   "UpDownIapTpsMax",           F::kIapTpsMax,                        0,   101),
  UpDown  (kPageInjection,   "UpDownIapRpmMin",           F::kIapRpmMin,                        0, 25000,   100),
  UpDown  (kPageInjection,   "UpDownIapRpmMax",           F::kIapRpmMax,                        0, 25000,   100),
  UpDownAt(kPageInjection,   "UpDownIapKor1",             F::kIapCylinderCorrection,     0,     0,   255,     5),
  UpDownAt(kPageInjection,   "UpDownIapKor2",             F::kIapCylinderCorrection,     1,     0,   255,     5),
  UpDownAt(kPageInjection,   "UpDownIapKor3",             F::kIapCylinderCorrection,     2,     0,   255,     5),
  UpDownAt(kPageInjection,   "UpDownIapKor4",             F::kIapCylinderCorrection,     3,     0,   255,     5),

  // Corrections
  UpDown  (kPageCorrections, "UpDownAkcelPrah",           F::kAccelThreshold,                  10,  2500,    10),
  UpDown  (kPageCorrections, "UpDownAkcelJet",            F::kAccelSize,                        0,  7500,    50),
  UpDown  (kPageCorrections, "UpDownStartJet",            F::kStartInjection,                   0,    50),
  UpDown  (kPageCorrections, "UpDownAccKPlus",            F::kAccKPlus,                         0, 30000),
  UpDown  (kPageCorrections, "UpDownAccKMinus",           F::kAccKMinus,                        0, 30000),
  UpDown  (kPageCorrections, "UpDownAccT100",             F::kAccT100,                         10, 30000,    10),
  UpDown  (kPageCorrections, "UpDownAccT0",               F::kAccT0,                           10, 30000,    10),

  // Sensors
  UpDown  (kPageSensors,     "UpDownTps0",                F::kTps0,                             0,  2500,    10),
  UpDown  (kPageSensors,     "UpDownTps100",              F::kTps100,                        2500,  5000,    10),
  Radio   (kPageSensors,     "RadioGroupCidloLambdaMode", F::kLambdaType),
  Radio   (kPageSensors,     "RadioGroupPotencMode",      F::kPotentiometerMode),
  UpDown  (kPageSensors,     "UpDownPotencRozsah",        F::kPotentiometerRange,               0,    60),
  Radio   (kPageSensors,     "RadioGroupPolCKPS",         F::kCrankPolarity),

  // Servo: a set of controls per servo, the page shows the active servo's
  Check   (kPageServo,       "CheckBoxServoInEnable",     F::kInServoEnable),
  Check   (kPageServo,       "CheckBoxServoInPercent",    F::kInServoPercent),
  UpDown  (kPageServo,       "UpDownServoInP",            F::kInServoP,                         0,  1000,     5),
  Check   (kPageServo,       "CheckBoxServoInStepMotor",  F::kInServoStepMotor),
  UpDown  (kPageServo,       "UpDownServoInPeriod",       F::kStepMotorPeriod,                  1,   100),
  UpDown  (kPageServo,       "UpDownServoInExcitation",   F::kStepMotorExcitation,            250, 25000,   250),
  UpDown  (kPageServo,       "UpDownServoInI",            F::kInServoI,                         0,   250),
  UpDown  (kPageServo,       "UpDownServoInD",            F::kInServoD,                         0,   250),
  UpDown  (kPageServo,       "UpDownServoInIOff",         F::kInServoIOff,                      0,   250),
  UpDown  (kPageServo,       "UpDownServoInDOff",         F::kInServoDOff,                      0,   250),
  UpDown  (kPageServo,       "UpDownServoInO",            F::kInServoO,                         0,   250),
  Check   (kPageServo,       "CheckBoxServoExEnable",     F::kExServoEnable),
  Check   (kPageServo,       "CheckBoxServoExPercent",    F::kExServoPercent),
  UpDown  (kPageServo,       "UpDownServoExP",            F::kExServoP,                         0,  1000,     5),
  UpDown  (kPageServo,       "UpDownServoExI",            F::kExServoI,                         0,   250),
  UpDown  (kPageServo,       "UpDownServoExD",            F::kExServoD,                         0,   250),
  UpDown  (kPageServo,       "UpDownServoExIOff",         F::kExServoIOff,                      0,   250),
  UpDown  (kPageServo,       "UpDownServoExDOff",         F::kExServoDOff,                      0,   250),

  // Race
  Radio   (kPageRace,        "RadioGroupClutchMode",      F::kClutchMode),
  UpDown  (kPageRace,        "UpDownClutchMinRpm",        F::kClutchMinRpm,                  1000, 25000,   100),
  UpDown  (kPageRace,        "UpDownClutchJet",           F::kClutchInjection,                  0,   100),
  UpDown  (kPageRace,        "UpDownClutchAdv",           F::kClutchAdvance,                  -60,    60),
  Check   (kPageRace,        "CheckBoxTempDisplay",       F::kTempDisplay),
  Check   (kPageRace,        "CheckBoxPilotLightInvOut",  F::kPilotInvertedOut),
  UpDown  (kPageRace,        "UpDownPitSpeed",            F::kPitSpeed,                        20,   200),
  UpDown  (kPageRace,        "UpDownPitRetardP",          F::kPitRetardP,                       0,   250),
  UpDown  (kPageRace,        "UpDownPitRetardI",          F::kPitRetardI,                       0,   250),
  UpDown  (kPageRace,        "UpDownPitMinAdv",           F::kPitMinAdvance,                  -60,    60),
  UpDown  (kPageRace,        "UpDownPitMinRpm",           F::kPitMinRpm,                      600, 25000,   100),
  // gear table, gears 1..6
  UpDownAt(kPageRace,        "UpDownRacePilotFirst1",     F::kPilotFirstSpeed,           0,   100, 25000,   100),
  UpDownAt(kPageRace,        "UpDownRacePilotFirst2",     F::kPilotFirstSpeed,           1,   100, 25000,   100),
  UpDownAt(kPageRace,        "UpDownRacePilotFirst3",     F::kPilotFirstSpeed,           2,   100, 25000,   100),
  UpDownAt(kPageRace,        "UpDownRacePilotFirst4",     F::kPilotFirstSpeed,           3,   100, 25000,   100),
  UpDownAt(kPageRace,        "UpDownRacePilotFirst5",     F::kPilotFirstSpeed,           4,   100, 25000,   100),
  UpDownAt(kPageRace,        "UpDownRacePilotFirst6",     F::kPilotFirstSpeed,           5,   100, 25000,   100),
  UpDownAt(kPageRace,        "UpDownRacePilotSecond1",    F::kPilotSecondSpeed,          0,   100, 25000,   100),
  UpDownAt(kPageRace,        "UpDownRacePilotSecond2",    F::kPilotSecondSpeed,          1,   100, 25000,   100),
  UpDownAt(kPageRace,        "UpDownRacePilotSecond3",    F::kPilotSecondSpeed,          2,   100, 25000,   100),
  UpDownAt(kPageRace,        "UpDownRacePilotSecond4",    F::kPilotSecondSpeed,          3,   100, 25000,   100),
  UpDownAt(kPageRace,        "UpDownRacePilotSecond5",    F::kPilotSecondSpeed,          4,   100, 25000,   100),
  UpDownAt(kPageRace,        "UpDownRacePilotSecond6",    F::kPilotSecondSpeed,          5,   100, 25000,   100),
  UpDownAt(kPageRace,        "UpDownRaceClutchTime1",     F::kClutchTime,                0,     0,  1250,     5),
  UpDownAt(kPageRace,        "UpDownRaceClutchTime2",     F::kClutchTime,                1,     0,  1250,     5),
  UpDownAt(kPageRace,        "UpDownRaceClutchTime3",     F::kClutchTime,                2,     0,  1250,     5),
  UpDownAt(kPageRace,        "UpDownRaceClutchTime4",     F::kClutchTime,                3,     0,  1250,     5),
  UpDownAt(kPageRace,        "UpDownRaceClutchTime5",     F::kClutchTime,                4,     0,  1250,     5),
  UpDownAt(kPageRace,        "UpDownRaceClutchTime6",     F::kClutchTime,                5,     0,  1250,     5),
  UpDownAt(kPageRace,        "UpDownRaceClutchPause1",    F::kClutchPause,               0,     0,  2500,   100),
  UpDownAt(kPageRace,        "UpDownRaceClutchPause2",    F::kClutchPause,               1,     0,  2500,   100),
  UpDownAt(kPageRace,        "UpDownRaceClutchPause3",    F::kClutchPause,               2,     0,  2500,   100),
  UpDownAt(kPageRace,        "UpDownRaceClutchPause4",    F::kClutchPause,               3,     0,  2500,   100),
  UpDownAt(kPageRace,        "UpDownRaceClutchPause5",    F::kClutchPause,               4,     0,  2500,   100),
  UpDownAt(kPageRace,        "UpDownRaceClutchPause6",    F::kClutchPause,               5,     0,  2500,   100),

  // Gear
  Radio   (kPageGear,        "RadioGroupGearSystem",      F::kGearSystem),
  UpDown  (kPageGear,        "UpDownPocetGear",           F::kGearCount,                        1,     6),
  UpDownAt(kPageGear,        "UpDownGearVoltage0",        F::kGearVoltage,               0,     0,  5000),
  UpDownAt(kPageGear,        "UpDownGearVoltage1",        F::kGearVoltage,               1,     0,  5000),
  UpDownAt(kPageGear,        "UpDownGearVoltage2",        F::kGearVoltage,               2,     0,  5000),
  UpDownAt(kPageGear,        "UpDownGearVoltage3",        F::kGearVoltage,               3,     0,  5000),
  UpDownAt(kPageGear,        "UpDownGearVoltage4",        F::kGearVoltage,               4,     0,  5000),
  UpDownAt(kPageGear,        "UpDownGearVoltage5",        F::kGearVoltage,               5,     0,  5000),
  UpDownAt(kPageGear,        "UpDownGearVoltage6",        F::kGearVoltage,               6,     0,  5000),
  UpDownAt(kPageGear,        "UpDownGearRatio1",          F::kGearRatio,                 0,     1, 32000),
  UpDownAt(kPageGear,        "UpDownGearRatio2",          F::kGearRatio,                 1,     1, 32000),
  UpDownAt(kPageGear,        "UpDownGearRatio3",          F::kGearRatio,                 2,     1, 32000),
  UpDownAt(kPageGear,        "UpDownGearRatio4",          F::kGearRatio,                 3,     1, 32000),
  UpDownAt(kPageGear,        "UpDownGearRatio5",          F::kGearRatio,                 4,     1, 32000),
  UpDownAt(kPageGear,        "UpDownGearRatio6",          F::kGearRatio,                 5,     1, 32000),
  UpDownAt(kPageGear,        "UpDownGearKorAdvance1",     F::kGearAdvanceCorr,           0,   -20,    20),
  UpDownAt(kPageGear,        "UpDownGearKorAdvance2",     F::kGearAdvanceCorr,           1,   -20,    20),
  UpDownAt(kPageGear,        "UpDownGearKorAdvance3",     F::kGearAdvanceCorr,           2,   -20,    20),
  UpDownAt(kPageGear,        "UpDownGearKorAdvance4",     F::kGearAdvanceCorr,           3,   -20,    20),
  UpDownAt(kPageGear,        "UpDownGearKorAdvance5",     F::kGearAdvanceCorr,           4,   -20,    20),
  UpDownAt(kPageGear,        "UpDownGearKorAdvance6",     F::kGearAdvanceCorr,           5,   -20,    20),
  UpDownAt(kPageGear,        "UpDownGearKorInjection1",   F::kGearInjectionCorr,         0,     0,   250),
  UpDownAt(kPageGear,        "UpDownGearKorInjection2",   F::kGearInjectionCorr,         1,     0,   250),
  UpDownAt(kPageGear,        "UpDownGearKorInjection3",   F::kGearInjectionCorr,         2,     0,   250),
  UpDownAt(kPageGear,        "UpDownGearKorInjection4",   F::kGearInjectionCorr,         3,     0,   250),
  UpDownAt(kPageGear,        "UpDownGearKorInjection5",   F::kGearInjectionCorr,         4,     0,   250),
  UpDownAt(kPageGear,        "UpDownGearKorInjection6",   F::kGearInjectionCorr,         5,     0,   250),
  UpDown  (kPageGear,        "UpDownGearAutoTime",        F::kGearAutoTime,                     1,   100),
  UpDown  (kPageGear,        "UpDownGearAutoRpm",         F::kGearAutoRpm,                    300, 25000,   100),
  UpDown  (kPageGear,        "UpDownGearAutoTps",         F::kGearAutoTps,                      0,   100),
  UpDown  (kPageGear,        "UpDownGearAutoBand",        F::kGearAutoBand,                     1,   100),
  Radio   (kPageGear,        "RadioGroupSpeedMode",       F::kSpeedMode),
  UpDown  (kPageGear,        "UpDownPulsuProSpeed",       F::kSpeedPulses,                      1, 32000),
  UpDown  (kPageGear,        "UpDownSpeedOutCorrection",  F::kSpeedOutCorrection,               1,   250),

  // Idle
  Radio   (kPageIdle,        "RadioGroupIdleMode",        F::kIdleType),
  Check   (kPageIdle,        "CheckBoxIdleSmerReg",       F::kIdleInverse),
  UpDown  (kPageIdle,        "UpDownIdleStepPuls",        F::kIdleStepPulse,                  250, 25000,   250),
  UpDown  (kPageIdle,        "UpDownIdleStepPerioda",     F::kIdleStepPeriod,                   1,   250),
  UpDown  (kPageIdle,        "UpDownIdleStart",           F::kIdleStartTime,                    0, 30000,    10),
  Check   (kPageIdle,        "CheckBoxIdleAdvOn",         F::kIdleAdvanceOn),
  UpDown  (kPageIdle,        "UpDownIdleAdvNaRpm",        F::kIdleAdvancePerRpm,                1,   100),
  UpDown  (kPageIdle,        "UpDownIdleAdvNaCas",        F::kIdleAdvancePerTime,               0,   250),
  UpDown  (kPageIdle,        "UpDownIdleMaxAdv",          F::kIdleMaxAdvance,                   1,   100),
  UpDown  (kPageIdle,        "UpDownIdleRpmMez",          F::kIdleRpmRange,                   300, 20000,   100),
  UpDown  (kPageIdle,        "UpDownIdleTpsMez",          F::kIdleTpsRange,                     1,   100),
  UpDown  (kPageIdle,        "UpDownIdleHyster",          F::kIdleHysteresis,                   0,  2500,    10),
  UpDown  (kPageIdle,        "UpDownIdleControlBand",     F::kIdleControlBand,                 10,   500,    10),

  // N2O
  Check   (kPageN2o,         "CheckBoxGas",               F::kGasEnable),
  UpDown  (kPageN2o,         "UpDownGas1",                F::kGasStage1,                        0,   100),
  UpDown  (kPageN2o,         "UpDownGas2",                F::kGasStage2,                        0,   100),
  UpDown  (kPageN2o,         "UpDownGasD",                F::kGasDelay,                         0, 25500,   100),
  UpDown  (kPageN2o,         "UpDownGasT",                F::kGasBuildUp,                       0, 25500,   100),
  UpDown  (kPageN2o,         "UpDownGasJetKor1",          F::kGasInjectionCorr1,              100,   350),
  UpDown  (kPageN2o,         "UpDownGasJetKor2",          F::kGasInjectionCorr2,              100,   350),
  UpDown  (kPageN2o,         "UpDownRetard1",             F::kRetard1,                          0,    25),
  UpDown  (kPageN2o,         "UpDownRetard2",             F::kRetard2,                          0,    25),
  UpDown  (kPageN2o,         "UpDownRetardD",             F::kRetardDelay,                      0, 25500,   100),
  UpDown  (kPageN2o,         "UpDownRetardT",             F::kRetardBuildUp,                    0, 25500,   100),
  UpDown  (kPageN2o,         "UpDownN2O_RPMmin",          F::kN2oRpmMin,                        0, 25000,   100),
  UpDown  (kPageN2o,         "UpDownN2O_TPSmin",          F::kN2oTpsMin,                        0,   100),

  // Tuning
  Radio   (kPageTuning,      "RadioGroupLadeniMode",      F::kTuningMode),
  Radio   (kPageTuning,      "RadioGroupLadeniOnByTLS",   F::kTuningByTls),
  UpDown  (kPageTuning,      "UpDownLadeniHyster",        F::kTuningAfrTolerance,               0,    50),
  UpDown  (kPageTuning,      "UpDownLadeniRpm",           F::kTuningRpmTolerance,              10,  2000,    10),
  UpDown  (kPageTuning,      "UpDownLadeniTps",           F::kTuningTpsTolerance,               1,    20),
  UpDown  (kPageTuning,      "UpDownLadeniCas",           F::kTuningRevsPerStep,                1,   250),
  UpDown  (kPageTuning,      "UpDownLadeniKrok",          F::kTuningStep,                       1,   250),
  // the page rules lower the maximum to the number of cylinders
  UpDown  (kPageTuning,      "UpDownLadeniKanal",         F::kTuningChannel,                    1,     4),
  // a byte: a wider range would keep only the low bits of a typed value
  UpDown  (kPageTuning,      "UpDownLadeniMaxAcc",        F::kTuningMaxAcc,                     0,   255),
  UpDown  (kPageTuning,      "UpDownLadeniLambdaMin",     F::kTuningAfrMin,                     0,   250),
  UpDown  (kPageTuning,      "UpDownLadeniLambdaMax",     F::kTuningAfrMax,                     0,   250),
  UpDown  (kPageTuning,      "UpDownLadeniTpsMin",        F::kTuningTpsMin,                     0,   100),
  UpDown  (kPageTuning,      "UpDownLadeniRpmMin",        F::kTuningRpmMin,                     0, 25000,   100),
  UpDown  (kPageTuning,      "UpDownLadeniTempMin",       F::kTuningTempMin,                  -30,   150),
  UpDown  (kPageTuning,      "UpDownLadeniTempMax",       F::kTuningTempMax,                  -30,   150),

  // Monitor
  UpDownAt(kPageMonitor,     "UpDownLambdaBar0",          F::kLambdaBar,                 0,   100,   200),
  UpDownAt(kPageMonitor,     "UpDownLambdaBar1",          F::kLambdaBar,                 1,   100,   200),
  UpDownAt(kPageMonitor,     "UpDownLambdaBar2",          F::kLambdaBar,                 2,   100,   200),
  UpDownAt(kPageMonitor,     "UpDownLambdaBar3",          F::kLambdaBar,                 3,   100,   200),

  // Test
  UpDown  (kPageTest,        "UpDownTestRpm",             F::kTestRpm,                        200, 25000,   100),
  UpDown  (kPageTest,        "UpDownTestServo",           F::kTestServo,                       10,  2500,    10),
};
// clang-format on

constexpr bool GroupedByPage() {
  for (std::size_t i = 1; i < std::size(kBindings); ++i)
    if (kBindings[i].page < kBindings[i - 1].page) return false;
  return true;
}
static_assert(GroupedByPage(), "a page's bindings must be one span of the table");

constexpr std::string_view kUpDownPrefix = "UpDown";

}  // namespace

std::span<const ControlBinding> PageBindings() { return kBindings; }

std::span<const ControlBinding> BindingsOfPage(int page) {
  const auto [first, last] = std::ranges::equal_range(kBindings, page, {}, &ControlBinding::page);
  return {first, last};
}

const ControlBinding* FindBinding(std::string_view name) {
  const auto it = std::ranges::find(kBindings, name, [](const ControlBinding& b) { return std::string_view(b.name); });
  return it == std::end(kBindings) ? nullptr : &*it;
}

std::string FieldEditName(std::string_view upDownName) {
  if (!upDownName.starts_with(kUpDownPrefix) || upDownName.size() == kUpDownPrefix.size()) return {};
  return "Edit" + std::string(upDownName.substr(kUpDownPrefix.size()));
}

void ReadPage(int page, const IControlValues& controls, CParamSet& params) {
  for (const ControlBinding& control : BindingsOfPage(page)) {
    const std::optional<std::int32_t> shown = controls.Get(control);
    if (!shown) continue;
    std::int32_t& value = params.Value(control.field, control.element);
    switch (control.kind) {
      case ControlKind::kUpDown:
        value = *shown;
        break;
      case ControlKind::kCheckBox:
        // Any non-zero byte reads as on: only a changed state may replace it.
        if ((*shown != 0) != (value != 0)) value = *shown != 0 ? 1 : 0;
        break;
      case ControlKind::kRadioGroup:
        if (*shown >= 0) value = *shown;
        break;
    }
  }
}

void WritePage(int page, const CParamSet& params, IControlValues& controls) {
  for (const ControlBinding& control : BindingsOfPage(page)) {
    const std::int32_t value = params.Value(control.field, control.element);
    controls.Set(control, control.kind == ControlKind::kCheckBox ? (value != 0 ? 1 : 0) : value);
  }
}
