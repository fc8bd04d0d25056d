// Edits on the parameter pages of the real main window, ticks driven by the
// test: what a commit stores, when it runs, and what it must leave alone.

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QtTest>

#include "image/Note.h"
#include "image/Pages.h"
#include "image/view/TUpDown.h"
#include "link/TestButtons.h"
#include "shell/view/TFormHlav.h"
#include "support/FakePort.h"
#include "support/LiveFrames.h"
#include "support/RuntimeDir.h"
#include "support/WindowUnderTest.h"

namespace {

struct Form : testsupport::WindowUnderTest {
  Form() { Show(); }
  // Puts `bytes` into the image as if they had come from a file, then shows `page`.
  void Load(std::initializer_list<std::pair<int, int>> bytes, int page) {
    for (auto [offset, value] : bytes) Core().image[std::size_t(offset)] = std::uint8_t(value);
    Core().NormaliseAndLoad();
    window->WriteAllPages();
    pages->setCurrentIndex(page);
  }
  template <typename T>
  T* Find(const char* name) {
    T* w = window->findChild<T*>(name);
    if (!w) qWarning("missing %s", name);
    return w;
  }
  void Ticks(int n) {
    for (int i = 0; i < n; ++i) Core().Tick();
  }
  void Type(const char* edit, const QString& text, Qt::Key key = Qt::Key_Return) {
    auto* e = Find<QLineEdit>(edit);
    e->setFocus();
    if (!e->hasFocus()) qWarning("%s did not take the focus", edit);
    e->selectAll();
    QTest::keyClicks(e, text);
    QTest::keyClick(e, key);
  }
  void Live(int throttleSensorMv, int gearSensorMv = 0, bool testsLocked = false) {
    Frame f = testsupport::QuietFrame();
    testsupport::PutWord(f, 56, throttleSensorMv);
    testsupport::PutWord(f, 118, gearSensorMv);
    if (testsLocked) f[4] |= 0x08;
    SealFrame(f);
    port->Queue(f);
    Core().Tick();
  }
};

}  // namespace

class PageCommitTest : public QObject {
  Q_OBJECT

  testsupport::RuntimeDir m_runtimeDir;

 private slots:
  void initTestCase() { QVERIFY(m_runtimeDir.IsValid()); }

  // Typed values are bounded by the normalisation and shown as stored:
  // stage 2 below stage 1 rises to it, a build-up of 0 becomes one step.
  void enterCommitsTypedValueAndMovesOn() {
    Form f;
    f.Load({{98, 1}, {99, 50}, {100, 60}}, kPageN2o);
    f.Type("EditGas2", "30");
    QCOMPARE(f.Find<QLineEdit>("EditGas2")->text(), QString("50"));
    QCOMPARE(int(f.Core().image[100]), 50);
    QVERIFY(!f.Find<QLineEdit>("EditGas2")->hasFocus());
    // The focus change after Enter committed again: nothing more changed.
    QCOMPARE(int(f.Core().image[99]), 50);
    QVERIFY(!f.Core().pendingCommit.Pending());

    f.Type("EditGasT", "0");
    QCOMPARE(f.Find<QLineEdit>("EditGasT")->text(), QString("100"));
    QCOMPARE(int(f.Core().image[101]), 1);

    // Text that is no number leaves the value.
    f.Type("EditGas1", "fifty");
    QCOMPARE(f.Find<QLineEdit>("EditGas1")->text(), QString("50"));
    QCOMPARE(int(f.Core().image[99]), 50);
  }

  void upDownClicksCommitOnceAfterTheLast() {
    Form f;
    f.Load({{98, 1}, {99, 10}, {100, 60}}, kPageN2o);
    auto* gas1 = f.Find<TUpDown>("UpDownGas1");
    for (int i = 0; i < 3; ++i) {
      gas1->StepBy(+1);
      f.Ticks(2);
    }
    QCOMPARE(int(f.Core().image[99]), 10);  // not yet
    f.Ticks(3);
    QCOMPARE(int(f.Core().image[99]), 13);
    QVERIFY(!f.Core().pendingCommit.Pending());
  }

  // A change still pending when the page changes belongs to the page it was
  // made on, even though the new page is shown before the next tick.
  void pendingChangeSurvivesAPageChange() {
    Form f;
    f.Load({{98, 1}, {99, 10}, {100, 60}}, kPageN2o);
    f.Find<TUpDown>("UpDownGas1")->StepBy(+1);
    f.pages->setCurrentIndex(kPageRace);
    QCOMPARE(int(f.Core().image[99]), 11);
    f.Ticks(10);
    QCOMPARE(int(f.Core().image[99]), 11);

    // Text typed but not yet taken goes in with its page too.
    f.pages->setCurrentIndex(kPageN2o);
    auto* e = f.Find<QLineEdit>("EditGas2");
    e->setFocus();
    e->setText("70");
    f.pages->setCurrentIndex(kPageRace);
    QCOMPARE(int(f.Core().image[100]), 70);
  }

  // Writing pages never commits: a stored value that normalisation would
  // change stays as it is until the user commits something.
  void writingPagesCommitsNothing() {
    Form f;
    f.Core().image[99] = 80;
    f.Core().image[100] = 20;  // below stage 1: a commit would raise it
    LoadParameterSet(f.Core().image, f.Core().params);
    f.window->WriteAllPages();
    for (int page = 0; page < kPageCount; ++page) f.pages->setCurrentIndex(page);
    f.Ticks(10);
    QCOMPARE(int(f.Core().image[100]), 20);
    QVERIFY(!f.Core().pendingCommit.Pending());
  }

  // Values outside the up/down ranges (a blank image's zeros) come back
  // unchanged from a commit of their page; only what the user touched moves.
  void commitLeavesUntouchedFieldsAsTheyAre() {
    Form f;
    f.Core().image.fill(0);
    f.Core().image[0] = 11;
    f.Core().image[22] = 5;  // "Fall sensor enable" holds 5
    LoadParameterSet(f.Core().image, f.Core().params);
    f.window->WriteAllPages();
    QVERIFY(f.Find<QCheckBox>("CheckBoxFallEnable")->isChecked());
    const ConfigImage before = f.Core().image;
    f.Find<QCheckBox>("CheckBoxBlokEnable")->click();
    QCOMPARE(int(f.Core().image[23]), 1);
    for (int offset : {22, 28, 29, 30, 31, 39, 4, 282})
      QVERIFY2(f.Core().image[std::size_t(offset)] == before[std::size_t(offset)], qPrintable(QString::number(offset)));
  }

  void gearDeterminationNoLeavesOneRow() {
    Form f;
    f.Load({{137, 6}, {136, 3}}, kPageGear);
    for (const char* name : {"UpDownRacePilotFirst2", "UpDownRaceClutchPause6", "LabelRaceGear1", "LabelRaceGear2",
                             "UpDownGearKorAdvance2", "UpDownGearKorInjection6", "LabelGearKor1", "EditPocetGear"})
      QVERIFY2(f.Find<QWidget>(name)->isHidden(), name);
    for (const char* name : {"UpDownRacePilotFirst1", "UpDownGearKorAdvance1"})
      QVERIFY2(!f.Find<QWidget>(name)->isHidden(), name);
  }

  void liveValueButtons() {
    Form f;
    f.Load({{136, 1}, {137, 6}}, kPageGear);
    // Gear 0 has no ratio: under "Ratio Rpm Speed" its button does nothing.
    f.Core().image[100] = 0;
    f.Core().image[99] = 40;  // a commit would raise stage 2
    f.Live(1234, 2222);
    f.Find<QAbstractButton>("ButtonGear0")->click();
    f.Ticks(6);
    QCOMPARE(int(f.Core().image[100]), 0);

    f.pages->setCurrentIndex(kPageSensors);
    const std::uint8_t tps0 = f.Core().image[33];
    f.Live(2600);
    f.Find<QAbstractButton>("ButtonTps0")->click();
    QCOMPARE(f.Core().image[33], tps0);
    f.Live(1234);
    f.Find<QAbstractButton>("ButtonTps0")->click();
    QCOMPARE(f.Find<QLineEdit>("EditTps0")->text(), QString("1,230"));
    QCOMPARE(int(f.Core().image[33]), 123);
  }

  // A polarity click used to reset a calibrated lambda characteristic;
  // only a new sensor type brings the type's defaults.
  void lambdaDefaultsOnlyForANewSensorType() {
    Form f;
    f.Load({{352, 1}, {353, 101}, {354, 121}, {355, 141}, {356, 161}, {357, 181}}, kPageSensors);
    auto items = [&](const char* group) { return f.Find<QGroupBox>(group)->findChild<QButtonGroup*>(); };
    items("RadioGroupPolCKPS")->button(1)->click();
    QCOMPARE(int(f.Core().image[5]), 1);
    QCOMPARE(int(f.Core().image[353]), 101);
    items("RadioGroupCidloLambdaMode")->button(0)->click();
    QCOMPARE(int(f.Core().image[352]), 0);
    const int standard[] = {100, 130, 140, 150, 180};
    for (int i = 0; i < 5; ++i) QCOMPARE(int(f.Core().image[std::size_t(353 + i)]), standard[i]);
    // The defaults are a step of their own: Undo brings the calibration back.
    f.window->MenuZpetClick();
    QCOMPARE(int(f.Core().image[353]), 101);
    QCOMPARE(int(f.Core().image[352]), 0);
  }

  void noteTakesAtMost119Characters() {
    Form f;
    f.Load({}, kPageBike);
    auto* memo = f.Find<QPlainTextEdit>("Memo1");
    memo->setFocus();
    QTest::keyClicks(memo, QString(130, 'x'));
    QCOMPARE(memo->toPlainText().size(), 119);
    f.Find<QCheckBox>("CheckBoxBlokEnable")->setFocus();  // Memo1Exit
    QCOMPARE(LoadNote(f.Core().image), std::vector<std::string>{std::string(119, 'x')});
  }

  // The test lock follows live flag 4.3 when the page is written; Stop stays
  // usable, outside the group that the lock disables.
  void testLockLeavesStop() {
    Form f;
    f.Live(1000, 0, true);
    QVERIFY(f.Core().OutputTestsLocked());
    f.pages->setCurrentIndex(kPageTest);
    auto* group = f.Find<QGroupBox>("GroupBoxTestJet");
    auto* stop = f.Find<QAbstractButton>("ButtonTestStop");
    QVERIFY(!group->isAncestorOf(stop));
    QVERIFY(stop->isEnabled());
    for (const TestButton& t : TestButtons())
      if (t.name != kTestStopButton) QVERIFY2(!f.Find<QWidget>(t.name)->isEnabled(), t.name);
    const QByteArray dir = qgetenv("VENTRIX_SCREENSHOT_DIR");
    if (!dir.isEmpty()) QVERIFY(f.window->grab().save(QString::fromUtf8(dir) + "/test_page_locked.png"));

    f.Live(1000, 0, false);
    f.window->MenuLadeniOnClick();
    QVERIFY(f.Core().tuningOn);
    QVERIFY(f.Find<QCheckBox>("CheckBoxLadeniPovoleno")->isChecked());
    QVERIFY(f.Find<QWidget>("ButtonTestJet1A")->isEnabled());

    f.Find<QAbstractButton>("ButtonTestJet1A")->click();
    f.Find<QAbstractButton>("ButtonTestJet3B")->click();
    QCOMPARE(int(f.Core().oneShot[0]), 0x41);
  }

  // Only some bikes show the temperature on their display: for the others
  // writing the race page clears the flag.
  void tempDisplayFlagFollowsTheBike() {
    Form f;
    f.Load({{0, 11}, {107, 1}}, kPageRace);
    QCOMPARE(int(f.Core().image[107]), 0);
    QVERIFY(!f.Find<QWidget>("CheckBoxTempDisplay")->isEnabled());
  }

  // Undo brings back the image before the commit and shows the page the
  // change was made on; Redo the change again.
  void undoAndRedoAnEdit() {
    Form f;
    f.Load({{98, 1}, {99, 10}, {100, 60}}, kPageN2o);
    f.Core().ResetHistory();
    f.window->WriteAllPages();
    auto* undo = f.window->findChild<QAction*>("MenuZpet");
    auto* redo = f.window->findChild<QAction*>("MenuZnovu");
    QVERIFY(!undo->isEnabled() && !redo->isEnabled());
    f.Type("EditGas1", "20");
    QCOMPARE(int(f.Core().image[99]), 20);
    QVERIFY(undo->isEnabled() && !redo->isEnabled());
    f.pages->setCurrentIndex(kPageBike);
    f.window->MenuZpetClick();
    QCOMPARE(int(f.Core().image[99]), 10);
    QCOMPARE(f.pages->currentIndex(), int(kPageN2o));
    QCOMPARE(f.Find<QLineEdit>("EditGas1")->text(), QString("10"));
    QVERIFY(redo->isEnabled());
    f.window->MenuZnovuClick();
    QCOMPARE(int(f.Core().image[99]), 20);
    QCOMPARE(f.Find<QLineEdit>("EditGas1")->text(), QString("20"));
  }
};

QTEST_MAIN(PageCommitTest)
#include "page_commit_test.moc"
