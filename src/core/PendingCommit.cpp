#include "core/PendingCommit.h"

bool CPendingCommit::Request(int control, int key, int tickCount) {
  if (m_control != kNone && m_control != control) key = 0;
  m_control = control;
  if (key != m_key && m_key != 0)
    key = 0;
  else
    m_deadline = tickCount + kDelayTicks;
  m_key = key;
  if (key != 0) return false;
  Clear();
  return true;
}

void CPendingCommit::Clear() {
  m_control = kNone;
  m_key = 0;
  m_deadline = 0;
}
