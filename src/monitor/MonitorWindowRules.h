#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Colours.h"
#include "base/Lang.h"

class CParameterCatalogue;
struct CID;

// The external monitor window's rules that need no window: its layout, the
// resize rule that keeps a set's aspect, the caption that follows the
// connection, the context menu's entries and the indicator colours.

constexpr int kMonitorBarHeight = 16;
constexpr int kMonitorMinWidth = 200;
constexpr int kMonitorMinHeight = 35;
constexpr int kMonitorMaxWidth = 1280;
constexpr int kMonitorMaxHeight = 1024;
constexpr double kMonitorMinScale = 0.1;

struct MonitorRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const MonitorRect&, const MonitorRect&) = default;
};

// Where the element container, the bar and the bar's three buttons go on a
// surface of w x h pixels.
struct MonitorLayout {
  MonitorRect place;
  MonitorRect bar;
  MonitorRect pin;
  MonitorRect edit;
  MonitorRect status;
};
MonitorLayout ComputeMonitorLayout(int w, int h);

// Normal mode: layout units to pixels, never below 0.1.
double MonitorScale(int placeWidth, int origWidth);

// A window size in pixels.
struct MonitorSize {
  int width = 0;
  int height = 0;
  friend bool operator==(const MonitorSize&, const MonitorSize&) = default;
};

// One resize request against the window's state. editState: 0 normal, 1
// edit, 3 while the program itself sizes the window to enter edit mode.
struct MonitorResize {
  MonitorSize requested;  // window
  MonitorSize current;    // window
  MonitorSize place;      // current size of the element container
  MonitorSize last;       // window size at the last tick with the mouse button up
  int editState = 0;
  int origWidth = 0;
  int origHeight = 0;
  int maxWidth = kMonitorMaxWidth;
  int maxHeight = kMonitorMaxHeight;
  // The user drags the top or bottom edge: the height leads.
  bool heightLeads = false;
  // Edit mode: the elements' largest right and bottom edges.
  int contentRight = 0;
  int contentBottom = 0;
};
// The window size to take, or nothing when the request is refused (the
// window keeps its size).
std::optional<MonitorSize> ApplyMonitorResize(const MonitorResize& r);

// The client size a set's header asks for (its low 16 bits). A size below
// the window's minimum (a header of 0 x 0) is raised to it and flagged.
struct MonitorClientSize {
  MonitorSize size;
  bool valid = true;
};
MonitorClientSize ClientSizeFromHeader(std::int32_t width, std::int32_t height);

// The client size edit mode shows: the layout size at one unit per pixel
// plus the bar, never below the minimum or the elements, never above the
// maximum. A layout size of 0 or below (never laid out) takes `place`.
MonitorSize EditModeClientSize(int origWidth, int origHeight, MonitorSize place, int contentRight, int contentBottom,
                               int maxWidth = kMonitorMaxWidth, int maxHeight = kMonitorMaxHeight);

// The client size a loaded set takes in normal mode: `client` with the
// resize rule applied, the width leading.
MonitorSize LoadedClientSize(MonitorSize client, int origWidth, int origHeight, int maxWidth = kMonitorMaxWidth,
                             int maxHeight = kMonitorMaxHeight);

// The caption follows the main window's no-connection label; it is written
// only when its state or the language changed.
class CMonitorCaption {
 public:
  // The caption to set now, or nothing when it stands.
  std::optional<std::string_view> Next(bool noConnectionShown, int language);
  int State() const { return m_state; }

 private:
  int m_state = -1;  // -1 unknown, 0 no connection, 1 connected
  int m_language = -1;
};

// Context-menu commands of the monitor window.
enum class MonitorCommand {
  kSeparator,
  kStoreSource,
  kTogglePin,
  kToggleEdit,
  kLoadSet,
  kStoreSet,
  kInsertText,
  kAddImage,
  kAddWatch,
  kDelete,
  kBackwards,
  kProperties,
};

struct MonitorMenuItem {
  MonitorCommand command = MonitorCommand::kSeparator;
  std::string_view text;  // English key of dictionary group 2 (the source export's own text as it is)
};

struct MonitorMenuState {
  bool serviceMode = false;
  bool pinChecked = false;
  bool editChecked = false;
  bool editMode = false;
  bool hasFocused = false;
  int focusedKind = -1;  // element kind of the focused element
};
// The entries in their order, rebuilt at every right press.
std::vector<MonitorMenuItem> MonitorMenu(const MonitorMenuState& state);

// The indicator dialog's colours, with their names (German and French use
// the English ones).
struct IndicatorColour {
  TColor colour;
  CLngStr name;
};
extern const std::array<IndicatorColour, 15> kIndicatorColours;

// "/Group/Name" from the top group down, then " unit" when the parameter has one.
std::string ParameterPath(const CParameterCatalogue& catalogue, const CID& row, int language = CurrentLanguage());
