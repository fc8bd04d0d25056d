#include "sheet/Graph3D.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "sheet/Selection.h"
#include "sheet/SheetButtons.h"
#include "sheet/SheetTestSupport.h"
#include "support/AdvanceSheet.h"

namespace {

using namespace graph3d;

// The advance page's graph area: 1338 x 934 less the margins 10/27 and 36/27.
constexpr int kAreaLeft = 10, kAreaTop = 36, kAreaWidth = 1301, kAreaHeight = 871;

Layout PageLayout() { return MakeLayout(kAreaLeft, kAreaTop, kAreaWidth, kAreaHeight); }

// Six pixels a character, twelve high: enough to size boxes and discs.
TextSize RoughMeasure(std::string_view text, int) { return {static_cast<int>(text.size()) * 6, 12}; }

// The advance map with its graph ranges as the 2D range computation leaves
// them: engine speed 0..12000 rpm, throttle 0..100, the data's own -20..60.
struct AdvanceRig {
  CTabModel model{kOptionTable | kOptionGraph2D | kOptionGraph3D};
  int sheet = DefineAdvanceSheet(model);
  SheetViewState view;
  CGraph3D graph;
  DisplayList list;

  AdvanceRig() {
    CSheet& s = S();
    s.xAxis.graphMin = 0;
    s.xAxis.graphMax = 120;
    s.yAxis.graphMin = 0;
    s.yAxis.graphMax = 100;
  }
  CSheet& S() { return model.Sheet(sheet); }
  const DisplayList& Build() {
    graph.Build(S(), view, PageLayout(), RoughMeasure, list);
    return list;
  }
  std::vector<const Item*> Of(ItemKind kind) const {
    std::vector<const Item*> r;
    for (const Item& it : list.items)
      if (it.kind == kind) r.push_back(&it);
    return r;
  }
  std::vector<std::string> Texts(TColor colour) const {
    std::vector<std::string> r;
    for (const Item& it : list.items)
      if (it.kind == ItemKind::kText && it.colour == colour) r.push_back(list.texts[static_cast<std::size_t>(it.text)]);
    return r;
  }
};

TEST(Graph3DColoursTest, TableBlendsBetweenBreakpointsAndTruncates) {
  struct Case {
    int index;
    std::uint32_t rgb;
  };
  const Case cases[] = {
      {0, 0x000055},  {15, 0x0000FF}, {25, 0x00FF00}, {32, 0xFFFF00}, {40, 0xCCCC00},
      {52, 0xFF0000}, {61, 0xFF00FF}, {62, 0xFF00FF}, {7, 0x0000A4},  // 85 + (255 - 85) x 7 / 15 = 164.3
      {20, 0x007F7F},                                                 // halfway: 127.5 both ways
      {28, 0x6DFF00},                                                 // 255 x 3 / 7 = 109.3
      {36, 0xE5E500},                                                 // 229.5 falling from 255 to 204
      {46, 0xE56600},                                                 // red 229.5, green 102
      {56, 0xFF0071},                                                 // blue 255 x 4 / 9 = 113.3
  };
  for (const Case& c : cases) EXPECT_EQ(HeightColourRgb(c.index), c.rgb) << "entry " << c.index;
  // Painted colours are 0x00BBGGRR like every other colour.
  EXPECT_EQ(HeightColour(20), 0x7F7F00u);
  EXPECT_EQ(HeightColour(0), 0x550000u);
  EXPECT_EQ(HeightColour(-3), HeightColour(0));
  EXPECT_EQ(HeightColour(99), HeightColour(62));
}

TEST(Graph3DColoursTest, ColourIndexIsThePlaceInTheRangeHeldToTheTable) {
  EXPECT_DOUBLE_EQ(ColourIndex(-20, -20, 60), 0);
  EXPECT_DOUBLE_EQ(ColourIndex(60, -20, 60), 61);
  EXPECT_DOUBLE_EQ(ColourIndex(20, -20, 60), 30.5);
  EXPECT_DOUBLE_EQ(ColourIndex(-100, -20, 60), 0);
  EXPECT_DOUBLE_EQ(ColourIndex(100, -20, 60), 61);
  EXPECT_DOUBLE_EQ(ColourIndex(5, 5, 5), 0);  // no span: no division
}

TEST(Graph3DAnglesTest, WrapKeepsAnglesInOneTurn) {
  const std::pair<int, int> cases[] = {{36, 36}, {37, -35}, {-35, -35},  {-36, 36}, {0, 0},
                                       {72, 0},  {108, 36}, {-107, -35}, {145, 1}};
  for (auto [in, out] : cases) EXPECT_EQ(WrapAngle(in), out) << in;
}

TEST(Graph3DAnglesTest, DragTurnsByWholeStepsTowardZero) {
  struct Case {
    GraphAngles press;
    int dx, dy;
    GraphAngles expected;
  };
  const Case cases[] = {
      {{-5, 24, 0}, 100, 0, {-5, 34, 0}},   // 100 px right: B + 10 (50 degrees)
      {{-5, 36, 0}, 10, 0, {-5, -35, 0}},   // one more step past 36 wraps
      {{-5, 24, 0}, -15, 0, {-5, 23, 0}},   // -1.5 steps count as -1
      {{-5, 24, 0}, 9, -9, {-5, 24, 0}},    // less than a step: nothing
      {{-5, 24, 3}, 0, -25, {-3, 24, 3}},   // mouse up tilts A up; C stays
      {{-35, 0, 0}, 0, 10, {36, 0, 0}},     // A wraps too
      {{0, 0, 0}, 7200, -7200, {0, 0, 0}},  // ten whole turns each
  };
  for (const Case& c : cases) {
    const GraphAngles a = DragAngles(c.press, c.dx, c.dy);
    EXPECT_EQ(a, c.expected) << c.dx << "," << c.dy << " -> " << a.a << "," << a.b << "," << a.c;
  }
  EXPECT_EQ(AngleText({-5, 24, 0}), "X:-25\xC2\xB0  XY:120\xC2\xB0  XYZ:0\xC2\xB0");
}

TEST(Graph3DAnglesTest, WheelModesStayInTheirRanges) {
  // Ctrl: colour mode 0..5; Shift: value labels 0..3.
  for (auto [max, start] : {std::pair{5, 4}, std::pair{3, 0}}) {
    int mode = start;
    for (int i = 0; i < 10; ++i) mode = StepMode(mode, +1, max);
    EXPECT_EQ(mode, max);
    for (int i = 0; i < 10; ++i) mode = StepMode(mode, -3, max);
    EXPECT_EQ(mode, 0);
    EXPECT_EQ(StepMode(2, 0, max), 2);
  }
}

TEST(Graph3DPresetTest, TopPressedAtItsAnglesAndReleasedByOneMoreStep) {
  CSheetButtons buttons;
  buttons.PlacePresets(true, kAreaLeft, kAreaTop);
  auto pressed = [&] {
    return std::vector<int>{buttons[kCommandTopView].state, buttons[kCommandIso1View].state,
                            buttons[kCommandIso2View].state};
  };
  buttons.SyncPresets({-18, 0, 0});
  EXPECT_EQ(pressed(), (std::vector<int>{1, 0, 0}));
  buttons.SyncPresets(DragAngles({-18, 0, 0}, 10, 0));
  EXPECT_EQ(pressed(), (std::vector<int>{0, 0, 0}));
  buttons.SyncPresets({-5, 4, 0});
  EXPECT_EQ(pressed(), (std::vector<int>{0, 1, 0}));
  buttons.SyncPresets(SheetViewState{}.angles);  // the start view is ISO2
  EXPECT_EQ(pressed(), (std::vector<int>{0, 0, 1}));

  // Buttons sit 25..41 below the graph top, shifted with the area; each is a toggle.
  const struct {
    int index;
    ButtonRect rect;
    const char* caption;
  } placed[] = {{16, {20, 61, 65, 77}, "TOP"}, {17, {70, 61, 105, 77}, "ISO1"}, {18, {110, 61, 145, 77}, "ISO2"}};
  for (const auto& p : placed) {
    EXPECT_EQ(buttons[p.index].rect, p.rect);
    EXPECT_EQ(buttons[p.index].caption, p.caption);
    EXPECT_EQ(buttons[p.index].kind, kButtonToggle);
    EXPECT_EQ(buttons.At(p.rect.left, p.rect.bottom), p.index);
  }
  EXPECT_EQ(buttons[16].hint, "View graph form top");
  EXPECT_EQ(buttons.At(66, 70), -1);  // the gap between TOP and ISO1
  // A toggle runs its command at the press, even when it already shows pressed.
  EXPECT_EQ(buttons.Press(18), kCommandIso2View);
  EXPECT_EQ(buttons.Hover(30, 70), kCommandTopView);
  EXPECT_TRUE(buttons[16].hovered);
  buttons.PlacePresets(false, kAreaLeft, kAreaTop);  // other views have none
  EXPECT_EQ(buttons.At(30, 70), -1);
  EXPECT_EQ(buttons.Press(16), -1);
}

TEST(Graph3DLayoutTest, PlotAndStretchFromTheGraphArea) {
  struct Case {
    int width, height;
    int pw, ph;
    double r;
  };
  const Case cases[] = {
      {1301, 871, 1141, 851, 1141.0 / 851 * 0.95}, {390, 250, 230, 230, 1.0},  // 0.95: close enough to square
      {412, 250, 252, 230, 252.0 / 230 * 0.95},                                // 1.0409 -> 1
      {430, 250, 270, 230, 270.0 / 230 * 0.95},                                // 1.115 stays
      {500, 1000, 340, 980, 340.0 / 980 * 0.95},
  };
  for (const Case& c : cases) {
    const Layout l = MakeLayout(10, 36, c.width, c.height);
    EXPECT_EQ(l.pl, 160);
    EXPECT_EQ(l.pw, c.pw);
    EXPECT_EQ(l.ph, c.ph);
    const double expected = c.r > 0.94 && c.r < 1.06 ? 1.0 : c.r;
    EXPECT_DOUBLE_EQ(l.r, expected) << c.width << "x" << c.height;
    EXPECT_TRUE(l.Drawable());
  }
  EXPECT_FALSE(MakeLayout(10, 36, 150, 500).Drawable());
  EXPECT_FALSE(MakeLayout(10, 36, 500, 20).Drawable());
}

TEST(Graph3DProjectionTest, TopViewMapsTheAxesOntoAnUprightRectangle) {
  const Layout l = PageLayout();
  Ranges ranges;
  ranges.hMin = 0, ranges.hMax = 120, ranges.dMin = -20, ranges.dMax = 60, ranges.eMin = 0, ranges.eMax = 100;
  const Projection p = MakeProjection(l, kPresetAngles[kPresetTop], ranges);
  const ScreenPoint o = p.Project(0, 0, 0), h = p.Project(120, 0, 0), d = p.Project(0, 80, 0), e = p.Project(0, 0, 100),
                    far = p.Project(120, 80, 100);
  EXPECT_NEAR(h.x - o.x, l.r * l.ph, 1e-6);  // r x PH wide
  EXPECT_NEAR(e.y - o.y, l.ph, 1e-6);        // PH high, rows going down
  EXPECT_NEAR(h.y, o.y, 1e-6);
  EXPECT_NEAR(e.x, o.x, 1e-6);
  EXPECT_NEAR(d.x, o.x, 1e-6);  // the data axis points at the viewer
  EXPECT_NEAR(d.y, o.y, 1e-6);
  EXPECT_NEAR(far.x, h.x, 1e-6);
  EXPECT_NEAR(far.y, e.y, 1e-6);
  EXPECT_NEAR(o.x, l.pl, 1e-6);
  EXPECT_NEAR(e.y, l.bottom - 10, 1e-6);
}

TEST(Graph3DProjectionTest, AnyAnglesKeepTheBoxInsideThePlot) {
  const Layout l = PageLayout();
  Ranges ranges;
  ranges.hMax = 37, ranges.dMin = -5, ranges.dMax = 3, ranges.eMax = 1000;
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> angle(kAngleMin, kAngleMax);
  for (int n = 0; n < 200; ++n) {
    const GraphAngles a{angle(rng), angle(rng), angle(rng)};
    const Projection p = MakeProjection(l, a, ranges);
    for (int corner = 0; corner < 8; ++corner) {
      const ScreenPoint q = p.Project(corner & 1 ? 37 : 0, corner & 2 ? 8 : 0, corner & 4 ? 1000 : 0);
      EXPECT_GE(q.x, l.pl - 1e-6);
      EXPECT_LE(q.x, l.pl + l.r * l.ph + 1e-6);
      EXPECT_LE(q.y, l.bottom - 10 + 1e-6);
      EXPECT_GE(q.y, l.bottom - 10 - l.ph - 1e-6);
    }
  }
}

TEST(Graph3DSurfaceTest, RandomAnglesDrawFarToNear) {
  AdvanceRig rig;
  rig.view.colourMode = 4;
  std::mt19937 rng(11);
  std::uniform_int_distribution<int> angle(kAngleMin, kAngleMax);
  for (int n = 0; n < 100; ++n) {
    rig.view.angles = {angle(rng), angle(rng), angle(rng)};
    rig.Build();
    const Projection& p = rig.graph.CurrentProjection();
    const CSheet& s = rig.S();
    // The depth of a cell's middle, worked out here from the projection alone.
    auto cellDepth = [&](int cell) {
      const int i = cell % kCellStride, j = cell / kCellStride;
      const double h = (s.xAxis.values[std::size_t(i)] + s.xAxis.values[std::size_t(i + 1)]) / 2.0;
      const double e = (s.yAxis.values[std::size_t(j)] + s.yAxis.values[std::size_t(j + 1)]) / 2.0;
      return p.Project(h, 0, e).depth;
    };
    std::set<int> done;
    int current = -1;
    double lastCell = -1e300, lastTriangle = -1e300;
    int cells = 0;
    for (const Item& it : rig.list.items) {
      if (it.cell < 0) continue;
      if (it.cell != current) {
        ASSERT_TRUE(done.insert(it.cell).second) << "cell " << it.cell << " drawn in two runs";
        current = it.cell;
        const double d = cellDepth(it.cell);
        EXPECT_GE(d, lastCell - 1e-6) << "angles " << rig.view.angles.a << "," << rig.view.angles.b << ","
                                      << rig.view.angles.c;
        lastCell = d;
        lastTriangle = -1e300;
        ++cells;
      }
      if (it.kind == ItemKind::kPolygon) {
        EXPECT_GE(it.depth, lastTriangle - 1e-3);
        lastTriangle = it.depth;
      }
    }
    EXPECT_EQ(cells, 14 * 9);
  }
}

TEST(Graph3DSurfaceTest, FacesAndModes) {
  AdvanceRig rig;
  auto colours = [&] {
    std::set<TColor> c;
    for (const Item* it : rig.Of(ItemKind::kPolygon)) c.insert(it->colour);
    return c;
  };
  // From the top every triangle faces the viewer; from below none does.
  rig.view.angles = kPresetAngles[kPresetTop];
  rig.view.colourMode = 1;
  rig.Build();
  EXPECT_EQ(colours(), (std::set<TColor>{kOneColour}));
  EXPECT_EQ(rig.Of(ItemKind::kPolygon).size(), 14u * 9 * 4);
  rig.view.angles = {18, 0, 0};
  rig.view.colourMode = 4;
  rig.Build();
  EXPECT_EQ(colours(), (std::set<TColor>{kBackFace}));
  EXPECT_EQ(rig.Of(ItemKind::kPolygon).size(), 14u * 9 * 4);  // back faces are never split

  // The wire model fills nothing and draws its edges black.
  rig.view.angles = SheetViewState{}.angles;
  rig.view.colourMode = 0;
  rig.Build();
  EXPECT_TRUE(rig.Of(ItemKind::kPolygon).empty());
  int edges = 0;
  for (const Item* it : rig.Of(ItemKind::kLine))
    if (it->cell >= 0) {
      EXPECT_EQ(it->colour, 0x000000u);
      ++edges;
    }
  EXPECT_EQ(edges, 14 * 9 * 4);
}

TEST(Graph3DSurfaceTest, HeightColoursSplitUpToTheGrain) {
  AdvanceRig rig;
  rig.view.angles = kPresetAngles[kPresetTop];
  // Steep enough that every triangle splits all the way: 0 and 60 side by side.
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 15; ++x) rig.S().Cell(x, y) = (x + y) % 2 ? 60 : -20;
  for (int mode = 2; mode <= 5; ++mode) {
    rig.view.colourMode = mode;
    rig.Build();
    const std::size_t pieces = std::size_t(1) << (2 * (mode - 2));
    EXPECT_EQ(rig.Of(ItemKind::kPolygon).size(), 14u * 9 * 4 * pieces) << "mode " << mode;
  }
  // A flat sheet at the bottom of the range has colour index 0 everywhere and nothing to split.
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 15; ++x) rig.S().Cell(x, y) = -20;
  rig.view.colourMode = 5;
  rig.Build();
  const auto polygons = rig.Of(ItemKind::kPolygon);
  EXPECT_EQ(polygons.size(), 14u * 9 * 4);
  for (const Item* it : polygons) EXPECT_EQ(it->colour, HeightColour(0));
  // Flat halfway up: the formula's colour, not a special one.
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 15; ++x) rig.S().Cell(x, y) = 20;
  rig.Build();
  for (const Item* it : rig.Of(ItemKind::kPolygon)) EXPECT_EQ(it->colour, HeightColour(31));  // 30.5 rounds up
}

TEST(Graph3DSurfaceTest, EdgesShowSelectionAndInterpolationCorners) {
  AdvanceRig rig;
  rig.view.angles = kPresetAngles[kPresetTop];
  SelectRect(rig.S(), {3, 2, 6, 4});  // an interpolable rectangle: its corners are marked
  rig.Build();
  int blue = 0, green = 0, white = 0;
  for (const Item* it : rig.Of(ItemKind::kLine)) {
    if (it->cell < 0) continue;
    blue += it->colour == kEdgeSelected;
    green += it->colour == kEdgeCorner;
    white += it->colour == 0xFFFFFF;
  }
  // Every join is drawn by the two cells beside it. A corner point has four
  // joins; the block's other inner joins are 5 across and 4 down.
  EXPECT_EQ(green, 4 * 4 * 2);
  EXPECT_EQ(blue, (5 + 4) * 2);
  EXPECT_EQ(green + blue + white, 14 * 9 * 4);
}

TEST(Graph3DLabelsTest, ModesChooseTheirCorners) {
  SheetRig rig(3, 3, 8, 6, kSheetLivePoint);
  rig.SetRow(0, {1, 2, 1});
  rig.SetRow(1, {2, 5, 2});
  rig.SetRow(2, {1, 2, 1});
  const SurfaceAxes ax = SurfaceAxesOf(rig.S());
  auto labelled = [&](int mode) {
    const std::vector<bool> on = LabelledCells(rig.S(), ax, mode);
    std::vector<int> cells;
    for (int j = 0; j < 3; ++j)
      for (int i = 0; i < 3; ++i)
        if (on[std::size_t(j * kCellStride + i)]) cells.push_back(j * 10 + i);
    return cells;
  };
  rig.S().liveX = 1;
  rig.S().liveY = 0;
  rig.S().liveKind = 1;
  EXPECT_EQ(labelled(0), (std::vector<int>{}));
  EXPECT_EQ(labelled(1), (std::vector<int>{1}));
  // The peak and the four corners are strict extrema; edge middles are not.
  EXPECT_EQ(labelled(2), (std::vector<int>{0, 1, 2, 11, 20, 22}));
  EXPECT_EQ(labelled(3).size(), 9u);
  // A few selected cells are labelled; of a larger selection only the interpolation corners.
  rig.S().liveKind = 0;
  SelectRect(rig.S(), {0, 1, 0, 1});
  EXPECT_EQ(labelled(2), (std::vector<int>{0, 2, 10, 11, 20, 22}));
  SelectRect(rig.S(), {0, 1, 2, 2});  // 6 cells
  EXPECT_EQ(labelled(2), (std::vector<int>{0, 2, 10, 11, 12, 20, 22}));
  // A tie is no extremum.
  rig.SetRow(1, {2, 2, 2});
  ClearSelection(rig.S());
  EXPECT_EQ(labelled(2), (std::vector<int>{0, 2, 20, 22}));
}

TEST(Graph3DLabelsTest, LiveDiscHoldsItsValue) {
  AdvanceRig rig;
  CSheet& s = rig.S();
  s.liveX = 9;
  s.liveY = 6;
  s.liveKind = 1;
  s.Cell(9, 6) = 17;
  auto disc = [&]() -> const Item* {
    const auto discs = rig.Of(ItemKind::kDisc);
    return discs.size() == 1 ? discs.front() : nullptr;
  };
  rig.view.labelMode = 0;
  rig.Build();
  ASSERT_NE(disc(), nullptr);
  EXPECT_EQ(disc()->radius, kDiscRadius);
  EXPECT_EQ(disc()->colour, 0x44F444u);
  EXPECT_EQ(disc()->outline, 0xFFFFFFu);
  rig.view.labelMode = 2;
  rig.Build();
  ASSERT_NE(disc(), nullptr);
  // Large enough for the value: half its width, a quarter of its height, 2 more.
  EXPECT_EQ(disc()->radius, 12 / 2 + 12 / 4 + 2);
  s.Cell(9, 6) = -17;
  rig.Build();
  EXPECT_EQ(disc()->radius, 18 / 2 + 12 / 4 + 2);
  // The value is written into the disc once, in black; no other label for that cell.
  const std::vector<std::string> dark = rig.Texts(0x000000), light = rig.Texts(0xFFFFFF);
  EXPECT_EQ(std::count(dark.begin(), dark.end(), "-17"), 1);
  EXPECT_EQ(std::count(light.begin(), light.end(), "-17"), 0);
  s.liveKind = 2;
  rig.Build();
  EXPECT_EQ(disc()->colour, 0x44F4F4u);
  s.liveKind = -1;  // map not in use: no disc
  rig.Build();
  EXPECT_EQ(disc(), nullptr);
}

TEST(Graph3DSurfaceTest, CollapsedAxesShowTheUsedRow) {
  AdvanceRig rig;
  rig.view.labelMode = 3;
  rig.S().yAxis.collapsed = 1;
  rig.S().UpdateFixedIndices();
  rig.Build();
  EXPECT_TRUE(rig.Of(ItemKind::kPolygon).empty());
  int lines = 0;
  for (const Item* it : rig.Of(ItemKind::kLine))
    if (it->colour == 0xFFFFFF) ++lines;
  EXPECT_EQ(lines, 14);  // the row's 15 points joined
  EXPECT_EQ(rig.Texts(0xFFFFFF).size(), 15u);
  // Both collapsed: a single point, labelled, and nothing divides by zero.
  rig.S().xAxis.collapsed = 1;
  rig.S().UpdateFixedIndices();
  rig.Build();
  EXPECT_EQ(rig.Texts(0xFFFFFF).size(), 1u);
  // One-point axes with equal graph limits.
  rig.S().xAxis.graphMin = rig.S().xAxis.graphMax = 10;
  rig.S().dataAxis.fixedGraphRange = 0;
  rig.S().dataAxis.graphMin = rig.S().dataAxis.graphMax = 5;
  rig.Build();
  for (const Item& it : rig.list.items)
    for (const Pt& p : it.p) EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
}

TEST(Graph3DSurfaceTest, ProjectionIsWorkedOutOncePerLayout) {
  AdvanceRig rig;
  rig.Build();
  rig.Build();
  rig.S().Cell(2, 2) = 30;  // values do not move the projection
  rig.Build();
  EXPECT_EQ(rig.graph.ProjectionCount(), 1);
  rig.view.angles.c = 1;
  rig.Build();
  rig.S().yAxis.graphMax = 120;
  rig.Build();
  EXPECT_EQ(rig.graph.ProjectionCount(), 3);
}

TEST(Graph3DStripTest, ScaleAnglesAndAxisBoxes) {
  AdvanceRig rig;
  rig.Build();
  // The 61 height colours stacked upward, then the data graduation beside them.
  std::vector<TColor> bands;
  for (const Item* it : rig.Of(ItemKind::kFill))
    if (it->p[0].x == kAreaLeft + kScaleLeft) bands.push_back(it->colour);
  ASSERT_EQ(bands.size(), 61u);
  EXPECT_EQ(bands.front(), HeightColour(0));
  EXPECT_EQ(bands.back(), HeightColour(60));
  const std::vector<std::string> black = rig.Texts(0x000000);
  EXPECT_NE(std::find(black.begin(), black.end(), "X:-25\xC2\xB0  XY:120\xC2\xB0  XYZ:0\xC2\xB0"), black.end());
  EXPECT_NE(std::find(black.begin(), black.end(), "-20"), black.end());
  EXPECT_NE(std::find(black.begin(), black.end(), "60"), black.end());
  std::map<std::string, const Item*> boxes;
  for (const Item* it : rig.Of(ItemKind::kLabelBox)) boxes[rig.list.texts[std::size_t(it->text)]] = it;
  ASSERT_EQ(boxes.size(), 3u);
  ASSERT_TRUE(boxes.count("RPM") && boxes.count("TPS") && boxes.count("Advance"));
  EXPECT_EQ(boxes["RPM"]->p[1].x - boxes["RPM"]->p[0].x, 32);  // short labels get the least width
  EXPECT_EQ(boxes["Advance"]->p[1].x - boxes["Advance"]->p[0].x, 7 * 6 + 4);
  EXPECT_EQ(boxes["Advance"]->p[1].y - boxes["Advance"]->p[0].y, 16);
}

TEST(Graph3DSurfaceTest, DataAxisStandsAtTheOriginsDepth) {
  AdvanceRig rig;
  auto dataBoxAfterSurface = [&](const GraphAngles& angles) {
    rig.view.angles = angles;
    rig.Build();
    std::size_t box = 0, lastPolygon = 0, firstPolygon = rig.list.items.size();
    for (std::size_t k = 0; k < rig.list.items.size(); ++k) {
      const Item& it = rig.list.items[k];
      if (it.kind == ItemKind::kLabelBox && rig.list.texts[std::size_t(it.text)] == "Advance") box = k;
      if (it.kind == ItemKind::kPolygon) {
        firstPolygon = std::min(firstPolygon, k);
        lastPolygon = k;
      }
    }
    EXPECT_TRUE(box < firstPolygon || box > lastPolygon);
    return box > lastPolygon;
  };
  EXPECT_TRUE(dataBoxAfterSurface(kPresetAngles[kPresetIso2]));  // the origin is the nearest corner
  EXPECT_FALSE(dataBoxAfterSurface({-5, -12, 0}));               // and here the farthest
}

TEST(Graph3DHintTest, HintsByPlaceAndBits) {
  struct Case {
    int x, y, bits;
    std::string_view text;
  };
  const std::string_view setValue = "Set actual value - mouse wheel";
  const std::string_view rotate = HintAt(0, 0, 500, 500, kHintRotate).text;
  EXPECT_EQ(rotate.substr(0, 7), "Rotate:");
  const Case cases[] = {
      {100, 100, 3, setValue}, {129, 46, 3, setValue}, {129, 45, 3, {}},  {130, 100, 3, {}}, {145, 100, 3, {}},
      {161, 100, 3, rotate},   {160, 100, 3, {}},      {100, 100, 1, {}}, {500, 100, 2, {}},
  };
  for (const Case& c : cases) EXPECT_EQ(HintAt(0, 0, c.x, c.y, c.bits).text, c.text) << c.x << "," << c.y;
  EXPECT_EQ(HintAt(10, 36, 171, 200, 3).text, rotate);
  EXPECT_EQ(HintAt(10, 36, 171, 200, 3).detail, "high graph drawing quality takes lot of CPU time");
}

}  // namespace
