#pragma once

#include <cstdint>

#include "image/ConfigImage.h"

class CParamSet;
class IReferenceTables;

// Where the default configuration goes: the whole image, or the page the
// user looks at (with, on the injection and servo pages, only the sheet shown).
struct DefaultsScope {
  bool wholeImage = true;
  int page = 0;       // PageIndex of the active page, for the page mode
  int shownMap = -1;  // injection: 0-3 maps 1-4, 4 map B, 5 the IAP map; servo: 0 intake, 1 exhaust
};
constexpr DefaultsScope kWholeImage{};

// The IAP map's pressure axis (kPa) of every bike, also the start of an
// older map file's import.
inline constexpr std::int32_t kDefaultIapPressurePoints[] = {30, 50, 60, 70, 75, 80, 85, 90, 95, 100};

// Applies the default configuration of the bike type in image byte 0 and
// loads the parameter set from the image. The injection maps take their
// defaults from the bike's reference tables at the default axis points. A
// code that names no bike changes no byte.
void ApplyBikeDefaults(ConfigImage& image, CParamSet& params, const DefaultsScope& scope);

// New and Open for actual page are refused on injection maps 1-4 while the
// injection is coupled (byte 47 = 1): those maps are copies of map 1 then.
bool CoupledPageRefused(const ConfigImage& image, const DefaultsScope& scope);
