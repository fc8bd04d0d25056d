// The sheet control's 2D graph: a full repaint at the advance page's size.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QMouseEvent>

#include "sheet/Selection.h"
#include "sheet/view/TTab.h"
#include "support/AdvanceSheet.h"

namespace {

// The map's 10 rows as stacked curves with the selection, the markers, the
// operating point, the engine-speed line and the pointer over the plot.
void BM_TTab2DRepaint(benchmark::State& state) {
  TTab tab(kOptionButtonBar | kOptionTable | kOptionGraph2D | kOptionGraph3D);
  tab.resize(1338, 934);
  CTabModel& m = tab.Model();
  DefineAdvanceSheet(m);
  CSheet& s = *m.Active();
  SelectRect(s, {3, 2, 6, 4});
  s.liveX = 9;
  s.liveY = 6;
  s.liveKind = 1;
  m.Markers() = {10, 100, 110};
  m.LiveInputs().status = 0;
  m.LiveInputs().engineSpeed = 6500;
  tab.ViewCommand(kView2D);
  const QPoint hover(tab.GraphArea().center());
  QMouseEvent move(QEvent::MouseMove, QPointF(hover), QPointF(hover), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(&tab, &move);
  for (auto _ : state) {
    tab.RepaintBitmap();
    benchmark::DoNotOptimize(tab.Bitmap().constBits());
  }
}
BENCHMARK(BM_TTab2DRepaint)->Unit(benchmark::kMillisecond);

}  // namespace
