#include "link/view/ChartCanvas.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace {

constexpr int kLeftMargin = 64;  // value ticks
constexpr int kRightMargin = 8;
constexpr int kTopMargin = 4;
constexpr int kBottomMargin = 22;  // time ticks
constexpr int kLaneGap = 6;
constexpr int kLanePad = 4;            // pixels between a lane's border and its scale's limits
constexpr int kTickSpacing = 22;       // pixels between value ticks, at least
constexpr int kTimeTickSpacing = 110;  // pixels between time ticks, at least
constexpr int kDragThreshold = 3;      // a press that moves less is a click
constexpr double kWheelStep = 0.8;     // span factor a wheel notch zooms in by

constexpr QRgb kLaneColours[] = {0xFF1F5FBF, 0xFF2E8B2E, 0xFFB8860B, 0xFF8B2EA0,
                                 0xFFC0392B, 0xFF138D90, 0xFF7F5F3F, 0xFF505050};

}  // namespace

ChartCanvas::ChartCanvas(QWidget* parent) : QWidget(parent) {
  setMinimumSize(320, 200);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::WheelFocus);
}

QColor ChartCanvas::LaneColour(std::size_t lane) { return QColor(kLaneColours[lane % std::size(kLaneColours)]); }

void ChartCanvas::SetChannels(std::vector<const ChartChannel*> channels) {
  m_channels = std::move(channels);
  m_cache.assign(m_channels.size(), LaneCache{});
  update();
}

void ChartCanvas::SetDuration(double seconds) {
  m_view.SetExtent(seconds);
  for (auto& c : m_cache) c = LaneCache{};
  Changed();
}

void ChartCanvas::SetBounds(double start, double end) {
  m_view.SetBounds(start, end);
  for (auto& c : m_cache) c = LaneCache{};
  Changed();
}

void ChartCanvas::PlaceCursor(double seconds) {
  m_cursor = seconds;
  update();
}

void ChartCanvas::SetCursorTime(double seconds) {
  m_cursor = seconds;
  const double t0 = m_view.T0();
  m_view.Reveal(seconds);
  if (m_view.T0() != t0) emit viewChanged();
  update();
}

QRect ChartCanvas::PlotRect() const {
  return QRect(QPoint(kLeftMargin, kTopMargin), QPoint(width() - 1 - kRightMargin, height() - 1 - kBottomMargin));
}

const ChartCanvas::LaneCache& ChartCanvas::Decimated(std::size_t lane, int w) {
  LaneCache& c = m_cache[lane];
  if (c.width == w && c.t0 == m_view.T0() && c.t1 == m_view.T1()) return c;
  const ChartChannel& ch = *m_channels[lane];
  c.t0 = m_view.T0();
  c.t1 = m_view.T1();
  c.width = w;
  c.columns = DecimateMinMax(ch.samples, c.t0, c.t1, w, ch.blocks);
  c.extent = VisibleExtent(ch.samples, c.t0, c.t1, ch.blocks);
  return c;
}

QString ChartCanvas::Readout(std::size_t lane) const {
  const ChartChannel& ch = *m_channels[lane];
  QString text = QString::fromStdString(ch.name);
  const auto sample = SampleAt(ch.samples, m_cursor);
  text += QStringLiteral(" = ") + (sample ? QString::fromStdString(FormatChartValue(sample->v)) : QStringLiteral("-"));
  if (!ch.unit.empty()) text += ' ' + QString::fromStdString(ch.unit);
  return text;
}

QStringList ChartCanvas::CursorReadouts() const {
  QStringList out;
  for (std::size_t i = 0; i < m_channels.size(); ++i) out << Readout(i);
  return out;
}

void ChartCanvas::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), Qt::white);
  const QRect plot = PlotRect();
  if (plot.width() <= 0 || plot.height() <= 0) return;
  const auto lanes = LayoutLanes(int(m_channels.size()), plot.top(), plot.height(), kLaneGap);
  for (std::size_t i = 0; i < lanes.size(); ++i) PaintLane(p, i, lanes[i], plot);
  PaintTimeAxis(p, plot);

  const double x = plot.left() + m_view.XAtTime(m_cursor, plot.width());
  if (x >= plot.left() && x <= plot.right() + 1) {
    p.setPen(QPen(QColor::fromRgb(kCursorColour), 1));
    p.drawLine(QLineF(std::floor(x) + 0.5, plot.top(), std::floor(x) + 0.5, plot.bottom()));
  }
}

void ChartCanvas::PaintLane(QPainter& p, std::size_t lane, const ChartLane& g, const QRect& plot) {
  const QRect box(plot.left(), g.top, plot.width(), g.height);
  p.setPen(QColor(0xC8, 0xC8, 0xC8));
  p.setBrush(QColor(0xFA, 0xFA, 0xFA));
  p.drawRect(box.adjusted(0, 0, -1, -1));

  const LaneCache& c = Decimated(lane, plot.width());
  const ChartScale scale = PadScale(
      c.extent ? NiceScale(c.extent->min, c.extent->max, std::max(2, g.height / kTickSpacing)) : NiceScale(0, 1, 2),
      g.height, kLanePad);
  const auto y = [&](double v) { return LaneY(g, scale, v); };

  // Grid and value ticks.
  const QFontMetrics fm = p.fontMetrics();
  for (double tick : scale.ticks) {
    const double ty = std::round(y(tick)) + 0.5;
    p.setPen(QColor(0xE4, 0xE4, 0xE4));
    p.drawLine(QLineF(box.left(), ty, box.right(), ty));
    p.setPen(Qt::darkGray);
    // Kept inside the lane, so the end ticks of two lanes never overprint.
    const int labelTop = std::clamp(int(ty) - fm.height() / 2, g.top, std::max(g.top, g.top + g.height - fm.height()));
    const QRect label(0, labelTop, kLeftMargin - 4, fm.height());
    p.drawText(label, Qt::AlignRight | Qt::AlignVCenter, QString::fromStdString(FormatChartValue(tick)));
  }

  // The trace: a vertical stroke per column from its lowest to its highest
  // sample, joined column to column by the last and first values.
  const QColor colour = LaneColour(lane);
  p.save();
  p.setClipRect(box.adjusted(1, 1, -1, -1));
  p.setPen(QPen(colour, 1));
  const auto& samples = m_channels[lane]->samples;
  const auto [first, last] = VisibleRange(samples, m_view.T0(), m_view.T1());
  std::vector<QLineF> lines;
  lines.reserve(c.columns.size() * 2 + 2);
  std::optional<QPointF> previous;
  if (first > 0) {
    const ChartSample& s = samples[first - 1];
    previous = QPointF(plot.left() + m_view.XAtTime(s.t, plot.width()), y(s.v));
  }
  for (std::size_t col = 0; col < c.columns.size(); ++col) {
    const ChartColumn& cc = c.columns[col];
    if (cc.count == 0) continue;
    const double x = plot.left() + double(col) + 0.5;
    if (previous) lines.emplace_back(*previous, QPointF(x, y(cc.first)));
    if (cc.max != cc.min) lines.emplace_back(QPointF(x, y(cc.min)), QPointF(x, y(cc.max)));
    previous = QPointF(x, y(cc.last));
  }
  if (previous && last < samples.size()) {
    const ChartSample& s = samples[last];
    lines.emplace_back(*previous, QPointF(plot.left() + m_view.XAtTime(s.t, plot.width()), y(s.v)));
  }
  if (!lines.empty()) p.drawLines(lines.data(), int(lines.size()));
  p.restore();

  // Name and value at the cursor, on a pale plate so the trace under it
  // does not make it unreadable.
  const QString text = Readout(lane);
  const QRect plate(box.left() + 4, g.top + 3, fm.horizontalAdvance(text) + 8, fm.height() + 2);
  p.fillRect(plate, QColor(255, 255, 255, 210));
  p.setPen(colour.darker(130));
  p.drawText(plate, Qt::AlignCenter, text);
}

void ChartCanvas::PaintTimeAxis(QPainter& p, const QRect& plot) {
  const ChartScale scale = TimeScale(m_view.T0(), m_view.T1(), std::max(2, plot.width() / kTimeTickSpacing));
  const QFontMetrics fm = p.fontMetrics();
  p.setPen(Qt::darkGray);
  for (double t : scale.ticks) {
    const double x = plot.left() + m_view.XAtTime(t, plot.width());
    if (x < plot.left() - 0.5 || x > plot.right() + 0.5) continue;
    const double xs = std::floor(x) + 0.5;
    p.drawLine(QLineF(xs, plot.bottom() + 1, xs, plot.bottom() + 4));
    const QString label = QString::fromStdString(FormatChartTime(t, scale.step));
    const int w = fm.horizontalAdvance(label);
    const int left = std::clamp(int(x) - w / 2, 0, std::max(0, width() - w));
    p.drawText(QRect(left, plot.bottom() + 4, w, fm.height()), Qt::AlignCenter, label);
  }
}

void ChartCanvas::Changed() {
  update();
  emit viewChanged();
}

void ChartCanvas::wheelEvent(QWheelEvent* e) {
  const QRect plot = PlotRect();
  const double notches = e->angleDelta().y() / 120.0;
  if (notches == 0 || plot.width() <= 0) return;
  const double anchor = m_view.TimeAtX(e->position().x() - plot.left(), plot.width());
  m_view.Zoom(anchor, std::pow(kWheelStep, notches));
  Changed();
  e->accept();
}

void ChartCanvas::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  m_pressed = true;
  m_dragging = false;
  m_pressAt = e->position().toPoint();
  m_pressT0 = m_view.T0();
}

void ChartCanvas::mouseMoveEvent(QMouseEvent* e) {
  if (!m_pressed) return;
  const int dx = e->position().toPoint().x() - m_pressAt.x();
  if (!m_dragging && std::abs(dx) < kDragThreshold) return;
  m_dragging = true;
  const int w = std::max(PlotRect().width(), 1);
  // From the press, not from the last move: the trace stays under the pointer.
  m_view.Pan(m_pressT0 - m_view.T0() - dx * m_view.Span() / w);
  Changed();
}

void ChartCanvas::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton || !m_pressed) return;
  m_pressed = false;
  if (m_dragging) return;
  const QRect plot = PlotRect();
  if (!plot.contains(e->position().toPoint())) return;
  const double t =
      std::clamp(m_view.TimeAtX(e->position().x() - plot.left(), plot.width()), m_view.Start(), m_view.Extent());
  m_cursor = t;
  update();
  emit seekRequested(t);
}
