#include "acq/SetupRules.h"

#include <cfloat>
#include <cmath>
#include <limits>

namespace tavlex {
namespace {

float PresetTenthsAsFloat(double seconds) {
  const double tenths = seconds * 10.0 + 0.001;
  // Beyond the float range the conversion itself would be undefined.
  if (!(std::fabs(tenths) <= FLT_MAX)) return std::numeric_limits<float>::infinity();
  return static_cast<float>(tenths);
}

}  // namespace

bool IsMcaMemorySize(int channels) {
  return channels == 256 || channels == 512 || channels == 1024 || channels == 2048 ||
         channels == 4096;
}

bool IsScanMemorySize(int channels) {
  return channels == 512 || channels == 1024 || channels == 2048;
}

bool PresetSecondsValid(double seconds) {
  const float tenths = PresetTenthsAsFloat(seconds);
  // 2^31 and above do not fit the int; the float nearest to 2^31 - 1 is 2^31 itself.
  return tenths >= 1.0f && tenths < 2147483648.0f;
}

int PresetTenthsFromSeconds(double seconds) {
  return PresetSecondsValid(seconds) ? static_cast<int>(PresetTenthsAsFloat(seconds)) : 0;
}

bool DeadTimeFits(double microseconds) {
  return microseconds >= 0 && microseconds <= FLT_MAX;
}

bool ScanStepsValid(int steps) {
  return steps >= kShortestScanSteps && steps <= kLongestScanSteps;
}

bool RefreshSeesEveryScan(int refreshMs, int presetSteps) {
  // 100 ms steps, in 64 bits so that the longest preset does not overflow.
  return static_cast<long long>(refreshMs) < static_cast<long long>(presetSteps) * 100;
}

}  // namespace tavlex
