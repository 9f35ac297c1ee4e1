#include "app/RunTimes.h"

#include <algorithm>
#include <cmath>

namespace tavlex {

int TruncToInt(double v) {
  if (!(v == v)) return 0;
  if (v >= 2147483647.0) return 2147483647;
  if (v <= -2147483648.0) return -2147483647 - 1;
  return static_cast<int>(v);
}

int LiveTimeFrom(int realTime, double events, float deadTimePerEvent) {
  // Events times microseconds is the dead time in microseconds; 0.00001 makes it 0.1 s.
  return std::max(0,
                  TruncToInt(realTime - events * static_cast<double>(deadTimePerEvent) * 0.00001));
}

int ScanLiveTime(int realTime, double events, float deadTimePerEvent) {
  if (realTime <= 0) return 0;
  const double live = realTime - events * static_cast<double>(deadTimePerEvent) * 0.00001;
  return std::clamp(TruncToInt(std::floor(live + 0.5)), 1, realTime);
}

RunTimes RunEndTimes(int realTime, int preset, double events, float deadTimePerEvent) {
  RunTimes t;
  t.preset = preset;
  t.real = std::min(realTime, preset);
  t.live = std::min(LiveTimeFrom(realTime, events, deadTimePerEvent), t.real);
  return t;
}

}  // namespace tavlex
