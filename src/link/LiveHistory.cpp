#include "link/LiveHistory.h"

#include <algorithm>
#include <cstring>

namespace {
// Frames dropped together once they are out of the window: a copy of the
// whole window per frame would cost more than it saves in memory.
constexpr std::size_t kDropBatch = 16;
}  // namespace

void CLiveHistory::Clear() {
  m_log = LiveLogContents();
  ++m_revision;
}

void CLiveHistory::Add(std::uint64_t monotonicMicros, std::span<const std::uint8_t, kFrameSize> frame,
                       const ConfigImage& image) {
  if (m_log.frames.empty() && m_log.imageChanges.empty()) {
    m_origin = monotonicMicros;
    m_log.header.image = image;
  }
  // A clock that went back (it should not) keeps the times in order.
  const std::uint64_t micros = std::max(monotonicMicros - std::min(monotonicMicros, m_origin), m_log.DurationMicros());
  const ConfigImage& inForce = m_log.imageChanges.empty() ? m_log.header.image : m_log.imageChanges.back().image;
  if (inForce != image) m_log.imageChanges.push_back({micros, m_log.frames.size(), image});
  LiveLogFrame& f = m_log.frames.emplace_back();
  f.micros = micros;
  std::memcpy(f.bytes.data(), frame.data(), kFrameSize);
  ++m_revision;

  if (micros < kWindowMicros) return;
  const auto firstKept = std::lower_bound(m_log.frames.begin(), m_log.frames.end(), micros - kWindowMicros,
                                          [](const LiveLogFrame& kept, std::uint64_t t) { return kept.micros < t; });
  const auto drop = static_cast<std::size_t>(firstKept - m_log.frames.begin());
  if (drop < kDropBatch) return;
  // The image in force at the first frame kept becomes the start image.
  m_log.header.image = m_log.ImageAtFrame(drop);
  std::erase_if(m_log.imageChanges, [drop](const LiveLogImageChange& c) { return c.firstFrame <= drop; });
  for (LiveLogImageChange& c : m_log.imageChanges) c.firstFrame -= drop;
  m_log.frames.erase(m_log.frames.begin(), firstKept);
}
