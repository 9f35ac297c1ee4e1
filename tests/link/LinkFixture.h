#pragma once
// A protocol context over the simulated analyser on a manual clock, for the link tests.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/AppState.h"
#include "app/Clock.h"
#include "app/MainWindowPort.h"
#include "link/Protocol.h"
#include "link/SimAnalyser.h"

namespace tavlex::test {

inline SimConfig ExactConfig(Clock& clock) {
  SimConfig config;
  config.clock = &clock;
  config.exactCounts = true;
  config.inputRateCps = 1000;
  config.deadTimeUs = 0;
  return config;
}

class LinkTest : public ::testing::Test {
 protected:
  explicit LinkTest(SimConfig config) : driver(WithClock(config, clock)) {}
  LinkTest() : LinkTest(SimConfig{}) {}

  static SimConfig WithClock(SimConfig config, ManualClock& clock) {
    if (!config.clock) config.clock = &clock;
    return config;
  }

  // Opens device 0 and forgets the frames of the set-up.
  void Open() {
    ASSERT_EQ(OpenDevice(c, 0), 1);
    sim().ClearFrames();
  }
  SimAnalyser& sim() { return driver.Analyser(); }
  std::vector<std::string> Frames() { return driver.Frames(); }

  ManualClock clock;
  SimDriver driver;
  std::unique_ptr<AppState> state = std::make_unique<AppState>();
  AppState& s = *state;
  HeadlessWindow window;
  LinkContext c{s, window, driver, clock};
};

}  // namespace tavlex::test
