#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>
#include <cstdlib>

#include "link/PosixSerialPort.h"
#include "link/ReleaseChannel.h"
#include "shell/view/TFormHlav.h"
#include "support/FakePort.h"
#include "support/RuntimeDir.h"
#include "support/SimProcess.h"

class FormHlavTest : public QObject {
  Q_OBJECT

 private:
  static std::unique_ptr<TFormHlav> MakeForm(std::set<int> existing = {2}) {
    auto port = std::make_unique<FakePort>();
    port->existing = std::move(existing);
    return std::make_unique<TFormHlav>(std::move(port));
  }
  static QList<QMessageBox*> OpenMessageBoxes(QWidget* parent) { return parent->findChildren<QMessageBox*>(); }

  testsupport::RuntimeDir m_runtimeDir;

 private slots:
  void initTestCase() { QVERIFY(m_runtimeDir.IsValid()); }

  void controlsAndPagesExistByName() {
    auto form = MakeForm();
    for (const char* name : {"LabelHlaseni", "LabelSpojeni", "LabelVersion", "LabelCom"})
      QVERIFY2(form->findChild<QLabel*>(name), name);
    QVERIFY(form->findChild<QProgressBar*>("CGaugeProgram"));
    QCOMPARE(form->findChild<QProgressBar*>("CGaugeProgram")->maximum(), 20);
    auto* pages = form->findChild<QTabWidget*>("PageControl1");
    QVERIFY(pages);
    QCOMPARE(pages->count(), 14);
    QCOMPARE(pages->widget(0)->objectName(), QString("TabSheet_Bike"));
    QCOMPARE(pages->widget(13)->objectName(), QString("TabSheet_Test"));
    QCOMPARE(form->size(), QSize(1346, 1092) * (form->logicalDpiX() / 96.0));
    QCOMPARE(form->Timer1().interval(), 55);
    QVERIFY(form->Timer1().isActive());
    QVERIFY(form->windowTitle().startsWith("  Ventrix_2007       "));
  }

  void portMenuFollowsPortIndex() {
    auto form = MakeForm({2, 7});
    auto* menu = form->findChild<QMenu*>("MenuCom");
    QVERIFY(menu);
    QCOMPARE(menu->title(), QString("&Com"));
    const auto items = menu->actions();
    QCOMPARE(items.size(), 23);  // 21 ports, a separator and Link
    QCOMPARE(items[0]->text(), QString("Com 1"));
    QCOMPARE(items[19]->text(), QString("Com 20"));
    QCOMPARE(items[20]->text(), QString("Com Auto"));
    auto checked = [&] {
      QList<int> on;
      for (int i = 0; i < items.size(); ++i)
        if (items[i]->isChecked()) on << i;
      return on;
    };
    QCOMPARE(checked(), QList<int>{1});
    QCOMPARE(form->findChild<QLabel*>("LabelCom")->text(), QString("COM= COM2"));
    QCOMPARE(form->findChild<QLabel*>("LabelCom")->toolTip(), QString("/dev/fake2"));
    items[6]->trigger();
    QCOMPARE(form->Core().portIndex, 6);
    QCOMPARE(checked(), QList<int>{6});
    QCOMPARE(form->findChild<QLabel*>("LabelCom")->text(), QString("COM= COM7"));
    QVERIFY(OpenMessageBoxes(form.get()).isEmpty());
  }

  void failedFixedPortShowsOneMessageBoxWithoutBlocking() {
    auto form = MakeForm({});
    auto boxes = OpenMessageBoxes(form.get());
    QCOMPARE(boxes.size(), 1);  // the start-up open of COM2
    QCOMPARE(boxes[0]->text(), QString("Com opening error!"));
    boxes[0]->close();
    QTRY_VERIFY(OpenMessageBoxes(form.get()).isEmpty());
    for (int i = 0; i < 100; ++i) form->Timer1Timer();
    QVERIFY(OpenMessageBoxes(form.get()).isEmpty());
  }

  void noConnectionLabelAfterSilence() {
    auto form = MakeForm();
    form->Timer1().stop();  // the test drives the ticks
    form->show();
    auto* spojeni = form->findChild<QLabel*>("LabelSpojeni");
    auto* version = form->findChild<QLabel*>("LabelVersion");
    QCOMPARE(spojeni->text(), QString("No connection with PC"));
    for (int i = 0; i < 6; ++i) form->Timer1Timer();
    QVERIFY(!spojeni->isVisible());
    QVERIFY(version->isVisible());
    form->Timer1Timer();
    QVERIFY(spojeni->isVisible());
    QVERIFY(!version->isVisible());
    QVERIFY(!form->findChild<QLabel*>("LabelHlaseni")->isVisible());
    QVERIFY(!form->findChild<QProgressBar*>("CGaugeProgram")->isVisible());
  }

  // A firmware loader's request reaches the core through the window's socket.
  void portReleaseRequestsArriveOverTheChannel() {
    auto form = MakeForm();
    std::string error;
    QVERIFY2(SendReleaseRequest(0, kResetAndReleasePort), "no listener");  // another port: ignored
    QVERIFY2(SendReleaseRequest(1, kResetAndReleasePort, &error), error.c_str());
    QTRY_COMPARE(form->Core().mode, LinkMode::Releasing);
    QCOMPARE(form->Core().command, 0);
  }

  // The whole program as a user starts it: real serial code, the simulated
  // unit on a pseudo-terminal, the 55 ms timer.
  void windowTalksToTheSimulatedUnit() {
    testsupport::SimProcess sim(VENTRIX_UNITSIM_EXE);
    QVERIFY(sim.Ok());
    qputenv("VENTRIX_COM2", QByteArray::fromStdString(sim.Device()));
    TFormHlav form(std::make_unique<CPosixSerialPort>());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QVERIFY(form.Core().Port().IsOpen());
    QTRY_COMPARE_WITH_TIMEOUT(int(form.Core().unitInfo[10]), 83, 3000);
    QTest::qWait(1500);
    QVERIFY(!form.findChild<QLabel*>("LabelSpojeni")->isVisible());
    QVERIFY(form.Core().silenceTicks < 24);
    qunsetenv("VENTRIX_COM2");
  }
};

QTEST_MAIN(FormHlavTest)
#include "form_hlav_test.moc"
