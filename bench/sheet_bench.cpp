#include <benchmark/benchmark.h>

#include "sheet/Selection.h"
#include "sheet/TabModel.h"

namespace {

// A 15 x 10 advance-like sheet, active, with a selection and nothing pending.
CTabModel MakeAdvanceModel() {
  CTabModel model(kOptionButtonBar | kOptionTable | kOptionGraph2D | kOptionGraph3D);
  const int s = model.DefineSheet("Advance", "RPM", "TPS", "Advance", 15, 10, kSheetLivePoint);
  model.DefineAxis(s, kPartX, "RPM", "", 5, 200, 100.0, 1, {}, 1, 1, 2, 15, 0, 0, 1, -1, 1, 0xFFFFFF, nullptr);
  model.DefineAxis(s, kPartY, "TPS", "%", 0, 100, 1.0, 1, {}, 1, 1, 2, 10, 0, 0, 1, -1, 1, 0xFFFFFF, nullptr);
  model.DefineAxis(s, kPartData, "ADV", "", 0, 90, 0.5, 0, {}, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0xFFFFFF, nullptr);
  for (int x = 0; x < 15; ++x) model.Sheet(s).xAxis.values[static_cast<std::size_t>(x)] = 10 + 10 * x;
  for (int y = 0; y < 10; ++y) model.Sheet(s).yAxis.values[static_cast<std::size_t>(y)] = 10 * y;
  model.ApplyAxisRules(s, kPartAll | kPartResetElastic);
  model.SelectSheet(s);
  SelectSpan(model.Sheet(s), {2, 2}, {5, 4});
  return model;
}

// The model's share of an idle SheetTick: count, nothing due.
void BM_SheetTickIdle(benchmark::State& state) {
  CTabModel model = MakeAdvanceModel();
  for (auto _ : state) {
    model.Tick();
    benchmark::DoNotOptimize(model.PendingParts());
  }
}
BENCHMARK(BM_SheetTickIdle);

// Texts of every visible cell and header of a 15 x 10 table, as one repaint needs them.
void BM_SheetTableTexts(benchmark::State& state) {
  CTabModel model = MakeAdvanceModel();
  const CSheet& s = *model.Active();
  for (auto _ : state) {
    std::size_t n = 0;
    for (int y = -1; y < 10; ++y)
      for (int x = -1; x < 15; ++x)
        if (x >= 0 || y >= 0) n += s.EntryText({x, y}).size();
    benchmark::DoNotOptimize(n);
  }
}
BENCHMARK(BM_SheetTableTexts);

}  // namespace
