#pragma once

// A random configuration image as the program would hold it: normalised.
// The same seed gives the same image, so a failing case can be replayed.

#include <random>

#include "image/ConfigImage.h"
#include "image/Normalise.h"

namespace testsupport {

inline ConfigImage RandomImage(unsigned seed) {
  std::mt19937 rng(seed);
  ConfigImage image;
  for (auto& b : image) b = static_cast<std::uint8_t>(rng());
  NormaliseImage(image);
  return image;
}

}  // namespace testsupport
