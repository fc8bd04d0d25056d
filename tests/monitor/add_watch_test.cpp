// "Add watch" turning the list's changes into elements at the menu point.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "monitor/AddWatch.h"
#include "monitor/MonitorComponents.h"

namespace {

// Every character is `size` wide and the text 2 x `size` high, so a text
// fitted to a height of 35 at the canvas size 8 takes font size 17 and is
// 17 units wide per character.
class FixedWidthFont : public IMonTextMeasure {
 public:
  MonTextSize Measure(std::string_view text, int size) const override {
    return {int(Utf8Length(text)) * size, 2 * size};
  }
};

// Parameters the cases use, with their tree levels.
constexpr int kRpm = 1010;         // "RPM", no unit, width 5
constexpr int kTps = 1020;         // "TPS [%]", width 5, 1 decimal
constexpr int kFallSensor = 3030;  // YES/NO
constexpr int kCkps = 3010;        // running/no signal

constexpr int kLabel = 2, kValue = 4, kIndicator = 8;

struct Element {
  int kind, id, left, top, width, height;
  friend bool operator==(const Element&, const Element&) = default;
};

void PrintTo(const Element& e, std::ostream* os) {
  *os << "{kind " << e.kind << ", id " << e.id << ", " << e.left << "," << e.top << " " << e.width << "x" << e.height
      << "}";
}

WatchChange Change(int id, WatchChecks added, WatchChecks removed = {}) { return {id, 1, added, removed}; }

constexpr WatchChecks kAll{true, true, true};
constexpr WatchChecks kLabelOnly{true, false, false};
constexpr WatchChecks kValueOnly{false, true, false};
constexpr WatchChecks kIndicatorOnly{false, false, true};
constexpr WatchChecks kLabelAndIndicator{true, false, true};

struct Case {
  const char* name;
  std::vector<Element> before;
  std::vector<WatchChange> changes;
  std::vector<Element> after;
};

// Menu point (100, 50); every parameter here is one level deep: x 110.
const Case kCases[] = {
    {"OneParameterLabelValueIndicator",
     {},
     {Change(kRpm, kAll)},
     // "RPM" 3 x 17; "xxxxx" 5 x 17, 10 right of the label; the bar 20 right and 4 lower.
     {{kLabel, kRpm, 110, 50, 51, 35}, {kValue, kRpm, 171, 50, 85, 35}, {kIndicator, kRpm, 276, 54, 80, 32}}},
    {"TwoParametersStackedInRows",
     {},
     {Change(kRpm, kValueOnly), Change(kTps, kLabelAndIndicator)},
     // "TPS [%]" 7 x 17; the bar 20 right of the label alone.
     {{kValue, kRpm, 110, 50, 85, 35}, {kLabel, kTps, 110, 85, 119, 35}, {kIndicator, kTps, 249, 89, 80, 32}}},
    {"YesNoIndicatorTakesThePlaceOfLabelAndValue",
     {{kLabel, kFallSensor, 5, 200, 60, 20}, {kValue, kFallSensor, 70, 200, 40, 20}, {kLabel, kTps, 5, 5, 50, 20}},
     {Change(kFallSensor, kIndicatorOnly)},
     {{kLabel, kTps, 5, 5, 50, 20}, {kIndicator, kFallSensor, 5, 200, 80, 32}}},
    {"RunningIndicatorCheckedWithLabelAndValueComesAlone",
     {},
     {Change(kCkps, kAll), Change(kRpm, kLabelOnly)},
     {{kIndicator, kCkps, 110, 50, 80, 32}, {kLabel, kRpm, 110, 85, 51, 35}}},
    {"UncheckedRepresentationsRemovedOthersStay",
     {{kLabel, kRpm, 0, 0, 50, 20},
      {kValue, kRpm, 60, 0, 50, 20},
      {kIndicator, kRpm, 120, 0, 80, 32},
      {kLabel, kTps, 0, 40, 50, 20}},
     {Change(kRpm, {}, kLabelAndIndicator)},
     {{kValue, kRpm, 60, 0, 50, 20}, {kLabel, kTps, 0, 40, 50, 20}}},
};

// The element container in edit mode with a canvas to fit texts on.
class Dashboard {
 public:
  Dashboard() {
    SetCurrentLanguage(kEnglish);
    place.Width = place.origWidth = 640;
    place.Height = place.origHeight = 480;
    place.edit = 1;
    place.SetCanvas(&canvas);
  }

  void Add(const Element& e) {
    std::unique_ptr<CMyObj> item;
    if (e.kind == kLabel) item = std::make_unique<CMyLabel>();
    if (e.kind == kValue) item = std::make_unique<CMyValue>();
    if (e.kind == kIndicator) item = std::make_unique<CMyIndicator>();
    item->SetParameter(catalogue, e.id);
    item->Left = e.left;
    item->Top = e.top;
    item->Width = e.width;
    item->Height = e.height;
    place.Insert(std::move(item));
  }

  std::vector<Element> Elements() const {
    std::vector<Element> out;
    for (int i = 0; i < place.Count(); ++i) {
      const CMyComponent& c = *place.Item(i);
      out.push_back({c.kind, c.id, c.Left, c.Top, c.Width, c.Height});
    }
    return out;
  }

  FixedWidthFont font;
  CMonCanvas canvas{font};
  CParameterCatalogue catalogue;
  CMyGroup place;
};

TEST(AddWatch, ElementsAfterOK) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    Dashboard d;
    for (const Element& e : c.before) d.Add(e);
    d.place.dirty = 0;
    ApplyWatchChanges(d.place, d.catalogue, c.changes, 100, 50);
    EXPECT_EQ(d.Elements(), c.after);
    EXPECT_TRUE(d.place.dirty & kDirtyAll);
    // The list opens next time with the checks of what is there.
    for (const WatchChange& change : c.changes) {
      WatchChecks want{};
      for (const Element& e : c.after)
        if (e.id == change.id) want[e.kind == kLabel ? 0 : e.kind == kValue ? 1 : 2] = true;
      EXPECT_EQ(ExistingWatches(d.place, change.id), want) << change.id;
    }
  }
}

TEST(AddWatch, ExistingWatchesByKindAndIdentifier) {
  Dashboard d;
  CMyGroup& place = d.place;
  d.Add({kLabel, kRpm, 0, 0, 50, 20});
  d.Add({kIndicator, kRpm, 0, 30, 80, 32});
  d.Add({kValue, kTps, 0, 70, 50, 20});
  auto text = std::make_unique<CMyText>();  // a text is no label, whatever it holds
  text->id = kTps;
  place.Insert(std::move(text));
  EXPECT_EQ(ExistingWatches(place, kRpm), (WatchChecks{true, false, true}));
  EXPECT_EQ(ExistingWatches(place, kTps), (WatchChecks{false, true, false}));
  EXPECT_EQ(ExistingWatches(place, 4711), (WatchChecks{false, false, false}));
}

TEST(AddWatch, NoChangesLeaveTheContainerAlone) {
  Dashboard d;
  d.place.dirty = 0;
  ApplyWatchChanges(d.place, d.catalogue, {}, 100, 50);
  EXPECT_EQ(d.place.Count(), 0);
  EXPECT_EQ(d.place.dirty, 0);
}

TEST(AddWatch, KeepInsideUsesLayoutUnitsAndLeftTopWin) {
  Dashboard d;
  CMyGroup& place = d.place;
  // Shown at half size: the pixel width would wrongly push the element left.
  place.Width = 320;
  place.Height = 240;
  struct {
    int left, top, width, height, wantLeft, wantTop;
  } const rows[] = {
      {600, 470, 100, 35, 540, 445},  // past right and bottom
      {-5, -7, 100, 35, 0, 0},        // above and left
      {300, 200, 100, 35, 300, 200},  // inside (beyond the pixel size)
      {10, 10, 700, 500, 0, 0},       // larger than the set: left and top win
  };
  for (const auto& r : rows) {
    CMyText t;
    t.Left = r.left, t.Top = r.top, t.Width = r.width, t.Height = r.height;
    KeepInsidePlace(t, place);
    EXPECT_EQ(t.Left, r.wantLeft) << r.left;
    EXPECT_EQ(t.Top, r.wantTop) << r.top;
  }
}

// Near the bottom or right edge the new rows move up and left together, so
// nothing lands over the bar or beyond the drawing area.
TEST(AddWatch, NewRowsStayInsideTheArea) {
  struct {
    const char* what;
    int x, y;
    std::vector<Element> after;
  } const cases[] = {
      // The rows would end at 709 x 540: both move 69 left and 60 up.
      {"near the bottom right corner", 580, 470, {{kValue, kRpm, 521, 410, 85, 35}, {kLabel, kTps, 521, 445, 119, 35}}},
      {"inside: where the menu point says",
       100,
       50,
       {{kValue, kRpm, 110, 50, 85, 35}, {kLabel, kTps, 110, 85, 119, 35}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Dashboard d;
    ApplyWatchChanges(d.place, d.catalogue, {Change(kRpm, kValueOnly), Change(kTps, kLabelOnly)}, c.x, c.y);
    EXPECT_EQ(d.Elements(), c.after);
    for (const Element& e : d.Elements()) {
      EXPECT_LE(e.left + e.width, 640);
      EXPECT_LE(e.top + e.height, 480);
    }
  }
}

}  // namespace
