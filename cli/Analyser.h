#pragma once
// The analyser a measuring command talks to: the driver its options choose, opened as OpenMCA
// opens it, with the state and headless window of the command's session.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/Clock.h"
#include "cli/Session.h"
#include "link/Protocol.h"
#include "link/SimAnalyser.h"

namespace tavlex::cli {

struct AnalyserChoice {
  std::string driver;  // "sim", "d2xx", "ftdi" or empty for the default
  bool hasSeed = false;
  std::uint64_t seed = 0;
  bool simOptions = false;  // an option only the simulated analyser takes was given
};

// The options that choose the analyser: --simulate, --driver=NAME and --seed N. -1 when args[i]
// is none of them; 0 when it was taken (i moves past its value); else a usage error's status.
int TakeAnalyserOption(const char* command, const std::vector<std::string>& args, std::size_t& i,
                       AnalyserChoice& choice);

class CommandAnalyser {
 public:
  // Chooses the driver and opens the analyser. 0 when it is open, else the exit status once a
  // message has said why (a usage error, no analyser, or an interrupt before the start).
  int Open(const char* command, const AnalyserChoice& choice);

  AppState& State() { return session_.State(); }
  HeadlessWindow& Window() { return session_.Window(); }
  LinkContext& Link() { return *link_; }
  SimDriver* Sim() { return sim_; }  // null unless the simulated analyser was chosen

 private:
  std::unique_ptr<Driver> driver_;
  SimDriver* sim_ = nullptr;
  Session session_;
  SteadyClock clock_;
  std::unique_ptr<LinkContext> link_;
};

}  // namespace tavlex::cli
