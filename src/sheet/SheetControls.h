#pragma once

#include <array>

#include "sheet/Sheet.h"
#include "sheet/TabModel.h"

// What the main window asks of a sheet control, whatever draws it.
class ISheetControl {
 public:
  virtual ~ISheetControl() = default;
  virtual bool HasInputFocus() const = 0;
  // One main tick: repeats, blinking, auto-scroll, the change gate, repaint.
  virtual void SheetTick() = 0;
  virtual CTabModel& Model() = 0;
};

// The main window's sheet controls in creation order, at most 20, with what
// they share: the owner's marker fields and the autoscroll flag.
class CSheetControls {
 public:
  // False when the window already has its 20 controls.
  bool Add(ISheetControl* control);
  int Count() const { return m_count; }
  bool Full() const { return m_count >= kMaxSheetControls; }
  ISheetControl* At(int i) const { return i >= 0 && i < m_count ? m_controls[static_cast<std::size_t>(i)] : nullptr; }
  // The first control, in registration order, that has the input focus.
  ISheetControl* Focused() const;
  // Markers first, with a redraw, when they are to be taken again; then
  // every control's tick.
  void TickAll();

  SheetOwnerFields fields;
  // "Autoscroll actual position": every control follows its live cell.
  int autoscroll = 0;

 private:
  std::array<ISheetControl*, kMaxSheetControls> m_controls{};
  int m_count = 0;
};
