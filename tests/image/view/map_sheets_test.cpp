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
#include "sheet/view/TTab.h"
#include "shell/view/TFormHlav.h"
#include "support/FakePort.h"

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

}  // namespace

class MapSheetsTest : public QObject {
  Q_OBJECT

  QTemporaryDir m_runtimeDir;

 private slots:
  void initTestCase() {
    QVERIFY(m_runtimeDir.isValid());
    qputenv("XDG_RUNTIME_DIR", m_runtimeDir.path().toUtf8());
  }

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
};

QTEST_MAIN(MapSheetsTest)
#include "map_sheets_test.moc"
