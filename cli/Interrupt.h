#pragma once
// Ctrl-C, a terminal that closes and a system that shuts down all end a measuring command the
// same way: the analyser is stopped and what was acquired is kept.

#include <csignal>
#include <string>

namespace tavlex::cli {

// The number of the signal that asked the run to end, 0 while none did.
extern volatile std::sig_atomic_t interrupted;

// SIGINT, SIGTERM and SIGHUP set `interrupted` while one of these lives; restored afterwards.
// One that was ignored when it was made (nohup) stays ignored.
class InterruptHandlers {
 public:
  InterruptHandlers();
  ~InterruptHandlers();
  InterruptHandlers(const InterruptHandlers&) = delete;
  InterruptHandlers& operator=(const InterruptHandlers&) = delete;

 private:
  static constexpr int kSignals[3] = {SIGINT, SIGTERM, SIGHUP};
  struct sigaction old_[3];
};

// "Ctrl-C", "SIGTERM" or "SIGHUP".
std::string InterruptName();
// The message and exit status of a command interrupted before its run started.
int NotStarted();

}  // namespace tavlex::cli
