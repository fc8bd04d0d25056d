#include <benchmark/benchmark.h>

#include <random>

#include "files/ConfigFile.h"
#include "image/ConfigImage.h"

namespace {

// A full image with a real bike type, so reading applies the bike's defaults
// as an open does; a note of several lines and the unit's identification.
ConfigImage FullImage() {
  std::mt19937 rng(83);
  ConfigImage image;
  for (auto& b : image) b = static_cast<std::uint8_t>(rng() % 200 + 1);
  image[0] = 7;
  for (std::size_t i = 2730; i < 2850; i += 20) image[i] = 0;
  image[2849] = 0;
  return image;
}

ConfigFileIdentity Identity() {
  static const std::uint8_t record[24] = {2, 0x11, 7, 0x20, 1, 4, 'S', 1, 2, 3, 0, 0,
                                          0, 0,    0, 0,    0, 0, 0,   0, 0, 0, 1, 0xA5};
  return {true, "13. 7.2015", "14:30", "Ventrix simulated unit", true, "FRM:010203S", record};
}

void BM_WriteConfigFile(benchmark::State& state) {
  const ConfigImage image = FullImage();
  const ConfigFileIdentity id = Identity();
  for (auto _ : state) benchmark::DoNotOptimize(WriteConfigFile(image, id));
}
BENCHMARK(BM_WriteConfigFile);

void BM_ReadConfigFile(benchmark::State& state) {
  const ConfigImage image = FullImage();
  const std::string file = WriteConfigFile(image, Identity());
  const ConfigReadContext context{ConfigImage{}, kWholeImage};
  for (auto _ : state) benchmark::DoNotOptimize(ReadConfigFile(file, context));
}
BENCHMARK(BM_ReadConfigFile);

// Save and open of a whole file: the budget is 1 ms.
void BM_WriteAndReadConfigFile(benchmark::State& state) {
  const ConfigImage image = FullImage();
  const ConfigFileIdentity id = Identity();
  const ConfigReadContext context{ConfigImage{}, kWholeImage};
  for (auto _ : state) benchmark::DoNotOptimize(ReadConfigFile(WriteConfigFile(image, id), context));
}
BENCHMARK(BM_WriteAndReadConfigFile);

}  // namespace
