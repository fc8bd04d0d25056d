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

// A control's background ("Color"): the whole control filled with the
// colour, whatever the style (its background role is coloured, not only the
// window colour that some styles draw frames and rings with). The button
// face gives the control back its own palette, so that nothing of the colour
// stays behind in its frames or in its children (a radio group's rings).
// Unchanged colours touch nothing.
inline void SetBackground(QWidget& w, TColor colour) {
  static constexpr const char* kOwnPalette = "ventrixOwnPalette";
  const QVariant own = w.property(kOwnPalette);
  if (colour == clBtnFace) {
    if (!own.isValid()) return;
    w.setAutoFillBackground(false);
    w.setPalette(own.value<QPalette>());
    w.setProperty(kOwnPalette, QVariant());
    return;
  }
  if (!own.isValid()) w.setProperty(kOwnPalette, QVariant::fromValue(w.palette()));
  QPalette p = w.palette();
  const QColor c = ToQColor(colour, p);
  if (w.autoFillBackground() && p.color(w.backgroundRole()) == c) return;
  p.setColor(w.backgroundRole(), c);
  p.setColor(QPalette::Window, c);
  w.setPalette(p);
  w.setAutoFillBackground(true);
}
