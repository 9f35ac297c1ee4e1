#include "cli/Analyser.h"

#include "app/Convert.h"
#include "cli/Cli.h"
#include "cli/Interrupt.h"
#include "link/Backends.h"

namespace tavlex::cli {

int TakeAnalyserOption(const char* command, const std::vector<std::string>& args, std::size_t& i,
                       AnalyserChoice& choice) {
  const std::string& a = args[i];
  if (a == "--simulate") {
    choice.driver = "sim";
  } else if (a.rfind("--driver=", 0) == 0) {
    choice.driver = a.substr(9);
  } else if (a == "--seed") {
    int seed = 0;
    if (i + 1 >= args.size() || !TryStrToInt(args[++i], seed) || seed < 0)
      return UsageError(command, "--seed needs a whole number, 0 or more");
    choice.hasSeed = true;
    choice.seed = static_cast<std::uint64_t>(seed);
  } else {
    return -1;
  }
  return 0;
}

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
