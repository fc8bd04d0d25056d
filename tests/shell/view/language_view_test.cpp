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
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <set>

#include "shell/Lang.h"
#include "shell/TextSlots.h"
#include "shell/UiTexts.h"
#include "shell/view/LanguageView.h"
#include "shell/view/TFormHlav.h"
#include "support/FakePort.h"

namespace {
QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

std::unique_ptr<TFormHlav> MakeForm(const std::vector<std::string>& args = {}) {
  return std::make_unique<TFormHlav>(std::make_unique<FakePort>(), args);
}

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

  QTemporaryDir m_runtimeDir;

 private slots:
  void initTestCase() {
    QVERIFY(m_runtimeDir.isValid());
    qputenv("XDG_RUNTIME_DIR", m_runtimeDir.path().toUtf8());
  }
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

  void mainWindowInEveryLanguage() {
    auto form = MakeForm();
    form->Core().textSlots.SetFileName("/home/rider/maps/r1.ign");
    for (int language : {kEnglish, kGerman, kFrench, kCzech}) {
      SetCurrentLanguage(language);
      form->ApplyLanguage();
      const QStringList differing = DifferingTexts(*form, form->Core().textSlots, language);
      QVERIFY2(differing.isEmpty(), qPrintable(QString("lang %1:\n").arg(language) + differing.join('\n')));
      const QStringList unlisted = UnlistedControls(*form);
      QVERIFY2(unlisted.isEmpty(), qPrintable(unlisted.join('\n')));
    }
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
