// The simulated analyser's clock and counting: real time, the preset, the MCA memory and the two
// scan banks. Counting goes in whole 10 ms steps of the analyser's clock, each drawn from its own
// seeded stream: the number of events, then a channel for each (or, at high rates, a count per
// channel), so that a step costs about as much as its events, however the clock jumps.

#include <algorithm>
#include <cmath>
#include <numeric>

#include "link/SimAnalyser.h"

namespace tavlex {

namespace {

constexpr std::int64_t kUsPerPresetUnit = 100000;  // 0.1 s
constexpr std::int64_t kShortestScanUs = 10000;
// Streams of the seeded generator.
constexpr std::uint64_t kMcaStream = 1, kScanStream = 2;

}  // namespace

double SimAnalyser::CountedRateCps() const {
  const double in = std::max(config_.inputRateCps, 0.0);
  const double tau = std::max(config_.deadTimeUs, 0.0) * 1e-6;
  return in / (1 + in * tau);
}

void SimAnalyser::SetInputRate(double cps) {
  Update();
  config_.inputRateCps = cps;
  BuildShape();
}

std::int32_t SimAnalyser::RealTime10ms() const {
  return static_cast<std::int32_t>((scanMode_ ? scanUs_ : realUs_) / 10000);
}

std::uint32_t SimAnalyser::Events() const {
  return scanMode_ ? scanEvents_ : events_;
}

std::uint32_t SimAnalyser::Count(int channel) const {
  return (channel >= 0 && channel < kMaxChannels) ? counts_[channel] : 0;
}

void SimAnalyser::SetCount(int channel, std::uint32_t value) {
  if (channel >= 0 && channel < kMaxChannels) counts_[channel] = value;
}

std::uint32_t SimAnalyser::BankCount(int bank, int channel) const {
  if (bank < 0 || bank > 1 || channel < 0 || channel >= kMaxChannels) return 0;
  return banks_[bank][channel];
}

std::int64_t SimAnalyser::ScanPresetUs() const {
  return std::max(static_cast<std::int64_t>(preset_) * kUsPerPresetUnit, kShortestScanUs);
}

void SimAnalyser::ClearMca() {
  std::fill(std::begin(counts_), std::end(counts_), 0u);
  std::fill(std::begin(carry_), std::end(carry_), 0.0);
  events_ = 0;
  realUs_ = 0;
  ++mcaRuns_;
}

void SimAnalyser::ClearScans() {
  for (auto& bank : banks_) std::fill(std::begin(bank), std::end(bank), 0u);
  std::fill(std::begin(bankCarry_), std::end(bankCarry_), 0.0);
  scanEvents_ = 0;
  scanUs_ = 0;
  activeBank_ = 0;
  scanFinished_ = false;
  scanDone_ = false;
  scansCompleted_ = 0;
  ++scanSeries_;
}

void SimAnalyser::Update() {
  const std::int64_t now = clock_.NowUs();
  const std::int64_t dt = now - lastClockUs_;
  lastClockUs_ = now;
  if (dt <= 0) return;
  if (running_) AdvanceMca(dt);
  if (scanning_) AdvanceScan(dt);
}

void SimAnalyser::AdvanceMca(std::int64_t dtUs) {
  // The analyser stops by itself at the preset and holds its real time there.
  const std::int64_t presetUs = static_cast<std::int64_t>(std::max(preset_, 0)) * kUsPerPresetUnit;
  const std::int64_t to = std::min(realUs_ + dtUs, presetUs);
  if (to > realUs_) CountSteps(counts_, carry_, &events_, kMcaStream, mcaRuns_, realUs_, to);
  realUs_ = std::max(realUs_, to);
  if (realUs_ >= presetUs) running_ = false;
}

void SimAnalyser::AdvanceScan(std::int64_t dtUs) {
  const std::int64_t presetUs = ScanPresetUs();
  while (dtUs > 0) {
    const std::int64_t step = std::min(dtUs, presetUs - scanUs_);
    // Each scan is a run of its own, so one skipped unseen changes none after it.
    const std::uint64_t run = (scanSeries_ << 32) + static_cast<std::uint64_t>(scansCompleted_);
    CountSteps(banks_[activeBank_], bankCarry_, &scanEvents_, kScanStream, run, scanUs_,
               scanUs_ + step);
    scanUs_ += step;
    dtUs -= step;
    if (scanUs_ < presetUs) break;
    FinishScan();
    // After a long jump only the last finished scan and the current one can be seen.
    if (dtUs > 2 * presetUs) {
      const std::int64_t skipped = dtUs / presetUs - 1;
      scansCompleted_ += static_cast<int>(std::min<std::int64_t>(skipped, 1 << 30));
      dtUs -= skipped * presetUs;
    }
  }
}

void SimAnalyser::FinishScan() {
  scanFinished_ = true;
  scanDone_ = true;
  ++scansCompleted_;
  activeBank_ ^= 1;
  std::fill(std::begin(banks_[activeBank_]), std::end(banks_[activeBank_]), 0u);
  std::fill(std::begin(bankCarry_), std::end(bankCarry_), 0.0);
  scanEvents_ = 0;
  scanUs_ = 0;
}

void SimAnalyser::CountSteps(std::uint32_t* counts, double* carry, std::uint32_t* events,
                             std::uint64_t stream, std::uint64_t run, std::int64_t fromUs,
                             std::int64_t toUs) {
  // Only completed steps count; the step under way is counted once it is complete.
  const std::int64_t firstStep = fromUs / kStepUs, endStep = toUs / kStepUs;
  if (endStep <= firstStep) return;
  fromUs = firstStep * kStepUs;
  toUs = endStep * kStepUs;
  const double rate = CountedRateCps();
  if (config_.exactCounts) {
    // Events counted since the start are the rounded-down expectation at every moment.
    auto expected = [rate](std::int64_t us) {
      return static_cast<std::uint64_t>(std::floor(rate * static_cast<double>(us) * 1e-6 + 1e-7));
    };
    const std::uint64_t n = expected(toUs) - std::min(expected(toUs), expected(fromUs));
    DistributeExact(counts, carry, n);
    *events += static_cast<std::uint32_t>(n);
    return;
  }
  const double mean = rate * static_cast<double>(kStepUs) * 1e-6;
  for (std::int64_t step = firstStep; step < endStep; ++step) {
    random_.Seed(config_.seed, stream, run, static_cast<std::uint64_t>(step));
    DistributePoisson(counts, events, mean);
  }
}

void SimAnalyser::DistributeExact(std::uint32_t* counts, double* carry, std::uint64_t n) {
  if (n == 0) return;
  std::uint64_t placed = 0;
  for (int i = 0; i < memorySize_; ++i) {
    carry[i] += static_cast<double>(n) * shape_[i];
    const double whole = std::floor(carry[i]);
    if (whole > 0) {
      counts[i] += static_cast<std::uint32_t>(whole);
      carry[i] -= whole;
      placed += static_cast<std::uint64_t>(whole);
    }
  }
  // The rounded-down shares leave a few events over: they go to the largest remainders.
  std::uint64_t left = n > placed ? n - placed : 0;
  if (left == 0) return;
  const int take = static_cast<int>(std::min<std::uint64_t>(left, memorySize_));
  std::iota(order_, order_ + memorySize_, 0);
  std::nth_element(order_, order_ + take - 1, order_ + memorySize_, [carry](int a, int b) {
    return carry[a] > carry[b] || (carry[a] == carry[b] && a < b);
  });
  for (int k = 0; k < take; ++k) {
    counts[order_[k]] += 1;
    carry[order_[k]] -= 1;
  }
}

void SimAnalyser::DistributePoisson(std::uint32_t* counts, std::uint32_t* events, double mean) {
  if (!(mean > 0)) return;
  if (mean < 2048) {
    // Few events: draw their number, then a channel for each.
    const std::uint64_t n = random_.Poisson(mean);
    for (std::uint64_t k = 0; k < n; ++k) {
      const double u = random_.Uniform();
      int ch = guide_[static_cast<int>(u * kMaxChannels)];
      while (ch < memorySize_ - 1 && cdf_[ch] <= u) ++ch;
      counts[ch] += 1;
    }
    *events += static_cast<std::uint32_t>(n);
    return;
  }
  for (int i = 0; i < memorySize_; ++i) {
    const auto k = static_cast<std::uint32_t>(random_.Poisson(mean * shape_[i]));
    counts[i] += k;
    *events += k;
  }
}

}  // namespace tavlex
