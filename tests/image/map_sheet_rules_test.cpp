#include <gtest/gtest.h>

#include "image/MapSheetRules.h"
#include "sheet/TabModel.h"

namespace {

struct Sheets {
  CTabModel servo{Layout(SheetControlId::kServo).options};
  CTabModel idle{Layout(SheetControlId::kIdlePosition).options};
  CTabModel ap{Layout(SheetControlId::kApSensor).options};
  MapControls controls;
  CParamSet params;
  Sheets() {
    const auto none = [](std::string_view) -> const void* { return nullptr; };
    DefineControl(SheetControlId::kServo, servo, none);
    DefineControl(SheetControlId::kIdlePosition, idle, none);
    DefineControl(SheetControlId::kApSensor, ap, none);
    controls.controls[Index(SheetControlId::kServo)] = &servo;
    controls.controls[Index(SheetControlId::kApSensor)] = &ap;
    params.Value(FieldId::kBike) = 11;
  }
};

// "Percent" converts the active servo map both ways; the intake servo takes
// the idle curve along only while that curve is the servo's start position
// (idle type 1), never desired rpm (type 2).
TEST(MapSheetRules, ServoUnitSwitchConvertsTheMapAndItsIdleCurve) {
  struct Case {
    int idleType;
    std::int32_t idleAfterPercent;
  };
  for (const Case c : {Case{1, 20}, Case{2, 200}}) {
    Sheets s;
    s.params.Value(FieldId::kIdleType) = c.idleType;
    s.servo.SelectSheet(kIntakeServoSheet);
    s.servo.Sheet(kIntakeServoSheet).Cell(0, 0) = 200;
    s.servo.Sheet(kIntakeServoSheet).Cell(1, 0) = 3;
    s.idle.Sheet(0).Cell(0, 0) = 200;

    ASSERT_TRUE(SwitchServoUnit(s.servo, &s.idle, s.params, true));
    EXPECT_EQ(s.servo.Sheet(kIntakeServoSheet).Cell(0, 0), 80);
    EXPECT_EQ(s.servo.Sheet(kIntakeServoSheet).Cell(1, 0), 1);  // 1.2 rounds to 1
    EXPECT_EQ(s.params.Value(FieldId::kInServoPercent), 1);
    EXPECT_EQ(s.idle.Sheet(0).Cell(0, 0), c.idleAfterPercent) << "idle type " << c.idleType;
    EXPECT_FALSE(SwitchServoUnit(s.servo, &s.idle, s.params, true)) << "already in percent";

    ASSERT_TRUE(SwitchServoUnit(s.servo, &s.idle, s.params, false));
    EXPECT_EQ(s.servo.Sheet(kIntakeServoSheet).Cell(0, 0), 200);
    EXPECT_EQ(s.servo.Sheet(kIntakeServoSheet).Cell(1, 0), 3);  // 2.5 rounds away from zero
    EXPECT_EQ(s.params.Value(FieldId::kInServoPercent), 0);
  }
}

TEST(MapSheetRules, ColoursFollowServoUnitAndFlatSensors) {
  Sheets s;
  s.params.Value(FieldId::kExServoPercent) = 1;
  s.ap.Sheet(0).Cell(0, 0) = 2000;
  s.ap.Sheet(0).Cell(0, 1) = 2000;
  ApplyMapColours(s.controls, s.params);
  EXPECT_EQ(s.servo.Sheet(kIntakeServoSheet).dataAxis.colour, 0xCEDBFFu);
  EXPECT_EQ(s.servo.Sheet(kExhaustServoSheet).xAxis.colour, 0xCEF0FFu);
  EXPECT_EQ(s.ap.Sheet(0).dataAxis.colour, 0x0000FFu);
  s.ap.Sheet(0).Cell(0, 1) = 3000;
  ApplyMapColours(s.controls, s.params);
  EXPECT_EQ(s.ap.Sheet(0).dataAxis.colour, 0xA0E0C0u);
}

TEST(MapSheetRules, SheetChangeTakesTheBaseAdvanceWithinItsField) {
  CTabModel advance{Layout(SheetControlId::kAdvance).options};
  DefineControl(SheetControlId::kAdvance, advance, [](std::string_view) -> const void* { return nullptr; });
  CParamSet params;
  for (const auto& [marker, taken] : {std::pair{25, 25}, {-5, 0}, {55, 40}}) {
    advance.Markers().baseAdvance = marker;
    TakeSheetChange(SheetControlId::kAdvance, advance, params);
    EXPECT_EQ(params.Value(FieldId::kBaseAdvance), taken) << marker;
  }
}

}  // namespace
