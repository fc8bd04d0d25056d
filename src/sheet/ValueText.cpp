#include "sheet/ValueText.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

int DisplayDecimals(double step) {
  if (!(step < 1.0)) return 0;
  if (step <= 0.0) return 0;
  const double d = std::trunc(0.99 - std::log10(step));
  return d < 0 ? 0 : (d > 15 ? 15 : static_cast<int>(d));
}

std::string FormatShownValue(std::int32_t raw, double scale, double quantum) {
  if (!(quantum > 0.0)) quantum = 1.0;
  const double t = std::trunc(static_cast<double>(raw) / quantum);
  double shown = t * quantum * scale;
  const int decimals = DisplayDecimals(quantum * scale);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, shown == 0.0 ? 0.0 : shown);
  std::string digits = buf;

  if (digits.find('.') != std::string::npos) {
    while (digits.back() == '0') digits.pop_back();
    if (digits.back() == '.') digits.pop_back();
  }
  // A value that prints as minus nothing is zero.
  if (digits == "-0") digits = "0";

  const bool negative = !digits.empty() && digits[0] == '-';
  const std::size_t intBegin = negative ? 1 : 0;
  std::size_t intEnd = digits.find('.');
  if (intEnd == std::string::npos) intEnd = digits.size();

  std::string out;
  if (negative) out += '-';
  const std::size_t intLen = intEnd - intBegin;
  for (std::size_t i = 0; i < intLen; ++i) {
    if (i > 0 && (intLen - i) % 3 == 0) out += ' ';
    out += digits[intBegin + i];
  }
  out.append(digits, intEnd, std::string::npos);
  return out;
}

std::int32_t RoundHalfAway(double value) {
  const double r = value >= 0 ? std::trunc(value + 0.5) : std::trunc(value - 0.5);
  if (r >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
    return std::numeric_limits<std::int32_t>::max();
  if (r <= static_cast<double>(std::numeric_limits<std::int32_t>::min()))
    return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(r);
}

std::int64_t DivRoundHalfAway(std::int64_t n, std::int64_t d) {
  const std::int64_t an = n < 0 ? -n : n;
  const std::int64_t ad = d < 0 ? -d : d;
  const std::int64_t q = (an + ad / 2) / ad;
  return ((n < 0) != (d < 0)) ? -q : q;
}

bool ParseShownValue(std::string_view text, double scale, std::int32_t& raw) {
  std::string clean;
  bool commaSeen = false;
  for (char c : text) {
    if (c == ' ' || c == '\t') continue;
    if (c == ',' && !commaSeen) {
      commaSeen = true;
      c = '.';
    }
    clean += c;
  }
  if (clean.empty() || scale == 0.0 || !std::isfinite(scale)) return false;
  double value = 0;
  const char* first = clean.data();
  const char* last = clean.data() + clean.size();
  const auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::fixed);
  if (ec != std::errc() || ptr != last || !std::isfinite(value)) return false;
  raw = RoundHalfAway(value / scale);
  return true;
}
