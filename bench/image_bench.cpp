#include <benchmark/benchmark.h>

#include <random>

#include "image/ConfigImage.h"
#include "image/Normalise.h"
#include "image/ParamSet.h"

namespace {

// One commit's worth of image work: load the parameter set, store it back,
// normalise. The image is random, so most limits have something to do at first.
void BM_LoadStoreNormalise(benchmark::State& state) {
  std::mt19937 rng(83);
  ConfigImage image;
  for (auto& b : image) b = static_cast<std::uint8_t>(rng());
  CParamSet params;
  for (auto _ : state) {
    LoadParameterSet(image, params);
    StoreParameterSet(params, image);
    NormaliseImage(image);
    benchmark::DoNotOptimize(image.data());
  }
}
BENCHMARK(BM_LoadStoreNormalise);

}  // namespace
