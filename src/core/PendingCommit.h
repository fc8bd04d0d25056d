#pragma once

// The one pending commit of the parameter pages: a run of up/down clicks on
// one control is committed once, kDelayTicks after its last click; anything
// else (Enter, leaving an edit, a check box, a click on another control)
// commits at once and takes the pending change with it.
class CPendingCommit {
 public:
  static constexpr int kDelayTicks = 5;
  static constexpr int kNone = -1;

  // A commit request for control `control` (any id >= 0) with `key` (0 =
  // now, else the up/down's own key). True when the commit sequence must run
  // now; the request is then already cleared.
  bool Request(int control, int key, int tickCount);
  // The tick's check: true when a pending change has reached its deadline.
  bool Due(int tickCount) const { return m_control != kNone && tickCount >= m_deadline; }
  bool Pending() const { return m_control != kNone; }
  int Control() const { return m_control; }
  void Clear();

 private:
  int m_control = kNone;
  int m_key = 0;
  int m_deadline = 0;
};
