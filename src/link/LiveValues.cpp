#include "link/LiveValues.h"

namespace {
std::uint16_t Word(std::span<const std::uint8_t> f, std::size_t at) {
  return static_cast<std::uint16_t>(f[at] | (f[at + 1] << 8));
}
}  // namespace

void DecodeLiveFrame(std::span<const std::uint8_t> frame, CLiveValues& live) {
  live.changedBlocks = Word(frame, 146);
  live.savingCountdown = Word(frame, 148);
}
