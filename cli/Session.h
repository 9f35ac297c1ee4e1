#pragma once
// The program state of one command-line run, constructed as the window constructs it.

#include <memory>
#include <string>

#include "app/AppState.h"
#include "app/MainWindowPort.h"

namespace tavlex::cli {

class Session {
 public:
  // The state after the main window's construction: ramp, log scale, bitmaps drawn. A command
  // that never draws leaves the bitmaps out (and the drawing operations then do nothing).
  explicit Session(bool draws = true);

  AppState& State() { return *state_; }
  HeadlessWindow& Window() { return window_; }
  // File -> Read into the displayed slot; on failure says why on stderr and returns false.
  bool Read(const std::string& path);

 private:
  std::unique_ptr<AppState> state_;
  HeadlessWindow window_;
};

// Whether `out` can be written by a command that reads `in` (its folder is there and writable, it
// is no folder, pipe or device, and not `in` itself); says why not on stderr.
bool OutputFits(const std::string& out, const std::string& in);

}  // namespace tavlex::cli
