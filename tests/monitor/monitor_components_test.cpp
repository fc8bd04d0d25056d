#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "image/ConfigImage.h"
#include "link/Frame.h"
#include "link/LiveValues.h"
#include "monitor/MonitorComponents.h"
#include "monitor/MonitorDraw.h"
#include "link/ParameterCatalogue.h"
#include "base/Lang.h"
#include "support/LiveFrames.h"

namespace {

using testsupport::PutWord;
using testsupport::QuietFrame;

// Every character is `size` pixels wide and the text 2 x `size` high, so
// fitted sizes can be worked out by hand.
class FixedWidthFont : public IMonTextMeasure {
 public:
  MonTextSize Measure(std::string_view text, int size) const override {
    return {int(Utf8Length(text)) * size, 2 * size};
  }
};

// The element container in edit mode, driven as the window drives it.
class Dashboard {
 public:
  explicit Dashboard(int width = 400, int height = 300) {
    SetCurrentLanguage(kEnglish);
    place.Width = width;
    place.Height = height;
    place.edit = 1;
    place.SetCanvas(&canvas);
  }
  template <class T = CMyObj>
  T* Add(int left, int top, int width, int height) {
    auto item = std::make_unique<T>();
    item->Left = left;
    item->Top = top;
    item->Width = width;
    item->Height = height;
    return place.Insert(std::move(item));
  }
  void Move(int x, int y) {
    place.mousex = x;
    place.mousey = y;
    place.MouseMove();
  }
  void Press(int x, int y, int ctrl = 0, int button = 1) {
    place.ctrl = ctrl;
    Move(x, y);
    place.button = button;
    place.MouseDown();
  }
  void Release() { place.MouseUp(); }
  void Click(int x, int y, int ctrl = 0) {
    Press(x, y, ctrl);
    Release();
  }
  void Key(int key, int shift = 0) {
    place.shift = shift;
    place.KeyDown(key);
  }
  std::vector<MonDrawOp> Paint(CMyComponent& c) {
    canvas.Take();
    c.Paint();
    return canvas.Take();
  }

  FixedWidthFont font;
  CMonCanvas canvas{font};
  CMyGroup place;
};

struct Geometry {
  int left, top, width, height;
  friend bool operator==(const Geometry&, const Geometry&) = default;
};
Geometry Of(const CMyComponent& c) { return {c.Left, c.Top, c.Width, c.Height}; }

std::vector<MonDrawOp> OfKind(const std::vector<MonDrawOp>& ops, MonOp kind) {
  std::vector<MonDrawOp> out;
  std::copy_if(ops.begin(), ops.end(), std::back_inserter(out), [kind](const MonDrawOp& op) { return op.op == kind; });
  return out;
}

// ---- resizing ----

TEST(MonitorResize, ResizeByHandleLimitsContainmentAndAspect) {
  // The container is 400 x 300 at the origin; the element starts at
  // (100, 100), 80 x 40, with the base limits 4..1000.
  struct Case {
    const char* why;
    int handle, dx, dy;
    Geometry expected;
    int nprable = 1;
    int ow = 0, oh = 0;
    int minw = 4, minh = 4, maxw = 1000, maxh = 1000;
  };
  const Case cases[] = {
      {"top middle", 1, 10, 10, {100, 110, 80, 30}},
      {"top right", 2, 10, 10, {100, 110, 90, 30}},
      {"right middle", 3, 10, 10, {100, 100, 90, 40}},
      {"bottom right", 4, 10, 10, {100, 100, 90, 50}},
      {"bottom middle", 5, 10, 10, {100, 100, 80, 50}},
      {"bottom left", 6, 10, 10, {110, 100, 70, 50}},
      {"left middle", 7, 10, 10, {110, 100, 70, 40}},
      {"top left", 8, 10, 10, {110, 110, 70, 30}},
      {"no smaller than minw/minh", 4, -100, -100, {100, 100, 4, 4}},
      {"no larger than maxw/maxh", 4, 500, 500, {100, 100, 120, 50}, 1, 0, 0, 4, 4, 120, 50},
      {"right edge stays inside", 3, 500, 0, {100, 100, 300, 40}},
      {"left edge stays inside", 7, -500, 0, {0, 100, 180, 40}},
      {"top edge stays inside", 1, 0, -500, {100, 0, 80, 140}},
      {"bottom edge stays inside", 5, 0, 500, {100, 100, 80, 200}},
      {"aspect: the smaller ratio wins", 4, 40, 40, {100, 100, 120, 60}, 0, 80, 40},
      {"aspect: width alone cannot grow", 4, 40, 0, {100, 100, 80, 40}, 0, 80, 40},
      {"aspect: height floor keeps the ratio", 4, -100, -100, {100, 100, 24, 12}, 0, 80, 40, 4, 12},
      {"aspect: top-left corner moves the origin", 8, -20, -20, {80, 90, 100, 50}, 0, 80, 40},
      // Regression: a reference of 0 or below divided by zero; it is taken
      // from the size at the resize start instead.
      {"ow/oh 0 taken at start", 4, 40, 40, {100, 100, 120, 60}, 0, 0, 0},
      {"ow/oh negative taken at start", 4, 40, 40, {100, 100, 120, 60}, 0, -3, -7},
  };
  for (const Case& c : cases) {
    Dashboard d;
    CMyObj& item = *d.Add(100, 100, 80, 40);
    item.nprable = c.nprable;
    item.ow = c.ow;
    item.oh = c.oh;
    item.minw = c.minw;
    item.minh = c.minh;
    item.maxw = c.maxw;
    item.maxh = c.maxh;
    item.StartResize();
    d.place.ResizeBy(item, c.handle, c.dx, c.dy);
    EXPECT_EQ(Of(item), c.expected) << c.why;
    // The change is relative to the start: the same pointer offset again
    // changes nothing.
    d.place.ResizeBy(item, c.handle, c.dx, c.dy);
    EXPECT_EQ(Of(item), c.expected) << c.why << " (repeated)";
  }
}

TEST(MonitorResize, DraggingTheCornerHandleOfTheOnlySelectedElement) {
  Dashboard d;
  CMyObj& item = *d.Add(100, 100, 80, 40);
  d.Click(140, 120);  // select and focus
  d.Move(180, 140);   // bottom right corner
  EXPECT_EQ(item.handle, kHandleBottomRight);
  EXPECT_EQ(d.place.cursor, kCursorSizeNWSE);
  d.Press(180, 140);
  EXPECT_EQ(item.sizing, kHandleBottomRight);
  d.Move(195, 150);
  d.Release();
  EXPECT_EQ(Of(item), (Geometry{100, 100, 95, 50}));
  EXPECT_EQ(item.sizing, 0);
}

TEST(MonitorResize, TwoSelectedElementsCannotBeResized) {
  Dashboard d;
  CMyObj& a = *d.Add(100, 100, 80, 40);
  CMyObj& b = *d.Add(250, 100, 40, 40);
  d.Click(140, 120);
  d.Click(270, 120, /*ctrl=*/1);
  ASSERT_EQ(d.place.nsel, 2);
  ASSERT_EQ(d.place.focused, &b);

  d.Move(290, 140);  // b's bottom right corner
  EXPECT_EQ(b.handle, kHandleBottomRight);
  EXPECT_EQ(d.place.cursor, kCursorSizeAll);
  d.Press(290, 140);
  EXPECT_EQ(b.sizing, 0);
  d.Move(300, 150);
  d.Release();
  EXPECT_EQ(Of(a), (Geometry{110, 110, 80, 40})) << "the press moves the selection instead";
  EXPECT_EQ(Of(b), (Geometry{260, 110, 40, 40}));
}

TEST(MonitorResize, ShiftArrowsResizeByOneUnitBeforeTheAspectRule) {
  struct Case {
    const char* why;
    bool label;  // a label keeps its proportions
    int width, height, key;
    Geometry expected;
  };
  const Case cases[] = {
      {"square label grows on both axes", true, 20, 20, kVkRight, {50, 50, 21, 21}},
      {"wide label: the height ratio is rounded away", true, 40, 12, kVkRight, {50, 50, 41, 12}},
      {"label shrinks on both axes", true, 20, 20, kVkLeft, {50, 50, 19, 19}},
      {"indicator: Right widens only", false, 40, 12, kVkRight, {50, 50, 41, 12}},
      {"indicator: Down heightens only", false, 40, 12, kVkDown, {50, 50, 40, 13}},
      {"indicator: Up lowers only", false, 40, 12, kVkUp, {50, 50, 40, 11}},
  };
  for (const Case& c : cases) {
    Dashboard d;
    CMyObj* item = c.label ? static_cast<CMyObj*>(d.Add<CMyLabel>(50, 50, c.width, c.height))
                           : d.Add<CMyIndicator>(50, 50, c.width, c.height);
    d.place.SetFocused(item);
    d.Key(c.key, /*shift=*/1);
    EXPECT_EQ(Of(*item), c.expected) << c.why;
  }
}

// ---- moving, band, focus ----

TEST(MonitorSelection, MovesStopTogetherAtTheContainerEdges) {
  Dashboard d(200, 100);
  CMyObj& a = *d.Add(10, 30, 20, 20);
  CMyObj& b = *d.Add(50, 5, 20, 20);
  d.Click(20, 40);
  d.Click(60, 15, /*ctrl=*/1);
  ASSERT_EQ(d.place.nsel, 2);

  // Drag b 30 left and 30 up: a stops at the left edge after 10, b at the
  // top after 5, and both move by just that.
  d.Press(60, 15);
  d.Move(30, -15);
  d.Release();
  EXPECT_EQ(Of(a), (Geometry{0, 25, 20, 20}));
  EXPECT_EQ(Of(b), (Geometry{40, 0, 20, 20}));

  // The arrow keys obey the same limits: Left does nothing now, Right does.
  d.Key(kVkLeft);
  d.Key(kVkUp);
  EXPECT_EQ(Of(a), (Geometry{0, 25, 20, 20}));
  EXPECT_EQ(Of(b), (Geometry{40, 0, 20, 20}));
  d.Key(kVkRight);
  EXPECT_EQ(Of(a), (Geometry{1, 25, 20, 20}));
  EXPECT_EQ(Of(b), (Geometry{41, 0, 20, 20}));

  // Far right and down: b stops at the right edge, a at the bottom.
  d.Press(50, 10);
  d.Move(500, 500);
  d.Release();
  EXPECT_EQ(Of(a), (Geometry{140, 80, 20, 20}));
  EXPECT_EQ(Of(b), (Geometry{180, 55, 20, 20}));
}

TEST(MonitorSelection, RubberBandIsClippedAndCtrlAddsToTheSelection) {
  struct Case {
    int ctrl;
    bool aSelected;
    int nsel;
  };
  for (const Case c : {Case{0, false, 1}, Case{1, true, 2}}) {
    Dashboard d(200, 100);
    CMyObj& a = *d.Add(10, 10, 20, 20);
    CMyObj& b = *d.Add(50, 10, 20, 20);
    CMyObj& far = *d.Add(150, 60, 20, 20);
    d.Press(5, 5);
    d.Move(40, 40);
    d.Release();
    ASSERT_TRUE(a.selected);
    ASSERT_EQ(d.place.focused, &a) << "a band with nothing focused focuses its last element";

    d.Press(140, 50, c.ctrl);
    d.Move(500, 500);
    EXPECT_EQ(d.place.band, 1);
    EXPECT_EQ(d.place.bandx2, 200) << "clipped to the container";
    EXPECT_EQ(d.place.bandy2, 100);
    EXPECT_EQ(d.place.cursor, kCursorCross);
    d.Release();
    EXPECT_EQ(d.place.band, 0);
    EXPECT_TRUE(far.selected) << "ctrl " << c.ctrl;
    EXPECT_FALSE(b.selected) << "ctrl " << c.ctrl;
    EXPECT_EQ(bool(a.selected), c.aSelected) << "ctrl " << c.ctrl;
    EXPECT_EQ(d.place.nsel, c.nsel) << "ctrl " << c.ctrl;
    EXPECT_NE(d.place.focused, nullptr);
  }
}

TEST(MonitorSelection, TabWithNoFocusTakesTheTopmostFocusableElement) {
  Dashboard d;
  CMyObj& a = *d.Add(10, 10, 20, 20);
  CMyObj& b = *d.Add(50, 10, 20, 20);
  CMyObj& inert = *d.Add(90, 10, 20, 20);
  inert.focusable = 0;

  d.Key(kVkTab);
  EXPECT_EQ(d.place.focused, &b);
  EXPECT_TRUE(b.selected);
  EXPECT_EQ(d.place.nsel, 1);

  d.Key(kVkTab);
  EXPECT_EQ(d.place.focused, &a);
  EXPECT_TRUE(a.selected);
  EXPECT_FALSE(b.selected) << "the previous focus leaves the selection";
  EXPECT_EQ(d.place.nsel, 1);
  EXPECT_FALSE(inert.selected);
}

TEST(MonitorSelection, FocusingAnIndicatorLiftsItsLabelAndValueOverIt) {
  Dashboard d;
  CMyLabel& label = *d.Add<CMyLabel>(10, 10, 40, 12);
  CMyValue& value = *d.Add<CMyValue>(10, 30, 40, 12);
  CMyLabel& other = *d.Add<CMyLabel>(10, 50, 40, 12);
  CMyIndicator& bar = *d.Add<CMyIndicator>(0, 0, 100, 60);
  label.id = value.id = bar.id = 1010;
  other.id = 1020;
  d.place.SetFocused(&bar);
  const std::vector<CMyComponent*> order = {d.place.Item(0), d.place.Item(1), d.place.Item(2), d.place.Item(3)};
  EXPECT_EQ(order, (std::vector<CMyComponent*>{&other, &bar, &label, &value}));
}

TEST(MonitorSelection, HandleHitTest) {
  // Element at (100, 100), 40 x 20: corners win where squares overlap.
  struct Case {
    int x, y, nprable, handle;
  };
  const Case cases[] = {
      {100, 100, 1, kHandleTopLeft},    {140, 100, 1, kHandleTopRight}, {140, 120, 1, kHandleBottomRight},
      {100, 120, 1, kHandleBottomLeft}, {117, 100, 1, kHandleTop},      {122, 105, 1, kHandleTop},
      {120, 120, 1, kHandleBottom},     {100, 110, 1, kHandleLeft},     {140, 107, 1, kHandleRight},
      {120, 110, 1, kHandleNone},       {117, 100, 0, kHandleNone},     {105, 105, 0, kHandleTopLeft},
      {106, 105, 1, kHandleNone},
  };
  for (const Case& c : cases) {
    Dashboard d;
    CMyObj& item = *d.Add(100, 100, 40, 20);
    item.nprable = c.nprable;
    d.place.SetFocused(&item);
    d.Move(c.x, c.y);
    EXPECT_EQ(item.handle, c.handle) << c.x << "," << c.y << " nprable " << c.nprable;
  }
  // A small element: the corner square covers the top middle square.
  Dashboard d;
  CMyObj& small = *d.Add(100, 100, 8, 8);
  d.place.SetFocused(&small);
  d.Move(101, 100);
  EXPECT_EQ(small.handle, kHandleTopLeft);
  // An unfocused element has no handles.
  d.place.SetFocused(nullptr);
  d.Move(100, 100);
  EXPECT_EQ(small.handle, kHandleNone);
}

TEST(MonitorButtons, ToggleChangesOnReleaseOverItAndRevertsWhenLeft) {
  Dashboard d(200, 16);
  d.place.edit = 0;
  CMyButt& toggle = *d.Add<CMyButt>(0, 0, 40, 16);
  toggle.type = 2;
  d.Press(10, 8);
  EXPECT_EQ(toggle.Down, 1);
  d.Release();
  EXPECT_EQ(toggle.checked, 1);
  d.Press(10, 8);
  EXPECT_EQ(toggle.Down, 0);
  d.Move(100, 8);  // leaves before the release
  EXPECT_EQ(toggle.Down, 1);
  d.Release();
  EXPECT_EQ(toggle.checked, 1);
}

// ---- repainting ----

TEST(MonitorRepaint, ADirtyElementRepaintsTheWholeContainer) {
  // Regression: elements have no background, so painting only the dirty one
  // left its old text and frame on the surface.
  Dashboard d;
  CMyText& a = *d.Add<CMyText>(10, 10, 40, 16);
  CMyText& b = *d.Add<CMyText>(10, 40, 40, 16);
  a.SetStr("one");
  b.SetStr("two");
  d.place.Paint();
  d.canvas.Take();
  a.Invalidate();
  d.place.Refresh();
  const auto ops = d.canvas.Take();
  ASSERT_FALSE(ops.empty());
  EXPECT_EQ(ops[0].op, MonOp::kRect) << "the container's own fill comes first";
  EXPECT_EQ(OfKind(ops, MonOp::kText).size(), 2u);
  EXPECT_EQ(d.place.dirty, 0);
  EXPECT_EQ(a.dirty, 0);

  // Buttons fill their own rectangle and repaint alone.
  Dashboard bar(200, 16);
  CMyButt& one = *bar.Add<CMyButt>(0, 0, 40, 16);
  bar.Add<CMyButt>(50, 0, 40, 16);
  bar.place.Paint();
  bar.canvas.Take();
  one.Invalidate();
  bar.place.Refresh();
  const auto barOps = bar.canvas.Take();
  ASSERT_FALSE(barOps.empty());
  EXPECT_EQ(barOps[0].x1, 0);
  EXPECT_EQ(barOps[0].x2, 40);
  EXPECT_EQ(OfKind(barOps, MonOp::kText).size(), 1u);
}

TEST(MonitorRepaint, ZeroOrNegativeSizesDrawNothing) {
  CParameterCatalogue catalogue;
  for (const Geometry g : {Geometry{10, 10, 0, 20}, Geometry{10, 10, 20, 0}, Geometry{10, 10, -5, 20}}) {
    Dashboard d;
    std::vector<CMyObj*> all = {
        d.Add<CMyLabel>(g.left, g.top, g.width, g.height), d.Add<CMyValue>(g.left, g.top, g.width, g.height),
        d.Add<CMyText>(g.left, g.top, g.width, g.height), d.Add<CMyImage>(g.left, g.top, g.width, g.height)};
    for (int style : {kBarHorizontal, kBarVertical, kRoundDial}) {
      auto* indicator = d.Add<CMyIndicator>(g.left, g.top, g.width, g.height);
      indicator->Style = style;
      all.push_back(indicator);
    }
    for (CMyObj* item : all) {
      item->SetParameter(catalogue, 1010);
      item->selected = 1;
      EXPECT_TRUE(d.Paint(*item).empty()) << "kind " << item->kind << " size " << g.width << "x" << g.height;
    }
  }
}

// ---- texts ----

class MonitorText : public ::testing::Test {
 protected:
  MonitorText() { SetCurrentLanguage(kEnglish); }
  ~MonitorText() override { SetCurrentLanguage(kEnglish); }
  void Update(const Frame& f) {
    DecodeLiveFrame(f, live);
    catalogue.UpdateCatalogue(f, live, image);
  }
  CParameterCatalogue catalogue;
  ConfigImage image{};
  CLiveValues live;
  Dashboard d;
};

TEST_F(MonitorText, FitWidthTakesTheWidestText) {
  // Canvas font 8: the fake text is 16 high, so Height 16 keeps size 8 and
  // every character is 8 wide.
  struct Case {
    const char* why;
    int kind;
    int id;
    int width;
  };
  const Case cases[] = {
      {"label: \"Geschwindigkeit [km/h]\" is the widest language", kKindLabel, 1160, 22 * 8},
      {"label without a unit", kKindLabel, 1010, 3 * 8},
      {"value: \"pas de signal\" over four languages and both states", kKindValue, 1090, 13 * 8},
      {"value before data: the placeholder \"xxx.x\"", kKindValue, 1020, 5 * 8},
  };
  for (const Case& c : cases) {
    std::unique_ptr<CMyObj> item;
    if (c.kind == kKindLabel)
      item = std::make_unique<CMyLabel>();
    else
      item = std::make_unique<CMyValue>();
    CMyObj& e = *d.place.Insert(std::move(item));
    e.Height = 16;
    e.SetParameter(catalogue, c.id);
    e.FitWidth();
    EXPECT_EQ(e.Width, c.width) << c.why;
  }
  CMyText& text = *d.Add<CMyText>(0, 0, 0, 32);
  text.SetStr("Ventrix");
  text.FitWidth();
  EXPECT_EQ(text.Width, 7 * 16) << "32 high: size 16";
  EXPECT_EQ(d.canvas.fontSize, 8) << "the canvas font is left as it was";
}

TEST_F(MonitorText, LabelsAndValuesArePaleAndRedBeforeData) {
  CMyLabel& label = *d.Add<CMyLabel>(10, 20, 80, 16);
  CMyValue& value = *d.Add<CMyValue>(10, 40, 80, 16);
  label.SetParameter(catalogue, 1020);
  value.SetParameter(catalogue, 1020);
  label.AlignV = -1;  // at the left edge: Left + 3
  value.AlignV = 1;   // at the right edge: Left + Width - tw - 2

  auto text = [&](CMyObj& e) {
    const auto ops = OfKind(d.Paint(e), MonOp::kText);
    EXPECT_EQ(ops.size(), 1u);
    return ops.empty() ? MonDrawOp{} : ops[0];
  };
  MonDrawOp t = text(label);
  EXPECT_EQ(t.text, "TPS [%]");
  EXPECT_EQ(t.pen, 0xBFBFBFu) << "black, no value yet";
  EXPECT_EQ(t.fontSize, 8);
  EXPECT_EQ(t.x1, 13);
  EXPECT_EQ(t.y1, 20);
  t = text(value);
  EXPECT_EQ(t.text, "xxx.x");
  EXPECT_EQ(t.pen, 0xBFBFFFu) << "placeholder red, pale";
  EXPECT_EQ(t.x1, 10 + 80 - 40 - 2);

  Frame f = QuietFrame();
  PutWord(f, 138, 505);
  Update(f);
  t = text(value);
  EXPECT_EQ(t.text, " 50.5");
  EXPECT_EQ(t.pen, 0x000000u);
  label.units = 0;
  EXPECT_EQ(text(label).text, "TPS");
  EXPECT_EQ(text(label).pen, 0x000000u);

  // Normal mode scales the layout: size round(8 x 2), the left edge + 3.
  label.SetScale(2.0f);
  t = text(label);
  EXPECT_EQ(t.fontSize, 16);
  EXPECT_EQ(t.x1, 23);
  EXPECT_EQ(t.y1, 40);
}

TEST(MonitorButtons, PressedBevelSwapsAndTheCaptionMovesRight) {
  Dashboard d(200, 16);
  CMyButt& button = *d.Add<CMyButt>(10, 0, 40, 16);
  button.s = &FindText(2, "Edit");
  const auto up = d.Paint(button);
  button.Down = 1;
  const auto down = d.Paint(button);
  ASSERT_EQ(up.size(), 6u);
  ASSERT_EQ(down.size(), 6u);
  EXPECT_EQ(up[1].pen, 0xFFFFFFu) << "top edge light";
  EXPECT_EQ(down[1].pen, 0xC0C0C0u);
  EXPECT_EQ(up[3].pen, 0xC0C0C0u) << "bottom edge dark";
  EXPECT_EQ(down[3].pen, 0xFFFFFFu);
  EXPECT_EQ(up[5].text, "Edit");
  EXPECT_EQ(up[5].x1, 10 + (40 - 4 * 8) / 2);
  EXPECT_EQ(down[5].x1, up[5].x1 + 1);
}

// ---- indicators ----

class MonitorIndicator : public MonitorText {
 protected:
  CMyIndicator& Bar(int id, int style, int left, int top, int width, int height) {
    CMyIndicator& bar = *d.Add<CMyIndicator>(left, top, width, height);
    bar.Style = style;
    bar.SetParameter(catalogue, id);
    return bar;
  }
};

TEST_F(MonitorIndicator, BarLengths) {
  // LAMBDA: frame byte 29 in tenths, range 10..18.
  struct Case {
    const char* why;
    int raw;  // < 0: no frame yet
    int style;
    MonDrawOp fill;  // x1, y1, x2, y2 and colour of the fill
  };
  const auto fill = [](int x1, int y1, int x2, int y2, TColor c) {
    MonDrawOp op;
    op.op = MonOp::kRect;
    op.x1 = x1, op.y1 = y1, op.x2 = x2, op.y2 = y2, op.pen = c, op.brush = c, op.filled = true;
    return op;
  };
  const Case cases[] = {
      {"2 px before data, pale black", -1, kBarHorizontal, fill(11, 21, 13, 39, 0xBFBFBF)},
      {"above the maximum: full", 250, kBarHorizontal, fill(11, 21, 109, 39, 0x000000)},
      {"below the minimum: empty", 50, kBarHorizontal, fill(11, 21, 11, 39, 0x000000)},
      {"half way", 140, kBarHorizontal, fill(11, 21, 60, 39, 0x000000)},
      {"vertical, 2 px before data", -1, kBarVertical, fill(11, 37, 109, 39, 0xBFBFBF)},
      {"vertical, full", 250, kBarVertical, fill(11, 21, 109, 39, 0x000000)},
  };
  for (const Case& c : cases) {
    CParameterCatalogue fresh;
    if (c.raw >= 0) {
      Frame f = QuietFrame();
      f[29] = std::uint8_t(c.raw);
      DecodeLiveFrame(f, live);
      fresh.UpdateCatalogue(f, live, image);
    }
    CMyIndicator& bar = Bar(1030, c.style, 10, 20, 100, 20);
    bar.SetParameter(fresh, 1030);
    bar.ColorMk = 0x000000;
    const auto ops = d.Paint(bar);
    ASSERT_EQ(ops.size(), 2u) << c.why;
    EXPECT_EQ(ops[0].x1, 10) << c.why;
    EXPECT_EQ(ops[0].x2, 110) << c.why;
    EXPECT_EQ(ops[0].pen, c.raw < 0 ? 0xC0C0C0u : 0u) << c.why << ": outline light grey while there is no value";
    EXPECT_EQ(ops[0].brush, 0xFFFFFFu) << c.why;
    EXPECT_EQ(ops[1], c.fill) << c.why;
  }
}

TEST_F(MonitorIndicator, LimiterStateDrawsAMarkerLineOnItsColour) {
  image[256] = 4;
  image[29] = 150;
  Frame f = QuietFrame();
  PutWord(f, 48, 7500);
  f[2] = std::uint8_t(f[2] | 0x04);  // one limiter acts: fuchsia
  Update(f);
  CMyIndicator& bar = Bar(1010, kBarHorizontal, 0, 0, 102, 10);
  const auto ops = d.Paint(bar);
  ASSERT_EQ(ops.size(), 2u);
  EXPECT_EQ(ops[0].brush, 0xFF00FFu);
  EXPECT_EQ(ops[1].op, MonOp::kLine);
  EXPECT_EQ(ops[1].x1, 51) << "7500 of 0..15000 on 100 px";
  EXPECT_EQ(ops[1].pen, 0x000000u);
}

TEST_F(MonitorIndicator, DialOf0To20000HasElevenTicksAndThreeLabels) {
  CMyIndicator& dial = Bar(1010, kRoundDial, 0, 0, 100, 100);
  const MonDialScale scale = DialScale(100, 100, 1.0f, 0, 20000);
  EXPECT_EQ(scale.count, 20);
  EXPECT_DOUBLE_EQ(1 / scale.t, 2000);

  const auto ops = d.Paint(dial);
  const auto lines = OfKind(ops, MonOp::kLine);
  const auto ticks = std::count_if(lines.begin(), lines.end(), [](const MonDrawOp& l) { return l.penWidth == 2; });
  EXPECT_EQ(ticks, 11);
  std::vector<std::string> labels;
  for (const MonDrawOp& t : OfKind(ops, MonOp::kText)) {
    labels.push_back(t.text);
    EXPECT_EQ(t.fontSize, 8) << t.text;
    EXPECT_EQ(t.pen, 0xC0C0C0u) << "light grey: no value yet";
  }
  EXPECT_EQ(labels, (std::vector<std::string>{"0", "10000", "20000"}));

  // Before data the needle points at 225 degrees: down and to the left.
  const MonDrawOp& needle = lines[lines.size() - 1];
  EXPECT_LT(needle.x2, 50);
  EXPECT_GT(needle.y2, 50);
  EXPECT_EQ(needle.x2 - 50, -(needle.y2 - 50));
}

TEST_F(MonitorIndicator, DialOf0To1StepsByATenthWithOneDecimal) {
  // "Pick-up (CKPS)" runs 0..1; at 200 x 200 the labels are size 8.
  CMyIndicator& dial = Bar(3010, kRoundDial, 0, 0, 200, 200);
  EXPECT_DOUBLE_EQ(1 / DialScale(200, 200, 1.0f, 0, 1).t, 0.1);
  std::vector<std::string> labels;
  for (const MonDrawOp& t : OfKind(d.Paint(dial), MonOp::kText)) {
    labels.push_back(t.text);
    EXPECT_EQ(t.fontSize, 8);
  }
  EXPECT_EQ(labels,
            (std::vector<std::string>{"0.0", "0.1", "0.2", "0.3", "0.4", "0.5", "0.6", "0.7", "0.8", "0.9", "1.0"}));
}

TEST_F(MonitorIndicator, EmptyRangeHasNoGraduationAndRestsAtTheMinimum) {
  // Regression: limiters of 0 give RPM the range 0..0; the step search never
  // ended and the position divided by zero.
  image[29] = 0;
  Frame f = QuietFrame();
  PutWord(f, 48, 3000);
  Update(f);
  ASSERT_EQ(catalogue.GetDef(1010).max, 0);
  EXPECT_EQ(DialScale(100, 100, 1.0f, 0, 0).t, 0);
  EXPECT_EQ(DialScale(100, 100, 1.0f, 5, 1).t, 0);

  CMyIndicator& dial = Bar(1010, kRoundDial, 0, 0, 100, 100);
  const auto ops = d.Paint(dial);
  EXPECT_TRUE(OfKind(ops, MonOp::kText).empty());
  const auto lines = OfKind(ops, MonOp::kLine);
  ASSERT_EQ(lines.size(), 2u) << "the needle only";
  EXPECT_EQ(lines[1].x2 - 50, -(lines[1].y2 - 50)) << "at the minimum, 225 degrees";

  CMyIndicator& bar = Bar(1010, kBarHorizontal, 0, 0, 100, 10);
  const auto barOps = d.Paint(bar);
  ASSERT_EQ(barOps.size(), 2u);
  EXPECT_EQ(barOps[1].x2, barOps[1].x1) << "an empty bar";
}

}  // namespace
