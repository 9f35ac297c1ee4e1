#pragma once
// What the acquisition tells of its runs to whoever keeps something of them: the window and the
// command line install the recovery copies here (files/Recovery.h); tests that do not care
// leave both empty. The acquisition itself writes no file.

#include "app/AcqDate.h"

namespace tavlex {

struct AppState;

struct RunEvents {
  // An MCA run or a scan run starts, with `start` as its header date.
  void (*started)(AppState& s, const AcqDate& start, bool scan) = nullptr;
  // A run has ended: the preset, the analyser stopping by itself, Stop, Abort, an interrupt, a
  // lost link, a Start over a run under way, or the window closing during a run. The state
  // holds what the run measured.
  void (*ended)(AppState& s) = nullptr;
};

}  // namespace tavlex
