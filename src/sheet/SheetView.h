#pragma once

#include <cstdint>

// What a sheet control shows, held per control (not per sheet).
enum SheetViewKind : int { kViewNone = 0, kViewTable = 1, kView2D = 2, kView3D = 4 };

// Value labels of the graphs.
enum GraphLabelMode : int { kLabelsNone = 0, kLabelsActive = 1, kLabelsInteresting = 2, kLabelsAll = 3 };
constexpr int kLabelModeMax = 3;
// Graph colours: 0 wire model, 1 one colour, 2..5 height colours of grain 0..3.
constexpr int kColourWire = 0, kColourOne = 1, kColourHeightGrain0 = 2;
constexpr int kColourModeMax = 5;

// The 3D view's angles in steps of 5 degrees (A about the vertical, B the
// tilt, C the roll), as the rotation leaves them.
struct GraphAngles {
  int a = -5;
  int b = 24;
  int c = 0;
  friend bool operator==(const GraphAngles&, const GraphAngles&) = default;
};

// Graph hints still offered: each goes once the user has done what it tells.
enum GraphHintBits : int { kHintRotate = 1, kHintSetValue = 2 };

struct SheetViewState {
  int requested = kViewTable;  // the view asked for (commands 5, 6, 7)
  int labelMode = kLabelsNone;
  int colourMode = 4;
  GraphAngles angles;
  int hintBits = kHintRotate | kHintSetValue;
};

// The view a control with `options` shows when `requested` is asked for:
// that one when allowed, else the next allowed in the order table, 2D, 3D,
// table; kViewNone when the control allows none.
int EffectiveView(std::uint32_t options, int requested);
