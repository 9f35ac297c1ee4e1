// Finding the analyser by serial number, opening device n and preparing the link.

#include <algorithm>
#include <climits>
#include <cstring>

#include "link/Protocol.h"
#include "link/Wire.h"

namespace tavlex {

namespace {

constexpr int kListedSerials = 5;
constexpr int kSerialBytes = 64;
constexpr std::uint8_t kLatencyMs = 6;
constexpr std::uint32_t kPurgeMask = kPurgeRxTx;

// Five serial-number buffers and the null pointer that ends the list for the driver.
struct SerialList {
  char serials[kListedSerials][kSerialBytes] = {};
  char* list[kListedSerials + 1] = {serials[0], serials[1], serials[2],
                                    serials[3], serials[4], nullptr};
  std::uint32_t count = 0;
  int List(Driver& d) { return d.ListDevices(list, &count, kListAllBySerialNumber); }
};

}  // namespace

int OpenDevice(LinkContext& c, int n) {
  c.lastFailure = LinkFailure::None;
  AppState& s = c.s;
  SerialList found;
  if (found.List(c.driver) != 0) return wire::Fail(c, LinkFailure::Driver);
  s.deviceCount = static_cast<int>(std::min<std::uint32_t>(found.count, INT_MAX));
  // More than five devices may be listed; only the first five have a serial number here.
  if (n < 0 || n >= kListedSerials || n >= s.deviceCount) return wire::Fail(c, LinkFailure::Driver);

  // Reopening (after an unplug, say) must not leak the handle of the earlier open.
  DeviceHandle& handle = s.deviceHandles[n];
  if (handle) {
    c.driver.Close(handle);
    handle = nullptr;
    s.deviceOpen = 0;
  }
  found.serials[n][kSerialBytes - 1] = '\0';
  DeviceHandle opened = nullptr;
  if (c.driver.OpenEx(found.serials[n], kOpenBySerialNumber, &opened) != 0 || !opened)
    return wire::Fail(c, LinkFailure::Driver);
  handle = opened;
  // A new link: nothing owed, nothing sent yet, no event total seen.
  c.health = LinkHealth{};
  c.health.lastAnswerUs = c.clock.NowUs();
  s.eventWraps = 0;
  if (c.driver.ResetDevice(handle) != 0) return wire::Fail(c, LinkFailure::Driver);
  if (c.driver.SetLatencyTimer(handle, kLatencyMs) != 0) return wire::Fail(c, LinkFailure::Driver);
  // Neither of these two is essential to talk to the analyser.
  const auto timeout = static_cast<std::uint32_t>(std::max(c.timeoutMs, 1));
  c.driver.SetTimeouts(handle, timeout, timeout);
  c.driver.Purge(handle, kPurgeMask);
  s.deviceOpen = 1;
  return 1;
}

bool DeviceListed(LinkContext& c, int n) {
  SerialList found;
  // A driver that cannot even list is no proof that the analyser is gone.
  if (found.List(c.driver) != 0) return true;
  return n >= 0 && static_cast<std::uint32_t>(n) < found.count;
}

}  // namespace tavlex
