#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/MapCatalogue.h"
#include "link/LiveValues.h"
#include "sheet/LivePoint.h"
#include "sheet/SheetControls.h"
#include "sheet/TabModel.h"
#include "support/AdvanceSheet.h"

namespace {

// Connected, nothing invalid, engine at 5000 rpm, half throttle.
SheetLiveInputs Running() {
  SheetLiveInputs in;
  in.status = 0;
  in.engineSpeed = 5000;
  in.throttle = 50;
  in.pressure = 60;
  in.throttleShare = 100;
  return in;
}

CAxe MakeAxis(const char* shortName, double scale, std::vector<std::int32_t> points) {
  CAxe a;
  a.shortName = shortName;
  a.scale = scale;
  a.count = static_cast<int>(points.size());
  a.values = std::move(points);
  return a;
}

// Defines a catalogue control with its real axes; engine-speed points 10..150
// and pressure points 10..100 stand in for the image's.
void DefineFromCatalogue(SheetControlId id, CTabModel& model) {
  DefineControl(id, model, [](std::string_view) -> const void* { return nullptr; });
  for (int s = 0; s < model.SheetCount(); ++s) {
    CSheet& sheet = model.Sheet(s);
    if (sheet.xAxis.shortName == "RPM")
      for (int x = 0; x < sheet.xAxis.count; ++x) sheet.xAxis.values[static_cast<std::size_t>(x)] = 10 * (x + 1);
    if (sheet.yAxis.shortName == "IAP")
      for (int y = 0; y < sheet.yAxis.count; ++y) sheet.yAxis.values[static_cast<std::size_t>(y)] = 10 * (y + 1);
  }
}

TEST(LivePointTest, AxisIndexFollowsTheAxisShortName) {
  const std::vector<std::int32_t> rpm3040{30, 40};
  const std::vector<std::int32_t> advanceRpm{10, 15, 20, 25, 30};
  const std::vector<std::int32_t> start{0, 5, 10, 20, 60};
  const std::vector<std::int32_t> afr{100, 120, 147, 160, 200};
  const std::vector<std::int32_t> temp{-10, 5, 20, 35};
  struct Case {
    const char* what;
    const char* name;
    double scale;
    std::vector<std::int32_t> points;
    bool baseAdvance;
    void (*set)(SheetLiveInputs&);
    int expected;
  };
  const Case cases[] = {
      {"3050 rpm: a = 31 below the midpoint 35", "RPM", 100, rpm3040, false,
       [](SheetLiveInputs& l) { l.engineSpeed = 3050; }, 0},
      {"3550 rpm: the midpoint belongs to the upper point", "RPM", 100, rpm3040, false,
       [](SheetLiveInputs& l) { l.engineSpeed = 3550; }, 1},
      {"below the first point of a base-advance map", "RPM", 100, advanceRpm, true,
       [](SheetLiveInputs& l) { l.engineSpeed = 900; }, -1},
      {"below the first point elsewhere", "RPM", 100, advanceRpm, false,
       [](SheetLiveInputs& l) { l.engineSpeed = 900; }, 0},
      {"beyond the last point", "RPM", 100, advanceRpm, true, [](SheetLiveInputs& l) { l.engineSpeed = 12000; }, 4},
      {"start time: the last point not above it, not the nearest", "Tst", 1, start, false,
       [](SheetLiveInputs& l) { l.startTime = 9; }, 1},
      {"start time on a point", "Tst", 1, start, false, [](SheetLiveInputs& l) { l.startTime = 20; }, 3},
      {"start time past the last point", "Tst", 1, start, false, [](SheetLiveInputs& l) { l.startTime = 900; }, 4},
      {"AFR is not divided by the 0.1 scale", "AFR", 0.1, afr, false, [](SheetLiveInputs& l) { l.airFuelRatio = 133; },
       2},
      {"AFR just below a midpoint", "AFR", 0.1, afr, false, [](SheetLiveInputs& l) { l.airFuelRatio = 132; }, 1},
      {"throttle rounds half up", "TPS", 1, {0, 2, 5, 10}, false, [](SheetLiveInputs& l) { l.throttle = 3.5; }, 2},
      {"throttle invalid (status 2)", "TPS", 1, {0, 2, 5, 10}, false, [](SheetLiveInputs& l) { l.status = 2; }, -2},
      {"pressure", "IAP", 1, {20, 40, 60, 80}, false, [](SheetLiveInputs& l) { l.pressure = 71; }, 3},
      {"pressure invalid (status 4)", "IAP", 1, {20, 40, 60, 80}, false, [](SheetLiveInputs& l) { l.status = 4; }, -2},
      {"status 4 leaves the throttle alone",
       "TPS",
       1,
       {0, 2, 5, 10},
       false,
       [](SheetLiveInputs& l) { l.status = 4; },
       3},
      {"no connection (status 256)", "RPM", 100, rpm3040, false, [](SheetLiveInputs& l) { l.status = 256; }, -2},
      {"air temperature", "TA", 1, temp, false, [](SheetLiveInputs& l) { l.airTemperature = 25; }, 2},
      // Truncating -3 + 0.5 gave -2, which is not below the midpoint -2: the 5 C row.
      {"-3 C rounds to -3: the -10 C row", "TW", 1, temp, false, [](SheetLiveInputs& l) { l.coolantTemperature = -3; },
       0},
      {"-2 C is nearer 5 C", "TW", 1, temp, false, [](SheetLiveInputs& l) { l.coolantTemperature = -2; }, 1},
      {"an axis no input feeds", "P", 1, {0, 100}, false, [](SheetLiveInputs& l) { l.pressure = 50; }, -2},
  };
  for (const Case& c : cases) {
    SheetLiveInputs in = Running();
    c.set(in);
    EXPECT_EQ(LiveAxisIndex(MakeAxis(c.name, c.scale, c.points), in, c.baseAdvance), c.expected) << c.what;
  }
}

TEST(LivePointTest, AxisUnitsRoundHalfAwayFromZero) {
  EXPECT_EQ(LiveAxisUnits(3050, 100), 31);
  EXPECT_EQ(LiveAxisUnits(-3, 1), -3);
  EXPECT_EQ(LiveAxisUnits(-2.5, 1), -3);
  EXPECT_EQ(LiveAxisUnits(2.5, 1), 3);
  EXPECT_EQ(LiveAxisUnits(1e12, 1), 2147483647);  // saturates, never wraps
}

TEST(LivePointTest, InjectionMapKindsFollowTheThrottleShare) {
  CTabModel model(0x0071);
  DefineFromCatalogue(SheetControlId::kInjection, model);
  constexpr int kInj1 = 0, kInjB = 4, kInjIap = 5;
  struct Case {
    int sheet;
    int share;
    int engineSpeed;
    int kind;
  };
  const Case cases[] = {
      {kInj1, 0, 5000, -1},  {kInj1, 1, 5000, 2},   {kInj1, 99, 5000, 2},   {kInj1, 100, 5000, 1},
      {kInjIap, 0, 5000, 1}, {kInjIap, 1, 5000, 2}, {kInjIap, 99, 5000, 2}, {kInjIap, 100, 5000, -1},
      {kInjB, 0, 5000, 1},   {kInjB, 100, 5000, 1},  // "INJB" is not "INJ"
      {kInj1, 100, 0, 0},    {kInjIap, 0, 0, 0},     // a stopped engine has no operating point
  };
  for (const Case& c : cases) {
    model.SelectSheet(c.sheet);
    model.LiveInputs() = Running();
    model.LiveInputs().throttleShare = c.share;
    model.LiveInputs().engineSpeed = c.engineSpeed;
    model.UpdateLiveCell();
    const CSheet& s = model.Sheet(c.sheet);
    EXPECT_EQ(s.liveKind, c.kind) << s.title << " share " << c.share << " rpm " << c.engineSpeed;
    EXPECT_EQ(s.liveX, c.engineSpeed == 0 ? 0 : 4) << s.title;  // 50 hundreds of rpm on 10, 20, ...
  }
}

TEST(LivePointTest, BelowTheFirstPointThePlusKeyRaisesTheBaseAdvance) {
  CTabModel model(0x0071);
  const int s = DefineAdvanceSheet(model);
  model.LiveInputs() = Running();
  model.LiveInputs().engineSpeed = 700;
  model.LiveInputs().throttle = 0;
  model.UpdateLiveCell();
  EXPECT_EQ(model.Sheet(s).liveX, -1);
  EXPECT_EQ(model.Sheet(s).liveY, 0);
  EXPECT_EQ(model.Sheet(s).liveKind, 1);
  const std::int32_t base = model.Markers().baseAdvance;
  const std::int32_t cell = model.Sheet(s).Cell(0, 0);
  EXPECT_TRUE(model.Step(+1));
  EXPECT_EQ(model.Markers().baseAdvance, base + 1);
  EXPECT_EQ(model.Sheet(s).Cell(0, 0), cell);
}

// The idle curves run over coolant temperature: at -3 C "+" must step the
// -10 C point, the one the engine uses.
TEST(LivePointTest, MinusThreeDegreesStepsTheMinusTenRow) {
  CTabModel model(0x0130);
  DefineFromCatalogue(SheetControlId::kIdleSpeed, model);
  model.LiveInputs() = Running();
  model.LiveInputs().coolantTemperature = -3;
  model.UpdateLiveCell();
  CSheet& s = model.Sheet(0);
  EXPECT_EQ(s.liveY, 0);
  EXPECT_EQ(s.liveKind, 1);
  const std::int32_t minusTen = s.Cell(0, 0), five = s.Cell(0, 1);
  EXPECT_TRUE(model.Step(+1));
  EXPECT_GT(s.Cell(0, 0), minusTen);
  EXPECT_EQ(s.Cell(0, 1), five);
}

TEST(LivePointTest, SensorCharacteristicsMarkTheTemperatureRows) {
  CTabModel model(0x0130);
  DefineFromCatalogue(SheetControlId::kTemperatureSensors, model);  // rows -10, 5, 20, 35, 50 ...
  const CSheet& s = model.Sheet(0);
  model.LiveInputs() = Running();
  model.LiveInputs().coolantTemperature = -3;
  model.LiveInputs().airTemperature = 44;
  model.TakeRedrawRequest();
  model.UpdateLiveCell();
  EXPECT_EQ(s.liveExtraRow1, 0);
  EXPECT_EQ(s.liveExtraRow2, 4);
  EXPECT_EQ(s.liveKind, 0);
  EXPECT_NE(model.TakeRedrawRequest() & kRedraw, 0);
  // The same rows with another temperature still redraw: the graph draws lines at it.
  model.LiveInputs().airTemperature = 45;
  model.UpdateLiveCell();
  EXPECT_NE(model.TakeRedrawRequest() & kRedraw, 0);
  model.UpdateLiveCell();
  EXPECT_EQ(model.TakeRedrawRequest(), 0);
  model.LiveInputs().status = kLiveNoConnection;
  model.UpdateLiveCell();
  EXPECT_EQ(s.liveExtraRow1, -1);
  EXPECT_EQ(s.liveExtraRow2, -1);
}

TEST(LivePointTest, TicksWithBitOneAndSelectSheetReevaluate) {
  CTabModel model(0x0071);
  const int s = DefineAdvanceSheet(model);
  model.LiveInputs() = Running();
  model.Tick();  // tick 1
  EXPECT_EQ(model.Sheet(s).liveKind, 0);
  model.Tick();  // tick 2
  EXPECT_EQ(model.Sheet(s).liveKind, 1);
  EXPECT_EQ(model.Sheet(s).liveX, 7);  // 50 on 10, 15, 20, 25, 30, 35, 40, 50, 60 ...
  // No connection takes every mark away.
  model.LiveInputs().status = kLiveNoConnection;
  model.Tick();  // tick 3
  EXPECT_EQ(model.Sheet(s).liveKind, 0);
  EXPECT_EQ(model.Sheet(s).liveX, -2);
  EXPECT_EQ(model.Sheet(s).liveY, -2);
  model.LiveInputs().status = 0;
  model.SelectSheet(s);
  EXPECT_EQ(model.Sheet(s).liveKind, 1);
}

TEST(LivePointTest, SheetsWithoutTheLiveFlagHaveNoPoint) {
  CTabModel model;
  const int s = model.DefineSheet("Plain", "RPM", "TPS", "", 4, 3, 0);
  model.DefineAxis(s, kPartX, "RPM", "", 0, 250, 100, 1, {}, 1, 1, 1, 4, 0, 0, 0, -1, 0, 0, nullptr);
  model.SelectSheet(s);
  model.LiveInputs() = Running();
  model.UpdateLiveCell();
  EXPECT_EQ(model.Sheet(s).liveKind, 0);
  EXPECT_EQ(model.Sheet(s).liveX, -2);
  EXPECT_EQ(model.Sheet(s).liveY, -2);
}

TEST(LivePointTest, AutoscrollRevealsAMovedCellOnlyWhenOn) {
  CTabModel model(0x0071);
  const int s = DefineAdvanceSheet(model, 20);
  int autoscroll = 0;
  model.SetSharedAutoscroll(&autoscroll);
  model.LiveInputs() = Running();
  model.LiveInputs().engineSpeed = 14000;  // 140: point 18 of 10 ... 120, 125, ... 145
  model.UpdateLiveCell();
  EXPECT_EQ(model.TakeRevealRequest(), (SheetEntry{-2, -2}));
  autoscroll = 1;
  model.LiveInputs().engineSpeed = 14500;
  model.UpdateLiveCell();
  EXPECT_EQ(model.TakeRevealRequest(), (SheetEntry{19, 7}));
  EXPECT_EQ(model.Sheet(s).liveX, 19);  // throttle 50 is row 7 (60): the midpoint 50 belongs to it
  // Unmoved: nothing to follow.
  model.UpdateLiveCell();
  EXPECT_EQ(model.TakeRevealRequest(), (SheetEntry{-2, -2}));
}

TEST(LivePointTest, ControlsShareTheAutoscrollFlagAndRedrawNewMarkers) {
  struct Control : ISheetControl {
    CTabModel model;
    bool HasInputFocus() const override { return false; }
    void SheetTick() override {}
    CTabModel& Model() override { return model; }
  } a, b;
  CSheetControls list;
  list.Add(&a);
  list.Add(&b);
  for (Control* c : {&a, &b}) {
    DefineAdvanceSheet(c->model, 20);
    c->model.LiveInputs() = Running();
    c->model.TakeRedrawRequest();
  }
  list.TickAll();  // Add asked for the markers
  EXPECT_NE(a.model.RedrawRequest() & kRedraw, 0);
  EXPECT_NE(b.model.RedrawRequest() & kRedraw, 0);
  list.autoscroll = 1;
  b.model.LiveInputs().engineSpeed = 14500;
  b.model.UpdateLiveCell();
  EXPECT_EQ(b.model.TakeRevealRequest().x, 19);
}

TEST(LivePointTest, InputsFromTheLiveFrame) {
  CLiveValues live;
  live.rpm = 6200;
  live.throttle = 455;
  live.gasHandle = 300;
  live.iap = 87;
  live.injectionByThrottle = 60;
  live.coolant = 180;  // a failed sensor is stored so
  live.coolantError = true;
  live.air = 0;  // failed
  live.sinceStart = 123;
  live.afr = 147;
  SheetLiveInputs in = SheetLiveInputsFrom(live, false, false);
  EXPECT_EQ(in.engineSpeed, 6200);
  EXPECT_DOUBLE_EQ(in.throttle, 45.5);
  EXPECT_EQ(in.pressure, 87);
  EXPECT_EQ(in.throttleShare, 60);
  EXPECT_EQ(in.coolantTemperature, 80);
  EXPECT_EQ(in.airTemperature, 50);
  EXPECT_EQ(in.startTime, 12);
  EXPECT_DOUBLE_EQ(in.airFuelRatio, 147);
  EXPECT_EQ(in.status, 0);
  EXPECT_DOUBLE_EQ(SheetLiveInputsFrom(live, false, true).throttle, 30.0);
  live.air = 120;
  EXPECT_EQ(SheetLiveInputsFrom(live, false, false).airTemperature, 20);

  struct Case {
    bool throttleError, pressureError, noConnection;
    int status;
  };
  for (const Case& c : {Case{true, false, false, 2}, Case{false, true, false, 4}, Case{false, false, true, 256},
                        Case{true, true, true, 262}}) {
    live.throttleSensorError = c.throttleError;
    live.iapSensorError = c.pressureError;
    EXPECT_EQ(SheetLiveInputsFrom(live, c.noConnection, false).status, c.status) << c.status;
  }
}

}  // namespace
