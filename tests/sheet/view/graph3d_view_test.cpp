// The sheet control's 3D graph driven by the mouse, the wheel and Space.

#include <QtTest>

#include "base/Lang.h"
#include "sheet/Graph3D.h"
#include "sheet/Selection.h"
#include "sheet/view/TTab.h"
#include "sheet/view/TriangleFill.h"
#include "support/AdvanceSheet.h"
#include "support/MouseInput.h"

namespace {

using namespace testsupport;

constexpr std::uint32_t kOptions = kOptionButtonBar | kOptionTable | kOptionGraph2D | kOptionGraph3D;

// The advance page's control showing its map in 3D, the engine at (9, 6).
struct Rig {
  TTab tab{kOptions};
  int changes = 0;
  Rig() {
    tab.resize(1338, 934);
    tab.Model().SetOnSheetChanged([this](CTabModel&) { ++changes; });
    DefineAdvanceSheet(tab.Model());
    CSheet& s = S();
    s.liveX = 9;
    s.liveY = 6;
    s.liveKind = 1;
    tab.ViewCommand(kView3D);
    tab.show();  // a hidden control leaves its repaints until it shows
    tab.RepaintBitmap();
    changes = 0;
  }
  CSheet& S() { return *tab.Model().Active(); }
  SheetViewState& View() { return tab.Model().View(); }
  QRect Area() const { return tab.GraphArea(); }
  // Right of the strip, in the plot.
  QPoint Plot() const { return Area().topLeft() + QPoint(600, 400); }
  QPoint Strip() const { return Area().topLeft() + QPoint(60, 400); }
};

}  // namespace

class Graph3DViewTest : public QObject {
  Q_OBJECT

 private slots:
  void rotationDragTurnsByTheMouse() {
    Rig rig;
    QCOMPARE(rig.tab.ShownGraph() != nullptr, true);
    QCOMPARE(rig.Area(), QRect(QPoint(10, 36), QPoint(1338 - 28, 934 - 28)));
    QCOMPARE(rig.tab.Model().Buttons()[kCommandIso2View].state, 1);
    const int repaints = rig.tab.RepaintCount();
    const QPoint start = rig.Plot();
    Hover(rig.tab, start);
    QVERIFY(rig.tab.toolTip().startsWith("Rotate:"));
    Press(rig.tab, start);
    DragTo(rig.tab, start + QPoint(100, -35));
    QCOMPARE(rig.View().angles, (GraphAngles{-2, 34, 0}));  // 100 px right: B + 10; 35 px up: A + 3
    QVERIFY(rig.tab.RepaintCount() > repaints);
    QCOMPARE(rig.tab.Model().Buttons()[kCommandIso2View].state, 0);  // no longer the preset
    QVERIFY(!(rig.View().hintBits & kHintRotate));
    // The drag holds the mouse outside the control too, and a release there ends it.
    DragTo(rig.tab, start + QPoint(-2000, 0));
    QCOMPARE(rig.View().angles.b, graph3d::WrapAngle(24 - 200));
    Release(rig.tab, QPoint(-50, -50));
    QVERIFY(!rig.tab.ShownGraph()->Captured());
    const GraphAngles after = rig.View().angles;
    Hover(rig.tab, start + QPoint(300, 0));
    QCOMPARE(rig.View().angles, after);
    QVERIFY(rig.tab.toolTip().isEmpty());  // the rotation hint has done its work
    // A release that never came (a dialog took it): the next plain move ends the drag.
    Press(rig.tab, start);
    Hover(rig.tab, start + QPoint(50, 0));
    QVERIFY(!rig.tab.ShownGraph()->Captured());
    QCOMPARE(rig.View().angles, after);
    QCOMPARE(rig.changes, 0);  // turning the view changes no value
  }

  void presetButtonsAndWheelModes() {
    Rig rig;
    const QRect top = [&] {
      const ButtonRect r = rig.tab.Model().Buttons()[kCommandTopView].rect;
      return QRect(QPoint(r.left, r.top), QPoint(r.right, r.bottom));
    }();
    QCOMPARE(top.topLeft(), rig.Area().topLeft() + QPoint(10, 25));
    Hover(rig.tab, top.center());
    QCOMPARE(rig.tab.toolTip(), QString("View graph form top"));
    Press(rig.tab, top.center());
    Release(rig.tab, top.center());
    QCOMPARE(rig.View().angles, (GraphAngles{-18, 0, 0}));
    QCOMPARE(rig.tab.Model().Buttons()[kCommandTopView].state, 1);
    Press(rig.tab, top.center());  // pressing it again keeps the view, and the button down
    Release(rig.tab, top.center());
    QCOMPARE(rig.tab.Model().Buttons()[kCommandTopView].state, 1);
    Wheel(rig.tab, rig.Plot(), 120);  // C, one step: the preset lets go
    QCOMPARE(rig.View().angles, (GraphAngles{-18, 0, 1}));
    QCOMPARE(rig.tab.Model().Buttons()[kCommandTopView].state, 0);
    // Other views have no presets.
    rig.tab.ViewCommand(kView2D);
    QCOMPARE(rig.tab.Model().Buttons().At(top.center().x(), top.center().y()), -1);
    rig.tab.ViewCommand(kView3D);
    QCOMPARE(rig.tab.Model().Buttons().At(top.center().x(), top.center().y()), int(kCommandTopView));

    for (int i = 0; i < 4; ++i) Wheel(rig.tab, rig.Plot(), 120, Qt::ControlModifier);
    QCOMPARE(rig.View().colourMode, 5);
    for (int i = 0; i < 9; ++i) Wheel(rig.tab, rig.Plot(), -120, Qt::ControlModifier);
    QCOMPARE(rig.View().colourMode, 0);
    Wheel(rig.tab, rig.Plot(), 3 * 120, Qt::ShiftModifier);  // a burst of three notches
    QCOMPARE(rig.View().labelMode, 3);
    Wheel(rig.tab, rig.Plot(), 120, Qt::ShiftModifier);
    QCOMPARE(rig.View().labelMode, 3);
    // Fine wheels add up to a notch.
    Wheel(rig.tab, rig.Plot(), -60);
    QCOMPARE(rig.View().angles.c, 1);
    Wheel(rig.tab, rig.Plot(), -60);
    QCOMPARE(rig.View().angles.c, 0);

    // Space cycles the value labels while no table shows.
    QTest::keyClick(&rig.tab, Qt::Key_Space);
    QCOMPARE(rig.View().labelMode, 0);
    QTest::keyClick(&rig.tab, Qt::Key_Space);
    QCOMPARE(rig.View().labelMode, 1);
  }

  void wheelOverTheStripStepsTheLiveCell() {
    Rig rig;
    // Selected cells do not take the step: the strip is for the operating point.
    SelectRect(rig.S(), {1, 1, 2, 2});
    const int before = rig.S().Cell(9, 6), selected = rig.S().Cell(1, 1);
    Hover(rig.tab, rig.Strip());
    QCOMPARE(rig.tab.toolTip(), QString("Set actual value - mouse wheel"));
    Wheel(rig.tab, rig.Strip(), 120);
    Wheel(rig.tab, rig.Strip(), 2 * 120);
    Wheel(rig.tab, rig.Strip(), -120);
    QCOMPARE(rig.S().Cell(9, 6), before + 2);
    QCOMPARE(rig.S().Cell(1, 1), selected);
    QVERIFY(!(rig.View().hintBits & kHintSetValue));
    QVERIFY(rig.tab.toolTip().isEmpty());
    QCOMPARE(rig.View().angles, SheetViewState{}.angles);
    for (int t = 0; t < 6; ++t) rig.tab.SheetTick();
    QCOMPARE(rig.changes, 1);  // the burst reaches the owner once
    // No operating point: the strip's wheel changes nothing.
    rig.S().liveKind = 0;
    Wheel(rig.tab, rig.Strip(), 120);
    QCOMPARE(rig.S().Cell(9, 6), before + 2);
  }

  void collapsedAndTinyControlsDrawWithoutTrouble() {
    Rig rig;
    rig.S().yAxis.collapsed = 1;
    rig.S().UpdateFixedIndices();
    rig.View().labelMode = 3;
    rig.tab.Model().RequestRedraw(kRedraw | kRelayout);
    rig.tab.RepaintBitmap();
    rig.tab.resize(120, 80);  // no room for a plot
    rig.tab.RepaintBitmap();
    Wheel(rig.tab, QPoint(60, 50), 120);
    rig.tab.resize(1338, 934);
    rig.tab.RepaintBitmap();
    QVERIFY(!rig.tab.Bitmap().isNull());
  }

  // The surface's triangles go straight into the bitmap; the picture is the
  // one the painter draws: a smooth map and the roughest one (a checkerboard
  // of minimum and maximum, every triangle split to the finest grain) from
  // two sides, compared pixel by pixel. Where two triangles meet, the edge's
  // pixels may fall to the other one of the two; nothing else may differ.
  void directTrianglesDrawWhatThePainterDraws() {
    for (bool rough : {false, true})
      for (int command : {kCommandIso2View, kCommandIso1View}) {
        Rig rig;
        CSheet& s = rig.S();
        if (rough)
          for (int y = 0; y < s.yAxis.count; ++y)
            for (int x = 0; x < s.xAxis.count; ++x) s.Cell(x, y) = (x + y) % 2 ? s.dataAxis.max : s.dataAxis.min;
        rig.View().colourMode = 5;
        rig.View().angles = graph3d::kPresetAngles[static_cast<std::size_t>(command - kCommandTopView)];
        auto paint = [&](bool direct) {
          CImageTriangles::SetEnabled(direct);
          rig.tab.Model().RequestRedraw(kRedraw);
          rig.tab.RepaintBitmap();
          return rig.tab.Bitmap().copy();
        };
        const QImage painter = paint(false), direct = paint(true);
        CImageTriangles::SetEnabled(true);
        QCOMPARE(direct.size(), painter.size());
        qsizetype differing = 0, coloured = 0;
        for (int y = 0; y < painter.height(); ++y)
          for (int x = 0; x < painter.width(); ++x) {
            const QRgb a = painter.pixel(x, y), b = direct.pixel(x, y);
            if (a != b) ++differing;
            if (qRed(a) != qGreen(a) || qGreen(a) != qBlue(a)) ++coloured;
          }
        qInfo() << (rough ? "rough" : "smooth") << command << "differing" << differing << "of" << coloured;
        QVERIFY(coloured > 10000);
        QVERIFY2(differing * 500 < coloured, qPrintable(QString::number(differing)));
      }
  }

  // VENTRIX_SCREENSHOT_DIR set: the advance map in ISO2 and from the top, with
  // height colours, the interesting values and the operating point, in
  // English and Czech.
  void screenshots() {
    const QByteArray dir = qgetenv("VENTRIX_SCREENSHOT_DIR");
    if (dir.isEmpty()) QSKIP("VENTRIX_SCREENSHOT_DIR not set");
    for (int language : {kEnglish, kCzech}) {
      SetCurrentLanguage(language);
      Rig rig;
      SelectRect(rig.S(), {3, 2, 6, 4});
      rig.View().labelMode = kLabelsInteresting;
      for (auto [name, command] : {std::pair{"iso2", kCommandIso2View}, std::pair{"top", kCommandTopView}}) {
        rig.View().angles = graph3d::kPresetAngles[static_cast<std::size_t>(command - kCommandTopView)];
        rig.tab.Model().RequestRedraw(kRedraw);
        rig.tab.RepaintBitmap();
        QVERIFY(rig.tab.Bitmap().save(QString("%1/graph3d_%2_%3.png").arg(QString::fromUtf8(dir), name).arg(language)));
      }
    }
    SetCurrentLanguage(kEnglish);
  }
};

QTEST_MAIN(Graph3DViewTest)
#include "graph3d_view_test.moc"
