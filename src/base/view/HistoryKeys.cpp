#include "base/view/HistoryKeys.h"

#include <QKeyEvent>

QList<QKeySequence> RedoKeys() {
  QList<QKeySequence> keys{QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)};
  for (const QKeySequence& k : QKeySequence::keyBindings(QKeySequence::Redo))
    if (!keys.contains(k)) keys << k;
  return keys;
}

bool IsUndoKey(const QKeyEvent& event) { return event.matches(QKeySequence::Undo); }

bool IsRedoKey(const QKeyEvent& event) {
  const QKeySequence pressed(event.keyCombination());
  return event.matches(QKeySequence::Redo) || RedoKeys().contains(pressed);
}
