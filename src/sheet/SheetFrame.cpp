#include "sheet/SheetFrame.h"

#include <algorithm>

#include "sheet/Clipboard.h"
#include "sheet/Graph3D.h"
#include "sheet/Selection.h"
#include "sheet/SheetText.h"

namespace frame {

namespace {

constexpr int kTextGroup = 3;

// What a bar button is, without where it sits (that follows the layout).
struct BarButtonRecord {
  int index;
  int kind;
  const char* bitmap;
  const char* disabledBitmap;
  const char* caption;
  const char* hint;
};

constexpr BarButtonRecord kBarButtons[] = {
    {kCommandCopy, kButtonPush, "CLBRD_COPY", "CLBRD_COPY0", "", "Copy"},
    {kCommandCopyTable, kButtonPush, "CLBRD_COPYSHEET", "CLBRD_COPY0", "", "Copy table"},
    {kCommandPaste, kButtonPush, "CLBRD_PAST", "CLBRD_PAST0", "", "Paste"},
    {kCommandStepUp, kButtonPush, "", "", "+", "Increment selection or actual value"},
    {kCommandStepDown, kButtonPush, "", "", "-", "Decrement selection or actual value"},
    {kCommandTableView, kButtonToggle, "BTTAB", "", "", "View as table"},
    {kCommand2DView, kButtonToggle, "BT2D", "", "", "View as graph 2D"},
    {kCommand3DView, kButtonToggle, "BT3D", "", "", "View as graph 3D"},
    {kCommandUseOnlyX, kButtonToggle, "", "", "", "Use only this parameter for table definition"},
    {kCommandUseOnlyY, kButtonToggle, "", "", "", "Use only this parameter for table definition"},
    {kCommandUseBoth, kButtonToggle, "", "", "", "Use both parameters for table definition"},
    {kCommandPositionBeginning, kButtonToggle, "", "", "Beginning", "Position of Beginning"},
    {kCommandPositionCentre, kButtonToggle, "", "", "Centre", "Position of Centre"},
    {kCommandPositionEnd, kButtonToggle, "", "", "End", "Position of End"},
};

// The view buttons in bar order, with the option that allows each.
struct ViewSpec {
  int command;
  int view;
  std::uint32_t option;
  const char* key;
};
constexpr ViewSpec kViews[] = {
    {kCommandTableView, kViewTable, kOptionTable, "View as table"},
    {kCommand2DView, kView2D, kOptionGraph2D, "View as graph 2D"},
    {kCommand3DView, kView3D, kOptionGraph3D, "View as graph 3D"},
};

constexpr const char* kPresetItems[] = {"Top view", "ISO1 view", "ISO2 view"};
constexpr const char* kColourItems[] = {"Wire model",
                                        "One color graph",
                                        "Height colors (grain 0)",
                                        "Height colors (grain 1)",
                                        "Height colors (grain 2)",
                                        "Height colors (grain 3)"};
constexpr const char* kLabelItems[] = {"No values", "Only active value", "Only interresting values", "All values"};
static_assert(std::size(kColourItems) == kColourModeMax + 1);
static_assert(std::size(kLabelItems) == kLabelModeMax + 1);

// Bar geometry: the clipboard buttons 30 apart, "+"/"-" stacked, the "use
// only" buttons 75 apart, the view buttons 63 apart, all 24 high.
constexpr int kSmallButton = 24;
constexpr int kClipboardPitch = 30;
constexpr int kStepLeft = 100, kStepWidth = 12, kStepHalf = 12;
constexpr int kUseOnlyLeft = 128, kUseOnlyWidth = 70, kUseOnlyPitch = 75, kUseOnlyDrop = 6;
constexpr int kViewWidth = 58, kViewPitch = 63;
constexpr int kBarRightMargin = 27;
constexpr int kPositionLeft96 = 220, kPositionWidth = 80, kPositionPitch = 85;

std::string Text(std::string_view key) { return std::string(LookupText(kTextGroup, key)); }

}  // namespace

bool BarShown(std::uint32_t options) { return (options & kOptionButtonBar) && !(options & kOptionNoButtonBar); }

int AllowedViewCount(std::uint32_t options) {
  int n = 0;
  for (const ViewSpec& v : kViews) n += (options & v.option) ? 1 : 0;
  return n;
}

int UseOnlyButtonCount(const CSheet& s) {
  if (!CTabModel::UseOnlySectionOf(s)) return 0;
  return (s.yAxis.collapseOption == 1 ? 1 : 0) + (s.xAxis.collapseOption == 1 ? 1 : 0) + 1;
}

std::vector<TabExtent> TabExtents(const CTabModel& model) {
  std::vector<TabExtent> tabs;
  if (model.SheetCount() < 2) return tabs;
  int x = kTabsLeft;
  for (int i = 0; i < model.SheetCount(); ++i) {
    const CSheet& s = model.Sheet(i);
    if (s.hidden) continue;
    TabExtent t{i, x, x + s.tabWidth - 1};
    if (i == model.ActiveIndex()) {
      t.left -= kActiveTabWidening;
      t.right += kActiveTabWidening;
    }
    tabs.push_back(t);
    x += s.tabWidth + 1;
  }
  return tabs;
}

int TabAt(const CTabModel& model, int x, int y) {
  if (y < 0 || y >= kTabRowHeight || x < kTabsLeft) return -1;
  const auto tabs = TabExtents(model);
  int hit = -1;
  for (const TabExtent& t : tabs) {
    if (x < t.left || x > t.right) continue;
    if (t.sheet == model.ActiveIndex()) return t.sheet;
    if (hit < 0) hit = t.sheet;
  }
  return hit;
}

BarLayout ComputeBar(const CTabModel& model, int width) {
  BarLayout bar;
  bar.w = width;
  bar.shown = BarShown(model.Options());
  if (bar.shown) {
    const int views = AllowedViewCount(model.Options());
    bar.v = views > 1 ? views : 0;
    for (int i = 0; i < model.SheetCount(); ++i) bar.u = std::max(bar.u, UseOnlyButtonCount(model.Sheet(i)));
  }
  bar.c = kUseOnlyPitch * bar.u + kViewPitch * bar.v + 123;
  bar.e = width - bar.c - kBarRightMargin;
  if (bar.shown) {
    int tabsRight = -1;
    for (const TabExtent& t : TabExtents(model)) tabsRight = std::max(tabsRight, t.right);
    if (tabsRight >= bar.e) bar.b = kBarTopBelow;
  }
  return bar;
}

void PlaceBar(CTabModel& model, const BarLayout& bar, double ppi) {
  CSheetButtons& buttons = model.Buttons();
  const CSheet* s = model.Active();
  for (const BarButtonRecord& record : kBarButtons) {
    SheetButton& btn = buttons[record.index];
    btn.kind = record.kind;
    btn.bitmap = record.bitmap;
    btn.disabledBitmap = record.disabledBitmap;
    btn.caption = record.caption;
    btn.hint = record.hint;
    btn.visible = false;
  }
  const int e = bar.e, b = bar.b;
  auto place = [&](int i, int left, int top, int right, int bottom) {
    buttons[i].visible = true;
    buttons[i].rect = {left, top, right, bottom};
  };
  if (bar.shown && s) {
    for (int i = 0; i < 3; ++i)
      place(kCommandCopy + i, e + kClipboardPitch * i, b, e + kClipboardPitch * i + kSmallButton, b + kSmallButton);
    place(kCommandStepUp, e + kStepLeft, b, e + kStepLeft + kStepWidth, b + kStepHalf);
    place(kCommandStepDown, e + kStepLeft, b + kStepHalf + 1, e + kStepLeft + kStepWidth, b + kSmallButton);
    int slot = 0;
    const int viewsLeft = bar.w - kBarRightMargin - bar.v * kViewPitch + 5;
    for (const ViewSpec& v : kViews) {
      if (bar.v == 0 || !(model.Options() & v.option)) continue;
      const int left = viewsLeft + kViewPitch * slot++;
      place(v.command, left, b, left + kViewWidth, b + kSmallButton);
    }
    if (CTabModel::UseOnlySectionOf(*s)) {
      const std::string only = Text("only");
      buttons[kCommandUseOnlyX].caption = only + " " + SheetTitleText(s->xAxis.label);
      buttons[kCommandUseOnlyY].caption = only + " " + SheetTitleText(s->yAxis.label);
      buttons[kCommandUseBoth].caption =
          SheetTitleText(s->xAxis.label) + " " + Text("and") + " " + SheetTitleText(s->yAxis.label);
      const bool shown[] = {s->yAxis.collapseOption == 1, s->xAxis.collapseOption == 1, true};
      slot = 0;
      for (int k = 0; k < 3; ++k) {
        if (!shown[k]) continue;
        const int left = e + kUseOnlyLeft + kUseOnlyPitch * slot++;
        place(kCommandUseOnlyX + k, left, b + kUseOnlyDrop, left + kUseOnlyWidth, b + kSmallButton);
      }
    }
  }
  if (model.Options() & kOptionPositionButtons) {
    const int d = static_cast<int>(kPositionLeft96 * ppi / 96);
    for (int k = 0; k < 3; ++k)
      place(kCommandPositionBeginning + k, d + kPositionPitch * k, b + 2, d + kPositionPitch * k + kPositionWidth,
            b + 22);
  }
  for (int i = 0; i < kButtonCount; ++i)
    if (!buttons[i].visible && (i < kCommandTopView || i > kCommandIso2View)) buttons[i].hovered = false;
}

void SyncStates(CTabModel& model) {
  CSheetButtons& buttons = model.Buttons();
  const int shown = model.ShownView();
  for (const ViewSpec& v : kViews) buttons[v.command].state = shown == v.view ? 1 : 0;
  if (const CSheet* s = model.Active()) {
    const bool xc = s->xAxis.collapsed != 0, yc = s->yAxis.collapsed != 0;
    buttons[kCommandUseOnlyX].state = !xc && yc ? 1 : 0;
    buttons[kCommandUseOnlyY].state = xc && !yc ? 1 : 0;
    buttons[kCommandUseBoth].state = !xc && !yc ? 1 : 0;
    for (int i = kCommandUseOnlyX; i <= kCommandUseBoth; ++i) buttons[i].enabled = s->enabled != 0;
  }
  for (int k = 0; k < 3; ++k) buttons[kCommandPositionBeginning + k].state = model.PositionReference() == k ? 1 : 0;
}

void RefreshEnabling(CTabModel& model, bool editorHasSelection) {
  CSheetButtons& buttons = model.Buttons();
  const CSheet* s = model.Active();
  buttons[kCommandCopy].enabled = s && (editorHasSelection || HasSelection(*s));
  buttons[kCommandCopyTable].enabled = true;
  const bool step = model.CanStep();
  buttons[kCommandStepUp].enabled = step;
  buttons[kCommandStepDown].enabled = step;
}

bool PasteAvailable(const CSheet& s, ClipboardOffer offer) {
  return (offer.sheet && CanPasteLabelled(s)) || (offer.text && CanPastePlain(s));
}

void RefreshPaste(CTabModel& model, ClipboardOffer offer) {
  SheetButton& paste = model.Buttons()[kCommandPaste];
  const CSheet* s = model.Active();
  paste.enabled = s && PasteAvailable(*s, offer);
  paste.bitmap = offer.sheet ? "CLBRD_PASTSHEET" : "CLBRD_PAST";
}

TitleLine ComputeTitleLine(const CTabModel& model, int width, double columnWidth) {
  TitleLine t;
  const CSheet* s = model.Active();
  if (!s || !(model.Options() & kOptionTitleLine) || model.SheetCount() != 1) return t;
  t.shown = true;
  t.x0 = 15 * columnWidth < 200 ? 0 : 10;
  const bool bar = (model.Options() & kOptionButtonBar) != 0;
  t.y0 = bar ? 5 : 1;
  t.check = (s->flags & kSheetMayDisable) != 0;
  t.titleX = t.x0 + 3 + (t.check ? 25 : 0);
  t.titleY = t.y0 - 2;
  if (t.check) t.checkHit = {bar ? t.x0 : 0, t.y0, bar ? t.x0 + 14 : width - 1, t.y0 + 15};
  return t;
}

std::vector<PopupItem> BuildPopup(const CTabModel& model, const PopupContext& c) {
  std::vector<PopupItem> items;
  const CSheet* s = model.Active();
  if (!s) return items;
  const bool enabled = s->enabled != 0;
  bool groupOpen = false;
  auto group = [&] { groupOpen = false; };
  auto add = [&](std::string key, std::string text, int command, bool ticked = false) {
    if (!groupOpen && !items.empty()) items.push_back(PopupItem{true, {}, {}, -1, false});
    groupOpen = true;
    items.push_back(PopupItem{false, std::move(key), std::move(text), command, ticked});
  };
  auto item = [&](const char* key, int command, bool ticked = false) { add(key, Text(key), command, ticked); };

  // 1. Enable or disable the sheet.
  if (s->flags & kSheetMayDisable) {
    const char* key = enabled ? "Disable " : "Enable ";
    add(key, Text(key) + " " + SheetTitleText(s->title), kCommandEnableSheet);
  }
  group();
  // 2. Clipboard.
  if (enabled) {
    const bool sheetPaste = c.clipboard.sheet && CanPasteLabelled(*s);
    if (c.onTab) {
      item("Copy table", kCommandCopyTable);
      if (sheetPaste) item("Paste table", kCommandPaste);
    } else {
      const bool copy = c.editorHasSelection || HasSelection(*s);
      if (copy) item("Copy", kCommandCopy);
      if (copy || c.inGraph) item("Copy table", kCommandCopyTable);
      const int view = model.ShownView();
      if (c.inGraph && (view == kView2D || view == kView3D)) item("Copy graph", kCommandCopyGraph);
      if (sheetPaste)
        item("Paste table", kCommandPaste);
      else if (c.clipboard.text && CanPastePlain(*s))
        item("Paste", kCommandPaste);
    }
  }
  group();
  // 3. Interpolate.
  if (enabled && model.CanInterpolate()) item("Interpolate", kCommandInterpolate);
  group();
  // 4. Insert and delete.
  if (enabled && !c.onTab) {
    if (c.offerInsertRow && model.CanInsertRow()) item("Insert row here", kCommandInsertRow);
    if (c.offerInsertColumn && model.CanInsertColumn()) item("Insert column here", kCommandInsertColumn);
    for (const int which : {kPartY, kPartX}) {
      const CAxe& a = s->Axis(which);
      const auto lines = which == kPartX ? model.ColumnsToDelete() : model.RowsToDelete();
      if (!a.insertAllowed || a.collapsed || a.count <= a.minCount || lines.empty() ||
          static_cast<int>(lines.size()) >= a.count)
        continue;
      const int n = static_cast<int>(lines.size());
      const char* key =
          which == kPartX ? (n > 1 ? "Delete columns" : "Delete column") : (n > 1 ? "Delete rows" : "Delete row");
      add(key, DeleteItemText(which, n), which == kPartX ? kCommandDeleteColumns : kCommandDeleteRows);
    }
  }
  group();
  // 5. Autoscroll.
  if ((model.Options() & kOptionButtonBar) && c.overTable && c.tableScrolls) {
    item("Autoscroll actual position", kCommandAutoscrollOn, model.Autoscroll());
    item("Disable autoscroll", kCommandAutoscrollOff, !model.Autoscroll());
  }
  group();
  // 6. 3D presets, colours and value labels.
  if (model.ShownView() == kView3D && c.inGraph) {
    const SheetViewState& v = model.View();
    const int preset = graph3d::PresetAt(v.angles);
    for (int i = 0; i < graph3d::kPresetCount; ++i) item(kPresetItems[i], kCommandTopView + i, preset == i);
    group();
    for (int i = 0; i <= kColourModeMax; ++i) item(kColourItems[i], kCommandColourMode + i, v.colourMode == i);
    group();
    for (int i = 0; i <= kLabelModeMax; ++i) item(kLabelItems[i], kCommandLabelMode + i, v.labelMode == i);
  }
  group();
  // 7. Views.
  if (AllowedViewCount(model.Options()) > 1)
    for (const ViewSpec& v : kViews)
      if (model.Options() & v.option) item(v.key, v.command, model.ShownView() == v.view);
  group();
  // 8. "Use only".
  if (enabled && CTabModel::UseOnlySectionOf(*s)) {
    const bool xc = s->xAxis.collapsed != 0, yc = s->yAxis.collapsed != 0;
    if (s->yAxis.collapseOption == 1) add("Use only", UseOnlyItemText(s->xAxis.label), kCommandUseOnlyX, !xc && yc);
    if (s->xAxis.collapseOption == 1) add("Use only", UseOnlyItemText(s->yAxis.label), kCommandUseOnlyY, xc && !yc);
    add("Use", UseBothItemText(s->xAxis.label, s->yAxis.label), kCommandUseBoth, !xc && !yc);
  }
  return items;
}

bool RunModelCommand(CTabModel& model, int command) {
  CSheet* s = model.Active();
  if (!s) return false;
  bool done = false;
  switch (command) {
    case kCommandUseOnlyX:
      done = s->enabled && model.UseOnlyX();
      break;
    case kCommandUseOnlyY:
      done = s->enabled && model.UseOnlyY();
      break;
    case kCommandUseBoth:
      done = s->enabled && model.UseBoth();
      break;
    case kCommandTopView:
    case kCommandIso1View:
    case kCommandIso2View:
      model.View().angles = graph3d::kPresetAngles[static_cast<std::size_t>(command - kCommandTopView)];
      model.Buttons().SyncPresets(model.View().angles);
      done = true;
      break;
    case kCommandEnableSheet:
      done = model.ToggleSheetEnabled();
      break;
    case kCommandPositionBeginning:
    case kCommandPositionCentre:
    case kCommandPositionEnd:
      model.SetPositionReference(command - kCommandPositionBeginning);
      // The owner stores the reference when a change commits: committed at
      // once, a Save or Program straight after still carries the choice.
      model.ReportChange(kPartData, 0);
      done = true;
      break;
    case kCommandAutoscrollOn:
    case kCommandAutoscrollOff:
      model.SetAutoscroll(command == kCommandAutoscrollOn);
      done = true;
      break;
    default:
      if (command >= kCommandColourMode && command <= kCommandColourMode + kColourModeMax) {
        model.View().colourMode = command - kCommandColourMode;
        done = true;
      } else if (command >= kCommandLabelMode && command <= kCommandLabelMode + kLabelModeMax) {
        model.View().labelMode = command - kCommandLabelMode;
        done = true;
      }
      break;
  }
  if (done) {
    SyncStates(model);
    model.RequestRedraw(kRedraw | kRelayout);
  }
  return done;
}

}  // namespace frame
