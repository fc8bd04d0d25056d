#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/Colours.h"
#include "image/BikeTypes.h"
#include "image/FieldCatalogue.h"
#include "image/ParamSet.h"
#include "base/Lang.h"

struct CLiveValues;

// What a page's rules make of its controls, by object name. An empty
// optional leaves that property of the control as it is. For an up/down
// pair the rules name "UpDown<X>": the window applies visible and enabled
// to the edit and the up/down together.
struct ControlState {
  std::string name;
  std::optional<bool> visible;
  std::optional<bool> enabled;
  std::optional<std::string> caption;   // in the current language
  std::optional<TColor> colour;         // background (check boxes, radio groups: the control's colour)
  std::optional<std::int32_t> maximum;  // an up/down's maximum
  // Placed `gap` pixels (at 96 dpi) right of `control`, at its own height:
  // a label that follows the last of a row's up/downs still shown.
  struct Follow {
    std::string control;
    int gap;
  };
  std::optional<Follow> follows;
};

struct PageRuleInputs {
  const CParamSet& params;
  bool serviceMode = false;          // the service test mode of the settings
  bool tuningOn = false;             // "Tuning on": not in the image
  bool testsLocked = false;          // live flag 4.3 of the last frame: output tests locked
  int language = CurrentLanguage();  // of the captions
  // The injection control's active sheet: 0-3 "Inj. 1"-"Inj. 4", 4 "Inj. B",
  // 5 "Inj. IAP" (the order the control defines them in).
  int activeInjectionSheet = 0;
  // The servo control's active sheet: 0 intake, 1 exhaust.
  int activeServoSheet = 0;
};

// The rules of `page` (visibility, enabling, captions, colours, ranges),
// applied after every write of the page. The position, servo and monitor
// pages have none of their own here yet.
std::vector<ControlState> PageRules(int page, const PageRuleInputs& in);

// What writing a page does to the settings themselves: the race page
// clears the temperature display (byte 107) for a bike that cannot show it.
void ApplyPageWriteRules(int page, CParamSet& params, ConfigImage& image);

const ControlState* FindState(const std::vector<ControlState>& states, std::string_view name);

// The lambda characteristic (AFR points, bytes 353-357, x0.1; voltages in
// mV, words 179-183) that a newly chosen sensor type starts with: 0 standard,
// 1 wide-band. Types above 1 have none; the image is then left alone.
void ApplyLambdaDefaults(int sensorType, ConfigImage& image);

// The up/down pair ("UpDown<X>") that shows element `element` of `field` on
// any page, from the binding table; null when no control shows it.
const char* UpDownOf(FieldId field, int element = 0);

// The row of the servo page shows the servo of the active sheet: each servo
// has its own controls, at the same places, and the rules show one set.
enum class ServoShown : std::uint8_t {
  kAlways,
  kEnabled,             // the servo is enabled
  kIntakeEnabled,       // ... and it is the intake servo
  kStepMotor,           // ... and the intake servo drives a step motor
  kNotStepMotor,        // enabled, not a step motor
  kIntakeNotStepMotor,  // enabled intake servo, not a step motor
  kOffGains,            // as kNotStepMotor; the exhaust servo's only in the service test mode
};
struct ServoRowItem {
  const char* intake;       // a check box or an up/down pair ("UpDown<X>")
  const char* exhaust;      // null: the exhaust servo has no such setting
  const char* intakeLabel;  // the caption of an up/down pair; null for a check box
  const char* exhaustLabel;
  int width;       // design pixels: the check box, or the edit of a pair
  int labelWidth;  // design pixels
  ServoShown shown;
};
std::span<const ServoRowItem> ServoRowItems();

// Gear determination (image byte 136): how the unit finds the gear.
enum GearSystem : int {
  kGearByVoltage = 0,  // gear sensor voltage
  kGearByRatio = 1,    // engine speed to road speed
  kGearAutomatic = 2,  // from the ratios the unit learned
  kGearNone = 3,
};

// The controls of the race and gear pages that come once per gear and are
// not bound to a field, by gear 0..6. Null where the gear has no such
// control (only the gear page's voltage row and button exist for gear 0).
struct GearRowNames {
  const char* raceLabel;        // race page, in front of the gear's row
  const char* voltageLabel;     // gear page, "Voltage of gears"
  const char* ratioLabel;       // gear page, "Ration Rpm/Speed"
  const char* autoRatioLabel;   // gear page, the ratio the unit learned ("Automatic from ratio rpm speed")
  const char* correctionLabel;  // gear page, "Correction per gear"
  const char* button;           // gear page, "<- Gear g"
};
constexpr int kGearRows = 7;
const GearRowNames& GearRow(int gear);

// The edits per gear 1..6 that are bound to a field (element = gear - 1):
// the columns of the race page's gear table and of the gear corrections.
inline constexpr FieldId kRaceGearColumns[] = {FieldId::kPilotFirstSpeed, FieldId::kPilotSecondSpeed,
                                               FieldId::kClutchTime, FieldId::kClutchPause};
inline constexpr FieldId kGearCorrectionColumns[] = {FieldId::kGearAdvanceCorr, FieldId::kGearInjectionCorr};

// "<- TPS 0 %" and "<- TPS 100 %": the live throttle sensor voltage in mV
// when it lies in the button's window (300..2500 for 0 %, 2500..4900 for
// 100 %, inclusive), else nothing.
std::optional<std::int32_t> TpsCalibration(bool hundredPercent, std::int32_t sensorMv);

// "<- Gear g": the value the button writes, and the control it goes to
// ("UpDownGearVoltage<g>" or "UpDownGearRatio<g>"); nothing when gear
// determination q has no such value (q = 1 has no gear 0; q = 2, 3 none).
struct GearButtonResult {
  std::string upDown;
  std::int32_t value;
};
std::optional<GearButtonResult> GearButton(int gear, int gearSystem, const CLiveValues& live);
