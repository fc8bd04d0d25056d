#include "sheet/Graph2D.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "sheet/Selection.h"
#include "sheet/TabModel.h"

namespace {

// The graph area of a control at the advance page's size in the 2D view:
// left margin 10, top 36 (bar), right and bottom margins 27.
constexpr GraphRect kArea{10, 36, 1338 - 37, 934 - 36 - 27};

// An advance-like map: engine speed in hundreds of rpm across (10, 20 ..),
// throttle down, degrees in the cells; base advance and both limiters.
struct Rig {
  CTabModel model{kOptionTable | kOptionGraph2D};
  CGraph2D graph{model};
  int changes = 0;
  int sheet = -1;

  explicit Rig(int xCount = 15, int yCount = 1, std::uint32_t flags = 0x0701, int firstX = 10) {
    model.SetOnSheetChanged([this](CTabModel&) { ++changes; });
    sheet = model.DefineSheet("Advance", "RPM", "TPS", "Advance", xCount, yCount, flags);
    const GraduationRecord rpm[] = {{4000, 2000, 1000, 200, 1000},
                                    {10000, 2000, 1000, 500, 1000},
                                    {25000, 2000, 1000, 1000, 2000},
                                    {0, 0, 0, 0, 0}};
    const GraduationRecord deg[] = {{100, 5, 5, 5, 10}, {0, 0, 0, 0, 0}};
    model.DefineAxis(sheet, kPartX, "RPM", nullptr, 1, 250, 100, 1, rpm, 1, 1, 1, xCount, 1, 0, 1, -1, 0, 0xFFFFFF,
                     nullptr);
    model.DefineAxis(sheet, kPartY, "TPS", "%", 0, 100, 1, 1, {}, 0, 1, 1, yCount, 1, 0, 0, -2, 0, 0xFFFFFF, nullptr);
    model.DefineAxis(sheet, kPartData, "ADV", "\xC2\xB0", -20, 60, 1, 0, deg, 1, 2, 0, 0, 0, 0, 0, 0, 0, 0xFFFFFF,
                     nullptr);
    for (int x = 0; x < xCount; ++x) S().xAxis.values[static_cast<std::size_t>(x)] = firstX + 10 * x;
    for (int y = 0; y < yCount; ++y) S().yAxis.values[static_cast<std::size_t>(y)] = 5 * y;
    for (int y = 0; y < yCount; ++y)
      for (int x = 0; x < xCount; ++x) S().Cell(x, y) = 2 * x;
    model.Markers() = {10, 100, 120};
    model.ApplyAxisRules(sheet, kPartAll | kPartResetElastic);
    model.SelectSheet(sheet);
    changes = 0;
    Relayout();
  }
  CSheet& S() { return model.Sheet(sheet); }
  const Graph2DLayout& L() const { return graph.Current(); }
  const Graph2DLayout& Relayout() { return graph.Layout(kArea); }
  GraphPoint At(int c, int j) const { return L().At(c, j); }
  // A drag: press, moves through `path`, release at the last.
  void Drag(GraphPoint from, std::initializer_list<GraphPoint> path, bool shift = false, bool ctrl = false) {
    graph.Hover(from);
    graph.Press(from, shift, ctrl);
    GraphPoint last = from;
    for (GraphPoint p : path) {
      graph.Move(p, shift, ctrl);
      last = p;
    }
    graph.Release(last);
  }
  // Pixels of n raw data units upward.
  int Up(int n) const { return static_cast<int>(std::lround(n * L().ys)); }
};

TEST(Graph2DRangeTest, AdvanceSheetRangesMarkersAndStacking) {
  struct Case {
    const char* name;
    int rows;
    int rowRise;  // each row lies this much above the one before
    std::uint32_t flags;
    int firstX;
    SheetMarkers markers;
    std::int64_t hMin, hMax, dMin, dMax, offset, top;
  };
  const Case cases[] = {
      // X 10..150 with base advance 10 and the limiters inside: 0..160, data 0..28 -> 0..30.
      {"one curve", 1, 0, 0x0701, 10, {10, 100, 120}, 0, 160, 0, 30, 5, 30},
      {"base advance above the data", 1, 0, 0x0701, 10, {40, 100, 120}, 0, 160, 0, 45, 5, 45},
      {"limiter 2 beyond the points", 1, 0, 0x0701, 10, {10, 100, 170}, 0, 180, 0, 30, 5, 30},
      {"no markers: min not lowered", 1, 0, 0x0000, 30, {10, 100, 120}, 20, 180, 0, 30, 5, 30},
      // Rows rise by 4: offset one step of 10, top = 2 offsets over the first curve's 30.
      {"three stacked curves", 3, 4, 0x0701, 10, {10, 100, 120}, 0, 160, 0, 40, 10, 50},
      {"stacked, falling rows", 3, -1, 0x0701, 10, {10, 100, 120}, 0, 160, -5, 30, 5, 40},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Rig rig(15, c.rows, c.flags, c.firstX);
    for (int y = 0; y < c.rows; ++y)
      for (int x = 0; x < 15; ++x) rig.S().Cell(x, y) = 2 * x + c.rowRise * y;
    rig.model.Markers() = c.markers;
    const Graph2DLayout& L = rig.Relayout();
    ASSERT_TRUE(L.valid);
    EXPECT_EQ(L.n, c.rows);
    EXPECT_EQ(L.hMin, c.hMin);
    EXPECT_EQ(L.hMax, c.hMax);
    EXPECT_EQ(L.dMin, c.dMin);
    EXPECT_EQ(L.dMax, c.dMax);
    EXPECT_EQ(L.offset, c.offset);
    EXPECT_EQ(L.dataTop, c.top);
    // What was drawn is written back into the axes.
    EXPECT_EQ(rig.S().xAxis.graphMin, c.hMin);
    EXPECT_EQ(rig.S().xAxis.graphMax, c.hMax);
    EXPECT_EQ(rig.S().dataAxis.graphMin, c.dMin);
    EXPECT_EQ(rig.S().dataAxis.graphMax, c.dMax);
    EXPECT_EQ(rig.S().dataAxis.currentGraduation.s1, 5);
    EXPECT_EQ(rig.S().xAxis.currentGraduation.spanLimit, 25000);
    // The lowest curve sits on PB at the data min; curve 0 is lifted the most.
    EXPECT_DOUBLE_EQ(L.ys, L.PH / double(c.top - c.dMin));
    EXPECT_EQ(L.At(c.rows - 1, 0).y, static_cast<int>(L.PB - (2 * 0 + c.rowRise * (c.rows - 1) - c.dMin) * L.ys));
  }
}

TEST(Graph2DRangeTest, GroupSheetsShareTheScale) {
  Rig rig(15, 1, 0x0000, 30);
  // A second sheet in the same X and data group reaches further.
  CTabModel& m = rig.model;
  const int other = m.DefineSheet("Other", "RPM", "TPS", "Advance", 15, 1, 0);
  m.DefineAxis(other, kPartX, "RPM", nullptr, 1, 250, 100, 1, {}, 1, 1, 1, 15, 1, 0, 1, -1, 0, 0xFFFFFF, nullptr);
  m.DefineAxis(other, kPartData, "ADV", nullptr, -20, 60, 1, 0, {}, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0xFFFFFF, nullptr);
  for (int x = 0; x < 15; ++x) m.Sheet(other).xAxis.values[static_cast<std::size_t>(x)] = 30 + 15 * x;
  m.Sheet(other).Cell(3, 0) = 52;
  m.ApplyAxisRules(other, kPartAll | kPartResetElastic);
  EXPECT_EQ(rig.Relayout().hMax, 180);
  EXPECT_EQ(rig.L().dMax, 30);  // masks 0: nothing shared yet
  m.Sheet(other).xAxis.groupMask = rig.S().xAxis.groupMask = 1;
  m.Sheet(other).dataAxis.groupMask = rig.S().dataAxis.groupMask = 2;
  EXPECT_EQ(rig.Relayout().hMax, 260);  // 240 + margin, rounded to 2000 rpm
  EXPECT_EQ(rig.L().dMax, 55);
  m.Sheet(other).xAxis.numeric = 0;  // same mask, other kind of axis: not shared
  EXPECT_EQ(rig.Relayout().hMax, 180);
}

TEST(Graph2DLayoutTest, CollapsedAxisGivesOneWiderCurve) {
  struct Case {
    const char* name;
    std::uint32_t flags;
    int xCollapsed, yCollapsed;
    int hPart, n, points, widthBonus;
  };
  const Case cases[] = {
      {"both used", 0, 0, 0, kPartX, 4, 6, 0},
      {"Y collapsed", 0, 0, 1, kPartX, 1, 6, 15},
      {"X collapsed", 0, 1, 0, kPartY, 1, 4, 15},
      {"Y horizontal", 0x0002, 0, 0, kPartY, 6, 4, 0},
      {"Y horizontal, Y collapsed", 0x0002, 0, 1, kPartX, 1, 6, 15},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Rig rig(6, 4, c.flags);
    rig.S().xAxis.collapsed = c.xCollapsed;
    rig.S().yAxis.collapsed = c.yCollapsed;
    rig.S().UpdateFixedIndices();
    const Graph2DLayout& L = rig.Relayout();
    EXPECT_EQ(L.hPart, c.hPart);
    EXPECT_EQ(L.n, c.n);
    EXPECT_EQ(L.M(), c.points);
    EXPECT_EQ(L.PW, kArea.width - 75 + c.widthBonus);
    EXPECT_EQ(L.PL, kArea.left + 45);
    EXPECT_EQ(L.PB, kArea.Bottom() - 18);
    EXPECT_EQ(L.PH, kArea.height - 26);
  }
  // A collapsed curve axis draws its fixed row (the last: rule -2).
  Rig rig(6, 4);
  rig.S().Cell(2, 3) = 33;
  rig.S().yAxis.collapsed = 1;
  rig.S().UpdateFixedIndices();
  rig.Relayout();
  EXPECT_EQ(rig.L().EntryOf(0, 2), (SheetEntry{2, 3}));
}

TEST(Graph2DLayoutTest, ZeroSpansAndNoRoomNeverDivideByZero) {
  // One non-numeric point, every value equal and at the data limits.
  Rig rig(1, 1, 0);
  rig.S().xAxis.numeric = 0;
  rig.S().Cell(0, 0) = 60;
  const Graph2DLayout& L = rig.Relayout();
  ASSERT_TRUE(L.valid);
  EXPECT_EQ(L.hMax - L.hMin, 0);
  EXPECT_TRUE(std::isfinite(L.xs) && std::isfinite(L.ys));
  EXPECT_GT(L.dMax, L.dMin);
  EXPECT_EQ(L.At(0, 0).x, L.PL);
  GraphDisplayList list;
  rig.graph.Paint(list, {}, {});
  EXPECT_GT(list.items.size(), 5u);
  // Dragging the lone point up stops at the data max.
  rig.Drag(L.At(0, 0), {{L.At(0, 0).x, L.At(0, 0).y - 200}});
  EXPECT_EQ(rig.S().Cell(0, 0), 60);

  // No room: nothing but the area is drawn and the mouse is not taken.
  for (const GraphRect area : {GraphRect{10, 10, 60, 200}, GraphRect{10, 10, 400, 20}, GraphRect{}}) {
    Rig small;
    ASSERT_FALSE(small.graph.Layout(area).valid);
    small.graph.Paint(list, {}, {});
    EXPECT_LE(list.items.size(), 1u);
    EXPECT_FALSE(small.graph.Press({20, 20}, false, false));
    EXPECT_FALSE(small.graph.Wheel({20, 20}, 1));
  }
}

TEST(Graph2DTextTest, AxisLabelRuleOneRowPerBranch) {
  struct Case {
    double s4, v;
    const char* text;
  };
  const Case cases[] = {
      {0.0005, 0.0015, "1.50m"}, {0.005, 0.015, "15m"},    {0.05, 0.25, "0.25"}, {0.5, 2.5, "2.5"}, {5, 25, "25"},
      {1000, 12000, "12k"},      {2000000, 3000000, "3M"}, {1, -0.2, "0"},  // never "-0"
  };
  for (const Case& c : cases) EXPECT_EQ(AxisLabelText(c.s4, c.v), c.text) << c.s4 << " " << c.v;
}

TEST(Graph2DTextTest, RoundingAndPercentGraduations) {
  EXPECT_EQ(RoundRangeMin(10, 2000, 100), 0);  // would go below zero: held at it
  EXPECT_EQ(RoundRangeMin(30, 2000, 100), 20);
  EXPECT_EQ(RoundRangeMin(-7, 5, 1), -10);
  EXPECT_EQ(RoundRangeMax(28, 5, 1), 30);
  EXPECT_EQ(RoundRangeMax(30, 5, 1), 35);     // the margin takes a max on a step one further
  EXPECT_EQ(RoundRangeMax(7, 0.5, 0.1), 10);  // display 0.7 -> 1.0
  struct Case {
    double span, limit, s1, s4;
  };
  for (const Case& c : {Case{8, 10, 5, 2}, Case{30, 30, 5, 5}, Case{31, 100, 20, 20}, Case{600, 500, 100, 100}}) {
    const GraduationRecord g = PercentGraduation(c.span);
    EXPECT_EQ(g.spanLimit, c.limit);
    EXPECT_EQ(g.s1, c.s1);
    EXPECT_EQ(g.s4, c.s4);
  }
}

TEST(Graph2DHoverTest, NearestPointWithinFivePixelsThenLimiters) {
  Rig rig(15, 3);
  const Graph2DLayout& L = rig.L();
  const GraphPoint p = rig.At(1, 4);
  struct Case {
    int dx, dy, hovered;
  };
  for (const Case& c : {Case{0, 0, 1 * 50 + 4}, Case{3, 3, 54}, Case{-4, 2, 54}, Case{4, 3, kHoverNothing}}) {
    rig.graph.Hover({p.x + c.dx, p.y + c.dy});
    EXPECT_EQ(rig.graph.Hovered(), c.hovered) << c.dx << "," << c.dy;
    EXPECT_EQ(rig.graph.SelectedCurve(), 1);
  }
  // Start points carry the base advance on every curve.
  rig.graph.Hover({L.PL + 1, L.startY[2] - 1});
  EXPECT_EQ(rig.graph.Hovered(), kHoverStartPoint);
  EXPECT_EQ(rig.graph.SelectedCurve(), 2);
  // Away from every point: limiter 2 (120) and limiter 1 (100) by their x.
  const int y = L.PB - L.PH + 3;
  rig.graph.Hover({L.XOf(120) + 5, y});
  EXPECT_EQ(rig.graph.Hovered(), kHoverLimiter2);
  rig.graph.Hover({L.XOf(100) - 4, y});
  EXPECT_EQ(rig.graph.Hovered(), kHoverLimiter1);
  EXPECT_EQ(rig.graph.Hint(), "");
  rig.graph.Hover({L.XOf(110), y});
  EXPECT_EQ(rig.graph.Hovered(), kHoverNothing);
}

TEST(Graph2DHoverTest, HintTexts) {
  Rig one(15, 1);
  one.graph.Hover(one.At(0, 3));
  EXPECT_EQ(one.graph.Hint(), "RPM = 4 000; Advance = 6 \xC2\xB0");
  one.graph.Hover({one.L().PL, one.L().startY[0]});
  EXPECT_EQ(one.graph.Hint(), "Base advance = 10 \xC2\xB0");
  one.graph.Press({one.L().PL, one.L().startY[0]}, false, false);
  EXPECT_EQ(one.graph.Hint(), "Dragging: Base advance = 10 \xC2\xB0");
  one.graph.Release({one.L().PL, one.L().startY[0]});
  one.graph.Hover({one.L().XOf(120), one.L().PB - 5});
  EXPECT_EQ(one.graph.Hint(), "Limiter = 12 000");

  Rig stacked(15, 3);
  stacked.graph.Hover(stacked.At(2, 1));
  EXPECT_EQ(stacked.graph.Hint(), "TPS = 10 %; RPM = 2 000; Advance = 2 \xC2\xB0");
}

TEST(Graph2DDragTest, SelectedPointsMoveAlikeAndStopAtTheDataRange) {
  Rig rig(15, 1);
  rig.S().Cell(5, 0) = 58;
  SelectRect(rig.S(), {3, 0, 5, 0});
  rig.Relayout();
  const GraphPoint p = rig.At(0, 4);
  rig.graph.Hover(p);
  ASSERT_TRUE(rig.graph.Press(p, false, false));
  // One grid step (5 degrees) up.
  const GraphDragStep step = rig.graph.Move({p.x, p.y - rig.Up(5)}, false, false);
  EXPECT_TRUE(step.changed);
  EXPECT_EQ(rig.changes, 0) << "nothing is committed while the drag runs";
  EXPECT_EQ(rig.S().Cell(3, 0), 6 + 5);
  EXPECT_EQ(rig.S().Cell(4, 0), 8 + 5);
  EXPECT_EQ(rig.S().Cell(5, 0), 60);  // the data max
  EXPECT_EQ(rig.S().Cell(6, 0), 12);  // not selected
  EXPECT_EQ(rig.S().xAxis.values[4], 50);
  // The data range grew from 60 to 65: the pointer follows the point.
  ASSERT_TRUE(step.pointer.has_value());
  EXPECT_EQ(*step.pointer, rig.At(0, 4));
  rig.graph.Release(*step.pointer);
  EXPECT_EQ(rig.changes, 1);
  EXPECT_EQ(rig.model.PendingKey(), 0);
}

TEST(Graph2DDragTest, EngineSpeedPointPushesItsNeighbourAndTheRangesFollow) {
  Rig rig(15, 1);
  const Graph2DLayout& L = rig.L();
  ASSERT_EQ(L.hMax, 160);
  const GraphPoint p = rig.At(0, 13);  // 140
  rig.Drag(p, {{L.XOf(148), p.y}, {L.XOf(165), p.y}});
  EXPECT_EQ(rig.S().xAxis.values[13], 165);
  EXPECT_EQ(rig.S().xAxis.values[14], 166);  // pushed by the min gap
  EXPECT_EQ(rig.S().Cell(13, 0), 26);        // data untouched by a sideways drag
  EXPECT_EQ(rig.L().hMax, 180);
  EXPECT_EQ(rig.changes, 1);
  // Back again: the pushed point springs back to where it was.
  rig.Drag(rig.At(0, 13), {{rig.L().XOf(140), p.y}});
  EXPECT_EQ(rig.S().xAxis.values[13], 140);
  EXPECT_EQ(rig.S().xAxis.values[14], 150);
  EXPECT_EQ(rig.changes, 2);
}

TEST(Graph2DDragTest, ShiftAndCtrlCarries) {
  Rig rig(5, 3);
  SelectOnly(rig.S(), {1, 0});
  // Add (3, 0) to the selection as a Ctrl click would.
  BeginSelection(rig.S(), kSelModeCells, {3, 0}, false, true);
  CompleteSelection(rig.S());
  ASSERT_EQ(rig.S().selection.count, 2);
  using Set = std::vector<int>;  // c * 5 + j of every carried point
  auto carried = [&](int c, int j, bool shift, bool ctrl) {
    Set out;
    const auto flags = rig.graph.Carried(c, j, shift, ctrl);
    for (int i = 0; i < static_cast<int>(flags.size()); ++i)
      if (flags[static_cast<std::size_t>(i)]) out.push_back(i);
    return out;
  };
  struct Case {
    const char* name;
    int c, j;
    bool shift, ctrl;
    Set expected;
  };
  const Case cases[] = {
      {"unselected point alone", 2, 2, false, false, {12}},
      {"selected point carries the selection", 0, 1, false, false, {1, 3}},
      {"Shift: curves with a selected point", 2, 2, true, false, {0, 1, 2, 3, 4, 12}},
      {"Ctrl: positions with a selected point", 2, 2, false, true, {1, 3, 6, 8, 11, 12, 13}},
  };
  for (const Case& c : cases) EXPECT_EQ(carried(c.c, c.j, c.shift, c.ctrl), c.expected) << c.name;
  ClearSelection(rig.S());
  EXPECT_EQ(carried(1, 2, true, false), (Set{5, 6, 7, 8, 9})) << "Shift without a selection: the dragged curve";
  EXPECT_EQ(carried(1, 2, false, true), (Set{2, 7, 12})) << "Ctrl without a selection: all curves there";

  // A Shift drag moves the whole curve by the same amount.
  const std::vector<int> before = {rig.S().Cell(0, 1), rig.S().Cell(2, 1), rig.S().Cell(4, 1)};
  const GraphPoint p = rig.At(1, 2);
  rig.Drag(p, {{p.x, p.y - rig.Up(3)}}, true, false);
  EXPECT_EQ(rig.S().Cell(0, 1), before[0] + 3);
  EXPECT_EQ(rig.S().Cell(2, 1), before[1] + 3);
  EXPECT_EQ(rig.S().Cell(4, 1), before[2] + 3);
  EXPECT_EQ(rig.S().Cell(2, 0), 4);  // other curves stay
  EXPECT_EQ(rig.changes, 1);
}

TEST(Graph2DDragTest, BaseAdvanceAndLimiterDragsAreClamped) {
  Rig rig(15, 1);
  const GraphPoint start{rig.L().PL, rig.L().startY[0]};
  rig.Drag(start, {{start.x, start.y - rig.Up(2)}});
  EXPECT_EQ(rig.model.Markers().baseAdvance, 12);
  EXPECT_EQ(rig.changes, 1);
  // Far above the plot: the data max (60), however far the mouse goes.
  const GraphPoint again{rig.L().PL, rig.L().startY[0]};
  rig.Drag(again, {{again.x, again.y - 5000}, {again.x, again.y - 100000}});
  EXPECT_EQ(rig.model.Markers().baseAdvance, 60);
  const GraphPoint low{rig.L().PL, rig.L().startY[0]};
  rig.Drag(low, {{low.x, low.y + 100000}});
  EXPECT_EQ(rig.model.Markers().baseAdvance, -20);

  // Limiter 2 far right stops at the X max (250).
  const int y = rig.L().PB - rig.L().PH + 3;
  rig.Drag({rig.L().XOf(120), y}, {{rig.L().XOf(130), y}, {100000, y}});
  EXPECT_EQ(rig.model.Markers().limiter2, 250);
  // Limiter 1 is hovered, but its drag changes nothing and opens no edit.
  const int changes = rig.changes;
  rig.Drag({rig.L().XOf(100), y}, {{rig.L().XOf(90), y}});
  EXPECT_EQ(rig.model.Markers().limiter1, 100);
  EXPECT_EQ(rig.changes, changes);
}

TEST(Graph2DDragTest, PressWithoutMoveIsNoEdit) {
  Rig rig(15, 1);
  rig.Drag(rig.At(0, 2), {});
  EXPECT_EQ(rig.changes, 0);
  EXPECT_EQ(rig.model.PendingKey(), 0);
  EXPECT_FALSE(rig.graph.Captured());
}

TEST(Graph2DSelectTest, RubberBandWithTheTablesShiftAndCtrlRules) {
  Rig rig(15, 3);
  auto band = [&](int c, int j0, int j1, bool shift, bool ctrl) {
    const GraphPoint a = rig.At(c, j0), b = rig.At(c, j1);
    // Pressed clear of every point (and of the limiters), so the press starts a band.
    const GraphPoint from{a.x - 7, std::min(a.y, b.y) - 7}, to{b.x + 7, std::max(a.y, b.y) + 7};
    rig.Drag(from, {to}, shift, ctrl);
  };
  band(2, 2, 4, false, false);
  EXPECT_EQ(rig.S().selection.count, 3);
  EXPECT_TRUE(IsSelected(rig.S(), {3, 2}));
  band(2, 8, 9, false, true);  // Ctrl adds
  EXPECT_EQ(rig.S().selection.count, 5);
  band(2, 11, 11, true, false);  // Shift adds too
  EXPECT_EQ(rig.S().selection.count, 6);
  band(2, 0, 1, false, false);  // plain: starts anew
  EXPECT_EQ(rig.S().selection.count, 2);
  EXPECT_EQ(rig.changes, 0);

  // Right click: a point becomes the only selection, nothing clears it.
  rig.graph.RightPress(rig.At(0, 7));
  EXPECT_EQ(rig.S().selection.count, 1);
  EXPECT_TRUE(IsSelected(rig.S(), {7, 0}));
  rig.graph.RightPress({rig.L().PL + 2, rig.L().PB - rig.L().PH + 2});
  EXPECT_FALSE(HasSelection(rig.S()));
}

TEST(Graph2DWheelTest, PointOrSelectionSteps) {
  Rig rig(15, 1);
  rig.graph.Wheel(rig.At(0, 2), 3);
  EXPECT_EQ(rig.S().Cell(2, 0), 4 + 3);
  SelectRect(rig.S(), {5, 0, 6, 0});
  rig.Relayout();
  rig.graph.Wheel(rig.At(0, 5), -1);
  EXPECT_EQ(rig.S().Cell(5, 0), 10 - 1);
  EXPECT_EQ(rig.S().Cell(6, 0), 12 - 1);
  // A burst far past the data limit stays at it.
  rig.graph.Wheel(rig.At(0, 8), 500);
  EXPECT_EQ(rig.S().Cell(8, 0), 60);
}

TEST(Graph2DPaintTest, StackedCurvesBandLimiterAndMarkers) {
  Rig rig(15, 3);
  SelectRect(rig.S(), {3, 1, 5, 1});
  rig.S().liveX = 4;
  rig.S().liveY = 2;
  rig.S().liveKind = 1;
  rig.model.LiveInputs().status = 0;
  rig.model.LiveInputs().engineSpeed = 5000;
  rig.Relayout();
  rig.graph.Hover(rig.At(1, 4));
  GraphDisplayList list;
  rig.graph.Paint(list, {}, {});
  auto count = [&](GraphItemKind kind, TColor colour) {
    return std::count_if(list.items.begin(), list.items.end(), [&](const GraphItem& i) {
      return i.kind == kind && (kind == GraphItemKind::kFill ? i.fill : i.pen) == colour;
    });
  };
  const Graph2DLayout& L = rig.L();
  EXPECT_EQ(count(GraphItemKind::kFill, 0xF0FBFF), 1);              // stacked plot
  EXPECT_EQ(count(GraphItemKind::kFill, 0xC0D5DD), 1);              // beyond limiter 2, outside the band
  EXPECT_EQ(count(GraphItemKind::kPolyline, 0x0000FF), 1);          // the selected curve, red
  EXPECT_EQ(count(GraphItemKind::kPolyline, 0x808080), 2);          // the others
  EXPECT_EQ(count(GraphItemKind::kLine, 0xFF0000), 2);              // between selected points, blue
  EXPECT_EQ(count(GraphItemKind::kCircle, table::kLiveActive), 2);  // live point rings
  EXPECT_EQ(count(GraphItemKind::kLine, 0x00FF00), 1);              // engine-speed line
  EXPECT_EQ(count(GraphItemKind::kLine, 0x0000FF), 3 * 2);          // crosses on the 3 selected points
  EXPECT_EQ(count(GraphItemKind::kMarker, 0xFF0000), 3 * 2);        // selected: marker and ring
  EXPECT_EQ(count(GraphItemKind::kMarker, 0x0000FF), 15 - 3 + 1);   // own curve, start point included
  // The white band of the selected curve spans its data range above its baseline.
  const auto white = std::find_if(list.items.begin(), list.items.end(), [](const GraphItem& i) {
    return i.kind == GraphItemKind::kFill && i.fill == 0xFFFFFF;
  });
  ASSERT_NE(white, list.items.end());
  EXPECT_EQ(white->rect.Bottom(), L.YOf(L.dMin, 1));
  EXPECT_EQ(white->rect.top, L.YOf(L.dMax, 1));
  // Curve captions left of the start, data labels right of the plot.
  const auto caption = std::find_if(list.items.begin(), list.items.end(), [](const GraphItem& i) {
    return i.kind == GraphItemKind::kText && i.text == "10 %";
  });
  ASSERT_NE(caption, list.items.end());
  EXPECT_LE(caption->rect.Right(), L.PL);
  const auto label = std::find_if(list.items.begin(), list.items.end(), [](const GraphItem& i) {
    return i.kind == GraphItemKind::kText && i.text == "10\xC2\xB0";
  });
  ASSERT_NE(label, list.items.end());
  EXPECT_GT(label->rect.left, L.PL + L.PW);
}

TEST(Graph2DPaintTest, TemperatureLinesOnSensorSheets) {
  // Sensor characteristics: the named sensors are the curves over temperature.
  CTabModel model{kOptionTable | kOptionGraph2D};
  const int s = model.DefineSheet("Sensors", "", "TW", "Voltage", 2, 5, kSheetLivePoint | kSheetGraphYHorizontal);
  model.DefineAxis(s, kPartX, "", nullptr, 0, 20000, 1, 1, {}, 0, 0, 2, 2, 0, 0, 0, -1, 0, 0xFFFFFF, nullptr);
  model.DefineAxis(s, kPartY, "TW",
                   "\xC2\xB0"
                   "C",
                   -40, 150, 1, 1, {}, 0, 1, 5, 5, 0, 0, 0, -1, 0, 0xFFFFFF, nullptr);
  model.DefineAxis(s, kPartData, "U", "V", 0, 500, 0.01, 0, {}, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0xFFFFFF, nullptr);
  CSheet& sheet = model.Sheet(s);
  sheet.xAxis.namedValues = 1;
  sheet.xAxis.values[0] = 10010;
  sheet.xAxis.values[1] = 10020;
  for (int y = 0; y < 5; ++y) sheet.yAxis.values[static_cast<std::size_t>(y)] = -10 + 30 * y;
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 2; ++x) sheet.Cell(x, y) = 450 - 80 * y - 10 * x;
  model.ApplyAxisRules(s, kPartAll | kPartResetElastic);
  model.SelectSheet(s);
  model.LiveInputs() = {};
  model.LiveInputs().status = 0;
  model.LiveInputs().coolantTemperature = 80;
  model.LiveInputs().airTemperature = 20;
  CGraph2D graph(model);
  const Graph2DLayout& L = graph.Layout(kArea);
  GraphDisplayList list;
  graph.Paint(list, {}, {});
  auto lineAt = [&](TColor colour) {
    for (const GraphItem& i : list.items)
      if (i.kind == GraphItemKind::kLine && i.pen == colour) return list.PointsOf(i)[0].x;
    return -1;
  };
  EXPECT_EQ(lineAt(0x00FF00), L.XOf(80));  // coolant, green
  EXPECT_EQ(lineAt(0xFF0000), L.XOf(20));  // air, blue
  // Curve captions use the short names ("Cool.", "Air") where the dictionary has them.
  int captions = 0;
  for (const GraphItem& i : list.items)
    captions += i.kind == GraphItemKind::kText && (i.text == "Cool." || i.text == "Air");
  EXPECT_EQ(captions, 2);
  // No connection: no live line.
  model.LiveInputs().status = kLiveNoConnection;
  graph.Paint(list, {}, {});
  EXPECT_EQ(lineAt(0x00FF00), -1);
}

TEST(Graph2DRangeTest, PercentModeUsesItsOwnGraduationsAndUnit) {
  Rig rig(15, 1, kSheetPercent);
  rig.S().dataAxis.scale = 0.5;
  ASSERT_TRUE(rig.S().PercentCapable());
  rig.S().percentMode = 1;
  for (int x = 0; x < 15; ++x) rig.S().Cell(x, 0) = 90 + x;  // percentages 90..104
  const Graph2DLayout& L = rig.Relayout();
  EXPECT_EQ(L.dScale, 1.0);
  EXPECT_EQ(L.dGrad.spanLimit, 30);  // the fixed record for a span of 14
  rig.graph.Hover(rig.At(0, 2));
  EXPECT_EQ(rig.graph.Hint(), "RPM = 3 000; Advance = 92 %");
  GraphDisplayList list;
  rig.graph.Paint(list, {}, {});
  EXPECT_TRUE(std::any_of(list.items.begin(), list.items.end(),
                          [](const GraphItem& i) { return i.kind == GraphItemKind::kText && i.text == "100%"; }));
}

}  // namespace
