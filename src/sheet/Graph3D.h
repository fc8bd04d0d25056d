#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Colours.h"
#include "sheet/Sheet.h"
#include "sheet/SheetView.h"

// The 3D graph of a sheet: a surface over the horizontal and the depth axis,
// turned by three angles, projected once per layout and painted back to
// front. Everything here is arithmetic; the widget paints the display list
// this builds and feeds the mouse into the angle and mode helpers.
namespace graph3d {

// ---- angles, presets, modes ----

// Angles are whole steps of 5 degrees kept in [-35, 36].
constexpr int kAngleMin = -35;
constexpr int kAngleMax = 36;
constexpr int kAngleTurn = 72;
constexpr int kDragPixelsPerStep = 10;

int WrapAngle(int angle);
// Angles during a rotation drag: the mouse offset from the press in whole
// steps (division toward zero), A against the vertical offset, B with the
// horizontal one.
GraphAngles DragAngles(const GraphAngles& atPress, int dx, int dy);
// "X:%i°  XY:%i°  XYZ:%i°" in degrees.
std::string AngleText(const GraphAngles& angles);

enum Preset : int { kPresetNone = -1, kPresetTop = 0, kPresetIso1 = 1, kPresetIso2 = 2, kPresetCount = 3 };
constexpr std::array<GraphAngles, kPresetCount> kPresetAngles{{{-18, 0, 0}, {-5, 4, 0}, {-5, 24, 0}}};
// The preset the angles stand at, or kPresetNone.
int PresetAt(const GraphAngles& angles);

// One wheel notch on a mode: moves by the notch's sign, held in [0, max].
int StepMode(int mode, int notch, int max);

// ---- height colours ----

constexpr int kHeightColourCount = 63;
constexpr int kHeightIndexMax = 61;
// Entry of the height colour table as 0xRRGGBB (the form the table is kept in).
std::uint32_t HeightColourRgb(int index);
// The same entry as a TColor (0x00BBGGRR); indices outside the table are held to it.
TColor HeightColour(int index);
// Colour index of a value: its place in the data range times 61, held to [0, 61].
double ColourIndex(double value, double dataMin, double dataMax);

// ---- layout and projection ----

constexpr int kStripWidth = 140;  // the "set actual value" strip left of the plot

struct Layout {
  // The graph area, right and bottom exclusive.
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  // Plot: left, width, height; the stretch of the horizontal direction.
  int pl = 0;
  int pw = 0;
  int ph = 0;
  double r = 1.0;
  bool Drawable() const { return pw > 0 && ph > 0; }
  friend bool operator==(const Layout&, const Layout&) = default;
};
Layout MakeLayout(int left, int top, int width, int height);

// Raw graph ranges of the three components: horizontal, data, depth.
struct Ranges {
  double hMin = 0, hMax = 1;
  double dMin = 0, dMax = 1;
  double eMin = 0, eMax = 1;
  // Spans held at one raw unit, so nothing ever divides by zero.
  double HSpan() const;
  double DSpan() const;
  double ESpan() const;
  friend bool operator==(const Ranges&, const Ranges&) = default;
};

struct ScreenPoint {
  double x = 0;
  double y = 0;
  double depth = 0;  // larger is nearer to the viewer
};

struct Projection {
  std::array<double, 3> s{};  // screen x per (horizontal, data, depth) raw unit
  std::array<double, 3> u{};  // screen height
  std::array<double, 3> w{};  // depth; the height does not count
  double x0 = 0;
  double y0 = 0;
  double pl = 0;
  double r = 1;
  // A point in raw units relative to the graph minima.
  ScreenPoint Project(double h, double d, double e) const;
};
Projection MakeProjection(const Layout& layout, const GraphAngles& angles, const Ranges& ranges);

// The horizontal and the depth axis of a sheet (X across unless the sheet
// turns its graphs), and which points of them the surface uses.
struct SurfaceAxes {
  const CAxe* h = nullptr;
  const CAxe* e = nullptr;
  bool yAcross = false;
  int hFirst = 0, hLast = -1;
  int eFirst = 0, eLast = -1;
  SheetEntry CellAt(int i, int j) const { return yAcross ? SheetEntry{j, i} : SheetEntry{i, j}; }
};
SurfaceAxes SurfaceAxesOf(const CSheet& sheet);
// The graph ranges the axis records hold (written by the range computation
// of the graphs), the data axis's defined range when it has a fixed one.
Ranges RangesOf(const CSheet& sheet);

// ---- display list ----

struct Pt {
  float x = 0;
  float y = 0;
};

enum class ItemKind : std::uint8_t {
  kFill,      // rectangle p[0]..p[1] (right, bottom exclusive)
  kPolygon,   // triangle p[0], p[1], p[2]
  kLine,      // p[0] to p[1], `size` pixels wide
  kText,      // text at p[0]: centred, or right-aligned when `rightAligned`
  kLabelBox,  // rounded box p[0]..p[1] with the text centred, framed in `outline`
  kDisc,      // filled circle at p[0], radius `radius`, ringed in `outline`
};

struct Item {
  ItemKind kind = ItemKind::kFill;
  std::uint8_t size = 1;  // text size in points (kControlFont: the control's); line width
  bool rightAligned = false;
  TColor colour = 0;   // fill, pen or text
  TColor outline = 0;  // frame of a box, ring of a disc
  std::array<Pt, 3> p{};
  float radius = 0;
  float depth = 0;      // polygons: the triangle's depth
  float cellDepth = 0;  // polygons and cell edges: the depth of their cell
  int cell = -1;        // polygons and edges: horizontal index + depth index x 50
  int text = -1;        // index into DisplayList::texts
};

struct DisplayList {
  std::vector<Item> items;
  std::vector<std::string> texts;
  void Clear() {
    items.clear();
    texts.clear();
  }
};

struct TextSize {
  int width = 0;
  int height = 0;
};
// Pixel size of a text at a point size.
using TextMeasure = std::function<TextSize(std::string_view text, int points)>;

constexpr TColor kOneColour = 0xFF8888;
constexpr TColor kBackFace = 0xC0C0C0;
constexpr TColor kEdgeSelected = 0xFF0000;
constexpr TColor kEdgeCorner = 0x008000;
constexpr TColor kLabelSelected = 0x440000;
constexpr TColor kLabelSelectedLight = 0xDD0000;
constexpr TColor kLabelCorner = 0x004400;
constexpr TColor kLabelCornerLight = 0x00DD00;
constexpr int kLabelPoints = 7;
constexpr int kLabelPointsLarge = 9;  // value-label modes 1 and 2
constexpr int kAxisBoxHeight = 16;
constexpr int kAxisBoxMinWidth = 32;
constexpr int kDiscRadius = 6;
constexpr int kDiscMinRadius = 7;
constexpr int kControlFont = 0;  // text size 0: the control's own font
// The strip's colour scale (from the graph area's left and top) and the
// line the angle text stands on, just above the preset buttons.
constexpr int kScaleLeft = 100;
constexpr int kScaleWidth = 22;
constexpr int kScaleTop = 60;
constexpr int kAngleTextBottom = 24;

// Which corners get a value label in a value-label mode (cells by
// CellAt(i, j) order: index i + j x 50 into the result).
std::vector<bool> LabelledCells(const CSheet& sheet, const SurfaceAxes& axes, int labelMode);

// Builds the display list of a sheet; keeps the projection while the layout,
// the angles and the ranges stay the same.
class CGraph3D {
 public:
  void Build(const CSheet& sheet, const SheetViewState& view, const Layout& layout, const TextMeasure& measure,
             DisplayList& out);
  const Projection& CurrentProjection() const { return m_projection; }
  // How often the projection was worked out (it is meant to be rare).
  int ProjectionCount() const { return m_projectionCount; }

 private:
  bool m_valid = false;
  Layout m_layout;
  GraphAngles m_angles;
  Ranges m_ranges;
  Projection m_projection;
  int m_projectionCount = 0;
  // Scratch kept between builds so a repaint allocates nothing.
  std::vector<ScreenPoint> m_points;
  std::vector<double> m_index;
  std::vector<std::pair<double, int>> m_cells;
};

// ---- mouse hints ----

// The hint key (and its longer explanation) for the mouse at (x, y) in a
// graph area whose top-left is (left, top); empty when none is offered.
struct HintKeys {
  std::string_view text;
  std::string_view detail;
};
HintKeys HintAt(int left, int top, int x, int y, int hintBits);

}  // namespace graph3d
