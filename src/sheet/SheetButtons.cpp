#include "sheet/SheetButtons.h"

#include "sheet/Graph3D.h"

namespace {

// What a button is, without where it sits (that follows the layout).
struct PresetButton {
  int index;
  int kind;
  const char* caption;
  const char* hint;
  int left;  // offsets inside the graph area (presets)
  int top;
  int right;
  int bottom;
};

constexpr PresetButton kPresets[] = {
    {kCommandTopView, kButtonToggle, "TOP", "View graph form top", 10, 25, 55, 41},
    {kCommandIso1View, kButtonToggle, "ISO1", "View graph as ISO1", 60, 25, 95, 41},
    {kCommandIso2View, kButtonToggle, "ISO2", "View graph as ISO2", 100, 25, 135, 41},
};

}  // namespace

CSheetButtons::CSheetButtons() {
  for (const PresetButton& s : kPresets) {
    SheetButton& b = (*this)[s.index];
    b.kind = s.kind;
    b.caption = s.caption;
    b.hint = s.hint;
  }
}

void CSheetButtons::PlacePresets(bool shown, int graphLeft, int graphTop) {
  for (const PresetButton& s : kPresets) {
    SheetButton& b = (*this)[s.index];
    b.visible = shown;
    b.rect = {graphLeft + s.left, graphTop + s.top, graphLeft + s.right, graphTop + s.bottom};
    if (!shown) b.hovered = false;
  }
}

void CSheetButtons::SyncPresets(const GraphAngles& angles) {
  const int preset = graph3d::PresetAt(angles);
  for (int i = 0; i < graph3d::kPresetCount; ++i) (*this)[kCommandTopView + i].state = preset == i ? 1 : 0;
}

int CSheetButtons::At(int x, int y) const {
  for (int i = 0; i < kButtonCount; ++i)
    if ((*this)[i].visible && (*this)[i].rect.Contains(x, y)) return i;
  return -1;
}

int CSheetButtons::Hover(int x, int y) {
  const int hit = At(x, y);
  for (int i = 0; i < kButtonCount; ++i) (*this)[i].hovered = i == hit;
  return hit;
}

int CSheetButtons::Press(int i) {
  if (i < 0 || i >= kButtonCount) return -1;
  SheetButton& b = (*this)[i];
  if (!b.visible || !b.enabled) return -1;
  if (b.kind & kButtonToggle) {
    b.state = b.state ? 0 : 1;
    return i;
  }
  b.state = 1;
  m_held = i;
  return -1;
}

void CSheetButtons::Drag(int x, int y) {
  if (m_held < 0 || (*this)[m_held].rect.Contains(x, y)) return;
  (*this)[m_held].state = 0;
  m_held = -1;
}

int CSheetButtons::Release(int x, int y) {
  if (m_held < 0) return -1;
  SheetButton& b = (*this)[m_held];
  const int command = b.rect.Contains(x, y) ? m_held : -1;
  b.state = 0;
  m_held = -1;
  return command;
}
