#include "sheet/LivePoint.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string_view>

#include "link/LiveValues.h"

namespace {

std::int32_t SaturateDouble(double v) {
  if (std::isnan(v)) return 0;
  return static_cast<std::int32_t>(
      std::clamp<double>(v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

// Which input an axis follows, by its short name; invalidBit voids it.
struct AxisSource {
  std::string_view shortName;
  int invalidBit;
  double (*value)(const SheetLiveInputs&);
};

constexpr AxisSource kAxisSources[] = {
    {"RPM", 0, [](const SheetLiveInputs& l) { return double(l.engineSpeed); }},
    {"TPS", kLiveThrottleInvalid, [](const SheetLiveInputs& l) { return l.throttle; }},
    {"IAP", kLivePressureInvalid, [](const SheetLiveInputs& l) { return double(l.pressure); }},
    {"TA", 0, [](const SheetLiveInputs& l) { return double(l.airTemperature); }},
    {"TW", 0, [](const SheetLiveInputs& l) { return double(l.coolantTemperature); }},
    {"Tst", 0, [](const SheetLiveInputs& l) { return double(l.startTime); }},
    {"AFR", 0, [](const SheetLiveInputs& l) { return l.airFuelRatio; }},
};

std::int32_t Point(const CAxe& axis, int i) { return axis.values[static_cast<std::size_t>(i)]; }

// The nearest point, a midpoint belonging to the upper one. The midpoint
// truncates toward zero like the unit's own arithmetic.
int NearestPoint(const CAxe& axis, std::int32_t a) {
  for (int i = 0; i + 1 < axis.count; ++i)
    if (a < (static_cast<std::int64_t>(Point(axis, i)) + Point(axis, i + 1)) / 2) return i;
  return axis.count - 1;
}

bool AxisUsable(const CAxe& axis) {
  return axis.count > 0 && static_cast<std::size_t>(axis.count) <= axis.values.size();
}

// The row of a sensor characteristic a temperature falls on.
int TemperatureRow(const CSheet& sheet, std::int32_t temperature) {
  if (!AxisUsable(sheet.yAxis)) return -1;
  const std::int32_t a = LiveAxisUnits(temperature, sheet.xAxis.scale);
  return a <= Point(sheet.yAxis, 0) ? 0 : NearestPoint(sheet.yAxis, a);
}

}  // namespace

std::int32_t LiveAxisUnits(double value, double scale) {
  if (!(std::isfinite(scale) && scale != 0)) scale = 1;
  return SaturateDouble(std::round(value / scale));
}

int LiveAxisIndex(const CAxe& axis, const SheetLiveInputs& live, bool belowMeansMinusOne) {
  if (!live.Connected() || !AxisUsable(axis)) return -2;
  const auto* source = std::find_if(std::begin(kAxisSources), std::end(kAxisSources),
                                    [&](const AxisSource& s) { return s.shortName == axis.shortName; });
  if (source == std::end(kAxisSources) || (live.status & source->invalidBit)) return -2;
  const double value = source->value(live);
  const std::string_view name = source->shortName;
  // The ratio comes in the axis' own tenths already.
  const std::int32_t a = name == "AFR" ? SaturateDouble(std::trunc(value)) : LiveAxisUnits(value, axis.scale);
  if (a < Point(axis, 0)) return name == "RPM" && belowMeansMinusOne ? -1 : 0;
  if (name == "Tst") {
    int i = 0;
    while (i < axis.count && Point(axis, i) <= a) ++i;
    return i - 1;
  }
  return NearestPoint(axis, a);
}

LiveCell EvaluateLiveCell(const CSheet& sheet, const SheetLiveInputs& live) {
  LiveCell c;
  // Without the unit no mark may stay, not even on a sheet whose axes are both collapsed.
  if (!(sheet.flags & kSheetLivePoint) || !live.Connected()) return c;
  const CAxe& xs = sheet.xAxis;
  if (xs.namedValues) {
    if (AxisUsable(xs) && Point(xs, 0) == kLiveCoolantPoint)
      c.extraRow1 = TemperatureRow(sheet, live.coolantTemperature);
    if (AxisUsable(xs) && xs.count > 1 && Point(xs, 1) == kLiveAirPoint)
      c.extraRow2 = TemperatureRow(sheet, live.airTemperature);
    return c;
  }
  const bool baseAdvance = (sheet.flags & kSheetBaseAdvanceMarker) != 0;
  c.x = LiveAxisIndex(xs, live, baseAdvance);
  c.y = LiveAxisIndex(sheet.yAxis, live, baseAdvance);
  if ((c.x == -2 && !xs.collapsed) || (c.y == -2 && !sheet.yAxis.collapsed)) return c;
  c.kind = 1;
  if (xs.collapsed) c.x = xs.fixedIndex;
  if (sheet.yAxis.collapsed) c.y = sheet.yAxis.fixedIndex;
  // An injection map the unit blends by throttle share: used fully, partly or not at all.
  if (sheet.dataAxis.shortName == "INJ") {
    const int share = live.throttleShare;
    if (sheet.yAxis.shortName == "TPS") c.kind = share == 100 ? 1 : (share > 0 ? 2 : -1);
    if (sheet.yAxis.shortName == "IAP") c.kind = share == 0 ? 1 : (share < 100 ? 2 : -1);
  }
  if (xs.shortName == "RPM" && live.engineSpeed == 0) c.kind = 0;
  return c;
}

LiveCell LiveCellOf(const CSheet& sheet) {
  return {sheet.liveX, sheet.liveY, sheet.liveKind, sheet.liveExtraRow1, sheet.liveExtraRow2};
}

void StoreLiveCell(CSheet& sheet, const LiveCell& cell) {
  sheet.liveX = cell.x;
  sheet.liveY = cell.y;
  sheet.liveKind = cell.kind;
  sheet.liveExtraRow1 = cell.extraRow1;
  sheet.liveExtraRow2 = cell.extraRow2;
}

SheetLiveInputs SheetLiveInputsFrom(const CLiveValues& live, bool noConnection, bool gasHandle) {
  SheetLiveInputs in;
  in.engineSpeed = live.rpm;
  in.throttle = (gasHandle ? live.gasHandle : live.throttle) * 0.1;
  in.pressure = live.iap;
  in.throttleShare = std::min<int>(live.injectionByThrottle, 100);
  in.airTemperature = LiveAirC(live);
  in.coolantTemperature = LiveCoolantC(live);
  in.startTime = live.sinceStart / 10;
  in.airFuelRatio = live.afr;
  in.status = (live.throttleSensorError ? kLiveThrottleInvalid : 0) | (live.iapSensorError ? kLivePressureInvalid : 0) |
              (noConnection ? kLiveNoConnection : 0);
  return in;
}
