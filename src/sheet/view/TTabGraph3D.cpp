// Placeholder until the 3D graph lands: draws nothing and takes no input.
#include <QPainter>

#include "sheet/view/GraphView.h"

namespace {
class CGraph3DView : public CGraphView {
 public:
  using CGraphView::CGraphView;
  void Paint(QPainter&, const QRect&) override {}
  bool MousePress(QMouseEvent&, const QRect&) override { return false; }
  bool MouseMove(QMouseEvent&, const QRect&) override { return false; }
  bool MouseRelease(QMouseEvent&, const QRect&) override { return false; }
  bool Wheel(QWheelEvent&, const QRect&) override { return false; }
  bool Key(int, Qt::KeyboardModifiers, const QString&) override { return false; }
  bool Captured() const override { return false; }
  QString Hint() const override { return {}; }
};
}  // namespace

std::unique_ptr<CGraphView> MakeGraph3DView(TTab& tab) { return std::make_unique<CGraph3DView>(tab); }
