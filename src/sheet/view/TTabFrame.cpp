// The control's frame: sheet tabs, title line, button bar, popup menu and
// hints, and the one command dispatcher that buttons, menu and keys share.
#include <QAction>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPolygon>
#include <algorithm>
#include <functional>
#include <map>

#include "sheet/Selection.h"
#include "sheet/SheetFrame.h"
#include "sheet/SheetText.h"
#include "sheet/view/Bevel.h"
#include "sheet/view/SheetClipboard.h"
#include "sheet/view/TTab.h"
#include "base/view/Colour.h"

namespace {

constexpr int kTabBottom = 18;
constexpr int kActiveTabBottom = 20;
constexpr int kTabTitleLift = 16;
constexpr int kCheckLeft = 3, kCheckTop = 4;

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

const QColor kInk(0x20, 0x20, 0x20);
const QColor kGreyInk(0x90, 0x90, 0x90);
const QColor kPaper(Qt::white);

// A sheet of paper with a few lines, or with a grid for a whole table.
void Page(QPainter& p, QRect r, bool grid, const QColor& ink) {
  p.setPen(ink);
  p.setBrush(kPaper);
  p.drawRect(r);
  if (grid) {
    for (int x = r.left() + 3; x < r.right(); x += 3) p.drawLine(x, r.top() + 2, x, r.bottom() - 2);
    for (int y = r.top() + 3; y < r.bottom(); y += 3) p.drawLine(r.left() + 2, y, r.right() - 2, y);
  } else {
    for (int y = r.top() + 3; y < r.bottom() - 1; y += 3) p.drawLine(r.left() + 2, y, r.right() - 3, y);
  }
}

void TwoPages(QPainter& p, bool grid, const QColor& ink) {
  Page(p, QRect(2, 1, 10, 13), false, ink);
  Page(p, QRect(7, 5, 10, 13), grid, ink);
}

void Board(QPainter& p, bool grid, const QColor& ink, const QColor& board) {
  p.setPen(ink);
  p.setBrush(board);
  p.drawRect(2, 2, 14, 16);
  p.setBrush(QColor(0xC0, 0xC0, 0xC0));
  p.drawRect(6, 0, 6, 3);
  Page(p, QRect(5, 5, 8, 11), grid, ink);
}

// The bar's and title line's pictures, drawn once under their resource names.
QPixmap Draw(QSize size, const std::function<void(QPainter&)>& draw) {
  QPixmap pm(size);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  draw(p);
  return pm;
}

const QPixmap& Picture(const std::string& name) {
  static const std::map<std::string, QPixmap> pictures = [] {
    const QSize icon(20, 20), view(44, 18), check(13, 13);
    const QColor board(0xB0, 0x80, 0x40), greyBoard(0xC8, 0xC8, 0xC8);
    std::map<std::string, QPixmap> m;
    m["CLBRD_COPY"] = Draw(icon, [](QPainter& p) { TwoPages(p, false, kInk); });
    m["CLBRD_COPYSHEET"] = Draw(icon, [](QPainter& p) { TwoPages(p, true, kInk); });
    m["CLBRD_COPY0"] = Draw(icon, [](QPainter& p) { TwoPages(p, false, kGreyInk); });
    m["CLBRD_PAST"] = Draw(icon, [board](QPainter& p) { Board(p, false, kInk, board); });
    m["CLBRD_PASTSHEET"] = Draw(icon, [board](QPainter& p) { Board(p, true, kInk, board); });
    m["CLBRD_PAST0"] = Draw(icon, [greyBoard](QPainter& p) { Board(p, false, kGreyInk, greyBoard); });
    m["BTTAB"] = Draw(view, [](QPainter& p) { Page(p, QRect(10, 1, 24, 15), true, kInk); });
    m["BT2D"] = Draw(view, [](QPainter& p) {
      p.setPen(kInk);
      p.drawLine(10, 1, 10, 16);
      p.drawLine(10, 16, 34, 16);
      p.setPen(QPen(QColor(0x20, 0x40, 0xC0), 2));
      p.drawPolyline(QPolygon({QPoint(12, 13), QPoint(18, 9), QPoint(24, 11), QPoint(32, 3)}));
    });
    m["BT3D"] = Draw(view, [](QPainter& p) {
      // A surface seen from the side: four lines across, four along.
      p.setPen(QColor(0x20, 0x40, 0xC0));
      for (int i = 0; i < 4; ++i) {
        p.drawLine(8 + 3 * i, 15 - 4 * i, 26 + 3 * i, 12 - 4 * i - (i % 2) * 2);
        p.drawLine(8 + 6 * i, 15 - i, 17 + 6 * i, 3 - i - (i % 2) * 2);
      }
    });
    m["BTCHK0"] = Draw(check, [](QPainter& p) { bevel::Sunken(p, QRect(0, 0, 12, 12), kPaper); });
    m["BTCHK1"] = Draw(check, [](QPainter& p) {
      bevel::Sunken(p, QRect(0, 0, 12, 12), kPaper);
      p.setPen(QPen(kInk, 2));
      p.drawPolyline(QPolygon({QPoint(3, 6), QPoint(5, 9), QPoint(10, 3)}));
    });
    return m;
  }();
  static const QPixmap none;
  const auto it = pictures.find(name);
  return it == pictures.end() ? none : it->second;
}

QRect ToRect(const ButtonRect& r) { return QRect(QPoint(r.left, r.top), QPoint(r.right, r.bottom)); }

bool HasEditablePart(const CSheet& s) { return s.xAxis.editable || s.yAxis.editable || s.dataAxis.editable; }

bool IsPreset(int i) { return i >= kCommandTopView && i <= kCommandIso2View; }

}  // namespace

// ---------------------------------------------------------------------------
// Layout

int TTab::LayoutBar() {
  m_bar = frame::ComputeBar(m_model, width());
  return m_bar.b;
}

void TTab::PlaceFrame() {
  frame::PlaceBar(m_model, m_bar, m_ppi);
  frame::SyncStates(m_model);
  frame::RefreshEnabling(m_model, m_edit.active && m_edit.selEnd > m_edit.selStart);
  frame::RefreshPaste(m_model, ClipboardOffer());
  m_title = frame::ComputeTitleLine(m_model, width(), m_geo.columnWidth);
}

frame::ClipboardOffer TTab::ClipboardOffer() const {
  const CSheetClipboard& board = CSheetClipboard::Instance();
  return {board.HasSheet(), board.HasText()};
}

// ---------------------------------------------------------------------------
// Painting

void TTab::PaintFrame(QPainter& p) {
  p.save();
  PaintTabs(p);
  PaintTitleLine(p);
  for (int i = 0; i < kButtonCount; ++i)
    if (m_model.Buttons()[i].visible && !IsPreset(i)) PaintBarButton(p, i);
  PaintStepTarget(p);
  p.restore();
}

// What "+" and "-" act on: a black frame for an editable selection, a ring
// in the live point's colour for the live cell.
void TTab::PaintStepTarget(QPainter& p) {
  const CSheet* s = m_model.Active();
  const CSheetButtons& buttons = m_model.Buttons();
  if (!s || !s->enabled || !buttons[kCommandStepUp].visible || !buttons[kCommandStepDown].visible) return;
  const QRect r = ToRect(buttons[kCommandStepUp].rect).united(ToRect(buttons[kCommandStepDown].rect));
  if (HasSelection(*s) && SelectionEditable(*s)) {
    p.setPen(QPen(Qt::black, 3, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(Qt::NoBrush);
    const QRect frame = r.adjusted(-3, -3, 3, 3);
    p.drawRect(frame);
    p.fillRect(QRect(frame.right() - 2, frame.bottom() - 2, 5, 5), Qt::white);
    return;
  }
  if (!(s->flags & kSheetLivePoint) || s->liveKind == 0 || s->liveX < 0 || s->liveY < 0) return;
  const QColor colour = s->liveKind == 1   ? ToQColor(table::kLiveActive, palette())
                        : s->liveKind == 2 ? ToQColor(table::kLivePartial, palette())
                                           : QColor(Qt::black);
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setPen(QPen(colour, 3));
  p.setBrush(Qt::NoBrush);
  const int d = std::max(r.width(), r.height()) + 4;
  p.drawEllipse(QRect(r.center().x() - d / 2, r.center().y() - d / 2, d, d));
  p.setRenderHint(QPainter::Antialiasing, false);
}

void TTab::PaintTabs(QPainter& p) {
  const auto tabs = frame::TabExtents(m_model);
  if (tabs.empty()) return;
  const QColor face = palette().color(QPalette::Button);
  QFont f = font();
  f.setPointSizeF(frame::kTabFontPt);
  int gapLeft = -1, gapRight = -1;
  for (const frame::TabExtent& t : tabs) {
    const CSheet& s = m_model.Sheet(t.sheet);
    const bool active = t.sheet == m_model.ActiveIndex();
    const int bottom = active ? kActiveTabBottom : kTabBottom;
    if (active) gapLeft = t.left, gapRight = t.right;
    p.fillRect(QRect(QPoint(t.left, 1), QPoint(t.right, bottom - 1)), face);
    p.setPen(Qt::white);
    p.drawLine(t.left, 1, t.left, bottom - 2);
    p.setPen(Qt::black);
    p.drawPolyline(QPolygon({QPoint(t.left + 1, bottom - 1), QPoint(t.left + 2, bottom), QPoint(t.right - 2, bottom),
                             QPoint(t.right, bottom - 2), QPoint(t.right, 1)}));
    p.setPen(Qt::gray);
    p.drawLine(t.right - 1, 1, t.right - 1, bottom - 2);
    QFont title = f;
    title.setItalic(!s.enabled || !HasEditablePart(s));
    p.setFont(title);
    p.setPen(!s.enabled ? QColor(Qt::gray) : (t.sheet == m_hoverTab ? QColor(0x00, 0x00, 0xC0) : QColor(Qt::black)));
    p.drawText(QRect(t.left, bottom - kTabTitleLift, t.right - t.left + 1, kTabTitleLift), Qt::AlignCenter,
               Q(SheetTitleText(s.title)));
  }
  // The line along the top edge, open over the active tab.
  p.setPen(Qt::black);
  if (gapLeft < 0) {
    p.drawLine(0, 0, width() - 1, 0);
  } else {
    p.drawLine(0, 0, gapLeft, 0);
    p.drawLine(gapRight, 0, width() - 1, 0);
  }
}

void TTab::PaintTitleLine(QPainter& p) {
  const CSheet* s = m_model.Active();
  if (!m_title.shown || !s) return;
  if (m_title.check)
    p.drawPixmap(m_title.x0 + kCheckLeft, m_title.y0 + kCheckTop, Picture(s->enabled ? "BTCHK1" : "BTCHK0"));
  QFont f = font();
  f.setPointSize(s->titleFontSize);
  p.setFont(f);
  p.setPen(Qt::black);
  const QFontMetrics fm(f);
  p.drawText(m_title.titleX, m_title.titleY + fm.ascent(), Q(SheetTitleText(s->title)));
}

void TTab::PaintBarButton(QPainter& p, int index) {
  const SheetButton& b = m_model.Buttons()[index];
  const QRect r = ToRect(b.rect);
  const bool down = b.state != 0;
  if (down)
    bevel::Sunken(p, r, ToQColor(b.colour, palette()));
  else
    bevel::Raised(p, r, ToQColor(b.colour, palette()));
  const int shift = down ? 1 : 0;
  if (!b.bitmap.empty()) {
    const std::string& name = !b.enabled && !b.disabledBitmap.empty()
                                  ? b.disabledBitmap
                                  : (down && !b.pressedBitmap.empty() ? b.pressedBitmap : b.bitmap);
    const QPixmap& pm = Picture(name);
    p.drawPixmap(r.left() + (r.width() - pm.width()) / 2 + shift, r.top() + (r.height() - pm.height()) / 2 + shift, pm);
    return;
  }
  if (b.caption == "+" || b.caption == "-") {
    // Drawn as bars: a font's plus and minus are too small for the half-height buttons.
    const int pen = std::min(r.width(), r.height()) / 10 + 1;
    const QColor ink = !b.enabled ? QColor(Qt::gray) : (down ? QColor(Qt::white) : QColor(Qt::black));
    const QPoint c = r.center() + QPoint(shift, shift);
    const int half = std::min(r.width(), r.height()) / 2 - 2;
    p.fillRect(QRect(c.x() - half, c.y() - pen / 2, 2 * half + 1, pen), ink);
    if (b.caption == "+") p.fillRect(QRect(c.x() - pen / 2, c.y() - half, pen, 2 * half + 1), ink);
    return;
  }
  // Labels of the "use only" buttons come from the owner: long ones shrink to fit.
  const QString caption = Q(SheetTitleText(b.caption));
  QFont f = font();
  const int room = r.width() - 4, need = QFontMetrics(f).horizontalAdvance(caption);
  if (need > room && room > 0) f.setPointSizeF(std::max(1.0, f.pointSizeF() * room / need));
  p.setFont(f);
  p.setPen(b.enabled ? Qt::black : Qt::gray);
  p.drawText(r.translated(shift, shift), Qt::AlignCenter, caption);
}

// ---------------------------------------------------------------------------
// Mouse

bool TTab::FramePress(QMouseEvent& e) {
  const QPoint pt = e.position().toPoint();
  const bool left = e.button() == Qt::LeftButton, right = e.button() == Qt::RightButton;
  if (!left && !right) return false;
  if (const int tab = frame::TabAt(m_model, pt.x(), pt.y()); tab >= 0) {
    EndInteractions();
    if (tab != m_model.ActiveIndex()) m_model.SelectSheet(tab);
    Flush();
    if (right) OpenPopup(pt, true);
    return true;
  }
  if (!left) return false;
  if (m_title.shown && m_title.check && m_title.checkHit.Contains(pt.x(), pt.y())) {
    RunCommand(kCommandEnableSheet);
    return true;
  }
  CSheetButtons& buttons = m_model.Buttons();
  const int hit = buttons.At(pt.x(), pt.y());
  if (hit < 0 || IsPreset(hit)) return false;
  const int command = buttons.Press(hit);
  if (command >= 0) RunCommand(command);
  m_model.RequestRedraw(kRedraw);
  Flush();
  return true;
}

bool TTab::FrameMove(QPoint pt, Qt::MouseButtons held) {
  CSheetButtons& buttons = m_model.Buttons();
  if (buttons.Held() >= 0) {
    // A release that went elsewhere ends the press without its command.
    if (held & Qt::LeftButton)
      buttons.Drag(pt.x(), pt.y());
    else
      buttons.Release(-1, -1);
    m_model.RequestRedraw(kRedraw);
    Flush();
    return true;
  }
  if (held != Qt::NoButton) return false;
  const int tab = frame::TabAt(m_model, pt.x(), pt.y());
  if (tab != m_hoverTab) {
    m_hoverTab = tab;
    m_model.RequestRedraw(kRedraw);
  }
  const int hit = buttons.Hover(pt.x(), pt.y());
  if (hit >= 0 && !IsPreset(hit)) {
    setToolTip(Q(SheetTitleText(buttons[hit].hint)));
    m_frameHint = true;
  } else if (m_frameHint) {
    setToolTip(QString());
    m_frameHint = false;
  }
  return false;
}

bool TTab::FrameRelease(QMouseEvent& e) {
  CSheetButtons& buttons = m_model.Buttons();
  if (e.button() != Qt::LeftButton || buttons.Held() < 0) return false;
  const QPoint pt = e.position().toPoint();
  m_mouseDown = false;
  const int command = buttons.Release(pt.x(), pt.y());
  if (command >= 0) RunCommand(command);
  m_model.RequestRedraw(kRedraw);
  Flush();
  return true;
}

// ---------------------------------------------------------------------------
// Tick: enabling follows the selection and the live point every other tick,
// the clipboard every eighth (its offer is cached, so this costs nothing).

void TTab::FrameTick(std::uint32_t tick) {
  CSheetButtons& buttons = m_model.Buttons();
  std::array<bool, kButtonCount> before{};
  for (int i = 0; i < kButtonCount; ++i) before[static_cast<std::size_t>(i)] = buttons[i].enabled;
  const std::string paste = buttons[kCommandPaste].bitmap;
  if (tick & 2) frame::RefreshEnabling(m_model, m_edit.active && m_edit.selEnd > m_edit.selStart);
  if (tick & 8) frame::RefreshPaste(m_model, ClipboardOffer());
  bool changed = buttons[kCommandPaste].bitmap != paste;
  for (int i = 0; i < kButtonCount; ++i) changed |= before[static_cast<std::size_t>(i)] != buttons[i].enabled;
  if (changed) m_model.RequestRedraw(kRedraw);
}

// ---------------------------------------------------------------------------
// Popup menu and commands

void TTab::OpenPopup(QPoint pt, bool onTab) {
  const CSheet* s = m_model.Active();
  if (!s) return;
  frame::PopupContext c;
  c.onTab = onTab;
  const QRect graph = GraphArea();
  c.inGraph = !onTab && graph.contains(pt);
  c.overTable = !onTab && m_hasTable && !c.inGraph && pt.y() >= m_geo.top;
  c.tableScrolls = m_hasTable && ((!s->xAxis.collapsed && s->xAxis.count > m_geo.visibleColumns) ||
                                  (!s->yAxis.collapsed && s->yAxis.count > m_geo.visibleRows));
  c.editorHasSelection = m_edit.active && m_edit.selEnd > m_edit.selStart;
  c.clipboard = ClipboardOffer();
  if (c.overTable) {
    const Hit hit = HitTest(pt);
    const int kind = s->selection.kind;
    c.offerInsertColumn = hit.region == Region::kColumnStrip || kind == kSelXPoints ||
                          (hit.region == Region::kCell && ColumnCoverage(*s, hit.entry.x) == Coverage::kAll);
    c.offerInsertRow = hit.region == Region::kRowStrip || kind == kSelYPoints ||
                       (hit.region == Region::kCell && RowCoverage(*s, hit.entry.y) == Coverage::kAll);
  }
  m_popupAt = pt;
  // Rebuilt at every right click: the items follow the state of this moment.
  delete m_popup;
  m_popup = new QMenu(this);
  const auto items = frame::BuildPopup(m_model, c);
  for (const frame::PopupItem& item : items) {
    if (item.separator) {
      m_popup->addSeparator();
      continue;
    }
    QAction* a = m_popup->addAction(QString::fromStdString(item.text));
    a->setCheckable(item.ticked);
    a->setChecked(item.ticked);
    const int command = item.command;
    connect(a, &QAction::triggered, this, [this, command] { RunCommand(command); });
  }
  if (!items.empty()) m_popup->popup(mapToGlobal(pt));
}

bool TTab::RunCommand(int command) {
  CSheet* s = m_model.Active();
  if (!s) return false;
  bool done = false;
  switch (command) {
    case kCommandCopy:
    case kCommandCopyTable:
    case kCommandPaste:
    case kCommandCopyGraph:
      done = ClipboardCommand(command);
      break;
    case kCommandStepUp:
    case kCommandStepDown:
      done = StepCommand(command == kCommandStepUp ? 1 : -1);
      break;
    case kCommandTableView:
    case kCommand2DView:
    case kCommand3DView:
      ViewCommand(command == kCommandTableView ? kViewTable : (command == kCommand2DView ? kView2D : kView3D));
      done = true;
      break;
    case kCommandInterpolate:
      done = InterpolateCommand();
      break;
    case frame::kCommandInsertColumn:
    case frame::kCommandInsertRow: {
      EndInteractions();
      const bool column = command == frame::kCommandInsertColumn;
      const int k = column ? table::InsertPosition(m_popupAt.x(), m_geo.cellsLeft, m_geo.columnWidth,
                                                   s->xAxis.firstVisible, s->xAxis.count)
                           : table::InsertPosition(m_popupAt.y(), m_geo.cellsTop, m_geo.rowHeight,
                                                   s->yAxis.firstVisible, s->yAxis.count);
      done = (column ? m_model.InsertColumn(k) : m_model.InsertRow(k)) == InsertResult::kDone;
      break;
    }
    case frame::kCommandDeleteColumns:
    case frame::kCommandDeleteRows:
      EndInteractions();
      done = (command == frame::kCommandDeleteColumns ? m_model.DeleteColumns() : m_model.DeleteRows()) > 0;
      break;
    default:
      EndInteractions();
      done = frame::RunModelCommand(m_model, command);
      break;
  }
  if (done) m_model.RequestRedraw(kRedraw | kRelayout);
  Flush();
  return done;
}
