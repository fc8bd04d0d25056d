#include "base/view/LanguageView.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCoreApplication>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QRadioButton>
#include <QTabWidget>
#include <algorithm>

#include "base/TextSlots.h"
#include "base/UiTexts.h"

namespace {
QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

QObject* Find(QMainWindow& window, const char* name) { return window.findChild<QObject*>(QString::fromLatin1(name)); }

// The tab widget that shows `widget` as one of its pages, and the page's index.
QTabWidget* TabOf(const QWidget* widget, int* index) {
  for (QObject* p = widget->parent(); p; p = p->parent()) {
    if (auto* tabs = qobject_cast<QTabWidget*>(p)) {
      const int i = tabs->indexOf(const_cast<QWidget*>(widget));
      if (i < 0) return nullptr;
      *index = i;
      return tabs;
    }
  }
  return nullptr;
}

void SetHint(QObject* object, const QString& hint) {
  const qsizetype bar = hint.indexOf(QLatin1Char('|'));
  const QString shortHint = bar < 0 ? hint : hint.left(bar);
  const QString longHint = bar < 0 ? hint : hint.mid(bar + 1);
  if (auto* menu = qobject_cast<QMenu*>(object)) object = menu->menuAction();
  if (auto* action = qobject_cast<QAction*>(object)) {
    action->setToolTip(shortHint);
    action->setStatusTip(longHint);
  } else if (auto* widget = qobject_cast<QWidget*>(object)) {
    widget->setToolTip(shortHint);
    widget->setStatusTip(longHint);
  }
}

void ApplyMenus(QMainWindow& window, int language) {
  for (const auto& entry : MenuCaptions())
    if (QObject* object = Find(window, entry.name)) SetControlCaption(object, Q(entry.text.Get(language)));
  for (int i = 0; i < kLanguageCount; ++i) {
    if (auto* action = qobject_cast<QAction*>(Find(window, kLanguageMenuItems[i]))) {
      action->setCheckable(true);
      action->setChecked(i == language);
    }
  }
  // French is reached only by the command-line word.
  if (auto* french = qobject_cast<QAction*>(Find(window, kLanguageMenuItems[kFrench]))) french->setVisible(false);
}

void ApplyHints(QMainWindow& window, int language) {
  for (const auto& entry : Hints())
    if (QObject* object = Find(window, entry.name)) SetHint(object, Q(entry.text.Get(language)));
}

void ApplyExternalMonitor(int language) {
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (top->objectName() != QLatin1String("FormEM")) continue;
    top->setWindowTitle(Q(kExternalMonitorCaption.Get(language)));
    // The monitor lays its elements out again for the new texts.
    QEvent change(QEvent::LanguageChange);
    QCoreApplication::sendEvent(top, &change);
  }
}

}  // namespace

void ApplyControlTextsToWindow(QMainWindow& window, const CTextSlots& textSlots, int language) {
  window.setWindowTitle(Q(textSlots.WindowCaption()));
  ApplyExternalMonitor(language);
  for (const auto& entry : ControlCaptions())
    if (QObject* object = Find(window, entry.name)) SetControlCaption(object, Q(entry.text.Get(language)));
  for (const auto& entry : SlotCaptions())
    if (QObject* object = Find(window, entry.name))
      SetControlCaption(object, Q(entry.prefix) + Q(textSlots[entry.slot]) + Q(entry.suffix));
  for (const auto& group : RadioGroupItems()) {
    const auto* box = qobject_cast<QGroupBox*>(Find(window, group.name));
    if (!box) continue;
    const QList<QRadioButton*> buttons = RadioGroupButtons(box);
    const auto n = std::min<qsizetype>(buttons.size(), static_cast<qsizetype>(group.items.size()));
    for (qsizetype i = 0; i < n; ++i) buttons[i]->setText(Q(group.items[static_cast<std::size_t>(i)].Get(language)));
  }
}

QString ControlCaption(const QObject* object) {
  if (const auto* widget = qobject_cast<const QWidget*>(object)) {
    int index = 0;
    if (const QTabWidget* tabs = TabOf(widget, &index)) return tabs->tabText(index);
  }
  if (const auto* menu = qobject_cast<const QMenu*>(object)) return menu->title();
  if (const auto* action = qobject_cast<const QAction*>(object)) return action->text();
  if (const auto* box = qobject_cast<const QGroupBox*>(object)) return box->title();
  if (const auto* label = qobject_cast<const QLabel*>(object)) return label->text();
  if (const auto* button = qobject_cast<const QAbstractButton*>(object)) return button->text();
  return {};
}

void SetControlCaption(QObject* object, const QString& text) {
  if (auto* widget = qobject_cast<QWidget*>(object)) {
    int index = 0;
    if (QTabWidget* tabs = TabOf(widget, &index)) {
      tabs->setTabText(index, text);
      return;
    }
  }
  if (auto* menu = qobject_cast<QMenu*>(object))
    menu->setTitle(text);
  else if (auto* action = qobject_cast<QAction*>(object))
    action->setText(text);
  else if (auto* box = qobject_cast<QGroupBox*>(object))
    box->setTitle(text);
  else if (auto* label = qobject_cast<QLabel*>(object))
    label->setText(text);
  else if (auto* button = qobject_cast<QAbstractButton*>(object))
    button->setText(text);
}

QList<QRadioButton*> RadioGroupButtons(const QGroupBox* group) {
  QList<QRadioButton*> buttons = group->findChildren<QRadioButton*>();
  for (const QButtonGroup* ids : group->findChildren<QButtonGroup*>()) {
    QList<int> order;
    for (QRadioButton* b : buttons) order.append(ids->id(b));
    QList<int> sorted = order;
    std::sort(sorted.begin(), sorted.end());
    const bool usable =
        !sorted.isEmpty() && sorted.front() >= 0 && std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end();
    if (!usable) continue;
    std::stable_sort(buttons.begin(), buttons.end(),
                     [ids](QRadioButton* a, QRadioButton* b) { return ids->id(a) < ids->id(b); });
    break;
  }
  return buttons;
}

void ApplyLanguageToWindow(QMainWindow& window, CTextSlots& textSlots, int language) {
  textSlots.Apply(language);
  ApplyMenus(window, language);
  ApplyHints(window, language);
  ApplyControlTextsToWindow(window, textSlots, language);
}
