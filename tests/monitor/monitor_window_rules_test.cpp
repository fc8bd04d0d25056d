// The monitor window's rules: layout, the aspect-keeping resize rule, the
// caption, the context menu and parameter paths.

#include <gtest/gtest.h>

#include "monitor/MonitorWindowRules.h"
#include "link/ParameterCatalogue.h"

namespace {

TEST(MonitorWindowRules, LayoutLeavesSixteenPixelsForTheBar) {
  const MonitorLayout l = ComputeMonitorLayout(453, 312);
  EXPECT_EQ(l.place, (MonitorRect{0, 0, 453, 296}));
  EXPECT_EQ(l.bar, (MonitorRect{0, 297, 453, 16}));
  EXPECT_EQ(l.pin, (MonitorRect{0, 297, 13, 16}));
  EXPECT_EQ(l.edit, (MonitorRect{14, 297, 40, 16}));
  EXPECT_EQ(l.status, (MonitorRect{55, 297, 397, 16}));
  EXPECT_DOUBLE_EQ(MonitorScale(600, 400), 1.5);
  EXPECT_DOUBLE_EQ(MonitorScale(30, 400), 0.1);
  EXPECT_DOUBLE_EQ(MonitorScale(300, 0), 1.0);
}

// A set laid out at 400 x 200 in a window whose frame adds 8 x 16 around
// the place (bar included): the place is 400 x 200 in a 408 x 232 window.
struct ResizeCase {
  const char* what;
  int editState;
  MonitorSize requested;
  bool heightLeads;
  std::optional<MonitorSize> expected;
};

MonitorResize At400x200(const ResizeCase& c) {
  MonitorResize r;
  r.requested = c.requested;
  r.current = {408, 232};
  r.place = {400, 200};
  r.last = {408, 232};
  r.editState = c.editState;
  r.origWidth = 400;
  r.origHeight = 200;
  r.heightLeads = c.heightLeads;
  r.contentRight = 380;
  r.contentBottom = 150;
  return r;
}

TEST(MonitorWindowRules, ResizeRule) {
  const ResizeCase cases[] = {
      {"right edge to a place 600 wide: 300 high", 0, {608, 232}, false, MonitorSize{608, 332}},
      {"bottom edge to a place 300 high: 600 wide", 0, {408, 332}, true, MonitorSize{608, 332}},
      {"narrower than 200: held at 200 x 100", 0, {108, 232}, false, MonitorSize{208, 132}},
      {"wider than the maximum: 1280 x 640", 0, {2008, 232}, false, MonitorSize{1288, 672}},
      {"unchanged size: refused", 0, {408, 232}, false, std::nullopt},
      {"entering edit mode: taken as it is", 3, {1000, 50}, false, MonitorSize{1000, 50}},
      {"edit mode inside the bounds: taken", 1, {508, 282}, false, MonitorSize{508, 282}},
      {"edit mode: never smaller than the elements plus the bar", 1, {300, 100}, false, MonitorSize{388, 198}},
  };
  for (const ResizeCase& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ApplyMonitorResize(At400x200(c)), c.expected);
  }

  // At the bound already and the other side unchanged: nothing to do.
  ResizeCase atBound{"", 1, {300, 232}, false, std::nullopt};
  MonitorResize r = At400x200(atBound);
  r.place = {380, 200};
  r.current = {388, 232};
  r.last = {388, 232};
  EXPECT_EQ(ApplyMonitorResize(r), std::nullopt);

  // A set without a layout size follows the window freely.
  r = At400x200({"", 0, {150, 40}, false, {}});
  r.origWidth = 0;
  EXPECT_EQ(ApplyMonitorResize(r), (MonitorSize{150, 40}));
}

TEST(MonitorWindowRules, CaptionFollowsTheConnectionAndTheLanguage) {
  CMonitorCaption caption;
  EXPECT_EQ(caption.Next(true, kEnglish), "External monitor   (!!! No connection with PC !!!)");
  EXPECT_EQ(caption.Next(true, kEnglish), std::nullopt);
  EXPECT_EQ(caption.Next(false, kEnglish), "External monitor   (Connected)");
  EXPECT_EQ(caption.Next(false, kCzech), "Externí monitor   (Spojeno)");
  EXPECT_EQ(caption.Next(true, kCzech), "External monitor   (!!! Není spojení s PC !!!)");
  EXPECT_EQ(caption.Next(true, kGerman), "External monitor   (!!! Keine Verbindung zum PC !!!)");
  EXPECT_EQ(caption.State(), 0);
}

std::vector<std::string_view> Texts(const MonitorMenuState& s) {
  std::vector<std::string_view> out;
  for (const MonitorMenuItem& item : MonitorMenu(s))
    out.push_back(item.command == MonitorCommand::kSeparator ? "-" : item.text);
  return out;
}

TEST(MonitorWindowRules, ContextMenuEntries) {
  using V = std::vector<std::string_view>;
  EXPECT_EQ(Texts({}), (V{"Always on the top", "Enter edit mode"}));
  EXPECT_EQ(Texts({.serviceMode = true, .pinChecked = true}),
            (V{"***Store source***", "Normal window", "Enter edit mode"}));
  const V edit{"Always on the top", "End edit mode", "-",        "Load monitor set", "Store monitor set", "-",
               "Insert text",       "Add image",     "Add watch"};
  EXPECT_EQ(Texts({.editChecked = true, .editMode = true}), edit);
  V picture = edit;
  picture.insert(picture.end(), {"-", "Delete", "Backwards"});
  EXPECT_EQ(Texts({.editChecked = true, .editMode = true, .hasFocused = true, .focusedKind = 0}), picture);
  V value = picture;
  value.push_back("Properties");
  EXPECT_EQ(Texts({.editChecked = true, .editMode = true, .hasFocused = true, .focusedKind = 4}), value);
  // Every text but the service entry is a dictionary row in all four languages.
  for (const MonitorMenuItem& item :
       MonitorMenu({.editChecked = true, .editMode = true, .hasFocused = true, .focusedKind = 8}))
    if (item.command != MonitorCommand::kSeparator) {
      EXPECT_NE(LookupText(2, item.text, kCzech), "?STR not found?") << item.text;
    }
  EXPECT_EQ(LookupText(2, "Backwards", kCzech), "Na pozadí");
}

TEST(MonitorWindowRules, ParameterPathsAndColourNames) {
  const CParameterCatalogue catalogue;
  EXPECT_EQ(ParameterPath(catalogue, catalogue.GetDef(1010), kEnglish), "/Basic/RPM");
  EXPECT_EQ(ParameterPath(catalogue, catalogue.GetDef(1010), kCzech), "/Základní/RPM");
  EXPECT_EQ(kIndicatorColours[6].colour, 0x0000FFu);
  EXPECT_EQ(kIndicatorColours[6].name.Get(kCzech), "Červená");
  EXPECT_EQ(kIndicatorColours[11].name.Get(kGerman), "Teal");
}

// A set's header size is the client size; below the minimum (a header of
// 0 x 0) it is raised and flagged, its high halves are the layout size.
TEST(MonitorWindowRules, ClientSizeFromTheHeader) {
  struct {
    std::int32_t width, height;
    MonitorSize want;
    bool valid;
  } const cases[] = {
      {405, 236, {405, 236}, true},  {0, 0, {200, 51}, false},    {0x02580320, 0x012C0150, {800, 336}, true},
      {150, 400, {200, 400}, false}, {400, 50, {400, 51}, false},
  };
  for (const auto& c : cases) {
    const MonitorClientSize got = ClientSizeFromHeader(c.width, c.height);
    EXPECT_EQ(got.size, c.want) << c.width << " x " << c.height;
    EXPECT_EQ(got.valid, c.valid) << c.width << " x " << c.height;
  }
}

// Edit mode: the layout size plus the bar, whatever size the window had;
// never below the minimum or the elements, and a layout size never made
// takes the drawing area.
TEST(MonitorWindowRules, EditModeClientSize) {
  struct {
    const char* what;
    int origWidth, origHeight;
    MonitorSize place;
    int right, bottom;
    MonitorSize want;
  } const cases[] = {
      {"layout size", 403, 195, {672, 325}, 380, 170, {403, 211}},
      {"0 x 0 layout takes the drawing area", 0, 0, {672, 325}, 380, 170, {672, 341}},
      {"0 x 0 layout and a vanished drawing area", 0, 0, {0, -16}, 0, 0, {200, 51}},
      {"elements beyond the layout size", 300, 100, {300, 100}, 350, 140, {350, 156}},
      {"above the maximum", 2000, 1500, {300, 100}, 0, 0, {1280, 1040}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(EditModeClientSize(c.origWidth, c.origHeight, c.place, c.right, c.bottom), c.want) << c.what;
}

// A loaded set's client size keeps the layout's aspect, the width leading.
TEST(MonitorWindowRules, LoadedClientSizeKeepsTheAspect) {
  EXPECT_EQ(LoadedClientSize({400, 216}, 400, 200), (MonitorSize{400, 216}));
  EXPECT_EQ(LoadedClientSize({600, 216}, 400, 200), (MonitorSize{600, 316}));
  EXPECT_EQ(LoadedClientSize({200, 51}, 400, 200), (MonitorSize{200, 116}));
  EXPECT_EQ(LoadedClientSize({500, 300}, 0, 0), (MonitorSize{500, 300}));
}

}  // namespace
