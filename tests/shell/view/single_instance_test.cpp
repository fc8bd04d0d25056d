// Opening a file from outside: a second start of the real program hands its
// file to the window already running, which keeps its serial port.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "base/TextSlots.h"
#include "files/AtomicFile.h"
#include "files/view/FileCommands.h"
#include "link/LiveLog.h"
#include "link/PosixSerialPort.h"
#include "link/view/LogCommands.h"
#include "monitor/BuiltinSets.h"
#include "monitor/MonitorSetFile.h"
#include "monitor/view/MonitorCommands.h"
#include "monitor/view/TFormEM.h"
#include "shell/view/OpenRequests.h"
#include "shell/view/TFormHlav.h"
#include "support/RuntimeDir.h"
#include "support/SimProcess.h"

namespace {

QStringList TakeMessages(TFormHlav& form) {
  QStringList texts;
  for (QMessageBox* box : form.findChildren<QMessageBox*>()) {
    texts << box->text();
    delete box;
  }
  return texts;
}

}  // namespace

class SingleInstanceTest : public QObject {
  Q_OBJECT

  testsupport::RuntimeDir m_runtimeDir;  // the instance socket lives in its XDG_RUNTIME_DIR
  QTemporaryDir m_files;

  // The running window's configuration saved as a tune to hand over.
  static void SaveTune(TFormHlav& form, const QString& path) {
    form.FileCommands().SetChooser([path](CFileCommands::Dialog, const QString&) { return std::optional(path); });
    form.FileCommands().MenuSaveClick();
  }

 private slots:
  void secondStartHandsItsFileToTheRunningWindow() {
    QVERIFY(m_runtimeDir.IsValid() && m_files.isValid());
    testsupport::SimProcess sim(VENTRIX_UNITSIM_EXE);
    QVERIFY(sim.Ok());
    qputenv("VENTRIX_COM2", QByteArray::fromStdString(sim.Device()));
    TFormHlav form(std::make_unique<CPosixSerialPort>());
    auto* requests = new COpenRequests(form);
    QVERIFY2(requests->Listen(), requests->Listener().LastError().c_str());
    form.show();
    CAppCore& core = form.Core();
    QTRY_VERIFY_WITH_TIMEOUT(core.linkStats.framesReceived > 0, 5000);

    const QDir dir(m_files.path());
    QVERIFY(dir.mkpath("tunes ě"));
    SaveTune(form, dir.filePath("source.ign"));
    QVERIFY(QFile::copy(dir.filePath("source.ign"), dir.filePath("tunes ě/My tune č.ign")));
    QVERIFY(QFile::copy(dir.filePath("source.ign"), dir.filePath("b.ign")));
    TakeMessages(form);

    struct Case {
      QStringList args;
      int exitCode;
      const char* captionHas;  // null: the caption stays
      const char* stderrHas;
    };
    const Case cases[] = {
        {{"tunes ě/My tune č.ign"}, 0, "My tune č.ign", ""},   // relative, spaces, non-ASCII
        {{"DEUTSCH", dir.filePath("b.ign")}, 0, "b.ign", ""},  // the language word stays a word
        // Refused by the second start itself: a running window never hears of it.
        {{"missing ř.ign"}, 1, nullptr, "missing ř.ign: No such file or directory"},
        {{"tunes ě"}, 2, nullptr, "is a directory"},
    };
    for (const Case& c : cases) {
      const QString what = c.args.join(' ');
      const QString captionBefore = form.windowTitle();
      QProcess second;
      second.setWorkingDirectory(m_files.path());
      QElapsedTimer took;
      took.start();
      second.start(VENTRIX_EXE, c.args);
      // The answer is read while this event loop serves the socket.
      QTRY_VERIFY2_WITH_TIMEOUT(second.state() == QProcess::NotRunning, qPrintable(what), 10000);
      qInfo("%s: ended after %lld ms", qPrintable(what), took.elapsed());
      QCOMPARE(second.exitStatus(), QProcess::NormalExit);
      const QString err = QString::fromLocal8Bit(second.readAllStandardError());
      QVERIFY2(second.exitCode() == c.exitCode, qPrintable(what + ": " + err));
      QVERIFY2(err.contains(c.stderrHas), qPrintable(what + ": " + err));

      if (c.captionHas) {
        QTRY_VERIFY2(form.windowTitle().contains(c.captionHas), qPrintable(what + ": " + form.windowTitle()));
        QVERIFY2(TakeMessages(form).isEmpty(), qPrintable(what));
      } else {
        QTest::qWait(200);
        QCOMPARE(form.windowTitle(), captionBefore);
        QVERIFY(TakeMessages(form).isEmpty());
      }
    }

    // A monitor set goes to the monitor window, a log to playback; the
    // window's tune stays.
    const ConfigImage image = core.image;
    QVERIFY(WriteFileAtomic(dir.filePath("dash ě.cem").toStdString(), WriteMonitorSet(BuiltinMonitorSet(kSet3))).ok);
    std::string log;
    AppendLiveLogHeader(log, LiveLogHeader{});
    QVERIFY(WriteFileAtomic(dir.filePath("ride.vxlog").toStdString(), log).ok);
    for (const char* file : {"dash ě.cem", "ride.vxlog"}) {
      QProcess second;
      second.setWorkingDirectory(m_files.path());
      second.start(VENTRIX_EXE, {QString::fromUtf8(file)});
      QTRY_VERIFY_WITH_TIMEOUT(second.state() == QProcess::NotRunning, 10000);
      QVERIFY2(second.exitCode() == 0, second.readAllStandardError().constData());
    }
    QTRY_VERIFY(form.Monitor().Visible());
    QCOMPARE(form.Monitor().Monitor().CurrentSet().records.size(), BuiltinMonitorSet(kSet3).records.size());
    QTRY_VERIFY(core.playbackActive);
    QCOMPARE(QString::fromStdString(core.playback.Path()), dir.filePath("ride.vxlog"));
    QVERIFY(core.image == image);
    QVERIFY(TakeMessages(form).isEmpty());
    form.Log().EndPlayback();

    // The port never left the running window: the unit still answers it.
    QVERIFY(core.portEnabled);
    QVERIFY(core.Port().IsOpen());
    const auto received = core.linkStats.framesReceived;
    QTRY_VERIFY_WITH_TIMEOUT(core.linkStats.framesReceived > received + 2, 5000);
    qunsetenv("VENTRIX_COM2");
  }

  // A file from the command line or a second start waits while a run reads
  // the image: read into it half way, it would leave a mixture of both.
  void fileWaitsForTheRunningRead() {
    testsupport::SimProcess sim(VENTRIX_UNITSIM_EXE);
    QVERIFY(sim.Ok());
    qputenv("VENTRIX_COM2", QByteArray::fromStdString(sim.Device()));
    TFormHlav form(std::make_unique<CPosixSerialPort>());
    auto* requests = new COpenRequests(form);
    form.show();
    const QString path = QDir(m_files.path()).filePath("waits.ign");
    SaveTune(form, path);
    form.Core().SetFileNameAndCaption("");
    TakeMessages(form);

    form.MenuReadClick();
    requests->Open(path);
    QTest::qWait(300);
    QVERIFY(form.Core().mode != LinkMode::Idle);
    QVERIFY2(!form.windowTitle().contains("waits.ign"), qPrintable(form.windowTitle()));
    QTRY_VERIFY_WITH_TIMEOUT(form.Core().mode == LinkMode::Idle, 30000);
    QTRY_VERIFY(form.windowTitle().contains("waits.ign"));
    qunsetenv("VENTRIX_COM2");
  }
};

QTEST_MAIN(SingleInstanceTest)
#include "single_instance_test.moc"
