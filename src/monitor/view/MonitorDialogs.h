#pragma once

#include <QDialog>
#include <QString>
#include <string_view>

#include "base/Colours.h"

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QWidget;
class CMyGroup;
class CMyText;
class CMyLabel;
class CMyValue;
class CMyIndicator;

// The monitor's element dialogs, each modal. True when OK changed the
// element (the container is then invalidated).
bool EditTextDialog(QWidget* parent, CMyText& text, CMyGroup& place);
bool LabelPropertiesDialog(QWidget* parent, CMyLabel& label, CMyGroup& place);
void ValuePropertiesDialog(QWidget* parent, const CMyValue& value);
bool IndicatorPropertiesDialog(QWidget* parent, CMyIndicator& indicator, CMyGroup& place);
// A new text at (x, y) in layout units.
bool InsertTextDialog(QWidget* parent, CMyGroup& place, int x, int y);

// The monitor dialogs' common frame: a fixed client of w x h design pixels
// (96 dpi) titled `caption`, with "Cancel" (Escape) and "OK" (default) side
// by side at design row `buttonsY`.
class CMonitorDialog : public QDialog {
  Q_OBJECT

 public:
  CMonitorDialog(QWidget* parent, const char* objectName, std::string_view caption, int w, int h, int buttonsY);

  // Design pixels to this screen's pixels.
  int Px(int design) const;
  QRect Px(int x, int y, int w, int h) const { return {Px(x), Px(y), Px(w), Px(h)}; }

  QPushButton* btOK = nullptr;
  QPushButton* btCancel = nullptr;

 private:
  double m_scale = 1.0;
};

// The indicator's designed dialog: type and colour of the bar or dial.
class TTFormIndiProp : public CMonitorDialog {
  Q_OBJECT

 public:
  TTFormIndiProp(QWidget* parent, const CMyIndicator& indicator);

  // The chosen style, or -1 when the type group is hidden.
  int ChosenStyle() const;
  // The chosen colour; `current` when none of the table's is chosen.
  TColor ChosenColour(TColor current) const;

  QLabel* LabelType = nullptr;
  QGroupBox* TypeOfIndi = nullptr;
  QLabel* LabelColor = nullptr;
  QComboBox* ColorBox1 = nullptr;

 private:
  QButtonGroup* m_types = nullptr;
};

inline QString FromUtf8(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }
