#include <algorithm>
#include <cmath>

#include "monitor/MonitorComponents.h"

namespace {

// Hands the container's modifier state (and for moves the pointer) down to
// an item before calling it.
void PassKeys(const CMyGroup& from, CMyComponent& to) {
  to.shift = from.shift;
  to.ctrl = from.ctrl;
}

void PassPointer(const CMyGroup& from, CMyComponent& to) {
  PassKeys(from, to);
  to.mousex = from.mousex;
  to.mousey = from.mousey;
}

bool MovesLeftEdge(int h) { return h == kHandleBottomLeft || h == kHandleLeft || h == kHandleTopLeft; }
bool MovesRightEdge(int h) { return h == kHandleTopRight || h == kHandleRight || h == kHandleBottomRight; }
bool MovesTopEdge(int h) { return h == kHandleTop || h == kHandleTopRight || h == kHandleTopLeft; }
bool MovesBottomEdge(int h) { return h == kHandleBottomRight || h == kHandleBottom || h == kHandleBottomLeft; }

int Round(double v) { return int(std::lround(v)); }

std::int16_t CursorForHandle(int handle) {
  switch (handle) {
    case kHandleTop:
    case kHandleBottom:
      return kCursorSizeNS;
    case kHandleTopRight:
    case kHandleBottomLeft:
      return kCursorSizeNESW;
    case kHandleRight:
    case kHandleLeft:
      return kCursorSizeWE;
    default:
      return kCursorSizeNWSE;
  }
}

}  // namespace

CMyGroup::~CMyGroup() {
  // Items refer back to the container: drop the focus before they go.
  focused = nullptr;
  items.clear();
}

int CMyGroup::IndexOf(const CMyComponent* item) const {
  for (int i = 0; i < Count(); ++i)
    if (Item(i) == item) return i;
  return -1;
}

CMyComponent* CMyGroup::Insert(std::unique_ptr<CMyComponent> item) {
  CMyComponent* raw = item.get();
  raw->parent = this;
  raw->canvas = canvas;
  raw->selected = 0;
  if (Count() == capacity) capacity += 25;
  items.reserve(std::size_t(capacity));
  items.push_back(std::move(item));
  return raw;
}

void CMyGroup::Remove(CMyComponent* item) {
  const int at = IndexOf(item);
  if (at < 0) return;
  if (focused == item) focused = nullptr;
  items.erase(items.begin() + at);
  CountSelected();
}

void CMyGroup::FreeAll() {
  focused = nullptr;
  items.clear();
  CountSelected();
}

void CMyGroup::BringToFront(CMyComponent* item) {
  const int at = IndexOf(item);
  if (at < 0 || at == Count() - 1) return;
  auto owned = std::move(items[std::size_t(at)]);
  items.erase(items.begin() + at);
  items.push_back(std::move(owned));
}

void CMyGroup::SetFocused(CMyComponent* item) {
  if (item == focused) return;
  if (focused) focused->FocusLost();
  focused = item;
  if (!item) return;
  if (edit) {
    item->selected = 1;
    CountSelected();
  }
  BringToFront(item);
  if (item->kind == kKindIndicator) {
    // The indicator's own label and value stay readable over it.
    for (int wanted : {kKindLabel, kKindValue}) {
      std::vector<CMyComponent*> matches;
      for (const auto& other : items)
        if (other->kind == wanted && other->id == item->id) matches.push_back(other.get());
      for (CMyComponent* other : matches) BringToFront(other);
    }
  }
  item->FocusGained();
}

void CMyGroup::DeselectAll() {
  for (const auto& item : items) item->selected = 0;
  nsel = 0;
}

void CMyGroup::CountSelected() {
  nsel = int(std::count_if(items.begin(), items.end(), [](const auto& item) { return item->selected != 0; }));
}

void CMyGroup::SetCanvas(CMonCanvas* c) {
  canvas = c;
  for (const auto& item : items) item->SetCanvas(c);
}

void CMyGroup::SetColor(TColor colour) {
  Color = colour;
  for (const auto& item : items) item->SetColor(colour);
}

void CMyGroup::SetScale(float factor) {
  for (const auto& item : items) item->SetScale(factor);
}

// ---- pointer ----

void CMyGroup::MouseDown() {
  if (edit && button == 1 && focused && focused->hover && focused->handle && focused->selected && nsel == 1) {
    focused->sizing = focused->handle;
    focused->grabx = mousex;
    focused->graby = mousey;
    focused->StartResize();
    return;
  }
  const auto startMove = [this](CMyComponent& item) {
    item.dragging = 1;
    item.grabx = mousex - item.Left;
    item.graby = mousey - item.Top;
  };
  if (edit && button == 1) {
    for (int i = Count() - 1; i >= 0; --i) {
      CMyComponent& item = *Item(i);
      if (item.hover && item.selected) {
        startMove(item);
        return;
      }
    }
  }

  CMyComponent* hit = nullptr;
  for (int i = Count() - 1; i >= 0 && !hit; --i)
    if (Item(i)->hover && Item(i)->focusable) hit = Item(i);
  const bool wasSelected = hit && hit->selected;
  if (hit) {
    if (edit) hit->selected = 1;
    SetFocused(hit);
  }
  if (!ctrl && !wasSelected) {
    for (const auto& item : items)
      if (item.get() != focused && item->selected) {
        item->selected = 0;
        item->Invalidate();
      }
  }
  CountSelected();

  if (hit) {
    if (button == 1) {
      PassKeys(*this, *hit);
      hit->MouseDown();
      if (edit) startMove(*hit);
    }
    MouseMove();
    if (button == 2) Paint();
    return;
  }
  SetFocused(nullptr);
  if (button == 2) Paint();
  if (button == 1 && edit) {
    if (!ctrl) DeselectAll();
    band = 1;
    bandx1 = bandx2 = mousex;
    bandy1 = bandy2 = mousey;
    MouseMove();
  }
}

void CMyGroup::ClampSelectionMove(int& dx, int& dy) const {
  for (const auto& item : items) {
    if (!item->selected) continue;
    dx = std::max(dx, Left - item->Left);
    dy = std::max(dy, Top - item->Top);
    dx = std::min(dx, Left + Width - item->Left - item->Width);
    dy = std::min(dy, Top + Height - item->Top - item->Height);
  }
}

void CMyGroup::MoveSelection(int dx, int dy) {
  ClampSelectionMove(dx, dy);
  if (dx == 0 && dy == 0) return;
  for (const auto& item : items)
    if (item->selected) {
      item->Left += dx;
      item->Top += dy;
    }
  Invalidate();
}

void CMyGroup::MouseMove() {
  if (edit) {
    for (const auto& item : items)
      if (item->sizing) {
        ResizeBy(*item, item->sizing, mousex - item->grabx, mousey - item->graby);
        return;
      }
    for (const auto& item : items)
      if (item->dragging) {
        MoveSelection(mousex - item->Left - item->grabx, mousey - item->Top - item->graby);
        cursor = kCursorSizeAll;
        return;
      }
    if (band) {
      bandx2 = std::clamp(mousex, Left, std::max(Left, Left + Width));
      bandy2 = std::clamp(mousey, Top, std::max(Top, Top + Height));
      Invalidate();
      cursor = kCursorCross;
      return;
    }
  }
  for (int i = Count() - 1; i >= 0; --i) {
    CMyComponent& item = *Item(i);
    const bool inside = mousex >= item.Left && mousex <= item.Left + item.Width && mousey >= item.Top &&
                        mousey <= item.Top + item.Height;
    if (!inside) {
      if (item.hover) {
        item.hover = 0;
        PassKeys(*this, item);
        item.MouseLeave();
      }
      if (&item == focused) {
        PassPointer(*this, item);
        item.MouseMove();
      }
    } else {
      item.hover = 1;
      PassPointer(*this, item);
      item.MouseMove();
    }
  }
  if (edit) UpdateCursor();
}

void CMyGroup::UpdateCursor() {
  cursor = kCursorDefault;
  for (const auto& item : items) {
    if (!item->hover || !item->selected) continue;
    cursor = (!item->handle || nsel > 1) ? std::int16_t(kCursorSizeAll) : CursorForHandle(item->handle);
  }
}

void CMyGroup::MouseUp() {
  if (edit) {
    for (int flag : {0, 1}) {
      for (const auto& item : items) {
        int& state = flag == 0 ? item->sizing : item->dragging;
        if (state) {
          state = 0;
          Invalidate();
          MouseMove();
          return;
        }
      }
    }
    if (band) {
      band = 0;
      if (bandx1 > bandx2) std::swap(bandx1, bandx2);
      if (bandy1 > bandy2) std::swap(bandy1, bandy2);
      CMyComponent* last = nullptr;
      for (const auto& item : items) {
        if (item->Left >= bandx1 && item->Left + item->Width <= bandx2 && item->Top >= bandy1 &&
            item->Top + item->Height <= bandy2)
          item->selected = 1;
        if (item->selected) last = item.get();
      }
      if (!focused && last) SetFocused(last);
      CountSelected();
      Invalidate();
      MouseMove();
      return;
    }
  }
  if (focused) {
    PassKeys(*this, *focused);
    focused->MouseUp();
  }
}

void CMyGroup::MouseLeave() {
  for (int i = Count() - 1; i >= 0; --i) {
    CMyComponent& item = *Item(i);
    if (!item.hover) continue;
    PassKeys(*this, item);
    item.MouseLeave();
    item.hover = 0;
  }
}

void CMyGroup::MouseWheel(int delta) {
  if (!focused) return;
  PassKeys(*this, *focused);
  focused->MouseWheel(delta);
}

void CMyGroup::DblClick() {
  if (!focused) return;
  PassKeys(*this, *focused);
  focused->DblClick();
}

// ---- keys ----

void CMyGroup::KeyDown(int key) {
  if (key == kVkTab) {
    CMyComponent* next = nullptr;
    for (int i = Count() - 1; i >= 0 && !next; --i)
      if (Item(i)->focusable && Item(i) != focused) next = Item(i);
    if (!next) return;
    if (edit) {
      if (focused) focused->selected = 0;
      next->selected = 1;
    }
    SetFocused(next);
    CountSelected();
    Invalidate();
    return;
  }
  const bool arrow = key == kVkLeft || key == kVkRight || key == kVkUp || key == kVkDown;
  if (edit && arrow) {
    const int dx = key == kVkLeft ? -1 : key == kVkRight ? 1 : 0;
    const int dy = key == kVkUp ? -1 : key == kVkDown ? 1 : 0;
    if (!shift) {
      MoveSelection(dx, dy);
      return;
    }
    if (!focused) return;
    focused->StartResize();
    const int step = dx + dy;  // one of them is 0
    // A proportional element grows on both axes, so the aspect rule sees a
    // change it can follow.
    if (!focused->nprable)
      ResizeBy(*focused, kHandleBottomRight, step, step);
    else
      ResizeBy(*focused, kHandleBottomRight, dx, dy);
    return;
  }
  if (focused) {
    PassKeys(*this, *focused);
    focused->KeyDown(key);
  }
}

// ---- resizing ----

void CMyGroup::ResizeBy(CMyComponent& item, int by, int dx, int dy) {
  static constexpr int kSign[9][2] = {{0, 0}, {0, -1}, {1, -1}, {1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}};
  if (by < kHandleTop || by > kHandleTopLeft) return;
  const int W0 = item.startWidth, H0 = item.startHeight, L0 = item.startLeft, T0 = item.startTop;
  int dw = kSign[by][0] * dx;
  int dh = kSign[by][1] * dy;

  dw = std::max(dw, item.minw - W0);
  dh = std::max(dh, item.minh - H0);
  dw = std::min(dw, item.maxw - W0);
  dh = std::min(dh, item.maxh - H0);

  if (MovesLeftEdge(by)) dw = std::min(dw, L0 - Left);
  if (MovesRightEdge(by)) dw = std::min(dw, Left + Width - L0 - W0);
  if (MovesTopEdge(by)) dh = std::min(dh, T0 - Top);
  if (MovesBottomEdge(by)) dh = std::min(dh, Top + Height - T0 - H0);

  if (!item.nprable) {
    // A reference never set (no resize start) would divide by zero.
    if (item.ow <= 0 || item.oh <= 0) {
      item.ow = std::max(W0, 1);
      item.oh = std::max(H0, 1);
    }
    const double refW = item.ow, refH = item.oh;
    const double rw = (W0 + dw) / refW, rh = (H0 + dh) / refH;
    if (rw > rh) dw = Round(rh * refW - W0);
    if (rh > rw) dh = Round(rw * refH - H0);
    if (W0 + dw < item.minw) {
      dw = item.minw - W0;
      dh = Round(refH * item.minw / refW - H0);
    }
    if (H0 + dh < item.minh) {
      dh = item.minh - H0;
      dw = Round(refW * item.minh / refH - W0);
    }
  }

  dw += W0 - item.Width;
  dh += H0 - item.Height;
  item.ConstrainResize(dw, dh);
  if (dw == 0 && dh == 0) return;
  if (MovesLeftEdge(by)) item.Left -= dw;
  if (MovesTopEdge(by)) item.Top -= dh;
  item.Width += dw;
  item.Height += dh;
  Invalidate();
}
