// The rows of controls under the advance and injection maps on the real main
// window, the coupling menu, and the pictures the sheets paint behind their
// values.

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPixmap>
#include <QRegularExpression>
#include <QTabWidget>
#include <QtTest>

#include "image/PageBindings.h"
#include "image/view/SheetBackgrounds.h"
#include "image/view/TUpDown.h"
#include "base/Lang.h"
#include "shell/view/TFormHlav.h"
#include "support/FakePort.h"
#include "support/RuntimeDir.h"

namespace {

// Pages and image bytes restated on purpose.
constexpr int kAdvance = 1, kInjection = 2, kServo = 6;
constexpr std::size_t kByteBaseAdvance = 45, kByteCoupling = 47, kByteIapKor1 = 52, kByteCylinders = 256;

struct Form {
  std::unique_ptr<TFormHlav> window = std::make_unique<TFormHlav>(std::make_unique<FakePort>());
  QTabWidget* pages = window->findChild<QTabWidget*>("PageControl1");
  double scale = window->logicalDpiX() / 96.0;

  Form() {
    window->Timer1().stop();  // the test ticks itself
    window->show();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window.get())) qWarning("the window did not become active");
  }
  int Px(int designPixels) const { return int(designPixels * scale + 0.5); }
  template <typename T = QWidget>
  T* Find(const QString& name) const {
    T* w = window->findChild<T*>(name);
    if (!w) qWarning("missing %s", qPrintable(name));
    return w;
  }
  // Puts `bytes` into the image as a file or a Read would, and writes every page.
  void Load(std::initializer_list<std::pair<std::size_t, int>> bytes) {
    CAppCore& core = window->Core();
    for (const auto& [offset, value] : bytes) core.image[offset] = std::uint8_t(value);
    core.NormaliseAndLoad();
    window->WriteAllPages();
  }
  void Show(int page) {
    pages->setCurrentIndex(page);
    QCoreApplication::processEvents();
  }
  void Type(const char* edit, const QString& text) {
    auto* e = Find<QLineEdit>(edit);
    e->setFocus();
    e->selectAll();
    QTest::keyClicks(e, text);
    QTest::keyClick(e, Qt::Key_Return);
  }
};

// The up/downs of a page's row, in table order.
QStringList UpDownsOf(int page) {
  QStringList names;
  for (const ControlBinding& b : BindingsOfPage(page))
    if (b.kind == ControlKind::kUpDown) names << QString::fromLatin1(b.name);
  return names;
}

// Position relative to the page.
QPoint OnPage(const QWidget* w, const QWidget* page) { return w->mapTo(page, QPoint(0, 0)); }

}  // namespace

class MapPageRowsTest : public QObject {
  Q_OBJECT

  testsupport::RuntimeDir m_runtimeDir;

 private slots:
  void initTestCase() { QVERIFY(m_runtimeDir.IsValid()); }
  void cleanup() { SetCurrentLanguage(kEnglish); }

  void everyBackgroundLoads() {
    for (const char* name : {"BGWA", "BGRAINBOW", "BGRAINBOW2", "BGINJB", "BGINJG"}) {
      const QPixmap* picture = SheetBackgroundPicture(name);
      QVERIFY2(picture && !picture->isNull() && picture->width() > 1 && picture->height() > 1, name);
      QCOMPARE(SheetBackgroundPicture(name), picture);  // loaded once
    }
    QCOMPARE(SheetBackgroundPicture("BGNONE"), nullptr);
    QCOMPARE(SheetBackgroundPicture(""), nullptr);
    // The rainbow runs from cold blue at the top to hot red at the bottom.
    const QImage rainbow = SheetBackgroundPicture("BGRAINBOW")->toImage();
    const QColor top = rainbow.pixelColor(0, 0), bottom = rainbow.pixelColor(0, rainbow.height() - 1);
    QVERIFY(top.blue() > top.red());
    QVERIFY(bottom.red() > bottom.blue());
  }

  // Each row sits in the bottom 30 pixels of its page, 10 pixels from the
  // left, edits and up/downs 2 pixels apart, and stays there when the page
  // changes size.
  void rowsStandAtTheBottomOfTheirPages() {
    Form f;
    for (const int page : {kAdvance, kInjection, kServo}) {
      f.Show(page);
      QWidget* p = f.pages->widget(page);
      const QStringList upDowns = UpDownsOf(page);
      QVERIFY(upDowns.size() >= 5);
      for (const QString& name : upDowns) {
        auto* upDown = f.Find<TUpDown>(name);
        QVERIFY2(upDown && p->isAncestorOf(upDown), qPrintable(name));
        QWidget* edit = &upDown->Edit();
        QCOMPARE(edit->objectName(), "Edit" + name.mid(6));
        const QPoint e = OnPage(edit, p);
        QVERIFY2(e.y() >= p->height() - f.Px(30) && e.y() + edit->height() <= p->height(), qPrintable(name));
        QCOMPARE(upDown->x(), edit->x() + edit->width() + f.Px(2));
        QCOMPARE(upDown->y(), edit->y());
      }
    }
    QCOMPARE(OnPage(f.Find("EditBaseAdvance"), f.pages->widget(kAdvance)).x(), f.Px(10));
    QCOMPARE(f.Find("EditBaseAdvance")->width(), f.Px(30));
    // The corrections follow each other 2 pixels apart.
    for (int n = 1; n < 4; ++n) {
      auto* upDown = f.Find(QString("UpDownAdvKor%1").arg(n));
      QCOMPARE(f.Find(QString("EditAdvKor%1").arg(n + 1))->x(), upDown->x() + upDown->width() + f.Px(2));
    }
    for (const char* name : {"EditIapTpsMin", "EditIapTpsMax"}) QCOMPARE(f.Find(name)->width(), f.Px(30));
    for (const char* name : {"EditIapRpmMin", "EditIapRpmMax", "EditIapKor1", "EditIapKor4"})
      QCOMPARE(f.Find(name)->width(), f.Px(40));
    // The corrections take the place of the IAP -> TP controls.
    QCOMPARE(f.Find("EditIapKor1")->x(), f.Find("LabelIapTp")->x());
    auto* kor4 = f.Find("UpDownIapKor4");
    QCOMPARE(f.Find("LabelIapKor")->x(), kor4->x() + kor4->width() + f.Px(15));

    auto* picture = f.Find<QLabel>("ImageJetCoupling");
    QVERIFY(picture);
    QCOMPARE(picture->size(), QSize(f.Px(128), f.Px(24)));
    QCOMPARE(OnPage(picture, f.pages->widget(kInjection)).x(), f.Px(10));
    QCOMPARE(picture->font().pointSize(), 14);
    QCOMPARE(picture->alignment(), Qt::AlignCenter);
    auto* ms = f.Find<QCheckBox>("CheckBoxMs");
    QVERIFY(ms);
    QVERIFY(!(ms->focusPolicy() & Qt::TabFocus));

    f.window->resize(f.window->width(), f.window->height() - 100);
    QCoreApplication::processEvents();
    QWidget* p = f.pages->widget(kInjection);
    const QWidget* edit = f.Find("EditIapTpsMin");
    QVERIFY(OnPage(edit, p).y() >= p->height() - f.Px(30));
    QVERIFY(OnPage(edit, p).y() + edit->height() <= p->height());
  }

  // In every language no control of a row covers another or leaves the
  // row, except the two groups that take turns, and every caption fits.
  void rowsFitEveryLanguage() {
    Form f;
    auto group = [](const QString& name) {
      if (name.startsWith("EditIapKor") || name.startsWith("UpDownIapKor") || name == "LabelIapKor") return 1;
      if (name.contains("IapTp") || name.contains("IapRpm")) return 2;
      // The servo row: the step motor's settings or the control gains.
      if (name.contains(QRegularExpression("Servo(In|Ex)(Period|Excitation)$"))) return 3;
      if (name.contains(QRegularExpression("Servo(In|Ex)(I|D|IOff|DOff|O)$"))) return 4;
      return 0;
    };
    // Each servo has its own set of controls in the same places.
    auto servo = [](const QString& name) { return name.contains("ServoIn") ? 1 : (name.contains("ServoEx") ? 2 : 0); };
    for (const int language : {kEnglish, kGerman, kFrench, kCzech}) {
      SetCurrentLanguage(language);
      f.window->ApplyLanguage();
      for (const int page : {kAdvance, kInjection, kServo}) {
        QStringList problems;
        f.Show(page);
        QWidget* strip = f.Find("EditIapTpsMin")->parentWidget();
        if (page == kAdvance) strip = f.Find("EditBaseAdvance")->parentWidget();
        if (page == kServo) strip = f.Find("EditServoInP")->parentWidget();
        const QList<QWidget*> kids = strip->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        for (qsizetype i = 0; i < kids.size(); ++i) {
          const QString a = kids[i]->objectName();
          if (!strip->rect().contains(kids[i]->geometry())) problems << a + " leaves the row";
          for (qsizetype j = i + 1; j < kids.size(); ++j) {
            const QString b = kids[j]->objectName();
            const bool takeTurns =
                (group(a) && group(b) && group(a) != group(b)) || (servo(a) && servo(b) && servo(a) != servo(b));
            if (!takeTurns && kids[i]->geometry().intersects(kids[j]->geometry())) problems << a + " overlaps " + b;
          }
          if (auto* label = qobject_cast<QLabel*>(kids[i]); label && !label->text().isEmpty())
            if (label->sizeHint().width() > label->width()) problems << QString("%1 '%2' cut").arg(a, label->text());
          if (auto* box = qobject_cast<QCheckBox*>(kids[i]); box && box->sizeHint().width() > box->width())
            problems << QString("%1 '%2' cut").arg(a, box->text());
        }
        QVERIFY2(problems.isEmpty(),
                 qPrintable(QString("lang %1 page %2:\n").arg(language).arg(page) + problems.join('\n')));
      }
    }
    QCOMPARE(f.Find<QLabel>("LabelBaseAdvance")->text(), QString("Základní předstih (°)"));
    QCOMPARE(f.Find<QLabel>("LabelIapRpmMin")->text(), QString("Otáčky min"));
  }

  // The base advance and the IAP corrections cannot be set beyond what
  // their bytes hold: -5 was stored as 251 and came back as 40 degrees.
  void typedValuesStayWithinTheirBytes() {
    Form f;
    f.Show(kAdvance);
    f.Type("EditBaseAdvance", "-5");
    QCOMPARE(int(f.window->Core().image[kByteBaseAdvance]), 0);
    f.Type("EditBaseAdvance", "60");
    QCOMPARE(int(f.window->Core().image[kByteBaseAdvance]), 40);
    QCOMPARE(f.Find<QLineEdit>("EditBaseAdvance")->text(), QString("40"));

    f.Show(kInjection);
    f.Type("EditIapKor1", "1000");
    QCOMPARE(int(f.window->Core().image[kByteIapKor1]), 255);
  }

  void rulesShowTheCylindersAndTheCouplingPicture() {
    Form f;
    f.Load({{kByteCylinders, 2}, {kByteCoupling, 1}});
    f.Show(kAdvance);
    QVERIFY(f.Find("UpDownAdvKor2")->isVisible());
    QVERIFY(!f.Find("UpDownAdvKor3")->isVisible());
    QVERIFY(!f.Find("EditAdvKor4")->isVisible());
    f.Show(kInjection);
    auto* picture = f.Find<QLabel>("ImageJetCoupling");
    QVERIFY(picture->isVisible());
    QCOMPARE(picture->text(), QString("1 -> 2"));
    QCOMPARE(picture->palette().color(QPalette::Window), QColor(Qt::yellow));
    // The throttle map is active at start: IAP -> TP shown, the corrections not.
    QVERIFY(f.Find("EditIapTpsMin")->isVisible());
    QVERIFY(!f.Find("EditIapKor1")->isVisible());

    f.Load({{kByteCoupling, 0}});
    QVERIFY(!picture->isVisible());
  }

  void couplingMenuChecksTheStoredMode() {
    Form f;
    auto* menu = f.Find<QMenu>("Menu_Jet123Mode");
    QVERIFY(menu);
    QCOMPARE(menu->title(), QString("Jet 1234"));
    QVERIFY(f.Find<QMenu>("MenuTools")->actions().contains(menu->menuAction()));
    const char* const kItems[] = {"Menu_Jet123Normal", "Menu_Jet123Coupled", "Menu_Jet123Stejny"};
    const QString kCaptions[] = {"Separate", "Coupled", "1=2=3=4"};
    for (int i = 0; i < 3; ++i) {
      auto* a = f.Find<QAction>(kItems[i]);
      QVERIFY(a && a->isCheckable() && menu->actions().contains(a));
      QCOMPARE(a->text(), kCaptions[i]);
    }
    // A stored mode beyond 2 acts as normal.
    for (const auto& [mode, checked] : {std::pair{0, 0}, {1, 1}, {2, 2}, {7, 0}}) {
      f.window->ShowCouplingMode(mode);
      for (int i = 0; i < 3; ++i) QCOMPARE(f.Find<QAction>(kItems[i])->isChecked(), i == checked);
    }
    SetCurrentLanguage(kGerman);
    f.window->ApplyLanguage();
    QCOMPARE(f.Find<QAction>("Menu_Jet123Normal")->text(), QString("Getrennt"));
    QCOMPARE(f.Find<QAction>("Menu_Jet123Stejny")->text(), QString("1=2=3=4"));
  }

  // VENTRIX_SCREENSHOT_DIR set: pages 1, 2 and 6 as the user sees them.
  void screenshots() {
    const QByteArray dir = qgetenv("VENTRIX_SCREENSHOT_DIR");
    if (dir.isEmpty()) QSKIP("VENTRIX_SCREENSHOT_DIR not set");
    Form f;
    f.Load({{kByteCylinders, 4}, {kByteCoupling, 1}});
    for (const int page : {kAdvance, kInjection}) {
      f.Show(page);
      QVERIFY(f.window->grab().save(QString("%1/map_page_%2.png").arg(QString(dir)).arg(page)));
    }
    // The intake servo enabled, in percent (the control gains shown).
    f.Load({{59, 1}, {63, 1}});
    for (const int language : {kEnglish, kGerman}) {
      SetCurrentLanguage(language);
      f.window->ApplyLanguage();
      f.Show(kServo);
      QVERIFY(f.window->grab().save(QString("%1/map_page_6_%2.png").arg(QString(dir)).arg(language)));
    }
  }
};

QTEST_MAIN(MapPageRowsTest)
#include "map_page_rows_test.moc"
