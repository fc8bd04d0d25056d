#pragma once

class QMainWindow;
class CTextSlots;

// Applies `language` to the whole main window, in order: the text slots,
// the menus (with the language checks), the hints, the control texts and
// the window caption (slot 0, seven blanks, the current file name).
void ApplyLanguageToWindow(QMainWindow& window, CTextSlots& textSlots, int language);
