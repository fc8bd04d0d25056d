#include "link/LinkStats.h"

#include <chrono>

std::int64_t SystemWallClockMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

LinkRates CLinkRateMeter::Sample(const LinkCounters& counters, std::int64_t monotonicMs) {
  const std::int64_t elapsedMs = monotonicMs - m_atMs;
  if (m_started && elapsedMs >= 0 && elapsedMs < kMinIntervalMs) return m_last;
  const std::uint64_t sent = counters.framesSent - (counters.awaitingAnswer && counters.framesSent > 0 ? 1 : 0);
  const bool wentBack = sent < m_sent || counters.framesReceived < m_received;
  if (m_started && elapsedMs > 0 && !wentBack) {
    const auto perSecond = [elapsedMs](std::uint64_t now, std::uint64_t before) {
      return double(now - before) * 1000.0 / double(elapsedMs);
    };
    m_last = {perSecond(sent, m_sent), perSecond(counters.framesReceived, m_received)};
  } else {
    m_last = {};
  }
  m_started = true;
  m_sent = sent;
  m_received = counters.framesReceived;
  m_atMs = monotonicMs;
  return m_last;
}
