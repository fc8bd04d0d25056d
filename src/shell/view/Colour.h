#pragma once

#include <QColor>
#include <QPalette>

#include "core/Colours.h"

// 0x00BBGGRR to QColor; the button-face system colour comes from `palette`.
inline QColor ToQColor(TColor colour, const QPalette& palette) {
  if (colour == clBtnFace) return palette.color(QPalette::Button);
  return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}
