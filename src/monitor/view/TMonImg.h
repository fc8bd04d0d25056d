#pragma once

#include <QHash>
#include <QImage>
#include <QWidget>
#include <functional>

#include "monitor/MonitorComponents.h"

// Text measuring for the monitor's canvas with the window's font.
class CQtMonTextMeasure : public IMonTextMeasure {
 public:
  explicit CQtMonTextMeasure(const QPaintDevice* device) : m_device(device) {}
  MonTextSize Measure(std::string_view text, int fontSize) const override;
  static QFont Font(int fontSize);

 private:
  const QPaintDevice* m_device;
};

// The monitor window's drawing surface: the element container `Place` above
// a 16-pixel bar with the pin, the "Edit" toggle and the status field. The
// components paint into a list of primitives that this surface replays onto
// its off-screen image; pointer input goes to the containers as the window's
// routing rules say.
class TMonImg : public QWidget {
  Q_OBJECT

 public:
  explicit TMonImg(QWidget* parent = nullptr);
  ~TMonImg() override;

  CMyGroup Place;
  CMyGroup bar;
  CMyPin* pinButton = nullptr;
  CMyButt* editButton = nullptr;
  CMyButt* statusButton = nullptr;
  int barHeight = 16;

  int menux = 0, menuy = 0;  // where the last right press was: new elements go there
  bool leftPending = false;
  bool swallowPress = false;
  int editState = 0;  // 0 normal, 1 edit, 3 while entering edit mode
  bool shiftDown = false, ctrlDown = false;

  // Places the containers and buttons for the current size, sets the scale
  // in normal mode, then Redraw().
  void Layout();
  // Everything painted anew.
  void Redraw();
  // What the components asked to repaint (the timer's step).
  void RefreshContainers();
  // The focused element's rectangle over the status field (edit mode).
  void ShowCoordinates();

  const QImage& Image() const { return m_image; }
  CMonCanvas& Canvas() { return m_canvas; }

  // The window's hooks: a right press (context menu at the global point) and
  // a double click on a focused element.
  std::function<void(QPoint global)> onContextMenu;
  std::function<void()> onElementDoubleClick;

 protected:
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void leaveEvent(QEvent* e) override;

 public:
  // Input routing, also for the window's keys and tests.
  void RoutePointer(QPoint p, Qt::KeyboardModifiers modifiers);
  void RouteKey(int monitorKey, Qt::KeyboardModifiers modifiers);
  bool wheelDone = false;

 private:
  bool Hovered(const CMyGroup& g) const;
  void PassModifiers(CMyComponent& c, Qt::KeyboardModifiers m) const;
  void AfterPointer();
  // Paints what the containers drew onto the image, inside `clip`.
  void Replay(const QRect& clip);
  QRect PlaceClip() const;
  const QImage& PictureOf(const std::vector<std::uint8_t>* bytes);

  QImage m_image;
  CQtMonTextMeasure m_measure;
  CMonCanvas m_canvas;
  QPoint m_pointer{-1, -1};
  bool m_inside = false;
  std::int16_t m_cursor = kCursorDefault;
  QHash<const void*, QImage> m_pictures;
};
