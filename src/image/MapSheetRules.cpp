#include "image/MapSheetRules.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "sheet/TabModel.h"

namespace {

constexpr ServoSheetFields kServos[] = {
    {kIntakeServoSheet, FieldId::kInServoEnable, FieldId::kInServoPercent, FieldId::kInServoAxes},
    {kExhaustServoSheet, FieldId::kExServoEnable, FieldId::kExServoPercent, FieldId::kExServoAxes},
};

void Scale(std::vector<std::int32_t>& values, double factor) {
  for (std::int32_t& v : values) v = static_cast<std::int32_t>(std::lround(v * factor));
}

}  // namespace

std::span<const ServoSheetFields> ServoSheets() { return kServos; }
const ServoSheetFields& ServoOf(int sheet) { return kServos[sheet == kExhaustServoSheet ? 1 : 0]; }

void ApplyMapColours(MapControls& controls, const CParamSet& params) {
  if (CTabModel* servo = controls[SheetControlId::kServo]) {
    for (const ServoSheetFields& f : kServos) {
      if (!servo->ValidSheet(f.sheet)) continue;
      CSheet& s = servo->Sheet(f.sheet);
      const TColor c = params.Value(f.percent) == 1 ? kServoPercentColour : kServoVoltsColour;
      s.xAxis.colour = s.yAxis.colour = s.dataAxis.colour = c;
    }
  }
  for (SheetControlId id : {SheetControlId::kApSensor, SheetControlId::kIapSensor}) {
    CTabModel* sensor = controls[id];
    if (!sensor || !sensor->ValidSheet(0)) continue;
    CSheet& s = sensor->Sheet(0);
    s.dataAxis.colour = s.Cell(0, 0) == s.Cell(0, 1) ? kFlatSensorColour : kSensorColour;
  }
}

void TakeSheetChange(SheetControlId id, const CTabModel& model, CParamSet& params) {
  switch (id) {
    case SheetControlId::kAdvance:
      // The marker can be dragged anywhere; the field holds 0..40.
      params.Value(FieldId::kBaseAdvance) = std::clamp(model.Markers().baseAdvance, 0, 40);
      break;
    case SheetControlId::kServo:
      if (model.ValidSheet(model.ActiveIndex())) {
        const CSheet& s = model.Sheet(model.ActiveIndex());
        const ServoSheetFields& f = ServoOf(model.ActiveIndex());
        // A stored non-zero flag stays as it is while the sheet is enabled.
        std::int32_t& enable = params.Value(f.enable);
        if ((enable != 0) != (s.enabled != 0)) enable = s.enabled != 0 ? 1 : 0;
        params.Value(f.axes) = s.xAxis.collapsed ? 2 : (s.yAxis.collapsed ? 1 : 0);
      }
      break;
    default:
      break;
  }
}

bool SwitchServoUnit(CTabModel& servo, CTabModel* idle, CParamSet& params, bool percent) {
  const int sheet = servo.ActiveIndex();
  if (!servo.ValidSheet(sheet)) return false;
  std::int32_t& flag = params.Value(ServoOf(sheet).percent);
  if ((flag == 1) == percent) return false;

  // 250 raw volt steps (5 V) are 100 %.
  Scale(servo.Sheet(sheet).dataAxis.values, percent ? 0.4 : 2.5);
  ApplyServoDataUnit(servo.Sheet(sheet), percent ? 1 : 0);
  const int bike = params.Value(FieldId::kBike);
  const int idleType = params.Value(FieldId::kIdleType);
  // Only a curve whose unit depends on the servo's holds its start position;
  // rpm or step values are left alone.
  const bool idleFollows = &IdleCurveFor(bike, idleType, 0) != &IdleCurveFor(bike, idleType, 1);
  if (sheet == kIntakeServoSheet && idleFollows && idle && idle->ValidSheet(0)) {
    Scale(idle->Sheet(0).dataAxis.values, percent ? 0.1 : 10.0);
    ApplyIdleCurveUnit(*idle, IdleCurveFor(bike, idleType, percent ? 1 : 0));
  }
  flag = percent ? 1 : 0;
  return true;
}
