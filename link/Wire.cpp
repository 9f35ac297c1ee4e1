#include "link/Wire.h"

#include <algorithm>

namespace tavlex::wire {

namespace {

// Time between looks at an empty receive queue: short at first, since most replies come within
// a few milliseconds, then longer so that a slow analyser does not keep a core busy.
constexpr std::int64_t kShortPauseUs = 100;
std::int64_t PauseUs(std::int64_t waitedUs) {
  return waitedUs < 5000 ? kShortPauseUs : 1000;
}

// A reply whose time is known (a reply of the same size took it last time) is slept through in
// one sleep that ends kWakeEarlyUs before the reply is due, and earlier by as much as this
// link's sleeps have been waking up late (learned, at most kMaxSleepLateUs): a sleep wakes up
// some tens of microseconds late, Linux's timer slack alone being 50 us, more on a busy machine.
// From then on, until kDueWindowUs after the reply is due (or as long as its time is still
// rough, at most kShortPauseUs), the queue is looked at every kSpinUs without sleeping; past
// that, the reply is looked for as a new one would be. Sleeping 100 us between looks missed a
// 1.5 ms reply by about 100 us, 7 % of a tick on a 1 ms link; looking without sleeping from
// 0.2 ms before it cost 5 ms of processor time per tick. A wait that wakes after its reply
// costs the tick only that lateness, a spinning one costs the processor: the margin is small.
// Replies slower than kPacedReplyUs are waited for as any other: they gain little from it.
constexpr std::int64_t kSpinUs = 2;
constexpr std::int64_t kWakeEarlyUs = 5;
constexpr std::int64_t kDueWindowUs = 25;
constexpr std::int64_t kLookEarlierUs = 10;
constexpr std::int64_t kMaxSleepLateUs = 200;
constexpr std::int64_t kPacedReplyUs = 100000;

LinkHealth::ReplyTime Known(const LinkContext& c, std::uint32_t bytes) {
  for (const LinkHealth::ReplyTime& t : c.health.replyTimes)
    if (t.bytes == bytes) return t;
  return {};
}

// The reply came in after `us` and by `us` + `spreadUs`.
void Remember(LinkContext& c, std::uint32_t bytes, std::int64_t us, std::int64_t spreadUs) {
  LinkHealth& link = c.health;
  const LinkHealth::ReplyTime learned{bytes, us, std::min(spreadUs, kShortPauseUs)};
  for (LinkHealth::ReplyTime& t : link.replyTimes)
    if (t.bytes == bytes) {
      t = learned;
      return;
    }
  link.replyTimes[link.nextReplyTime] = learned;
  link.nextReplyTime = (link.nextReplyTime + 1) % static_cast<int>(std::size(link.replyTimes));
}

// Follows a low lateness rather than the mean: half of a shorter one is taken in, an eighth of a
// longer one. A sleep that wakes later than learned costs the tick that much; one that wakes
// earlier costs as much spinning, which on a busy machine's jittery sleeps would add up.
void NoteSleepLateness(LinkContext& c, std::int64_t lateUs) {
  std::int64_t& learned = c.health.sleepLateUs;
  const std::int64_t late = std::clamp<std::int64_t>(lateUs, 0, kMaxSleepLateUs);
  learned += (late - learned) / (late < learned ? 2 : 8);
}

std::int64_t LimitUs(const LinkContext& c, std::int64_t startUs) {
  const std::int64_t own = startUs + static_cast<std::int64_t>(std::max(c.timeoutMs, 0)) * 1000;
  return c.opDeadlineUs > 0 ? std::min(own, c.opDeadlineUs) : own;
}

// Sleeps `pause` from `now`, learning how late the sleep woke up; gives the time it woke.
std::int64_t SleepThrough(LinkContext& c, std::int64_t now, std::int64_t pause) {
  c.clock.SleepUs(pause);
  const std::int64_t woke = c.clock.NowUs();
  NoteSleepLateness(c, woke - now - pause);
  return woke;
}

// Inside an operation, a time-out ends the exchanges it has left; a lone exchange outside one
// only fails.
bool GiveUp(LinkContext& c) {
  if (c.opDeadlineUs > 0) c.opGaveUp = true;
  Fail(c, LinkFailure::Timeout);
  return false;
}

// A wait that ran out of time. What came of the reply is of no use now, and the rest of it may
// still come: it is owed, so that it cannot pass for the reply of the next frame.
Wait TimedOut(LinkContext& c, DeviceHandle h, std::uint32_t need, std::int64_t start) {
  const std::uint32_t dropped = Discard(c, h);
  LinkHealth& link = c.health;
  link.owedBytes = dropped < need ? static_cast<int>(need - dropped) : 0;
  link.owedUntilUs = start + (static_cast<std::int64_t>(c.timeoutMs) + kOperationMarginMs) * 1000;
  GiveUp(c);
  return Wait::TimedOut;
}

// Drops the bytes still owed by a reply that timed out, waiting for them within the
// operation's time. A debt that has not come in by its own deadline never will.
bool Settle(LinkContext& c, DeviceHandle h) {
  LinkHealth& link = c.health;
  const std::int64_t start = c.clock.NowUs();
  while (link.owedBytes > 0) {
    std::uint32_t n = 0;
    if (c.driver.GetQueueStatus(h, &n) != 0) {
      Fail(c, LinkFailure::Driver);
      return false;
    }
    if (n > 0) {
      std::uint8_t scratch[kAckBufferSize];
      const auto take =
          std::min<std::uint32_t>({n, sizeof scratch, static_cast<std::uint32_t>(link.owedBytes)});
      std::uint32_t got = 0;
      if (c.driver.Read(h, scratch, take, &got) != 0 || got == 0) {
        Fail(c, LinkFailure::Driver);
        return false;
      }
      link.owedBytes -= static_cast<int>(got);
      // Whatever came with the late reply belongs to it as well.
      if (link.owedBytes <= 0) Discard(c, h);
      continue;
    }
    const std::int64_t now = c.clock.NowUs();
    if (now >= link.owedUntilUs) {
      link.owedBytes = 0;
      break;
    }
    if (c.opDeadlineUs > 0 && now >= c.opDeadlineUs) return GiveUp(c);
    std::int64_t until = link.owedUntilUs;
    if (c.opDeadlineUs > 0) until = std::min(until, c.opDeadlineUs);
    c.clock.SleepUs(std::min(PauseUs(now - start), until - now));
  }
  link.owedBytes = 0;
  return true;
}

}  // namespace

int Fail(LinkContext& c, LinkFailure why) {
  c.lastFailure = why;
  if (why == LinkFailure::Driver) c.driverFailed = true;
  return 0;
}

DeviceHandle HandleOf(const AppState& s, int device) {
  if (device < 0 || device >= static_cast<int>(std::size(s.deviceHandles))) return nullptr;
  return s.deviceHandles[device];
}

std::uint32_t Discard(LinkContext& c, DeviceHandle h) {
  // Bounded, so that an analyser that never stops sending cannot keep us here.
  std::uint8_t scratch[kAckBufferSize];
  std::uint32_t dropped = 0;
  // Until the queue has been seen empty, whatever is in it is of unknown origin.
  c.health.stale = 1;
  for (int round = 0; round < kDiscardRounds; ++round) {
    std::uint32_t waiting = 0;
    if (c.driver.GetQueueStatus(h, &waiting) != 0) break;
    if (waiting == 0) {
      c.health.stale = 0;
      break;
    }
    const std::uint32_t take = std::min<std::uint32_t>(waiting, sizeof scratch);
    std::uint32_t got = 0;
    if (c.driver.Read(h, scratch, take, &got) != 0 || got == 0) break;
    dropped += got;
  }
  return dropped;
}

void Answered(LinkContext& c) {
  c.answered = true;
  c.health.lastAnswerUs = c.clock.NowUs();
}

bool WriteFrame(LinkContext& c, DeviceHandle h, const char* frame, std::uint32_t length) {
  // An operation that has had its time-out sends nothing more: each further frame would cost
  // another full wait while the window is frozen.
  if (c.opGaveUp) {
    Fail(c, LinkFailure::Timeout);
    return false;
  }
  if (c.opDeadlineUs > 0 && c.clock.NowUs() >= c.opDeadlineUs) return GiveUp(c);
  if (!Settle(c, h)) return false;
  if (c.health.stale) Discard(c, h);
  std::uint32_t written = 0;
  if (c.driver.Write(h, frame, length, &written) != 0 || written != length) {
    Fail(c, LinkFailure::Driver);
    return false;
  }
  return true;
}

Wait WaitFor(LinkContext& c, DeviceHandle h, std::uint32_t need, std::uint32_t* waiting) {
  const std::int64_t start = c.clock.NowUs();
  const std::int64_t limit = LimitUs(c, start);
  const LinkHealth::ReplyTime known = Known(c, need);
  const bool paced = known.us >= 0 && known.us <= kPacedReplyUs;
  const std::int64_t wakeAt = known.us - kWakeEarlyUs - c.health.sleepLateUs;
  const std::int64_t spinUntil = known.us + std::max(kDueWindowUs, known.spreadUs);
  // The times of the looks are as planned, which is never later than they are made: a lower
  // bound even when the machine is busy.
  std::int64_t waited = 0;    // at the coming look
  std::int64_t missed = 0;    // at the last look that did not find the reply in
  bool sleptThrough = false;  // the coming look is the first after sleeping through
  *waiting = 0;
  for (;;) {
    std::uint32_t n = 0;
    if (c.driver.GetQueueStatus(h, &n) != 0) {
      // The reply may still come in; it must not pass for the next one.
      c.health.stale = 1;
      Fail(c, LinkFailure::Driver);
      return Wait::DriverFailed;
    }
    *waiting = n;
    if (n >= need) {
      // The reply came in after the last look that missed it and by this one. One already in
      // at the first look after sleeping through may have come long before: the next one is
      // looked for a little earlier than this one was, until a look comes before it again.
      if (sleptThrough)
        Remember(c, need, std::max(missed, known.us - kLookEarlierUs), kLookEarlierUs);
      else
        Remember(c, need, missed, waited - missed);
      return Wait::Ready;
    }
    const std::int64_t now = c.clock.NowUs();
    if (now >= limit) return TimedOut(c, h, need, start);
    missed = waited;
    waited = now - start;
    sleptThrough = paced && waited < wakeAt;
    if (sleptThrough) {
      waited = SleepThrough(c, now, std::min(wakeAt - waited, limit - now)) - start;
      continue;
    }
    const bool spin = paced && waited < spinUntil;
    const std::int64_t sincePaced = paced ? waited - known.us : waited;
    const std::int64_t pause = std::min(spin ? kSpinUs : PauseUs(sincePaced), limit - now);
    if (spin)
      c.clock.SpinUs(pause);
    else
      c.clock.SleepUs(pause);
    waited += pause;
  }
}

bool ReadExact(LinkContext& c, DeviceHandle h, std::uint8_t* buffer, std::uint32_t n) {
  std::uint32_t got = 0;
  if (c.driver.Read(h, buffer, n, &got) != 0 || got != n) {
    c.health.stale = 1;
    Fail(c, LinkFailure::Driver);
    return false;
  }
  Answered(c);
  return true;
}

}  // namespace tavlex::wire
