#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The value of an edit + up/down pair. The position is what the pair holds:
// written from the image it may lie outside the range (a blank image's
// zeros, a start limiter of 0) and is shown and read back as it is; only a
// step or a typed value is bounded to the range.
class CUpDownValue {
 public:
  CUpDownValue(std::int32_t min, std::int32_t max, std::int32_t step) : m_min(min), m_max(max), m_step(step) {}

  std::int32_t Position() const { return m_position; }
  std::int32_t Min() const { return m_min; }
  std::int32_t Max() const { return m_max; }
  std::int32_t Step() const { return m_step; }
  // The maximum of UpDownLadeniKanal follows the cylinder count; it is
  // never set below the minimum. The position stays as it is.
  void SetMax(std::int32_t max);

  // Writing from the parameter set: unbounded.
  void Write(std::int32_t value) { m_position = value; }
  // One click up (+1) or down (-1): position ± step, held within the range.
  // False when the position did not change.
  bool StepBy(int direction);
  // Text typed into the edit: a number, with or without the grouping
  // separator, becomes the bounded position; text that does not parse
  // leaves the position. False when it did not change.
  bool Type(std::string_view text, std::string_view groupSeparator);

  // The edit's text for the position: decimal, grouped by thousands with
  // `groupSeparator` from 1000 on ("12,500"), a leading "-" for negatives.
  std::string Text(std::string_view groupSeparator) const;

 private:
  std::int32_t m_min, m_max, m_step;
  std::int32_t m_position = 0;
};

// Parses a typed number: optional sign, digits, grouping separators between
// groups of three digits ("12,500", not "1,25,00"); surrounding blanks are
// allowed, and a plain space stands for a no-break space separator. Nothing
// for anything else, or beyond the 32-bit range.
std::optional<std::int32_t> ParseTypedNumber(std::string_view text, std::string_view groupSeparator);
