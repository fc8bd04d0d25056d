// The control frame's rules without a window: bar layout, tabs, title line,
// enabling, the popup's contents and the commands that need only the model.

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "SheetTestSupport.h"
#include "sheet/Selection.h"
#include "sheet/SheetFrame.h"

namespace {

// Options restated on purpose: the bar, the table and both graphs.
constexpr std::uint32_t k0071 = 0x0071;

std::set<int> VisibleButtons(const CTabModel& model) {
  std::set<int> shown;
  for (int i = 0; i < kButtonCount; ++i)
    if (model.Buttons()[i].visible) shown.insert(i);
  return shown;
}

// A sheet titled `title` whose tab is `tabWidth` wide, axes collapsible as given.
int AddSheet(CTabModel& model, const char* title, int xCollapse, int yCollapse, int tabWidth = 60,
             std::uint32_t flags = 0) {
  const int s = model.DefineSheet(title, "RPM", "TPS", "Advance", 4, 3, flags);
  model.DefineAxis(s, kPartX, "RPM", "", 0, 1000, 1.0, 1, {}, 1, 0, 1, 4, xCollapse, 0, 1, -3, 1, 0xFFFFFF, nullptr);
  model.DefineAxis(s, kPartY, "TPS", "", 0, 1000, 1.0, 1, {}, 1, 0, 1, 3, yCollapse, 0, 1, -3, 1, 0xFFFFFF, nullptr);
  model.DefineAxis(s, kPartData, "ADV", "", -100, 100, 1.0, 0, {}, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0xFFFFFF, nullptr);
  for (int x = 0; x < 4; ++x) model.Sheet(s).xAxis.values[static_cast<std::size_t>(x)] = 10 * (x + 1);
  for (int y = 0; y < 3; ++y) model.Sheet(s).yAxis.values[static_cast<std::size_t>(y)] = y + 1;
  model.Sheet(s).tabWidth = tabWidth;
  if (model.ActiveIndex() < 0) model.SelectSheet(s);
  return s;
}

frame::BarLayout Layout(CTabModel& model, int width, double ppi = 96) {
  const frame::BarLayout bar = frame::ComputeBar(model, width);
  frame::PlaceBar(model, bar, ppi);
  frame::SyncStates(model);
  return bar;
}

}  // namespace

// ---------------------------------------------------------------------------
// Bar layout: u, v, c, e, b and which buttons show.

struct BarCase {
  const char* name;
  std::uint32_t options;
  int xCollapse, yCollapse;
  int u, v, c;
  std::set<int> buttons;
};

TEST(SheetFrame, BarLayoutByOptionsAndCollapse) {
  const BarCase cases[] = {
      // The Part's case: Copy, Copy table, Paste, +, - and three views; no "only" buttons.
      {"0x0071 collapse 0", k0071, 0, 0, 0, 3, 312, {0, 1, 2, 3, 4, 5, 6, 7}},
      // u counts the "use only" buttons with "both".
      {"both axes collapsible", k0071, 1, 1, 3, 3, 537, {0, 1, 2, 3, 4, 5, 6, 7, 13, 14, 15}},
      {"only Y collapsible: only X", k0071, 0, 1, 2, 3, 462, {0, 1, 2, 3, 4, 5, 6, 7, 13, 15}},
      {"only X collapsible: only Y", k0071, 1, 0, 2, 3, 462, {0, 1, 2, 3, 4, 5, 6, 7, 14, 15}},
      // An axis that a labelled paste always collapses leaves no section.
      {"collapse option 2", k0071, 2, 1, 0, 3, 312, {0, 1, 2, 3, 4, 5, 6, 7}},
      {"one view: no view buttons", 0x0011, 0, 0, 0, 0, 123, {0, 1, 2, 3, 4}},
      {"two views", 0x0031, 0, 0, 0, 2, 249, {0, 1, 2, 3, 4, 5, 6}},
      {"0x0002 removes the bar", 0x0073, 1, 1, 0, 0, 123, {}},
      {"no bar option", 0x0070, 1, 1, 0, 0, 123, {}},
      {"position buttons", 0x1110, 0, 0, 0, 0, 123, {20, 21, 22}},
  };
  for (const BarCase& k : cases) {
    SCOPED_TRACE(k.name);
    CTabModel model(k.options);
    AddSheet(model, "Advance", k.xCollapse, k.yCollapse);
    const frame::BarLayout bar = Layout(model, 1000);
    EXPECT_EQ(bar.u, k.u);
    EXPECT_EQ(bar.v, k.v);
    EXPECT_EQ(bar.c, k.c);
    EXPECT_EQ(bar.e, 1000 - k.c - 27);
    EXPECT_EQ(bar.b, 5);
    EXPECT_EQ(VisibleButtons(model), k.buttons);
  }
}

TEST(SheetFrame, ButtonRectanglesFollowTheBar) {
  CTabModel model(k0071);
  AddSheet(model, "Advance", 1, 1);
  const frame::BarLayout bar = Layout(model, 1000);
  const int e = 1000 - 537 - 27, b = 5;
  ASSERT_EQ(bar.e, e);
  const struct {
    int button;
    ButtonRect rect;
  } rows[] = {
      {0, {e, b, e + 24, b + 24}},
      {1, {e + 30, b, e + 54, b + 24}},
      {2, {e + 60, b, e + 84, b + 24}},
      {3, {e + 100, b, e + 112, b + 12}},
      {4, {e + 100, b + 13, e + 112, b + 24}},
      {13, {e + 128, b + 6, e + 198, b + 24}},
      {14, {e + 203, b + 6, e + 273, b + 24}},
      {15, {e + 278, b + 6, e + 348, b + 24}},
      // Views from w - 27 - v x 63 + 5, 63 apart.
      {5, {1000 - 27 - 189 + 5, b, 1000 - 27 - 189 + 63, b + 24}},
      {6, {1000 - 27 - 126 + 5, b, 1000 - 27 - 126 + 63, b + 24}},
      {7, {1000 - 27 - 63 + 5, b, 1000 - 27 + 0, b + 24}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.button);
    EXPECT_EQ(model.Buttons()[r.button].rect, r.rect);
  }
  EXPECT_EQ(model.Buttons()[13].caption, "only RPM");
  EXPECT_EQ(model.Buttons()[14].caption, "only TPS");
  EXPECT_EQ(model.Buttons()[15].caption, "RPM and TPS");
  // Kinds: clipboard and steps push, views and "use only" toggle.
  for (int i : {0, 1, 2, 3, 4}) EXPECT_EQ(model.Buttons()[i].kind, kButtonPush) << i;
  for (int i : {5, 6, 7, 13, 14, 15}) EXPECT_EQ(model.Buttons()[i].kind, kButtonToggle) << i;
}

TEST(SheetFrame, PositionButtonsScaleWithThePixelDensity) {
  for (const double ppi : {96.0, 120.0}) {
    CTabModel model(0x1110);
    AddSheet(model, "Position", 0, 0);
    Layout(model, 800, ppi);
    const int d = ppi == 96 ? 220 : 275;
    EXPECT_EQ(model.Buttons()[20].rect, (ButtonRect{d, 7, d + 80, 27}));
    EXPECT_EQ(model.Buttons()[21].rect, (ButtonRect{d + 85, 7, d + 165, 27}));
    EXPECT_EQ(model.Buttons()[22].rect, (ButtonRect{d + 170, 7, d + 250, 27}));
    EXPECT_EQ(model.Buttons()[20].caption, "Beginning");
  }
}

// ---------------------------------------------------------------------------
// Tabs: extents, the bar pushed down, the hit test.

TEST(SheetFrame, TabsThatReachTheBarMoveItDown) {
  struct Case {
    int sheets;
    int tabWidth;
    int b;
  } cases[] = {
      {1, 400, 5},               // one sheet: no tabs at all
      {2, 100, 5},  {8, 60, 5},  // the last tab ends at 2 + 7 x 61 + 59 = 488, before e = 1000 - 312 - 27 = 661
      {8, 82, 25},               // the last tab ends at 664, past e
      {8, 100, 25},              // the Part's case: eight sheets that do not fit beside the bar
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << k.sheets << " x " << k.tabWidth);
    CTabModel model(k0071);
    for (int i = 0; i < k.sheets; ++i) AddSheet(model, "Sheet", 0, 0, k.tabWidth);
    EXPECT_EQ(frame::ComputeBar(model, 1000).b, k.b);
  }
  // Without the bar the tabs never push anything.
  CTabModel plain(0x0070);
  for (int i = 0; i < 8; ++i) AddSheet(plain, "Sheet", 0, 0, 200);
  EXPECT_EQ(frame::ComputeBar(plain, 500).b, 5);
}

TEST(SheetFrame, TabExtentsSkipHiddenSheetsAndWidenTheActiveOne) {
  CTabModel model(k0071);
  for (int i = 0; i < 4; ++i) AddSheet(model, "Sheet", 0, 0, 50);
  model.Sheet(1).hidden = 1;
  model.SelectSheet(2);
  const auto tabs = frame::TabExtents(model);
  ASSERT_EQ(tabs.size(), 3u);
  EXPECT_EQ(tabs[0].sheet, 0);
  EXPECT_EQ(tabs[0].left, 2);
  EXPECT_EQ(tabs[0].right, 51);
  EXPECT_EQ(tabs[1].sheet, 2);  // active: 2 pixels wider on both sides
  EXPECT_EQ(tabs[1].left, 53 - 2);
  EXPECT_EQ(tabs[1].right, 102 + 2);
  EXPECT_EQ(tabs[2].sheet, 3);
  EXPECT_EQ(tabs[2].left, 104);

  const struct {
    int x, y, sheet;
  } hits[] = {
      {1, 5, -1},     // x must be past 1
      {2, 5, 0},      //
      {51, 19, 2},    // the active tab's widening wins over its neighbour
      {52, 0, 2},     //
      {104, 10, 2},   //
      {105, 10, 3},   //
      {60, 20, -1},   // y from 0 to 19 only
      {400, 10, -1},  // past the last tab
  };
  for (const auto& h : hits) EXPECT_EQ(frame::TabAt(model, h.x, h.y), h.sheet) << h.x << "," << h.y;
}

// ---------------------------------------------------------------------------
// Title line.

TEST(SheetFrame, TitleLineGeometry) {
  struct Case {
    const char* name;
    std::uint32_t options;
    std::uint32_t flags;
    double columnWidth;
    bool shown;
    int x0, y0;
    bool check;
    ButtonRect hit;
  } cases[] = {
      {"with bar and check", 0x0111, kSheetMayDisable, 40, true, 10, 5, true, {10, 5, 24, 20}},
      {"narrow columns: x0 0", 0x0111, kSheetMayDisable, 13, true, 0, 5, true, {0, 5, 14, 20}},
      {"no bar: whole width, y0 1", 0x0110, kSheetMayDisable, 40, true, 10, 1, true, {0, 1, 599, 16}},
      {"no check without flag 8", 0x0111, 0, 40, true, 10, 5, false, {}},
      {"no option", 0x0011, kSheetMayDisable, 40, false, 0, 0, false, {}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    CTabModel model(k.options);
    AddSheet(model, "Intake servo", 0, 0, 60, k.flags);
    const frame::TitleLine t = frame::ComputeTitleLine(model, 600, k.columnWidth);
    EXPECT_EQ(t.shown, k.shown);
    if (!k.shown) continue;
    EXPECT_EQ(t.x0, k.x0);
    EXPECT_EQ(t.y0, k.y0);
    EXPECT_EQ(t.check, k.check);
    EXPECT_EQ(t.titleX, k.x0 + 3 + (k.check ? 25 : 0));
    if (k.check) {
      EXPECT_EQ(t.checkHit, k.hit);
    }
  }
  // Two sheets have tabs instead of a title line.
  CTabModel two(0x0111);
  AddSheet(two, "A", 0, 0);
  AddSheet(two, "B", 0, 0);
  EXPECT_FALSE(frame::ComputeTitleLine(two, 600, 40).shown);
}

// ---------------------------------------------------------------------------
// Enabling and states.

TEST(SheetFrame, EnablingFollowsSelectionLivePointAndClipboard) {
  SheetRig rig;
  CTabModel& m = rig.model;
  Layout(m, 1000);
  frame::RefreshEnabling(m, false);
  frame::RefreshPaste(m, {});
  EXPECT_FALSE(m.Buttons()[kCommandCopy].enabled);
  EXPECT_TRUE(m.Buttons()[kCommandCopyTable].enabled);
  EXPECT_FALSE(m.Buttons()[kCommandStepUp].enabled);
  EXPECT_FALSE(m.Buttons()[kCommandPaste].enabled);
  EXPECT_EQ(m.Buttons()[kCommandPaste].bitmap, "CLBRD_PAST");

  // The editor's selected text is something to copy.
  frame::RefreshEnabling(m, true);
  EXPECT_TRUE(m.Buttons()[kCommandCopy].enabled);

  // A positive live kind on a live-point sheet gives "+" and "-" a target.
  rig.S().flags |= kSheetLivePoint;
  rig.S().liveX = 1;
  rig.S().liveY = 1;
  rig.S().liveKind = 1;
  frame::RefreshEnabling(m, false);
  EXPECT_TRUE(m.Buttons()[kCommandStepDown].enabled);
  rig.S().liveKind = -1;
  frame::RefreshEnabling(m, false);
  EXPECT_FALSE(m.Buttons()[kCommandStepDown].enabled);

  // Plain text needs an editable selection; our own form an editable part.
  frame::RefreshPaste(m, {false, true});
  EXPECT_FALSE(m.Buttons()[kCommandPaste].enabled);
  SelectOnly(rig.S(), {1, 1});
  frame::RefreshEnabling(m, false);
  frame::RefreshPaste(m, {false, true});
  EXPECT_TRUE(m.Buttons()[kCommandCopy].enabled);
  EXPECT_TRUE(m.Buttons()[kCommandStepUp].enabled);
  EXPECT_TRUE(m.Buttons()[kCommandPaste].enabled);
  ClearSelection(rig.S());
  frame::RefreshPaste(m, {true, true});
  EXPECT_TRUE(m.Buttons()[kCommandPaste].enabled);
  EXPECT_EQ(m.Buttons()[kCommandPaste].bitmap, "CLBRD_PASTSHEET");
  // Nothing pastes into a disabled sheet.
  rig.S().enabled = 0;
  frame::RefreshPaste(m, {true, true});
  EXPECT_FALSE(m.Buttons()[kCommandPaste].enabled);
}

TEST(SheetFrame, PressedStatesAreDerivedFromTheControl) {
  SheetRig rig;
  CTabModel& m = rig.model;
  Layout(m, 1000);
  EXPECT_EQ(m.Buttons()[kCommandTableView].state, 1);
  EXPECT_EQ(m.Buttons()[kCommandUseBoth].state, 1);
  ASSERT_TRUE(frame::RunModelCommand(m, kCommandUseOnlyX));
  EXPECT_EQ(rig.S().yAxis.collapsed, 1);
  EXPECT_EQ(m.Buttons()[kCommandUseOnlyX].state, 1);
  EXPECT_EQ(m.Buttons()[kCommandUseBoth].state, 0);
  m.SetView(kView3D);
  frame::SyncStates(m);
  EXPECT_EQ(m.Buttons()[kCommandTableView].state, 0);
  EXPECT_EQ(m.Buttons()[kCommand3DView].state, 1);
  // A view the control does not allow falls through to the next allowed one.
  CTabModel tableAnd3D(0x0051);
  AddSheet(tableAnd3D, "A", 0, 0);
  tableAnd3D.SetView(kView2D);
  EXPECT_EQ(tableAnd3D.ShownView(), kView3D);
}

// Regression: the owner reads the reference when a change commits; a
// reference that waited for some later change was lost by a Save straight after.
TEST(SheetFrame, PositionCommandCommitsAtOnce) {
  SheetRig rig;
  CTabModel& m = rig.model;
  for (const int reference : {2, 1, 0}) {
    const int before = rig.changes;
    ASSERT_TRUE(frame::RunModelCommand(m, 20 + reference));
    EXPECT_EQ(m.PositionReference(), reference);
    EXPECT_EQ(rig.changes, before + 1);
    EXPECT_EQ(m.PendingParts(), 0);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(m.Buttons()[20 + k].state, k == reference ? 1 : 0);
  }
  // The owner's set from the image shows on the buttons without a layout.
  m.SetPositionReference(2);
  EXPECT_EQ(m.Buttons()[22].state, 1);
  EXPECT_EQ(m.Buttons()[20].state, 0);
}

TEST(SheetFrame, ModelCommandsOfTheMenu) {
  SheetRig rig;
  CTabModel& m = rig.model;
  int autoscroll = 0;
  m.SetSharedAutoscroll(&autoscroll);
  EXPECT_TRUE(frame::RunModelCommand(m, frame::kCommandAutoscrollOn));
  EXPECT_EQ(autoscroll, 1);
  EXPECT_TRUE(frame::RunModelCommand(m, frame::kCommandAutoscrollOff));
  EXPECT_EQ(autoscroll, 0);
  EXPECT_TRUE(frame::RunModelCommand(m, frame::kCommandColourMode + 0));
  EXPECT_EQ(m.View().colourMode, 0);
  EXPECT_TRUE(frame::RunModelCommand(m, frame::kCommandLabelMode + 3));
  EXPECT_EQ(m.View().labelMode, 3);
  EXPECT_TRUE(frame::RunModelCommand(m, kCommandTopView));
  EXPECT_EQ(m.View().angles, (GraphAngles{-18, 0, 0}));
  EXPECT_FALSE(frame::RunModelCommand(m, frame::kCommandColourMode + 6));
  // Enable/disable only where the sheet may be disabled.
  EXPECT_FALSE(frame::RunModelCommand(m, kCommandEnableSheet));
  rig.S().flags |= kSheetMayDisable;
  EXPECT_TRUE(frame::RunModelCommand(m, kCommandEnableSheet));
  EXPECT_EQ(rig.S().enabled, 0);
  // "Use only" never reaches a disabled sheet.
  EXPECT_FALSE(frame::RunModelCommand(m, kCommandUseOnlyY));
  EXPECT_EQ(rig.S().xAxis.collapsed, 0);
}

// ---------------------------------------------------------------------------
// The popup: a table of states and the items they give.

namespace {

// Items as one line: "|" between items, "--" for a separator, "*" before a ticked item.
std::string Render(const std::vector<frame::PopupItem>& items) {
  std::string out;
  for (const frame::PopupItem& i : items) {
    if (!out.empty()) out += "|";
    out += i.separator ? "--" : (i.ticked ? "*" : "") + i.text;
  }
  return out;
}

enum State { kPlain, kSelectCell, kSelectColumn, kSelectXPoints, kDisabled, kView3DSetup, kCollapsedY };

}  // namespace

TEST(SheetFrame, PopupContentsByState) {
  const std::string views = "View as table|View as graph 2D|View as graph 3D";
  const std::string useOnly = "Use only RPM|Use only TPS|*Use RPM and TPS";
  const struct Case {
    const char* name;
    State setup;
    frame::PopupContext c;
    std::string expected;
  } cases[] = {
      {"nothing selected", kPlain, {.overTable = true}, "*" + views + "|--|" + useOnly},
      {"a cell selected, text on the clipboard",
       kSelectCell,
       {.overTable = true, .clipboard = {false, true}},
       "Copy|Copy table|Paste|--|*" + views + "|--|" + useOnly},
      {"our form on the clipboard reads Paste table",
       kSelectCell,
       {.overTable = true, .clipboard = {true, true}},
       "Copy|Copy table|Paste table|--|*" + views + "|--|" + useOnly},
      {"a full column: interpolate, insert and delete",
       kSelectColumn,
       {.overTable = true, .offerInsertColumn = true},
       "Copy|Copy table|--|Interpolate|--|Insert column here|Delete column|--|*" + views + "|--|" + useOnly},
      {"X points selected: delete columns with the count",
       kSelectXPoints,
       {.overTable = true, .offerInsertColumn = true},
       "Copy|Copy table|--|Insert column here|Delete columns (2)|--|*" + views + "|--|" + useOnly},
      {"a tab: Copy table and Paste table only, no insert or delete",
       kSelectColumn,
       {.onTab = true, .clipboard = {true, true}, .offerInsertColumn = true},
       "Copy table|Paste table|--|Interpolate|--|*" + views + "|--|" + useOnly},
      {"a tab without our form",
       kSelectCell,
       {.onTab = true, .clipboard = {false, true}},
       "Copy table|--|*" + views + "|--|" + useOnly},
      {"autoscroll over a table that scrolls",
       kPlain,
       {.overTable = true, .tableScrolls = true},
       "Autoscroll actual position|*Disable autoscroll|--|*" + views + "|--|" + useOnly},
      {"no autoscroll over the graph",
       kPlain,
       {.inGraph = true, .tableScrolls = true},
       "Copy table|--|*" + views + "|--|" + useOnly},
      {"disabled sheet: enable item and views only",
       kDisabled,
       {.overTable = true, .clipboard = {true, true}},
       "Enable  Advance|--|*" + views},
      {"3D graph area",
       kView3DSetup,
       {.inGraph = true},
       "Copy table|Copy graph|--|Top view|ISO1 view|*ISO2 view|--|Wire model|One color graph|Height colors (grain "
       "0)|Height colors (grain 1)|*Height colors (grain 2)|Height colors (grain 3)|--|*No values|Only active "
       "value|Only interresting values|All values|--|View as table|View as graph 2D|*View as graph 3D|--|" +
           useOnly},
      {"collapsed Y ticks Use only RPM",
       kCollapsedY,
       {.overTable = true},
       "*" + views + "|--|*Use only RPM|Use only TPS|Use RPM and TPS"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    SheetRig rig(4, 3, 8, 6, k.setup == kDisabled ? std::uint32_t{kSheetMayDisable} : 0u);
    CTabModel& m = rig.model;
    CSheet& s = rig.S();
    int autoscroll = 0;
    m.SetSharedAutoscroll(&autoscroll);
    switch (k.setup) {
      case kSelectCell:
        SelectOnly(s, {1, 1});
        break;
      case kSelectColumn:
        SelectRect(s, {1, 0, 1, 2});
        break;
      case kSelectXPoints:
        SelectRect(s, {1, -1, 2, -1});
        break;
      case kDisabled:
        s.enabled = 0;
        SelectOnly(s, {1, 1});
        break;
      case kView3DSetup:
        m.SetView(kView3D);
        break;
      case kCollapsedY:
        m.UseOnlyX();
        break;
      case kPlain:
        break;
    }
    EXPECT_EQ(Render(frame::BuildPopup(m, k.c)), k.expected);
  }
}

TEST(SheetFrame, PopupCommandsMatchTheirItems) {
  SheetRig rig(4, 3, 8, 6, kSheetMayDisable);
  SelectRect(rig.S(), {1, 0, 1, 2});
  const auto items =
      frame::BuildPopup(rig.model, {.overTable = true, .offerInsertColumn = true, .offerInsertRow = true});
  std::vector<std::pair<std::string, int>> got;
  for (const auto& i : items)
    if (!i.separator) got.emplace_back(i.key, i.command);
  const std::vector<std::pair<std::string, int>> expected = {
      {"Disable ", 19},
      {"Copy", 0},
      {"Copy table", 1},
      {"Interpolate", 101},
      {"Insert row here", 102},
      {"Insert column here", 103},
      {"Delete column", 105},
      {"View as table", 5},
      {"View as graph 2D", 6},
      {"View as graph 3D", 7},
      {"Use only", 13},
      {"Use only", 14},
      {"Use", 15},
  };
  EXPECT_EQ(got, expected);
}
