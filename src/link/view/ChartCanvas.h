#pragma once

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QStringList>
#include <QWidget>
#include <vector>

#include "link/ChartModel.h"

// The time chart's drawing surface: one lane per channel, stacked, each with
// its own scale; the time runs left to right. The wheel zooms about the
// pointer, a drag pans, a click puts the cursor there and asks to seek.
class ChartCanvas : public QWidget {
  Q_OBJECT

 public:
  explicit ChartCanvas(QWidget* parent = nullptr);

  // The channels shown, top to bottom; the canvas keeps the pointers and
  // never owns them.
  void SetChannels(std::vector<const ChartChannel*> channels);
  // The log's length; shows all of it.
  void SetDuration(double seconds);
  // Rolling data that now runs from `start` to `end` (seconds): the view
  // follows the newest data unless the user moved it away.
  void SetBounds(double start, double end);
  // Moves the cursor, and the view when the cursor would leave it.
  void SetCursorTime(double seconds);
  // Moves the cursor and leaves the view where it is.
  void PlaceCursor(double seconds);
  double CursorTime() const { return m_cursor; }

  ChartTimeView& View() { return m_view; }
  const ChartTimeView& View() const { return m_view; }
  // Where the traces are drawn, in the canvas's coordinates.
  QRect PlotRect() const;
  // Each lane's name with its value at the cursor, as the lanes show them.
  QStringList CursorReadouts() const;

  static QColor LaneColour(std::size_t lane);
  static constexpr QRgb kCursorColour = 0xFFD00000;

 signals:
  void seekRequested(double seconds);
  void viewChanged();

 protected:
  void paintEvent(QPaintEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;

 private:
  // The last decimation of a lane; reused while the view and width stay, so
  // a repaint that only moves the cursor does not walk the samples again.
  struct LaneCache {
    double t0 = 0, t1 = -1;
    int width = -1;
    std::vector<ChartColumn> columns;
    std::optional<ChartExtent> extent;
  };
  const LaneCache& Decimated(std::size_t lane, int width);
  void PaintLane(QPainter& p, std::size_t lane, const ChartLane& geometry, const QRect& plot);
  void PaintTimeAxis(QPainter& p, const QRect& plot);
  QString Readout(std::size_t lane) const;
  void Changed();

  std::vector<const ChartChannel*> m_channels;
  std::vector<LaneCache> m_cache;
  ChartTimeView m_view;
  double m_cursor = 0;
  QPoint m_pressAt;
  double m_pressT0 = 0;
  bool m_pressed = false;
  bool m_dragging = false;
};
