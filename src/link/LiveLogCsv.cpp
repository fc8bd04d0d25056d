#include "link/LiveLogCsv.h"

#include <charconv>
#include <cstdint>
#include <optional>
#include <string_view>

#include "link/LiveDerived.h"
#include "link/LiveValues.h"
#include "shell/TextSlots.h"
#include "shell/UiTexts.h"

namespace {

using Value = std::optional<std::int64_t>;
using ValueOf = Value (*)(const CLiveValues&, const LiveDerived&);

// A column's name is a Monitor page text slot, a text named `key`, and a
// fixed suffix (cylinder, channel), each optional, joined by blanks. The
// value is a whole number of 10^-decimals units.
struct CsvColumn {
  int slot;
  const char* key;
  const char* suffix;
  const char* unit;
  int decimals;
  ValueOf value;
};

constexpr int kNoSlot = -1;

#define V(expr)                                             \
  [](const CLiveValues& v, const LiveDerived& d) -> Value { \
    (void)v;                                                \
    (void)d;                                                \
    return expr;                                            \
  }

// Every value the frame carries, in frame order, scaled as the Monitor page
// shows it (derived values where the page shows them: base advance).
const CsvColumn kColumns[] = {
    {kSlotFallSensor, "csvInput", "", "", 0, V(v.killSwitchIn)},
    {kSlotFallSensor, "csvOutput", "", "", 0, V(v.fallSensorOut)},
    {kSlotBlocking, "csvInput", "", "", 0, V(v.blockingIn)},
    {kSlotBlocking, "csvOutput", "", "", 0, V(v.blockingOut)},
    {kSlotStartLimiter, "csvInput", "", "", 0, V(v.startLimiterIn)},
    {kSlotStartLimiter, "csvOutput", "", "", 0, V(v.startLimiterOut)},
    {kSlotClutchMaster, "csvInput", "", "", 0, V(v.clutchIn)},
    {kSlotClutchMaster, "csvOutput", "", "", 0, V(v.clutchOut)},
    {kSlotTachoAfrAutotuning, "csvInput", "", "", 0, V(v.tachoLambdaIn)},
    {kSlotTachoLambda, "csvOutput", "", "", 0, V(v.tachoOutput)},  // 1 tacho, 0 lambda
    {kSlotLimiterByIgnition, nullptr, "", "", 0, V(v.ignitionLimiter)},
    {kSlotLimiterByInjection, nullptr, "", "", 0, V(v.injectionLimiter)},
    {kSlotLimiterByRetard, nullptr, "", "", 0, V(v.retardLimiter)},
    {kSlotExhaustServo, "csvInOrder", "", "", 0, V(v.exhaustServoOk)},
    {kSlotIntakeServo, "csvInOrder", "", "", 0, V(v.intakeServoOk)},
    {kNoSlot, "csvN2o", "", "", 0, V(v.n2oActive)},
    {kSlotAdvance, "csvBase", "", "", 0, V(v.advanceIsBase)},
    {kSlotCooling, nullptr, "", "", 0, V(v.coolingOn)},
    {kSlotPickupCkps, nullptr, "", "", 0, V(v.crankPickupSignal)},
    {kSlotPickupCmps, nullptr, "", "", 0, V(v.camPickupSignal)},
    {kNoSlot, "LabelEeDataErr", "", "", 0, V(v.programmedDataError)},
    {kNoSlot, "csvTpError", "", "", 0, V(v.throttleSensorError)},
    {kNoSlot, "csvIapError", "", "", 0, V(v.iapSensorError)},
    {kNoSlot, "csvApError", "", "", 0, V(v.apSensorError)},
    {kNoSlot, "csvTestsLocked", "", "", 0, V(v.outputTestsLocked)},
    {kSlotIntakeServo, "csvIdleControl", "", "", 0, V(v.intakeServoIdle)},
    {kSlotPitRetard, nullptr, "", "", 0, V(v.pitRetard)},
    {kSlotPitNoIgnition, nullptr, "", "", 0, V(v.pitNoIgnition)},
    {kSlotGasHandle, "csvMode", "", "", 0, V(v.gasHandleMode)},

    {kSlotAdvance, nullptr, " 1", "°", 0, V(v.advanceIsBase ? d[kDerivedAdvance1] : v.advance[0])},
    {kSlotAdvance, nullptr, " 2", "°", 0, V(v.advanceIsBase ? d[kDerivedAdvance1 + 1] : v.advance[1])},
    {kSlotAdvance, nullptr, " 3", "°", 0, V(v.advanceIsBase ? d[kDerivedAdvance1 + 2] : v.advance[2])},
    {kSlotAdvance, nullptr, " 4", "°", 0, V(v.advanceIsBase ? d[kDerivedAdvance1 + 3] : v.advance[3])},
    {kSlotAdvance, nullptr, "", "°", 0, V(d[kDerivedAdvance])},
    {kSlotInjectionTime, nullptr, " 1A", "us", 0, V(v.injectionA[0] * 100)},
    {kSlotInjectionTime, nullptr, " 2A", "us", 0, V(v.injectionA[1] * 100)},
    {kSlotInjectionTime, nullptr, " 3A", "us", 0, V(v.injectionA[2] * 100)},
    {kSlotInjectionTime, nullptr, " 4A", "us", 0, V(v.injectionA[3] * 100)},
    {kSlotInjectionTime, nullptr, " A", "us", 0, V(d[kDerivedInjectionTimeA])},
    {kSlotInjectionTime, nullptr, " 1B", "us", 0, V(v.injectionB[0] * 100)},
    {kSlotInjectionTime, nullptr, " 2B", "us", 0, V(v.injectionB[1] * 100)},
    {kSlotInjectionTime, nullptr, " 3B", "us", 0, V(v.injectionB[2] * 100)},
    {kSlotInjectionTime, nullptr, " 4B", "us", 0, V(v.injectionB[3] * 100)},
    {kSlotInjectionTime, nullptr, " B", "us", 0, V(d[kDerivedInjectionTimeB])},
    {kSlotMaxInjection, nullptr, "", "%", 0, V(d[kDerivedMaxInjectionDuty])},
    {kSlotCoolant, nullptr, "", "°C", 0, V(v.coolantError ? Value() : Value(LiveCoolantC(v)))},
    {kNoSlot, "csvAt", "", "°C", 0, V(LiveAirC(v))},
    {kSlotGear, nullptr, "", "", 0, V(v.gear)},
    {kSlotInjByTps, nullptr, "", "%", 0, V(v.injectionByThrottle)},
    {kNoSlot, "csvPilotLight", "", "", 0, V(v.pilotLight)},
    {kNoSlot, "csvTuningState", "", "", 0, V(v.tuningState)},
    {kNoSlot, "csvLambda", "", "AFR", 1, V(v.afr)},
    {kNoSlot, "csvDwell", "", "ms", 1, V(v.dwell)},
    {kNoSlot, "csvRpm", "", "", 0, V(v.rpm)},
    {kNoSlot, "csvAp", "", "mV", 0, V(v.apSensorMv)},
    {kNoSlot, "csvAp", "", "kPa", 1, V(v.ap)},
    {kNoSlot, "csvIap", "", "mV", 0, V(v.iapSensorMv)},
    {kNoSlot, "csvTp", "", "mV", 0, V(v.throttleSensorMv)},
    {kNoSlot, "csvLambda", "", "mV", 0, V(v.lambdaMv)},
    {kSlotCoolant, nullptr, "", "mV", 0, V(v.coolantSensorMv)},
    {kNoSlot, "csvAt", "", "mV", 0, V(v.airSensorMv)},
    {kNoSlot, "csvU", "", "V", 3, V(v.supplyMv)},
    {kSlotExhaustServo, nullptr, " 1", "mV", 0, V(v.exhaustServoMv[0])},
    {kSlotExhaustServo, nullptr, " 2", "mV", 0, V(v.exhaustServoMv[1])},
    {kSlotIntakeServo, nullptr, " 1", "mV", 0, V(v.intakeServoMv[0])},
    {kSlotIntakeServo, nullptr, " 2", "mV", 0, V(v.intakeServoMv[1])},
    {kSlotPotentiometer, nullptr, "", "mV", 0, V(v.potentiometerMv)},
    {kNoSlot, "csvProgrammings", "", "", 0, V(v.programmings)},
    {kNoSlot, "csvTest", "1", "", 0, V(v.test[0])},
    {kNoSlot, "csvTest", "2", "", 0, V(v.test[1])},
    {kNoSlot, "csvTest", "3", "", 0, V(v.test[2])},
    {kNoSlot, "csvTest", "4", "", 0, V(v.test[3])},
    {kNoSlot, "csvTest", "5", "", 0, V(v.test[4])},
    {kNoSlot, "csvTest", "6", "", 0, V(v.test[5])},
    {kNoSlot, "csvTest", "7", "", 0, V(v.test[6])},
    {kNoSlot, "csvTest", "8", "", 0, V(v.test[7])},
    {kNoSlot, "csvSinceStart", "", "s", 1, V(v.sinceStart)},
    {kSlotPosition, nullptr, " A", "°", 0, V(v.injectionPositionA)},
    {kSlotPosition, nullptr, " B", "°", 0, V(v.injectionPositionB)},
    {kNoSlot, "csvTwCorrection", "", "%", 1, V(v.coolantCorrection)},
    {kNoSlot, "csvAtCorrection", "", "%", 1, V(v.airCorrection)},
    {kNoSlot, "csvApCorrection", "", "%", 1, V(v.apCorrection)},
    {kNoSlot, "csvStartCorrection", "", "%", 1, V(v.startCorrection)},
    {kNoSlot, "csvUCorrection", "", "us", 0, V(v.voltageCorrection - 1000)},
    {kNoSlot, "csvTwCorrection", "", "°", 1, V(v.coolantAdvanceCorrection - 1000)},
    {kNoSlot, "csvPotCorrection", "", "°", 1, V(v.potAdvanceCorrection - 1000)},
    {kNoSlot, "csvPotCorrection", "", "%", 1, V(v.potInjectionCorrection)},
    {kSlotSpeed, nullptr, "", "km/h", 0, V(v.speed)},
    {kSlotGearVoltage, nullptr, "", "mV", 0, V(v.gearSensorMv)},
    {kNoSlot, "csvRpmSpeed", "", "", 1, V(v.rpmSpeedRatio)},
    {kNoSlot, "csvLearnedRatio", " 1", "", 1, V(v.learnedRatio[0])},
    {kNoSlot, "csvLearnedRatio", " 2", "", 1, V(v.learnedRatio[1])},
    {kNoSlot, "csvLearnedRatio", " 3", "", 1, V(v.learnedRatio[2])},
    {kNoSlot, "csvLearnedRatio", " 4", "", 1, V(v.learnedRatio[3])},
    {kNoSlot, "csvLearnedRatio", " 5", "", 1, V(v.learnedRatio[4])},
    {kNoSlot, "csvLearnedRatio", " 6", "", 1, V(v.learnedRatio[5])},
    {kNoSlot, "csvIdleCorrection", "", "°", 1, V(v.idleAdvanceCorrection - 1000)},
    {kNoSlot, "csvIap", "", "kPa", 0, V(v.iapSensorError ? Value() : Value(v.iap))},
    {kNoSlot, "csvTp", "", "%", 1, V(v.throttleSensorError ? Value() : Value(v.throttle))},
    {kNoSlot, "csvAccCorrection", "", "%", 1, V(v.accelerationCorrection)},
    {kSlotStepServoPosition, nullptr, "", "", 0, V(v.stepServoPosition)},
    {kSlotGasHandle, nullptr, "", "%", 1, V(v.gasHandle)},
    {kNoSlot, "csvChangedBlocks", "", "", 0, V(v.changedBlocks)},
    {kNoSlot, "csvSavingCountdown", "", "", 0, V(v.savingCountdown)},
    {kNoSlot, "csvUnitVersion", "", "", 0, V(v.unitVersion)},
};

#undef V

std::string_view NamedTextOf(std::string_view key, int language) {
  for (const auto& t : LiveCsvNames())
    if (key == t.name) return t.text.Get(language);
  for (const auto& t : ControlCaptions())
    if (key == t.name) return t.text.Get(language);
  return key;
}

// Slot texts carry the blanks and separators of the labels they head.
std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '=')) s.remove_suffix(1);
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  return s;
}

void AppendField(std::string& out, std::string_view text) {
  if (text.find_first_of(",\"\n") == std::string_view::npos) {
    out += text;
    return;
  }
  out += '"';
  for (const char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

void AppendNumber(std::string& out, std::int64_t value, int decimals) {
  // Fixed point by hand: printf would follow LC_NUMERIC, which a Qt program
  // sets from the user's locale (a Czech comma would split the columns).
  if (value < 0) {
    out += '-';
    value = -value;
  }
  std::int64_t scale = 1;
  for (int i = 0; i < decimals; ++i) scale *= 10;
  char digits[24];
  auto r = std::to_chars(digits, digits + sizeof digits, value / scale);
  out.append(digits, r.ptr);
  if (decimals == 0) return;
  out += '.';
  r = std::to_chars(digits, digits + sizeof digits, value % scale + scale);
  out.append(digits + 1, r.ptr);  // the leading 1 keeps the zeros after the point
}

}  // namespace

std::string LiveLogCsvHeader(int language) {
  CTextSlots slots;
  slots.Apply(language);
  std::string out;
  AppendField(out, std::string(NamedTextOf("csvTime", language)) + " [s]");
  for (const auto& c : kColumns) {
    std::string name;
    if (c.slot != kNoSlot) name = Trimmed(slots[c.slot]);
    if (c.key != nullptr) {
      if (!name.empty()) name += ' ';
      name += NamedTextOf(c.key, language);
    }
    name += c.suffix;
    if (c.unit[0] != '\0') name += std::string(" [") + c.unit + "]";
    out += ',';
    AppendField(out, name);
  }
  out += '\n';
  return out;
}

void AppendLiveLogCsvRow(std::string& out, const LiveLogFrame& frame, const ConfigImage& image) {
  CLiveValues live;
  DecodeLiveFrame(frame.bytes, live);
  const LiveDerived derived = DeriveLiveValues(live, image);
  AppendNumber(out, static_cast<std::int64_t>(frame.micros / 1000), 3);
  for (const auto& c : kColumns) {
    out += ',';
    if (const Value v = c.value(live, derived)) AppendNumber(out, *v, c.decimals);
  }
  out += '\n';
}

std::string ExportLiveLogCsv(const LiveLogContents& log, int language) {
  std::string out = LiveLogCsvHeader(language);
  // About 4 characters a value.
  out.reserve(out.size() + log.frames.size() * std::size(kColumns) * 4);
  for (std::size_t i = 0; i < log.frames.size(); ++i) AppendLiveLogCsvRow(out, log.frames[i], log.ImageAtFrame(i));
  return out;
}
