// The main window's costs per main tick with every page built: the gear
// page active (the most live highlights) and live data arriving as the idle
// link brings it, and one commit of a page edit.

#include <benchmark/benchmark.h>

#include <QTabWidget>
#include <QTimer>

#include "TickTimes.h"
#include "image/Pages.h"
#include "shell/view/TFormHlav.h"
#include "support/FakePort.h"
#include "support/LiveFrames.h"

namespace {

struct Window {
  FakePort* port;
  std::unique_ptr<TFormHlav> form;
  Window() {
    auto p = std::make_unique<FakePort>();
    // Whichever port the settings name answers: the bench runs without the tests' settings.
    for (int com = 1; com <= kPortCount; ++com) p->existing.insert(com);
    port = p.get();
    form = std::make_unique<TFormHlav>(std::move(p));
    form->Timer1().stop();
    form->Core().image[136] = 0;  // gear by voltage: the voltage row follows the live gear
    form->Core().image[137] = 6;
    form->Core().NormaliseAndLoad();
    form->WriteAllPages();
    form->findChild<QTabWidget*>("PageControl1")->setCurrentIndex(kPageGear);
  }
};

Frame LiveFrame(int tick) {
  Frame f = testsupport::QuietFrame();
  testsupport::PutWord(f, 48, 3000 + (tick % 50) * 100);  // rpm
  f[27] = std::uint8_t(1 + (tick / 6) % 6);               // the live gear changes
  SealFrame(f);
  return f;
}

void BM_MainTickGearPageLive(benchmark::State& state) {
  Window w;
  int tick = 0;
  for (auto _ : state) {
    // The unit answers a status frame every sixth tick.
    if (tick % 6 == 0) w.port->Queue(LiveFrame(tick));
    w.form->Core().Tick();
    ++tick;
  }
  if (w.form->Core().live.rpm == 0) state.SkipWithError("no live frame was decoded");
}
BENCHMARK(BM_MainTickGearPageLive)->Unit(benchmark::kMicrosecond);

// The advance page with the engine wandering over its map: every tick each
// of the 15 map controls takes the live inputs, every other tick re-evaluates
// its live cell, and a control whose cell moved repaints.
void BM_MainTickLivePoint(benchmark::State& state) {
  Window w;
  w.form->findChild<QTabWidget*>("PageControl1")->setCurrentIndex(kPageAdvance);
  TickTimes times;
  int tick = 0;
  for (auto _ : state) {
    if (tick % 6 == 0) {
      Frame f = testsupport::QuietFrame();
      testsupport::PutWord(f, 48, 1000 + (tick * 37) % 11000);  // rpm
      testsupport::PutWord(f, 138, (tick * 13) % 1000);         // throttle, tenths of a percent
      testsupport::PutWord(f, 136, 20 + (tick * 7) % 80);       // intake pressure
      f[23] = std::uint8_t(90 + (tick / 6) % 100);              // coolant
      f[26] = std::uint8_t((tick / 6) % 101);                   // injection by throttle
      SealFrame(f);
      w.port->Queue(f);
    }
    times.Time([&] { w.form->Core().Tick(); });
    ++tick;
  }
  times.Report(state);
  if (w.form->Core().NoConnectionShown()) state.SkipWithError("the live frames did not arrive");
}
BENCHMARK(BM_MainTickLivePoint)->Unit(benchmark::kMicrosecond);

void BM_CommitSequence(benchmark::State& state) {
  Window w;
  for (auto _ : state) w.form->Core().CommitRequest(1, 0);
}
BENCHMARK(BM_CommitSequence)->Unit(benchmark::kMicrosecond);

}  // namespace

namespace {

// Undo of a page edit in the window: the restore, the sheets' load and the
// write of every page.
void BM_UndoInWindow(benchmark::State& state) {
  Window w;
  CAppCore& core = w.form->Core();
  core.ResetHistory();
  for (auto _ : state) {
    state.PauseTiming();
    core.image[35] = std::uint8_t(core.image[35] == 100 ? 101 : 100);
    core.NormaliseAndLoad();
    core.RecordHistory();
    state.ResumeTiming();
    w.form->MenuZpetClick();
  }
  if (core.history.CanUndo()) state.SkipWithError("the undo did not go back");
}
BENCHMARK(BM_UndoInWindow)->Unit(benchmark::kMillisecond);

}  // namespace
