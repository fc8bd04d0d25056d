#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/Colours.h"

// The monitor's elements do not paint with a platform painter: each one
// appends what it draws to a canvas as a list of primitives in pixels, and
// the view replays the list onto the surface's off-screen image. That keeps
// every coordinate, colour and text size checkable without a display.

struct MonTextSize {
  int width = 0;
  int height = 0;
  friend bool operator==(const MonTextSize&, const MonTextSize&) = default;
};

// Measures UTF-8 text in the canvas font (the window's font) at a point
// size; the view answers with QFontMetrics.
class IMonTextMeasure {
 public:
  virtual ~IMonTextMeasure() = default;
  virtual MonTextSize Measure(std::string_view text, int fontSize) const = 0;
};

enum class MonPen : std::uint8_t { kSolid, kDot, kDash };

enum class MonOp : std::uint8_t {
  kRect,     // x1,y1 to x2,y2, right and bottom exclusive; outline in `pen`, filled with `brush` when `filled`
  kLine,     // x1,y1 to x2,y2 without its last pixel, `penWidth` wide (0: the thinnest)
  kEllipse,  // inside the box x1,y1 to x2,y2, outline and fill as a rectangle
  kText,     // `text` with its top left at x1,y1, `fontSize` points, colour `pen`, transparent background
  kPicture,  // `picture` (a BMP file image) stretched into x1,y1 to x2,y2
};

struct MonDrawOp {
  MonOp op = MonOp::kRect;
  int x1 = 0;
  int y1 = 0;
  int x2 = 0;
  int y2 = 0;
  TColor pen = 0;
  TColor brush = 0;
  bool filled = false;
  int penWidth = 1;
  MonPen style = MonPen::kSolid;
  int fontSize = 0;
  std::string text;
  const std::vector<std::uint8_t>* picture = nullptr;  // owned by the element
  friend bool operator==(const MonDrawOp&, const MonDrawOp&) = default;
};

// The drawing canvas the components share: the primitives painted since the
// view last took them, and the canvas font's current size.
class CMonCanvas {
 public:
  // Tahoma 8 is the window's design font.
  explicit CMonCanvas(const IMonTextMeasure& measure, int size = 8) : m_measure(measure), fontSize(size) {}

  MonTextSize Measure(std::string_view text, int size) const { return m_measure.Measure(text, size); }
  MonTextSize Measure(std::string_view text) const { return Measure(text, fontSize); }

  void Rect(int x1, int y1, int x2, int y2, TColor pen, TColor brush, MonPen style = MonPen::kSolid);
  void Frame(int x1, int y1, int x2, int y2, TColor pen, MonPen style);
  void Line(int x1, int y1, int x2, int y2, TColor pen, int width = 1);
  void Ellipse(int x1, int y1, int x2, int y2, TColor pen, TColor brush, int penWidth = 1);
  void Text(int x, int y, std::string_view text, int size, TColor colour);
  void Picture(int x1, int y1, int x2, int y2, const std::vector<std::uint8_t>& bytes);

  // The primitives painted since the last call, in paint order.
  std::vector<MonDrawOp> Take();
  const std::vector<MonDrawOp>& Ops() const { return ops; }

 private:
  const IMonTextMeasure& m_measure;

 public:
  int fontSize;
  std::vector<MonDrawOp> ops;
};

// A round dial's graduation: ticks 1/t apart while their index stays below
// `count`; t is 0 for an empty range, which has no graduation.
struct MonDialScale {
  double count = 0;
  double t = 0;
};
MonDialScale DialScale(int width, int height, float scale, double minimum, double maximum);

// A channel-wise blend toward white by three quarters: how an element shows
// a parameter that has no value yet.
constexpr TColor PaleColour(TColor c) {
  const auto ch = [c](int shift) { return ((((c >> shift) & 0xFFu) + 3u * 255u) / 4u) << shift; };
  return ch(0) | ch(8) | ch(16);
}
