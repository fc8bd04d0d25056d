#include <benchmark/benchmark.h>

#include <memory>

#include "core/AppCore.h"
#include "link/Frame.h"
#include "support/FakePort.h"
#include "support/RecordingView.h"

namespace {

// One idle tick with a unit that answers every frame: read, decode, step,
// watchdog. The reply is queued before every tick, so each tick pays for a
// full read and check.
void BM_IdleTick(benchmark::State& state) {
  RecordingView view;
  CAppCore core(view, std::make_unique<FakePort>());
  auto& port = static_cast<FakePort&>(core.Port());
  core.OpenPort();
  const Frame live = UnitReply(0xB0, 0x5A);
  for (auto _ : state) {
    port.Queue(live);
    core.Tick();
    if (port.written.size() > 1000) port.written.clear();
  }
}
BENCHMARK(BM_IdleTick);

void BM_BuildStatusFrame(benchmark::State& state) {
  ConfigImage image{};
  StatusFrameInputs in;
  for (auto _ : state) {
    in.oneShot[0] ^= 1;
    benchmark::DoNotOptimize(BuildStatusFrame(image, in));
  }
}
BENCHMARK(BM_BuildStatusFrame);

void BM_BuildBlockFrame(benchmark::State& state) {
  ConfigImage image{};
  std::uint8_t command = 0x41;
  for (auto _ : state) {
    benchmark::DoNotOptimize(BuildBlockFrame(command, image, false, false));
    command = command == 0x53 ? 0x41 : command + 1;
  }
}
BENCHMARK(BM_BuildBlockFrame);

void BM_CheckFrame(benchmark::State& state) {
  const Frame f = UnitReply(0xB0, 0x33);
  for (auto _ : state) benchmark::DoNotOptimize(FrameIsValid(f));
}
BENCHMARK(BM_CheckFrame);

}  // namespace
