#pragma once
// Time sources: the steady wall clock in the program, a manual clock in tests.

#include <chrono>
#include <cstdint>
#include <thread>

namespace tavlex {

class Clock {
 public:
  virtual ~Clock() = default;
  // Microseconds since an arbitrary start; never goes backwards.
  virtual std::int64_t NowUs() = 0;
  // Lets time pass while a wait has nothing to do, so that waiting for the analyser does not
  // keep a core busy.
  virtual void SleepUs(std::int64_t us) = 0;
  // Lets a few microseconds pass without giving up the processor: for the last moments of a
  // wait whose end is known, where a sleep would wake up too late.
  virtual void SpinUs(std::int64_t us) { SleepUs(us); }
};

class SteadyClock : public Clock {
 public:
  std::int64_t NowUs() override {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
  }
  void SleepUs(std::int64_t us) override {
    if (us > 0) std::this_thread::sleep_for(std::chrono::microseconds(us));
  }
  void SpinUs(std::int64_t us) override {
    const auto end = std::chrono::steady_clock::now() + std::chrono::microseconds(us);
    while (std::chrono::steady_clock::now() < end) std::this_thread::yield();
  }
};

// Moves only when told to. A sleep moves it on by the time slept, without real waiting, so that
// a wait bounded by a time-out ends in tests and its length can be read off the clock. With a
// step set, every reading also advances it by that step.
class ManualClock : public Clock {
 public:
  std::int64_t NowUs() override {
    std::int64_t t = now_;
    now_ += stepUs_;
    return t;
  }
  void SleepUs(std::int64_t us) override {
    if (us > 0) now_ += us;
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
