// The top-hat filter of the standards and the sample, and the variance of its values.

#include <algorithm>

#include "standards/StandardsTable.h"

namespace tavlex {
namespace {

// The windows of the filter: for each output i < n whose window stays inside the channels,
// visit(i, channel, weight) for every tap on a channel from 0 on. `shift` is how far before the
// window's half length the first tap sits; `squared` takes the squared weights.
template <class Visit>
void EachTap(int n, int w, int c, int shift, bool squared, Visit visit) {
  n = std::clamp(n, 0, kMaxChannels);
  const int length = c + 2 * w;
  const int half = (2 * w + c) / 2;
  const double side = (c * -0.5) / w;
  const double sideWeight = squared ? side * side : side;
  for (int i = 0; i < n; ++i) {
    const int first = i - half - shift;
    if (first + length - 1 >= kMaxChannels) return;
    for (int j = std::max(0, -first); j < length; ++j)
      visit(i, first + j, (j < w || j >= w + c) ? sideWeight : 1.0);
  }
}

// One pass of the window over the counts. An output whose window would reach past the last
// channel is not computed: it and every later output are set to 0, as is the rest of out, so
// nothing of an earlier spectrum survives in it.
void TopHat(const std::int32_t* counts, int n, double* out, int w, int c, int shift, bool squared) {
  std::fill(out, out + kMaxChannels, 0.0);
  EachTap(n, w, c, shift, squared,
          [&](int i, int at, double weight) { out[i] += weight * counts[at]; });
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

namespace tavlex {

void FilterSpectrumTranspose(const double* g, int n, double* in, int sideWidth, int centreWidth) {
  std::fill(in, in + kMaxChannels, 0.0);
  EachTap(n, sideWidth, centreWidth, 1, false,
          [&](int i, int at, double weight) { in[at] += weight * g[i]; });
}

}  // namespace tavlex
