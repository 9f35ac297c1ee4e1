#pragma once
// The limits and conversions of the MCA and scan setups, one rule each: the setup dialogs, the
// command line's acquire and scan, and the acquisition take the same numbers.

namespace tavlex {

// Channel counts of the analyser's memory: 256, 512, 1024, 2048 or 4096.
bool IsMcaMemorySize(int channels);
// The two scan banks hold 512, 1024 or 2048 channels each.
bool IsScanMemorySize(int channels);

// The preset time in 0.1 s from the seconds typed: x * 10 + 0.001, as a 32-bit float,
// truncated; 0 for seconds that are not PresetSecondsValid.
int PresetTenthsFromSeconds(double seconds);
// Whether the seconds give a preset of at least 0.1 s that the record's integer holds. A preset
// of 0 or less would end the run at once and leave negative times in the header.
bool PresetSecondsValid(double seconds);
// Whether a dead time per event is a 32-bit float of 0 microseconds or more.
bool DeadTimeFits(double microseconds);

// A scan's preset, in 100 ms steps: 1 (a scan of no time has no count rate) up to the eight
// digits the setup dialog's box holds (about 116 days).
inline constexpr int kShortestScanSteps = 1;
inline constexpr int kLongestScanSteps = 99'999'999;
bool ScanStepsValid(int steps);
// The shortest refresh interval the scan loop is run at, in ms: a timer much faster than the
// link only piles up.
inline constexpr int kShortestRefreshMs = 10;
// Whether the scan loop looks often enough to see every scan end: with a refresh as long as a
// scan or longer, scans finish unseen and are neither counted nor saved.
bool RefreshSeesEveryScan(int refreshMs, int presetSteps);

}  // namespace tavlex
