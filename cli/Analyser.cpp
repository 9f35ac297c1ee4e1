#include "cli/Analyser.h"

#include "cli/Cli.h"
#include "cli/Interrupt.h"
#include "link/Backends.h"

namespace tavlex::cli {

int CommandAnalyser::Open(const char* command, const AnalyserChoice& choice) {
  std::string error;
  if (choice.driver == "sim") {
    SimConfig config;
    if (choice.hasSeed) config.seed = choice.seed;
    auto sim = std::make_unique<SimDriver>(config);
    sim_ = sim.get();
    driver_ = std::move(sim);
  } else if (choice.hasSeed || choice.simOptions) {
    return UsageError(command, "--seed and --sim-* options are for the simulated analyser");
  } else {
    driver_ = MakeDriver(choice.driver, &error);
  }
  if (!driver_) return UsageError(command, error);
  link_ = std::make_unique<LinkContext>(LinkContext{State(), Window(), *driver_, clock_});
  if (interrupted) return NotStarted();
  if (OpenDevice(*link_, 0) != 1) {
    Complain(std::string("no analyser found (driver ") + driver_->Name() + ")");
    return kExitFailure;
  }
  return 0;
}

}  // namespace tavlex::cli
