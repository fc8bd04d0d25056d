// The scalar parameter pages on the real main window: every bound control
// exists on its page as the widget its kind needs, the added controls stand
// where the gear tables put them, the test lock cannot take the Stop button
// with it, and no page has controls on top of each other, outside their
// parent, or too narrow for a caption or a value, in any language.

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTabWidget>
#include <QtTest>

#include "UnitSim.h"
#include "image/PageBindings.h"
#include "image/view/TUpDown.h"
#include "base/Lang.h"
#include "base/UiTexts.h"
#include "shell/view/TFormHlav.h"
#include "support/FakePort.h"
#include "support/LiveFrames.h"
#include "support/RuntimeDir.h"

namespace {

// The pages these controls live on: bike, corrections, sensors, race, gear,
// idle, N2O, tuning, monitor, test.
constexpr int kScalarPages[] = {0, 4, 5, 7, 8, 9, 10, 11, 12, 13};

bool IsScalarPage(int page) {
  return std::find(std::begin(kScalarPages), std::end(kScalarPages), page) != std::end(kScalarPages);
}

std::unique_ptr<TFormHlav> MakeForm() {
  auto form = std::make_unique<TFormHlav>(std::make_unique<FakePort>());
  form->Timer1().stop();
  return form;
}

QTabWidget& Pages(TFormHlav& form) { return *form.findChild<QTabWidget*>("PageControl1"); }

QString Q(const char* s) { return QString::fromLatin1(s); }

// Controls the pages show only one of at a time, in one place: the gear
// determination picks voltages, ratios or the automatic group, and the
// "<- Gear" buttons go with the first two.
bool Alternatives(const QWidget* a, const QWidget* b) {
  static const QStringList kTables{"GroupBoxNapetiProGear", "GroupBoxRpmSpeedProGear", "GroupBoxMonAutoGear"};
  const QString x = a->objectName(), y = b->objectName();
  if (kTables.contains(x) && kTables.contains(y)) return true;
  auto buttonBesideAuto = [](const QString& p, const QString& q) {
    return p == "GroupBoxMonAutoGear" && q.startsWith("ButtonGear");
  };
  return buttonBesideAuto(x, y) || buttonBesideAuto(y, x);
}

// The AP and IAP sensor sheets keep their fixed places, which overlap by 10 pixels.
bool FixedOverlap(const QWidget* a, const QWidget* b) {
  return QSet<QString>{a->objectName(), b->objectName()} == QSet<QString>{"TabSheets9", "TabSheets10"};
}

// Siblings that share pixels and children that leave their parent, on `page`
// and in every group box of it.
QStringList Overlaps(QWidget& page) {
  QStringList problems;
  QList<QWidget*> parents{&page};
  for (QGroupBox* g : page.findChildren<QGroupBox*>()) parents << g;
  for (QWidget* parent : parents) {
    QList<QWidget*> kids = parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    // The lambda gauge's bands sit on their gauge on purpose.
    kids.removeIf([](QWidget* w) { return w->objectName().startsWith("ShapeLambdaBar"); });
    for (qsizetype i = 0; i < kids.size(); ++i) {
      if (!parent->rect().contains(kids[i]->geometry()))
        problems << QString("%1 leaves %2").arg(kids[i]->objectName(), parent->objectName());
      for (qsizetype j = i + 1; j < kids.size(); ++j)
        if (kids[i]->geometry().intersects(kids[j]->geometry()) && !Alternatives(kids[i], kids[j]) &&
            !FixedOverlap(kids[i], kids[j]))
          problems << QString("%1 overlaps %2").arg(kids[i]->objectName(), kids[j]->objectName());
    }
  }
  return problems;
}

}  // namespace

class ParameterPagesTest : public QObject {
  Q_OBJECT

  testsupport::RuntimeDir m_runtimeDir;

 private slots:
  void initTestCase() { QVERIFY(m_runtimeDir.IsValid()); }
  void cleanup() { SetCurrentLanguage(kEnglish); }

  // Each row of the binding table finds its control on its own page, as the
  // widget the reader and writer take it for, an up/down with its range.
  void everyBoundControlExistsOnItsPage() {
    auto form = MakeForm();
    QTabWidget& pages = Pages(*form);
    QStringList problems;
    int checked = 0;
    for (const ControlBinding& b : PageBindings()) {
      if (!IsScalarPage(b.page)) continue;
      ++checked;
      QWidget* page = pages.widget(b.page);
      const QString name = Q(b.name);
      switch (b.kind) {
        case ControlKind::kUpDown: {
          auto* upDown = page->findChild<TUpDown*>(name);
          auto* edit = page->findChild<QLineEdit*>(QString::fromStdString(FieldEditName(b.name)));
          if (!upDown || !edit || &upDown->Edit() != edit) {
            problems << name + ": no edit + up/down pair on page " + QString::number(b.page);
            break;
          }
          const CUpDownValue& v = upDown->Value();
          // The tuned channel's maximum follows the number of cylinders.
          const bool maxFollowsRules = name == "UpDownLadeniKanal";
          if (v.Min() != b.min || (v.Max() != b.max && !maxFollowsRules) || v.Step() != b.step)
            problems << QString("%1: range %2..%3 step %4").arg(name).arg(v.Min()).arg(v.Max()).arg(v.Step());
          if (upDown->parentWidget() != edit->parentWidget() || upDown->y() != edit->y() ||
              upDown->size() != QSize(16, 21) * (form->logicalDpiX() / 96.0) || edit->height() != upDown->height())
            problems << name + ": up/down not beside its edit";
          break;
        }
        case ControlKind::kCheckBox:
          if (!page->findChild<QCheckBox*>(name))
            problems << name + ": no check box on page " + QString::number(b.page);
          break;
        case ControlKind::kRadioGroup: {
          auto* box = page->findChild<QGroupBox*>(name);
          const auto* ids = box ? box->findChild<QButtonGroup*>() : nullptr;
          if (!ids) {
            problems << name + ": no radio group on page " + QString::number(b.page);
            break;
          }
          std::size_t items = 0;
          for (const RadioGroupText& g : RadioGroupItems())
            if (name == Q(g.name)) items = g.items.size();
          const auto buttons = ids->buttons();
          if (items < 2 || std::size_t(buttons.size()) != items)
            problems << QString("%1: %2 items of %3").arg(name).arg(buttons.size()).arg(items);
          for (int id = 0; id < buttons.size(); ++id)
            if (!qobject_cast<QRadioButton*>(ids->button(id))) problems << QString("%1: no item %2").arg(name).arg(id);
          break;
        }
      }
    }
    // The controls that no binding row names.
    struct Named {
      int page;
      const char* name;
      const char* type;
    };
    const Named kUnbound[] = {
        {0, "ComboBoxBike", "QComboBox"},
        {0, "Memo1", "QPlainTextEdit"},
        {0, "LabelMemo", "QLabel"},
        {5, "ButtonTps0", "QPushButton"},
        {5, "ButtonTps100", "QPushButton"},
        {5, "RadioGroupPolCMPS", "QGroupBox"},
        {8, "ButtonGear0", "QPushButton"},
        {8, "ButtonGear6", "QPushButton"},
        {8, "LabelMonPomerRpmSpeed", "QLabel"},
        {8, "LabelMonPomerRpmSpeedAuto6", "QLabel"},
        {9, "LabelIdleModeErr", "QLabel"},
        {4, "LabelIdleKorAdv", "QLabel"},
        {12, "GroupBoxLambdaBar", "QGroupBox"},
        {12, "LabelLambdaBar3", "QLabel"},
    };
    for (const Named& n : kUnbound) {
      QWidget* w = pages.widget(n.page)->findChild<QWidget*>(Q(n.name));
      if (!w || !w->inherits(n.type)) problems << QString("%1: no %2 on page %3").arg(n.name, n.type).arg(n.page);
    }
    QVERIFY(checked > 150);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
  }

  // The places the gear tables and the lambda tacho rows are given, relative
  // to their group box (the tacho rows to their column labels).
  void addedControlsStandAtTheirPlaces() {
    auto form = MakeForm();
    const double scale = form->logicalDpiX() / 96.0;
    struct Place {
      const char* name;
      const char* parent;
      int x, y;
    };
    const Place kPlaces[] = {
        {"EditRacePilotFirst1", "GroupBoxClutch", 24, 65},
        {"EditRacePilotSecond1", "GroupBoxClutch", 114, 65},
        {"EditRaceClutchTime3", "GroupBoxClutch", 254, 143},
        {"EditRaceClutchPause6", "GroupBoxClutch", 394, 260},
        {"EditGearVoltage0", "GroupBoxNapetiProGear", 24, 26},
        {"UpDownGearVoltage6", "GroupBoxNapetiProGear", 123, 260},
        {"EditGearRatio1", "GroupBoxRpmSpeedProGear", 24, 65},
        {"UpDownGearRatio6", "GroupBoxRpmSpeedProGear", 123, 260},
        {"EditGearKorAdvance1", "GroupBoxGearKor", 24, 65},
        {"UpDownGearKorAdvance1", "GroupBoxGearKor", 54, 65},
        {"EditGearKorInjection6", "GroupBoxGearKor", 102, 260},
        {"UpDownGearKorInjection6", "GroupBoxGearKor", 132, 260},
    };
    QStringList problems;
    for (const Place& p : kPlaces) {
      auto* w = form->findChild<QWidget*>(Q(p.name));
      if (!w || w->parentWidget()->objectName() != Q(p.parent)) {
        problems << QString("%1: not in %2").arg(p.name, p.parent);
        continue;
      }
      const QPoint expected(int(p.x * scale + 0.5), int(p.y * scale + 0.5));
      if (w->pos() != expected) problems << QString("%1 at %2,%3").arg(p.name).arg(w->x()).arg(w->y());
    }
    QCOMPARE(form->findChild<QWidget*>("EditGearKorAdvance1")->width(), int(30 * scale + 0.5));
    for (int row = 0; row < 2; ++row) {
      for (const auto& [edit, label] : {std::pair{"EditLambdaTachoAfr", "LabelLambdaTachoAf"},
                                        std::pair{"EditLambdaTachoRpm", "LabelLambdaTachoRpm"}}) {
        auto* e = form->findChild<QWidget*>(Q(edit) + QString::number(row + 1));
        auto* l = form->findChild<QWidget*>(Q(label));
        QVERIFY(e && l && e->parentWidget() == l->parentWidget());
        QCOMPARE(e->parentWidget()->objectName(), QString("GroupBoxLambdaTacho"));
        QCOMPARE(e->pos(), l->pos() + QPoint(0, int((25 + 30 * row) * scale + 0.5)));
      }
    }
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
  }

  // The lock disables the group with every output button in it; Stop,
  // outside it, can still end a running test.
  void testLockLeavesStopEnabled() {
    auto form = MakeForm();
    QWidget* page = Pages(*form).widget(13);
    auto* group = page->findChild<QGroupBox*>("GroupBoxTestJet");
    QVERIFY(group);
    const char* const kOutputs[] = {"ButtonTestJet1A",        "ButtonTestJet2A",       "ButtonTestJet3A",
                                    "ButtonTestJet4A",        "ButtonTestJet1B",       "ButtonTestJet2B",
                                    "ButtonTestJet3B",        "ButtonTestJet4B",       "ButtonTestIgn1",
                                    "ButtonTestIgn2",         "ButtonTestIgn3",        "ButtonTestIgn4",
                                    "ButtonTestPilotLight",   "ButtonTestFuelPump",    "ButtonTestCooling",
                                    "ButtonTestGas",          "ButtonTestRpm",         "ButtonTestServoInPlus",
                                    "ButtonTestServoInMinus", "ButtonTestServoExPlus", "ButtonTestServoExMinus"};
    for (const char* name : kOutputs) {
      auto* b = group->findChild<QPushButton*>(name);
      QVERIFY2(b, name);
    }
    auto* stop = page->findChild<QPushButton*>("ButtonTestStop");
    QVERIFY(stop);
    QVERIFY(!group->isAncestorOf(stop));
    group->setEnabled(false);
    QVERIFY(stop->isEnabled());
    for (const char* name : kOutputs) QVERIFY2(!group->findChild<QPushButton*>(name)->isEnabled(), name);
    for (const char* name : {"EditTestRpm", "EditTestServo"})
      QVERIFY2(page->findChild<QWidget*>(name)->isEnabled(), name);
  }

  // In every language: no two controls on top of each other, every control
  // inside its parent, every group title whole.
  void pagesFitEveryLanguage() {
    auto form = MakeForm();
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    QTabWidget& pages = Pages(*form);
    QStringList problems;
    for (int language = 0; language < kLanguageCount; ++language) {
      SetCurrentLanguage(language);
      form->ApplyLanguage();
      for (int index : kScalarPages) {
        pages.setCurrentIndex(index);
        QWidget& page = *pages.widget(index);
        for (const QString& p : Overlaps(page)) problems << QString("page %1: %2").arg(index).arg(p);
        for (QGroupBox* g : page.findChildren<QGroupBox*>())
          if (g->fontMetrics().horizontalAdvance(g->title()) + 24 > g->width())
            problems << QString("lang %1: title of %2").arg(language).arg(g->objectName());
      }
    }
    problems.removeDuplicates();
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
  }

  // Each edit shows the ends of its up/down's range whole ("25,000", "-60").
  void editsHoldTheirWidestValues() {
    auto form = MakeForm();
    QStringList problems;
    for (int index : kScalarPages) {
      for (TUpDown* upDown : Pages(*form).widget(index)->findChildren<TUpDown*>()) {
        QLineEdit& edit = upDown->Edit();
        const int frame = edit.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &edit);
        for (std::int32_t value : {upDown->Value().Min(), upDown->Value().Max()}) {
          upDown->Write(value);
          // Qt keeps 2 pixels of margin each side of the text inside the frame.
          const int need = edit.fontMetrics().horizontalAdvance(edit.text()) + 2 * frame + 4;
          if (need > edit.width())
            problems << QString("%1 '%2': %3 of %4").arg(edit.objectName(), edit.text()).arg(need).arg(edit.width());
        }
      }
    }
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
  }

  // Writes each page in English and German to VENTRIX_SCREENSHOT_DIR, as the
  // rules leave it and with every control shown; the gear page also with the
  // automatic group, the test page also locked.
  void pageScreenshots() {
    const QByteArray dir = qgetenv("VENTRIX_SCREENSHOT_DIR");
    if (dir.isEmpty()) QSKIP("VENTRIX_SCREENSHOT_DIR not set");
    auto port = std::make_unique<FakePort>();
    FakePort& unit = *port;
    auto form = std::make_unique<TFormHlav>(std::move(port));
    form->Timer1().stop();
    // A unit's tune rather than a blank image: six gears, real limiters.
    form->Core().image = DefaultSimImage();
    form->Core().NormaliseAndLoad();
    form->WriteAllPages();
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    QTabWidget& pages = Pages(*form);
    for (int language : {kEnglish, kGerman}) {
      SetCurrentLanguage(language);
      form->ApplyLanguage();
      // One live frame fills the live labels of the pages.
      Frame f = testsupport::QuietFrame();
      SealFrame(f);
      unit.Queue(f);
      form->Core().Tick();
      for (int index : kScalarPages) {
        pages.setCurrentIndex(index);
        const QString file = QString("%1/page%2_%3.png").arg(QString::fromUtf8(dir)).arg(index).arg(language);
        QVERIFY(pages.grab().save(file));
      }
      // Every control shown, whatever the rules hide (the gear page's tables take turns).
      for (int index : {0, 4, 5, 7, 9, 10, 11}) {
        pages.setCurrentIndex(index);
        for (QWidget* w : pages.widget(index)->findChildren<QWidget*>()) w->show();
        const QString file = QString("%1/page%2_all_%3.png").arg(QString::fromUtf8(dir)).arg(index).arg(language);
        QVERIFY(pages.grab().save(file));
        form->WriteActivePage();
      }
      pages.setCurrentIndex(8);
      QWidget* gear = pages.widget(8);
      for (QWidget* w : gear->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (w->objectName().startsWith("ButtonGear") || w->objectName() == "GroupBoxNapetiProGear") w->hide();
      gear->findChild<QWidget*>("GroupBoxMonAutoGear")->show();
      QVERIFY(pages.grab().save(QString("%1/page8_auto_%2.png").arg(QString::fromUtf8(dir)).arg(language)));
      form->WriteActivePage();
      // The test page as the lock leaves it.
      pages.setCurrentIndex(13);
      pages.widget(13)->findChild<QWidget*>("GroupBoxTestJet")->setEnabled(false);
      QVERIFY(pages.grab().save(QString("%1/page13_locked_%2.png").arg(QString::fromUtf8(dir)).arg(language)));
      pages.widget(13)->findChild<QWidget*>("GroupBoxTestJet")->setEnabled(true);
    }
  }
};

QTEST_MAIN(ParameterPagesTest)
#include "parameter_pages_test.moc"
