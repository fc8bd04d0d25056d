#pragma once

// Crafted live-data frames for tests.

#include <cstddef>
#include <cstdint>

#include "link/Frame.h"

namespace testsupport {

inline void PutWord(Frame& f, std::size_t at, int value) {
  f[at] = static_cast<std::uint8_t>(value & 0xFF);
  f[at + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

// A unit at rest, version 83, both temperature sensors working, no input
// active; the check byte is left to the caller.
inline Frame QuietFrame(int supplyMv = 13000) {
  Frame f{};
  f[0] = 0xB0;
  f[1] = 0x55;  // inputs are inverted: set means idle
  f[2] = 0x01 | 0xC0;
  f[23] = 180;
  f[24] = 125;
  f[150] = 83;
  PutWord(f, 64, supplyMv);
  return f;
}

}  // namespace testsupport
