#include "link/Wire.h"

#include <algorithm>

namespace tavlex::wire {

int Fail(LinkContext& c, LinkFailure why) {
  c.lastFailure = why;
  return 0;
}

DeviceHandle HandleOf(const AppState& s, int device) {
  if (device < 0 || device >= static_cast<int>(std::size(s.deviceHandles))) return nullptr;
  return s.deviceHandles[device];
}

void Discard(LinkContext& c, DeviceHandle h) {
  // Bounded, so that an analyser that never stops sending cannot keep us here.
  std::uint8_t scratch[kAckBufferSize];
  for (int round = 0; round < 64; ++round) {
    std::uint32_t waiting = 0;
    if (c.driver.GetQueueStatus(h, &waiting) != 0 || waiting == 0) return;
    const std::uint32_t take = std::min<std::uint32_t>(waiting, sizeof scratch);
    std::uint32_t got = 0;
    if (c.driver.Read(h, scratch, take, &got) != 0 || got == 0) return;
  }
}

bool WriteFrame(LinkContext& c, DeviceHandle h, const char* frame, std::uint32_t length) {
  std::uint32_t written = 0;
  if (c.driver.Write(h, frame, length, &written) != 0 || written != length) {
    Fail(c, LinkFailure::Driver);
    return false;
  }
  return true;
}

Wait WaitFor(LinkContext& c, DeviceHandle h, std::uint32_t need, std::uint32_t* waiting) {
  const std::int64_t start = c.clock.NowUs();
  const std::int64_t limitUs = static_cast<std::int64_t>(std::max(c.timeoutMs, 0)) * 1000;
  *waiting = 0;
  for (;;) {
    std::uint32_t n = 0;
    if (c.driver.GetQueueStatus(h, &n) != 0) {
      Fail(c, LinkFailure::Driver);
      return Wait::DriverFailed;
    }
    *waiting = n;
    if (n >= need) return Wait::Ready;
    if (c.clock.NowUs() - start >= limitUs) {
      // Whatever part of the reply came is of no use now; it must not pass for the next one.
      Discard(c, h);
      Fail(c, LinkFailure::Timeout);
      return Wait::TimedOut;
    }
  }
}

bool ReadExact(LinkContext& c, DeviceHandle h, std::uint8_t* buffer, std::uint32_t n) {
  std::uint32_t got = 0;
  if (c.driver.Read(h, buffer, n, &got) != 0 || got != n) {
    Fail(c, LinkFailure::Driver);
    return false;
  }
  return true;
}

}  // namespace tavlex::wire
