#pragma once

#include <QElapsedTimer>
#include <QWidget>

#include "link/LinkStats.h"

class CAppCore;
class QLabel;
class QTimer;

// The Link window: what the link has been through, read-only, refreshed once
// a second from the core's counters while it is shown. What a tuner copies
// into a report about a bad cable.
class CLinkStatsWindow : public QWidget {
  Q_OBJECT

 public:
  CLinkStatsWindow(CAppCore& core, QWidget* parent);

  // Reads the counters now (the timer does it every second).
  void Refresh();

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  QLabel* Value(const char* name) const;

  CAppCore& m_core;
  QTimer* m_timer = nullptr;
  QElapsedTimer m_clock;
  CLinkRateMeter m_rates;
};

// The Com menu's "Link": shows `owner`'s Link window, made at the first call.
CLinkStatsWindow& ShowLinkStatsWindow(QWidget& owner, CAppCore& core);
