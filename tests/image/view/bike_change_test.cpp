// The bike list, New and New for actual page, Undo and Redo in the real main
// window offscreen, ticks driven by the test and the defaults question
// answered by the test.

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QMessageBox>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

#include "image/BikeDefaults.h"
#include "image/FieldCatalogue.h"
#include "image/Normalise.h"
#include "image/Pages.h"
#include "image/ParamSet.h"
#include "shell/view/TFormHlav.h"
#include "support/FakePort.h"
#include "support/RuntimeDir.h"
#include "support/WindowUnderTest.h"

namespace {

// Restated: list index 34 is "Suzuki GSX-R600               01-03", type 11;
// index 4 is "Ducati 996", type 1.
constexpr int kGsxr600Index = 34;
constexpr int kDucati996Index = 4;
// Bytes the bike constants take: 2, 3, 191-193, 230-247, 252-254, 256-274.
bool IsBikeConstant(std::size_t b) {
  return b == 2 || b == 3 || (b >= 191 && b <= 193) || (b >= 230 && b <= 247) || (b >= 252 && b <= 254) ||
         (b >= 256 && b <= 274);
}

struct Form : testsupport::WindowUnderTest {
  QComboBox* bikes;
  QMessageBox::StandardButton answer = QMessageBox::Yes;
  QStringList questions;

  Form() {
    window->SetConfirmation([this](const QString& text) {
      questions << text;
      return answer;
    });
    bikes = window->findChild<QComboBox*>("ComboBoxBike");
    Show();
  }
  // The whole-image defaults of `type`, as the start of a test.
  void StartWith(int type) {
    Core().image[0] = std::uint8_t(type);
    ApplyBikeDefaults(Core().image, Core().params, kWholeImage);
    Core().NormaliseAndLoad();
    window->WriteAllPages();
    Core().ResetHistory();
    window->WriteAllPages();
  }
  void Pick(int index) {
    bikes->setCurrentIndex(index);
    emit bikes->activated(index);
  }
};

}  // namespace

class BikeChangeTest : public QObject {
  Q_OBJECT

  testsupport::RuntimeDir m_runtimeDir;

 private slots:
  void initTestCase() { QVERIFY(m_runtimeDir.IsValid()); }

  void listHoldsEveryBikeThenTheSeparator() {
    Form f;
    QCOMPARE(f.bikes->count(), 65);
    QCOMPARE(f.bikes->itemText(0), QString("Aprilia RSV MILLE                98-"));
    QCOMPARE(f.bikes->itemText(64), QString("-------------"));
    // A fresh start is type 11 with its defaults.
    QCOMPARE(f.bikes->currentIndex(), kGsxr600Index);
    QCOMPARE(int(f.Core().image[29]), 140);
  }

  // No and Cancel keep the picked type and its constants, nothing else;
  // Yes applies the type's defaults to the whole image. Undo goes back.
  void pickingABikeAsksForTheDefaults() {
    const struct {
      QMessageBox::StandardButton answer;
      bool defaults;
    } cases[] = {{QMessageBox::No, false}, {QMessageBox::Cancel, false}, {QMessageBox::Yes, true}};
    for (const auto& c : cases) {
      Form f;
      f.StartWith(1);
      const ConfigImage before = f.Core().image;
      f.answer = c.answer;
      f.Pick(kGsxr600Index);
      QCOMPARE(f.questions, QStringList{"Do you want default setting?"});
      const ConfigImage& after = f.Core().image;
      QCOMPARE(int(after[0]), 11);
      QCOMPARE(int(after[2]), 12);
      QCOMPARE(int(after[3]), 85);
      QCOMPARE(int(after[252]), 140);
      QCOMPARE(int(after[256]), 4);
      for (int i = 0; i < 4; ++i) QCOMPARE(int(after[257 + std::size_t(i)]), i);
      if (c.defaults) {
        ConfigImage expected = before;
        expected[0] = 11;
        CParamSet scratch;
        ApplyBikeDefaults(expected, scratch, kWholeImage);
        NormaliseImage(expected);
        QVERIFY(after == expected);
      } else {
        for (std::size_t b = 1; b < after.size(); ++b)
          if (!IsBikeConstant(b) && after[b] != before[b])
            QFAIL(qPrintable(QString("byte %1 changed from %2 to %3").arg(b).arg(before[b]).arg(after[b])));
      }
      auto* undo = f.window->findChild<QToolButton*>("SpeedButtonZpet");
      QVERIFY(undo->isEnabled());
      undo->click();  // one step, whatever the answer
      QVERIFY(f.Core().image == before);
      QVERIFY(!undo->isEnabled());
      QCOMPARE(f.bikes->currentIndex(), kDucati996Index);
    }
  }

  // The pages and sheets hold a default configuration exactly: a commit
  // right after New changes no byte, so it is no step of its own.
  void defaultsSurviveTheirFirstCommit() {
    Form f;
    for (int type = 0; type < 64; ++type) {
      f.Core().image[0] = std::uint8_t(type);
      QVERIFY(f.Core().NewConfiguration(false));
      const ConfigImage afterNew = f.Core().image;
      const int steps = f.Core().history.Current();
      f.Core().CommitRequest(190000, 0);
      for (std::size_t b = 0; b < afterNew.size(); ++b)
        if (afterNew[b] != f.Core().image[b])
          QFAIL(qPrintable(
              QString("type %1 byte %2: %3 -> %4").arg(type).arg(b).arg(afterNew[b]).arg(f.Core().image[b])));
      QCOMPARE(f.Core().history.Current(), steps);
    }
  }

  void theSeparatorKeepsTheTypeAndAsksNothing() {
    Form f;
    f.StartWith(1);
    const ConfigImage before = f.Core().image;
    f.Pick(64);
    QVERIFY(f.questions.isEmpty());
    QVERIFY(f.Core().image == before);
    // The page shows the bike again once it is written.
    QCOMPARE(f.bikes->currentIndex(), kDucati996Index);
  }

  // A type from a file that names no bike: the separator, one message,
  // the type kept; New refuses.
  void aTypeThatNamesNoBikeIsSaidOnce() {
    Form f;
    f.Core().image[0] = 200;
    f.Core().NormaliseAndLoad();
    f.window->WriteAllPages();
    f.window->WriteAllPages();
    QCOMPARE(f.bikes->currentIndex(), 64);
    const QList<QMessageBox*> boxes = f.window->findChildren<QMessageBox*>();
    QCOMPARE(boxes.size(), 1);
    QVERIFY(boxes[0]->text().startsWith("This version of program"));
    QCOMPARE(int(f.Core().image[0]), 200);
    f.window->MenuNewClick();
    QVERIFY(f.questions.isEmpty());
  }

  // New for actual page on the position page changes that page's bytes and
  // the prelude's, nothing else; with coupled injection on "Inj. 1" it refuses.
  void newForActualPage() {
    Form f;
    f.StartWith(11);
    const ConfigImage defaults = f.Core().image;
    for (std::size_t b = 420; b < 435; ++b) f.Core().image[b] = 50;
    f.Core().image[35] = 77;  // a bike page setting, not the position page's
    f.Core().NormaliseAndLoad();
    f.window->WriteAllPages();
    const ConfigImage before = f.Core().image;
    f.pages->setCurrentIndex(kPagePosition);
    f.window->MenuNewActPageClick();
    QCOMPARE(f.questions, QStringList{"Do you want default setting for this page?"});
    QVERIFY(f.Core().actualPage);
    for (std::size_t b = 0; b < before.size(); ++b) {
      const bool page = (b >= 405 && b <= 464) || b == 56 || b == 57;
      const bool prelude = b <= 1 || b == 4 || b == 5 || IsBikeConstant(b);
      const std::uint8_t want = page ? defaults[b] : before[b];
      if (!prelude && f.Core().image[b] != want)
        QFAIL(qPrintable(QString("byte %1 is %2, not %3").arg(b).arg(f.Core().image[b]).arg(want)));
    }

    f.questions.clear();
    f.Core().image[47] = 1;
    f.Core().NormaliseAndLoad();
    f.window->WriteAllPages();
    f.pages->setCurrentIndex(kPageInjection);
    f.window->MenuNewActPageClick();
    QVERIFY(f.questions.isEmpty());
  }

  // The tool bar's and the menu's Undo and Redo are enabled only with a
  // step to go to; Ctrl+Z and Ctrl+Y reach them from anywhere in the window.
  void undoAndRedoKeysAndButtons() {
    Form f;
    f.StartWith(11);
    auto* undo = f.window->findChild<QToolButton*>("SpeedButtonZpet");
    auto* redo = f.window->findChild<QToolButton*>("SpeedButtonZnovu");
    auto* menuUndo = f.window->findChild<QAction*>("MenuZpet");
    QVERIFY(!undo->isEnabled() && !redo->isEnabled() && !menuUndo->isEnabled());
    f.answer = QMessageBox::No;
    f.Pick(kDucati996Index);
    QVERIFY(undo->isEnabled() && menuUndo->isEnabled() && !redo->isEnabled());
    QTest::keyClick(f.bikes, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(int(f.Core().image[0]), 11);
    QCOMPARE(f.bikes->currentIndex(), kGsxr600Index);
    QVERIFY(!undo->isEnabled() && redo->isEnabled());
    QTest::keyClick(f.bikes, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(int(f.Core().image[0]), 1);
    QVERIFY(undo->isEnabled() && !redo->isEnabled());
  }

  // A coupling command while a Read fills the image is refused: the image,
  // the maps and the menu's mark stay as the unit's Read will leave them.
  void couplingCommandWaitsForTheRead() {
    Form f;
    f.StartWith(11);
    const ConfigImage before = f.Core().image;
    const int mode = f.Core().params.Value(FieldId::kInjectionCoupling);
    f.Core().mode = LinkMode::Reading;
    f.window->Menu_Jet123NormalClick();
    f.window->Menu_Jet123StejnyClick();
    QVERIFY(f.Core().image == before);
    QCOMPARE(f.Core().params.Value(FieldId::kInjectionCoupling), mode);
    QVERIFY(f.window->findChild<QAction*>(mode == 1 ? "Menu_Jet123Coupled" : "Menu_Jet123Stejny")->isChecked());
    f.Core().mode = LinkMode::Idle;
  }

  void screenshotOfTheOpenList() {
    const QByteArray dir = qgetenv("VENTRIX_SCREENSHOT_DIR");
    if (dir.isEmpty()) QSKIP("VENTRIX_SCREENSHOT_DIR not set");
    Form f;
    f.pages->setCurrentIndex(kPageBike);
    f.bikes->showPopup();
    QTest::qWait(200);
    QWidget* popup = f.bikes->view()->window();
    QVERIFY(f.window->grab().save(QString(dir) + "/bike_page.png"));
    QVERIFY(popup->grab().save(QString(dir) + "/bike_list.png"));
    f.bikes->hidePopup();
  }
};

QTEST_MAIN(BikeChangeTest)
#include "bike_change_test.moc"
