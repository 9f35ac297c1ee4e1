#pragma once
// The times of a run: the live time left by the dead time of the counted events, and the times
// a spectrum shows once its run has ended. The acquisition, the scan files and the recovery
// copies all take them from here.

#include <cstdint>

namespace tavlex {

// Truncates towards zero, saturating at the int range; not a number gives 0.
int TruncToInt(double v);

// Live time in 0.1 s: the real time (0.1 s) less the dead time of `events` counted events at
// `deadTimePerEvent` microseconds each. Never below 0, which a saved spectrum would carry.
int LiveTimeFrom(int realTime, double events, float deadTimePerEvent);

// Live time of a finished scan in 0.1 s: to the nearest step, since a scan lasts only a few
// steps and truncating loses most of one; at least one step for a scan that counted (a rate
// over no time would be infinite), never above the real time.
int ScanLiveTime(int realTime, double events, float deadTimePerEvent);

struct RunTimes {
  int preset = 0, real = 0, live = 0;  // 0.1 s
};

// The times shown once a run has ended, after `realTime` of counting with a preset of `preset`
// (all in 0.1 s): a run that reached its preset shows the preset exactly, though the analyser
// may have counted on for part of a tick, and no live time is longer than the real one.
RunTimes RunEndTimes(int realTime, int preset, double events, float deadTimePerEvent);

}  // namespace tavlex
