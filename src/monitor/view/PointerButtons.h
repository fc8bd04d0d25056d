#pragma once

// Whether the primary mouse button is held anywhere on the display, also
// while the window manager has grabbed the pointer to move or size a window
// (the application then sees no button events of its own). On X11 the
// server is asked; elsewhere the application's own button state answers.
bool PrimaryButtonHeld();
