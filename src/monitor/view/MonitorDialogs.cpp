#include "monitor/view/MonitorDialogs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <memory>
#include <string>

#include "monitor/AddWatch.h"
#include "monitor/MonitorComponents.h"
#include "monitor/MonitorWindowRules.h"
#include "link/ParameterCatalogue.h"
#include "base/Lang.h"
#include "base/view/Colour.h"

namespace {

constexpr int kButtonWidth = 80;
constexpr int kRowHeight = 20;
constexpr int kCancelX = 20;
constexpr int kOkX = 120;
// Fields and texts start at (20, 20) in every built dialog.
constexpr int kMargin = 20;

QString Word(int group, std::string_view english) { return FromUtf8(LookupText(group, english)); }

// "Label of parameter: /Basic/RPM" and the like; an element bound to nothing has no path.
QString Describe(std::string_view lead, const CMyObj& element) {
  std::string text(LookupText(2, lead));
  text += ' ';
  if (element.Catalogue()) text += ParameterPath(*element.Catalogue(), element.Row());
  return FromUtf8(text);
}

QLabel* AddLabel(CMonitorDialog& d, const char* name, const QString& text, QRect at) {
  auto* label = new QLabel(text, &d);
  label->setObjectName(name);
  label->setGeometry(at);
  return label;
}

QLineEdit* AddTextField(CMonitorDialog& d, const QString& text) {
  auto* edit = new QLineEdit(text, &d);
  edit->setObjectName("EditText");
  edit->setGeometry(d.Px(kMargin, kMargin, 260, kRowHeight));
  return edit;
}

// The dialogs hold UTF-8 like the elements; the set file converts to its code page.
std::string Utf8(const QLineEdit& edit) { return edit.text().toStdString(); }

// The width follows the text; the element stays inside the set.
void ApplyNewText(CMyText& text, CMyGroup& place) {
  text.FitWidth();
  KeepInsidePlace(text, place);
  place.Invalidate(kDirtyAll);
}

}  // namespace

CMonitorDialog::CMonitorDialog(QWidget* parent, const char* objectName, std::string_view caption, int w, int h,
                               int buttonsY)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
  setObjectName(objectName);
  m_scale = logicalDpiX() / 96.0;
  setWindowTitle(FromUtf8(caption));
  setFixedSize(Px(w), Px(h));
  btCancel = new QPushButton(Word(1, "Cancel"), this);
  btCancel->setObjectName("btCancel");
  btCancel->setGeometry(Px(kCancelX, buttonsY, kButtonWidth, kRowHeight));
  btCancel->setAutoDefault(false);
  btOK = new QPushButton(Word(1, "OK"), this);
  btOK->setObjectName("btOK");
  btOK->setGeometry(Px(kOkX, buttonsY, kButtonWidth, kRowHeight));
  btOK->setDefault(true);
  connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(btOK, &QPushButton::clicked, this, &QDialog::accept);
}

int CMonitorDialog::Px(int design) const { return int(design * m_scale + 0.5); }

bool EditTextDialog(QWidget* parent, CMyText& text, CMyGroup& place) {
  CMonitorDialog d(parent, "EditTextDialog", LookupText(2, "Edit text"), 300, 120, 60);
  QLineEdit* edit = AddTextField(d, FromUtf8(text.text));
  if (d.exec() != QDialog::Accepted) return false;
  text.SetStr(Utf8(*edit));
  ApplyNewText(text, place);
  // The new size becomes the reference of the aspect-keeping resize.
  text.ow = text.Width;
  text.oh = text.Height;
  return true;
}

bool LabelPropertiesDialog(QWidget* parent, CMyLabel& label, CMyGroup& place) {
  CMonitorDialog d(parent, "LabelPropertiesDialog", LookupText(2, "Properties"), 500, 130, 70);
  AddLabel(d, "LabelPath", Describe("Label of parameter:", label), d.Px(kMargin, kMargin, 460, kRowHeight));
  QCheckBox* useUnits = nullptr;
  if (const char* unit = label.Row().units; unit && *unit) {
    useUnits = new QCheckBox(Word(2, "Use units"), &d);
    useUnits->setObjectName("UseUnits");
    useUnits->setGeometry(d.Px(kMargin, 40, 460, kRowHeight));
    useUnits->setChecked(label.units != 0);
  }
  if (d.exec() != QDialog::Accepted || !useUnits) return false;
  label.units = useUnits->isChecked() ? 1 : 0;
  label.FitWidth();
  place.Invalidate(kDirtyAll);
  return true;
}

void ValuePropertiesDialog(QWidget* parent, const CMyValue& value) {
  CMonitorDialog d(parent, "ValuePropertiesDialog", LookupText(2, "Properties"), 500, 120, 60);
  AddLabel(d, "LabelPath", Describe("Value of parameter:", value), d.Px(kMargin, kMargin, 460, kRowHeight));
  d.exec();
}

bool InsertTextDialog(QWidget* parent, CMyGroup& place, int x, int y) {
  CMonitorDialog d(parent, "InsertTextDialog", LookupText(2, "Insert text"), 300, 120, 60);
  QLineEdit* edit = AddTextField(d, QString());
  if (d.exec() != QDialog::Accepted) return false;
  CMyText* text = place.Insert(std::make_unique<CMyText>());
  text->SetScale(place.scale);
  text->SetStr(Utf8(*edit));
  text->Left = x;
  text->Top = y;
  text->Height = kNewTextHeight;
  ApplyNewText(*text, place);
  return true;
}

// ---- the indicator dialog ----

namespace {

// Design of TTFormIndiProp, 96 dpi.
constexpr int kIndiWidth = 400;
constexpr int kIndiHeight = 200;
constexpr int kIndiButtonsY = 160;

struct TypeChoice {
  int style;
  const char* english;
};
constexpr TypeChoice kTypes[] = {
    {kBarHorizontal, "Horizontal"},
    {kBarVertical, "Vertical"},
    {kRoundDial, "Round"},
};

QIcon Swatch(TColor colour, const QPalette& palette) {
  QPixmap swatch(16, 12);
  swatch.fill(ToQColor(colour, palette));
  return QIcon(swatch);
}

}  // namespace

TTFormIndiProp::TTFormIndiProp(QWidget* parent, const CMyIndicator& indicator)
    : CMonitorDialog(parent, "TTFormIndiProp", LookupText(2, "Set indicator"), kIndiWidth, kIndiHeight, kIndiButtonsY) {
  LabelType = AddLabel(*this, "LabelType", Describe("Indicator of parameter:", indicator), Px(20, 12, 360, 20));

  TypeOfIndi = new QGroupBox(Word(2, "Type of indicator"), this);
  TypeOfIndi->setObjectName("TypeOfIndi");
  TypeOfIndi->setGeometry(Px(20, 36, 360, 50));
  m_types = new QButtonGroup(this);
  constexpr int kColumnWidth = 115;  // three columns across the group
  for (int i = 0; i < 3; ++i) {
    auto* button = new QRadioButton(Word(2, kTypes[i].english), TypeOfIndi);
    button->setGeometry(Px(10 + i * kColumnWidth, 22, kColumnWidth - 5, 20));
    m_types->addButton(button, kTypes[i].style);
  }
  if (QAbstractButton* chosen = m_types->button(indicator.Style)) chosen->setChecked(true);
  // A YES/NO or running parameter is always a lamp: there is no type to choose.
  TypeOfIndi->setVisible(indicator.Row().shown == DisplayKind::kNumber);

  LabelColor = AddLabel(*this, "LabelColor", Word(2, "Color of indicator"), Px(20, 96, 360, 20));
  ColorBox1 = new QComboBox(this);
  ColorBox1->setObjectName("ColorBox1");
  ColorBox1->setGeometry(Px(20, 116, 200, 22));
  for (const IndicatorColour& c : kIndicatorColours)
    ColorBox1->addItem(Swatch(c.colour, palette()), FromUtf8(c.name.Get()), QVariant::fromValue(c.colour));
  // A colour from a file that is not in the table stays unless another is chosen.
  ColorBox1->setCurrentIndex(ColorBox1->findData(QVariant::fromValue(indicator.ColorMk)));
}

int TTFormIndiProp::ChosenStyle() const { return TypeOfIndi->isVisibleTo(this) ? m_types->checkedId() : -1; }

TColor TTFormIndiProp::ChosenColour(TColor current) const {
  const QVariant chosen = ColorBox1->currentData();
  return chosen.isValid() ? chosen.value<TColor>() : current;
}

bool IndicatorPropertiesDialog(QWidget* parent, CMyIndicator& indicator, CMyGroup& place) {
  TTFormIndiProp d(parent, indicator);
  if (d.exec() != QDialog::Accepted) return false;
  place.Invalidate(kDirtyAll);
  if (const int style = d.ChosenStyle(); style >= 0) indicator.Style = style;
  indicator.ColorMk = d.ChosenColour(indicator.ColorMk);
  return true;
}
