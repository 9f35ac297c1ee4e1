// The USB side of the simulated analyser: the device list, handles, the receive queue, faults.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/Convert.h"
#include "link/SimAnalyser.h"

namespace tavlex {

SimDriver::SimDriver(const SimConfig& config)
    : ownClock_(config.clock ? nullptr : std::make_unique<SteadyClock>()),
      clock_(config.clock ? *config.clock : *ownClock_),
      analyser_(std::make_unique<SimAnalyser>(config, clock_)),
      linkDelayUs_(std::max<std::int64_t>(config.linkDelayUs, 0)),
      linkRate_(std::max<std::int64_t>(config.linkBytesPerSecond, 0)),
      deviceCount_(std::max(config.deviceCount, 0)) {}

SimDriver::~SimDriver() = default;

bool ParseSimLink(std::string_view text, SimConfig& config) {
  const std::size_t comma = text.find(',');
  if (comma == std::string_view::npos) return false;
  double ms = 0;
  double rate = 0;
  // Read as numbers so that 1e6 will do; the rate must still be a whole number of bytes.
  if (!TryStrToFloat(text.substr(0, comma), ms) || !TryStrToFloat(text.substr(comma + 1), rate))
    return false;
  if (!(ms >= 0 && ms <= kMaxSimLinkLatencyMs)) return false;
  if (!(rate >= kMinSimLinkBytesPerSecond && rate <= kMaxSimLinkBytesPerSecond) ||
      rate != std::floor(rate))
    return false;
  config.linkDelayUs = std::llround(ms * 1000);
  config.linkBytesPerSecond = static_cast<std::int64_t>(rate);
  return true;
}

bool ParseSimTube(std::string_view text, SimConfig& config) {
  const int z = SimAnodeZ(text);
  if (z == 0) return false;
  config.anodeZ = z;
  return true;
}

void SimDriver::ClearQueue() {
  queueLength_ = 0;
  visible_ = 0;
  arrivalCount_ = 0;
  wireFreeUs_ = 0;
}

void SimDriver::Unplug() {
  plugged_ = false;
  for (Slot& slot : slots_)
    if (slot.inUse) slot.dead = true;
  ClearQueue();
}

void SimDriver::FailCall(SimCall call, int skip, int times) {
  if (call == SimCall::Count) return;
  faults_[static_cast<int>(call)] = Fault{std::max(skip, 0), std::max(times, 0)};
}

void SimDriver::FramePattern::Set(std::string_view frame) {
  length = static_cast<int>(std::min(frame.size(), sizeof bytes));
  std::memcpy(bytes, frame.data(), length);
}

bool SimDriver::FramePattern::Matches(const std::uint8_t* frame, int n) const {
  return length > 0 && n == length && std::memcmp(frame, bytes, n) == 0;
}

void SimDriver::FailWriteOf(std::string_view frame) {
  failWrite_.Set(frame);
}

void SimDriver::FailCallAfterFrame(SimCall call, std::string_view frame) {
  failAfter_.Set(frame);
  failAfterCall_ = call;
}

void SimDriver::UnplugAfterFrame(std::string_view frame) {
  unplugAfter_.Set(frame);
}

int SimDriver::OpenHandles() const {
  return static_cast<int>(
      std::count_if(std::begin(slots_), std::end(slots_), [](const Slot& s) { return s.inUse; }));
}

bool SimDriver::Faulted(SimCall call) {
  Fault& f = faults_[static_cast<int>(call)];
  if (f.times == 0) return false;
  if (f.skip > 0) {
    --f.skip;
    return false;
  }
  --f.times;
  return true;
}

int SimDriver::SlotOf(DeviceHandle handle) const {
  for (int i = 0; i < kMaxHandles; ++i)
    if (handle == &slots_[i]) return i;
  return -1;
}

int SimDriver::Check(DeviceHandle handle) const {
  const int i = SlotOf(handle);
  if (i < 0 || !slots_[i].inUse) return kDriverInvalidHandle;
  return slots_[i].dead ? kDriverIoError : 0;
}

int SimDriver::ListDevices(char** buffers, std::uint32_t* count, std::uint32_t flags) {
  if (Faulted(SimCall::List)) return kDriverIoError;
  if (!count || flags != kListAllBySerialNumber) return kDriverOtherError;
  const int listed = plugged_ ? deviceCount_ : 0;
  *count = static_cast<std::uint32_t>(listed);
  // Only as many buffers as the caller's list holds, up to its null pointer.
  for (int i = 0; buffers && i < listed && buffers[i]; ++i)
    std::snprintf(buffers[i], 64, "SIM%05d", i + 1);
  return 0;
}

int SimDriver::OpenEx(const char* serialNumber, std::uint32_t flags, DeviceHandle* handle) {
  if (Faulted(SimCall::Open)) return kDriverIoError;
  if (!handle || !serialNumber || flags != kOpenBySerialNumber) return kDriverOtherError;
  int number = 0;
  char tail = 0;
  const bool ours = std::sscanf(serialNumber, "SIM%5d%c", &number, &tail) == 1;
  if (!plugged_ || !ours || number < 1 || number > deviceCount_) return kDriverDeviceNotFound;
  for (Slot& slot : slots_) {
    if (slot.inUse) continue;
    slot = Slot{true, false};
    *handle = &slot;
    ++opens_;
    ClearQueue();
    return 0;
  }
  return kDriverDeviceNotOpened;  // every handle is taken: somebody leaks them
}

int SimDriver::ResetDevice(DeviceHandle handle) {
  if (Faulted(SimCall::Reset)) return kDriverIoError;
  if (int st = Check(handle)) return st;
  ++resets_;
  ClearQueue();
  return 0;
}

int SimDriver::SetLatencyTimer(DeviceHandle handle, std::uint8_t ms) {
  if (Faulted(SimCall::Latency)) return kDriverIoError;
  if (int st = Check(handle)) return st;
  latencyMs_ = ms;
  return 0;
}

int SimDriver::SetTimeouts(DeviceHandle handle, std::uint32_t readMs, std::uint32_t writeMs) {
  if (Faulted(SimCall::Timeouts)) return kDriverIoError;
  if (int st = Check(handle)) return st;
  readTimeoutMs_ = readMs;
  writeTimeoutMs_ = writeMs;
  return 0;
}

int SimDriver::Purge(DeviceHandle handle, std::uint32_t mask) {
  if (Faulted(SimCall::Purge)) return kDriverIoError;
  if (int st = Check(handle)) return st;
  purgeMask_ = mask;
  if (mask & 1) ClearQueue();
  return 0;
}

std::int64_t SimDriver::WireUs(std::int64_t n) const {
  if (linkRate_ <= 0 || n <= 0) return 0;
  return (n * 1000000 + linkRate_ - 1) / linkRate_;
}

void SimDriver::Reveal() {
  if (arrivalCount_ == 0) return;
  const std::int64_t now = clock_.NowUs();
  while (arrivalCount_ > 0) {
    Arrival& a = arrivals_[arrivalFirst_];
    if (now < a.startUs) return;
    // Byte k of the reply (from 1) has arrived k bytes' wire time after its start.
    const std::int64_t since = std::min(now - a.startUs, WireUs(a.bytes));
    const int arrived =
        linkRate_ > 0
            ? static_cast<int>(std::min<std::int64_t>(since * linkRate_ / 1000000, a.bytes))
            : a.bytes;
    visible_ += arrived - a.arrived;
    a.arrived = arrived;
    if (arrived < a.bytes) return;
    arrivalFirst_ = (arrivalFirst_ + 1) % kMaxArrivals;
    --arrivalCount_;
  }
}

int SimDriver::GetQueueStatus(DeviceHandle handle, std::uint32_t* bytesWaiting) {
  ++queueStatusCalls_;
  if (Faulted(SimCall::QueueStatus)) return kDriverIoError;
  if (int st = Check(handle)) return st;
  if (!bytesWaiting) return kDriverOtherError;
  Reveal();
  *bytesWaiting = static_cast<std::uint32_t>(visible_);
  return 0;
}

int SimDriver::Read(DeviceHandle handle, void* buffer, std::uint32_t count, std::uint32_t* got) {
  if (got) *got = 0;
  if (Faulted(SimCall::Read)) return kDriverIoError;
  if (int st = Check(handle)) return st;
  if (!buffer || !got) return kDriverOtherError;
  Reveal();
  const int n = std::min(static_cast<int>(std::min<std::uint32_t>(count, kQueueBytes)), visible_);
  std::memcpy(buffer, queue_, n);
  std::memmove(queue_, queue_ + n, queueLength_ - n);
  queueLength_ -= n;
  visible_ -= n;
  *got = static_cast<std::uint32_t>(n);
  if (babble_ && n > 0) {
    std::uint8_t junk[SimAnalyser::kMaxReply];
    std::fill(std::begin(junk), std::end(junk), 0xAA);
    Queue(junk, static_cast<int>(sizeof junk), 0);
  }
  return 0;
}

int SimDriver::WriteAttempts(std::string_view frame) const {
  const int n = std::min(attemptCount_, SimAnalyser::kMaxFrameRecord);
  int found = 0;
  for (int i = 0; i < n; ++i)
    if (frame == std::string_view(attempts_[i].bytes)) ++found;
  return found;
}

int SimDriver::Write(DeviceHandle handle, const void* buffer, std::uint32_t count,
                     std::uint32_t* written) {
  if (written) *written = 0;
  if (buffer) {
    Attempt& a = attempts_[attemptCount_++ % SimAnalyser::kMaxFrameRecord];
    const std::uint32_t n = std::min<std::uint32_t>(count, sizeof a.bytes - 1);
    std::memcpy(a.bytes, buffer, n);
    a.bytes[n] = '\0';
  }
  if (Faulted(SimCall::Write)) return kDriverIoError;
  if (int st = Check(handle)) return st;
  if (!buffer || !written) return kDriverOtherError;
  const auto* frame = static_cast<const std::uint8_t*>(buffer);
  const int length = static_cast<int>(std::min<std::uint32_t>(count, 64));
  if (failWrite_.Matches(frame, length)) {
    failWrite_.length = 0;
    return kDriverIoError;
  }
  *written = count;
  std::uint8_t reply[SimAnalyser::kMaxReply];
  int replyLength = 0;
  if (refuseNext_ >= 0) {
    analyser_->Update();
    analyser_->RecordFrame(frame, length);
    reply[0] = static_cast<std::uint8_t>(refuseNext_);
    replyLength = 1;
    refuseNext_ = -1;
  } else {
    replyLength = analyser_->HandleFrame(frame, length, reply);
  }
  if (failAfter_.Matches(frame, length)) {
    failAfter_.length = 0;
    FailCall(failAfterCall_);
  }
  if (unplugAfter_.Matches(frame, length)) {
    unplugAfter_.length = 0;
    Unplug();
    return 0;
  }
  bool stallThis = false;
  if (stallFrame_.Matches(frame, length)) {
    if (stallSkip_ > 0)
      --stallSkip_;
    else
      stallThis = true, stallFrame_.length = 0;
  }
  if (stallNext_ || mute_ || stallThis) {
    stallNext_ = false;
    return 0;
  }
  if (shortNext_ >= 0) replyLength = std::min(replyLength, shortNext_), shortNext_ = -1;
  Queue(reply, replyLength, length);
  if (surplusNext_ > 0) {
    std::uint8_t extra[SimAnalyser::kMaxReply];
    const int n = std::min(surplusNext_, static_cast<int>(sizeof extra));
    std::fill(extra, extra + n, surplusFill_);
    Queue(extra, n, 0);
    surplusNext_ = 0;
  }
  return 0;
}

void SimDriver::Queue(const std::uint8_t* bytes, int n, int frameBytes) {
  // A full queue drops what does not fit, as the device's buffer would.
  n = std::min(n, kQueueBytes - queueLength_);
  if (n <= 0) return;
  std::memcpy(queue_ + queueLength_, bytes, n);
  queueLength_ += n;
  const std::int64_t now = clock_.NowUs();
  if (linkDelayUs_ == 0 && linkRate_ == 0 && arrivalCount_ == 0) {
    visible_ = queueLength_;
    return;
  }
  // The frame has to reach the analyser first; a reply waits for the one before it on the wire.
  const std::int64_t start = std::max(now + linkDelayUs_ + WireUs(frameBytes), wireFreeUs_);
  if (arrivalCount_ == kMaxArrivals) {
    arrivals_[(arrivalFirst_ + arrivalCount_ - 1) % kMaxArrivals].bytes += n;
  } else {
    arrivals_[(arrivalFirst_ + arrivalCount_) % kMaxArrivals] = Arrival{n, 0, start};
    ++arrivalCount_;
  }
  const Arrival& last = arrivals_[(arrivalFirst_ + arrivalCount_ - 1) % kMaxArrivals];
  wireFreeUs_ = last.startUs + WireUs(last.bytes);
}

void SimDriver::Close(DeviceHandle handle) {
  const int i = SlotOf(handle);
  if (i >= 0) slots_[i] = Slot{};
}

}  // namespace tavlex
