#pragma once
// What the MCA and the scan branches of the acquisition share: the display state taken from the
// status block, the rule for a lost link, and the guarded conversions. Internal to acq/.

#include "link/Protocol.h"

namespace tavlex::acqshared {

void SetNumberText(MainWindowPort& w, Field f, int value, const char* suffix);
bool IsMemorySize(int channels);
// Truncates towards zero, saturating at the int range; not a number gives 0.
int TruncToInt(double v);
// Live time in 0.1 s: real time less the dead time of the counted events, never below 0.
int LiveTimeFrom(int realTime, std::uint64_t events, float deadTimePerEvent);
// Display start, end and cursor labels, the view range, the scale, and (when `takeCursor`) the
// cursor, from the status block.
void TakeDisplayState(LinkContext& c, bool takeCursor = true);
// After a tick's exchanges: whether the analyser is to be taken as gone.
bool LinkGone(LinkContext& c);
// Ends the run on a lost link: a last "$S;", the timer off, one line in the status box.
void LinkLost(LinkContext& c);
// Whether the analyser's real time has stood still long enough to take the run as ended.
bool StoppedCounting(LinkContext& c);
// What a new run starts from: no silent ticks, no real time seen, no rate baseline.
void ResetRunHealth(AppState& s);

}  // namespace tavlex::acqshared
