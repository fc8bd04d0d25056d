#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "image/ConfigImage.h"
#include "link/LiveValues.h"
#include "base/Lang.h"

// Where a parameter's value comes from in the live-data frame. A byte or
// word source names the frame byte, a derived source the index of the
// derived values (link/LiveDerived.h). Groups only hold the tree together.
enum class SourceKind : std::uint8_t { kGroup, kNone, kByte, kWord, kDerived };

struct CIDSource {
  SourceKind kind = SourceKind::kGroup;
  int at = 0;
};

// How a monitor element shows the value.
enum class DisplayKind : std::uint8_t { kNumber = 0, kYesNo = 1, kRunning = 3 };

// How the state flags of a row are judged after each frame; the coolant and
// air rows also carry the unit's +100 offset.
enum class StateRule : std::uint8_t { kPlain, kRpm, kHighAt100, kCoolant, kAir };

// State flags of a parameter. 0 means "no value yet", which the elements
// show pale.
constexpr int kStateValue = 0x01;
constexpr int kStateHigh = 0x10;     // at or above 100 (duty, coolant)
constexpr int kStateLimiter = 0x40;  // a limiter acts
constexpr int kStateAlarm = 0x80;    // sensor error, or all three limiters act

// One parameter (or group) of the external monitor, as an element holds it:
// the catalogue updates value, state and the ranges that follow the
// configuration in place, so an element sees them through its reference.
struct CID {
  int id = 0;
  int parent = 0;  // 0 for a top-level row
  CLngStr name{};
  const char* units = "";
  CIDSource source{};
  double scale = 1;
  int decimals = 0;  // negative: rounded to that power of ten, shown without decimals
  int width = 0;     // characters
  double min = 0;
  double max = 0;
  DisplayKind shown = DisplayKind::kNumber;
  int cylinderMask = 15;
  StateRule rule = StateRule::kPlain;
  int flags = 0;
  double value = 0;

  bool IsGroup() const { return source.kind == SourceKind::kGroup; }
};

// Identifiers the program itself refers to.
enum CatalogueId : int {
  kCidNotFound = 0,
  kCidRpm = 1010,
  kCidSystemConnection = 1090,
  kCidIap = 1140,
  kCidIntakeServo = 5010,
  kCidExhaustServo = 5030,
};

class CParameterCatalogue {
 public:
  CParameterCatalogue();

  // The row with identifier `id`; the "?ID not found?" row when there is none.
  // The reference stays valid for the catalogue's life.
  const CID& GetDef(int id) const;
  // Every row in catalogue order, the not-found row first.
  std::span<const CID> Rows() const { return m_rows; }

  // After each valid live-data frame: the ranges that follow the
  // configuration, then every row with a source. True when a stored value
  // changed, i.e. the monitor must repaint. A frame shorter than a live-data
  // frame changes nothing.
  bool UpdateCatalogue(std::span<const std::uint8_t> frame, const CLiveValues& live, const ConfigImage& image);
  // "System connection": 1 while the unit answers (the no-connection label
  // is hidden). True when the value changed.
  bool SetConnected(bool connected);

  // Set by the first update of the run that changed a stored value; until
  // then numbers show as placeholders.
  bool HasData() const { return m_hasData; }
  // The text a value element shows for `row`, in the current language.
  std::string ValueText(const CID& row) const;

 private:
  void ApplyConfigurationRanges(const ConfigImage& image);
  CID& Row(std::size_t index) { return m_rows[index]; }

  std::vector<CID> m_rows;
  std::size_t m_rpm = 0;
  std::size_t m_iap = 0;
  std::size_t m_intakeServo = 0;
  std::size_t m_exhaustServo = 0;
  std::size_t m_connection = 0;
  bool m_hasData = false;
};

// The word a YES/NO or running/no-signal parameter shows for `on`.
std::string_view StateText(DisplayKind shown, bool on, int language = CurrentLanguage());
// "x" characters of `width`, with the point and zeros where `decimals`
// place them: "xxx.x" for width 5 and 1 decimal, "xxx00" for width 5 and -2.
std::string ValuePlaceholder(int width, int decimals);
// The value as "%*.*lf" prints it with `width` and `decimals`; negative
// decimals round to that power of ten first.
std::string FormatValue(double value, int width, int decimals);
