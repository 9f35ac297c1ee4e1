// The three kinds of exchange: an acknowledged frame, the status block, the spectrum blocks.

#include "link/Protocol.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "link/Wire.h"

namespace tavlex {

using wire::Fail;

namespace {

// Frames are 3 to 15 characters; anything else is not sent.
std::uint32_t FrameLength(const char* frame) {
  if (!frame) return 0;
  const std::size_t n = strnlen(frame, 16);
  return (n >= 3 && n <= 15) ? static_cast<std::uint32_t>(n) : 0;
}

// Writes the frame, then waits for `need` reply bytes. Nothing is dropped before the frame:
// every exchange leaves the queue empty (surplus is dropped after the read, a timed-out reply when
// the wait ends), and on libftdi each extra look at an empty queue costs a USB round trip.
wire::Wait Request(LinkContext& c, DeviceHandle h, const char* frame, std::uint32_t length,
                   std::uint32_t need, std::uint32_t* waiting) {
  if (!wire::WriteFrame(c, h, frame, length)) return wire::Wait::DriverFailed;
  return wire::WaitFor(c, h, need, waiting);
}

void StoreBlock(AppState& s, int firstChannel, const std::uint8_t* bytes) {
  for (int i = 0; i < kBlockChannels; ++i) {
    const std::uint8_t* p = bytes + 4 * i;
    const std::uint32_t v =
        static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
        (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
    s.spectrumCounts[firstChannel + i] = static_cast<std::int32_t>(v);
  }
}

// The largest count, and the total added as unsigned 32-bit values (wrapping at 2^32).
void RecomputeTotals(LinkContext& c) {
  AppState& s = c.s;
  const int n = std::clamp(s.channelSize, 0, kReadBufferChannels);
  int largest = 0;
  std::uint32_t total = 0;
  for (int i = 0; i < n; ++i) {
    largest = std::max(largest, static_cast<int>(s.spectrumCounts[i]));
    total += static_cast<std::uint32_t>(s.spectrumCounts[i]);
  }
  s.maxChannelCount = largest;
  c.health.spectrumTotal = total;
}

// Counts the wraps of the analyser's event total; a total that went back is a cleared memory.
void NoteEvents(LinkContext& c, std::uint32_t events) {
  LinkHealth& link = c.health;
  std::uint32_t added = 0;
  if (events < link.lastEvents) {
    if (CounterAdvance(link.lastEvents, events, &added))
      ++c.s.eventWraps;
    else
      c.s.eventWraps = 0;
  }
  link.lastEvents = events;
}

}  // namespace

void BeginOperation(LinkContext& c, int budgetMs) {
  const int ms = budgetMs >= 0 ? budgetMs : c.timeoutMs + kOperationMarginMs;
  c.opDeadlineUs = c.clock.NowUs() + static_cast<std::int64_t>(ms) * 1000;
  c.opGaveUp = false;
  c.answered = false;
  c.driverFailed = false;
}

int ExchangeAck(LinkContext& c, int device, const char* frame) {
  c.lastFailure = LinkFailure::None;
  const std::uint32_t length = FrameLength(frame);
  if (length == 0) return Fail(c, LinkFailure::Refused);
  DeviceHandle h = wire::HandleOf(c.s, device);
  if (!h) return Fail(c, LinkFailure::Driver);
  std::uint32_t waiting = 0;
  if (Request(c, h, frame, length, 1, &waiting) != wire::Wait::Ready) return 0;
  std::uint8_t reply[kAckBufferSize];
  const std::uint32_t take = std::min<std::uint32_t>(waiting, sizeof reply);
  std::uint32_t got = 0;
  if (c.driver.Read(h, reply, take, &got) != 0 || got == 0) {
    c.health.stale = 1;
    return Fail(c, LinkFailure::Driver);
  }
  wire::Answered(c);
  if (waiting > take) wire::Discard(c, h);  // a reply longer than the buffer
  return reply[0] == '!' ? 1 : Fail(c, LinkFailure::Refused);
}

int ReadStatus(LinkContext& c, int device) {
  c.lastFailure = LinkFailure::None;
  DeviceHandle h = wire::HandleOf(c.s, device);
  if (!h) return Fail(c, LinkFailure::Driver);
  std::uint32_t waiting = 0;
  if (Request(c, h, "$R0;", 4, kStatusBytes, &waiting) != wire::Wait::Ready) return 0;
  // Read into a local block first: a failed read must not leave half a block in the state.
  std::uint8_t block[kStatusBytes];
  if (!wire::ReadExact(c, h, block, kStatusBytes)) return 0;
  if (waiting > kStatusBytes) wire::Discard(c, h);
  std::memcpy(c.s.acqStatus.data(), block, kStatusBytes);
  NoteEvents(c, static_cast<std::uint32_t>(c.s.acqStatus.Events()));
  return 1;
}

int ReadSpectrumBlocks(LinkContext& c, int device) {
  c.lastFailure = LinkFailure::None;
  AppState& s = c.s;
  DeviceHandle h = wire::HandleOf(s, device);
  if (!h) return Fail(c, LinkFailure::Driver);
  // The analyser has no more than 32 blocks, and no block may reach past the count buffer.
  const int blocks = std::min(s.channelSize / kBlockChannels, kMaxBlocks);
  for (int n = 1; n <= blocks; ++n) {
    const int first = (n - 1) * kBlockChannels;
    if (first + kBlockChannels > kReadBufferChannels) break;
    char frame[8];
    const int length = std::snprintf(frame, sizeof frame, "$R%d;", n);
    // A failed write ends the read at once; the blocks not yet read keep their counts.
    if (!wire::WriteFrame(c, h, frame, static_cast<std::uint32_t>(length))) return 0;
    std::uint32_t waiting = 0;
    const wire::Wait w = wire::WaitFor(c, h, kBlockBytes, &waiting);
    if (w == wire::Wait::TimedOut) return 0;  // a stalled analyser: no point in 31 more waits
    if (w == wire::Wait::DriverFailed) {
      // A failed queue query skips only this block (it keeps its counts); the read goes on, and
      // the block's reply, should it come in late, is dropped before the next frame.
      continue;
    }
    std::uint8_t block[kBlockBytes];
    if (!wire::ReadExact(c, h, block, kBlockBytes)) return 0;
    if (waiting > kBlockBytes) wire::Discard(c, h);
    StoreBlock(s, first, block);
  }
  RecomputeTotals(c);
  c.lastFailure = LinkFailure::None;
  return 1;
}

}  // namespace tavlex
