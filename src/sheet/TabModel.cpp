#include "sheet/TabModel.h"

#include <algorithm>
#include <limits>

#include "sheet/LivePoint.h"
#include "sheet/SheetText.h"
#include "sheet/ValueText.h"
#include "base/Lang.h"

namespace {

std::string Truncated(std::string_view text, std::size_t n) { return std::string(text.substr(0, n)); }

std::int32_t Saturate(std::int64_t v) {
  return static_cast<std::int32_t>(
      std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

bool ShowsInjection(const CSheet& sheet) { return sheet.dataAxis.shortName.find("INJ") != std::string::npos; }

}  // namespace

CTabModel::CTabModel(std::uint32_t options) : m_options(options) {}

int CTabModel::DefineSheet(std::string_view title, std::string_view xLabel, std::string_view yLabel,
                           std::string_view dataLabel, int xMax, int yMax, std::uint32_t sheetFlags) {
  if (m_count >= kMaxSheets) return -1;
  const int index = m_count++;
  CSheet& s = Sheet(index);
  s = CSheet{};
  s.flags = sheetFlags;
  AllocateSheetArrays(s);
  SetSheetTitle(index, title);
  s.xAxis.label = Truncated(xLabel, kLabelMaxChars);
  s.yAxis.label = Truncated(yLabel, kLabelMaxChars);
  s.dataAxis.label = Truncated(dataLabel, kLabelMaxChars);
  s.xAxis.showUnit = 1;
  s.yAxis.showUnit = 1;
  s.dataAxis.showUnit = 0;
  // At least one point: an empty axis would leave nothing to show or edit.
  s.xAxis.maxCount = s.xAxis.count = std::clamp(xMax, 1, kMaxXPoints);
  s.yAxis.maxCount = s.yAxis.count = std::clamp(yMax, 1, kMaxYPoints);
  ApplyAxisRules(index, kPartAll | kPartResetElastic);
  return index;
}

void CTabModel::DefineAxis(int sheet, int which, const char* shortName, const char* unit, std::int32_t min,
                           std::int32_t max, double scale, std::int32_t step,
                           std::span<const GraduationRecord> graduations, int editable, int axisFlags, int minCount,
                           int count, int collapseOption, int collapsed, int insertAllowed, int fixedIndexRule,
                           std::uint32_t groupMask, TColor colour, const void* background) {
  if (!ValidSheet(sheet)) return;
  CSheet& s = Sheet(sheet);
  for (int part : {kPartX, kPartY, kPartData}) {
    if (!(which & part)) continue;
    CAxe& a = s.Axis(part);
    if (shortName) a.shortName = Truncated(shortName, kShortTextMaxChars);
    if (unit) a.unit = Truncated(unit, kShortTextMaxChars);
    a.min = min;
    a.max = max;
    a.scale = scale;
    a.graduations.clear();
    for (const auto& g : graduations) {
      if (g.s2 == 0 || static_cast<int>(a.graduations.size()) >= kMaxGraduations) break;
      a.graduations.push_back(g);
    }
    a.editable = editable;
    a.fixedGraphRange = (axisFlags & 2) ? 1 : 0;
    a.groupMask = groupMask;
    a.colour = colour;
    a.background = background;
    if (part == kPartData) {
      a.numeric = 1;
      continue;
    }
    a.numeric = (axisFlags & 1) ? 1 : 0;
    a.minGap = std::max<std::int32_t>(0, step);
    a.minCount = std::min(minCount <= 0 ? 1 : minCount, a.maxCount);
    a.count = std::clamp(count, a.minCount, a.maxCount);
    a.collapseOption = collapseOption;
    a.collapsed = collapsed;
    a.insertAllowed = insertAllowed;
    a.fixedIndexRule = fixedIndexRule;
  }
  s.UpdateFixedIndices();
}

int CTabModel::MeasureTab(std::string_view text) const {
  if (m_measure) return m_measure(text);
  return static_cast<int>(Utf8Length(text)) * 7;
}

void CTabModel::SetSheetTitle(int sheet, std::string_view title) {
  if (!ValidSheet(sheet)) return;
  CSheet& s = Sheet(sheet);
  s.title = Truncated(title, kTitleMaxChars);
  int widest = 0;
  for (int lang = 0; lang < kLanguageCount; ++lang)
    widest = std::max(widest, MeasureTab(SheetTitleText(s.title, lang)));
  s.tabWidth = widest + 15;
}

void CTabModel::SelectSheet(int sheet) {
  if (!ValidSheet(sheet)) return;
  m_fill = FillDragState{};
  if (sheet != m_active) m_previous = m_active;
  m_active = sheet;
  Reselect();
  Notify();
}

void CTabModel::Reselect() {
  CSheet* s = Active();
  if (!s) return;
  s->UpdateFixedIndices();
  RequestRedraw(kRedraw | kRelayout);
  UpdateLiveCell();
}

bool CTabModel::SelectNextSheet(int direction) {
  if (m_count < 2 || direction == 0) return false;
  int i = m_active < 0 ? 0 : m_active;
  for (int n = 0; n < m_count; ++n) {
    i = ((i + (direction > 0 ? 1 : -1)) % m_count + m_count) % m_count;
    if (i == m_active) return false;
    if (!Sheet(i).hidden) {
      SelectSheet(i);
      return true;
    }
  }
  return false;
}

bool CTabModel::SelectPreviouslyActive() {
  if (!ValidSheet(m_previous) || m_previous == m_active || Sheet(m_previous).hidden) return false;
  SelectSheet(m_previous);
  return true;
}

void CTabModel::ClampMarkers(const CSheet& s) {
  if (s.xAxis.label != "RPM") return;
  if (s.flags & kSheetBaseAdvanceMarker)
    m_markers.baseAdvance = std::clamp(m_markers.baseAdvance, s.dataAxis.min, std::max(s.dataAxis.min, s.dataAxis.max));
  if (s.flags & kSheetLimiter2Marker)
    m_markers.limiter2 = std::clamp(m_markers.limiter2, s.xAxis.min, std::max(s.xAxis.min, s.xAxis.max));
  if (s.flags & kSheetLimiter1Marker)
    m_markers.limiter1 = std::clamp(m_markers.limiter1, s.xAxis.min, std::max(s.xAxis.min, s.xAxis.max));
}

void CTabModel::ApplyAxisRules(int sheet, int parts) {
  if (!ValidSheet(sheet)) return;
  ClampMarkers(Sheet(sheet));
  ApplySheetAxisRules(Sheet(sheet), parts);
}

void CTabModel::LoadSheet(int sheet, const MapGrid& grid) {
  if (!ValidSheet(sheet)) return;
  CSheet& s = Sheet(sheet);
  s.xAxis.count = std::clamp(grid.Columns(), s.xAxis.minCount, s.xAxis.maxCount);
  s.yAxis.count = std::clamp(grid.Rows(), s.yAxis.minCount, s.yAxis.maxCount);
  const int cols = std::min(grid.Columns(), s.xAxis.count);
  const int rows = std::min(grid.Rows(), s.yAxis.count);
  for (int x = 0; x < cols; ++x)
    s.xAxis.values[static_cast<std::size_t>(x)] = grid.columnAxis[static_cast<std::size_t>(x)];
  for (int y = 0; y < rows; ++y)
    s.yAxis.values[static_cast<std::size_t>(y)] = grid.rowAxis[static_cast<std::size_t>(y)];
  if (grid.values.size() >= static_cast<std::size_t>(grid.Columns()) * static_cast<std::size_t>(grid.Rows())) {
    for (int y = 0; y < rows; ++y)
      for (int x = 0; x < cols; ++x) s.Cell(x, y) = grid.At(y, x);
  }
  ApplyAxisRules(sheet, kPartAll | kPartResetElastic);
  if (s.PercentCapable()) {
    s.absolute = s.dataAxis.values;
    ComputeCellBase(s);
    ShownFromAbsolute(s);
  }
  if (sheet == m_active) RequestRedraw(kRedraw | kRelayout);
}

void CTabModel::SetView(int requested) {
  m_view.requested = EffectiveView(m_options, requested);
  RequestRedraw(kRedraw | kRelayout);
}

MapGrid CTabModel::StoreSheet(int sheet) const {
  MapGrid grid;
  if (!ValidSheet(sheet)) return grid;
  const CSheet& s = Sheet(sheet);
  grid.Resize(s.yAxis.count, s.xAxis.count);
  for (int x = 0; x < s.xAxis.count; ++x)
    grid.columnAxis[static_cast<std::size_t>(x)] = s.xAxis.values[static_cast<std::size_t>(x)];
  for (int y = 0; y < s.yAxis.count; ++y)
    grid.rowAxis[static_cast<std::size_t>(y)] = s.yAxis.values[static_cast<std::size_t>(y)];
  const auto& cells = s.PercentCapable() ? s.absolute : s.dataAxis.values;
  for (int y = 0; y < s.yAxis.count; ++y)
    for (int x = 0; x < s.xAxis.count; ++x) grid.At(y, x) = cells[static_cast<std::size_t>(y * kCellStride + x)];
  return grid;
}

void CTabModel::ReportChange(int parts, int key) {
  if (key == CloseEdit && m_pendingKey != OpenEdit) return;
  m_pendingParts |= parts & kPartAll;
  if (Active()) ApplyAxisRules(m_active, parts);
  if (key != m_pendingKey && m_pendingKey != 0) {
    if (key == OpenEdit) {
      // Commit the pending run first so the edit that opens now keeps its own gate.
      Commit();
    } else {
      key = 0;
    }
  }
  if (key != 0) m_deadline = m_tick + 5;
  m_pendingKey = key;
  if (key == 0) Commit();
  if (m_pendingKey == CloseEdit) m_pendingKey = 0;
}

void CTabModel::Commit() {
  if (m_pendingParts != 0) {
    CSheet* s = Active();
    if (s && s->PercentCapable()) AbsoluteFromShown(*s);
    PublishMarkers();
    Notify();
    if (s && s->PercentCapable() && (m_pendingParts & (kPartX | kPartY))) ComputeCellBase(*s);
  }
  m_pendingParts = 0;
  m_pendingKey = 0;
  m_deadline = 0;
}

void CTabModel::Tick() {
  ++m_tick;
  if (m_tick & 2) UpdateLiveCell();
  if (m_pendingParts != 0 && m_tick >= m_deadline) Commit();
}

void CTabModel::UpdateLiveCell() {
  CSheet* s = Active();
  if (!s) return;
  const LiveCell before = LiveCellOf(*s);
  const LiveCell now = EvaluateLiveCell(*s, m_live);
  StoreLiveCell(*s, now);
  const bool temperatures = m_live.coolantTemperature != m_liveCoolant || m_live.airTemperature != m_liveAir;
  m_liveCoolant = m_live.coolantTemperature;
  m_liveAir = m_live.airTemperature;
  const bool moved = now.x != before.x || now.y != before.y || now.kind != before.kind;
  if (moved && now.kind != 0 && m_autoscroll && *m_autoscroll) m_reveal = {now.x, now.y};
  // The 2D graph, also the one beside the table, draws lines at the temperatures.
  if (!(now == before) || (s->xAxis.namedValues && temperatures)) RequestRedraw(kRedraw);
}

void CTabModel::Notify() {
  if (m_onSheetChanged) m_onSheetChanged(*this);
}

void CTabModel::TakeMarkerValues() {
  if (!m_owner) return;
  const CSheet* s = Active();
  m_markers.baseAdvance = m_owner->baseAdvance;
  m_markers.limiter1 = m_owner->firstLimiter / 100;
  m_markers.limiter2 = (s && ShowsInjection(*s) ? m_owner->injectionLimiter : m_owner->secondLimiter) / 100;
}

void CTabModel::PublishMarkers() {
  if (!m_owner) return;
  const CSheet* s = Active();
  bool changed = false;
  auto put = [&](std::int32_t& field, std::int32_t value) {
    if (field != value) changed = true;
    field = value;
  };
  put(m_owner->baseAdvance, m_markers.baseAdvance);
  put(m_owner->firstLimiter, Saturate(static_cast<std::int64_t>(m_markers.limiter1) * 100));
  put(s && ShowsInjection(*s) ? m_owner->injectionLimiter : m_owner->secondLimiter,
      Saturate(static_cast<std::int64_t>(m_markers.limiter2) * 100));
  if (changed) m_owner->sheetControlsFlag |= 2;
}

SheetEntry CTabModel::TakeRevealRequest() {
  const SheetEntry e = m_reveal;
  m_reveal = {-2, -2};
  return e;
}

bool CTabModel::CommitEntryText(SheetEntry e, std::string_view text) {
  CSheet* s = Active();
  if (!s || !s->EntryEditable(e)) return false;
  if (!s->ParseInto(e, text)) return false;
  ReportChange(CSheet::PartOf(e), 0);
  RequestRedraw(kRedraw);
  return true;
}

bool CTabModel::FastRepeat(SheetEntry e) const {
  const CSheet* s = Active();
  if (!s) return false;
  const std::uint32_t bit = e.IsCell() ? kSheetFastRepeatData : (e.IsXPoint() ? kSheetFastRepeatX : kSheetFastRepeatY);
  return (s->flags & bit) != 0;
}

int CTabModel::SpinnerRepeatStep(int ticksSincePress, bool fastRepeat) {
  if (ticksSincePress < 6) return 0;
  if (ticksSincePress < 26 || !fastRepeat) return 1;
  return (ticksSincePress - 26) % 2 == 0 ? 10 : 0;
}

bool CTabModel::SpinnerStep(SheetEntry e, int step) {
  CSheet* s = Active();
  if (!s || step == 0 || !s->EntryEditable(e)) return false;
  const int part = CSheet::PartOf(e);
  if (IsSelected(*s, e) && SelectionPart(*s) == part) {
    const TSel& sel = s->selection;
    if (part == kPartData) {
      for (int y = sel.box.y0; y <= sel.box.y1; ++y)
        for (int x = sel.box.x0; x <= sel.box.x1; ++x)
          if (IsSelected(*s, {x, y}))
            s->Cell(x, y) = Saturate(s->Cell(x, y) + static_cast<std::int64_t>(DataStep(*s, x, y, step)));
    } else {
      CAxe& a = s->Axis(part);
      for (int i = 0; i < a.count; ++i) {
        const SheetEntry p = part == kPartX ? SheetEntry{i, -1} : SheetEntry{-1, i};
        if (IsSelected(*s, p))
          a.values[static_cast<std::size_t>(i)] =
              Saturate(a.values[static_cast<std::size_t>(i)] + static_cast<std::int64_t>(step));
      }
    }
    const int kind = part == kPartData ? kKeyCellSelection : (part == kPartX ? kKeyXSelection : kKeyYSelection);
    ReportChange(part, MakeChangeKey(kind, sel.count));
  } else {
    const std::int64_t delta = e.IsCell() ? DataStep(*s, e.x, e.y, step) : step;
    s->ValueOf(e) = Saturate(s->ValueOf(e) + delta);
    const int key = e.IsCell() ? MakeChangeKey(kKeyCell, e.y * kCellStride + e.x)
                               : (e.IsXPoint() ? MakeChangeKey(kKeyXPoint, e.x) : MakeChangeKey(kKeyYPoint, e.y));
    ReportChange(part, key);
  }
  RequestRedraw(kRedraw);
  return true;
}

bool CTabModel::BeginFillDrag(int mode) {
  CSheet* s = Active();
  if (!s || (mode != kFillExtrapolate && mode != kFillMove) || !SelectionEditable(*s)) return false;
  m_fill = FillDragState{};
  m_fill.mode = mode;
  m_fill.part = SelectionPart(*s);
  m_fill.start = s->selection.box;
  m_fill.target = m_fill.start;
  m_fill.source = s->Axis(m_fill.part).values;
  return true;
}

void CTabModel::UpdateFillDrag(int columns, int rows) {
  const CSheet* s = Active();
  if (!s || m_fill.mode == kFillNone) return;
  const SheetRect t = FillDragTarget(*s, m_fill.start, m_fill.mode, columns, rows);
  if (!(t == m_fill.target)) RequestRedraw(kRedraw);
  m_fill.target = t;
}

bool CTabModel::FinishFillDrag() {
  CSheet* s = Active();
  if (!s || m_fill.mode == kFillNone) return false;
  FillDragState f = std::move(m_fill);
  m_fill = FillDragState{};
  if (!s->Axis(f.part).editable) return false;
  ReportChange(0, OpenEdit);
  ApplyFillDrag(*s, f.source, f.start, f.target, f.mode);
  SelectRect(*s, f.target);
  ReportChange(f.part, 0);
  RequestRedraw(kRedraw);
  return true;
}
