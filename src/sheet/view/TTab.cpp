#include "sheet/view/TTab.h"

#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPolygon>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <optional>

#include "sheet/Selection.h"
#include "sheet/SheetText.h"
#include "sheet/ValueText.h"
#include "sheet/view/Bevel.h"
#include "base/Lang.h"

using namespace table;

namespace {

constexpr double kControlFontPt = 8;
constexpr int kCountFontPt = 10;

QColor C(TColor c) { return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }

using bevel::Raised;
using bevel::Sunken;

// A strip or box shaded by how much of what it stands for is selected.
void CoverageBox(QPainter& p, const QRect& r, Coverage c, const QColor& face) {
  if (c == Coverage::kAll)
    Sunken(p, r, C(kHeaderFullySelected));
  else
    Raised(p, r, c == Coverage::kPart ? C(kHeaderPartSelected) : face);
}

QColor CoverageFill(Coverage c, const QColor& face) {
  if (c == Coverage::kAll) return C(kHeaderFullySelected);
  return c == Coverage::kPart ? C(kHeaderPartSelected) : face;
}

QFont Sized(QFont f, double pt, bool bold, bool italic = false) {
  f.setPointSizeF(pt);
  f.setBold(bold);
  f.setItalic(italic);
  return f;
}

// Font shrunk so that `text` fits `width`.
QFont FitFont(const QFont& f, const QString& text, int width) {
  const int w = QFontMetrics(f).horizontalAdvance(text);
  if (w <= width || w <= 0 || width <= 0) return f;
  QFont g = f;
  g.setPointSizeF(std::max(1.0, f.pointSizeF() * width / w));
  return g;
}

QString Q(const std::string& s) { return QString::fromStdString(s); }

bool EditorChar(QChar c) { return c.isDigit() || c == '.' || c == ',' || c == '-' || c == ' '; }

// The small picture that offers the graph beside a lone table.
const QPixmap& GraphButtonPicture() {
  static const QPixmap picture = [] {
    QPixmap pm(20, 16);
    pm.fill(QColor(0xD4, 0xD0, 0xC8));
    QPainter p(&pm);
    p.setPen(QColor(0x80, 0x80, 0x80));
    p.drawRect(0, 0, 19, 15);
    p.setPen(QPen(QColor(0x20, 0x40, 0xC0), 2));
    p.drawPolyline(QPolygon({QPoint(3, 12), QPoint(8, 8), QPoint(12, 10), QPoint(17, 3)}));
    return pm;
  }();
  return picture;
}

}  // namespace

TTab::TTab(std::uint32_t options, QWidget* parent) : QWidget(parent), m_model(options) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  QFont f = font();
  f.setPointSizeF(kControlFontPt);
  setFont(f);
  m_ppi = logicalDpiX();
  const QFont tabFont = Sized(font(), frame::kTabFontPt, false);
  m_model.SetTextMeasure([tabFont](std::string_view text) {
    return QFontMetrics(tabFont).horizontalAdvance(QString::fromUtf8(text.data(), qsizetype(text.size())));
  });
  m_language = CurrentLanguage();
  if (options & kOptionGraph2D) m_graph2d = MakeGraph2DView(*this);
  if (options & kOptionGraph3D) m_graph3d = MakeGraph3DView(*this);
}

TTab::~TTab() = default;

// ---------------------------------------------------------------------------
// Geometry

int TTab::ColumnX(int k) const { return static_cast<int>(std::floor(m_geo.cellsLeft + k * m_geo.columnWidth)); }
int TTab::RowY(int j) const { return static_cast<int>(std::floor(m_geo.cellsTop + j * m_geo.rowHeight)); }

int TTab::XIndexOfColumn(int k) const {
  const CSheet& s = *m_model.Active();
  return s.xAxis.collapsed ? s.xAxis.fixedIndex : s.xAxis.firstVisible + k;
}
int TTab::YIndexOfRow(int j) const {
  const CSheet& s = *m_model.Active();
  return s.yAxis.collapsed ? s.yAxis.fixedIndex : s.yAxis.firstVisible + j;
}
int TTab::ColumnOfX(int x) const {
  const CSheet& s = *m_model.Active();
  if (s.xAxis.collapsed) return x == s.xAxis.fixedIndex ? 0 : (x < s.xAxis.fixedIndex ? -1 : m_geo.visibleColumns);
  return x - s.xAxis.firstVisible;
}
int TTab::RowOfY(int y) const {
  const CSheet& s = *m_model.Active();
  if (s.yAxis.collapsed) return y == s.yAxis.fixedIndex ? 0 : (y < s.yAxis.fixedIndex ? -1 : m_geo.visibleRows);
  return y - s.yAxis.firstVisible;
}

int TTab::VisibleColumnAt(int px) const {
  if (px < m_geo.cellsLeft) return -1;
  for (int k = 0; k < m_geo.visibleColumns; ++k)
    if (px < ColumnX(k + 1)) return k;
  return -1;
}

int TTab::VisibleRowAt(int py) const {
  if (py < m_geo.cellsTop) return -1;
  for (int j = 0; j < m_geo.visibleRows; ++j)
    if (py < RowY(j + 1)) return j;
  return -1;
}

QRect TTab::EntryRect(SheetEntry e) const {
  if (!m_model.Active()) return {};
  const int left = kLeftMargin, w = m_geo.rowHeaderWidth;
  int x0 = left, x1 = left + w, y0 = m_geo.top, y1 = m_geo.top + m_geo.headerHeight;
  if (e.x >= 0) {
    const int k = ColumnOfX(e.x);
    x0 = ColumnX(k);
    x1 = ColumnX(k + 1);
  }
  if (e.y >= 0) {
    const int j = RowOfY(e.y);
    y0 = RowY(j);
    y1 = RowY(j + 1);
  }
  return QRect(QPoint(x0, y0), QPoint(x1 - 1, y1 - 1));
}

bool TTab::EntryVisible(SheetEntry e) const {
  const CSheet* s = m_model.Active();
  if (!s || !m_hasTable || (e.x < 0 && e.y < 0)) return false;
  if ((e.IsXPoint() && s->xAxis.collapsed) || (e.IsYPoint() && s->yAxis.collapsed)) return false;
  if (e.x >= 0) {
    const int k = ColumnOfX(e.x);
    if (k < 0 || k >= m_geo.visibleColumns) return false;
  }
  if (e.y >= 0) {
    const int j = RowOfY(e.y);
    if (j < 0 || j >= m_geo.visibleRows) return false;
  }
  return true;
}

QRect TTab::BoxRect(const SheetRect& r) const { return EntryRect({r.x0, r.y0}).united(EntryRect({r.x1, r.y1})); }

QRect TTab::GraphArea() const {
  const CSheet* s = m_model.Active();
  if (!s || !s->enabled) return {};
  switch (m_model.ShownView()) {
    case kViewTable:
      return m_sideGraph;
    case kView2D:
    case kView3D:
      return QRect(QPoint(kLeftMargin, m_geo.top), QPoint(width() - kRightMargin - 1, height() - kBottomMargin - 1));
    default:
      return {};
  }
}

CGraphView* TTab::ShownGraph() const {
  switch (m_model.ShownView()) {
    case kViewTable:
      return m_sideGraph.isNull() ? nullptr : m_graph2d.get();
    case kView2D:
      return m_graph2d.get();
    case kView3D:
      return m_graph3d.get();
    default:
      return nullptr;
  }
}

void TTab::ViewCommand(int view) {
  EndInteractions();
  m_model.SetView(view);
  Flush();
}

void TTab::Relayout() {
  CSheet* s = m_model.Active();
  m_hasTable = s && s->enabled && (m_model.Options() & kOptionTable) && m_model.ShownView() == kViewTable;
  m_sideGraph = QRect();
  m_hBar.visible = m_vBar.visible = false;
  if (!s) return;
  const int top = TopMargin(m_model.SheetCount(), m_model.Options(), LayoutBar());
  const TableBudget budget = m_model.Budget();
  m_geo = ComputeTableGeometry(width(), height(), top, m_ppi, *s, budget);
  if (!s->xAxis.collapsed)
    s->xAxis.firstVisible = ClampFirstVisible(s->xAxis.firstVisible, s->xAxis.count, m_geo.visibleColumns);
  if (!s->yAxis.collapsed)
    s->yAxis.firstVisible = ClampFirstVisible(s->yAxis.firstVisible, s->yAxis.count, m_geo.visibleRows);
  // The 3D presets exist only in the 3D view, at the top left of its graph area.
  const QRect graph = GraphArea();
  m_model.Buttons().PlacePresets(m_model.ShownView() == kView3D && !graph.isEmpty(), graph.left(), graph.top());
  PlaceFrame();
  if (!m_hasTable) return;

  const int right = ColumnX(m_geo.visibleColumns), bottom = RowY(m_geo.visibleRows);
  m_hBar.vertical = false;
  m_hBar.visible = m_geo.horizontalBar;
  m_hBar.rect = QRect(m_geo.cellsLeft, bottom + 1, right - m_geo.cellsLeft, kScrollBarThickness);
  m_hBar.total = s->xAxis.count;
  m_hBar.page = budget.columns;
  m_hBar.position = s->xAxis.firstVisible;
  m_vBar.vertical = true;
  m_vBar.visible = m_geo.verticalBar;
  m_vBar.rect = QRect(right + 1, m_geo.cellsTop, kScrollBarThickness, bottom - m_geo.cellsTop);
  m_vBar.total = s->yAxis.count;
  m_vBar.page = budget.rows;
  m_vBar.position = s->yAxis.firstVisible;

  // What a small table leaves over goes to the 2D graph of the same sheet.
  if (m_model.Options() & kOptionGraph2D) {
    const bool xc = s->xAxis.collapsed, yc = s->yAxis.collapsed;
    int tr = static_cast<int>(m_geo.columnWidth * (xc ? 1 : s->xAxis.count) + m_geo.cellsLeft + 5);
    if (!yc && s->yAxis.count > budget.rows) tr += kScrollBarThickness;
    int tb = static_cast<int>(m_geo.rowHeight * (yc ? 1 : s->yAxis.count) + m_geo.cellsTop + 5);
    if (!xc && s->xAxis.count > budget.columns) tb += kScrollBarThickness;
    const double below =
        yc ? (height() - tb - kBottomMargin) * 1.5 : (height() - tb - kBottomMargin) / (s->yAxis.count * 2.0 / 3.0);
    const double beside =
        xc ? double(width() - tr - kRightMargin) : double(width() - tr - kRightMargin) / s->xAxis.count;
    if (below > kSideGraphMinSize)
      m_sideGraph = QRect(QPoint(kLeftMargin, tb), QPoint(width() - kRightMargin - 1, height() - kBottomMargin - 1));
    else if (beside > kSideGraphMinSize)
      m_sideGraph = QRect(QPoint(tr, m_geo.top), QPoint(width() - kRightMargin - 1, height() - kBottomMargin - 1));
  }
}

// ---------------------------------------------------------------------------
// Painting

void TTab::Flush() {
  const SheetEntry reveal = m_model.TakeRevealRequest();
  if (reveal.x != -2 || reveal.y != -2) Reveal(reveal);
  // A control on a page that is not shown keeps its request until it shows:
  // live data would otherwise repaint all fifteen map controls every tick.
  if (m_model.RedrawRequest() != 0 && !m_painting && isVisible()) {
    RepaintBitmap();
    update();
  }
}

void TTab::showEvent(QShowEvent*) { Flush(); }

void TTab::RepaintBitmap() {
  if (m_painting) return;
  m_painting = true;
  m_model.TakeRedrawRequest();
  Relayout();
  if (m_bitmap.size() != size()) {
    m_bitmap = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    const int dpm = static_cast<int>(std::lround(m_ppi / 0.0254));
    m_bitmap.setDotsPerMeterX(dpm);
    m_bitmap.setDotsPerMeterY(dpm);
  }
  {
    QPainter p(&m_bitmap);
    p.setFont(font());
    PaintTable(p);
    if (CGraphView* graph = ShownGraph()) {
      const QRect area = GraphArea();
      if (area.width() > 0 && area.height() > 0) {
        p.save();
        graph->Paint(p, area);
        p.restore();
      }
    }
    PaintFrame(p);
  }
  ++m_repaints;
  m_painting = false;
}

void TTab::paintEvent(QPaintEvent*) {
  if (m_bitmap.size() != size()) RepaintBitmap();
  QPainter p(this);
  p.drawImage(0, 0, m_bitmap);
  if (m_edit.active && m_edit.blink < 8 && EntryVisible(m_edit.entry)) {
    const int x = m_edit.charX[static_cast<std::size_t>(m_edit.caret)];
    p.fillRect(x, m_edit.textTop, 2, m_edit.textHeight, Qt::black);
  }
}

void TTab::resizeEvent(QResizeEvent*) {
  m_model.RequestRedraw(kRedraw | kRelayout);
  Flush();
}

void TTab::PaintTable(QPainter& p) {
  const QColor face = palette().color(QPalette::Button);
  p.fillRect(rect(), face);
  if (!m_hasTable) return;
  const CSheet& s = *m_model.Active();
  const bool xc = s.xAxis.collapsed != 0, yc = s.yAxis.collapsed != 0;
  const int L = kLeftMargin, W = m_geo.rowHeaderWidth, T = m_geo.top, H = m_geo.headerHeight;
  const int CL = m_geo.cellsLeft, CT = m_geo.cellsTop;
  const int vc = m_geo.visibleColumns, vr = m_geo.visibleRows;
  const int right = ColumnX(vc), bottom = RowY(vr);

  // 1. Scroll bars.
  if (m_hBar.visible) PaintScrollBar(p, m_hBar);
  if (m_vBar.visible) PaintScrollBar(p, m_vBar);

  // 2. Background boxes, with an axis's picture shifted by the scroll.
  auto box = [&](const QRect& r, const CAxe& axis, QPoint scroll) {
    Raised(p, r, C(axis.colour));
    if (const auto* pm = static_cast<const QPixmap*>(axis.background); pm && !pm->isNull())
      p.drawTiledPixmap(r.adjusted(1, 1, -1, -1), *pm, QPoint(scroll.x() % pm->width(), scroll.y() % pm->height()));
  };
  const int sx = static_cast<int>(s.xAxis.firstVisible * m_geo.columnWidth);
  const int sy = static_cast<int>(s.yAxis.firstVisible * m_geo.rowHeight);
  if (!xc) box(QRect(QPoint(CL, T), QPoint(right - 1, T + H - 1)), s.xAxis, {sx, 0});
  if (!yc) box(QRect(QPoint(L, CT), QPoint(L + W - 1, bottom - 1)), s.yAxis, {0, sy});
  box(QRect(QPoint(CL, CT), QPoint(right - 1, bottom - 1)), s.dataAxis, {xc ? 0 : sx, yc ? 0 : sy});

  // 3. Grid.
  p.setPen(C(kGridLine));
  for (int k = 1; k < vc; ++k) {
    const int x = ColumnX(k);
    if (!xc) p.drawLine(x, T + 1, x, T + H - 2);
    p.drawLine(x, CT + 1, x, bottom - 2);
  }
  for (int j = 1; j < vr; ++j) {
    const int y = RowY(j);
    if (!yc) p.drawLine(L + 1, y, L + W - 2, y);
    p.drawLine(CL + 1, y, right - 2, y);
  }

  // 4. Corner box and the axis labels.
  const Coverage xCov = AxisCoverage(s, kPartX), yCov = AxisCoverage(s, kPartY);
  const QFont labelFont = Sized(font(), s.labelFontSize, true);
  if (!xc && !yc) {
    p.setPen(Qt::NoPen);
    p.setBrush(CoverageFill(xCov, face));
    p.drawPolygon(QPolygon({QPoint(L, T), QPoint(L + W, T), QPoint(L + W, T + H)}));
    p.setBrush(CoverageFill(yCov, face));
    p.drawPolygon(QPolygon({QPoint(L, T), QPoint(L, T + H), QPoint(L + W, T + H)}));
    p.setBrush(Qt::NoBrush);
    p.setPen(C(kRaisedShadow));
    p.drawLine(L, T, L + W, T + H);
  }
  // A collapsed axis has no header: its label would stand over nothing (the
  // data-label box takes a collapsed Y's place).
  // With both axes the two labels share the corner box, each in its own
  // half and kept off the first column and the selector strip: long names
  // (Czech "Otáčky") are made smaller rather than run into the points.
  const bool corner = !xc && !yc;
  const int labelWidth = corner ? W - 6 : CL - 3 - L;
  if (!xc) {
    const QString text = Q(SheetTitleText(s.xAxis.label));
    p.setFont(FitFont(labelFont, text, labelWidth));
    p.setPen(xCov == Coverage::kAll ? Qt::white : Qt::black);
    p.drawText(QRect(L + (corner ? 3 : 0), T, labelWidth, H), Qt::AlignRight | Qt::AlignTop, text);
  }
  if (corner) {
    const QString text = Q(SheetTitleText(s.yAxis.label));
    p.setFont(FitFont(labelFont, text, labelWidth));
    p.setPen(yCov == Coverage::kAll ? Qt::white : Qt::black);
    const int h = QFontMetrics(p.font()).height();
    p.drawText(QRect(L + 3, CT - 1 - h, labelWidth, h), Qt::AlignLeft | Qt::AlignBottom, text);
  } else if (xc) {
    const QString text = Q(SheetTitleText(s.yAxis.label));
    p.setFont(FitFont(labelFont, text, W - 5));
    p.setPen(yCov == Coverage::kAll ? Qt::white : Qt::black);
    p.drawText(QRect(L + 5, CT - 30, W - 5, 28), Qt::AlignLeft | Qt::AlignBottom, text);
  }
  p.setFont(font());

  // 5. Selector strips, the all-cells box and the data-label boxes of collapsed axes.
  const Coverage all = TableCoverage(s);
  if (!xc && !yc) CoverageBox(p, QRect(QPoint(L + W, T + H), QPoint(CL - 1, CT - 1)), all, face);
  if (!xc)
    for (int k = 0; k < vc; ++k)
      CoverageBox(p, QRect(QPoint(ColumnX(k), T + H), QPoint(ColumnX(k + 1) - 1, CT - 1)),
                  ColumnCoverage(s, XIndexOfColumn(k)), face);
  if (!yc)
    for (int j = 0; j < vr; ++j)
      CoverageBox(p, QRect(QPoint(L + W, RowY(j)), QPoint(CL - 1, RowY(j + 1) - 1)), RowCoverage(s, YIndexOfRow(j)),
                  face);
  const QString dataLabel = Q(SheetTitleText(s.dataAxis.label));
  auto dataLabelBox = [&](const QRect& r) {
    CoverageBox(p, r, all, face);
    p.setFont(FitFont(labelFont, dataLabel, r.width() - 4));
    p.setPen(all == Coverage::kAll ? Qt::white : Qt::black);
    p.drawText(r, Qt::AlignCenter, dataLabel);
    p.setFont(font());
  };
  if (xc) dataLabelBox(QRect(QPoint(L + W + 2, CT - 30), QPoint(ColumnX(1) - 1, CT - 3)));
  if (yc) dataLabelBox(QRect(QPoint(L, T + H + 2), QPoint(CL - 3, RowY(1) - 1)));

  // 6.-9. Selection, operating point, frame, fill target.
  PaintSelection(p, s);
  // 10.-11. Values.
  PaintValues(p, s);

  // 12. Counts.
  p.setFont(Sized(font(), kCountFontPt, true));
  p.setPen(Qt::black);
  if (s.yAxis.insertAllowed && !yc)
    p.drawText(QRect(L, bottom + 2, W, 18), Qt::AlignHCenter | Qt::AlignTop, QString("(%1)").arg(s.yAxis.count));
  if (s.xAxis.insertAllowed && !xc) {
    // Up the right edge, centred on the X header: a header lower than the
    // text ("(15)" beside one row of points) lets it reach past its ends.
    const QString count = QString("(%1)").arg(s.xAxis.count);
    const QFontMetrics fm(p.font());
    const int length = std::max(H, fm.horizontalAdvance(count) + 4);
    p.save();
    p.translate(right + 2, T + H + (length - H) / 2);
    p.rotate(-90);
    p.drawText(QRect(0, 0, length, fm.height()), Qt::AlignHCenter | Qt::AlignTop, count);
    p.restore();
  }
  p.setFont(font());

  // 13. Spinner.
  PaintSpinner(p);

  // 14. The graph picture beside a lone table without a button bar.
  const std::uint32_t o = m_model.Options();
  const bool bar = (o & kOptionButtonBar) && !(o & kOptionNoButtonBar);
  if (m_sideGraph.isNull() && !bar)
    p.drawPixmap(L - 10, CT + static_cast<int>(vr * m_geo.rowHeight) - 2, GraphButtonPicture());
}

int TTab::TrackLength(const ScrollBar& bar) const {
  const int len = bar.vertical ? bar.rect.height() : bar.rect.width();
  return std::max(0, len - 2 * kScrollBarThickness);
}

int TTab::ThumbLength(const ScrollBar& bar) const {
  const int track = TrackLength(bar);
  if (bar.total <= 0) return track;
  return std::min(track, std::max(10, track * bar.page / bar.total));
}

QRect TTab::ScrollPartRect(const ScrollBar& bar, int part) const {
  const QRect r = bar.rect;
  const int t = kScrollBarThickness, track = TrackLength(bar), thumb = ThumbLength(bar);
  const int span = bar.total - bar.page;
  const int offset = span > 0 ? (track - thumb) * bar.position / span : 0;
  auto along = [&](int from, int len) {
    return bar.vertical ? QRect(r.x(), r.y() + from, t, len) : QRect(r.x() + from, r.y(), len, t);
  };
  switch (part) {
    case 1:
      return along(0, t);
    case 2:
      return along(t + track, t);
    case 4:
      return along(t + offset, thumb);
    case 8:
      return along(t, offset);
    case 16:
      return along(t + offset + thumb, track - offset - thumb);
    default:
      return {};
  }
}

int TTab::ScrollPartAt(const ScrollBar& bar, QPoint pt) const {
  if (!bar.visible || !bar.rect.contains(pt)) return 0;
  for (int part : {1, 2, 4, 8, 16})
    if (ScrollPartRect(bar, part).contains(pt)) return part;
  return 0;
}

void TTab::PaintScrollBar(QPainter& p, const ScrollBar& bar) {
  const QColor face = palette().color(QPalette::Button);
  p.fillRect(bar.rect, QBrush(QColor(0xF0, 0xF0, 0xF0)));
  p.fillRect(bar.rect, QBrush(C(kRaisedShadow), Qt::Dense4Pattern));
  for (int part : {1, 2}) {
    const QRect r = ScrollPartRect(bar, part);
    if (bar.pressed == part)
      Sunken(p, r, face);
    else
      Raised(p, r, face);
    // Arrow pointing away from the track.
    const QPointF c = QRectF(r).center();
    const double a = r.width() / 4.0, dir = part == 1 ? -1 : 1;
    QPolygonF tri;
    if (bar.vertical)
      tri << QPointF(c.x() - a, c.y() - dir * a / 2) << QPointF(c.x() + a, c.y() - dir * a / 2)
          << QPointF(c.x(), c.y() + dir * a / 2);
    else
      tri << QPointF(c.x() - dir * a / 2, c.y() - a) << QPointF(c.x() - dir * a / 2, c.y() + a)
          << QPointF(c.x() + dir * a / 2, c.y());
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawPolygon(tri);
    p.setBrush(Qt::NoBrush);
  }
  Raised(p, ScrollPartRect(bar, 4), face);
}

void TTab::PaintSelection(QPainter& p, const CSheet& s) {
  const TSel& sel = s.selection;
  const int L = kLeftMargin, W = m_geo.rowHeaderWidth, T = m_geo.top, H = m_geo.headerHeight;
  const int CL = m_geo.cellsLeft, CT = m_geo.cellsTop;
  const int vc = m_geo.visibleColumns, vr = m_geo.visibleRows;
  const QRect cells(QPoint(CL, CT), QPoint(ColumnX(vc) - 1, RowY(vr) - 1));
  const QRect xHeader(QPoint(CL, T), QPoint(ColumnX(vc) - 1, T + H - 1));
  const QRect yHeader(QPoint(L, CT), QPoint(L + W - 1, RowY(vr) - 1));

  // Visible entries of each kind, for the per-entry passes below.
  auto forEachVisible = [&](auto&& f) {
    for (int j = 0; j < vr; ++j)
      for (int k = 0; k < vc; ++k) f(SheetEntry{XIndexOfColumn(k), YIndexOfRow(j)});
    if (!s.xAxis.collapsed)
      for (int k = 0; k < vc; ++k) f(SheetEntry{XIndexOfColumn(k), -1});
    if (!s.yAxis.collapsed)
      for (int j = 0; j < vr; ++j) f(SheetEntry{-1, YIndexOfRow(j)});
  };

  // 6. Selected entries and the interpolation corners.
  if (sel.count > 1) {
    forEachVisible([&](SheetEntry e) {
      if (!IsSelected(s, e)) return;
      const QRect r = EntryRect(e).adjusted(1, 1, 0, 0);
      p.fillRect(r, C(kSelectedFill));
      p.setPen(Qt::white);
      p.drawRect(r.adjusted(0, 0, -1, -1));
    });
  }
  const QRect partArea = sel.kind == kSelXPoints ? xHeader : (sel.kind == kSelYPoints ? yHeader : cells);
  if (sel.rect && SelectionEditable(s)) {
    const QRect r = BoxRect({sel.x0, sel.y0, sel.x1, sel.y1});
    const QRect one = EntryRect({sel.x0, sel.y0});
    const int m = std::min(one.width(), one.height()) + 1;
    const QColor colour = C(m_handle == Handle::kInterpolation ? kInterpolationPreview : kInterpolationCorner);
    p.save();
    p.setClipRect(partArea);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    const int x0 = r.left(), x1 = r.right() + 1, y0 = r.top(), y1 = r.bottom() + 1;
    p.drawPolygon(QPolygon({QPoint(x0, y0), QPoint(x0 + m, y0), QPoint(x0, y0 + m)}));
    p.drawPolygon(QPolygon({QPoint(x1, y0), QPoint(x1 - m, y0), QPoint(x1, y0 + m)}));
    p.drawPolygon(QPolygon({QPoint(x0, y1), QPoint(x0 + m, y1), QPoint(x0, y1 - m)}));
    p.drawPolygon(QPolygon({QPoint(x1, y1), QPoint(x1 - m, y1), QPoint(x1, y1 - m)}));
    p.restore();
  }

  // 7. Operating point.
  PaintLivePoint(p, s);

  // 8. Selection frame, fill handle and the outline of a multiple selection.
  if (HasSelection(s)) {
    const QRect r = BoxRect(sel.box);
    const int w = hasFocus() ? 3 : 2;
    const int x0 = r.left(), x1 = r.right() + 1, y0 = r.top(), y1 = r.bottom() + 1;
    const QRect v = partArea;
    const int top = std::max(y0, v.top()), bot = std::min(y1, v.bottom() + 1);
    const int lft = std::max(x0, v.left()), rgt = std::min(x1, v.right() + 1);
    const bool showX = lft <= rgt, showY = top <= bot;
    const int hw = w / 2;
    if (showY && x0 >= v.left() && x0 <= v.right() + 1) p.fillRect(x0 - hw, top - hw, w, bot - top + w, Qt::black);
    if (showY && x1 >= v.left() && x1 <= v.right() + 1) p.fillRect(x1 - hw, top - hw, w, bot - top + w, Qt::black);
    if (showX && y0 >= v.top() && y0 <= v.bottom() + 1) p.fillRect(lft - hw, y0 - hw, rgt - lft + w, w, Qt::black);
    if (showX && y1 >= v.top() && y1 <= v.bottom() + 1) p.fillRect(lft - hw, y1 - hw, rgt - lft + w, w, Qt::black);
    if (v.adjusted(0, 0, 1, 1).contains(QPoint(x1, y1))) {
      const int h = kFillHandleSize;
      p.fillRect(x1 - h / 2, y1 - h / 2, h, h, Qt::black);
      p.setPen(Qt::white);
      p.drawLine(x1 - h / 2 - 1, y1 - h / 2 - 1, x1 + h / 2, y1 - h / 2 - 1);
      p.drawLine(x1 - h / 2 - 1, y1 - h / 2 - 1, x1 - h / 2 - 1, y1 + h / 2);
    }
    if (sel.count > 1) {
      p.setPen(Qt::black);
      auto selected = [&](int x, int y) {
        if (x < -1 || y < -1) return false;
        if (x >= 0 && x >= s.xAxis.count) return false;
        if (y >= 0 && y >= s.yAxis.count) return false;
        if (x < 0 && y < 0) return false;
        return IsSelected(s, {x, y});
      };
      forEachVisible([&](SheetEntry e) {
        if (!IsSelected(s, e)) return;
        const QRect er = EntryRect(e);
        const bool rowKind = e.IsXPoint(), colKind = e.IsYPoint();
        if (colKind || !selected(e.x - 1, e.y)) p.drawLine(er.topLeft(), er.bottomLeft());
        if (colKind || !selected(e.x + 1, e.y)) p.drawLine(er.topRight(), er.bottomRight());
        if (rowKind || !selected(e.x, e.y - 1)) p.drawLine(er.topLeft(), er.topRight());
        if (rowKind || !selected(e.x, e.y + 1)) p.drawLine(er.bottomLeft(), er.bottomRight());
      });
    }
  }

  // 9. Fill-drag target.
  const FillDragState& fill = m_model.FillDrag();
  if (fill.mode != kFillNone) {
    const QRect r = BoxRect(fill.target);
    p.save();
    p.setClipRect(partArea.adjusted(-2, -2, 2, 2));
    p.setPen(QPen(C(kFillTargetFrame), 3));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(0, 0, 1, 1));
    p.restore();
  }
}

void TTab::PaintLivePoint(QPainter& p, const CSheet& s) {
  if (!(s.flags & kSheetLivePoint)) return;
  const int textHeight = QFontMetrics(Sized(font(), kControlFontPt * 1.4, true)).ascent();
  auto ring = [&](SheetEntry e, const QColor& colour) {
    if (!EntryVisible(e)) return;
    const QRect r = EntryRect(e);
    p.setBrush(Qt::NoBrush);
    const QColor dark(colour.red() / 2, colour.green() / 2, colour.blue() / 2);
    // A row too low for two rings round its value: one pill along the
    // cell's edge, so the ring never crosses the digits.
    if (r.height() - 10 < textHeight + 4) {
      const QRectF edge = QRectF(r).adjusted(1.5, 1.5, -1.5, -1.5);
      const double radius = edge.height() / 2;
      p.setPen(QPen(dark, 1));
      p.drawRoundedRect(edge.adjusted(-0.5, -0.5, 0.5, 0.5), radius, radius);
      p.setPen(QPen(colour, 2));
      p.drawRoundedRect(edge.adjusted(1, 1, -1, -1), radius - 1, radius - 1);
      return;
    }
    p.setPen(QPen(dark, 3));
    p.drawEllipse(r.adjusted(2, 2, -2, -2));
    p.setPen(QPen(colour, 3));
    p.drawEllipse(r.adjusted(5, 5, -5, -5));
  };
  // Sensor characteristics: the coolant's row in the first column, the air's in the second.
  if (s.liveExtraRow1 >= 0) ring({0, s.liveExtraRow1}, C(kLiveActive));
  if (s.liveExtraRow2 >= 0) ring({1, s.liveExtraRow2}, C(kLiveActive));
  if (s.liveKind == 0) return;
  const QColor colour = C(s.liveKind == 1 ? kLiveActive : kLivePartial);
  if (s.liveX >= 0) ring({s.liveX, -1}, colour);
  if (s.liveY >= 0) ring({-1, s.liveY}, colour);
  if (s.liveKind > 0 && s.liveX >= 0 && s.liveY >= 0) ring({s.liveX, s.liveY}, colour);
}

void TTab::PaintValues(QPainter& p, const CSheet& s) {
  const QFont plain = font();
  const QFont bold = Sized(plain, kControlFontPt * 1.4, true);
  const QFont readOnly = Sized(plain, kControlFontPt * 1.2, true, true);
  const QColor grey = C(kReadOnlyText), previewColour = C(kInterpolationPreview);
  const bool preview = m_handle == Handle::kInterpolation && m_previewPart != 0;

  auto draw = [&](SheetEntry e, const CAxe& axis) {
    const QRect r = EntryRect(e);
    const bool editable = axis.editable != 0;
    if (m_edit.active && m_edit.entry == e) {
      p.setFont(editable ? bold : readOnly);
      const QFontMetrics fm(p.font());
      const QString text = Q(m_edit.text);
      const int tw = fm.horizontalAdvance(text);
      const int x0 = r.center().x() + 2 - tw / 2;
      const int base = r.center().y() + (fm.ascent() - fm.descent()) / 2;
      for (int i = 0; i <= static_cast<int>(m_edit.text.size()); ++i)
        m_edit.charX[static_cast<std::size_t>(i)] = x0 + fm.horizontalAdvance(text.left(i));
      m_edit.textTop = base - fm.ascent();
      m_edit.textHeight = fm.height();
      if (m_edit.selEnd > m_edit.selStart) {
        const int a = m_edit.charX[static_cast<std::size_t>(m_edit.selStart)];
        const int b = m_edit.charX[static_cast<std::size_t>(m_edit.selEnd)];
        p.fillRect(a, m_edit.textTop, b - a, m_edit.textHeight, C(kEditorSelection));
      }
      p.setPen(Qt::black);
      p.drawText(x0, base, text);
      return;
    }
    std::string text;
    QColor colour = editable ? QColor(Qt::black) : grey;
    if (preview && e.IsCell() == (m_previewPart == kPartData) && IsSelected(s, e) && !(MarksOf(s, e) & kMarkCorner)) {
      const std::size_t i = static_cast<std::size_t>(e.IsCell() ? e.y * kCellStride + e.x : (e.x >= 0 ? e.x : e.y));
      if (i < m_preview.size() && m_preview[i] != s.ValueOf(e)) {
        text = s.EntryText(e, m_preview[i]);
        colour = previewColour;
      }
    }
    if (text.empty()) text = s.EntryText(e);
    const QString qt = Q(text);
    if (!e.IsCell() && axis.namedValues)
      p.setFont(FitFont(plain, qt, r.width() - 2));
    else
      p.setFont(editable ? bold : readOnly);
    p.setPen(colour);
    p.drawText(r.translated(2, 0), Qt::AlignCenter, qt);
  };
  for (int j = 0; j < m_geo.visibleRows; ++j)
    for (int k = 0; k < m_geo.visibleColumns; ++k) draw({XIndexOfColumn(k), YIndexOfRow(j)}, s.dataAxis);
  if (!s.xAxis.collapsed)
    for (int k = 0; k < m_geo.visibleColumns; ++k) draw({XIndexOfColumn(k), -1}, s.xAxis);
  if (!s.yAxis.collapsed)
    for (int j = 0; j < m_geo.visibleRows; ++j) draw({-1, YIndexOfRow(j)}, s.yAxis);
  p.setFont(plain);
}

void TTab::PaintSpinner(QPainter& p) {
  if (!m_spin.visible) return;
  const QColor face = palette().color(QPalette::Button);
  for (int half : {1, 2}) {
    const QRect r = half == 1 ? m_spin.up : m_spin.down;
    if (m_spin.pressed == half)
      Sunken(p, r, face);
    else
      Raised(p, r, face);
    const double w = r.width(), h = r.height();
    const double x = r.x(), y = r.y();
    const double tipY = half == 1 ? y + 0.1 * h : y + 0.9 * h;
    const double baseY = y + 0.5 * h;
    const double stemEnd = half == 1 ? y + 0.9 * h : y + 0.1 * h;
    p.setPen(Qt::NoPen);
    p.setBrush(C(kSpinnerArrow));
    p.drawPolygon(QPolygonF({QPointF(x + 0.1 * w, baseY), QPointF(x + 0.9 * w, baseY), QPointF(x + 0.5 * w, tipY)}));
    p.drawRect(QRectF(QPointF(x + 0.3 * w, std::min(baseY, stemEnd)), QPointF(x + 0.7 * w, std::max(baseY, stemEnd))));
    p.setBrush(Qt::NoBrush);
  }
}

// ---------------------------------------------------------------------------
// Hit tests

TTab::Hit TTab::HitTest(QPoint pt) const {
  const CSheet* s = m_model.Active();
  if (!s || !m_hasTable) return {};
  if (m_hBar.visible && m_hBar.rect.contains(pt)) return {Region::kHorizontalBar, {}};
  if (m_vBar.visible && m_vBar.rect.contains(pt)) return {Region::kVerticalBar, {}};
  const bool xc = s->xAxis.collapsed != 0, yc = s->yAxis.collapsed != 0;
  const int L = kLeftMargin, W = m_geo.rowHeaderWidth, T = m_geo.top, H = m_geo.headerHeight;
  const int CL = m_geo.cellsLeft, CT = m_geo.cellsTop;
  if (xc && QRect(QPoint(L + W + 2, CT - 30), QPoint(ColumnX(1) - 1, CT - 3)).contains(pt))
    return {Region::kDataLabel, {}};
  if (yc && QRect(QPoint(L, T + H + 2), QPoint(CL - 3, RowY(1) - 1)).contains(pt)) return {Region::kDataLabel, {}};
  const int x = pt.x(), y = pt.y();
  if (x >= L && x < CL && y >= T && y < CT) {
    const SheetEntry allX{0, -1}, allY{-1, 0};
    if (!xc && !yc) {
      if (x >= L + W && y >= T + H) return {Region::kAllCells, {}};
      return {Region::kCorner, W * (y - T) < H * (x - L) ? allX : allY};
    }
    if (xc && !yc && x < L + W && y >= CT - 30) return {Region::kCorner, allY};
    if (yc && !xc && y < T + H) return {Region::kCorner, allX};
    return {};
  }
  const int k = VisibleColumnAt(x), j = VisibleRowAt(y);
  if (k >= 0 && !xc && y >= T && y < T + H) return {Region::kXHeader, {XIndexOfColumn(k), -1}};
  if (k >= 0 && !xc && y >= T + H && y < CT) return {Region::kColumnStrip, {XIndexOfColumn(k), s->FirstUsedRow()}};
  if (j >= 0 && !yc && x >= L && x < L + W) return {Region::kYHeader, {-1, YIndexOfRow(j)}};
  if (j >= 0 && !yc && x >= L + W && x < CL) return {Region::kRowStrip, {s->FirstUsedColumn(), YIndexOfRow(j)}};
  if (k >= 0 && j >= 0) return {Region::kCell, {XIndexOfColumn(k), YIndexOfRow(j)}};
  return {};
}

SheetEntry TTab::DragEntryAt(QPoint pt, bool visibleOnly) const {
  const CSheet& s = *m_model.Active();
  const int mode = s.selection.mode;
  int x = s.xAxis.collapsed
              ? s.xAxis.fixedIndex
              : s.xAxis.firstVisible + static_cast<int>(std::floor((pt.x() - m_geo.cellsLeft) / m_geo.columnWidth));
  int y = s.yAxis.collapsed
              ? s.yAxis.fixedIndex
              : s.yAxis.firstVisible + static_cast<int>(std::floor((pt.y() - m_geo.cellsTop) / m_geo.rowHeight));
  if (visibleOnly) {
    if (!s.xAxis.collapsed) x = std::clamp(x, s.xAxis.firstVisible, s.xAxis.firstVisible + m_geo.visibleColumns - 1);
    if (!s.yAxis.collapsed) y = std::clamp(y, s.yAxis.firstVisible, s.yAxis.firstVisible + m_geo.visibleRows - 1);
  }
  if (mode == kSelModeXHeader) return {std::clamp(x, 0, s.xAxis.count - 1), -1};
  if (mode == kSelModeYHeader) return {-1, std::clamp(y, 0, s.yAxis.count - 1)};
  return {std::clamp(x, s.FirstUsedColumn(), s.LastUsedColumn()), std::clamp(y, s.FirstUsedRow(), s.LastUsedRow())};
}

TTab::Handle TTab::HandleAt(QPoint pt) const {
  const CSheet* s = m_model.Active();
  if (!s || !m_hasTable || !HasSelection(*s) || !SelectionEditable(*s) || (s->selection.drag & 1)) return Handle::kNone;
  const TSel& sel = s->selection;
  const int vc = m_geo.visibleColumns, vr = m_geo.visibleRows;
  QRect area(QPoint(m_geo.cellsLeft, m_geo.cellsTop), QPoint(ColumnX(vc) - 1, RowY(vr) - 1));
  if (sel.kind == kSelXPoints)
    area = QRect(QPoint(m_geo.cellsLeft, m_geo.top), QPoint(ColumnX(vc) - 1, m_geo.top + m_geo.headerHeight - 1));
  if (sel.kind == kSelYPoints)
    area = QRect(QPoint(kLeftMargin, m_geo.cellsTop), QPoint(kLeftMargin + m_geo.rowHeaderWidth - 1, RowY(vr) - 1));
  if (!area.adjusted(-kBorderReach, -kBorderReach, kBorderReach, kBorderReach).contains(pt)) return Handle::kNone;

  if (sel.rect) {
    const QRect r = BoxRect({sel.x0, sel.y0, sel.x1, sel.y1});
    if (r.contains(pt)) {
      const int reach = static_cast<int>(m_geo.rowHeight);
      for (QPoint c : {r.topLeft(), QPoint(r.right() + 1, r.top()), QPoint(r.left(), r.bottom() + 1),
                       QPoint(r.right() + 1, r.bottom() + 1)})
        if ((pt - c).manhattanLength() <= reach) return Handle::kInterpolation;
    }
  }
  const QRect r = BoxRect(sel.box);
  const int x0 = r.left(), x1 = r.right() + 1, y0 = r.top(), y1 = r.bottom() + 1;
  if (std::abs(pt.x() - x1) <= kFillHandleReach && std::abs(pt.y() - y1) <= kFillHandleReach) return Handle::kFill;
  const bool inX = pt.x() >= x0 - kBorderReach && pt.x() <= x1 + kBorderReach;
  const bool inY = pt.y() >= y0 - kBorderReach && pt.y() <= y1 + kBorderReach;
  if (inY && (std::abs(pt.x() - x0) <= kBorderReach || std::abs(pt.x() - x1) <= kBorderReach)) return Handle::kBorder;
  if (inX && (std::abs(pt.y() - y0) <= kBorderReach || std::abs(pt.y() - y1) <= kBorderReach)) return Handle::kBorder;
  return Handle::kNone;
}

// ---------------------------------------------------------------------------
// Spinner and hover

void TTab::PlaceSpinner(SheetEntry e) {
  const QRect r = EntryRect(e);
  const int left = e.IsYPoint() ? kLeftMargin + m_geo.rowHeaderWidth : r.right() + 1 - kSpinnerInset;
  const int mid = r.top() + r.height() / 2;
  const QRect up(QPoint(left, r.top()), QPoint(left + kSpinnerWidth - 1, mid - 1));
  const QRect down(QPoint(left, mid + 1), QPoint(left + kSpinnerWidth - 1, r.bottom()));
  if (m_spin.visible && m_spin.entry == e) return;
  m_spin.visible = true;
  m_spin.entry = e;
  m_spin.up = up;
  m_spin.down = down;
  m_spin.pressed = 0;
  m_model.RequestRedraw(kRedraw);
}

void TTab::HideSpinner() {
  if (!m_spin.visible) return;
  m_spin = Spinner{};
  m_model.RequestRedraw(kRedraw);
}

void TTab::UpdateHover(QPoint pt) {
  const CSheet* s = m_model.Active();
  if (!s || !m_hasTable) {
    HideSpinner();
    return;
  }
  const Handle before = m_handle;
  m_handle = HandleAt(pt);
  if (m_handle != before) {
    m_model.RequestRedraw(kRedraw);
    m_previewPart = m_handle == Handle::kInterpolation ? CTabModel::ComputeInterpolation(*s, m_preview) : 0;
    const std::string_view hint = LookupText(3, "Interpolation");
    setToolTip(m_handle == Handle::kInterpolation ? QString::fromUtf8(hint.data(), qsizetype(hint.size())) : QString());
  }

  // The spinner stays while the mouse is on one of its halves, even where
  // that half reaches over the next entry.
  int half = 0;
  if (m_spin.visible) half = m_spin.up.contains(pt) ? 1 : (m_spin.down.contains(pt) ? 2 : 0);
  if (half == 0) {
    const Hit hit = HitTest(pt);
    const bool entryRegion =
        hit.region == Region::kCell || hit.region == Region::kXHeader || hit.region == Region::kYHeader;
    if (entryRegion && s->EntryEditable(hit.entry) && !(s->selection.drag & 1) && m_handle == Handle::kNone) {
      PlaceSpinner(hit.entry);
      half = m_spin.up.contains(pt) ? 1 : (m_spin.down.contains(pt) ? 2 : 0);
    } else {
      HideSpinner();
    }
  }
  if (half != m_spin.hovered) {
    m_spin.hovered = half;
    m_model.RequestRedraw(kRedraw);
  }

  for (ScrollBar* bar : {&m_hBar, &m_vBar}) bar->hovered = ScrollPartAt(*bar, pt);

  Qt::CursorShape shape = Qt::ArrowCursor;
  if (m_handle == Handle::kFill) shape = Qt::CrossCursor;
  if (m_handle == Handle::kBorder) shape = Qt::SizeAllCursor;
  if (m_edit.active && EntryRect(m_edit.entry).contains(pt) && half == 0) shape = Qt::IBeamCursor;
  if (cursor().shape() != shape) setCursor(shape);
}

void TTab::SpinnerPress(int half) {
  CommitEdit();
  m_spin.pressed = half;
  m_spin.pressTick = m_model.TickCount();
  m_spin.repeatStarted = false;
  m_model.RequestRedraw(kRedraw);
}

// ---------------------------------------------------------------------------
// Cell editor

void TTab::StartEdit(SheetEntry e, const std::string& text, bool selectAll) {
  const CSheet* s = m_model.Active();
  if (!s || !s->EntryEditable(e)) return;
  m_edit = Editor{};
  m_edit.active = true;
  m_edit.entry = e;
  m_edit.text = text.substr(0, kEditorMaxChars);
  m_edit.caret = static_cast<int>(m_edit.text.size());
  if (selectAll) m_edit.selEnd = m_edit.caret;
  Reveal(e);
  m_model.RequestRedraw(kRedraw);
}

void TTab::CommitEdit() {
  if (!m_edit.active) return;
  m_edit.active = false;
  const SheetEntry e = m_edit.entry;
  // What the text stands for, to tell the tuner when the range (or the
  // owner's limits) held it back: the unit gets the value in force.
  std::optional<std::int32_t> typed;
  if (const CSheet* s = m_model.Active(); s && !(e.IsCell() && s->ShowsPercent())) {
    std::int32_t raw = 0;
    if (ParseShownValue(m_edit.text, e.IsCell() ? s->dataAxis.scale : s->Axis(CSheet::PartOf(e)).scale, raw))
      typed = raw;
  }
  const bool committed = m_model.CommitEntryText(e, m_edit.text);
  m_model.RequestRedraw(kRedraw);
  const CSheet* s = m_model.Active();
  if (committed && typed && s && s->EntryEditable(e) && s->ValueOf(e) != *typed)
    emit ValueLimited(Q(s->EntryText(e, *typed)), Q(s->EntryText(e)));
}

void TTab::CancelEdit() {
  if (!m_edit.active) return;
  m_edit.active = false;
  m_model.RequestRedraw(kRedraw);
}

void TTab::EditorInsert(char c) {
  std::string& t = m_edit.text;
  if (m_edit.selEnd > m_edit.selStart) {
    t.erase(static_cast<std::size_t>(m_edit.selStart), static_cast<std::size_t>(m_edit.selEnd - m_edit.selStart));
    m_edit.caret = m_edit.selStart;
    m_edit.selStart = m_edit.selEnd = 0;
  }
  if (static_cast<int>(t.size()) >= kEditorMaxChars) return;
  t.insert(t.begin() + m_edit.caret, c);
  ++m_edit.caret;
}

void TTab::EditorPlaceCaret(int px) {
  const int n = static_cast<int>(m_edit.text.size());
  m_edit.caret = n;
  for (int i = 0; i < n; ++i) {
    const int centre = (m_edit.charX[static_cast<std::size_t>(i)] + m_edit.charX[static_cast<std::size_t>(i + 1)]) / 2;
    if (centre > px) {
      m_edit.caret = i;
      break;
    }
  }
  m_edit.blink = 0;
}

bool TTab::EditorKey(int key, Qt::KeyboardModifiers modifiers, const QString& text) {
  const bool shift = modifiers & Qt::ShiftModifier;
  Editor& ed = m_edit;
  const int n = static_cast<int>(ed.text.size());
  const bool hasSel = ed.selEnd > ed.selStart;
  auto eraseSelection = [&] {
    ed.text.erase(static_cast<std::size_t>(ed.selStart), static_cast<std::size_t>(ed.selEnd - ed.selStart));
    ed.caret = ed.selStart;
    ed.selStart = ed.selEnd = 0;
  };
  auto moveCaret = [&](int to) {
    to = std::clamp(to, 0, n);
    if (shift) {
      const int anchor = !hasSel ? ed.caret : (ed.caret == ed.selStart ? ed.selEnd : ed.selStart);
      ed.selStart = std::min(anchor, to);
      ed.selEnd = std::max(anchor, to);
    } else {
      ed.selStart = ed.selEnd = 0;
    }
    ed.caret = to;
  };
  ed.blink = 0;
  switch (key) {
    case Qt::Key_Backspace:
      if (hasSel)
        eraseSelection();
      else if (ed.caret > 0)
        ed.text.erase(static_cast<std::size_t>(--ed.caret), 1);
      break;
    case Qt::Key_Delete:
      if (hasSel)
        eraseSelection();
      else if (ed.caret < n)
        ed.text.erase(static_cast<std::size_t>(ed.caret), 1);
      break;
    case Qt::Key_Left:
      moveCaret(ed.caret - 1);
      break;
    case Qt::Key_Right:
      moveCaret(ed.caret + 1);
      break;
    case Qt::Key_Home:
      moveCaret(0);
      break;
    case Qt::Key_End:
      moveCaret(n);
      break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
      CommitEdit();
      break;
    case Qt::Key_Escape:
      CancelEdit();
      break;
    default:
      if (text.size() != 1) return false;
      if (EditorChar(text[0])) EditorInsert(static_cast<char>(text[0].toLatin1()));
      break;
  }
  m_model.RequestRedraw(kRedraw);
  return true;
}

// ---------------------------------------------------------------------------
// Keys

bool TTab::KeyDown(int key, Qt::KeyboardModifiers modifiers, const QString& text) {
  CSheet* s = m_model.Active();
  if (!s) return false;
  const bool ctrl = modifiers & Qt::ControlModifier, shift = modifiers & Qt::ShiftModifier;
  const QChar ch = text.size() == 1 ? text[0] : QChar();

  // Keys common to every view.
  if (!m_edit.active && (ch == '+' || ch == '-')) {
    RunCommand(ch == '+' ? kCommandStepUp : kCommandStepDown);
    return true;
  }
  // Taken even when nothing is copied or pasted, so they never start an edit.
  if (ctrl && (key == Qt::Key_C || key == Qt::Key_Insert)) {
    RunCommand(kCommandCopy);
    return true;
  }
  if ((ctrl && key == Qt::Key_V) || (shift && key == Qt::Key_Insert)) {
    RunCommand(kCommandPaste);
    return true;
  }
  if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
    if (m_model.SheetCount() < 2) return false;
    EndInteractions();
    const bool done =
        ctrl ? m_model.SelectPreviouslyActive() : m_model.SelectNextSheet(key == Qt::Key_Backtab || shift ? -1 : 1);
    Flush();
    return done;
  }
  // The graph views take their own keys when no table shows.
  if (m_model.ShownView() != kViewTable) {
    CGraphView* graph = ShownGraph();
    const bool used = graph && graph->Key(key, modifiers, text);
    Flush();
    return used;
  }
  const bool used = m_edit.active ? EditorKey(key, modifiers, text) : TableKey(key, modifiers, text);
  Flush();
  return used;
}

bool TTab::TableKey(int key, Qt::KeyboardModifiers modifiers, const QString& text) {
  CSheet& s = *m_model.Active();
  if (!m_hasTable) return false;
  const bool shift = modifiers & Qt::ShiftModifier;
  const SheetEntry first = FirstSelected(s);
  const bool canEdit = HasSelection(s) && s.EntryEditable(first);
  bool moved = false;
  switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      moved = MoveCursorEnter(s);
      break;
    case Qt::Key_Left:
      moved = MoveCursor(s, -1, 0, shift);
      break;
    case Qt::Key_Right:
      moved = MoveCursor(s, 1, 0, shift);
      break;
    case Qt::Key_Up:
      moved = MoveCursor(s, 0, -1, shift);
      break;
    case Qt::Key_Down:
      moved = MoveCursor(s, 0, 1, shift);
      break;
    case Qt::Key_Home:
      moved = MoveCursorToEdge(s, CursorEdge::kHome, shift);
      break;
    case Qt::Key_End:
      moved = MoveCursorToEdge(s, CursorEdge::kEnd, shift);
      break;
    case Qt::Key_PageUp:
      moved = MoveCursorToEdge(s, CursorEdge::kPageUp, shift);
      break;
    case Qt::Key_PageDown:
      moved = MoveCursorToEdge(s, CursorEdge::kPageDown, shift);
      break;
    case Qt::Key_Escape:
      if (!HasSelection(s)) return false;
      ClearSelection(s);
      m_model.RequestRedraw(kRedraw);
      return true;
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
      if (!canEdit) return false;
      StartEdit(first, {}, false);
      return true;
    case Qt::Key_Insert:
      if (!canEdit) return false;
      StartEdit(first, s.EntryEditText(first), false);
      return true;
    default:
      if (text.size() == 1 && EditorChar(text[0]) && canEdit) {
        StartEdit(first, {}, false);
        EditorInsert(static_cast<char>(text[0].toLatin1()));
        return true;
      }
      return false;
  }
  if (moved) {
    RevealCursor();
    m_model.RequestRedraw(kRedraw);
  }
  // A move key with a selection counts as used even at a wall, so that it
  // never moves the focus away from the table.
  return moved || HasSelection(s);
}

bool TTab::event(QEvent* e) {
  // Tab and Shift+Tab switch sheets before the widget would move the focus.
  if (e->type() == QEvent::KeyPress) {
    auto* k = static_cast<QKeyEvent*>(e);
    if ((k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) && KeyDown(k->key(), k->modifiers(), k->text())) {
      k->accept();
      return true;
    }
  }
  return QWidget::event(e);
}

void TTab::keyPressEvent(QKeyEvent* e) {
  if (KeyDown(e->key(), e->modifiers(), e->text()))
    e->accept();
  else
    QWidget::keyPressEvent(e);
}

// ---------------------------------------------------------------------------
// Scrolling

void TTab::RevealCursor() { Reveal(m_model.Active()->selection.corner); }

void TTab::Reveal(SheetEntry e) {
  CSheet* s = m_model.Active();
  if (!s) return;
  int fx = s->xAxis.firstVisible, fy = s->yAxis.firstVisible;
  if (e.x >= 0 && !s->xAxis.collapsed) fx = ScrollToShow(fx, e.x, s->xAxis.count, m_geo.visibleColumns);
  if (e.y >= 0 && !s->yAxis.collapsed) fy = ScrollToShow(fy, e.y, s->yAxis.count, m_geo.visibleRows);
  if (fx != s->xAxis.firstVisible) ScrollBy(false, fx - s->xAxis.firstVisible);
  if (fy != s->yAxis.firstVisible) ScrollBy(true, fy - s->yAxis.firstVisible);
}

bool TTab::ScrollBy(bool vertical, int delta) {
  CSheet* s = m_model.Active();
  if (!s || delta == 0) return false;
  CAxe& axis = vertical ? s->yAxis : s->xAxis;
  if (axis.collapsed) return false;
  const int visible = vertical ? m_geo.visibleRows : m_geo.visibleColumns;
  const int to = ClampFirstVisible(axis.firstVisible + delta, axis.count, visible);
  if (to == axis.firstVisible) return false;
  // Scrolling ends an edit unless the edited entry is what is being revealed.
  if (m_edit.active && !(m_edit.entry == s->selection.corner)) CommitEdit();
  HideSpinner();
  axis.firstVisible = to;
  (vertical ? m_vBar : m_hBar).position = to;
  m_model.RequestRedraw(kRedraw);
  return true;
}

void TTab::ScrollBarPress(ScrollBar& bar, int part, QPoint pt) {
  bar.pressed = part;
  bar.pressTick = m_model.TickCount();
  bar.thumbDrag = part == 4;
  bar.dragMouse = bar.vertical ? pt.y() : pt.x();
  bar.dragPosition = bar.position;
  const int page = std::max(1, bar.page - 1);
  if (part == 1) ScrollBy(bar.vertical, -1);
  if (part == 2) ScrollBy(bar.vertical, 1);
  if (part == 8) ScrollBy(bar.vertical, -page);
  if (part == 16) ScrollBy(bar.vertical, page);
  m_model.RequestRedraw(kRedraw);
}

void TTab::ScrollBarRepeat(ScrollBar& bar) {
  if (!bar.pressed || bar.thumbDrag) return;
  if (m_model.TickCount() + 1 - bar.pressTick < 3) return;
  // A track repeat stops once the thumb has come to the mouse.
  if ((bar.pressed == 8 || bar.pressed == 16) && ScrollPartAt(bar, m_mouse) != bar.pressed) return;
  const int page = std::max(1, bar.page - 1);
  const int delta = bar.pressed == 1 ? -1 : (bar.pressed == 2 ? 1 : (bar.pressed == 8 ? -page : page));
  ScrollBy(bar.vertical, delta);
}

void TTab::AutoScroll() {
  CSheet& s = *m_model.Active();
  const FillDragState& fill = m_model.FillDrag();
  const bool selecting = (s.selection.drag & 1) != 0;
  int part = fill.mode != kFillNone ? fill.part : SelectionPart(s);
  if (selecting)
    part = s.selection.mode == kSelModeXHeader ? kPartX : (s.selection.mode == kSelModeYHeader ? kPartY : kPartData);
  const bool horizontal = part != kPartY, vertical = part != kPartX;
  const int right = ColumnX(m_geo.visibleColumns), bottom = RowY(m_geo.visibleRows);
  int gx = 0, dx = 0, gy = 0, dy = 0;
  if (horizontal) {
    if (m_mouse.x() < m_geo.cellsLeft) gx = m_geo.cellsLeft - m_mouse.x(), dx = -1;
    if (m_mouse.x() > right) gx = m_mouse.x() - right, dx = 1;
  }
  if (vertical) {
    if (m_mouse.y() < m_geo.cellsTop) gy = m_geo.cellsTop - m_mouse.y(), dy = -1;
    if (m_mouse.y() > bottom) gy = m_mouse.y() - bottom, dy = 1;
  }
  if (dx == 0 && dy == 0) {
    m_autoScrollTicks = 0;
    return;
  }
  ++m_autoScrollTicks;
  bool scrolled = false;
  if (dx != 0 && m_autoScrollTicks % std::max(1, (100 - gx) / 10) == 0) scrolled |= ScrollBy(false, dx);
  if (dy != 0 && m_autoScrollTicks % std::max(1, (100 - gy) / 10) == 0) scrolled |= ScrollBy(true, dy);
  if (!scrolled) return;
  if (selecting) {
    DragSelection(s, DragEntryAt(m_mouse, true));
  } else if (fill.mode != kFillNone) {
    const QPoint content(m_mouse.x() + static_cast<int>(s.xAxis.firstVisible * m_geo.columnWidth),
                         m_mouse.y() + static_cast<int>(s.yAxis.firstVisible * m_geo.rowHeight));
    m_model.UpdateFillDrag(static_cast<int>((content.x() - m_fillPress.x()) / m_geo.columnWidth),
                           static_cast<int>((content.y() - m_fillPress.y()) / m_geo.rowHeight));
  }
}

void TTab::EndInteractions() {
  CommitEdit();
  HideSpinner();
  if (m_model.FillDrag().mode != kFillNone) {
    m_model.CancelFillDrag();
    m_model.RequestRedraw(kRedraw);
  }
  m_hBar.pressed = m_vBar.pressed = 0;
  m_hBar.thumbDrag = m_vBar.thumbDrag = false;
  m_handle = Handle::kNone;
  m_previewPart = 0;
}

// ---------------------------------------------------------------------------
// Mouse

// The selection a press starts in a region of the table; none for regions
// that are not selected by dragging.
std::optional<SelectionMode> TTab::SelectionModeOf(Region region) {
  switch (region) {
    case Region::kCell:
      return kSelModeCells;
    case Region::kXHeader:
      return kSelModeXHeader;
    case Region::kYHeader:
      return kSelModeYHeader;
    case Region::kColumnStrip:
      return kSelModeColumns;
    case Region::kRowStrip:
      return kSelModeRows;
    default:
      return std::nullopt;
  }
}

// The graph of the shown view takes the mouse in its area, and everywhere
// while it holds a drag.
bool TTab::RouteToGraph(QMouseEvent& e, bool (CGraphView::*handler)(QMouseEvent&, const QRect&)) {
  CGraphView* graph = ShownGraph();
  if (!graph) return false;
  const QRect area = GraphArea();
  if (!graph->Captured() && !area.contains(e.position().toPoint())) return false;
  const bool used = (graph->*handler)(e, area);
  if (used) {
    setToolTip(graph->Hint());
    Flush();
  }
  return used;
}

void TTab::mousePressEvent(QMouseEvent* e) {
  CSheet* s = m_model.Active();
  const QPoint pt = e->position().toPoint();
  m_mouse = pt;
  if (FramePress(*e)) return;
  if (RouteToGraph(*e, &CGraphView::MousePress)) {
    if (e->button() == Qt::RightButton) OpenPopup(pt, false);
    return;
  }
  if (!s || !m_hasTable) {
    if (s && e->button() == Qt::RightButton) OpenPopup(pt, false);
    return;
  }
  const bool shift = e->modifiers() & Qt::ShiftModifier, ctrl = e->modifiers() & Qt::ControlModifier;

  if (e->button() == Qt::RightButton) {
    CommitEdit();
    const Hit hit = HitTest(pt);
    switch (hit.region) {
      case Region::kCorner:
        if (hit.entry.x == 0)
          SelectAllXPoints(*s);
        else
          SelectAllYPoints(*s);
        break;
      case Region::kAllCells:
      case Region::kDataLabel:
        SelectAllCells(*s);
        break;
      default:
        if (const auto mode = SelectionModeOf(hit.region)) {
          ContextSelect(*s, *mode, hit.entry);
        } else {
          if (s->selection.drag & 1) CompleteSelection(*s);
          ClearSelection(*s);
        }
        break;
    }
    m_model.RequestRedraw(kRedraw);
    Flush();
    OpenPopup(pt, false);
    return;
  }
  if (e->button() != Qt::LeftButton) return;
  m_mouseDown = true;
  UpdateHover(pt);

  // 1. Spinner.
  if (m_spin.visible && m_spin.hovered) {
    SpinnerPress(m_spin.hovered);
    Flush();
    return;
  }
  // 2. Interpolation handle.
  if (m_handle == Handle::kInterpolation) {
    InterpolateCommand();
    m_handle = Handle::kNone;
    m_previewPart = 0;
    return;
  }
  // 3. Editor.
  if (m_edit.active) {
    if (EntryRect(m_edit.entry).contains(pt)) {
      EditorPlaceCaret(pt.x());
      m_edit.selStart = m_edit.selEnd = 0;
      m_model.RequestRedraw(kRedraw);
      Flush();
      return;
    }
    CommitEdit();
  }
  // 4. Fill handle and border.
  if (m_handle == Handle::kFill || m_handle == Handle::kBorder) {
    if (m_model.BeginFillDrag(m_handle == Handle::kFill ? kFillExtrapolate : kFillMove)) {
      m_fillPress = QPoint(pt.x() + static_cast<int>(s->xAxis.firstVisible * m_geo.columnWidth),
                           pt.y() + static_cast<int>(s->yAxis.firstVisible * m_geo.rowHeight));
      HideSpinner();
      m_model.RequestRedraw(kRedraw);
      Flush();
      return;
    }
  }
  // 5.-8. Regions.
  const Hit hit = HitTest(pt);
  switch (hit.region) {
    case Region::kAllCells:
      if (pt.x() >= kLeftMargin + m_geo.rowHeaderWidth + 2 && pt.y() >= m_geo.top + m_geo.headerHeight + 2)
        ToggleAllCells(*s);
      break;
    case Region::kDataLabel:
      ToggleAllCells(*s);
      break;
    case Region::kCorner:
      if (hit.entry.x == 0)
        SelectAllXPoints(*s);
      else
        SelectAllYPoints(*s);
      break;
    case Region::kHorizontalBar:
      ScrollBarPress(m_hBar, ScrollPartAt(m_hBar, pt), pt);
      break;
    case Region::kVerticalBar:
      ScrollBarPress(m_vBar, ScrollPartAt(m_vBar, pt), pt);
      break;
    default:
      if (const auto mode = SelectionModeOf(hit.region)) BeginSelection(*s, *mode, hit.entry, shift, ctrl);
      break;
  }
  HideSpinner();
  m_model.RequestRedraw(kRedraw);
  Flush();
}

void TTab::mouseDoubleClickEvent(QMouseEvent* e) {
  CSheet* s = m_model.Active();
  const QPoint pt = e->position().toPoint();
  // The second press of a quick double click is still a press to the frame and to a graph.
  if (FramePress(*e)) return;
  if (RouteToGraph(*e, &CGraphView::MousePress)) return;
  if (!s || !m_hasTable || e->button() != Qt::LeftButton) return;
  m_mouseDown = true;
  m_mouse = pt;
  if (m_spin.visible && m_spin.hovered) {
    SpinnerPress(m_spin.hovered);
    Flush();
    return;
  }
  const Hit hit = HitTest(pt);
  const bool entryRegion =
      hit.region == Region::kCell || hit.region == Region::kXHeader || hit.region == Region::kYHeader;
  if (!entryRegion || !s->EntryEditable(hit.entry)) return;
  if (s->selection.drag & 1) CompleteSelection(*s);
  StartEdit(hit.entry, s->EntryEditText(hit.entry), true);
  Flush();  // lays the characters out
  EditorPlaceCaret(pt.x());
  update();
}

void TTab::mouseMoveEvent(QMouseEvent* e) {
  CSheet* s = m_model.Active();
  const QPoint pt = e->position().toPoint();
  m_mouse = pt;
  if (FrameMove(pt, e->buttons())) return;
  if (RouteToGraph(*e, &CGraphView::MouseMove)) return;
  if (!s || !m_hasTable) return;
  const bool buttonHeld = e->buttons() & Qt::LeftButton;
  if (!buttonHeld) {
    m_mouseDown = false;
    UpdateHover(pt);
    Flush();
    return;
  }
  if (m_spin.pressed) {
    const QRect r = m_spin.pressed == 1 ? m_spin.up : m_spin.down;
    if (!r.contains(pt)) {
      m_spin.pressed = 0;
      m_spin.hovered = 0;
      m_model.RequestRedraw(kRedraw);
    }
  } else if (m_model.FillDrag().mode != kFillNone) {
    const QPoint content(pt.x() + static_cast<int>(s->xAxis.firstVisible * m_geo.columnWidth),
                         pt.y() + static_cast<int>(s->yAxis.firstVisible * m_geo.rowHeight));
    m_model.UpdateFillDrag(static_cast<int>((content.x() - m_fillPress.x()) / m_geo.columnWidth),
                           static_cast<int>((content.y() - m_fillPress.y()) / m_geo.rowHeight));
  } else if (m_hBar.thumbDrag || m_vBar.thumbDrag) {
    ScrollBar& bar = m_hBar.thumbDrag ? m_hBar : m_vBar;
    const int track = TrackLength(bar);
    if (track > 0) {
      const int offset = (bar.vertical ? pt.y() : pt.x()) - bar.dragMouse;
      const int to = std::clamp(bar.total * offset / track + bar.dragPosition, 0, std::max(0, bar.total - bar.page));
      ScrollBy(bar.vertical, to - bar.position);
    }
  } else if (m_hBar.pressed || m_vBar.pressed) {
    for (ScrollBar* bar : {&m_hBar, &m_vBar}) bar->hovered = ScrollPartAt(*bar, pt);
  } else if (s->selection.drag & 1) {
    const SheetEntry at = DragEntryAt(pt, false);
    if (!(at == s->selection.corner)) {
      DragSelection(*s, at);
      m_model.RequestRedraw(kRedraw);
    }
  }
  Flush();
}

void TTab::mouseReleaseEvent(QMouseEvent* e) {
  CSheet* s = m_model.Active();
  m_mouse = e->position().toPoint();
  if (FrameRelease(*e)) return;
  if (RouteToGraph(*e, &CGraphView::MouseRelease)) return;
  if (e->button() != Qt::LeftButton) return;
  m_mouseDown = false;
  if (!s) return;
  if (m_spin.pressed) {
    if (!m_spin.repeatStarted) m_model.SpinnerStep(m_spin.entry, m_spin.pressed == 1 ? 1 : -1);
    m_spin.pressed = 0;
    m_model.RequestRedraw(kRedraw);
  } else if (m_model.FillDrag().mode != kFillNone) {
    m_model.FinishFillDrag();
  } else if (m_hBar.pressed || m_vBar.pressed) {
    m_hBar.pressed = m_vBar.pressed = 0;
    m_hBar.thumbDrag = m_vBar.thumbDrag = false;
    m_model.RequestRedraw(kRedraw);
  } else if (s->selection.drag & 1) {
    CompleteSelection(*s);
    m_model.RequestRedraw(kRedraw);
  }
  m_autoScrollTicks = 0;
  UpdateHover(m_mouse);
  Flush();
}

void TTab::wheelEvent(QWheelEvent* e) {
  if (CGraphView* graph = ShownGraph()) {
    const QRect area = GraphArea();
    if (area.contains(e->position().toPoint()) && graph->Wheel(*e, area)) {
      e->accept();
      Flush();
      return;
    }
  }
  CSheet* s = m_model.Active();
  if (!s || !m_hasTable || e->buttons() != Qt::NoButton) return;
  const int notches = e->angleDelta().y() / 120;
  if (notches == 0) return;
  if (m_spin.visible) {
    CommitEdit();
    const int sign = notches > 0 ? 1 : -1;
    for (int i = 0; i < std::abs(notches); ++i) m_model.SpinnerStep(m_spin.entry, sign);
  } else if (m_vBar.visible) {
    ScrollBy(true, -notches);
  } else if (m_hBar.visible) {
    ScrollBy(false, -notches);
  }
  e->accept();
  Flush();
}

void TTab::focusInEvent(QFocusEvent* e) {
  m_model.RequestRedraw(kRedraw);
  Flush();
  QWidget::focusInEvent(e);
}

void TTab::focusOutEvent(QFocusEvent* e) {
  EndInteractions();
  const CSheet* s = m_model.Active();
  // Without a selection the table drops out of the tab order until it has one.
  setFocusPolicy(s && HasSelection(*s) ? Qt::StrongFocus : Qt::ClickFocus);
  m_model.RequestRedraw(kRedraw);
  Flush();
  QWidget::focusOutEvent(e);
}

// ---------------------------------------------------------------------------
// Commands and the tick

bool TTab::StepCommand(int a) {
  CommitEdit();
  const bool done = m_model.Step(a);
  Flush();
  return done;
}

bool TTab::InterpolateCommand() {
  CommitEdit();
  const bool done = m_model.Interpolate();
  m_model.RequestRedraw(kRedraw);
  Flush();
  return done;
}

void TTab::SheetTick() {
  const std::uint32_t now = m_model.TickCount() + 1;
  const Qt::KeyboardModifiers modifiers = QGuiApplication::keyboardModifiers();
  if (modifiers != m_modifiers && ShownGraph()) m_model.RequestRedraw(kRedraw);
  m_modifiers = modifiers;

  if (m_spin.pressed) {
    const int step =
        CTabModel::SpinnerRepeatStep(static_cast<int>(now - m_spin.pressTick), m_model.FastRepeat(m_spin.entry));
    if (step != 0) {
      m_spin.repeatStarted = true;
      m_model.SpinnerStep(m_spin.entry, m_spin.pressed == 1 ? step : -step);
    }
  }
  if (m_edit.active) {
    m_edit.blink = (m_edit.blink + 1) % 16;
    if (m_edit.blink == 0 || m_edit.blink == 8) update();
  }
  if (m_mouseDown && m_model.Active() && ((m_model.Active()->selection.drag & 1) || m_model.FillDrag().mode))
    AutoScroll();
  ScrollBarRepeat(m_hBar);
  ScrollBarRepeat(m_vBar);
  if (const int language = CurrentLanguage(); language != m_language) {
    m_language = language;
    m_model.RequestRedraw(kRedraw | kRelayout);
  }
  FrameTick(now);
  m_model.Tick();
  Flush();
}
