#include "image/PageRules.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <span>
#include <utility>

#include "image/InjectionCoupling.h"
#include "image/MapCatalogue.h"
#include "image/PageBindings.h"
#include "image/Pages.h"
#include "link/LiveValues.h"
#include "link/TestButtons.h"
#include "base/TextSlots.h"
#include "base/UiTexts.h"

namespace {
constexpr int kDictionaryPageControls = 4;  // dictionary group of the run-time page controls

// clang-format off
constexpr std::array<GearRowNames, kGearRows> kGearRowNames = {{
  {nullptr,          "LabelGearVoltage0", nullptr,          nullptr,                      nullptr,         "ButtonGear0"},
  {"LabelRaceGear1", "LabelGearVoltage1", "LabelGearRatio1", "LabelMonPomerRpmSpeedAuto1", "LabelGearKor1", "ButtonGear1"},
  {"LabelRaceGear2", "LabelGearVoltage2", "LabelGearRatio2", "LabelMonPomerRpmSpeedAuto2", "LabelGearKor2", "ButtonGear2"},
  {"LabelRaceGear3", "LabelGearVoltage3", "LabelGearRatio3", "LabelMonPomerRpmSpeedAuto3", "LabelGearKor3", "ButtonGear3"},
  {"LabelRaceGear4", "LabelGearVoltage4", "LabelGearRatio4", "LabelMonPomerRpmSpeedAuto4", "LabelGearKor4", "ButtonGear4"},
  {"LabelRaceGear5", "LabelGearVoltage5", "LabelGearRatio5", "LabelMonPomerRpmSpeedAuto5", "LabelGearKor5", "ButtonGear5"},
  {"LabelRaceGear6", "LabelGearVoltage6", "LabelGearRatio6", "LabelMonPomerRpmSpeedAuto6", "LabelGearKor6", "ButtonGear6"},
}};
// clang-format on

// Idle type (image byte 290).
constexpr int kIdleIntakeServo = 1;
constexpr int kIdleStepMotor = 2;
constexpr int kIdleStepMotorTpsMin = 3;

constexpr int kMaxCylinders = kInjectionMapCount;  // one injection map per cylinder

constexpr const char* kCylinderList = " 1,2,3,4";
constexpr int kLabelAfterUpDown = 15;
constexpr const char* kCouplingPicture = "ImageJetCoupling";
constexpr const char* kIapCorrectionLabel = "LabelIapKor";
constexpr const char* kIapToTpLabel = "LabelIapTp";
constexpr std::pair<const char*, const char*> kIapToTpControls[] = {
    {"UpDownIapTpsMin", "LabelIapTpsMin"},
    {"UpDownIapTpsMax", "LabelIapTpsMax"},
    {"UpDownIapRpmMin", "LabelIapRpmMin"},
    {"UpDownIapRpmMax", "LabelIapRpmMax"},
};

// clang-format off
constexpr ServoRowItem kServoRow[] = {
  {"CheckBoxServoInEnable",    "CheckBoxServoExEnable",  nullptr,                  nullptr,                 120, 0,   ServoShown::kAlways},
  {"CheckBoxServoInPercent",   "CheckBoxServoExPercent", nullptr,                  nullptr,                 110, 0,   ServoShown::kEnabled},
  {"UpDownServoInP",           "UpDownServoExP",         "LabelServoInP",          "LabelServoExP",          35, 24,  ServoShown::kEnabled},
  {"CheckBoxServoInStepMotor", nullptr,                  nullptr,                  nullptr,                 140, 0,   ServoShown::kIntakeEnabled},
  {"UpDownServoInPeriod",      nullptr,                  "LabelServoInPeriod",     nullptr,                  25, 90,  ServoShown::kStepMotor},
  {"UpDownServoInExcitation",  nullptr,                  "LabelServoInExcitation", nullptr,                  45, 110, ServoShown::kStepMotor},
  {"UpDownServoInI",           "UpDownServoExI",         "LabelServoInI",          "LabelServoExI",          25, 12,  ServoShown::kNotStepMotor},
  {"UpDownServoInD",           "UpDownServoExD",         "LabelServoInD",          "LabelServoExD",          25, 12,  ServoShown::kNotStepMotor},
  {"UpDownServoInIOff",        "UpDownServoExIOff",      "LabelServoInIOff",       "LabelServoExIOff",       25, 50,  ServoShown::kOffGains},
  {"UpDownServoInDOff",        "UpDownServoExDOff",      "LabelServoInDOff",       "LabelServoExDOff",       25, 50,  ServoShown::kOffGains},
  {"UpDownServoInO",           nullptr,                  "LabelServoInO",          nullptr,                  25, 12,  ServoShown::kIntakeNotStepMotor},
};
// clang-format on

constexpr int kPotentiometerInjection = 1;
constexpr int kPotentiometerAdvance = 2;
constexpr int kPotentiometerStartLimiter = 3;

class Rules {
 public:
  explicit Rules(const PageRuleInputs& in) : m_in(in) {}

  std::vector<ControlState> Page(int page) {
    switch (page) {
      case kPageBike:
        Bike();
        break;
      case kPageAdvance:
        Advance();
        break;
      case kPageInjection:
        Injection();
        break;
      case kPageServo:
        Servo();
        break;
      case kPageCorrections:
        Visible("LabelIdleKorAdv", Value(FieldId::kIdleAdvanceOn) != 0);
        break;
      case kPageSensors:
        Sensors();
        break;
      case kPageRace:
        Race();
        break;
      case kPageGear:
        Gear();
        break;
      case kPageIdle:
        Idle();
        break;
      case kPageN2o:
        Visible({"GroupBoxGas", "GroupBoxRetard"}, Value(FieldId::kGasEnable) != 0);
        break;
      case kPageTuning:
        Tuning();
        TestLock();
        break;
      case kPageTest:
        TestLock();
        break;
      default:
        break;
    }
    return std::move(m_out);
  }

 private:
  std::int32_t Value(FieldId id, int element = 0) const { return m_in.params.Value(id, element); }

  ControlState& State(std::string_view name) {
    for (auto& s : m_out)
      if (s.name == name) return s;
    return m_out.emplace_back(ControlState{std::string(name), {}, {}, {}, {}, {}, {}});
  }
  void Visible(const char* name, bool on) {
    if (name) State(name).visible = on;
  }
  void Visible(std::initializer_list<const char*> names, bool on) {
    for (const char* n : names) Visible(n, on);
  }
  void Enabled(const char* name, bool on) { State(name).enabled = on; }
  void Caption(const char* name, std::string_view text) { State(name).caption = std::string(text); }

  std::string_view Dictionary(std::string_view english) const {
    return LookupText(kDictionaryPageControls, english, m_in.language);
  }
  std::string_view Slot(int slot) const { return kSlotTexts[static_cast<std::size_t>(slot)].Get(m_in.language); }

  void Bike() {
    Visible("GroupBoxIntakePort", IntakePortsFitted(Value(FieldId::kBike)));
    const bool byPotentiometer = Value(FieldId::kPotentiometerMode) == kPotentiometerStartLimiter;
    Enabled("UpDownStartLimiter2", byPotentiometer);
    Enabled("LabelStartLimiter2", byPotentiometer);
    // Written with the page, so the caption never shows another unit than the edit's.
    for (const NamedText& t : ControlCaptions())
      if (std::string_view(t.name) == "LabelDwell") Caption("LabelDwell", t.text.Get(m_in.language));
  }

  int Cylinders() const { return std::clamp(m_in.params.CylinderCount(), 1, kMaxCylinders); }

  // The row under the advance map: a correction for each cylinder the engine has.
  void Advance() {
    Caption("LabelBaseAdvance", Dictionary("Base advance (°)"));
    Caption("LabelAdvKor", CylinderCorrectionCaption());
    for (int n = 1; n <= kMaxCylinders; ++n)
      Visible(UpDownOf(FieldId::kAdvanceCylinderCorrection, n - 1), n <= Cylinders());
  }

  // The row under the injection maps follows the active sheet: the throttle
  // maps show where the IAP map takes over, the IAP map its cylinder
  // corrections, "Inj. B" (a plain percentage) neither, nor the time/percent switch.
  void Injection() {
    const int sheet = m_in.activeInjectionSheet;
    const bool iap = sheet == kInjSheetIap;
    const bool throttleMap = !iap && sheet != kInjSheetB;
    Visible("CheckBoxMs", iap || throttleMap);
    Visible(kIapToTpLabel, throttleMap);
    for (const auto& [upDown, label] : kIapToTpControls) Visible({upDown, label}, throttleMap);

    const char* last = nullptr;
    for (int n = 1; n <= kMaxCylinders; ++n) {
      const char* upDown = UpDownOf(FieldId::kIapCylinderCorrection, n - 1);
      const bool shown = iap && n <= Cylinders();
      Visible(upDown, shown);
      if (shown) last = upDown;
    }
    Visible(kIapCorrectionLabel, iap);
    Caption(kIapCorrectionLabel, CylinderCorrectionCaption());
    if (last) State(kIapCorrectionLabel).follows = ControlState::Follow{last, kLabelAfterUpDown};

    const CouplingPictureState picture = CouplingPicture(Value(FieldId::kInjectionCoupling), Cylinders());
    Visible(kCouplingPicture, picture.visible);
    if (picture.visible) {
      Caption(kCouplingPicture, picture.text);
      State(kCouplingPicture).colour = picture.colour;
    }
  }

  std::string CylinderCorrectionCaption() const {
    return std::string(Dictionary("Correction for cylinder")) + kCylinderList;
  }

  void Sensors() {
    const int mode = Value(FieldId::kPotentiometerMode);
    Visible({"UpDownPotencRozsah", "LabelPotencRozsah"},
            mode == kPotentiometerInjection || mode == kPotentiometerAdvance);
    // The cam pickup's polarity is not stored: the choice is never offered.
    Visible("RadioGroupPolCMPS", false);
  }

  void Servo() {
    const bool intake = m_in.activeServoSheet != kExhaustServoSheet;
    const bool e = Value(intake ? FieldId::kInServoEnable : FieldId::kExServoEnable) != 0;
    const bool s = intake && Value(FieldId::kInServoStepMotor) != 0;
    for (const ServoRowItem& item : kServoRow) {
      bool shown = false;
      switch (item.shown) {
        case ServoShown::kAlways:
          shown = true;
          break;
        case ServoShown::kEnabled:
          shown = e;
          break;
        case ServoShown::kIntakeEnabled:
          shown = e && intake;
          break;
        case ServoShown::kStepMotor:
          shown = e && s;
          break;
        case ServoShown::kNotStepMotor:
          shown = e && !s;
          break;
        case ServoShown::kIntakeNotStepMotor:
          shown = e && !s && intake;
          break;
        case ServoShown::kOffGains:
          shown = e && !s && (intake || m_in.serviceMode);
          break;
      }
      Visible({item.intake, item.intakeLabel}, intake && shown);
      Visible({item.exhaust, item.exhaustLabel}, !intake && shown);
    }
  }

  void Race() {
    Enabled("CheckBoxTempDisplay", TempDisplayAllowed(Value(FieldId::kBike)));
    const int q = Value(FieldId::kGearSystem);
    const int n = Value(FieldId::kGearCount);
    for (int g = 1; g < kGearRows; ++g) {
      const bool row = g == 1 || (g <= n && q != kGearNone);
      for (FieldId column : kRaceGearColumns) Visible(UpDownOf(column, g - 1), row);
      Visible(GearRow(g).raceLabel, (g == 1 || g <= n) && q != kGearNone);
    }
  }

  void Gear() {
    const int q = Value(FieldId::kGearSystem);
    const int n = Value(FieldId::kGearCount);
    const bool counted = q != kGearNone;
    const bool buttons = q == kGearByVoltage || q == kGearByRatio;
    Visible("GroupBoxNapetiProGear", q == kGearByVoltage);
    Visible("GroupBoxRpmSpeedProGear", q == kGearByRatio);
    Visible("GroupBoxMonAutoGear", q == kGearAutomatic);
    Visible("LabelMonPomerRpmSpeed", q == kGearByRatio || q == kGearAutomatic);
    Visible({"UpDownPocetGear", "LabelPocetGear"}, counted);
    for (int g = 0; g < kGearRows; ++g) {
      const GearRowNames& row = GearRow(g);
      // Gears 0 and 1 are always there; the others up to the number of gears.
      const bool present = g <= 1 || g <= n;
      Visible(row.button, buttons && present);
      Visible(UpDownOf(FieldId::kGearVoltage, g), present && (g <= 1 || counted));
      Visible({row.voltageLabel, row.ratioLabel, row.autoRatioLabel}, present);
      Visible(row.correctionLabel, present && counted);
      if (g == 0) continue;
      const bool edits = present && (g == 1 || counted);
      Visible(UpDownOf(FieldId::kGearRatio, g - 1), edits);
      for (FieldId column : kGearCorrectionColumns) Visible(UpDownOf(column, g - 1), edits);
    }
  }

  void Idle() {
    const int w = Value(FieldId::kIdleType);
    const bool a = Value(FieldId::kIdleAdvanceOn) != 0;
    const bool x = IdlePositionBike(Value(FieldId::kBike));
    const bool stepMotor = w == kIdleStepMotor || w == kIdleStepMotorTpsMin;

    Visible("RadioGroupIdleMode", !x);
    Visible("CheckBoxIdleSmerReg", w != 0);
    Caption("CheckBoxIdleSmerReg",
            Dictionary(w == kIdleIntakeServo ? "Min-Max (Minimum check)" : "Inverze direction of regulation"));
    Visible({"UpDownIdleStepPuls", "LabelIdleStepPuls"}, stepMotor);
    Visible({"UpDownIdleStepPerioda", "LabelIdleStepPerioda"}, stepMotor || x);
    Visible({"UpDownIdleStart", "LabelIdleStart"}, w == kIdleStepMotor);
    Visible({"LabelIdleKorAdv", "UpDownIdleAdvNaRpm", "LabelIdleAdvNaRpm", "UpDownIdleAdvNaCas", "LabelIdleAdvNaCas",
             "UpDownIdleMaxAdv", "LabelIdleMaxAdv"},
            a);
    Visible({"UpDownIdleRpmMez", "LabelIdleRpmMez", "UpDownIdleTpsMez", "LabelIdleTpsMez", "UpDownIdleControlBand",
             "LabelIdleControlBand"},
            a || w == kIdleStepMotor || x);
    Visible({"UpDownIdleHyster", "LabelIdleHyster"}, w == kIdleStepMotor || x);

    // The message explains a servo setting the chosen idle type cannot work with.
    const int intakeServo = Value(FieldId::kInServoEnable);
    bool error = false;
    if (!x && w == kIdleIntakeServo) {
      Caption("LabelIdleModeErr", Slot(kSlotIntakeServoMustBeEnabled));
      error = intakeServo == 0;
    } else if (!x && stepMotor) {
      Caption("LabelIdleModeErr", Slot(kSlotIntakeServoMustBeDisabled));
      error = w == kIdleStepMotor ? intakeServo != 0 : intakeServo == 1;
    }
    Visible("LabelIdleModeErr", error);
  }

  void Tuning() {
    Visible({"UpDownLadeniRpm", "LabelLadeniRpm", "UpDownLadeniTps", "LabelLadeniTps"},
            Value(FieldId::kTuningMode) == 0);
    const int cylinders = Cylinders();
    Visible({"UpDownLadeniKanal", "LabelLadeniKanal"}, Value(FieldId::kInjectionCoupling) == 0 && cylinders >= 2);
    State("UpDownLadeniKanal").maximum = cylinders;
    State("CheckBoxLadeniPovoleno").colour = m_in.tuningOn ? clRed : clBtnFace;
    State("RadioGroupLadeniOnByTLS").colour = Value(FieldId::kTuningByTls) != 0 ? clRed : clBtnFace;
  }

  // A unit that reports the output tests locked refuses them: only "Stop" stays.
  void TestLock() {
    Enabled("GroupBoxTestJet", !m_in.testsLocked);
    for (const TestButton& b : TestButtons()) Enabled(b.name, b.name == kTestStopButton || !m_in.testsLocked);
  }

  const PageRuleInputs& m_in;
  std::vector<ControlState> m_out;
};
}  // namespace

std::vector<ControlState> PageRules(int page, const PageRuleInputs& in) { return Rules(in).Page(page); }

const ControlState* FindState(const std::vector<ControlState>& states, std::string_view name) {
  for (const auto& s : states)
    if (s.name == name) return &s;
  return nullptr;
}

void ApplyPageWriteRules(int page, CParamSet& params, ConfigImage& image) {
  if (page == kPageRace && !TempDisplayAllowed(params.Value(FieldId::kBike))) {
    params.Value(FieldId::kTempDisplay) = 0;
    WriteRaw(image, FieldId::kTempDisplay, 0, 0);
  }
}

void ApplyLambdaDefaults(int sensorType, ConfigImage& image) {
  struct Characteristic {
    std::int32_t afr[5];
    std::int32_t mv[5];
  };
  static constexpr Characteristic kDefaults[] = {
      {{100, 130, 140, 150, 180}, {900, 840, 760, 50, 0}},       // standard
      {{100, 120, 140, 160, 180}, {0, 1250, 2500, 3750, 5000}},  // wide-band
  };
  if (sensorType < 0 || sensorType >= int(std::size(kDefaults))) return;
  const Characteristic& d = kDefaults[sensorType];
  for (int i = 0; i < 5; ++i) {
    WriteRaw(image, FieldId::kLambdaAfrPoints, i, d.afr[i]);
    WriteRaw(image, FieldId::kLambdaVoltages, i, d.mv[i]);
  }
}

std::span<const ServoRowItem> ServoRowItems() { return kServoRow; }

const char* UpDownOf(FieldId field, int element) {
  for (const ControlBinding& b : PageBindings())
    if (b.field == field && b.element == element && b.kind == ControlKind::kUpDown) return b.name;
  return nullptr;
}

const GearRowNames& GearRow(int gear) { return kGearRowNames[static_cast<std::size_t>(std::clamp(gear, 0, 6))]; }

std::optional<std::int32_t> TpsCalibration(bool hundredPercent, std::int32_t sensorMv) {
  const std::int32_t low = hundredPercent ? 2500 : 300;
  const std::int32_t high = hundredPercent ? 4900 : 2500;
  if (sensorMv < low || sensorMv > high) return std::nullopt;
  return sensorMv;
}

std::optional<GearButtonResult> GearButton(int gear, int gearSystem, const CLiveValues& live) {
  const char* upDown = nullptr;
  std::int32_t value = 0;
  if (gearSystem == kGearByVoltage) {
    upDown = UpDownOf(FieldId::kGearVoltage, gear);
    value = live.gearSensorMv;
  } else if (gearSystem == kGearByRatio && gear >= 1) {
    upDown = UpDownOf(FieldId::kGearRatio, gear - 1);
    value = live.rpmSpeedRatio;
  }
  if (!upDown) return std::nullopt;
  return GearButtonResult{upDown, value};
}
