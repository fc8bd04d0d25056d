#pragma once

#include <QWidget>

#include "image/UpDownValue.h"

class QLineEdit;

// The up/down half of an edit + up/down pair ("EditX" + "UpDownX"): two
// arrow buttons, 16 x 21 pixels at 96 dpi, at the right edge of their edit.
// It holds the pair's value (CUpDownValue) and keeps the edit's text in step
// with it. A click steps the value within its range and reports Clicked;
// text typed into the edit becomes the value when it is taken (Enter or
// leaving the edit, see TakeTypedText).
class TUpDown : public QWidget {
  Q_OBJECT

 public:
  TUpDown(std::int32_t min, std::int32_t max, std::int32_t step, QLineEdit& edit, QWidget* parent);

  CUpDownValue& Value() { return m_value; }
  const CUpDownValue& Value() const { return m_value; }
  QLineEdit& Edit() { return m_edit; }

  // Writing from the parameter set: position and text, unbounded.
  void Write(std::int32_t value);
  // The edit's text into the value (bounded); text that does not parse
  // leaves it. The edit shows the value afterwards either way.
  void TakeTypedText();
  // One step as a click would make it; emits Clicked when the value changed.
  void StepBy(int direction);

  QSize sizeHint() const override;

 signals:
  void Clicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  void ShowText();

  CUpDownValue m_value;
  QLineEdit& m_edit;
};
