#pragma once

#include <QSize>

class QWidget;

// What the monitor asks of the window manager beyond Qt's own size hints.

// Whether the primary mouse button is held anywhere on the display, also
// while the window manager has grabbed the pointer to move or size a window
// (the application then sees no button events of its own). On X11 the
// server is asked; elsewhere the application's own button state answers.
bool PrimaryButtonHeld();

// Asks the window manager to keep the client area minus `baseHeight` rows
// near the proportions of `aspect` while the user drags the frame (within
// 2 %, so that the exact size the program then sets is never corrected
// back). An empty `aspect` lifts the wish. Qt rewrites the size hints at
// every size it sets itself: call it again after each. Only on X11, and only
// window managers that honour aspect hints keep to it.
void SetAspectHint(QWidget& window, QSize aspect, int baseHeight);
