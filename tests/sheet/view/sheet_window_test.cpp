// Sheet controls in the main window: creation, the Tools menu, the key
// routing to the focused control and the main tick.

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QTabWidget>
#include <QtTest>

#include "sheet/Selection.h"
#include "sheet/view/TTab.h"
#include "shell/view/TFormHlav.h"
#include "support/AdvanceSheet.h"
#include "support/FakePort.h"
#include "support/RuntimeDir.h"

class SheetWindowTest : public QObject {
  Q_OBJECT

  testsupport::RuntimeDir m_runtimeDir;

  static std::unique_ptr<TFormHlav> MakeForm() { return std::make_unique<TFormHlav>(std::make_unique<FakePort>()); }

  // The form with two sheet controls on the advance page, the second focused.
  struct Rig {
    std::unique_ptr<TFormHlav> form = MakeForm();
    TTab* first = nullptr;
    TTab* second = nullptr;
    Rig() {
      form->Timer1().stop();  // the test runs the ticks itself
      QWidget* page = form->findChild<QTabWidget*>("PageControl1")->widget(1);
      first = form->CreateSheetControl(600, 400, 0x0071, page);
      second = form->CreateSheetControl(600, 400, 0x0071, page);
      second->move(0, 420);
      DefineAdvanceSheet(first->Model());
      DefineAdvanceSheet(second->Model());
      form->findChild<QTabWidget*>("PageControl1")->setCurrentIndex(1);
      form->show();
      QApplication::setActiveWindow(form.get());
    }
    bool Focus(TTab* t) {
      if (!QTest::qWaitForWindowActive(form.get())) return false;
      t->setFocus(Qt::OtherFocusReason);
      return QTest::qWaitFor([t] { return t->hasFocus(); });
    }
  };

 private slots:
  void initTestCase() { QVERIFY(m_runtimeDir.IsValid()); }

  void createsTwentyControlsAtMost() {
    auto form = MakeForm();
    QWidget* page = form->findChild<QTabWidget*>("PageControl1")->widget(2);
    // The map pages hold their own controls already; the rest fill up to 20.
    const int own = form->SheetControls().Count();
    QVERIFY(own <= 20);
    for (int i = own; i < 20; ++i) {
      TTab* t = form->CreateSheetControl(300, 200, 0x0130, page);
      QVERIFY(t);
      QCOMPARE(t->parentWidget(), page);
      QCOMPARE(t->size(), QSize(300, 200));
      QCOMPARE(t->focusPolicy(), Qt::StrongFocus);
    }
    QVERIFY(!form->CreateSheetControl(300, 200, 0x0130, page));
    QCOMPARE(form->SheetControls().Count(), 20);
  }

  void toolsMenuReachesTheFocusedControl() {
    Rig rig;
    QVERIFY(rig.Focus(rig.second));
    CSheet& a = *rig.first->Model().Active();
    CSheet& b = *rig.second->Model().Active();
    SelectOnly(a, {2, 2});
    SelectOnly(b, {2, 2});
    const int va = a.Cell(2, 2), vb = b.Cell(2, 2);

    auto* tools = rig.form->findChild<QMenu*>("MenuTools");
    QVERIFY(tools);
    QCOMPARE(tools->title(), QString("Tools"));
    auto* plus = rig.form->findChild<QAction*>("MenuPlus");
    auto* minus = rig.form->findChild<QAction*>("MenuMinus");
    auto* interpolate = rig.form->findChild<QAction*>("MenuInterpol");
    QVERIFY(plus && minus && interpolate);
    QCOMPARE(plus->text(), QString("+"));
    QCOMPARE(interpolate->text(), QString("Interpolation"));

    plus->trigger();
    plus->trigger();
    QCOMPARE(b.Cell(2, 2), vb + 2);
    QCOMPARE(a.Cell(2, 2), va);
    minus->trigger();
    QCOMPARE(b.Cell(2, 2), vb + 1);

    b.Cell(0, 0) = 10, b.Cell(1, 0) = 40, b.Cell(2, 0) = 30;
    SelectRect(b, {0, 0, 2, 0});
    interpolate->trigger();
    QCOMPARE(b.Cell(1, 0), 20);

    // With no sheet control focused the items do nothing.
    rig.form->setFocus();
    QVERIFY(QTest::qWaitFor([&] { return !rig.second->hasFocus(); }));
    SelectOnly(b, {4, 4});
    const int v44 = b.Cell(4, 4);
    plus->trigger();
    QCOMPARE(b.Cell(4, 4), v44);
  }

  void navigationKeysAreRoutedToTheFocusedControl() {
    Rig rig;
    QVERIFY(rig.Focus(rig.first));
    CSheet& a = *rig.first->Model().Active();
    SelectOnly(a, {3, 3});
    // Sent to the window, not to the control: the window routes them.
    QTest::keyClick(rig.form.get(), Qt::Key_Right);
    QCOMPARE(a.selection.corner, (SheetEntry{4, 3}));
    QTest::keyClick(rig.form.get(), Qt::Key_Down);
    QCOMPARE(a.selection.corner, (SheetEntry{4, 4}));
    QTest::keyClick(rig.form.get(), Qt::Key_Return);
    QCOMPARE(a.selection.corner, (SheetEntry{4, 5}));
    QVERIFY(rig.first->hasFocus());
    // Other keys are not routed; neither is anything without a focused control.
    QVERIFY(!rig.form->ShortCut(Qt::Key_Home, Qt::NoModifier, QString()));
    QVERIFY(rig.form->ShortCut(Qt::Key_Left, Qt::NoModifier, QString()));
    QCOMPARE(a.selection.corner, (SheetEntry{3, 5}));
    // An arrow pressed in the control itself moves its cursor, not the focus.
    QTest::keyClick(rig.first, Qt::Key_Down);
    QCOMPARE(a.selection.corner, (SheetEntry{3, 6}));
    QVERIFY(rig.first->hasFocus());
  }

  void theCoreTickRunsEverySheetTick() {
    Rig rig;
    const std::uint32_t a = rig.first->Model().TickCount(), b = rig.second->Model().TickCount();
    for (int i = 0; i < 3; ++i) rig.form->Core().Tick();
    QCOMPARE(rig.first->Model().TickCount(), a + 3);
    QCOMPARE(rig.second->Model().TickCount(), b + 3);

    // A burst of steps reaches the owner once, 5 ticks after the last one.
    int changes = 0;
    rig.first->Model().SetOnSheetChanged([&](CTabModel&) { ++changes; });
    SelectOnly(*rig.first->Model().Active(), {1, 1});
    for (int i = 0; i < 10; ++i) rig.first->StepCommand(1);
    for (int i = 0; i < 4; ++i) rig.form->Core().Tick();
    QCOMPARE(changes, 0);
    rig.form->Core().Tick();
    QCOMPARE(changes, 1);
  }

  void insertionAtTheMaximumShowsTheMessage() {
    Rig rig;
    CTabModel& m = rig.first->Model();
    SelectOnly(*m.Active(), {3, -1});
    QCOMPARE(m.InsertColumn(3), InsertResult::kAtMaximum);
    QMessageBox* box = nullptr;
    QVERIFY(QTest::qWaitFor([&] {
      for (auto* b : rig.form->findChildren<QMessageBox*>())
        if (b->isVisible()) box = b;
      return box != nullptr;
    }));
    QCOMPARE(box->text(), QString("Column count is on maximum !\nDelete some first..."));
    QCOMPARE(box->icon(), QMessageBox::Critical);
    box->close();
  }
};

QTEST_MAIN(SheetWindowTest)
#include "sheet_window_test.moc"
