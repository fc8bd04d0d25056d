#pragma once

#include <cstdint>

#include "base/Colours.h"
#include "sheet/Sheet.h"

// Pixel layout and colours of the table view, at 96 pixels per inch unless
// scaled. The widget paints and hit-tests with these; they live here so the
// numbers have one owner.
namespace table {

constexpr int kColumnBudget = 15;
constexpr int kRowBudget = 10;
constexpr int kLeftMargin = 10;
constexpr int kRightMargin = 27;
constexpr int kBottomMargin = 27;
constexpr int kRowHeaderWidth96 = 65;
constexpr int kHeaderGap96 = 15;
constexpr int kScrollBarThickness = 15;
constexpr int kSpinnerWidth = 15;
constexpr int kSpinnerInset = 10;  // spinner starts this far left of the entry's right edge
constexpr int kFillHandleSize = 5;
constexpr int kFillHandleReach = 5;
constexpr int kBorderReach = 2;
constexpr int kCollapsedLabelHeight = 28;
constexpr int kCollapsedLabelLift = 30;
constexpr int kSideGraphMinSize = 100;

constexpr TColor kRaisedLight = 0xFFFFFF;
constexpr TColor kRaisedShadow = 0xC0C0C0;
constexpr TColor kGridLine = 0xE4D6D4;
constexpr TColor kSelectedFill = 0xF4EEEC;
constexpr TColor kEditorSelection = 0xFF8844;
constexpr TColor kHeaderPartSelected = 0xC0C0C0;
constexpr TColor kHeaderFullySelected = 0x808080;
constexpr TColor kInterpolationCorner = 0x88F444;
constexpr TColor kInterpolationPreview = 0x00AAAA;
constexpr TColor kLiveActive = 0x44F444;
constexpr TColor kLivePartial = 0x44F4F4;
constexpr TColor kFillTargetFrame = 0x808080;
constexpr TColor kReadOnlyText = 0x808080;
constexpr TColor kSpinnerArrow = 0x808080;

// How many columns and rows the table is sized for: the map pages' big
// controls use the full 15 x 10, the small ones fewer, so their cells stay
// readable.
struct TableBudget {
  int columns = kColumnBudget;
  int rows = kRowBudget;
};

// Top margin T; barTop b is 5, or 25 when the sheet tabs need their own row.
int TopMargin(int sheetCount, std::uint32_t options, int barTop);

struct TableGeometry {
  int top = 0;             // T
  int headerHeight = 0;    // H
  int rowHeaderWidth = 0;  // W
  int gap = 0;             // G
  int cellsLeft = 0;       // CL
  int cellsTop = 0;        // CT
  double columnWidth = 0;  // cw
  double rowHeight = 0;    // rh
  int visibleColumns = 0;  // vc
  int visibleRows = 0;     // vr
  bool horizontalBar = false;
  bool verticalBar = false;
};

TableGeometry ComputeTableGeometry(int width, int height, int top, double ppi, const CSheet& sheet,
                                   TableBudget budget = {});

// Scroll position limited to [0, count - visible].
int ClampFirstVisible(int first, int count, int visible);
// The smallest scroll that shows index.
int ScrollToShow(int first, int index, int count, int visible);
// Insertion boundary nearest to the mouse, 0..count.
int InsertPosition(int mouse, int cellsOrigin, double cellSize, int firstVisible, int count);

}  // namespace table
