#include "link/ParameterCatalogue.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>

#include "image/FieldCatalogue.h"
#include "link/Frame.h"
#include "link/LiveDerived.h"

namespace {

constexpr CLngStr L(const char* en, const char* de = nullptr, const char* fr = nullptr, const char* cz = nullptr) {
  return {0, {en, de, fr, cz}};
}
constexpr CIDSource kGroupRow{SourceKind::kGroup, 0};
constexpr CIDSource kNoSource{SourceKind::kNone, 0};
constexpr CIDSource Byte(int at) { return {SourceKind::kByte, at}; }
constexpr CIDSource Word(int at) { return {SourceKind::kWord, at}; }
constexpr CIDSource Derived(int index) { return {SourceKind::kDerived, index}; }

using enum DisplayKind;
using enum StateRule;

// The catalogue as the unit's live frame and the monitor's sets know it.
// Columns: id, parent, name (EN, DE, FR, CZ), units, source, scale, decimals,
// width, min, max, shown as, cylinder mask, state rule.
constexpr CID kCatalogue[] = {
    {0, 0, L("?ID not found?")},
    {1000, 0, L("Basic", nullptr, nullptr, "Základní"), "", kGroupRow},
    {1010, 1000, L("RPM"), "", Word(48), 1, 0, 5, 0, 20000, kNumber, 15, kRpm},
    {1020, 1000, L("TPS"), "[%]", Word(138), 0.1, 1, 5, 0, 100},
    {1030, 1000, L("LAMBDA"), "[AFR]", Byte(29), 0.1, 1, 4, 10, 18},
    {1090, 0, L("System connection", nullptr, nullptr, "Připojení systému"), "", kNoSource, 1, 0, 0, 0, 1, kRunning},
    {1100, 0, L("Extended", nullptr, nullptr, "Rozšířené"), "", kGroupRow},
    {1110, 1100, L("TW"), "[°C]", Byte(23), 1, 0, 3, 0, 100, kNumber, 15, kCoolant},
    {1120, 1100, L("TA"), "[°C]", Byte(24), 1, 0, 3, -100, 100, kNumber, 15, kAir},
    {1130, 1100, L("AP"), "[kPa]", Word(52), 0.1, 1, 4, 80, 120},
    {1140, 1100, L("IAP"), "[kPa]", Word(136), 1, 0, 3, 0, 100},
    {1150, 1100, L("U"), "[V]", Word(64), 0.001, 1, 4, 0, 20},
    {1160, 1100, L("Speed", "Geschwindigkeit", "Vitesse", "Rychlost"), "[km/h]", Word(116), 1, 0, 3, 0, 200},
    {1170, 1100, L("Gear", "Gang", "Gear", "Rychl. stupeň"), "", Byte(25), 1, 0, 1, 0, 9},
    {1200, 0, L("Sumary Adv.+Inj.", "Resümee Vorzünd.+Einspritz.", nullptr, "Souhrn předstih+vstřik"), "", kGroupRow},
    {1210, 1200, L("Advance", "Vorzündung", nullptr, "Předstih"), "[°]", Derived(kDerivedAdvance), 1, 0, 2, 0, 60},
    {1220, 1200, L("Max.Inj.", "Max.Einspritz", nullptr, "Max.vstřik"), "[%]", Derived(kDerivedMaxInjectionDuty), 1, 0,
     3, 0, 100, kNumber, 15, kHighAt100},
    {1230, 1200, L("Inj. Time A", "Einspritzzeit A", nullptr, "Čas vstřiku A"), "[ms]", Derived(kDerivedInjectionTimeA),
     0.001, 1, 4, 0, 20},
    {1240, 1200, L("Inj. Time B", "Einspritzzeit B", nullptr, "Čas vstřiku B"), "[ms]", Derived(kDerivedInjectionTimeB),
     0.001, 1, 4, 0, 20},
    {5000, 0, L("Servo"), "", kGroupRow},
    {5010, 5000, L("Intake servo", "Ansaugservo", nullptr, "Sací servo"), "[mV]", Word(70), 1, 0, 4, 0, 5000},
    {5030, 5000, L("Exhaust servo", "Abblaseservo", nullptr, "Výfukové servo"), "[mV]", Word(66), 1, 0, 4, 0, 5000},
    {5040, 5000, L("Step servo position ??? rozsah", "Schrittmotorlage", nullptr, "Poloha krokového motoru"), "",
     Word(142), 1, 0, 4, 0, 100},
    {3000, 0, L("More Sensors", nullptr, nullptr, "Další senzory"), "", kGroupRow},
    {3010, 3000, L("Pick-up (CKPS)", "Geber (CKPS)", nullptr, "Snímač CKPS"), "", Derived(kDerivedCrankPickup), 1, 0, 1,
     0, 1, kRunning},
    {3020, 3000, L("Pick-up (CMPS)", "Geber (CMPS)", nullptr, "Snímač CMPS"), "", Derived(kDerivedCamPickup), 1, 0, 1,
     0, 1, kRunning},
    {3030, 3000, L("Fall Sensor", "Not Aus Sensor", nullptr, "Pádový senzor"), "", Derived(kDerivedFallSensorOut), 1, 0,
     1, 0, 1, kYesNo},
    {3040, 3000, L("Blocking", "Blockierung", nullptr, "Blokování"), "", Derived(kDerivedBlockingOut), 1, 0, 1, 0, 1,
     kYesNo},
    {3050, 3000, L("Cooling", "Kühlung", nullptr, "Chlazení"), "", Derived(kDerivedCooling), 1, 0, 1, 0, 1, kYesNo},
    {3060, 3000, L("Potentiometer", nullptr, nullptr, "Potenciometr"), "[mV]", Word(74), 1, 0, 4, 0, 5000},
    {3070, 3000, L("Retard Limiter", "Spätzündungbegrenzer", nullptr, "Omezovač zpožděním zážehu"), "",
     Derived(kDerivedRetardLimiter), 1, 0, 1, 0, 1, kYesNo},
    {9000, 0, L("Injection", "Einspritzung", nullptr, "Vstřikování"), "", kGroupRow},
    {9010, 9000, L("Inj. time A", "Einspritzzeit A", nullptr, "Vstřik. čas A"), "[ms]", kGroupRow},
    {9011, 9010, L("1A"), "", Byte(14), 0.1, 1, 4, 0, 20, kNumber, 1},
    {9012, 9010, L("2A"), "", Byte(15), 0.1, 1, 4, 0, 20, kNumber, 2},
    {9013, 9010, L("3A"), "", Byte(16), 0.1, 1, 4, 0, 20, kNumber, 4},
    {9014, 9010, L("4A"), "", Byte(17), 0.1, 1, 4, 0, 20, kNumber, 8},
    {9020, 9000, L("Inj. time B", "Einspritzzeit B", nullptr, "Vstřik. čas B"), "[ms]", kGroupRow},
    {9021, 9020, L("1B"), "", Byte(18), 0.1, 1, 4, 0, 20, kNumber, 1},
    {9022, 9020, L("2B"), "", Byte(19), 0.1, 1, 4, 0, 20, kNumber, 2},
    {9023, 9020, L("3B"), "", Byte(20), 0.1, 1, 4, 0, 20, kNumber, 4},
    {9024, 9020, L("4B"), "", Byte(21), 0.1, 1, 4, 0, 20, kNumber, 8},
    {9030, 9000, L("Position A", "Lage A", nullptr, "Poloha A"), "[°]", Word(96), 1, 0, 3, 0, 720},
    {9040, 9000, L("Position B", "Lage B", nullptr, "Poloha B"), "[°]", Word(98), 1, 0, 3, 0, 720},
    {9050, 9000, L("Inj. acording TPS", "Einspritz. aus TPS", nullptr, "Vstřik odpovídá TPS"), "[%]", Byte(26), 1, 0, 3,
     0, 100},
    {9200, 0, L("Advance", "Vorzündung", nullptr, "Přestih"), "[°]", kGroupRow},
    {9211, 9200, L("1"), "", Derived(kDerivedAdvance1), 1, 0, 2, 0, 60},
    {9212, 9200, L("2"), "", Derived(kDerivedAdvance1 + 1), 1, 0, 2, 0, 60},
    {9213, 9200, L("3"), "", Derived(kDerivedAdvance1 + 2), 1, 0, 2, 0, 60},
    {9214, 9200, L("4"), "", Derived(kDerivedAdvance1 + 3), 1, 0, 2, 0, 60},
};

// Servos set to work in percent show their position in per cent of the
// travel (mV x 0.02); otherwise the row as catalogued.
constexpr const char* kServoPercentUnits = "[%]";
constexpr double kServoPercentScale = 0.02;
constexpr int kServoPercentDecimals = 1;
constexpr double kServoPercentMax = 100;

constexpr int kRpmPerLimiterStep = 100;  // the limiters are stored in 100 rpm
constexpr int kTemperatureOffset = 100;  // the unit sends degrees + 100; 0 is a sensor error
constexpr double kSensorError = -kTemperatureOffset;

std::size_t IndexOf(int id) {
  const auto it = std::find_if(std::begin(kCatalogue), std::end(kCatalogue), [id](const CID& r) { return r.id == id; });
  return std::size_t(it - std::begin(kCatalogue));
}

double SourceValue(const CIDSource& s, std::span<const std::uint8_t> frame, const LiveDerived& derived) {
  const auto at = std::size_t(s.at);
  switch (s.kind) {
    case SourceKind::kByte:
      return frame[at];
    case SourceKind::kWord:
      return frame[at] | frame[at + 1] << 8;
    case SourceKind::kDerived:
      return derived[at];
    default:
      return 0;
  }
}

int StateFlags(StateRule rule, double value, const CLiveValues& live) {
  switch (rule) {
    case kRpm: {
      const int acting = int(live.ignitionLimiter) + int(live.injectionLimiter) + int(live.retardLimiter);
      if (acting == 0) return kStateValue;
      return kStateValue | kStateLimiter | (acting == 3 ? kStateAlarm : 0);
    }
    case kHighAt100:
      return value >= 100 ? kStateValue | kStateHigh : kStateValue;
    case kCoolant:
      return (value >= 100 ? kStateValue | kStateHigh : kStateValue) | (value == kSensorError ? kStateAlarm : 0);
    case kAir:
      return value == kSensorError ? kStateValue | kStateAlarm : kStateValue;
    case kPlain:
      break;
  }
  return kStateValue;
}

// Small moves are halved towards the new value to calm the needles; a jump
// of more than a tenth of the range is taken at once. A range without width
// (an IAP axis or limiters not set yet) has no tenth: the new value stands.
double Smoothed(double stored, double value, double min, double max) {
  const double range = max - min;
  if (!(range > 0)) return value;
  return std::abs(stored - value) / range <= 0.1 ? (stored + value) / 2 : value;
}

}  // namespace

CParameterCatalogue::CParameterCatalogue()
    : m_rows(std::begin(kCatalogue), std::end(kCatalogue)),
      m_rpm(IndexOf(kCidRpm)),
      m_iap(IndexOf(kCidIap)),
      m_intakeServo(IndexOf(kCidIntakeServo)),
      m_exhaustServo(IndexOf(kCidExhaustServo)),
      m_connection(IndexOf(kCidSystemConnection)) {}

const CID& CParameterCatalogue::GetDef(int id) const {
  const auto it = std::find_if(m_rows.begin() + 1, m_rows.end(), [id](const CID& r) { return r.id == id; });
  return it != m_rows.end() ? *it : m_rows.front();
}

void CParameterCatalogue::ApplyConfigurationRanges(const ConfigImage& image) {
  CID& iap = Row(m_iap);
  iap.min = ReadRaw(image, FieldId::kIapPressureAxis, 0);
  iap.max = ReadRaw(image, FieldId::kIapPressureAxis, Field(FieldId::kIapPressureAxis).count - 1);

  const int limiter = std::max({ReadRaw(image, FieldId::kIgnitionLimiter), ReadRaw(image, FieldId::kInjectionLimiter),
                                ReadRaw(image, FieldId::kRetardLimiterRpm)});
  Row(m_rpm).max = kRpmPerLimiterStep * limiter;

  const auto servo = [&](std::size_t index, FieldId percentFlag) {
    CID& row = Row(index);
    const CID& catalogued = kCatalogue[index];
    const bool percent = ReadRaw(image, percentFlag) != 0;
    row.units = percent ? kServoPercentUnits : catalogued.units;
    row.decimals = percent ? kServoPercentDecimals : catalogued.decimals;
    row.scale = percent ? kServoPercentScale : catalogued.scale;
    row.max = percent ? kServoPercentMax : catalogued.max;
  };
  servo(m_intakeServo, FieldId::kInServoPercent);
  servo(m_exhaustServo, FieldId::kExServoPercent);
}

bool CParameterCatalogue::UpdateCatalogue(std::span<const std::uint8_t> frame, const CLiveValues& live,
                                          const ConfigImage& image) {
  if (frame.size() < kFrameSize) return false;
  ApplyConfigurationRanges(image);
  const LiveDerived derived = DeriveLiveValues(live, image);

  bool valueChanged = false;
  bool stateChanged = false;
  for (CID& row : m_rows) {
    const SourceKind kind = row.source.kind;
    if (kind == SourceKind::kGroup || kind == SourceKind::kNone) continue;
    double value = SourceValue(row.source, frame, derived) * row.scale;
    if (row.rule == kCoolant || row.rule == kAir) value -= kTemperatureOffset;

    const int flags = StateFlags(row.rule, value, live);
    stateChanged |= flags != row.flags;
    row.flags = flags;

    const double stored = Smoothed(row.value, value, row.min, row.max);
    if (stored != row.value) {
      row.value = stored;
      valueChanged = true;
    }
  }
  m_hasData |= valueChanged;
  // A state change alone (a limiter starting to act at a steady speed) also
  // changes what the elements draw.
  return valueChanged || stateChanged;
}

bool CParameterCatalogue::SetConnected(bool connected) {
  CID& row = Row(m_connection);
  const double value = connected ? 1 : 0;
  const bool changed = row.value != value || row.flags != kStateValue;
  row.value = value;
  row.flags = kStateValue;
  return changed;
}

std::string CParameterCatalogue::ValueText(const CID& row) const {
  if (row.shown != kNumber) return std::string(StateText(row.shown, row.value != 0));
  return m_hasData ? FormatValue(row.value, row.width, row.decimals) : ValuePlaceholder(row.width, row.decimals);
}

std::string_view StateText(DisplayKind shown, bool on, int language) {
  if (shown == kRunning) return LookupText(2, on ? "is running" : "no signal", language);
  return LookupText(1, on ? "YES" : "NO", language);
}

std::string ValuePlaceholder(int width, int decimals) {
  if (decimals > 0)
    return std::string(std::size_t(std::max(width - decimals - 1, 1)), 'x') + '.' +
           std::string(std::size_t(decimals), 'x');
  const int zeros = -decimals;
  return std::string(std::size_t(std::max(width - zeros, 1)), 'x') + std::string(std::size_t(zeros), '0');
}

std::string FormatValue(double value, int width, int decimals) {
  if (decimals < 0) {
    const double step = std::pow(10.0, -decimals);
    value = std::round(value / step) * step;
    decimals = 0;
  }
  // The catalogue's widths are small; the bounds only keep the buffer safe.
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%*.*lf", std::clamp(width, 0, 30), std::min(decimals, 15), value);
  return buffer;
}
