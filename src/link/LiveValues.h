#pragma once

#include <cstdint>
#include <span>

// Decoded contents of the unit's last live-data frame.
struct CLiveValues {
  // Blocks the unit changed on its own: bit n-1 for block n.
  std::uint16_t changedBlocks = 0;
  // Not 0 while the unit writes its memory; counts down from about 5782.
  std::uint16_t savingCountdown = 0;
};

// Decodes a valid live-data frame (152 bytes, first byte 0xB0) into `live`.
void DecodeLiveFrame(std::span<const std::uint8_t> frame, CLiveValues& live);
