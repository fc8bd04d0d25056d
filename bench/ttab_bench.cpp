// The sheet control's costs per main tick: a full repaint of the advance map
// at the advance page's size, and a tick with nothing to do.

#include <benchmark/benchmark.h>


#include "sheet/Selection.h"
#include "sheet/view/TTab.h"
#include "support/AdvanceSheet.h"

namespace {

struct AdvanceControl {
  TTab tab{kOptionButtonBar | kOptionTable | kOptionGraph2D | kOptionGraph3D};
  AdvanceControl() {
    tab.resize(1338, 934);
    DefineAdvanceSheet(tab.Model());
    SelectRect(*tab.Model().Active(), {3, 2, 6, 4});
    tab.RepaintBitmap();
  }
};

void BM_TTabFullRepaint(benchmark::State& state) {
  AdvanceControl c;
  for (auto _ : state) {
    c.tab.RepaintBitmap();
    benchmark::DoNotOptimize(c.tab.Bitmap().constBits());
  }
}
BENCHMARK(BM_TTabFullRepaint)->Unit(benchmark::kMillisecond);

void BM_TTabIdleSheetTick(benchmark::State& state) {
  AdvanceControl c;
  const int repaints = c.tab.RepaintCount();
  for (auto _ : state) c.tab.SheetTick();
  if (c.tab.RepaintCount() != repaints) state.SkipWithError("an idle tick repainted");
}
BENCHMARK(BM_TTabIdleSheetTick)->Unit(benchmark::kMicrosecond);

// The 3D view at the page's size with the interesting values and the
// operating point. Arguments: the colour mode (4 height colours of grain 2,
// the default; 5 grain 3; 0 the wire model), and 1 for a worst-case map whose
// neighbouring cells jump across the whole data range, so that every
// triangle splits as far as the grain allows.
void BM_TTab3DRepaint(benchmark::State& state) {
  AdvanceControl c;
  CSheet& s = *c.tab.Model().Active();
  s.liveX = 9;
  s.liveY = 6;
  s.liveKind = 1;
  if (state.range(1))
    for (int y = 0; y < s.yAxis.count; ++y)
      for (int x = 0; x < s.xAxis.count; ++x) s.Cell(x, y) = (x + y) % 2 ? s.dataAxis.max : s.dataAxis.min;
  c.tab.Model().View().colourMode = static_cast<int>(state.range(0));
  c.tab.Model().View().labelMode = kLabelsInteresting;
  c.tab.ViewCommand(kView3D);
  for (auto _ : state) {
    c.tab.RepaintBitmap();
    benchmark::DoNotOptimize(c.tab.Bitmap().constBits());
  }
}
BENCHMARK(BM_TTab3DRepaint)->Args({4, 0})->Args({5, 0})->Args({0, 0})->Args({5, 1})->Unit(benchmark::kMillisecond);

}  // namespace
