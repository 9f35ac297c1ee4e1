#pragma once
// The automatic recovery copies: every run that ends leaves its spectrum in the user's data
// folder (RecoveryFolder), so that a spectrum nobody saved can still be found. One file per run,
// named when the run starts and rewritten at each of its ends; the newest copies are kept.

#include <string>

#include "app/AppState.h"
#include "app/RunEvents.h"

namespace tavlex {

inline constexpr int kRecoveryCopiesKept = 50;

// A new run's copy: YYYYMMDD-HHMMSS-mca.dat (or -scan.dat) from when it started. The file is
// only made by its first save, with a number (-2, -3, ...) if the name is taken by then.
void NameRecoveryCopy(RunCopy& copy, const AcqDate& start, bool scan);

// Writes the run's copy through the safe writer: the displayed spectrum and its header as
// File -> Write would save them, or for a scan run the last scan read with its own times.
// Then only the newest kRecoveryCopiesKept of the program's own copies stay in the folder; no
// other file there is touched. Changes nothing but the copy's file name; a failure is told on
// stderr only. Returns the path written, empty on failure.
std::string SaveRecoveryCopy(const AppState& s, RunCopy& copy);

// The recovery copies as the window and the command line keep them, to install as the link's
// run events: a run's copy (`AppState::runCopy`) is named when the run starts and written at
// each of its ends; a scan run that has not finished a scan has nothing of its own to keep.
RunEvents RecoveryCopyWriter();

}  // namespace tavlex
