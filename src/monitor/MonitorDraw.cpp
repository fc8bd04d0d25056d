#include "monitor/MonitorDraw.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "monitor/MonitorComponents.h"
#include "link/ParameterCatalogue.h"

// ---- canvas ----

namespace {

MonDrawOp Op(MonOp kind, int x1, int y1, int x2, int y2, TColor pen, int penWidth = 1) {
  MonDrawOp op;
  op.op = kind;
  op.x1 = x1;
  op.y1 = y1;
  op.x2 = x2;
  op.y2 = y2;
  op.pen = pen;
  op.penWidth = penWidth;
  return op;
}

MonDrawOp Filled(MonDrawOp op, TColor brush) {
  op.brush = brush;
  op.filled = true;
  return op;
}

}  // namespace

void CMonCanvas::Rect(int x1, int y1, int x2, int y2, TColor pen, TColor brush, MonPen style) {
  ops.push_back(Filled(Op(MonOp::kRect, x1, y1, x2, y2, pen), brush));
  ops.back().style = style;
}

void CMonCanvas::Frame(int x1, int y1, int x2, int y2, TColor pen, MonPen style) {
  ops.push_back(Op(MonOp::kRect, x1, y1, x2, y2, pen));
  ops.back().style = style;
}

void CMonCanvas::Line(int x1, int y1, int x2, int y2, TColor pen, int width) {
  ops.push_back(Op(MonOp::kLine, x1, y1, x2, y2, pen, width));
}

void CMonCanvas::Ellipse(int x1, int y1, int x2, int y2, TColor pen, TColor brush, int penWidth) {
  ops.push_back(Filled(Op(MonOp::kEllipse, x1, y1, x2, y2, pen, penWidth), brush));
}

void CMonCanvas::Text(int x, int y, std::string_view text, int size, TColor colour) {
  ops.push_back(Op(MonOp::kText, x, y, x, y, colour));
  ops.back().fontSize = size;
  ops.back().text = std::string(text);
}

void CMonCanvas::Picture(int x1, int y1, int x2, int y2, const std::vector<std::uint8_t>& bytes) {
  ops.push_back(Op(MonOp::kPicture, x1, y1, x2, y2, 0));
  ops.back().picture = &bytes;
}

std::vector<MonDrawOp> CMonCanvas::Take() { return std::exchange(ops, {}); }

namespace {

constexpr TColor kBlack = 0x000000;
constexpr TColor kWhite = 0xFFFFFF;
constexpr TColor kLightGrey = 0xC0C0C0;
constexpr TColor kValueRed = 0x0000FF;

int Round(double v) { return int(std::lround(v)); }

bool Drawable(const CMyComponent& c) { return c.canvas && c.Width > 0 && c.Height > 0; }

}  // namespace

// ---- containers and buttons ----

void CMyComponent::Paint() { BasePaint(); }

void CMyComponent::BasePaint() {
  if (!Drawable(*this)) return;
  const int l = Px(Left), t = Px(Top), r = Px(Left + Width), b = Px(Top + Height);
  canvas->Rect(l, t, r, b, Color, Color);
  const TColor light = Down ? dkframe : ltframe, dark = Down ? ltframe : dkframe;
  canvas->Line(l, t, Px(Left + Width - 1), t, light);
  canvas->Line(l, t, l, Px(Top + Height - 1), light);
  canvas->Line(l, b, r, b, dark);
  canvas->Line(r, t, r, b, dark);
}

void CMyButt::Paint() {
  BasePaint();
  if (!Drawable(*this)) return;
  const std::string_view caption = s->Get();
  const MonTextSize size = canvas->Measure(caption);
  int x = AlignV == 0 ? Left + (Width - size.width) / 2 : AlignV < 0 ? Left + 3 : Left + Width - size.width - 2;
  const int y = AlignH == 0 ? Top + (Height - size.height) / 2 : AlignH < 0 ? Top : Top + Height - size.height;
  if (Down) ++x;
  canvas->Text(Px(x), Px(y), caption, canvas->fontSize, TextColor);
}

void CMyPin::Paint() {
  BasePaint();
  if (!Drawable(*this)) return;
  struct Segment {
    int x1, y1, x2, y2;
  };
  static constexpr Segment kPin[] = {{3, 8, 10, 8}, {5, 2, 7, 2}, {4, 2, 4, 8},
                                     {7, 2, 7, 8},  {8, 2, 8, 8}, {6, 8, 6, 13}};
  static constexpr Segment kPinned[] = {{5, 3, 5, 8}, {6, 3, 6, 8}};
  const int x0 = Left + (Down ? 1 : 0), y0 = Top;
  for (const Segment& g : kPin) canvas->Line(x0 + g.x1, y0 + g.y1, x0 + g.x2, y0 + g.y2, kBlack);
  if (checked)
    for (const Segment& g : kPinned) canvas->Line(x0 + g.x1, y0 + g.y1, x0 + g.x2, y0 + g.y2, kValueRed);
}

void CMyGroup::Paint() {
  BasePaint();
  for (const auto& item : items) {
    item->Paint();
    item->dirty = 0;
  }
  dirty = 0;
  if (!canvas) return;
  if (band)
    canvas->Frame(std::min(bandx1, bandx2), std::min(bandy1, bandy2), std::max(bandx1, bandx2),
                  std::max(bandy1, bandy2), kBlack, MonPen::kDash);
  if (grip) PaintGrip();
}

void CMyGroup::PaintGrip() {
  if (!Drawable(*this)) return;
  const int r = Left + Width, b = Top + Height;
  for (int i = 1; i <= 12; ++i) {
    const TColor colour = i % 4 == 0 ? Color : i % 4 == 3 ? kWhite : kLightGrey;
    canvas->Line(r - 2, b - i - 3, r - i - 3, b - 2, colour);
  }
}

void CMyGroup::Refresh() {
  if (dirty & kDirtyAll) {
    Paint();
    return;
  }
  if (dirty == 0) return;
  // An element has no background of its own: painted alone it would leave
  // its old text, bar or selection frame behind, so the whole container
  // repaints. Buttons fill their rectangle and may repaint alone.
  const bool needsAll = std::any_of(items.begin(), items.end(),
                                    [](const auto& item) { return item->dirty && !item->PaintsBackground(); });
  if (needsAll) {
    Paint();
    return;
  }
  bool painted = false;
  for (const auto& item : items)
    if (item->dirty) {
      item->Paint();
      item->dirty = 0;
      painted = true;
    }
  if (painted && grip) PaintGrip();
  dirty = 0;
}

// ---- elements ----

void CMyObj::Paint() {
  if (Drawable(*this)) PaintSelectionFrame();
}

void CMyObj::PaintSelectionFrame() {
  if (!selected || !canvas) return;
  canvas->Frame(Px(Left), Px(Top), Px(Left + Width), Px(Top + Height), kBlack, MonPen::kDot);
  if (!rszable) return;
  const TColor brush = IsFocused() ? kBlack : Color;
  const auto square = [&](int x1, int y1, int x2, int y2) { canvas->Rect(x1, y1, x2, y2, kBlack, brush); };
  const int L = Left, T = Top, R = Left + Width, B = Top + Height;
  square(L, T, L + 5, T + 5);
  square(R - 5, T, R, T + 5);
  square(R - 5, B - 5, R, B);
  square(L, B - 5, L + 5, B);
  if (!nprable) return;
  const int mx1 = L + (Width - 5) / 2, mx2 = L + (Width + 5) / 2;
  const int my1 = T + (Height - 5) / 2, my2 = T + (Height + 5) / 2;
  square(mx1, T, mx2, T + 5);
  square(mx1, B - 5, mx2, B);
  square(L, my1, L + 5, my2);
  square(R - 5, my1, R, my2);
}

void CMyObj::PaintText(std::string_view text, TColor colour) {
  const double k = scale;
  int size = Round(FittedFontSize(*canvas, text, Height) * k);
  if (size <= 0) return;
  MonTextSize box = canvas->Measure(text, size);
  // A text wider than its element (a longer language) shrinks rather than
  // running over its neighbours.
  const int room = Round(Width * k) - 2;
  if (box.width > room && room > 0) {
    size = std::max(1, size * room / box.width);
    box = canvas->Measure(text, size);
  }
  const double tw = box.width, th = box.height;
  int x = AlignV == 0  ? Round((Width * k - tw) * 0.5 + Left * k)
          : AlignV < 0 ? Round(Left * k + 3)
                       : Round(Left * k + Width * k - tw - 2);
  const int y = AlignH == 0  ? Round((Height * k - th) * 0.5 + Top * k)
                : AlignH < 0 ? Round(Top * k)
                             : Round(Top * k + Height * k - th);
  if (Down) ++x;
  canvas->Text(x, y, text, size, colour);
}

void CMyLabel::Paint() {
  if (!Drawable(*this)) return;
  const TColor colour = Row().flags == 0 ? PaleColour(TextColor) : TextColor;
  PaintText(Caption(CurrentLanguage()), colour);
  PaintSelectionFrame();
}

void CMyText::Paint() {
  if (!Drawable(*this)) return;
  PaintText(text, TextColor);
  PaintSelectionFrame();
}

void CMyValue::Paint() {
  if (!Drawable(*this)) return;
  const CID& row = Row();
  const std::string text = Catalogue() ? Catalogue()->ValueText(row) : ValuePlaceholder(row.width, row.decimals);
  TColor colour = HasData() ? TextColor : kValueRed;
  if (row.flags == 0) colour = PaleColour(colour);
  PaintText(text, colour);
  PaintSelectionFrame();
}

void CMyImage::Paint() {
  if (!Drawable(*this)) return;
  if (!picture.empty()) canvas->Picture(Px(Left), Px(Top), Px(Left + Width), Px(Top + Height), picture);
  PaintSelectionFrame();
}

// ---- indicators ----

void CMyIndicator::Paint() {
  if (!Drawable(*this)) return;
  const CID& row = Row();
  TColor state = kWhite;
  if (row.flags & kStateHigh) state = 0x00FFFF;
  if (row.flags & kStateLimiter) state = 0xFF00FF;
  if (row.flags & kStateAlarm) state = 0x0000FF;
  // An empty range (IAP before the configuration gives one) has no
  // position: the indicator stays at the minimum.
  const double v = HasData() && row.max > row.min ? std::clamp(row.value, row.min, row.max) : row.min;
  const TColor mark = row.flags == 0 ? PaleColour(ColorMk) : ColorMk;
  if (Style == kRoundDial)
    PaintDial(state, v, mark);
  else
    PaintBar(state, v, mark);
  PaintSelectionFrame();
}

namespace {

// Where `v` lies in the row's range, 0..1; 0 for an empty range.
double Fraction(const CID& row, double v) { return row.max > row.min ? (v - row.min) / (row.max - row.min) : 0.0; }

}  // namespace

void CMyIndicator::PaintBar(TColor state, double v, TColor mark) {
  const CID& row = Row();
  const double k = scale;
  const bool pale = row.flags == 0;
  const TColor outline = pale ? kLightGrey : kBlack;
  if (row.shown == DisplayKind::kNumber || !HasData())
    canvas->Rect(Round(Left * k), Round(Top * k), Round((Left + Width) * k), Round((Top + Height) * k), outline, state);
  if (Style == kBarHorizontal) {
    const int B = HasData() ? Round(Fraction(row, v) * (Width * k - 2)) : 2;
    const int y1 = Round(Top * k + 1), y2 = Round((Top + Height) * k - 1);
    if (state == kWhite)
      canvas->Rect(Round(Left * k + 1), y1, Round(Left * k + 1 + B), y2, mark, mark);
    else
      canvas->Line(Round(Left * k + 1 + B), y1, Round(Left * k + 1 + B), y2, kBlack);
  } else {
    const int C = HasData() ? Round(Fraction(row, v) * (Height * k - 2)) : 2;
    const int x1 = Round(Left * k + 1), x2 = Round((Left + Width) * k - 1);
    const double bottom = (Top + Height) * k - 1;
    if (state == kWhite)
      canvas->Rect(x1, Round(bottom - C), x2, Round(bottom), mark, mark);
    else
      canvas->Line(x1, Round(bottom - C), x2, Round(bottom - C), kBlack);
  }
}

MonDialScale DialScale(int width, int height, float scale, double minimum, double maximum) {
  MonDialScale d;
  // Both divisions truncate on purpose: the tick count grows in whole ticks
  // with the dial's size.
  const int h = (width + height) / 2;
  double L = Round(4.0 * h * scale) / 5;
  if (L > 10) L = (L - 10) * 0.5 + 10;
  if (L > 20) L = 20;
  d.count = L;
  double R = maximum - minimum;
  // An empty or reversed range has no graduation; the loops below would
  // never end on it.
  if (!(R > 0) || !(L > 0) || !std::isfinite(R)) return d;
  double t = 1;
  while (L * 0.1 > R) {
    R *= 10;
    t *= 10;
  }
  while (R > L) {
    R *= 0.1;
    t *= 0.1;
  }
  if (R > L * 0.5) t *= 0.5;
  d.t = t;
  return d;
}

void CMyIndicator::PaintDial(TColor state, double v, TColor mark) {
  const CID& row = Row();
  const double k = scale;
  const bool pale = row.flags == 0;
  const TColor ink = pale ? kLightGrey : kBlack;
  const int W = Round(Width * k), H = Round(Height * k);
  const int cx = Round((Left + Width / 2) * k), cy = Round((Top + Height / 2) * k);
  const int d = std::min(W, H);
  const int p = d / 50;
  const int rx = (W - p) / 2, ry = (H - p) / 2;
  if (rx <= 0 || ry <= 0) return;
  const double yScale = double(ry) / rx;
  const auto point = [&](double theta, double rho) {
    return std::pair{cx + Round(std::cos(theta) * rho), cy - Round(std::sin(theta) * rho * yScale)};
  };
  const auto angle = [&](double u) { return 3.9269908169872414 - Fraction(row, u) * 4.71238898038469; };

  canvas->Ellipse(cx - rx, cy - ry, cx + rx, cy + ry, ink, state, p);

  const MonDialScale graduation = DialScale(Width, Height, scale, row.min, row.max);
  if (graduation.t > 0) {
    const double t = graduation.t;
    const double inner = std::min(0.9 * rx, rx - 3.0);
    const int P = std::min(Round(Width * k * 0.04), Round(Height * k * 0.06666666666666666667));
    const char* format = t > 10 ? "%.2lf" : t > 1 ? "%.1lf" : "%.0lf";
    for (int i = 0; i < graduation.count; ++i) {
      const double N = row.min + i / t;
      const double g = std::floor(row.min * t + i + 0.5) / t;
      if (g > row.max) break;
      const double theta = angle(g);
      const auto [ox, oy] = point(theta, rx);
      const auto [ix, iy] = point(theta, inner);
      canvas->Line(ox, oy, ix, iy, ink, p);

      int size = P > 6 ? P : 0;
      if (P > 2 && P <= 6) {
        const bool first = i == 0;
        const bool last = row.max * t < t * N + 0.5;
        // Strictly within half a step: the ticks either side of the middle
        // would tie on an inclusive bound.
        const bool middle = std::abs((row.min + row.max) / 2 - N) < 0.5 / t;
        if (first || last || middle) size = 8;
      }
      if (size == 0) continue;
      char text[64];
      std::snprintf(text, sizeof text, format, N);
      const MonTextSize box = canvas->Measure(text, size);
      const double c = std::cos(theta), sn = std::sin(theta);
      const double tanAbs = std::abs(c) < 1e-300 ? 1e300 : std::abs(sn / c);
      double offset;
      if (tanAbs < 0.01)
        offset = box.width / 2.0 + 2;
      else if (tanAbs > 100)
        offset = box.height / 2.0 + 2;
      else
        offset = std::min((box.width / 2.0 + 4) / std::abs(c), (box.height / 2.0 + 1) / std::abs(sn));
      const double mx = ix - c * offset, my = iy + sn * offset;
      canvas->Text(Round(mx - box.width / 2.0), Round(my - box.height / 2.0), text, size, ink);
    }
  }

  const int q = d / 12;
  const double k2 = std::min(0.85 * rx, rx - 3.0);
  const TColor needle = state == kWhite ? mark : kBlack;
  const double theta = angle(v);
  const auto [bx, by] = point(theta, -2.0 * q);
  const auto [mx, my] = point(theta, k2 / 2);
  const auto [tx, ty] = point(theta, k2);
  canvas->Line(bx, by, mx, my, needle, q);
  canvas->Line(mx, my, tx, ty, needle, q / 2);
  canvas->Ellipse(bx - q, by - q, bx + q, by + q, state, state);
  const int hub = q / 3;
  canvas->Ellipse(cx - hub, cy - hub, cx + hub, cy + hub, ink, ink);
}
