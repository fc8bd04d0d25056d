#include "image/UpDownValue.h"

#include <algorithm>
#include <limits>

namespace {

constexpr std::int64_t kMaxMagnitude = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Locales that group with a no-break space (Czech, French) cannot expect the
// user to type one: a plain space counts as that separator too.
bool SeparatorIsSpace(std::string_view separator) {
  return separator == " " || separator == "\u00A0" || separator == "\u202F";
}

// Length of the grouping separator at the start of `text`, 0 when none is there.
std::size_t SeparatorAt(std::string_view text, std::string_view separator) {
  if (!separator.empty() && text.starts_with(separator)) return separator.size();
  if (SeparatorIsSpace(separator) && text.starts_with(' ')) return 1;
  return 0;
}

}  // namespace

void CUpDownValue::SetMax(std::int32_t max) { m_max = std::max(max, m_min); }

bool CUpDownValue::StepBy(int direction) {
  const std::int64_t next = std::int64_t{m_position} + std::int64_t{direction} * m_step;
  const auto bounded = static_cast<std::int32_t>(std::clamp<std::int64_t>(next, m_min, m_max));
  const bool changed = bounded != m_position;
  m_position = bounded;
  return changed;
}

bool CUpDownValue::Type(std::string_view text, std::string_view groupSeparator) {
  const std::optional<std::int32_t> typed = ParseTypedNumber(text, groupSeparator);
  if (!typed) return false;
  const std::int32_t bounded = std::clamp(*typed, m_min, m_max);
  const bool changed = bounded != m_position;
  m_position = bounded;
  return changed;
}

std::string CUpDownValue::Text(std::string_view groupSeparator) const {
  const std::int64_t magnitude = m_position < 0 ? -std::int64_t{m_position} : m_position;
  const std::string digits = std::to_string(magnitude);
  std::string text = m_position < 0 ? "-" : "";
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) text += groupSeparator;
    text += digits[i];
  }
  return text;
}

std::optional<std::int32_t> ParseTypedNumber(std::string_view text, std::string_view groupSeparator) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);

  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }

  std::int64_t magnitude = 0;
  int groupDigits = 0;   // digits since the last separator
  bool grouped = false;  // a separator has been seen
  while (!text.empty()) {
    if (IsDigit(text.front())) {
      magnitude = magnitude * 10 + (text.front() - '0');
      if (magnitude > kMaxMagnitude) return std::nullopt;
      ++groupDigits;
      text.remove_prefix(1);
      continue;
    }
    const std::size_t separator = SeparatorAt(text, groupSeparator);
    // The first group holds 1 to 3 digits, every later one exactly 3.
    if (separator == 0 || groupDigits == 0 || groupDigits > 3 || (grouped && groupDigits != 3)) return std::nullopt;
    grouped = true;
    groupDigits = 0;
    text.remove_prefix(separator);
  }
  if (groupDigits == 0 || (grouped && groupDigits != 3)) return std::nullopt;
  if (!negative && magnitude == kMaxMagnitude) return std::nullopt;
  return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}
