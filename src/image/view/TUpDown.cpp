#include "image/view/TUpDown.h"

#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionSpinBox>

#include "sheet/ValueText.h"

namespace {
// The grouping every shown number uses (the desktop's locale).
const std::string& GroupSeparator() { return ShownNumberFormat().group; }
}  // namespace

TUpDown::TUpDown(std::int32_t min, std::int32_t max, std::int32_t step, QLineEdit& edit, QWidget* parent)
    : QWidget(parent), m_value(min, max, step), m_edit(edit) {
  setFocusPolicy(Qt::NoFocus);
  ShowText();
}

void TUpDown::Write(std::int32_t value) {
  m_value.Write(value);
  ShowText();
}

void TUpDown::TakeTypedText() {
  m_value.Type(m_edit.text().toStdString(), GroupSeparator());
  ShowText();
}

void TUpDown::StepBy(int direction) {
  // A click takes what was typed first, as the pair's position follows the text.
  m_value.Type(m_edit.text().toStdString(), GroupSeparator());
  const bool changed = m_value.StepBy(direction);
  ShowText();
  if (changed) emit Clicked();
}

void TUpDown::ShowText() {
  const QString text = QString::fromStdString(m_value.Text(GroupSeparator()));
  if (m_edit.text() != text) m_edit.setText(text);
}

QSize TUpDown::sizeHint() const { return {16, 21}; }

void TUpDown::paintEvent(QPaintEvent*) {
  QPainter p(this);
  QStyleOption opt;
  opt.initFrom(this);
  const int half = height() / 2;
  for (int i = 0; i < 2; ++i) {
    QStyleOptionButton bevel;
    bevel.initFrom(this);
    bevel.rect = QRect(0, i * half, width(), i == 0 ? half : height() - half);
    style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &bevel, &p, this);
    opt.rect = bevel.rect.adjusted(3, 2, -3, -2);
    style()->drawPrimitive(i == 0 ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown, &opt, &p, this);
  }
}

void TUpDown::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !isEnabled()) return;
  StepBy(event->position().y() < height() / 2.0 ? +1 : -1);
}
