// "Programming after change" from the real main window, through the real
// serial code on a pseudo-terminal, against the simulated unit: every command
// of the window that changes the image (a bike change answered Yes or No,
// New, New for actual page, the injection coupling commands, the lambda
// sensor type, the clutch mode, Undo) is recorded in the history and sent in
// one programming run, and afterwards the unit holds exactly the program's
// image.

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QMessageBox>
#include <QRadioButton>
#include <QTabWidget>
#include <QtTest>
#include <functional>
#include <memory>
#include <vector>

#include "image/Pages.h"
#include "link/PosixSerialPort.h"
#include "shell/view/TFormHlav.h"
#include "support/PtyUnit.h"
#include "support/RuntimeDir.h"

namespace {

// Restated on purpose: a block frame's command is the block to write (1..19),
// or 0x40 + block to read.
constexpr int kReadBit = 0x40;
constexpr int kAdvanceCell = 600;  // the advance map's first value, block 5
constexpr int kDwell = 4;          // bike page, block 1

struct WindowOnUnit {
  testsupport::PtyUnit unit;
  std::unique_ptr<TFormHlav> window;
  QMessageBox::StandardButton answer = QMessageBox::Yes;

  WindowOnUnit() {
    qputenv("VENTRIX_COM2", QByteArray::fromStdString(unit.pty.SlavePath()));
    window = std::make_unique<TFormHlav>(std::make_unique<CPosixSerialPort>());
    window->Timer1().stop();  // the test ticks and moves the line itself
    window->SetConfirmation([this](const QString&) { return answer; });
    window->show();
  }
  ~WindowOnUnit() { qunsetenv("VENTRIX_COM2"); }
  CAppCore& Core() { return window->Core(); }

  // Ticks until no run is going; false when it did not end.
  bool RunToIdle(int limit = 600) {
    for (int i = 0; i < limit; ++i) {
      window->Timer1Timer();
      unit.Pump();
      if (Core().mode == LinkMode::Idle && i > 2) return true;
    }
    return false;
  }
  // The blocks written since the last call, in order.
  std::vector<int> TakeWrites() {
    std::vector<int> writes;
    for (int c : unit.Commands())
      if (c < kReadBit) writes.push_back(c);
    unit.sent.clear();
    return writes;
  }
  // An edit the page would make: it reaches the unit like any other.
  void Edit(std::size_t offset, int delta) {
    Core().image[offset] = static_cast<std::uint8_t>(Core().image[offset] + delta);
    Core().ReloadWindow();
    Core().RecordAndProgram();
  }
  void PickBike(int index) {
    auto* bikes = window->findChild<QComboBox*>("ComboBoxBike");
    bikes->setCurrentIndex(index);
    emit bikes->activated(index);  // the user's pick, as the list reports it
  }
  int BikeIndex() { return window->findChild<QComboBox*>("ComboBoxBike")->currentIndex(); }
  void ShowPage(int page) { window->findChild<QTabWidget*>("PageControl1")->setCurrentIndex(page); }
  void ClickOtherItem(const char* radioGroup) {
    QWidget* group = window->findChild<QWidget*>(radioGroup);
    for (QRadioButton* item : group->findChildren<QRadioButton*>())
      if (!item->isChecked()) {
        item->click();
        return;
      }
  }
};

}  // namespace

class ProgramAfterChangeWindowTest : public QObject {
  Q_OBJECT

  testsupport::RuntimeDir m_runtimeDir;

 private slots:
  void initTestCase() { QVERIFY(m_runtimeDir.IsValid()); }

  void everyChangeOfTheWindowReachesTheUnitOnce() {
    WindowOnUnit w;
    QVERIFY(w.Core().Port().IsOpen());
    w.window->MenuReadClick();
    QVERIFY(w.RunToIdle());
    QVERIFY(w.unit.sim.Image() == w.Core().image);
    w.window->findChild<QCheckBox*>("CheckBoxProgHned")->click();
    QVERIFY(w.Core().programAfterChange);
    QVERIFY(w.RunToIdle());
    w.TakeWrites();

    const int firstBike = w.BikeIndex();
    struct Path {
      const char* name;
      std::function<void()> prepare;  // makes sure the path has something to change
      std::function<void()> run;
    };
    const std::vector<Path> paths = {
        {"bike change, Yes", [] {},
         [&] {
           w.answer = QMessageBox::Yes;
           w.PickBike((firstBike + 5) % 64);
         }},
        {"bike change, No", [&] { w.Edit(kAdvanceCell, 1); },
         [&] {
           w.answer = QMessageBox::No;
           w.PickBike((firstBike + 9) % 64);
         }},
        {"New", [&] { w.Edit(kDwell, 1); },
         [&] {
           w.answer = QMessageBox::Yes;
           w.window->findChild<QAction*>("MenuNew")->trigger();
         }},
        {"New for actual page", [&] { w.Edit(kAdvanceCell, 2); },
         [&] {
           w.ShowPage(kPageAdvance);
           w.answer = QMessageBox::Yes;
           w.window->findChild<QAction*>("MenuNewActPage")->trigger();
         }},
        // The defaults couple the maps: first apart, then coupled again.
        {"injection maps apart", [] {},
         [&] {
           w.ShowPage(kPageInjection);
           w.window->findChild<QAction*>("Menu_Jet123Normal")->trigger();
         }},
        {"injection maps coupled", [] {}, [&] { w.window->findChild<QAction*>("Menu_Jet123Coupled")->trigger(); }},
        {"lambda sensor type", [] {},
         [&] {
           w.ShowPage(kPageSensors);
           w.ClickOtherItem("RadioGroupCidloLambdaMode");
         }},
        {"clutch mode", [] {},
         [&] {
           w.ShowPage(kPageRace);
           w.ClickOtherItem("RadioGroupClutchMode");
         }},
        {"Undo", [] {}, [&] { w.window->SpeedButtonZpetClick(); }},
    };
    for (const Path& p : paths) {
      p.prepare();
      QVERIFY2(w.RunToIdle(), p.name);
      QVERIFY2(w.unit.sim.Image() == w.Core().image, p.name);
      w.TakeWrites();
      const ConfigImage before = w.Core().image;
      const int step = w.Core().history.Current();

      p.run();
      QVERIFY2(w.Core().image != before, p.name);  // else the row shows nothing
      QVERIFY2(w.Core().mode == LinkMode::Programming, p.name);
      QVERIFY2(w.RunToIdle(), p.name);
      QVERIFY2(w.unit.sim.Image() == w.Core().image, p.name);
      // One run: every block written once, in ascending order.
      const std::vector<int> writes = w.TakeWrites();
      QVERIFY2(!writes.empty() && std::is_sorted(writes.begin(), writes.end()) &&
                   std::adjacent_find(writes.begin(), writes.end()) == writes.end(),
               p.name);
      // The lambda sensor's characteristic is a step after its type, so that
      // Undo brings a calibration back first; both go out in the one run.
      const int steps = QString(p.name) == "Undo" ? -1 : QString(p.name) == "lambda sensor type" ? 2 : 1;
      const int expectedStep = (step + steps + 200) % 200;
      QVERIFY2(w.Core().history.Current() == expectedStep, p.name);
      QVERIFY2(w.window->findChildren<QMessageBox*>().isEmpty(), p.name);
    }

    // The check at the end finds nothing to complain about.
    w.window->MenuVerifyClick();
    QVERIFY(w.RunToIdle());
    QVERIFY2(w.Core().imageMatchesUnit != 0, "Verify: the unit holds the program's image");
  }
};

QTEST_MAIN(ProgramAfterChangeWindowTest)
#include "program_after_change_window_test.moc"
