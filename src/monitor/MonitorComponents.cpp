#include "monitor/MonitorComponents.h"

#include <algorithm>
#include <cmath>

#include "link/ParameterCatalogue.h"

namespace {

constexpr CLngStr kNoCaption{0, {nullptr, nullptr, nullptr, nullptr}};

// What an element bound to nothing shows: no value, an empty range.
const CID kUnboundRow{};

bool Within(int x, int y, int x1, int y1, int x2, int y2) { return x >= x1 && x <= x2 && y >= y1 && y <= y2; }

}  // namespace

// ---- CMyComponent ----

CMyComponent::CMyComponent() : s(&kNoCaption) {}

bool CMyComponent::IsFocused() const {
  if (!parent) return true;
  return parent->focused == this && parent->IsFocused();
}

void CMyComponent::Invalidate(int bits) {
  if (parent) {
    parent->dirty |= bits;
    dirty |= bits;
  } else {
    dirty |= kDirtyAll;
  }
}

void CMyComponent::StartResize() {
  startTop = Top;
  startLeft = Left;
  startWidth = Width;
  startHeight = Height;
  // A reference of 0 or below (an old file, a fresh element) would divide
  // by zero in the aspect rule: take the current size instead.
  if (ow <= 0 || oh <= 0) {
    ow = std::max(Width, 1);
    oh = std::max(Height, 1);
  }
}

int CMyComponent::Px(double layout) const { return int(std::lround(layout * double(scale))); }

// ---- CMyButt ----

CMyButt::CMyButt() { focusable = 1; }

void CMyButt::MouseDown() {
  if (!hover) return;
  if (type == 1) Down = 1;
  if (type == 2) Down = checked ? 0 : 1;
  if (type != 0) Invalidate();
}

void CMyButt::MouseUp() {
  if (!hover) return;
  if (type == 1) Down = 0;
  if (type == 2) checked = Down;
  if (type != 0) Invalidate();
}

void CMyButt::MouseLeave() {
  if (type != 2) return;
  Down = checked;
  Invalidate();
}

// ---- CMyObj ----

CMyObj::CMyObj() { focusable = 1; }

void CMyObj::SetParameter(const CParameterCatalogue& catalogue, int parameterId) {
  id = parameterId;
  m_catalogue = &catalogue;
  m_row = &catalogue.GetDef(parameterId);
  s = &m_row->name;
}

const CID& CMyObj::Row() const { return m_row ? *m_row : kUnboundRow; }

bool CMyObj::HasData() const { return m_catalogue && m_catalogue->HasData(); }

int CMyObj::HandleAt(int x, int y) const {
  if (!rszable) return kHandleNone;
  const int L = Left, T = Top, R = Left + Width, B = Top + Height;
  const int midX1 = L + (Width - 5) / 2, midX2 = L + (Width + 5) / 2;
  const int midY1 = T + (Height - 5) / 2, midY2 = T + (Height + 5) / 2;
  struct Square {
    int handle, x1, y1, x2, y2;
  };
  // Edges first, then corners: a later hit replaces an earlier one, so a
  // corner wins where the squares overlap on a small element.
  const Square edges[] = {
      {kHandleTop, midX1, T, midX2, T + 5},
      {kHandleBottom, midX1, B - 5, midX2, B},
      {kHandleLeft, L, midY1, L + 5, midY2},
      {kHandleRight, R - 5, midY1, R, midY2},
  };
  const Square corners[] = {
      {kHandleTopLeft, L, T, L + 5, T + 5},
      {kHandleTopRight, R - 5, T, R, T + 5},
      {kHandleBottomRight, R - 5, B - 5, R, B},
      {kHandleBottomLeft, L, B - 5, L + 5, B},
  };
  int hit = kHandleNone;
  if (nprable)
    for (const Square& q : edges)
      if (Within(x, y, q.x1, q.y1, q.x2, q.y2)) hit = q.handle;
  for (const Square& q : corners)
    if (Within(x, y, q.x1, q.y1, q.x2, q.y2)) hit = q.handle;
  return hit;
}

void CMyObj::MouseMove() { handle = IsFocused() ? HandleAt(mousex, mousey) : kHandleNone; }

// ---- element kinds ----

CMyImage::CMyImage() { kind = kKindPicture; }

CMyLabel::CMyLabel() {
  nprable = 0;
  minh = 12;
  kind = kKindLabel;
}

std::string CMyLabel::Caption(int language) const {
  const CID& row = Row();
  const std::string_view name = row.name.Get(language);
  const std::string_view unit = units && row.units ? row.units : "";
  std::string caption(name.empty() ? std::string_view(" ") : name);
  if (!unit.empty()) {
    caption += ' ';
    caption += unit;
  }
  return caption;
}

CMyText::CMyText() { kind = kKindText; }

CMyValue::CMyValue() {
  nprable = 0;
  kind = kKindValue;
}

CMyIndicator::CMyIndicator() {
  ColorMk = 0x0000FF;
  minw = 10;
  minh = 4;
  kind = kKindIndicator;
}

// ---- fitting the width to the text ----

int FittedFontSize(const CMonCanvas& canvas, std::string_view text, int height) {
  const int th = canvas.Measure(text).height;
  return th > 0 ? canvas.fontSize * height / th : 0;
}

namespace {

int FittedWidth(const CMonCanvas& canvas, std::string_view text, int height) {
  const int size = FittedFontSize(canvas, text, height);
  return size > 0 ? canvas.Measure(text, size).width : 0;
}

}  // namespace

void CMyLabel::FitWidth() {
  if (!canvas) return;
  int widest = 0;
  for (int language = 0; language < kLanguageCount; ++language)
    widest = std::max(widest, FittedWidth(*canvas, Caption(language), Height));
  Width = widest;
}

void CMyText::FitWidth() {
  if (canvas) Width = FittedWidth(*canvas, text, Height);
}

void CMyValue::FitWidth() {
  if (!canvas) return;
  const CID& row = Row();
  if (row.shown == DisplayKind::kNumber) {
    const std::string current = Catalogue() ? Catalogue()->ValueText(row) : ValuePlaceholder(row.width, row.decimals);
    Width = FittedWidth(*canvas, current, Height);
    return;
  }
  int widest = 0;
  for (int language = 0; language < kLanguageCount; ++language)
    for (bool on : {false, true})
      widest = std::max(widest, FittedWidth(*canvas, StateText(row.shown, on, language), Height));
  Width = widest;
}
