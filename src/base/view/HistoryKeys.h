#pragma once

#include <QKeySequence>
#include <QList>

class QKeyEvent;

// The keys of Undo and Redo on every desktop. A plain X11 session knows only
// Ctrl+Shift+Z for Redo, Windows-minded desktops only Ctrl+Y; tuners use
// both, so both redo everywhere. Ctrl+Y comes first: the menu shows it.
QList<QKeySequence> RedoKeys();
bool IsUndoKey(const QKeyEvent& event);
bool IsRedoKey(const QKeyEvent& event);
