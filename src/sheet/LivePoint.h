#pragma once

#include <cstdint>

#include "sheet/LiveInputs.h"
#include "sheet/Sheet.h"

struct CLiveValues;

// Where the engine runs on a sheet: the live column and row (-2 none, -1
// below the first engine-speed point of a base-advance map), the kind
// (0 none, 1 map fully in use, 2 partly, -1 not in use) and, on sensor
// characteristics, the coolant and air rows (-1 none).
struct LiveCell {
  int x = -2;
  int y = -2;
  int kind = 0;
  int extraRow1 = -1;
  int extraRow2 = -1;
  friend bool operator==(const LiveCell&, const LiveCell&) = default;
};

// A live value in an axis' raw units: value / scale rounded half away from
// zero. Truncating value / scale + 0.5 would put -3 C on -2, a row too high.
std::int32_t LiveAxisUnits(double value, double scale);

// The point index a live value falls on (see LiveCell for -2 and -1).
// belowMeansMinusOne: the sheet marks engine speeds below its first point.
int LiveAxisIndex(const CAxe& axis, const SheetLiveInputs& live, bool belowMeansMinusOne);

// The live cell of a sheet for the inputs, as held on the sheet.
LiveCell EvaluateLiveCell(const CSheet& sheet, const SheetLiveInputs& live);
LiveCell LiveCellOf(const CSheet& sheet);
void StoreLiveCell(CSheet& sheet, const LiveCell& cell);

// The inputs a control takes from the unit's last live frame. gasHandle: the
// sheet's throttle axis is the gas handle, not the throttle valve.
SheetLiveInputs SheetLiveInputsFrom(const CLiveValues& live, bool noConnection, bool gasHandle);
