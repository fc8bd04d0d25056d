#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/Colours.h"
#include "sheet/Sheet.h"

class CTabModel;

// The 2D graph of a sheet control: the active sheet as stacked curves over
// one axis, with the points, the base advance and limiter 2 draggable. The
// logic computes ranges and pixel positions, takes the mouse in pixels and
// builds a display list that the widget paints and tests inspect.

struct GraphPoint {
  int x = 0;
  int y = 0;
  friend bool operator==(const GraphPoint&, const GraphPoint&) = default;
};

// left, top inclusive; width, height in pixels.
struct GraphRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  int Right() const { return left + width; }
  int Bottom() const { return top + height; }
  bool Empty() const { return width <= 0 || height <= 0; }
  friend bool operator==(const GraphRect&, const GraphRect&) = default;
};

// Colours are 0x00BBGGRR (clBtnFace for the control's face); a marker
// with this fill is drawn as an outline only.
constexpr TColor kGraphNoFill = 0xFF000000;

enum class GraphItemKind : std::uint8_t {
  kFill,      // rect filled with `fill`
  kFrame,     // rect outlined with `pen`
  kLine,      // two points
  kPolyline,  // `count` points
  kMarker,    // rounded square in rect: pen and fill
  kCircle,    // ellipse in rect, not filled
  kText,      // text in rect, aligned by `align`, vertically centred
  kPicture,   // named picture with its top left at rect's
};

enum GraphTextAlign : std::uint8_t { kAlignLeft, kAlignCentre, kAlignRight };

struct GraphItem {
  GraphItemKind kind = GraphItemKind::kFill;
  TColor pen = 0;
  TColor fill = 0;
  int width = 1;  // pen width
  GraphRect rect;
  int first = 0;  // lines: the first point in the list's pool
  int count = 0;
  std::string text;  // text; the picture's name
  std::uint8_t align = kAlignLeft;
  double pointSize = 0;  // text
};

struct GraphDisplayList {
  std::vector<GraphItem> items;
  std::vector<GraphPoint> points;

  void Clear() {
    items.clear();
    points.clear();
  }
  std::span<const GraphPoint> PointsOf(const GraphItem& item) const {
    return std::span<const GraphPoint>(points).subspan(static_cast<std::size_t>(item.first),
                                                       static_cast<std::size_t>(item.count));
  }
};

// Text sizes for the labels: the widget measures with its font.
struct GraphTextMetrics {
  std::function<int(std::string_view)> width;  // pixels; null: a rough estimate
  int height = 13;
  double pointSize = 8;
};

// Hovered targets: a point is curve x 50 + index on the horizontal axis.
constexpr int kHoverNothing = -100;
constexpr int kHoverStartPoint = -1;
constexpr int kHoverLimiter2 = -2;
constexpr int kHoverLimiter1 = -3;
constexpr int kGraphHitReach = 5;  // pixels: points, then the limiters

// Plot rectangle, ranges and pixel positions of the active sheet.
struct Graph2DLayout {
  bool valid = false;  // a sheet to draw and room for the plot
  GraphRect area;
  int PL = 0, PB = 0, PW = 0, PH = 0;
  int hPart = kPartX;  // horizontal axis
  int cPart = kPartY;  // curve axis
  bool hNumeric = false;
  bool rpmHorizontal = false;
  bool startMarkers = false;  // start points carry the base advance
  bool bothUsed = false;
  int n = 1;                // curves
  int curveFirst = 0;       // curve-axis index of curve 0 (its fixed index when collapsed)
  std::vector<int> hIndex;  // horizontal-axis indices drawn, in order
  std::int64_t hMin = 0, hMax = 1, cMin = 0, cMax = 1, dMin = 0, dMax = 1;
  std::int64_t dataTop = 1, offset = 0, firstMax = 0;
  GraduationRecord hGrad, cGrad, dGrad;
  double hScale = 1, dScale = 1;  // display factor (data: 1 in percent mode)
  double xs = 1, ys = 1;          // pixels per raw unit
  std::vector<GraphPoint> pos;    // curve c, position j at c x hIndex.size() + j
  std::vector<int> startY;        // per curve

  int M() const { return static_cast<int>(hIndex.size()); }
  GraphPoint At(int c, int j) const { return pos[static_cast<std::size_t>(c * M() + j)]; }
  // The cell a point of the graph stands for.
  SheetEntry EntryOf(int c, int j) const;
  // Raw lift of curve c in the stack.
  std::int64_t Lift(int c) const { return (n - c - 1) * offset; }
  int XOf(std::int64_t raw) const;
  int YOf(std::int64_t raw, int c) const;
  // Position j of a horizontal index, -1 when not drawn.
  int PositionOf(int index) const;
};

// The horizontal axis of a sheet's graph: X, or Y with flag 0x0002; when
// exactly one axis is collapsed, the other one.
int GraphHorizontalPart(const CSheet& sheet);

// Axis labels of a numeric axis: v in display units, s4 the label step.
std::string AxisLabelText(double s4, double v);

// The fixed data graduations of percent mode for a span.
GraduationRecord PercentGraduation(double span);

// Range rounding with step s (display units) on an axis of scale k.
std::int64_t RoundRangeMin(std::int64_t min, double s, double k);
std::int64_t RoundRangeMax(std::int64_t max, double s, double k, double margin = 0.2);

// Result of a drag step: where the pointer should go so it stays on the
// dragged point after a scale changed.
struct GraphDragStep {
  bool changed = false;
  std::optional<GraphPoint> pointer;
};

class CGraph2D {
 public:
  explicit CGraph2D(CTabModel& model) : m_model(model) {}

  // Ranges and positions for the graph area; the active sheet's axes get
  // their graph min, max and current graduation.
  const Graph2DLayout& Layout(GraphRect area);
  const Graph2DLayout& Current() const { return m_layout; }

  struct PaintOptions {
    bool shift = false;  // carried points shown by the crosses
    bool ctrl = false;
    std::optional<GraphPoint> tablePicture;  // "BT_T" when the graph shows alone without a bar
    bool fillArea = true;                    // false when the control has painted its face under the graph already
  };
  // The display list of the last layout.
  void Paint(GraphDisplayList& out, const GraphTextMetrics& metrics, const PaintOptions& options) const;

  // Mouse in pixels. True when the graph wants a redraw.
  bool Hover(GraphPoint p);
  bool Press(GraphPoint p, bool shift, bool ctrl);
  GraphDragStep Move(GraphPoint p, bool shift, bool ctrl);
  bool Release(GraphPoint p);
  // Right button: an unselected point becomes the selection, nothing clears it.
  bool RightPress(GraphPoint p);
  bool Wheel(GraphPoint p, int notches);
  // Ends a drag or band without a release (focus lost, button already up).
  void Cancel();

  bool Captured() const { return m_drag != DragKind::kNone || m_band; }
  bool Dragging() const { return m_drag != DragKind::kNone && m_drag != DragKind::kLimiter1; }
  bool BandActive() const { return m_band; }
  GraphRect Band() const;
  int SelectedCurve() const { return m_selectedCurve; }
  int Hovered() const { return m_hovered; }
  bool InterpolationHandle() const { return m_handle; }
  std::string Hint() const;

  // Points a drag of curve c at position j carries (the dragged one
  // included), as flags over c x M + j.
  std::vector<std::uint8_t> Carried(int c, int j, bool shift, bool ctrl) const;

 private:
  enum class DragKind { kNone, kPoint, kBaseAdvance, kLimiter2, kLimiter1 };

  CSheet* Sheet() const;
  void SyncSheet();
  int NearestTarget(GraphPoint p, int& curve) const;
  void StepDrag(GraphPoint p, bool shift, bool ctrl);
  void MarkBand();
  std::string PointHint(int c, int j) const;

  CTabModel& m_model;
  Graph2DLayout m_layout;
  int m_sheet = -2;  // the sheet the state below belongs to
  int m_selectedCurve = 0;
  int m_hovered = kHoverNothing;
  bool m_handle = false;  // interpolation handle under the mouse
  DragKind m_drag = DragKind::kNone;
  GraphPoint m_grab;  // mouse minus the dragged point at the press
  int m_dragCurve = 0;
  int m_dragPos = 0;
  int m_dragParts = 0;  // parts changed by the drag
  bool m_band = false;
  GraphPoint m_bandAnchor;
  GraphPoint m_bandCorner;
};
