#include "cli/Interrupt.h"

#include "cli/Cli.h"

namespace tavlex::cli {

volatile std::sig_atomic_t interrupted = 0;

namespace {
void OnInterrupt(int signal) {
  interrupted = signal;
}
}  // namespace

InterruptHandlers::InterruptHandlers() {
  interrupted = 0;
  struct sigaction on = {};
  on.sa_handler = OnInterrupt;
  sigemptyset(&on.sa_mask);
  // Driver calls in progress carry on; the loop looks at the flag every tick.
  on.sa_flags = SA_RESTART;
  for (int i = 0; i < 3; ++i) {
    sigaction(kSignals[i], nullptr, &old_[i]);
    // A signal ignored when the program started stays ignored: under nohup a hang-up is not
    // the user's wish to stop.
    if (old_[i].sa_handler != SIG_IGN) sigaction(kSignals[i], &on, nullptr);
  }
}

InterruptHandlers::~InterruptHandlers() {
  for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &old_[i], nullptr);
}

std::string InterruptName() {
  switch (interrupted) {
    case SIGINT:
      return "Ctrl-C";
    case SIGTERM:
      return "SIGTERM";
    case SIGHUP:
      return "SIGHUP";
  }
  return "a signal";
}

int NotStarted() {
  Complain("interrupted by " + InterruptName() + " before the run started; nothing was measured");
  return kExitInterrupted;
}

}  // namespace tavlex::cli
