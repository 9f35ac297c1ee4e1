#include "display/PlotGeometry.h"

#include <algorithm>
#include <cmath>

#include "display/VfsTable.h"

namespace tavlex {

ViewMap MapView(long long start, long long end, int width) {
  ViewMap m;
  m.start = start;
  const long long span = std::max(end - start + 1, 1LL);
  m.channelsPerColumn = span / width;
  if (m.Expanded()) m.pixelsPerChannel = static_cast<int>(width / span);
  return m;
}

int CountToRow(long long count, int height, int logScale, int vfsIndex) {
  long long v = 0;
  if (logScale == 1) {
    if (count >= 1) v = static_cast<long long>(std::log10(count + 0.5) * (height / 6));
  } else {
    v = height * count / VfsFullScale(vfsIndex);
  }
  const long long row = height - v;
  if (row >= height - 1) return height - 1;
  return static_cast<int>(std::max<long long>(row, kRowFloor));
}

namespace {

// Largest and smallest count of the channels first .. first + n - 1. Channels outside the count
// array are zero; only the part inside is walked, so absurd ranges cost nothing extra.
void ColumnExtremes(const AppState& s, long long first, long long n, std::int32_t& hi,
                    std::int32_t& lo) {
  hi = 0;
  lo = kColumnMinStart;
  const long long a = std::max(first, 0LL);
  const long long b = std::min(first + n, static_cast<long long>(kReadBufferChannels));
  if (b - a < n) lo = std::min(lo, 0);
  for (long long c = a; c < b; ++c) {
    const std::int32_t v = s.spectrumCounts[c];
    if (v > hi) hi = v;
    if (v < lo) lo = v;
  }
}

}  // namespace

void ComputeColumns(AppState& s, const ViewMap& map, int width, int height) {
  width = std::min(width, kMaxChannels);
  for (int x = 0; x < width; ++x) {
    if (map.Expanded()) {
      const int row = CountToRow(CountAt(s, map.start + x / map.pixelsPerChannel), height,
                                 s.logScale, s.vfsIndex);
      s.columnTop[x] = s.columnBottom[x] = row;
    } else {
      std::int32_t hi, lo;
      ColumnExtremes(s, map.start + map.channelsPerColumn * x, map.channelsPerColumn, hi, lo);
      s.columnTop[x] = CountToRow(hi, height, s.logScale, s.vfsIndex);
      s.columnBottom[x] = CountToRow(lo, height, s.logScale, s.vfsIndex);
    }
  }
}

}  // namespace tavlex
