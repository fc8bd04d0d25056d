#include "sheet/Sheet.h"

#include <algorithm>

#include "sheet/ValueText.h"
#include "base/Lang.h"

namespace {

constexpr int kSheetTextGroup = 3;

// The lower bound wins when the bounds cross (too many points for the range).
std::int32_t Limit(std::int64_t v, std::int64_t lo, std::int64_t hi) {
  if (v > hi) v = hi;
  if (v < lo) v = lo;
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}

void ApplyElasticPush(CAxe& a) {
  const int n = std::min<int>(a.count, static_cast<int>(a.values.size()));
  if (n <= 0) return;
  const std::int64_t g = a.minGap;
  auto& v = a.values;
  auto& p = a.previous;
  auto& o = a.saved;
  auto& m = a.pushed;
  auto lo = [&](int j) { return static_cast<std::int64_t>(a.min) + j * g; };
  auto hi = [&](int j) { return static_cast<std::int64_t>(a.max) - (n - 1 - j) * g; };

  int b = -1;
  int changed = 0;
  if (a.lastEdited == -3) {
    b = 0;
    changed = n;
  } else {
    for (int j = 0; j < n; ++j) {
      if (v[j] != p[j]) {
        if (b < 0) b = j;
        ++changed;
      }
    }
  }
  if (b >= 0 && b != a.lastEdited) std::fill(m.begin(), m.end(), 0);

  if (changed == 1) {
    v[b] = Limit(v[b], lo(b), hi(b));
    for (int c = b - 1; c >= 0 && v[c] > static_cast<std::int64_t>(v[c + 1]) - g; --c) {
      if (!m[c]) {
        o[c] = v[c];
        m[c] = 1;
      }
      v[c] = static_cast<std::int32_t>(v[c + 1] - g);
    }
    for (int c = b + 1; c < n && v[c] < static_cast<std::int64_t>(v[c - 1]) + g; ++c) {
      if (!m[c]) {
        o[c] = v[c];
        m[c] = 1;
      }
      v[c] = static_cast<std::int32_t>(v[c - 1] + g);
    }
    // Points pushed earlier in this run of edits spring back toward where they were.
    for (int pass = 0; pass < n; ++pass) {
      for (int k = 0; k < n; ++k) {
        if (!m[k] || k == b) continue;
        if (v[k] < o[k]) {
          const std::int64_t upper = k + 1 < n ? v[k + 1] - g : static_cast<std::int64_t>(a.max);
          const std::int64_t target = std::min<std::int64_t>(o[k], upper);
          if (target > v[k]) v[k] = static_cast<std::int32_t>(target);
        } else if (v[k] > o[k]) {
          const std::int64_t lower = k > 0 ? v[k - 1] + g : static_cast<std::int64_t>(a.min);
          const std::int64_t target = std::max<std::int64_t>(o[k], lower);
          if (target < v[k]) v[k] = static_cast<std::int32_t>(target);
        }
        if (v[k] == o[k]) m[k] = 0;
      }
    }
  } else {
    const int from = b >= 0 ? b : n - 1;
    for (int j = 0; j < n; ++j) v[j] = Limit(v[j], lo(j), hi(j));
    for (int j = from; j >= 1; --j) v[j - 1] = Limit(std::min<std::int64_t>(v[j - 1], v[j] - g), INT32_MIN, INT32_MAX);
    for (int j = 1; j < n; ++j) v[j] = Limit(std::max<std::int64_t>(v[j], v[j - 1] + g), INT32_MIN, INT32_MAX);
  }
  std::copy(v.begin(), v.begin() + n, p.begin());
  if (b >= 0) a.lastEdited = b;
}

}  // namespace

GraduationRecord CAxe::GraduationFor(double span) const {
  if (!numeric || graduations.empty()) return GraduationRecord{0, 1, 1, 1, 1};
  for (const auto& g : graduations) {
    if (g.spanLimit >= span) return g;
  }
  return graduations.back();
}

int CAxe::RuleIndex() const {
  if (count <= 0) return 0;
  switch (fixedIndexRule) {
    case -2:
      return count - 1;
    case -3:
      return count / 2;
    default:
      return fixedIndexRule >= 0 ? std::min(fixedIndexRule, count - 1) : 0;
  }
}

CAxe& CSheet::Axis(int which) {
  if (which == kPartX) return xAxis;
  if (which == kPartY) return yAxis;
  return dataAxis;
}

const CAxe& CSheet::Axis(int which) const { return const_cast<CSheet*>(this)->Axis(which); }

std::int32_t CSheet::BaseOf(int x, int y) const {
  if (cellBase.empty()) return 1;
  const std::int32_t b = cellBase[static_cast<std::size_t>(y * kCellStride + x)];
  return b == 0 ? 1 : b;
}

bool CSheet::EntryEditable(SheetEntry e) const {
  if (e.IsCell()) return dataAxis.editable && e.x < xAxis.count && e.y < yAxis.count;
  if (e.IsXPoint()) return xAxis.editable && e.x < xAxis.count;
  if (e.IsYPoint()) return yAxis.editable && e.y < yAxis.count;
  return false;
}

std::int32_t& CSheet::ValueOf(SheetEntry e) {
  if (e.IsCell()) return Cell(e.x, e.y);
  if (e.IsXPoint()) return xAxis.values[static_cast<std::size_t>(e.x)];
  return yAxis.values[static_cast<std::size_t>(e.y)];
}

std::int32_t CSheet::ValueOf(SheetEntry e) const { return const_cast<CSheet*>(this)->ValueOf(e); }

std::string AxisValueText(const CAxe& axis, std::int32_t raw) {
  std::string text = FormatShownValue(raw, axis.scale, axis.displayQuantum);
  if (axis.showUnit && !axis.unit.empty()) text += " " + axis.unit;
  return text;
}

std::string CSheet::EntryText(SheetEntry e) const { return EntryText(e, ValueOf(e)); }

std::string CSheet::EntryText(SheetEntry e, std::int32_t v) const {
  if (e.IsCell()) {
    if (ShowsPercent()) return FormatShownValue(v, 1.0);
    return AxisValueText(dataAxis, v);
  }
  const CAxe& axis = e.IsXPoint() ? xAxis : yAxis;
  if (axis.namedValues) return std::string(LookupTextById(kSheetTextGroup, v));
  return AxisValueText(axis, v);
}

std::string CSheet::EntryEditText(SheetEntry e) const {
  // Without the quantum, so committing an untouched text keeps the exact value.
  if (e.IsCell() && ShowsPercent()) return FormatEditValue(Cell(e.x, e.y), 1.0);
  const CAxe& axis = e.IsCell() ? dataAxis : (e.IsXPoint() ? xAxis : yAxis);
  return FormatEditValue(ValueOf(e), axis.scale);
}

bool CSheet::ParseInto(SheetEntry e, std::string_view text) {
  std::int32_t raw = 0;
  const double scale = e.IsCell() ? (ShowsPercent() ? 1.0 : dataAxis.scale) : Axis(PartOf(e)).scale;
  if (!ParseShownValue(text, scale, raw)) return false;
  ValueOf(e) = raw;
  return true;
}

void CSheet::UpdateFixedIndices() {
  xAxis.fixedIndex = xAxis.RuleIndex();
  yAxis.fixedIndex = yAxis.RuleIndex();
}

void AllocateSheetArrays(CSheet& sheet) {
  auto sizeAxis = [](CAxe& a, int n, bool elastic) {
    a.values.assign(static_cast<std::size_t>(n), 0);
    if (elastic) {
      a.previous.assign(static_cast<std::size_t>(n), 0);
      a.saved.assign(static_cast<std::size_t>(n), 0);
      a.pushed.assign(static_cast<std::size_t>(n), 0);
    }
  };
  sizeAxis(sheet.xAxis, kMaxXPoints, true);
  sizeAxis(sheet.yAxis, kMaxYPoints, true);
  sizeAxis(sheet.dataAxis, kMaxCells, false);
  if (sheet.flags & kSheetPercent) {
    sheet.baseData.assign(kMaxCells, 0);
    sheet.baseX.assign(kMaxXPoints, 0);
    sheet.baseY.assign(kMaxYPoints, 0);
    sheet.cellBase.assign(kMaxCells, 0);
    sheet.absolute.assign(kMaxCells, 0);
  }
}

void ApplySheetAxisRules(CSheet& sheet, int parts) {
  if (parts & kPartResetElastic) {
    if (parts & kPartX) sheet.xAxis.lastEdited = -3;
    if (parts & kPartY) sheet.yAxis.lastEdited = -3;
  }
  if ((parts & kPartX) && !sheet.xAxis.previous.empty()) ApplyElasticPush(sheet.xAxis);
  if ((parts & kPartY) && !sheet.yAxis.previous.empty()) ApplyElasticPush(sheet.yAxis);
  if ((parts & kPartData) && !sheet.dataAxis.values.empty()) {
    const auto& d = sheet.dataAxis;
    for (int y = 0; y < sheet.yAxis.count; ++y) {
      for (int x = 0; x < sheet.xAxis.count; ++x) {
        std::int32_t& c = sheet.Cell(x, y);
        c = Limit(c, d.min, std::max(d.min, d.max));
      }
    }
  }
  sheet.UpdateFixedIndices();
}
