#pragma once

#include <QObject>
#include <QString>
#include <functional>

class CAppCore;
class QAction;
class QComboBox;
class QLabel;
class QMainWindow;
class QMenu;
class QMenuBar;
class QSlider;
class QToolButton;
class QWidget;

// The Log menu and its controls: recording the unit's live data, playing a
// log back into the core, exporting it to CSV and the time chart. Recording
// shows a red dot and its duration and size in the status bar; playback puts
// a banner in place of the connection labels and a strip of controls (play,
// pause, step, speed, position) in the status bar.
class CLogCommands : public QObject {
  Q_OBJECT

 public:
  // `banner`: the rectangle of the connection labels on the tool bar.
  CLogCommands(QMainWindow& window, CAppCore& core, QWidget& toolBar, QRect banner);
  ~CLogCommands() override;

  void BuildMenu(QMenuBar& bar, QAction* before);

  // After a recording or playback change, and once a second.
  void Refresh();
  // Every main tick while a log plays: the position follows.
  void Tick();

  void StartRecording();
  void StopRecording();
  void OpenLog();
  bool OpenLogFile(const QString& path);
  void EndPlayback();
  void ExportCsv();
  bool ExportCsvFile(const QString& logPath, const QString& csvPath);
  void ShowChart();
  // The status texts, the banner and the chart in the current language.
  void ApplyLanguage();

  // File dialogs; tests choose files themselves. Empty: cancelled.
  using Chooser = std::function<QString(bool save, const QString& filter)>;
  void SetChooser(Chooser chooser) { m_chooser = std::move(chooser); }
  // Messages; tests collect them.
  void SetMessageSink(std::function<void(const QString&)> sink) { m_message = std::move(sink); }

 private:
  QString Choose(bool save, const QString& filter);
  void Say(const QString& text);
  void SetRunControlsEnabled(bool enabled);
  void UpdateChartCursor();
  // Without a log the chart shows the live data of the last minutes.
  void ShowLiveChart();

  QMainWindow& m_window;
  CAppCore& m_core;
  Chooser m_chooser;
  std::function<void(const QString&)> m_message;
  QMenu* m_menu = nullptr;
  QAction* m_start = nullptr;
  QAction* m_stop = nullptr;
  QAction* m_auto = nullptr;
  QAction* m_open = nullptr;
  QAction* m_end = nullptr;
  QAction* m_export = nullptr;
  QAction* m_chart = nullptr;
  QToolButton* m_record = nullptr;
  QLabel* m_recordStatus = nullptr;
  QLabel* m_banner = nullptr;
  QWidget* m_strip = nullptr;
  QToolButton* m_play = nullptr;
  QToolButton* m_step = nullptr;
  QComboBox* m_speed = nullptr;
  QSlider* m_position = nullptr;
  QLabel* m_time = nullptr;
  QWidget* m_chartWindow = nullptr;
  bool m_sliderHeld = false;
  int m_refreshTick = 0;
  std::uint64_t m_chartRevision = 0;  // of the live data the chart shows
  bool m_recordingShown = false;  // the recording the status bar has announced
};
