#include <benchmark/benchmark.h>

#include "image/ConfigImage.h"
#include "link/Frame.h"
#include "link/LiveValues.h"
#include "link/ParameterCatalogue.h"
#include "support/LiveFrames.h"

namespace {

// The external monitor's share of every live frame: configuration ranges,
// derived values, then all 50 rows. Target: well under 20 us. The speed
// alternates so the smoothing has work on every frame.
void BM_CatalogueUpdate(benchmark::State& state) {
  CParameterCatalogue catalogue;
  ConfigImage image{};
  image[256] = 4;
  image[29] = 150;
  image[63] = 1;
  image[402] = 100;
  Frame frames[2] = {testsupport::QuietFrame(), testsupport::QuietFrame()};
  testsupport::PutWord(frames[0], 48, 6000);
  testsupport::PutWord(frames[1], 48, 6400);
  CLiveValues live;
  DecodeLiveFrame(frames[0], live);
  int i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(catalogue.UpdateCatalogue(frames[i ^= 1], live, image));
  }
}
BENCHMARK(BM_CatalogueUpdate);

}  // namespace
