#pragma once

#include <QColor>
#include <QPainter>
#include <QRect>

#include "sheet/TableGeometry.h"

// The sheet control's boxes: raised (white top and left, light grey bottom
// and right) or sunken (the other way round), each filled first. Headers,
// strips, scroll bars, the spinner and the buttons share them.
namespace bevel {

inline void Edges(QPainter& p, const QRect& r, const QColor& topLeft, const QColor& bottomRight) {
  p.setPen(topLeft);
  p.drawLine(r.topLeft(), r.topRight());
  p.drawLine(r.topLeft(), r.bottomLeft());
  p.setPen(bottomRight);
  p.drawLine(r.bottomLeft(), r.bottomRight());
  p.drawLine(r.topRight(), r.bottomRight());
}

inline QColor Rgb(TColor c) { return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }
inline QColor Light() { return Rgb(table::kRaisedLight); }
inline QColor Shadow() { return Rgb(table::kRaisedShadow); }

inline void Raised(QPainter& p, const QRect& r, const QColor& fill) {
  p.fillRect(r, fill);
  Edges(p, r, Light(), Shadow());
}

inline void Sunken(QPainter& p, const QRect& r, const QColor& fill) {
  p.fillRect(r, fill);
  Edges(p, r, Shadow(), Light());
}

}  // namespace bevel
