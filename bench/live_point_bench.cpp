// The sheet controls' share of a main tick with live data: all 15 map
// controls take the inputs and re-evaluate their live cells.

#include <benchmark/benchmark.h>

#include <vector>

#include "TickTimes.h"
#include "image/MapCatalogue.h"
#include "link/LiveValues.h"
#include "sheet/LivePoint.h"
#include "sheet/TabModel.h"

namespace {

void BM_LivePointAllMapControls(benchmark::State& state) {
  std::vector<CTabModel> models;
  models.reserve(kSheetControlCount);
  for (std::size_t i = 0; i < kSheetControlCount; ++i) {
    const auto id = static_cast<SheetControlId>(i);
    models.emplace_back(Layout(id).options);
    DefineControl(id, models[i], [](std::string_view) -> const void* { return nullptr; });
    for (int s = 0; s < models[i].SheetCount(); ++s) {
      CAxe& x = models[i].Sheet(s).xAxis;
      if (x.shortName == "RPM")
        for (int k = 0; k < x.count; ++k) x.values[static_cast<std::size_t>(k)] = 10 + 8 * k;
    }
  }
  CLiveValues live;
  TickTimes times;
  int tick = 0;
  for (auto _ : state) {
    live.rpm = static_cast<std::uint16_t>(1000 + (tick * 37) % 11000);
    live.throttle = static_cast<std::uint16_t>((tick * 13) % 1000);
    live.iap = static_cast<std::uint16_t>(20 + (tick * 7) % 80);
    live.coolant = static_cast<std::uint8_t>(90 + tick % 100);
    live.injectionByThrottle = static_cast<std::uint8_t>(tick % 101);
    times.Time([&] {
      for (CTabModel& m : models) {
        m.LiveInputs() = SheetLiveInputsFrom(live, false, false);
        m.Tick();
      }
    });
    ++tick;
  }
  times.Report(state);
}
BENCHMARK(BM_LivePointAllMapControls)->Unit(benchmark::kMicrosecond);

}  // namespace
