#include "sheet/view/TriangleFill.h"

#include <QImage>
#include <QRegion>
#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {
bool g_enabled = true;
}  // namespace

void CImageTriangles::SetEnabled(bool on) { g_enabled = on; }

CImageTriangles::CImageTriangles(QPainter& p) {
  if (!g_enabled || !p.isActive() || p.device()->devType() != QInternal::Image) return;
  auto* image = static_cast<QImage*>(p.device());
  const QImage::Format f = image->format();
  if (f != QImage::Format_RGB32 && f != QImage::Format_ARGB32 && f != QImage::Format_ARGB32_Premultiplied) return;
  if (image->devicePixelRatio() != 1.0) return;
  const QTransform t = p.deviceTransform();
  if (t.type() > QTransform::TxTranslate) return;
  m_dx = t.dx();
  m_dy = t.dy();
  m_clip = image->rect();
  if (p.hasClipping()) {
    const QRegion clip = p.clipRegion();
    if (clip.rectCount() > 1) return;
    m_clip &= clip.boundingRect().translated(int(m_dx), int(m_dy));
  }
  // The painter draws into these very bytes (it detached the image when it
  // began); asking for bits() again must not detach it once more.
  m_bits = const_cast<uchar*>(image->constBits());
  m_stride = image->bytesPerLine();
}

namespace {
// ceil for the pixel range (far outside it only has to stay outside).
int Ceil(double v) {
  v = std::clamp(v, -1e9, 1e9);
  const int c = static_cast<int>(v);
  return c < v ? c + 1 : c;
}

// Positions in 1/65536 pixel: a row steps each edge by one addition.
using Fixed = std::int64_t;
constexpr double kOne = 65536.0;
Fixed ToFixed(double v) { return static_cast<Fixed>(std::clamp(v, -1e9, 1e9) * kOne); }
// The first pixel whose centre lies at or right of x: ceil(x - 0.5).
int FirstColumn(Fixed x) { return static_cast<int>((x + 32767) >> 16); }
}  // namespace

void CImageTriangles::Fill(const QPointF (&corners)[3], QRgb colour) {
  const QRgb pixel = colour | 0xFF000000u;
  struct V {
    double x, y;
  };
  V v[3];
  for (int i = 0; i < 3; ++i) v[i] = {corners[i].x() + m_dx, corners[i].y() + m_dy};
  std::sort(v, v + 3, [](const V& a, const V& b) { return a.y < b.y; });
  if (!(v[0].y < v[2].y)) return;  // no height: no pixel centre inside (NaN too)
  // Rows whose centre y + 0.5 lies in [top, bottom): each edge owns its
  // upper end, not its lower one; columns likewise in [left, right).
  const int row0 = std::max(m_clip.top(), Ceil(v[0].y - 0.5));
  const int rowMid = Ceil(v[1].y - 0.5);
  const int row1 = std::min(m_clip.bottom() + 1, Ceil(v[2].y - 0.5));
  const int left = m_clip.left(), right = m_clip.right();
  const double longSlope = (v[2].x - v[0].x) / (v[2].y - v[0].y);
  Fixed a = ToFixed(v[0].x + (row0 + 0.5 - v[0].y) * longSlope);
  const Fixed da = ToFixed(longSlope);
  // Which side the long edge runs on holds for the whole triangle, and a
  // triangle inside the clip needs no clipping per row.
  const bool longLeft = v[1].x > v[0].x + (v[1].y - v[0].y) * longSlope;
  const bool inside = std::min({v[0].x, v[1].x, v[2].x}) >= left && std::max({v[0].x, v[1].x, v[2].x}) < right;
  auto rows = [&]<bool kLongLeft, bool kInside>(int from, int to, Fixed b, Fixed db) {
    for (int row = from; row < to; ++row, a += da, b += db) {
      int col0 = FirstColumn(kLongLeft ? a : b);
      int col1 = FirstColumn(kLongLeft ? b : a) - 1;
      if constexpr (!kInside) {
        col0 = std::max(left, col0);
        col1 = std::min(right, col1);
      }
      QRgb* const line = reinterpret_cast<QRgb*>(m_bits + qsizetype(row) * m_stride);
      for (int x = col0; x <= col1; ++x) line[x] = pixel;
    }
  };
  auto span = [&](int from, int to, const V& start, double slope) {
    if (from >= to) return;
    const Fixed b = ToFixed(start.x + (from + 0.5 - start.y) * slope), db = ToFixed(slope);
    if (longLeft)
      inside ? rows.operator()<true, true>(from, to, b, db) : rows.operator()<true, false>(from, to, b, db);
    else
      inside ? rows.operator()<false, true>(from, to, b, db) : rows.operator()<false, false>(from, to, b, db);
  };
  const int upperEnd = std::min(rowMid, row1);
  if (v[1].y > v[0].y)
    span(row0, upperEnd, v[0], (v[1].x - v[0].x) / (v[1].y - v[0].y));
  else
    a += da * std::max(0, upperEnd - row0);
  const int lowerStart = std::max(row0, rowMid);
  if (v[2].y > v[1].y) span(lowerStart, row1, v[1], (v[2].x - v[1].x) / (v[2].y - v[1].y));
}
