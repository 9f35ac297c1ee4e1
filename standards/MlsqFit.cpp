// The MLSQ fit: the sample's filtered spectrum as a weighted least-squares sum of the active
// standards' filtered spectra, each cut to its own range. Fixed arrays only; nothing allocated.

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "standards/StandardsTable.h"

namespace tavlex {
namespace {

// Into the record's single precision; a value beyond it is cut to the largest one, never undefined.
float Single(double v) {
  if (std::isnan(v)) return static_cast<float>(v);
  return static_cast<float>(std::clamp(v, double{-FLT_MAX}, double{FLT_MAX}));
}

// A pivot this small against its row's diagonal means the standards are (nearly) dependent: two
// identical standards, or one whose filtered spectrum is zero over its range.
constexpr double kSingularRatio = 1e-10;

}  // namespace

double& TDmSMTX::Variance(int j) {
  // No counts in the windows: the channel counts with unit weight.
  if (sampleVariance[j] == 0.0) sampleVariance[j] = 1.0;
  return sampleVariance[j];
}

void TDmSMTX::BuildNormalEquations(int m, const int* lo, const int* hi) {
  for (int k = 0; k < m; ++k) {
    double sum = 0.0;
    for (int j = lo[k]; j < hi[k]; ++j)
      sum += referenceSpectra[k][j] * sampleFiltered[j] / Variance(j);
    rightHandSide[k] = referenceScale[k] * sum;
  }
  for (int k = 0; k < m; ++k)
    for (int l = 0; l < 2 * m; ++l) normalMatrix[k][l] = 0.0;
  for (int k = 0; k < m; ++k) {
    for (int l = k; l < m; ++l) {
      const int from = std::max(lo[k], lo[l]), to = std::min(hi[k], hi[l]);
      if (to - from <= 0) continue;  // ranges that don't overlap leave the pair uncoupled
      double sum = 0.0;
      for (int j = from; j < to; ++j)
        sum += referenceSpectra[k][j] * referenceSpectra[l][j] / Variance(j);
      normalMatrix[k][l] = referenceScale[k] * referenceScale[l] * sum;
    }
  }
  for (int k = 0; k < m - 1; ++k)
    for (int l = k + 1; l < m; ++l) normalMatrix[l][k] = normalMatrix[k][l];
}

// Gauss-Jordan in place, no pivoting (the matrix is symmetric and positive definite unless the
// standards are dependent). Every pivot is checked before it divides: false, and the inverse is
// not complete, when one is not clearly positive.
bool TDmSMTX::InvertNormalMatrix(int m) {
  for (int i = 0; i < m; ++i) {
    originalDiagonal_[i] = normalMatrix[i][i];
    for (int l = m; l < 2 * m; ++l) normalMatrix[i][l] = 0.0;
    normalMatrix[i][m + i] = 1.0;
  }
  for (int i = 0; i < m; ++i) {
    const double p = normalMatrix[i][i];
    if (!(p > kSingularRatio * originalDiagonal_[i]) || !(p > 0.0) || !std::isfinite(p))
      return false;
    for (int l = 0; l < 2 * m; ++l) normalMatrix[i][l] /= p;
    for (int r = 0; r < m; ++r) {
      if (r == i) continue;
      const double f = normalMatrix[r][i];
      for (int l = 0; l < 2 * m; ++l) normalMatrix[r][l] -= f * normalMatrix[i][l];
    }
  }
  for (int i = 0; i < m; ++i)
    for (int l = 0; l < m; ++l) normalMatrix[i][l] = normalMatrix[i][m + l];
  return true;
}

// Faults of the sample, then of a standard against it, before anything is summed.
FitStatus TDmSMTX::CheckSample(int channels, int m) {
  if (std::any_of(sampleCounts, sampleCounts + channels, [](std::int32_t c) { return c < 0; }))
    return FitStatus::SampleNegative;
  for (int k = 0; k < m; ++k) {
    faultStandard_ = k;
    // Channel j of the sample is compared with channel j of each standard: same channels only.
    if (referenceChannels[k] != channels) return FitStatus::ChannelMismatch;
    if (activeStandards[k].RoiHigh() > channels) return FitStatus::RangePastSample;
  }
  faultStandard_ = -1;
  return FitStatus::Fitted;
}

// The fit compares count rates: each standard counts as measured for the sample's live time.
void TDmSMTX::ScaleByLiveTime(int m) {
  liveTimesUsed_ = true;
  for (int k = 0; k < m; ++k) {
    referenceScale[k] = 1.0;
    if (sampleLiveTime > 0 && referenceLiveTime[k] > 0)
      referenceScale[k] = static_cast<double>(sampleLiveTime) / referenceLiveTime[k];
    else
      liveTimesUsed_ = false;
  }
}

FitStatus TDmSMTX::RunMlsqFit(bool loaded) {
  filterSideWidth = 8;
  filterCentreWidth = 16;
  faultStandard_ = -1;
  if (!loaded) {
    // Fitting on a table that did not load would give K-ratios for standards not in memory.
    if (LoadStandards() == 0 && lastLoad_ != LoadStatus::Loaded)
      return lastLoad_ == LoadStatus::Cancelled ? FitStatus::LoadCancelled : FitStatus::LoadFailed;
  }
  // A load that stopped part-way left a table whose spectra are partly another table's.
  if (!ReferencesUsable()) return FitStatus::LoadFailed;
  if (sampleChannels <= 0) return FitStatus::NoSample;
  const int channels = std::min<int>(sampleChannels, kMaxChannels);
  FilterSpectrum(sampleCounts, channels, sampleFiltered, filterSideWidth, filterCentreWidth);
  FilterVariance(sampleCounts, channels, sampleVariance, filterSideWidth, filterCentreWidth);

  const int m = std::clamp(activeCount, 0, kStandardSlots);
  if (m == 0) return FitStatus::NoStandards;
  if (const FitStatus fault = CheckSample(channels, m); fault != FitStatus::Fitted) return fault;
  ScaleByLiveTime(m);
  // A range from a file may start before channel 0; the sums start at 0.
  int lo[kStandardSlots], hi[kStandardSlots];
  for (int k = 0; k < m; ++k) {
    lo[k] = std::clamp<int>(activeStandards[k].RoiLow(), 0, channels);
    hi[k] = std::clamp<int>(activeStandards[k].RoiHigh(), 0, channels);
  }
  BuildNormalEquations(m, lo, hi);
  if (!InvertNormalMatrix(m)) return FitStatus::Singular;

  for (int k = 0; k < m; ++k) {
    double sum = 0.0;
    for (int l = 0; l < m; ++l) sum += normalMatrix[k][l] * rightHandSide[l];
    fitCoefficients[k] = sum;
  }
  const int w = filterSideWidth, c = filterCentreWidth;
  const float q = static_cast<float>((w * c * 2) / (c + 2 * w));
  for (int k = 0; k < m; ++k) {
    const double e = q * normalMatrix[k][k];
    fitErrors[k] = e > 0 ? std::sqrt(e) * 3 * 100 : 100.0;
  }
  PropagateCountingNoise(m, lo, hi);
  for (int k = 0; k < m; ++k) {
    StandardRecord& r = table[activeSlot[k]];
    r.SetKRatio(Single(fitCoefficients[k] * 100));
    r.SetKRatioError(Single(fitErrors[k]));
  }
  return FitStatus::Fitted;
}

}  // namespace tavlex
