// The external monitor's element dialogs and "Add watch": sizes, texts and
// what OK and Cancel do to the elements.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

#include "monitor/MonitorComponents.h"
#include "link/ParameterCatalogue.h"
#include "monitor/view/MonitorDialogs.h"
#include "monitor/view/TFormCIDList.h"
#include "base/Lang.h"
#include "support/RuntimeDir.h"

namespace {

// 17 units per character once a text is fitted to a height of 35 (font
// size 8 * 35 / 16).
class FixedWidthFont : public IMonTextMeasure {
 public:
  MonTextSize Measure(std::string_view text, int size) const override {
    return {int(Utf8Length(text)) * size, 2 * size};
  }
};

constexpr int kRpm = 1010, kTps = 1020, kFallSensor = 3030;

// Runs `act` on the modal dialog once its event loop runs; a check that
// fails inside leaves the dialog open, so it is closed then.
void WhenModal(std::function<void(QDialog&)> act) {
  QTimer::singleShot(0, [act] {
    auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!d) return WhenModal(act);
    act(*d);
    if (d->isVisible()) d->reject();
  });
}

template <class T>
T* Child(QDialog& d, const char* name) {
  T* w = d.findChild<T*>(name);
  if (!w) qWarning("no %s", name);
  return w;
}

void Press(QDialog& d, const char* button) { Child<QPushButton>(d, button)->click(); }

// The dialogs' common frame: caption, size, "Cancel" at 20 and "OK" at 120.
void CheckFrame(QDialog& d, const char* caption, QSize size, int buttonsY) {
  QCOMPARE(d.windowTitle(), QString::fromUtf8(caption));
  QCOMPARE(d.size(), size);
  QPushButton* cancel = Child<QPushButton>(d, "btCancel");
  QPushButton* ok = Child<QPushButton>(d, "btOK");
  QCOMPARE(cancel->geometry(), QRect(20, buttonsY, 80, 20));
  QCOMPARE(ok->geometry(), QRect(120, buttonsY, 80, 20));
  QVERIFY(ok->isDefault());
  QCOMPARE(cancel->text(), QString("Cancel"));
  QCOMPARE(ok->text(), QString("OK"));
}

struct Element {
  int kind, id, left, top, width, height;
  friend bool operator==(const Element&, const Element&) = default;
};

}  // namespace

class MonitorDialogsTest : public QObject {
  Q_OBJECT

  testsupport::RuntimeDir m_runtimeDir;
  FixedWidthFont m_font;
  CMonCanvas m_canvas{m_font};
  CParameterCatalogue m_catalogue;
  std::unique_ptr<CMyGroup> m_place;

  template <class T>
  T* Add(int id, int left, int top, int width, int height) {
    auto e = std::make_unique<T>();
    if constexpr (!std::is_same_v<T, CMyText>) e->SetParameter(m_catalogue, id);
    e->Left = left;
    e->Top = top;
    e->Width = width;
    e->Height = height;
    T* raw = m_place->Insert(std::move(e));
    m_place->dirty = 0;
    return raw;
  }
  std::vector<Element> Elements() const {
    std::vector<Element> out;
    for (int i = 0; i < m_place->Count(); ++i) {
      const CMyComponent& c = *m_place->Item(i);
      out.push_back({c.kind, c.id, c.Left, c.Top, c.Width, c.Height});
    }
    return out;
  }
  bool Invalidated() const { return (m_place->dirty & kDirtyAll) != 0; }

 private slots:
  void init() {
    SetCurrentLanguage(kEnglish);
    m_place = std::make_unique<CMyGroup>();
    m_place->Width = m_place->origWidth = 640;
    m_place->Height = m_place->origHeight = 480;
    m_place->edit = 1;
    m_place->SetCanvas(&m_canvas);
  }
  void cleanup() { SetCurrentLanguage(kEnglish); }

  void editTextOkFitsAndKeepsInside() {
    CMyText* text = Add<CMyText>(0, 590, 10, 40, 35);
    text->SetStr("abc");
    WhenModal([](QDialog& d) {
      CheckFrame(d, "Edit text", {300, 120}, 60);
      QLineEdit* edit = Child<QLineEdit>(d, "EditText");
      QCOMPARE(edit->geometry(), QRect(20, 20, 260, 20));
      QCOMPARE(edit->text(), QString("abc"));
      edit->setText(QString::fromUtf8("hello"));
      Press(d, "btOK");
    });
    QVERIFY(EditTextDialog(nullptr, *text, *m_place));
    QCOMPARE(text->text, std::string("hello"));
    QCOMPARE(text->Width, 85);  // 5 characters at 17
    QCOMPARE(text->ow, 85);
    QCOMPARE(text->oh, 35);
    QCOMPARE(text->Left, 640 - 85);  // pulled back inside the set
    QVERIFY(Invalidated());
  }

  void editTextCancelKeepsText() {
    CMyText* text = Add<CMyText>(0, 10, 10, 40, 35);
    text->SetStr("abc");
    WhenModal([](QDialog& d) {
      Child<QLineEdit>(d, "EditText")->setText("changed");
      Press(d, "btCancel");
    });
    QVERIFY(!EditTextDialog(nullptr, *text, *m_place));
    QCOMPARE(text->text, std::string("abc"));
    QCOMPARE(text->Width, 40);
    QVERIFY(!Invalidated());
  }

  void labelPropertiesUseUnits() {
    CMyLabel* label = Add<CMyLabel>(kTps, 10, 10, 119, 35);
    WhenModal([](QDialog& d) {
      CheckFrame(d, "Properties", {500, 130}, 70);
      QCOMPARE(Child<QLabel>(d, "LabelPath")->text(), QString("Label of parameter: /Basic/TPS [%]"));
      QCheckBox* units = Child<QCheckBox>(d, "UseUnits");
      QCOMPARE(units->geometry(), QRect(20, 40, 460, 20));
      QCOMPARE(units->text(), QString("Use units"));
      QVERIFY(units->isChecked());
      units->setChecked(false);
      Press(d, "btOK");
    });
    QVERIFY(LabelPropertiesDialog(nullptr, *label, *m_place));
    QCOMPARE(label->units, 0);
    QCOMPARE(label->Width, 51);  // "TPS" without " [%]"
    QVERIFY(Invalidated());
  }

  void labelWithoutUnitHasNoCheckBox() {
    CMyLabel* label = Add<CMyLabel>(kRpm, 10, 10, 51, 35);
    bool hasBox = true;
    WhenModal([&hasBox](QDialog& d) {
      hasBox = d.findChild<QCheckBox*>() != nullptr;
      Press(d, "btOK");
    });
    QVERIFY(!LabelPropertiesDialog(nullptr, *label, *m_place));
    QVERIFY(!hasBox);
    QVERIFY(!Invalidated());
  }

  void valuePropertiesShowsPath() {
    CMyValue* value = Add<CMyValue>(kRpm, 10, 10, 85, 35);
    WhenModal([](QDialog& d) {
      CheckFrame(d, "Properties", {500, 120}, 60);
      QCOMPARE(Child<QLabel>(d, "LabelPath")->geometry(), QRect(20, 20, 460, 20));
      QCOMPARE(Child<QLabel>(d, "LabelPath")->text(), QString("Value of parameter: /Basic/RPM"));
      Press(d, "btOK");
    });
    ValuePropertiesDialog(nullptr, *value);
    QCOMPARE(value->Width, 85);
  }

  void indicatorTypeAndColour() {
    CMyIndicator* indicator = Add<CMyIndicator>(kTps, 10, 10, 80, 32);
    indicator->Style = 1;  // vertical
    WhenModal([](QDialog& d) {
      QCOMPARE(d.objectName(), QString("TTFormIndiProp"));
      QCOMPARE(d.windowTitle(), QString("Set indicator"));
      QCOMPARE(Child<QLabel>(d, "LabelType")->text(), QString("Indicator of parameter: /Basic/TPS [%]"));
      QCOMPARE(Child<QLabel>(d, "LabelColor")->text(), QString("Color of indicator"));
      auto* type = Child<QGroupBox>(d, "TypeOfIndi");
      QVERIFY(type->isVisible());
      QCOMPARE(type->title(), QString("Type of indicator"));
      const auto radios = type->findChildren<QRadioButton*>();
      QCOMPARE(radios.size(), 3);
      QCOMPARE(radios[0]->text(), QString("Horizontal"));
      QCOMPARE(radios[1]->text(), QString("Vertical"));
      QCOMPARE(radios[2]->text(), QString("Round"));
      QVERIFY(radios[1]->isChecked());
      // Three columns side by side.
      QCOMPARE(radios[0]->y(), radios[2]->y());
      QVERIFY(radios[0]->x() < radios[1]->x() && radios[1]->x() < radios[2]->x());
      auto* colours = Child<QComboBox>(d, "ColorBox1");
      QCOMPARE(colours->count(), 15);
      QCOMPARE(colours->itemText(0), QString("Black"));
      QCOMPARE(colours->itemText(14), QString("Navy"));
      QCOMPARE(colours->currentText(), QString("Red"));  // the default 0x0000FF
      radios[2]->click();
      colours->setCurrentIndex(colours->findText("Navy"));
      Press(d, "btOK");
    });
    QVERIFY(IndicatorPropertiesDialog(nullptr, *indicator, *m_place));
    QCOMPARE(indicator->Style, 2);
    QCOMPARE(indicator->ColorMk, TColor(0x800000));
    QVERIFY(Invalidated());
  }

  void indicatorCancelChangesNothing() {
    CMyIndicator* indicator = Add<CMyIndicator>(kTps, 10, 10, 80, 32);
    WhenModal([](QDialog& d) {
      d.findChildren<QRadioButton*>()[2]->click();
      auto* colours = Child<QComboBox>(d, "ColorBox1");
      colours->setCurrentIndex(0);
      Press(d, "btCancel");
    });
    QVERIFY(!IndicatorPropertiesDialog(nullptr, *indicator, *m_place));
    QCOMPARE(indicator->Style, 0);
    QCOMPARE(indicator->ColorMk, TColor(0x0000FF));
    QVERIFY(!Invalidated());
  }

  // A YES/NO parameter is a lamp: no type to choose, the style stays.
  void indicatorOfYesNoHidesType() {
    CMyIndicator* indicator = Add<CMyIndicator>(kFallSensor, 10, 10, 80, 32);
    bool typeVisible = true;
    WhenModal([&typeVisible](QDialog& d) {
      typeVisible = Child<QGroupBox>(d, "TypeOfIndi")->isVisible();
      Child<QComboBox>(d, "ColorBox1")->setCurrentIndex(9);  // Lime
      Press(d, "btOK");
    });
    QVERIFY(IndicatorPropertiesDialog(nullptr, *indicator, *m_place));
    QVERIFY(!typeVisible);
    QCOMPARE(indicator->Style, 0);
    QCOMPARE(indicator->ColorMk, TColor(0x00FF00));
  }

  // A set file may carry any colour: OK without a choice must not lose it.
  void indicatorColourOutsideTheTableSurvivesOk() {
    CMyIndicator* indicator = Add<CMyIndicator>(kTps, 10, 10, 80, 32);
    indicator->ColorMk = 0x123456;
    int shown = 0;
    WhenModal([&shown](QDialog& d) {
      shown = Child<QComboBox>(d, "ColorBox1")->currentIndex();
      Press(d, "btOK");
    });
    QVERIFY(IndicatorPropertiesDialog(nullptr, *indicator, *m_place));
    QCOMPARE(shown, -1);
    QCOMPARE(indicator->ColorMk, TColor(0x123456));
  }

  void indicatorDialogInCzech() {
    SetCurrentLanguage(kCzech);
    CMyIndicator* indicator = Add<CMyIndicator>(kTps, 10, 10, 80, 32);
    WhenModal([](QDialog& d) {
      QCOMPARE(d.windowTitle(), QString::fromUtf8("Nastavit indikátor"));
      QCOMPARE(Child<QPushButton>(d, "btCancel")->text(), QString::fromUtf8("Zpět"));
      QCOMPARE(Child<QPushButton>(d, "btOK")->text(), QString::fromUtf8("Nastav"));
      QCOMPARE(Child<QLabel>(d, "LabelType")->text(), QString::fromUtf8("Indikátor parametru: /Základní/TPS [%]"));
      QCOMPARE(Child<QGroupBox>(d, "TypeOfIndi")->findChildren<QRadioButton*>()[2]->text(),
               QString::fromUtf8("Kruhový"));
      auto* colours = Child<QComboBox>(d, "ColorBox1");
      QCOMPARE(colours->currentText(), QString::fromUtf8("Červená"));
      QCOMPARE(colours->itemText(11), QString::fromUtf8("Modrozelná"));
      Press(d, "btCancel");
    });
    IndicatorPropertiesDialog(nullptr, *indicator, *m_place);
  }

  void insertTextAtPointInsideTheSet() {
    WhenModal([](QDialog& d) {
      CheckFrame(d, "Insert text", {300, 120}, 60);
      QLineEdit* edit = Child<QLineEdit>(d, "EditText");
      QCOMPARE(edit->geometry(), QRect(20, 20, 260, 20));
      QVERIFY(edit->text().isEmpty());
      edit->setText("Hi");
      Press(d, "btOK");
    });
    QVERIFY(InsertTextDialog(nullptr, *m_place, 630, 100));
    QCOMPARE(m_place->Count(), 1);
    auto* text = dynamic_cast<CMyText*>(m_place->Item(0));
    QVERIFY(text);
    QCOMPARE(text->text, std::string("Hi"));
    QCOMPARE(text->Height, 35);
    QCOMPARE(text->Width, 34);
    QCOMPARE(text->Left, 640 - 34);
    QCOMPARE(text->Top, 100);
    QVERIFY(Invalidated());

    WhenModal([](QDialog& d) {
      Child<QLineEdit>(d, "EditText")->setText("no");
      Press(d, "btCancel");
    });
    QVERIFY(!InsertTextDialog(nullptr, *m_place, 10, 10));
    QCOMPARE(m_place->Count(), 1);
  }

  void addWatchYesNoIndicatorReplacesLabelAndValue() {
    Add<CMyLabel>(kFallSensor, 30, 40, 150, 35);
    Add<CMyValue>(kFallSensor, 190, 40, 60, 35);
    Add<CMyLabel>(kRpm, 30, 100, 51, 35);
    WatchChecks opened{};
    WhenModal([&opened](QDialog& d) {
      CheckFrame(d, "Add watch", {600, 400}, 370);
      auto* list = Child<TCIDList>(d, "CIDList");
      QVERIFY(list->verticalScrollBar()->isVisible());
      // Top level: Basic, System connection, Extended, Sumary, Servo, More Sensors...
      for (int i = 0; i < 5; ++i) QTest::keyClick(list, Qt::Key_Down);
      QTest::keyClick(list, Qt::Key_Space);
      auto& form = static_cast<TFormCIDList&>(d);
      QVERIFY(form.List().IsOpen(3000));
      // ...its children CKPS, CMPS, Fall Sensor: visible row 8.
      QCOMPARE(form.List().VisibleRows()[8].cid->id, kFallSensor);
      opened = form.List().Checks(kFallSensor);
      QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->CellRect(8, kWatchIndicator).center());
      QCOMPARE(form.List().Current(), 8);
      Press(d, "btOK");
    });
    QVERIFY(AddWatchDialog(nullptr, *m_place, m_catalogue, 300, 300));
    QCOMPARE(opened, (WatchChecks{true, true, false}));
    const std::vector<Element> want{{kKindLabel, kRpm, 30, 100, 51, 35}, {kKindIndicator, kFallSensor, 30, 40, 80, 32}};
    QVERIFY(Elements() == want);
    QVERIFY(Invalidated());
  }

  void addWatchOpensGroupsWithTheBoxAndCancelDiscards() {
    WhenModal([](QDialog& d) {
      auto* list = Child<TCIDList>(d, "CIDList");
      auto& form = static_cast<TFormCIDList&>(d);
      QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->BoxRect(0).center());
      QVERIFY(form.List().IsOpen(1000));
      // A group's cell checks all its parameters.
      QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->CellRect(0, kWatchValue).center());
      QCOMPARE(form.List().GroupState(1000, kWatchValue), GroupCheck::kAll);
      QTest::keyClick(list, Qt::Key_End);
      QCOMPARE(form.List().Current(), int(form.List().VisibleRows().size()) - 1);
      Press(d, "btCancel");
    });
    QVERIFY(!AddWatchDialog(nullptr, *m_place, m_catalogue, 0, 0));
    QCOMPARE(m_place->Count(), 0);
  }

  // Every check column's title is whole ("Popisek", "Hodnota" and
  // "Indikátor" in Czech), and the columns still take their clicks.
  void addWatchColumnTitlesAreWhole() {
    struct {
      int language;
      const char* titles[3];
    } const cases[] = {
        {kEnglish, {"Label", "Value", "Indicator"}},
        {kGerman, {"Bezeichnung", "Wert", "Anzeige"}},
        {kCzech, {"Popisek", "Hodnota", "Indikátor"}},
    };
    for (const auto& c : cases) {
      SetCurrentLanguage(c.language);
      TFormCIDList form(nullptr, m_catalogue, [](int) { return WatchChecks{}; });
      form.show();
      QVERIFY(QTest::qWaitForWindowExposed(&form));
      const QFontMetrics metrics(form.CIDList->font());
      for (const char* title : c.titles)
        QVERIFY2(metrics.horizontalAdvance(QString::fromUtf8(title)) + 5 <= form.CIDList->CheckWidth(), title);
      QVERIFY(form.CIDList->CellRect(0, kWatchIndicator).right() < form.CIDList->viewport()->width());
      QTest::mouseClick(form.CIDList->viewport(), Qt::LeftButton, {}, form.CIDList->CellRect(0, kWatchValue).center());
      QCOMPARE(form.List().GroupState(1000, kWatchValue), GroupCheck::kAll);
    }
    SetCurrentLanguage(kEnglish);
  }
};

QTEST_MAIN(MonitorDialogsTest)
#include "monitor_dialogs_test.moc"
