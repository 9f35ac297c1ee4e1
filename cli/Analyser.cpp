#include "cli/Analyser.h"

#include <algorithm>
#include <thread>

#include "app/Convert.h"
#include "cli/Cli.h"
#include "cli/Interrupt.h"
#include "files/Recovery.h"
#include "link/Backends.h"

namespace tavlex::cli {

namespace {

// The value of an option given as "--name VALUE" or "--name=VALUE"; false when there is none.
bool SimValue(const std::vector<std::string>& args, std::size_t& i, std::string_view name,
              std::string& value) {
  const std::string& a = args[i];
  if (a.size() > name.size()) {
    value = a.substr(name.size() + 1);
    return true;
  }
  if (i + 1 >= args.size()) return false;
  value = args[++i];
  return true;
}

}  // namespace

bool ReadAnalyserOption(const std::vector<std::string>& args, std::size_t& i,
                        AnalyserChoice& choice, std::string& error) {
  const std::string& a = args[i];
  error.clear();
  if (a == "--simulate") {
    choice.driver = "sim";
  } else if (a.rfind("--driver=", 0) == 0) {
    choice.driver = a.substr(9);
  } else if (a == "--seed") {
    int seed = 0;
    if (i + 1 >= args.size() || !TryStrToInt(args[++i], seed) || seed < 0)
      error = "--seed needs a whole number, 0 or more";
    choice.hasSeed = true;
    choice.seed = static_cast<std::uint64_t>(seed);
  } else if (a.rfind("--sim-link=", 0) == 0) {
    SimConfig link;
    if (!ParseSimLink(std::string_view(a).substr(11), link)) error = kSimLinkHelp;
    choice.linkDelayUs = link.linkDelayUs;
    choice.linkBytesPerSecond = link.linkBytesPerSecond;
    choice.simOptions = true;
  } else if (a == "--sim-sample" || a.rfind("--sim-sample=", 0) == 0) {
    std::string value;
    if (!SimValue(args, i, "--sim-sample", value))
      error = kSimSampleHelp;
    else
      ParseSimSample(value, choice.sample, error);
    choice.simOptions = true;
  } else if (a == "--sim-tube" || a.rfind("--sim-tube=", 0) == 0) {
    std::string value;
    SimConfig tube;
    if (!SimValue(args, i, "--sim-tube", value) || !ParseSimTube(value, tube))
      error = std::string(kSimTubeHelp) + " (not '" + value + "')";
    choice.anodeZ = tube.anodeZ;
    choice.simOptions = true;
  } else {
    return false;
  }
  return true;
}

OptionParser::Reader AnalyserOptions(const char* command, AnalyserChoice& choice) {
  return [command, &choice](const Args& args, std::size_t& i) {
    std::string error;
    if (!ReadAnalyserOption(args, i, choice, error)) return -1;
    return error.empty() ? 0 : UsageError(command, error);
  };
}

std::unique_ptr<Driver> MakeAnalyserDriver(const AnalyserChoice& choice, std::string& error) {
  if (choice.driver == "sim") {
    SimConfig config;
    if (choice.hasSeed) config.seed = choice.seed;
    config.linkDelayUs = choice.linkDelayUs;
    config.linkBytesPerSecond = choice.linkBytesPerSecond;
    config.sample = choice.sample;
    config.anodeZ = choice.anodeZ;
    return std::make_unique<SimDriver>(config);
  }
  if (choice.hasSeed || choice.simOptions) {
    error = "--seed and --sim-* options are for the simulated analyser";
    return nullptr;
  }
  return MakeDriver(choice.driver, &error);
}

TickTime NextTickAt(TickTime lastDue, TickTime now, int intervalMs) {
  return std::max(lastDue + std::chrono::milliseconds(intervalMs), now);
}

void PaceTicks(HeadlessWindow& window, const std::function<bool()>& tick) {
  auto next = std::chrono::steady_clock::now();
  while (window.TimerEnabled()) {
    next = NextTickAt(next, std::chrono::steady_clock::now(), window.TimerInterval());
    std::this_thread::sleep_until(next);
    if (!tick()) break;
  }
}

int CommandAnalyser::Open(const char* command, const AnalyserChoice& choice) {
  std::string error;
  driver_ = MakeAnalyserDriver(choice, error);
  if (!driver_) return UsageError(command, error);
  sim_ = dynamic_cast<SimDriver*>(driver_.get());
  link_ = std::make_unique<LinkContext>(LinkContext{State(), Window(), *driver_, clock_});
  // Every run a command ends leaves its recovery copy, as in the window.
  link_->runEvents = RecoveryCopyWriter();
  if (interrupted) return NotStarted();
  if (OpenDevice(*link_, 0) != 1) {
    Complain(std::string("no analyser found (driver ") + driver_->Name() + ")");
    return kExitFailure;
  }
  return 0;
}

}  // namespace tavlex::cli
