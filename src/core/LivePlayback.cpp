#include "core/LivePlayback.h"

#include <algorithm>

void CLivePlayback::Start(LiveLogContents log, std::string path) {
  m_log = std::move(log);
  m_path = std::move(path);
  m_position = 0;
  m_next = 0;
  m_speed = 1;
  m_active = true;
}

void CLivePlayback::Stop() {
  m_active = false;
  m_log = {};
  m_path.clear();
  m_position = 0;
  m_next = 0;
}

void CLivePlayback::SetSpeed(int speed) {
  if (speed == 0 || std::find(std::begin(kSpeeds), std::end(kSpeeds), speed) != std::end(kSpeeds)) m_speed = speed;
  // Playing on from the end starts again at the beginning.
  if (m_speed != 0 && m_active && AtEnd() && !m_log.frames.empty()) {
    m_next = 0;
    m_position = 0;
  }
}
