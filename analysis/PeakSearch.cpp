#include "analysis/PeakSearch.h"

#include <algorithm>
#include <cmath>

#include "analysis/XrayLines.h"

namespace tavlex {

namespace {

struct Window {
  int h = 0;  // central window: channel - h .. channel + h
  int v = 0;  // each side window: v channels beyond the central one
  double response = 0;  // filter output for a Gaussian of unit area at the channel
};

// Share of a normal distribution of standard deviation sigma within +-a.
double Within(double a, double sigma) {
  return std::erf(a / (sigma * std::sqrt(2.0)));
}

Window WindowAt(double fwhmChannels) {
  // Wider than the spectrum is as good as infinite; narrower than a third of a channel as a line.
  fwhmChannels = std::clamp(fwhmChannels, 0.3, 2.0 * kMaxChannels);
  Window w;
  w.h = std::max(1, static_cast<int>(std::lround(0.5 * fwhmChannels)));
  w.v = std::max(1, static_cast<int>(std::lround(0.5 * fwhmChannels)));
  const double sigma = std::max(fwhmChannels, 0.3) / 2.3548;
  const double centre = Within(w.h + 0.5, sigma);
  const double all = Within(w.h + w.v + 0.5, sigma);
  w.response = centre / (2 * w.h + 1) - (all - centre) / (2.0 * w.v);
  return w;
}

struct Filtered {
  double value[kMaxChannels] = {};
  double sigma[kMaxChannels] = {};
  int h[kMaxChannels] = {};
  int v[kMaxChannels] = {};
  double response[kMaxChannels] = {};
  double normal[kMaxFoundPeaks][kMaxFoundPeaks] = {};
  double rhs[kMaxFoundPeaks] = {};
};

// Filter output at channel i (windows h, v) for a Gaussian of unit area at c, sigma channels.
double ResponseAt(int i, int h, int v, double c, double sigma) {
  const double s = 1 / (sigma * std::sqrt(2.0));
  auto cdf = [&](double x) { return std::erf((x - c) * s); };
  const double a = cdf(i - h - v - 0.5), b = cdf(i - h - 0.5), d = cdf(i + h + 0.5),
               e = cdf(i + h + v + 0.5);
  return 0.5 * ((d - b) / (2 * h + 1) - ((b - a) + (e - d)) / (2.0 * v));
}

// Areas of neighbouring peaks share channels: fit them together, each a Gaussian of the
// detector's width at its found position, to the filtered spectrum (weighted by its noise). The
// areas found one by one stay where the fit cannot be solved.
void FitAreas(int n, double slope, double threshold, Filtered& f, PeakSearchResult& out) {
  const int m = out.count;
  if (m == 0) return;
  double sigma[kMaxFoundPeaks];
  for (int k = 0; k < m; ++k) {
    sigma[k] = std::max(out.peaks[k].fwhmKeV / slope, 0.3) / 2.3548;
    f.rhs[k] = 0;
    for (int l = 0; l < m; ++l) f.normal[k][l] = 0;
  }
  int first = 0;
  double g[kMaxFoundPeaks];
  for (int i = 0; i < n; ++i) {
    if (f.h[i] == 0) continue;
    const double reach = f.h[i] + f.v[i] + 1;
    while (first < m && out.peaks[first].channel + 4 * sigma[first] + reach < i) ++first;
    int last = first;
    while (last < m && out.peaks[last].channel - 4 * sigma[last] - reach <= i) ++last;
    if (last == first) continue;
    const double w = 1 / (f.sigma[i] * f.sigma[i]);
    for (int k = first; k < last; ++k) g[k] = ResponseAt(i, f.h[i], f.v[i], out.peaks[k].channel, sigma[k]);
    for (int k = first; k < last; ++k) {
      f.rhs[k] += w * g[k] * f.value[i];
      for (int l = first; l < last; ++l) f.normal[k][l] += w * g[k] * g[l];
    }
  }
  // Cholesky in place; the matrix is banded in practice, so the zeros cost little.
  for (int k = 0; k < m; ++k) {
    for (int l = 0; l < k; ++l) {
      double s = f.normal[k][l];
      for (int j = 0; j < l; ++j) s -= f.normal[k][j] * f.normal[l][j];
      f.normal[k][l] = s / f.normal[l][l];
    }
    double d = f.normal[k][k];
    for (int j = 0; j < k; ++j) d -= f.normal[k][j] * f.normal[k][j];
    if (!(d > 1e-12 * std::fabs(f.normal[k][k]) && d > 0)) return;
    f.normal[k][k] = std::sqrt(d);
  }
  double x[kMaxFoundPeaks];
  for (int k = 0; k < m; ++k) {
    double s = f.rhs[k];
    for (int j = 0; j < k; ++j) s -= f.normal[k][j] * x[j];
    x[k] = s / f.normal[k][k];
  }
  for (int k = m - 1; k >= 0; --k) {
    double s = x[k];
    for (int j = k + 1; j < m; ++j) s -= f.normal[j][k] * x[j];
    x[k] = s / f.normal[k][k];
  }
  // A maximum whose area the fit gives to its neighbours was the noise on their flank.
  int kept = 0;
  for (int k = 0; k < m; ++k) {
    if (std::isfinite(x[k])) out.peaks[k].net = x[k];
    if (out.peaks[k].net >= (threshold - 0.5) * out.peaks[k].netSigma) out.peaks[kept++] = out.peaks[k];
  }
  out.count = kept;
}

// One search at a given resolution. Fills everything of `out` but the resolution fields.
void Search(const std::int32_t* counts, int n, const PeakSearchSetup& setup, double noise,
            Filtered& f, PeakSearchResult& out) {
  double sum[kMaxChannels + 1];
  sum[0] = 0;
  for (int i = 0; i < n; ++i) sum[i + 1] = sum[i] + std::max(counts[i], 0);
  auto total = [&](int a, int b) { return sum[b + 1] - sum[a]; };  // channels a .. b

  out.count = 0;
  out.channels = n;
  for (int i = 0; i < n; ++i) {
    f.value[i] = f.sigma[i] = 0;
    f.h[i] = f.v[i] = 0;
    out.netSigma[i] = 0;
    const double e = i * setup.slope + setup.offset;
    const Window w = WindowAt(SiliconDetectorFwhm(e, noise) / setup.slope);
    if (i - w.h - w.v < 0 || i + w.h + w.v >= n || !(w.response > 0)) continue;
    const double centre = total(i - w.h, i + w.h);
    const double sides = total(i - w.h - w.v, i - w.h - 1) + total(i + w.h + 1, i + w.h + w.v);
    const double wc = 2.0 * w.h + 1, ws = 2.0 * w.v;
    f.value[i] = centre / wc - sides / ws;
    // An empty stretch still has the uncertainty of one count.
    const double variance = std::max(centre / (wc * wc) + sides / (ws * ws), 1 / (wc * wc));
    f.sigma[i] = std::sqrt(variance);
    f.h[i] = w.h;
    f.v[i] = w.v;
    f.response[i] = w.response;
    out.netSigma[i] = f.sigma[i] / w.response;
  }

  for (int i = 1; i + 1 < n && out.count < kMaxFoundPeaks; ++i) {
    if (f.h[i] == 0 || f.value[i] < setup.threshold * f.sigma[i]) continue;
    const double e = i * setup.slope + setup.offset;
    if (e < setup.minEnergyKeV) continue;
    // The highest point within half a width on either side; the lower channel wins a tie.
    bool top = true;
    for (int k = std::max(0, i - f.h[i]); k <= std::min(n - 1, i + f.h[i]) && top; ++k)
      if (k != i && (f.value[k] > f.value[i] || (k < i && f.value[k] == f.value[i]))) top = false;
    if (!top) continue;
    // Vertex of the parabola fitted to the filtered points within half a half-width.
    const int m = std::max(1, f.h[i] / 2);
    double sx2 = 0, sxy = 0, sx4 = 0, sx2y = 0, sy = 0;
    int points = 0;
    for (int k = -m; k <= m; ++k) {
      if (i + k < 0 || i + k >= n) continue;
      const double y = f.value[i + k];
      sx2 += k * k;
      sxy += k * y;
      sx4 += static_cast<double>(k) * k * k * k;
      sx2y += k * k * y;
      sy += y;
      ++points;
    }
    const double b = sxy / sx2;
    const double meanX2 = sx2 / points;
    const double a = (sx2y - meanX2 * sy) / (sx4 - meanX2 * sx2);
    double shift = a < 0 ? -b / (2 * a) : 0;
    shift = std::clamp(shift, -0.5 * m, 0.5 * m);
    FoundPeak& p = out.peaks[out.count++];
    p.channel = i + shift;
    p.energyKeV = p.channel * setup.slope + setup.offset;
    p.net = f.value[i] / f.response[i];
    p.netSigma = f.sigma[i] / f.response[i];
    p.fwhmKeV = SiliconDetectorFwhm(p.energyKeV, noise);
  }
  FitAreas(n, setup.slope, setup.threshold, f, out);
}

// The electronic noise measured from the widths of the strongest peaks that stand alone;
// 0 when none can be measured.
double MeasureNoise(const std::int32_t* counts, int n, const PeakSearchSetup& setup,
                    const PeakSearchResult& r) {
  int order[kMaxFoundPeaks];
  for (int i = 0; i < r.count; ++i) order[i] = i;
  std::sort(order, order + r.count, [&](int a, int b) { return r.peaks[a].net > r.peaks[b].net; });
  double noise[8];
  int measured = 0;
  for (int k = 0; k < r.count && measured < 8; ++k) {
    const FoundPeak& p = r.peaks[order[k]];
    const double fwhmCh = p.fwhmKeV / setup.slope;
    if (p.net < 20 * p.netSigma || !(fwhmCh >= 4 && fwhmCh < n / 4.0)) continue;
    bool alone = true;
    for (int j = 0; j < r.count; ++j)
      if (j != order[k] && std::fabs(r.peaks[j].channel - p.channel) < 3 * fwhmCh) alone = false;
    if (!alone) continue;
    const int span = static_cast<int>(std::ceil(2 * fwhmCh));
    const int c = static_cast<int>(std::lround(p.channel));
    if (c - span - 1 < 0 || c + span + 1 >= n) continue;
    auto mean3 = [&](int at) { return (counts[at - 1] + counts[at] + counts[at + 1]) / 3.0; };
    // A neighbour's tail raises one side: the lower side is the background, taken flat.
    const double bg = std::min(mean3(c - span), mean3(c + span));
    auto net = [&](int at) { return counts[at] - bg; };
    int top = c;
    for (int at = c - span / 4; at <= c + span / 4; ++at)
      if (net(at) > net(top)) top = at;
    // A Gaussian is a parabola in the logarithm: fit one to the channels above a fifth of the
    // top, each weighted by its counts (the inverse variance of its logarithm).
    const double floor = 0.2 * net(top);
    if (!(floor > 0)) continue;
    double s0 = 0, s1 = 0, s2 = 0, s3 = 0, s4 = 0, t0 = 0, t1 = 0, t2 = 0;
    for (int at = c - span; at <= c + span; ++at) {
      const double y = net(at);
      if (y <= floor) continue;
      const double x = at - top, w = y, l = std::log(y);
      s0 += w, s1 += w * x, s2 += w * x * x, s3 += w * x * x * x, s4 += w * x * x * x * x;
      t0 += w * l, t1 += w * x * l, t2 += w * x * x * l;
    }
    // Solve the 3 x 3 normal equations for the curvature by Cramer's rule.
    const double det = s0 * (s2 * s4 - s3 * s3) - s1 * (s1 * s4 - s3 * s2) + s2 * (s1 * s3 - s2 * s2);
    const double curv = (s0 * (s2 * t2 - s3 * t1) - s1 * (s1 * t2 - s2 * t1) + t0 * (s1 * s3 - s2 * s2)) / det;
    if (!(curv < 0) || !std::isfinite(curv)) continue;
    const double width = std::sqrt(-1 / (2 * curv)) * 2.3548 * setup.slope;
    const double fano = SiliconDetectorFwhm(p.energyKeV, 0);
    if (width > fano) noise[measured++] = std::sqrt(width * width - fano * fano);
  }
  if (measured == 0) return 0;
  // Unresolved doublets (L-alpha1/2, K-alpha1/2 of heavy elements) only ever widen a peak: the
  // lower quarter of the widths is the detector's own.
  std::sort(noise, noise + measured);
  return std::clamp(noise[measured / 4], 0.03, 0.5);
}

}  // namespace

double SearchFwhm(const PeakSearchResult& r, double eKeV) {
  return SiliconDetectorFwhm(eKeV, r.noiseFwhmKeV);
}

void FindPeaks(const std::int32_t* counts, int channels, const PeakSearchSetup& setup,
               PeakSearchResult& out) {
  static thread_local Filtered filtered;
  out.count = 0;
  out.channels = 0;
  out.resolutionMeasured = false;
  out.noiseFwhmKeV = setup.noiseFwhmKeV > 0 ? setup.noiseFwhmKeV : kDefaultNoiseFwhmKeV;
  const int n = std::min(channels, kMaxChannels);
  if (!(setup.slope > 0) || !std::isfinite(setup.offset) || n < 8 || counts == nullptr) return;
  Search(counts, n, setup, out.noiseFwhmKeV, filtered, out);
  if (setup.noiseFwhmKeV > 0) return;
  // The first search used an assumed resolution; search again with the measured one.
  const double noise = MeasureNoise(counts, n, setup, out);
  if (noise > 0) {
    out.noiseFwhmKeV = noise;
    out.resolutionMeasured = true;
    Search(counts, n, setup, noise, filtered, out);
  }
}

}  // namespace tavlex
