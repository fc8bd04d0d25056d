#pragma once

#include <QImage>
#include <QMenu>
#include <QPointer>
#include <QRect>
#include <QWidget>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sheet/SheetControls.h"
#include "sheet/SheetFrame.h"
#include "sheet/TabModel.h"
#include "sheet/TableGeometry.h"
#include "sheet/view/GraphView.h"

// The map editor control: owns the sheets (through CTabModel), paints the
// active one as a table into its own bitmap and turns mouse, keys and the
// main tick into model calls. An axis background, when set, is a const QPixmap*.
class TTab : public QWidget, public ISheetControl {
  Q_OBJECT

 public:
  // Regions of the table a point can fall in.
  enum class Region {
    kNone,
    kXHeader,
    kColumnStrip,
    kYHeader,
    kRowStrip,
    kCell,
    kAllCells,
    kCorner,
    kDataLabel,  // the data-label box of a collapsed axis
    kHorizontalBar,
    kVerticalBar,
  };
  static std::optional<SelectionMode> SelectionModeOf(Region region);
  struct Hit {
    Region region = Region::kNone;
    SheetEntry entry{-1, -1};
  };

  // One of the control's own scroll bars. Parts: 1 first arrow, 2 second
  // arrow, 4 thumb, 8 track before the thumb, 16 track after it.
  struct ScrollBar {
    bool vertical = false;
    bool visible = false;
    QRect rect;
    int hovered = 0;
    int pressed = 0;
    bool thumbDrag = false;
    int dragMouse = 0;
    int dragPosition = 0;
    int total = 0;
    int page = 0;
    int position = 0;
    std::uint32_t pressTick = 0;
  };

  explicit TTab(std::uint32_t options, QWidget* parent = nullptr);
  ~TTab() override;

  // ISheetControl
  bool HasInputFocus() const override { return hasFocus(); }
  void SheetTick() override;
  CTabModel& Model() override { return m_model; }
  const CTabModel& Model() const { return m_model; }

  // The key handler: the main window routes Tab, Enter, Space and the arrows
  // here while the control has the focus. True when the key was used.
  bool KeyDown(int key, Qt::KeyboardModifiers modifiers, const QString& text);

  // Tools of the main window and, later, of the bar and popup menu.
  bool StepCommand(int a);
  bool InterpolateCommand();
  // Commands 0 Copy, 1 Copy table, 2 Paste and 40 Copy graph, through the
  // system clipboard. True when the command ran.
  bool ClipboardCommand(int command);
  // Every command by number (SheetCommand, frame::FrameCommand): bar
  // buttons, popup items and keys all come through here. True when it ran.
  bool RunCommand(int command);

  // The frame: bar layout, title line and the popup last opened (null when none).
  const frame::BarLayout& Bar() const { return m_bar; }
  const frame::TitleLine& TitleLineLayout() const { return m_title; }
  QMenu* Popup() const { return m_popup; }

  // Paints the whole view into the bitmap now (layout included).
  void RepaintBitmap();
  const QImage& Bitmap() const { return m_bitmap; }

  // Layout and state, for the owner and for tests.
  const table::TableGeometry& Geometry() const { return m_geo; }
  Hit HitTest(QPoint p) const;
  // Pixel rectangle of an entry (may lie outside the view when scrolled away).
  QRect EntryRect(SheetEntry e) const;
  bool EntryVisible(SheetEntry e) const;
  const ScrollBar& HorizontalBar() const { return m_hBar; }
  const ScrollBar& VerticalBar() const { return m_vBar; }
  QRect SideGraphArea() const { return m_sideGraph; }
  // Where the graph of the shown view is drawn: the side graph beside the
  // table, the whole control's graph area in the 2D and 3D views; empty
  // when no graph shows.
  QRect GraphArea() const;
  // The graph view of that area, or null.
  CGraphView* ShownGraph() const;
  // Commands 5, 6, 7: table, 2D or 3D view (the next allowed one).
  void ViewCommand(int view);
  double Ppi() const { return m_ppi; }
  int TopMarginPx() const { return m_geo.top; }
  bool Editing() const { return m_edit.active; }
  SheetEntry EditedEntry() const { return m_edit.entry; }
  QString EditorText() const { return QString::fromStdString(m_edit.text); }
  int EditorCaret() const { return m_edit.caret; }
  bool SpinnerVisible() const { return m_spin.visible; }
  QRect SpinnerRect(int half) const { return half == 1 ? m_spin.up : m_spin.down; }
  SheetEntry SpinnerEntry() const { return m_spin.entry; }
  int RepaintCount() const { return m_repaints; }
  // Shift and Ctrl as the last tick saw them (the graphs show what a drag would carry).
  Qt::KeyboardModifiers Modifiers() const { return m_modifiers; }

 signals:
  // A typed value the sheet's range held back: what was typed and what is
  // in force now, as shown.
  void ValueLimited(const QString& typed, const QString& inForce);
  // A "Paste table" that changed nothing: `sizes` when the sizes differ and
  // may not change, else no label fitted; the copied table's axes (or size)
  // and this sheet's.
  void PasteRefused(bool sizes, const QString& copied, const QString& here);

 protected:
  bool event(QEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void showEvent(QShowEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;

 private:
  struct Editor {
    bool active = false;
    SheetEntry entry{-1, -1};
    std::string text;
    int caret = 0;
    int selStart = 0;
    int selEnd = 0;
    std::array<int, kEditorMaxChars + 1> charX{};  // left edge of each character, then the end
    int textTop = 0;
    int textHeight = 0;
    int blink = 0;
  };
  struct Spinner {
    bool visible = false;
    SheetEntry entry{-1, -1};
    QRect up;
    QRect down;
    int hovered = 0;  // 1 up, 2 down
    int pressed = 0;
    std::uint32_t pressTick = 0;
    bool repeatStarted = false;
  };
  enum class Handle { kNone, kFill, kBorder, kInterpolation };

  // Layout and painting.
  void Relayout();
  void Flush();
  void PaintTable(QPainter& p);
  void PaintScrollBar(QPainter& p, const ScrollBar& bar);
  void PaintSelection(QPainter& p, const CSheet& s);
  void PaintLivePoint(QPainter& p, const CSheet& s);
  void PaintValues(QPainter& p, const CSheet& s);
  void PaintSpinner(QPainter& p);
  int ColumnX(int k) const;
  int RowY(int j) const;
  int XIndexOfColumn(int k) const;
  int YIndexOfRow(int j) const;
  int ColumnOfX(int x) const;
  int RowOfY(int y) const;
  int VisibleColumnAt(int px) const;
  int VisibleRowAt(int py) const;
  QRect BoxRect(const SheetRect& r) const;
  QRect ScrollPartRect(const ScrollBar& bar, int part) const;
  int ScrollPartAt(const ScrollBar& bar, QPoint p) const;
  int ThumbLength(const ScrollBar& bar) const;
  int TrackLength(const ScrollBar& bar) const;

  // Input helpers.
  SheetEntry DragEntryAt(QPoint p, bool visibleOnly) const;
  Handle HandleAt(QPoint p) const;
  void UpdateHover(QPoint p);
  void PlaceSpinner(SheetEntry e);
  void HideSpinner();
  void StartEdit(SheetEntry e, const std::string& text, bool selectAll);
  void CommitEdit();
  void CancelEdit();
  bool EditorKey(int key, Qt::KeyboardModifiers modifiers, const QString& text);
  bool TableKey(int key, Qt::KeyboardModifiers modifiers, const QString& text);
  void EditorInsert(char c);
  void EditorPlaceCaret(int px);
  void RevealCursor();
  void Reveal(SheetEntry e);
  bool ScrollBy(bool vertical, int delta);
  void ScrollBarPress(ScrollBar& bar, int part, QPoint p);
  void ScrollBarRepeat(ScrollBar& bar);
  void AutoScroll();
  void EndInteractions();
  void SpinnerPress(int half);
  bool RouteToGraph(QMouseEvent& e, bool (CGraphView::*handler)(QMouseEvent&, const QRect&));

  // The frame (TTabFrame.cpp): tabs, title line, bar, popup and hints.
  int LayoutBar();
  void PlaceFrame();
  void PaintFrame(QPainter& p);
  void PaintTabs(QPainter& p);
  void PaintTitleLine(QPainter& p);
  void PaintBarButton(QPainter& p, int index);
  void PaintStepTarget(QPainter& p);
  bool FramePress(QMouseEvent& e);
  bool FrameMove(QPoint pt, Qt::MouseButtons buttons);
  bool FrameRelease(QMouseEvent& e);
  void FrameTick(std::uint32_t tick);
  void OpenPopup(QPoint pt, bool onTab);
  frame::ClipboardOffer ClipboardOffer() const;

  CTabModel m_model;
  std::unique_ptr<CGraphView> m_graph2d;
  std::unique_ptr<CGraphView> m_graph3d;
  QImage m_bitmap;
  bool m_painting = false;  // a paint is in progress: no nested one
  int m_repaints = 0;
  int m_language = -1;
  Qt::KeyboardModifiers m_modifiers;

  table::TableGeometry m_geo;
  double m_ppi = 96;
  bool m_hasTable = false;
  QRect m_sideGraph;
  ScrollBar m_hBar;
  ScrollBar m_vBar;

  Editor m_edit;
  Spinner m_spin;
  QPoint m_mouse{-1000, -1000};
  bool m_mouseDown = false;
  Handle m_handle = Handle::kNone;
  QPoint m_fillPress;  // content position at the press (scroll included)
  int m_autoScrollTicks = 0;
  std::vector<std::int32_t> m_preview;  // interpolated values while the handle is hovered
  int m_previewPart = 0;

  frame::BarLayout m_bar;
  frame::TitleLine m_title;
  int m_hoverTab = -1;
  bool m_frameHint = false;  // the tooltip shows a bar button's hint
  QPointer<QMenu> m_popup;
  QPoint m_popupAt;  // where the popup was opened (insert positions)
};
