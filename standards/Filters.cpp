// The top-hat filter of the standards and the sample, and the variance of its values.

#include <algorithm>

#include "standards/StandardsTable.h"

namespace tavlex {
namespace {

// One pass of the window over the counts. `shift` is how far before the window's half length the
// first tap sits; `squared` takes the squared weights. An output whose window would reach past
// the last channel is not computed: it and every later output are set to 0, as is the rest of out,
// so nothing of an earlier spectrum survives in it.
void TopHat(const std::int32_t* counts, int n, double* out, int w, int c, int shift, bool squared) {
  n = std::clamp(n, 0, kMaxChannels);
  const int length = c + 2 * w;
  const int half = (2 * w + c) / 2;
  const double side = (c * -0.5) / w;
  const double sideWeight = squared ? side * side : side;
  int i = 0;
  for (; i < n; ++i) {
    const int first = i - half - shift;
    if (first + length - 1 >= kMaxChannels) break;
    double sum = 0.0;
    for (int j = 0; j < length; ++j) {
      const int at = first + j;
      if (at < 0) continue;
      const double weight = (j < w || j >= w + c) ? sideWeight : 1.0;
      sum += weight * counts[at];
    }
    out[i] = sum;
  }
  std::fill(out + i, out + kMaxChannels, 0.0);
}

}  // namespace

void FilterSpectrum(const std::int32_t* counts, int n, double* out, int sideWidth,
                    int centreWidth) {
  TopHat(counts, n, out, sideWidth, centreWidth, 1, false);
}

void FilterVariance(const std::int32_t* counts, int n, double* out, int sideWidth,
                    int centreWidth) {
  TopHat(counts, n, out, sideWidth, centreWidth, 0, true);
}

}  // namespace tavlex
