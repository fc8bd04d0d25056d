#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "image/ConfigImage.h"
#include "image/FieldCatalogue.h"
#include "image/Normalise.h"
#include "image/PageBindings.h"
#include "image/Pages.h"
#include "image/ParamSet.h"
#include "image/UpDownValue.h"

namespace {

// The controls of the pages as the tuner sees them, restated on purpose:
// page, name, image byte of the value (words: their first byte) and, for an
// up/down, its range and step in shown units.
struct RestatedControl {
  int page;
  std::string name;
  std::size_t offset;
  std::int32_t min = 0, max = 0, step = 1;
};

std::vector<RestatedControl> RestatedControls() {
  std::vector<RestatedControl> rows = {
      // bike
      {0, "CheckBoxFallEnable", 22},
      {0, "CheckBoxBlokEnable", 23},
      {0, "CheckBoxAktFall", 24},
      {0, "CheckBoxAktClutch", 25},
      {0, "CheckBoxAktStartLimiter", 26},
      {0, "CheckBoxAktRpm", 27},
      {0, "UpDownStartLimiter1", 28, 100, 25000, 100},
      {0, "UpDownIgnLimiter", 29, 100, 25000, 100},
      {0, "UpDownJetLimiter", 30, 100, 25000, 100},
      {0, "UpDownRetardLimiterRpm", 31, 100, 25000, 100},
      {0, "UpDownRetardLimiterAdv", 32, 1, 250},
      {0, "UpDownStartLimiter2", 39, 100, 25000, 100},
      {0, "UpDownStartLimiterDelay", 282, 0, 25000, 100},
      {0, "UpDownChlazeni", 35, 0, 150},
      {0, "UpDownRpmPulsu", 36, 0, 6},
      {0, "UpDownRpmKorekce", 37, -60, 60},
      {0, "UpDownIntakePortRpm", 38, 100, 25000, 100},
      {0, "UpDownDwell", 4, 100, 10000, 100},
      {0, "UpDownLambdaTachoAfr1", 368, 100, 200},
      {0, "UpDownLambdaTachoAfr2", 369, 100, 200},
      {0, "UpDownLambdaTachoRpm1", 370, 0, 25000, 100},
      {0, "UpDownLambdaTachoRpm2", 371, 0, 25000, 100},
      // advance: the base advance only up to the 40 degrees its byte holds
      {1, "UpDownBaseAdvance", 45, 0, 40},
      {1, "UpDownAdvKor1", 41, -15, 15},
      {1, "UpDownAdvKor2", 42, -15, 15},
      {1, "UpDownAdvKor3", 43, -15, 15},
      {1, "UpDownAdvKor4", 44, -15, 15},
      // injection: IAP -> TP, and the IAP cylinder corrections within their byte
      {2, "UpDownIapTpsMin", 48, 0, 101},
      {2, "UpDownIapTpsMax", 49, 0, 101},
      {2, "UpDownIapRpmMin", 50, 0, 25000, 100},
      {2, "UpDownIapRpmMax", 51, 0, 25000, 100},
      {2, "UpDownIapKor1", 52, 0, 255, 5},
      {2, "UpDownIapKor2", 53, 0, 255, 5},
      {2, "UpDownIapKor3", 54, 0, 255, 5},
      {2, "UpDownIapKor4", 55, 0, 255, 5},
      // corrections
      {4, "UpDownAkcelPrah", 90, 10, 2500, 10},
      {4, "UpDownAkcelJet", 91, 0, 7500, 50},
      {4, "UpDownStartJet", 92, 0, 50},
      {4, "UpDownAccKPlus", 332, 0, 30000},
      {4, "UpDownAccKMinus", 334, 0, 30000},
      {4, "UpDownAccT100", 336, 10, 30000, 10},
      {4, "UpDownAccT0", 338, 10, 30000, 10},
      // sensors
      {5, "UpDownTps0", 33, 0, 2500, 10},
      {5, "UpDownTps100", 34, 2500, 5000, 10},
      {5, "RadioGroupCidloLambdaMode", 352},
      {5, "RadioGroupPotencMode", 75},
      {5, "UpDownPotencRozsah", 76, 0, 60},
      {5, "RadioGroupPolCKPS", 5},
      // servo: the intake servo's set, then the exhaust servo's
      {6, "CheckBoxServoInEnable", 59},
      {6, "CheckBoxServoInPercent", 63},
      {6, "UpDownServoInP", 61, 0, 1000, 5},
      {6, "CheckBoxServoInStepMotor", 66},
      {6, "UpDownServoInPeriod", 77, 1, 100},
      {6, "UpDownServoInExcitation", 78, 250, 25000, 250},
      {6, "UpDownServoInI", 249, 0, 250},
      {6, "UpDownServoInD", 251, 0, 250},
      {6, "UpDownServoInIOff", 276, 0, 250},
      {6, "UpDownServoInDOff", 278, 0, 250},
      {6, "UpDownServoInO", 279, 0, 250},
      {6, "CheckBoxServoExEnable", 58},
      {6, "CheckBoxServoExPercent", 62},
      {6, "UpDownServoExP", 60, 0, 1000, 5},
      {6, "UpDownServoExI", 248, 0, 250},
      {6, "UpDownServoExD", 250, 0, 250},
      {6, "UpDownServoExIOff", 275, 0, 250},
      {6, "UpDownServoExDOff", 277, 0, 250},
      // race
      {7, "RadioGroupClutchMode", 120},
      {7, "UpDownClutchMinRpm", 133, 1000, 25000, 100},
      {7, "UpDownClutchJet", 134, 0, 100},
      {7, "UpDownClutchAdv", 135, -60, 60},
      {7, "CheckBoxTempDisplay", 107},
      {7, "CheckBoxPilotLightInvOut", 139},
      {7, "UpDownPitSpeed", 186, 20, 200},
      {7, "UpDownPitRetardP", 187, 0, 250},
      {7, "UpDownPitRetardI", 188, 0, 250},
      {7, "UpDownPitMinAdv", 189, -60, 60},
      {7, "UpDownPitMinRpm", 190, 600, 25000, 100},
      // gear
      {8, "RadioGroupGearSystem", 136},
      {8, "UpDownPocetGear", 137, 1, 6},
      {8, "UpDownGearAutoTime", 154, 1, 100},
      {8, "UpDownGearAutoRpm", 155, 300, 25000, 100},
      {8, "UpDownGearAutoTps", 156, 0, 100},
      {8, "UpDownGearAutoBand", 157, 1, 100},
      {8, "RadioGroupSpeedMode", 138},
      {8, "UpDownPulsuProSpeed", 160, 1, 32000},
      {8, "UpDownSpeedOutCorrection", 404, 1, 250},
      // idle
      {9, "RadioGroupIdleMode", 290},
      {9, "CheckBoxIdleSmerReg", 293},
      {9, "UpDownIdleStepPuls", 294, 250, 25000, 250},
      {9, "UpDownIdleStepPerioda", 295, 1, 250},
      {9, "UpDownIdleStart", 330, 0, 30000, 10},
      {9, "CheckBoxIdleAdvOn", 317},
      {9, "UpDownIdleAdvNaRpm", 318, 1, 100},
      {9, "UpDownIdleAdvNaCas", 319, 0, 250},
      {9, "UpDownIdleMaxAdv", 320, 1, 100},
      {9, "UpDownIdleRpmMez", 291, 300, 20000, 100},
      {9, "UpDownIdleTpsMez", 292, 1, 100},
      {9, "UpDownIdleHyster", 296, 0, 2500, 10},
      {9, "UpDownIdleControlBand", 297, 10, 500, 10},
      // N2O
      {10, "CheckBoxGas", 98},
      {10, "UpDownGas1", 99, 0, 100},
      {10, "UpDownGas2", 100, 0, 100},
      {10, "UpDownGasD", 102, 0, 25500, 100},
      {10, "UpDownGasT", 101, 0, 25500, 100},
      {10, "UpDownGasJetKor1", 158, 100, 350},
      {10, "UpDownGasJetKor2", 159, 100, 350},
      {10, "UpDownRetard1", 103, 0, 25},
      {10, "UpDownRetard2", 104, 0, 25},
      {10, "UpDownRetardD", 106, 0, 25500, 100},
      {10, "UpDownRetardT", 105, 0, 25500, 100},
      {10, "UpDownN2O_RPMmin", 280, 0, 25000, 100},
      {10, "UpDownN2O_TPSmin", 281, 0, 100},
      // tuning
      {11, "RadioGroupLadeniMode", 340},
      {11, "RadioGroupLadeniOnByTLS", 341},
      {11, "UpDownLadeniHyster", 344, 0, 50},
      {11, "UpDownLadeniRpm", 345, 10, 2000, 10},
      {11, "UpDownLadeniTps", 346, 1, 20},
      {11, "UpDownLadeniCas", 347, 1, 250},
      {11, "UpDownLadeniKrok", 348, 1, 250},
      {11, "UpDownLadeniKanal", 350, 1, 4},     // up to the number of cylinders
      {11, "UpDownLadeniMaxAcc", 351, 0, 255},  // 0..2500 narrowed to its byte
      {11, "UpDownLadeniLambdaMin", 378, 0, 250},
      {11, "UpDownLadeniLambdaMax", 379, 0, 250},
      {11, "UpDownLadeniTpsMin", 380, 0, 100},
      {11, "UpDownLadeniRpmMin", 381, 0, 25000, 100},
      {11, "UpDownLadeniTempMin", 382, -30, 150},
      {11, "UpDownLadeniTempMax", 383, -30, 150},
      // test
      {13, "UpDownTestRpm", 376, 200, 25000, 100},
      {13, "UpDownTestServo", 377, 10, 2500, 10},
  };
  const auto add = [&rows](int page, const std::string& name, int first, int last, std::size_t offset,
                           std::size_t stride, std::int32_t min, std::int32_t max, std::int32_t step = 1) {
    for (int i = first; i <= last; ++i)
      rows.push_back({page, name + std::to_string(i), offset + stride * std::size_t(i - first), min, max, step});
  };
  add(7, "UpDownRacePilotFirst", 1, 6, 108, 1, 100, 25000, 100);
  add(7, "UpDownRacePilotSecond", 1, 6, 114, 1, 100, 25000, 100);
  add(7, "UpDownRaceClutchTime", 1, 6, 121, 1, 0, 1250, 5);
  add(7, "UpDownRaceClutchPause", 1, 6, 127, 1, 0, 2500, 100);
  add(8, "UpDownGearVoltage", 0, 6, 140, 2, 0, 5000);
  add(8, "UpDownGearRatio", 1, 6, 162, 2, 1, 32000);
  add(8, "UpDownGearKorAdvance", 1, 6, 174, 1, -20, 20);
  add(8, "UpDownGearKorInjection", 1, 6, 180, 1, 0, 250);
  add(12, "UpDownLambdaBar", 0, 3, 372, 1, 100, 200);
  return rows;
}

ControlKind KindByName(std::string_view name) {
  if (name.starts_with("UpDown")) return ControlKind::kUpDown;
  if (name.starts_with("CheckBox")) return ControlKind::kCheckBox;
  EXPECT_TRUE(name.starts_with("RadioGroup")) << name;
  return ControlKind::kRadioGroup;
}

// Raw values the field's width can hold.
std::pair<std::int64_t, std::int64_t> RawLimits(FieldWidth width) {
  switch (width) {
    case FieldWidth::kByte:
      return {0, 255};
    case FieldWidth::kSignedByte:
      return {-128, 127};
    case FieldWidth::kWord:
      return {0, 65535};
    case FieldWidth::kSignedWord:
      return {-32768, 32767};
  }
  return {0, 0};
}

// The window's controls as a map by name. A control listed in `missing`
// does not exist: writes to it are lost and reading it gives nothing.
class FakeControls : public IControlValues {
 public:
  std::optional<std::int32_t> Get(const ControlBinding& control) const override {
    const auto it = values.find(control.name);
    if (it == values.end()) return std::nullopt;
    return it->second;
  }
  void Set(const ControlBinding& control, std::int32_t value) override {
    if (!missing.count(control.name)) values[control.name] = value;
  }

  std::map<std::string, std::int32_t> values;
  std::set<std::string> missing;
};

void ExpectSameValues(const CParamSet& actual, const CParamSet& expected, FieldId except = kNoField,
                      int exceptElement = -1) {
  for (const FieldInfo& f : kFieldCatalogue)
    for (int i = 0; i < f.count; ++i)
      if (f.id != except || i != exceptElement) {
        EXPECT_EQ(actual.Value(f.id, i), expected.Value(f.id, i)) << "field at " << ElementOffset(f, i);
      }
}

}  // namespace

// A wrong row silently sends the engine a different setting: every control
// must sit on the byte, range and step the tuner expects.
TEST(PageBindings, MatchTheRestatedControlsOfEveryPage) {
  const std::vector<RestatedControl> restated = RestatedControls();
  ASSERT_EQ(PageBindings().size(), restated.size());
  for (const RestatedControl& r : restated) {
    SCOPED_TRACE(r.name);
    const ControlBinding* b = FindBinding(r.name);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->page, r.page);
    EXPECT_EQ(b->kind, KindByName(r.name));
    EXPECT_EQ(ElementOffset(b->field, b->element), r.offset);
    if (b->kind == ControlKind::kUpDown) {
      EXPECT_EQ(b->min, r.min);
      EXPECT_EQ(b->max, r.max);
      EXPECT_EQ(b->step, r.step);
    }
  }
  for (int page = 0; page < kPageCount; ++page) {
    std::size_t expected = 0;
    for (const RestatedControl& r : restated) expected += r.page == page ? 1 : 0;
    const auto ofPage = BindingsOfPage(page);
    EXPECT_EQ(ofPage.size(), expected) << "page " << page;
    for (const ControlBinding& b : ofPage) EXPECT_EQ(b.page, page) << b.name;
  }
}

TEST(PageBindings, EveryRangeFitsItsFieldAndEveryNameIsUnique) {
  std::set<std::string> names;
  for (const ControlBinding& b : PageBindings()) {
    SCOPED_TRACE(b.name);
    EXPECT_TRUE(names.insert(b.name).second) << "name used twice";
    EXPECT_EQ(b.kind, KindByName(b.name));
    const FieldInfo& f = Field(b.field);
    // Storing the parameter set writes only fields that a control holds.
    EXPECT_EQ(f.holder, Holder::kControl);
    EXPECT_GE(b.element, 0);
    EXPECT_LT(b.element, f.count);
    if (b.kind != ControlKind::kUpDown) continue;
    EXPECT_LT(b.min, b.max);
    EXPECT_GT(b.step, 0);
    const auto [rawMin, rawMax] = RawLimits(f.width);
    for (const std::int32_t shown : {b.min, b.max}) {
      EXPECT_EQ((shown - f.shownOffset) % f.scale, 0) << shown << " is no stored value";
      EXPECT_GE(ToRaw(f, shown), rawMin) << shown;
      EXPECT_LE(ToRaw(f, shown), rawMax) << shown;
    }
    // A step that is no multiple of the scale would show values the field cannot hold.
    EXPECT_EQ(b.step % f.scale, 0) << "step " << b.step << ", scale " << f.scale;
    // The catalogue names the up/down of a single field: it must be this one.
    const std::string_view control = f.control;
    if (f.count == 1 && control.starts_with("UpDown")) {
      EXPECT_EQ(control, b.name);
    }
  }
}

TEST(PageBindings, FieldEditNameOfAnUpDown) {
  const struct {
    const char* upDown;
    const char* edit;
  } cases[] = {
      {"UpDownGas1", "EditGas1"},
      {"UpDownN2O_RPMmin", "EditN2O_RPMmin"},
      {"UpDownGearVoltage0", "EditGearVoltage0"},
      {"UpDown", ""},
      {"CheckBoxGas", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(FieldEditName(c.upDown), c.edit) << c.upDown;
  for (const ControlBinding& b : PageBindings()) {
    if (b.kind == ControlKind::kUpDown) {
      EXPECT_EQ(FieldEditName(b.name), "Edit" + std::string(b.name).substr(6));
    }
  }
}

TEST(PageBindings, UnknownNameFindsNothing) {
  EXPECT_EQ(FindBinding("UpDownNothing"), nullptr);
  EXPECT_EQ(FindBinding("UpDownGas"), nullptr);  // a prefix of UpDownGas1 is not it
  EXPECT_EQ(FindBinding("ComboBoxBike"), nullptr);
  EXPECT_EQ(FindBinding("CheckBoxLadeniPovoleno"), nullptr);  // not in the image
}

// Units and files hold values no control would let the user set (a blank
// image's zeros, a flag byte of 255): writing a page and reading it back
// leaves every value as it was.
TEST(PageBindings, UntouchedPagesReadBackUnchanged) {
  std::mt19937 rng(1234);
  std::vector<ConfigImage> images(4);
  images[0].fill(0x00);
  images[1].fill(0xFF);
  images[2].fill(0x80);
  for (auto& b : images[3]) b = static_cast<std::uint8_t>(rng());
  images[3][0] = 11;  // a bike whose intake servo may be a step motor
  for (std::size_t n = 0; n < images.size(); ++n) {
    const ConfigImage& image = images[n];
    CParamSet loaded;
    LoadParameterSet(image, loaded);
    for (int page = 0; page < kPageCount; ++page) {
      SCOPED_TRACE(testing::Message() << "image " << n << ", page " << page);
      FakeControls controls;
      WritePage(page, loaded, controls);
      CParamSet read = loaded;
      ReadPage(page, controls, read);
      ExpectSameValues(read, loaded);
      ConfigImage stored = image;
      StoreParameterSet(read, stored);
      EXPECT_EQ(stored, image);
    }
  }
}

TEST(PageBindings, ReadChangesOnlyWhatTheUserChanged) {
  enum class Action { kNone, kSet, kMissing };
  const struct {
    const char* why;
    const char* control;
    std::int32_t stored;
    Action action;
    std::int32_t shown;  // what the user left in the control (kSet)
    std::int32_t expected;
  } cases[] = {
      {"start limiter 0 below its range", "UpDownStartLimiter1", 0, Action::kNone, 0, 0},
      {"pit speed 0 below its range", "UpDownPitSpeed", 0, Action::kNone, 0, 0},
      {"up/down moved", "UpDownStartLimiter1", 0, Action::kSet, 9000, 9000},
      {"negative up/down moved", "UpDownClutchAdv", 5, Action::kSet, -12, -12},
      {"check box still checked over 5", "CheckBoxGas", 5, Action::kNone, 0, 5},
      {"check box unchecked over 5", "CheckBoxGas", 5, Action::kSet, 0, 0},
      {"check box checked over 0", "CheckBoxGas", 0, Action::kSet, 1, 1},
      {"check box still unchecked", "CheckBoxFallEnable", 0, Action::kNone, 0, 0},
      {"fall enable checked is byte 22 not 0", "CheckBoxFallEnable", 0, Action::kSet, 1, 1},
      {"radio group without selection", "RadioGroupIdleMode", 2, Action::kSet, -1, 2},
      {"radio group value beyond its items", "RadioGroupIdleMode", 7, Action::kSet, -1, 7},
      {"radio group item chosen", "RadioGroupIdleMode", 2, Action::kSet, 3, 3},
      {"radio group item 0 chosen", "RadioGroupLadeniOnByTLS", 2, Action::kSet, 0, 0},
      {"up/down missing from the window", "UpDownGas1", 40, Action::kMissing, 0, 40},
      {"check box missing from the window", "CheckBoxIdleAdvOn", 3, Action::kMissing, 0, 3},
      {"radio group missing from the window", "RadioGroupGearSystem", 2, Action::kMissing, 0, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    const ControlBinding* b = FindBinding(c.control);
    ASSERT_NE(b, nullptr);
    CParamSet before;
    before.Value(b->field, b->element) = c.stored;
    FakeControls controls;
    if (c.action == Action::kMissing) controls.missing.insert(c.control);
    WritePage(b->page, before, controls);
    if (c.action == Action::kSet) controls.values[c.control] = c.shown;
    CParamSet after = before;
    ReadPage(b->page, controls, after);
    EXPECT_EQ(after.Value(b->field, b->element), c.expected);
    ExpectSameValues(after, before, b->field, b->element);
  }
}

TEST(PageBindings, CheckBoxShowsAnyNonZeroValueAsChecked) {
  CParamSet params;
  params.Value(FieldId::kGasEnable) = 5;
  params.Value(FieldId::kFallDisable) = 255;
  FakeControls controls;
  WritePage(kPageN2o, params, controls);
  WritePage(kPageBike, params, controls);
  EXPECT_EQ(controls.values.at("CheckBoxGas"), 1);
  EXPECT_EQ(controls.values.at("CheckBoxFallEnable"), 1);
  EXPECT_EQ(controls.values.at("CheckBoxBlokEnable"), 0);
}

// The commit reads only the active page: controls of the other pages, even
// when they hold other values, change nothing.
TEST(PageBindings, ReadTouchesOnlyItsOwnPage) {
  for (int page = 0; page < kPageCount; ++page) {
    SCOPED_TRACE(page);
    FakeControls controls;
    for (const ControlBinding& b : PageBindings()) controls.values[b.name] = 1;
    CParamSet params;
    ReadPage(page, controls, params);
    for (const ControlBinding& b : PageBindings())
      EXPECT_EQ(params.Value(b.field, b.element), b.page == page ? 1 : 0) << b.name;
  }
}

// What the user typed is bounded only by the up/down; the field's limits
// come from the normalisation of the commit, and the page then shows them.
TEST(PageBindings, CommitShowsTheNormalisedValue) {
  const struct {
    const char* control;
    const char* typed;
    std::int32_t typedPosition;
    std::int32_t shownAfterCommit;
  } cases[] = {
      {"UpDownGas2", "30", 30, 50},  // stage 2 not below stage 1 (50)
      {"UpDownGasT", "0", 0, 100},   // build-up at least one step of 100 ms
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.control);
    ConfigImage image{};
    image[99] = 50;   // gas stage 1, %
    image[100] = 60;  // gas stage 2, %
    image[101] = 5;   // gas build-up, x100 ms
    NormaliseImage(image);
    CParamSet params;
    LoadParameterSet(image, params);

    FakeControls controls;
    WritePage(kPageN2o, params, controls);
    const ControlBinding& b = *FindBinding(c.control);
    CUpDownValue pair(b.min, b.max, b.step);
    pair.Write(*controls.Get(b));
    pair.Type(c.typed, ",");
    ASSERT_EQ(pair.Position(), c.typedPosition);
    controls.Set(b, pair.Position());

    ReadPage(kPageN2o, controls, params);
    StoreParameterSet(params, image);
    NormaliseImage(image);
    LoadParameterSet(image, params);
    WritePage(kPageN2o, params, controls);
    EXPECT_EQ(controls.values.at(c.control), c.shownAfterCommit);
    EXPECT_EQ(controls.values.at("UpDownGas1"), 50);
  }
}
