// The Link window against the simulated unit on a bad cable: every third
// reply arrives with a wrong check byte.

#include <QAction>
#include <QDir>
#include <QLabel>
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
    testsupport::SimProcess sim(VENTRIX_UNITSIM_EXE, {"--corrupt-every", "3"});
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
    // A third of the replies; the one being read at the moment may still be on its way.
    QVERIFY2(failures * 3 <= received + 3 && failures * 3 + 3 >= received, qPrintable(QString::number(failures)));
    // Each spoilt reply leaves its frame unanswered when the next goes out.
    QVERIFY(c.timeouts + 1 >= failures && c.timeouts <= failures + 1);
    QCOMPARE(c.retries, std::uint64_t(0));  // the idle link does not repeat frames

    QCOMPARE(value("LinkCheckByteFailures"), QString::number(failures));
    QCOMPARE(value("LinkDevice"), "COM2  " + QString::fromStdString(sim.Device()));
    QVERIFY2(value("LinkReceivedPerSecond").endsWith(QString("(%1)").arg(received)),
             qPrintable(value("LinkReceivedPerSecond")));
    QVERIFY(value("LinkLastError") == "wrong check byte" || value("LinkLastError") == "no answer in time");
    QVERIFY(QDateTime::fromString(value("LinkLastErrorTime"), "yyyy-MM-dd HH:mm:ss").isValid());
    // The timer refreshes it: the idle link sends about three frames a second.
    QTRY_VERIFY_WITH_TIMEOUT(!value("LinkSentPerSecond").startsWith("0.0/s"), 5000);

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
