#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "link/LiveLog.h"

// Plays a live-data log back into the core as if the unit sent it. Time
// advances with the main tick (55 ms of the log per tick at real speed, ten
// times that at x10), so a replay is as deterministic as the tick itself.
class CLivePlayback {
 public:
  static constexpr std::uint64_t kTickMicros = 55000;
  static constexpr int kSpeeds[] = {1, 2, 5, 10};

  bool Active() const { return m_active; }
  void Start(LiveLogContents log, std::string path);
  void Stop();

  // 0 pauses; otherwise one of kSpeeds.
  int Speed() const { return m_speed; }
  void SetSpeed(int speed);

  // One main tick: every frame whose time has come, in order.
  template <typename Feed>
  void Tick(Feed&& feed) {
    if (!m_active || m_speed == 0) return;
    m_position += kTickMicros * static_cast<std::uint64_t>(m_speed);
    while (m_next < m_log.frames.size() && m_log.frames[m_next].micros <= m_position) feed(m_log.frames[m_next++].bytes);
    if (m_next >= m_log.frames.size()) {
      m_position = m_log.DurationMicros();
      m_speed = 0;  // the end holds its last picture until the tuner moves on
    }
  }
  // Pauses and plays the next frame alone.
  template <typename Feed>
  void StepFrame(Feed&& feed) {
    m_speed = 0;
    if (!m_active || m_next >= m_log.frames.size()) return;
    m_position = m_log.frames[m_next].micros;
    feed(m_log.frames[m_next++].bytes);
  }
  // Moves to `micros` and plays the frame in force there, so every display
  // shows that moment at once.
  template <typename Feed>
  void Seek(std::uint64_t micros, Feed&& feed) {
    if (!m_active || m_log.frames.empty()) return;
    const std::size_t at = m_log.FrameAt(micros);
    m_position = std::min(micros, m_log.DurationMicros());
    m_next = at + 1;
    feed(m_log.frames[at].bytes);
  }

  std::uint64_t PositionMicros() const { return m_position; }
  std::uint64_t DurationMicros() const { return m_log.DurationMicros(); }
  // Frames played so far.
  std::size_t FramesPlayed() const { return m_next; }
  bool AtEnd() const { return m_next >= m_log.frames.size(); }
  const std::string& Path() const { return m_path; }
  const LiveLogContents& Log() const { return m_log; }

 private:
  LiveLogContents m_log;
  std::string m_path;
  std::uint64_t m_position = 0;
  std::size_t m_next = 0;
  int m_speed = 1;
  bool m_active = false;
};
