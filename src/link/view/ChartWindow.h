#pragma once

#include <QWidget>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "link/ChartModel.h"
#include "link/LiveChannels.h"

class QListWidget;
class QListWidgetItem;
class ChartCanvas;

// The time chart: a list of the live channels to tick on the left, their
// lanes on the right. It plots whatever samples its loader gives: a log
// being played back, or the live data of the last minutes.
class ChartWindow : public QWidget {
  Q_OBJECT

 public:
  // The samples of one channel over the whole log, ascending in time.
  using ChannelLoader = std::function<std::vector<ChartSample>(const LiveChannel&)>;

  explicit ChartWindow(QWidget* parent = nullptr);
  ~ChartWindow() override;

  // New data: forgets every loaded channel, loads the ticked ones and shows
  // the whole `duration` (seconds).
  void SetChannelLoader(ChannelLoader loader, double duration);
  // Live data of the last minutes, from `start` to `end` (seconds), given
  // again as it rolls on: the view keeps showing the newest data over the
  // span the user chose, unless moved into the past; the cursor reads the
  // newest values.
  void SetLiveChannelLoader(ChannelLoader loader, double start, double end);
  bool Live() const { return m_live; }
  // The playback's position; the view follows it when it would leave.
  void SetCursorTime(double seconds);
  double CursorTime() const;
  // Ticks or clears a channel in the list, as the user would.
  void SetChannelShown(const char* key, bool shown);
  // The window title and channel names in the current language.
  void ApplyLanguage();

  ChartCanvas& Canvas() { return *m_canvas; }
  QListWidget& ChannelList() { return *m_list; }

 signals:
  // The user clicked the chart at `seconds`: the playback should go there.
  void seekRequested(double seconds);

 private:
  void ShowTicked();
  const ChartChannel& Loaded(const LiveChannel& channel);

  QListWidget* m_list = nullptr;
  ChartCanvas* m_canvas = nullptr;
  ChannelLoader m_loader;
  std::map<std::string, ChartChannel> m_loaded;  // by key; loaded on first tick
  bool m_live = false;
};
