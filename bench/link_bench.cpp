// The link's hot path: one polling tick's worth of reads of a 4096-channel spectrum (32 blocks
// and the status block) against the simulated analyser with no link delay, and the cost of the
// simulated counting itself.

#include <benchmark/benchmark.h>

#include <memory>

#include "app/AppState.h"
#include "app/Clock.h"
#include "app/MainWindowPort.h"
#include "link/Protocol.h"
#include "link/SimAnalyser.h"

namespace tavlex {
namespace {

void BM_FullSpectrumRead(benchmark::State& state) {
  SteadyClock clock;
  SimConfig config;
  config.clock = &clock;
  SimDriver driver(config);
  auto s = std::make_unique<AppState>();
  HeadlessWindow window;
  LinkContext c{*s, window, driver, clock};
  if (OpenDevice(c, 0) != 1 || SendStart(c, 0) != 1) state.SkipWithError("no simulated device");
  for (auto _ : state) {
    benchmark::DoNotOptimize(ReadSpectrumBlocks(c, 0));
    benchmark::DoNotOptimize(ReadStatus(c, 0));
  }
  state.SetBytesProcessed(state.iterations() * (32 * 512 + 310));
}
BENCHMARK(BM_FullSpectrumRead)->Unit(benchmark::kMicrosecond);

// Counting the events of one clock step of the given length at 15 kcps.
void BM_SimCounting(benchmark::State& state) {
  ManualClock clock;
  SimConfig config;
  config.clock = &clock;
  SimAnalyser sim(config, clock);
  std::uint8_t reply[SimAnalyser::kMaxReply];
  sim.HandleFrame(reinterpret_cast<const std::uint8_t*>("$P2000000000;"), 13, reply);
  sim.HandleFrame(reinterpret_cast<const std::uint8_t*>("$G;"), 3, reply);
  for (auto _ : state) {
    clock.AdvanceMs(state.range(0));
    sim.Update();
    // A long run would fill the 32-bit channels; clearing is not part of what is measured.
    if (sim.Events() > 1000000000u) {
      state.PauseTiming();
      sim.HandleFrame(reinterpret_cast<const std::uint8_t*>("$C;"), 3, reply);
      state.ResumeTiming();
    }
  }
}
BENCHMARK(BM_SimCounting)->Arg(100)->Arg(100000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tavlex

