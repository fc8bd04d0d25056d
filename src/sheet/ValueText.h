#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Shown text of a raw sheet value and the reverse for typed text. Sheets hold
// raw integers only; everything the user reads or types passes through here.

// Number of decimals for a display step q x s: 0 when it is at least 1.
int DisplayDecimals(double step);

// The number alone: raw / quantum truncated, times quantum x scale, digits
// grouped in threes with single spaces, trailing zeros and point removed.
std::string FormatShownValue(std::int32_t raw, double scale, double quantum = 1.0);

// Typed text to raw: first "," becomes ".", spaces and tabs go, the rest must
// be one decimal number; value / scale is rounded half away from zero and
// held inside the 32-bit range. False (raw untouched) when it does not parse.
bool ParseShownValue(std::string_view text, double scale, std::int32_t& raw);

// Rounds half away from zero and saturates at the 32-bit range.
std::int32_t RoundHalfAway(double value);

// n / d rounded half away from zero (d != 0), in 64 bits.
std::int64_t DivRoundHalfAway(std::int64_t n, std::int64_t d);
