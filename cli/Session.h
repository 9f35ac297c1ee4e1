#pragma once
// The program state of one command-line run, constructed as the window constructs it.

#include <memory>
#include <string>

#include "app/AppState.h"
#include "app/MainWindowPort.h"
#include "files/SpectrumFile.h"

namespace tavlex::cli {

class Session {
 public:
  // The state after the main window's construction: ramp, log scale, bitmaps drawn. A command
  // that never draws leaves the bitmaps out (and the drawing operations then do nothing).
  explicit Session(bool draws = true);

  AppState& State() { return *state_; }
  HeadlessWindow& Window() { return window_; }
  // File -> Read into the displayed slot, as RunReadOptions asks; on failure says why on stderr
  // and returns false. What the read changed (padding, binning) is said on stderr too.
  bool Read(const std::string& path);

 private:
  std::unique_ptr<AppState> state_;
  HeadlessWindow window_;
};

// How the spectrum files of this run are read (--rebin). A run is one command, so it is one
// setting for all of its files.
SpectrumReadOptions& RunReadOptions();

// Whether `out` can be written by a command that reads `in` (its folder is there and writable, it
// is no folder, pipe or device, and not `in` itself); says why not on stderr.
bool OutputFits(const std::string& out, const std::string& in);

}  // namespace tavlex::cli
