#pragma once

#include <array>
#include <initializer_list>
#include <string>
#include <string_view>

#include "base/Lang.h"

// The main window's text slots: the current-language texts of its messages,
// numbered as the rest of the program refers to them. Slot 1 holds the
// current file name and is no language text; slots 32, 48 and 58 hold no text.
enum TextSlot : int {
  kSlotTitle = 0,
  kSlotFileName = 1,
  kSlotDisconnected = 2,
  kSlotManual = 3,
  kSlotProgramError = 4,
  kSlotVerifyError = 5,
  kSlotReadError = 6,
  kSlotProgramDevice = 7,
  kSlotUnmatchedVersion = 8,
  kSlotUnmatchedSubversion = 9,
  kSlotVerify = 10,
  kSlotRead = 11,
  kSlotAdvance = 12,
  kSlotNumberOfProgramming = 13,
  kSlotBlocking = 14,
  kSlotStartLimiter = 15,
  kSlotLimiterByIgnition = 16,
  kSlotLimiterByInjection = 17,
  kSlotLimiterByRetard = 18,
  kSlotYes = 19,
  kSlotNo = 20,
  kSlotTwinkle = 21,
  kSlotPolarityCps = 22,
  kSlotPositive = 23,
  kSlotNegative = 24,
  kSlotComOpeningError = 25,
  kSlotOpenFileError = 26,
  kSlotCoupledJetPage = 27,
  kSlotDefaultSetting = 28,
  kSlotDefaultSettingPage = 29,
  kSlotOlderFileVersion = 30,
  kSlotUnmatchedFileVersion = 31,
  kSlotPrintDate = 33,
  kSlotOpenManualError = 34,
  kSlotPickupCkps = 35,
  kSlotPickupCmps = 36,
  kSlotIsRunning = 37,
  kSlotNoSignal = 38,
  kSlotWrongBike = 39,
  kSlotWrongBikeProgram = 40,
  kSlotBaseAdvance = 41,
  kSlotSaving = 42,
  kSlotInjectionTime = 43,
  kSlotMaxInjection = 44,
  kSlotPosition = 45,
  kSlotExhaustServo = 46,
  kSlotIntakeServo = 47,
  kSlotPotentiometer = 49,
  kSlotFallSensor = 50,
  kSlotCooling = 51,
  kSlotGear = 52,
  kSlotSpeed = 53,
  kSlotGearShiftLight = 54,
  kSlotChoke = 55,
  kSlotIapToTp = 56,
  kSlotLobeWidth = 57,
  kSlotTpsMin = 59,
  kSlotTpsMax = 60,
  kSlotRpmMin = 61,
  kSlotRpmMax = 62,
  kSlotClutchMaster = 63,
  kSlotTacho = 64,
  kSlotLambda = 65,
  kSlotTachoAfrAutotuning = 66,
  kSlotTachoLambda = 67,
  kSlotInjByTps = 68,
  kSlotCoolant = 69,
  kSlotIntakeServoMustBeEnabled = 70,
  kSlotIntakeServoMustBeDisabled = 71,
  kSlotIntakeServoEnabledNoStep = 72,
  kSlotIdle = 73,
  kSlotDesiredRpm = 74,
  kSlotIntakeServoStart = 75,
  kSlotTpsMinServoSteps = 76,
  kSlotMinPosition = 77,
  kSlotTuningFirst = 78,  // "T: rpm=0"; the tuning state texts run to kSlotTuningLast
  kSlotTuningLast = 101,  // "T: OK"
  kSlotGearVoltage = 102,
  kSlotStepServoPosition = 103,
  kSlotPitRetard = 104,
  kSlotPitNoIgnition = 105,
  kSlotGasHandle = 106,
  kSlotSynchronised = 107,
  kSlotCount = 108
};

// The four variants of every slot; composed and file-name slots are empty here.
extern const std::array<CLngStr, kSlotCount> kSlotTexts;

// The slot of a tuning state code (live byte 28), or -1 for a code above 23,
// which leaves the shown text as it was.
int TuningStateSlot(int code);

// Lead-in of slot 34, followed by the manual's file name (slot 3) and " !".
extern const CLngStr kOpenManualErrorLeadIn;

// Why a port could not be opened: the line under slot 25 ("Com opening
// error!"). %1 is the device, or "COM n" when the number maps to none; the
// other numbers are noted at each text.
struct PortOpenFailureTexts {
  CLngStr noDevice;
  CLngStr permissionDenied;  // %2 the device's group
  CLngStr busyHeldBy;        // %2 the holding program's name, %3 its PID
  CLngStr busy;
  CLngStr notSerial;
  CLngStr other;  // %2 the system's error text
  // Permission denied where no serial-device group can be suggested: %2 the
  // owner, %3 the group, %4 the mode ("crw-------").
  CLngStr permissionAskAdmin;
};
extern const PortOpenFailureTexts kPortOpenFailureTexts;

// A configuration file's section cut short by a value that is no number, or
// by the end of the file. %1 the section's keyword, %2 the line number.
extern const CLngStr kSectionIncompleteText;

// Puts the n-th of `args` where `text` says %n (1..9), in one pass, so an
// argument that itself contains "%2" stays as it is.
std::string FillInText(std::string_view text, std::initializer_list<std::string_view> args);

class CTextSlots {
 public:
  // Loads every language slot with its variant for `language` and composes
  // the slots built from others. Slot 1 (the file name) is kept.
  void Apply(int language);

  const std::string& operator[](int slot) const { return m_slots[static_cast<std::size_t>(slot)]; }
  const std::string& FileName() const { return m_slots[kSlotFileName]; }
  void SetFileName(std::string name) { m_slots[kSlotFileName] = std::move(name); }

  // Slot 0, seven blanks and the current file name.
  std::string WindowCaption() const;

 private:
  std::array<std::string, kSlotCount> m_slots{};
};
