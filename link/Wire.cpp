#include "link/Wire.h"

#include <algorithm>

namespace tavlex::wire {

namespace {

// Time between looks at an empty receive queue: short at first, since most replies come within
// a few milliseconds, then longer so that a slow analyser does not keep a core busy.
std::int64_t PauseUs(std::int64_t waitedUs) {
  return waitedUs < 5000 ? 100 : 1000;
}

// A reply whose time is known (a reply of the same size took it last time) is slept through
// until kWakeEarlyUs before it is due; from then on, until kDueWindowUs after it, the queue is
// looked at every kSpinUs without sleeping, since a sleep wakes up some tens of microseconds
// late, more on a busy machine: sleeping 100 us between looks missed a 1.5 ms reply by about
// 100 us, 7 % of a tick on a 1 ms link. So a wait keeps a core busy for at most 0.4 ms. Replies
// slower than kPacedReplyUs are waited for as any other: they gain little from the timing.
constexpr std::int64_t kSpinUs = 2;
constexpr std::int64_t kWakeEarlyUs = 200;
constexpr std::int64_t kDueWindowUs = 200;
constexpr std::int64_t kPacedReplyUs = 100000;

std::int64_t ExpectedUs(const LinkContext& c, std::uint32_t bytes) {
  for (const LinkHealth::ReplyTime& t : c.s.link.replyTimes)
    if (t.bytes == bytes) return t.us;
  return -1;
}

void Remember(LinkContext& c, std::uint32_t bytes, std::int64_t us) {
  LinkHealth& link = c.s.link;
  for (LinkHealth::ReplyTime& t : link.replyTimes)
    if (t.bytes == bytes) {
      t.us = us;
      return;
    }
  link.replyTimes[link.nextReplyTime] = LinkHealth::ReplyTime{bytes, us};
  link.nextReplyTime = (link.nextReplyTime + 1) % static_cast<int>(std::size(link.replyTimes));
}

std::int64_t LimitUs(const LinkContext& c, std::int64_t startUs) {
  const std::int64_t own = startUs + static_cast<std::int64_t>(std::max(c.timeoutMs, 0)) * 1000;
  return c.opDeadlineUs > 0 ? std::min(own, c.opDeadlineUs) : own;
}

// Inside an operation, a time-out ends the exchanges it has left; a lone exchange outside one
// only fails.
bool GiveUp(LinkContext& c) {
  if (c.opDeadlineUs > 0) c.opGaveUp = true;
  Fail(c, LinkFailure::Timeout);
  return false;
}

// Drops the bytes still owed by a reply that timed out, waiting for them within the
// operation's time. A debt that has not come in by its own deadline never will.
bool Settle(LinkContext& c, DeviceHandle h) {
  LinkHealth& link = c.s.link;
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
  c.s.link.stale = 1;
  for (int round = 0; round < kDiscardRounds; ++round) {
    std::uint32_t waiting = 0;
    if (c.driver.GetQueueStatus(h, &waiting) != 0) break;
    if (waiting == 0) {
      c.s.link.stale = 0;
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
  c.s.link.lastAnswerUs = c.clock.NowUs();
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
  if (c.s.link.stale) Discard(c, h);
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
  const std::int64_t expected = ExpectedUs(c, need);
  const bool paced = expected >= 0 && expected <= kPacedReplyUs;
  const std::int64_t wakeAt = expected - kWakeEarlyUs;
  std::int64_t waited = 0;    // at the coming look, as planned
  bool sleptThrough = false;  // the coming look is the first after sleeping through
  *waiting = 0;
  for (;;) {
    std::uint32_t n = 0;
    if (c.driver.GetQueueStatus(h, &n) != 0) {
      // The reply may still come in; it must not pass for the next one.
      c.s.link.stale = 1;
      Fail(c, LinkFailure::Driver);
      return Wait::DriverFailed;
    }
    *waiting = n;
    if (n >= need) {
      // A reply already in at the first look after sleeping through may have come earlier: the
      // next one is looked for a little earlier, until a look comes before the reply again.
      Remember(c, need, sleptThrough ? std::max<std::int64_t>(waited - kWakeEarlyUs, 0) : waited);
      return Wait::Ready;
    }
    const std::int64_t now = c.clock.NowUs();
    if (now >= limit) {
      // What came of the reply is of no use now, and the rest of it may still come: it is owed,
      // so that it cannot pass for the reply of the next frame.
      const std::uint32_t dropped = Discard(c, h);
      LinkHealth& link = c.s.link;
      link.owedBytes = dropped < need ? static_cast<int>(need - dropped) : 0;
      link.owedUntilUs =
          start + (static_cast<std::int64_t>(c.timeoutMs) + kOperationMarginMs) * 1000;
      GiveUp(c);
      return Wait::TimedOut;
    }
    waited = now - start;
    sleptThrough = paced && waited < wakeAt;
    if (paced && waited < expected + kDueWindowUs && !sleptThrough) {
      const std::int64_t pause = std::min(kSpinUs, limit - now);
      c.clock.SpinUs(pause);
      waited += pause;
      continue;
    }
    const std::int64_t pause =
        std::min(sleptThrough ? wakeAt - waited : PauseUs(waited), limit - now);
    c.clock.SleepUs(pause);
    waited += pause;
  }
}

bool ReadExact(LinkContext& c, DeviceHandle h, std::uint8_t* buffer, std::uint32_t n) {
  std::uint32_t got = 0;
  if (c.driver.Read(h, buffer, n, &got) != 0 || got != n) {
    c.s.link.stale = 1;
    Fail(c, LinkFailure::Driver);
    return false;
  }
  Answered(c);
  return true;
}

}  // namespace tavlex::wire
