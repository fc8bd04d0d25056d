#include "shell/view/LanguageView.h"

#include <QAction>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>

#include "shell/TextSlots.h"
#include "shell/UiTexts.h"

namespace {
QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
}  // namespace

void ApplyLanguageToWindow(QMainWindow& window, CTextSlots& textSlots, int language) {
  textSlots.Apply(language);
  for (const auto& entry : MenuCaptions()) {
    auto* obj = window.findChild<QObject*>(entry.name);
    if (auto* menu = qobject_cast<QMenu*>(obj)) menu->setTitle(Q(entry.text.Get(language)));
    else if (auto* action = qobject_cast<QAction*>(obj)) action->setText(Q(entry.text.Get(language)));
  }
  for (const auto& entry : ControlCaptions())
    if (auto* label = window.findChild<QLabel*>(entry.name)) label->setText(Q(entry.text.Get(language)));
  window.setWindowTitle(Q(textSlots.WindowCaption()));
}
