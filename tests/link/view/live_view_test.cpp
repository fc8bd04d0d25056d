// Live data on the main window: a frame through the core reaches the labels
// and gauges by name; the Monitor page fits every language.

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QTabWidget>
#include <QtTest>

#include "SimPort.h"
#include "UnitSim.h"
#include "base/Lang.h"
#include "shell/view/TFormHlav.h"
#include "support/FakePort.h"
#include "support/LiveFrames.h"
#include "support/RuntimeDir.h"

namespace {

using testsupport::PutWord;

Frame QuietFrame() { return testsupport::QuietFrame(12600); }

QColor Background(const QWidget* w) {
  return w->autoFillBackground() ? w->palette().color(QPalette::Window) : QColor();
}

const QColor kRed(255, 0, 0);
const QColor kWhite(255, 255, 255);

}  // namespace

class LiveViewTest : public QObject {
  Q_OBJECT

  testsupport::RuntimeDir m_runtimeDir;

  struct Form {
    std::unique_ptr<TFormHlav> window;
    FakePort* port = nullptr;
  };

  static Form MakeForm() {
    auto port = std::make_unique<FakePort>();
    FakePort* raw = port.get();
    auto form = std::make_unique<TFormHlav>(std::move(port));
    form->Timer1().stop();  // the test ticks itself
    return {std::move(form), raw};
  }

  // Hands one frame to the core the way the port does.
  static void Receive(Form& form, Frame f) {
    SealFrame(f);
    form.port->Queue(f);
    form.window->Core().Tick();
  }

  template <typename T>
  static T* Find(Form& form, const char* name) {
    T* w = form.window->findChild<T*>(name);
    if (!w) qWarning("missing %s", name);
    return w;
  }

 private slots:
  void initTestCase() { QVERIFY(m_runtimeDir.IsValid()); }
  void cleanup() { SetCurrentLanguage(kEnglish); }

  void frameReachesTheLabels() {
    Form form = MakeForm();
    CAppCore& core = form.window->Core();
    core.image[256] = 2;
    core.image[29] = 100;

    Frame f = QuietFrame();
    PutWord(f, 48, 6000);
    f[14] = 25;
    f[23] = 0;  // coolant sensor error
    PutWord(f, 60, 4950);
    f[150] = 82;
    Receive(form, f);

    QCOMPARE(Find<QLabel>(form, "LabelRpm")->text(), QString("RPM = 6000 "));
    QCOMPARE(Find<QProgressBar>(form, "CGaugeRpm")->value(), 60);
    auto* voda = Find<QLabel>(form, "LabelVoda");
    QCOMPARE(voda->text(), QString("Coolant = error"));
    QCOMPARE(Background(voda), kRed);
    QCOMPARE(Find<QProgressBar>(form, "CGaugeVoda")->value(), 80);
    QCOMPARE(Find<QLabel>(form, "LabelMaxInjProcent")->text(), QString("Max injection = 12 [%]"));
    QCOMPARE(Find<QProgressBar>(form, "CGaugeDuty")->value(), 12);
    QCOMPARE(Find<QLabel>(form, "LabelNapeti")->text(), QString("U = 12.6 V"));
    QVERIFY(!Find<QLabel>(form, "LabelNapeti")->autoFillBackground());
    QVERIFY(!Find<QLabel>(form, "LabelMon_Ign2")->isHidden());
    QVERIFY(Find<QLabel>(form, "LabelMon_Ign3")->isHidden());
    auto* version = Find<QLabel>(form, "LabelVersion");
    QCOMPARE(version->text(), QString("Unmatched version of PC and Ignition programs!  PC-83, IGN-82"));
    QCOMPARE(Background(version), kRed);

    // The sensor voltages come with "Extended Monitor"; the version is put right.
    Find<QCheckBox>(form, "CheckBoxExtMonitor")->setChecked(true);
    f[150] = 83;
    Receive(form, f);
    QCOMPARE(voda->text(), QString("Coolant = error = 4950 mV"));
    QCOMPARE(Background(version), kWhite);

    // The language switch puts the placeholders back; the next frame refills them in Czech.
    form.window->MenuCzechClick();
    Find<QCheckBox>(form, "CheckBoxExtMonitor")->setChecked(false);
    Receive(form, f);
    QCOMPARE(voda->text(), QString("Voda = error"));
    QCOMPARE(Find<QLabel>(form, "LabelMonFallIn")->text(), QString("Čidlo pádu - NE"));
  }

  void gasHandleIndicatorsFollowTheModeAndTheConnection() {
    Form form = MakeForm();
    auto* label = Find<QLabel>(form, "LabelGasMon");
    auto* gauge = Find<QProgressBar>(form, "CGaugeGas");
    QVERIFY(label->isHidden());
    Frame f = QuietFrame();
    f[5] = 0x01;
    PutWord(f, 144, 505);
    Receive(form, f);
    QVERIFY(!label->isHidden());
    QVERIFY(!gauge->isHidden());
    QCOMPARE(gauge->value(), 50);
    QCOMPARE(label->text(), QString("Gas hnadle = 50.5 %"));

    // Silence until "No connection" shows hides them again.
    for (int i = 0; i < 40 && !form.window->Core().NoConnectionShown(); ++i) form.window->Core().Tick();
    QVERIFY(form.window->Core().NoConnectionShown());
    QVERIFY(label->isHidden());
    QVERIFY(gauge->isHidden());
  }

  // Every label, check box and group of the Monitor page holds its longest
  // text in every language, and no two controls share pixels.
  void monitorPageFitsEveryLanguage() {
    Form form = MakeForm();
    CAppCore& core = form.window->Core();
    core.image[256] = 4;
    core.imageMatchesUnit = 1;
    auto* page = Find<QWidget>(form, "TabSheet_Monitor");
    QVERIFY(page);
    auto* pages = Find<QTabWidget>(form, "PageControl1");
    pages->setCurrentWidget(page);
    form.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.window.get()));

    // Widest values: counters 65535, other words 9999 (throttle 100 %), advance -128, flags all on or all off.
    QStringList tooNarrow;
    for (int language = 0; language < kLanguageCount; ++language) {
      SetCurrentLanguage(language);
      form.window->ApplyLanguage();
      for (bool ext : {false, true}) {
        Find<QCheckBox>(form, "CheckBoxExtMonitor")->setChecked(ext);
        for (std::uint8_t flags : {std::uint8_t{0x00}, std::uint8_t{0xFF}}) {
          for (int code = 0; code < 24; ++code) {
            Frame f{};
            f[0] = 0xB0;
            for (std::size_t i = 1; i < 5; ++i) f[i] = flags;
            for (std::size_t i = 10; i < 14; ++i) f[i] = 0x80;
            for (std::size_t i = 14; i < 22; ++i) f[i] = 255;
            f[23] = flags ? 0 : 255;
            f[24] = 0;
            f[25] = 255;
            f[26] = 255;
            f[27] = 1;
            f[28] = static_cast<std::uint8_t>(code);
            f[29] = 255;
            for (std::size_t i = 46; i < 146; i += 2) PutWord(f, i, 9999);
            for (std::size_t i : {138u, 144u}) PutWord(f, i, 1000);  // 100.0 %
            for (std::size_t i = 76; i < 94; i += 2) PutWord(f, i, 65535);
            PutWord(f, 142, 65535);
            for (std::size_t i : {108u, 110u, 112u, 134u}) PutWord(f, i, 0);  // the most negative corrections
            f[150] = 0;
            Receive(form, f);
            for (QLabel* l : page->findChildren<QLabel*>()) {
              if (l->sizeHint().width() * 115 / 100 > l->width())
                tooNarrow << QString("lang %1: %2 '%3' needs %4 of %5")
                                 .arg(language)
                                 .arg(l->objectName(), l->text())
                                 .arg(l->sizeHint().width())
                                 .arg(l->width());
            }
          }
        }
      }
      for (QCheckBox* c : page->findChildren<QCheckBox*>())
        if (c->sizeHint().width() > c->width()) tooNarrow << QString("lang %1: %2").arg(language).arg(c->objectName());
      for (QGroupBox* g : page->findChildren<QGroupBox*>())
        if (g->fontMetrics().horizontalAdvance(g->title()) + 24 > g->width())
          tooNarrow << QString("lang %1: %2").arg(language).arg(g->objectName());
    }
    tooNarrow.removeDuplicates();
    QVERIFY2(tooNarrow.isEmpty(), qPrintable(tooNarrow.join('\n')));

    // Siblings do not overlap and stay inside their parent (the lambda bands sit on their gauge).
    QStringList overlaps;
    QList<QWidget*> parents{page};
    for (QGroupBox* g : page->findChildren<QGroupBox*>()) parents << g;
    for (QWidget* parent : parents) {
      QList<QWidget*> kids = parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
      kids.removeIf([](QWidget* w) { return w->objectName().startsWith("ShapeLambdaBar"); });
      for (qsizetype i = 0; i < kids.size(); ++i) {
        if (!parent->rect().contains(kids[i]->geometry()))
          overlaps << QString("%1 leaves %2").arg(kids[i]->objectName(), parent->objectName());
        for (qsizetype j = i + 1; j < kids.size(); ++j)
          if (kids[i]->geometry().intersects(kids[j]->geometry()))
            overlaps << QString("%1 overlaps %2").arg(kids[i]->objectName(), kids[j]->objectName());
      }
    }
    QVERIFY2(overlaps.isEmpty(), qPrintable(overlaps.join('\n')));
  }

  // Writes the Monitor page with live data from the simulator to
  // VENTRIX_SCREENSHOT_DIR, in English (extended) and Czech.
  void monitorScreenshots() {
    const QByteArray dir = qgetenv("VENTRIX_SCREENSHOT_DIR");
    if (dir.isEmpty()) QSKIP("VENTRIX_SCREENSHOT_DIR not set");
    struct Shot {
      int language;
      bool extended;
      const char* file;
    };
    for (const Shot& shot : {Shot{kEnglish, true, "monitor_en.png"}, Shot{kCzech, false, "monitor_cs.png"}}) {
      CUnitSim sim;
      auto port = std::make_unique<CSimPort>(sim);
      CSimPort* simPort = port.get();
      auto form = std::make_unique<TFormHlav>(std::move(port));
      form->Timer1().stop();
      CAppCore& core = form->Core();
      core.image[256] = 4;
      core.image[29] = 110;
      const std::uint8_t bar[] = {120, 135, 155, 170};
      std::copy(std::begin(bar), std::end(bar), core.image.begin() + 372);
      core.image[58] = 1;
      core.image[59] = 1;
      core.tuningOn = true;
      SetCurrentLanguage(shot.language);
      form->ApplyLanguage();
      form->findChild<QCheckBox*>("CheckBoxExtMonitor")->setChecked(shot.extended);
      form->findChild<QTabWidget*>("PageControl1")->setCurrentIndex(12);
      form->show();
      QVERIFY(QTest::qWaitForWindowExposed(form.get()));
      // Three minutes on, the coolant is warm; 20 s into the ride the throttle is open.
      for (int tick = 0; tick < (180000 + 20000) / 55; ++tick) {
        simPort->AdvanceMs(55);
        core.Tick();
      }
      QVERIFY(!core.NoConnectionShown());
      QVERIFY(form->grab().save(QString::fromUtf8(dir) + "/" + shot.file));
    }
  }
};

QTEST_MAIN(LiveViewTest)
#include "live_view_test.moc"
