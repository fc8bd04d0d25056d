#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "sheet/SheetTestSupport.h"
#include "sheet/ValueText.h"
#include "base/Lang.h"

namespace {

TEST(SheetDefineTest, NinthSheetIsRefusedAndTheEightStay) {
  CTabModel model;
  for (int i = 0; i < 8; ++i)
    EXPECT_EQ(model.DefineSheet("Inj. " + std::to_string(i), "RPM", "TPS", "INJ", 5 + i, 3, 0), i);
  EXPECT_EQ(model.DefineSheet("ninth", "RPM", "TPS", "INJ", 5, 3, 0), -1);
  ASSERT_EQ(model.SheetCount(), 8);
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(model.Sheet(i).title, "Inj. " + std::to_string(i));
    EXPECT_EQ(model.Sheet(i).xAxis.count, 5 + i);
  }
}

TEST(SheetDefineTest, CountsAreClampedToTheArrays) {
  CTabModel model;
  const int s = model.DefineSheet("Advance", "RPM", std::string(40, 'L'), "Advance", 60, 40, 0);
  const CSheet& sh = model.Sheet(s);
  EXPECT_EQ(sh.xAxis.maxCount, 50);
  EXPECT_EQ(sh.xAxis.count, 50);
  EXPECT_EQ(sh.yAxis.maxCount, 30);
  EXPECT_EQ(sh.yAxis.count, 30);
  EXPECT_EQ(sh.yAxis.label.size(), 31u);
  EXPECT_EQ(sh.xAxis.showUnit, 1);
  EXPECT_EQ(sh.yAxis.showUnit, 1);
  EXPECT_EQ(sh.dataAxis.showUnit, 0);
  // Fresh zero points are already put in order by the rules.
  EXPECT_EQ(sh.xAxis.values[0], 0);
  EXPECT_EQ(sh.xAxis.values[49], 49);
  EXPECT_EQ(model.ActiveIndex(), -1);
}

TEST(SheetDefineTest, DefineAxisLimitsMinCountAndCount) {
  struct Case {
    int minCount, count, expectMin, expectCount;
  };
  const Case cases[] = {{0, 5, 1, 5}, {-3, 0, 1, 1}, {2, 99, 2, 10}, {12, 3, 10, 10}, {4, 2, 4, 4}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.minCount) + "/" + std::to_string(c.count));
    CTabModel model;
    const int s = model.DefineSheet("T", "RPM", "TPS", "ADV", 10, 5, 0);
    model.DefineAxis(s, kPartX | kPartY, "RPM", "rpm", 0, 100, 1.0, 1, {}, 1, 1, c.minCount, c.count, 0, 0, 0, -1, 0,
                     0xFFFFFF, nullptr);
    EXPECT_EQ(model.Sheet(s).xAxis.minCount, c.expectMin);
    EXPECT_EQ(model.Sheet(s).xAxis.count, c.expectCount);
    EXPECT_EQ(model.Sheet(s).yAxis.count, std::min(c.expectCount, 5));
  }
}

TEST(SheetDefineTest, DefineAxisTextsAndIgnoredIndices) {
  CTabModel model;
  const int s = model.DefineSheet("T", "RPM", "TPS", "ADV", 10, 5, 0);
  const GraduationRecord grads[] = {
      {4000, 2000, 1000, 200, 1000}, {10000, 2000, 1000, 500, 1000}, {25000, 2000, 1000, 1000, 2000}, {0, 0, 0, 0, 0}};
  model.DefineAxis(s, kPartX, "ENGINESPEED", "rpm", 0, 200, 100.0, 1, grads, 1, 1, 1, 10, 0, 0, 0, -1, 1, 0xFFFFFF,
                   nullptr);
  model.DefineAxis(s, kPartX, nullptr, nullptr, 0, 200, 100.0, 1, grads, 1, 1, 1, 10, 0, 0, 0, -1, 1, 0xFFFFFF,
                   nullptr);
  const CAxe& x = model.Sheet(s).xAxis;
  EXPECT_EQ(x.shortName, "ENGINES");  // 7 characters
  EXPECT_EQ(x.unit, "rpm");
  ASSERT_EQ(x.graduations.size(), 3u);
  EXPECT_EQ(x.GraduationFor(5000).s3, 500);
  EXPECT_EQ(x.GraduationFor(90000).spanLimit, 25000);  // beyond every limit: the last
  model.DefineAxis(s, kPartData, "ADV", nullptr, 0, 50, 0.5, 0, {}, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0xFFFFFF, nullptr);
  EXPECT_EQ(model.Sheet(s).dataAxis.numeric, 1);
  EXPECT_EQ(model.Sheet(s).dataAxis.GraduationFor(3).s1, 1);  // no records: unit steps

  // Indices outside the defined sheets change nothing.
  model.DefineAxis(3, kPartX, "NO", "", 0, 1, 1.0, 1, {}, 0, 0, 1, 1, 0, 0, 0, -1, 0, 0, nullptr);
  model.SetSheetTitle(-1, "x");
  model.SelectSheet(1);
  EXPECT_EQ(model.ActiveIndex(), -1);
  EXPECT_EQ(model.Sheet(s).title, "T");
}

TEST(SheetDefineTest, TitleIsCutAndTabWidthCoversEveryLanguage) {
  CTabModel model;
  model.SetTextMeasure([](std::string_view t) { return static_cast<int>(Utf8Length(t)); });
  const int s = model.DefineSheet("Inj. 1", "RPM", "TPS", "INJ", 5, 3, 0);
  EXPECT_EQ(model.Sheet(s).tabWidth, 9 + 15);  // "Einspr. 1" is the widest
  model.SetSheetTitle(s, std::string(60, 'a'));
  EXPECT_EQ(model.Sheet(s).title.size(), 47u);
}

struct PushStep {
  int index;
  int value;
  std::vector<int> expected;
};

TEST(SheetAxisRulesTest, ElasticPushAndSpringBack) {
  // X 10, 20, 30, 40 in [0, 100] with gap 5; each run starts afresh.
  const std::vector<std::vector<PushStep>> runs = {
      {{1, 45, {10, 45, 50, 55}}, {1, 20, {10, 20, 30, 40}}},
      {{1, 99, {10, 90, 95, 100}}},
      {{2, 5, {0, 5, 10, 40}}, {2, 30, {10, 20, 30, 40}}},
      {{1, 45, {10, 45, 50, 55}}, {1, 35, {10, 35, 40, 45}}, {1, 15, {10, 15, 30, 40}}},
      // Another point moved: the pushed ones keep their new places.
      {{1, 45, {10, 45, 50, 55}}, {0, 12, {12, 45, 50, 55}}, {1, 20, {12, 20, 50, 55}}},
  };
  for (const auto& run : runs) {
    SheetRig r;
    r.S().xAxis.max = 100;
    for (const auto& st : run) {
      SCOPED_TRACE("point " + std::to_string(st.index) + " := " + std::to_string(st.value));
      r.S().xAxis.values[static_cast<std::size_t>(st.index)] = st.value;
      r.model.ApplyAxisRules(r.sheet, kPartX);
      EXPECT_EQ(r.X(), st.expected);
    }
  }
}

TEST(SheetAxisRulesTest, ResetOrdersAWholeAxis) {
  struct Case {
    std::vector<int> in, out;
  };
  const Case cases[] = {
      {{50, 10, 30, 20}, {50, 55, 60, 65}},
      {{-20, 10, 2000, 990}, {0, 10, 995, 1000}},  // range 0..1000 gap 5
      {{10, 10, 10, 10}, {10, 15, 20, 25}},
  };
  for (const auto& c : cases) {
    SheetRig rig;
    for (int i = 0; i < 4; ++i) rig.S().xAxis.values[static_cast<std::size_t>(i)] = c.in[static_cast<std::size_t>(i)];
    rig.model.ApplyAxisRules(rig.sheet, kPartX | kPartResetElastic);
    EXPECT_EQ(rig.X(), c.out);
  }
}

TEST(SheetAxisRulesTest, DataClampAndMarkers) {
  SheetRig rig(4, 3, 8, 6, kSheetBaseAdvanceMarker | kSheetLimiter1Marker);
  rig.S().Cell(1, 1) = 5000;
  rig.S().Cell(2, 2) = -5000;
  rig.S().Cell(5, 1) = 5000;  // outside the used columns: left alone
  rig.model.Markers() = {5000, -7, 99};
  rig.model.ApplyAxisRules(rig.sheet, kPartData);
  EXPECT_EQ(rig.S().Cell(1, 1), 1000);
  EXPECT_EQ(rig.S().Cell(2, 2), -1000);
  EXPECT_EQ(rig.S().Cell(5, 1), 5000);
  EXPECT_EQ(rig.model.Markers().baseAdvance, 1000);
  EXPECT_EQ(rig.model.Markers().limiter1, 0);
  EXPECT_EQ(rig.model.Markers().limiter2, 99);  // no limiter 2 marker on this sheet
}

TEST(SheetChangeGateTest, TenQuickIncrementsReachTheOwnerOnceAfterFiveTicks) {
  SheetRig rig;
  for (int i = 0; i < 10; ++i) {
    ASSERT_TRUE(rig.model.SpinnerStep({1, 1}, +1));
    rig.model.Tick();
  }
  EXPECT_EQ(rig.S().Cell(1, 1), 10);
  EXPECT_EQ(rig.changes, 0);
  for (int t = 1; t <= 3; ++t) rig.model.Tick();  // 4 ticks since the last step
  EXPECT_EQ(rig.changes, 0);
  rig.model.Tick();
  EXPECT_EQ(rig.changes, 1);
  for (int t = 0; t < 20; ++t) rig.model.Tick();
  EXPECT_EQ(rig.changes, 1);
}

TEST(SheetChangeGateTest, AnotherTargetCommitsTheBurstAtOnce) {
  SheetRig rig;
  rig.model.SpinnerStep({1, 1}, +1);
  rig.model.SpinnerStep({1, 1}, +1);
  EXPECT_EQ(rig.changes, 0);
  rig.model.SpinnerStep({2, 1}, +1);
  EXPECT_EQ(rig.changes, 1);
  EXPECT_EQ(rig.model.PendingParts(), 0);
}

TEST(SheetChangeGateTest, DiscreteEditsAndStrayClose) {
  SheetRig rig;
  rig.model.ReportChange(kPartData, CloseEdit);  // no open edit: ignored
  EXPECT_EQ(rig.changes, 0);
  EXPECT_EQ(rig.model.PendingParts(), 0);

  rig.model.ReportChange(0, OpenEdit);
  EXPECT_EQ(rig.changes, 0);
  rig.S().Cell(0, 0) = 7;
  rig.model.ReportChange(kPartData, CloseEdit);
  EXPECT_EQ(rig.changes, 1);

  EXPECT_TRUE(rig.model.CommitEntryText({0, 0}, "12"));
  EXPECT_EQ(rig.changes, 2);
  EXPECT_EQ(rig.S().Cell(0, 0), 12);
  EXPECT_FALSE(rig.model.CommitEntryText({0, 0}, "1-2"));
  EXPECT_EQ(rig.S().Cell(0, 0), 12);
  EXPECT_EQ(rig.changes, 2);
}

TEST(SheetChangeGateTest, EditOpenedDuringABurstIsStillReported) {
  SheetRig rig;
  rig.model.SpinnerStep({1, 1}, +1);
  rig.model.ReportChange(0, OpenEdit);  // commits the burst
  EXPECT_EQ(rig.changes, 1);
  rig.S().Cell(0, 0) = 3;
  rig.model.ReportChange(kPartData, CloseEdit);
  EXPECT_EQ(rig.changes, 2);
}

TEST(SheetChangeGateTest, MarkersArePublishedOnCommit) {
  SheetOwnerFields owner{12, 9500, 10200, 11000, 0};
  SheetRig rig(4, 3, 8, 6, kSheetBaseAdvanceMarker);
  rig.model.SetOwnerFields(&owner);
  EXPECT_EQ(rig.model.Markers().limiter1, 95);
  EXPECT_EQ(rig.model.Markers().limiter2, 102);
  rig.model.ReportChange(kPartData, 0);
  EXPECT_EQ(owner.sheetControlsFlag, 0);  // nothing differed
  rig.model.Markers().limiter2 = 105;
  rig.model.ReportChange(kPartData, 0);
  EXPECT_EQ(owner.secondLimiter, 10500);
  EXPECT_EQ(owner.injectionLimiter, 11000);
  EXPECT_EQ(owner.sheetControlsFlag, 2);

  rig.S().dataAxis.shortName = "INJ";
  rig.model.Markers().limiter2 = 111;
  rig.model.ReportChange(kPartData, 0);
  EXPECT_EQ(owner.injectionLimiter, 11100);
}

TEST(SheetChangeGateTest, SelectSheetTellsTheOwnerAndRemembersThePrevious) {
  SheetRig rig;
  const int second = rig.model.DefineSheet("Inj. 2", "RPM", "TPS", "INJ", 4, 3, 0);
  const int third = rig.model.DefineSheet("Inj. 3", "RPM", "TPS", "INJ", 4, 3, 0);
  rig.model.Sheet(second).hidden = 1;
  EXPECT_TRUE(rig.model.SelectNextSheet(+1));
  EXPECT_EQ(rig.model.ActiveIndex(), third);  // hidden skipped
  EXPECT_EQ(rig.changes, 1);
  EXPECT_TRUE(rig.model.SelectNextSheet(+1));
  EXPECT_EQ(rig.model.ActiveIndex(), 0);  // wraps
  EXPECT_TRUE(rig.model.SelectPreviouslyActive());
  EXPECT_EQ(rig.model.ActiveIndex(), third);
  EXPECT_EQ(rig.model.TakeRedrawRequest() & kRelayout, kRelayout);
}

struct DisplayCase {
  int raw;
  double scale;
  double quantum;
  const char* expected;
};

TEST(SheetValueTextTest, DisplayRule) {
  const DisplayCase cases[] = {
      {12500, 1, 1, "12 500"},
      {25, 0.1, 1, "2.5"},
      {30, 0.1, 1, "3"},
      {-100000, 1, 1, "-100 000"},
      {-100, 1, 1, "-100"},
      {125, 100, 1, "12 500"},
      {7, 0.05, 1, "0.35"},
      {1, 0.001, 1, "0.001"},
      {17, 1, 5, "15"},
      {-3, 0.1, 1, "-0.3"},
      {0, 0.01, 1, "0"},
      {1234567, 1, 1, "1 234 567"},
      {-1, 1, 5, "0"},
      {-999, 1, 1, "-999"},
      {100, 0.01, 1, "1"},
      {12345, 0.01, 1, "123.45"},
      {-123456, 0.1, 1, "-12 345.6"},
      {INT_MIN, 1, 1, "-2 147 483 648"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.raw) + " x " + std::to_string(c.scale));
    EXPECT_EQ(FormatShownValue(c.raw, c.scale, c.quantum), c.expected);
  }
  const std::pair<double, int> decimals[] = {{0.1, 1}, {0.05, 2}, {0.01, 2}, {0.001, 3}, {1, 0}, {100, 0}, {0.5, 1}};
  for (const auto& [step, d] : decimals) EXPECT_EQ(DisplayDecimals(step), d) << step;
}

TEST(SheetValueTextTest, EntryTextsWithUnitsNamesAndPercent) {
  SheetRig rig;
  rig.S().xAxis.unit = "%";
  rig.S().xAxis.values[0] = 15;
  EXPECT_EQ(rig.S().EntryText({0, -1}), "15 %");
  EXPECT_EQ(rig.S().EntryEditText({0, -1}), "15");
  rig.S().xAxis.namedValues = 1;
  rig.S().xAxis.values[0] = 10010;
  EXPECT_EQ(rig.S().EntryText({0, -1}), std::string(LookupTextById(3, 10010)));
  rig.S().dataAxis.unit = "ms";  // the data axis shows no unit
  rig.S().dataAxis.displayQuantum = 4;
  rig.S().Cell(1, 1) = 11;
  EXPECT_EQ(rig.S().EntryText({1, 1}), "8");
  EXPECT_EQ(rig.S().EntryEditText({1, 1}), "11");
}

struct ParseCase {
  const char* text;
  double scale;
  bool ok;
  int raw;
};

TEST(SheetValueTextTest, ParseRule) {
  const ParseCase cases[] = {
      {"1,5", 0.1, true, 15},
      {"-2.25", 0.5, true, -5},
      {"12 500", 100, true, 125},
      {"2.5", 1, true, 3},
      {"-2.5", 1, true, -3},
      {" 7\t", 1, true, 7},
      {"- 4", 1, true, -4},
      {"0,04", 0.1, true, 0},
      {"abc", 1, false, 0},
      {"", 1, false, 0},
      {"1-2", 1, false, 0},
      {"1,5,3", 1, false, 0},
      {"1.2.3", 1, false, 0},
      {"-", 1, false, 0},
      {"99999999999999", 1, true, INT_MAX},
      {"-99999999999999", 1, true, INT_MIN},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    std::int32_t raw = 4242;
    EXPECT_EQ(ParseShownValue(c.text, c.scale, raw), c.ok);
    EXPECT_EQ(raw, c.ok ? c.raw : 4242);
  }
}

// The desktop's number format: shown with its grouping and decimal mark,
// typed with its grouping or none; a group mark counts only where grouping
// puts one, so "2,5" stays a decimal where "," groups thousands.
TEST(SheetValueTextTest, LocaleFormats) {
  struct Case {
    NumberFormat format;
    std::int32_t raw;
    double scale;
    const char* shown;
    std::vector<std::pair<const char*, int>> typed;  // text, raw (INT_MIN: refused)
  };
  const Case cases[] = {
      {{".", ","}, -123456, 0.1, "-12.345,6", {{"12.345,6", 123456}, {"12345,6", 123456}, {"2,5", 25}, {"2.5", 25}}},
      {{",", "."}, 140, 100, "14,000", {{"14,000", 140}, {"14000", 140}, {"2,5", 0}, {"0,125", 0}, {"1,2,3", INT_MIN}}},
      {{"\u00A0", ","}, 1234567, 1, "1\u00A0234\u00A0567", {{"1\u00A0234\u00A0567", 1234567}, {"1 234 567", 1234567}}},
      {{"", "."}, 14000, 1, "14000", {{"14000", 14000}, {"14 000", 14000}, {"14,5", 15}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shown);
    SetShownNumberFormat(c.format);
    EXPECT_EQ(FormatShownValue(c.raw, c.scale), c.shown);
    for (const auto& [text, expected] : c.typed) {
      SCOPED_TRACE(text);
      std::int32_t raw = 4242;
      EXPECT_EQ(ParseShownValue(text, c.scale, raw), expected != INT_MIN);
      EXPECT_EQ(raw, expected != INT_MIN ? expected : 4242);
    }
  }
  SetShownNumberFormat({});
  EXPECT_EQ(FormatShownValue(-123456, 0.1), "-12 345.6");
}

TEST(SheetMapGridTest, LoadAndStoreRoundTrip) {
  SheetRig rig(4, 3, 8, 6);
  MapGrid grid;
  grid.Resize(2, 3);
  grid.columnAxis = {10, 20, 30};
  grid.rowAxis = {5, 6};
  grid.values = {1, 2, 3, 4, 5, 2000};
  rig.model.LoadSheet(rig.sheet, grid);
  EXPECT_EQ(rig.S().xAxis.count, 3);
  EXPECT_EQ(rig.S().yAxis.count, 2);
  EXPECT_EQ(rig.S().Cell(2, 1), 1000);  // clamped on load
  const MapGrid back = rig.model.StoreSheet(rig.sheet);
  EXPECT_EQ(back.columnAxis, grid.columnAxis);
  EXPECT_EQ(back.rowAxis, grid.rowAxis);
  EXPECT_EQ(back.values, (std::vector<std::int32_t>{1, 2, 3, 4, 5, 1000}));

  MapGrid tooBig;
  tooBig.Resize(40, 60);
  rig.model.LoadSheet(rig.sheet, tooBig);
  EXPECT_EQ(rig.S().xAxis.count, 8);
  EXPECT_EQ(rig.S().yAxis.count, 6);
}

}  // namespace
