// The external monitor in the real program: Set1 live from the simulated
// unit over the real serial code, and the automatic set back at the next start.

#include <QAction>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include "link/PosixSerialPort.h"
#include "monitor/BuiltinSets.h"
#include "monitor/MonitorRecords.h"
#include "monitor/view/MonitorCommands.h"
#include "monitor/view/TFormEM.h"
#include "shell/view/TFormHlav.h"
#include "support/RuntimeDir.h"
#include "support/SimProcess.h"

class MonitorWindowTest : public QObject {
  Q_OBJECT

  testsupport::RuntimeDir m_runtimeDir;

  QString AutomaticSet() const { return m_runtimeDir.Path() + "/xdg_state_home/ventrix/_Ventrix_2007_v83.iniEMON.cem"; }

 private slots:
  void initTestCase() { QVERIFY(m_runtimeDir.IsValid()); }

  void set1LiveThenBackAtTheNextStart() {
    testsupport::SimProcess sim(VENTRIX_UNITSIM_EXE, {"--steady", "6200,455"});
    QVERIFY(sim.Ok());
    qputenv("VENTRIX_COM2", QByteArray::fromStdString(sim.Device()));
    std::vector<CemRecord> shown;
    {
      TFormHlav form(std::make_unique<CPosixSerialPort>());
      form.show();
      QAction* set1 = form.findChild<QAction*>("MenuMonitorSet1");
      QVERIFY(set1);
      set1->trigger();
      TFormEM& monitor = form.Monitor().Monitor();
      QVERIFY(monitor.isVisible());
      QCOMPARE(monitor.EditState(), 0);
      QVERIFY(monitor.Surface().Place.Count() > 0);
      // The unit's values arrive and the caption says so.
      QTRY_VERIFY_WITH_TIMEOUT(form.Core().monitorCatalogue.HasData(), 5000);
      QTRY_COMPARE_WITH_TIMEOUT(int(form.Core().monitorCatalogue.GetDef(kCidRpm).value + 0.5), 6200, 5000);
      QTRY_COMPARE_WITH_TIMEOUT(monitor.windowTitle(), QString("External monitor   (Connected)"), 2000);
      // The RPM element shows the unit's number, not the placeholder.
      QCOMPARE(
          QString::fromStdString(form.Core().monitorCatalogue.ValueText(form.Core().monitorCatalogue.GetDef(kCidRpm)))
              .trimmed(),
          QString("6200"));
      shown = RecordsFromPlace(monitor.Surface().Place);
      form.close();
    }
    QVERIFY(QFileInfo::exists(AutomaticSet()));
    sim.Stop();
    qunsetenv("VENTRIX_COM2");

    // The monitor was open at the end: the next start opens it on its first
    // tick, with the set it had.
    TFormHlav again(std::make_unique<CPosixSerialPort>());
    again.Timer1().stop();
    TFormEM& monitor = again.Monitor().Monitor();
    QVERIFY(!monitor.isVisible());
    again.Core().Tick();
    QVERIFY(monitor.isVisible());
    QCOMPARE(RecordsFromPlace(monitor.Surface().Place), shown);
    again.Timer1().start();
    QTRY_COMPARE_WITH_TIMEOUT(monitor.windowTitle(), QString("External monitor   (!!! No connection with PC !!!)"),
                              3000);
    again.close();
  }

  // A damaged automatic set never costs the dashboard silently: reported,
  // kept aside, and the monitor starts empty.
  void damagedAutomaticSetIsKeptAside() {
    QFile f(AutomaticSet());
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QByteArray("\x01\x10\0\0\x05", 5));
    f.close();
    TFormHlav form(std::make_unique<CPosixSerialPort>());
    form.Timer1().stop();
    std::vector<std::string> errors;
    form.Monitor().SetErrorSink([&](const std::string& text) { errors.push_back(text); });
    form.findChild<QAction*>("MenuMonitorView")->trigger();
    QCOMPARE(errors.size(), std::size_t(1));
    QVERIFY(QString::fromStdString(errors[0]).startsWith("Unspecific error..."));
    QVERIFY(QFileInfo::exists(AutomaticSet() + ".bad"));
    QCOMPARE(form.Monitor().Monitor().Surface().Place.Count(), 0);
    form.close();
  }

  // A set file opened from outside (the command line) goes the way of
  // "Load Monitor": the monitor shows it in normal mode, a bad file is said.
  void setFileOpenedFromOutside() {
    TFormHlav form(std::make_unique<CPosixSerialPort>());
    form.Timer1().stop();
    TFormEM& monitor = form.Monitor().Monitor();
    std::vector<std::string> errors;
    form.Monitor().SetErrorSink([&](const std::string& text) { errors.push_back(text); });
    QTemporaryDir dir;
    const QString good = dir.path() + "/dash.cem";
    QCOMPARE(StoreMonitorSetFile(good.toStdString(), BuiltinMonitorSet(kSet2)), 0);
    QVERIFY(form.Monitor().OpenSetFile(good));
    QVERIFY(monitor.isVisible());
    QCOMPARE(monitor.EditState(), 0);
    QCOMPARE(monitor.Surface().Place.Count(), int(BuiltinMonitorSet(kSet2).records.size()));
    QVERIFY(errors.empty());
    QVERIFY(!form.Monitor().OpenSetFile(dir.path() + "/missing.cem"));
    QCOMPARE(errors.size(), std::size_t{1});
    QVERIFY(QString::fromStdString(errors.front()).startsWith("Open file error...\n"));
    QVERIFY(QString::fromStdString(errors.front()).endsWith("missing.cem"));
    QCOMPARE(monitor.Surface().Place.Count(), int(BuiltinMonitorSet(kSet2).records.size()));
    form.close();
  }
};

QTEST_MAIN(MonitorWindowTest)
#include "monitor_window_test.moc"
