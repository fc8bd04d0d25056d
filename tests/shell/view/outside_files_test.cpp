// Files from outside the window's dialogs (a drop, the command line's file,
// a second start's) open where their kind belongs: a tune in the image, a
// monitor set in the monitor window, a live-data log in playback.

#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QTemporaryDir>
#include <QtTest>

#include "files/AtomicFile.h"
#include "files/ConfigFile.h"
#include "link/LiveLog.h"
#include "link/view/LogCommands.h"
#include "monitor/BuiltinSets.h"
#include "monitor/MonitorSetFile.h"
#include "monitor/view/MonitorCommands.h"
#include "monitor/view/TFormEM.h"
#include "shell/view/OpenRequests.h"
#include "support/LiveFrames.h"
#include "support/RuntimeDir.h"
#include "support/WindowUnderTest.h"

namespace {

// A drop as a file manager makes it, onto `target`.
void Drop(QWidget& target, const QStringList& paths) {
  QMimeData mime;
  QList<QUrl> urls;
  for (const QString& p : paths) urls << QUrl::fromLocalFile(p);
  mime.setUrls(urls);
  mime.setText(paths.join('\n'));
  const QPoint at = target.rect().center();
  QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&target, &enter);
  QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&target, &drop);
}

// A minute of a quiet unit, one frame a second.
std::string LogBytes() {
  std::string bytes;
  LiveLogHeader header;
  header.programVersion = "test";
  AppendLiveLogHeader(bytes, header);
  for (int s = 0; s <= 60; ++s) {
    Frame frame = testsupport::QuietFrame(12000 + 10 * s);
    SealFrame(frame);
    AppendFrameRecord(bytes, std::uint64_t(s) * 1000000, frame);
  }
  return bytes;
}

// What tells sets apart: their elements' kinds and parameters, in order.
std::vector<std::pair<int, int>> Elements(const MonitorSet& set) {
  std::vector<std::pair<int, int>> elements;
  for (const CemRecord& r : set.records) elements.emplace_back(r.kind, r.id);
  return elements;
}

struct Form : testsupport::WindowUnderTest {
  QStringList monitorErrors;
  QStringList logMessages;
  Form() {
    window->Monitor().SetErrorSink([this](const std::string& text) { monitorErrors << QString::fromStdString(text); });
    window->Log().SetMessageSink([this](const QString& text) { logMessages << text; });
    Show();
  }
  MonitorSet Set() { return window->Monitor().Monitor().CurrentSet(); }
};

struct Files {
  QTemporaryDir dir;
  QString set, otherSet, log, tune, badSet, badLog, notes;
  MonitorSet setContents;
  Files() {
    setContents = BuiltinMonitorSet(kSet2);
    set = Put("dash board.cem", WriteMonitorSet(setContents));
    otherSet = Put("other.CEM", WriteMonitorSet(BuiltinMonitorSet(kSet3)));
    log = Put("ride.vxlog", LogBytes());
    ConfigImage image{};
    image[0] = 11;
    tune = Put("tune.ign", WriteConfigFile(image, ConfigFileIdentity{}));
    badSet = Put("broken.cem", "not a set");
    badLog = Put("broken.vxlog", "not a log");
    notes = Put("notes.txt", "text");
  }
  QString Put(const QString& name, const std::string& bytes) {
    const QString path = dir.filePath(name);
    if (!WriteFileAtomic(path.toStdString(), bytes).ok) qWarning("cannot write %s", qPrintable(path));
    return path;
  }
};

}  // namespace

class OutsideFilesTest : public QObject {
  Q_OBJECT

  testsupport::RuntimeDir m_runtimeDir;

 private slots:
  void initTestCase() { QVERIFY(m_runtimeDir.IsValid()); }

  // The first file of a kind the program knows decides; the rest of the drop is ignored.
  void aDropOpensItsFirstKnownFileWhereItBelongs() {
    Form f;
    Files files;
    QWidget& target = *f.window->findChild<QWidget*>("EditDwell");
    const ConfigImage before = f.Core().image;
    QVERIFY(Elements(BuiltinMonitorSet(kSet2)) != Elements(BuiltinMonitorSet(kSet3)));

    Drop(target, {files.notes, files.set, files.tune});
    QTRY_VERIFY(f.window->Monitor().Visible());
    QVERIFY(f.window->Monitor().InUse());
    QVERIFY(Elements(f.Set()) == Elements(files.setContents));
    QVERIFY(f.Core().image == before);
    QVERIFY(!f.Core().playbackActive);

    Drop(target, {files.log, files.otherSet});
    QVERIFY(f.Core().playbackActive);
    QCOMPARE(QString::fromStdString(f.Core().playback.Path()), files.log);
    QVERIFY(f.window->findChild<QLabel*>("LabelPlayback")->text().contains("ride.vxlog"));
    QVERIFY(Elements(f.Set()) == Elements(files.setContents));
    f.window->Log().EndPlayback();

    Drop(target, {files.tune, files.otherSet});
    QTRY_VERIFY(f.window->windowTitle().endsWith(files.tune));
    QVERIFY(Elements(f.Set()) == Elements(files.setContents));
    QVERIFY(f.monitorErrors.isEmpty() && f.logMessages.isEmpty());
    QVERIFY(f.TakeMessages().isEmpty());

    // A drop of nothing it knows is not taken.
    Drop(target, {files.notes});
    QVERIFY(f.TakeMessages().isEmpty() && f.monitorErrors.isEmpty());
  }

  // The command line's file and a second start's go the same way.
  void requestedFilesOpenByTheirKind() {
    Form f;
    Files files;
    auto* requests = new COpenRequests(*f.window);
    requests->Open(files.set);
    QTRY_VERIFY(f.window->Monitor().Visible());
    QVERIFY(Elements(f.Set()) == Elements(files.setContents));
    requests->Open(files.log);
    QTRY_VERIFY(f.Core().playbackActive);
    QCOMPARE(QString::fromStdString(f.Core().playback.Path()), files.log);
    QVERIFY(f.monitorErrors.isEmpty() && f.logMessages.isEmpty());
  }

  // A broken set is reported and changes nothing: the monitor stays unused,
  // so the automatic set file is not overwritten at the end.
  void brokenFilesAreReportedAndChangeNothing() {
    Form f;
    Files files;
    auto* requests = new COpenRequests(*f.window);
    requests->Open(files.badSet);
    QTRY_COMPARE(f.monitorErrors.size(), 1);
    QVERIFY2(f.monitorErrors.front().contains("broken.cem"), qPrintable(f.monitorErrors.front()));
    QVERIFY(!f.window->Monitor().Visible());
    QVERIFY(!f.window->Monitor().InUse());

    requests->Open(files.badLog);
    QTRY_COMPARE(f.logMessages.size(), 1);
    QVERIFY(f.logMessages.front().startsWith("The log cannot be played back"));
    QVERIFY(!f.Core().playbackActive);
  }

  // Log > Open log is out of reach while recording, and so is a log from
  // outside: the recording goes on.
  void aLogWaitsForNoRecording() {
    Form f;
    Files files;
    QVERIFY(f.Core().StartRecording(files.dir.filePath("now.vxlog").toStdString()));
    auto* requests = new COpenRequests(*f.window);
    requests->Open(files.log);
    QTRY_VERIFY(!f.window->findChildren<QMessageBox*>().isEmpty());
    const QStringList messages = f.TakeMessages();
    QVERIFY2(messages.front().startsWith("A recording is running") && messages.front().contains(files.log),
             qPrintable(messages.join('|')));
    QVERIFY(f.Core().recorder.Recording());
    QVERIFY(!f.Core().playbackActive);
    f.Core().StopRecording();
  }
};

QTEST_MAIN(OutsideFilesTest)
#include "outside_files_test.moc"
