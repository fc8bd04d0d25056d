#pragma once

#include <array>
#include <string>

#include "base/Colours.h"
#include "sheet/SheetView.h"

// Commands of a sheet control, by number: bar buttons, menu items and keys
// run the same ones. Button i runs command i.
enum SheetCommand : int {
  kCommandCopy = 0,
  kCommandCopyTable = 1,
  kCommandPaste = 2,
  kCommandStepUp = 3,
  kCommandStepDown = 4,
  kCommandTableView = 5,
  kCommand2DView = 6,
  kCommand3DView = 7,
  kCommandUseOnlyX = 13,
  kCommandUseOnlyY = 14,
  kCommandUseBoth = 15,
  kCommandTopView = 16,
  kCommandIso1View = 17,
  kCommandIso2View = 18,
  kCommandEnableSheet = 19,
  kCommandPositionBeginning = 20,
  kCommandPositionCentre = 21,
  kCommandPositionEnd = 22,
  kCommandCopyGraph = 40,
  kCommandInterpolate = 101,
};

enum ButtonKind : int { kButtonToggle = 1, kButtonPush = 2 };

// Inclusive pixel rectangle.
struct ButtonRect {
  int left = 0;
  int top = 0;
  int right = -1;
  int bottom = -1;
  bool Contains(int x, int y) const { return x >= left && x <= right && y >= top && y <= bottom; }
  friend bool operator==(const ButtonRect&, const ButtonRect&) = default;
};

struct SheetButton {
  int kind = 0;  // ButtonKind bits
  bool visible = false;
  bool enabled = true;
  ButtonRect rect;
  int state = 0;  // pressed (push) or ticked (toggle)
  bool hovered = false;
  // Picture names; empty: none.
  std::string bitmap;
  std::string pressedBitmap;
  std::string disabledBitmap;
  TColor colour = clBtnFace;
  // Text keys, translated when shown.
  std::string caption;
  std::string hint;
};

constexpr int kButtonCount = 30;

// The control's 30 button records. Their pressed states follow the control's
// state (view, presets, ...) rather than being kept on their own.
class CSheetButtons {
 public:
  CSheetButtons();

  SheetButton& operator[](int i) { return m_buttons[static_cast<std::size_t>(i)]; }
  const SheetButton& operator[](int i) const { return m_buttons[static_cast<std::size_t>(i)]; }

  // The 3D preset buttons: shown only with the 3D view, placed from the
  // graph area's top-left corner.
  void PlacePresets(bool shown, int graphLeft, int graphTop);
  // Exactly the preset the angles stand at shows pressed.
  void SyncPresets(const GraphAngles& angles);

  // The first visible button at (x, y), or -1.
  int At(int x, int y) const;
  // Marks the button under the mouse hovered; returns it or -1.
  int Hover(int x, int y);
  // Left button down on button i: a toggle flips and its command runs at
  // once (returned); a push button is only marked pressed (-1 returned).
  int Press(int i);
  // The mouse moved while a push button is held: leaving it releases it.
  void Drag(int x, int y);
  // Left button up: the held push button's command when the mouse is still on it, else -1.
  int Release(int x, int y);
  int Held() const { return m_held; }

 private:
  std::array<SheetButton, kButtonCount> m_buttons;
  int m_held = -1;
};
