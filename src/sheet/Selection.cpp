#include "sheet/Selection.h"

#include <algorithm>
#include <limits>

namespace {

int KindOfMode(int mode) {
  if (mode == kSelModeXHeader) return kSelXPoints;
  if (mode == kSelModeYHeader) return kSelYPoints;
  return kSelCells;
}

int KindOfEntry(SheetEntry e) { return e.IsCell() ? kSelCells : (e.IsXPoint() ? kSelXPoints : kSelYPoints); }

int ModeOfEntry(SheetEntry e) {
  return e.IsCell() ? kSelModeCells : (e.IsXPoint() ? kSelModeXHeader : kSelModeYHeader);
}

std::uint16_t* MarkPtr(TSel& s, SheetEntry e) {
  if (e.IsCell()) {
    if (e.x >= kMaxXPoints || e.y >= kMaxYPoints) return nullptr;
    return &s.cellMarks[static_cast<std::size_t>(e.y * kCellStride + e.x)];
  }
  if (e.IsXPoint()) return e.x < kMaxXPoints ? &s.xMarks[static_cast<std::size_t>(e.x)] : nullptr;
  if (e.IsYPoint()) return e.y < kMaxYPoints ? &s.yMarks[static_cast<std::size_t>(e.y)] : nullptr;
  return nullptr;
}

void ClearMarkBits(TSel& s, std::uint16_t bits) {
  const std::uint16_t keep = static_cast<std::uint16_t>(~bits);
  for (auto& m : s.xMarks) m &= keep;
  for (auto& m : s.yMarks) m &= keep;
  for (auto& m : s.cellMarks) m &= keep;
}

// Marks every entry of the rectangle between a and b with `bits`; the kind of a decides.
void MarkSpan(CSheet& sheet, SheetEntry a, SheetEntry b, int mode, std::uint16_t bits) {
  TSel& s = sheet.selection;
  if (mode == kSelModeXHeader) {
    const int lo = std::max(0, std::min(a.x, b.x));
    const int hi = std::min(sheet.xAxis.count - 1, std::max(a.x, b.x));
    for (int x = lo; x <= hi; ++x) s.xMarks[static_cast<std::size_t>(x)] |= bits;
    return;
  }
  if (mode == kSelModeYHeader) {
    const int lo = std::max(0, std::min(a.y, b.y));
    const int hi = std::min(sheet.yAxis.count - 1, std::max(a.y, b.y));
    for (int y = lo; y <= hi; ++y) s.yMarks[static_cast<std::size_t>(y)] |= bits;
    return;
  }
  int x0 = std::min(a.x, b.x), x1 = std::max(a.x, b.x);
  int y0 = std::min(a.y, b.y), y1 = std::max(a.y, b.y);
  if (mode == kSelModeColumns) {
    y0 = sheet.FirstUsedRow();
    y1 = sheet.LastUsedRow();
  } else if (mode == kSelModeRows) {
    x0 = sheet.FirstUsedColumn();
    x1 = sheet.LastUsedColumn();
  }
  x0 = std::max(x0, sheet.FirstUsedColumn());
  x1 = std::min(x1, sheet.LastUsedColumn());
  y0 = std::max(y0, sheet.FirstUsedRow());
  y1 = std::min(y1, sheet.LastUsedRow());
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) s.cellMarks[static_cast<std::size_t>(y * kCellStride + x)] |= bits;
}

Coverage CoverageOf(int selected, int total) {
  if (selected == 0 || total == 0) return Coverage::kNone;
  return selected >= total ? Coverage::kAll : Coverage::kPart;
}

int Wrap(int i, int n) { return ((i % n) + n) % n; }

// Positions the cursor can take along one direction, in order.
std::vector<int> Stops(int first, int last, bool withHeader) {
  std::vector<int> v;
  if (withHeader) v.push_back(-1);
  for (int i = first; i <= last; ++i) v.push_back(i);
  return v;
}

int StepThrough(const std::vector<int>& stops, int cur, int delta) {
  if (stops.empty()) return cur;
  auto it = std::find(stops.begin(), stops.end(), cur);
  int idx = 0;
  if (it != stops.end()) {
    idx = static_cast<int>(it - stops.begin());
  } else {
    // Off the list (a collapsed axis): land on the nearest stop.
    idx = cur < stops.front() ? 0 : static_cast<int>(stops.size()) - 1;
    if (delta != 0) return stops[static_cast<std::size_t>(idx)];
  }
  return stops[static_cast<std::size_t>(Wrap(idx + delta, static_cast<int>(stops.size())))];
}

// Where a Shift move may put the corner: the anchor's kind fixes the header coordinate.
SheetEntry ClampCorner(const CSheet& sheet, SheetEntry anchor, SheetEntry c) {
  if (anchor.IsXPoint()) return {std::clamp(c.x, 0, std::max(0, sheet.xAxis.count - 1)), -1};
  if (anchor.IsYPoint()) return {-1, std::clamp(c.y, 0, std::max(0, sheet.yAxis.count - 1))};
  return {std::clamp(c.x, sheet.FirstUsedColumn(), sheet.LastUsedColumn()),
          std::clamp(c.y, sheet.FirstUsedRow(), sheet.LastUsedRow())};
}

bool MoveTo(CSheet& sheet, SheetEntry target, bool shift) {
  TSel& s = sheet.selection;
  if (shift) {
    const SheetEntry anchor = s.anchor;
    const SheetEntry corner = ClampCorner(sheet, anchor, target);
    if (corner == s.corner && HasSelection(sheet)) return false;
    SelectSpan(sheet, anchor, corner);
    return true;
  }
  if (target.x < 0 && target.y < 0) return false;
  SelectOnly(sheet, target);
  return true;
}

std::int32_t Saturate(std::int64_t v) {
  return static_cast<std::int32_t>(
      std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

std::uint16_t MarksOf(const CSheet& sheet, SheetEntry e) {
  const std::uint16_t* p = MarkPtr(const_cast<TSel&>(sheet.selection), e);
  return p ? *p : 0;
}

bool IsSelected(const CSheet& sheet, SheetEntry e) { return (MarksOf(sheet, e) & kMarkSelected) != 0; }

bool HasSelection(const CSheet& sheet) { return sheet.selection.kind != kSelNone && sheet.selection.count > 0; }

void ClearSelection(CSheet& sheet) {
  TSel& s = sheet.selection;
  s.xMarks.fill(0);
  s.yMarks.fill(0);
  s.cellMarks.fill(0);
  s.kind = kSelNone;
  s.count = 0;
  s.rect = 0;
  s.mode = 0;
  s.drag &= static_cast<std::uint8_t>(~1u);
  s.box = SheetRect{};
}

void BeginSelection(CSheet& sheet, SelectionMode mode, SheetEntry at, bool shift, bool ctrl) {
  TSel& s = sheet.selection;
  const int kind = KindOfMode(mode);
  const bool otherKind = s.kind != kSelNone && s.kind != kind;
  if (mode == kSelModeColumns) at.y = sheet.FirstUsedRow();
  if (mode == kSelModeRows) at.x = sheet.FirstUsedColumn();
  if (otherKind || shift == ctrl) {
    ClearSelection(sheet);
    s.anchor = at;
  } else if (ctrl || s.kind == kSelNone || KindOfEntry(s.anchor) != kind) {
    // Ctrl starts a rectangle of its own; so does Shift with nothing to extend from.
    s.anchor = at;
  }
  s.mode = mode;
  s.drag |= 1;
  DragSelection(sheet, at);
}

void DragSelection(CSheet& sheet, SheetEntry at) {
  TSel& s = sheet.selection;
  const int mode = s.mode ? s.mode : ModeOfEntry(s.anchor);
  if (mode == kSelModeColumns) at.y = sheet.LastUsedRow();
  if (mode == kSelModeRows) at.x = sheet.LastUsedColumn();
  ClearMarkBits(s, kMarkInRect);
  MarkSpan(sheet, s.anchor, at, mode, kMarkInRect);
  s.corner = at;
}

void CompleteSelection(CSheet& sheet) {
  TSel& s = sheet.selection;
  auto settle = [](auto& marks) {
    for (auto& m : marks) {
      if (m & kMarkInRect) m |= kMarkSelected;
      m &= static_cast<std::uint16_t>(~(kMarkInRect | kMarkCorner));
    }
  };
  settle(s.xMarks);
  settle(s.yMarks);
  settle(s.cellMarks);
  s.mode = 0;
  s.drag &= static_cast<std::uint8_t>(~1u);
  s.rect = 0;

  int cells = 0, xs = 0, ys = 0;
  SheetRect cb{kMaxXPoints, kMaxYPoints, -1, -1}, xb{kMaxXPoints, -1, -1, -1}, yb{-1, kMaxYPoints, -1, -1};
  for (int y = 0; y < sheet.yAxis.count; ++y)
    for (int x = 0; x < sheet.xAxis.count; ++x)
      if (s.cellMarks[static_cast<std::size_t>(y * kCellStride + x)] & kMarkSelected) {
        ++cells;
        cb = {std::min(cb.x0, x), std::min(cb.y0, y), std::max(cb.x1, x), std::max(cb.y1, y)};
      }
  for (int x = 0; x < sheet.xAxis.count; ++x)
    if (s.xMarks[static_cast<std::size_t>(x)] & kMarkSelected) {
      ++xs;
      xb.x0 = std::min(xb.x0, x);
      xb.x1 = std::max(xb.x1, x);
    }
  for (int y = 0; y < sheet.yAxis.count; ++y)
    if (s.yMarks[static_cast<std::size_t>(y)] & kMarkSelected) {
      ++ys;
      yb.y0 = std::min(yb.y0, y);
      yb.y1 = std::max(yb.y1, y);
    }

  if (cells > 0) {
    s.kind = kSelCells;
    s.count = cells;
    s.box = cb;
    const int w = cb.x1 - cb.x0 + 1, h = cb.y1 - cb.y0 + 1;
    if (cells == w * h && (w >= 3 || h >= 3)) {
      s.rect = 1;
      s.x0 = cb.x0;
      s.x1 = cb.x1;
      s.y0 = cb.y0;
      s.y1 = cb.y1;
      for (int y : {cb.y0, cb.y1})
        for (int x : {cb.x0, cb.x1}) s.cellMarks[static_cast<std::size_t>(y * kCellStride + x)] |= kMarkCorner;
    }
  } else if (xs > 0) {
    s.kind = kSelXPoints;
    s.count = xs;
    s.box = xb;
    if (xs == xb.x1 - xb.x0 + 1 && xs >= 3) {
      s.rect = 1;
      s.x0 = xb.x0;
      s.x1 = xb.x1;
      s.y0 = s.y1 = -1;
      s.xMarks[static_cast<std::size_t>(xb.x0)] |= kMarkCorner;
      s.xMarks[static_cast<std::size_t>(xb.x1)] |= kMarkCorner;
    }
  } else if (ys > 0) {
    s.kind = kSelYPoints;
    s.count = ys;
    s.box = yb;
    if (ys == yb.y1 - yb.y0 + 1 && ys >= 3) {
      s.rect = 1;
      s.y0 = yb.y0;
      s.y1 = yb.y1;
      s.x0 = s.x1 = -1;
      s.yMarks[static_cast<std::size_t>(yb.y0)] |= kMarkCorner;
      s.yMarks[static_cast<std::size_t>(yb.y1)] |= kMarkCorner;
    }
  } else {
    s.kind = kSelNone;
    s.count = 0;
    s.box = SheetRect{};
  }
}

void SelectSpan(CSheet& sheet, SheetEntry anchor, SheetEntry corner) {
  ClearSelection(sheet);
  TSel& s = sheet.selection;
  s.anchor = anchor;
  s.corner = corner;
  MarkSpan(sheet, anchor, corner, ModeOfEntry(anchor), kMarkInRect);
  CompleteSelection(sheet);
}

void SelectOnly(CSheet& sheet, SheetEntry e) { SelectSpan(sheet, e, e); }

void SelectRect(CSheet& sheet, const SheetRect& r) { SelectSpan(sheet, {r.x0, r.y0}, {r.x1, r.y1}); }

void SelectAllCells(CSheet& sheet) {
  SelectSpan(sheet, {sheet.FirstUsedColumn(), sheet.FirstUsedRow()}, {sheet.LastUsedColumn(), sheet.LastUsedRow()});
}

void SelectAllXPoints(CSheet& sheet) { SelectSpan(sheet, {0, -1}, {sheet.xAxis.count - 1, -1}); }

void SelectAllYPoints(CSheet& sheet) { SelectSpan(sheet, {-1, 0}, {-1, sheet.yAxis.count - 1}); }

void ToggleAllCells(CSheet& sheet) {
  if (TableCoverage(sheet) == Coverage::kAll && sheet.selection.kind == kSelCells)
    ClearSelection(sheet);
  else
    SelectAllCells(sheet);
}

void ContextSelect(CSheet& sheet, SelectionMode mode, SheetEntry at) {
  if (sheet.selection.drag & 1) CompleteSelection(sheet);
  if (mode == kSelModeColumns) {
    if (ColumnCoverage(sheet, at.x) != Coverage::kAll)
      SelectSpan(sheet, {at.x, sheet.FirstUsedRow()}, {at.x, sheet.LastUsedRow()});
    return;
  }
  if (mode == kSelModeRows) {
    if (RowCoverage(sheet, at.y) != Coverage::kAll)
      SelectSpan(sheet, {sheet.FirstUsedColumn(), at.y}, {sheet.LastUsedColumn(), at.y});
    return;
  }
  if (!IsSelected(sheet, at)) SelectOnly(sheet, at);
}

Coverage ColumnCoverage(const CSheet& sheet, int x) {
  if (!sheet.ColumnUsed(x)) return Coverage::kNone;
  int n = 0, total = 0;
  for (int y = sheet.FirstUsedRow(); y <= sheet.LastUsedRow(); ++y, ++total)
    if (IsSelected(sheet, {x, y})) ++n;
  return CoverageOf(n, total);
}

Coverage RowCoverage(const CSheet& sheet, int y) {
  if (!sheet.RowUsed(y)) return Coverage::kNone;
  int n = 0, total = 0;
  for (int x = sheet.FirstUsedColumn(); x <= sheet.LastUsedColumn(); ++x, ++total)
    if (IsSelected(sheet, {x, y})) ++n;
  return CoverageOf(n, total);
}

Coverage AxisCoverage(const CSheet& sheet, int which) {
  int n = 0;
  const int total = which == kPartX ? sheet.xAxis.count : sheet.yAxis.count;
  for (int i = 0; i < total; ++i)
    if (IsSelected(sheet, which == kPartX ? SheetEntry{i, -1} : SheetEntry{-1, i})) ++n;
  return CoverageOf(n, total);
}

Coverage TableCoverage(const CSheet& sheet) {
  int n = 0, total = 0;
  for (int y = sheet.FirstUsedRow(); y <= sheet.LastUsedRow(); ++y)
    for (int x = sheet.FirstUsedColumn(); x <= sheet.LastUsedColumn(); ++x, ++total)
      if (IsSelected(sheet, {x, y})) ++n;
  return CoverageOf(n, total);
}

SheetEntry FirstSelected(const CSheet& sheet) { return {sheet.selection.box.x0, sheet.selection.box.y0}; }

int SelectionPart(const CSheet& sheet) {
  switch (sheet.selection.kind) {
    case kSelCells:
      return kPartData;
    case kSelXPoints:
      return kPartX;
    case kSelYPoints:
      return kPartY;
    default:
      return 0;
  }
}

bool SelectionEditable(const CSheet& sheet) {
  const int part = SelectionPart(sheet);
  return HasSelection(sheet) && part != 0 && sheet.Axis(part).editable != 0;
}

bool MoveCursor(CSheet& sheet, int dx, int dy, bool shift) {
  if (!HasSelection(sheet)) return false;
  const SheetEntry cur = sheet.selection.corner;
  if (shift) return MoveTo(sheet, {cur.x + dx, cur.y + dy}, true);
  SheetEntry next = cur;
  if (dx != 0) {
    const auto stops = Stops(sheet.FirstUsedColumn(), sheet.LastUsedColumn(), !sheet.yAxis.collapsed && cur.y != -1);
    next.x = StepThrough(stops, cur.x, dx);
  }
  if (dy != 0) {
    const auto stops = Stops(sheet.FirstUsedRow(), sheet.LastUsedRow(), !sheet.xAxis.collapsed && next.x != -1);
    next.y = StepThrough(stops, cur.y, dy);
  }
  if (next == cur && IsSelected(sheet, cur) && sheet.selection.count == 1) return false;
  return MoveTo(sheet, next, false);
}

bool MoveCursorToEdge(CSheet& sheet, CursorEdge edge, bool shift) {
  if (!HasSelection(sheet)) return false;
  SheetEntry t = sheet.selection.corner;
  switch (edge) {
    case CursorEdge::kHome:
      t.x = sheet.FirstUsedColumn();
      break;
    case CursorEdge::kEnd:
      t.x = sheet.LastUsedColumn();
      break;
    case CursorEdge::kPageUp:
      t.y = sheet.FirstUsedRow();
      break;
    case CursorEdge::kPageDown:
      t.y = sheet.LastUsedRow();
      break;
  }
  return MoveTo(sheet, t, shift);
}

bool MoveCursorEnter(CSheet& sheet) {
  if (!HasSelection(sheet)) return false;
  const SheetEntry cur = sheet.selection.corner;
  const auto rows = Stops(sheet.FirstUsedRow(), sheet.LastUsedRow(), !sheet.xAxis.collapsed && cur.x != -1);
  auto it = std::find(rows.begin(), rows.end(), cur.y);
  if (it != rows.end() && it + 1 != rows.end()) return MoveTo(sheet, {cur.x, *(it + 1)}, false);
  // Last row: next column, back to the top (the X header row while it exists).
  int x = cur.x + 1;
  if (x > sheet.LastUsedColumn() || x < sheet.FirstUsedColumn()) x = sheet.FirstUsedColumn();
  return MoveTo(sheet, {x, sheet.xAxis.collapsed ? sheet.FirstUsedRow() : -1}, false);
}

SheetRect FillDragTarget(const CSheet& sheet, const SheetRect& start, int mode, int d, int e) {
  int firstX = sheet.FirstUsedColumn(), lastX = sheet.LastUsedColumn();
  int firstY = sheet.FirstUsedRow(), lastY = sheet.LastUsedRow();
  if (start.y0 < 0) {  // X points move along their axis only
    e = 0;
    firstX = 0;
    lastX = sheet.xAxis.count - 1;
    firstY = lastY = -1;
  } else if (start.x0 < 0) {
    d = 0;
    firstY = 0;
    lastY = sheet.yAxis.count - 1;
    firstX = lastX = -1;
  }
  if (firstX == lastX) d = 0;
  if (firstY == lastY) e = 0;
  SheetRect t = start;
  if (mode == kFillExtrapolate) {
    const int mx = start.x1 + d, my = start.y1 + e;
    t = {std::min(start.x0, mx), std::min(start.y0, my), std::max(start.x0, mx), std::max(start.y0, my)};
    t.x0 = std::clamp(t.x0, firstX, lastX);
    t.x1 = std::clamp(t.x1, firstX, lastX);
    t.y0 = std::clamp(t.y0, firstY, lastY);
    t.y1 = std::clamp(t.y1, firstY, lastY);
  } else if (mode == kFillMove) {
    t = {start.x0 + d, start.y0 + e, start.x1 + d, start.y1 + e};
    auto push = [](int& lo, int& hi, int first, int last) {
      if (hi > last) {
        lo -= hi - last;
        hi = last;
      }
      if (lo < first) {
        hi += first - lo;
        lo = first;
      }
    };
    push(t.x0, t.x1, firstX, lastX);
    push(t.y0, t.y1, firstY, lastY);
  }
  return t;
}

void ApplyFillDrag(CSheet& sheet, const std::vector<std::int32_t>& source, const SheetRect& start,
                   const SheetRect& target, int mode) {
  const bool xPoints = start.y0 < 0, yPoints = start.x0 < 0;
  auto src = [&](int i, int j) -> std::int64_t {
    if (xPoints) return source[static_cast<std::size_t>(i)];
    if (yPoints) return source[static_cast<std::size_t>(j)];
    return source[static_cast<std::size_t>(j * kCellStride + i)];
  };
  auto dst = [&](int i, int j) -> std::int32_t& {
    if (xPoints) return sheet.xAxis.values[static_cast<std::size_t>(i)];
    if (yPoints) return sheet.yAxis.values[static_cast<std::size_t>(j)];
    return sheet.Cell(i, j);
  };
  for (int j = target.y0; j <= target.y1; ++j) {
    for (int i = target.x0; i <= target.x1; ++i) {
      if (mode == kFillMove) {
        dst(i, j) = static_cast<std::int32_t>(src(i - target.x0 + start.x0, j - target.y0 + start.y0));
        continue;
      }
      const bool inside = i >= start.x0 && i <= start.x1 && j >= start.y0 && j <= start.y1;
      if (inside) continue;
      const int ci = std::clamp(i, start.x0, start.x1), cj = std::clamp(j, start.y0, start.y1);
      std::int64_t sx = 0, sy = 0;
      if (start.x1 > start.x0) {
        if (i < start.x0) sx = src(start.x0 + 1, cj) - src(start.x0, cj);
        if (i > start.x1) sx = src(start.x1, cj) - src(start.x1 - 1, cj);
      }
      if (start.y1 > start.y0) {
        if (j < start.y0) sy = src(ci, start.y0 + 1) - src(ci, start.y0);
        if (j > start.y1) sy = src(ci, start.y1) - src(ci, start.y1 - 1);
      }
      dst(i, j) = Saturate(src(ci, cj) + (i - ci) * sx + (j - cj) * sy);
    }
  }
}
