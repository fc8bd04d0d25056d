#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

#include "base/Colours.h"
#include "sheet/Sheet.h"

class CTabModel;

// Every sheet control of the main window, in the order the pages create them.
enum class SheetControlId : std::uint8_t {
  kAdvance,
  kInjection,
  kPositionA,
  kPositionB,
  kInjectionTempCorrection,
  kAdvanceTempCorrection,
  kStartingCorrection,
  kTemperatureSensors,
  kLambdaSensor,
  kApSensor,
  kIapSensor,
  kServo,
  kIdlePosition,
  kIdleSpeed,
  kDesiredAfr,
  kCount
};
constexpr std::size_t kSheetControlCount = static_cast<std::size_t>(SheetControlId::kCount);
constexpr std::size_t Index(SheetControlId id) { return static_cast<std::size_t>(id); }

// Sheet indices inside the multi-sheet controls.
constexpr int kInjectionBSheet = 4;
constexpr int kInjectionIapSheet = 5;
constexpr int kIntakeServoSheet = 0;
constexpr int kExhaustServoSheet = 1;

// How a control's size follows its page.
enum class SizeRule : std::uint8_t {
  kPage,          // client width × (client height − 30)
  kPageWidth,     // client width × height·s
  kFixed,         // width·s × height·s
  kAtMostHeight,  // width·s × height, shrunk with s only below 96 dpi
};

// Colours that follow the settings after a load: the servo sheets are
// lighter while their servo works in percent; a pressure sensor whose two
// points share one voltage has no slope and shows red.
constexpr TColor kServoPercentColour = 0xCEF0FF, kServoVoltsColour = 0xCEDBFF;
constexpr TColor kFlatSensorColour = 0x0000FF, kSensorColour = 0xA0E0C0;

// Bitmaps of the program the sheets paint behind their parts.
enum class SheetBackground : std::uint8_t { kNone, kBgWa, kBgRainbow, kBgRainbow2, kBgInjB, kBgInjG };
std::string_view BackgroundName(SheetBackground b);

enum class Graduation : std::uint8_t { kNone, kG1, kG2, kG3, kG4, kG5, kG6, kG7, kG8, kG9 };
// Records in display units; the span ends after the last record.
std::span<const GraduationRecord> GraduationList(Graduation g);

// The arguments of DefineAxis. Null texts are empty ones; a data axis ignores
// the point-only arguments.
struct AxisDef {
  const char* shortName;
  const char* unit;
  std::int32_t min, max;
  double scale;
  std::int32_t step;
  Graduation graduations;
  int editable;
  int axisFlags;
  int minCount, count, collapseOption, collapsed, insertAllowed, fixedIndexRule;
  std::uint32_t groupMask;
  TColor colour;
  SheetBackground background;
};

// The arguments of DefineSheet, its three axes and what is set beside them.
struct SheetDef {
  const char* title;
  const char* xLabel;
  const char* yLabel;
  const char* dataLabel;
  int xMax, yMax;
  std::uint32_t flags;
  AxisDef x, y, data;
  double displayQuantum;  // of the data axis
};

struct SheetControlLayout {
  SheetControlId id;
  int page;
  SizeRule size;
  int width, height;
  int left, top;
  std::uint32_t options;  // ControlOptions, given when the control is created
  // Columns × rows the table is sized for (DefineControl sets them on the
  // model); 0 keeps the full 15 × 10.
  int budgetColumns, budgetRows;
  int titleFont, labelFont;             // 0 keeps the sheet's default
  int showDataUnit;                     // the small sheets print the unit with their values
  std::uint8_t firstSheet, sheetCount;  // into SheetDefs()
};

std::span<const SheetControlLayout> SheetControlLayouts();
const SheetControlLayout& Layout(SheetControlId id);
std::span<const SheetDef> SheetDefs();
// The definitions of one control's sheets, in sheet order.
std::span<const SheetDef> SheetsOf(SheetControlId id);

// Axis values set by the program, never stored in the image.
struct FixedAxisValues {
  SheetControlId control;
  int firstSheet, lastSheet;
  int part;  // kPartX or kPartY
  std::span<const std::int32_t> values;
  int named;  // values are ids of the sheet texts ("Coolant", "Inlet Air")
};
std::span<const FixedAxisValues> FixedAxes();
// Sets every fixed axis value of one control's sheets.
void SetFixedAxisValues(SheetControlId id, CTabModel& model);

struct ControlRect {
  int left, top, width, height;
  friend bool operator==(const ControlRect&, const ControlRect&) = default;
};
// Where a control sits on its page: s is pixels per inch / 96.
ControlRect PlaceSheetControl(const SheetControlLayout& layout, int clientWidth, int clientHeight, double s);

// The window hands pictures; tests hand anything non-null.
using BackgroundLookup = std::function<const void*(std::string_view name)>;

// Defines the sheets and axes of a created control, sets its fixed axis
// values, applies the axis rules and selects sheet 0.
void DefineControl(SheetControlId id, CTabModel& model, const BackgroundLookup& backgrounds);

// The idle position curve's meaning follows the idle type, and with it the
// factor between the stored word and the sheet value.
struct IdleCurveUnit {
  const char* title;
  const char* dataLabel;
  const char* shortName;
  const char* unit;
  std::int32_t max;
  double scale;
  Graduation graduations;
  int divisor;  // stored word = sheet value × divisor
  int shown;    // 0: the page hides the curve
};
const IdleCurveUnit& IdleCurveFor(int bike, int idleType, int intakeServoPercent);
// Relabels the curve (title, data axis) without converting its values.
void ApplyIdleCurveUnit(CTabModel& model, const IdleCurveUnit& unit);

// Data axis of a servo sheet: percent (1) or volts.
void ApplyServoDataUnit(CSheet& sheet, int percent);
