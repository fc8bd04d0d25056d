// ventrix-sheetdemo [options] [picture.png [columns rows]]
// Shows a sheet control with a 15 x 10 advance map at the size of the
// advance page. With a file name it grabs the control into that picture and
// exits (works on the offscreen platform); columns and rows change the map's size.
// Options:
//   --view table|2d|3d   the view to show (default table)
//   --only-x             use only the engine-speed axis (one curve)
//   --mouse X Y          the pointer rests there (hover marks, selected curve)
//   --point C J          the pointer rests on point J of curve C of the 2D graph
//   --lang N             0 English, 1 German, 2 French, 3 Czech
//   --preset top|iso1|iso2  the 3D view's angles (default iso2)
//   --labels N           graph value labels 0..3 (none, active, interesting, all)
//   --colours N          graph colours 0..5 (wire, one colour, height colours of grain 0..3)

#include <QApplication>
#include <QMouseEvent>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#include "sheet/Graph2D.h"
#include "sheet/Graph3D.h"
#include "sheet/Selection.h"
#include "sheet/view/TTab.h"
#include "base/Lang.h"
#include "support/AdvanceSheet.h"

namespace {
// The advance page's client area at 96 dpi, less the row of page controls.
constexpr int kPageWidth = 1338;
constexpr int kPageHeight = 934;
// The advance map's data graduations, as the map catalogue gives them.
constexpr GraduationRecord kAdvanceGraduations[] = {{10, 5, 1, 1, 2}, {30, 5, 5, 5, 5}};

int ViewOf(const char* name) {
  if (std::strcmp(name, "2d") == 0) return kView2D;
  if (std::strcmp(name, "3d") == 0) return kView3D;
  return kViewTable;
}

int PresetOf(const char* name) {
  if (std::strcmp(name, "top") == 0) return graph3d::kPresetTop;
  if (std::strcmp(name, "iso1") == 0) return graph3d::kPresetIso1;
  return graph3d::kPresetIso2;
}
}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  int view = kViewTable;
  bool onlyX = false;
  std::optional<QPoint> mouse;
  std::optional<QPoint> point;
  SheetViewState graphs;
  std::vector<const char*> rest;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--view") == 0 && i + 1 < argc) {
      view = ViewOf(argv[++i]);
    } else if (std::strcmp(argv[i], "--only-x") == 0) {
      onlyX = true;
    } else if (std::strcmp(argv[i], "--mouse") == 0 && i + 2 < argc) {
      mouse = QPoint(std::atoi(argv[i + 1]), std::atoi(argv[i + 2]));
      i += 2;
    } else if (std::strcmp(argv[i], "--point") == 0 && i + 2 < argc) {
      point = QPoint(std::atoi(argv[i + 1]), std::atoi(argv[i + 2]));
      i += 2;
    } else if (std::strcmp(argv[i], "--lang") == 0 && i + 1 < argc) {
      SetCurrentLanguage(std::atoi(argv[++i]));
    } else if (std::strcmp(argv[i], "--preset") == 0 && i + 1 < argc) {
      graphs.angles = graph3d::kPresetAngles[static_cast<std::size_t>(PresetOf(argv[++i]))];
    } else if (std::strcmp(argv[i], "--labels") == 0 && i + 1 < argc) {
      graphs.labelMode = std::clamp(std::atoi(argv[++i]), 0, kLabelModeMax);
    } else if (std::strcmp(argv[i], "--colours") == 0 && i + 1 < argc) {
      graphs.colourMode = std::clamp(std::atoi(argv[++i]), 0, kColourModeMax);
    } else {
      rest.push_back(argv[i]);
    }
  }

  TTab tab(kOptionButtonBar | kOptionTable | kOptionGraph2D | kOptionGraph3D);
  tab.resize(kPageWidth, kPageHeight);
  CTabModel& model = tab.Model();
  const int columns = rest.size() > 2 ? std::atoi(rest[1]) : 15;
  const int rows = rest.size() > 2 ? std::atoi(rest[2]) : 10;
  const int s = DefineAdvanceSheet(model, columns, rows);
  // A selection to show the frame, the fill handle and the interpolation corners.
  CSheet& sheet = model.Sheet(s);
  sheet.dataAxis.graduations.assign(std::begin(kAdvanceGraduations), std::end(kAdvanceGraduations));
  SelectRect(sheet, {3, 2, 6, 4});
  sheet.liveX = 9;
  sheet.liveY = 6;
  sheet.liveKind = 1;
  if (onlyX) {
    sheet.yAxis.collapsed = 1;
    sheet.UpdateFixedIndices();
    sheet.liveY = sheet.yAxis.fixedIndex;
  }
  // Markers and a running engine, as a connected unit would give them.
  model.Markers() = {10, 100, 110};
  model.LiveInputs().status = 0;
  model.LiveInputs().engineSpeed = 6500;
  model.View().angles = graphs.angles;
  model.View().labelMode = graphs.labelMode;
  model.View().colourMode = graphs.colourMode;
  tab.ViewCommand(view);
  tab.RepaintBitmap();
  if (point) {
    // Where the graph draws that point: the same layout over the same area.
    CGraph2D probe(model);
    const QRect a = tab.GraphArea();
    const Graph2DLayout& L = probe.Layout({a.left(), a.top(), a.width(), a.height()});
    if (L.valid && point->x() >= 0 && point->x() < L.n && point->y() >= 0 && point->y() < L.M()) {
      const GraphPoint p = L.At(point->x(), point->y());
      mouse = QPoint(p.x, p.y);
    }
  }
  if (mouse) {
    QMouseEvent move(QEvent::MouseMove, QPointF(*mouse), QPointF(tab.mapToGlobal(*mouse)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&tab, &move);
    tab.RepaintBitmap();
  }

  if (!rest.empty()) {
    if (!tab.grab().save(QString::fromLocal8Bit(rest[0]))) {
      std::fprintf(stderr, "cannot write %s\n", rest[0]);
      return 1;
    }
    return 0;
  }
  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, &tab, &TTab::SheetTick);
  tick.start(55);
  tab.show();
  return app.exec();
}
