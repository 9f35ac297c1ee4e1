#pragma once
// Time sources: the steady wall clock in the program, a manual clock in tests.

#include <chrono>
#include <cstdint>

namespace tavlex {

class Clock {
 public:
  virtual ~Clock() = default;
  // Microseconds since an arbitrary start; never goes backwards.
  virtual std::int64_t NowUs() = 0;
};

class SteadyClock : public Clock {
 public:
  std::int64_t NowUs() override {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
  }
};

// Moves only when told to. With a step set, every reading also advances it by that step, which
// lets a wait loop bounded by a time-out end in tests without real waiting.
class ManualClock : public Clock {
 public:
  std::int64_t NowUs() override {
    std::int64_t t = now_;
    now_ += stepUs_;
    return t;
  }
  void Advance(std::int64_t us) { now_ += us; }
  void AdvanceMs(std::int64_t ms) { now_ += ms * 1000; }
  void SetStepUs(std::int64_t us) { stepUs_ = us; }
  std::int64_t Peek() const { return now_; }

 private:
  std::int64_t now_ = 0;
  std::int64_t stepUs_ = 0;
};

}  // namespace tavlex
