// The 2D graph of a TTab: paints the display list that CGraph2D builds into
// the control's bitmap and feeds it the mouse in pixels.

#include <QCursor>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QVarLengthArray>
#include <QWheelEvent>

#include "sheet/Graph2D.h"
#include "sheet/Selection.h"
#include "sheet/view/GraphView.h"
#include "sheet/view/TTab.h"

namespace {

QColor C(TColor c) { return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }

GraphRect ToGraph(const QRect& r) { return {r.left(), r.top(), r.width(), r.height()}; }
GraphPoint ToGraph(const QPoint& p) { return {p.x(), p.y()}; }
QRect ToQt(const GraphRect& r) { return QRect(r.left, r.top, r.width, r.height); }

// The small picture that leads back from a lone graph to the table.
const QPixmap& TablePicture() {
  static const QPixmap picture = [] {
    QPixmap pm(20, 16);
    pm.fill(QColor(0xD4, 0xD0, 0xC8));
    QPainter p(&pm);
    p.fillRect(3, 3, 14, 10, Qt::white);
    p.setPen(QColor(0x80, 0x80, 0x80));
    p.drawRect(0, 0, 19, 15);
    p.drawRect(3, 3, 13, 9);
    for (int x : {7, 11}) p.drawLine(x, 3, x, 12);
    for (int y : {6, 9}) p.drawLine(3, y, 16, y);
    return pm;
  }();
  return picture;
}

class CGraph2DView : public CGraphView {
 public:
  explicit CGraph2DView(TTab& tab) : CGraphView(tab), m_graph(tab.Model()) {}

  void Paint(QPainter& p, const QRect& area) override {
    m_graph.Layout(ToGraph(area));
    const Qt::KeyboardModifiers tabMods = m_tab.Modifiers();
    if (tabMods != m_tabMods) m_mods = m_tabMods = tabMods;  // Shift or Ctrl changed since the last event

    QFont font = m_tab.font();
    const QFontMetrics fm(font);
    GraphTextMetrics metrics;
    metrics.width = [&fm](std::string_view t) {
      return fm.horizontalAdvance(QString::fromUtf8(t.data(), qsizetype(t.size())));
    };
    metrics.height = fm.height();
    metrics.pointSize = font.pointSizeF();
    CGraph2D::PaintOptions options;
    // The control's face is painted already; filling it again would cut into
    // the table's column count, which reaches a few pixels into a side graph.
    options.fillArea = false;
    options.shift = m_mods & Qt::ShiftModifier;
    options.ctrl = m_mods & Qt::ControlModifier;
    const std::uint32_t o = m_tab.Model().Options();
    const bool bar = (o & kOptionButtonBar) && !(o & kOptionNoButtonBar);
    if (m_tab.Model().ShownView() == kView2D && !bar) {
      const auto& g = m_tab.Geometry();
      options.tablePicture =
          GraphPoint{table::kLeftMargin - 10, g.cellsTop + static_cast<int>(g.visibleRows * g.rowHeight) - 2};
    }
    m_graph.Paint(m_list, metrics, options);

    p.setClipRect(area);
    p.setRenderHint(QPainter::Antialiasing, false);
    const QColor face = m_tab.palette().color(QPalette::Button);
    auto colour = [&](TColor c) { return c == clBtnFace ? face : C(c); };
    QVarLengthArray<QPoint, 128> line;
    for (const GraphItem& item : m_list.items) {
      const QRect r = ToQt(item.rect);
      switch (item.kind) {
        case GraphItemKind::kFill:
          p.fillRect(r, colour(item.fill));
          break;
        case GraphItemKind::kFrame:
        case GraphItemKind::kCircle:
          p.setPen(QPen(colour(item.pen), item.width));
          p.setBrush(Qt::NoBrush);
          if (item.kind == GraphItemKind::kFrame)
            p.drawRect(r);
          else
            p.drawEllipse(r);
          break;
        case GraphItemKind::kLine:
        case GraphItemKind::kPolyline: {
          p.setPen(QPen(colour(item.pen), item.width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
          line.clear();
          for (const GraphPoint& q : m_list.PointsOf(item)) line.append(QPoint(q.x, q.y));
          p.drawPolyline(line.constData(), int(line.size()));
          break;
        }
        case GraphItemKind::kMarker:
          p.setPen(QPen(colour(item.pen), item.width));
          if (item.fill == kGraphNoFill)
            p.setBrush(Qt::NoBrush);
          else
            p.setBrush(colour(item.fill));
          p.drawRoundedRect(r, 2, 2);
          break;
        case GraphItemKind::kText: {
          if (item.pointSize > 0 && font.pointSizeF() != item.pointSize) font.setPointSizeF(item.pointSize);
          p.setFont(font);
          p.setPen(colour(item.pen));
          const int align = item.align == kAlignRight    ? Qt::AlignRight
                            : item.align == kAlignCentre ? Qt::AlignHCenter
                                                         : Qt::AlignLeft;
          p.drawText(r, align | Qt::AlignVCenter | Qt::TextDontClip, QString::fromStdString(item.text));
          break;
        }
        case GraphItemKind::kPicture:
          if (item.text == "BT_T") p.drawPixmap(r.topLeft(), TablePicture());
          break;
      }
    }
  }

  bool MousePress(QMouseEvent& e, const QRect& area) override {
    if (m_graph.Captured()) return true;
    m_mods = e.modifiers();
    m_graph.Layout(ToGraph(area));
    const GraphPoint pt = ToGraph(e.position().toPoint());
    if (e.button() == Qt::LeftButton)
      return m_graph.Press(pt, m_mods & Qt::ShiftModifier, m_mods & Qt::ControlModifier);
    // The popup menu that follows a right click comes with the control's frame.
    if (e.button() == Qt::RightButton) return m_graph.RightPress(pt);
    return false;
  }

  bool MouseMove(QMouseEvent& e, const QRect& area) override {
    m_mods = e.modifiers();
    const GraphPoint pt = ToGraph(e.position().toPoint());
    if (!m_graph.Captured()) {
      // A table selection dragged across the graph stays the table's.
      if (e.buttons() != Qt::NoButton) return false;
      m_graph.Layout(ToGraph(area));
      m_graph.Move(pt, false, false);
      return true;
    }
    // The release went elsewhere (a dialog took the mouse): end here.
    if (!(e.buttons() & Qt::LeftButton)) {
      m_graph.Release(pt);
      return true;
    }
    const GraphDragStep step = m_graph.Move(pt, m_mods & Qt::ShiftModifier, m_mods & Qt::ControlModifier);
    // Platforms that do not let a program move the pointer just leave it.
    if (step.pointer) QCursor::setPos(m_tab.mapToGlobal(QPoint(step.pointer->x, step.pointer->y)));
    return true;
  }

  bool MouseRelease(QMouseEvent& e, const QRect&) override {
    if (e.button() != Qt::LeftButton) return m_graph.Captured();
    return m_graph.Release(ToGraph(e.position().toPoint()));
  }

  bool Wheel(QWheelEvent& e, const QRect& area) override {
    if (e.buttons() != Qt::NoButton || m_graph.Captured()) return true;
    const int notches = e.angleDelta().y() / 120;
    if (notches == 0) return true;
    m_graph.Layout(ToGraph(area));
    m_graph.Wheel(ToGraph(e.position().toPoint()), notches);
    return true;
  }

  bool Key(int key, Qt::KeyboardModifiers, const QString&) override {
    CSheet* s = m_tab.Model().Active();
    if (key != Qt::Key_Escape || !s || !HasSelection(*s)) return false;
    ClearSelection(*s);
    m_tab.Model().RequestRedraw(kRedraw);
    return true;
  }

  bool Captured() const override { return m_graph.Captured(); }
  QString Hint() const override { return QString::fromStdString(m_graph.Hint()); }

 private:
  CGraph2D m_graph;
  GraphDisplayList m_list;
  Qt::KeyboardModifiers m_mods;
  Qt::KeyboardModifiers m_tabMods;
};

}  // namespace

std::unique_ptr<CGraphView> MakeGraph2DView(TTab& tab) { return std::make_unique<CGraph2DView>(tab); }
