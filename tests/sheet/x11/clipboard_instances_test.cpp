// Two running copies exchange a map through a real X server's clipboard:
// copy A holds a table on the clipboard while copy B pastes it with Ctrl+V.
// The test starts its own Xvfb and runs itself twice more as the two peers.

#include <unistd.h>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QSocketNotifier>
#include <QtTest>
#include <cstdio>
#include <iostream>

#include "sheet/Clipboard.h"
#include "sheet/SheetButtons.h"
#include "sheet/view/SheetClipboard.h"
#include "sheet/view/TTab.h"
#include "support/AdvanceSheet.h"

namespace {

constexpr std::uint32_t kOptions = kOptionButtonBar | kOptionTable | kOptionGraph2D | kOptionGraph3D;
constexpr const char* kEndOfSheet = "\n--end--\n";

bool WaitFor(const std::function<bool()>& ready, int ms) {
  QElapsedTimer t;
  t.start();
  while (!ready()) {
    if (t.elapsed() > ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(10);
  }
  return true;
}

// Copy A: a 16-column map of its own on the clipboard, kept there until its
// standard input closes (X11 hands the data out while the owner runs).
int PeerCopy(int argc, char** argv) {
  QApplication app(argc, argv);
  TTab tab(kOptions);
  tab.resize(1338, 934);
  DefineAdvanceSheet(tab.Model(), 16, 10);
  CSheet& s = *tab.Model().Active();
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 16; ++x) s.Cell(x, y) = (3 * x + 7 * y) % 60 - 10;
  tab.RepaintBitmap();
  if (!tab.ClipboardCommand(kCommandCopyTable)) return 3;
  std::cout << LabelledSheetText(s) << kEndOfSheet << std::flush;
  QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
  QObject::connect(&input, &QSocketNotifier::activated, [&] {
    char buffer[64];
    if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0) app.quit();
  });
  QTimer::singleShot(60000, &app, &QApplication::quit);
  return app.exec();
}

// Copy B: the page's 15-column map; pastes with Ctrl+V once the clipboard
// offers a table, then reports its sheet and the clipboard's plain text.
int PeerPaste(int argc, char** argv) {
  QApplication app(argc, argv);
  TTab tab(kOptions);
  tab.resize(1338, 934);
  DefineAdvanceSheet(tab.Model(), 16, 10);
  CSheet& s = *tab.Model().Active();
  s.xAxis.count = 15;
  tab.RepaintBitmap();
  if (!WaitFor([] { return CSheetClipboard::Instance().HasSheet(); }, 10000)) return 4;
  QTest::keyClick(&tab, Qt::Key_V, Qt::ControlModifier);
  std::cout << LabelledSheetText(s) << kEndOfSheet << QApplication::clipboard()->text().toStdString() << std::flush;
  return 0;
}

}  // namespace

class ClipboardInstancesTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    // A display of our own, so nothing of the machine's is touched.
    for (int n = 71; n < 90 && m_display.isEmpty(); ++n) {
      if (QFileInfo::exists(QString("/tmp/.X11-unix/X%1").arg(n)) ||
          QFileInfo::exists(QString("/tmp/.X%1-lock").arg(n)))
        continue;
      m_xvfb.start("Xvfb", {QString(":%1").arg(n), "-screen", "0", "800x600x24", "-nolisten", "tcp"});
      if (!m_xvfb.waitForStarted(5000)) QFAIL("Xvfb does not start");
      if (WaitFor([n] { return QFileInfo::exists(QString("/tmp/.X11-unix/X%1").arg(n)); }, 5000))
        m_display = QString(":%1").arg(n);
      else
        m_xvfb.kill(), m_xvfb.waitForFinished();
    }
    QVERIFY2(!m_display.isEmpty(), "no free X display");
  }

  void cleanupTestCase() {
    m_xvfb.terminate();
    m_xvfb.waitForFinished(5000);
  }

  void secondCopyPastesTheFirstCopysTable() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", m_display);
    env.insert("QT_QPA_PLATFORM", "xcb");
    const QString self = QCoreApplication::applicationFilePath();

    QProcess a, b;
    a.setProcessEnvironment(env);
    b.setProcessEnvironment(env);
    a.start(self, {"--copy"});
    QVERIFY(a.waitForStarted(5000));
    QByteArray aOut;
    QVERIFY(WaitFor(
        [&] {
          a.waitForReadyRead(50);
          aOut += a.readAllStandardOutput();
          return aOut.contains(kEndOfSheet) || a.state() == QProcess::NotRunning;
        },
        20000));
    QVERIFY2(aOut.contains(kEndOfSheet), a.readAllStandardError().constData());
    const QByteArray copied = aOut.left(aOut.indexOf(kEndOfSheet));

    b.start(self, {"--paste"});
    QVERIFY(b.waitForFinished(30000));
    const QByteArray bOut = b.readAllStandardOutput();
    QVERIFY2(b.exitCode() == 0, b.readAllStandardError().constData());
    QVERIFY(a.state() == QProcess::Running);  // A still owns the clipboard
    a.closeWriteChannel();
    QVERIFY(a.waitForFinished(10000));

    // B's sheet now is A's: counts, X and Y points and every cell.
    const qsizetype end = bOut.indexOf(kEndOfSheet);
    QVERIFY(end > 0);
    QCOMPARE(bOut.left(end), copied);
    QVERIFY(copied.contains("SizeX:\t16\n"));

    // The plain text is the grid a spreadsheet shows: tab columns, line-feed
    // rows, no units.
    const QString plain = QString::fromUtf8(bOut.mid(end + qsizetype(strlen(kEndOfSheet))));
    const QStringList rows = plain.split('\n');
    QCOMPARE(rows.size(), 11);
    QCOMPARE(rows[0].split('\t').size(), 17);
    QCOMPARE(rows[0].split('\t')[0], QString());
    for (int y = 1; y <= 10; ++y) QCOMPARE(rows[y].split('\t').size(), 17);
    QVERIFY(!plain.contains(QChar(0xB0)) && !plain.contains('%'));
  }

 private:
  QProcess m_xvfb;
  QString m_display;
};

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "--copy") == 0) return PeerCopy(argc, argv);
  if (argc >= 2 && std::strcmp(argv[1], "--paste") == 0) return PeerPaste(argc, argv);
  QCoreApplication app(argc, argv);
  ClipboardInstancesTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "clipboard_instances_test.moc"
