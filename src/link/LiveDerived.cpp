#include "link/LiveDerived.h"

#include <algorithm>
#include <cstddef>

#include "image/FieldCatalogue.h"

int LiveCylinders(const ConfigImage& image) { return std::clamp(ReadRaw(image, FieldId::kCylinderCount), 1, 4); }

LiveDerived DeriveLiveValues(const CLiveValues& live, const ConfigImage& image) {
  LiveDerived d{};
  d[kDerivedCrankPickup] = live.crankPickupSignal;
  d[kDerivedCamPickup] = live.camPickupSignal;
  d[kDerivedFallSensorOut] = live.fallSensorOut;
  d[kDerivedBlockingOut] = live.blockingOut;
  d[kDerivedCooling] = live.coolingOn;
  d[kDerivedRetardLimiter] = live.retardLimiter;

  const int n = LiveCylinders(image);
  const int base = ReadRaw(image, FieldId::kBaseAdvance);
  int advanceSum = 0;
  int sumA = 0;
  int sumB = 0;
  int longest = 0;  // x100 us
  for (int c = 0; c < 4; ++c) {
    const auto i = std::size_t(c);
    const int b = live.injectionB[i];
    sumB += b;
    longest = std::max(longest, b);
    if (c >= n) continue;
    const int advance = live.advanceIsBase ? base : live.advance[i];
    d[std::size_t(kDerivedAdvance1 + c)] = advance;
    advanceSum += advance;
    sumA += live.injectionA[i];
    longest = std::max(longest, int(live.injectionA[i]));
  }
  d[kDerivedAdvance] = advanceSum / n;
  d[kDerivedInjectionTimeA] = sumA * 100 / n;
  d[kDerivedInjectionTimeB] = sumB * 100 / 4;
  // One injection every two revolutions: a 100 us step lasts rpm / 12000 of the cycle in per cent.
  d[kDerivedMaxInjectionDuty] = int(live.rpm) * longest / 12000;
  return d;
}
