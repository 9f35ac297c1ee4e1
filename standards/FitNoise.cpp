// The K-ratio uncertainty with the counting noise of the sample and of every standard, by linear
// error propagation through the least-squares solution.
//
// With R_l the scaled, cut filtered spectrum of standard l (scale s_l, range [lo_l, hi_l)), the
// sample's filtered spectrum y, weights w_j = 1 / sampleVariance[j], N the normal matrix and a the
// coefficients, a small change of y and of the R_l changes a by
//   da = N^-1 (dR^T W e - R^T W dR a),   e = y - R a (the residual).
// y = F x and R_l = s_l F t_l, F the top-hat filter, x the sample's and t_l standard l's counts,
// each count Poisson with its own value as variance. So
//   var a_k = sum_i (F^T u_k)_i^2 x_i + sum_l s_l^2 sum_i (F^T h_kl)_i^2 t_l,i
// with u_k,j = w_j sum_p N^-1_kp R_p,j and, on l's range, h_kl,j = N^-1_kl w_j e_j - a_l u_k,j.

#include <algorithm>
#include <cmath>

#include "standards/StandardsTable.h"

namespace tavlex {
namespace {

double PoissonSum(const double* g, const std::int32_t* counts) {
  double sum = 0.0;
  for (int i = 0; i < kMaxChannels; ++i)
    if (counts[i] > 0) sum += g[i] * g[i] * counts[i];
  return sum;
}

}  // namespace

void TDmSMTX::PropagateCountingNoise(int m, const int* lo, const int* hi) {
  const int channels = std::min<int>(sampleChannels, kMaxChannels);
  const int w = filterSideWidth, c = filterCentreWidth;
  // sum_p N^-1_kp R_p,j, and the residual at j.
  auto combined = [&](int k, int j) {
    double sum = 0.0;
    for (int p = 0; p < m; ++p)
      if (j >= lo[p] && j < hi[p])
        sum += normalMatrix[k][p] * referenceScale[p] * referenceSpectra[p][j];
    return sum;
  };
  auto residual = [&](int j) {
    double sum = sampleFiltered[j];
    for (int p = 0; p < m; ++p)
      if (j >= lo[p] && j < hi[p])
        sum -= fitCoefficients[p] * referenceScale[p] * referenceSpectra[p][j];
    return sum;
  };
  for (int k = 0; k < m; ++k) {
    // Every channel of a range was weighted by the fit, so its variance is no longer 0.
    std::fill(std::begin(noiseWeights_), std::end(noiseWeights_), 0.0);
    for (int l = 0; l < m; ++l)
      for (int j = lo[l]; j < hi[l]; ++j) noiseWeights_[j] = combined(k, j) / sampleVariance[j];
    FilterSpectrumTranspose(noiseWeights_, channels, noiseOnCounts_, w, c);
    double variance = PoissonSum(noiseOnCounts_, sampleCounts);
    for (int l = 0; l < m; ++l) {
      std::fill(std::begin(noiseWeights_), std::end(noiseWeights_), 0.0);
      for (int j = lo[l]; j < hi[l]; ++j)
        noiseWeights_[j] = (normalMatrix[k][l] * residual(j) -
                            fitCoefficients[l] * combined(k, j)) / sampleVariance[j];
      FilterSpectrumTranspose(noiseWeights_, channels, noiseOnCounts_, w, c);
      variance += referenceScale[l] * referenceScale[l] *
                  PoissonSum(noiseOnCounts_, referenceCounts[l]);
    }
    fitErrorsTotal[k] = std::sqrt(variance) * 3 * 100;
  }
}

}  // namespace tavlex
