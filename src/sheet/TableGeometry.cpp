#include "sheet/TableGeometry.h"

#include <algorithm>
#include <cmath>

namespace table {

int TopMargin(int sheetCount, std::uint32_t options, int barTop) {
  int t = kLeftMargin;
  if (sheetCount >= 2 || (options & kOptionTitleLine)) t = std::max(t, barTop + 20);
  if (options & kOptionButtonBar) t = std::max(t, barTop + 31);
  return t;
}

TableGeometry ComputeTableGeometry(int width, int height, int top, double ppi, const CSheet& sheet,
                                   TableBudget budget) {
  budget.columns = std::max(1, budget.columns);
  budget.rows = std::max(1, budget.rows);
  TableGeometry g;
  g.top = top;
  g.rowHeaderWidth = static_cast<int>(kRowHeaderWidth96 * ppi / 96);
  g.gap = static_cast<int>(kHeaderGap96 * ppi / 96);
  g.headerHeight = (height - top - g.gap - kBottomMargin) / (budget.rows + 1);
  g.cellsLeft = kLeftMargin + g.rowHeaderWidth + g.gap;
  g.cellsTop = top + g.headerHeight + g.gap;
  g.columnWidth = static_cast<double>(width - g.cellsLeft - kRightMargin) / budget.columns;
  g.rowHeight = static_cast<double>(height - top - g.headerHeight - g.gap - kBottomMargin) / budget.rows;
  g.visibleColumns = sheet.xAxis.collapsed ? 1 : std::min(budget.columns, sheet.xAxis.count);
  g.visibleRows = sheet.yAxis.collapsed ? 1 : std::min(budget.rows, sheet.yAxis.count);
  g.horizontalBar = g.visibleColumns == budget.columns && sheet.xAxis.count > budget.columns;
  g.verticalBar = g.visibleRows == budget.rows && sheet.yAxis.count > budget.rows;
  return g;
}

int ClampFirstVisible(int first, int count, int visible) { return std::clamp(first, 0, std::max(0, count - visible)); }

int ScrollToShow(int first, int index, int count, int visible) {
  if (index < first) first = index;
  if (index >= first + visible) first = index - visible + 1;
  return ClampFirstVisible(first, count, visible);
}

int InsertPosition(int mouse, int cellsOrigin, double cellSize, int firstVisible, int count) {
  if (cellSize <= 0) return std::clamp(firstVisible, 0, count);
  const int k = static_cast<int>(std::trunc((mouse - cellsOrigin + cellSize / 2) / cellSize)) + firstVisible;
  return std::clamp(k, 0, count);
}

}  // namespace table
