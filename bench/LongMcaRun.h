#pragma once
// The set-up the tick benchmarks share: a 4096-channel run on the simulated analyser that never
// reaches its preset, started through the given link, ready to tick.

#include <benchmark/benchmark.h>

#include "acq/Acquisition.h"

namespace tavlex {

inline void StartLongMcaRun(benchmark::State& state, LinkContext& c) {
  if (OpenDevice(c, 0) != 1) state.SkipWithError("no simulated device");
  c.s.mcaSetup.presetTime = 1 << 30;
  McaStart(c);
  if (c.s.channelSize != 4096) state.SkipWithError("not 4096 channels");
}

inline void CheckStillRunning(benchmark::State& state, const AppState& s) {
  if (!s.acquiring) state.SkipWithError("acquisition ended");
}

}  // namespace tavlex
