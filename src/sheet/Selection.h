#pragma once

#include <cstdint>
#include <vector>

#include "sheet/Sheet.h"

// Selection of a sheet (TSel): marks, completion, keyboard cursor, and the
// value transforms of the fill and border drags. Pure functions of a sheet.

enum class Coverage { kNone, kPart, kAll };

std::uint16_t MarksOf(const CSheet& sheet, SheetEntry e);
bool IsSelected(const CSheet& sheet, SheetEntry e);
bool HasSelection(const CSheet& sheet);

void ClearSelection(CSheet& sheet);

// A press starts a selection: mode from the region (cells, X header, Y
// header, column strip, row strip); Shift/Ctrl decide whether the previous
// selection and anchor stay. The pressed entry is marked at once.
void BeginSelection(CSheet& sheet, SelectionMode mode, SheetEntry at, bool shift, bool ctrl);
// Re-marks the rectangle from the anchor to `at` (whole columns or rows for strips).
void DragSelection(CSheet& sheet, SheetEntry at);
// Marked entries become selected; kind, count, box and the interpolable
// rectangle with its corners are worked out.
void CompleteSelection(CSheet& sheet);

// Replace the selection at once (keyboard, tools, drags).
void SelectOnly(CSheet& sheet, SheetEntry e);
void SelectSpan(CSheet& sheet, SheetEntry anchor, SheetEntry corner);
void SelectRect(CSheet& sheet, const SheetRect& r);
void SelectAllCells(CSheet& sheet);
void SelectAllXPoints(CSheet& sheet);
void SelectAllYPoints(CSheet& sheet);
// The all-cells box: everything, or nothing when everything was selected.
void ToggleAllCells(CSheet& sheet);
// Right click: an unselected entry becomes the only selection; a strip
// selects its whole column or row unless that is fully selected already.
void ContextSelect(CSheet& sheet, SelectionMode mode, SheetEntry at);

// Painting helpers: how much of a column, row, axis or of all cells is selected.
Coverage ColumnCoverage(const CSheet& sheet, int x);
Coverage RowCoverage(const CSheet& sheet, int y);
Coverage AxisCoverage(const CSheet& sheet, int which);  // kPartX or kPartY
Coverage TableCoverage(const CSheet& sheet);

// The selection's minimum corner (where typing starts editing).
SheetEntry FirstSelected(const CSheet& sheet);
// Part holding the selection (kPartX/Y/Data) or 0, and whether it may be changed.
int SelectionPart(const CSheet& sheet);
bool SelectionEditable(const CSheet& sheet);

// Keyboard cursor (the selection's moving corner). False when nothing moved.
bool MoveCursor(CSheet& sheet, int dx, int dy, bool shift);
enum class CursorEdge { kHome, kEnd, kPageUp, kPageDown };
bool MoveCursorToEdge(CSheet& sheet, CursorEdge edge, bool shift);
bool MoveCursorEnter(CSheet& sheet);

// Fill drag (mode 1, the fill handle) and border drag (mode 2), moved by d
// columns and e rows from the press.
enum FillDragMode : int { kFillNone = 0, kFillExtrapolate = 1, kFillMove = 2 };
SheetRect FillDragTarget(const CSheet& sheet, const SheetRect& start, int mode, int d, int e);
// Writes the target from `source` (the part's values at the press): mode 1
// extrapolates linearly outside the start, mode 2 copies the start block.
void ApplyFillDrag(CSheet& sheet, const std::vector<std::int32_t>& source, const SheetRect& start,
                   const SheetRect& target, int mode);
