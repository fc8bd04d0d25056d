#include "image/MapStorage.h"

#include <algorithm>

void LoadMap(const ConfigImage& image, MapId id, MapGrid& grid) {
  const MapLayout& m = Map(id);
  grid.Resize(m.rows, m.columns);
  for (int c = 0; c < m.columns; ++c) grid.columnAxis[static_cast<std::size_t>(c)] = image[m.axisOffset + c];
  for (int r = 0; r < m.rows; ++r)
    grid.rowAxis[static_cast<std::size_t>(r)] =
        m.fixedRows.empty() ? ReadRaw(image, m.rowField, r) : m.fixedRows[static_cast<std::size_t>(r)];
  for (int r = 0; r < m.rows; ++r)
    for (int c = 0; c < m.columns; ++c)
      grid.At(r, c) = ReadRaw(image, MapValueOffset(m, r, c), m.valueWidth) * m.sheetFactor;
}

void StoreMap(const MapGrid& grid, MapId id, ConfigImage& image) {
  const MapLayout& m = Map(id);
  const int columns = std::min<int>(grid.Columns(), m.columns);
  const int rows = std::min<int>(grid.Rows(), m.rows);
  if (columns <= 0 || rows <= 0 || grid.values.size() < static_cast<std::size_t>(grid.Rows() * grid.Columns())) return;
  for (int c = 0; c < columns; ++c)
    WriteRaw(image, m.axisOffset + static_cast<std::size_t>(c), FieldWidth::kByte,
             grid.columnAxis[static_cast<std::size_t>(c)]);
  if (m.fixedRows.empty())
    for (int r = 0; r < rows; ++r) WriteRaw(image, m.rowField, r, grid.rowAxis[static_cast<std::size_t>(r)]);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < m.columns; ++c) {
      const std::int32_t v = grid.At(r, std::min(c, columns - 1));
      WriteRaw(image, MapValueOffset(m, r, c), m.valueWidth, v / m.sheetFactor);
    }
}
