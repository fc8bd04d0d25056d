#include "sheet/Graph2D.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>

#include "sheet/Selection.h"
#include "sheet/SheetText.h"
#include "sheet/TabModel.h"
#include "sheet/TableGeometry.h"
#include "sheet/ValueText.h"
#include "base/Lang.h"

namespace {

// The plot inside the graph area.
constexpr int kPlotLeft = 45;
constexpr int kPlotBottomGap = 18;
constexpr int kPlotWidthLess = 75;
constexpr int kPlotHeightLess = 26;
constexpr int kOneCurveWider = 15;

constexpr TColor kPlotOneCurve = 0xFFFFFF;
constexpr TColor kPlotStacked = 0xF0FBFF;
constexpr TColor kBandFill = 0xFFFFFF;
constexpr TColor kLimiterShade = 0xDDDDDD;
constexpr TColor kLimiterShadeOutside = 0xC0D5DD;
constexpr TColor kGridColour = 0xC0C0C0;
constexpr TColor kLabelColour = 0x808080;
constexpr TColor kCurveColour = 0x808080;
constexpr TColor kAxisColour = 0x000000;
constexpr TColor kCornerFill = 0x008000;
constexpr TColor kLiveLineEngine = clLime;
constexpr TColor kLiveLineAir = clBlue;

constexpr int kTickReach = 3;
constexpr int kLabelGap = 4;
constexpr int kLabelSpacing = 2;  // the least room between two labels
constexpr int kMarkerHalf = 3;
constexpr int kSelectedRingHalf = 5;
constexpr int kCrossHalf = 9;
constexpr int kLiveRingInner = 7;
constexpr int kLiveRingOuter = 8;
constexpr int kHitHalf = 2;  // the 5 x 5 hit rectangle of a point
constexpr int kCurvePen = 2;
constexpr int kAxisPen = 2;

// Named points of sensor-characteristic sheets.
constexpr std::int32_t kCoolantPoint = kLiveCoolantPoint;
constexpr std::int32_t kAirPoint = kLiveAirPoint;
constexpr int kSheetTextGroup = 3;

std::int32_t Sat(std::int64_t v) {
  return static_cast<std::int32_t>(
      std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

// Callers round in doubles first: a value beyond 64 bits must saturate here,
// not come out of llround as an unspecified number.
std::int64_t Sat64(double v) {
  if (!(v == v)) return 0;
  return static_cast<std::int64_t>(std::clamp(v, -9.0e15, 9.0e15));
}

// A display factor that can divide: a zero or broken scale counts as 1.
double UsableScale(double k) { return (std::isfinite(k) && k > 0) ? k : 1.0; }
double UsableStep(double s) { return (std::isfinite(s) && s > 0) ? s : 1.0; }

// One step s (display units) in raw units, at least one.
std::int64_t RawStep(double s, double k) { return std::max<std::int64_t>(1, Sat64(std::round(s / k))); }

bool SameGroup(const CAxe& a, const CAxe& b) { return (a.groupMask & b.groupMask) != 0 && a.numeric == b.numeric; }

// Which points of a sheet its graph draws: the horizontal axis, the curve
// axis and the index runs of both.
struct Frame {
  int hPart = kPartX;
  int cPart = kPartY;
  int hFirst = 0, hLast = 0, cFirst = 0, cLast = 0;
  bool both = true;
};

Frame FrameOf(const CSheet& s) {
  Frame f;
  f.hPart = GraphHorizontalPart(s);
  f.cPart = f.hPart == kPartX ? kPartY : kPartX;
  const CAxe& h = s.Axis(f.hPart);
  const CAxe& c = s.Axis(f.cPart);
  f.both = !s.xAxis.collapsed && !s.yAxis.collapsed;
  f.hFirst = h.collapsed ? h.fixedIndex : 0;
  f.hLast = h.collapsed ? h.fixedIndex : std::max(0, h.count - 1);
  f.cFirst = c.collapsed ? c.fixedIndex : 0;
  f.cLast = f.both ? std::max(0, c.count - 1) : f.cFirst;
  return f;
}

std::int32_t ValueAt(const CSheet& s, const Frame& f, int h, int c) {
  return f.hPart == kPartX ? s.Cell(h, c) : s.Cell(c, h);
}

std::string Fixed(const char* format, double v) {
  // Round to what is printed first, so a tiny negative never shows as "-0".
  char buf[64];
  std::snprintf(buf, sizeof buf, format, v);
  const char* start = buf;
  if (buf[0] == '-') {
    bool zero = true;
    for (const char* p = buf + 1; *p; ++p)
      if (*p >= '1' && *p <= '9') zero = false;
    if (zero) ++start;
  }
  // Labels stay below a thousand (larger ones print "k" and "M"): only the
  // decimal mark is the shown one, not the one LC_NUMERIC gave printf.
  std::string text;
  for (const char* p = start; *p; ++p)
    if (*p == '.' || *p == ',')
      text += ShownNumberFormat().decimal;
    else
      text += *p;
  return text;
}

// Point text of an axis as the hints and labels show it: the named text, or
// the number with the unit.
std::string PointText(const CAxe& axis, std::int32_t raw) {
  if (axis.namedValues) return std::string(LookupTextById(kSheetTextGroup, raw));
  std::string t = FormatShownValue(raw, axis.scale);
  if (!axis.unit.empty()) t += " " + axis.unit;
  return t;
}

// A curve's caption left of its start: named values try their short form
// (value + 1) first.
std::string CurveCaption(const CAxe& axis, std::int32_t raw) {
  if (!axis.namedValues) return PointText(axis, raw);
  const std::string_view notFound = DictionaryGroup(kSheetTextGroup)[0].Get();
  if (raw < std::numeric_limits<std::int32_t>::max()) {
    const std::string_view shortText = LookupTextById(kSheetTextGroup, raw + 1);
    if (shortText != notFound) return std::string(shortText);
  }
  return std::string(LookupTextById(kSheetTextGroup, raw));
}

std::string DataText(const CSheet& s, std::int64_t raw) {
  if (s.ShowsPercent()) return FormatShownValue(Sat(raw), 1.0) + " %";
  const CAxe& d = s.dataAxis;
  std::string t = FormatShownValue(Sat(raw), d.scale, d.displayQuantum);
  if (!d.unit.empty()) t += " " + d.unit;
  return t;
}

// A step made coarse enough that steps lie at least minPx apart, so a fine
// graduation over a wide span neither floods the plot nor loops for long.
double Thinned(double step, double pxPerUnit, double minPx) {
  step = UsableStep(step);
  if (!(pxPerUnit > 0) || !std::isfinite(pxPerUnit)) return step;
  for (int i = 0; i < 40 && step * pxPerUnit < minPx; ++i) step *= 10;
  return step;
}

// Calls f(v) for v = from, from + step, ... while v has not passed `to`.
template <typename F>
void ForEachStep(double from, double to, double step, F&& f) {
  for (int t = 0;; ++t) {
    const double v = from + t * step;
    if (v > to + step * 1e-9) break;
    f(v);
  }
}

GraphRect Intersect(const GraphRect& a, const GraphRect& b) {
  const int l = std::max(a.left, b.left), t = std::max(a.top, b.top);
  const int r = std::min(a.Right(), b.Right()), bt = std::min(a.Bottom(), b.Bottom());
  if (r <= l || bt <= t) return {};
  return {l, t, r - l, bt - t};
}

class Builder {
 public:
  Builder(GraphDisplayList& out, const GraphTextMetrics& metrics) : m_out(out), m_metrics(metrics) {}

  void Fill(const GraphRect& r, TColor c) {
    if (r.Empty()) return;
    GraphItem& i = Add(GraphItemKind::kFill);
    i.rect = r;
    i.fill = c;
  }
  void Frame(const GraphRect& r, TColor c) {
    GraphItem& i = Add(GraphItemKind::kFrame);
    i.rect = r;
    i.pen = c;
  }
  void Line(GraphPoint a, GraphPoint b, TColor c, int width = 1) {
    GraphItem& i = Add(GraphItemKind::kLine);
    i.pen = c;
    i.width = width;
    i.first = static_cast<int>(m_out.points.size());
    i.count = 2;
    m_out.points.push_back(a);
    m_out.points.push_back(b);
  }
  void BeginPolyline(TColor c, int width) {
    GraphItem& i = Add(GraphItemKind::kPolyline);
    i.pen = c;
    i.width = width;
    i.first = static_cast<int>(m_out.points.size());
  }
  void Vertex(GraphPoint p) {
    m_out.points.push_back(p);
    ++m_out.items.back().count;
  }
  void Marker(GraphPoint p, int half, TColor pen, TColor fill) {
    GraphItem& i = Add(GraphItemKind::kMarker);
    i.rect = {p.x - half, p.y - half, 2 * half, 2 * half};
    i.pen = pen;
    i.fill = fill;
  }
  void Circle(GraphPoint p, int r, TColor pen) {
    GraphItem& i = Add(GraphItemKind::kCircle);
    i.rect = {p.x - r, p.y - r, 2 * r, 2 * r};
    i.pen = pen;
  }
  void Cross(GraphPoint p, TColor c) {
    Line({p.x - kCrossHalf, p.y}, {p.x + kCrossHalf, p.y}, c);
    Line({p.x, p.y - kCrossHalf}, {p.x, p.y + kCrossHalf}, c);
  }
  void Text(const GraphRect& box, std::string text, TColor c, std::uint8_t align) {
    GraphItem& i = Add(GraphItemKind::kText);
    i.rect = box;
    i.text = std::move(text);
    i.pen = c;
    i.align = align;
    i.pointSize = m_metrics.pointSize;
  }
  void Picture(GraphPoint p, std::string name) {
    GraphItem& i = Add(GraphItemKind::kPicture);
    i.rect = {p.x, p.y, 0, 0};
    i.text = std::move(name);
  }
  int TextWidth(std::string_view text) const {
    return m_metrics.width ? m_metrics.width(text) : static_cast<int>(Utf8Length(text)) * 6;
  }
  int TextHeight() const { return std::max(1, m_metrics.height); }

 private:
  GraphItem& Add(GraphItemKind kind) {
    m_out.items.emplace_back();
    m_out.items.back().kind = kind;
    return m_out.items.back();
  }
  GraphDisplayList& m_out;
  const GraphTextMetrics& m_metrics;
};

}  // namespace

// ---------------------------------------------------------------------------
// Rules

int GraphHorizontalPart(const CSheet& sheet) {
  const bool xc = sheet.xAxis.collapsed != 0, yc = sheet.yAxis.collapsed != 0;
  if (xc != yc) return xc ? kPartY : kPartX;
  return (sheet.flags & kSheetGraphYHorizontal) ? kPartY : kPartX;
}

std::string AxisLabelText(double s4, double v) {
  if (s4 < 0.001) return Fixed("%.2fm", v * 1000);
  if (s4 < 0.01) return Fixed("%.0fm", v * 1000);
  if (s4 < 0.1) return Fixed("%.2f", v);
  if (s4 < 1) return Fixed("%.1f", v);
  if (s4 < 1000) return Fixed("%.0f", v);
  if (s4 < 1000000) return Fixed("%.0fk", v * 0.001);
  return Fixed("%.0fM", v * 0.000001);
}

GraduationRecord PercentGraduation(double span) {
  static constexpr std::array<GraduationRecord, 4> kRecords{
      {{10, 5, 1, 1, 2}, {30, 5, 5, 5, 5}, {100, 20, 10, 5, 20}, {500, 100, 50, 25, 100}}};
  for (const auto& g : kRecords)
    if (span <= g.spanLimit) return g;
  return kRecords.back();
}

std::int64_t RoundRangeMin(std::int64_t min, double s, double k) {
  s = UsableStep(s);
  k = UsableScale(k);
  double v = k * static_cast<double>(min) - 0.2 * s;
  // A range that starts at or above zero never reaches below it.
  if (k * static_cast<double>(min) >= 0 && v < 0) v = 0;
  return Sat64(std::floor(s * std::floor(v / s) / k + 0.5));
}

std::int64_t RoundRangeMax(std::int64_t max, double s, double k, double margin) {
  s = UsableStep(s);
  k = UsableScale(k);
  return Sat64(std::floor(s * std::ceil((margin * s + k * static_cast<double>(max)) / s) / k + 0.5));
}

// ---------------------------------------------------------------------------
// Layout

SheetEntry Graph2DLayout::EntryOf(int c, int j) const {
  const int h = hIndex[static_cast<std::size_t>(j)];
  const int ci = curveFirst + c;
  return hPart == kPartX ? SheetEntry{h, ci} : SheetEntry{ci, h};
}

int Graph2DLayout::XOf(std::int64_t raw) const {
  const double v = PL + static_cast<double>(raw - hMin) * xs;
  return static_cast<int>(std::clamp(v, -1.0e6, 1.0e6));
}

int Graph2DLayout::YOf(std::int64_t raw, int c) const {
  const double v = PB - static_cast<double>(raw - dMin + Lift(c)) * ys;
  return static_cast<int>(std::clamp(v, -1.0e6, 1.0e6));
}

int Graph2DLayout::PositionOf(int index) const {
  if (hIndex.empty()) return -1;
  const int j = index - hIndex.front();
  return j >= 0 && j < M() ? j : -1;
}

CSheet* CGraph2D::Sheet() const { return m_model.Active(); }

void CGraph2D::SyncSheet() {
  if (m_model.ActiveIndex() == m_sheet) return;
  // The selected curve, the hover and a drag belong to the sheet they began on.
  if (m_drag != DragKind::kNone && m_drag != DragKind::kLimiter1) m_model.ReportChange(0, CloseEdit);
  if (m_band && m_model.ValidSheet(m_sheet)) CompleteSelection(m_model.Sheet(m_sheet));
  m_sheet = m_model.ActiveIndex();
  m_selectedCurve = 0;
  m_hovered = kHoverNothing;
  m_handle = false;
  m_drag = DragKind::kNone;
  m_band = false;
}

const Graph2DLayout& CGraph2D::Layout(GraphRect area) {
  SyncSheet();
  Graph2DLayout& L = m_layout;
  {
    // Keep the buffers: a repaint should not allocate.
    auto pos = std::move(L.pos);
    auto startY = std::move(L.startY);
    auto hIndex = std::move(L.hIndex);
    L = Graph2DLayout{};
    L.pos = std::move(pos);
    L.startY = std::move(startY);
    L.hIndex = std::move(hIndex);
    L.pos.clear();
    L.startY.clear();
    L.hIndex.clear();
  }
  L.area = area;
  CSheet* sp = Sheet();
  if (!sp || !sp->enabled) return L;
  CSheet& s = *sp;
  const Frame f = FrameOf(s);
  L.hPart = f.hPart;
  L.cPart = f.cPart;
  L.bothUsed = f.both;
  L.n = f.cLast - f.cFirst + 1;
  L.curveFirst = f.cFirst;
  for (int i = f.hFirst; i <= f.hLast; ++i) L.hIndex.push_back(i);
  CAxe& ha = s.Axis(f.hPart);
  CAxe& ca = s.Axis(f.cPart);
  CAxe& da = s.dataAxis;
  const bool percent = s.ShowsPercent();
  L.hNumeric = ha.numeric != 0;
  L.hScale = L.hNumeric ? UsableScale(ha.scale) : 1.0;
  L.dScale = percent ? 1.0 : UsableScale(da.scale);
  const double cScale = ca.numeric ? UsableScale(ca.scale) : 1.0;

  // 1. Horizontal and curve axis over the sheets that share their scale.
  auto axisRange = [&](int part, std::int64_t& lo, std::int64_t& hi) {
    const CAxe& a = s.Axis(part);
    if (!a.numeric) {
      lo = 0;
      hi = std::max(0, a.count - 1);
      return;
    }
    lo = std::numeric_limits<std::int64_t>::max();
    hi = std::numeric_limits<std::int64_t>::min();
    for (int g = 0; g < m_model.SheetCount(); ++g) {
      const CSheet& o = m_model.Sheet(g);
      const CAxe& b = o.Axis(part);
      if (&o != &s && !SameGroup(a, b)) continue;
      for (int i = 0; i < b.count && i < static_cast<int>(b.values.size()); ++i) {
        lo = std::min<std::int64_t>(lo, b.values[static_cast<std::size_t>(i)]);
        hi = std::max<std::int64_t>(hi, b.values[static_cast<std::size_t>(i)]);
      }
    }
    if (lo > hi) lo = hi = 0;
  };
  std::int64_t hLo = 0, hHi = 0, cLo = 0, cHi = 0;
  axisRange(f.hPart, hLo, hHi);
  axisRange(f.cPart, cLo, cHi);

  // 2. Data, stacking offset and first-curve maximum, in one pass.
  std::int64_t dLo = std::numeric_limits<std::int64_t>::max(), dHi = std::numeric_limits<std::int64_t>::min();
  std::int64_t rise = 0, firstMax = std::numeric_limits<std::int64_t>::min();
  for (int g = 0; g < m_model.SheetCount(); ++g) {
    const CSheet& o = m_model.Sheet(g);
    if (&o != &s && !SameGroup(da, o.dataAxis)) continue;
    const Frame fo = FrameOf(o);
    for (int c = fo.cFirst; c <= fo.cLast; ++c) {
      for (int h = fo.hFirst; h <= fo.hLast; ++h) {
        const std::int64_t v = ValueAt(o, fo, h, c);
        dLo = std::min(dLo, v);
        dHi = std::max(dHi, v);
        if (c == fo.cFirst)
          firstMax = std::max(firstMax, v);
        else
          rise = std::max(rise, v - ValueAt(o, fo, h, c - 1));
      }
    }
  }

  // 3. Engine-speed markers.
  const SheetMarkers& mk = m_model.Markers();
  L.rpmHorizontal = ha.label == "RPM";
  const bool engineSpeed = L.rpmHorizontal || ca.label == "RPM";
  const bool baseAdvance = (s.flags & kSheetBaseAdvanceMarker) && engineSpeed;
  // The horizontal range only takes limiters measured along it.
  const bool hMarkers = L.rpmHorizontal && L.hNumeric;
  L.startMarkers = (s.flags & kSheetBaseAdvanceMarker) && L.rpmHorizontal;
  if (baseAdvance) {
    dLo = std::min<std::int64_t>(dLo, mk.baseAdvance);
    dHi = std::max<std::int64_t>(dHi, mk.baseAdvance);
    firstMax = std::max<std::int64_t>(firstMax, mk.baseAdvance);
  }
  if (hMarkers) {
    if ((s.flags & kSheetBaseAdvanceMarker) && hLo > 0) hLo = 0;
    for (const auto& [flag, value] :
         {std::pair{kSheetLimiter2Marker, mk.limiter2}, std::pair{kSheetLimiter1Marker, mk.limiter1}}) {
      if (!(s.flags & flag)) continue;
      hLo = std::min<std::int64_t>(hLo, value);
      hHi = std::max<std::int64_t>(hHi, value);
    }
  }

  // 4. Graduations for the spans.
  L.hGrad = ha.GraduationFor(static_cast<double>(hHi - hLo) * L.hScale);
  L.cGrad = ca.GraduationFor(static_cast<double>(cHi - cLo) * cScale);
  L.dGrad = percent ? PercentGraduation(static_cast<double>(dHi - dLo))
                    : da.GraduationFor(static_cast<double>(dHi - dLo) * L.dScale);

  // 5. Rounding to whole steps.
  auto roundAxis = [](std::int64_t& lo, std::int64_t& hi, double step, double k) {
    lo = RoundRangeMin(lo, step, k);
    hi = RoundRangeMax(hi, step, k);
    if (lo >= hi) hi = lo + RawStep(UsableStep(step), k);
  };
  if (ha.numeric) roundAxis(hLo, hHi, L.hGrad.s1, L.hScale);
  if (ca.numeric) roundAxis(cLo, cHi, L.cGrad.s1, cScale);
  const double ds = UsableStep(L.dGrad.s1), dk = L.dScale;
  const std::int64_t dStep = RawStep(ds, dk);
  roundAxis(dLo, dHi, ds, dk);
  if (dHi - dLo < dStep) {
    if (da.max == 0)
      dLo = dHi - dStep;
    else
      dHi = dLo + dStep;
  }

  // 6. Stacking.
  L.offset =
      std::max(dStep, Sat64(std::floor(ds * std::ceil((dk * static_cast<double>(rise) + 0.5 * ds) / ds) / dk + 0.5)));
  firstMax = RoundRangeMax(firstMax, ds, dk);
  firstMax = std::min(std::max(firstMax, dLo + dStep), dHi);
  L.firstMax = firstMax;
  L.dataTop = f.both ? (L.n - 1) * L.offset + firstMax : dHi;
  L.hMin = hLo;
  L.hMax = hHi;
  L.cMin = cLo;
  L.cMax = cHi;
  L.dMin = dLo;
  L.dMax = dHi;

  // The axes keep what was drawn, for whoever reads the graph scale next.
  ha.graphMin = Sat(hLo);
  ha.graphMax = Sat(hHi);
  ha.currentGraduation = L.hGrad;
  ca.graphMin = Sat(cLo);
  ca.graphMax = Sat(cHi);
  ca.currentGraduation = L.cGrad;
  da.graphMin = Sat(dLo);
  da.graphMax = Sat(dHi);
  da.currentGraduation = L.dGrad;

  // Plot rectangle, taken from the graph area so that a side graph stays in it.
  L.PL = area.left + kPlotLeft;
  L.PB = area.Bottom() - kPlotBottomGap;
  L.PW = area.width - kPlotWidthLess + (L.n == 1 ? kOneCurveWider : 0);
  L.PH = area.height - kPlotHeightLess;
  if (L.PW <= 0 || L.PH <= 0 || area.Empty()) return L;
  L.valid = true;

  // Scales with every span held at one unit at least.
  L.xs = L.PW / static_cast<double>(std::max<std::int64_t>(1, L.hMax - L.hMin));
  L.ys = L.PH / static_cast<double>(std::max<std::int64_t>(1, L.dataTop - L.dMin));

  const int m = L.M();
  L.pos.resize(static_cast<std::size_t>(L.n * m));
  L.startY.resize(static_cast<std::size_t>(L.n));
  for (int c = 0; c < L.n; ++c) {
    for (int j = 0; j < m; ++j) {
      const int h = L.hIndex[static_cast<std::size_t>(j)];
      const std::int64_t hv = L.hNumeric ? ha.values[static_cast<std::size_t>(h)] : h;
      L.pos[static_cast<std::size_t>(c * m + j)] = {L.XOf(hv), L.YOf(ValueAt(s, f, h, L.curveFirst + c), c)};
    }
    const std::int64_t start = L.startMarkers ? mk.baseAdvance : ValueAt(s, f, L.hIndex.front(), L.curveFirst + c);
    L.startY[static_cast<std::size_t>(c)] = L.YOf(start, c);
  }
  if (m_selectedCurve >= L.n) m_selectedCurve = L.n - 1;
  return L;
}

// ---------------------------------------------------------------------------
// Input

std::vector<std::uint8_t> CGraph2D::Carried(int c, int j, bool shift, bool ctrl) const {
  const Graph2DLayout& L = m_layout;
  const int m = L.M();
  std::vector<std::uint8_t> out(static_cast<std::size_t>(L.n * m), 0);
  const CSheet* s = Sheet();
  if (!s || c < 0 || c >= L.n || j < 0 || j >= m) return out;
  std::vector<std::uint8_t> sel(out.size(), 0), curveHas(static_cast<std::size_t>(L.n), 0),
      posHas(static_cast<std::size_t>(m), 0);
  bool any = false;
  for (int cc = 0; cc < L.n; ++cc)
    for (int jj = 0; jj < m; ++jj)
      if (IsSelected(*s, L.EntryOf(cc, jj))) {
        sel[static_cast<std::size_t>(cc * m + jj)] = 1;
        curveHas[static_cast<std::size_t>(cc)] = posHas[static_cast<std::size_t>(jj)] = 1;
        any = true;
      }
  out[static_cast<std::size_t>(c * m + j)] = 1;
  if (sel[static_cast<std::size_t>(c * m + j)]) out = sel;
  out[static_cast<std::size_t>(c * m + j)] = 1;
  if (shift)
    for (int cc = 0; cc < L.n; ++cc)
      if (any ? curveHas[static_cast<std::size_t>(cc)] != 0 : cc == c)
        for (int jj = 0; jj < m; ++jj) out[static_cast<std::size_t>(cc * m + jj)] = 1;
  if (ctrl)
    for (int jj = 0; jj < m; ++jj)
      if (any ? posHas[static_cast<std::size_t>(jj)] != 0 : jj == j)
        for (int cc = 0; cc < L.n; ++cc) out[static_cast<std::size_t>(cc * m + jj)] = 1;
  return out;
}

int CGraph2D::NearestTarget(GraphPoint p, int& curve) const {
  const Graph2DLayout& L = m_layout;
  const CSheet& s = *Sheet();
  std::int64_t best = std::numeric_limits<std::int64_t>::max();
  int target = kHoverNothing;
  auto consider = [&](GraphPoint q, int c, int t) {
    const std::int64_t dx = q.x - p.x, dy = q.y - p.y, d = dx * dx + dy * dy;
    if (d < best) {
      best = d;
      curve = c;
      target = t;
    }
  };
  for (int c = 0; c < L.n; ++c) {
    if (L.startMarkers) consider({L.PL, L.startY[static_cast<std::size_t>(c)]}, c, kHoverStartPoint);
    for (int j = 0; j < L.M(); ++j) consider(L.At(c, j), c, c * kCellStride + L.hIndex[static_cast<std::size_t>(j)]);
  }
  if (best < static_cast<std::int64_t>(kGraphHitReach) * kGraphHitReach) return target;
  if (L.rpmHorizontal && L.hNumeric && p.y >= L.PB - L.PH - kGraphHitReach && p.y <= L.PB + kGraphHitReach) {
    const SheetMarkers& mk = m_model.Markers();
    if ((s.flags & kSheetLimiter2Marker) && std::abs(p.x - L.XOf(mk.limiter2)) <= kGraphHitReach) return kHoverLimiter2;
    if ((s.flags & kSheetLimiter1Marker) && std::abs(p.x - L.XOf(mk.limiter1)) <= kGraphHitReach) return kHoverLimiter1;
  }
  return kHoverNothing;
}

bool CGraph2D::Hover(GraphPoint p) {
  SyncSheet();
  const int oldHovered = m_hovered, oldCurve = m_selectedCurve;
  const bool oldHandle = m_handle;
  m_hovered = kHoverNothing;
  m_handle = false;
  const CSheet* s = Sheet();
  if (m_layout.valid && s) {
    int curve = m_selectedCurve;
    int target = NearestTarget(p, curve);
    m_selectedCurve = curve;
    if (target >= 0) {
      const SheetEntry e = m_layout.EntryOf(target / kCellStride, m_layout.PositionOf(target % kCellStride));
      // A corner of an interpolable selection offers the interpolation instead of a drag.
      if (s->selection.rect && s->dataAxis.editable && (MarksOf(*s, e) & kMarkCorner)) {
        m_handle = true;
        target = kHoverNothing;
      }
    }
    m_hovered = target;
  }
  return m_hovered != oldHovered || m_selectedCurve != oldCurve || m_handle != oldHandle;
}

bool CGraph2D::Press(GraphPoint p, bool shift, bool ctrl) {
  SyncSheet();
  CSheet* s = Sheet();
  // A second button during a drag or band is swallowed, never handed to the table.
  if (Captured()) return true;
  if (!s || !m_layout.valid) return false;
  Hover(p);
  const Graph2DLayout& L = m_layout;
  m_dragParts = 0;
  m_model.RequestRedraw(kRedraw);
  if (m_handle) {
    m_model.Interpolate();
    m_handle = false;
    return true;
  }
  switch (m_hovered) {
    case kHoverNothing: {
      TSel& sel = s->selection;
      // The selection rules of the table: Ctrl or Shift alone add to it.
      if ((sel.kind != kSelNone && sel.kind != kSelCells) || shift == ctrl) ClearSelection(*s);
      for (auto& mark : sel.cellMarks) mark &= static_cast<std::uint16_t>(~kMarkInRect);
      sel.mode = kSelModeCells;
      m_band = true;
      m_bandAnchor = {std::clamp(p.x, L.PL, L.PL + L.PW), std::clamp(p.y, L.PB - L.PH, L.PB)};
      m_bandCorner = m_bandAnchor;
      MarkBand();
      return true;
    }
    case kHoverStartPoint: {
      const int y = L.startY[static_cast<std::size_t>(m_selectedCurve)];
      m_drag = DragKind::kBaseAdvance;
      m_dragCurve = m_selectedCurve;
      m_grab = {p.x - L.PL, p.y - y};
      break;
    }
    case kHoverLimiter2:
      m_drag = DragKind::kLimiter2;
      m_grab = {p.x - L.XOf(m_model.Markers().limiter2), 0};
      break;
    case kHoverLimiter1:
      // Hovered, but its drag changes nothing.
      m_drag = DragKind::kLimiter1;
      return true;
    default: {
      const int c = m_hovered / kCellStride, j = L.PositionOf(m_hovered % kCellStride);
      const bool hEditable = s->Axis(L.hPart).editable && L.hNumeric;
      if (j < 0 || (!hEditable && !s->dataAxis.editable)) return true;
      const GraphPoint at = L.At(c, j);
      m_drag = DragKind::kPoint;
      m_dragCurve = c;
      m_dragPos = j;
      m_grab = {p.x - at.x, p.y - at.y};
      s->selection.drag |= 2;
      break;
    }
  }
  // One edit for the whole drag: the owner hears of it once, at the release.
  m_model.ReportChange(0, OpenEdit);
  return true;
}

void CGraph2D::StepDrag(GraphPoint p, bool shift, bool ctrl) {
  CSheet& s = *Sheet();
  const Graph2DLayout& L = m_layout;
  const int active = m_model.ActiveIndex();
  const double dx = p.x - m_grab.x - L.PL;
  const double dy = p.y - m_grab.y - L.PB;  // downward from PB
  const std::int64_t dSteps = Sat64(std::floor(dy / L.ys + 0.5));
  const std::int64_t hSteps = Sat64(std::floor(dx / L.xs + 0.5));
  SheetMarkers& mk = m_model.Markers();
  switch (m_drag) {
    case DragKind::kBaseAdvance: {
      const std::int32_t old = mk.baseAdvance;
      mk.baseAdvance = Sat(L.dMin - dSteps - L.Lift(m_dragCurve));
      m_model.ApplyAxisRules(active, 0);  // the marker clamps
      if (mk.baseAdvance != old) m_dragParts |= kPartData;
      return;
    }
    case DragKind::kLimiter2: {
      const std::int32_t old = mk.limiter2;
      mk.limiter2 = Sat(L.hMin + hSteps);
      m_model.ApplyAxisRules(active, 0);
      if (mk.limiter2 != old) m_dragParts |= kPartX;
      return;
    }
    case DragKind::kPoint:
      break;
    default:
      return;
  }
  const int c = m_dragCurve, j = m_dragPos;
  if (c >= L.n || j >= L.M()) return;
  const SheetEntry e = L.EntryOf(c, j);
  const int hi = L.hIndex[static_cast<std::size_t>(j)];
  CAxe& ha = s.Axis(L.hPart);
  const bool hEditable = ha.editable && L.hNumeric, dEditable = s.dataAxis.editable != 0;
  std::int32_t& hv = ha.values[static_cast<std::size_t>(hi)];
  const std::int32_t oldH = hv, oldD = s.Cell(e.x, e.y);
  if (hEditable) hv = Sat(L.hMin + hSteps);
  if (dEditable) s.Cell(e.x, e.y) = Sat(L.dMin - dSteps - L.Lift(c));
  const int parts = (hEditable ? L.hPart : 0) | (dEditable ? kPartData : 0);
  m_model.ApplyAxisRules(active, parts);
  // What survived the rules moves the carried points alike.
  const std::int64_t dh = static_cast<std::int64_t>(hv) - oldH;
  const std::int64_t dd = static_cast<std::int64_t>(s.Cell(e.x, e.y)) - oldD;
  if (dh == 0 && dd == 0) return;
  m_dragParts |= parts;
  const std::vector<std::uint8_t> carried = Carried(c, j, shift, ctrl);
  std::array<bool, kMaxXPoints> hMoved{};
  hMoved[static_cast<std::size_t>(hi)] = true;
  const int m = L.M();
  for (int cc = 0; cc < L.n; ++cc) {
    for (int jj = 0; jj < m; ++jj) {
      if (!carried[static_cast<std::size_t>(cc * m + jj)] || (cc == c && jj == j)) continue;
      const SheetEntry o = L.EntryOf(cc, jj);
      if (dd != 0) s.Cell(o.x, o.y) = Sat(s.Cell(o.x, o.y) + dd);
      const int oh = L.hIndex[static_cast<std::size_t>(jj)];
      if (dh != 0 && !hMoved[static_cast<std::size_t>(oh)]) {
        hMoved[static_cast<std::size_t>(oh)] = true;
        ha.values[static_cast<std::size_t>(oh)] = Sat(ha.values[static_cast<std::size_t>(oh)] + dh);
      }
    }
  }
  m_model.ApplyAxisRules(active, parts);
}

GraphDragStep CGraph2D::Move(GraphPoint p, bool shift, bool ctrl) {
  SyncSheet();
  GraphDragStep step;
  if (m_band) {
    const Graph2DLayout& L = m_layout;
    m_bandCorner = {std::clamp(p.x, L.PL, L.PL + L.PW), std::clamp(p.y, L.PB - L.PH, L.PB)};
    MarkBand();
    step.changed = true;
    m_model.RequestRedraw(kRedraw);
    return step;
  }
  if (m_drag == DragKind::kNone) {
    step.changed = Hover(p);
    if (step.changed) m_model.RequestRedraw(kRedraw);
    return step;
  }
  if (m_drag == DragKind::kLimiter1 || !Sheet() || !m_layout.valid) return step;
  const double xs = m_layout.xs, ys = m_layout.ys;
  StepDrag(p, shift, ctrl);
  Layout(m_layout.area);
  step.changed = true;
  m_model.RequestRedraw(kRedraw);
  const Graph2DLayout& L = m_layout;
  if (L.valid && (L.xs != xs || L.ys != ys)) {
    // Keep the pointer on what it drags when the scale moved under it.
    GraphPoint at{p.x - m_grab.x, p.y - m_grab.y};
    if (m_drag == DragKind::kPoint && m_dragCurve < L.n && m_dragPos < L.M())
      at = L.At(m_dragCurve, m_dragPos);
    else if (m_drag == DragKind::kBaseAdvance && m_dragCurve < L.n)
      at = {L.PL, L.startY[static_cast<std::size_t>(m_dragCurve)]};
    else if (m_drag == DragKind::kLimiter2)
      at.x = L.XOf(m_model.Markers().limiter2);
    step.pointer = GraphPoint{at.x + m_grab.x, at.y + m_grab.y};
  }
  return step;
}

bool CGraph2D::Release(GraphPoint p) {
  SyncSheet();
  if (m_band) {
    const Graph2DLayout& L = m_layout;
    m_bandCorner = {std::clamp(p.x, L.PL, L.PL + L.PW), std::clamp(p.y, L.PB - L.PH, L.PB)};
    MarkBand();
  }
  if (!Captured()) return false;
  Cancel();
  Hover(p);
  return true;
}

void CGraph2D::Cancel() {
  CSheet* s = Sheet();
  if (m_band) {
    m_band = false;
    if (s) {
      CompleteSelection(*s);
      TSel& sel = s->selection;
      if (sel.kind == kSelCells) {
        sel.anchor = {sel.box.x0, sel.box.y0};
        sel.corner = {sel.box.x1, sel.box.y1};
      }
    }
  } else if (m_drag != DragKind::kNone) {
    const bool edit = m_drag != DragKind::kLimiter1;
    m_drag = DragKind::kNone;
    if (s) s->selection.drag &= static_cast<std::uint8_t>(~2u);
    if (edit) m_model.ReportChange(m_dragParts, CloseEdit);
    m_dragParts = 0;
  }
  m_model.RequestRedraw(kRedraw);
}

bool CGraph2D::RightPress(GraphPoint p) {
  SyncSheet();
  CSheet* s = Sheet();
  if (!s || !m_layout.valid || Captured()) return false;
  Hover(p);
  if (m_hovered >= 0) {
    const SheetEntry e = m_layout.EntryOf(m_hovered / kCellStride, m_layout.PositionOf(m_hovered % kCellStride));
    if (!IsSelected(*s, e)) SelectOnly(*s, e);
  } else if (m_hovered == kHoverNothing && !m_handle) {
    ClearSelection(*s);
  }
  m_model.RequestRedraw(kRedraw);
  return true;
}

bool CGraph2D::Wheel(GraphPoint p, int notches) {
  SyncSheet();
  CSheet* s = Sheet();
  if (!s || !m_layout.valid || Captured() || notches == 0) return false;
  Hover(p);
  const int sign = notches > 0 ? 1 : -1;
  const int times = std::min(std::abs(notches), 100);
  bool done = false;
  if (m_hovered >= 0) {
    const SheetEntry e = m_layout.EntryOf(m_hovered / kCellStride, m_layout.PositionOf(m_hovered % kCellStride));
    for (int i = 0; i < times; ++i)
      done = (IsSelected(*s, e) ? m_model.Step(sign) : m_model.SpinnerStep(e, sign)) || done;
  } else if (m_hovered == kHoverNothing && s->selection.kind == kSelCells && HasSelection(*s)) {
    for (int i = 0; i < times; ++i) done = m_model.Step(sign) || done;
  }
  if (done) m_model.RequestRedraw(kRedraw);
  return done;
}

void CGraph2D::MarkBand() {
  CSheet* s = Sheet();
  if (!s) return;
  const Graph2DLayout& L = m_layout;
  const GraphRect band = Band();
  for (int c = 0; c < L.n; ++c) {
    for (int j = 0; j < L.M(); ++j) {
      const GraphPoint q = L.At(c, j);
      const SheetEntry e = L.EntryOf(c, j);
      std::uint16_t& mark = s->selection.cellMarks[static_cast<std::size_t>(e.y * kCellStride + e.x)];
      // Touching counts: the band is inclusive of its edges, as is the hit rectangle.
      const bool meets = q.x + kHitHalf >= band.left && q.x - kHitHalf <= band.Right() && q.y + kHitHalf >= band.top &&
                         q.y - kHitHalf <= band.Bottom();
      if (meets)
        mark |= kMarkInRect;
      else
        mark &= static_cast<std::uint16_t>(~kMarkInRect);
    }
  }
}

GraphRect CGraph2D::Band() const {
  const int l = std::min(m_bandAnchor.x, m_bandCorner.x), t = std::min(m_bandAnchor.y, m_bandCorner.y);
  return {l, t, std::abs(m_bandCorner.x - m_bandAnchor.x), std::abs(m_bandCorner.y - m_bandAnchor.y)};
}

// ---------------------------------------------------------------------------
// Hint

std::string CGraph2D::PointHint(int c, int j) const {
  const CSheet& s = *Sheet();
  const Graph2DLayout& L = m_layout;
  const SheetEntry e = L.EntryOf(c, j);
  const CAxe& ha = s.Axis(L.hPart);
  const CAxe& ca = s.Axis(L.cPart);
  const int hi = L.hIndex[static_cast<std::size_t>(j)];
  std::string t;
  if (L.n > 1)
    t += SheetTitleText(ca.label) + " = " + PointText(ca, ca.values[static_cast<std::size_t>(L.curveFirst + c)]) + "; ";
  t += SheetTitleText(ha.label) + " = " + PointText(ha, ha.values[static_cast<std::size_t>(hi)]) + "; ";
  t += SheetTitleText(s.dataAxis.label) + " = " + DataText(s, s.Cell(e.x, e.y));
  return t;
}

std::string CGraph2D::Hint() const {
  const CSheet* s = Sheet();
  if (!s || !m_layout.valid) return {};
  if (m_handle) return SheetTitleText("Interpolation");
  const std::string prefix = Dragging() ? SheetTitleText("Dragging: ") : std::string();
  const Graph2DLayout& L = m_layout;
  const SheetMarkers& mk = m_model.Markers();
  if (m_hovered >= 0) {
    const int c = m_hovered / kCellStride, j = L.PositionOf(m_hovered % kCellStride);
    if (c >= L.n || j < 0) return {};
    return prefix + PointHint(c, j);
  }
  if (m_hovered == kHoverStartPoint)
    return prefix + SheetTitleText("Base advance") + " = " + DataText(*s, mk.baseAdvance);
  if (m_hovered == kHoverLimiter2)
    return prefix + SheetTitleText("Limiter") + " = " + PointText(s->Axis(L.hPart), mk.limiter2);
  return {};
}

// ---------------------------------------------------------------------------
// Painting

void CGraph2D::Paint(GraphDisplayList& out, const GraphTextMetrics& metrics, const PaintOptions& options) const {
  out.Clear();
  const Graph2DLayout& L = m_layout;
  Builder b(out, metrics);
  // 1. The area in the control colour.
  if (options.fillArea) b.Fill(L.area, clBtnFace);
  const CSheet* sp = Sheet();
  if (!L.valid || !sp) return;
  const CSheet& s = *sp;
  const SheetMarkers& mk = m_model.Markers();
  const int m = L.M();
  const bool stacked = L.n > 1;
  const int sc = std::clamp(m_selectedCurve, 0, L.n - 1);
  const GraphRect plot{L.PL, L.PB - L.PH, L.PW, L.PH};
  const CAxe& ha = s.Axis(L.hPart);
  const CAxe& ca = s.Axis(L.cPart);
  const bool hMarkers = L.rpmHorizontal && L.hNumeric;
  const int textH = b.TextHeight();

  b.Fill(plot, stacked ? kPlotStacked : kPlotOneCurve);
  GraphRect band;
  if (stacked) {
    const int base = L.YOf(L.dMin, sc), top = L.YOf(L.dMax, sc);
    band = Intersect({L.PL, top, L.PW, base - top}, plot);
    b.Fill(band, kBandFill);
  }

  // 2. Beyond limiter 2.
  if (hMarkers && (s.flags & kSheetLimiter2Marker)) {
    const int x = std::clamp(L.XOf(mk.limiter2), L.PL, plot.Right());
    const GraphRect beyond{x, plot.top, plot.Right() - x, plot.height};
    if (stacked) {
      b.Fill(beyond, kLimiterShadeOutside);
      b.Fill(Intersect(beyond, band), kLimiterShade);
    } else {
      b.Fill(beyond, kLimiterShade);
    }
  }

  // 3. Grid.
  {
    const double k = L.hScale;
    const double s2 = Thinned(L.hGrad.s2, L.xs / k, kLabelSpacing);
    ForEachStep(static_cast<double>(L.hMin) * k, static_cast<double>(L.hMax) * k, s2, [&](double v) {
      const int x = L.XOf(Sat64(std::round(v / k)));
      b.Line({x, plot.top}, {x, L.PB + kTickReach}, kGridColour);
    });
  }
  {
    const double k = L.dScale;
    const double s2 = Thinned(L.dGrad.s2, L.ys / k, kLabelSpacing);
    ForEachStep(static_cast<double>(L.dMin) * k, static_cast<double>(L.dataTop) * k, s2, [&](double v) {
      const int y = L.YOf(Sat64(std::round(v / k)), L.n - 1);
      b.Line({L.PL - kTickReach, y}, {plot.Right(), y}, kGridColour);
    });
    if (stacked) {
      const int y = L.YOf(L.dMin, sc);
      b.Line({L.PL - kTickReach, y}, {plot.Right(), y}, kGridColour);
    }
  }

  // 4. Labels.
  {
    const double k = L.hScale;
    const double s4 = Thinned(L.hGrad.s4, L.xs / k, kLabelSpacing);
    int lastRight = std::numeric_limits<int>::min();
    ForEachStep(static_cast<double>(L.hMin) * k, static_cast<double>(L.hMax) * k, s4, [&](double v) {
      const std::int64_t raw = Sat64(std::round(v / k));
      std::string text;
      if (L.hNumeric) {
        text = AxisLabelText(s4, v);
      } else {
        if (raw < 0 || raw >= ha.count) return;
        const SheetEntry point =
            L.hPart == kPartX ? SheetEntry{static_cast<int>(raw), -1} : SheetEntry{-1, static_cast<int>(raw)};
        text = s.EntryText(point);
      }
      const int w = b.TextWidth(text), x = L.XOf(raw);
      const int left = x - w / 2;
      if (left < lastRight + kLabelSpacing) return;  // would overlap the one before
      lastRight = left + w;
      b.Text({left, L.PB + kLabelGap, w, textH}, std::move(text), kLabelColour, kAlignCentre);
    });
  }
  {
    const double k = L.dScale;
    const double s4 = Thinned(L.dGrad.s4, L.ys / k, kLabelSpacing);
    const std::string unit = s.ShowsPercent() ? std::string("%") : s.dataAxis.unit;
    const double from = static_cast<double>(L.dMin) * k;
    int lastTop = std::numeric_limits<int>::max();
    for (int t = 0; t < 100000; ++t) {
      const double v = from + t * s4;
      const int y = L.YOf(Sat64(std::round(v / k)), sc);
      if (y < plot.top) break;
      const int top = y - textH / 2;
      if (top + textH > lastTop) continue;
      lastTop = top;
      std::string text = AxisLabelText(s4, v) + unit;
      if (stacked) {
        const int left = plot.Right() + kLabelGap + 1;
        b.Text({left, top, std::max(0, L.area.Right() - left), textH}, std::move(text), kLabelColour, kAlignLeft);
      } else {
        const int right = L.PL - kLabelGap - 1;
        b.Text({L.area.left, top, std::max(0, right - L.area.left), textH}, std::move(text), kLabelColour, kAlignRight);
      }
    }
  }

  // 5. Axes.
  b.Line({L.PL, plot.top}, {L.PL, L.PB}, kAxisColour, kAxisPen);
  b.Line({L.PL, L.PB}, {plot.Right(), L.PB}, kAxisColour, kAxisPen);

  // 6. Live lines.
  const SheetLiveInputs& live = m_model.LiveInputs();
  if ((s.flags & kSheetLivePoint) && live.Connected() && L.hNumeric) {
    auto liveLine = [&](double value, TColor colour) {
      const int x = L.XOf(Sat64(std::round(value / L.hScale)));
      if (x >= L.PL && x <= plot.Right()) b.Line({x, plot.top}, {x, L.PB}, colour);
    };
    if (L.rpmHorizontal) liveLine(live.engineSpeed, kLiveLineEngine);
    if (ca.namedValues) {
      if (ca.count > 0 && ca.values[0] == kCoolantPoint) liveLine(live.coolantTemperature, kLiveLineEngine);
      if (ca.count > 1 && ca.values[1] == kAirPoint) liveLine(live.airTemperature, kLiveLineAir);
    }
  }

  // 7. Curves, the selected one last so it lies on top.
  auto selected = [&](int c, int j) { return IsSelected(s, L.EntryOf(c, j)); };
  auto curveOrder = [&](auto&& f) {
    for (int c = 0; c < L.n; ++c)
      if (c != sc) f(c);
    f(sc);
  };
  const bool startRun = !(s.flags & kSheetNoStartRun);
  curveOrder([&](int c) {
    const TColor colour = c == sc ? clRed : kCurveColour;
    const int sy = L.startY[static_cast<std::size_t>(c)];
    b.BeginPolyline(colour, kCurvePen);
    if (startRun) {
      b.Vertex({L.PL, sy});
      b.Vertex({L.At(c, 0).x, sy});
    }
    for (int j = 0; j < m; ++j) b.Vertex(L.At(c, j));
    b.Vertex({plot.Right(), L.At(c, m - 1).y});
    for (int j = 0; j + 1 < m; ++j)
      if (selected(c, j) && selected(c, j + 1)) b.Line(L.At(c, j), L.At(c, j + 1), clBlue, kCurvePen);
    if (stacked) {
      const std::string caption = CurveCaption(ca, ca.values[static_cast<std::size_t>(L.curveFirst + c)]);
      const int right = L.PL - kLabelGap;
      b.Text({L.area.left, sy - textH / 2, std::max(0, right - L.area.left), textH}, caption, colour, kAlignRight);
    }
  });

  // 8. Point markers; the interpolation preview while its handle is hovered.
  std::vector<std::int32_t> preview;
  const bool previewing = m_handle && CTabModel::ComputeInterpolation(s, preview) == kPartData;
  curveOrder([&](int c) {
    const bool own = c == sc;
    const TColor pen = own ? clRed : kCurveColour, fill = own ? clYellow : kCurveColour;
    if (L.startMarkers) b.Marker({L.PL, L.startY[static_cast<std::size_t>(c)]}, kMarkerHalf, pen, fill);
    for (int j = 0; j < m; ++j) {
      const SheetEntry e = L.EntryOf(c, j);
      GraphPoint q = L.At(c, j);
      const std::uint16_t marks = MarksOf(s, e);
      if (!(marks & kMarkSelected)) {
        b.Marker(q, kMarkerHalf, pen, fill);
        continue;
      }
      const bool corner = (marks & kMarkCorner) != 0;
      TColor inner = corner ? kCornerFill : clBlue;
      if (previewing && !corner) {
        const std::int32_t v = preview[static_cast<std::size_t>(e.y * kCellStride + e.x)];
        q.y = L.YOf(v, c);
        if (v != s.Cell(e.x, e.y)) inner = clYellow;
      }
      b.Marker(q, kMarkerHalf, clBlue, inner);
      b.Marker(q, kSelectedRingHalf, clBlue, kGraphNoFill);
    }
  });

  // 9. Live point.
  if ((s.flags & kSheetLivePoint) && s.liveKind > 0) {
    const int hi = L.hPart == kPartX ? s.liveX : s.liveY;
    const int c = (L.hPart == kPartX ? s.liveY : s.liveX) - L.curveFirst;
    std::optional<GraphPoint> at;
    if (c >= 0 && c < L.n) {
      if (hi == -1 && L.startMarkers)
        at = GraphPoint{L.PL, L.startY[static_cast<std::size_t>(c)]};
      else if (const int j = L.PositionOf(hi); hi >= 0 && j >= 0)
        at = L.At(c, j);
    }
    if (at) {
      const TColor colour = s.liveKind == 1 ? table::kLiveActive : table::kLivePartial;
      b.Circle(*at, kLiveRingInner, colour);
      b.Circle(*at, kLiveRingOuter, colour);
    }
  }

  // 10. Hover crosses.
  const TColor crossColour = Dragging() ? clBlue : clRed;
  if (m_hovered == kHoverStartPoint) {
    for (int c = 0; c < L.n; ++c) b.Cross({L.PL, L.startY[static_cast<std::size_t>(c)]}, crossColour);
  } else if (m_hovered >= 0) {
    const int c = m_hovered / kCellStride, j = L.PositionOf(m_hovered % kCellStride);
    if (c < L.n && j >= 0) {
      const std::vector<std::uint8_t> carried = Carried(c, j, options.shift, options.ctrl);
      for (int cc = 0; cc < L.n; ++cc)
        for (int jj = 0; jj < m; ++jj)
          if (carried[static_cast<std::size_t>(cc * m + jj)]) b.Cross(L.At(cc, jj), crossColour);
    }
  } else if (m_hovered == kHoverLimiter2) {
    const int x = L.XOf(mk.limiter2);
    b.Line({x, plot.top}, {x, L.PB}, crossColour, 2);
  }

  // 11. Rubber band.
  if (m_band) b.Frame(Band(), clRed);

  // 12. The way back to the table.
  if (options.tablePicture) b.Picture(*options.tablePicture, "BT_T");
}
