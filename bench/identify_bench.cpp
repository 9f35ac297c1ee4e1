// Identification of a 4096-channel steel spectrum: the peak search at the detector's resolution
// with its area fit, and the explanation of the peaks by the X-ray data (no allocation).

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "analysis/Identify.h"

namespace tavlex {
namespace {

std::vector<std::int32_t> Steel() {
  std::vector<double> mean(4096, 40.0);
  auto add = [&](int z, double area) {
    const XrayElement& el = *XrayElementByZ(z);
    for (int i = 0; i < el.lineCount; ++i) {
      if (el.lines[i].family != XrayFamily::K) continue;
      const double sigma = SiliconDetectorFwhm(el.lines[i].energyKeV, 0.085) / 2.3548 / 0.01;
      for (int c = 0; c < 4096; ++c) {
        const double x = (c - el.lines[i].energyKeV / 0.01) / sigma;
        if (std::fabs(x) < 8) mean[c] += area * el.lines[i].relative * std::exp(-0.5 * x * x) / (sigma * 2.5066);
      }
    }
  };
  add(26, 1e6), add(24, 4e5), add(28, 1.2e5), add(25, 3.5e4), add(42, 8e4);
  std::vector<std::int32_t> counts(4096);
  for (int c = 0; c < 4096; ++c) counts[c] = static_cast<std::int32_t>(mean[c]);
  return counts;
}

void BM_Identify_4096(benchmark::State& state) {
  const std::vector<std::int32_t> counts = Steel();
  auto id = std::make_unique<Identification>();
  IdentifySetup setup;
  setup.slope = 0.01;
  setup.anodeZ = 45;
  XrayDataReady();
  for (auto _ : state) {
    Identify(counts.data(), 4096, setup, *id);
    benchmark::DoNotOptimize(id->elementCount);
  }
  state.counters["elements"] = id->elementCount;
  state.counters["peaks"] = id->peakCount;
}
BENCHMARK(BM_Identify_4096)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tavlex
