// The sheet control's table view driven by mouse, keys, wheel and ticks.

#include "sheet/view/TTab.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QtTest>

#include "sheet/Selection.h"
#include "support/AdvanceSheet.h"

namespace {

constexpr std::uint32_t kOptions = kOptionButtonBar | kOptionTable | kOptionGraph2D | kOptionGraph3D;

void Send(QWidget& w, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons,
          Qt::KeyboardModifiers mods = Qt::NoModifier) {
  QMouseEvent e(type, QPointF(pos), QPointF(w.mapToGlobal(pos)), button, buttons, mods);
  QApplication::sendEvent(&w, &e);
}
void Hover(QWidget& w, QPoint p) { Send(w, QEvent::MouseMove, p, Qt::NoButton, Qt::NoButton); }
void Press(QWidget& w, QPoint p, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  Send(w, QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton, mods);
}
void DragTo(QWidget& w, QPoint p) { Send(w, QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton); }
void Release(QWidget& w, QPoint p) { Send(w, QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton); }
void Click(QWidget& w, QPoint p, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  Hover(w, p);
  Press(w, p, mods);
  Release(w, p);
}
void Wheel(QWidget& w, QPoint p, int notches) {
  QWheelEvent e(QPointF(p), QPointF(w.mapToGlobal(p)), QPoint(), QPoint(0, 120 * notches), Qt::NoButton, Qt::NoModifier,
                Qt::NoScrollPhase, false);
  QApplication::sendEvent(&w, &e);
}

// A control at the advance page's size holding one advance map.
struct Rig {
  TTab tab{kOptions};
  int changes = 0;
  explicit Rig(int xCount = 15, int yCount = 10) {
    tab.resize(1338, 934);
    tab.Model().SetOnSheetChanged([this](CTabModel&) { ++changes; });
    DefineAdvanceSheet(tab.Model(), xCount, yCount);
    tab.show();  // a hidden control leaves its repaints until it shows
    tab.RepaintBitmap();
    changes = 0;
  }
  CSheet& S() { return *tab.Model().Active(); }
  QPoint At(SheetEntry e) const { return tab.EntryRect(e).center(); }
  void Type(const char* keys) {
    for (const char* k = keys; *k; ++k) QTest::keyClick(&tab, *k);
  }
};

}  // namespace

class TTabTest : public QObject {
  Q_OBJECT

 private slots:
  void layoutFollowsTheTableGeometry() {
    Rig rig;
    const auto& g = rig.tab.Geometry();
    QCOMPARE(g.top, 36);  // bar top 5 + 31 with the button bar
    QCOMPARE(g.cellsLeft, 10 + 65 + 15);
    QCOMPARE(g.headerHeight, (934 - 36 - 15 - 27) / 11);
    QCOMPARE(rig.tab.EntryRect({0, 0}).topLeft(), QPoint(g.cellsLeft, g.cellsTop));
    QCOMPARE(rig.tab.EntryRect({-1, 2}).left(), 10);
    QCOMPARE(rig.tab.EntryRect({4, -1}).top(), 36);
    QVERIFY(!rig.tab.HorizontalBar().visible);
    QVERIFY(!rig.tab.VerticalBar().visible);
    // The 15 x 10 map fills the control: no room for a side graph.
    QVERIFY(rig.tab.SideGraphArea().isNull());

    Rig wide(16, 10);
    QVERIFY(wide.tab.HorizontalBar().visible);
    QCOMPARE(wide.tab.HorizontalBar().page, 15);
    QCOMPARE(wide.tab.HorizontalBar().total, 16);
    QVERIFY(!wide.tab.VerticalBar().visible);

    Rig small(3, 2);  // a small table leaves room below for the graph
    QVERIFY(!small.tab.SideGraphArea().isNull());
    QCOMPARE(small.tab.SideGraphArea().left(), 10);
  }

  void clickAndDragSelections() {
    Rig rig;
    Click(rig.tab, rig.At({2, 3}));
    QCOMPARE(rig.S().selection.count, 1);
    QVERIFY(IsSelected(rig.S(), {2, 3}));

    // Drag a rectangle of cells: 3 x 2.
    Hover(rig.tab, rig.At({1, 1}));
    Press(rig.tab, rig.At({1, 1}));
    DragTo(rig.tab, rig.At({3, 2}));
    QVERIFY(MarksOf(rig.S(), {3, 2}) & kMarkInRect);
    Release(rig.tab, rig.At({3, 2}));
    QCOMPARE(rig.S().selection.kind, int(kSelCells));
    QCOMPARE(rig.S().selection.count, 6);
    QCOMPARE(rig.S().selection.box, (SheetRect{1, 1, 3, 2}));
    QCOMPARE(rig.S().selection.rect, 1);

    // Ctrl adds a second block; Shift extends from the anchor.
    Click(rig.tab, rig.At({6, 6}), Qt::ControlModifier);
    QCOMPARE(rig.S().selection.count, 7);
    Click(rig.tab, rig.At({7, 7}), Qt::ShiftModifier);
    QCOMPARE(rig.S().selection.count, 6 + 4);

    // A column strip takes the whole column, X headers select X points.
    const QRect strip(rig.tab.EntryRect({5, -1}).left(), rig.tab.Geometry().top + rig.tab.Geometry().headerHeight, 10,
                      rig.tab.Geometry().gap);
    Click(rig.tab, strip.center());
    QCOMPARE(rig.S().selection.box, (SheetRect{5, 0, 5, 9}));
    Hover(rig.tab, rig.At({2, -1}));
    Press(rig.tab, rig.At({2, -1}));
    DragTo(rig.tab, rig.At({4, 5}));  // below the header: still X points
    Release(rig.tab, rig.At({4, 5}));
    QCOMPARE(rig.S().selection.kind, int(kSelXPoints));
    QCOMPARE(rig.S().selection.count, 3);

    // The all-cells box: everything, then nothing.
    const auto& g = rig.tab.Geometry();
    const QPoint allCells(g.cellsLeft - 4, g.cellsTop - 4);
    Click(rig.tab, allCells);
    QCOMPARE(rig.S().selection.count, 150);
    Click(rig.tab, allCells);
    QCOMPARE(rig.S().selection.count, 0);

    // Corner triangles: upper right X points, lower left Y points.
    Click(rig.tab, QPoint(10 + 60, g.top + 3));
    QCOMPARE(rig.S().selection.kind, int(kSelXPoints));
    QCOMPARE(rig.S().selection.count, 15);
    Click(rig.tab, QPoint(10 + 3, g.top + g.headerHeight - 3));
    QCOMPARE(rig.S().selection.kind, int(kSelYPoints));
    QCOMPARE(rig.S().selection.count, 10);
  }

  void typingAValueAndEnter() {
    Rig rig;
    Click(rig.tab, rig.At({4, 2}));
    QTest::keyClick(&rig.tab, Qt::Key_1);
    QVERIFY(rig.tab.Editing());
    QCOMPARE(rig.tab.EditorText(), QString("1"));
    rig.Type("2");
    QTest::keyClick(&rig.tab, Qt::Key_Return);
    QVERIFY(!rig.tab.Editing());
    QCOMPARE(rig.S().Cell(4, 2), 12);
    QCOMPARE(rig.changes, 1);

    // Escape leaves the old value; a 16th character is ignored.
    Click(rig.tab, rig.At({5, 2}));
    const int before = rig.S().Cell(5, 2);
    rig.Type("4");
    QTest::keyClick(&rig.tab, Qt::Key_Escape);
    QCOMPARE(rig.S().Cell(5, 2), before);
    rig.Type("1234567890123456");
    QCOMPARE(rig.tab.EditorText(), QString("123456789012345"));
    // Editing keys: caret moves, Backspace and Delete, letters ignored.
    QTest::keyClick(&rig.tab, Qt::Key_Home);
    QTest::keyClick(&rig.tab, Qt::Key_Delete);
    QTest::keyClick(&rig.tab, Qt::Key_End);
    QTest::keyClick(&rig.tab, Qt::Key_Backspace);
    QTest::keyClick(&rig.tab, Qt::Key_A);
    QCOMPARE(rig.tab.EditorText(), QString("2345678901234"));
    QTest::keyClick(&rig.tab, Qt::Key_Home);
    QTest::keyClick(&rig.tab, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(&rig.tab, Qt::Key_Right, Qt::ShiftModifier);
    rig.Type("5");
    QCOMPARE(rig.tab.EditorText(), QString("545678901234"));
    QTest::keyClick(&rig.tab, Qt::Key_Escape);

    // Text that is not a number is dropped on commit.
    Click(rig.tab, rig.At({6, 2}));
    const int old = rig.S().Cell(6, 2);
    rig.Type("-");  // "-" steps down while no editor is open
    QCOMPARE(rig.S().Cell(6, 2), old - 1);
    QTest::keyClick(&rig.tab, Qt::Key_Backspace);
    rig.Type(".");
    QTest::keyClick(&rig.tab, Qt::Key_Return);
    QCOMPARE(rig.S().Cell(6, 2), old - 1);

    // Axis points that may not be edited do not open the editor.
    Click(rig.tab, rig.At({-1, 3}));
    rig.Type("7");
    QVERIFY(!rig.tab.Editing());

    // Double click edits with the whole text selected, without grouping (the
    // locale's separator may be a no-break space); a click elsewhere commits.
    const QPoint p = rig.At({1, -1});
    Hover(rig.tab, p + QPoint(-20, 0));
    Send(rig.tab, QEvent::MouseButtonDblClick, p + QPoint(-20, 0), Qt::LeftButton, Qt::LeftButton);
    QVERIFY(rig.tab.Editing());
    QCOMPARE(rig.tab.EditorText(), QString("1500"));
    rig.Type("1600");
    QCOMPARE(rig.tab.EditorText(), QString("1600"));
    Click(rig.tab, rig.At({8, 8}));
    QVERIFY(!rig.tab.Editing());
    QCOMPARE(rig.S().xAxis.values[1], 16);  // 1 600 rpm in hundreds
  }

  void arrowKeysMoveTheCursor() {
    Rig rig;
    Click(rig.tab, rig.At({3, 3}));
    const struct {
      Qt::Key key;
      Qt::KeyboardModifiers mods;
      SheetEntry corner;
      int count;
    } steps[] = {
        {Qt::Key_Right, Qt::NoModifier, {4, 3}, 1},   {Qt::Key_Down, Qt::NoModifier, {4, 4}, 1},
        {Qt::Key_Down, Qt::ShiftModifier, {4, 5}, 2}, {Qt::Key_Right, Qt::ShiftModifier, {5, 5}, 4},
        {Qt::Key_Left, Qt::NoModifier, {4, 5}, 1},    {Qt::Key_Home, Qt::NoModifier, {0, 5}, 1},
        {Qt::Key_Left, Qt::NoModifier, {-1, 5}, 1},  // on to the Y header
        {Qt::Key_Left, Qt::NoModifier, {14, 5}, 1},  // and round from the last column
        {Qt::Key_PageUp, Qt::NoModifier, {14, 0}, 1}, {Qt::Key_Up, Qt::NoModifier, {14, -1}, 1},
        {Qt::Key_End, Qt::NoModifier, {14, -1}, 1},   {Qt::Key_PageDown, Qt::NoModifier, {14, 9}, 1},
    };
    for (const auto& s : steps) {
      QTest::keyClick(&rig.tab, s.key, s.mods);
      QCOMPARE(rig.S().selection.corner, s.corner);
      QCOMPARE(rig.S().selection.count, s.count);
    }
    // Enter on the last row of column 4 goes to the X header of column 5, then row 0.
    Click(rig.tab, rig.At({4, 9}));
    QTest::keyClick(&rig.tab, Qt::Key_Return);
    QCOMPARE(rig.S().selection.corner, (SheetEntry{5, -1}));
    QTest::keyClick(&rig.tab, Qt::Key_Return);
    QCOMPARE(rig.S().selection.corner, (SheetEntry{5, 0}));
    QTest::keyClick(&rig.tab, Qt::Key_Escape);
    QCOMPARE(rig.S().selection.count, 0);
    // Nothing moves without a selection, and the key is left to others.
    QVERIFY(!rig.tab.KeyDown(Qt::Key_Down, Qt::NoModifier, QString()));
  }

  void spinnerSteps() {
    Rig rig;
    CSheet& s = rig.S();
    s.dataAxis.max = 1000;
    s.flags |= kSheetFastRepeatData;
    const QRect cell = rig.tab.EntryRect({2, 2});
    Hover(rig.tab, cell.center());
    QVERIFY(rig.tab.SpinnerVisible());
    QCOMPARE(rig.tab.SpinnerEntry(), (SheetEntry{2, 2}));
    const QRect up = rig.tab.SpinnerRect(1), down = rig.tab.SpinnerRect(2);
    QCOMPARE(up.left(), cell.right() + 1 - 10);
    QCOMPARE(up.width(), 15);
    QVERIFY(down.top() > up.bottom());

    // A click steps once, on release.
    const int v0 = s.Cell(2, 2);
    Hover(rig.tab, up.center());
    Press(rig.tab, up.center());
    QCOMPARE(s.Cell(2, 2), v0);
    Release(rig.tab, up.center());
    QCOMPARE(s.Cell(2, 2), v0 + 1);
    Hover(rig.tab, down.center());
    Press(rig.tab, down.center());
    Release(rig.tab, down.center());
    QCOMPARE(s.Cell(2, 2), v0);
    for (int t = 0; t < 5; ++t) rig.tab.SheetTick();
    QCOMPARE(rig.changes, 1);  // both clicks on one cell: one commit, 5 ticks later

    // Held: single steps from tick 6, steps of 10 every second tick from 26.
    Hover(rig.tab, up.center());
    Press(rig.tab, up.center());
    int expected = v0;
    for (int t = 1; t <= 40; ++t) {
      rig.tab.SheetTick();
      if (t >= 6 && t < 26) expected += 1;
      if (t >= 26 && (t - 26) % 2 == 0) expected += 10;
      QCOMPARE(s.Cell(2, 2), expected);
    }
    Release(rig.tab, up.center());
    QCOMPARE(s.Cell(2, 2), expected);  // no extra step after a repeat
    for (int t = 0; t < 6; ++t) rig.tab.SheetTick();
    QCOMPARE(rig.changes, 2);  // the run reached the owner once, after it ended

    // Moving off a pressed half cancels it without a step.
    Press(rig.tab, up.center());
    DragTo(rig.tab, up.center() + QPoint(0, -40));
    Release(rig.tab, up.center() + QPoint(0, -40));
    QCOMPARE(s.Cell(2, 2), expected);

    // The wheel steps while the spinner shows.
    Hover(rig.tab, rig.At({3, 3}));
    const int w0 = s.Cell(3, 3);
    Wheel(rig.tab, rig.At({3, 3}), -2);
    QCOMPARE(s.Cell(3, 3), w0 - 2);

    // Not on entries that may not be changed (the throttle axis).
    Hover(rig.tab, rig.At({-1, 4}));
    QVERIFY(!rig.tab.SpinnerVisible());
  }

  void fillDragExtrapolates() {
    Rig rig;
    CSheet& s = rig.S();
    s.Cell(0, 0) = 3;
    s.Cell(1, 0) = 5;
    SelectRect(s, {0, 0, 1, 0});
    rig.tab.RepaintBitmap();
    const QRect box = rig.tab.EntryRect({0, 0}).united(rig.tab.EntryRect({1, 0}));
    const QPoint handle(box.right() + 1, box.bottom() + 1);
    Hover(rig.tab, handle);
    QCOMPARE(rig.tab.cursor().shape(), Qt::CrossCursor);
    Press(rig.tab, handle);
    const int cw = static_cast<int>(rig.tab.Geometry().columnWidth);
    DragTo(rig.tab, handle + QPoint(cw + 5, 0));
    DragTo(rig.tab, handle + QPoint(2 * cw + 5, 0));
    QCOMPARE(rig.tab.Model().FillDrag().target, (SheetRect{0, 0, 3, 0}));
    Release(rig.tab, handle + QPoint(2 * cw + 5, 0));
    QCOMPARE(s.Cell(2, 0), 7);
    QCOMPARE(s.Cell(3, 0), 9);
    QCOMPARE(s.selection.box, (SheetRect{0, 0, 3, 0}));
    QCOMPARE(rig.changes, 1);

    // The border moves a copy of a 2 x 2 block one column right.
    SelectRect(s, {5, 5, 6, 6});
    s.Cell(5, 5) = 1, s.Cell(6, 5) = 2, s.Cell(5, 6) = 3, s.Cell(6, 6) = 4;
    rig.tab.RepaintBitmap();
    const QRect block = rig.tab.EntryRect({5, 5}).united(rig.tab.EntryRect({6, 6}));
    const QPoint edge(block.left(), block.center().y());
    Hover(rig.tab, edge);
    QCOMPARE(rig.tab.cursor().shape(), Qt::SizeAllCursor);
    Press(rig.tab, edge);
    DragTo(rig.tab, edge + QPoint(cw + 3, 0));
    Release(rig.tab, edge + QPoint(cw + 3, 0));
    QCOMPARE(s.Cell(6, 5), 1);
    QCOMPARE(s.Cell(7, 5), 2);
    QCOMPARE(s.Cell(7, 6), 4);
    QCOMPARE(s.Cell(5, 5), 1);  // the source stays
    QCOMPARE(s.selection.box, (SheetRect{6, 5, 7, 6}));
  }

  void interpolationHandle() {
    Rig rig;
    CSheet& s = rig.S();
    s.Cell(0, 0) = 10, s.Cell(1, 0) = 50, s.Cell(2, 0) = 30;
    SelectRect(s, {0, 0, 2, 0});
    rig.tab.RepaintBitmap();
    const QRect first = rig.tab.EntryRect({0, 0});
    Hover(rig.tab, first.topLeft() + QPoint(3, 3));
    QVERIFY(!rig.tab.toolTip().isEmpty());
    Press(rig.tab, first.topLeft() + QPoint(3, 3));
    Release(rig.tab, first.topLeft() + QPoint(3, 3));
    QCOMPARE(s.Cell(1, 0), 20);
  }

  void scrollingATwentyByTwelveSheet() {
    Rig rig(20, 12);
    CSheet& s = rig.S();
    const auto& h = rig.tab.HorizontalBar();
    const auto& v = rig.tab.VerticalBar();
    QVERIFY(h.visible);
    QVERIFY(v.visible);
    QCOMPARE(h.page, 15);
    QCOMPARE(v.page, 10);
    QCOMPARE(h.rect.top(), rig.tab.EntryRect({0, 9}).bottom() + 2);
    QCOMPARE(v.rect.left(), rig.tab.EntryRect({14, 0}).right() + 2);

    // The wheel away from the entries scrolls rows while the vertical bar shows.
    Wheel(rig.tab, QPoint(3, 3), -1);
    QCOMPARE(s.yAxis.firstVisible, 1);
    Wheel(rig.tab, QPoint(3, 3), -5);
    QCOMPARE(s.yAxis.firstVisible, 2);
    Wheel(rig.tab, QPoint(3, 3), 3);
    QCOMPARE(s.yAxis.firstVisible, 0);

    // Arrows step one, the track a page less one, the thumb drags.
    const QPoint second(h.rect.right() - 5, h.rect.center().y());
    Click(rig.tab, second);
    QCOMPARE(s.xAxis.firstVisible, 1);
    Click(rig.tab, QPoint(h.rect.left() + 5, h.rect.center().y()));
    QCOMPARE(s.xAxis.firstVisible, 0);
    Click(rig.tab, QPoint(h.rect.right() - 20, h.rect.center().y()));
    QCOMPARE(s.xAxis.firstVisible, 5);
    // Held on the first arrow: repeats from the third tick.
    const QPoint first(h.rect.left() + 5, h.rect.center().y());
    Hover(rig.tab, first);
    Press(rig.tab, first);
    QCOMPARE(s.xAxis.firstVisible, 4);
    rig.tab.SheetTick();
    QCOMPARE(s.xAxis.firstVisible, 4);
    rig.tab.SheetTick();
    rig.tab.SheetTick();
    QCOMPARE(s.xAxis.firstVisible, 3);
    Release(rig.tab, first);
    rig.tab.SheetTick();
    QCOMPARE(s.xAxis.firstVisible, 3);

    // Keys scroll the cursor into view; the cells shown follow.
    Click(rig.tab, rig.At({4, 4}));
    QTest::keyClick(&rig.tab, Qt::Key_End);
    QCOMPARE(s.xAxis.firstVisible, 5);
    QTest::keyClick(&rig.tab, Qt::Key_PageDown);
    QCOMPARE(s.yAxis.firstVisible, 2);
    QVERIFY(rig.tab.EntryVisible({19, 11}));
    QVERIFY(!rig.tab.EntryVisible({0, 0}));
    QCOMPARE(rig.tab.HitTest(rig.tab.EntryRect({19, 11}).center()).entry, (SheetEntry{19, 11}));

    // A drag past the right edge scrolls on every tick at 90 pixels out.
    Click(rig.tab, rig.At({7, 2}));
    QTest::keyClick(&rig.tab, Qt::Key_Home);
    QCOMPARE(s.xAxis.firstVisible, 0);
    Press(rig.tab, rig.At({0, 2}));
    const int right = rig.tab.EntryRect({14, 2}).right();
    DragTo(rig.tab, QPoint(right + 95, rig.At({0, 2}).y()));
    rig.tab.SheetTick();
    rig.tab.SheetTick();
    QCOMPARE(s.xAxis.firstVisible, 2);
    Release(rig.tab, QPoint(right + 95, rig.At({0, 2}).y()));
    QCOMPARE(s.selection.box.x1, 16);
  }

  void ticksRepaintOnlyOnRequest() {
    Rig rig;
    const int before = rig.tab.RepaintCount();
    for (int i = 0; i < 10; ++i) rig.tab.SheetTick();
    QCOMPARE(rig.tab.RepaintCount(), before);
    rig.tab.Model().RequestRedraw(kRedraw);
    rig.tab.SheetTick();
    QCOMPARE(rig.tab.RepaintCount(), before + 1);
  }

  void stepsAndSheetsFromKeys() {
    Rig rig;
    CTabModel& m = rig.tab.Model();
    const int second = m.DefineSheet("Inj. 1", "RPM", "TPS", "Injection", 15, 10, 0);
    m.DefineAxis(second, kPartAll, "INJ", nullptr, 0, 1000, 1, 1, {}, 1, 0, 1, 15, 0, 0, 0, -1, 0, 0xFFFFFF, nullptr);
    Click(rig.tab, rig.At({1, 1}));
    const int v = rig.S().Cell(1, 1);
    rig.Type("+");
    QCOMPARE(rig.S().Cell(1, 1), v + 1);
    QVERIFY(rig.tab.KeyDown(Qt::Key_Tab, Qt::NoModifier, "\t"));
    QCOMPARE(m.ActiveIndex(), second);
    QVERIFY(rig.tab.KeyDown(Qt::Key_Tab, Qt::ControlModifier, "\t"));
    QCOMPARE(m.ActiveIndex(), 0);
    // The selection belongs to the sheet and survives the switch.
    QVERIFY(IsSelected(rig.S(), {1, 1}));
  }
};

QTEST_MAIN(TTabTest)
#include "ttab_test.moc"
