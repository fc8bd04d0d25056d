#include "sheet/Clipboard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "sheet/SheetTestSupport.h"
#include "base/Lang.h"

namespace {

using namespace std::string_literals;
using Ints = std::vector<int>;

// The values a paste may change: X points, Y points, cells row by row.
struct Snapshot {
  Ints x;
  Ints y;
  std::vector<Ints> rows;
  friend bool operator==(const Snapshot&, const Snapshot&) = default;
};

Snapshot Snap(SheetRig& rig) {
  Snapshot s{rig.X(), {}, {}};
  for (int y = 0; y < rig.S().yAxis.count; ++y) {
    s.y.push_back(rig.S().yAxis.values[static_cast<std::size_t>(y)]);
    s.rows.push_back(rig.Row(y));
  }
  return s;
}

void PrintTo(const Snapshot& s, std::ostream* os) {
  auto line = [os](const Ints& v) {
    for (int i : v) *os << i << ' ';
    *os << "| ";
  };
  line(s.x);
  line(s.y);
  for (const auto& r : s.rows) line(r);
}

// Restores English whatever a case switched to.
struct LanguageGuard {
  explicit LanguageGuard(int language) { SetCurrentLanguage(language); }
  ~LanguageGuard() { SetCurrentLanguage(kEnglish); }
};

// Sheets of the cases: X 10, 20; Y 1, 2; cells 5, 6 / 7, 8; data -1000..1000,
// scale 1, everything editable and insertable.
void TwoByTwo(SheetRig& r) {
  r.SetRow(0, {5, 6});
  r.SetRow(1, {7, 8});
}
void CellSelected(SheetRig& r) {
  TwoByTwo(r);
  SelectOnly(r.S(), {0, 0});
}
void XCollapsed(SheetRig& r) {
  TwoByTwo(r);
  r.S().xAxis.collapsed = 1;
  r.S().UpdateFixedIndices();  // middle point of two: index 1
}
void YCollapsed(SheetRig& r) {
  TwoByTwo(r);
  r.S().yAxis.collapsed = 1;
  r.S().UpdateFixedIndices();
}
void TwoCellsOfADiagonal(SheetRig& r) {
  TwoByTwo(r);
  r.S().selection.cellMarks[0] = kMarkSelected;
  r.S().selection.cellMarks[kCellStride + 1] = kMarkSelected;
  CompleteSelection(r.S());
}
// Voltage-like data in tenths, shown with a quantum and a unit the copy leaves out.
void TenthsWithUnit(SheetRig& r) {
  r.S().dataAxis.scale = 0.1;
  r.S().dataAxis.displayQuantum = 10;
  r.S().dataAxis.unit = "V";
  r.S().dataAxis.showUnit = 1;
  r.S().xAxis.unit = "rpm";
  r.SetRow(0, {25, -12345});
  r.SetRow(1, {7, 0});
}
// One row; every cell's base is 100.
void PercentMode(SheetRig& r) {
  r.S().flags |= kSheetPercent;
  AllocateSheetArrays(r.S());  // with the percent arrays, all values zero again
  r.SetX({10, 20});
  r.S().yAxis.values[0] = 1;
  r.S().cellBase.assign(kMaxCells, 100);
  r.S().percentMode = 1;
  r.S().dataAxis.scale = 0.1;
  r.SetRow(0, {75, 120});
}
void PercentCellSelected(SheetRig& r) {
  PercentMode(r);
  SelectOnly(r.S(), {0, 0});
}
void NamedXPoints(SheetRig& r) {
  r.S().xAxis.namedValues = 1;
  r.S().xAxis.values[0] = 10010;
  r.S().xAxis.values[1] = 10020;
  r.SetRow(0, {3, 4});
}
void EngineSpeedPointSelected(SheetRig& r) {
  TwoByTwo(r);
  r.S().xAxis.scale = 100;
  r.SetX({100, 150});
  SelectOnly(r.S(), {0, -1});
}

// The labelled form written by hand: X points 20, 40, ..., Y points 1, 2, ...,
// cell (x, y) = x + 50 y.
std::string Labelled(const std::string& dataLabel, int nx, int ny) {
  std::string t = "Label:\tAdvance\nLabelX:\tRPM\nLabelY:\tTPS\nLabelData:\t" + dataLabel + "\nSizeX:\t" +
                  std::to_string(nx) + "\nSizeY:\t" + std::to_string(ny) + "\nOnlyXY:\t\n";
  for (int x = 0; x < nx; ++x) t += "\t" + std::to_string(20 * (x + 1));
  for (int y = 0; y < ny; ++y) {
    t += "\n" + std::to_string(y + 1);
    for (int x = 0; x < nx; ++x) t += "\t" + std::to_string(x + 50 * y);
  }
  return t;
}
Snapshot LabelledValues(int nx, int ny) {
  Snapshot s;
  for (int x = 0; x < nx; ++x) s.x.push_back(20 * (x + 1));
  for (int y = 0; y < ny; ++y) {
    s.y.push_back(y + 1);
    s.rows.emplace_back();
    for (int x = 0; x < nx; ++x) s.rows.back().push_back(x + 50 * y);
  }
  return s;
}

enum class Op { kCopyTable, kCopyLabelled, kCopy, kPaste, kPasteLabelled };

struct Case {
  const char* name;
  int x, y, xMax;  // sheet shape (Y max 10)
  void (*setup)(SheetRig&);
  int language;
  Op op;
  std::string text;        // pasted text, or the text a copy must give
  Snapshot after{};        // after a paste; empty: unchanged
  int selected = -1;       // entries selected after a paste; -1: not checked
  std::string error = "";  // "caption|message" raised by the paste
};

const std::string kLabelled2x2 = "Label:\tAdvance\nLabelX:\tRPM\nLabelY:\tTPS\nLabelData:\tADV\nSizeX:\t2\nSizeY:\t2\n";
const std::string kSizeMessage =
    "Error|Table dimensions are not eqal and there is unable to change it !\nInsertion canceled...";
const Snapshot kUnchanged{};

TEST(ClipboardTest, FormatsAndReaders) {
  constexpr int En = kEnglish, Cz = kCzech;
  // clang-format off
  const Case cases[] = {
    // ---- writers ----
    {"copy table of a 2 x 2 sheet", 2, 2, 8, TwoByTwo, En, Op::kCopyTable, "\t10\t20\n1\t5\t6\n2\t7\t8"},
    {"labelled copy of a 2 x 2 sheet", 2, 2, 8, TwoByTwo, En, Op::kCopyLabelled,
     kLabelled2x2 + "OnlyXY:\t\n\t10\t20\n1\t5\t6\n2\t7\t8"},
    {"copy table, X collapsed: the fixed column, no X line", 2, 2, 8, XCollapsed, En, Op::kCopyTable, "1\t6\n2\t8"},
    {"copy table, Y collapsed: the fixed row, no Y points", 2, 2, 8, YCollapsed, En, Op::kCopyTable,
     "\t10\t20\n\t7\t8"},
    {"labelled copy, X collapsed: said, and every column kept", 2, 2, 8, XCollapsed, En, Op::kCopyLabelled,
     kLabelled2x2 + "OnlyXY:\tX\n\t10\t20\n1\t5\t6\n2\t7\t8"},
    {"copy of a selection: its box, unselected entries empty", 2, 2, 8, TwoCellsOfADiagonal, En, Op::kCopy,
     "5\t\n\t8"},
    {"copy of X points: one line", 2, 2, 8, [](SheetRig& r) { SelectAllXPoints(r.S()); }, En, Op::kCopy, "10\t20"},
    {"copy of Y points: one per line", 2, 2, 8, [](SheetRig& r) { SelectAllYPoints(r.S()); }, En, Op::kCopy, "1\n2"},
    {"copy with nothing selected gives nothing", 2, 2, 8, TwoByTwo, En, Op::kCopy, ""},
    {"Czech writes 2.5 as 2,5; groups, no unit, no quantum", 2, 2, 8, TenthsWithUnit, Cz, Op::kCopyTable,
     "\t10\t20\n1\t2,5\t-1 234,5\n2\t0,7\t0"},
    {"percent mode: whole percentages, data label marked", 2, 1, 8, PercentMode, En, Op::kCopyLabelled,
     "Label:\tAdvance\nLabelX:\tRPM\nLabelY:\tTPS\nLabelData:\tADV[%]\nSizeX:\t2\nSizeY:\t1\nOnlyXY:\t\n"
     "\t10\t20\n1\t75\t120"},
    {"named X points as their texts", 2, 1, 8, NamedXPoints, En, Op::kCopyTable, "\tCoolant\tInlet Air\n1\t3\t4"},

    // ---- plain paste ----
    {"Czech 2,5 reads back as 2.5", 2, 2, 8,
     [](SheetRig& r) { CellSelected(r); r.S().dataAxis.scale = 0.1; }, Cz, Op::kPaste, "2,5",
     {{10, 20}, {1, 2}, {{25, 6}, {7, 8}}}, 1},
    {"12 500 into an engine-speed point (scale 100) stores 125", 2, 2, 8, EngineSpeedPointSelected, En, Op::kPaste,
     "12 500", {{125, 150}, {1, 2}, {{5, 6}, {7, 8}}}, 1},
    {"12 5000 gives 12 and 5000 in neighbouring cells", 2, 2, 8,
     [](SheetRig& r) { CellSelected(r); r.S().dataAxis.max = 10000; }, En, Op::kPaste, "12 5000",
     {{10, 20}, {1, 2}, {{12, 5000}, {7, 8}}}, 2},
    {"3500 with data max 500 is read as 3.5 and stores 4", 2, 2, 8,
     [](SheetRig& r) { CellSelected(r); r.S().dataAxis.max = 500; }, En, Op::kPaste, "3500",
     {{10, 20}, {1, 2}, {{4, 6}, {7, 8}}}, 1},
    {"percent mode takes the number as a percentage", 2, 1, 8, PercentCellSelected, En, Op::kPaste, "80",
     {{10, 20}, {1}, {{80, 120}}}, 1},
    {"spreadsheet text: CR LF rows and a trailing line feed", 2, 2, 8, CellSelected, En, Op::kPaste,
     "1\t2\r\n3\t4\r\n", {{10, 20}, {1, 2}, {{1, 2}, {3, 4}}}, 4},
    {"a line feed returns to the start column; beyond the sheet nothing", 2, 2, 8,
     [](SheetRig& r) { TwoByTwo(r); SelectOnly(r.S(), {1, 0}); }, En, Op::kPaste, "1\t2\t3\n4\n9",
     {{10, 20}, {1, 2}, {{5, 1}, {7, 4}}}, 2},
    // A spreadsheet cell padded with spaces must not push the next value a column on.
    {"spaces next to a tab do not move a column", 2, 2, 8, CellSelected, En, Op::kPaste, " 1 \t 2 \n",
     {{10, 20}, {1, 2}, {{1, 2}, {7, 8}}}, 2},
    {"Y points take one number per line", 2, 2, 8,
     [](SheetRig& r) { TwoByTwo(r); SelectOnly(r.S(), {-1, 0}); }, En, Op::kPaste, "3\t99\n4",
     {{10, 20}, {3, 4}, {{5, 6}, {7, 8}}}, 2},
    {"garbage bytes change nothing and keep the selection", 2, 2, 8, CellSelected, En, Op::kPaste,
     "\xff\xfe\x00\x01 abc\x80\r--.."s, kUnchanged, 1},
    {"a value after 1 MB of text still arrives", 2, 2, 8, CellSelected, En, Op::kPaste,
     "7" + std::string(1 << 20, 'x') + "\t8", {{10, 20}, {1, 2}, {{7, 8}, {7, 8}}}, 2},
    {"200-digit numbers saturate, then the data range holds them", 2, 2, 8, CellSelected, En, Op::kPaste,
     std::string(200, '9') + "\t-" + std::string(200, '9') + "\n0." + std::string(200, '0') + "1",
     {{10, 20}, {1, 2}, {{1000, -1000}, {0, 8}}}, 3},
    {"a number of a million digits saturates", 2, 2, 8,
     [](SheetRig& r) { TwoByTwo(r); SelectOnly(r.S(), {1, -1}); }, En, Op::kPaste,
     std::string(1 << 20, '7'), {{10, 1000}, {1, 2}, {{5, 6}, {7, 8}}}, 1},
    {"no selection: nothing", 2, 2, 8, TwoByTwo, En, Op::kPaste, "1", kUnchanged, 0},
    {"a part that is not editable: nothing", 2, 2, 8,
     [](SheetRig& r) { CellSelected(r); r.S().dataAxis.editable = 0; }, En, Op::kPaste, "1", kUnchanged, 1},
    {"a disabled sheet: nothing", 2, 2, 8,
     [](SheetRig& r) { CellSelected(r); r.S().enabled = 0; }, En, Op::kPaste, "1", kUnchanged, 1},

    // ---- labelled paste ----
    {"labelled 16 x 10 into a 15 x 10 sheet that may grow gives 16 columns", 15, 10, 20, nullptr, En,
     Op::kPasteLabelled, Labelled("ADV", 16, 10), LabelledValues(16, 10), 0},
    {"another data label: the dimensions message, nothing changed", 15, 10, 20, nullptr, En, Op::kPasteLabelled,
     Labelled("INJ", 16, 10), kUnchanged, 0, kSizeMessage},
    {"X at its max count: the size is held to it", 15, 10, 15, nullptr, En, Op::kPasteLabelled,
     Labelled("ADV", 16, 10), LabelledValues(15, 10), 0},
    {"the same size with another data label takes the axes only", 2, 2, 8, TwoByTwo, En, Op::kPasteLabelled,
     Labelled("INJ", 2, 2), {{20, 40}, {1, 2}, {{5, 6}, {7, 8}}}, 0},
    {"no label matches: nothing", 2, 2, 8, TwoByTwo, En, Op::kPasteLabelled,
     "LabelX:\tno\nLabelY:\tno\nLabelData:\tno\nSizeX:\t2\nSizeY:\t2\n\t1\t2\n3\t4\t5", kUnchanged, 0},
    {"labelled text with CR LF lines reads; spaces inside numbers vanish", 2, 2, 8, TwoByTwo, En,
     Op::kPasteLabelled, "LabelX:\tRPM\r\nLabelData:\tADV\r\nSizeX:\t2\r\nSizeY:\t2\r\n\t30\t40\r\n1\t1 000\t-3\r\n",
     {{30, 40}, {1, 2}, {{1000, -3}, {7, 8}}}, 0},
    {"a labelled text of garbage: nothing", 2, 2, 8, TwoByTwo, En, Op::kPasteLabelled,
     "SizeX:\t\xff\nSizeY\n\x00\t"s, kUnchanged, 0},
  };
  // clang-format on

  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LanguageGuard language(c.language);
    SheetRig rig(c.x, c.y, c.xMax, 10);
    if (c.setup) c.setup(rig);
    const Snapshot before = Snap(rig);
    switch (c.op) {
      case Op::kCopyTable:
        EXPECT_EQ(PlainSheetText(rig.S()), c.text);
        continue;
      case Op::kCopyLabelled:
        EXPECT_EQ(LabelledSheetText(rig.S()), c.text);
        continue;
      case Op::kCopy:
        EXPECT_EQ(PlainSelectionText(rig.S()), c.text);
        continue;
      case Op::kPaste:
      case Op::kPasteLabelled:
        break;
    }
    const bool changes = !c.after.x.empty();
    const PasteOutcome outcome = PasteText(rig.model, c.text, c.op == Op::kPasteLabelled);
    EXPECT_EQ(outcome,
              changes ? PasteOutcome::kApply : (c.error.empty() ? PasteOutcome::kNothing : PasteOutcome::kRefused));
    EXPECT_EQ(Snap(rig), changes ? c.after : before);
    EXPECT_EQ(rig.changes, changes ? 1 : 0);  // one paste, one edit
    EXPECT_EQ(rig.errors, c.error.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.error});
    if (c.selected >= 0) {
      EXPECT_EQ(rig.S().selection.count, c.selected);
    }
  }
}

// Values that print long: the tables pass any old fixed buffer size, whole.
TEST(ClipboardTest, LargestTableRoundTripsWhole) {
  auto fill = [](SheetRig& rig) {
    CSheet& s = rig.S();
    s.dataAxis.min = -2'000'000'000;
    s.dataAxis.max = 2'000'000'000;
    s.dataAxis.scale = 0.001;
    for (int y = 0; y < kMaxYPoints; ++y)
      for (int x = 0; x < kMaxXPoints; ++x) s.Cell(x, y) = (x * 7919 + y * 104729) * (x % 2 ? -1 : 1) * 509;
  };
  SheetRig from(kMaxXPoints, kMaxYPoints, kMaxXPoints, kMaxYPoints);
  fill(from);
  SheetRig to(10, 5, kMaxXPoints, kMaxYPoints);
  to.S().dataAxis.min = -2'000'000'000;
  to.S().dataAxis.max = 2'000'000'000;
  to.S().dataAxis.scale = 0.001;

  const std::string plain = PlainSheetText(from.S());
  EXPECT_GT(plain.size(), 9000u);
  EXPECT_EQ(std::count(plain.begin(), plain.end(), '\n'), kMaxYPoints);
  EXPECT_EQ(std::count(plain.begin(), plain.end(), '\t'), (kMaxYPoints + 1) * kMaxXPoints);

  {
    LanguageGuard czech(kCzech);  // decimal commas read back too
    EXPECT_EQ(PasteText(to.model, LabelledSheetText(from.S()), true), PasteOutcome::kApply);
  }
  EXPECT_EQ(Snap(to), Snap(from));
}

TEST(ClipboardTest, EditorPasteFiltersAndKeepsFifteenCharacters) {
  struct EditorCase {
    std::string text;
    int caret, selStart, selEnd;
    std::string clip;
    std::string after;
    int caretAfter;
  };
  const EditorCase cases[] = {
      {"", 0, 0, 0, "1,5 kPa\t7", "1.5 ", 4},
      {"12", 1, 0, 0, "-x9\n8", "1-92", 3},
      {"12345678901234", 14, 0, 0, "5678", "123456789012345", 15},
      {"123456789012345", 15, 0, 0, "9", "123456789012345", 15},
      {"123456789012345", 3, 0, 15, "77", "77", 2},
      {"42", 2, 0, 0, "abc", "42", 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text + " <- " + c.clip);
    std::string text = c.text;
    int caret = c.caret, selStart = c.selStart, selEnd = c.selEnd;
    EXPECT_EQ(PasteIntoEditor(text, caret, selStart, selEnd, c.clip), c.after != c.text);
    EXPECT_EQ(text, c.after);
    EXPECT_EQ(caret, c.caretAfter);
  }
}

// Any bytes may come from the clipboard: mutated copies of both forms never
// crash, never write outside the sheet, and leave the rules of the sheet intact.
TEST(ClipboardTest, MutatedTextsNeverBreakTheSheet) {
  SheetRig source(6, 4, 12, 8);
  source.SetRow(0, {1, -2, 3, 40, 500, -600});
  source.SetRow(3, {7, 8, 9, 10, 11, 12});
  const std::string seeds[] = {LabelledSheetText(source.S()), PlainSheetText(source.S()), "12 500\t3500\r\n-1,5"};
  std::mt19937 rng(20240611);
  auto pick = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n ? n - 1 : 0)(rng); };
  const std::string alphabet = "0123456789-.,\t\n\r :XYLabelSizeOnly\xff";
  int applied = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string t = seeds[pick(std::size(seeds))];
    const int edits = 1 + static_cast<int>(pick(8));
    for (int e = 0; e < edits; ++e) {
      const std::size_t at = pick(t.size() + 1);
      switch (pick(4)) {
        case 0:
          t.insert(at, 1, pick(2) ? alphabet[pick(alphabet.size())] : static_cast<char>(pick(256)));
          break;
        case 1:
          if (!t.empty()) t.erase(std::min(at, t.size() - 1), 1 + pick(6));
          break;
        case 2:
          if (at < t.size()) t[at] = static_cast<char>(pick(256));
          break;
        default:
          t.insert(at, t.substr(pick(t.size() + 1), pick(40)));
      }
    }
    SheetRig rig(6, 4, 12, 8);
    SelectOnly(rig.S(), round % 3 == 0 ? SheetEntry{2, -1} : (round % 3 == 1 ? SheetEntry{-1, 1} : SheetEntry{1, 2}));
    const bool labelled = round % 2 == 0;
    const PastePlan plan = labelled ? ReadLabelledPaste(rig.S(), t) : ReadPlainPaste(rig.S(), t);
    for (const PasteWrite& w : plan.writes) {
      ASSERT_LT(w.entry.x, labelled ? 12 : 6);
      ASSERT_LT(w.entry.y, labelled ? 8 : 4);
    }
    if (ApplyPaste(rig.model, plan)) ++applied;
    const CSheet& s = rig.S();
    ASSERT_GE(s.xAxis.count, 1);
    ASSERT_LE(s.xAxis.count, 12);
    ASSERT_GE(s.yAxis.count, 1);
    ASSERT_LE(s.yAxis.count, 8);
    for (int x = 1; x < s.xAxis.count; ++x)
      ASSERT_GE(s.xAxis.values[static_cast<std::size_t>(x)], s.xAxis.values[static_cast<std::size_t>(x - 1)] + 5);
    for (int y = 0; y < s.yAxis.count; ++y)
      for (int x = 0; x < s.xAxis.count; ++x) ASSERT_LE(std::abs(s.Cell(x, y)), 1000);
    ASSERT_LE(rig.changes, 1);
  }
  // Most mutants still carry numbers into the sheet: the readers were exercised.
  EXPECT_GT(applied, 1000);
}

// "OnlyXY:" asks for a collapse; the axis's collapse option decides, and a
// paste never clears one.
TEST(ClipboardTest, LabelledCollapseFollowsTheOptions) {
  struct CollapseCase {
    const char* onlyXY;
    int xOption, yOption;
    int xCollapsedBefore;
    int xCollapsed, yCollapsed;
  };
  const CollapseCase cases[] = {
      {"Y", 1, 1, 0, 0, 1},  // asked and allowed
      {"Y", 1, 0, 0, 0, 0},  // option 0: dropped
      {"", 2, 1, 0, 1, 0},   // option 2: always
      {"", 1, 1, 1, 1, 0},   // kept
      {"Xylophone", 1, 1, 0, 1, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.onlyXY) + " " + std::to_string(c.xOption) + std::to_string(c.yOption));
    SheetRig rig(2, 2);
    TwoByTwo(rig);
    rig.S().xAxis.collapseOption = c.xOption;
    rig.S().yAxis.collapseOption = c.yOption;
    rig.S().xAxis.collapsed = c.xCollapsedBefore;
    const std::string text = kLabelled2x2 + "OnlyXY:\t" + c.onlyXY + "\n\t10\t20\n1\t5\t6\n2\t7\t8";
    EXPECT_EQ(PasteText(rig.model, text, true), PasteOutcome::kApply);
    EXPECT_EQ(rig.S().xAxis.collapsed, c.xCollapsed);
    EXPECT_EQ(rig.S().yAxis.collapsed, c.yCollapsed);
    EXPECT_EQ(rig.S().yAxis.fixedIndex, 1);  // middle of two, ready for the collapsed view
  }
}

}  // namespace
