#pragma once
// The analyser a measuring command talks to: the driver its options choose, opened as OpenMCA
// opens it, with the state and headless window of the command's session.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/Clock.h"
#include "cli/Options.h"
#include "cli/Session.h"
#include "link/Protocol.h"
#include "link/SimAnalyser.h"

namespace tavlex::cli {

struct AnalyserChoice {
  std::string driver;  // "sim", "d2xx", "ftdi" or empty for the default
  bool hasSeed = false;
  std::uint64_t seed = 0;
  // --sim-link: the simulated link's latency and byte rate (none: replies at once).
  std::int64_t linkDelayUs = 0;
  std::int64_t linkBytesPerSecond = 0;
  // --sim-sample and --sim-tube: what the simulated analyser measures, and with which tube.
  SimSample sample = SimSteel();
  int anodeZ = kSimDefaultAnodeZ;
  bool simOptions = false;  // an option only the simulated analyser takes was given
};

// Reads args[i] when it is one of the options that choose the analyser: --simulate,
// --driver=NAME, --seed N, --sim-link=LATENCY_MS,BYTES_PER_S, --sim-sample NAME|COMPOSITION and
// --sim-tube ANODE (these two also joined with '='). False when it is none of them;
// true when it was taken (i moves past a separate value), with `error` set when its value is
// not good. The window program and the measuring commands take these options alike.
bool ReadAnalyserOption(const std::vector<std::string>& args, std::size_t& i,
                        AnalyserChoice& choice, std::string& error);
// The same as a command's options, for its option parser.
OptionParser::Reader AnalyserOptions(const char* command, AnalyserChoice& choice);
// The driver the choice names, the simulated analyser with the choice's seed and link. Null
// with `error` set for an unknown driver, or for simulator options with another driver.
std::unique_ptr<Driver> MakeAnalyserDriver(const AnalyserChoice& choice, std::string& error);

// When the measuring loop's next tick is due: one timer interval after the last one was due, or
// at once when that time has passed (a tick that took longer, on a slow or stalled link). As
// the window's timer does, late ticks are not made up for by ticks back to back.
using TickTime = std::chrono::steady_clock::time_point;
TickTime NextTickAt(TickTime lastDue, TickTime now, int intervalMs);
// The measuring loop of a command: `tick` at the pace of the window's timer while the timer
// runs, until it returns false.
void PaceTicks(HeadlessWindow& window, const std::function<bool()>& tick);

class CommandAnalyser {
 public:
  // Chooses the driver and opens the analyser. 0 when it is open, else the exit status once a
  // message has said why (a usage error, no analyser, or an interrupt before the start).
  int Open(const char* command, const AnalyserChoice& choice);

  AppState& State() { return session_.State(); }
  HeadlessWindow& Window() { return session_.Window(); }
  LinkContext& Link() { return *link_; }  // the recovery copies installed as its run events
  SimDriver* Sim() { return sim_; }  // null unless the simulated analyser was chosen

 private:
  std::unique_ptr<Driver> driver_;
  SimDriver* sim_ = nullptr;
  Session session_;
  SteadyClock clock_;
  std::unique_ptr<LinkContext> link_;
};

}  // namespace tavlex::cli
