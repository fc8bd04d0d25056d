// The time chart's repaint of a four-hour log, the whole log in view: six
// lanes decimated afresh each time (the view moves, as while zooming or
// panning), at the idle frame rate and at the full rate.

#include <benchmark/benchmark.h>

#include <QImage>
#include <cmath>

#include "link/view/ChartCanvas.h"
#include "link/view/ChartWindow.h"

namespace {

constexpr double kFourHours = 4 * 3600;

// A ride-like signal: slow swings with fast jitter, so every pixel column
// holds a real spread and the strokes are not all one pixel.
ChartWindow::ChannelLoader Loader(int frames) {
  return [frames](const LiveChannel& c) {
    std::vector<ChartSample> out(static_cast<std::size_t>(frames));
    const double seed = double(c.key[0]);
    for (int i = 0; i < frames; ++i) {
      const double t = kFourHours * i / frames;
      out[std::size_t(i)] = {t, 5000 + 4000 * std::sin(t / 97 + seed) + 300 * std::sin(i * 1.7)};
    }
    return out;
  };
}

void BM_ChartRepaintFourHours(benchmark::State& state) {
  const int frames = int(state.range(0));
  ChartWindow window;
  window.SetChannelLoader(Loader(frames), kFourHours);
  window.resize(1600, 900);
  window.SetCursorTime(kFourHours / 3);
  ChartCanvas& canvas = window.Canvas();
  canvas.resize(1380, 880);
  QImage image(canvas.size(), QImage::Format_ARGB32_Premultiplied);
  int i = 0;
  for (auto _ : state) {
    canvas.View().SetRange(0, kFourHours - (++i % 2) * 1e-3);
    canvas.render(&image);
    benchmark::DoNotOptimize(image.constBits());
  }
  state.counters["frames"] = frames;
  state.counters["lanes"] = double(canvas.CursorReadouts().size());
}
// The painting alone (1000 frames), the idle rate (about 3 frames a second)
// and the full rate (about 21).
BENCHMARK(BM_ChartRepaintFourHours)->Arg(1000)->Arg(44000)->Arg(300000)->Unit(benchmark::kMillisecond);

}  // namespace
