#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "image/ConfigImage.h"
#include "image/FieldCatalogue.h"
#include "image/MapGrid.h"
#include "image/MapStorage.h"

// The settings as the pages and sheets work on them: the shown value of every
// element of every field, one grid per map, and the time/percent view of the
// injection maps, which lives only in the program.
class CParamSet {
 public:
  std::int32_t& Value(FieldId id, int index = 0) { return m_values[Start(id) + static_cast<std::size_t>(index)]; }
  std::int32_t Value(FieldId id, int index = 0) const { return m_values[Start(id) + static_cast<std::size_t>(index)]; }
  std::span<std::int32_t> Values(FieldId id) { return {m_values.data() + Start(id), Field(id).count}; }
  std::span<const std::int32_t> Values(FieldId id) const { return {m_values.data() + Start(id), Field(id).count}; }

  MapGrid& Grid(MapId id) { return m_maps[static_cast<std::size_t>(id)]; }
  const MapGrid& Grid(MapId id) const { return m_maps[static_cast<std::size_t>(id)]; }

  // The number of cylinders as the pages use it, 1..4.
  int CylinderCount() const { return Value(FieldId::kCylinderCount); }

  // Injection maps shown as times (true) or as percentages of their base table.
  bool injectionAsTime = false;

 private:
  static constexpr std::size_t Start(FieldId id) { return kFieldValueStart[static_cast<std::size_t>(id)]; }

  std::array<std::int32_t, kFieldValueCount> m_values{};
  std::array<MapGrid, kMapCount> m_maps{};
};

// Image → parameter set: every field as raw × scale + offset, every map into its grid.
void LoadParameterSet(const ConfigImage& image, CParamSet& params);

// Parameter set → image: every field that a control or sheet shows, every map
// that has a grid. Fields nothing shows, unused bytes and the note keep their bytes.
void StoreParameterSet(const CParamSet& params, ConfigImage& image);
