#include "image/MapCatalogue.h"

#include <array>
#include <cmath>
#include <string>

#include "image/BikeTypes.h"
#include "image/MapStorage.h"
#include "sheet/TabModel.h"

namespace {

using G = Graduation;
using B = SheetBackground;
using Id = SheetControlId;

constexpr const char* kDeg = "\xC2\xB0";
constexpr const char* kDegC =
    "\xC2\xB0"
    "C";

// The two points of a pressure sensor are points of its line, which may lie
// beyond the 5 V the sensor gives: two bikes' defaults put 105 kPa at
// 5.124 V. Cut to 5 V they would change the calibration at the first commit.
constexpr std::int32_t kPressureLineMaxMv = 5500;

// clang-format off
constexpr GraduationRecord kG1[] = {{4000, 2000, 1000, 200, 1000}, {10000, 2000, 1000, 500, 1000}, {25000, 2000, 1000, 1000, 2000}};
constexpr GraduationRecord kG2[] = {{4000, 2000, 500, 200, 1000}, {10000, 2000, 1000, 500, 1000}, {25000, 2000, 1000, 1000, 2000}};
constexpr GraduationRecord kG3[] = {{10, 5, 1, 1, 2}, {30, 5, 5, 5, 5}};
constexpr GraduationRecord kG4[] = {{10, 5, 1, 1, 2}, {30, 5, 5, 5, 5}, {100, 20, 10, 5, 20}, {500, 100, 50, 25, 100}};
constexpr GraduationRecord kG5[] = {{2.5, 1, 0.5, 0.5, 0.5}, {10, 2, 1, 1, 1}, {30, 5, 5, 5, 5}};
constexpr GraduationRecord kG6[] = {{45, 15, 5, 5, 15}, {180, 45, 45, 15, 45}, {360, 45, 45, 45, 90}, {720, 90, 90, 90, 180}};
constexpr GraduationRecord kG7[] = {{100, 10, 10, 10, 20}};
constexpr GraduationRecord kG8[] = {{10, 2, 1, 1, 2}, {100, 20, 20, 20, 20}, {500, 100, 100, 100, 100}, {1000, 200, 200, 200, 200}};
constexpr GraduationRecord kG9[] = {{2, 1, 0.2, 0.2, 1}, {5, 1, 0.5, 0.5, 1}};

// Data axes take only: short name, unit, min, max, scale, graduations, editable, flags, group, colour, background.
constexpr AxisDef Data(const char* shortName, const char* unit, std::int32_t min, std::int32_t max, double scale,
                       G g, int flags, std::uint32_t group, TColor colour, B background) {
  return {shortName, unit, min, max, scale, 0, g, 1, flags, 0, 0, 0, 0, 0, 0, group, colour, background};
}

constexpr TColor kAdvColour = 0xFCE2F4, kInjColour = 0xFCF2E4, kWhite = 0xFFFFFF, kStartColour = 0xECD2F4,
                 kPressureColour = kSensorColour, kServoColour = kServoVoltsColour, kIapYColour = 0xFFEEEE;

//                         short  unit     min  max    scale step grad   ed fl mc cnt co cl ins rule group   colour       background
constexpr AxisDef kRpmX  {"RPM",  nullptr, 1,   250,   100,  1,   G::kG1, 1, 1, 1, 15, 0, 0, 1, -1,  0,     kAdvColour,  B::kNone};
constexpr AxisDef kTpsY  {"TPS",  "%",     0,   100,   1,    1,   G::kNone, 0, 1, 1, 10, 1, 0, 0, -2, 0,   kAdvColour,  B::kNone};
constexpr AxisDef kInjX  {"RPM",  nullptr, 1,   250,   100,  1,   G::kG1, 1, 1, 1, 15, 0, 0, 1, -1,  0x100, kInjColour,  B::kNone};
constexpr AxisDef kInjY  {"TPS",  "%",     0,   100,   1,    1,   G::kNone, 0, 1, 1, 10, 0, 0, 0, -2, 0x100, kInjColour, B::kNone};
constexpr AxisDef kIapX  {"RPM",  nullptr, 1,   250,   100,  1,   G::kG1, 1, 1, 1, 15, 0, 0, 1, -2,  0x100, kInjColour,  B::kNone};
constexpr AxisDef kIapY  {"IAP",  "kPa",   0,   1000,  1,    1,   G::kNone, 1, 1, 1, 10, 0, 0, 0, -2, 0,   kIapYColour, B::kNone};
constexpr AxisDef kPosY  {"no",   "",      0,   100,   1,    1,   G::kNone, 0, 0, 1, 1, 2, 1, 0, -2,  0,     kAdvColour,  B::kNone};
constexpr AxisDef kColdX2{"",     nullptr, 0,   20000, 1,    1,   G::kNone, 0, 0, 1, 2, 0, 0, 0, -1,  0,     kWhite,      B::kBgWa};
constexpr AxisDef kColdX1{"",     nullptr, 0,   20000, 1,    1,   G::kNone, 0, 0, 1, 1, 0, 0, 0, -1,  0,     kWhite,      B::kBgWa};
constexpr AxisDef kTempY5{"TW",   kDegC,   -10, 110,   1,    1,   G::kG7, 0, 1, 1, 5, 0, 0, 0, -2,   0,     kWhite,      B::kBgRainbow};
constexpr AxisDef kTempY9{"TW",   kDegC,   -10, 110,   1,    1,   G::kG7, 0, 1, 1, 9, 0, 0, 0, -2,   0,     kWhite,      B::kBgRainbow2};
constexpr AxisDef kStartX{"",     nullptr, 0,   20000, 1,    1,   G::kNone, 0, 0, 1, 1, 2, 1, 0, -1,  0,     kInjColour,  B::kNone};
constexpr AxisDef kStartY{"Tst",  "s",     0,   600,   1,    1,   G::kG8, 1, 1, 1, 5, 0, 0, 0, -2,   0,     kStartColour, B::kNone};
constexpr AxisDef kAfrY  {"AFR",  "",      0,   250,   0.1,  1,   G::kG8, 1, 1, 1, 5, 0, 0, 0, -2,   0,     kStartColour, B::kNone};
constexpr AxisDef kPresX {"",     nullptr, 0,   20000, 1,    1,   G::kNone, 0, 0, 1, 2, 2, 1, 0, -1,  0,     kPressureColour, B::kNone};
constexpr AxisDef kPresY {"P",    "kPa",   0,   1000,  1,    1,   G::kG8, 1, 1, 1, 2, 0, 0, 0, -2,   0,     kPressureColour, B::kNone};
constexpr AxisDef kServoX{"RPM",  nullptr, 1,   250,   100,  1,   G::kG1, 1, 1, 1, 15, 1, 0, 1, -1,  0,     kServoColour, B::kNone};
constexpr AxisDef kServoY{"TPS",  "%",     0,   100,   1,    1,   G::kNone, 0, 1, 1, 10, 1, 0, 0, -2, 0,    kServoColour, B::kNone};
constexpr AxisDef kIdleX {"",     nullptr, 0,   20000, 1,    1,   G::kNone, 0, 0, 1, 1, 2, 1, 0, -1,  0,     kWhite,      B::kBgWa};
constexpr AxisDef kLambdaX{"RPM", nullptr, 1,   250,   100,  1,   G::kG1, 1, 1, 1, 5, 0, 0, 0, -1,   0,     kWhite,      B::kNone};
constexpr AxisDef kLambdaY{"TPS", "%",     0,   100,   1,    1,   G::kNone, 0, 0, 1, 5, 0, 0, 0, -2,  0,     kWhite,      B::kNone};

constexpr AxisDef kAdvData  = Data("ADV", kDeg, -20, 60, 1, G::kG3, 2, 0, kAdvColour, B::kNone);
constexpr AxisDef kInjData  = Data("INJ", "ms", 0, 655350, 0.0001, G::kG5, 0, 0x100, kInjColour, B::kBgInjB);
constexpr AxisDef kInjBData = Data("INJB", "%", 0, 100, 1, G::kG4, 0, 0, kInjColour, B::kBgInjB);
constexpr AxisDef kPosData  = Data("Position", kDeg, 0, 144, 5, G::kG6, 2, 0, kAdvColour, B::kNone);
constexpr AxisDef kVoltWhite = Data("U", "V", 0, 5000, 0.001, G::kG9, 2, 0, kWhite, B::kBgRainbow2);

constexpr SheetDef kSheets[] = {
  {"Advance", "RPM", "TPS", "Advance", 15, 10, 0x0701, kRpmX, kTpsY, kAdvData, 1},
  {"Inj. 1", "RPM", "TPS", "Injection", 15, 10, 0x4611, kInjX, kInjY, kInjData, 10},
  {"Inj. 2", "RPM", "TPS", "Injection", 15, 10, 0x4611, kInjX, kInjY, kInjData, 10},
  {"Inj. 3", "RPM", "TPS", "Injection", 15, 10, 0x4611, kInjX, kInjY, kInjData, 10},
  {"Inj. 4", "RPM", "TPS", "Injection", 15, 10, 0x4611, kInjX, kInjY, kInjData, 10},
  {"Inj. B", "RPM", "TPS", "Injection", 15, 10, 0x4601, kInjX, kInjY, kInjBData, 1},
  {"Inj. IAP", "RPM", "IAP", "Injection", 15, 10, 0x4611, kIapX, kIapY, kInjData, 10},
  {"Position of Injection A", "RPM", "TPS", "Position", 15, 1, 0x4601, kRpmX, kPosY, kPosData, 1},
  {"Position of Injection B", "RPM", "TPS", "Position", 15, 1, 0x4601, kRpmX, kPosY, kPosData, 1},
  {"Temperature corrections of injection", "", "", "Injection", 2, 5, 0x0003, kColdX2, kTempY5,
   Data("INJ", "%", 0, 200, 1, G::kG4, 2, 0, kWhite, B::kBgRainbow), 1},
  {"Temperature corrections of advance", "", "", "Advance", 15, 10, 0x0703, kColdX1, kTempY5,
   Data("ADV", kDeg, -60, 60, 1, G::kG3, 2, 0, kWhite, B::kBgRainbow), 1},
  {"Starting corrections", "", "Time", "for -10\xC2\xB0" "C", 15, 10, 0x4703, kStartX, kStartY,
   Data("COR", "%", 100, 350, 1, G::kG4, 2, 0, kStartColour, B::kNone), 1},
  {"Characteristic of temperature sensors", "", "", "Voltage", 2, 9, 0x4003, kColdX2, kTempY9, kVoltWhite, 1},
  {"Lambda sensor", "", "AFR", "Voltage", 1, 5, 0x0703, kStartX, kAfrY,
   Data("U", "V", 0, 5000, 0.001, G::kG9, 2, 0, kStartColour, B::kNone), 1},
  {"Pressure sensor - AP", "", "Pressure", "Voltage", 2, 2, 0x07A3, kPresX, kPresY,
   Data("U", "V", 0, kPressureLineMaxMv, 0.001, G::kG9, 2, 0, kPressureColour, B::kNone), 1},
  {"Intake pressure sensor - IAP", "", "Pressure", "Voltage", 2, 2, 0x07A3, kPresX, kPresY,
   Data("U", "V", 0, kPressureLineMaxMv, 0.001, G::kG9, 2, 0, kPressureColour, B::kNone), 1},
  {"Intake servo", "RPM", "TPS", "Voltage", 15, 10, 0x0609, kServoX, kServoY,
   Data("U", "V", 0, 250, 0.02, G::kG9, 2, 0, kServoColour, B::kNone), 1},
  {"Exhaust servo", "RPM", "TPS", "Voltage", 15, 10, 0x0609, kServoX, kServoY,
   Data("U", "V", 0, 250, 0.02, G::kG9, 2, 0, kServoColour, B::kNone), 1},
  {"", "", "T", "Voltage", 1, 9, 0x0003, kIdleX, kTempY9, kVoltWhite, 1},
  {"Idle advance RPM desired", "", "T", "RPM", 1, 9, 0x0003, kIdleX, kTempY9,
   Data("RPM", "", 0, 240, 50, G::kG2, 2, 0, kWhite, B::kBgRainbow2), 1},
  {"Lambda [AFR]", "RPM", "TPS", "AFR", 5, 5, 0x0001, kLambdaX, kLambdaY,
   Data("Lambda", "", 0, 250, 0.1, G::kG8, 2, 0, kWhite, B::kNone), 1},
};

constexpr SheetControlLayout kControls[] = {
  // id                            page size rule             w    h    left top  options budget  fonts unit sheets
  {Id::kAdvance,                  1,  SizeRule::kPage,         0,   0,   0,   0,   0x0071, 0, 0,   0, 0, 0,   0, 1},
  {Id::kInjection,                2,  SizeRule::kPage,         0,   0,   0,   0,   0x0071, 0, 0,   0, 0, 0,   1, 6},
  {Id::kPositionA,                3,  SizeRule::kPageWidth,    0,   210, 0,   0,   0x1111, 0, 5,   0, 0, 1,   7, 1},
  {Id::kPositionB,                3,  SizeRule::kPageWidth,    0,   210, 0,   210, 0x1111, 0, 5,   0, 0, 1,   8, 1},
  {Id::kInjectionTempCorrection,  4,  SizeRule::kAtMostHeight, 270, 200, 260, 5,   0x0130, 2, 5,   9, 0, 1,   9, 1},
  {Id::kAdvanceTempCorrection,    4,  SizeRule::kFixed,        270, 200, 730, 5,   0x0130, 2, 5,   9, 0, 1,  10, 1},
  {Id::kStartingCorrection,       4,  SizeRule::kFixed,        250, 200, 5,   5,   0x0130, 2, 5,   9, 9, 1,  11, 1},
  {Id::kTemperatureSensors,       5,  SizeRule::kAtMostHeight, 270, 288, 260, 5,   0x0130, 2, 9,   9, 0, 1,  12, 1},
  {Id::kLambdaSensor,             5,  SizeRule::kAtMostHeight, 235, 200, 535, 5,   0x0130, 2, 5,   9, 9, 1,  13, 1},
  {Id::kApSensor,                 5,  SizeRule::kFixed,        250, 130, 10,  120, 0x0130, 2, 2,   9, 9, 1,  14, 1},
  {Id::kIapSensor,                5,  SizeRule::kFixed,        250, 130, 10,  240, 0x0130, 2, 2,   9, 9, 1,  15, 1},
  {Id::kServo,                    6,  SizeRule::kPage,         0,   0,   0,   0,   0x0071, 0, 0,   0, 0, 0,  16, 2},
  {Id::kIdlePosition,             9,  SizeRule::kFixed,        470, 288, 10,  137, 0x0130, 5, 9,   9, 0, 1,  18, 1},
  {Id::kIdleSpeed,                9,  SizeRule::kFixed,        470, 288, 490, 137, 0x0130, 5, 9,   9, 0, 1,  19, 1},
  {Id::kDesiredAfr,               11, SizeRule::kFixed,        500, 342, 450, 45,  0x0071, 5, 10,  9, 0, 0,  20, 1},
};

constexpr std::int32_t kTempRows5[] = {-10, 20, 50, 80, 110};
constexpr std::int32_t kTempRows9[] = {-10, 5, 20, 35, 50, 65, 80, 95, 110};
// Ids of the sheet texts; 10010 also lets the live point follow the coolant temperature.
constexpr std::int32_t kCoolantAndAir[] = {10010, 10020};
constexpr std::int32_t kCoolantOnly[] = {10010};

constexpr FixedAxisValues kFixedAxes[] = {
  {Id::kAdvance,                 0, 0, kPartY, kThrottleRows, 0},
  {Id::kInjection,               0, kInjectionBSheet, kPartY, kThrottleRows, 0},
  {Id::kServo,                   0, 1, kPartY, kThrottleRows, 0},
  {Id::kInjectionTempCorrection, 0, 0, kPartY, kTempRows5, 0},
  {Id::kInjectionTempCorrection, 0, 0, kPartX, kCoolantAndAir, 1},
  {Id::kAdvanceTempCorrection,   0, 0, kPartY, kTempRows5, 0},
  {Id::kAdvanceTempCorrection,   0, 0, kPartX, kCoolantOnly, 1},
  {Id::kTemperatureSensors,      0, 0, kPartY, kTempRows9, 0},
  {Id::kTemperatureSensors,      0, 0, kPartX, kCoolantAndAir, 1},
  {Id::kIdlePosition,            0, 0, kPartY, kTempRows9, 0},
  {Id::kIdleSpeed,               0, 0, kPartY, kTempRows9, 0},
  {Id::kDesiredAfr,              0, 0, kPartY, kDesiredAfrRows, 0},
};

// The idle position curve by case: bike with its own step motor, then idle types 1 (percent, volts), 2, 3, other.
constexpr IdleCurveUnit kIdleMinPosition{"Min. position", "Percentage", "[%]", "%", 100, 1, G::kG4, 1, 1};
constexpr IdleCurveUnit kIdleServoPercent{"Start position of intake servo", "Percentage", "[%]", "%", 100, 1, G::kG4, 1, 1};
constexpr IdleCurveUnit kIdleServoVolts{"Start position of intake servo", "Voltage", "U", "V", 1000, 0.005, G::kG9, 5, 1};
constexpr IdleCurveUnit kIdleDesiredRpm{"Desired RPM", "RPM", "RPM", "", 1200, 10, G::kG1, 10, 1};
constexpr IdleCurveUnit kIdleSteps{"TPS min [in steps of servo]", "Steps", "", "", 30000, 1, G::kG1, 1, 1};
// Hidden: the words pass through untouched, whatever they hold.
constexpr IdleCurveUnit kIdleOff{"", "Steps", "", "", 65535, 1, G::kNone, 1, 0};
// clang-format on

static_assert(std::size(kControls) == kSheetControlCount);

constexpr bool ControlsFollowIds() {
  int next = 0;
  for (std::size_t i = 0; i < std::size(kControls); ++i) {
    if (Index(kControls[i].id) != i || kControls[i].firstSheet != next) return false;
    next += kControls[i].sheetCount;
  }
  return next == static_cast<int>(std::size(kSheets));
}
static_assert(ControlsFollowIds(), "control table out of step with SheetControlId or the sheet table");

constexpr std::string_view kBackgroundNames[] = {"", "BGWA", "BGRAINBOW", "BGRAINBOW2", "BGINJB", "BGINJG"};

int Scaled(int v, double s) { return static_cast<int>(std::lround(v * s)); }

void Define(CTabModel& model, const SheetDef& d, const SheetControlLayout& layout, const BackgroundLookup& lookup) {
  const int s = model.DefineSheet(d.title, d.xLabel, d.yLabel, d.dataLabel, d.xMax, d.yMax, d.flags);
  if (s < 0) return;
  auto background = [&](SheetBackground b) -> const void* {
    return b == SheetBackground::kNone || !lookup ? nullptr : lookup(BackgroundName(b));
  };
  const std::pair<int, const AxisDef*> axes[] = {{kPartX, &d.x}, {kPartY, &d.y}, {kPartData, &d.data}};
  for (const auto& [part, a] : axes)
    model.DefineAxis(s, part, a->shortName ? a->shortName : "", a->unit ? a->unit : "", a->min, a->max, a->scale,
                     a->step, GraduationList(a->graduations), a->editable, a->axisFlags, a->minCount, a->count,
                     a->collapseOption, a->collapsed, a->insertAllowed, a->fixedIndexRule, a->groupMask, a->colour,
                     background(a->background));
  CSheet& sheet = model.Sheet(s);
  sheet.dataAxis.displayQuantum = d.displayQuantum;
  sheet.dataAxis.showUnit = layout.showDataUnit;
  if (layout.titleFont) sheet.titleFontSize = layout.titleFont;
  if (layout.labelFont) sheet.labelFontSize = layout.labelFont;
}

}  // namespace

std::string_view BackgroundName(SheetBackground b) { return kBackgroundNames[static_cast<std::size_t>(b)]; }

std::span<const GraduationRecord> GraduationList(Graduation g) {
  switch (g) {
    case G::kNone:
      return {};
    case G::kG1:
      return kG1;
    case G::kG2:
      return kG2;
    case G::kG3:
      return kG3;
    case G::kG4:
      return kG4;
    case G::kG5:
      return kG5;
    case G::kG6:
      return kG6;
    case G::kG7:
      return kG7;
    case G::kG8:
      return kG8;
    case G::kG9:
      return kG9;
  }
  return {};
}

std::span<const SheetControlLayout> SheetControlLayouts() { return kControls; }
const SheetControlLayout& Layout(SheetControlId id) { return kControls[Index(id)]; }
std::span<const SheetDef> SheetDefs() { return kSheets; }
std::span<const SheetDef> SheetsOf(SheetControlId id) {
  const auto& l = Layout(id);
  return std::span<const SheetDef>(kSheets).subspan(l.firstSheet, l.sheetCount);
}
std::span<const FixedAxisValues> FixedAxes() { return kFixedAxes; }

void SetFixedAxisValues(SheetControlId id, CTabModel& model) {
  for (const FixedAxisValues& f : kFixedAxes) {
    if (f.control != id) continue;
    for (int s = f.firstSheet; s <= f.lastSheet && model.ValidSheet(s); ++s) {
      CAxe& axis = model.Sheet(s).Axis(f.part);
      for (std::size_t i = 0; i < f.values.size() && i < axis.values.size(); ++i) axis.values[i] = f.values[i];
      axis.namedValues = f.named;
    }
  }
}

ControlRect PlaceSheetControl(const SheetControlLayout& l, int clientWidth, int clientHeight, double s) {
  ControlRect r{Scaled(l.left, s), Scaled(l.top, s), Scaled(l.width, s), Scaled(l.height, s)};
  switch (l.size) {
    case SizeRule::kPage:
      r.width = clientWidth;
      r.height = clientHeight - 30;
      break;
    case SizeRule::kPageWidth:
      r.width = clientWidth;
      break;
    case SizeRule::kFixed:
      break;
    case SizeRule::kAtMostHeight:
      if (s >= 1) r.height = l.height;
      break;
  }
  return r;
}

void DefineControl(SheetControlId id, CTabModel& model, const BackgroundLookup& backgrounds) {
  const SheetControlLayout& layout = Layout(id);
  for (const SheetDef& d : SheetsOf(id)) Define(model, d, layout, backgrounds);
  if (layout.budgetColumns || layout.budgetRows)
    model.SetBudget({layout.budgetColumns ? layout.budgetColumns : table::kColumnBudget,
                     layout.budgetRows ? layout.budgetRows : table::kRowBudget});
  SetFixedAxisValues(id, model);
  if (id == SheetControlId::kIdlePosition) ApplyIdleCurveUnit(model, kIdleServoVolts);
  for (int s = 0; s < model.SheetCount(); ++s) model.ApplyAxisRules(s, kPartAll | kPartResetElastic);
  model.SelectSheet(0);
}

const IdleCurveUnit& IdleCurveFor(int bike, int idleType, int intakeServoPercent) {
  if (IdlePositionBike(bike)) return kIdleMinPosition;
  switch (idleType) {
    case 1:
      return intakeServoPercent == 1 ? kIdleServoPercent : kIdleServoVolts;
    case 2:
      return kIdleDesiredRpm;
    case 3:
      return kIdleSteps;
    default:
      return kIdleOff;
  }
}

void ApplyIdleCurveUnit(CTabModel& model, const IdleCurveUnit& u) {
  if (!model.ValidSheet(0)) return;
  model.SetSheetTitle(0, u.title);
  CAxe& d = model.Sheet(0).dataAxis;
  d.label = u.dataLabel;
  d.shortName = u.shortName;
  d.unit = u.unit;
  d.min = 0;
  d.max = u.max;
  d.scale = u.scale;
  const auto g = GraduationList(u.graduations);
  d.graduations.assign(g.begin(), g.end());
  model.RequestRedraw(kRedraw | kRelayout);
}

void ApplyServoDataUnit(CSheet& sheet, int percent) {
  CAxe& d = sheet.dataAxis;
  const bool p = percent == 1;
  d.max = p ? 100 : 250;
  d.scale = p ? 1.0 : 0.02;
  // Whole strings: GCC 12 warns falsely (-Wrestrict) on one-character literals
  // assigned through a conditional.
  static const std::string kPercent[] = {"Percentage", "[%]", "%"}, kVolts[] = {"Voltage", "U", "V"};
  const std::string* t = p ? kPercent : kVolts;
  d.label = t[0];
  d.shortName = t[1];
  d.unit = t[2];
}
