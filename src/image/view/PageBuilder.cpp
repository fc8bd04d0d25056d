#include "image/view/PageBuilder.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <string_view>

#include "image/PageBindings.h"
#include "image/view/TUpDown.h"
#include "base/UiTexts.h"

namespace {
// Radio items share the group's height below its title, one per row.
constexpr int kRadioTop = 20;
constexpr int kRadioBottom = 4;
constexpr int kRadioHeight = 19;
constexpr int kRadioLeft = 10;
constexpr int kEditHeight = 21;
constexpr int kUpDownWidth = 16;

// A named control of type W at its place on the screen.
template <typename W>
W* Placed(QWidget& parent, const char* name, const QRect& screen) {
  auto* w = new W(&parent);
  w->setObjectName(name);
  w->setGeometry(screen);
  return w;
}

std::size_t RadioItemCount(std::string_view name) {
  for (const RadioGroupText& g : RadioGroupItems())
    if (name == g.name) return g.items.size();
  return 0;
}
}  // namespace

QGroupBox* CPageBuilder::Group(const char* name, int x, int y, int w, int h, QWidget* parent) {
  return Placed<QGroupBox>(Parent(parent), name, QRect(Px(x), Px(y), Px(w), Px(h)));
}

QLabel* CPageBuilder::Label(const char* name, int x, int y, int w, QWidget* parent, int h) {
  return Placed<QLabel>(Parent(parent), name, QRect(Px(x), Px(y), Px(w), Px(h)));
}

QCheckBox* CPageBuilder::CheckBox(const char* name, int x, int y, int w, QWidget* parent, int h) {
  return Placed<QCheckBox>(Parent(parent), name, QRect(Px(x), Px(y), Px(w), Px(h)));
}

QPushButton* CPageBuilder::Button(const char* name, int x, int y, int w, QWidget* parent, int h) {
  return Placed<QPushButton>(Parent(parent), name, QRect(Px(x), Px(y), Px(w), Px(h)));
}

QGroupBox* CPageBuilder::RadioGroup(const char* name, int x, int y, int w, int h, QWidget* parent) {
  QGroupBox* box = Group(name, x, y, w, h, parent);
  // The ids are the item indices the image stores; the language walk orders the texts by them.
  auto* ids = new QButtonGroup(box);
  const int n = static_cast<int>(RadioItemCount(name));
  const int step = n > 0 ? std::max(kRadioHeight, (h - kRadioTop - kRadioBottom) / n) : 0;
  for (int i = 0; i < n; ++i) {
    auto* item = new QRadioButton(box);
    item->setGeometry(Px(kRadioLeft), Px(kRadioTop + i * step), Px(w - 2 * kRadioLeft), Px(kRadioHeight));
    ids->addButton(item, i);
  }
  return box;
}

TUpDown* CPageBuilder::UpDown(const char* upDownName, int x, int y, int editWidth, QWidget* parent, int upDownX) {
  QWidget& owner = Parent(parent);
  auto* edit = new QLineEdit(&owner);
  edit->setObjectName(QString::fromStdString(FieldEditName(upDownName)));
  edit->setGeometry(Px(x), Px(y), Px(editWidth), Px(kEditHeight));
  edit->setAlignment(Qt::AlignRight);

  const ControlBinding* binding = FindBinding(upDownName);
  if (!binding) qWarning("no binding for %s: range 0..0", upDownName);
  const ControlBinding none{};
  const ControlBinding& range = binding ? *binding : none;
  auto* upDown = new TUpDown(range.min, range.max, range.step, *edit, &owner);
  upDown->setObjectName(upDownName);
  upDown->setGeometry(Px(upDownX < 0 ? x + editWidth : upDownX), Px(y), Px(kUpDownWidth), Px(kEditHeight));
  return upDown;
}
