#pragma once

// Mouse and wheel events sent straight to a widget, as the widget tests of
// the sheet control and its graphs drive it.

#include <QApplication>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>

namespace testsupport {

inline void SendMouse(QWidget& w, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons,
                      Qt::KeyboardModifiers mods = Qt::NoModifier) {
  QMouseEvent e(type, QPointF(pos), QPointF(w.mapToGlobal(pos)), button, buttons, mods);
  QApplication::sendEvent(&w, &e);
}
inline void Hover(QWidget& w, QPoint p) { SendMouse(w, QEvent::MouseMove, p, Qt::NoButton, Qt::NoButton); }
inline void Press(QWidget& w, QPoint p, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  SendMouse(w, QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton, mods);
}
inline void DragTo(QWidget& w, QPoint p) { SendMouse(w, QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton); }
inline void Release(QWidget& w, QPoint p) { SendMouse(w, QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton); }
// delta in eighths of a degree: 120 is one notch.
inline void Wheel(QWidget& w, QPoint p, int delta, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  QWheelEvent e(QPointF(p), QPointF(w.mapToGlobal(p)), QPoint(), QPoint(0, delta), Qt::NoButton, mods,
                Qt::NoScrollPhase, false);
  QApplication::sendEvent(&w, &e);
}

}  // namespace testsupport
