#include "monitor/view/TMonImg.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <cmath>
#include <cstdio>

#include "monitor/MonitorWindowRules.h"
#include "base/view/Colour.h"

namespace {

constexpr TColor kSurfaceColour = clBtnFace;

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

Qt::CursorShape Shape(std::int16_t cursor) {
  switch (cursor) {
    case kCursorCross:
      return Qt::CrossCursor;
    case kCursorSizeNESW:
      return Qt::SizeBDiagCursor;
    case kCursorSizeNS:
      return Qt::SizeVerCursor;
    case kCursorSizeNWSE:
      return Qt::SizeFDiagCursor;
    case kCursorSizeWE:
      return Qt::SizeHorCursor;
    case kCursorSizeAll:
      return Qt::SizeAllCursor;
    default:
      return Qt::ArrowCursor;
  }
}

Qt::PenStyle PenStyle(MonPen pen) {
  switch (pen) {
    case MonPen::kDot:
      return Qt::DotLine;
    case MonPen::kDash:
      return Qt::DashLine;
    default:
      return Qt::SolidLine;
  }
}

}  // namespace

QFont CQtMonTextMeasure::Font(int fontSize) {
  // The design font is Tahoma; where it is missing, DejaVu Sans stands in.
  static const QString family = QFontDatabase::hasFamily("Tahoma") ? QString("Tahoma") : QString("DejaVu Sans");
  QFont f(family);
  f.setPointSize(std::max(1, fontSize));
  return f;
}

MonTextSize CQtMonTextMeasure::Measure(std::string_view text, int fontSize) const {
  const QFontMetrics m(Font(fontSize), const_cast<QPaintDevice*>(m_device));
  return {m.horizontalAdvance(Q(text)), m.height()};
}

TMonImg::TMonImg(QWidget* parent) : QWidget(parent), m_measure(&m_image), m_canvas(m_measure) {
  setObjectName("TMonImg");
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  m_image = QImage(1, 1, QImage::Format_RGB32);
  const int dpm = static_cast<int>(std::lround(logicalDpiX() / 0.0254));
  m_image.setDotsPerMeterX(dpm);
  m_image.setDotsPerMeterY(dpm);

  bar.grip = 1;
  auto pin = std::make_unique<CMyPin>();
  pin->type = 2;
  pinButton = bar.Insert(std::move(pin));
  auto edit = std::make_unique<CMyButt>();
  edit->type = 2;
  edit->s = &FindText(2, "Edit");
  editButton = bar.Insert(std::move(edit));
  auto status = std::make_unique<CMyButt>();
  status->s = &FindText(2, "Read only");
  status->AlignV = -1;
  status->TextColor = 0xC0C0C0;
  statusButton = bar.Insert(std::move(status));
  Place.SetCanvas(&m_canvas);
  bar.SetCanvas(&m_canvas);
}

TMonImg::~TMonImg() = default;

void TMonImg::Layout() {
  const MonitorLayout l = ComputeMonitorLayout(width(), height());
  Place.Left = l.place.left;
  Place.Top = l.place.top;
  Place.Width = l.place.width;
  Place.Height = l.place.height;
  Place.SetColor(kSurfaceColour);
  if (editState == 1) {
    // Edit mode shows the set at one layout unit per pixel. The layout size
    // follows the window once its size stands (the window sets it), not
    // every passing size of a drag.
    Place.SetScale(1.0f);
  } else if (editState == 0) {
    if (Place.origWidth == 0) Place.origWidth = Place.Width;
    if (Place.origHeight == 0) Place.origHeight = Place.Height;
    Place.SetScale(static_cast<float>(MonitorScale(Place.Width, Place.origWidth)));
  }
  bar.Left = l.bar.left;
  bar.Top = l.bar.top;
  bar.Width = l.bar.width;
  bar.Height = l.bar.height;
  bar.SetColor(kSurfaceColour);
  auto place = [](CMyComponent& c, const MonitorRect& r) {
    c.Left = r.left;
    c.Top = r.top;
    c.Width = r.width;
    c.Height = r.height;
  };
  place(*pinButton, l.pin);
  place(*editButton, l.edit);
  place(*statusButton, l.status);
  Redraw();
}

void TMonImg::Redraw() {
  if (m_image.size() != size().expandedTo(QSize(1, 1))) {
    const int dpmX = m_image.dotsPerMeterX(), dpmY = m_image.dotsPerMeterY();
    m_image = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    m_image.setDotsPerMeterX(dpmX);
    m_image.setDotsPerMeterY(dpmY);
  }
  m_image.fill(ToQColor(kSurfaceColour, palette()));
  m_pictures.clear();
  if (!Place.canvas) Place.SetCanvas(&m_canvas);
  if (!bar.canvas) bar.SetCanvas(&m_canvas);
  m_canvas.Take();
  Place.Paint();
  Replay(PlaceClip());
  bar.Paint();
  Replay(rect());
  if (editButton->checked) ShowCoordinates();
  update();
}

QRect TMonImg::PlaceClip() const {
  // The container's own bottom edge line is the last row it paints.
  return QRect(Place.Left, Place.Top, std::max(0, Place.Width + 1), std::max(0, Place.Height + 1));
}

void TMonImg::RefreshContainers() {
  Place.Refresh();
  const bool placePainted = !m_canvas.Ops().empty();
  // An element reaching past the drawing area never paints over the bar.
  if (placePainted) Replay(PlaceClip());
  bar.Refresh();
  const bool barPainted = !m_canvas.Ops().empty();
  if (barPainted) Replay(rect());
  if (!placePainted && !barPainted) return;
  if (editButton->checked) ShowCoordinates();
  update();
}

const QImage& TMonImg::PictureOf(const std::vector<std::uint8_t>* bytes) {
  auto it = m_pictures.find(bytes);
  if (it == m_pictures.end())
    it = m_pictures.insert(bytes, bytes ? QImage::fromData(bytes->data(), int(bytes->size())) : QImage());
  return it.value();
}

void TMonImg::Replay(const QRect& clip) {
  const std::vector<MonDrawOp> ops = m_canvas.Take();
  QPainter p(&m_image);
  p.setClipRect(clip);
  const QPalette& pal = palette();
  for (const MonDrawOp& op : ops) {
    const QRect box(QPoint(op.x1, op.y1), QPoint(op.x2 - 1, op.y2 - 1));
    switch (op.op) {
      case MonOp::kRect:
        if (box.width() <= 0 || box.height() <= 0) break;
        if (op.filled) p.fillRect(box, ToQColor(op.brush, pal));
        p.setPen(QPen(ToQColor(op.pen, pal), 0, PenStyle(op.style)));
        p.setBrush(Qt::NoBrush);
        p.drawRect(box.adjusted(0, 0, -1, -1));
        break;
      case MonOp::kLine: {
        p.setPen(QPen(ToQColor(op.pen, pal), op.penWidth <= 1 ? 0 : op.penWidth, Qt::SolidLine, Qt::FlatCap));
        // The end point itself is left out, as the platform's lines do.
        const int dx = op.x2 - op.x1, dy = op.y2 - op.y1;
        const int steps = std::max(std::abs(dx), std::abs(dy));
        if (steps == 0) break;
        if (op.penWidth <= 1)
          p.drawLine(QPointF(op.x1, op.y1), QPointF(op.x2 - double(dx) / steps, op.y2 - double(dy) / steps));
        else {
          // Wide strokes (the dial's needle) are smoothed; thin ones stay crisp.
          p.setRenderHint(QPainter::Antialiasing, true);
          p.drawLine(QPointF(op.x1, op.y1), QPointF(op.x2, op.y2));
          p.setRenderHint(QPainter::Antialiasing, false);
        }
        break;
      }
      case MonOp::kEllipse:
        if (box.width() <= 0 || box.height() <= 0) break;
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(QPen(ToQColor(op.pen, pal), std::max(1, op.penWidth)));
        if (op.filled)
          p.setBrush(ToQColor(op.brush, pal));
        else
          p.setBrush(Qt::NoBrush);
        p.drawEllipse(box.adjusted(0, 0, -1, -1));
        p.setRenderHint(QPainter::Antialiasing, false);
        break;
      case MonOp::kText:
        if (op.fontSize <= 0 || op.text.empty()) break;
        p.setFont(CQtMonTextMeasure::Font(op.fontSize));
        p.setPen(ToQColor(op.pen, pal));
        p.drawText(QRect(op.x1, op.y1, 10000, 10000), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, Q(op.text));
        break;
      case MonOp::kPicture: {
        if (box.width() <= 0 || box.height() <= 0) break;
        const QImage& picture = PictureOf(op.picture);
        if (!picture.isNull()) p.drawImage(box, picture);
        break;
      }
    }
  }
}

void TMonImg::ShowCoordinates() {
  const int W = width(), H = height();
  QPainter p(&m_image);
  const QRect box(QPoint(W - 120, H - 14), QPoint(W - 15, H));
  p.fillRect(box, ToQColor(kSurfaceColour, palette()));
  if (Place.focused) {
    const CMyComponent& f = *Place.focused;
    char text[64];
    std::snprintf(text, sizeof text, "%3i,%3i %3ix%3i", f.Left, f.Top, f.Width, f.Height);
    p.setFont(CQtMonTextMeasure::Font(8));
    p.setPen(Qt::black);
    p.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, QString::fromLatin1(text));
  }
  update();
}

void TMonImg::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawImage(0, 0, m_image);
}

void TMonImg::resizeEvent(QResizeEvent*) { Layout(); }

// ---- input ----

bool TMonImg::Hovered(const CMyGroup& g) const {
  return m_inside && m_pointer.x() >= g.Left && m_pointer.x() <= g.Left + g.Width && m_pointer.y() >= g.Top &&
         m_pointer.y() <= g.Top + g.Height;
}

void TMonImg::PassModifiers(CMyComponent& c, Qt::KeyboardModifiers m) const {
  c.shift = (m & Qt::ShiftModifier) ? 1 : 0;
  c.ctrl = (m & Qt::ControlModifier) ? 1 : 0;
}

void TMonImg::RoutePointer(QPoint pt, Qt::KeyboardModifiers modifiers) {
  m_inside = pt.x() >= 0 && pt.x() <= width() && pt.y() >= 0 && pt.y() <= height();
  if (pt != m_pointer) {
    m_pointer = pt;
    for (CMyGroup* g : {&Place, &bar}) {
      PassModifiers(*g, modifiers);
      g->mousex = pt.x();
      g->mousey = pt.y();
      const bool hovered = Hovered(*g);
      if (g->hover && !hovered) {
        g->hover = 0;
        g->MouseLeave();
      } else {
        g->hover = hovered ? 1 : 0;
      }
      g->MouseMove();
    }
  }
  AfterPointer();
}

void TMonImg::RouteKey(int monitorKey, Qt::KeyboardModifiers modifiers) {
  for (CMyGroup* g : {&Place, &bar}) {
    PassModifiers(*g, modifiers);
    g->KeyDown(monitorKey);
  }
  if (editButton->checked) ShowCoordinates();
  RefreshContainers();
}

void TMonImg::AfterPointer() {
  const std::int16_t wanted = Hovered(Place) ? Place.cursor : std::int16_t(kCursorDefault);
  if (wanted != m_cursor) {
    m_cursor = wanted;
    setCursor(Shape(wanted));
  }
  if (editButton->checked) ShowCoordinates();
  RefreshContainers();
}

void TMonImg::mouseMoveEvent(QMouseEvent* e) { RoutePointer(e->position().toPoint(), e->modifiers()); }

void TMonImg::leaveEvent(QEvent*) { RoutePointer(QPoint(-1, -1), Qt::NoModifier); }

void TMonImg::mousePressEvent(QMouseEvent* e) {
  const QPoint pt = e->position().toPoint();
  if (pt != m_pointer) RoutePointer(pt, e->modifiers());
  if (e->button() == Qt::LeftButton) {
    if (swallowPress) {
      swallowPress = false;
      return;
    }
    leftPending = true;
    for (CMyGroup* g : {&Place, &bar}) {
      if (g == &Place && editState == 0) continue;  // elements take no pointer input outside edit mode
      PassModifiers(*g, e->modifiers());
      if (!Hovered(*g)) continue;
      g->button = 1;
      g->MouseDown();
    }
    AfterPointer();
  } else if (e->button() == Qt::RightButton) {
    menux = pt.x();
    menuy = pt.y();
    for (CMyGroup* g : {&Place, &bar}) {
      if (g == &Place && editState == 0) continue;
      PassModifiers(*g, e->modifiers());
      if (!Hovered(*g)) continue;
      g->button = 2;
      g->MouseDown();
    }
    AfterPointer();
    if (onContextMenu) onContextMenu(e->globalPosition().toPoint());
  }
}

void TMonImg::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  // The release that ends a double click: no press of its own follows here.
  swallowPress = false;
  for (CMyGroup* g : {&Place, &bar}) {
    PassModifiers(*g, e->modifiers());
    if (g->hover || leftPending) g->MouseUp();
  }
  leftPending = false;
  AfterPointer();
}

void TMonImg::mouseDoubleClickEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  for (CMyGroup* g : {&Place, &bar}) PassModifiers(*g, e->modifiers());
  if (Hovered(Place)) Place.DblClick();
  AfterPointer();
  // The double click stands in for its second press: nothing may start a move.
  swallowPress = true;
  if (Place.focused && onElementDoubleClick) {
    onElementDoubleClick();
    // The modal dialog took the release that would have cleared the flag:
    // the next press after it is the user's own.
    swallowPress = false;
    leftPending = false;
  }
}

void TMonImg::wheelEvent(QWheelEvent* e) {
  if (wheelDone) return;
  wheelDone = true;
  for (CMyGroup* g : {&Place, &bar})
    if (Hovered(*g)) g->MouseWheel(e->angleDelta().y());
}
