#include "monitor/view/TFormCIDList.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <optional>

#include "monitor/AddWatch.h"
#include "monitor/MonitorComponents.h"
#include "base/Lang.h"

namespace {

// Column titles: the name, then one per WatchColumn.
constexpr CLngStr kColumnTitles[] = {
    {0, {"Property", "Eigenschaft", "Propriété", "Vlastnost"}},
    {0, {"Label", "Bezeichnung", "Libellé", "Popisek"}},
    {0, {"Value", "Wert", "Valeur", "Hodnota"}},
    {0, {"Indicator", "Anzeige", "Indicateur", "Indikátor"}},
};

// The check mark, 11 x 11; "BTCHKSOME" is the same mark in grey.
constexpr const char* kCheckPixels[] = {
    "...........", ".........#.", "........##.", ".......###.", "#.....###..", "##...###...",
    "###.###....", ".#####.....", "..###......", "...#.......", "...........",
};
constexpr int kCheckSize = 11;

constexpr int kBoxSize = 9;  // the open/close box before a group's name

// Design of the dialog, 96 dpi.
constexpr int kFormWidth = 600;
constexpr int kFormHeight = 400;
constexpr int kListHeight = 360;
constexpr int kButtonsY = 370;

}  // namespace

// ---- TCIDList ----

TCIDList::TCIDList(QWidget* parent, CWatchList& list) : QAbstractScrollArea(parent), m_list(list) {
  setObjectName("CIDList");
  setFocusPolicy(Qt::StrongFocus);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  viewport()->setAutoFillBackground(true);
  viewport()->setBackgroundRole(QPalette::Base);
  // A check column is as wide as its title in the current language needs.
  const QFontMetrics metrics(font());
  for (int c = 0; c < kWatchColumns; ++c)
    m_checkWidth = std::max(m_checkWidth, metrics.horizontalAdvance(FromUtf8(kColumnTitles[c + 1].Get())) + 8);
  UpdateScrollBar();
}

QImage TCIDList::CheckBitmap(const char* name) {
  const bool some = std::string_view(name) == "BTCHKSOME";
  const QRgb ink = some ? qRgb(0x80, 0x80, 0x80) : qRgb(0, 0, 0);
  QImage image(kCheckSize, kCheckSize, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  for (int y = 0; y < kCheckSize; ++y)
    for (int x = 0; x < kCheckSize; ++x)
      if (kCheckPixels[y][x] == '#') image.setPixel(x, y, ink);
  return image;
}

// Row 0 of the viewport is the column header; list rows follow.
int TCIDList::PageRows() const { return std::max(1, viewport()->height() / kRowHeight - 1); }

int TCIDList::RowAt(int y) const { return y < kRowHeight ? -1 : y / kRowHeight - 1 + verticalScrollBar()->value(); }

QRect TCIDList::CellRect(int visibleIndex, int column) const {
  const int y = (visibleIndex - verticalScrollBar()->value() + 1) * kRowHeight;
  if (column < 0) return {0, y, kPropertyWidth, kRowHeight};
  return {kPropertyWidth + column * m_checkWidth, y, m_checkWidth, kRowHeight};
}

QRect TCIDList::BoxRect(int visibleIndex) const {
  const auto rows = m_list.VisibleRows();
  const int depth = visibleIndex >= 0 && visibleIndex < int(rows.size()) ? rows[std::size_t(visibleIndex)].depth : 0;
  const QRect cell = CellRect(visibleIndex, -1);
  return {depth * kIndent + 4, cell.top() + (kRowHeight - kBoxSize) / 2, kBoxSize, kBoxSize};
}

void TCIDList::UpdateScrollBar() {
  const int rows = int(m_list.VisibleRows().size());
  verticalScrollBar()->setRange(0, std::max(0, rows - PageRows()));
  verticalScrollBar()->setPageStep(PageRows());
  verticalScrollBar()->setSingleStep(1);
}

void TCIDList::ShowCurrent() {
  UpdateScrollBar();
  QScrollBar& bar = *verticalScrollBar();
  const int current = m_list.Current();
  if (current < bar.value()) bar.setValue(current);
  if (current >= bar.value() + PageRows()) bar.setValue(current - PageRows() + 1);
  viewport()->update();
}

void TCIDList::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollBar();
}

void TCIDList::scrollContentsBy(int, int) { viewport()->update(); }

void TCIDList::paintEvent(QPaintEvent*) {
  QPainter p(viewport());
  const QPalette& pal = palette();
  const QColor grid(0xC0, 0xC0, 0xC0);
  const int right = kPropertyWidth + kWatchColumns * m_checkWidth;

  // The header: the check columns fit their titles; the name column's title
  // is cut short should it ever be wider.
  p.fillRect(0, 0, viewport()->width(), kRowHeight, pal.color(QPalette::Button));
  const QFontMetrics metrics(font());
  for (int c = -1; c < kWatchColumns; ++c) {
    // The row just above the first one shown lies under the header.
    const QRect cell = CellRect(verticalScrollBar()->value() - 1, c);
    p.setPen(grid);
    p.drawLine(cell.right(), 0, cell.right(), viewport()->height());
    const QRect text = cell.adjusted(3, 0, -2, 0);
    const QString title = FromUtf8(kColumnTitles[c + 1].Get());
    p.setPen(pal.color(QPalette::ButtonText));
    p.drawText(text, Qt::AlignVCenter | Qt::AlignLeft, metrics.elidedText(title, Qt::ElideRight, text.width()));
  }

  const QImage all = CheckBitmap("BTCHK"), some = CheckBitmap("BTCHKSOME");
  const auto rows = m_list.VisibleRows();
  const int first = verticalScrollBar()->value();
  for (int i = first; i < int(rows.size()) && i <= first + PageRows(); ++i) {
    const CWatchList::Row& row = rows[std::size_t(i)];
    const QRect name = CellRect(i, -1);
    if (i == m_list.Current()) p.fillRect(QRect(0, name.top(), right, kRowHeight), pal.color(QPalette::Highlight));
    p.setPen(grid);
    p.drawLine(0, name.bottom(), right, name.bottom());

    const QColor ink = pal.color(i == m_list.Current() ? QPalette::HighlightedText : QPalette::Text);
    if (row.group) {
      const QRect box = BoxRect(i);
      p.setPen(ink);
      p.drawRect(box.adjusted(0, 0, -1, -1));
      const QPoint mid = box.center();
      p.drawLine(box.left() + 2, mid.y(), box.right() - 2, mid.y());
      if (!row.open) p.drawLine(mid.x(), box.top() + 2, mid.x(), box.bottom() - 2);
    }
    p.setPen(ink);
    p.drawText(name.adjusted(row.depth * kIndent + 18, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft,
               FromUtf8(row.cid->name.Get()));

    for (int c = 0; c < kWatchColumns; ++c) {
      const QImage* mark = nullptr;
      if (!row.group) {
        if (m_list.Checks(row.cid->id)[std::size_t(c)]) mark = &all;
      } else if (const GroupCheck g = m_list.GroupState(row.cid->id, c); g != GroupCheck::kNone) {
        mark = g == GroupCheck::kAll ? &all : &some;
      }
      if (!mark) continue;
      const QRect cell = CellRect(i, c);
      p.drawImage(cell.center() - QPoint(kCheckSize / 2, kCheckSize / 2), *mark);
    }
  }
}

void TCIDList::keyPressEvent(QKeyEvent* event) {
  using Move = CWatchList::Move;
  std::optional<Move> move;
  switch (event->key()) {
    case Qt::Key_Up:
      move = Move::kUp;
      break;
    case Qt::Key_Down:
      move = Move::kDown;
      break;
    case Qt::Key_PageUp:
      move = Move::kPageUp;
      break;
    case Qt::Key_PageDown:
      move = Move::kPageDown;
      break;
    case Qt::Key_Home:
      move = Move::kHome;
      break;
    case Qt::Key_End:
      move = Move::kEnd;
      break;
    case Qt::Key_Space: {
      const auto rows = m_list.VisibleRows();
      if (m_list.Current() < int(rows.size()) && rows[std::size_t(m_list.Current())].group)
        m_list.ToggleOpen(rows[std::size_t(m_list.Current())].cid->id);
      ShowCurrent();
      return;
    }
    default:
      QAbstractScrollArea::keyPressEvent(event);
      return;
  }
  m_list.MoveCurrent(*move, PageRows());
  ShowCurrent();
}

void TCIDList::mousePressEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  const int index = RowAt(at.y());
  const auto rows = m_list.VisibleRows();
  if (index < 0 || index >= int(rows.size())) return;
  m_list.SetCurrent(index);
  const CWatchList::Row& row = rows[std::size_t(index)];
  if (row.group && BoxRect(index).contains(at)) {
    m_list.ToggleOpen(row.cid->id);
  } else if (at.x() >= kPropertyWidth && at.x() < kPropertyWidth + kWatchColumns * m_checkWidth) {
    m_list.Toggle(row.cid->id, (at.x() - kPropertyWidth) / m_checkWidth);
  }
  ShowCurrent();
}

// ---- TFormCIDList ----

TFormCIDList::TFormCIDList(QWidget* parent, const CParameterCatalogue& catalogue,
                           const std::function<WatchChecks(int id)>& existing)
    : CMonitorDialog(parent, "FormCIDList", LookupText(2, "Add watch"), kFormWidth, kFormHeight, kButtonsY),
      m_list(catalogue, existing) {
  CIDList = new TCIDList(this, m_list);
  CIDList->setGeometry(Px(0, 0, kFormWidth, kListHeight));
  CIDList->setFocus();
}

bool AddWatchDialog(QWidget* parent, CMyGroup& place, const CParameterCatalogue& catalogue, int x, int y) {
  TFormCIDList form(parent, catalogue, [&place](int id) { return ExistingWatches(place, id); });
  if (form.exec() != QDialog::Accepted) return false;
  const std::vector<WatchChange> changes = form.List().Changes();
  if (changes.empty()) return false;
  ApplyWatchChanges(place, catalogue, changes, x, y);
  return true;
}
