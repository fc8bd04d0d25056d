#include "link/LiveChannels.h"

#include <algorithm>
#include <cstddef>
#include <iterator>

#include "shell/UiTexts.h"

namespace {

using Live = const CLiveValues&;
using Derived = const LiveDerived&;

template <std::size_t kCylinder>
double InjectionA(Live v, Derived) {
  return v.injectionA[kCylinder] * 100.0;  // the unit counts in 100 us
}
template <std::size_t kCylinder>
double InjectionB(Live v, Derived) {
  return v.injectionB[kCylinder] * 100.0;
}
template <int kIndex>
double FromDerived(Live, Derived d) {
  return d[kIndex];
}
double Flag(bool on) { return on ? 1 : 0; }
double Tenths(unsigned value) { return value * 0.1; }

constexpr LiveChannel kChannels[] = {
    {"rpm", "rpm", [](Live v, Derived) -> double { return v.rpm; }},
    {"throttle", "%", [](Live v, Derived) { return Tenths(v.throttle); }},
    {"afr", "AFR", [](Live v, Derived) { return Tenths(v.afr); }},
    {"lambdaMv", "mV", [](Live v, Derived) -> double { return v.lambdaMv; }},
    {"advance", "°", FromDerived<kDerivedAdvance>},
    {"advance1", "°", FromDerived<kDerivedAdvance1>},
    {"advance2", "°", FromDerived<kDerivedAdvance1 + 1>},
    {"advance3", "°", FromDerived<kDerivedAdvance1 + 2>},
    {"advance4", "°", FromDerived<kDerivedAdvance1 + 3>},
    {"injectionA", "us", FromDerived<kDerivedInjectionTimeA>},
    {"injectionB", "us", FromDerived<kDerivedInjectionTimeB>},
    {"injection1A", "us", InjectionA<0>},
    {"injection2A", "us", InjectionA<1>},
    {"injection3A", "us", InjectionA<2>},
    {"injection4A", "us", InjectionA<3>},
    {"injection1B", "us", InjectionB<0>},
    {"injection2B", "us", InjectionB<1>},
    {"injection3B", "us", InjectionB<2>},
    {"injection4B", "us", InjectionB<3>},
    {"maxInjectionDuty", "%", FromDerived<kDerivedMaxInjectionDuty>},
    {"injectionByThrottle", "%", [](Live v, Derived) -> double { return v.injectionByThrottle; }},
    {"coolant", "°C", [](Live v, Derived) -> double { return LiveCoolantC(v); }},
    {"air", "°C", [](Live v, Derived) -> double { return LiveAirC(v); }},
    {"ap", "kPa", [](Live v, Derived) { return Tenths(v.ap); }},
    {"iap", "kPa", [](Live v, Derived) -> double { return v.iap; }},
    {"supply", "V", [](Live v, Derived) { return v.supplyMv * 0.001; }},
    {"speed", "km/h", [](Live v, Derived) -> double { return v.speed; }},
    {"gear", "", [](Live v, Derived) -> double { return v.gear; }},
    {"gasHandle", "%", [](Live v, Derived) { return Tenths(v.gasHandle); }},
    {"dwell", "ms", [](Live v, Derived) { return Tenths(v.dwell); }},
    {"injectionPositionA", "°", [](Live v, Derived) -> double { return v.injectionPositionA; }},
    {"injectionPositionB", "°", [](Live v, Derived) -> double { return v.injectionPositionB; }},
    {"coolantCorrection", "%", [](Live v, Derived) { return Tenths(v.coolantCorrection); }},
    {"airCorrection", "%", [](Live v, Derived) { return Tenths(v.airCorrection); }},
    {"apCorrection", "%", [](Live v, Derived) { return Tenths(v.apCorrection); }},
    {"startCorrection", "%", [](Live v, Derived) { return Tenths(v.startCorrection); }},
    {"accelerationCorrection", "%", [](Live v, Derived) { return Tenths(v.accelerationCorrection); }},
    {"voltageCorrection", "us", [](Live v, Derived) { return int(v.voltageCorrection) - 1000.0; }},
    {"coolantAdvanceCorrection", "°", [](Live v, Derived) { return Tenths(v.coolantAdvanceCorrection) - 100; }},
    {"idleAdvanceCorrection", "°", [](Live v, Derived) { return (int(v.idleAdvanceCorrection) - 1000) * 0.1; }},
    {"potAdvanceCorrection", "°", [](Live v, Derived) { return Tenths(v.potAdvanceCorrection) - 100; }},
    {"potInjectionCorrection", "%", [](Live v, Derived) { return Tenths(v.potInjectionCorrection); }},
    {"intakeServo", "mV", [](Live v, Derived) -> double { return v.intakeServoMv[0]; }},
    {"exhaustServo", "mV", [](Live v, Derived) -> double { return v.exhaustServoMv[0]; }},
    {"stepServoPosition", "", [](Live v, Derived) -> double { return v.stepServoPosition; }},
    {"potentiometer", "mV", [](Live v, Derived) -> double { return v.potentiometerMv; }},
    {"throttleSensorMv", "mV", [](Live v, Derived) -> double { return v.throttleSensorMv; }},
    {"iapSensorMv", "mV", [](Live v, Derived) -> double { return v.iapSensorMv; }},
    {"ignitionLimiter", "", [](Live v, Derived) { return Flag(v.ignitionLimiter); }},
    {"injectionLimiter", "", [](Live v, Derived) { return Flag(v.injectionLimiter); }},
    {"retardLimiter", "", [](Live v, Derived) { return Flag(v.retardLimiter); }},
};

constexpr const char* kDefaultChart[] = {"rpm", "throttle", "afr", "advance", "injectionA", "coolant"};

}  // namespace

std::span<const LiveChannel> LiveChannels() { return kChannels; }

const LiveChannel* FindLiveChannel(std::string_view key) {
  const auto it =
      std::find_if(std::begin(kChannels), std::end(kChannels), [key](const LiveChannel& c) { return key == c.key; });
  return it != std::end(kChannels) ? &*it : nullptr;
}

std::span<const char* const> DefaultChartChannels() { return kDefaultChart; }

std::string_view LiveChannelName(std::string_view key, int language) {
  for (const NamedText& row : LiveChannelNames())
    if (key == row.name) return row.text.Get(language);
  return key;
}

double LiveChannelValue(const LiveChannel& channel, std::span<const std::uint8_t> frame, const ConfigImage& image) {
  CLiveValues live;
  DecodeLiveFrame(frame, live);
  return channel.value(live, DeriveLiveValues(live, image));
}
