// ventrix-sheetdemo [picture.png [columns rows]]
// Shows a sheet control with a 15 x 10 advance map at the size of the
// advance page. With a file name it grabs the control into that picture and
// exits (works on the offscreen platform); columns and rows change the map's size.

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "sheet/Selection.h"
#include "sheet/view/TTab.h"
#include "support/AdvanceSheet.h"

namespace {
// The advance page's client area at 96 dpi, less the row of page controls.
constexpr int kPageWidth = 1338;
constexpr int kPageHeight = 934;
}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  TTab tab(kOptionButtonBar | kOptionTable | kOptionGraph2D | kOptionGraph3D);
  tab.resize(kPageWidth, kPageHeight);
  CTabModel& model = tab.Model();
  const int columns = argc > 3 ? std::atoi(argv[2]) : 15;
  const int rows = argc > 3 ? std::atoi(argv[3]) : 10;
  const int s = DefineAdvanceSheet(model, columns, rows);
  // A selection to show the frame, the fill handle and the interpolation corners.
  CSheet& sheet = model.Sheet(s);
  SelectRect(sheet, {3, 2, 6, 4});
  sheet.liveX = 9;
  sheet.liveY = 6;
  sheet.liveKind = 1;
  tab.RepaintBitmap();

  if (argc > 1) {
    if (!tab.grab().save(QString::fromLocal8Bit(argv[1]))) {
      std::fprintf(stderr, "cannot write %s\n", argv[1]);
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
