#include "image/BikeOptions.h"

#include <algorithm>
#include <span>

namespace {

constexpr int kTempDisplayBikes[] = {17, 18, 27, 34, 35, 42, 47, 51, 55, 59, 60, 61, 63};
constexpr int kIntakePortBikes[] = {47, 55};
constexpr int kIdlePositionBikes[] = {38, 61, 63};

bool Listed(std::span<const int> bikes, int bike) { return std::find(bikes.begin(), bikes.end(), bike) != bikes.end(); }

}  // namespace

bool TempDisplayAllowed(int bike) { return Listed(kTempDisplayBikes, bike); }
bool IntakePortsFitted(int bike) { return Listed(kIntakePortBikes, bike); }
bool IdlePositionBike(int bike) { return Listed(kIdlePositionBikes, bike); }
