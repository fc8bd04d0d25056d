#pragma once

#include <span>

#include "image/MapLoad.h"
#include "image/ParamSet.h"

class CTabModel;

// What the map sheets and the parameter set tell each other outside the
// load and store of the maps: the servo sheets' fields, the colours that
// follow the settings, a committed sheet change taken back, and the servo
// data unit switched by "Percent".

struct ServoSheetFields {
  int sheet;  // in the servo control
  FieldId enable;
  FieldId percent;
  FieldId axes;
};
std::span<const ServoSheetFields> ServoSheets();
const ServoSheetFields& ServoOf(int sheet);

// After every load: the servo sheets lighter while their servo works in
// percent; an AP or IAP sensor whose two points share one voltage red.
void ApplyMapColours(MapControls& controls, const CParamSet& params);

// A committed change of control `id` taken back into the parameter set
// before the commit: the dragged base advance marker (kept within its
// field), the active servo sheet's enabled flag and axes mode.
void TakeSheetChange(SheetControlId id, const CTabModel& model, CParamSet& params);

// "Percent" of the active servo sheet: its map converted (×0.4 to percent,
// ×2.5 back, rounded half away from zero), its data axis relabelled and the
// flag stored; the intake servo takes the idle curve with it while that
// curve holds the servo's start position. False when nothing changed.
bool SwitchServoUnit(CTabModel& servo, CTabModel* idle, CParamSet& params, bool percent);
