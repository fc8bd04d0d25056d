#include "image/ParamSet.h"

#include <algorithm>

namespace {
// Its intake servo is not a step motor whatever the page says.
constexpr std::uint8_t kBikeWithoutStepMotor = 47;
}  // namespace

void LoadParameterSet(const ConfigImage& image, CParamSet& params) {
  for (const FieldInfo& f : kFieldCatalogue) {
    auto values = params.Values(f.id);
    for (int i = 0; i < f.count; ++i) values[static_cast<std::size_t>(i)] = ToShown(f, ReadRaw(image, f.id, i));
  }
  // 0 reads as one cylinder and anything above four as four; the byte itself stays.
  params.Value(FieldId::kCylinderCount) = std::clamp(params.Value(FieldId::kCylinderCount), 1, 4);
  for (const MapLayout& m : kMapTable) LoadMap(image, m.id, params.Grid(m.id));
}

void StoreParameterSet(const CParamSet& params, ConfigImage& image) {
  for (const FieldInfo& f : kFieldCatalogue) {
    if (f.holder != Holder::kControl && f.holder != Holder::kSheet) continue;
    const auto values = params.Values(f.id);
    for (int i = 0; i < f.count; ++i) WriteRaw(image, f.id, i, ToRaw(f, values[static_cast<std::size_t>(i)]));
  }
  if (image[ElementOffset(FieldId::kBike)] == kBikeWithoutStepMotor) WriteRaw(image, FieldId::kInServoStepMotor, 0, 0);
  for (const MapLayout& m : kMapTable) StoreMap(params.Grid(m.id), m.id, image);
}
