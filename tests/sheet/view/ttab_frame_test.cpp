// The sheet control's frame on the offscreen platform: bar buttons, sheet
// tabs, the popup menu, hints and the title line's check box.

#include <QAction>
#include <QMenu>
#include <QtTest>
#include <set>

#include "sheet/Selection.h"
#include "sheet/view/SheetClipboard.h"
#include "sheet/view/TTab.h"
#include "base/Lang.h"
#include "support/MouseInput.h"

using namespace testsupport;

namespace {

// A small map whose axes may not be switched off (collapse option 0).
int AddMap(CTabModel& model, const char* title, std::uint32_t flags = 0) {
  const int s = model.DefineSheet(title, "RPM", "TPS", "Advance", 6, 4, flags);
  model.DefineAxis(s, kPartX, "RPM", "", 0, 250, 100, 1, {}, 1, 1, 1, 6, 0, 0, 1, -1, 0, 0xFCE2F4, nullptr);
  model.DefineAxis(s, kPartY, "TPS", "%", 0, 100, 1, 1, {}, 1, 1, 1, 4, 0, 0, 1, -1, 0, 0xFCE2F4, nullptr);
  model.DefineAxis(s, kPartData, "ADV", "", -20, 60, 1, 0, {}, 1, 2, 0, 0, 0, 0, 0, 0, 0, 0xFCE2F4, nullptr);
  CSheet& sh = model.Sheet(s);
  for (int x = 0; x < 6; ++x) sh.xAxis.values[static_cast<std::size_t>(x)] = 10 + 10 * x;
  for (int y = 0; y < 4; ++y) sh.yAxis.values[static_cast<std::size_t>(y)] = 30 * y;
  model.ApplyAxisRules(s, kPartAll | kPartResetElastic);
  if (model.ActiveIndex() < 0) model.SelectSheet(s);
  return s;
}

struct Rig {
  TTab tab;
  explicit Rig(std::uint32_t options, int sheets = 1, const char* title = "Inj. 1", std::uint32_t flags = 0)
      : tab(options) {
    tab.resize(1338, 934);
    for (int i = 0; i < sheets; ++i) AddMap(tab.Model(), title, flags);
    tab.show();
    tab.RepaintBitmap();
  }
  QPoint Centre(int button) const {
    const ButtonRect& r = tab.Model().Buttons()[button].rect;
    return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  }
  QPoint TabCentre(int sheet) const {
    for (const frame::TabExtent& t : frame::TabExtents(tab.Model()))
      if (t.sheet == sheet) return QPoint((t.left + t.right) / 2, 10);
    return {};
  }
  void Click(QPoint p) {
    Hover(tab, p);
    Press(tab, p);
    Release(tab, p);
  }
};

std::vector<QString> ItemTexts(const QMenu* menu) {
  std::vector<QString> texts;
  if (!menu) return texts;
  for (const QAction* a : menu->actions())
    if (!a->isSeparator()) texts.push_back(a->text());
  return texts;
}

QAction* Item(const QMenu* menu, const QString& text) {
  for (QAction* a : menu->actions())
    if (a->text() == text) return a;
  return nullptr;
}

}  // namespace

class TTabFrameTest : public QObject {
  Q_OBJECT

 private slots:
  void oneSheetWithOption0071ShowsTheEightButtons() {
    Rig rig(0x0071);
    std::set<int> shown;
    for (int i = 0; i < kButtonCount; ++i)
      if (rig.tab.Model().Buttons()[i].visible) shown.insert(i);
    QCOMPARE(shown, (std::set<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    QCOMPARE(rig.tab.Bar().b, 5);
    // Bar row plus 31: the table starts below the buttons.
    QCOMPARE(rig.tab.TopMarginPx(), 36);
  }

  void eightSheetsThatDoNotFitPushTheTableDown() {
    Rig two(0x0071, 2);
    QCOMPARE(two.tab.Bar().b, 5);
    Rig eight(0x0071, 8, "Temperature corrections of injection");
    QCOMPARE(eight.tab.Bar().b, 25);
    QCOMPARE(eight.tab.TopMarginPx(), two.tab.TopMarginPx() + 20);
    QCOMPARE(eight.tab.Model().Buttons()[0].rect.top, 25);
  }

  void tabWrapsAndSkipsHiddenSheets() {
    Rig rig(0x0071, 4);
    CTabModel& m = rig.tab.Model();
    m.Sheet(1).hidden = 1;
    m.SelectSheet(3);
    rig.tab.setFocus();
    QTest::keyClick(&rig.tab, Qt::Key_Tab);
    QCOMPARE(m.ActiveIndex(), 0);
    QTest::keyClick(&rig.tab, Qt::Key_Tab);
    QCOMPARE(m.ActiveIndex(), 2);
    QTest::keyClick(&rig.tab, Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(m.ActiveIndex(), 0);
    QTest::keyClick(&rig.tab, Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(m.ActiveIndex(), 3);
    // Ctrl+Tab: back to the sheet active before.
    QTest::keyClick(&rig.tab, Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(m.ActiveIndex(), 0);

    Rig single(0x0071);
    QVERIFY(!single.tab.KeyDown(Qt::Key_Tab, Qt::NoModifier, "\t"));
    QCOMPARE(single.tab.Model().ActiveIndex(), 0);
  }

  void tabClickSelectsTheSheet() {
    Rig rig(0x0071, 3);
    rig.Click(rig.TabCentre(2));
    QCOMPARE(rig.tab.Model().ActiveIndex(), 2);
  }

  void tabRightClickOffersOnlyTheTableClipboardItems() {
    CSheetClipboard::Instance().SetSheetTexts("1\t2\n", "labelled");
    QTRY_VERIFY(CSheetClipboard::Instance().HasSheet());
    Rig rig(0x0071, 3);
    // A full column selected on the sheet: a click on the table would offer insert and delete.
    SelectRect(rig.tab.Model().Sheet(1), {2, 0, 2, 3});
    SendMouse(rig.tab, QEvent::MouseButtonPress, rig.TabCentre(1), Qt::RightButton, Qt::RightButton);
    QCOMPARE(rig.tab.Model().ActiveIndex(), 1);
    QVERIFY(rig.tab.Popup());
    const std::vector<QString> texts = ItemTexts(rig.tab.Popup());
    const std::vector<QString> expected = {"Copy table",    "Paste table",      "Interpolate",
                                           "View as table", "View as graph 2D", "View as graph 3D"};
    QCOMPARE(texts, expected);
    rig.tab.Popup()->close();

    // The same selection right-clicked in the table does offer them.
    const QPoint cell = rig.tab.EntryRect({2, 1}).center();
    SendMouse(rig.tab, QEvent::MouseButtonPress, cell, Qt::RightButton, Qt::RightButton);
    const std::vector<QString> table = ItemTexts(rig.tab.Popup());
    QVERIFY(std::find(table.begin(), table.end(), "Insert column here") != table.end());
    QVERIFY(std::find(table.begin(), table.end(), "Delete column") != table.end());
    QCOMPARE(table.front(), QString("Copy"));
    rig.tab.Popup()->close();
  }

  void popupItemsRunTheirCommands() {
    Rig rig(0x0071);
    SendMouse(rig.tab, QEvent::MouseButtonPress, rig.tab.EntryRect({1, 1}).center(), Qt::RightButton, Qt::RightButton);
    QAction* view3d = Item(rig.tab.Popup(), "View as graph 3D");
    QVERIFY(view3d);
    view3d->trigger();
    QCOMPARE(rig.tab.Model().ShownView(), int(kView3D));
    QCOMPARE(rig.tab.Model().Buttons()[kCommand3DView].state, 1);
    // The 3D graph area's menu offers its presets and modes.
    const QRect graph = rig.tab.GraphArea();
    SendMouse(rig.tab, QEvent::MouseButtonPress, graph.center(), Qt::RightButton, Qt::RightButton);
    QAction* wire = Item(rig.tab.Popup(), "Wire model");
    QVERIFY(wire);
    QVERIFY(Item(rig.tab.Popup(), "Copy graph"));
    wire->trigger();
    QCOMPARE(rig.tab.Model().View().colourMode, kColourWire);
    rig.tab.Popup()->close();
  }

  void pushButtonReleasedOffTheButtonRunsNothing() {
    Rig rig(0x0071);
    CSheet& s = *rig.tab.Model().Active();
    SelectOnly(s, {2, 1});
    rig.tab.RepaintBitmap();  // the bar's enabling follows the selection
    const std::int32_t before = s.Cell(2, 1);
    const QPoint plus = rig.Centre(kCommandStepUp);
    Hover(rig.tab, plus);
    Press(rig.tab, plus);
    QCOMPARE(rig.tab.Model().Buttons()[kCommandStepUp].state, 1);
    QCOMPARE(s.Cell(2, 1), before);  // a push button acts on release
    DragTo(rig.tab, plus + QPoint(0, 40));
    QCOMPARE(rig.tab.Model().Buttons()[kCommandStepUp].state, 0);
    DragTo(rig.tab, plus);  // back on it: still released
    Release(rig.tab, plus);
    QCOMPARE(s.Cell(2, 1), before);

    rig.Click(plus);
    QCOMPARE(s.Cell(2, 1), before + 1);
    rig.Click(rig.Centre(kCommandStepDown));
    QCOMPARE(s.Cell(2, 1), before);
    // A quick second click arrives as a double click: it steps too.
    Press(rig.tab, plus);
    Release(rig.tab, plus);
    SendMouse(rig.tab, QEvent::MouseButtonDblClick, plus, Qt::LeftButton, Qt::LeftButton);
    Release(rig.tab, plus);
    QCOMPARE(s.Cell(2, 1), before + 2);
  }

  void viewButtonsAndAViewNotAllowed() {
    Rig rig(0x0071);
    rig.Click(rig.Centre(kCommand2DView));
    QCOMPARE(rig.tab.Model().ShownView(), int(kView2D));
    QCOMPARE(rig.tab.Model().Buttons()[kCommand2DView].state, 1);
    QCOMPARE(rig.tab.Model().Buttons()[kCommandTableView].state, 0);
    // A toggle clicked while pressed stays the shown view.
    rig.Click(rig.Centre(kCommand2DView));
    QCOMPARE(rig.tab.Model().Buttons()[kCommand2DView].state, 1);

    Rig no2d(0x0051);
    QVERIFY(!no2d.tab.Model().Buttons()[kCommand2DView].visible);
    no2d.tab.RunCommand(kCommand2DView);
    QCOMPARE(no2d.tab.Model().ShownView(), int(kView3D));
  }

  void hintsAreTranslatedWhenShown() {
    Rig rig(0x0071);
    Hover(rig.tab, rig.Centre(kCommandCopyTable));
    QCOMPARE(rig.tab.toolTip(), QString("Copy table"));
    SetCurrentLanguage(kCzech);
    Hover(rig.tab, rig.Centre(kCommandCopy));
    QCOMPARE(rig.tab.toolTip(), QString::fromUtf8("Kopírovat"));
    SetCurrentLanguage(kEnglish);
    // Off the bar the hint is cleared.
    Hover(rig.tab, QPoint(5, 600));
    QVERIFY(rig.tab.toolTip().isEmpty());
  }

  void titleLineCheckBoxTogglesTheSheet() {
    Rig rig(0x0111, 1, "Intake servo", kSheetMayDisable);
    const frame::TitleLine& t = rig.tab.TitleLineLayout();
    QVERIFY(t.shown && t.check);
    const QPoint box(t.checkHit.left + 5, t.checkHit.top + 5);
    rig.Click(box);
    QCOMPARE(rig.tab.Model().Active()->enabled, 0);
    // A disabled sheet takes no paste and no step from the keys.
    QVERIFY(!rig.tab.RunCommand(kCommandStepUp));
    QVERIFY(!rig.tab.RunCommand(kCommandPaste));
    rig.Click(box);
    QCOMPARE(rig.tab.Model().Active()->enabled, 1);
  }

  // VENTRIX_SCREENSHOT_DIR set: six tabs over a table with the bar, and a
  // title line with its check box and the position buttons, in English and Czech.
  void screenshots() {
    const QByteArray dir = qgetenv("VENTRIX_SCREENSHOT_DIR");
    if (dir.isEmpty()) QSKIP("VENTRIX_SCREENSHOT_DIR not set");
    for (int language : {kEnglish, kCzech}) {
      SetCurrentLanguage(language);
      Rig tabs(0x0071, 6, "Inj. 1");
      tabs.tab.Model().SelectSheet(2);
      tabs.tab.RepaintBitmap();
      QVERIFY(tabs.tab.Bitmap().save(QString("%1/frame_tabs_%2.png").arg(QString(dir)).arg(language)));
      Rig title(0x1111, 1, "Intake servo", kSheetMayDisable);
      title.tab.resize(900, 300);
      title.tab.RepaintBitmap();
      QVERIFY(title.tab.Bitmap().save(QString("%1/frame_title_%2.png").arg(QString(dir)).arg(language)));
    }
    SetCurrentLanguage(kEnglish);
  }
};

QTEST_MAIN(TTabFrameTest)
#include "ttab_frame_test.moc"
