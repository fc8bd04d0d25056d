#include "link/view/LogCommands.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QSlider>
#include <QStatusBar>
#include <QToolButton>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>

#include "core/AppCore.h"
#include "files/AtomicFile.h"
#include "link/LiveChannels.h"
#include "link/LiveLogCsv.h"
#include "link/view/ChartWindow.h"
#include "base/TextSlots.h"
#include "base/UiTexts.h"

namespace {

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

// Names of the controls the playback puts out of reach: the unit's runs and
// its output tests.
constexpr const char* kRunControls[] = {"MenuRead",    "ButtonRead",    "MenuVerify",   "ButtonVerify",
                                        "MenuProgram", "ButtonProgram", "TabSheet_Test"};

QIcon Dot(bool recording) {
  QPixmap pm(14, 14);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(0x60, 0x60, 0x60), 1));
  p.setBrush(recording ? QColor(0xE0, 0x10, 0x10) : QColor(0xB0, 0xB0, 0xB0));
  p.drawEllipse(QRectF(1.5, 1.5, 11, 11));
  return QIcon(pm);
}

QString Duration(std::uint64_t micros) {
  const std::uint64_t s = micros / 1000000;
  return QString::asprintf("%llu:%02llu:%02llu", static_cast<unsigned long long>(s / 3600),
                           static_cast<unsigned long long>(s / 60 % 60), static_cast<unsigned long long>(s % 60));
}

QString Size(std::uint64_t bytes) {
  const auto b = static_cast<double>(bytes);
  if (b < 1024.0 * 1024.0) return QString::asprintf("%.0f kB", b / 1024.0);
  return QString::asprintf("%.1f MB", b / (1024.0 * 1024.0));
}

// The chart's time axis is in seconds.
double Seconds(std::uint64_t micros) { return static_cast<double>(micros) / 1e6; }

// One channel's samples over a log; a sensor the unit reports as failed
// gives no sample: its raw reading is no value.
std::vector<ChartSample> ChannelSamples(const LiveLogContents& log, const LiveChannel& channel) {
  std::vector<ChartSample> samples;
  samples.reserve(log.frames.size());
  for (std::size_t i = 0; i < log.frames.size(); ++i)
    if (const auto v = LiveChannelValue(channel, log.frames[i].bytes, log.ImageAtFrame(i)))
      samples.push_back({Seconds(log.frames[i].micros), *v});
  return samples;
}
// How long the status bar says where a new recording goes.
constexpr int kStartMessageMs = 10000;

QString Text(const CLngStr& text, std::initializer_list<std::string_view> args) {
  return Q(FillInText(text.Get(), args));
}

}  // namespace

CLogCommands::CLogCommands(QMainWindow& window, CAppCore& core, QWidget& toolBar, QRect banner)
    : QObject(&window), m_window(window), m_core(core) {
  // The red dot and the recording's duration and size, at the status bar's right.
  m_record = new QToolButton(&window);
  m_record->setObjectName("SpeedButtonRecord");
  m_record->setAutoRaise(true);
  m_record->setIcon(Dot(false));
  connect(m_record, &QToolButton::clicked, this, [this] {
    if (m_core.recorder.Recording())
      StopRecording();
    else
      StartRecording();
  });
  m_recordStatus = new QLabel(&window);
  m_recordStatus->setObjectName("LabelRecording");
  window.statusBar()->addPermanentWidget(m_recordStatus);
  window.statusBar()->addPermanentWidget(m_record);

  // What stands in for the connection labels while a log plays.
  m_banner = new QLabel(&toolBar);
  m_banner->setObjectName("LabelPlayback");
  m_banner->setGeometry(banner);
  m_banner->setAutoFillBackground(true);
  QFont bold = m_banner->font();
  bold.setBold(true);
  m_banner->setFont(bold);
  m_banner->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
  m_banner->hide();

  m_strip = new QWidget(&window);
  m_strip->setObjectName("PanelPlayback");
  auto* row = new QHBoxLayout(m_strip);
  row->setContentsMargins(0, 0, 0, 0);
  m_play = new QToolButton(m_strip);
  m_play->setObjectName("SpeedButtonPlay");
  connect(m_play, &QToolButton::clicked, this, [this] {
    m_core.playback.SetSpeed(m_core.playback.Speed() == 0 ? m_speed->currentData().toInt() : 0);
    Refresh();
  });
  m_step = new QToolButton(m_strip);
  m_step->setObjectName("SpeedButtonStep");
  m_step->setText(QString::fromUtf8("\u25B6|"));
  connect(m_step, &QToolButton::clicked, this, [this] {
    m_core.PlaybackStep();
    Refresh();
  });
  m_speed = new QComboBox(m_strip);
  m_speed->setObjectName("ComboBoxSpeed");
  for (int speed : CLivePlayback::kSpeeds) m_speed->addItem(QString::fromUtf8("\u00D7%1").arg(speed), speed);
  connect(m_speed, &QComboBox::activated, this, [this] {
    if (m_core.playback.Speed() != 0) m_core.playback.SetSpeed(m_speed->currentData().toInt());
  });
  m_position = new QSlider(Qt::Horizontal, m_strip);
  m_position->setObjectName("SliderPlayback");
  m_position->setMinimumWidth(300);
  connect(m_position, &QSlider::sliderPressed, this, [this] { m_sliderHeld = true; });
  connect(m_position, &QSlider::sliderReleased, this, [this] {
    m_sliderHeld = false;
    m_core.PlaybackSeek(std::uint64_t(m_position->value()) * 1000);
    Refresh();
  });
  connect(m_position, &QSlider::actionTriggered, this, [this](int action) {
    if (action == QAbstractSlider::SliderMove) return;  // a drag seeks on release
    QMetaObject::invokeMethod(
        this,
        [this] {
          m_core.PlaybackSeek(std::uint64_t(m_position->value()) * 1000);
          Refresh();
        },
        Qt::QueuedConnection);
  });
  m_time = new QLabel(m_strip);
  m_time->setObjectName("LabelPlaybackTime");
  row->addWidget(m_play);
  row->addWidget(m_step);
  row->addWidget(m_speed);
  row->addWidget(m_position, 1);
  row->addWidget(m_time);
  window.statusBar()->addWidget(m_strip, 1);
  m_strip->hide();
}

CLogCommands::~CLogCommands() { delete m_chartWindow; }

void CLogCommands::BuildMenu(QMenuBar& bar, QAction* before) {
  m_menu = new QMenu(&bar);
  m_menu->setObjectName("MenuLog");
  bar.insertMenu(before, m_menu);
  auto item = [&](const char* name, auto handler) {
    QAction* a = m_menu->addAction(QString());
    a->setObjectName(name);
    connect(a, &QAction::triggered, this, handler);
    return a;
  };
  m_start = item("MenuLogStart", [this] { StartRecording(); });
  m_stop = item("MenuLogStop", [this] { StopRecording(); });
  m_auto = item("MenuLogAuto", [this] { m_core.autoRecord = m_auto->isChecked(); });
  m_auto->setCheckable(true);
  m_menu->addSeparator();
  m_open = item("MenuLogOpen", [this] { OpenLog(); });
  m_end = item("MenuLogEndPlayback", [this] { EndPlayback(); });
  m_menu->addSeparator();
  m_export = item("MenuLogExport", [this] { ExportCsv(); });
  m_chart = item("MenuLogChart", [this] { ShowChart(); });
  Refresh();
}

QString CLogCommands::Choose(bool save, const QString& filter) {
  if (m_chooser) return m_chooser(save, filter);
  const QString dir = QString::fromStdString(m_core.recorder.logsDir);
  return save ? QFileDialog::getSaveFileName(&m_window, QString(), dir, filter)
              : QFileDialog::getOpenFileName(&m_window, QString(), dir, filter);
}

void CLogCommands::Say(const QString& text) {
  if (m_message)
    m_message(text);
  else
    QMessageBox::warning(&m_window, Q(LookupText(1, "Error")), text);
}

void CLogCommands::Refresh() {
  const bool recording = m_core.recorder.Recording();
  const bool playing = m_core.playbackActive;
  const bool connected = !m_core.NoConnectionShown();
  if (m_menu) {
    m_start->setEnabled(!recording && !playing && connected);
    m_stop->setEnabled(recording);
    m_auto->setChecked(m_core.autoRecord);
    m_open->setEnabled(!recording);
    m_end->setEnabled(playing);
  }
  m_record->setIcon(Dot(recording));
  m_record->setEnabled(recording || (!playing && connected));
  const QString logPath = QDir::toNativeSeparators(Q(m_core.recorder.Path()));
  m_record->setToolTip(recording ? Text(kRecordButtonStopHint, {logPath.toStdString()})
                                 : Q(kRecordButtonStartHint.Get()));
  // Every start, from the menu, the button or a connection, says where the log goes.
  if (recording && !m_recordingShown)
    m_window.statusBar()->showMessage(Text(kRecordingStartedText, {logPath.toStdString()}), kStartMessageMs);
  m_recordingShown = recording;
  m_recordStatus->setVisible(recording);
  if (recording)
    m_recordStatus->setText(Text(kRecordingStatusText, {Duration(m_core.recorder.DurationMicros()).toStdString(),
                                                        Size(m_core.recorder.SizeBytes()).toStdString()}));

  m_banner->setVisible(playing);
  m_strip->setVisible(playing);
  if (playing) {
    m_banner->setText(Text(kPlaybackBannerText, {QFileInfo(Q(m_core.playback.Path())).fileName().toStdString()}));
    m_banner->raise();
    m_play->setText(m_core.playback.Speed() == 0 ? QString::fromUtf8("\u25B6") : QString::fromUtf8("\u2016"));
    m_position->setMaximum(int(m_core.playback.DurationMicros() / 1000));
    if (!m_sliderHeld) m_position->setValue(int(m_core.playback.PositionMicros() / 1000));
    m_time->setText(Duration(m_core.playback.PositionMicros()) + " / " + Duration(m_core.playback.DurationMicros()));
  }
  SetRunControlsEnabled(!playing);
  // The chart shows the log while one plays, the live data otherwise.
  auto* chart = static_cast<ChartWindow*>(m_chartWindow);
  if (chart && chart->isVisible() && chart->Live() == playing) ShowChart();
  UpdateChartCursor();
}

void CLogCommands::Tick() {
  if (m_core.playbackActive) {
    if (!m_sliderHeld) m_position->setValue(int(m_core.playback.PositionMicros() / 1000));
    m_time->setText(Duration(m_core.playback.PositionMicros()) + " / " + Duration(m_core.playback.DurationMicros()));
    m_play->setText(m_core.playback.Speed() == 0 ? QString::fromUtf8("\u25B6") : QString::fromUtf8("\u2016"));
    UpdateChartCursor();
  }
  // The recording's figures, and the live chart, once a second (18 ticks of 55 ms).
  if (++m_refreshTick >= 18) {
    m_refreshTick = 0;
    Refresh();
    auto* chart = static_cast<ChartWindow*>(m_chartWindow);
    if (chart && chart->isVisible() && chart->Live() && m_core.liveHistory.Revision() != m_chartRevision)
      ShowLiveChart();
  }
}

void CLogCommands::SetRunControlsEnabled(bool enabled) {
  for (const char* name : kRunControls)
    for (QObject* o : m_window.findChildren<QObject*>(name)) {
      if (auto* a = qobject_cast<QAction*>(o)) a->setEnabled(enabled);
      if (auto* w = qobject_cast<QWidget*>(o)) w->setEnabled(enabled);
    }
}

void CLogCommands::StartRecording() {
  if (!m_core.StartRecording()) Say(Text(kRecordingStoppedText, {m_core.recorder.Error()}));
  Refresh();
}

void CLogCommands::StopRecording() {
  m_core.StopRecording();
  Refresh();
}

void CLogCommands::OpenLog() {
  const QString path = Choose(false, Q(kLogFileFilter.Get()));
  if (!path.isEmpty()) OpenLogFile(path);
}

bool CLogCommands::OpenLogFile(const QString& path) {
  const bool started = m_core.StartPlayback(path.toStdString());
  if (!started) Say(Text(kLogOpenFailedText, {m_core.playbackError}));
  // Played all the same: what is left of a damaged log is still the ride.
  if (started && !m_core.playbackError.empty())
    Say(Text(kLogDamagedText, {QFileInfo(path).fileName().toStdString(), m_core.playbackError}));
  if (started && m_chartWindow && m_chartWindow->isVisible()) ShowChart();
  Refresh();
  return started;
}

void CLogCommands::EndPlayback() {
  m_core.StopPlayback();
  Refresh();
}

void CLogCommands::ExportCsv() {
  const QString log = m_core.playbackActive ? Q(m_core.playback.Path()) : Choose(false, Q(kLogFileFilter.Get()));
  if (log.isEmpty()) return;
  QString csv = Choose(true, "CSV (*.csv)");
  if (csv.isEmpty()) return;
  if (QFileInfo(csv).suffix().isEmpty()) csv += ".csv";
  ExportCsvFile(log, csv);
}

bool CLogCommands::ExportCsvFile(const QString& logPath, const QString& csvPath) {
  std::ifstream in(logPath.toStdString(), std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const LiveLogContents log = ReadLiveLog(std::string_view(bytes));
  if (!in.good() && !in.eof()) {
    Say(Text(kLogOpenFailedText, {logPath.toStdString()}));
    return false;
  }
  if (!log.HeaderOk()) {
    Say(Text(kLogOpenFailedText, {LiveLogMessage(log, CurrentLanguage())}));
    return false;
  }
  const std::string text = ExportLiveLogCsv(log, CurrentLanguage());
  if (const FileResult written = WriteFileAtomic(csvPath.toStdString(), text); !written.ok) {
    Say(Q(written.error));
    return false;
  }
  if (log.Damaged())
    Say(Text(kLogDamagedText, {QFileInfo(logPath).fileName().toStdString(), LiveLogMessage(log, CurrentLanguage())}));
  return true;
}

void CLogCommands::ShowChart() {
  auto* chart = static_cast<ChartWindow*>(m_chartWindow);
  if (!chart) {
    chart = new ChartWindow;
    chart->setObjectName("FormChart");
    m_chartWindow = chart;
    connect(chart, &ChartWindow::seekRequested, this, [this](double seconds) {
      m_core.PlaybackSeek(std::uint64_t(std::max(0.0, seconds) * 1e6));
      Refresh();
    });
  }
  if (m_core.playbackActive) {
    const LiveLogContents* log = &m_core.playback.Log();
    chart->SetChannelLoader([log](const LiveChannel& channel) { return ChannelSamples(*log, channel); },
                            Seconds(m_core.playback.DurationMicros()));
  } else {
    ShowLiveChart();
  }
  chart->ApplyLanguage();
  chart->show();
  chart->raise();
  UpdateChartCursor();
}

void CLogCommands::ShowLiveChart() {
  auto* chart = static_cast<ChartWindow*>(m_chartWindow);
  if (!chart) return;
  // A copy: the history rolls on while the chart loads the channels ticked later.
  auto live = std::make_shared<const LiveLogContents>(m_core.liveHistory.Contents());
  m_chartRevision = m_core.liveHistory.Revision();
  const double start = live->frames.empty() ? 0 : Seconds(live->frames.front().micros);
  const double end = Seconds(live->DurationMicros());
  chart->SetLiveChannelLoader([live](const LiveChannel& channel) { return ChannelSamples(*live, channel); }, start,
                              end);
}

void CLogCommands::ApplyLanguage() {
  if (auto* chart = static_cast<ChartWindow*>(m_chartWindow)) chart->ApplyLanguage();
  Refresh();
}

void CLogCommands::UpdateChartCursor() {
  auto* chart = static_cast<ChartWindow*>(m_chartWindow);
  if (chart && chart->isVisible() && m_core.playbackActive)
    chart->SetCursorTime(Seconds(m_core.playback.PositionMicros()));
}
