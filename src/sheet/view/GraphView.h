#pragma once

#include <QRect>
#include <QString>
#include <Qt>
#include <memory>

class QMouseEvent;
class QPainter;
class QWheelEvent;
class TTab;

// A graph a TTab draws into its bitmap: the 2D graph (the whole control, or
// beside or below a small table) or the 3D graph. It paints into the area
// the control gives it and takes the mouse there; the control hands it
// every input while it holds a drag.
class CGraphView {
 public:
  explicit CGraphView(TTab& tab) : m_tab(tab) {}
  virtual ~CGraphView() = default;
  CGraphView(const CGraphView&) = delete;
  CGraphView& operator=(const CGraphView&) = delete;

  virtual void Paint(QPainter& p, const QRect& area) = 0;
  // Input in the area (or anywhere while Captured()); true when used.
  virtual bool MousePress(QMouseEvent& e, const QRect& area) = 0;
  virtual bool MouseMove(QMouseEvent& e, const QRect& area) = 0;
  virtual bool MouseRelease(QMouseEvent& e, const QRect& area) = 0;
  virtual bool Wheel(QWheelEvent& e, const QRect& area) = 0;
  virtual bool Key(int key, Qt::KeyboardModifiers modifiers, const QString& text) = 0;
  // A drag is in progress: moves and the release come here wherever they are.
  virtual bool Captured() const = 0;
  // The graph's hint for the control's tooltip; empty: none.
  virtual QString Hint() const = 0;

 protected:
  TTab& m_tab;
};

std::unique_ptr<CGraphView> MakeGraph2DView(TTab& tab);
std::unique_ptr<CGraphView> MakeGraph3DView(TTab& tab);
