#pragma once

#include <cstdint>
#include <vector>

// A map as plain raw integers: the column axis (speed points), the row axis
// (the second axis, stored or fixed) and rows × columns values, row after
// row. The image's load and store of maps work on this type; the sheet
// model fills itself from it and hands it back.
struct MapGrid {
  std::vector<std::int32_t> columnAxis;
  std::vector<std::int32_t> rowAxis;
  std::vector<std::int32_t> values;

  int Columns() const { return static_cast<int>(columnAxis.size()); }
  int Rows() const { return static_cast<int>(rowAxis.size()); }
  std::int32_t& At(int row, int column) { return values[static_cast<std::size_t>(row * Columns() + column)]; }
  std::int32_t At(int row, int column) const { return values[static_cast<std::size_t>(row * Columns() + column)]; }
  void Resize(int rows, int columns) {
    rowAxis.assign(static_cast<std::size_t>(rows), 0);
    columnAxis.assign(static_cast<std::size_t>(columns), 0);
    values.assign(static_cast<std::size_t>(rows * columns), 0);
  }
};
