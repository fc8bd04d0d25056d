#pragma once

#include <QPainter>
#include <QPointF>
#include <QRect>
#include <QRgb>

class QImage;

// Solid triangles written straight into the painter's image. The 3D graph
// fills tens of thousands of small triangles per repaint (height colours at
// the finest grain over a rough map); through QPainter each costs far more
// than its few pixels. A pixel is filled when its centre lies inside the
// triangle (top and left edges in, bottom and right out), as the painter
// fills without antialiasing, so neighbouring triangles meet without gaps
// or overlaps. Only for an image of 32-bit pixels under a plain translation
// and at most a rectangular clip; anything else (a printer) goes through the
// painter as before.
class CImageTriangles {
 public:
  explicit CImageTriangles(QPainter& p);
  bool Usable() const { return m_bits != nullptr; }
  // The painter must be the one given, unchanged in transform and clip.
  void Fill(const QPointF (&corners)[3], QRgb colour);

  // Off: every triangle goes through the painter (to compare the two).
  static void SetEnabled(bool on);

 private:
  uchar* m_bits = nullptr;
  qsizetype m_stride = 0;
  QRect m_clip;  // device pixels
  double m_dx = 0, m_dy = 0;
};
