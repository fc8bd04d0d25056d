// A word in the status bar where a tuner's action did less than he asked:
// a typed value its range held back (the unit gets the value in force), a
// "Paste table" refused because the copied table fits nowhere in this map;
// and the record button's hint.

#include <QLineEdit>
#include <QStatusBar>
#include <QToolButton>
#include <QtTest>

#include "image/Pages.h"
#include "sheet/Selection.h"
#include "sheet/SheetButtons.h"
#include "sheet/ValueText.h"
#include "sheet/view/SheetClipboard.h"
#include "sheet/view/TTab.h"
#include "support/RuntimeDir.h"
#include "support/WindowUnderTest.h"

namespace {

QString ShownGroup() { return QString::fromStdString(ShownNumberFormat().group); }

struct Form : testsupport::WindowUnderTest {
  Form() { Show(); }
  QString Status() { return window->statusBar()->currentMessage(); }
  TTab& AdvanceMap() {
    pages->setCurrentIndex(kPageAdvance);
    return *pages->widget(kPageAdvance)->findChild<TTab*>();
  }
};

}  // namespace

class FeedbackTest : public QObject {
  Q_OBJECT

  testsupport::RuntimeDir m_runtimeDir;

 private slots:
  void initTestCase() { QVERIFY(m_runtimeDir.IsValid()); }

  // 99 typed into an advance cell: the cell holds the map's maximum, and
  // the status bar says so.
  void aValueHeldToItsRangeIsSaid() {
    Form f;
    TTab& map = f.AdvanceMap();
    CSheet& s = *map.Model().Active();
    const int max = s.dataAxis.max;
    QVERIFY(max < 99);
    SelectRect(s, {2, 2, 2, 2});
    map.setFocus();
    for (const char* key : {"9", "9"}) QVERIFY(map.KeyDown(Qt::Key_9, Qt::NoModifier, key));
    QVERIFY(map.KeyDown(Qt::Key_Return, Qt::NoModifier, "\r"));
    QCOMPARE(s.Cell(2, 2), max);
    QCOMPARE(f.Status(), QString("99 is out of range: set to %1").arg(max));

    // An edit with its up/down likewise.
    f.window->statusBar()->clearMessage();
    f.pages->setCurrentIndex(kPageBike);
    auto* edit = f.window->findChild<QLineEdit*>("EditDwell");
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, "20000");
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(f.Status(), "20" + ShownGroup() + "000 is out of range: set to " + edit->text());
    QVERIFY(edit->text().startsWith("10"));

    // A value within the range says nothing.
    f.window->statusBar()->clearMessage();
    SelectRect(s, {3, 3, 3, 3});
    f.AdvanceMap();
    QVERIFY(map.KeyDown(Qt::Key_1, Qt::NoModifier, "1"));
    QVERIFY(map.KeyDown(Qt::Key_Return, Qt::NoModifier, "\r"));
    QCOMPARE(s.Cell(3, 3), 1);
    QCOMPARE(f.Status(), QString());
  }

  void aForeignTableIsRefusedWithItsAxes() {
    Form f;
    TTab& map = f.AdvanceMap();
    const CSheet& s = *map.Model().Active();
    const std::vector<std::int32_t> before = s.dataAxis.values;
    CSheetClipboard::Instance().SetSheetTexts("\t1\t2\n1\t5\t6\n2\t7\t8",
                                              "Label:\tFoo\nLabelX:\tFOO\nLabelY:\tBAR\nLabelData:\tBAZ\n"
                                              "SizeX:\t2\nSizeY:\t2\nOnlyXY:\t\n\t1\t2\n1\t5\t6\n2\t7\t8");
    QTRY_VERIFY(CSheetClipboard::Instance().HasSheet());
    QVERIFY(!map.RunCommand(kCommandPaste));
    QCOMPARE(s.dataAxis.values, before);
    const QString here = QString::fromUtf8("%1 \u00D7 %2 \u2192 %3")
                             .arg(QString::fromStdString(s.xAxis.shortName), QString::fromStdString(s.yAxis.shortName),
                                  QString::fromStdString(s.dataAxis.shortName));
    QCOMPARE(f.Status(), QString::fromUtf8("Paste table refused: the copied table (FOO \u00D7 BAR \u2192 BAZ) does not "
                                           "fit this map (%1)")
                             .arg(here));
  }

  void theRecordButtonSaysWhatItDoes() {
    Form f;
    auto* record = f.window->findChild<QToolButton*>("SpeedButtonRecord");
    QVERIFY(record);
    QCOMPARE(record->toolTip(), QString("Start recording the live data into a log"));
  }
};

QTEST_MAIN(FeedbackTest)
#include "feedback_test.moc"
