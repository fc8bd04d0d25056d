#include "sheet/SheetView.h"

#include "sheet/Sheet.h"

int EffectiveView(std::uint32_t options, int requested) {
  struct Allowed {
    int view;
    std::uint32_t option;
  };
  constexpr Allowed kOrder[] = {{kViewTable, kOptionTable}, {kView2D, kOptionGraph2D}, {kView3D, kOptionGraph3D}};
  int start = 0;
  for (int i = 0; i < 3; ++i)
    if (kOrder[i].view == requested) start = i;
  for (int k = 0; k < 3; ++k) {
    const Allowed& a = kOrder[(start + k) % 3];
    if (options & a.option) return a.view;
  }
  return kViewNone;
}
