// Recording the simulated unit's live data through the real serial code, and
// playing the log back into the window.

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QSlider>
#include <QTemporaryDir>
#include <QtTest>
#include <set>

#include "image/MapCatalogue.h"
#include "image/view/MapSheets.h"
#include "link/LiveLog.h"
#include "link/LiveLogCsv.h"
#include "link/PosixSerialPort.h"
#include "link/view/ChartCanvas.h"
#include "link/view/ChartWindow.h"
#include "link/view/LogCommands.h"
#include "sheet/view/TTab.h"
#include "shell/view/TFormHlav.h"
#include "support/LiveFrames.h"
#include "support/RuntimeDir.h"
#include "support/SimProcess.h"
#include "support/WindowUnderTest.h"

namespace {

// The live-data frames the simulator says it sent, from its frame log.
std::vector<Frame> SentLiveFrames(const QString& logPath) {
  std::vector<Frame> frames;
  QFile f(logPath);
  if (!f.open(QIODevice::ReadOnly)) return frames;
  for (const QByteArray& line : f.readAll().split('\n')) {
    const qsizetype at = line.indexOf(" TX [152] ");
    if (at < 0) continue;
    const QList<QByteArray> hex = line.mid(at + 10).trimmed().split(' ');
    if (hex.size() != qsizetype(kFrameSize)) continue;
    Frame frame{};
    for (std::size_t i = 0; i < kFrameSize; ++i) frame[i] = std::uint8_t(hex[qsizetype(i)].toUInt(nullptr, 16));
    if (frame[0] == kReplyLive) frames.push_back(frame);
  }
  return frames;
}

LiveLogContents ReadLog(const std::string& path) {
  QFile f(QString::fromStdString(path));
  if (!f.open(QIODevice::ReadOnly)) return {};
  const QByteArray bytes = f.readAll();
  return ReadLiveLog(std::string_view(bytes.constData(), std::size_t(bytes.size())));
}

// The chart window, once the log menu opened it (it has no parent).
ChartWindow* FindChart() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* chart = qobject_cast<ChartWindow*>(w)) return chart;
  return nullptr;
}

// A ride of 74 s as the idle link logs it, three frames a second.
std::string RideLog() {
  std::string out;
  LiveLogHeader header;
  header.unitText = "Unit = Ventrix 2007";
  AppendLiveLogHeader(out, header);
  for (int i = 0; i * 330'000 <= 74'000'000; ++i) {
    Frame f = testsupport::QuietFrame();
    testsupport::PutWord(f, 48, 1000 + 20 * i);
    SealFrame(f);
    AppendFrameRecord(out, std::uint64_t(i) * 330'000, f);
  }
  return out;
}

}  // namespace

class LogPlaybackTest : public QObject {
  Q_OBJECT

  testsupport::RuntimeDir m_runtimeDir;

 private slots:
  void initTestCase() { QVERIFY(m_runtimeDir.IsValid()); }

  void recordThenPlayBack() {
    QTemporaryDir dir;
    const QString simLog = dir.path() + "/sim.log";
    testsupport::SimProcess sim(VENTRIX_UNITSIM_EXE, {"--log", simLog.toStdString()});
    QVERIFY(sim.Ok());
    qputenv("VENTRIX_COM2", QByteArray::fromStdString(sim.Device()));
    TFormHlav form(std::make_unique<CPosixSerialPort>());
    qunsetenv("VENTRIX_COM2");
    CAppCore& core = form.Core();
    QTRY_VERIFY_WITH_TIMEOUT(core.live.rpm != 0 || core.monitorCatalogue.HasData(), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(!core.NoConnectionShown(), 5000);

    // Without a log the chart shows the live data as it comes.
    form.findChild<QAction*>("MenuLogChart")->trigger();
    ChartWindow* chart = FindChart();
    QVERIFY(chart && chart->isVisible());
    QVERIFY(chart->Live());
    QCOMPARE(chart->windowTitle(), QString("Time chart: live data of the last minutes"));
    const auto rpmReadout = [chart] { return chart->Canvas().CursorReadouts().value(0); };
    QTRY_VERIFY_WITH_TIMEOUT(rpmReadout().startsWith("RPM = ") && rpmReadout() != "RPM = -", 5000);
    const double liveEnd = chart->Canvas().View().Extent();
    QTRY_VERIFY_WITH_TIMEOUT(chart->Canvas().View().Extent() > liveEnd + 0.9, 5000);  // it rolls on

    // Record half a minute of the ride from the menu.
    QAction* start = form.findChild<QAction*>("MenuLogStart");
    QVERIFY(start && start->isEnabled());
    start->trigger();
    QVERIFY(core.recorder.Recording());
    QVERIFY(!form.findChild<QAction*>("MenuLogStart")->isEnabled());
    QTest::qWait(30000);
    form.findChild<QAction*>("MenuLogStop")->trigger();
    QVERIFY(!core.recorder.Recording());
    const std::string logPath = core.recorder.Path();
    sim.Stop();

    // The log holds a run of exactly the frames the unit sent, in order.
    const LiveLogContents log = ReadLog(logPath);
    QVERIFY2(log.Complete(), log.message.c_str());
    const std::vector<Frame> sent = SentLiveFrames(simLog);
    QVERIFY(log.frames.size() >= 60);
    auto first = std::find(sent.begin(), sent.end(), log.frames.front().bytes);
    QVERIFY(first != sent.end());
    QVERIFY(std::size_t(sent.end() - first) >= log.frames.size());
    for (std::size_t i = 0; i < log.frames.size(); ++i) QVERIFY(log.frames[i].bytes == *(first + qsizetype(i)));

    // Played back at x10, the core decodes the same sequence and the
    // advance map's live point moves with it; nothing runs meanwhile.
    form.Timer1().stop();
    QVERIFY(form.findChild<QAction*>("MenuLogEndPlayback") &&
            !form.findChild<QAction*>("MenuLogEndPlayback")->isEnabled());
    QVERIFY(core.StartPlayback(logPath));
    form.PlaybackChanged();
    QVERIFY(form.findChild<QLabel*>("LabelPlayback")->isVisibleTo(&form));
    QVERIFY(form.findChild<QLabel*>("LabelPlayback")->text().startsWith("Playback: "));
    QVERIFY(!form.findChild<QAction*>("MenuRead")->isEnabled());
    QVERIFY(form.findChild<QAction*>("MenuLogEndPlayback")->isEnabled());
    core.playback.SetSpeed(10);
    CTabModel& advance = form.MapSheets().Control(SheetControlId::kAdvance)->Model();
    advance.SelectSheet(0);
    std::set<std::pair<int, int>> cells;
    std::size_t played = 0;
    for (int tick = 0; tick < 400 && !core.playback.AtEnd(); ++tick) {
      core.Tick();
      if (core.playback.FramesPlayed() != played) {
        played = core.playback.FramesPlayed();
        const Frame& f = log.frames[played - 1].bytes;
        QCOMPARE(int(core.live.rpm), f[48] | (f[49] << 8));
        if (advance.Sheet(0).liveKind != 0) cells.insert({advance.Sheet(0).liveX, advance.Sheet(0).liveY});
      }
    }
    QVERIFY(core.playback.AtEnd());
    QVERIFY2(cells.size() >= 2, "the live point did not move");
    QVERIFY2(!chart->Live(), "a log takes the chart over");
    form.findChild<QAction*>("MenuLogEndPlayback")->trigger();
    QVERIFY(!core.playbackActive);
    QVERIFY(chart->Live());
    QVERIFY(form.findChild<QAction*>("MenuRead")->isEnabled());
    QVERIFY(!form.findChild<QLabel*>("LabelPlayback")->isVisibleTo(&form));
  }

  // A log with a flipped bit plays and exports to its end, and the tuner is
  // told what was skipped, in the window's language.
  void aDamagedLogPlaysToTheEndAndSaysWhatWasSkipped() {
    testsupport::WindowUnderTest w;
    w.Show();
    auto* commands = w.window->findChild<CLogCommands*>();
    QVERIFY(commands);
    QStringList messages;
    commands->SetMessageSink([&](const QString& text) { messages << text; });
    QTemporaryDir dir;
    const QString path = dir.filePath("ride.vxlog");
    std::string bytes = RideLog();
    bytes[bytes.size() / 5] ^= 0x20;
    {
      QFile f(path);
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write(bytes.data(), qint64(bytes.size()));
    }

    QVERIFY(commands->OpenLogFile(path));
    QCOMPARE(messages, QStringList{"The log ride.vxlog is damaged: 1 records damaged, skipped"});
    QCOMPARE(w.Core().playback.DurationMicros(), std::uint64_t(73'920'000));
    QCOMPARE(w.Core().playback.Log().frames.size(), std::size_t(224));

    const QString csv = dir.filePath("ride.csv");
    QVERIFY(commands->ExportCsvFile(path, csv));
    QCOMPARE(messages.size(), 2);
    QCOMPARE(messages.back(), messages.front());
    QFile exported(csv);
    QVERIFY(exported.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = exported.readAll().trimmed().split('\n');
    QCOMPARE(lines.size(), 225);  // the header and every frame kept
    QVERIFY(lines.front().contains("Injection time A [ms]"));
    QVERIFY(lines.back().startsWith("73.920,"));

    commands->EndPlayback();
    w.window->MenuGermanClick();
    QVERIFY(commands->OpenLogFile(path));
    QCOMPARE(messages.back(),
             QString("Das Protokoll ride.vxlog ist beschädigt: 1 Datensätze beschädigt, übersprungen"));
    commands->EndPlayback();
    w.window->MenuEnglishClick();
  }

  // Without a unit there is nothing to record: start is off in the menu and
  // on the status bar; a log can still be opened and played back.
  void nothingToRecordWithoutAUnit() {
    testsupport::WindowUnderTest w;
    w.Show();
    for (int tick = 0; tick < 30; ++tick) w.window->Timer1Timer();
    QVERIFY(w.Core().NoConnectionShown());
    const auto enabled = [&](const char* name) {
      if (QAction* a = w.window->findChild<QAction*>(name)) return a->isEnabled();
      QWidget* widget = w.window->findChild<QWidget*>(name);
      return widget && widget->isEnabled();
    };
    QVERIFY(!enabled("MenuLogStart"));
    QVERIFY(!enabled("MenuLogStop"));
    QVERIFY(!enabled("SpeedButtonRecord"));
    QVERIFY(enabled("MenuLogOpen"));
    QVERIFY(!enabled("MenuLogEndPlayback"));
  }

  // "Record at every connection" is the tuner's standing choice, not one
  // session's: it comes back after the program is closed and started again.
  void autoRecordIsKeptAcrossARestart() {
    {
      testsupport::WindowUnderTest first;
      first.Show();
      QAction* option = first.window->findChild<QAction*>("MenuLogAuto");
      QVERIFY(option && !option->isChecked());
      option->trigger();
      QVERIFY(first.Core().autoRecord);
      first.window->close();
    }
    testsupport::WindowUnderTest second;
    QVERIFY(second.Core().autoRecord);
    QVERIFY(second.window->findChild<QAction*>("MenuLogAuto")->isChecked());
  }
};

QTEST_MAIN(LogPlaybackTest)
#include "log_playback_test.moc"
