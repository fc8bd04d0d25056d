#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sheet/SheetTestSupport.h"
#include "sheet/SheetText.h"
#include "sheet/TableGeometry.h"
#include "base/Lang.h"

namespace {

using Ints = std::vector<int>;

void DefineLike(CTabModel& model, int s, int xCount, int yCount) {
  model.DefineAxis(s, kPartX, "RPM", "", 0, 1000, 1.0, 5, {}, 1, 0, 1, xCount, 1, 0, 1, -3, 1, 0xFFFFFF, nullptr);
  model.DefineAxis(s, kPartY, "TPS", "", 0, 1000, 1.0, 1, {}, 1, 0, 1, yCount, 1, 0, 1, -3, 1, 0xFFFFFF, nullptr);
  model.DefineAxis(s, kPartData, "INJ", "", -1000, 1000, 1.0, 0, {}, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0xFFFFFF, nullptr);
  for (int x = 0; x < xCount; ++x) model.Sheet(s).xAxis.values[static_cast<std::size_t>(x)] = 10 * (x + 1);
  for (int y = 0; y < yCount; ++y) model.Sheet(s).yAxis.values[static_cast<std::size_t>(y)] = y + 1;
  model.ApplyAxisRules(s, kPartAll | kPartResetElastic);
}

TEST(SheetInsertTest, ColumnBetweenPointsTakesTruncatedMidpoints) {
  SheetRig rig(4, 2);
  rig.SetRow(0, {5, 10, 13, 20});
  rig.SetRow(1, {0, -3, 0, 1});
  EXPECT_EQ(rig.model.InsertColumn(2), InsertResult::kDone);
  EXPECT_EQ(rig.X(), (Ints{10, 20, 25, 30, 40}));
  EXPECT_EQ(rig.Row(0), (Ints{5, 10, 11, 13, 20}));
  EXPECT_EQ(rig.Row(1), (Ints{0, -3, -1, 0, 1}));
  EXPECT_EQ(rig.changes, 1);
  EXPECT_EQ(rig.S().selection.kind, kSelCells);
  EXPECT_EQ(rig.S().selection.box, (SheetRect{2, 0, 2, 1}));
  EXPECT_EQ(rig.model.TakeRevealRequest(), (SheetEntry{2, 0}));
}

TEST(SheetInsertTest, EdgesDuplicateAndTheRulesPushUp) {
  struct Case {
    int k;
    int stale;  // value left at position count by an earlier deletion
    Ints x;
    Ints row;
  };
  const Case cases[] = {
      {0, 0, {10, 15, 20, 30, 40}, {1, 1, 2, 3, 4}},
      {4, 0, {10, 20, 30, 40, 45}, {1, 2, 3, 4, 4}},
      {4, 77, {10, 20, 30, 40, 77}, {1, 2, 3, 4, 4}},
      {1, 0, {10, 15, 20, 30, 40}, {1, 1, 2, 3, 4}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("k " + std::to_string(c.k) + " stale " + std::to_string(c.stale));
    SheetRig rig(4, 1);
    rig.SetRow(0, {1, 2, 3, 4});
    rig.S().xAxis.values[4] = c.stale;
    EXPECT_EQ(rig.model.InsertColumn(c.k), InsertResult::kDone);
    EXPECT_EQ(rig.X(), c.x);
    EXPECT_EQ(rig.Row(0), c.row);
  }
}

TEST(SheetInsertTest, RowInsertMovesDataRows) {
  SheetRig rig(2, 3);
  rig.SetRow(0, {1, 2});
  rig.SetRow(1, {5, 6});
  rig.SetRow(2, {9, 10});
  EXPECT_EQ(rig.model.InsertRow(1), InsertResult::kDone);
  EXPECT_EQ(rig.S().yAxis.count, 4);
  EXPECT_EQ(rig.Row(1), (Ints{3, 4}));
  EXPECT_EQ(rig.Row(2), (Ints{5, 6}));
  EXPECT_EQ(rig.Row(3), (Ints{9, 10}));
}

TEST(SheetInsertTest, AtMaximumShowsTheMessageAndChangesNothing) {
  struct Case {
    int which;
    const char* message;
  };
  const Case cases[] = {{kPartX, "Error|Column count is on maximum !\nDelete some first..."},
                        {kPartY, "Error|Row count is on maximum !\nDelete some first..."}};
  for (const auto& c : cases) {
    SheetRig rig(8, 6, 8, 6);
    const auto before = rig.X();
    const auto r = c.which == kPartX ? rig.model.InsertColumn(3) : rig.model.InsertRow(3);
    EXPECT_EQ(r, InsertResult::kAtMaximum);
    ASSERT_EQ(rig.errors.size(), 1u);
    EXPECT_EQ(rig.errors[0], c.message);
    EXPECT_EQ(rig.X(), before);
    EXPECT_EQ(rig.changes, 0);
    EXPECT_EQ(rig.model.PendingKey(), 0);
  }
}

TEST(SheetInsertTest, NotOfferedWhenNotAllowedOrCollapsed) {
  SheetRig rig;
  rig.S().xAxis.insertAllowed = 0;
  EXPECT_EQ(rig.model.InsertColumn(1), InsertResult::kNotAllowed);
  rig.S().yAxis.collapsed = 1;
  EXPECT_EQ(rig.model.InsertRow(1), InsertResult::kNotAllowed);
  EXPECT_EQ(rig.S().xAxis.count, 4);
  EXPECT_EQ(rig.changes, 0);
}

TEST(SheetInsertTest, LeaderRepeatsOnFollowers) {
  SheetRig rig(4, 2);
  const int f1 = rig.model.DefineSheet("Inj. 2", "RPM", "TPS", "INJ", 8, 6, 0);
  const int f2 = rig.model.DefineSheet("Inj. 3", "RPM", "TPS", "INJ", 4, 6, 0);
  DefineLike(rig.model, f1, 4, 2);
  DefineLike(rig.model, f2, 4, 2);
  rig.S().linkLeaderId = 7;
  rig.model.Sheet(f1).linkFollowerId = 7;
  rig.model.Sheet(f2).linkFollowerId = 7;  // at its maximum: left as it is
  rig.model.Sheet(f1).xAxis.insertAllowed = 0;
  rig.model.Sheet(f1).Cell(0, 0) = 4;
  rig.model.Sheet(f1).Cell(1, 0) = 8;

  EXPECT_EQ(rig.model.InsertColumn(1), InsertResult::kDone);
  EXPECT_EQ(rig.model.ActiveIndex(), rig.sheet);
  EXPECT_EQ(rig.S().xAxis.count, 5);
  EXPECT_EQ(rig.model.Sheet(f1).xAxis.count, 5);
  EXPECT_EQ(rig.model.Sheet(f1).xAxis.values[1], 15);
  EXPECT_EQ(rig.model.Sheet(f1).Cell(1, 0), 6);
  EXPECT_EQ(rig.model.Sheet(f2).xAxis.count, 4);
  EXPECT_EQ(rig.changes, 1);

  // A follower itself is not asked: no message even at its maximum.
  rig.model.SelectSheet(f2);
  EXPECT_EQ(rig.model.InsertColumn(1), InsertResult::kAtMaximum);
  EXPECT_TRUE(rig.errors.empty());

  rig.model.SelectSheet(rig.sheet);
  SelectSpan(rig.S(), {0, 0}, {0, 1});
  EXPECT_EQ(rig.model.DeleteColumns(), 1);
  EXPECT_EQ(rig.model.Sheet(f1).xAxis.count, 4);
  EXPECT_EQ(rig.model.Sheet(f1).Cell(0, 0), 6);
}

TEST(SheetDeleteTest, SeveralColumnsFromTheLowestUp) {
  SheetRig rig(6, 3);
  rig.SetRow(0, {1, 2, 3, 4, 5, 6});
  SelectSpan(rig.S(), {1, 0}, {2, 2});
  BeginSelection(rig.S(), kSelModeColumns, {4, 1}, false, true);
  CompleteSelection(rig.S());
  EXPECT_EQ(rig.model.ColumnsToDelete(), (Ints{1, 2, 4}));
  EXPECT_EQ(DeleteItemText(kPartX, 3), "Delete columns (3)");
  EXPECT_EQ(DeleteItemText(kPartY, 1), "Delete row");
  EXPECT_EQ(rig.model.DeleteColumns(), 3);
  EXPECT_EQ(rig.X(), (Ints{10, 40, 60}));
  EXPECT_EQ(rig.Row(0), (Ints{1, 4, 6}));
  EXPECT_EQ(rig.S().selection.kind, kSelNone);
  EXPECT_EQ(rig.changes, 1);
}

TEST(SheetDeleteTest, MinCountAndWholeTableLimits) {
  SheetRig rig(6, 3);
  rig.S().xAxis.minCount = 5;
  SelectSpan(rig.S(), {1, 0}, {3, 2});
  EXPECT_EQ(rig.model.DeleteColumns(), 1);
  EXPECT_EQ(rig.X(), (Ints{10, 30, 40, 50, 60}));

  SelectAllCells(rig.S());
  EXPECT_EQ(rig.model.ColumnsToDelete().size(), 5u);  // every column: not offered
  EXPECT_EQ(rig.model.DeleteColumns(), 0);

  SelectSpan(rig.S(), {-1, 0}, {-1, 1});  // Y points select their rows
  EXPECT_EQ(rig.model.RowsToDelete(), (Ints{0, 1}));
  EXPECT_EQ(rig.model.DeleteRows(), 2);
  EXPECT_EQ(rig.S().yAxis.count, 1);
  EXPECT_EQ(rig.S().yAxis.values[0], 3);
}

TEST(SheetStepTest, SelectionLiveCellAndBaseAdvance) {
  SheetRig rig(4, 3, 8, 6, kSheetLivePoint | kSheetBaseAdvanceMarker);
  SelectSpan(rig.S(), {0, 0}, {1, 0});
  EXPECT_TRUE(rig.model.Step(+1));
  EXPECT_TRUE(rig.model.Step(+1));
  EXPECT_EQ(rig.Row(0), (Ints{2, 2, 0, 0}));
  SelectSpan(rig.S(), {1, -1}, {2, -1});
  EXPECT_TRUE(rig.model.Step(-1));
  EXPECT_EQ(rig.X(), (Ints{10, 19, 29, 40}));

  ClearSelection(rig.S());
  rig.S().liveKind = 0;
  EXPECT_FALSE(rig.model.CanStep());
  EXPECT_FALSE(rig.model.Step(+1));
  rig.S().liveKind = 1;
  rig.S().liveX = 2;
  rig.S().liveY = 1;
  EXPECT_TRUE(rig.model.Step(+1));
  EXPECT_EQ(rig.S().Cell(2, 1), 1);
  rig.S().liveX = -1;  // below the first engine-speed point
  rig.model.Markers().baseAdvance = 20;
  EXPECT_TRUE(rig.model.Step(+1));
  EXPECT_EQ(rig.model.Markers().baseAdvance, 21);

  rig.S().dataAxis.editable = 0;
  rig.S().liveX = 2;
  EXPECT_FALSE(rig.model.Step(+1));
  SelectOnly(rig.S(), {0, 0});
  EXPECT_FALSE(rig.model.Step(+1));
  EXPECT_FALSE(rig.model.SpinnerStep({0, 0}, +1));
}

TEST(SheetStepTest, RelativeDataStepsOnPercentSheets) {
  struct Case {
    int base, a, percentMode, expected;
  };
  const Case cases[] = {{40, 1, 0, 1},  {250, 1, 0, 3}, {250, -1, 0, -3}, {-250, 1, 0, -3},
                        {150, 1, 0, 2}, {149, 1, 0, 1}, {250, 1, 1, 1},   {0, -1, 0, -1}};
  for (const auto& c : cases) {
    SheetRig rig(2, 1, 8, 6, kSheetPercent);
    rig.S().baseXCount = rig.S().baseYCount = 1;
    rig.S().cellBase[0] = c.base;
    rig.S().percentMode = c.percentMode;
    EXPECT_EQ(CTabModel::DataStep(rig.S(), 0, 0, c.a), c.expected) << c.base << " " << c.a;
  }
  SheetRig plain(2, 1);
  EXPECT_EQ(CTabModel::DataStep(plain.S(), 0, 0, -1), -1);
}

TEST(SheetSpinnerTest, StepsTheSelectionOrTheEntryAndRepeatsFaster) {
  SheetRig rig(4, 3);
  SelectSpan(rig.S(), {0, 0}, {1, 1});
  EXPECT_TRUE(rig.model.SpinnerStep({1, 1}, +10));
  EXPECT_EQ(rig.Row(0), (Ints{10, 10, 0, 0}));
  EXPECT_EQ(rig.Row(1), (Ints{10, 10, 0, 0}));
  EXPECT_TRUE(rig.model.SpinnerStep({3, 2}, -1));  // not selected: alone
  EXPECT_EQ(rig.Row(2), (Ints{0, 0, 0, -1}));
  EXPECT_TRUE(rig.model.SpinnerStep({-1, 1}, +1));
  EXPECT_EQ(rig.S().yAxis.values[1], 3);

  // Two seconds held (36 ticks): single steps from tick 6, tens every second tick from 26.
  int total = 0, singles = 0, tens = 0;
  for (int t = 0; t < 37; ++t) {
    const int s = CTabModel::SpinnerRepeatStep(t, true);
    total += s;
    singles += s == 1;
    tens += s == 10;
    if (t < 6) {
      EXPECT_EQ(s, 0) << t;
    }
  }
  EXPECT_EQ(singles, 20);
  EXPECT_EQ(tens, 6);
  EXPECT_EQ(total, 80);
  EXPECT_EQ(CTabModel::SpinnerRepeatStep(30, false), 1);
  EXPECT_EQ(CTabModel::SpinnerRepeatStep(27, true), 0);
  rig.S().flags |= kSheetFastRepeatData;
  EXPECT_TRUE(rig.model.FastRepeat({0, 0}));
  EXPECT_FALSE(rig.model.FastRepeat({0, -1}));
}

struct InterpCase {
  const char* name;
  bool numeric;
  Ints x;
  Ints row;
  Ints expected;
};

TEST(SheetInterpolateTest, RunsOfCells) {
  const InterpCase cases[] = {
      {"by index", false, {10, 20, 30}, {10, 99, 30}, {10, 20, 30}},
      {"by axis values", true, {0, 10, 40}, {10, 99, 30}, {10, 15, 30}},
      {"half away up", false, {10, 20, 30}, {0, 7, 1}, {0, 1, 1}},
      {"half away down", false, {10, 20, 30}, {0, 7, -1}, {0, -1, -1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SheetRig rig(3, 1);
    rig.S().xAxis.numeric = c.numeric;
    for (int i = 0; i < 3; ++i) rig.S().xAxis.values[static_cast<std::size_t>(i)] = c.x[static_cast<std::size_t>(i)];
    rig.model.ApplyAxisRules(rig.sheet, kPartX | kPartResetElastic);
    int i = 0;
    for (int v : c.row) rig.S().Cell(i++, 0) = v;
    SelectSpan(rig.S(), {0, 0}, {2, 0});
    std::vector<std::int32_t> preview;
    EXPECT_EQ(CTabModel::ComputeInterpolation(rig.S(), preview), kPartData);
    EXPECT_EQ(preview[1], c.expected[1]);
    EXPECT_EQ(rig.Row(0), c.row);  // the preview leaves the sheet alone
    EXPECT_TRUE(rig.model.Interpolate());
    EXPECT_EQ(rig.Row(0), c.expected);
    EXPECT_EQ(rig.S().selection.kind, kSelNone);
    EXPECT_EQ(rig.changes, 1);
  }
}

TEST(SheetInterpolateTest, RectangleKeepsCornersAndFillsBilinearly) {
  SheetRig rig(4, 3);
  rig.SetRow(0, {0, 99, 20, 7});
  rig.SetRow(1, {99, 99, 99, 7});
  rig.SetRow(2, {40, 99, 60, 7});
  SelectSpan(rig.S(), {0, 0}, {2, 2});
  ASSERT_TRUE(rig.model.CanInterpolate());
  EXPECT_TRUE(rig.model.Interpolate());
  EXPECT_EQ(rig.Row(0), (Ints{0, 10, 20, 7}));
  EXPECT_EQ(rig.Row(1), (Ints{20, 30, 40, 7}));
  EXPECT_EQ(rig.Row(2), (Ints{40, 50, 60, 7}));
}

TEST(SheetInterpolateTest, AxisRunAndRefusals) {
  SheetRig rig(4, 3);
  rig.SetX({10, 15, 20, 40});
  SelectSpan(rig.S(), {0, -1}, {3, -1});
  EXPECT_TRUE(rig.model.Interpolate());
  EXPECT_EQ(rig.X(), (Ints{10, 20, 30, 40}));

  SelectSpan(rig.S(), {0, 0}, {1, 0});  // two cells: nothing to interpolate
  EXPECT_FALSE(rig.model.CanInterpolate());
  EXPECT_FALSE(rig.model.Interpolate());
  SelectSpan(rig.S(), {0, 0}, {2, 0});
  rig.S().dataAxis.editable = 0;
  EXPECT_FALSE(rig.model.Interpolate());
}

TEST(SheetUseOnlyTest, CollapseOptionsAndTexts) {
  SheetRig rig(4, 3);
  EXPECT_TRUE(rig.model.UseOnlySectionShown());
  SelectSpan(rig.S(), {0, 0}, {3, 2});
  EXPECT_TRUE(rig.model.UseOnlyX());
  EXPECT_EQ(rig.S().yAxis.collapsed, 1);
  EXPECT_EQ(rig.S().yAxis.fixedIndex, 1);  // middle of 3
  EXPECT_EQ(rig.S().selection.kind, kSelNone);
  EXPECT_EQ(rig.changes, 1);
  EXPECT_EQ(rig.model.TakeRedrawRequest() & kRelayout, kRelayout);
  SelectAllCells(rig.S());
  EXPECT_EQ(rig.S().selection.count, 4);  // only the fixed row
  EXPECT_TRUE(rig.model.UseBoth());
  EXPECT_EQ(rig.S().yAxis.collapsed, 0);

  rig.S().xAxis.collapseOption = 2;
  EXPECT_FALSE(rig.model.UseOnlySectionShown());
  EXPECT_FALSE(rig.model.CanUseOnlyX());
  EXPECT_TRUE(rig.model.CanUseOnlyY());
  EXPECT_FALSE(rig.model.UseBoth());

  EXPECT_EQ(UseOnlyItemText("RPM"), "Use only RPM");
  EXPECT_EQ(UseBothItemText("RPM", "TPS"), "Use RPM and TPS");
  SetCurrentLanguage(kCzech);
  EXPECT_EQ(UseBothItemText("RPM", "My label"), "Použít Otáčky a My label");
  SetCurrentLanguage(kEnglish);
}

TEST(SheetUseOnlyTest, EnableToggleCommitsAllParts) {
  SheetRig rig(4, 3, 8, 6, kSheetMayDisable);
  EXPECT_TRUE(rig.model.ToggleSheetEnabled());
  EXPECT_EQ(rig.S().enabled, 0);
  EXPECT_EQ(rig.changes, 1);
  SelectOnly(rig.S(), {0, 0});
  EXPECT_FALSE(rig.model.Step(+1));  // a disabled sheet has no tools
  SheetRig fixed(4, 3);
  EXPECT_FALSE(fixed.model.ToggleSheetEnabled());
}

struct PercentCase {
  int base, absolute, shown, back;
};

TEST(SheetPercentTest, RoundTrips) {
  const PercentCase cases[] = {
      {200, 150, 75, 150},
      {40, 10, 25, 10},
      {333, 100, 30, 100},
      {200, -150, -75, -150},
      {0, 7, 700, 7},
      {3, 1, 33, 1},
      {-200, 150, -75, 150},
      // 0 % is the whole percentage of 3 / 800; the untouched cell keeps its 3.
      {800, 3, 0, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.base) + " / " + std::to_string(c.absolute));
    SheetRig rig(1, 1, 8, 6, kSheetPercent);
    rig.S().cellBase[0] = c.base;
    rig.S().absolute[0] = c.absolute;
    rig.S().percentMode = 1;
    CTabModel::ShownFromAbsolute(rig.S());
    EXPECT_EQ(rig.S().Cell(0, 0), c.shown);
    CTabModel::AbsoluteFromShown(rig.S());
    EXPECT_EQ(rig.S().absolute[0], c.back);
    rig.S().percentMode = 0;  // off: the absolute value is shown as it is
    CTabModel::ShownFromAbsolute(rig.S());
    EXPECT_EQ(rig.S().Cell(0, 0), c.back);
  }
}

TEST(SheetPercentTest, EditInPercentStoresAbsoluteOnCommit) {
  SheetRig rig(2, 1, 8, 6, kSheetPercent);
  rig.S().baseXCount = rig.S().baseYCount = 1;
  rig.S().baseData[0] = 200;
  CTabModel::ComputeCellBase(rig.S());
  EXPECT_EQ(rig.S().cellBase[1], 200);
  rig.S().absolute[0] = 150;
  rig.S().percentMode = 1;
  CTabModel::ShownFromAbsolute(rig.S());
  EXPECT_EQ(rig.S().EntryText({0, 0}), "75");
  EXPECT_TRUE(rig.model.CommitEntryText({0, 0}, "80"));
  EXPECT_EQ(rig.S().Cell(0, 0), 80);
  EXPECT_EQ(rig.S().absolute[0], 160);
  EXPECT_EQ(rig.model.StoreSheet(rig.sheet).values[0], 160);
}

// A commit after a tab switch used to rewrite every time of the sheet to a
// whole percentage of its base; only the edited cell may change.
TEST(SheetPercentTest, CommitConvertsOnlyChangedCells) {
  SheetRig rig(2, 1, 8, 6, kSheetPercent);
  CSheet& s = rig.S();
  s.cellBase[0] = s.cellBase[1] = 3000;
  s.absolute[0] = 12340;
  s.absolute[1] = 12340;
  s.percentMode = 1;
  CTabModel::ShownFromAbsolute(s);
  EXPECT_EQ(rig.Row(0), (Ints{411, 411}));
  EXPECT_TRUE(rig.model.CommitEntryText({1, 0}, "412"));
  EXPECT_EQ(s.absolute[0], 12340);
  EXPECT_EQ(s.absolute[1], 12360);
}

TEST(SheetPercentTest, PerCellBaseIsBilinearAndFollowsTheAxes) {
  SheetRig rig(3, 2, 8, 6, kSheetPercent);
  CSheet& s = rig.S();
  s.baseXCount = 2;
  s.baseYCount = 2;
  s.baseX[0] = 0;
  s.baseX[1] = 100;
  s.baseY[0] = 0;
  s.baseY[1] = 10;
  s.baseData[0] = 100;
  s.baseData[1] = 200;
  s.baseData[kCellStride] = 300;
  s.baseData[kCellStride + 1] = 400;
  rig.SetX({50, 100, 150});
  s.yAxis.values[0] = 5;
  s.yAxis.values[1] = 10;
  CTabModel::ComputeCellBase(s);
  EXPECT_EQ(s.cellBase[0], 250);
  EXPECT_EQ(s.cellBase[1], 300);
  EXPECT_EQ(s.cellBase[2], 300);  // beyond the base table: held at its edge
  EXPECT_EQ(s.cellBase[kCellStride], 350);

  s.xAxis.values[0] = 0;
  rig.model.ReportChange(kPartX, 0);
  EXPECT_EQ(s.cellBase[0], 200);

  // Inserting a column keeps each cell with its own base when the
  // percentages go back to absolute values.
  s.absolute[0] = 100;
  s.absolute[1] = 150;
  s.absolute[2] = 300;
  s.percentMode = 1;
  CTabModel::ShownFromAbsolute(s);
  EXPECT_EQ(rig.Row(0), (Ints{50, 50, 100}));
  rig.model.InsertColumn(0);
  EXPECT_EQ(rig.Row(0), (Ints{50, 50, 50, 100}));
  EXPECT_EQ((Ints{s.absolute[0], s.absolute[1], s.absolute[2], s.absolute[3]}), (Ints{100, 100, 150, 300}));
  EXPECT_EQ(s.cellBase[1], 205);  // recomputed for the new point 5
}

struct MoveCase {
  SheetEntry from;
  int dx, dy;
  SheetEntry to;
};

TEST(SheetSelectionTest, CursorMovesWrapThroughHeadersButNotTheCorner) {
  const MoveCase cases[] = {
      {{0, 0}, -1, 0, {-1, 0}},  {{-1, 0}, -1, 0, {3, 0}},  {{3, 0}, +1, 0, {-1, 0}},  {{0, 0}, 0, -1, {0, -1}},
      {{0, -1}, 0, -1, {0, 2}},  {{1, -1}, -1, 0, {0, -1}}, {{0, -1}, -1, 0, {3, -1}}, {{-1, 1}, 0, -1, {-1, 0}},
      {{-1, 0}, 0, -1, {-1, 2}}, {{2, 2}, 0, +1, {2, -1}},
  };
  for (const auto& c : cases) {
    SheetRig rig(4, 3);
    SelectOnly(rig.S(), c.from);
    EXPECT_TRUE(MoveCursor(rig.S(), c.dx, c.dy, false));
    EXPECT_EQ(rig.S().selection.corner, c.to) << c.from.x << "," << c.from.y << " by " << c.dx << "," << c.dy;
    EXPECT_TRUE(IsSelected(rig.S(), c.to));
    EXPECT_EQ(rig.S().selection.count, 1);
  }
  SheetRig rig(4, 3);
  EXPECT_FALSE(MoveCursor(rig.S(), 1, 0, false));  // nothing selected
}

TEST(SheetSelectionTest, EnterShiftAndEdges) {
  SheetRig rig(7, 3);
  SelectOnly(rig.S(), {4, 2});
  MoveCursorEnter(rig.S());
  EXPECT_EQ(rig.S().selection.corner, (SheetEntry{5, -1}));
  MoveCursorEnter(rig.S());
  EXPECT_EQ(rig.S().selection.corner, (SheetEntry{5, 0}));

  SelectOnly(rig.S(), {1, 1});
  MoveCursor(rig.S(), 1, 0, true);
  EXPECT_EQ(rig.S().selection.count, 2);
  for (int i = 0; i < 9; ++i) MoveCursor(rig.S(), 1, 1, true);
  EXPECT_EQ(rig.S().selection.box, (SheetRect{1, 1, 6, 2}));
  EXPECT_EQ(rig.S().selection.anchor, (SheetEntry{1, 1}));
  MoveCursorToEdge(rig.S(), CursorEdge::kHome, true);
  EXPECT_EQ(rig.S().selection.box, (SheetRect{0, 1, 1, 2}));
  MoveCursorToEdge(rig.S(), CursorEdge::kPageUp, false);
  EXPECT_EQ(rig.S().selection.corner, (SheetEntry{0, 0}));
  EXPECT_EQ(FirstSelected(rig.S()), (SheetEntry{0, 0}));

  SelectOnly(rig.S(), {2, -1});  // X points extend along the header only
  MoveCursor(rig.S(), 1, 1, true);
  EXPECT_EQ(rig.S().selection.kind, kSelXPoints);
  EXPECT_EQ(rig.S().selection.box, (SheetRect{2, -1, 3, -1}));
}

TEST(SheetSelectionTest, CompletionFindsInterpolableRectangles) {
  SheetRig rig(5, 4);
  BeginSelection(rig.S(), kSelModeCells, {0, 0}, false, false);
  DragSelection(rig.S(), {2, 1});
  EXPECT_EQ(MarksOf(rig.S(), {1, 1}) & kMarkInRect, kMarkInRect);
  DragSelection(rig.S(), {2, 0});
  EXPECT_EQ(MarksOf(rig.S(), {1, 1}), 0);  // left the rectangle
  DragSelection(rig.S(), {2, 1});
  CompleteSelection(rig.S());
  const TSel& sel = rig.S().selection;
  EXPECT_EQ(sel.kind, kSelCells);
  EXPECT_EQ(sel.count, 6);
  EXPECT_EQ(sel.rect, 1);
  EXPECT_EQ(MarksOf(rig.S(), {2, 1}) & kMarkCorner, kMarkCorner);
  EXPECT_EQ(MarksOf(rig.S(), {1, 1}) & kMarkCorner, 0);

  BeginSelection(rig.S(), kSelModeCells, {4, 3}, false, true);  // Ctrl adds a stray cell
  CompleteSelection(rig.S());
  EXPECT_EQ(rig.S().selection.count, 7);
  EXPECT_EQ(rig.S().selection.rect, 0);

  BeginSelection(rig.S(), kSelModeXHeader, {1, -1}, false, true);  // another kind starts afresh
  DragSelection(rig.S(), {2, -1});
  CompleteSelection(rig.S());
  EXPECT_EQ(rig.S().selection.kind, kSelXPoints);
  EXPECT_EQ(rig.S().selection.count, 2);
  EXPECT_EQ(rig.S().selection.rect, 0);

  BeginSelection(rig.S(), kSelModeRows, {3, 1}, false, false);
  DragSelection(rig.S(), {0, 2});
  CompleteSelection(rig.S());
  EXPECT_EQ(rig.S().selection.count, 10);
  EXPECT_EQ(RowCoverage(rig.S(), 1), Coverage::kAll);
  EXPECT_EQ(ColumnCoverage(rig.S(), 0), Coverage::kPart);
  EXPECT_EQ(AxisCoverage(rig.S(), kPartX), Coverage::kNone);

  ToggleAllCells(rig.S());
  EXPECT_EQ(TableCoverage(rig.S()), Coverage::kAll);
  ToggleAllCells(rig.S());
  EXPECT_EQ(rig.S().selection.kind, kSelNone);
}

TEST(SheetSelectionTest, RightClickSelection) {
  SheetRig rig(4, 3);
  SelectSpan(rig.S(), {0, 0}, {1, 1});
  ContextSelect(rig.S(), kSelModeCells, {1, 1});
  EXPECT_EQ(rig.S().selection.count, 4);  // already selected: kept
  ContextSelect(rig.S(), kSelModeCells, {3, 2});
  EXPECT_EQ(rig.S().selection.count, 1);
  ContextSelect(rig.S(), kSelModeColumns, {2, 0});
  EXPECT_EQ(rig.S().selection.box, (SheetRect{2, 0, 2, 2}));
}

struct FillCase {
  const char* name;
  int mode;
  SheetRect start;
  int d, e;
  std::vector<Ints> before;
  std::vector<Ints> after;
  SheetRect selected;
};

TEST(SheetFillDragTest, ExtrapolatesOrCopies) {
  const FillCase cases[] = {
      {"row right", kFillExtrapolate, {0, 0, 1, 0}, 2, 0, {{3, 5, 0, 0, 0}}, {{3, 5, 7, 9, 0}}, {0, 0, 3, 0}},
      {"row left", kFillExtrapolate, {2, 0, 3, 0}, -3, 0, {{0, 0, 5, 7, 0}}, {{1, 3, 5, 7, 0}}, {0, 0, 2, 0}},
      {"single copies", kFillExtrapolate, {1, 0, 1, 0}, 2, 0, {{0, 4, 0, 0, 0}}, {{0, 4, 4, 4, 0}}, {1, 0, 3, 0}},
      {"both ways",
       kFillExtrapolate,
       {0, 0, 1, 1},
       1,
       1,
       {{1, 2, 0, 0, 0}, {3, 5, 0, 0, 0}, {0, 0, 0, 0, 0}},
       {{1, 2, 3, 0, 0}, {3, 5, 7, 0, 0}, {5, 8, 10, 0, 0}},
       {0, 0, 2, 2}},
      {"border",
       kFillMove,
       {0, 0, 1, 1},
       1,
       0,
       {{1, 2, 0, 0, 0}, {3, 4, 0, 0, 0}},
       {{1, 1, 2, 0, 0}, {3, 3, 4, 0, 0}},
       {1, 0, 2, 1}},
      {"border pushed back", kFillMove, {0, 0, 1, 0}, 10, 0, {{1, 2, 0, 0, 0}}, {{1, 2, 0, 1, 2}}, {3, 0, 4, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SheetRig rig(5, static_cast<int>(c.before.size()));
    for (int y = 0; y < static_cast<int>(c.before.size()); ++y)
      for (int x = 0; x < 5; ++x)
        rig.S().Cell(x, y) = c.before[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
    SelectRect(rig.S(), c.start);
    ASSERT_TRUE(rig.model.BeginFillDrag(c.mode));
    rig.model.UpdateFillDrag(c.d, c.e);
    EXPECT_EQ(rig.model.FillDrag().target, c.selected);
    EXPECT_TRUE(rig.model.FinishFillDrag());
    for (int y = 0; y < static_cast<int>(c.after.size()); ++y)
      EXPECT_EQ(rig.Row(y), c.after[static_cast<std::size_t>(y)]);
    EXPECT_EQ(rig.S().selection.box, c.selected);
    EXPECT_EQ(rig.changes, 1);
    EXPECT_EQ(rig.model.FillDrag().mode, kFillNone);
  }
}

TEST(SheetFillDragTest, AxisPointsAndReadOnly) {
  SheetRig rig(4, 2);
  SelectSpan(rig.S(), {0, -1}, {1, -1});
  rig.S().xAxis.values[1] = 30;
  rig.model.ApplyAxisRules(rig.sheet, kPartX);  // 10, 30, 35, 40
  ASSERT_TRUE(rig.model.BeginFillDrag(kFillExtrapolate));
  rig.model.UpdateFillDrag(2, 5);
  EXPECT_TRUE(rig.model.FinishFillDrag());
  EXPECT_EQ(rig.X(), (Ints{10, 30, 50, 70}));

  rig.S().dataAxis.editable = 0;
  SelectOnly(rig.S(), {0, 0});
  EXPECT_FALSE(rig.model.BeginFillDrag(kFillMove));
}

TEST(SheetGeometryTest, MarginsBarsAndPositions) {
  struct TopCase {
    int sheets;
    std::uint32_t options;
    int barTop, expected;
  };
  const TopCase tops[] = {
      {1, 0x0010, 5, 10}, {2, 0x0010, 5, 25}, {1, 0x0071, 5, 36}, {1, 0x0130, 5, 25}, {8, 0x0071, 25, 56}};
  for (const auto& t : tops) EXPECT_EQ(table::TopMargin(t.sheets, t.options, t.barTop), t.expected);

  SheetRig rig(15, 10, 20, 12);
  auto g = table::ComputeTableGeometry(700, 400, 10, 96, rig.S());
  EXPECT_EQ(g.rowHeaderWidth, 65);
  EXPECT_EQ(g.headerHeight, 31);
  EXPECT_EQ(g.cellsLeft, 90);
  EXPECT_EQ(g.cellsTop, 56);
  EXPECT_DOUBLE_EQ(g.columnWidth, 583.0 / 15);
  EXPECT_DOUBLE_EQ(g.rowHeight, 31.7);
  EXPECT_FALSE(g.horizontalBar);
  EXPECT_FALSE(g.verticalBar);
  rig.S().xAxis.count = 16;
  rig.S().yAxis.count = 11;
  g = table::ComputeTableGeometry(700, 400, 10, 144, rig.S());
  EXPECT_EQ(g.rowHeaderWidth, 97);
  EXPECT_EQ(g.gap, 22);
  EXPECT_EQ(g.visibleColumns, 15);
  EXPECT_TRUE(g.horizontalBar);
  EXPECT_TRUE(g.verticalBar);
  rig.S().xAxis.collapsed = 1;
  g = table::ComputeTableGeometry(700, 400, 10, 96, rig.S());
  EXPECT_EQ(g.visibleColumns, 1);
  EXPECT_FALSE(g.horizontalBar);

  // A small control sized for 2 x 5: wide cells, a bar once the points
  // outnumber the budget.
  rig.S().xAxis.collapsed = 0;
  rig.S().xAxis.count = 2;
  rig.S().yAxis.count = 9;
  g = table::ComputeTableGeometry(270, 200, 25, 96, rig.S(), {2, 5});
  EXPECT_EQ(g.headerHeight, (200 - 25 - 15 - 27) / 6);
  EXPECT_DOUBLE_EQ(g.columnWidth, (270 - 90 - 27) / 2.0);
  EXPECT_EQ(g.visibleColumns, 2);
  EXPECT_EQ(g.visibleRows, 5);
  EXPECT_FALSE(g.horizontalBar);
  EXPECT_TRUE(g.verticalBar);

  EXPECT_EQ(table::ScrollToShow(0, 17, 20, 15), 3);
  EXPECT_EQ(table::ScrollToShow(5, 2, 20, 15), 2);
  EXPECT_EQ(table::ClampFirstVisible(9, 20, 15), 5);
  EXPECT_EQ(table::InsertPosition(90 + 19, 90, 40.0, 0, 4), 0);
  EXPECT_EQ(table::InsertPosition(90 + 21, 90, 40.0, 2, 4), 3);
  EXPECT_EQ(table::InsertPosition(2000, 90, 40.0, 0, 4), 4);
}

}  // namespace
