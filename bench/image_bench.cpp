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

#include "image/BikeDefaults.h"
#include "image/EditHistory.h"

namespace {

// The history's record of one committed change (one byte of a map).
void BM_RecordChange(benchmark::State& state) {
  CEditHistory history;
  ConfigImage image{};
  DirtyBlocks dirty{};
  history.Reset(image, 0);
  std::uint8_t v = 0;
  for (auto _ : state) {
    image[700] = ++v;
    benchmark::DoNotOptimize(history.RecordChange(image, 1, dirty));
  }
}
BENCHMARK(BM_RecordChange);

// New: the whole default configuration of a bike with its injection maps
// sampled from the reference tables.
void BM_WholeImageDefaults(benchmark::State& state) {
  CParamSet params;
  for (auto _ : state) {
    ConfigImage image{};
    image[0] = static_cast<std::uint8_t>(state.range(0));
    ApplyBikeDefaults(image, params, kWholeImage);
    benchmark::DoNotOptimize(image.data());
  }
}
BENCHMARK(BM_WholeImageDefaults)->Arg(11)->Arg(60)->Unit(benchmark::kMicrosecond);

}  // namespace
