#pragma once
// The display buttons, the cursor click and Snap Peak. While an acquisition runs on an open
// analyser, the analyser owns the display: each button sends its frame as one bounded
// operation, changes the host's view only on the acknowledgement, and the next polling tick
// takes range, cursor and scale back from the status block. Otherwise the host changes the
// view itself and repaints (display/ViewNav.h).

#include "display/ViewNav.h"
#include "link/Protocol.h"

namespace tavlex {

void LogDisplay(LinkContext& c);          // "LOG"
void StepVfs(LinkContext& c, bool next);  // the VFS arrows
void AutoVfs(LinkContext& c);             // "Auto"
void ExpandView(LinkContext& c);          // "<< >>"
void CompressView(LinkContext& c);        // ">> <<"
// A left click on the plot at channel `channel` (ChannelAtClick): the cursor, sent to the
// analyser when one is listed, the readout and a repaint. Region bounds are the caller's part.
void ClickCursor(LinkContext& c, int channel);
// "Snap Peak": SnapPeakCommand, then the new cursor to the analyser and a repaint.
void SnapPeakAndSend(LinkContext& c);

}  // namespace tavlex
