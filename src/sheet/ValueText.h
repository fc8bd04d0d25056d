#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Shown text of a raw sheet value and the reverse for typed text. Sheets hold
// raw integers only; everything the user reads or types passes through here.

// How shown numbers group thousands and mark decimals. The program sets the
// desktop locale's once at start (edits, maps and graphs then agree); until
// then, and for the clipboard, which other programs and other copies read,
// thousands are grouped with spaces and decimals follow a point.
struct NumberFormat {
  std::string group = " ";  // empty: no grouping
  std::string decimal = ".";
};
const NumberFormat& ShownNumberFormat();
void SetShownNumberFormat(NumberFormat format);

// Number of decimals for a display step q x s: 0 when it is at least 1.
int DisplayDecimals(double step);

// The number alone: raw / quantum truncated, times quantum x scale, digits
// grouped in threes, trailing zeros and decimal mark removed.
std::string FormatShownValue(std::int32_t raw, double scale, double quantum, const NumberFormat& format);
std::string FormatShownValue(std::int32_t raw, double scale, double quantum = 1.0);
// As the cell editor starts with it: the shown format without grouping.
std::string FormatEditValue(std::int32_t raw, double scale);
// A plain number ("-12345.6", point and no grouping) in `format`.
std::string LocaliseNumber(std::string_view plain, const NumberFormat& format = ShownNumberFormat());

// Typed text to raw: spaces, tabs and the grouping of the shown format go
// (a group mark counts only before exactly three digits, so "2,5" stays a
// decimal where "," groups); the first "," or the format's decimal mark is
// the decimal point; the rest must be one decimal number. value / scale is
// rounded half away from zero and held inside the 32-bit range. False (raw
// untouched) when it does not parse.
bool ParseShownValue(std::string_view text, double scale, std::int32_t& raw);

// Rounds half away from zero and saturates at the 32-bit range.
std::int32_t RoundHalfAway(double value);

// n / d rounded half away from zero (d != 0), in 64 bits.
std::int64_t DivRoundHalfAway(std::int64_t n, std::int64_t d);
