#pragma once

#include <array>
#include <cstdint>

#include "image/ConfigImage.h"
#include "link/LiveValues.h"

// Values worked out from one live-data frame that both the main window and
// the external monitor show, so the two never disagree. The index is the
// number a derived source of the monitor catalogue names; unused indices
// stay 0.
enum LiveDerivedIndex : int {
  kDerivedCrankPickup = 2,  // 0 or 1, like every flag up to the retard limiter
  kDerivedCamPickup = 3,
  kDerivedFallSensorOut = 4,
  kDerivedBlockingOut = 5,
  kDerivedCooling = 6,
  kDerivedRetardLimiter = 7,
  kDerivedMaxInjectionDuty = 8,  // %
  kDerivedInjectionTimeA = 10,   // us, average of the fitted cylinders
  kDerivedInjectionTimeB = 11,   // us, average of all four B values
  kDerivedAdvance = 20,          // degrees, average of the fitted cylinders
  kDerivedAdvance1 = 21,         // 21..24: cylinders 1..4, 0 for cylinders not fitted
  kDerivedCount = 25,
};

using LiveDerived = std::array<std::int32_t, kDerivedCount>;

// Cylinders fitted, from image byte 256: 1..4, a 0 reading as 1.
int LiveCylinders(const ConfigImage& image);

// While the unit reports base advance the advance values are the image's
// base advance, not the frame's bytes.
LiveDerived DeriveLiveValues(const CLiveValues& live, const ConfigImage& image);
