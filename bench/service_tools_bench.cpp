#include <benchmark/benchmark.h>

#include "files/ServiceTools.h"
#include "support/TempFolder.h"

namespace {

// Save All New, 64 default files written atomically into a fresh folder:
// the budget is 200 ms.
void BM_SaveAllNew(benchmark::State& state) {
  testsupport::TempFolder temp;
  int run = 0;
  for (auto _ : state) {
    const SaveAllNewResult result = SaveAllNew(temp / ("new_ign" + std::to_string(run++)));
    if (!result.folder.ok || !result.failures.empty()) state.SkipWithError("files not written");
  }
  state.SetLabel("budget 200 ms");
}
BENCHMARK(BM_SaveAllNew)->Unit(benchmark::kMillisecond);

// Compare All New over two equal sets: the report is the 64 headers.
void BM_CompareAllNew(benchmark::State& state) {
  testsupport::TempFolder temp;
  SaveAllNew(temp / "new_ign");
  SaveAllNew(temp / "new_ign_old");
  for (auto _ : state) benchmark::DoNotOptimize(CompareAllNewReport(temp / "new_ign", temp / "new_ign_old"));
}
BENCHMARK(BM_CompareAllNew)->Unit(benchmark::kMillisecond);

}  // namespace
