// Structural and many-value tools of the active sheet: rows and columns,
// steps, interpolation, "use only" and the percent mode.
#include <algorithm>
#include <cmath>
#include <limits>
#include <span>

#include "sheet/SheetText.h"
#include "sheet/TabModel.h"
#include "sheet/ValueText.h"

namespace {

std::int32_t Saturate(std::int64_t v) {
  return static_cast<std::int32_t>(
      std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

std::int32_t Mid(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>((static_cast<std::int64_t>(a) + b) / 2);
}

std::size_t Idx(int x, int y) { return static_cast<std::size_t>(y * kCellStride + x); }

// Every per-cell array that moves with the data when columns or rows move.
template <typename F>
void ForCellArrays(CSheet& s, F&& f) {
  f(s.dataAxis.values);
  if (!s.cellBase.empty()) f(s.cellBase);
  if (!s.absolute.empty()) f(s.absolute);
}

// Interval index and fraction of v among the first n points (n >= 1).
void Locate(std::span<const std::int32_t> pts, int n, std::int32_t v, int& idx, double& frac) {
  if (n < 2) {
    idx = 0;
    frac = 0;
    return;
  }
  int j = 0;
  while (j < n - 2 && pts[static_cast<std::size_t>(j + 1)] < v) ++j;
  const double lo = pts[static_cast<std::size_t>(j)], hi = pts[static_cast<std::size_t>(j + 1)];
  idx = j;
  frac = hi == lo ? 0.5 : std::clamp((v - lo) / (hi - lo), 0.0, 1.0);
}

}  // namespace

template <typename F>
void CTabModel::ForEachFollower(const CSheet& leader, F&& f) {
  if (leader.linkLeaderId == 0) return;
  const int saved = m_active;
  for (int i = 0; i < m_count; ++i) {
    if (i == saved || Sheet(i).linkFollowerId != leader.linkLeaderId) continue;
    m_active = i;
    f(i, Sheet(i));
  }
  m_active = saved;
}

namespace {
// Cell index of point `along` of axis `which` and point `across` of the other axis.
std::size_t LineIdx(int which, int along, int across) {
  return which == kPartX ? Idx(along, across) : Idx(across, along);
}
int AcrossCount(int which) { return which == kPartX ? kMaxYPoints : kMaxXPoints; }
}  // namespace

void CTabModel::InsertPrimitive(CSheet& s, int which, int k) {
  CAxe& a = s.Axis(which);
  // Points moved by position: the elastic memory no longer matches them.
  a.lastEdited = -3;
  auto& v = a.values;
  const int across = AcrossCount(which);
  for (int i = a.count; i > k; --i) v[static_cast<std::size_t>(i)] = v[static_cast<std::size_t>(i - 1)];
  ForCellArrays(s, [&](std::vector<std::int32_t>& c) {
    for (int b = 0; b < across; ++b)
      for (int i = a.count; i > k; --i) c[LineIdx(which, i, b)] = c[LineIdx(which, i - 1, b)];
  });
  ++a.count;
  const int p = k == 0 ? k + 1 : k - 1;
  const bool follows = k + 1 < a.count;
  const int q = follows ? k + 1 : k - 1;
  if (follows || v[static_cast<std::size_t>(k)] <= v[static_cast<std::size_t>(k - 1)])
    v[static_cast<std::size_t>(k)] = Mid(v[static_cast<std::size_t>(p)], v[static_cast<std::size_t>(q)]);
  ForCellArrays(s, [&](std::vector<std::int32_t>& c) {
    for (int b = 0; b < across; ++b) c[LineIdx(which, k, b)] = Mid(c[LineIdx(which, p, b)], c[LineIdx(which, q, b)]);
  });
  s.UpdateFixedIndices();
}

void CTabModel::DeletePrimitive(CSheet& s, int which, int index) {
  CAxe& a = s.Axis(which);
  a.lastEdited = -3;
  TSel& sel = s.selection;
  const std::span<std::uint16_t> marks =
      which == kPartX ? std::span<std::uint16_t>(sel.xMarks) : std::span<std::uint16_t>(sel.yMarks);
  const int across = AcrossCount(which);
  for (int i = index; i + 1 < a.count; ++i) {
    a.values[static_cast<std::size_t>(i)] = a.values[static_cast<std::size_t>(i + 1)];
    marks[static_cast<std::size_t>(i)] = marks[static_cast<std::size_t>(i + 1)];
    for (int b = 0; b < across; ++b) sel.cellMarks[LineIdx(which, i, b)] = sel.cellMarks[LineIdx(which, i + 1, b)];
  }
  ForCellArrays(s, [&](std::vector<std::int32_t>& c) {
    for (int b = 0; b < across; ++b)
      for (int i = index; i + 1 < a.count; ++i) c[LineIdx(which, i, b)] = c[LineIdx(which, i + 1, b)];
  });
  marks[static_cast<std::size_t>(a.count - 1)] = 0;
  for (int b = 0; b < across; ++b) sel.cellMarks[LineIdx(which, a.count - 1, b)] = 0;
  --a.count;
  s.UpdateFixedIndices();
}

bool CTabModel::CanInsertColumn() const {
  const CSheet* s = Active();
  return s && s->enabled && s->xAxis.insertAllowed && !s->xAxis.collapsed;
}

bool CTabModel::CanInsertRow() const {
  const CSheet* s = Active();
  return s && s->enabled && s->yAxis.insertAllowed && !s->yAxis.collapsed;
}

InsertResult CTabModel::InsertColumn(int k) { return InsertLine(kPartX, k); }
InsertResult CTabModel::InsertRow(int k) { return InsertLine(kPartY, k); }

InsertResult CTabModel::InsertLine(int which, int k) {
  CSheet* s = Active();
  if (!s) return InsertResult::kNotAllowed;
  const bool follower = s->linkFollowerId != 0;
  if (!follower && !(which == kPartX ? CanInsertColumn() : CanInsertRow())) return InsertResult::kNotAllowed;
  CAxe& a = s->Axis(which);
  if (a.count >= a.maxCount) {
    // A follower is not asked, but it cannot grow beyond its arrays either.
    if (!follower && m_onError) m_onError(MaximumCountMessage(which), ErrorCaption());
    return InsertResult::kAtMaximum;
  }
  k = std::clamp(k, 0, a.count);
  if (!follower) ReportChange(0, OpenEdit);
  ClearSelection(*s);
  InsertPrimitive(*s, which, k);
  const SheetEntry first = which == kPartX ? SheetEntry{k, s->FirstUsedRow()} : SheetEntry{s->FirstUsedColumn(), k};
  const SheetEntry last = which == kPartX ? SheetEntry{k, s->LastUsedRow()} : SheetEntry{s->LastUsedColumn(), k};
  SelectSpan(*s, first, last);
  m_reveal = first;
  ForEachFollower(*s, [&](int i, CSheet& f) {
    CAxe& fa = f.Axis(which);
    if (fa.count >= fa.maxCount) return;
    ClearSelection(f);
    InsertPrimitive(f, which, std::min(k, fa.count));
    ApplyAxisRules(i, which | kPartData);
  });
  if (!follower) ReportChange(which | kPartData, CloseEdit);
  RequestRedraw(kRedraw | kRelayout);
  return InsertResult::kDone;
}

std::vector<int> CTabModel::LinesToDelete(int which) const {
  std::vector<int> lines;
  const CSheet* s = Active();
  if (!s) return lines;
  const int n = s->Axis(which).count;
  const int kind = s->selection.kind;
  for (int i = 0; i < n; ++i) {
    bool take = false;
    if (kind == kSelCells)
      take = (which == kPartX ? ColumnCoverage(*s, i) : RowCoverage(*s, i)) == Coverage::kAll;
    else if (kind == (which == kPartX ? kSelXPoints : kSelYPoints))
      take = IsSelected(*s, which == kPartX ? SheetEntry{i, -1} : SheetEntry{-1, i});
    if (take) lines.push_back(i);
  }
  return lines;
}

std::vector<int> CTabModel::ColumnsToDelete() const { return LinesToDelete(kPartX); }
std::vector<int> CTabModel::RowsToDelete() const { return LinesToDelete(kPartY); }

int CTabModel::DeleteColumns() { return DeleteLines(kPartX); }
int CTabModel::DeleteRows() { return DeleteLines(kPartY); }

int CTabModel::DeleteLines(int which) {
  CSheet* s = Active();
  if (!s) return 0;
  const bool follower = s->linkFollowerId != 0;
  CAxe& a = s->Axis(which);
  if (!follower && !(a.insertAllowed && !a.collapsed && s->enabled)) return 0;
  const auto lines = LinesToDelete(which);
  if (lines.empty() || static_cast<int>(lines.size()) >= a.count) return 0;
  if (!follower) ReportChange(0, OpenEdit);
  std::vector<int> done;
  for (int i = 0; i < a.count;) {
    const auto now = LinesToDelete(which);
    const bool marked = std::find(now.begin(), now.end(), i) != now.end();
    if (marked && (a.count > a.minCount || (follower && a.count > 1))) {
      DeletePrimitive(*s, which, i);
      done.push_back(i);
    } else {
      ++i;
    }
  }
  ClearSelection(*s);
  ForEachFollower(*s, [&](int idx, CSheet& f) {
    ClearSelection(f);
    for (int line : done)
      if (line < f.Axis(which).count && f.Axis(which).count > 1) DeletePrimitive(f, which, line);
    ApplyAxisRules(idx, which | kPartData);
  });
  if (!follower) ReportChange(which | kPartData, CloseEdit);
  RequestRedraw(kRedraw | kRelayout);
  return static_cast<int>(done.size());
}

std::int32_t CTabModel::DataStep(const CSheet& s, int x, int y, int a) {
  if (!s.HasBaseTable() || s.percentMode) return a;
  const std::int64_t base = s.cellBase[Idx(x, y)];
  const auto r = DivRoundHalfAway(static_cast<std::int64_t>(a) * base, 100);
  return r == 0 ? a : Saturate(r);
}

bool CTabModel::CanStep() const {
  const CSheet* s = Active();
  if (!s || !s->enabled) return false;
  if (SelectionEditable(*s)) return true;
  return !HasSelection(*s) && (s->flags & kSheetLivePoint) && s->liveKind > 0;
}

bool CTabModel::StepLiveCell(int a) {
  CSheet* s = Active();
  if (!s || !s->enabled || a == 0) return false;
  if (!(s->flags & kSheetLivePoint) || s->liveKind <= 0) return false;
  if (s->liveX == -1 && (s->flags & kSheetBaseAdvanceMarker)) {
    m_markers.baseAdvance = Saturate(static_cast<std::int64_t>(m_markers.baseAdvance) + a);
    ReportChange(kPartData, MakeChangeKey(kKeyBaseAdvance, 0));
    RequestRedraw(kRedraw);
    return true;
  }
  if (s->xAxis.Contains(s->liveX) && s->yAxis.Contains(s->liveY) && s->dataAxis.editable) {
    std::int32_t& c = s->Cell(s->liveX, s->liveY);
    c = Saturate(static_cast<std::int64_t>(c) + DataStep(*s, s->liveX, s->liveY, a));
    ReportChange(kPartData, MakeChangeKey(kKeyLiveCell, s->liveY * kCellStride + s->liveX));
    RequestRedraw(kRedraw);
    return true;
  }
  return false;
}

bool CTabModel::Step(int a) {
  CSheet* s = Active();
  if (!s || !s->enabled || a == 0) return false;
  if (!HasSelection(*s)) return StepLiveCell(a);
  int parts = 0;
  const TSel& sel = s->selection;
  if (sel.kind == kSelXPoints && s->xAxis.editable) {
    for (int i = 0; i < s->xAxis.count; ++i)
      if (IsSelected(*s, {i, -1}))
        s->xAxis.values[static_cast<std::size_t>(i)] =
            Saturate(s->xAxis.values[static_cast<std::size_t>(i)] + static_cast<std::int64_t>(a));
    parts |= kPartX;
  } else if (sel.kind == kSelYPoints && s->yAxis.editable) {
    for (int j = 0; j < s->yAxis.count; ++j)
      if (IsSelected(*s, {-1, j}))
        s->yAxis.values[static_cast<std::size_t>(j)] =
            Saturate(s->yAxis.values[static_cast<std::size_t>(j)] + static_cast<std::int64_t>(a));
    parts |= kPartY;
  } else if (sel.kind == kSelCells && s->dataAxis.editable) {
    for (int y = sel.box.y0; y <= sel.box.y1; ++y)
      for (int x = sel.box.x0; x <= sel.box.x1; ++x)
        if (IsSelected(*s, {x, y}))
          s->Cell(x, y) = Saturate(s->Cell(x, y) + static_cast<std::int64_t>(DataStep(*s, x, y, a)));
    parts |= kPartData;
  }
  if (!parts) return false;
  const int kind = parts == kPartData ? kKeyCellSelection : (parts == kPartY ? kKeyYSelection : kKeyXSelection);
  ReportChange(parts, MakeChangeKey(kind, sel.count));
  RequestRedraw(kRedraw);
  return true;
}

int CTabModel::ComputeInterpolation(const CSheet& s, std::vector<std::int32_t>& out) {
  const TSel& sel = s.selection;
  if (!sel.rect || sel.count <= 2) return 0;
  if (sel.kind == kSelXPoints || sel.kind == kSelYPoints) {
    const bool isX = sel.kind == kSelXPoints;
    const CAxe& a = isX ? s.xAxis : s.yAxis;
    const int i0 = isX ? sel.x0 : sel.y0, i1 = isX ? sel.x1 : sel.y1;
    out = a.values;
    if (i1 <= i0) return 0;
    const std::int64_t v0 = a.values[static_cast<std::size_t>(i0)], v1 = a.values[static_cast<std::size_t>(i1)];
    for (int i = i0; i <= i1; ++i) out[static_cast<std::size_t>(i)] = Saturate(v0 + (v1 - v0) * (i - i0) / (i1 - i0));
    return isX ? kPartX : kPartY;
  }
  if (sel.kind != kSelCells) return 0;
  out = s.dataAxis.values;
  const int x0 = sel.x0, x1 = sel.x1, y0 = sel.y0, y1 = sel.y1;
  const double a = s.Cell(x0, y0), b = s.Cell(x1, y0), c = s.Cell(x0, y1), d = s.Cell(x1, y1);
  auto fraction = [](const CAxe& axis, int i, int i0, int i1) {
    if (axis.numeric) {
      const double span =
          static_cast<double>(axis.values[static_cast<std::size_t>(i1)]) - axis.values[static_cast<std::size_t>(i0)];
      return span == 0 ? 0.5
                       : (static_cast<double>(axis.values[static_cast<std::size_t>(i)]) -
                          axis.values[static_cast<std::size_t>(i0)]) /
                             span;
    }
    return i1 == i0 ? 0.5 : static_cast<double>(i - i0) / (i1 - i0);
  };
  for (int j = y0; j <= y1; ++j) {
    const double h = fraction(s.yAxis, j, y0, y1);
    for (int i = x0; i <= x1; ++i) {
      if ((i == x0 || i == x1) && (j == y0 || j == y1)) continue;
      const double g = fraction(s.xAxis, i, x0, x1);
      out[Idx(i, j)] = RoundHalfAway(g * (h * d + (1 - h) * b) + (1 - g) * (h * c + (1 - h) * a));
    }
  }
  return kPartData;
}

bool CTabModel::CanInterpolate() const {
  const CSheet* s = Active();
  return s && s->enabled && s->selection.rect && s->selection.count > 2 && SelectionEditable(*s);
}

bool CTabModel::Interpolate() {
  if (!CanInterpolate()) return false;
  CSheet& s = *Active();
  ReportChange(0, OpenEdit);
  std::vector<std::int32_t> out;
  const int part = ComputeInterpolation(s, out);
  if (part != 0) s.Axis(part).values = std::move(out);
  ReportChange(part, CloseEdit);
  ClearSelection(s);
  RequestRedraw(kRedraw);
  return part != 0;
}

bool CTabModel::UseOnlySectionShown() const {
  const CSheet* s = Active();
  return s && UseOnlySectionOf(*s);
}

bool CTabModel::UseOnlySectionOf(const CSheet& s) {
  const int ox = s.xAxis.collapseOption, oy = s.yAxis.collapseOption;
  return (ox == 1 || oy == 1) && ox != 2 && oy != 2;
}

bool CTabModel::CanUseOnlyX() const {
  const CSheet* s = Active();
  return s && s->yAxis.collapseOption >= 1 && s->xAxis.collapseOption < 2;
}

bool CTabModel::CanUseOnlyY() const {
  const CSheet* s = Active();
  return s && s->xAxis.collapseOption >= 1 && s->yAxis.collapseOption < 2;
}

bool CTabModel::CanUseBoth() const {
  const CSheet* s = Active();
  return s && s->xAxis.collapseOption < 2 && s->yAxis.collapseOption < 2;
}

bool CTabModel::SetCollapse(int xCollapsed, int yCollapsed) {
  CSheet* s = Active();
  if (!s) return false;
  ReportChange(0, OpenEdit);
  s->xAxis.collapsed = xCollapsed;
  s->yAxis.collapsed = yCollapsed;
  // Entries of the rows or columns that disappear must not stay selected unseen.
  ClearSelection(*s);
  m_fill = FillDragState{};
  Reselect();
  ReportChange(kPartAll, CloseEdit);
  return true;
}

bool CTabModel::UseOnlyX() { return CanUseOnlyX() && SetCollapse(0, 1); }
bool CTabModel::UseOnlyY() { return CanUseOnlyY() && SetCollapse(1, 0); }
bool CTabModel::UseBoth() { return CanUseBoth() && SetCollapse(0, 0); }

bool CTabModel::ToggleSheetEnabled() {
  CSheet* s = Active();
  if (!s || !(s->flags & kSheetMayDisable)) return false;
  ReportChange(0, OpenEdit);
  s->enabled = s->enabled ? 0 : 1;
  RequestRedraw(kRedraw | kRelayout);
  ReportChange(kPartAll, CloseEdit);
  return true;
}

double SampleBilinear(std::span<const std::int32_t> xs, int nx, std::span<const std::int32_t> ys, int ny,
                      std::span<const std::int32_t> cells, std::int32_t x, std::int32_t y) {
  if (nx < 1 || ny < 1) return 0;
  int l = 0, j = 0;
  double fx = 0, fy = 0;
  Locate(xs, nx, x, l, fx);
  Locate(ys, ny, y, j, fy);
  auto at = [&](int i, int k) -> double { return cells[Idx(std::min(i, nx - 1), std::min(k, ny - 1))]; };
  return (1 - fy) * ((1 - fx) * at(l, j) + fx * at(l + 1, j)) + fy * ((1 - fx) * at(l, j + 1) + fx * at(l + 1, j + 1));
}

void CTabModel::ComputeCellBase(CSheet& s) {
  if (!s.PercentCapable()) return;
  const int bxc = std::clamp(s.baseXCount, 0, kMaxXPoints), byc = std::clamp(s.baseYCount, 0, kMaxYPoints);
  if (bxc < 1 || byc < 1) return;
  for (int y = 0; y < s.yAxis.count; ++y)
    for (int x = 0; x < s.xAxis.count; ++x)
      s.cellBase[Idx(x, y)] = RoundHalfAway(SampleBilinear(s.baseX, bxc, s.baseY, byc, s.baseData,
                                                           s.xAxis.values[static_cast<std::size_t>(x)],
                                                           s.yAxis.values[static_cast<std::size_t>(y)]));
}

namespace {
std::int32_t PercentOf(std::int64_t absolute, std::int32_t base) {
  return Saturate(DivRoundHalfAway(absolute * 100, base));
}
}  // namespace

void CTabModel::ShownFromAbsolute(CSheet& s) {
  if (!s.PercentCapable()) return;
  for (int y = 0; y < s.yAxis.count; ++y)
    for (int x = 0; x < s.xAxis.count; ++x) {
      const std::int32_t abs = s.absolute[Idx(x, y)];
      s.Cell(x, y) = s.percentMode ? PercentOf(abs, s.BaseOf(x, y)) : abs;
    }
}

void CTabModel::AbsoluteFromShown(CSheet& s) {
  if (!s.PercentCapable()) return;
  for (int y = 0; y < s.yAxis.count; ++y)
    for (int x = 0; x < s.xAxis.count; ++x) {
      const std::int64_t cell = s.Cell(x, y);
      std::int32_t& abs = s.absolute[Idx(x, y)];
      if (!s.percentMode) {
        abs = static_cast<std::int32_t>(cell);
        continue;
      }
      // A whole percentage is coarser than the stored time: a cell the user
      // did not change keeps its exact time instead of being quantised.
      const std::int32_t base = s.BaseOf(x, y);
      if (cell != PercentOf(abs, base)) abs = Saturate(DivRoundHalfAway(cell * base, 100));
    }
}
