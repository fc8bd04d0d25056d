#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sheet/SheetButtons.h"
#include "sheet/TabModel.h"

// The frame a sheet control draws around its views: sheet tabs, title line,
// button bar and the popup menu's contents. Pure layout and rules; the widget
// paints and wires them.
namespace frame {

// Menu-only commands, after the numbered ones that buttons share.
enum FrameCommand : int {
  kCommandInsertRow = 102,
  kCommandInsertColumn = 103,
  kCommandDeleteRows = 104,
  kCommandDeleteColumns = 105,
  kCommandAutoscrollOn = 106,
  kCommandAutoscrollOff = 107,
  kCommandColourMode = 110,  // + colour mode 0..kColourModeMax
  kCommandLabelMode = 120,   // + label mode 0..kLabelModeMax
};

// Sheet tabs: their titles' size in points, and the row they hang in.
constexpr double kTabFontPt = 9;
constexpr int kTabRowHeight = 20;
constexpr int kTabsLeft = 2;
constexpr int kActiveTabWidening = 2;
// Bar top b: beside the sheet tabs, or below them when they need the whole row.
constexpr int kBarTopBeside = 5;
constexpr int kBarTopBelow = 25;

bool BarShown(std::uint32_t options);
// Number of views the options allow (table, 2D, 3D).
int AllowedViewCount(std::uint32_t options);
// "Use only" buttons a sheet shows: buttons 13 and 14 as its collapse options
// allow, plus the "both" button; 0 without the section.
int UseOnlyButtonCount(const CSheet& sheet);

struct BarLayout {
  int w = 0;  // control width
  int u = 0;  // "use only" slots (largest over the sheets)
  int v = 0;  // view buttons
  int c = 0;  // bar width
  int e = 0;  // bar left
  int b = kBarTopBeside;
  bool shown = false;
};

// One tab per sheet that is not hidden; x inclusive.
struct TabExtent {
  int sheet = -1;
  int left = 0;
  int right = -1;
};
// Empty with fewer than two sheets. The active tab reaches 2 pixels further on both sides.
std::vector<TabExtent> TabExtents(const CTabModel& model);
// The sheet whose tab is under (x, y), or -1; the active tab wins where it overlaps.
int TabAt(const CTabModel& model, int x, int y);

BarLayout ComputeBar(const CTabModel& model, int width);

// Rectangles, kinds, texts, pictures and visibility of the bar buttons and
// the position buttons (the 3D presets follow the graph area, not the bar).
void PlaceBar(CTabModel& model, const BarLayout& bar, double ppi);
// Pressed states from the control's state: view, collapse, position.
void SyncStates(CTabModel& model);
// Copy, "+" and "-"; the editor's selected text counts as something to copy.
void RefreshEnabling(CTabModel& model, bool editorHasSelection);
// What the clipboard offers, as cached by the clipboard adapter.
struct ClipboardOffer {
  bool sheet = false;  // our labelled form
  bool text = false;   // plain text
};
void RefreshPaste(CTabModel& model, ClipboardOffer offer);
// Paste is possible with this offer: labelled into a sheet with an editable
// part, plain text into a selection with an editable entry.
bool PasteAvailable(const CSheet& sheet, ClipboardOffer offer);

// The optional title line (option 0x0100 with one sheet).
struct TitleLine {
  bool shown = false;
  int x0 = 0;
  int y0 = 0;
  bool check = false;  // the sheet may be disabled: a check box before the title
  int titleX = 0;
  int titleY = 0;
  ButtonRect checkHit;  // where a click toggles the sheet
};
TitleLine ComputeTitleLine(const CTabModel& model, int width, double columnWidth);

struct PopupItem {
  bool separator = false;
  std::string key;   // English key of the main word
  std::string text;  // shown text, in the current language
  int command = -1;
  bool ticked = false;
  friend bool operator==(const PopupItem&, const PopupItem&) = default;
};

// Where and on what the popup was opened.
struct PopupContext {
  bool onTab = false;
  bool inGraph = false;  // in the graph area of the shown view (or the side graph)
  bool overTable = false;
  bool tableScrolls = false;  // more points than the table shows at once
  bool editorHasSelection = false;
  ClipboardOffer clipboard{};
  bool offerInsertColumn = false;
  bool offerInsertRow = false;
};
std::vector<PopupItem> BuildPopup(const CTabModel& model, const PopupContext& context);

// Commands that need nothing but the model; false when not one of them or
// nothing happened. Widget commands (clipboard, steps, views, inserts) stay
// with the control.
bool RunModelCommand(CTabModel& model, int command);

}  // namespace frame
