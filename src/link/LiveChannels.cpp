#include "link/LiveChannels.h"

#include <algorithm>
#include <iterator>

#include "base/TextSlots.h"
#include "base/UiTexts.h"

namespace {

using Value = std::optional<std::int64_t>;

#define V(expr)                                             \
  [](const CLiveValues& v, const LiveDerived& d) -> Value { \
    (void)v;                                                \
    (void)d;                                                \
    return expr;                                            \
  }

// Derived values where the Monitor page shows them (base advance, averages
// over the fitted cylinders); the rest straight from the frame. Times are in
// ms with the decimals they carry, as the monitor window shows them: the
// frame's injection times come in 0.1 ms, the averages and the voltage
// correction in microseconds.
constexpr LiveChannel kChannels[] = {
    {"fallSensorInput", kSlotFallSensor, "csvInput", "", "", 0, V(v.killSwitchIn)},
    {"fallSensorOutput", kSlotFallSensor, "csvOutput", "", "", 0, V(v.fallSensorOut)},
    {"blockingInput", kSlotBlocking, "csvInput", "", "", 0, V(v.blockingIn)},
    {"blockingOutput", kSlotBlocking, "csvOutput", "", "", 0, V(v.blockingOut)},
    {"startLimiterInput", kSlotStartLimiter, "csvInput", "", "", 0, V(v.startLimiterIn)},
    {"startLimiterOutput", kSlotStartLimiter, "csvOutput", "", "", 0, V(v.startLimiterOut)},
    {"clutchInput", kSlotClutchMaster, "csvInput", "", "", 0, V(v.clutchIn)},
    {"clutchOutput", kSlotClutchMaster, "csvOutput", "", "", 0, V(v.clutchOut)},
    {"tachoLambdaInput", kSlotTachoAfrAutotuning, "csvInput", "", "", 0, V(v.tachoLambdaIn)},
    {"tachoLambdaOutput", kSlotTachoLambda, "csvOutput", "", "", 0, V(v.tachoOutput)},  // 1 tacho, 0 lambda
    {"ignitionLimiter", kSlotLimiterByIgnition, nullptr, "", "", 0, V(v.ignitionLimiter)},
    {"injectionLimiter", kSlotLimiterByInjection, nullptr, "", "", 0, V(v.injectionLimiter)},
    {"retardLimiter", kSlotLimiterByRetard, nullptr, "", "", 0, V(v.retardLimiter)},
    {"exhaustServoOk", kSlotExhaustServo, "csvInOrder", "", "", 0, V(v.exhaustServoOk)},
    {"intakeServoOk", kSlotIntakeServo, "csvInOrder", "", "", 0, V(v.intakeServoOk)},
    {"n2o", kNoLiveSlot, "csvN2o", "", "", 0, V(v.n2oActive)},
    {"advanceIsBase", kSlotAdvance, "csvBase", "", "", 0, V(v.advanceIsBase)},
    {"cooling", kSlotCooling, nullptr, "", "", 0, V(v.coolingOn)},
    {"crankPickup", kSlotPickupCkps, nullptr, "", "", 0, V(v.crankPickupSignal)},
    {"camPickup", kSlotPickupCmps, nullptr, "", "", 0, V(v.camPickupSignal)},
    {"programmedDataError", kNoLiveSlot, "LabelEeDataErr", "", "", 0, V(v.programmedDataError)},
    {"throttleSensorError", kNoLiveSlot, "csvTpError", "", "", 0, V(v.throttleSensorError)},
    {"iapSensorError", kNoLiveSlot, "csvIapError", "", "", 0, V(v.iapSensorError)},
    {"apSensorError", kNoLiveSlot, "csvApError", "", "", 0, V(v.apSensorError)},
    {"outputTestsLocked", kNoLiveSlot, "csvTestsLocked", "", "", 0, V(v.outputTestsLocked)},
    {"intakeServoIdle", kSlotIntakeServo, "csvIdleControl", "", "", 0, V(v.intakeServoIdle)},
    {"pitRetard", kSlotPitRetard, nullptr, "", "", 0, V(v.pitRetard)},
    {"pitNoIgnition", kSlotPitNoIgnition, nullptr, "", "", 0, V(v.pitNoIgnition)},
    {"gasHandleMode", kSlotGasHandle, "csvMode", "", "", 0, V(v.gasHandleMode)},

    {"advance1", kSlotAdvance, nullptr, " 1", "°", 0, V(v.advanceIsBase ? d[kDerivedAdvance1] : v.advance[0])},
    {"advance2", kSlotAdvance, nullptr, " 2", "°", 0, V(v.advanceIsBase ? d[kDerivedAdvance1 + 1] : v.advance[1])},
    {"advance3", kSlotAdvance, nullptr, " 3", "°", 0, V(v.advanceIsBase ? d[kDerivedAdvance1 + 2] : v.advance[2])},
    {"advance4", kSlotAdvance, nullptr, " 4", "°", 0, V(v.advanceIsBase ? d[kDerivedAdvance1 + 3] : v.advance[3])},
    {"advance", kSlotAdvance, nullptr, "", "°", 0, V(d[kDerivedAdvance])},
    {"injection1A", kSlotInjectionTime, nullptr, " 1A", "ms", 1, V(v.injectionA[0])},
    {"injection2A", kSlotInjectionTime, nullptr, " 2A", "ms", 1, V(v.injectionA[1])},
    {"injection3A", kSlotInjectionTime, nullptr, " 3A", "ms", 1, V(v.injectionA[2])},
    {"injection4A", kSlotInjectionTime, nullptr, " 4A", "ms", 1, V(v.injectionA[3])},
    {"injectionA", kSlotInjectionTime, nullptr, " A", "ms", 3, V(d[kDerivedInjectionTimeA])},
    {"injection1B", kSlotInjectionTime, nullptr, " 1B", "ms", 1, V(v.injectionB[0])},
    {"injection2B", kSlotInjectionTime, nullptr, " 2B", "ms", 1, V(v.injectionB[1])},
    {"injection3B", kSlotInjectionTime, nullptr, " 3B", "ms", 1, V(v.injectionB[2])},
    {"injection4B", kSlotInjectionTime, nullptr, " 4B", "ms", 1, V(v.injectionB[3])},
    {"injectionB", kSlotInjectionTime, nullptr, " B", "ms", 3, V(d[kDerivedInjectionTimeB])},
    {"maxInjectionDuty", kSlotMaxInjection, nullptr, "", "%", 0, V(d[kDerivedMaxInjectionDuty])},
    {"coolant", kSlotCoolant, nullptr, "", "°C", 0, V(v.coolantError ? Value() : Value(LiveCoolantC(v)))},
    {"air", kNoLiveSlot, "csvAt", "", "°C", 0, V(LiveAirC(v))},
    {"gear", kSlotGear, nullptr, "", "", 0, V(v.gear)},
    {"injectionByThrottle", kSlotInjByTps, nullptr, "", "%", 0, V(v.injectionByThrottle)},
    {"pilotLight", kNoLiveSlot, "csvPilotLight", "", "", 0, V(v.pilotLight)},
    {"tuningState", kNoLiveSlot, "csvTuningState", "", "", 0, V(v.tuningState)},
    {"afr", kNoLiveSlot, "csvLambda", "", "AFR", 1, V(v.afr)},
    {"dwell", kNoLiveSlot, "csvDwell", "", "ms", 1, V(v.dwell)},
    {"rpm", kNoLiveSlot, "csvRpm", "", "", 0, V(v.rpm)},
    {"apSensorMv", kNoLiveSlot, "csvAp", "", "mV", 0, V(v.apSensorMv)},
    {"ap", kNoLiveSlot, "csvAp", "", "kPa", 1, V(v.ap)},
    {"iapSensorMv", kNoLiveSlot, "csvIap", "", "mV", 0, V(v.iapSensorMv)},
    {"throttleSensorMv", kNoLiveSlot, "csvTp", "", "mV", 0, V(v.throttleSensorMv)},
    {"lambdaMv", kNoLiveSlot, "csvLambda", "", "mV", 0, V(v.lambdaMv)},
    {"coolantSensorMv", kSlotCoolant, nullptr, "", "mV", 0, V(v.coolantSensorMv)},
    {"airSensorMv", kNoLiveSlot, "csvAt", "", "mV", 0, V(v.airSensorMv)},
    {"supply", kNoLiveSlot, "csvU", "", "V", 3, V(v.supplyMv)},
    {"exhaustServo1", kSlotExhaustServo, nullptr, " 1", "mV", 0, V(v.exhaustServoMv[0])},
    {"exhaustServo2", kSlotExhaustServo, nullptr, " 2", "mV", 0, V(v.exhaustServoMv[1])},
    {"intakeServo1", kSlotIntakeServo, nullptr, " 1", "mV", 0, V(v.intakeServoMv[0])},
    {"intakeServo2", kSlotIntakeServo, nullptr, " 2", "mV", 0, V(v.intakeServoMv[1])},
    {"potentiometer", kSlotPotentiometer, nullptr, "", "mV", 0, V(v.potentiometerMv)},
    {"programmings", kNoLiveSlot, "csvProgrammings", "", "", 0, V(v.programmings)},
    {"test1", kNoLiveSlot, "csvTest", "1", "", 0, V(v.test[0])},
    {"test2", kNoLiveSlot, "csvTest", "2", "", 0, V(v.test[1])},
    {"test3", kNoLiveSlot, "csvTest", "3", "", 0, V(v.test[2])},
    {"test4", kNoLiveSlot, "csvTest", "4", "", 0, V(v.test[3])},
    {"test5", kNoLiveSlot, "csvTest", "5", "", 0, V(v.test[4])},
    {"test6", kNoLiveSlot, "csvTest", "6", "", 0, V(v.test[5])},
    {"test7", kNoLiveSlot, "csvTest", "7", "", 0, V(v.test[6])},
    {"test8", kNoLiveSlot, "csvTest", "8", "", 0, V(v.test[7])},
    {"sinceStart", kNoLiveSlot, "csvSinceStart", "", "s", 1, V(v.sinceStart)},
    {"injectionPositionA", kSlotPosition, nullptr, " A", "°", 0, V(v.injectionPositionA)},
    {"injectionPositionB", kSlotPosition, nullptr, " B", "°", 0, V(v.injectionPositionB)},
    {"coolantCorrection", kNoLiveSlot, "csvTwCorrection", "", "%", 1, V(v.coolantCorrection)},
    {"airCorrection", kNoLiveSlot, "csvAtCorrection", "", "%", 1, V(v.airCorrection)},
    {"apCorrection", kNoLiveSlot, "csvApCorrection", "", "%", 1, V(v.apCorrection)},
    {"startCorrection", kNoLiveSlot, "csvStartCorrection", "", "%", 1, V(v.startCorrection)},
    {"voltageCorrection", kNoLiveSlot, "csvUCorrection", "", "ms", 3, V(v.voltageCorrection - 1000)},
    {"coolantAdvanceCorrection", kNoLiveSlot, "csvTwCorrection", "", "°", 1, V(v.coolantAdvanceCorrection - 1000)},
    {"potAdvanceCorrection", kNoLiveSlot, "csvPotCorrection", "", "°", 1, V(v.potAdvanceCorrection - 1000)},
    {"potInjectionCorrection", kNoLiveSlot, "csvPotCorrection", "", "%", 1, V(v.potInjectionCorrection)},
    {"speed", kSlotSpeed, nullptr, "", "km/h", 0, V(v.speed)},
    {"gearSensorMv", kSlotGearVoltage, nullptr, "", "mV", 0, V(v.gearSensorMv)},
    {"rpmSpeedRatio", kNoLiveSlot, "csvRpmSpeed", "", "", 1, V(v.rpmSpeedRatio)},
    {"learnedRatio1", kNoLiveSlot, "csvLearnedRatio", " 1", "", 1, V(v.learnedRatio[0])},
    {"learnedRatio2", kNoLiveSlot, "csvLearnedRatio", " 2", "", 1, V(v.learnedRatio[1])},
    {"learnedRatio3", kNoLiveSlot, "csvLearnedRatio", " 3", "", 1, V(v.learnedRatio[2])},
    {"learnedRatio4", kNoLiveSlot, "csvLearnedRatio", " 4", "", 1, V(v.learnedRatio[3])},
    {"learnedRatio5", kNoLiveSlot, "csvLearnedRatio", " 5", "", 1, V(v.learnedRatio[4])},
    {"learnedRatio6", kNoLiveSlot, "csvLearnedRatio", " 6", "", 1, V(v.learnedRatio[5])},
    {"idleAdvanceCorrection", kNoLiveSlot, "csvIdleCorrection", "", "°", 1, V(v.idleAdvanceCorrection - 1000)},
    {"iap", kNoLiveSlot, "csvIap", "", "kPa", 0, V(v.iapSensorError ? Value() : Value(v.iap))},
    {"throttle", kNoLiveSlot, "csvTp", "", "%", 1, V(v.throttleSensorError ? Value() : Value(v.throttle))},
    {"accelerationCorrection", kNoLiveSlot, "csvAccCorrection", "", "%", 1, V(v.accelerationCorrection)},
    {"stepServoPosition", kSlotStepServoPosition, nullptr, "", "", 0, V(v.stepServoPosition)},
    {"gasHandle", kSlotGasHandle, nullptr, "", "%", 1, V(v.gasHandle)},
    {"changedBlocks", kNoLiveSlot, "csvChangedBlocks", "", "", 0, V(v.changedBlocks)},
    {"savingCountdown", kNoLiveSlot, "csvSavingCountdown", "", "", 0, V(v.savingCountdown)},
    {"unitVersion", kNoLiveSlot, "csvUnitVersion", "", "", 0, V(v.unitVersion)},
};

#undef V

constexpr const char* kDefaultChart[] = {"rpm", "throttle", "afr", "advance", "injectionA", "coolant"};

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

}  // namespace

std::span<const LiveChannel> LiveChannels() { return kChannels; }

const LiveChannel* FindLiveChannel(std::string_view key) {
  const auto it =
      std::find_if(std::begin(kChannels), std::end(kChannels), [key](const LiveChannel& c) { return key == c.key; });
  return it != std::end(kChannels) ? &*it : nullptr;
}

std::span<const char* const> DefaultChartChannels() { return kDefaultChart; }

std::string LiveChannelName(const LiveChannel& channel, int language) {
  std::string name;
  if (channel.slot != kNoLiveSlot) {
    // Through the slots, not their table: some slots are composed of others.
    CTextSlots slots;
    slots.Apply(language);
    name = Trimmed(slots[channel.slot]);
  }
  if (channel.nameKey != nullptr) {
    if (!name.empty()) name += ' ';
    name += NamedTextOf(channel.nameKey, language);
  }
  return name + channel.suffix;
}

std::string LiveChannelHeading(const LiveChannel& channel, int language) {
  std::string heading = LiveChannelName(channel, language);
  if (channel.unit[0] != '\0') heading += std::string(" [") + channel.unit + "]";
  return heading;
}

std::string LiveTimeHeading(int language) { return std::string(NamedTextOf("csvTime", language)) + " [s]"; }

std::optional<double> LiveChannelValue(const LiveChannel& channel, std::span<const std::uint8_t> frame,
                                       const ConfigImage& image) {
  CLiveValues live;
  DecodeLiveFrame(frame, live);
  const Value v = channel.value(live, DeriveLiveValues(live, image));
  if (!v) return std::nullopt;
  double scale = 1;
  for (int i = 0; i < channel.decimals; ++i) scale *= 10;
  return double(*v) / scale;
}
