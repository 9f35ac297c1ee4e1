#include "cli/Session.h"

#include "cli/Cli.h"
#include "display/StartUp.h"
#include "files/SpectrumFile.h"

namespace tavlex::cli {

Session::Session(bool draws) : state_(std::make_unique<AppState>()) {
  // Timer1's interval from the window definition.
  window_.SetTimerInterval(100);
  if (draws)
    ConstructAndDrawStartUp(*state_, window_);
  else
    ConstructState(*state_, window_, false);
}

bool Session::Read(const std::string& path) {
  const FileResult r = ReadSpectrumFile(*state_, window_, path, kMcaView, RunReadOptions());
  if (r.ok() && !r.detail.empty()) Complain(path + ": " + r.detail);
  if (r.ok()) return true;
  Complain(path + ": " + FileResultReason(r));
  return false;
}

SpectrumReadOptions& RunReadOptions() {
  static SpectrumReadOptions options;
  return options;
}

bool OutputFits(const std::string& out, const std::string& in) {
  const std::string_view inputs[] = {in};
  const PathProblem p = CheckOutputPath(out, inputs);
  if (p != PathProblem::None) Complain(out + ": " + PathProblemReason(p));
  return p == PathProblem::None;
}

}  // namespace tavlex::cli
