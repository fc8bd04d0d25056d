#include <benchmark/benchmark.h>

#include <string>

#include "UnitSim.h"
#include "support/CoreOnDevice.h"
#include "support/PtyUnit.h"

namespace {

// A whole Read (identity, 19 blocks, then the verify of 19 blocks) through
// the real serial code on a pseudo-terminal, from the simulated unit's
// default image, which the program's normalisation keeps: every run must
// end with "Verify: OK", or its figures would time a failure. The figure
// that matters is the tick count: wall time here is the test pump's, not
// the program's.
void BM_ReadAndVerifyTicks(benchmark::State& state) {
  UnitSimConfig config;
  config.image = DefaultSimImage();
  testsupport::PtyUnit unit(config);
  testsupport::CoreOnDevice line(unit.pty.SlavePath());
  int runs = 0;
  long totalTicks = 0;
  std::size_t totalFrames = 0;
  for (auto _ : state) {
    unit.sent.clear();
    line.core->StartRead();
    totalTicks += line.RunToIdle([&unit] { unit.Pump(2); }, 500);
    totalFrames += unit.Commands().size();
    ++runs;
    if (line.view.messageText != "Verify: OK") {
      state.SkipWithError(("read failed: " + line.view.messageText).c_str());
      break;
    }
  }
  state.counters["ticks"] = double(totalTicks) / runs;
  state.counters["seconds_at_55ms"] = double(totalTicks) / runs * 0.055;
  // 39 when no frame had to be sent again.
  state.counters["block_frames"] = double(totalFrames) / runs;
}
BENCHMARK(BM_ReadAndVerifyTicks)->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace
