#pragma once

#include <cstdint>

// Decoded contents of the unit's last live-data frame.
struct CLiveValues {
  // Not 0 while the unit writes its memory; counts down from about 5782.
  std::uint16_t savingCountdown = 0;
};
