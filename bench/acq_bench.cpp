// One polling tick of an MCA acquisition: 32 blocks and the status block from the simulated
// analyser (no link delay), the rates and times, and the repaint of the plot.

#include <benchmark/benchmark.h>

#include <memory>

#include "acq/Acquisition.h"
#include "display/StartUp.h"
#include "link/SimAnalyser.h"

namespace tavlex {
namespace {

void BM_McaTick(benchmark::State& state) {
  ManualClock clock;
  SimConfig config;
  config.clock = &clock;
  SimDriver driver(config);
  auto s = std::make_unique<AppState>();
  HeadlessWindow window;
  ConstructAndDrawStartUp(*s, window);
  LinkContext c{*s, window, driver, clock};
  if (OpenDevice(c, 0) != 1) state.SkipWithError("no simulated device");
  s->mcaSetup.presetTime = 1 << 30;  // never ends
  McaStart(c);
  for (auto _ : state) {
    clock.AdvanceMs(100);  // 1500 new events at 15 kcps, counted by the analyser
    McaTick(c);
  }
  if (!s->acquiring) state.SkipWithError("acquisition ended");
}
BENCHMARK(BM_McaTick)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tavlex
