// The sheet control's 2D graph: drags through the mouse events of the
// control, and the side graph beside and below a small table.

#include <QApplication>
#include <QMouseEvent>
#include <QtTest>

#include "sheet/Graph2D.h"
#include "sheet/Selection.h"
#include "sheet/view/TTab.h"
#include "support/AdvanceSheet.h"

namespace {

constexpr std::uint32_t kOptions = kOptionButtonBar | kOptionTable | kOptionGraph2D | kOptionGraph3D;

void Send(QWidget& w, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons) {
  QMouseEvent e(type, QPointF(pos), QPointF(w.mapToGlobal(pos)), button, buttons, Qt::NoModifier);
  QApplication::sendEvent(&w, &e);
}
void Hover(QWidget& w, QPoint p) { Send(w, QEvent::MouseMove, p, Qt::NoButton, Qt::NoButton); }
void Press(QWidget& w, QPoint p) { Send(w, QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton); }
void DragTo(QWidget& w, QPoint p) { Send(w, QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton); }
void Release(QWidget& w, QPoint p) { Send(w, QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton); }

// A control at the advance page's size holding an advance map.
struct Rig {
  TTab tab{kOptions};
  int changes = 0;
  explicit Rig(int xCount = 15, int yCount = 10, int view = kView2D) {
    tab.resize(1338, 934);
    tab.Model().SetOnSheetChanged([this](CTabModel&) { ++changes; });
    DefineAdvanceSheet(tab.Model(), xCount, yCount);
    tab.Model().Markers() = {10, 100, 110};  // base advance, limiters 1 and 2
    tab.ViewCommand(view);
    tab.RepaintBitmap();
    changes = 0;
  }
  CSheet& S() { return *tab.Model().Active(); }
  // Where the graph draws a point: the same layout over the same area.
  QPoint At(int c, int j) {
    CGraph2D probe(tab.Model());
    const QRect a = tab.GraphArea();
    const GraphPoint p = probe.Layout({a.left(), a.top(), a.width(), a.height()}).At(c, j);
    return {p.x, p.y};
  }
  // Pixels of the plot's colours (white, or the stacked plot's 0xF0FBFF) inside r.
  int PlotPixels(const QRect& r) const {
    int n = 0;
    const QImage& img = tab.Bitmap();
    for (int y = r.top(); y <= r.bottom(); y += 2)
      for (int x = r.left(); x <= r.right(); x += 2) {
        const QRgb c = img.pixel(x, y) & 0xFFFFFF;
        if (c == 0xFFFFFF || c == 0xFFFBF0) ++n;
      }
    return n;
  }
};

}  // namespace

class Graph2DViewTest : public QObject {
  Q_OBJECT

 private slots:
  void dragChangesTheCellAndCommitsOnceOnRelease() {
    Rig rig;
    QVERIFY(rig.PlotPixels(rig.tab.GraphArea()) > 10000);
    const int before = rig.S().Cell(4, 3);
    const QPoint p = rig.At(3, 4);  // curve 3 is Y row 3, point 4 is X column 4
    Hover(rig.tab, p);
    QVERIFY(rig.tab.toolTip().startsWith("TPS = 15 %; RPM = 3 000"));
    Press(rig.tab, p);
    DragTo(rig.tab, p - QPoint(0, 40));
    DragTo(rig.tab, p - QPoint(0, 80));
    QVERIFY(rig.S().Cell(4, 3) > before);
    QVERIFY(rig.tab.toolTip().startsWith("Dragging: "));
    QCOMPARE(rig.changes, 0);
    for (int i = 0; i < 10; ++i) rig.tab.SheetTick();  // the change gate waits for the release
    QCOMPARE(rig.changes, 0);
    Release(rig.tab, p - QPoint(0, 80));
    QCOMPARE(rig.changes, 1);
    QVERIFY(rig.S().Cell(4, 3) > before);
    for (int i = 0; i < 10; ++i) rig.tab.SheetTick();
    QCOMPARE(rig.changes, 1);
  }

  void releaseOutsideTheControlEndsTheDrag() {
    Rig rig;
    const QPoint p = rig.At(0, 6);
    Hover(rig.tab, p);
    Press(rig.tab, p);
    DragTo(rig.tab, QPoint(p.x(), -3000));  // far above the control: the data max
    QCOMPARE(rig.S().Cell(6, 0), 60);
    Release(rig.tab, QPoint(2000, -3000));
    QCOMPARE(rig.changes, 1);
    // Free again: a hover over the table's cells is the graph's hover, not a drag.
    Hover(rig.tab, rig.At(0, 2));
    QCOMPARE(rig.S().Cell(6, 0), 60);
    QCOMPARE(rig.changes, 1);
  }

  void sideGraphBesideAndBelowASmallTable() {
    struct Case {
      const char* name;
      int columns, rows;
      bool below;
    };
    for (const Case& c : {Case{"below", 3, 2, true}, Case{"beside", 3, 10, false}}) {
      Rig rig(c.columns, c.rows, kViewTable);
      const QRect area = rig.tab.SideGraphArea();
      QVERIFY2(!area.isNull(), c.name);
      QCOMPARE(rig.tab.GraphArea(), area);
      const QRect cells = rig.tab.EntryRect({c.columns - 1, c.rows - 1});
      if (c.below) {
        QCOMPARE(area.left(), 10);
        QVERIFY(area.top() > cells.bottom());
      } else {
        QCOMPARE(area.top(), rig.tab.Geometry().top);
        QVERIFY(area.left() > cells.right());
      }
      QVERIFY2(rig.PlotPixels(area) > 1000, c.name);
      QCOMPARE(rig.PlotPixels(cells), 0);  // the graph stays out of the table

      // A drag in the side graph edits the sheet the table shows.
      const int before = rig.S().Cell(1, 0);
      const QPoint p = rig.At(0, 1);
      QVERIFY(area.contains(p));
      Hover(rig.tab, p);
      Press(rig.tab, p);
      DragTo(rig.tab, p + QPoint(0, 100));
      Release(rig.tab, p + QPoint(0, 100));
      QVERIFY2(rig.S().Cell(1, 0) < before, c.name);
      QCOMPARE(rig.changes, 1);
      // The table still takes its own clicks.
      const QPoint cell = rig.tab.EntryRect({0, 0}).center();
      Hover(rig.tab, cell);
      Press(rig.tab, cell);
      Release(rig.tab, cell);
      QVERIFY(IsSelected(rig.S(), {0, 0}));
    }
  }
};

QTEST_MAIN(Graph2DViewTest)
#include "graph2d_view_test.moc"
