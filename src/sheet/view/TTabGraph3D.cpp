// The 3D graph of a TTab: paints the display list of graph3d into the
// control's bitmap and turns the mouse, wheel and Space into angle, mode and
// live-cell changes.
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

#include "base/view/Colour.h"
#include "sheet/Graph2D.h"
#include "sheet/Graph3D.h"
#include "sheet/SheetButtons.h"
#include "sheet/SheetText.h"
#include "sheet/view/Bevel.h"
#include "sheet/view/GraphView.h"
#include "sheet/view/TTab.h"
#include "sheet/view/TriangleFill.h"

namespace {

using namespace graph3d;

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// The graph writes at three sizes: the control's font and the two label sizes.
constexpr std::array<int, 3> kFontSizes{kControlFont, kLabelPoints, kLabelPointsLarge};
std::size_t FontSlot(int points) {
  return static_cast<std::size_t>(std::find(kFontSizes.begin(), kFontSizes.end(), points) - kFontSizes.begin()) %
         kFontSizes.size();
}

class CGraph3DView : public CGraphView {
 public:
  explicit CGraph3DView(TTab& tab) : CGraphView(tab), m_ranges(tab.Model()) {}

  void Paint(QPainter& p, const QRect& area) override;
  bool MousePress(QMouseEvent& e, const QRect& area) override;
  bool MouseMove(QMouseEvent& e, const QRect& area) override;
  bool MouseRelease(QMouseEvent& e, const QRect& area) override;
  bool Wheel(QWheelEvent& e, const QRect& area) override;
  bool Key(int key, Qt::KeyboardModifiers modifiers, const QString& text) override;
  bool Captured() const override { return m_rotating; }
  QString Hint() const override;

 private:
  SheetViewState& View() { return m_tab.Model().View(); }
  void Changed() { m_tab.Model().RequestRedraw(kRedraw); }
  void SetAngles(const GraphAngles& angles);
  QFont FontOf(int points) const;
  void PaintItems(QPainter& p);
  void PaintPresetButtons(QPainter& p);

  // Works out the graph ranges (shared with the 2D graph) into the axes.
  CGraph2D m_ranges;
  CGraph3D m_graph;
  DisplayList m_list;
  bool m_rotating = false;
  QPoint m_press;
  GraphAngles m_pressAngles;
  QPoint m_mouse{-1000, -1000};
  QRect m_area;
  int m_wheelRest = 0;  // part of a notch from fine-grained wheels
};

QFont CGraph3DView::FontOf(int points) const {
  QFont f = m_tab.font();
  if (points != kControlFont) f.setPointSize(points);
  return f;
}

void CGraph3DView::SetAngles(const GraphAngles& angles) {
  if (angles == View().angles) return;
  View().angles = angles;
  m_tab.Model().Buttons().SyncPresets(angles);
  Changed();
}

void CGraph3DView::Paint(QPainter& p, const QRect& area) {
  CTabModel& model = m_tab.Model();
  const CSheet* s = model.Active();
  m_area = area;
  model.Buttons().SyncPresets(View().angles);
  if (!s) return;
  m_ranges.Layout(GraphRect{area.left(), area.top(), area.width(), area.height()});

  // One metrics object per size in use, on the bitmap's own resolution.
  std::array<std::optional<QFontMetrics>, 3> metrics;
  const auto measure = [&](std::string_view text, int points) {
    const std::size_t slot = FontSlot(points);
    if (!metrics[slot]) metrics[slot].emplace(FontOf(points), p.device());
    return TextSize{metrics[slot]->horizontalAdvance(Q(text)), metrics[slot]->height()};
  };
  m_graph.Build(*s, View(), MakeLayout(area.left(), area.top(), area.width(), area.height()), measure, m_list);
  p.setRenderHint(QPainter::Antialiasing, false);
  PaintItems(p);
  PaintPresetButtons(p);
}

void CGraph3DView::PaintItems(QPainter& p) {
  const QPalette& palette = m_tab.palette();
  const std::array<QFont, 3> fonts{FontOf(kFontSizes[0]), FontOf(kFontSizes[1]), FontOf(kFontSizes[2])};
  auto fontOf = [&](int points) -> const QFont& { return fonts[FontSlot(points)]; };
  // Thousands of triangles in a row share few colours: keep the brush while it fits.
  TColor brush = 0xFFFFFFFF;
  auto setBrush = [&](TColor c) {
    if (c == brush) return;
    brush = c;
    p.setBrush(ToQColor(c, palette));
  };
  // Likewise the pen: a cell edge follows every triangle, mostly in white.
  constexpr std::uint64_t kNoPen = ~std::uint64_t{0}, kOtherPen = kNoPen - 1;
  std::uint64_t pen = kOtherPen;
  auto setPen = [&](TColor c, int width) {
    const std::uint64_t key = (std::uint64_t(width) << 32) | c;
    if (key == pen) return;
    pen = key;
    p.setPen(QPen(ToQColor(c, palette), width));
  };
  auto noPen = [&] {
    if (pen == kNoPen) return;
    pen = kNoPen;
    p.setPen(Qt::NoPen);
  };
  noPen();
  CImageTriangles direct(p);
  for (const Item& it : m_list.items) {
    const QPointF a(it.p[0].x, it.p[0].y), b(it.p[1].x, it.p[1].y);
    QString text;
    if (it.text >= 0) text = Q(m_list.texts[static_cast<std::size_t>(it.text)]);
    switch (it.kind) {
      case ItemKind::kFill:
        p.fillRect(QRectF(a, b).toRect(), ToQColor(it.colour, palette));
        break;
      case ItemKind::kPolygon: {
        const QPointF corners[3] = {a, b, QPointF(it.p[2].x, it.p[2].y)};
        if (direct.Usable()) {
          direct.Fill(corners, ToQColor(it.colour, palette).rgb());
          break;
        }
        noPen();
        setBrush(it.colour);
        p.drawConvexPolygon(corners, 3);
        break;
      }
      case ItemKind::kLine:
        setPen(it.colour, it.size);
        p.drawLine(a, b);
        break;
      case ItemKind::kText: {
        p.setFont(fontOf(it.size));
        p.setPen(ToQColor(it.colour, palette));
        constexpr double kRoom = 1000;
        if (it.rightAligned)
          p.drawText(QRectF(a.x() - kRoom, a.y() - kRoom / 2, kRoom, kRoom), Qt::AlignRight | Qt::AlignVCenter, text);
        else
          p.drawText(QRectF(a.x() - kRoom / 2, a.y() - kRoom / 2, kRoom, kRoom), Qt::AlignCenter, text);
        pen = kOtherPen;
        break;
      }
      case ItemKind::kLabelBox: {
        const QRectF r(a, b);
        p.setPen(ToQColor(it.outline, palette));
        setBrush(it.colour);
        p.drawRoundedRect(r.adjusted(0, 0, -1, -1), 4, 4);
        p.setFont(fontOf(it.size));
        p.setPen(Qt::black);
        p.drawText(r, Qt::AlignCenter, text);
        pen = kOtherPen;
        break;
      }
      case ItemKind::kDisc:
        p.setPen(QPen(ToQColor(it.outline, palette), 2));
        setBrush(it.colour);
        p.drawEllipse(a, double(it.radius), double(it.radius));
        pen = kOtherPen;
        break;
    }
  }
  noPen();
  p.setBrush(Qt::NoBrush);
  p.setFont(m_tab.font());
}

void CGraph3DView::PaintPresetButtons(QPainter& p) {
  const CSheetButtons& buttons = m_tab.Model().Buttons();
  const QPalette& palette = m_tab.palette();
  p.setFont(m_tab.font());
  for (int i = kCommandTopView; i <= kCommandIso2View; ++i) {
    const SheetButton& b = buttons[i];
    if (!b.visible) continue;
    const QRect r(QPoint(b.rect.left, b.rect.top), QPoint(b.rect.right, b.rect.bottom));
    if (b.state)
      bevel::Sunken(p, r, ToQColor(b.colour, palette));
    else
      bevel::Raised(p, r, ToQColor(b.colour, palette));
    p.setPen(b.enabled ? QColor(Qt::black) : QColor(Qt::gray));
    p.drawText(r, Qt::AlignCenter, Q(SheetTitleText(b.caption)));
  }
}

bool CGraph3DView::MousePress(QMouseEvent& e, const QRect& area) {
  if (e.button() != Qt::LeftButton) return false;
  const QPoint pt = e.position().toPoint();
  CSheetButtons& buttons = m_tab.Model().Buttons();
  if (const int hit = buttons.At(pt.x(), pt.y()); hit >= 0) {
    const int command = buttons.Press(hit);
    if (command >= kCommandTopView && command <= kCommandIso2View)
      SetAngles(kPresetAngles[static_cast<std::size_t>(command - kCommandTopView)]);
    // The command leaves the presets as the angles are, pressed or not.
    buttons.SyncPresets(View().angles);
    Changed();
    return true;
  }
  if (pt.x() < area.left() + kStripWidth) return false;
  m_rotating = true;
  m_press = pt;
  m_pressAngles = View().angles;
  return true;
}

bool CGraph3DView::MouseMove(QMouseEvent& e, const QRect& area) {
  m_mouse = e.position().toPoint();
  m_area = area;
  // A release that never arrived (taken by a dialog, say) ends the drag here.
  if (m_rotating && !(e.buttons() & Qt::LeftButton)) m_rotating = false;
  if (m_rotating) {
    const GraphAngles before = View().angles;
    SetAngles(DragAngles(m_pressAngles, m_mouse.x() - m_press.x(), m_mouse.y() - m_press.y()));
    if (!(View().angles == before)) View().hintBits &= ~kHintRotate;
    return true;
  }
  m_tab.Model().Buttons().Hover(m_mouse.x(), m_mouse.y());
  return true;
}

bool CGraph3DView::MouseRelease(QMouseEvent& e, const QRect&) {
  if (e.button() != Qt::LeftButton || !m_rotating) return false;
  m_rotating = false;
  return true;
}

bool CGraph3DView::Wheel(QWheelEvent& e, const QRect& area) {
  if (m_rotating || e.buttons() != Qt::NoButton) return false;
  // Some platforms turn Shift+wheel into a sideways wheel.
  const QPoint delta = e.angleDelta();
  m_wheelRest += delta.y() != 0 ? delta.y() : delta.x();
  const int notches = m_wheelRest / 120;
  m_wheelRest -= notches * 120;
  if (notches == 0) return true;
  const int sign = notches > 0 ? 1 : -1;
  CTabModel& model = m_tab.Model();
  SheetViewState& view = View();
  const QPoint pt = e.position().toPoint();
  if (pt.x() < area.left() + kStripWidth) {
    // The strip steps the operating point, even with cells selected.
    for (int i = 0; i < std::abs(notches); ++i) model.StepLiveCell(sign);
    view.hintBits &= ~kHintSetValue;
  } else {
    const Qt::KeyboardModifiers mods = e.modifiers();
    for (int i = 0; i < std::abs(notches); ++i) {
      if (mods & Qt::ControlModifier)
        view.colourMode = StepMode(view.colourMode, sign, kColourModeMax);
      else if (mods & Qt::ShiftModifier)
        view.labelMode = StepMode(view.labelMode, sign, kLabelModeMax);
      else
        SetAngles({view.angles.a, view.angles.b, WrapAngle(view.angles.c + sign)});
    }
    view.hintBits &= ~kHintRotate;
  }
  Changed();
  m_tab.setToolTip(Hint());
  return true;
}

bool CGraph3DView::Key(int key, Qt::KeyboardModifiers, const QString&) {
  if (key != Qt::Key_Space) return false;
  View().labelMode = (View().labelMode + 1) % (kLabelModeMax + 1);
  Changed();
  return true;
}

QString CGraph3DView::Hint() const {
  const CSheetButtons& buttons = m_tab.Model().Buttons();
  if (const int hit = buttons.At(m_mouse.x(), m_mouse.y()); hit >= 0) return Q(SheetTitleText(buttons[hit].hint));
  const HintKeys keys = HintAt(m_area.left(), m_area.top(), m_mouse.x(), m_mouse.y(), m_tab.Model().View().hintBits);
  if (keys.text.empty()) return {};
  QString hint = Q(SheetTitleText(keys.text));
  if (!keys.detail.empty()) hint += "\n" + Q(SheetTitleText(keys.detail));
  return hint;
}

}  // namespace

std::unique_ptr<CGraphView> MakeGraph3DView(TTab& tab) { return std::make_unique<CGraph3DView>(tab); }
