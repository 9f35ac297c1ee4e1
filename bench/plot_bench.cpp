// The repaint of a 4096-channel spectrum with four regions on, in both layouts.

#include <benchmark/benchmark.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>

#include "app/AppState.h"
#include "app/MainWindowPort.h"
#include "display/Plot.h"

// Counted, so heap allocations can be told per call.
#include "tests/CountingNew.h"

namespace tavlex {
namespace {

// A plausible XRF-like spectrum: a falling continuum with a few Gaussian lines.
void FillSpectrum(AppState& s) {
  const double lines[][3] = {{640, 90000, 9}, {705, 14000, 9}, {540, 30000, 8}, {750, 8000, 10}};
  for (int c = 0; c < kMaxChannels; ++c) {
    double v = 400.0 * std::exp(-c / 900.0);
    for (const auto& l : lines) v += l[1] * std::exp(-0.5 * std::pow((c - l[0]) / l[2], 2));
    s.spectrumCounts[c] = static_cast<std::int32_t>(v);
  }
  const int rois[4][2] = {{520, 560}, {620, 660}, {690, 720}, {735, 770}};
  for (int i = 0; i < 4; ++i) {
    RoiRecord& r = s.roiTable[i];
    r.shown = r.defined = 1;
    r.low = rois[i][0];
    r.high = rois[i][1];
    r.colour = static_cast<std::int32_t>(0xFF0000u >> (4 * i));
    std::memcpy(r.label, "Fe-Ka", 6);
  }
}

void Repaint(benchmark::State& state, bool large) {
  auto s = std::make_unique<AppState>();
  HeadlessWindow window;
  ConstructState(*s, window);
  ShowLogScale(*s, window);
  if (large) ApplyPlotLayout(*s, window, true);
  FillSpectrum(*s);
  PaintBox1Paint(*s, window);  // warms the glyph cache
  const long before = counting::Allocations();
  for (auto _ : state) {
    PaintBox1Paint(*s, window);
    benchmark::DoNotOptimize(s->paintBox.constBits());
  }
  state.counters["allocs/repaint"] = benchmark::Counter(
      static_cast<double>(counting::Allocations() - before) / static_cast<double>(state.iterations()));
}

void BM_PaintBox1Paint_Normal(benchmark::State& state) {
  Repaint(state, false);
}
void BM_PaintBox1Paint_Large(benchmark::State& state) {
  Repaint(state, true);
}
BENCHMARK(BM_PaintBox1Paint_Normal)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PaintBox1Paint_Large)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tavlex
