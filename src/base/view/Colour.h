#pragma once

#include <QColor>
#include <QPalette>
#include <QWidget>

#include "base/Colours.h"

// 0x00BBGGRR to QColor; the button-face system colour comes from `palette`.
inline QColor ToQColor(TColor colour, const QPalette& palette) {
  if (colour == clBtnFace) return palette.color(QPalette::Button);
  return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

// A control's background ("Color"). The button face is the page's own
// colour: the control then stays transparent. Unchanged colours touch nothing.
inline void SetBackground(QWidget& w, TColor colour) {
  if (colour == clBtnFace) {
    if (w.autoFillBackground()) w.setAutoFillBackground(false);
    return;
  }
  QPalette p = w.palette();
  const QColor c = ToQColor(colour, p);
  if (w.autoFillBackground() && p.color(QPalette::Window) == c) return;
  p.setColor(QPalette::Window, c);
  w.setPalette(p);
  w.setAutoFillBackground(true);
}
