#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/Colours.h"

// Capacities of a sheet control.
constexpr int kMaxSheetControls = 20;
constexpr int kMaxSheets = 8;
constexpr int kMaxXPoints = 50;
constexpr int kMaxYPoints = 30;
constexpr int kCellStride = 50;  // cell (x, y) is at y * kCellStride + x
constexpr int kMaxCells = kMaxXPoints * kMaxYPoints;
constexpr int kMaxGraduations = 5;
constexpr int kEditorMaxChars = 15;
constexpr int kTitleMaxChars = 47;
constexpr int kLabelMaxChars = 31;
constexpr int kShortTextMaxChars = 7;

enum SheetFlags : std::uint32_t {
  kSheetLivePoint = 0x0001,
  kSheetGraphYHorizontal = 0x0002,
  kSheetMayDisable = 0x0008,
  kSheetPercent = 0x0010,
  kSheetNoStartRun = 0x0020,
  kSheetBaseAdvanceMarker = 0x0100,
  kSheetLimiter2Marker = 0x0200,
  kSheetLimiter1Marker = 0x0400,
  kSheetFastRepeatX = 0x1000,
  kSheetFastRepeatY = 0x2000,
  kSheetFastRepeatData = 0x4000,
};

enum ControlOptions : std::uint32_t {
  kOptionButtonBar = 0x0001,
  kOptionNoButtonBar = 0x0002,
  kOptionTable = 0x0010,
  kOptionGraph2D = 0x0020,
  kOptionGraph3D = 0x0040,
  kOptionTitleLine = 0x0100,
  kOptionPositionButtons = 0x1000,
};

// Parts of a sheet, as named by ApplyAxisRules, ReportChange and DefineAxis.
enum SheetPart : int {
  kPartX = 1,
  kPartY = 2,
  kPartData = 4,
  kPartAll = 7,
  kPartResetElastic = 0x100,
};

// Keys of ReportChange besides the coalescing ones; 0 commits at once.
constexpr int OpenEdit = -1;
constexpr int CloseEdit = -2;

// Coalescing change keys: the kind of target with the cell or point index,
// or with the selection count, so a burst on one target commits once.
enum ChangeKeyKind : int {
  kKeyXPoint = 1,
  kKeyYPoint = 2,
  kKeyCell = 3,
  kKeyXSelection = 4,
  kKeyYSelection = 5,
  kKeyCellSelection = 6,
  kKeyLiveCell = 7,
  kKeyBaseAdvance = 8,
};
constexpr int MakeChangeKey(int kind, int n) { return (kind << 16) | (n & 0xFFFF); }

// Five numbers in display units: span limit, then the step sizes s1 (range
// rounding), s2 (grid lines), s3 and s4 (labels).
struct GraduationRecord {
  double spanLimit = 0;
  double s1 = 1;
  double s2 = 1;
  double s3 = 1;
  double s4 = 1;
};

struct CAxe {
  TColor colour = 0xFFFFFF;
  const void* background = nullptr;  // the view's picture; never owned here
  std::string label;
  std::string shortName;
  std::string unit;
  int showUnit = 0;
  int maxCount = 0;
  int minCount = 1;
  int count = 0;
  int collapsed = 0;
  int fixedIndex = 0;
  int fixedIndexRule = -1;  // -1 first, -2 last, -3 middle, >= 0 explicit
  int editable = 0;
  int insertAllowed = 0;
  int collapseOption = 0;  // 0 never, 1 the user may, 2 a labelled paste always collapses
  int firstVisible = 0;
  std::vector<std::int32_t> values;
  // Working memory of the elastic push (X and Y only).
  std::vector<std::int32_t> previous;
  std::vector<std::int32_t> saved;
  std::vector<std::uint8_t> pushed;
  double scale = 1.0;
  double displayQuantum = 1.0;
  std::int32_t min = 0;
  std::int32_t max = 100;
  std::int32_t minGap = 1;
  int lastEdited = -3;
  int numeric = 0;
  std::uint32_t groupMask = 0;
  int namedValues = 0;
  std::vector<GraduationRecord> graduations;
  GraduationRecord currentGraduation;
  std::int32_t graphMin = 0;
  std::int32_t graphMax = 0;
  int fixedGraphRange = 0;

  // The record for a span in display units; all steps 1 without records or
  // when the axis is not numeric.
  GraduationRecord GraduationFor(double span) const;
  // The index the fixed-index rule gives for the current count.
  int RuleIndex() const;
  bool Contains(int index) const { return index >= 0 && index < count; }
};

enum SelectionMode : std::uint8_t {
  kSelModeCells = 1,
  kSelModeXHeader = 2,
  kSelModeYHeader = 4,
  kSelModeColumns = 8,
  kSelModeRows = 16,
};

enum SelectionKind : int { kSelNone = 0, kSelCells = 1, kSelXPoints = 2, kSelYPoints = 4 };

enum EntryMark : std::uint16_t { kMarkSelected = 1, kMarkInRect = 2, kMarkCorner = 4 };

// An entry of the table: (x, y) a cell, (x, -1) an X point, (-1, y) a Y point.
struct SheetEntry {
  int x = -1;
  int y = -1;
  bool IsXPoint() const { return y < 0 && x >= 0; }
  bool IsYPoint() const { return x < 0 && y >= 0; }
  bool IsCell() const { return x >= 0 && y >= 0; }
  friend bool operator==(const SheetEntry&, const SheetEntry&) = default;
};

// A rectangle of entries, inclusive; -1 in y (x) is the X (Y) header.
struct SheetRect {
  int x0 = 0;
  int y0 = 0;
  int x1 = -1;
  int y1 = -1;
  friend bool operator==(const SheetRect&, const SheetRect&) = default;
};

struct TSel {
  std::uint8_t mode = 0;  // SelectionMode while a selection is being made
  std::uint8_t drag = 0;  // bit 0 table selection drag, bit 1 graph drag
  int kind = kSelNone;    // SelectionKind of the completed selection
  std::array<std::uint16_t, kMaxXPoints> xMarks{};
  std::array<std::uint16_t, kMaxYPoints> yMarks{};
  std::array<std::uint16_t, kMaxCells> cellMarks{};
  SheetEntry anchor;
  SheetEntry corner;  // the moving corner, also the keyboard cursor
  SheetRect box;      // bounding box of the completed selection
  int count = 0;
  // Interpolable rectangle and its corners.
  int rect = 0;
  int x0 = 0;
  int x1 = 0;
  int y0 = 0;
  int y1 = 0;
};

struct CSheet {
  std::uint32_t flags = 0;
  int enabled = 1;
  int hidden = 0;
  std::string title;
  int tabWidth = 0;
  int titleFontSize = 13;
  int labelFontSize = 12;
  CAxe xAxis;
  CAxe yAxis;
  CAxe dataAxis;
  TSel selection;
  // Live operating point: -2 none, -1 below the first point.
  int liveX = -2;
  int liveY = -2;
  int liveKind = 0;
  int liveExtraRow1 = -1;
  int liveExtraRow2 = -1;
  // Percent-capable sheets only; empty otherwise. Same cell layout as data.
  std::vector<std::int32_t> baseData;
  std::vector<std::int32_t> baseX;
  std::vector<std::int32_t> baseY;
  std::vector<std::int32_t> cellBase;
  std::vector<std::int32_t> absolute;
  int baseXCount = 0;
  int baseYCount = 0;
  int percentMode = 0;
  int linkLeaderId = 0;
  int linkFollowerId = 0;

  // which: kPartX, kPartY or kPartData.
  CAxe& Axis(int which);
  const CAxe& Axis(int which) const;
  std::int32_t& Cell(int x, int y) { return dataAxis.values[static_cast<std::size_t>(y * kCellStride + x)]; }
  std::int32_t Cell(int x, int y) const { return dataAxis.values[static_cast<std::size_t>(y * kCellStride + x)]; }

  bool PercentCapable() const { return (flags & kSheetPercent) != 0 && !cellBase.empty(); }
  bool HasBaseTable() const { return PercentCapable() && baseXCount > 0 && baseYCount > 0; }
  bool ShowsPercent() const { return PercentCapable() && percentMode != 0; }
  // A cell's base, 0 counted as 1 so it can divide.
  std::int32_t BaseOf(int x, int y) const;

  // Columns (rows) the table uses: the fixed index alone while collapsed.
  int FirstUsedColumn() const { return xAxis.collapsed ? xAxis.fixedIndex : 0; }
  int LastUsedColumn() const { return xAxis.collapsed ? xAxis.fixedIndex : xAxis.count - 1; }
  int FirstUsedRow() const { return yAxis.collapsed ? yAxis.fixedIndex : 0; }
  int LastUsedRow() const { return yAxis.collapsed ? yAxis.fixedIndex : yAxis.count - 1; }
  bool ColumnUsed(int x) const { return x >= FirstUsedColumn() && x <= LastUsedColumn(); }
  bool RowUsed(int y) const { return y >= FirstUsedRow() && y <= LastUsedRow(); }

  // Whether the user may change an entry, and the part that holds it.
  bool EntryEditable(SheetEntry e) const;
  static int PartOf(SheetEntry e) { return e.IsCell() ? kPartData : (e.IsXPoint() ? kPartX : kPartY); }
  std::int32_t& ValueOf(SheetEntry e);
  std::int32_t ValueOf(SheetEntry e) const;

  // Texts of an entry: as shown (unit, named values, percent) and as put into
  // the cell editor (no unit, no grouping needed to parse back).
  std::string EntryText(SheetEntry e) const;
  // The shown text the entry would have with the raw value `raw`.
  std::string EntryText(SheetEntry e, std::int32_t raw) const;
  std::string EntryEditText(SheetEntry e) const;
  // Parses typed text into the entry; percent cells take the number as is.
  bool ParseInto(SheetEntry e, std::string_view text);

  void UpdateFixedIndices();
};

// Sizes the value arrays of a sheet for its flags (all zero).
void AllocateSheetArrays(CSheet& sheet);

// The elastic push, ordering and clamps of one sheet; parts as ApplyAxisRules.
void ApplySheetAxisRules(CSheet& sheet, int parts);

// Display text of a raw value on an axis (scale, quantum, unit when shown).
std::string AxisValueText(const CAxe& axis, std::int32_t raw);

// Bilinear value at (x, y) of a grid of cells (kCellStride layout) over nx
// X points and ny Y points: the interval is the first whose upper point is
// not below the coordinate, fractions held to [0, 1] (0.5 across an interval
// without width), beyond the last point the edge value.
double SampleBilinear(std::span<const std::int32_t> xs, int nx, std::span<const std::int32_t> ys, int ny,
                      std::span<const std::int32_t> cells, std::int32_t x, std::int32_t y);
