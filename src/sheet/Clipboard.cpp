#include "sheet/Clipboard.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

#include "sheet/Selection.h"
#include "sheet/SheetText.h"
#include "sheet/TabModel.h"
#include "sheet/ValueText.h"
#include "base/Lang.h"

namespace {

constexpr int kSheetTextGroup = 3;
// A longer header line is not ours: the header ends there.
constexpr std::size_t kHeaderLineMax = 64;
// A data number above this many times the data max is far outside the map:
// it was written in units a thousand times smaller (microseconds, millivolts).
constexpr double kSmallUnitsAbove = 5.0;

// ---------------------------------------------------------------------------
// Writing

std::string NumberText(std::int32_t raw, double scale) {
  // Spaces and a point whatever the desktop's locale: other copies of the
  // program and spreadsheets read this text.
  std::string t = FormatShownValue(raw, scale, 1.0, NumberFormat{});
  if (CurrentLanguage() == kCzech) std::ranges::replace(t, '.', ',');
  return t;
}

std::string EntryClipText(const CSheet& s, SheetEntry e) {
  if (e.IsCell()) return NumberText(s.Cell(e.x, e.y), s.ShowsPercent() ? 1.0 : s.dataAxis.scale);
  const CAxe& axis = e.IsXPoint() ? s.xAxis : s.yAxis;
  if (axis.namedValues) return s.EntryText(e);
  return NumberText(s.ValueOf(e), axis.scale);
}

// The X points line (a tab before each point, then a line feed) and one line
// per row (the Y point, a tab before each cell), nothing after the last row.
void AppendGrid(std::string& out, const CSheet& s, SheetRect r, bool xLine, bool yPoints) {
  if (xLine) {
    for (int x = r.x0; x <= r.x1; ++x) (out += '\t') += EntryClipText(s, {x, -1});
    out += '\n';
  }
  for (int y = r.y0; y <= r.y1; ++y) {
    if (y > r.y0) out += '\n';
    if (yPoints) out += EntryClipText(s, {-1, y});
    for (int x = r.x0; x <= r.x1; ++x) (out += '\t') += EntryClipText(s, {x, y});
  }
}

std::string DataLabel(const CSheet& s) {
  return s.ShowsPercent() ? s.dataAxis.shortName + "[%]" : s.dataAxis.shortName;
}

// ---------------------------------------------------------------------------
// Reading

std::string AxesText(std::string_view x, std::string_view y, std::string_view data) {
  return std::string(x) + " \u00D7 " + std::string(y) + " \u2192 " + std::string(data);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsNumberChar(char c) { return IsDigit(c) || c == '-' || c == '.' || c == ','; }

// A token of digits with an optional leading "-" and at most one "." as a
// decimal value, of any length: beyond the double range it is an infinity
// (saturated later), never a cut or wrapped number.
std::optional<double> ParseToken(std::string_view t) {
  const bool negative = !t.empty() && t[0] == '-';
  if (negative) t.remove_prefix(1);
  const std::size_t dot = t.find('.');
  if (t.find('-') != std::string_view::npos || (dot != std::string_view::npos && t.find('.', dot + 1) != t.npos))
    return std::nullopt;
  const std::string_view whole = t.substr(0, dot);
  const std::string_view fraction = dot == t.npos ? std::string_view{} : t.substr(dot + 1);
  if (whole.empty() && fraction.empty()) return std::nullopt;

  // value = 0.<digits> x 10^exponent, keeping enough digits for a double.
  constexpr std::size_t kKeep = 40;
  std::string digits;
  long long exponent = 0;
  std::size_t i = whole.find_first_not_of('0');
  if (i != whole.npos) {
    exponent = static_cast<long long>(whole.size() - i);
    digits = whole.substr(i, kKeep);
  }
  if (digits.size() < kKeep) {
    std::size_t j = 0;
    if (digits.empty()) {
      j = std::min(fraction.find_first_not_of('0'), fraction.size());
      exponent = -static_cast<long long>(j);
    }
    digits += fraction.substr(j, kKeep - digits.size());
  }
  if (digits.find_first_not_of('0') == std::string::npos) return 0.0;
  double value = 0;
  if (exponent > 400) {
    value = HUGE_VAL;
  } else if (exponent >= -400) {
    const std::string scientific = "0." + digits + "e" + std::to_string(exponent);
    const auto [ptr, ec] = std::from_chars(scientific.data(), scientific.data() + scientific.size(), value);
    if (ec == std::errc::result_out_of_range)
      value = exponent > 0 ? HUGE_VAL : 0.0;
    else if (ec != std::errc())
      return std::nullopt;
  }
  return negative ? -value : value;
}

// The raw value a pasted number gives for an entry.
std::optional<std::int32_t> PastedRaw(const CSheet& s, SheetEntry e, double value) {
  if (e.IsCell() && s.ShowsPercent()) return RoundHalfAway(value);
  const CAxe& axis = s.Axis(CSheet::PartOf(e));
  if (axis.scale == 0.0 || !std::isfinite(axis.scale)) return std::nullopt;
  double v = value / axis.scale;
  if (e.IsCell() && v > kSmallUnitsAbove * axis.max) v *= 0.001;
  return RoundHalfAway(v);
}

void AddWrite(PastePlan& plan, const CSheet& s, SheetEntry e, std::string_view token) {
  const auto value = ParseToken(token);
  if (!value) return;
  const auto raw = PastedRaw(s, e, *value);
  if (!raw) return;
  plan.writes.push_back({e, *raw});
  plan.parts |= CSheet::PartOf(e);
}

bool AnyPartEditable(const CSheet& s) { return s.xAxis.editable || s.yAxis.editable || s.dataAxis.editable; }

// An integer header value; leading spaces and a sign allowed, the rest ignored.
std::optional<int> ParseCount(std::string_view v) {
  std::size_t i = v.find_first_not_of(' ');
  if (i == v.npos) return std::nullopt;
  const bool negative = v[i] == '-';
  if (v[i] == '-' || v[i] == '+') ++i;
  if (i >= v.size() || !IsDigit(v[i])) return std::nullopt;
  long long n = 0;
  for (; i < v.size() && IsDigit(v[i]); ++i) n = std::min(n * 10 + (v[i] - '0'), 1'000'000'000LL);
  return static_cast<int>(negative ? -n : n);
}

struct LabelledHeader {
  bool xMatch = false;
  bool yMatch = false;
  bool dataMatch = false;
  std::optional<int> sizeX;
  std::optional<int> sizeY;
  bool onlyX = false;
  bool onlyY = false;
  std::size_t gridStart = 0;
  std::string labelX, labelY, labelData;  // as copied, for a refusal's text
};

LabelledHeader ReadHeader(const CSheet& s, std::string_view text) {
  LabelledHeader h;
  std::size_t pos = 0;
  for (;;) {
    const std::size_t lf = text.find('\n', pos);
    if (lf == text.npos) break;
    std::string_view line = text.substr(pos, lf - pos);
    if ((!line.empty() && line[0] == '\t') || line.size() > kHeaderLineMax) break;
    pos = lf + 1;
    // Text that passed through a CR LF conversion still reads.
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::size_t tab = line.find('\t');
    if (tab == line.npos) continue;
    const std::string_view key = line.substr(0, tab), value = line.substr(tab + 1);
    if (key == "LabelX:") {
      h.labelX = value;
      h.xMatch = value == s.xAxis.shortName;
    } else if (key == "LabelY:") {
      h.labelY = value;
      h.yMatch = value == s.yAxis.shortName;
    } else if (key == "LabelData:") {
      h.labelData = value;
      h.dataMatch = value == DataLabel(s);
    } else if (key == "SizeX:")
      h.sizeX = ParseCount(value);
    else if (key == "SizeY:")
      h.sizeY = ParseCount(value);
    else if (key == "OnlyXY:") {
      h.onlyX = value.starts_with('X');
      h.onlyY = value.starts_with('Y');
    }
  }
  h.gridStart = pos;
  return h;
}

// Walks the grid of a paste: number characters build a token, a tab moves one
// column, a line feed one row (back to `firstColumn`), everything else is
// skipped without ending the token. `spaces` gives spaces the plain-text
// meaning (thousands separator, or a column break between two numbers);
// otherwise they are skipped too. `take(column, row, token)` receives each
// token; `lastRow` ends the walk early.
template <typename Take>
void WalkGrid(std::string_view text, long long firstColumn, long long firstRow, long long lastRow, bool spaces,
              Take&& take) {
  long long col = firstColumn, row = firstRow;
  std::string token;
  bool fieldHasNumber = false;
  auto flush = [&] {
    if (!token.empty()) take(col, row, token);
    token.clear();
  };
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n && row <= lastRow; ++i) {
    const char c = text[i];
    if (IsNumberChar(c)) {
      token += c == ',' ? '.' : c;
      fieldHasNumber = true;
    } else if (c == '\t') {
      flush();
      ++col;
      fieldHasNumber = false;
    } else if (c == '\n') {
      flush();
      ++row;
      col = firstColumn;
      fieldHasNumber = false;
    } else if (c == ' ' && spaces) {
      // One space, exactly three digits, then no digit: a thousands group.
      const bool thousands = !token.empty() && i + 3 < n && IsDigit(text[i + 1]) && IsDigit(text[i + 2]) &&
                             IsDigit(text[i + 3]) && (i + 4 == n || !IsDigit(text[i + 4]));
      if (thousands) continue;
      std::size_t j = i;
      while (j < n && text[j] == ' ') ++j;
      // Spaces between two numbers of one field split it; spaces next to a
      // tab or a line end (a spreadsheet cell's padding) mean nothing.
      if (fieldHasNumber && j < n && text[j] != '\t' && text[j] != '\n' && text[j] != '\r') {
        flush();
        ++col;
        fieldHasNumber = false;
      }
      i = j - 1;
    }
  }
  flush();
}

}  // namespace

// ---------------------------------------------------------------------------
// Writers

std::string LabelledSheetText(const CSheet& s) {
  std::string out;
  out += "Label:\t" + s.title + "\n";
  out += "LabelX:\t" + s.xAxis.shortName + "\n";
  out += "LabelY:\t" + s.yAxis.shortName + "\n";
  out += "LabelData:\t" + DataLabel(s) + "\n";
  out += "SizeX:\t" + std::to_string(s.xAxis.count) + "\n";
  out += "SizeY:\t" + std::to_string(s.yAxis.count) + "\n";
  out += "OnlyXY:\t";
  out += s.xAxis.collapsed ? "X" : (s.yAxis.collapsed ? "Y" : "");
  out += '\n';
  AppendGrid(out, s, {0, 0, s.xAxis.count - 1, s.yAxis.count - 1}, true, true);
  return out;
}

std::string PlainSheetText(const CSheet& s) {
  std::string out;
  AppendGrid(out, s, {s.FirstUsedColumn(), s.FirstUsedRow(), s.LastUsedColumn(), s.LastUsedRow()}, !s.xAxis.collapsed,
             !s.yAxis.collapsed);
  return out;
}

std::string PlainSelectionText(const CSheet& s) {
  if (!HasSelection(s)) return {};
  SheetRect r = s.selection.box;
  // A collapsed axis gives only its fixed index.
  if (s.xAxis.collapsed && s.selection.kind != kSelYPoints) {
    r.x0 = std::max(r.x0, s.xAxis.fixedIndex);
    r.x1 = std::min(r.x1, s.xAxis.fixedIndex);
  }
  if (s.yAxis.collapsed && s.selection.kind != kSelXPoints) {
    r.y0 = std::max(r.y0, s.yAxis.fixedIndex);
    r.y1 = std::min(r.y1, s.yAxis.fixedIndex);
  }
  std::string out;
  for (int y = r.y0; y <= r.y1; ++y) {
    if (y > r.y0) out += '\n';
    for (int x = r.x0; x <= r.x1; ++x) {
      if (x > r.x0) out += '\t';
      if (IsSelected(s, {x, y})) out += EntryClipText(s, {x, y});
    }
  }
  // Only separators: nothing worth a clipboard update.
  if (out.find_first_not_of("\t\n") == std::string::npos) return {};
  return out;
}

// ---------------------------------------------------------------------------
// Availability

bool CanPastePlain(const CSheet& s) { return s.enabled && SelectionEditable(s); }

bool CanPasteLabelled(const CSheet& s) { return s.enabled && AnyPartEditable(s); }

std::string SheetAxesText(const CSheet& s) { return AxesText(s.xAxis.shortName, s.yAxis.shortName, DataLabel(s)); }

std::string SheetSizeText(const CSheet& s) {
  return std::to_string(s.xAxis.count) + " \u00D7 " + std::to_string(s.yAxis.count);
}

// ---------------------------------------------------------------------------
// Readers

PastePlan ReadPlainPaste(const CSheet& s, std::string_view text) {
  PastePlan plan;
  if (!CanPastePlain(s)) return plan;
  const int kind = s.selection.kind;
  const SheetRect box = s.selection.box;
  SheetEntry start{box.x0, box.y0};
  int lastX = kind == kSelYPoints ? -1 : s.xAxis.count - 1;
  int lastY = kind == kSelXPoints ? -1 : s.yAxis.count - 1;
  // A collapsed axis has one target line, its fixed index, which the selection must hold.
  if (s.xAxis.collapsed && kind != kSelYPoints) {
    if (s.xAxis.fixedIndex < box.x0 || s.xAxis.fixedIndex > box.x1) return plan;
    start.x = lastX = s.xAxis.fixedIndex;
  }
  if (s.yAxis.collapsed && kind != kSelXPoints) {
    if (s.yAxis.fixedIndex < box.y0 || s.yAxis.fixedIndex > box.y1) return plan;
    start.y = lastY = s.yAxis.fixedIndex;
  }
  plan.start = start;
  WalkGrid(text, start.x, start.y, lastY, true, [&](long long col, long long row, std::string_view token) {
    if (col > lastX) return;
    AddWrite(plan, s, {static_cast<int>(col), static_cast<int>(row)}, token);
  });
  if (!plan.writes.empty()) plan.outcome = PasteOutcome::kApply;
  return plan;
}

PastePlan ReadLabelledPaste(const CSheet& s, std::string_view text) {
  PastePlan plan;
  plan.labelled = true;
  if (!CanPasteLabelled(s)) return plan;
  const LabelledHeader h = ReadHeader(s, text);
  if (!h.sizeX || !h.sizeY) return plan;
  if (!(h.xMatch || h.yMatch || h.dataMatch)) {
    // Nothing to change; the owner says why.
    plan.foreign = true;
    plan.copiedAxes = AxesText(h.labelX, h.labelY, h.labelData);
    return plan;
  }

  const bool xResize = *h.sizeX != s.xAxis.count, yResize = *h.sizeY != s.yAxis.count;
  const bool xMayResize = s.xAxis.editable && s.xAxis.insertAllowed && h.xMatch && h.dataMatch;
  const bool yMayResize = s.yAxis.editable && s.yAxis.insertAllowed && h.yMatch && h.dataMatch;
  if ((xResize && !xMayResize) || (yResize && !yMayResize)) {
    plan.outcome = PasteOutcome::kRefused;
    plan.refusal = kPasteSizeRefusal;
    plan.copiedAxes = std::to_string(*h.sizeX) + " \u00D7 " + std::to_string(*h.sizeY);
    return plan;
  }

  plan.collapseX = s.xAxis.collapseOption == 2 || (h.onlyX && s.xAxis.collapseOption != 0);
  plan.collapseY = s.yAxis.collapseOption == 2 || (h.onlyY && s.yAxis.collapseOption != 0);
  plan.xCount = std::clamp(*h.sizeX, s.xAxis.minCount, std::max(s.xAxis.minCount, s.xAxis.maxCount));
  plan.yCount = std::clamp(*h.sizeY, s.yAxis.minCount, std::max(s.yAxis.minCount, s.yAxis.maxCount));

  const bool storeX = s.xAxis.editable && h.xMatch, storeY = s.yAxis.editable && h.yMatch;
  const bool storeData = s.dataAxis.editable && h.dataMatch;
  WalkGrid(text.substr(h.gridStart), -1, -1, plan.yCount - 1, false,
           [&](long long col, long long row, std::string_view token) {
             if (col >= plan.xCount) return;
             const bool store = row < 0 ? (col >= 0 && storeX) : (col < 0 ? storeY : storeData);
             if (store) AddWrite(plan, s, {static_cast<int>(col), static_cast<int>(row)}, token);
           });

  if (plan.xCount != s.xAxis.count) plan.parts |= kPartX | kPartData;
  if (plan.yCount != s.yAxis.count) plan.parts |= kPartY | kPartData;
  if ((plan.collapseX && !s.xAxis.collapsed) || (plan.collapseY && !s.yAxis.collapsed)) plan.parts |= kPartAll;
  if (plan.parts == 0) return plan;
  // A pasted axis is a new axis: the elastic memory of earlier edits does not apply to it.
  if (plan.parts & (kPartX | kPartY)) plan.parts |= kPartResetElastic;
  plan.outcome = PasteOutcome::kApply;
  return plan;
}

// ---------------------------------------------------------------------------
// Applying

bool ApplyPaste(CTabModel& model, const PastePlan& plan) {
  CSheet* s = model.Active();
  if (!s) return false;
  if (plan.outcome == PasteOutcome::kRefused) {
    model.ShowError(LookupText(kSheetTextGroup, plan.refusal), ErrorCaption());
    return false;
  }
  if (plan.outcome != PasteOutcome::kApply) return false;

  model.CancelFillDrag();
  model.ReportChange(0, OpenEdit);
  if (plan.labelled) {
    s->xAxis.count = std::clamp(plan.xCount, 1, std::max(1, s->xAxis.maxCount));
    s->yAxis.count = std::clamp(plan.yCount, 1, std::max(1, s->yAxis.maxCount));
    if (plan.collapseX) s->xAxis.collapsed = 1;
    if (plan.collapseY) s->yAxis.collapsed = 1;
    s->UpdateFixedIndices();
  }
  ClearSelection(*s);
  TSel& sel = s->selection;
  for (const PasteWrite& w : plan.writes) {
    const SheetEntry e = w.entry;
    const bool inside = (e.IsCell() && e.x < s->xAxis.count && e.y < s->yAxis.count) ||
                        (e.IsXPoint() && e.x < s->xAxis.count) || (e.IsYPoint() && e.y < s->yAxis.count);
    if (!inside) continue;
    s->ValueOf(e) = w.raw;
    if (plan.labelled) continue;
    if (e.IsCell())
      sel.cellMarks[static_cast<std::size_t>(e.y * kCellStride + e.x)] |= kMarkSelected;
    else if (e.IsXPoint())
      sel.xMarks[static_cast<std::size_t>(e.x)] |= kMarkSelected;
    else
      sel.yMarks[static_cast<std::size_t>(e.y)] |= kMarkSelected;
  }
  if (!plan.labelled) {
    sel.anchor = sel.corner = plan.start;
    CompleteSelection(*s);
  } else if (s->ShowsPercent() && (plan.parts & (kPartX | kPartY))) {
    // The pasted percentages are of the base at the pasted points.
    model.ApplyAxisRules(model.ActiveIndex(), plan.parts);
    CTabModel::ComputeCellBase(*s);
  }
  model.RequestRedraw(kRedraw | kRelayout);
  model.ReportChange(plan.parts, CloseEdit);
  return true;
}

PasteOutcome PasteText(CTabModel& model, std::string_view text, bool labelled, PastePlan* read) {
  const CSheet* s = model.Active();
  if (!s) return PasteOutcome::kNothing;
  PastePlan plan = labelled ? ReadLabelledPaste(*s, text) : ReadPlainPaste(*s, text);
  ApplyPaste(model, plan);
  const PasteOutcome outcome = plan.outcome;
  if (read) *read = std::move(plan);
  return outcome;
}

// ---------------------------------------------------------------------------
// Cell editor

bool PasteIntoEditor(std::string& text, int& caret, int& selStart, int& selEnd, std::string_view clip) {
  const int size = static_cast<int>(text.size());
  selStart = std::clamp(selStart, 0, size);
  selEnd = std::clamp(selEnd, selStart, size);
  caret = std::clamp(caret, 0, size);
  const std::size_t kept = text.size() - static_cast<std::size_t>(selEnd - selStart);
  const std::size_t room = kept < kEditorMaxChars ? kEditorMaxChars - kept : 0;
  std::string add;
  for (char c : clip) {
    if (c == '\t' || c == '\n' || add.size() >= room) break;
    if (c == ',') c = '.';
    if (IsDigit(c) || c == '-' || c == '.' || c == ' ') add += c;
  }
  if (add.empty()) return false;
  if (selEnd > selStart) {
    text.erase(static_cast<std::size_t>(selStart), static_cast<std::size_t>(selEnd - selStart));
    caret = selStart;
  }
  selStart = selEnd = 0;
  text.insert(static_cast<std::size_t>(caret), add);
  caret += static_cast<int>(add.size());
  return true;
}
