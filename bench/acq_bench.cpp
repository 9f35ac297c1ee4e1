// One polling tick of an MCA acquisition: 32 blocks and the status block from the simulated
// analyser, the rates and times, and the repaint of the plot. Once with no link delay on a
// manual clock (the host's own work), once over a slow link on the wall clock.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <memory>

#include "bench/LongMcaRun.h"
#include "display/StartUp.h"
#include "link/SimAnalyser.h"

namespace tavlex {
namespace {

// A 4096-channel run on the simulated analyser that never reaches its preset, ready to tick.
struct RunningMca {
  RunningMca(benchmark::State& state, const SimConfig& config)
      : driver(config), c{*s, window, driver, *config.clock} {
    ConstructAndDrawStartUp(*s, window);
    StartLongMcaRun(state, c);
  }
  void Check(benchmark::State& state) const { CheckStillRunning(state, *s); }

  SimDriver driver;
  std::unique_ptr<AppState> s = std::make_unique<AppState>();
  HeadlessWindow window;
  LinkContext c;
};

void BM_McaTick(benchmark::State& state) {
  ManualClock clock;
  SimConfig config;
  config.clock = &clock;
  RunningMca run(state, config);
  for (auto _ : state) {
    clock.AdvanceMs(100);  // 1500 new events at 15 kcps, counted by the analyser
    McaTick(run.c);
  }
  run.Check(state);
}
BENCHMARK(BM_McaTick)->Unit(benchmark::kMicrosecond);

// The least time a tick of a 4096-channel run can take on a link: one round trip per exchange
// (32 blocks and the status block) and every byte on the wire at the link's rate. The bytes are
// the frames ("$R1;" to "$R32;" and "$R0;") and the replies (32 x 512 and 310), as the
// simulated link carries them: 16849 bytes, 49.849 ms at 1 ms and 1 MB/s.
double LinkMinimumUs(std::int64_t latencyUs, std::int64_t bytesPerSecond) {
  std::int64_t bytes = 4 + kStatusBytes;  // "$R0;" and the status block
  for (int n = 1; n <= kMaxBlocks; ++n) {
    char frame[8];
    bytes += std::snprintf(frame, sizeof frame, "$R%d;", n) + kBlockBytes;
  }
  return static_cast<double>((kMaxBlocks + 1) * latencyUs) +
         static_cast<double>(bytes) * 1e6 / static_cast<double>(bytesPerSecond);
}

// A tick over a link of 1 ms per round trip and 1 MB/s, on the wall clock; "ratio" is the
// tick's wall time over the link's own minimum. What is above 1 is the host's work (the
// repaint, the analyser's counting) and the waits' lateness in seeing a reply.
void BM_McaTickSlowLink(benchmark::State& state) {
  constexpr std::int64_t kLatencyUs = 1000;
  constexpr std::int64_t kBytesPerSecond = 1000000;
  SteadyClock clock;
  SimConfig config;
  config.clock = &clock;
  config.linkDelayUs = kLatencyUs;
  config.linkBytesPerSecond = kBytesPerSecond;
  RunningMca run(state, config);
  std::int64_t wallUs = 0;
  for (auto _ : state) {
    const std::int64_t t0 = clock.NowUs();
    McaTick(run.c);
    wallUs += clock.NowUs() - t0;
  }
  run.Check(state);
  const double ticks = static_cast<double>(state.iterations());
  state.counters["ratio"] =
      static_cast<double>(wallUs) / ticks / LinkMinimumUs(kLatencyUs, kBytesPerSecond);
  state.counters["link_min_ms"] = LinkMinimumUs(kLatencyUs, kBytesPerSecond) / 1000;
}
BENCHMARK(BM_McaTickSlowLink)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace tavlex
