#include "image/Normalise.h"

#include <algorithm>

#include "image/BikeTypes.h"
#include "image/FieldCatalogue.h"
#include "image/MapStorage.h"

namespace {

// Trigger systems whose advance may not exceed base advance + advance range.
constexpr std::uint8_t kCappedAdvanceTriggers[] = {7, 22};
constexpr int kLanguageMax = 3;
constexpr int kPortIndexMax = 20;
constexpr int kAutoPortIndexLimit = 20;  // exclusive

enum class Op : std::uint8_t {
  kField,       // the field's limit from the catalogue
  kMapAxis,     // axis rule on a map's speed axis
  kMapValues,   // a map's value bounds
  kAdvanceCap,  // advance values under base advance + range for some triggers
  kProgramSettings,
  kIdleBandAboveHysteresis,
};

struct Step {
  Op op;
  FieldId field = kNoField;
  MapId map = MapId::kCount;
};
constexpr Step F(FieldId f) { return {Op::kField, f}; }
constexpr Step Axis(MapId m) { return {Op::kMapAxis, kNoField, m}; }
constexpr Step Values(MapId m) { return {Op::kMapValues, kNoField, m}; }

// The unit's order; later steps rely on earlier ones (rule 9 before the
// program settings, rule 20 before the band's own bounds).
// clang-format off
constexpr Step kSteps[] = {
    /*  1 */ Axis(MapId::kAdvance), Axis(MapId::kInjection1), Axis(MapId::kInjection2), Axis(MapId::kInjection3),
             Axis(MapId::kInjection4), Axis(MapId::kInjectionB), Axis(MapId::kInjectionIap),
             F(FieldId::kPositionAAxis), F(FieldId::kPositionBAxis), Axis(MapId::kServoIntake),
             Axis(MapId::kServoExhaust),
    /*  2 */ F(FieldId::kIapPressureAxis),
    /*  3 */ Values(MapId::kAdvance),
    /*  4 */ Values(MapId::kInjectionB),
    /*  5 */ {Op::kAdvanceCap},
    /*  6 */ F(FieldId::kTps0), F(FieldId::kTps100), F(FieldId::kStartInjection),
    /*  7 */ F(FieldId::kStartCorrectionTimes), F(FieldId::kStartCorrections),
    /*  8 */ F(FieldId::kPilotSecondSpeed),
    /*  9 */ F(FieldId::kGasStage1), F(FieldId::kGasStage2), F(FieldId::kGasBuildUp), F(FieldId::kGasDelay),
             F(FieldId::kRetard1), F(FieldId::kRetard2), F(FieldId::kRetardDelay), F(FieldId::kRetardBuildUp),
             F(FieldId::kGasInjectionCorr2),
             {Op::kProgramSettings},
    /* 10 */ F(FieldId::kBaseAdvance),
    /* 11 */ F(FieldId::kIapTpsMin), F(FieldId::kIapTpsMax), F(FieldId::kIapRpmMax),
    /* 12 */ F(FieldId::kCoolantSensor), F(FieldId::kAirSensor),
    /* 13 */ F(FieldId::kStepMotorExcitation),
    /* 14 */ F(FieldId::kIdleStepPulse),
    /* 15 */ F(FieldId::kTuningChannel),
    /* 16 */ F(FieldId::kLambdaAfrPoints), F(FieldId::kLambdaVoltages),
    /* 17 */ F(FieldId::kLambdaTachoAfr), F(FieldId::kLambdaTachoRpm),
    /* 18 */ F(FieldId::kLambdaBar),
    /* 19 */ Axis(MapId::kDesiredAfr), Values(MapId::kDesiredAfr),
    /* 20 */ {Op::kIdleBandAboveHysteresis},
    /* 21 */ F(FieldId::kIdleControlBand),
};
// clang-format on

template <std::size_t N>
bool IsOneOf(std::uint8_t v, const std::uint8_t (&set)[N]) {
  return std::find(std::begin(set), std::end(set), v) != std::end(set);
}

std::uint8_t Byte(const ConfigImage& image, FieldId id) { return image[ElementOffset(id)]; }

std::int32_t Bound(std::int32_t v, std::int32_t lo, std::int32_t hi) {
  if (lo != kNoBound && v < lo) v = lo;
  if (hi != kNoBound && v > hi) v = hi;
  return v;
}

void ApplyFieldLimit(ConfigImage& image, const FieldInfo& f) {
  const Limit& l = f.limit;
  if (l.rule == LimitRule::kBikeException && IdlePositionBike(Byte(image, FieldId::kBike))) return;
  if (l.order != Order::kNone) {
    // A sensor that is not the standard one is read as wide-band, like a flag.
    const bool increasing =
        l.order == Order::kIncreasing || (l.order == Order::kByLambdaType && Byte(image, FieldId::kLambdaType) != 0);
    if (IsWord(f.width))
      ApplyWordRule(image, f.offset, f.count, l.min, l.max, increasing);
    else
      ApplyAxisRule(std::span(image).subspan(f.offset, f.count), l.min, l.max);
    return;
  }
  std::int32_t max = l.max;
  if (l.rule == LimitRule::kTunedChannel)
    max = Byte(image, FieldId::kInjectionCoupling) != 0 ? 1 : Byte(image, FieldId::kCylinderCount);
  for (int i = 0; i < f.count; ++i) {
    const std::int32_t old = ReadRaw(image, f.id, i);
    std::int32_t v = Bound(old, l.min, max);
    if (l.notBelow != kNoField) v = std::max(v, ReadRaw(image, l.notBelow, i));
    if (l.notAbove != kNoField) v = std::min(v, ReadRaw(image, l.notAbove, i));
    if (v != old) WriteRaw(image, f.id, i, v);
  }
}

void ApplyMapValueLimit(ConfigImage& image, const MapLayout& m, std::int32_t lo, std::int32_t hi) {
  for (int r = 0; r < m.rows; ++r)
    for (int c = 0; c < m.columns; ++c) {
      const std::size_t at = MapValueOffset(m, r, c);
      const std::int32_t old = ReadRaw(image, at, m.valueWidth);
      const std::int32_t v = Bound(old, lo, hi);
      if (v != old) WriteRaw(image, at, m.valueWidth, v);
    }
}

// The base advance is taken as rule 10 will leave it: read unlimited, a
// corrupt base advance would let advance values above the cap reach the unit.
void CapAdvance(ConfigImage& image) {
  if (!IsOneOf(Byte(image, FieldId::kTriggerSystem), kCappedAdvanceTriggers)) return;
  const std::int32_t base =
      std::min<std::int32_t>(Byte(image, FieldId::kBaseAdvance), Field(FieldId::kBaseAdvance).limit.max);
  ApplyMapValueLimit(image, Map(MapId::kAdvance), kNoBound, base + Byte(image, FieldId::kAdvanceRange));
}

void BringSettingsIntoRange(const ProgramSettingsRef& s) {
  if (s.language && (*s.language > kLanguageMax || *s.language < 0)) *s.language = 0;
  if (s.portIndex && *s.portIndex > kPortIndexMax) *s.portIndex = 0;
  if (s.autoPortIndex && *s.autoPortIndex >= kAutoPortIndexLimit) *s.autoPortIndex = 0;
}

void RaiseBandAboveHysteresis(ConfigImage& image) {
  constexpr std::uint8_t kStepMotorIdle = 2;
  if (Byte(image, FieldId::kIdleType) != kStepMotorIdle) return;
  const int hysteresis = Byte(image, FieldId::kIdleHysteresis);
  // Saturated: a wrapped 256 would end as the narrowest band instead of the widest.
  if (Byte(image, FieldId::kIdleControlBand) <= hysteresis)
    WriteRaw(image, FieldId::kIdleControlBand, 0, std::min(hysteresis + 1, 255));
}

}  // namespace

void ApplyAxisRule(std::span<std::uint8_t> p, int lo, int hi) {
  const int n = static_cast<int>(p.size());
  for (int i = 0; i < n; ++i) {
    int v = p[static_cast<std::size_t>(i)];
    v = std::max(v, lo + i);
    v = std::min(v, hi - (n - 1) + i);
    p[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v);
  }
  for (std::size_t i = 1; i < p.size(); ++i)
    if (p[i] <= p[i - 1]) p[i] = static_cast<std::uint8_t>(p[i - 1] + 1);
}

void ApplyWordRule(ConfigImage& image, std::size_t offset, int n, int lo, int hi, bool increasing) {
  auto at = [&](int i) { return offset + 2 * static_cast<std::size_t>(i); };
  for (int i = 0; i < n; ++i) {
    int v = ReadRaw(image, at(i), FieldWidth::kWord);
    v = std::max(v, increasing ? lo + i : lo + (n - 1 - i));
    v = std::min(v, increasing ? hi - (n - 1) + i : hi - i);
    WriteRaw(image, at(i), FieldWidth::kWord, v);
  }
  for (int i = 1; i < n; ++i) {
    const int prev = ReadRaw(image, at(i - 1), FieldWidth::kWord);
    const int v = ReadRaw(image, at(i), FieldWidth::kWord);
    if (increasing && v <= prev) WriteRaw(image, at(i), FieldWidth::kWord, prev + 1);
    if (!increasing && v >= prev) WriteRaw(image, at(i), FieldWidth::kWord, prev - 1);
  }
}

void NormaliseImage(ConfigImage& image, const ProgramSettingsRef& settings) {
  for (const Step& s : kSteps) {
    switch (s.op) {
      case Op::kField:
        ApplyFieldLimit(image, Field(s.field));
        break;
      case Op::kMapAxis: {
        const MapLayout& m = Map(s.map);
        ApplyAxisRule(std::span(image).subspan(m.axisOffset, m.columns), m.axisMin, m.axisMax);
        break;
      }
      case Op::kMapValues: {
        const MapLayout& m = Map(s.map);
        ApplyMapValueLimit(image, m, m.valueMin, m.valueMax);
        break;
      }
      case Op::kAdvanceCap:
        CapAdvance(image);
        break;
      case Op::kProgramSettings:
        BringSettingsIntoRange(settings);
        break;
      case Op::kIdleBandAboveHysteresis:
        RaiseBandAboveHysteresis(image);
        break;
    }
  }
}
