#include "analysis/Peak.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "analysis/Calibration.h"

namespace tavlex {
namespace {

// A window clipped to the channels the spectrum has.
struct Window {
  int first, last;  // inclusive; empty when first > last
};
Window Clip(const SpectrumView& v, long long from, long long to) {
  const long long top = std::min(v.channelSize, kReadBufferChannels) - 1LL;
  return {static_cast<int>(std::max(from, 0LL)), static_cast<int>(std::min(to, top))};
}

std::int32_t Count(const SpectrumView& v, int channel) {
  const Window all = Clip(v, channel, channel);
  return all.first <= all.last ? v.counts[channel] : 0;
}

// (a - half) / (a - b) in single precision; none when a equals b.
std::optional<float> Crossing(std::int32_t a, std::int32_t b, int half) {
  const long long den = static_cast<long long>(a) - b;
  if (den == 0) return std::nullopt;
  const long long num = static_cast<long long>(a) - half;
  return static_cast<float>(static_cast<double>(num) / static_cast<double>(den));
}

}  // namespace

SpectrumView ViewOf(const AppState& s) {
  return {s.spectrumCounts, s.channelSize, s.viewStart, s.viewEnd};
}

std::optional<PeakMax> FindPeakMax(const SpectrumView& v, int centre, int halfWidth) {
  const Window w = Clip(v, static_cast<long long>(centre) - halfWidth,
                        static_cast<long long>(centre) + halfWidth);
  std::optional<PeakMax> best;
  std::int32_t running = 0;
  for (int c = w.first; c <= w.last; ++c) {
    if (v.counts[c] > running) {
      running = v.counts[c];
      best = PeakMax{c, running};
    }
  }
  return best;
}

std::optional<float> PeakCentroid(const SpectrumView& v, int peak, int halfWidth) {
  const Window w =
      Clip(v, static_cast<long long>(peak) - halfWidth, static_cast<long long>(peak) + halfWidth);
  float sum = 0, moment = 0;
  for (int c = w.first; c <= w.last; ++c) {
    const double count = v.counts[c];
    sum = static_cast<float>(sum + count);
    moment = static_cast<float>(moment + c * count);
  }
  if (!(sum > 0)) return std::nullopt;
  const float centroid = moment / sum;
  if (!std::isfinite(centroid)) return std::nullopt;
  return centroid;
}

std::optional<int> CentroidChannel(float centroid) {
  // float + 0.5 is exact in double, so the truncation sees the same sum as the centroid's own.
  const double v = static_cast<double>(centroid) + 0.5;
  if (!std::isfinite(v) || v >= 2147483648.0 || v <= -2147483649.0) return std::nullopt;
  return static_cast<int>(std::trunc(v));
}

std::optional<SnapResult> SnapPeak(const SpectrumView& v, int cursor) {
  const std::optional<PeakMax> p = FindPeakMax(v, cursor, 10);
  if (!p) return std::nullopt;
  const std::optional<float> centroid = PeakCentroid(v, p->channel, 5);
  if (!centroid) return std::nullopt;
  // Negative counts in a damaged file can put the centroid anywhere, even past the int range;
  // the cursor stays inside.
  const int last = std::clamp(v.channelSize, 1, kReadBufferChannels) - 1;
  const std::optional<int> channel = CentroidChannel(*centroid);
  const int snapped = channel ? std::clamp(*channel, 0, last) : (*centroid < 0 ? 0 : last);
  return SnapResult{p->channel, *centroid, snapped};
}

std::optional<FwhmResult> MeasureFwhm(const SpectrumView& v, int cursor) {
  const std::optional<PeakMax> p = FindPeakMax(v, cursor, 5);
  if (!p) return std::nullopt;
  const std::optional<float> centroid = PeakCentroid(v, p->channel, 2);
  if (!centroid) return std::nullopt;
  FwhmResult r;
  r.peak = p->channel;
  r.height = p->count;
  r.centroid = *centroid;
  r.half = p->count / 2;
  // Both scans walk inside the view from the peak; a peak on or outside its border leaves them
  // nothing to walk, and the width undefined.
  if (r.peak <= v.viewStart || r.peak >= v.viewEnd) return r;
  int i = r.peak;
  for (; i > v.viewStart; --i) {
    r.left = i;
    if (Count(v, i) <= r.half) break;
  }
  r.left += 1;
  for (i = r.peak; i < v.viewEnd; ++i) {
    r.right = i;
    if (Count(v, i) <= r.half) break;
  }
  r.right -= 1;
  // Near the view's border the scans' fallback edges can lie past the peak; edges that do not
  // enclose it measure no width.
  if (r.left > r.peak || r.right < r.peak) return r;
  const std::optional<float> lq = Crossing(Count(v, r.left), Count(v, r.left - 1), r.half);
  const std::optional<float> rq = Crossing(Count(v, r.right), Count(v, r.right + 1), r.half);
  if (!lq || !rq) return r;
  float width = static_cast<float>(r.right - r.left);
  width = width + *lq;
  width = width + *rq;
  r.width = width;
  return r;
}

std::optional<SnapResult> SnapPeakCommand(AppState& s, MainWindowPort& window) {
  const std::optional<SnapResult> r = SnapPeak(ViewOf(s), s.cursorChannel);
  if (!r) {
    window.SetText(Field::Edit1, peaktext::kNoPeak);
    return r;
  }
  char text[64];
  s.peakCentroid = r->centroid;
  std::snprintf(text, sizeof text, "%8.2f", static_cast<double>(r->centroid));
  window.SetText(Field::Edit1, text);
  s.cursorChannel = r->cursor;
  ShowCursorReadout(s, window);
  return r;
}

std::optional<FwhmResult> FwhmCommand(const AppState& s, MainWindowPort& window) {
  const std::optional<FwhmResult> r = MeasureFwhm(ViewOf(s), s.cursorChannel);
  if (!r) {
    window.SetText(Field::Edit1, peaktext::kNoPeak);
    return r;
  }
  char text[64];
  std::snprintf(text, sizeof text, "Peak %8.2f Ch.", static_cast<double>(r->centroid));
  window.SetText(Field::Edit1, text);
  if (r->width)
    std::snprintf(text, sizeof text, "%8.2f ch", static_cast<double>(*r->width));
  else
    std::snprintf(text, sizeof text, "%s", peaktext::kUndefinedFwhm);
  window.SetText(Field::FwhmVal, text);
  return r;
}

}  // namespace tavlex
