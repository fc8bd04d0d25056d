// The Link window against the simulated unit on a bad cable: every fifth
// reply arrives with a wrong check byte. The unit answers every frame, so
// each spoilt reply is a check-byte failure and nothing is a timeout.

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

#include "link/PosixSerialPort.h"
#include "link/view/LinkStatsWindow.h"
#include "shell/view/TFormHlav.h"
#include "support/RuntimeDir.h"
#include "support/SimProcess.h"

class LinkStatsWindowTest : public QObject {
  Q_OBJECT

  testsupport::RuntimeDir m_runtimeDir;

 private slots:
  void countersFollowACorruptingUnit() {
    QTemporaryDir dir;
    const QString simLog = dir.filePath("unitsim.log");
    testsupport::SimProcess sim(VENTRIX_UNITSIM_EXE, {"--corrupt-every", "5", "--log", simLog.toStdString()});
    QVERIFY(sim.Ok());
    qputenv("VENTRIX_COM2", QByteArray::fromStdString(sim.Device()));
    TFormHlav form(std::make_unique<CPosixSerialPort>());
    form.show();
    auto* item = form.findChild<QAction*>("MenuLink");
    QVERIFY(item);
    QCOMPARE(item->text(), QString("&Link..."));
    item->trigger();
    auto* window = form.findChild<CLinkStatsWindow*>("FormLink");
    QVERIFY(window);
    QVERIFY(window->isVisible());
    const auto value = [window](const char* name) { return window->findChild<QLabel*>(name)->text(); };

    const LinkCounters& c = form.Core().linkStats;
    QTRY_VERIFY_WITH_TIMEOUT(c.framesReceived >= 30, 30000);
    window->Refresh();
    const std::uint64_t received = c.framesReceived, failures = c.checkByteFailures;
    qInfo("received %llu, check-byte failures %llu, timeouts %llu, sent %llu", (unsigned long long)received,
          (unsigned long long)failures, (unsigned long long)c.timeouts, (unsigned long long)c.framesSent);
    // Every fifth reply, counted once each, and never as a missing answer.
    QCOMPARE(failures, received / 5);
    QCOMPARE(c.timeouts, std::uint64_t(0));
    QCOMPARE(c.retries, std::uint64_t(0));  // the idle link does not repeat frames
    // The simulator's own account: the replies it spoilt, one perhaps still on its way.
    QFile log(simLog);
    QVERIFY(log.open(QIODevice::ReadOnly));
    const qsizetype spoilt = log.readAll().count(" TX corrupted ");
    QVERIFY2(std::uint64_t(spoilt) == failures || std::uint64_t(spoilt) == failures + 1,
             qPrintable(QString("%1 spoilt by the unit").arg(spoilt)));

    QCOMPARE(value("LinkCheckByteFailures"), QString::number(failures));
    QCOMPARE(value("LinkDevice"), "COM2  " + QString::fromStdString(sim.Device()));
    QVERIFY2(value("LinkReceivedPerSecond").endsWith(QString("(%1)").arg(received)),
             qPrintable(value("LinkReceivedPerSecond")));
    QCOMPARE(value("LinkLastError"), QString("wrong check byte"));
    QCOMPARE(value("LinkTimeouts"), QString("0"));
    QVERIFY(QDateTime::fromString(value("LinkLastErrorTime"), "yyyy-MM-dd HH:mm:ss").isValid());
    // The timer refreshes it: the idle link sends about three frames a second,
    // and as every frame is answered the two rates agree.
    QTRY_VERIFY_WITH_TIMEOUT(!value("LinkSentPerSecond").startsWith("0.0/s"), 5000);
    const auto rate = [&](const char* name) { return value(name).section('/', 0, 0); };
    QCOMPARE(rate("LinkSentPerSecond"), rate("LinkReceivedPerSecond"));

    form.MenuGermanClick();
    QCOMPARE(window->findChild<QLabel*>("LabelLinkCheckByte")->text(), QString("Prüfbyte-Fehler"));
    window->Refresh();
    QCOMPARE(window->windowTitle(), QString("Verbindung"));
    form.MenuEnglishClick();
    QTRY_COMPARE(window->windowTitle(), QString("Link"));  // the next refresh of the timer

    const QString shot = QDir(QCoreApplication::applicationDirPath()).filePath("link_stats_window.png");
    QVERIFY(window->grab().save(shot));
    qInfo("screenshot: %s", qPrintable(shot));
    qunsetenv("VENTRIX_COM2");
  }
};

QTEST_MAIN(LinkStatsWindowTest)
#include "link_stats_window_test.moc"
