#pragma once
// The peak tools: Snap Peak (the highest channel near the cursor, its 11-channel centroid, the
// cursor moved onto it) and FWHM Calic. (the highest channel near the cursor, its 5-channel
// centroid, and the full width at half maximum by linear interpolation at both crossings).
// Functions over the counts and the view; channels outside 0 .. channelSize - 1 are absent.

#include <cstdint>
#include <optional>

#include "app/AppState.h"
#include "app/MainWindowPort.h"

namespace tavlex {

namespace peaktext {
// A search window in which no channel holds a count above 0.
inline constexpr const char* kNoPeak = "Error ! No Peak";
// The FWHM box when an interpolation would divide by zero.
inline constexpr const char* kUndefinedFwhm = "undefined";
}  // namespace peaktext

// The counts of the displayed spectrum as the peak tools see them.
struct SpectrumView {
  const std::int32_t* counts;
  int channelSize;  // channels 0 .. channelSize - 1 exist
  int viewStart, viewEnd;
};
SpectrumView ViewOf(const AppState& s);

struct PeakMax {
  int channel = 0;
  std::int32_t count = 0;
};
// Channels centre - halfWidth .. centre + halfWidth in ascending order; a channel becomes the
// peak when its count is strictly greater than the running maximum, which starts at 0. None when
// no channel of the window holds a count above 0.
std::optional<PeakMax> FindPeakMax(const SpectrumView& v, int centre, int halfWidth);

// Sum of channel x count over sum of count for peak - halfWidth .. peak + halfWidth, each partial
// sum rounded to single precision. None when the counts sum to nothing (or to no number).
std::optional<float> PeakCentroid(const SpectrumView& v, int peak, int halfWidth);
// The channel a centroid rounds to, trunc(centroid + 0.5); none when it is no channel number.
std::optional<int> CentroidChannel(float centroid);

struct SnapResult {
  int peak = 0;
  float centroid = 0;
  int cursor = 0;  // trunc(centroid + 0.5), within the spectrum
};
std::optional<SnapResult> SnapPeak(const SpectrumView& v, int cursor);

struct FwhmResult {
  int peak = 0;
  std::int32_t height = 0;
  float centroid = 0;
  int half = 0;
  int left = 0, right = 0;     // L and R of the edge scans
  // None when an interpolation would divide by zero or the edges do not enclose the peak.
  std::optional<float> width;
};
// None when the window has no peak (or no centroid).
std::optional<FwhmResult> MeasureFwhm(const SpectrumView& v, int cursor);

// The window's "Snap Peak": peakCentroid, Edit1 ("%8.2f"), Label3 and cursorChannel, or the
// no-peak message with every field left as it was. Sending the cursor and the repaint are the
// caller's part.
std::optional<SnapResult> SnapPeakCommand(AppState& s, MainWindowPort& window);
// The window's "FWHM Calic.": "Peak %8.2f Ch." in Edit1 and "%8.2f ch" in FwhmVal ("undefined"
// when the width is), or the no-peak message. Changes no state.
std::optional<FwhmResult> FwhmCommand(const AppState& s, MainWindowPort& window);

}  // namespace tavlex
