// The map sheets on the real main window: an edit in a sheet reaches the
// image through the commit, views of the maps leave the image alone, and the
// sheets follow the coupling mode and the idle type.

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QTabWidget>
#include <QtTest>

#include "UnitSim.h"
#include "image/MapCatalogue.h"
#include "image/Pages.h"
#include "image/view/MapSheets.h"
#include "sheet/Selection.h"
#include "sheet/view/TTab.h"
#include "shell/view/TFormHlav.h"
#include "support/FakePort.h"
#include "support/RuntimeDir.h"

namespace {

struct Form {
  std::unique_ptr<TFormHlav> window;
  Form() {
    window = std::make_unique<TFormHlav>(std::make_unique<FakePort>());
    window->Timer1().stop();
  }
  CAppCore& Core() { return window->Core(); }
  TTab& Tab(SheetControlId id) {
    auto* t = window->findChild<TTab*>(QString("TabSheets%1").arg(int(Index(id))));
    if (!t) qFatal("no sheet control %d", int(Index(id)));
    return *t;
  }
  // A real tune, every map value inside its sheet's range.
  void LoadTune() {
    Core().image = DefaultSimImage();
    Load({});
  }
  void Load(std::initializer_list<std::pair<int, int>> bytes) {
    for (auto [offset, value] : bytes) Core().image[std::size_t(offset)] = std::uint8_t(value);
    Core().NormaliseAndLoad();
    window->WriteAllPages();
  }
};

// Reference injection for bike 11: 1.5 ms at the first point, rising with
// speed and throttle, so the percent view has a base that looks like a bike's.
struct ReferenceFixture : IReferenceTables {
  std::vector<std::int32_t> rpm, throttle{0, 20, 50, 100, 200, 300, 400, 600, 800, 1000}, pressure, table, iap;
  InjectionReference ref;
  ReferenceFixture() {
    for (int i = 0; i < 15; ++i) rpm.push_back(1000 * (i + 1));
    for (int i = 0; i < 10; ++i) pressure.push_back(100 * (i + 1));
    for (int row = 0; row < 10; ++row)
      for (int col = 0; col < 15; ++col) table.push_back(150 + 40 * row + 20 * col);
    iap = table;
    ref.maps14 = {rpm, throttle, table};
    ref.maps23 = {rpm, throttle, table};
    ref.iap = {rpm, pressure, iap};
  }
  const InjectionReference* Find(int bike) const override { return bike == 11 ? &ref : nullptr; }
};

}  // namespace

class MapSheetsTest : public QObject {
  Q_OBJECT

  testsupport::RuntimeDir m_runtimeDir;

 private slots:
  void initTestCase() { QVERIFY(m_runtimeDir.IsValid()); }

  void everyControlIsOnItsPage() {
    Form f;
    auto* pages = f.window->findChild<QTabWidget*>("PageControl1");
    for (const SheetControlLayout& l : SheetControlLayouts()) {
      TTab& t = f.Tab(l.id);
      QCOMPARE(t.parentWidget(), pages->widget(l.page));
    }
  }

  // A typed advance value goes through the commit into byte 600 + 15 r + c.
  void typedAdvanceCellReachesItsByte() {
    Form f;
    f.window->findChild<QTabWidget*>("PageControl1")->setCurrentIndex(kPageAdvance);
    CTabModel& advance = f.Tab(SheetControlId::kAdvance).Model();
    QVERIFY(advance.CommitEntryText({7, 3}, "12"));
    QCOMPARE(int(std::int8_t(f.Core().image[652])), 12);
    QVERIFY(!f.Core().pendingCommit.Pending());
  }

  // Looking at another injection map or switching time and percent is no edit.
  void viewsLeaveTheImageAlone() {
    Form f;
    f.LoadTune();
    auto* pages = f.window->findChild<QTabWidget*>("PageControl1");
    pages->setCurrentIndex(kPageInjection);
    const ConfigImage before = f.Core().image;
    CTabModel& injection = f.Tab(SheetControlId::kInjection).Model();
    for (int sheet : {1, 5, 4, 0}) injection.SelectSheet(sheet);
    if (auto* ms = f.window->findChild<QCheckBox*>("CheckBoxMs"); ms && ms->isEnabled()) {
      ms->click();
      ms->click();
    }
    pages->setCurrentIndex(kPageBike);
    QStringList changed;
    for (std::size_t i = 0; i < before.size(); ++i)
      if (f.Core().image[i] != before[i])
        changed << QString("%1: %2 -> %3").arg(i).arg(before[i]).arg(f.Core().image[i]);
    QVERIFY2(changed.isEmpty(), qPrintable(changed.mid(0, 12).join(", ")));
  }

  void couplingShowsOneUnitedMap() {
    Form f;
    f.Load({{256, 2}, {47, 2}});
    const CTabModel& injection = f.Tab(SheetControlId::kInjection).Model();
    QVERIFY(!injection.Sheet(0).hidden);
    for (int sheet = 1; sheet < 4; ++sheet) QVERIFY(injection.Sheet(sheet).hidden);
  }

  // Switching the idle type relabels the curve without converting it: 1000 mV
  // (raw 200 in 5 mV steps) of an intake-servo curve reads 2000 rpm as a
  // desired speed. A load derives the factor from the type it loads.
  void idleTypeSwitchKeepsTheSheetValues() {
    Form f;
    f.Load({{290, 1}, {298, 0xE8}, {299, 0x03}});  // word 149 = 1000 mV
    QCOMPARE(f.Tab(SheetControlId::kIdlePosition).Model().Sheet(0).Cell(0, 0), 200);
    f.window->findChild<QTabWidget*>("PageControl1")->setCurrentIndex(kPageIdle);
    auto* group = f.window->findChild<QWidget*>("RadioGroupIdleMode")->findChild<QButtonGroup*>();
    group->button(2)->click();
    QCOMPARE(int(f.Core().image[290]), 2);
    QCOMPARE(f.Tab(SheetControlId::kIdlePosition).Model().Sheet(0).Cell(0, 0), 200);
    QCOMPARE(int(f.Core().image[298] | (f.Core().image[299] << 8)), 2000);

    // Loaded afresh as type 2, word 1000 is 1000 rpm, not 2000.
    f.Load({{298, 0xE8}, {299, 0x03}});
    QCOMPARE(f.Tab(SheetControlId::kIdlePosition).Model().Sheet(0).Cell(0, 0), 100);
  }

  // "Percent" converts the active servo map (x0.4, back x2.5, half away from
  // zero) and, for the intake servo holding the idle start position, the
  // idle curve (x0.1, back x10), stores the flag and commits; the colours follow.
  void servoPercentConvertsAndCommits() {
    Form f;
    f.window->findChild<QTabWidget*>("PageControl1")->setCurrentIndex(kPageServo);
    // intake servo on, in volts; idle type 1; map (0, 0) = 200 (4 V), (0, 1) = 3;
    // idle word 149 = 1000 mV.
    f.Load({{59, 1}, {63, 0}, {290, 1}, {2550, 200}, {2551, 3}, {298, 0xE8}, {299, 0x03}});
    const CSheet& servo = f.Tab(SheetControlId::kServo).Model().Sheet(0);
    const CSheet& idle = f.Tab(SheetControlId::kIdlePosition).Model().Sheet(0);
    QCOMPARE(servo.dataAxis.colour, TColor(0xCEDBFF));
    auto* percent = f.window->findChild<QCheckBox*>("CheckBoxServoInPercent");
    QVERIFY(percent && !percent->isChecked());

    percent->click();
    QCOMPARE(int(f.Core().image[63]), 1);
    QCOMPARE(int(f.Core().image[2550]), 80);
    QCOMPARE(int(f.Core().image[2551]), 1);  // 1.2
    QCOMPARE(int(f.Core().image[298] | (f.Core().image[299] << 8)), 20);
    QCOMPARE(servo.dataAxis.unit, std::string("%"));
    QCOMPARE(servo.dataAxis.max, 100);
    QCOMPARE(idle.Cell(0, 0), 20);
    QCOMPARE(servo.dataAxis.colour, TColor(0xCEF0FF));
    QCOMPARE(servo.xAxis.colour, TColor(0xCEF0FF));
    QVERIFY(!f.Core().pendingCommit.Pending());

    percent->click();
    QCOMPARE(int(f.Core().image[63]), 0);
    QCOMPARE(int(f.Core().image[2550]), 200);
    QCOMPARE(int(f.Core().image[2551]), 3);  // 2.5 rounds away from zero
    QCOMPARE(int(f.Core().image[298] | (f.Core().image[299] << 8)), 1000);
    QCOMPARE(servo.dataAxis.colour, TColor(0xCEDBFF));
  }

  // While the curve holds desired idle speeds it is no servo position and
  // keeps its values when the servo's unit changes.
  void servoPercentLeavesAnRpmIdleCurve() {
    Form f;
    f.window->findChild<QTabWidget*>("PageControl1")->setCurrentIndex(kPageServo);
    f.Load({{59, 1}, {63, 0}, {290, 2}, {298, 0xE8}, {299, 0x03}});  // 1000 rpm
    f.window->findChild<QCheckBox*>("CheckBoxServoInPercent")->click();
    QCOMPARE(int(f.Core().image[63]), 1);
    QCOMPARE(int(f.Core().image[298] | (f.Core().image[299] << 8)), 1000);
  }

  // "Servo enable" runs the sheet's own enable command for the active servo
  // and the row then shows that servo's settings.
  void servoEnableActsOnTheActiveSheet() {
    Form f;
    f.window->findChild<QTabWidget*>("PageControl1")->setCurrentIndex(kPageServo);
    f.Load({{59, 1}, {58, 0}});
    CTabModel& servo = f.Tab(SheetControlId::kServo).Model();
    auto* inEnable = f.window->findChild<QCheckBox*>("CheckBoxServoInEnable");
    auto* exEnable = f.window->findChild<QCheckBox*>("CheckBoxServoExEnable");
    QVERIFY(!inEnable->isHidden() && exEnable->isHidden());
    QVERIFY(!f.window->findChild<QWidget*>("CheckBoxServoInPercent")->isHidden());

    inEnable->click();
    QCOMPARE(servo.Sheet(0).enabled, 0);
    QCOMPARE(int(f.Core().image[59]), 0);
    QVERIFY(f.window->findChild<QWidget*>("CheckBoxServoInPercent")->isHidden());

    servo.SelectSheet(1);
    QVERIFY(inEnable->isHidden() && !exEnable->isHidden());
    QVERIFY(f.window->findChild<QWidget*>("EditServoExP")->isHidden());
    exEnable->click();
    QCOMPARE(servo.Sheet(1).enabled, 1);
    QCOMPARE(int(f.Core().image[58]), 1);
    QCOMPARE(int(f.Core().image[59]), 0);
    QVERIFY(!f.window->findChild<QWidget*>("EditServoExP")->isHidden());
    QVERIFY(f.window->findChild<QWidget*>("EditServoInP")->isHidden());
  }

  // The AP sensor's data turns red while its two voltages are equal; the
  // idle speed curve is there only with idle advance control.
  void sensorColourAndIdleSpeedFollowTheImage() {
    Form f;
    f.Load({{8, 10}, {9, 0}, {12, 10}, {13, 0}, {317, 0}});  // words 4 and 6: both voltages 10
    QCOMPARE(f.Tab(SheetControlId::kApSensor).Model().Sheet(0).dataAxis.colour, TColor(0x0000FF));
    QVERIFY(f.Tab(SheetControlId::kIdleSpeed).isHidden());
    f.Load({{12, 20}, {317, 1}});
    QCOMPARE(f.Tab(SheetControlId::kApSensor).Model().Sheet(0).dataAxis.colour, TColor(0xA0E0C0));
    QVERIFY(!f.Tab(SheetControlId::kIdleSpeed).isHidden());
  }

  // An advance sheet cut to 12 columns stores columns 12-14 as copies of
  // column 11 and keeps 12 columns through its own commit; the next load
  // that is not its own shows all 15 again.
  void reducedColumnsStoreCopiesAndComeBack() {
    Form f;
    f.LoadTune();
    f.window->findChild<QTabWidget*>("PageControl1")->setCurrentIndex(kPageAdvance);
    CTabModel& advance = f.Tab(SheetControlId::kAdvance).Model();
    SelectSpan(advance.Sheet(0), {12, -1}, {14, -1});
    QCOMPARE(advance.DeleteColumns(), 3);
    QCOMPARE(advance.Sheet(0).xAxis.count, 12);
    for (int row = 0; row < 10; ++row)
      for (int col = 12; col < 15; ++col)
        QCOMPARE(f.Core().image[std::size_t(600 + 15 * row + col)], f.Core().image[std::size_t(600 + 15 * row + 11)]);
    f.Core().CommitRequest(1, 0);  // a page control's commit
    QCOMPARE(advance.Sheet(0).xAxis.count, 15);
  }

  // With reference tables the injection maps can show percentages of their
  // base; switching the view back and forth leaves every stored word alone.
  void percentViewFromReferenceTables() {
    Form f;
    ReferenceFixture tables;
    f.window->MapSheets().SetReferenceTables(&tables);
    f.Load({{256, 4}, {47, 1}});
    f.LoadTune();
    f.Core().image[47] = 1;
    f.Load({});
    auto* pages = f.window->findChild<QTabWidget*>("PageControl1");
    pages->setCurrentIndex(kPageInjection);
    auto* ms = f.window->findChild<QCheckBox*>("CheckBoxMs");
    QVERIFY(ms->isEnabled());
    QVERIFY(!ms->isChecked());  // percent is the view of a fresh start
    const ConfigImage before = f.Core().image;
    QVERIFY(f.Tab(SheetControlId::kInjection).Model().Sheet(0).percentMode);
    const QByteArray dir = qgetenv("VENTRIX_SCREENSHOT_DIR");
    if (!dir.isEmpty()) {
      f.window->show();
      QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
      f.Tab(SheetControlId::kInjection).RepaintBitmap();
      QVERIFY(f.window->grab().save(QString::fromUtf8(dir) + "/injection_percent.png"));
    }
    ms->click();
    QVERIFY(!f.Tab(SheetControlId::kInjection).Model().Sheet(0).percentMode);
    ms->click();
    QVERIFY(f.Core().image == before);
  }
};

QTEST_MAIN(MapSheetsTest)
#include "map_sheets_test.moc"
