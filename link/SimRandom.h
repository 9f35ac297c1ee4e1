#pragma once
// Random numbers for the simulated analyser: a small fast generator with a fixed algorithm, so
// that a seed gives the same spectrum on every machine and library, and a Poisson sampler that
// stays cheap for large means (a clock jump of minutes is one draw per channel).

#include <cstdint>

namespace tavlex {

class SimRandom {
 public:
  explicit SimRandom(std::uint64_t seed) { Seed(seed); }
  void Seed(std::uint64_t seed);
  // A stream of its own for each (seed, stream, run, step): one step's draws do not depend on
  // how many draws came before.
  void Seed(std::uint64_t seed, std::uint64_t stream, std::uint64_t run, std::uint64_t step);
  std::uint64_t Next();
  // Uniform in [0, 1).
  double Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
  // A Poisson-distributed count with the given mean (0 for a mean of 0 or less).
  std::uint64_t Poisson(double mean);

 private:
  std::uint64_t s_[4] = {};
};

}  // namespace tavlex
