#include <benchmark/benchmark.h>

#include <memory>

#include "monitor/MonitorComponents.h"
#include "link/ParameterCatalogue.h"
#include "base/Lang.h"

namespace {

class FixedWidthFont : public IMonTextMeasure {
 public:
  MonTextSize Measure(std::string_view text, int size) const override {
    return {int(Utf8Length(text)) * size, 2 * size};
  }
};

// The elements' share of a full repaint of a dense dashboard at 1280 x 1024:
// eight dials, eight bars, sixteen labels and values, two texts. The view's
// QPainter replay comes on top; the whole repaint is to stay under 10 ms.
void BM_DashboardDrawList(benchmark::State& state) {
  CParameterCatalogue catalogue;
  FixedWidthFont font;
  CMonCanvas canvas(font);
  CMyGroup place;
  place.Width = 640;
  place.Height = 512;
  place.SetCanvas(&canvas);
  const int ids[] = {1010, 1020, 1030, 1110, 1120, 1130, 1150, 1160};
  for (int i = 0; i < 8; ++i) {
    const int x = (i % 4) * 160, y = (i / 4) * 256;
    auto dial = std::make_unique<CMyIndicator>();
    dial->Style = kRoundDial;
    dial->Left = x;
    dial->Top = y;
    dial->Width = dial->Height = 150;
    auto bar = std::make_unique<CMyIndicator>();
    bar->Left = x;
    bar->Top = y + 160;
    bar->Width = 150;
    bar->Height = 20;
    auto label = std::make_unique<CMyLabel>();
    label->Left = x;
    label->Top = y + 190;
    label->Height = 16;
    auto value = std::make_unique<CMyValue>();
    value->Left = x;
    value->Top = y + 210;
    value->Height = 30;
    CMyObj* const elements[] = {place.Insert(std::move(dial)), place.Insert(std::move(bar)),
                                place.Insert(std::move(label)), place.Insert(std::move(value))};
    for (CMyObj* e : elements) {
      e->SetParameter(catalogue, ids[i]);
      e->FitWidth();
    }
  }
  for (int i = 0; i < 2; ++i) {
    auto text = std::make_unique<CMyText>();
    text->SetStr("Ventrix dyno");
    text->Left = 10 + 300 * i;
    text->Top = 490;
    text->Height = 20;
    place.Insert(std::move(text))->FitWidth();
  }
  place.SetScale(2.0f);
  for (auto _ : state) {
    place.Invalidate(kDirtyAll);
    place.Refresh();
    benchmark::DoNotOptimize(canvas.Take());
  }
}
BENCHMARK(BM_DashboardDrawList)->Unit(benchmark::kMicrosecond);

}  // namespace
