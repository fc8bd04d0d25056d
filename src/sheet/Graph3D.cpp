#include "sheet/Graph3D.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "sheet/Graph2D.h"
#include "sheet/Selection.h"
#include "sheet/SheetText.h"
#include "sheet/TableGeometry.h"

namespace graph3d {

namespace {

constexpr TColor kBlack = 0x000000;
constexpr TColor kWhite = 0xFFFFFF;

// Breakpoints of the height colour table, 0xRRGGBB; the entries between two
// breakpoints blend channel by channel.
struct Breakpoint {
  int index;
  std::uint32_t rgb;
};
constexpr Breakpoint kBreakpoints[] = {{0, 0x000055},  {15, 0x0000FF}, {25, 0x00FF00}, {32, 0xFFFF00},
                                       {40, 0xCCCC00}, {52, 0xFF0000}, {61, 0xFF00FF}};

constexpr std::array<std::uint32_t, kHeightColourCount> MakeHeightTable() {
  std::array<std::uint32_t, kHeightColourCount> t{};
  for (int i = 0; i < kHeightColourCount; ++i) {
    t[static_cast<std::size_t>(i)] = kBreakpoints[std::size(kBreakpoints) - 1].rgb;
    for (std::size_t b = 0; b + 1 < std::size(kBreakpoints); ++b) {
      const Breakpoint lo = kBreakpoints[b], hi = kBreakpoints[b + 1];
      if (i < lo.index || i >= hi.index) continue;
      const int n = hi.index - lo.index, k = i - lo.index;
      std::uint32_t rgb = 0;
      for (int shift : {16, 8, 0}) {
        const int a = static_cast<int>((lo.rgb >> shift) & 0xFF), z = static_cast<int>((hi.rgb >> shift) & 0xFF);
        // Both weights are whole, so the division truncates the blended channel.
        const int c = (a * (n - k) + z * k) / n;
        rgb |= static_cast<std::uint32_t>(c) << shift;
      }
      t[static_cast<std::size_t>(i)] = rgb;
    }
  }
  return t;
}
constexpr std::array<std::uint32_t, kHeightColourCount> kHeightTable = MakeHeightTable();

TColor ToBgr(std::uint32_t rgb) { return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF); }

double NegativeSum(const std::array<double, 3>& row) {
  double sum = 0;
  for (double v : row)
    if (v < 0) sum -= v;
  return sum;
}

struct Builder {
  DisplayList& out;
  const TextMeasure& measure;

  int Text(std::string s) {
    out.texts.push_back(std::move(s));
    return static_cast<int>(out.texts.size()) - 1;
  }
  Item& Add(ItemKind kind, TColor colour) {
    Item& it = out.items.emplace_back();
    it.kind = kind;
    it.colour = colour;
    return it;
  }
  void Fill(float x0, float y0, float x1, float y1, TColor colour) {
    Item& it = Add(ItemKind::kFill, colour);
    it.p[0] = {x0, y0};
    it.p[1] = {x1, y1};
  }
  void Line(Pt a, Pt b, TColor colour, int width = 1) {
    Item& it = Add(ItemKind::kLine, colour);
    it.p[0] = a;
    it.p[1] = b;
    it.size = static_cast<std::uint8_t>(width);
  }
  void Label(Pt at, int text, int points, TColor colour, bool right = false) {
    Item& it = Add(ItemKind::kText, colour);
    it.p[0] = at;
    it.text = text;
    it.size = static_cast<std::uint8_t>(points);
    it.rightAligned = right;
  }
  TextSize Measure(std::string_view s, int points) const { return measure ? measure(s, points) : TextSize{}; }
};

Pt At(const ScreenPoint& p) { return {static_cast<float>(p.x), static_cast<float>(p.y)}; }

// Front-facing when the corners run clockwise on the screen (y downward):
// the surface's upper side then faces the viewer.
bool FrontFacing(const ScreenPoint& a, const ScreenPoint& b, const ScreenPoint& c) {
  return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x) > 0;
}

struct Corner {
  ScreenPoint p;
  double t = 0;
};

// Fills a front-facing triangle with height colours, split at its edge
// midpoints while neighbouring corners lie a whole colour step apart.
void FillHeight(Builder& b, const Corner& c1, const Corner& c2, const Corner& c3, int levels, float depth,
                float cellDepth, int cell) {
  if (levels > 0 && (static_cast<int>(c1.t - c2.t) != 0 || static_cast<int>(c2.t - c3.t) != 0)) {
    auto mid = [](const Corner& a, const Corner& z) {
      return Corner{{(a.p.x + z.p.x) / 2, (a.p.y + z.p.y) / 2, (a.p.depth + z.p.depth) / 2}, (a.t + z.t) / 2};
    };
    const Corner m12 = mid(c1, c2), m23 = mid(c2, c3), m31 = mid(c3, c1);
    FillHeight(b, c1, m12, m31, levels - 1, depth, cellDepth, cell);
    FillHeight(b, m12, c2, m23, levels - 1, depth, cellDepth, cell);
    FillHeight(b, m31, m23, c3, levels - 1, depth, cellDepth, cell);
    FillHeight(b, m12, m23, m31, levels - 1, depth, cellDepth, cell);
    return;
  }
  const int index = static_cast<int>(std::floor((c1.t + c2.t + c3.t) / 3 + 0.5));
  Item& it = b.Add(ItemKind::kPolygon, HeightColour(index));
  it.p = {At(c1.p), At(c2.p), At(c3.p)};
  it.depth = depth;
  it.cellDepth = cellDepth;
  it.cell = cell;
}

// Raw position of point i of an axis relative to its graph minimum: by value
// on a numeric axis, by index otherwise.
double AxisPosition(const CAxe& axis, int i, double min) {
  return (axis.numeric ? axis.values[static_cast<std::size_t>(i)] : i) - min;
}

GraduationRecord DataGraduation(const CSheet& sheet, double span) {
  if (sheet.ShowsPercent()) return PercentGraduation(span);
  return sheet.dataAxis.GraduationFor(span * sheet.dataAxis.scale);
}

}  // namespace

// ---- angles, presets, modes ----

int WrapAngle(int angle) { return ((angle - kAngleMin) % kAngleTurn + kAngleTurn) % kAngleTurn + kAngleMin; }

GraphAngles DragAngles(const GraphAngles& atPress, int dx, int dy) {
  return {WrapAngle(atPress.a - dy / kDragPixelsPerStep), WrapAngle(atPress.b + dx / kDragPixelsPerStep), atPress.c};
}

std::string AngleText(const GraphAngles& angles) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "X:%i\xC2\xB0  XY:%i\xC2\xB0  XYZ:%i\xC2\xB0", angles.a * 5, angles.b * 5,
                angles.c * 5);
  return buf;
}

int PresetAt(const GraphAngles& angles) {
  for (int i = 0; i < kPresetCount; ++i)
    if (kPresetAngles[static_cast<std::size_t>(i)] == angles) return i;
  return kPresetNone;
}

int StepMode(int mode, int notch, int max) {
  const int step = notch > 0 ? 1 : (notch < 0 ? -1 : 0);
  return std::clamp(mode + step, 0, max);
}

// ---- height colours ----

std::uint32_t HeightColourRgb(int index) {
  return kHeightTable[static_cast<std::size_t>(std::clamp(index, 0, kHeightColourCount - 1))];
}

TColor HeightColour(int index) { return ToBgr(HeightColourRgb(index)); }

double ColourIndex(double value, double dataMin, double dataMax) {
  const double span = dataMax - dataMin;
  if (!(span > 0)) return 0;
  return std::clamp((value - dataMin) / span * kHeightIndexMax, 0.0, double(kHeightIndexMax));
}

// ---- layout and projection ----

Layout MakeLayout(int left, int top, int width, int height) {
  Layout l;
  l.left = left;
  l.top = top;
  l.right = left + std::max(0, width);
  l.bottom = top + std::max(0, height);
  l.pl = left + kStripWidth + 10;
  l.pw = width - kStripWidth - 20;
  l.ph = height - 20;
  if (l.Drawable()) {
    l.r = static_cast<double>(l.pw) / l.ph * 0.95;
    // A stretch this close to square is not worth the distortion.
    if (l.r > 0.94 && l.r < 1.06) l.r = 1;
  }
  return l;
}

double Ranges::HSpan() const { return std::max(1.0, hMax - hMin); }
double Ranges::DSpan() const { return std::max(1.0, dMax - dMin); }
double Ranges::ESpan() const { return std::max(1.0, eMax - eMin); }

ScreenPoint Projection::Project(double h, double d, double e) const {
  return {pl + (x0 + s[0] * h + s[1] * d + s[2] * e) * r, y0 - (u[0] * h + u[1] * d + u[2] * e), w[0] * h + w[2] * e};
}

Projection MakeProjection(const Layout& layout, const GraphAngles& angles, const Ranges& ranges) {
  Projection p;
  std::array<std::array<double, 3>, 3> rows{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
  auto turn = [&](int angle, std::size_t k1, std::size_t k2) {
    const double t = angle * std::numbers::pi / 36, c = std::cos(t), sn = std::sin(t);
    for (auto& row : rows) {
      const double a = row[k1], b = row[k2];
      row[k1] = c * a - sn * b;
      row[k2] = sn * a + c * b;
    }
  };
  turn(angles.a, 1, 2);
  turn(angles.b, 0, 2);
  turn(angles.c, 0, 1);
  for (auto& row : rows) {
    const double sum = std::abs(row[0]) + std::abs(row[1]) + std::abs(row[2]);
    if (sum > 0)
      for (double& v : row) v /= sum;
  }
  const double ph = layout.ph;
  p.x0 = ph * NegativeSum(rows[0]);
  p.y0 = layout.bottom - 10 - ph * NegativeSum(rows[1]);
  const std::array<double, 3> scale{ph / ranges.HSpan(), ph / ranges.DSpan(), ph / ranges.ESpan()};
  for (std::size_t k = 0; k < 3; ++k) {
    p.s[k] = rows[0][k] * scale[k];
    p.u[k] = rows[1][k] * scale[k];
    p.w[k] = rows[2][k] * scale[k];
  }
  p.w[1] = 0;  // depth ignores the height, so the order of cells is the order of their places
  p.pl = layout.pl;
  p.r = layout.r;
  return p;
}

SurfaceAxes SurfaceAxesOf(const CSheet& sheet) {
  SurfaceAxes a;
  a.yAcross = (sheet.flags & kSheetGraphYHorizontal) != 0;
  a.h = a.yAcross ? &sheet.yAxis : &sheet.xAxis;
  a.e = a.yAcross ? &sheet.xAxis : &sheet.yAxis;
  const int xf = sheet.FirstUsedColumn(), xl = sheet.LastUsedColumn();
  const int yf = sheet.FirstUsedRow(), yl = sheet.LastUsedRow();
  a.hFirst = a.yAcross ? yf : xf;
  a.hLast = a.yAcross ? yl : xl;
  a.eFirst = a.yAcross ? xf : yf;
  a.eLast = a.yAcross ? xl : yl;
  return a;
}

Ranges RangesOf(const CSheet& sheet) {
  const SurfaceAxes a = SurfaceAxesOf(sheet);
  Ranges r;
  r.hMin = a.h->graphMin;
  r.hMax = a.h->graphMax;
  r.eMin = a.e->graphMin;
  r.eMax = a.e->graphMax;
  const CAxe& d = sheet.dataAxis;
  r.dMin = d.fixedGraphRange ? d.min : d.graphMin;
  r.dMax = d.fixedGraphRange ? d.max : d.graphMax;
  return r;
}

// ---- value labels ----

std::vector<bool> LabelledCells(const CSheet& sheet, const SurfaceAxes& ax, int labelMode) {
  std::vector<bool> on(static_cast<std::size_t>(kMaxCells), false);
  if (labelMode <= kLabelsNone || ax.hLast < ax.hFirst || ax.eLast < ax.eFirst) return on;
  auto mark = [&](int i, int j) { on[static_cast<std::size_t>(j * kCellStride + i)] = true; };
  auto value = [&](int i, int j) {
    const SheetEntry c = ax.CellAt(i, j);
    return sheet.Cell(c.x, c.y);
  };
  for (int j = ax.eFirst; j <= ax.eLast; ++j) {
    for (int i = ax.hFirst; i <= ax.hLast; ++i) {
      if (labelMode >= kLabelsAll) {
        mark(i, j);
        continue;
      }
      const SheetEntry c = ax.CellAt(i, j);
      if (sheet.liveKind > 0 && c.x == sheet.liveX && c.y == sheet.liveY) mark(i, j);
      if (labelMode != kLabelsInteresting) continue;
      const std::uint16_t marks = MarksOf(sheet, c);
      if ((marks & kMarkSelected) && (sheet.selection.count < 5 || (marks & kMarkCorner))) mark(i, j);
      // A strict extremum against every neighbour that exists on a used axis.
      const std::int32_t v = value(i, j);
      bool above = true, below = true;
      const std::pair<int, int> around[] = {{i - 1, j}, {i + 1, j}, {i, j - 1}, {i, j + 1}};
      for (auto [ni, nj] : around) {
        if (ni < ax.hFirst || ni > ax.hLast || nj < ax.eFirst || nj > ax.eLast) continue;
        const std::int32_t n = value(ni, nj);
        above = above && v > n;
        below = below && v < n;
      }
      if (above || below) mark(i, j);
    }
  }
  return on;
}

// ---- the display list ----

void CGraph3D::Build(const CSheet& sheet, const SheetViewState& view, const Layout& layout, const TextMeasure& measure,
                     DisplayList& out) {
  out.Clear();
  Builder b{out, measure};
  b.Fill(float(layout.left), float(layout.top), float(layout.right), float(layout.bottom), clBtnFace);
  if (!layout.Drawable()) return;

  const SurfaceAxes ax = SurfaceAxesOf(sheet);
  const Ranges ranges = RangesOf(sheet);
  if (!m_valid || !(m_layout == layout) || !(m_angles == view.angles) || !(m_ranges == ranges)) {
    m_projection = MakeProjection(layout, view.angles, ranges);
    m_layout = layout;
    m_angles = view.angles;
    m_ranges = ranges;
    m_valid = true;
    ++m_projectionCount;
  }
  const Projection& P = m_projection;
  const int mode = std::clamp(view.colourMode, 0, kColourModeMax);
  const int labelMode = std::clamp(view.labelMode, 0, kLabelModeMax);

  // 2. The axes from the origin, each ending in a box with its label. The
  // two along the floor go first; the upright data axis stands at the
  // origin's depth and is painted in turn with the cells, so it shows in
  // front of the surface when the origin is the nearest corner.
  const ScreenPoint origin = P.Project(0, 0, 0);
  auto axisTo = [&](const ScreenPoint& end, const CAxe& axis) {
    b.Line(At(origin), At(end), kBlack);
    std::string label = SheetTitleText(axis.label);
    const TextSize size = b.Measure(label, kControlFont);
    const float w = float(std::max(size.width + 4, kAxisBoxMinWidth)), h = float(kAxisBoxHeight);
    Item& box = b.Add(ItemKind::kLabelBox, kWhite);
    box.outline = kBlack;
    box.p[0] = {float(end.x) - w / 2, float(end.y) - h / 2};
    box.p[1] = {box.p[0].x + w, box.p[0].y + h};
    box.size = static_cast<std::uint8_t>(kControlFont);
    box.text = b.Text(std::move(label));
  };
  axisTo(P.Project(ranges.HSpan(), 0, 0), *ax.h);
  axisTo(P.Project(0, 0, ranges.ESpan()), *ax.e);
  bool dataAxisDrawn = false;
  auto dataAxis = [&] {
    if (!dataAxisDrawn) axisTo(P.Project(0, ranges.DSpan(), 0), sheet.dataAxis);
    dataAxisDrawn = true;
  };

  // 3. The surface: corners projected once, cells far to near.
  const int nh = std::max(0, ax.hLast - ax.hFirst + 1), ne = std::max(0, ax.eLast - ax.eFirst + 1);
  m_points.resize(static_cast<std::size_t>(nh * ne));
  m_index.resize(m_points.size());
  auto slot = [&](int i, int j) { return static_cast<std::size_t>((i - ax.hFirst) + (j - ax.eFirst) * nh); };
  for (int j = ax.eFirst; j <= ax.eLast; ++j) {
    const double e = AxisPosition(*ax.e, j, ranges.eMin);
    for (int i = ax.hFirst; i <= ax.hLast; ++i) {
      const SheetEntry c = ax.CellAt(i, j);
      const double v = sheet.Cell(c.x, c.y);
      m_points[slot(i, j)] = P.Project(AxisPosition(*ax.h, i, ranges.hMin), v - ranges.dMin, e);
      m_index[slot(i, j)] = ColourIndex(v, ranges.dMin, ranges.dMin + ranges.DSpan());
    }
  }
  auto edgeColour = [&](int i0, int j0, int i1, int j1) {
    const std::uint16_t m0 = MarksOf(sheet, ax.CellAt(i0, j0)), m1 = MarksOf(sheet, ax.CellAt(i1, j1));
    if ((m0 | m1) & kMarkCorner) return kEdgeCorner;
    if ((m0 & m1) & kMarkSelected) return kEdgeSelected;
    return mode == kColourWire ? kBlack : kWhite;
  };

  m_cells.clear();
  for (int j = ax.eFirst; j < ax.eLast; ++j)
    for (int i = ax.hFirst; i < ax.hLast; ++i) {
      const double d = (m_points[slot(i, j)].depth + m_points[slot(i + 1, j)].depth +
                        m_points[slot(i + 1, j + 1)].depth + m_points[slot(i, j + 1)].depth) /
                       4;
      m_cells.emplace_back(d, j * kCellStride + i);
    }
  // Cells are squares of one grid, so a ray meets them in the order of their
  // places along the view: sorting by the depth of their centres paints
  // every cell before the ones that can hide it.
  std::stable_sort(m_cells.begin(), m_cells.end(), [](const auto& l, const auto& r) { return l.first < r.first; });

  for (const auto& [cellDepth, cell] : m_cells) {
    if (cellDepth > origin.depth) dataAxis();
    const int i = cell % kCellStride, j = cell / kCellStride;
    const std::array<std::pair<int, int>, 4> at{{{i, j}, {i + 1, j}, {i + 1, j + 1}, {i, j + 1}}};
    std::array<Corner, 4> c;
    Corner centre;
    for (std::size_t k = 0; k < 4; ++k) {
      const std::size_t n = slot(at[k].first, at[k].second);
      c[k] = {m_points[n], m_index[n]};
      centre.p.x += c[k].p.x / 4;
      centre.p.y += c[k].p.y / 4;
      centre.p.depth += c[k].p.depth / 4;
      centre.t += c[k].t / 4;
    }
    std::array<std::pair<double, std::size_t>, 4> tris;
    for (std::size_t k = 0; k < 4; ++k) tris[k] = {(centre.p.depth + c[k].p.depth + c[(k + 1) % 4].p.depth) / 3, k};
    std::sort(tris.begin(), tris.end());
    for (const auto& [depth, k] : tris) {
      const Corner& c1 = c[k];
      const Corner& c2 = c[(k + 1) % 4];
      if (mode != kColourWire) {
        const bool front = FrontFacing(centre.p, c1.p, c2.p);
        if (front && mode >= kColourHeightGrain0) {
          FillHeight(b, centre, c1, c2, mode - kColourHeightGrain0, float(depth), float(cellDepth), cell);
        } else {
          Item& it = b.Add(ItemKind::kPolygon, front ? kOneColour : kBackFace);
          it.p = {At(centre.p), At(c1.p), At(c2.p)};
          it.depth = float(depth);
          it.cellDepth = float(cellDepth);
          it.cell = cell;
        }
      }
      const auto [i1, j1] = at[k];
      const auto [i2, j2] = at[(k + 1) % 4];
      b.Line(At(c1.p), At(c2.p), edgeColour(i1, j1, i2, j2));
      out.items.back().cell = cell;
      out.items.back().cellDepth = float(cellDepth);
    }
  }
  // A surface with one used row (or column) has no cells: its edges alone show it.
  if (m_cells.empty()) {
    for (int j = ax.eFirst; j <= ax.eLast; ++j)
      for (int i = ax.hFirst; i <= ax.hLast; ++i) {
        if (i < ax.hLast) b.Line(At(m_points[slot(i, j)]), At(m_points[slot(i + 1, j)]), edgeColour(i, j, i + 1, j));
        if (j < ax.eLast) b.Line(At(m_points[slot(i, j)]), At(m_points[slot(i, j + 1)]), edgeColour(i, j, i, j + 1));
      }
  }
  dataAxis();

  // 4. Value labels; the live cell's goes into its disc instead.
  const bool live = sheet.liveKind > 0;
  int liveI = -1, liveJ = -1;
  if (live) {
    liveI = ax.yAcross ? sheet.liveY : sheet.liveX;
    liveJ = ax.yAcross ? sheet.liveX : sheet.liveY;
    if (liveI < ax.hFirst || liveI > ax.hLast || liveJ < ax.eFirst || liveJ > ax.eLast) liveI = liveJ = -1;
  }
  const int points = labelMode == kLabelsAll ? kLabelPoints : kLabelPointsLarge;
  const std::vector<bool> labelled = LabelledCells(sheet, ax, labelMode);
  for (int j = ax.eFirst; j <= ax.eLast; ++j)
    for (int i = ax.hFirst; i <= ax.hLast; ++i) {
      if (!labelled[static_cast<std::size_t>(j * kCellStride + i)] || (i == liveI && j == liveJ)) continue;
      const SheetEntry c = ax.CellAt(i, j);
      const std::uint16_t marks = MarksOf(sheet, c);
      TColor dark = kBlack, light = kWhite;
      if (marks & kMarkCorner) {
        dark = kLabelCorner;
        light = kLabelCornerLight;
      } else if (marks & kMarkSelected) {
        dark = kLabelSelected;
        light = kLabelSelectedLight;
      }
      const int text = b.Text(sheet.EntryText(c));
      const Pt p = At(m_points[slot(i, j)]);
      b.Label(p, text, points, dark);
      b.Label({p.x - 1, p.y - 1}, text, points, light);
    }

  // 5. The live point: a disc large enough for the value it carries.
  if (liveI >= 0) {
    const SheetEntry c = ax.CellAt(liveI, liveJ);
    const bool withLabel = labelMode != kLabelsNone;
    Item& disc = b.Add(ItemKind::kDisc, sheet.liveKind == 1 ? table::kLiveActive : table::kLivePartial);
    disc.outline = kWhite;
    disc.p[0] = At(m_points[slot(liveI, liveJ)]);
    disc.radius = kDiscRadius;
    if (withLabel) {
      std::string label = sheet.EntryText(c);
      const TextSize size = b.Measure(label, points);
      disc.radius = float(std::max(kDiscMinRadius, size.width / 2 + size.height / 4 + 2));
      const Pt centre = disc.p[0];
      b.Label(centre, b.Text(std::move(label)), points, kBlack);
    }
  }

  // 6. The strip: the height colours as a scale with the data graduation, and the angles.
  const int scaleTop = layout.top + kScaleTop, scaleBottom = layout.bottom - 10;
  const float barLeft = float(layout.left + kScaleLeft), barRight = barLeft + kScaleWidth;
  if (scaleBottom - scaleTop > kHeightIndexMax) {
    const double height = scaleBottom - scaleTop;
    auto yOf = [&](double t) { return float(std::lround(scaleBottom - t / kHeightIndexMax * height)); };
    for (int k = 0; k < kHeightIndexMax; ++k) b.Fill(barLeft, yOf(k + 1), barRight, yOf(k), HeightColour(k));
    const double scale = sheet.ShowsPercent() ? 1.0 : sheet.dataAxis.scale;
    const double k = std::isfinite(scale) && scale > 0 ? scale : 1.0;
    const double span = ranges.DSpan();
    double step = DataGraduation(sheet, span).s4;
    // Steps too fine for the scale's height would only pile labels up.
    if (!(step > 0) || span * k / step > height) step = span * k;
    const int labelHeight = std::max(1, b.Measure("0", kControlFont).height);
    const double first = std::ceil(ranges.dMin * k / step - 1e-9) * step;
    const int ticks = static_cast<int>(std::floor((ranges.dMin + span) * k / step + 1e-9) - first / step) + 1;
    double lastTop = 1e9;
    for (int n = 0; n < ticks; ++n) {
      const double v = first + n * step;
      const double y = scaleBottom - (v / k - ranges.dMin) / span * height;
      if (y + labelHeight / 2.0 > lastTop) continue;
      lastTop = y - labelHeight / 2.0;
      b.Line({barLeft - 4, float(y)}, {barLeft - 1, float(y)}, kBlack);
      b.Label({barLeft - 6, float(y)}, b.Text(AxisLabelText(step, v)), kControlFont, kBlack, true);
    }
  }
  std::string angles = AngleText(view.angles);
  const int angleHeight = b.Measure(angles, kControlFont).height;
  b.Label({float(layout.left + kStripWidth / 2), float(layout.top + kAngleTextBottom) - float(angleHeight) / 2.0f},
          b.Text(std::move(angles)), kControlFont, kBlack);
}

// ---- hints ----

HintKeys HintAt(int left, int top, int x, int y, int hintBits) {
  if (y - top <= 45) return {};
  if (x - left < 130 && (hintBits & kHintSetValue)) return {"Set actual value - mouse wheel", {}};
  if (x - left > 160 && (hintBits & kHintRotate))
    return {
        "Rotate: drag mouse (X, XY) and wheel (XYZ)   \nGraph quality: CTRL+mouse wheel   \nView values: SHIFT + mouse "
        "wheel",
        "high graph drawing quality takes lot of CPU time"};
  return {};
}

}  // namespace graph3d
