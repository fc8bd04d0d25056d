#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <memory>

#include "core/AppCore.h"
#include "link/PosixSerialPort.h"
#include "support/PtyUnit.h"
#include "support/RecordingView.h"

namespace {

// A whole Read (identity, 19 blocks, then the verify of 19 blocks) through
// the real serial code on a pseudo-terminal. The figure that matters is
// the tick count: wall time here is the test pump's, not the program's.
void BM_ReadAndVerifyTicks(benchmark::State& state) {
  testsupport::PtyUnit unit;
  ::setenv("VENTRIX_COM2", unit.pty.SlavePath().c_str(), 1);
  RecordingView view;
  CAppCore core(view, std::make_unique<CPosixSerialPort>());
  core.textSlots.Apply(0);
  core.OpenPort();
  int runs = 0;
  long totalTicks = 0;
  for (auto _ : state) {
    core.StartRead();
    int ticks = 0;
    do {
      core.Tick();
      unit.Pump(2);
      ++ticks;
    } while (core.mode != LinkMode::Idle && ticks < 500);
    if (view.messageText != "Verify: OK") state.SkipWithError("read failed");
    totalTicks += ticks;
    ++runs;
  }
  state.counters["ticks"] = double(totalTicks) / runs;
  state.counters["seconds_at_55ms"] = double(totalTicks) / runs * 0.055;
  ::unsetenv("VENTRIX_COM2");
}
BENCHMARK(BM_ReadAndVerifyTicks)->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace
