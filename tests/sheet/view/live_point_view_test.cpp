// The live operating point through the real window: a live frame on the
// port moves the advance map's live cell, a lost connection removes it.

#include <QtTest>

#include "image/MapCatalogue.h"
#include "image/view/MapSheets.h"
#include "sheet/view/TTab.h"
#include "shell/view/TFormHlav.h"
#include "support/FakePort.h"
#include "support/LiveFrames.h"
#include "support/RuntimeDir.h"
#include "support/SimProcess.h"
#include "support/AdvanceSheet.h"
#include "link/PosixSerialPort.h"

namespace {

using testsupport::PutWord;

struct Form {
  std::unique_ptr<TFormHlav> window;
  FakePort* port = nullptr;
};

Form MakeForm() {
  auto port = std::make_unique<FakePort>();
  FakePort* raw = port.get();
  auto form = std::make_unique<TFormHlav>(std::move(port));
  form->Timer1().stop();  // the test ticks itself
  return {std::move(form), raw};
}

// One frame through the port, then enough ticks for the sheets to take it
// and to reach a tick that re-evaluates the live cell.
void Receive(Form& form, Frame f) {
  SealFrame(f);
  form.port->Queue(f);
  for (int i = 0; i < 5; ++i) form.window->Core().Tick();
}

// Engine speed in rpm, throttle in tenths of a percent.
Frame Running(int rpm, int throttle) {
  Frame f = testsupport::QuietFrame();
  PutWord(f, 48, rpm);
  PutWord(f, 138, throttle);
  return f;
}

}  // namespace

class LivePointViewTest : public QObject {
  Q_OBJECT

  testsupport::RuntimeDir m_runtimeDir;

 private slots:
  void initTestCase() { QVERIFY(m_runtimeDir.IsValid()); }

  void liveFrameMovesTheAdvanceCell() {
    Form form = MakeForm();
    CTabModel& advance = form.window->MapSheets().Control(SheetControlId::kAdvance)->Model();
    CSheet& s = advance.Sheet(0);
    const int rpm[] = {10, 15, 20, 25, 30, 35, 40, 50, 60, 70, 80, 90, 100, 110, 120};
    for (int x = 0; x < 15; ++x) s.xAxis.values[static_cast<std::size_t>(x)] = rpm[x];

    // 3050 rpm is 31 against the midpoint 32 of 30 and 35; 20.5 % rounds to 21, below 25.
    Receive(form, Running(3050, 205));
    QCOMPARE(s.liveX, 4);
    QCOMPARE(s.liveY, 4);
    QCOMPARE(s.liveKind, 1);
    Receive(form, Running(3550, 205));
    QCOMPARE(s.liveX, 5);

    // A failed throttle sensor leaves the throttle map without a point.
    Frame broken = Running(3550, 205);
    broken[4] = 0x01;
    Receive(form, broken);
    QCOMPARE(s.liveKind, 0);

    // Silence: once "No connection" shows, every mark goes.
    Receive(form, Running(3550, 205));
    QCOMPARE(s.liveKind, 1);
    for (int i = 0; i < 40 && !form.window->Core().NoConnectionShown(); ++i) form.window->Core().Tick();
    QVERIFY(form.window->Core().NoConnectionShown());
    for (int i = 0; i < 4; ++i) form.window->Core().Tick();
    QCOMPARE(s.liveKind, 0);
    QCOMPARE(s.liveX, -2);
    QCOMPARE(s.liveY, -2);
  }

  // In gas-handle mode the intake servo map runs over the rider's grip.
  void intakeServoTakesTheGasHandle() {
    Form form = MakeForm();
    CTabModel& servo = form.window->MapSheets().Control(SheetControlId::kServo)->Model();
    CTabModel& advance = form.window->MapSheets().Control(SheetControlId::kAdvance)->Model();
    Frame f = Running(3050, 205);
    f[5] = 0x01;
    PutWord(f, 144, 600);
    servo.SelectSheet(kIntakeServoSheet);
    Receive(form, f);
    QCOMPARE(servo.LiveInputs().throttle, 60.0);
    QCOMPARE(advance.LiveInputs().throttle, 20.5);
    servo.SelectSheet(kExhaustServoSheet);
    Receive(form, f);
    QCOMPARE(servo.LiveInputs().throttle, 20.5);
  }

  // Autoscroll follows the live cell by the smallest scroll that shows it.
  void autoscrollScrollsTheLeast() {
    TTab tab(kOptionButtonBar | kOptionTable | kOptionGraph2D | kOptionGraph3D);
    tab.resize(1338, 934);
    DefineAdvanceSheet(tab.Model(), 20);
    int autoscroll = 1;
    tab.Model().SetSharedAutoscroll(&autoscroll);
    tab.RepaintBitmap();
    const CSheet& s = *tab.Model().Active();
    QCOMPARE(tab.Geometry().visibleColumns, 15);
    SheetLiveInputs in;
    in.status = 0;
    in.throttle = 50;
    in.throttleShare = 100;
    auto runAt = [&](int rpm) {
      in.engineSpeed = rpm;
      tab.Model().LiveInputs() = in;
      for (int i = 0; i < 4; ++i) tab.SheetTick();
    };
    runAt(14500);  // the last of 20 points: columns 5 to 19 show
    QCOMPARE(s.liveX, 19);
    QCOMPARE(s.xAxis.firstVisible, 5);
    runAt(4000);  // point 6: already in view, nothing moves
    QCOMPARE(s.liveX, 6);
    QCOMPARE(s.xAxis.firstVisible, 5);
    runAt(2500);  // point 3: just enough to bring it in
    QCOMPARE(s.liveX, 3);
    QCOMPARE(s.xAxis.firstVisible, 3);
  }

  // The real serial code against the simulated unit held at one operating
  // point: the advance map rings the cell nearest to it; once the unit is
  // gone and "No connection" shows, every mark goes.
  void simulatedUnitRingsItsCell() {
    testsupport::SimProcess sim(VENTRIX_UNITSIM_EXE, {"--steady", "3050,205"});
    QVERIFY(sim.Ok());
    qputenv("VENTRIX_COM2", QByteArray::fromStdString(sim.Device()));
    TFormHlav form(std::make_unique<CPosixSerialPort>());
    qunsetenv("VENTRIX_COM2");
    QVERIFY(form.Core().Port().IsOpen());
    QTRY_COMPARE_WITH_TIMEOUT(int(form.Core().live.rpm), 3050, 5000);

    CTabModel& advance = form.MapSheets().Control(SheetControlId::kAdvance)->Model();
    advance.SelectSheet(0);
    const CSheet& s = advance.Sheet(0);
    QTRY_COMPARE_WITH_TIMEOUT(s.liveKind, 1, 3000);
    auto nearest = [](const CAxe& axis, double value) {
      int best = 0;
      for (int k = 1; k < axis.count; ++k)
        if (std::abs(axis.values[std::size_t(k)] * axis.scale - value) <
            std::abs(axis.values[std::size_t(best)] * axis.scale - value))
          best = k;
      return best;
    };
    QCOMPARE(s.liveX, nearest(s.xAxis, 3050));
    QCOMPARE(s.liveY, nearest(s.yAxis, 20.5));

    sim.Stop();
    QTRY_VERIFY_WITH_TIMEOUT(form.Core().NoConnectionShown(), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(s.liveKind, 0, 1000);
    for (std::size_t c = 0; c < kSheetControlCount; ++c) {
      const CTabModel& m = form.MapSheets().Control(static_cast<SheetControlId>(c))->Model();
      for (int i = 0; i < m.SheetCount(); ++i) {
        QCOMPARE(m.Sheet(i).liveX, -2);
        QCOMPARE(m.Sheet(i).liveY, -2);
      }
    }
  }
};

QTEST_MAIN(LivePointViewTest)
#include "live_point_view_test.moc"
