#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "link/LiveLog.h"

// The unit's live frames of the last minutes, kept in memory for the time
// chart while no log plays: a rolling window, fed with every live frame as
// it arrives, held as a log (frames and the images in force) so the chart
// reads it the way it reads a log.
class CLiveHistory {
 public:
  static constexpr std::uint64_t kWindowMicros = 5ull * 60 * 1'000'000;

  // A valid live frame at `monotonicMicros`; `image` is the one in force.
  void Add(std::uint64_t monotonicMicros, std::span<const std::uint8_t, kFrameSize> frame, const ConfigImage& image);
  void Clear();

  // The frames of the window; their times count from the first frame added
  // since the last Clear, so a moment keeps its time as the window rolls.
  const LiveLogContents& Contents() const { return m_log; }
  // Grows with every frame added: a reader sees whether anything is new.
  std::uint64_t Revision() const { return m_revision; }

 private:
  LiveLogContents m_log;
  std::uint64_t m_origin = 0;
  std::uint64_t m_revision = 0;
};
