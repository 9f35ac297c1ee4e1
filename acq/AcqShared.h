#pragma once
// What the MCA and the scan branches of the acquisition share: the display state taken from the
// status block, the rule for a lost link, the times of an ended run and the run events.
// Internal to acq/.

#include "acq/SetupRules.h"
#include "app/RunTimes.h"
#include "link/Protocol.h"

namespace tavlex::acqshared {

void SetNumberText(MainWindowPort& w, Field f, int value, const char* suffix);
// The real and live time an MCA run shows once it has ended, from the last status block.
void TakeEndTimes(AppState& s);
// Tell the installed run events, if any, that a run starts or has ended.
void RunStarted(LinkContext& c, const AcqDate& start, bool scan);
void RunEnded(LinkContext& c);
// The status block's display start, end and cursor, inside the spectrum's channels (the end not
// before the start): what the analyser reports is never taken unchecked.
struct DisplayPlace {
  int start = 0, end = 0, cursor = 0;
};
DisplayPlace StatusDisplayPlace(const AppState& s);
// Display start, end and cursor labels, the view range, the scale, and (when `takeCursor`) the
// cursor, from the status block.
void TakeDisplayState(LinkContext& c, bool takeCursor = true);
// After a tick's exchanges: whether the analyser is to be taken as gone.
bool LinkGone(LinkContext& c);
// Ends the run on a lost link: a last "$S;", the timer off, one line in the status box, the
// times of an ended run (MCA), the run's end told.
void LinkLost(LinkContext& c);
// Whether the analyser's real time has stood still long enough to take the run as ended.
bool StoppedCounting(LinkContext& c);
// What a new run starts from: no silent ticks, no real time seen, no rate baseline.
void ResetRunHealth(LinkContext& c);

}  // namespace tavlex::acqshared
