#include "sheet/ValueText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>
#include <limits>

int DisplayDecimals(double step) {
  if (!(step < 1.0)) return 0;
  if (step <= 0.0) return 0;
  const double d = std::trunc(0.99 - std::log10(step));
  return d < 0 ? 0 : (d > 15 ? 15 : static_cast<int>(d));
}

namespace {
NumberFormat& CurrentFormat() {
  static NumberFormat format;
  return format;
}
}  // namespace

const NumberFormat& ShownNumberFormat() { return CurrentFormat(); }
void SetShownNumberFormat(NumberFormat format) { CurrentFormat() = std::move(format); }

std::string LocaliseNumber(std::string_view plain, const NumberFormat& format) {
  const bool negative = !plain.empty() && plain[0] == '-';
  const std::size_t intBegin = negative ? 1 : 0;
  std::size_t intEnd = plain.find('.');
  if (intEnd == std::string_view::npos) intEnd = plain.size();
  std::string out;
  if (negative) out += '-';
  const std::size_t intLen = intEnd - intBegin;
  for (std::size_t i = 0; i < intLen; ++i) {
    if (i > 0 && (intLen - i) % 3 == 0) out += format.group;
    out += plain[intBegin + i];
  }
  if (intEnd < plain.size()) {
    out += format.decimal;
    out.append(plain.substr(intEnd + 1));
  }
  return out;
}

namespace {
// The C locale's fixed notation, whatever LC_NUMERIC says (Qt sets it from
// the desktop: printf would write a German comma).
std::string PlainShownValue(std::int32_t raw, double scale, double quantum) {
  if (!(quantum > 0.0)) quantum = 1.0;
  const double t = std::trunc(static_cast<double>(raw) / quantum);
  const double shown = t * quantum * scale;
  const int decimals = DisplayDecimals(quantum * scale);
  char buf[400];
  const auto r = std::to_chars(buf, buf + sizeof buf, shown == 0.0 ? 0.0 : shown, std::chars_format::fixed, decimals);
  std::string digits(buf, r.ec == std::errc() ? r.ptr : buf);
  if (digits.find('.') != std::string::npos) {
    while (digits.back() == '0') digits.pop_back();
    if (digits.back() == '.') digits.pop_back();
  }
  // A value that prints as minus nothing is zero.
  if (digits == "-0") digits = "0";
  return digits;
}
}  // namespace

std::string FormatShownValue(std::int32_t raw, double scale, double quantum, const NumberFormat& format) {
  return LocaliseNumber(PlainShownValue(raw, scale, quantum), format);
}

std::string FormatShownValue(std::int32_t raw, double scale, double quantum) {
  return FormatShownValue(raw, scale, quantum, ShownNumberFormat());
}

std::string FormatEditValue(std::int32_t raw, double scale) {
  return LocaliseNumber(PlainShownValue(raw, scale, 1.0), {"", ShownNumberFormat().decimal});
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

namespace {
bool IsDigitChar(char c) { return c >= '0' && c <= '9'; }

// Blanks go, and so does a group mark that stands where grouping puts one:
// after the first 1 to 3 digits (not a lone 0) or after a full group of
// three, before exactly three digits, never after a decimal mark.
std::string WithoutGrouping(std::string_view text, std::string_view group) {
  static constexpr std::string_view kBlanks[] = {" ", "\t", "\u00A0", "\u202F"};
  std::string out;
  int run = 0;  // digits since the number's start or the last group mark
  bool grouped = false, zeroStart = false, fraction = false;
  for (std::size_t i = 0; i < text.size();) {
    const std::string_view rest = text.substr(i);
    const auto blank =
        std::find_if(std::begin(kBlanks), std::end(kBlanks), [&](std::string_view b) { return rest.starts_with(b); });
    if (blank != std::end(kBlanks)) {
      i += blank->size();
      continue;
    }
    if (!group.empty() && !fraction && run > 0 && rest.starts_with(group) &&
        (grouped ? run == 3 : run <= 3 && !zeroStart)) {
      std::size_t k = group.size();
      while (k < rest.size() && IsDigitChar(rest[k])) ++k;
      if (k - group.size() == 3) {
        i += group.size();
        run = 0;
        grouped = true;
        continue;
      }
    }
    const char c = text[i];
    if (IsDigitChar(c)) {
      if (run == 0 && !grouped) zeroStart = c == '0';
      ++run;
    } else if (c == '.' || c == ',') {
      fraction = true;
    }
    out += c;
    ++i;
  }
  return out;
}
}  // namespace

bool ParseShownValue(std::string_view text, double scale, std::int32_t& raw) {
  const NumberFormat& format = ShownNumberFormat();
  const bool spaceGroup =
      format.group.empty() || format.group == " " || format.group == "\u00A0" || format.group == "\u202F";
  std::string clean;
  bool commaSeen = false;
  for (char c : WithoutGrouping(text, spaceGroup ? std::string_view() : std::string_view(format.group))) {
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
