#include "image/BikeDefaults.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>

#include "image/BikeTables.h"
#include "image/BikeTypes.h"
#include "image/FieldCatalogue.h"
#include "image/InjectionCoupling.h"
#include "image/MapCatalogue.h"
#include "image/MapLoad.h"
#include "image/MapStorage.h"
#include "image/Note.h"
#include "image/PageRules.h"
#include "image/Pages.h"
#include "image/ParamSet.h"
#include "sheet/TabModel.h"

namespace {

using F = FieldId;

constexpr std::size_t At(int i) { return static_cast<std::size_t>(i); }

// Defaults that are the same for every bike, raw image values.
constexpr std::int32_t kStartCorrectionTimes[] = {5, 10, 15, 20};
constexpr std::int32_t kAdvanceCorrCoolant[] = {110, 110, 100, 100, 95};
constexpr std::int32_t kGearRatios[] = {2000, 1000, 666, 500, 400, 333};
constexpr std::int32_t kGearRatiosOf54[] = {821, 607, 476, 419, 372, 345};
constexpr std::int32_t kGearRatiosOf60[] = {990, 702, 561, 449, 373, 335};
constexpr std::int32_t kGearAuto[] = {3, 15, 20, 40};
constexpr std::int32_t kTuningLimits[] = {100, 200, 0, 8, 140, 205};  // bytes 378-383
constexpr std::int32_t kDesiredAfrAxis[] = {10, 20, 40, 80, 160};
constexpr std::int32_t kDesiredAfrFirst[] = {142, 140, 136, 136, 136, 138, 138};  // then 136
constexpr std::int32_t kDesiredAfrRest = 136;
constexpr std::int32_t kLambdaBar[] = {100, 120, 140, 180};

// The bike lists of the servo page.
constexpr BikeSet kIntakeBySpeedAndThrottle = Bikes({7, 8, 19, 26, 34, 36, 47, 48, 49, 50, 51, 52, 54, 55, 57, 62});
constexpr BikeSet kIntakeServoOn =
    Bikes({7, 8, 11, 12, 13, 14, 17, 19, 20, 23, 26, 27, 34, 36, 41, 47, 48, 49, 50, 51, 52, 54, 55, 57, 62});
constexpr BikeSet kIntakePercent = Bikes({7, 8, 19, 26, 36, 48, 49, 51, 54, 57, 62});
constexpr BikeSet kIntakeStepMotor = Bikes({7, 19, 26, 36, 45, 48, 49, 53, 54, 57, 62});
constexpr BikeSet kIntakeSoftI = Bikes({34, 47, 50, 52, 55});
constexpr BikeSet kExhaustServoOn =
    Bikes({4, 7, 8, 13, 14, 17, 19, 21, 26, 27, 34, 36, 42, 45, 47, 48, 49, 51, 55, 56, 57, 59, 61, 62, 63});
constexpr BikeSet kExhaustPercent = Bikes({8, 19, 36, 48, 51, 57, 62});
struct BikeValue {
  BikeSet bikes;
  std::int32_t value;
};
// The first row that holds the bike, else the last row's value.
template <std::size_t N>
std::int32_t ValueFor(const BikeValue (&rows)[N], int bike) {
  for (const BikeValue& r : rows)
    if (InBikeSet(r.bikes, bike)) return r.value;
  return rows[N - 1].value;
}
constexpr BikeValue kIntakeP[] = {
    {Bikes({7, 19, 26, 48, 49, 51, 54, 62}), 30},
    {Bikes({8, 36}), 60},
    {Bikes({34, 47, 55}), 140},
    {Bikes({45, 53}), 40},
    {Bikes({50, 52}), 200},
    {Bikes({57}), 10},
    {0, 80},
};
constexpr BikeValue kExhaustP[] = {
    {Bikes({7, 8, 19, 36, 45, 48, 51, 53, 57, 62}), 40},
    {Bikes({34, 47, 55}), 60},
    {0, 80},
};

class CDefaults {
 public:
  CDefaults(ConfigImage& image, const DefaultsScope& scope, int bike, const BikeTables& tables)
      : m_image(image), m_scope(scope), m_bike(bike), m_t(tables), m_s(*tables.scalars) {}

  void Apply() {
    DeriveBikeConstants(m_image);
    Set(F::kReserved1, 0);
    if (m_scope.wholeImage) Set(F::kInjectionCoupling, m_s.coupling);
    if (Runs(kPageBike)) BikePage();
    if (Runs(kPageAdvance)) AdvancePage();
    if (Runs(kPageInjection)) InjectionPage();
    if (Runs(kPagePosition)) PositionPage();
    if (Runs(kPageCorrections)) CorrectionsPage();
    if (Runs(kPageSensors)) SensorsPage();
    if (Runs(kPageServo)) ServoPage();
    if (Runs(kPageRace)) RacePage();
    if (Runs(kPageGear)) GearPage();
    if (Runs(kPageIdle)) IdlePage();
    if (Runs(kPageN2o)) N2oPage();
    if (Runs(kPageTuning)) TuningPage();
    if (Runs(kPageMonitor)) SetAll(F::kLambdaBar, kLambdaBar);
    if (Runs(kPageTest)) {
      Set(F::kTestRpm, 50);
      Set(F::kTestServo, 50);
    }
    // Byte 267 of the one-lobe trigger systems follows byte 46, which the
    // advance page has just set.
    DeriveBikeConstants(m_image);
    Set(F::kCrankPolarity, m_s.crankPolarity);
    Set(F::kDwell, m_s.dwell);
  }

 private:
  bool Runs(int page) const { return m_scope.wholeImage || m_scope.page == page; }
  // Whether a part of a page with several maps runs: always for the whole
  // image, else only for the map shown.
  bool ShownPart(int map) const { return m_scope.wholeImage || m_scope.shownMap == map; }

  void Set(FieldId id, std::int32_t raw, int index = 0) { WriteRaw(m_image, id, index, raw); }
  void SetAll(FieldId id, std::int32_t raw) {
    for (int i = 0; i < Field(id).count; ++i) Set(id, raw, i);
  }
  template <std::size_t N>
  void SetAll(FieldId id, const std::int32_t (&values)[N]) {
    static_assert(N > 0);
    for (std::size_t i = 0; i < N; ++i) Set(id, values[i], static_cast<int>(i));
  }
  void SetAll(FieldId id, std::span<const std::int32_t> values, int divisor = 1) {
    for (std::size_t i = 0; i < values.size() && i < Field(id).count; ++i)
      Set(id, values[i] / divisor, static_cast<int>(i));
  }
  std::int32_t Get(FieldId id, int index = 0) const { return ReadRaw(m_image, id, index); }

  void SetSpeedAxis(MapId map, int set) {
    const MapLayout& m = Map(map);
    const SpeedSet& points = SpeedPointSet(set);
    for (int c = 0; c < m.columns; ++c) m_image[m.axisOffset + At(c)] = points[At(c)];
  }
  // Speed points of a servo table (words 1-15, rpm) onto a map's axis.
  void SetServoAxis(MapId map, std::span<const std::int32_t> table) {
    const MapLayout& m = Map(map);
    for (int c = 0; c < m.columns; ++c)
      m_image[m.axisOffset + At(c)] = static_cast<std::uint8_t>(table[At(1 + c)] / 100);
  }
  void SetMapValue(MapId map, int row, int column, std::int64_t raw) {
    const MapLayout& m = Map(map);
    WriteRaw(m_image, MapValueOffset(m, row, column), m.valueWidth, raw);
  }

  void BikePage() {
    Set(F::kFallDisable, 1);
    Set(F::kBlockingEnable, m_s.blockingEnable);
    Set(F::kFallActiveClosing, m_s.fallActiveClosing);
    Set(F::kClutchActiveClosing, 1);
    Set(F::kStartLimiterActiveClosing, 1);
    Set(F::kTachoLambdaActiveClosing, 1);
    Set(F::kCoolingWarning, 100);
    Set(F::kTachoPulses, m_s.tachoPulses);
    Set(F::kTachoCorrection, 100);
    Set(F::kIntakePortRpm, m_bike == 55 ? 100 : 90);
    const std::int32_t limiter = Get(F::kBikeMaxRpm);
    Set(F::kIgnitionLimiter, limiter);
    Set(F::kStartLimiter1, limiter / 2);
    Set(F::kStartLimiter2, limiter / 3 + limiter / 2);
    Set(F::kStartLimiterDelay, 0);
    Set(F::kInjectionLimiter, limiter + 3);
    Set(F::kRetardLimiterRpm, limiter + 3);
    Set(F::kRetardLimiterSlope, 20);
    Set(F::kLambdaTachoAfr, 100, 0);
    Set(F::kLambdaTachoAfr, 200, 1);
    Set(F::kLambdaTachoRpm, 10, 0);
    Set(F::kLambdaTachoRpm, 120, 1);
    std::fill(m_image.begin() + kNoteFirst, m_image.begin() + kNoteLast + 1, 0);
  }

  void AdvancePage() {
    SetSpeedAxis(MapId::kAdvance, m_t.speedSets.advance);
    const MapLayout& m = Map(MapId::kAdvance);
    const bool perRow = m_t.advance.size() >= At(m.rows * m.columns);
    for (int r = 0; r < m.rows; ++r)
      for (int c = 0; c < m.columns; ++c)
        SetMapValue(MapId::kAdvance, r, c, m_t.advance[At((perRow ? r * m.columns : 0) + c)]);
    Set(F::kAdvanceUsesThrottle, 1);
    SetAll(F::kAdvanceCylinderCorrection, 100);
    Set(F::kBaseAdvance, m_s.baseAdvance);
    Set(F::kAdvanceRange, m_bike == 33 ? 40 : m_bike == 44 ? 60 : 50);
  }

  // The injection sheets loaded from the image's axes, with the bike's base
  // tables sampled at their points.
  CTabModel& Injection() {
    if (!m_injection) {
      m_injection.emplace();
      DefineControl(SheetControlId::kInjection, *m_injection, {});
    }
    MapControls controls;
    controls.controls[Index(SheetControlId::kInjection)] = &*m_injection;
    LoadMapSheets(m_image, controls);
    CBikeReferenceTables tables;
    ApplyBaseTables(*m_injection, tables, m_bike);
    return *m_injection;
  }
  // Values of a map := the base of its sheet, in µs.
  void MapFromBase(const CTabModel& injection, MapId map, int sheet) {
    const CSheet& s = injection.Sheet(sheet);
    const MapLayout& m = Map(map);
    for (int r = 0; r < m.rows; ++r)
      for (int c = 0; c < m.columns; ++c) {
        const std::int64_t us = s.cellBase[At(r * kCellStride + c)] / 10;
        SetMapValue(map, r, c, std::clamp<std::int64_t>(us, 0, std::numeric_limits<std::uint16_t>::max()));
      }
  }

  void InjectionPage() {
    constexpr MapId kMaps[] = {MapId::kInjection1, MapId::kInjection2, MapId::kInjection3, MapId::kInjection4};
    if (ShownPart(0)) {
      SetSpeedAxis(MapId::kInjection1, m_t.speedSets.injection);
      MapFromBase(Injection(), MapId::kInjection1, 0);
      if (Get(F::kInjectionCoupling) == 1) {
        for (int k = 1; k < 4; ++k) SetSpeedAxis(kMaps[k], m_t.speedSets.injection);
        const CTabModel& injection = Injection();
        for (int k = 1; k < 4; ++k) MapFromBase(injection, kMaps[k], k);
      }
      const bool late = m_bike == 53 || m_bike == 57;
      Set(F::kIapTpsMin, late ? 3 : 2);
      Set(F::kIapTpsMax, 5);
      Set(F::kIapRpmMin, late ? 30 : 20);
      Set(F::kIapRpmMax, late ? 40 : 30);
    }
    for (int k = 1; k < 4; ++k) {
      if (!ShownPart(k) || Get(F::kInjectionCoupling) != 0) continue;
      SetSpeedAxis(kMaps[k], m_t.speedSets.injection);
      MapFromBase(Injection(), kMaps[k], k);
    }
    if (ShownPart(kInjectionBSheet)) {
      SetSpeedAxis(MapId::kInjectionB, m_t.speedSets.mapB);
      const MapLayout& m = Map(MapId::kInjectionB);
      for (int r = 0; r < m.rows; ++r)
        for (int c = 0; c < m.columns; ++c) SetMapValue(MapId::kInjectionB, r, c, m_t.mapB[At(r * m.columns + c)]);
    }
    if (ShownPart(kInjectionIapSheet)) {
      SetAll(F::kIapPressureAxis, kDefaultIapPressurePoints);
      SetSpeedAxis(MapId::kInjectionIap, m_t.speedSets.iap);
      MapFromBase(Injection(), MapId::kInjectionIap, kInjectionIapSheet);
      SetAll(F::kIapCylinderCorrection, 100);
    }
  }

  void PositionPage() {
    const SpeedSet& points = SpeedPointSet(m_t.speedSets.positions);
    for (int c = 0; c < Field(F::kPositionAAxis).count; ++c) {
      Set(F::kPositionAAxis, points[At(c)], c);
      Set(F::kPositionBAxis, points[At(c)], c);
    }
    SetAll(F::kPositionA, m_t.position.subspan(2, 15), 5);
    SetAll(F::kPositionB, m_t.position.subspan(17, 15), 5);
    Set(F::kPositionARef, m_t.position[0] & 0xFF);
    Set(F::kPositionBRef, m_t.position[1] & 0xFF);
  }

  void CorrectionsPage() {
    SetAll(F::kStartCorrectionTimes, kStartCorrectionTimes);
    const bool own = m_bike == 53;
    Set(F::kStartCorrections, own ? 50 : 150, 0);
    Set(F::kStartCorrections, own ? 20 : 50, 1);
    Set(F::kStartCorrections, own ? 15 : 30, 2);
    Set(F::kStartCorrections, 10, 3);
    Set(F::kAccelThreshold, m_s.accelThreshold);
    Set(F::kAccelSize, m_s.accelSize);
    SetAll(F::kInjectionCorrCoolant, m_t.tempCorrection.first(5));
    SetAll(F::kInjectionCorrAir, m_t.tempCorrection.subspan(5, 5));
    SetAll(F::kAdvanceCorrCoolant, kAdvanceCorrCoolant);
    Set(F::kStartInjection, m_s.startInjection);
    Set(F::kAccKPlus, 30);
    Set(F::kAccKMinus, 40);
    Set(F::kAccT100, 300);
    Set(F::kAccT0, 300);
  }

  void SensorsPage() {
    Set(F::kApsPoint1Pressure, m_t.apSensor[0]);
    Set(F::kApsPoint1Voltage, m_t.apSensor[1]);
    Set(F::kApsPoint2Pressure, m_t.apSensor[2]);
    Set(F::kApsPoint2Voltage, m_t.apSensor[3]);
    SetAll(F::kIapsSensor, m_t.iapSensor);
    Set(F::kTps0, m_s.tps0);
    Set(F::kTps100, m_s.tps100);
    Set(F::kLambdaType, 0);
    ApplyLambdaDefaults(0, m_image);
    Set(F::kPotentiometerMode, 0);
    Set(F::kPotentiometerRange, 20);
    SetAll(F::kCoolantSensor, m_t.coolantSensor);
    SetAll(F::kAirSensor, m_t.airSensor);
  }

  // A servo map from its table: one row for every throttle row, or the
  // table's ten rows; values in mV are stored in steps of 20 mV.
  void ServoValues(MapId map, std::span<const std::int32_t> table, bool oneRow, bool percent) {
    const MapLayout& m = Map(map);
    const std::span<const std::int32_t> values = table.subspan(16);
    const bool rows = !oneRow && values.size() >= At(m.rows * m.columns);
    for (int r = 0; r < m.rows; ++r)
      for (int c = 0; c < m.columns; ++c) {
        const std::int32_t v = values[At((rows ? r * m.columns : 0) + c)];
        SetMapValue(map, r, c, percent ? v : v / 20);
      }
  }

  void ServoPage() {
    if (ShownPart(kIntakeServoSheet)) {
      Set(F::kInServoAxes, InBikeSet(kIntakeBySpeedAndThrottle, m_bike) ? 0 : 1);
      Set(F::kInServoEnable, InBikeSet(kIntakeServoOn, m_bike) ? 1 : 0);
      Set(F::kInServoPercent, InBikeSet(kIntakePercent, m_bike) ? 1 : 0);
      Set(F::kStepMotorPeriod, 14);
      Set(F::kStepMotorExcitation, 14);
      Set(F::kInServoStepMotor, InBikeSet(kIntakeStepMotor, m_bike) ? 1 : 0);
      SetServoAxis(MapId::kServoIntake, m_t.intakeServo);
      ServoValues(MapId::kServoIntake, m_t.intakeServo, Get(F::kInServoAxes) == 1, Get(F::kInServoPercent) == 1);
      Set(F::kInServoP, ValueFor(kIntakeP, m_bike));
      Set(F::kInServoI, 20);
      Set(F::kInServoD, 25);
      Set(F::kInServoDOff, 30);
      const bool soft = InBikeSet(kIntakeSoftI, m_bike);
      Set(F::kInServoIOff, soft ? 5 : 20);
      Set(F::kInServoO, soft ? 65 : 0);
    }
    if (ShownPart(kExhaustServoSheet)) {
      Set(F::kExServoAxes, 1);
      Set(F::kExServoEnable, InBikeSet(kExhaustServoOn, m_bike) ? 1 : 0);
      Set(F::kExServoPercent, InBikeSet(kExhaustPercent, m_bike) ? 1 : 0);
      SetServoAxis(MapId::kServoExhaust, m_t.exhaustServo);
      ServoValues(MapId::kServoExhaust, m_t.exhaustServo, Get(F::kExServoAxes) == 1, Get(F::kExServoPercent) == 1);
      Set(F::kExServoP, ValueFor(kExhaustP, m_bike));
      Set(F::kExServoI, 5);
      Set(F::kExServoD, 10);
      Set(F::kExServoIOff, 20);
      Set(F::kExServoDOff, 30);
    }
  }

  void RacePage() {
    const std::int32_t limiter = Get(F::kIgnitionLimiter);
    for (int g = 0; g < Field(F::kPilotFirstSpeed).count; ++g) {
      Set(F::kPilotFirstSpeed, limiter - 20, g);
      Set(F::kPilotSecondSpeed, limiter - 15, g);
      Set(F::kClutchTime, 20, g);
      Set(F::kClutchPause, 50, g);
    }
    Set(F::kClutchMode, 0);
    Set(F::kClutchMinRpm, 20);
    Set(F::kClutchInjection, 50);
    Set(F::kClutchAdvance, 0);
    Set(F::kTempDisplay, 0);
    Set(F::kPilotInvertedOut, 0);
    Set(F::kPitSpeed, 80);
    Set(F::kPitRetardP, 5);
    Set(F::kPitRetardI, 10);
    Set(F::kPitMinAdvance, -20);
    Set(F::kPitMinRpm, 25);
  }

  void GearPage() {
    Set(F::kGearSystem, m_s.gearSystem);
    SetAll(F::kGearVoltage, m_t.gearVoltages);
    Set(F::kGearCount, 6);
    Set(F::kSpeedOutCorrection, 100);
    if (m_bike == 54)
      SetAll(F::kGearRatio, kGearRatiosOf54);
    else if (m_bike == 60)
      SetAll(F::kGearRatio, kGearRatiosOf60);
    else
      SetAll(F::kGearRatio, kGearRatios);
    Set(F::kGearAutoTime, kGearAuto[0]);
    Set(F::kGearAutoRpm, kGearAuto[1]);
    Set(F::kGearAutoTps, kGearAuto[2]);
    Set(F::kGearAutoBand, kGearAuto[3]);
    SetAll(F::kGearAdvanceCorr, 100);
    SetAll(F::kGearInjectionCorr, 100);
    Set(F::kSpeedMode, 0);
    Set(F::kSpeedPulses, m_s.speedPulses);
  }

  void IdlePage() {
    Set(F::kIdleControlBand, 15);
    const std::span<const std::int32_t> r = m_t.idleRecord;
    Set(F::kIdleType, r[0]);
    Set(F::kIdleRpmRange, r[1] / 100);
    Set(F::kIdleTpsRange, r[2]);
    Set(F::kIdleInverse, r[3]);
    Set(F::kIdleStepPulse, r[4] / 250);
    Set(F::kIdleStepPeriod, r[5]);
    Set(F::kIdleHysteresis, r[6] / 10);
    Set(F::kIdleStartTime, r[7]);
    SetAll(F::kIdlePosition, m_t.idlePosition);
    Set(F::kIdleAdvanceOn, m_t.idleAdvance[0]);
    Set(F::kIdleAdvancePerRpm, m_t.idleAdvance[1]);
    Set(F::kIdleAdvancePerTime, m_t.idleAdvance[2]);
    Set(F::kIdleMaxAdvance, m_t.idleAdvance[3]);
    SetAll(F::kIdleDesiredRpm, m_t.idleSpeed, 50);
  }

  void N2oPage() {
    Set(F::kGasEnable, 0);
    Set(F::kGasStage1, 20);
    Set(F::kGasStage2, 60);
    Set(F::kGasBuildUp, 30);
    Set(F::kGasDelay, 20);
    Set(F::kRetard1, 0);
    Set(F::kRetard2, 0);
    Set(F::kRetardBuildUp, 30);
    Set(F::kRetardDelay, 20);
    Set(F::kGasInjectionCorr1, 0);
    Set(F::kGasInjectionCorr2, 0);
  }

  void TuningPage() {
    Set(F::kTuningMode, 0);
    Set(F::kTuningByTls, 0);
    Set(F::kTuningAfrTolerance, 2);
    Set(F::kTuningRpmTolerance, 20);
    Set(F::kTuningTpsTolerance, 2);
    Set(F::kTuningRevsPerStep, 20);
    Set(F::kTuningStep, 60);
    Set(F::kTuningChannel, 1);
    Set(F::kTuningMaxAcc, 10);
    constexpr FieldId kLimits[] = {F::kTuningAfrMin, F::kTuningAfrMax,  F::kTuningTpsMin,
                                   F::kTuningRpmMin, F::kTuningTempMin, F::kTuningTempMax};
    for (std::size_t i = 0; i < std::size(kLimits); ++i) Set(kLimits[i], kTuningLimits[i]);
    const MapLayout& afr = Map(MapId::kDesiredAfr);
    for (int c = 0; c < afr.columns; ++c)
      m_image[afr.axisOffset + At(c)] = static_cast<std::uint8_t>(kDesiredAfrAxis[c]);
    for (int i = 0; i < afr.rows * afr.columns; ++i)
      SetMapValue(MapId::kDesiredAfr, i / afr.columns, i % afr.columns,
                  At(i) < std::size(kDesiredAfrFirst) ? kDesiredAfrFirst[i] : kDesiredAfrRest);
  }

  ConfigImage& m_image;
  const DefaultsScope& m_scope;
  int m_bike;
  const BikeTables& m_t;
  const BikeScalars& m_s;
  std::optional<CTabModel> m_injection;
};

}  // namespace

void ApplyBikeDefaults(ConfigImage& image, CParamSet& params, const DefaultsScope& scope) {
  const int bike = image[ElementOffset(F::kBike)];
  if (const std::optional<BikeTables> tables = SelectBikeTables(bike)) CDefaults(image, scope, bike, *tables).Apply();
  LoadParameterSet(image, params);
}

bool CoupledPageRefused(const ConfigImage& image, const DefaultsScope& scope) {
  return !scope.wholeImage && scope.page == kPageInjection && scope.shownMap >= 0 &&
         scope.shownMap < kInjectionBSheet && ReadRaw(image, FieldId::kInjectionCoupling) == 1;
}
