#pragma once
// How the view range maps channels to pixel columns and counts to pixel rows.

#include <cstdint>

#include "app/AppState.h"

namespace tavlex {

// The lowest row ever stored: far enough above the top that every line to it leaves the plot
// there, and far enough from the int limits that row arithmetic (snapshots) cannot overflow.
inline constexpr int kRowFloor = -1'000'000'000;
// The minimum of a compressed column starts here, so a column above it keeps it as its bottom.
inline constexpr std::int32_t kColumnMinStart = 16'000'000;

struct ViewMap {
  long long start = 0;              // first channel of the view
  long long channelsPerColumn = 0;  // 0 = expanded
  int pixelsPerChannel = 1;         // only when expanded
  bool Expanded() const { return channelsPerColumn == 0; }
  // Column of a channel: where it starts when compressed, its first pixel when expanded.
  long long ColumnOf(long long channel) const {
    return Expanded() ? (channel - start) * pixelsPerChannel
                      : (channel - start) / channelsPerColumn;
  }
};

// The mapping for a view of start .. end (inclusive) on width columns. An empty or reversed
// range is drawn as a single channel rather than dividing by zero.
ViewMap MapView(long long start, long long end, int width);
inline ViewMap MapView(const AppState& s, int width) {
  return MapView(s.viewStart, s.viewEnd, width);
}

// Count of a channel of the displayed spectrum; channels outside the count array read as 0.
inline std::int32_t CountAt(const AppState& s, long long channel) {
  return channel >= 0 && channel < kReadBufferChannels ? s.spectrumCounts[channel] : 0;
}

// Row of a count on a plot of the given height (linear full scale or logarithmic), limited to
// height - 1 at the bottom and to kRowFloor at the top.
int CountToRow(long long count, int height, int logScale, int vfsIndex);

// Fills columnTop and columnBottom for the first `width` columns (at most kMaxChannels).
void ComputeColumns(AppState& s, const ViewMap& map, int width, int height);

}  // namespace tavlex
