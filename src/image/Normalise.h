#pragma once

#include <cstdint>
#include <span>

#include "image/ConfigImage.h"

// Program settings that the normalisation brings into range with the image.
// A null pointer skips that setting.
struct ProgramSettingsRef {
  int* language = nullptr;                // 0..3, else 0
  std::uint8_t* portIndex = nullptr;      // 0..20, else 0
  std::uint8_t* autoPortIndex = nullptr;  // 0..19, else 0
};

// Moves every value of the image that is outside its limit to the limit, rule
// by rule in the unit's order, and the program settings into range.
void NormaliseImage(ConfigImage& image, const ProgramSettingsRef& settings = {});

// Strictly increasing bytes between lo and hi: raise p[i] to lo + i, lower it
// to hi − (n − 1) + i, then lift each point above its predecessor.
void ApplyAxisRule(std::span<std::uint8_t> points, int lo, int hi);

// The same on n unsigned little-endian words from image offset `offset`,
// increasing, or decreasing (raise to lo + (n − 1 − i), lower to hi − i, each
// point below its predecessor).
void ApplyWordRule(ConfigImage& image, std::size_t offset, int n, int lo, int hi, bool increasing);
