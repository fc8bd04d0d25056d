// The external monitor's full repaint: the largest built-in set laid out at
// 1280 x 1024, painted into the surface's image with live values.

#include <benchmark/benchmark.h>

#include "monitor/BuiltinSets.h"
#include "link/ParameterCatalogue.h"
#include "monitor/view/TFormEM.h"

namespace {

void BM_MonitorFullRepaintSet3(benchmark::State& state) {
  CParameterCatalogue catalogue;
  TFormEM form(catalogue);
  form.TimerMonitor().stop();
  form.LoadBuiltinSet(kSet3);
  form.resize(1280, 1024 + 16);
  form.Surface().setGeometry(0, 0, 1280, 1024 + 16);
  form.Layout();
  if (form.Surface().Place.Count() == 0) state.SkipWithError("Set3 has no elements");
  for (auto _ : state) {
    form.Surface().Redraw();
    benchmark::DoNotOptimize(form.Surface().Image().constBits());
  }
  state.counters["elements"] = form.Surface().Place.Count();
}
BENCHMARK(BM_MonitorFullRepaintSet3)->Unit(benchmark::kMillisecond);

}  // namespace
