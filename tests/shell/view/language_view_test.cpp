// The language switch on the main window, walked by the controls' names.
//
// Rule for controls without an entry: every object of the window whose name
// looks like one of the program's controls (starts with Menu, Label, Button,
// SpeedButton, CheckBox, GroupBox, RadioGroup or TabSheet) and that shows a
// caption must take that caption from a table (menus, controls, textSlots, radio
// groups) or be declared language-neutral. Every radio button with a caption
// must be an item of a listed radio group. Unnamed objects (the port menu's
// "Com n" items) are not looked at.

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <set>

#include "base/Lang.h"
#include "base/TextSlots.h"
#include "base/UiTexts.h"
#include "base/view/LanguageView.h"
#include "shell/view/TFormHlav.h"
#include "support/FakePort.h"
#include "support/LiveFrames.h"
#include "support/RuntimeDir.h"

namespace {
QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

std::unique_ptr<TFormHlav> MakeForm(const std::vector<std::string>& args = {}) {
  return std::make_unique<TFormHlav>(std::make_unique<FakePort>(), args);
}

// The main window with the port under the test's hand, its timer stopped.
struct FormOnFakePort {
  FakePort* port;
  std::unique_ptr<TFormHlav> form;
  explicit FormOnFakePort(const std::vector<std::string>& args = {}) {
    auto p = std::make_unique<FakePort>();
    port = p.get();
    form = std::make_unique<TFormHlav>(std::move(p), args);
    form->Timer1().stop();
  }
  // A live frame from a unit with program version `version`, through the core.
  void LiveFrameOfVersion(int version) {
    Frame f = testsupport::QuietFrame();
    f[150] = static_cast<std::uint8_t>(version);
    SealFrame(f);
    port->Queue(f);
    form->Core().Tick();
  }
};

// Tooltip and status tip of an object as the hints set them.
std::pair<QString, QString> HintOf(QObject* object) {
  if (auto* menu = qobject_cast<QMenu*>(object)) object = menu->menuAction();
  if (auto* action = qobject_cast<QAction*>(object)) return {action->toolTip(), action->statusTip()};
  if (auto* widget = qobject_cast<QWidget*>(object)) return {widget->toolTip(), widget->statusTip()};
  return {};
}

// Every listed control that exists must show exactly its table text.
QStringList DifferingTexts(QMainWindow& window, const CTextSlots& textSlots, int language) {
  QStringList problems;
  auto check = [&](const char* name, const QString& actual, const QString& expected) {
    if (actual != expected) problems << QString("%1: '%2' instead of '%3'").arg(name, actual, expected);
  };
  for (const auto& table : {MenuCaptions(), ControlCaptions()})
    for (const auto& e : table)
      if (QObject* o = window.findChild<QObject*>(e.name)) check(e.name, ControlCaption(o), Q(e.text.Get(language)));
  for (const auto& e : SlotCaptions())
    if (QObject* o = window.findChild<QObject*>(e.name))
      check(e.name, ControlCaption(o), Q(e.prefix) + Q(textSlots[e.slot]) + Q(e.suffix));
  for (const auto& e : Hints()) {
    QObject* o = window.findChild<QObject*>(e.name);
    if (!o) continue;
    const QString hint = Q(e.text.Get(language));
    const auto [shortHint, longHint] = HintOf(o);
    check(e.name, shortHint, hint.section('|', 0, 0));
    check(e.name, longHint, hint.contains('|') ? hint.section('|', 1) : hint);
  }
  for (const auto& g : RadioGroupItems()) {
    const auto* box = window.findChild<QGroupBox*>(g.name);
    if (!box) continue;
    const auto buttons = RadioGroupButtons(box);
    if (buttons.size() != static_cast<qsizetype>(g.items.size()))
      problems << QString("%1: %2 items instead of %3").arg(g.name).arg(buttons.size()).arg(g.items.size());
    for (qsizetype i = 0; i < std::min<qsizetype>(buttons.size(), g.items.size()); ++i)
      check(g.name, buttons[i]->text(), Q(g.items[static_cast<std::size_t>(i)].Get(language)));
  }
  const char* const languageItems[] = {"MenuEnglish", "MenuGerman", "MenuFrench", "MenuCzech"};
  for (int i = 0; i < kLanguageCount; ++i)
    if (auto* a = window.findChild<QAction*>(languageItems[i]))
      if (a->isChecked() != (i == language)) problems << QString("%1: check mark wrong").arg(languageItems[i]);
  if (auto* french = window.findChild<QAction*>("MenuFrench"))
    if (french->isVisible()) problems << "MenuFrench: visible";
  check("window caption", window.windowTitle(), Q(textSlots.WindowCaption()));
  return problems;
}

QStringList UnlistedControls(QMainWindow& window) {
  std::set<QString> listed;
  for (const auto& table : {MenuCaptions(), ControlCaptions()})
    for (const auto& e : table) listed.insert(e.name);
  for (const auto& e : SlotCaptions()) listed.insert(e.name);
  for (const auto& g : RadioGroupItems()) listed.insert(g.name);
  for (const char* name : LanguageNeutralControls()) listed.insert(name);

  static const QRegularExpression kControlName(
      "^(Menu|Label|Button|SpeedButton|CheckBox|GroupBox|RadioGroup|TabSheet)");
  QStringList problems;
  for (QObject* o : window.findChildren<QObject*>()) {
    const QString name = o->objectName();
    if (name.isEmpty() || !kControlName.match(name).hasMatch()) continue;
    if (ControlCaption(o).isEmpty() || listed.count(name)) continue;
    problems << QString("%1 shows '%2' but has no table entry").arg(name, ControlCaption(o));
  }
  for (QRadioButton* r : window.findChildren<QRadioButton*>()) {
    if (r->text().isEmpty()) continue;
    bool covered = false;
    for (const auto& g : RadioGroupItems())
      if (auto* box = window.findChild<QGroupBox*>(g.name))
        covered |= RadioGroupButtons(box).indexOf(r) >= 0 &&
                   RadioGroupButtons(box).indexOf(r) < static_cast<qsizetype>(g.items.size());
    if (!covered) problems << QString("radio button '%1' is no item of a listed radio group").arg(r->text());
  }
  return problems;
}

// Captions the window cuts: every button, check box, radio button, label
// and tab, shown or hidden, must be as wide as its text plus what the style
// adds around it (indicator, bevel, margins), and as high as its lines.
QStringList CaptionsCut(QMainWindow& window) {
  QStringList problems;
  auto report = [&](const QWidget* w, const QString& text, QSize need) {
    need.setHeight(w->fontMetrics().height());
    if (need.width() <= w->width() && need.height() <= w->height()) return;
    problems << QString("%1 '%2': %3x%4 of %5x%6")
                    .arg(w->objectName(), text)
                    .arg(need.width())
                    .arg(need.height())
                    .arg(w->width())
                    .arg(w->height());
  };
  for (QAbstractButton* b : window.findChildren<QAbstractButton*>()) {
    const QString text = QString(b->text()).remove(QRegularExpression("&(?!&)"));
    if (text.isEmpty()) continue;
    QStyleOptionButton opt;
    opt.initFrom(b);
    opt.text = b->text();
    const QFontMetrics fm = b->fontMetrics();
    const QSize contents(fm.horizontalAdvance(text), fm.height());
    QStyle::ContentsType type = QStyle::CT_PushButton;
    if (qobject_cast<QCheckBox*>(b))
      type = QStyle::CT_CheckBox;
    else if (qobject_cast<QRadioButton*>(b))
      type = QStyle::CT_RadioButton;
    else if (!qobject_cast<QPushButton*>(b))
      continue;
    report(b, text, b->style()->sizeFromContents(type, &opt, contents, b));
  }
  for (QLabel* l : window.findChildren<QLabel*>()) {
    if (l->text().isEmpty() || !l->pixmap().isNull()) continue;
    if (l->wordWrap()) {
      if (l->heightForWidth(l->width()) > l->height())
        problems << QString("%1 '%2': %3 lines high of %4")
                        .arg(l->objectName(), l->text())
                        .arg(l->heightForWidth(l->width()))
                        .arg(l->height());
    } else {
      report(l, l->text(), l->sizeHint());
    }
  }
  for (QTabBar* bar : window.findChildren<QTabBar*>()) {
    const int hspace = bar->style()->pixelMetric(QStyle::PM_TabBarTabHSpace, nullptr, bar);
    for (int i = 0; i < bar->count(); ++i) {
      const QRect r = bar->tabRect(i);
      const QString text = bar->tabText(i).remove(QRegularExpression("&(?!&)"));
      if (r.width() < bar->fontMetrics().horizontalAdvance(text) + hspace || r.right() >= bar->width())
        problems
            << QString("tab %1 '%2': %3 wide at %4 of %5").arg(i).arg(text).arg(r.width()).arg(r.x()).arg(bar->width());
    }
  }
  return problems;
}

// A window that holds one control of a fitting kind for every table entry,
// so that the tables are checked whole while the real window still grows.
class FullWindow : public QMainWindow {
 public:
  FullWindow() {
    QMenu* bar = menuBar()->addMenu("MenuFile");
    bar->setObjectName("MenuFile");
    auto* central = new QWidget(this);
    setCentralWidget(central);
    auto* tabs = new QTabWidget(central);
    std::set<std::string> radioGroups;
    for (const auto& g : RadioGroupItems()) radioGroups.insert(g.name);
    auto add = [&](const std::string& name) {
      if (findChild<QObject*>(QString::fromStdString(name))) return;
      QObject* o = nullptr;
      if (name.rfind("TabSheet", 0) == 0) {
        auto* page = new QWidget(tabs);
        tabs->addTab(page, "x");
        o = page;
      } else if (name.rfind("Menu", 0) == 0 || name == "OpenOldMaps") {
        o = bar->addAction("x");
      } else if (name.rfind("GroupBox", 0) == 0 || name.rfind("RadioGroup", 0) == 0) {
        auto* box = new QGroupBox("x", central);
        o = box;
      } else if (name.rfind("CheckBox", 0) == 0) {
        o = new QCheckBox("x", central);
      } else if (name.rfind("SpeedButton", 0) == 0) {
        o = new QPushButton(central);  // toolbar buttons show pictures, only hints
      } else if (name.rfind("Button", 0) == 0) {
        o = new QPushButton("x", central);
      } else {
        o = new QLabel("x", central);
      }
      o->setObjectName(QString::fromStdString(name));
    };
    for (const auto& table : {MenuCaptions(), ControlCaptions(), Hints()})
      for (const auto& e : table) add(e.name);
    for (const auto& e : SlotCaptions()) add(e.name);
    for (const auto& g : RadioGroupItems()) {
      add(g.name);
      auto* box = findChild<QGroupBox*>(g.name);
      for (std::size_t i = 0; i < g.items.size(); ++i) new QRadioButton("x", box);
    }
  }
};
}  // namespace

class LanguageViewTest : public QObject {
  Q_OBJECT

  testsupport::RuntimeDir m_runtimeDir;

 private slots:
  void initTestCase() { QVERIFY(m_runtimeDir.IsValid()); }
  void cleanup() { SetCurrentLanguage(kEnglish); }

  void everyTableEntryCarriesItsText() {
    FullWindow window;
    CTextSlots textSlots;
    textSlots.SetFileName("r1.ign");
    for (int language = 0; language < kLanguageCount; ++language) {
      ApplyLanguageToWindow(window, textSlots, language);
      const QStringList problems = DifferingTexts(window, textSlots, language);
      QVERIFY2(problems.isEmpty(), qPrintable(QString("lang %1:\n").arg(language) + problems.join('\n')));
    }
    // The walk itself finds a stray control and a wrong text.
    auto* stray = new QLabel("Hello", window.centralWidget());
    stray->setObjectName("LabelSomethingNew");
    QCOMPARE(UnlistedControls(window), QStringList{"LabelSomethingNew shows 'Hello' but has no table entry"});
    window.findChild<QLabel*>("LabelDwell")->setText("Dwell");
    QCOMPARE(DifferingTexts(window, textSlots, kCzech).size(), 1);
  }

  // Every caption in every language, the version label with a mismatch text
  // (its longest) among them.
  void mainWindowInEveryLanguage() {
    FormOnFakePort f;
    auto& form = f.form;
    form->Core().textSlots.SetFileName("/home/rider/maps/r1.ign");
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    QStringList cut;
    for (int language : {kEnglish, kGerman, kFrench, kCzech}) {
      SetCurrentLanguage(language);
      form->ApplyLanguage();
      const QStringList differing = DifferingTexts(*form, form->Core().textSlots, language);
      QVERIFY2(differing.isEmpty(), qPrintable(QString("lang %1:\n").arg(language) + differing.join('\n')));
      const QStringList unlisted = UnlistedControls(*form);
      QVERIFY2(unlisted.isEmpty(), qPrintable(unlisted.join('\n')));
      f.LiveFrameOfVersion(82);
      for (const QString& c : CaptionsCut(*form)) cut << QString("lang %1: %2").arg(language).arg(c);
    }
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join('\n')));
  }

  void switchToCzechAndBackAtRunTime() {
    auto form = MakeForm();
    CTextSlots& textSlots = form->Core().textSlots;
    textSlots.SetFileName("/home/rider/maps/r1.ign");
    auto* file = form->findChild<QMenu*>("MenuFile");
    auto* pages = form->findChild<QTabWidget*>("PageControl1");
    auto* spojeni = form->findChild<QLabel*>("LabelSpojeni");
    auto* czech = form->findChild<QAction*>("MenuCzech");
    QVERIFY(file && pages && spojeni && czech);
    const QString caption = "  Ventrix_2007       /home/rider/maps/r1.ign";

    form->MenuCzechClick();
    QCOMPARE(CurrentLanguage(), int(kCzech));
    QCOMPARE(file->title(), QString("&Soubor"));
    QCOMPARE(pages->tabText(0), QString("Motocykl"));
    QCOMPARE(pages->tabText(9), QString("Volnoběh"));
    QCOMPARE(spojeni->text(), QString("Není spojení s PC"));
    QCOMPARE(Q(textSlots[6]), QString("Chyba čtení!"));
    QCOMPARE(Q(textSlots[26]), QString("Chyba při otevírání souboru!"));
    QCOMPARE(form->windowTitle(), caption);
    QVERIFY(czech->isChecked());

    form->MenuEnglishClick();
    QCOMPARE(file->title(), QString("&File"));
    QCOMPARE(pages->tabText(0), QString("Bike"));
    QCOMPARE(pages->tabText(9), QString("Idle"));
    QCOMPARE(spojeni->text(), QString("No connection with PC"));
    QCOMPARE(Q(textSlots[6]), QString("Read error!"));
    QCOMPARE(form->windowTitle(), caption);
    QVERIFY(!czech->isChecked());
    QVERIFY(form->findChild<QAction*>("MenuEnglish")->isChecked());
  }

  // The link reads its message from the slots at the moment it shows it.
  void linkMessageInTheCurrentLanguage() {
    auto form = MakeForm();
    auto* message = form->findChild<QLabel*>("LabelHlaseni");
    QVERIFY(message);
    for (const auto& [language, text] : {std::pair{int(kCzech), "Chyba čtení!"}, {int(kEnglish), "Read error!"}}) {
      SetCurrentLanguage(language);
      form->ApplyLanguage();
      CAppCore& core = form->Core();
      core.mode = LinkMode::Reading;  // a read the unit never answers
      core.command = 0x40;
      core.retries = 0;
      message->clear();
      for (int tick = 0; tick < 500 && core.mode != LinkMode::Idle; ++tick) core.Tick();
      QCOMPARE(core.mode, LinkMode::Idle);
      QCOMPARE(message->text(), QString(text));
    }
  }

  void frenchOnlyFromTheCommandLine() {
    auto form = MakeForm({"FRENCH"});
    QCOMPARE(CurrentLanguage(), int(kFrench));
    auto* french = form->findChild<QAction*>("MenuFrench");
    QVERIFY(french);
    QVERIFY(french->isChecked());
    QVERIFY(!french->isVisible());
    QCOMPARE(form->findChild<QMenu*>("MenuFile")->title(), QString("&Fichier"));
    form->MenuGermanClick();
    QVERIFY(!french->isVisible());
    QCOMPARE(form->findChild<QMenu*>("MenuFile")->title(), QString("&Datei"));
  }

  void externalMonitorCaption() {
    QWidget monitor;
    monitor.setObjectName("FormEM");
    QMainWindow window;
    CTextSlots textSlots;
    ApplyLanguageToWindow(window, textSlots, kCzech);
    QCOMPARE(monitor.windowTitle(), QString("Externí monitor"));
    ApplyLanguageToWindow(window, textSlots, kGerman);
    QCOMPARE(monitor.windowTitle(), QString("External monitor"));
  }

  void radioItemsFollowButtonGroupIds() {
    QMainWindow window;
    auto* box = new QGroupBox(&window);
    box->setObjectName("RadioGroupPolCKPS");
    auto* ids = new QButtonGroup(box);
    auto* second = new QRadioButton(box);
    auto* first = new QRadioButton(box);
    ids->addButton(second, 1);
    ids->addButton(first, 0);
    CTextSlots textSlots;
    ApplyLanguageToWindow(window, textSlots, kCzech);
    QCOMPARE(first->text(), QString("Kladná"));
    QCOMPARE(second->text(), QString("Záporná"));
  }

  // A unit of another version: the whole mismatch text stays in view, and the
  // right version takes the label back to one short line.
  void versionLabelShowsBothVersions() {
    FormOnFakePort f;
    f.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
    auto* version = f.form->findChild<QLabel*>("LabelVersion");
    auto* toolBar = f.form->findChild<QWidget*>("GroupBoxToolBar");
    auto* com = f.form->findChild<QLabel*>("LabelCom");
    QVERIFY(version && toolBar && com);
    const QByteArray dir = qgetenv("VENTRIX_SCREENSHOT_DIR");
    for (int language : {kEnglish, kGerman, kFrench, kCzech}) {
      SetCurrentLanguage(language);
      f.form->ApplyLanguage();
      f.LiveFrameOfVersion(82);
      QVERIFY(version->text().endsWith("  PC-83, IGN-82"));
      QVERIFY(toolBar->rect().contains(version->geometry()));
      QVERIFY(!version->geometry().intersects(com->geometry()));
      QVERIFY2(version->heightForWidth(version->width()) <= version->height() || !version->wordWrap(),
               qPrintable(version->text()));
      if (!dir.isEmpty())
        QVERIFY(toolBar->grab().save(QString("%1/toolbar_%2.png").arg(QString::fromUtf8(dir)).arg(language)));
    }
    f.LiveFrameOfVersion(83);
    QCOMPARE(version->text(), QString("  PC-83, IGN-83"));
    QVERIFY(!version->wordWrap());
    QVERIFY(!version->geometry().intersects(f.form->findChild<QWidget*>("CGaugeProgram")->geometry()));
  }

  // Writes the Czech window to VENTRIX_SCREENSHOT_DIR for a look at the diacritics.
  void czechScreenshot() {
    const QByteArray dir = qgetenv("VENTRIX_SCREENSHOT_DIR");
    if (dir.isEmpty()) QSKIP("VENTRIX_SCREENSHOT_DIR not set");
    auto form = MakeForm({"CESKY"});
    form->Core().textSlots.SetFileName("/home/jezdec/mapy/řízení.ign");
    form->ApplyLanguage();
    form->show();
    for (const char* name : {"LabelSpojeni", "LabelHlaseni"})
      if (auto* l = form->findChild<QLabel*>(name)) l->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    QVERIFY(form->grab().save(QString::fromUtf8(dir) + "/ventrix_cesky.png"));
    for (const char* name : {"MenuFile", "MenuLanguage"}) {
      auto* menu = form->findChild<QMenu*>(name);
      if (!menu) continue;
      menu->popup(form->mapToGlobal(QPoint(0, 0)));
      QVERIFY(menu->grab().save(QString::fromUtf8(dir) + "/ventrix_cesky_" + name + ".png"));
      menu->hide();
    }
  }
};

QTEST_MAIN(LanguageViewTest)
#include "language_view_test.moc"
