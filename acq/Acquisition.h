#pragma once
// MCA acquisition control and the polling loop: Start, Stop, Clear, the acquisition mode, the
// setup taken over after the dialog, and one tick of Timer1. The window's handlers and the
// command line's acquire both run these.

#include "link/Protocol.h"

namespace tavlex {

// The one-line message shown when the analyser stops answering during a run.
inline constexpr const char* kLinkLostMessage = "Error ! MCA Link Lost";

void McaStart(LinkContext& c);
void McaStop(LinkContext& c);
// Ends a run early (the command line's interrupt): the timer stops, the last counts are read
// and the analyser is stopped, each bounded as one operation.
void McaStopAndCollect(LinkContext& c);
void McaClear(LinkContext& c);
// mode: 'G' (SCA gate), 'S' (SCA fast) or 'M' (MCA).
void SetAcqMode(LinkContext& c, char mode);
// After the setup dialog closed with OK: preset and memory size to the analyser (when open),
// channel size, the MCA slot's header and the displayed spectrum's texts, then a repaint.
void ApplyMcaSetup(LinkContext& c);
// One tick of Timer1 while an MCA acquisition runs. The run ends at the host's preset, when the
// analyser stops counting by itself, or when the link is lost (the device no longer listed, or
// no reply over consecutive ticks for longer than the link's time-out).
void McaTick(LinkContext& c);
// One tick of Timer1, in the branch the acquisition mode selects. True when a scan finished
// and its spectrum was read in this tick.
bool Timer1Tick(LinkContext& c);

// The window closes during a run, as the user agreed: the analyser is asked to stop (briefly,
// the window is going) and the run ends for the run events with the counts shown so far; nothing
// is read again.
void StopRunOnClose(LinkContext& c);

// The SXFM scan mode.
void SxfmStart(LinkContext& c);
void SxfmStop(LinkContext& c);  // "Abort": sends "$S;" only while a scan runs
void SxfmClear(LinkContext& c);
// Before the SXFM setup dialog: a memory above 2048 channels comes down to 2048.
void PrepareSxfmSetup(AppState& s);
// After the SXFM setup dialog closed with OK: preset and memory size to the analyser, the
// channel size when the analyser took it, the timer interval, a repaint.
void ApplySxfmSetup(LinkContext& c);
// One tick of a scan run: the status, a finished scan's spectrum and rate, the analyser's own
// display trace. True when a scan finished in this tick.
bool ScanTick(LinkContext& c);

// "MCA" among the memories: the MCA slot's header becomes the displayed one, and with an open
// analyser its spectrum and display state are read again.
void ShowMcaSlot(LinkContext& c);

}  // namespace tavlex
