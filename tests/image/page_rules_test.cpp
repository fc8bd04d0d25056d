#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include "image/ConfigImage.h"
#include "image/PageBindings.h"
#include "image/PageRules.h"
#include "image/ParamSet.h"
#include "link/LiveValues.h"
#include "base/Lang.h"

namespace {

// Page indices, image bytes and colours restated on purpose.
constexpr int kBike = 0, kAdvance = 1, kInjection = 2, kCorrections = 4, kSensors = 5, kServo = 6, kRace = 7, kGear = 8,
              kIdle = 9, kN2o = 10, kTuning = 11, kMonitor = 12, kTest = 13;
constexpr std::size_t kByteBike = 0, kBytePotMode = 75, kByteGas = 98, kByteGearSystem = 136, kByteGearCount = 137,
                      kByteIntakeServo = 59, kByteCoupling = 47, kByteCylinders = 256, kByteIdleType = 290,
                      kByteIdleAdvance = 317, kByteTuningMode = 340, kByteTacho = 341;
constexpr TColor kRed = 0x000000FF;
constexpr TColor kFace = 0x8000000F;

class PageRulesTest : public ::testing::Test {
 protected:
  PageRulesTest() {
    image[kByteBike] = 11;
    image[kByteCylinders] = 4;
  }

  const std::vector<ControlState>& Rules(int page, int language = kEnglish) {
    LoadParameterSet(image, params);
    PageRuleInputs in{params, serviceMode, tuningOn, testsLocked, language, activeInjectionSheet};
    in.activeServoSheet = activeServoSheet;
    states = PageRules(page, in);
    return states;
  }
  const ControlState& S(const std::string& name) const {
    const ControlState* s = FindState(states, name);
    EXPECT_NE(s, nullptr) << name;
    static const ControlState kMissing{};
    return s ? *s : kMissing;
  }
  // A control the rules do not mention counts as shown and enabled.
  bool Visible(const std::string& name) const { return S(name).visible.value_or(true); }
  bool Enabled(const std::string& name) const { return S(name).enabled.value_or(true); }
  std::string Caption(const std::string& name) const { return S(name).caption.value_or("<unchanged>"); }
  TColor Colour(const std::string& name) const { return S(name).colour.value_or(0xDEADBEEF); }

  // Of the names `prefix` + first .. `prefix` + last, how many are shown;
  // they must be shown from the first on, without a gap.
  int ShownPrefix(const std::string& prefix, int first, int last) const {
    int shown = 0;
    for (int g = first; g <= last; ++g) {
      const bool v = Visible(prefix + std::to_string(g));
      if (v) {
        EXPECT_EQ(shown, g - first) << prefix << g << " shown after a hidden one";
      }
      shown += v ? 1 : 0;
    }
    return shown;
  }

  ConfigImage image{};
  CParamSet params;
  bool tuningOn = false;
  bool testsLocked = false;
  int activeInjectionSheet = 0;
  bool serviceMode = false;
  int activeServoSheet = 0;
  std::vector<ControlState> states;
};

TEST_F(PageRulesTest, GearPageFollowsDeterminationAndNumberOfGears) {
  // groups: N GroupBoxNapetiProGear, R GroupBoxRpmSpeedProGear, A GroupBoxMonAutoGear,
  // L LabelMonPomerRpmSpeed, P number of gears; then how many of each row are shown.
  struct Case {
    int q, n;
    const char* groups;
    int buttons, voltageEdits, ratioEdits, correctionEdits, correctionLabels;
  };
  const Case cases[] = {
      {0, 1, "N---P", 2, 2, 1, 1, 1},
      {0, 2, "N---P", 3, 3, 2, 2, 2},
      {0, 3, "N---P", 4, 4, 3, 3, 3},
      {0, 4, "N---P", 5, 5, 4, 4, 4},
      {0, 5, "N---P", 6, 6, 5, 5, 5},
      {0, 6, "N---P", 7, 7, 6, 6, 6},
      {1, 1, "-R-LP", 2, 2, 1, 1, 1},
      {1, 2, "-R-LP", 3, 3, 2, 2, 2},
      {1, 3, "-R-LP", 4, 4, 3, 3, 3},
      {1, 4, "-R-LP", 5, 5, 4, 4, 4},
      {1, 5, "-R-LP", 6, 6, 5, 5, 5},
      {1, 6, "-R-LP", 7, 7, 6, 6, 6},
      {2, 1, "--ALP", 0, 2, 1, 1, 1},
      {2, 2, "--ALP", 0, 3, 2, 2, 2},
      {2, 3, "--ALP", 0, 4, 3, 3, 3},
      {2, 4, "--ALP", 0, 5, 4, 4, 4},
      {2, 5, "--ALP", 0, 6, 5, 5, 5},
      {2, 6, "--ALP", 0, 7, 6, 6, 6},
      // "No": one row of corrections without its label, the number of gears hidden
      {3, 1, "-----", 0, 2, 1, 1, 0},
      {3, 2, "-----", 0, 2, 1, 1, 0},
      {3, 3, "-----", 0, 2, 1, 1, 0},
      {3, 4, "-----", 0, 2, 1, 1, 0},
      {3, 5, "-----", 0, 2, 1, 1, 0},
      {3, 6, "-----", 0, 2, 1, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "q=" << c.q << " n=" << c.n);
    image[kByteGearSystem] = std::uint8_t(c.q);
    image[kByteGearCount] = std::uint8_t(c.n);
    Rules(kGear);
    const char* const groups[] = {"GroupBoxNapetiProGear", "GroupBoxRpmSpeedProGear", "GroupBoxMonAutoGear",
                                  "LabelMonPomerRpmSpeed", "UpDownPocetGear"};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(Visible(groups[i]), c.groups[i] != '-') << groups[i];
    EXPECT_EQ(Visible("LabelPocetGear"), c.q != 3);
    EXPECT_EQ(ShownPrefix("ButtonGear", 0, 6), c.buttons);
    EXPECT_EQ(ShownPrefix("UpDownGearVoltage", 0, 6), c.voltageEdits);
    EXPECT_EQ(ShownPrefix("UpDownGearRatio", 1, 6), c.ratioEdits);
    EXPECT_EQ(ShownPrefix("UpDownGearKorAdvance", 1, 6), c.correctionEdits);
    EXPECT_EQ(ShownPrefix("UpDownGearKorInjection", 1, 6), c.correctionEdits);
    EXPECT_EQ(ShownPrefix("LabelGearKor", 1, 6), c.correctionLabels);
    // The row labels follow the number of gears whatever the determination.
    EXPECT_EQ(ShownPrefix("LabelGearVoltage", 0, 6), c.n + 1);
    EXPECT_EQ(ShownPrefix("LabelGearRatio", 1, 6), c.n);
    EXPECT_EQ(ShownPrefix("LabelMonPomerRpmSpeedAuto", 1, 6), c.n);
  }
}

TEST_F(PageRulesTest, RaceGearTableFollowsDeterminationAndNumberOfGears) {
  struct Case {
    int q, n;
    int rows, labels;
  };
  const Case cases[] = {{0, 6, 6, 6}, {0, 3, 3, 3}, {1, 1, 1, 1}, {2, 5, 5, 5}, {3, 6, 1, 0}, {3, 1, 1, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "q=" << c.q << " n=" << c.n);
    image[kByteGearSystem] = std::uint8_t(c.q);
    image[kByteGearCount] = std::uint8_t(c.n);
    Rules(kRace);
    for (const char* column :
         {"UpDownRacePilotFirst", "UpDownRacePilotSecond", "UpDownRaceClutchTime", "UpDownRaceClutchPause"})
      EXPECT_EQ(ShownPrefix(column, 1, 6), c.rows) << column;
    EXPECT_EQ(ShownPrefix("LabelRaceGear", 1, 6), c.labels);
  }
}

TEST_F(PageRulesTest, TemperatureDisplayOnlyForTheBikesWithIt) {
  const std::vector<int> withDisplay = {17, 18, 27, 34, 35, 42, 47, 51, 55, 59, 60, 61, 63};
  for (int bike = 0; bike < 64; ++bike) {
    const bool allowed = std::find(withDisplay.begin(), withDisplay.end(), bike) != withDisplay.end();
    image[kByteBike] = std::uint8_t(bike);
    Rules(kRace);
    EXPECT_EQ(Enabled("CheckBoxTempDisplay"), allowed) << bike;
    EXPECT_EQ(TempDisplayAllowed(bike), allowed) << bike;
    // Writing the race page clears a set flag the bike cannot show.
    image[107] = 1;
    LoadParameterSet(image, params);
    ApplyPageWriteRules(kRace, params, image);
    EXPECT_EQ(image[107], allowed ? 1 : 0) << bike;
    EXPECT_EQ(params.Value(FieldId::kTempDisplay), allowed ? 1 : 0) << bike;
  }
}

TEST_F(PageRulesTest, IdlePageFollowsTypeAdvanceAndBike) {
  // What is shown, by idle type w, idle advance a and a bike with the idle
  // position control (x): mode group, direction check box, step pulse, step
  // period, idle start, idle advance controls, regulation range and band,
  // hysteresis.
  struct Case {
    int w;
    bool a, x;
    const char* shown;  // "MDPTSARH", '-' for hidden
  };
  const Case cases[] = {
      {0, false, false, "M-------"}, {0, true, false, "M----AR-"},  {0, false, true, "---T--RH"},
      {0, true, true, "---T-ARH"},   {1, false, false, "MD------"}, {1, true, false, "MD---AR-"},
      {1, false, true, "-D-T--RH"},  {1, true, true, "-D-T-ARH"},   {2, false, false, "MDPTS-RH"},
      {2, true, false, "MDPTSARH"},  {2, false, true, "-DPTS-RH"},  {2, true, true, "-DPTSARH"},
      {3, false, false, "MDPT----"}, {3, true, false, "MDPT-AR-"},  {3, false, true, "-DPT--RH"},
      {3, true, true, "-DPT-ARH"},
  };
  const std::vector<std::vector<const char*>> controls = {
      {"RadioGroupIdleMode"},
      {"CheckBoxIdleSmerReg"},
      {"UpDownIdleStepPuls", "LabelIdleStepPuls"},
      {"UpDownIdleStepPerioda", "LabelIdleStepPerioda"},
      {"UpDownIdleStart", "LabelIdleStart"},
      {"LabelIdleKorAdv", "UpDownIdleAdvNaRpm", "LabelIdleAdvNaRpm", "UpDownIdleAdvNaCas", "LabelIdleAdvNaCas",
       "UpDownIdleMaxAdv", "LabelIdleMaxAdv"},
      {"UpDownIdleRpmMez", "LabelIdleRpmMez", "UpDownIdleTpsMez", "LabelIdleTpsMez", "UpDownIdleControlBand",
       "LabelIdleControlBand"},
      {"UpDownIdleHyster", "LabelIdleHyster"},
  };
  for (const Case& c : cases) {
    for (const int bike : c.x ? std::vector<int>{38, 61, 63} : std::vector<int>{11, 62}) {
      SCOPED_TRACE(testing::Message() << "w=" << c.w << " a=" << c.a << " bike=" << bike);
      image[kByteBike] = std::uint8_t(bike);
      image[kByteIdleType] = std::uint8_t(c.w);
      image[kByteIdleAdvance] = c.a ? 1 : 0;
      Rules(kIdle);
      for (std::size_t i = 0; i < controls.size(); ++i)
        for (const char* name : controls[i]) EXPECT_EQ(Visible(name), c.shown[i] != '-') << name;
      EXPECT_EQ(Caption("CheckBoxIdleSmerReg"),
                c.w == 1 ? "Min-Max (Minimum check)" : "Inverze direction of regulation");
    }
  }
}

TEST_F(PageRulesTest, IdleModeMessageExplainsTheIntakeServoSetting) {
  const char* const kEnabled = "Intake servo must be enabled";
  const char* const kDisabled = "Intake servo must be disabled";
  struct Case {
    int bike, w, servo;
    bool shown;
    const char* text;  // nullptr: left as it was
  };
  const Case cases[] = {
      {11, 0, 0, false, nullptr},   {11, 0, 1, false, nullptr},   {11, 1, 0, true, kEnabled},
      {11, 1, 1, false, kEnabled},  {11, 2, 0, false, kDisabled}, {11, 2, 1, true, kDisabled},
      {11, 2, 2, true, kDisabled},  {11, 3, 0, false, kDisabled}, {11, 3, 1, true, kDisabled},
      {11, 3, 2, false, kDisabled},  // only a servo byte of exactly 1 conflicts with type 3
      {38, 1, 0, false, nullptr},   {61, 2, 1, false, nullptr},   {63, 3, 1, false, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "bike=" << c.bike << " w=" << c.w << " servo=" << c.servo);
    image[kByteBike] = std::uint8_t(c.bike);
    image[kByteIdleType] = std::uint8_t(c.w);
    image[kByteIntakeServo] = std::uint8_t(c.servo);
    Rules(kIdle);
    EXPECT_EQ(Visible("LabelIdleModeErr"), c.shown);
    EXPECT_EQ(Caption("LabelIdleModeErr"), c.text ? c.text : "<unchanged>");
  }
}

TEST_F(PageRulesTest, IdleTextsFollowTheLanguage) {
  image[kByteIdleType] = 1;
  Rules(kIdle, kGerman);
  EXPECT_EQ(Caption("CheckBoxIdleSmerReg"), "Min-Max (Minimumkontrolle)");
  EXPECT_EQ(Caption("LabelIdleModeErr"), "Ansaugservo muss aktiviert sein");
  image[kByteIdleType] = 2;
  Rules(kIdle, kCzech);
  EXPECT_EQ(Caption("CheckBoxIdleSmerReg"), "Obrácený směr regulace");
  EXPECT_EQ(Caption("LabelIdleModeErr"), "Sací servo musí být zakázáno");
}

TEST_F(PageRulesTest, BikeSensorsCorrectionsAndN2oPages) {
  for (const int bike : {11, 47, 55, 54, 48}) {
    image[kByteBike] = std::uint8_t(bike);
    Rules(kBike);
    EXPECT_EQ(Visible("GroupBoxIntakePort"), bike == 47 || bike == 55) << bike;
  }
  EXPECT_EQ(Caption("LabelDwell"), "Dwell time [us]");

  // Potentiometer modes: no, injection, advance, start limiter.
  for (int mode = 0; mode <= 3; ++mode) {
    SCOPED_TRACE(mode);
    image[kBytePotMode] = std::uint8_t(mode);
    Rules(kBike);
    for (const char* name : {"UpDownStartLimiter2", "LabelStartLimiter2"}) EXPECT_EQ(Enabled(name), mode == 3);
    Rules(kSensors);
    for (const char* name : {"UpDownPotencRozsah", "LabelPotencRozsah"})
      EXPECT_EQ(Visible(name), mode == 1 || mode == 2);
    EXPECT_FALSE(Visible("RadioGroupPolCMPS"));
  }

  for (const int on : {0, 1, 255}) {
    image[kByteIdleAdvance] = std::uint8_t(on);
    Rules(kCorrections);
    EXPECT_EQ(Visible("LabelIdleKorAdv"), on != 0);
    image[kByteGas] = std::uint8_t(on);
    Rules(kN2o);
    EXPECT_EQ(Visible("GroupBoxGas"), on != 0);
    EXPECT_EQ(Visible("GroupBoxRetard"), on != 0);
  }
}

TEST_F(PageRulesTest, TuningPage) {
  for (const int mode : {0, 1}) {
    image[kByteTuningMode] = std::uint8_t(mode);
    Rules(kTuning);
    for (const char* name : {"UpDownLadeniRpm", "LabelLadeniRpm", "UpDownLadeniTps", "LabelLadeniTps"})
      EXPECT_EQ(Visible(name), mode == 0) << name;
  }

  // The tuned channel: only for separate injection of several cylinders; a
  // cylinder byte of 0 reads as one cylinder.
  struct Channel {
    int coupling, cylinders;
    bool shown;
    int maximum;
  };
  const Channel channels[] = {{0, 1, false, 1}, {0, 2, true, 2},  {0, 4, true, 4}, {1, 4, false, 4},
                              {2, 3, false, 3}, {0, 0, false, 1}, {0, 9, true, 4}};
  for (const Channel& c : channels) {
    SCOPED_TRACE(testing::Message() << "coupling=" << c.coupling << " cylinders=" << c.cylinders);
    image[kByteCoupling] = std::uint8_t(c.coupling);
    image[kByteCylinders] = std::uint8_t(c.cylinders);
    Rules(kTuning);
    EXPECT_EQ(Visible("UpDownLadeniKanal"), c.shown);
    EXPECT_EQ(Visible("LabelLadeniKanal"), c.shown);
    EXPECT_EQ(S("UpDownLadeniKanal").maximum, c.maximum);
  }

  for (const bool on : {false, true}) {
    tuningOn = on;
    Rules(kTuning);
    EXPECT_EQ(Colour("CheckBoxLadeniPovoleno"), on ? kRed : kFace);
  }
  for (const int item : {0, 1, 2}) {
    image[kByteTacho] = std::uint8_t(item);
    Rules(kTuning);
    EXPECT_EQ(Colour("RadioGroupLadeniOnByTLS"), item != 0 ? kRed : kFace) << item;
  }
}

TEST_F(PageRulesTest, AdvanceRowCorrectsOnlyTheCylindersTheEngineHas) {
  // A cylinder byte of 0 reads as one cylinder, more than 4 as 4.
  for (const int cylinders : {0, 1, 2, 3, 4, 9}) {
    image[kByteCylinders] = std::uint8_t(cylinders);
    Rules(kAdvance);
    EXPECT_EQ(ShownPrefix("UpDownAdvKor", 1, 4), std::clamp(cylinders, 1, 4)) << cylinders;
  }
  EXPECT_EQ(Caption("LabelBaseAdvance"), "Base advance (°)");
  EXPECT_EQ(Caption("LabelAdvKor"), "Correction for cylinder 1,2,3,4");
  Rules(kAdvance, kGerman);
  EXPECT_EQ(Caption("LabelBaseAdvance"), "Grundzündzeitpunkt (°)");
  EXPECT_EQ(Caption("LabelAdvKor"), "Korrektur für Zylinder 1,2,3,4");
}

// Sheets of the injection control: 0-3 maps 1-4, 4 "Inj. B", 5 "Inj. IAP".
TEST_F(PageRulesTest, InjectionRowFollowsTheActiveSheet) {
  const char* const kIapToTp[] = {"LabelIapTp",      "UpDownIapTpsMin", "LabelIapTpsMin",
                                  "UpDownIapTpsMax", "LabelIapTpsMax",  "UpDownIapRpmMin",
                                  "LabelIapRpmMin",  "UpDownIapRpmMax", "LabelIapRpmMax"};
  struct Case {
    int sheet, cylinders;
    bool ms, iapToTp;
    int corrections;           // shown from cylinder 1 on
    const char* labelFollows;  // the correction label, 15 px after this up/down
  };
  const Case cases[] = {
      {0, 4, true, true, 0, nullptr},          {3, 2, true, true, 0, nullptr},
      {4, 4, false, false, 0, nullptr},        {5, 4, true, false, 4, "UpDownIapKor4"},
      {5, 2, true, false, 2, "UpDownIapKor2"}, {5, 1, true, false, 1, "UpDownIapKor1"},
      {5, 0, true, false, 1, "UpDownIapKor1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "sheet=" << c.sheet << " cylinders=" << c.cylinders);
    activeInjectionSheet = c.sheet;
    image[kByteCylinders] = std::uint8_t(c.cylinders);
    Rules(kInjection);
    EXPECT_EQ(Visible("CheckBoxMs"), c.ms);
    for (const char* name : kIapToTp) EXPECT_EQ(Visible(name), c.iapToTp) << name;
    EXPECT_EQ(ShownPrefix("UpDownIapKor", 1, 4), c.corrections);
    EXPECT_EQ(Visible("LabelIapKor"), c.corrections > 0);
    const auto& follows = S("LabelIapKor").follows;
    ASSERT_EQ(follows.has_value(), c.labelFollows != nullptr);
    if (follows) {
      EXPECT_EQ(follows->control, c.labelFollows);
      EXPECT_EQ(follows->gap, 15);
    }
  }
  Rules(kInjection, kCzech);
  EXPECT_EQ(Caption("LabelIapKor"), "Korekce pro válec 1,2,3,4");
}

// The row shows the active servo's set only; e = that servo enabled, s = the
// intake servo drives a step motor.
TEST_F(PageRulesTest, ServoRowShowsTheActiveServosSettings) {
  constexpr std::size_t kByteExhaustServo = 58, kByteStepMotor = 66;
  const char* const kIntake[] = {"CheckBoxServoInEnable",    "CheckBoxServoInPercent", "UpDownServoInP",
                                 "CheckBoxServoInStepMotor", "UpDownServoInPeriod",    "UpDownServoInExcitation",
                                 "UpDownServoInI",           "UpDownServoInD",         "UpDownServoInIOff",
                                 "UpDownServoInDOff",        "UpDownServoInO"};
  const char* const kExhaust[] = {"CheckBoxServoExEnable", "CheckBoxServoExPercent", "UpDownServoExP",
                                  "UpDownServoExI",        "UpDownServoExD",         "UpDownServoExIOff",
                                  "UpDownServoExDOff"};
  struct Case {
    int sheet;
    int intakeOn, exhaustOn, stepMotor;
    bool service;
    const char* intake;   // one letter per control of kIntake, '-' hidden
    const char* exhaust;  // likewise for kExhaust
  };
  const Case cases[] = {
      {0, 0, 1, 0, false, "E----------", "-------"}, {0, 1, 0, 0, false, "EPpS--IDfdO", "-------"},
      {0, 1, 0, 1, false, "EPpSTX-----", "-------"}, {0, 5, 0, 1, true, "EPpSTX-----", "-------"},
      {1, 1, 0, 0, false, "-----------", "E------"}, {1, 0, 1, 1, false, "-----------", "EPpID--"},
      {1, 0, 1, 0, true, "-----------", "EPpIDfd"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "sheet=" << c.sheet << " in=" << c.intakeOn << " ex=" << c.exhaustOn
                                    << " step=" << c.stepMotor << " service=" << c.service);
    activeServoSheet = c.sheet;
    serviceMode = c.service;
    image[kByteIntakeServo] = std::uint8_t(c.intakeOn);
    image[kByteExhaustServo] = std::uint8_t(c.exhaustOn);
    image[kByteStepMotor] = std::uint8_t(c.stepMotor);
    Rules(kServo);
    auto check = [&](const auto& names, const char* expected) {
      for (std::size_t i = 0; i < std::size(names); ++i) {
        const std::string name = names[i];
        EXPECT_EQ(Visible(name), expected[i] != '-') << name;
        // An edit's caption goes with it.
        if (name.starts_with("UpDown")) {
          EXPECT_EQ(Visible("Label" + name.substr(6)), expected[i] != '-') << name;
        }
      }
    };
    check(kIntake, c.intake);
    check(kExhaust, c.exhaust);
  }
}

TEST_F(PageRulesTest, CouplingPictureShowsTheModeForSeveralCylinders) {
  constexpr TColor kYellow = 0x0000FFFF, kAqua = 0x00FFFF00;
  struct Case {
    int mode, cylinders;
    const char* text;  // null: hidden
    TColor colour;
  };
  const Case cases[] = {
      {0, 4, nullptr, 0},
      {1, 1, nullptr, 0},
      {2, 1, nullptr, 0},
      {1, 2, "1 -> 2", kYellow},
      {1, 3, "1 -> 2,3", kYellow},
      {1, 4, "1 -> 2,3,4", kYellow},
      {2, 2, "1 = 2", kAqua},
      {2, 3, "1 = 2 = 3", kAqua},
      {2, 4, "1 = 2 = 3 = 4", kAqua},
      {1, 9, "1 -> 2,3,4", kYellow},
      {3, 4, nullptr, 0},  // an unknown mode acts as normal
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "mode=" << c.mode << " cylinders=" << c.cylinders);
    image[kByteCoupling] = std::uint8_t(c.mode);
    image[kByteCylinders] = std::uint8_t(c.cylinders);
    // The picture does not depend on the active sheet.
    for (const int sheet : {0, 4, 5}) {
      activeInjectionSheet = sheet;
      Rules(kInjection);
      EXPECT_EQ(Visible("ImageJetCoupling"), c.text != nullptr);
      if (!c.text) continue;
      EXPECT_EQ(Caption("ImageJetCoupling"), c.text);
      EXPECT_EQ(Colour("ImageJetCoupling"), c.colour);
    }
  }
}

TEST_F(PageRulesTest, TestLockLeavesOnlyStopWhenTheUnitLocksTheOutputs) {
  const char* const kLockable[] = {
      "GroupBoxTestJet",       "ButtonTestJet1A",        "ButtonTestJet2A",       "ButtonTestJet3A",
      "ButtonTestJet4A",       "ButtonTestJet1B",        "ButtonTestJet2B",       "ButtonTestJet3B",
      "ButtonTestJet4B",       "ButtonTestIgn1",         "ButtonTestIgn2",        "ButtonTestIgn3",
      "ButtonTestIgn4",        "ButtonTestPilotLight",   "ButtonTestFuelPump",    "ButtonTestCooling",
      "ButtonTestGas",         "ButtonTestRpm",          "ButtonTestServoInPlus", "ButtonTestServoInMinus",
      "ButtonTestServoExPlus", "ButtonTestServoExMinus",
  };
  // Written with the Tuning page as well as with the Test page.
  for (const int page : {kTuning, kTest}) {
    for (const bool locked : {false, true}) {
      SCOPED_TRACE(testing::Message() << "page=" << page << " locked=" << locked);
      testsLocked = locked;
      Rules(page);
      for (const char* name : kLockable) {
        ASSERT_TRUE(S(name).enabled.has_value()) << name;
        EXPECT_EQ(*S(name).enabled, !locked) << name;
      }
      ASSERT_TRUE(S("ButtonTestStop").enabled.has_value());
      EXPECT_TRUE(*S("ButtonTestStop").enabled);
    }
  }
  // Other pages leave the lock alone.
  testsLocked = true;
  EXPECT_EQ(FindState(Rules(kIdle), "ButtonTestJet1A"), nullptr);
  EXPECT_TRUE(Rules(kMonitor).empty());
}

// A name the window does not know is silently skipped: every up/down pair a
// rule names must be in the binding table.
TEST_F(PageRulesTest, EveryUpDownARuleNamesIsBound) {
  for (int page = 0; page < 14; ++page)
    for (const ControlState& s : Rules(page))
      if (s.name.starts_with("UpDown")) {
        EXPECT_NE(FindBinding(s.name), nullptr) << page << " " << s.name;
      }
}

TEST(TpsCalibration, TakesTheSensorVoltageOnlyInsideTheButtonsWindow) {
  struct Case {
    bool hundred;
    int mv;
    bool taken;
  };
  const Case cases[] = {{false, 299, false},  {false, 300, true},  {false, 1234, true}, {false, 2500, true},
                        {false, 2501, false}, {false, 0, false},   {true, 2499, false}, {true, 2500, true},
                        {true, 4900, true},   {true, 4901, false}, {true, 2600, true},  {false, 2600, false}};
  for (const Case& c : cases) {
    const auto v = TpsCalibration(c.hundred, c.mv);
    EXPECT_EQ(v.has_value(), c.taken) << c.hundred << " " << c.mv;
    if (v) {
      EXPECT_EQ(*v, c.mv);
    }
  }
}

TEST(GearButton, TakesTheValueOfTheDetermination) {
  CLiveValues live;
  live.gearSensorMv = 2345;
  live.rpmSpeedRatio = 678;
  struct Case {
    int gear, q;
    const char* upDown;  // nullptr: the button does nothing
    int value;
  };
  const Case cases[] = {
      {0, 0, "UpDownGearVoltage0", 2345},
      {6, 0, "UpDownGearVoltage6", 2345},
      {1, 1, "UpDownGearRatio1", 678},
      {6, 1, "UpDownGearRatio6", 678},
      {0, 1, nullptr, 0},  // gear 0 has no ratio
      {3, 2, nullptr, 0},
      {3, 3, nullptr, 0},
  };
  for (const Case& c : cases) {
    const auto r = GearButton(c.gear, c.q, live);
    ASSERT_EQ(r.has_value(), c.upDown != nullptr) << c.gear << " " << c.q;
    if (!r) continue;
    EXPECT_EQ(r->upDown, c.upDown);
    EXPECT_EQ(r->value, c.value);
  }
}

}  // namespace
