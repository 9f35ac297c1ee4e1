#include "link/SimRandom.h"

#include <cmath>
#include <initializer_list>

namespace tavlex {

namespace {

std::uint64_t SplitMix(std::uint64_t& x) {
  std::uint64_t z = (x += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

std::uint64_t Rotl(std::uint64_t x, int k) {
  return (x << k) | (x >> (64 - k));
}

}  // namespace

void SimRandom::Seed(std::uint64_t seed) {
  for (auto& word : s_) word = SplitMix(seed);
}

void SimRandom::Seed(std::uint64_t seed, std::uint64_t stream, std::uint64_t run,
                     std::uint64_t step) {
  std::uint64_t key = seed;
  for (std::uint64_t part : {stream, run, step}) {
    std::uint64_t x = key ^ part;
    key = SplitMix(x) ^ (part * 0xD1B54A32D192ED03ull);
  }
  Seed(key);
}

// xoshiro256**
std::uint64_t SimRandom::Next() {
  const std::uint64_t result = Rotl(s_[1] * 5, 7) * 9;
  const std::uint64_t t = s_[1] << 17;
  s_[2] ^= s_[0];
  s_[3] ^= s_[1];
  s_[1] ^= s_[2];
  s_[0] ^= s_[3];
  s_[2] ^= t;
  s_[3] = Rotl(s_[3], 45);
  return result;
}

std::uint64_t SimRandom::Poisson(double mean) {
  if (!(mean > 0)) return 0;
  if (mean < 10) {
    // Inversion by sequential search: about mean + 1 steps.
    double p = std::exp(-mean), cumulative = p, u = Uniform();
    std::uint64_t k = 0;
    while (u > cumulative && k < 1000) {
      ++k;
      p *= mean / static_cast<double>(k);
      cumulative += p;
    }
    return k;
  }
  // Transformed rejection with squeeze (Hoermann's PTRS): a handful of uniforms per draw.
  const double slam = std::sqrt(mean), loglam = std::log(mean);
  const double b = 0.931 + 2.53 * slam;
  const double a = -0.059 + 0.02483 * b;
  const double invAlpha = 1.1239 + 1.1328 / (b - 3.4);
  const double vr = 0.9277 - 3.6224 / (b - 2);
  for (;;) {
    const double u = Uniform() - 0.5;
    const double v = Uniform();
    const double us = 0.5 - std::fabs(u);
    const double k = std::floor((2 * a / us + b) * u + mean + 0.43);
    if (us >= 0.07 && v <= vr) return static_cast<std::uint64_t>(k);
    if (k < 0 || (us < 0.013 && v > us)) continue;
    if (std::log(v) + std::log(invAlpha) - std::log(a / (us * us) + b) <=
        -mean + k * loglam - std::lgamma(k + 1))
      return static_cast<std::uint64_t>(k);
  }
}

}  // namespace tavlex
