#pragma once

#include <array>
#include <functional>
#include <optional>

#include "image/ConfigImage.h"
#include "image/MapCatalogue.h"

class CTabModel;

// The window's sheet controls by catalogue id; null where a control is absent.
struct MapControls {
  std::array<CTabModel*, kSheetControlCount> controls{};
  CTabModel* operator[](SheetControlId id) const { return controls[Index(id)]; }
};

struct MapLoadOptions {
  // Set when the load belongs to the commit of this control's sheet change:
  // its maps keep the column counts the user gave them.
  std::optional<SheetControlId> changedControl;
  // Gives the percent-capable injection sheets their base tables; runs once
  // the injection maps are loaded and their counts are final.
  std::function<void(CTabModel& injection)> afterInjectionLoad;
};

// Image → sheets, in the image's raw units (speeds in hundreds of rpm,
// positions in 5° steps, injection times × 10). Fixed axis points are set
// again, the position references taken, and every control told to take its
// markers again.
void LoadMapSheets(const ConfigImage& image, MapControls& controls, const MapLoadOptions& options = {});

// Sheets → image. Columns beyond a sheet's count repeat its last column;
// every value is saturated to its field, never cut to its low bits. Bytes of
// absent controls are left alone. The idle curve is stored with the factor
// of the idle type the image holds now.
void StoreMapSheets(const MapControls& controls, ConfigImage& image);
