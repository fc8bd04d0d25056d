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

}  // namespace
