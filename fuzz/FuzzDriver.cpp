#include "fuzz/FuzzDriver.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/AcqStatus.h"

namespace tavlex::fuzz {

namespace {

// Control bytes from here up make the call fail, with one of the driver's status codes.
constexpr std::uint8_t kFailFrom = 0xF0;
constexpr int kFailureCodes[] = {kDriverInvalidHandle, kDriverDeviceNotFound,
                                 kDriverDeviceNotOpened, kDriverIoError, kDriverOtherError};

constexpr int kSerialBytes = 64;
constexpr int kStatusBytes = static_cast<int>(AcqStatus::kSize);
constexpr int kBlockBytes = 512;
constexpr int kBlockChannels = kBlockBytes / 4;

[[noreturn]] void Trap(const char* why, std::int64_t value) {
  std::fprintf(stderr, "analyser_fuzz: %s (%lld)\n", why, static_cast<long long>(value));
  __builtin_trap();
}

void PutU32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

}  // namespace

std::uint16_t ByteStream::U16() {
  const std::uint16_t low = Byte();
  return static_cast<std::uint16_t>(low | (Byte() << 8));
}

std::uint32_t ByteStream::U32() {
  const std::uint32_t low = U16();
  return low | (static_cast<std::uint32_t>(U16()) << 16);
}

void ByteStream::Copy(std::uint8_t* to, std::size_t n) {
  const std::size_t have = at_ < size_ ? std::min(n, size_ - at_) : 0;
  if (have) std::memcpy(to, data_ + at_, have);
  std::memset(to + have, 0, n - have);
  at_ += have;
}

void FuzzDriver::Reset(const std::uint8_t* answers, std::size_t size) {
  answers_.Reset(answers, size);
  watchStartUs_ = clock_.Peek();
  watchBoundUs_ = 0;
  calls_ = 0;
  maxCalls_ = 0;
  opens_ = 0;
  open_ = nullptr;
  stallLooks_ = 0;
  stallCount_ = 0;
  channels_ = 4096;
  preset10ms_ = 0;
  running_ = false;
  scan_ = false;
  runStartUs_ = 0;
  stoppedAt10ms_ = 0;
  replyLength_ = 0;
  replyAt_ = 0;
}

void FuzzDriver::Watch(std::int64_t boundUs, std::int64_t maxCalls) {
  watchStartUs_ = clock_.Peek();
  watchBoundUs_ = boundUs;
  calls_ = 0;
  maxCalls_ = maxCalls;
}

bool FuzzDriver::Fails(std::uint8_t* control, int* code) {
  if (++calls_ > maxCalls_) Trap("more driver calls than a bounded operation makes", calls_);
  const std::int64_t spentUs = clock_.Peek() - watchStartUs_;
  if (spentUs > watchBoundUs_) Trap("operation outlived its time bound, us", spentUs);
  if (answers_.Empty()) {
    *code = kDriverIoError;
    return true;
  }
  *control = answers_.Byte();
  if (*control < kFailFrom) return false;
  *code = kFailureCodes[*control % std::size(kFailureCodes)];
  return true;
}

void FuzzDriver::CheckHandle(DeviceHandle handle) const {
  if (!handle || handle != open_) Trap("driver call with a handle that is not open", opens_);
}

int FuzzDriver::ListDevices(char** buffers, std::uint32_t* count, std::uint32_t /*flags*/) {
  std::uint8_t k = 0;
  int code = 0;
  if (Fails(&k, &code)) return code;
  // 0: the one analyser; 1: none; 2: a few; 3: any count, with serials of any bytes.
  std::uint32_t n = 1;
  switch (k & 3) {
    case 1:
      n = 0;
      break;
    case 2:
      n = answers_.Byte();
      break;
    case 3:
      n = answers_.U32();
      break;
  }
  *count = n;
  // Only as many buffers as the list holds, up to its null pointer.
  for (std::uint32_t i = 0; i < n && buffers[i]; ++i) {
    if ((k & 3) == 3)
      answers_.Copy(reinterpret_cast<std::uint8_t*>(buffers[i]), kSerialBytes);
    else
      std::snprintf(buffers[i], kSerialBytes, "FZ%06u", i + 1);
  }
  return 0;
}

int FuzzDriver::OpenEx(const char* serialNumber, std::uint32_t /*flags*/, DeviceHandle* handle) {
  std::uint8_t k = 0;
  int code = 0;
  // The serial number must be a text the driver can read to its end.
  if (!serialNumber || strnlen(serialNumber, kSerialBytes) == kSerialBytes)
    Trap("serial number without its end", 0);
  if (Fails(&k, &code)) return code;
  if (open_) Trap("a second open without closing the first handle", opens_);
  // An odd control byte reports success with no handle.
  if (k & 1) {
    *handle = nullptr;
    return 0;
  }
  open_ = &handles_[opens_++ % kHandles];
  *handle = open_;
  running_ = false;
  replyLength_ = replyAt_ = 0;
  return 0;
}

int FuzzDriver::ResetDevice(DeviceHandle handle) {
  CheckHandle(handle);
  std::uint8_t k = 0;
  int code = 0;
  return Fails(&k, &code) ? code : 0;
}

int FuzzDriver::SetLatencyTimer(DeviceHandle handle, std::uint8_t /*ms*/) {
  return ResetDevice(handle);
}

int FuzzDriver::SetTimeouts(DeviceHandle handle, std::uint32_t /*readMs*/,
                            std::uint32_t /*writeMs*/) {
  return ResetDevice(handle);
}

int FuzzDriver::Purge(DeviceHandle handle, std::uint32_t /*mask*/) {
  const int code = ResetDevice(handle);
  if (code == 0) replyLength_ = replyAt_ = 0;
  return code;
}

int FuzzDriver::GetQueueStatus(DeviceHandle handle, std::uint32_t* bytesWaiting) {
  CheckHandle(handle);
  // A stalled queue answers without new input, so that two bytes can outlast a whole wait.
  if (stallLooks_ > 0) {
    if (++calls_ > maxCalls_) Trap("more driver calls than a bounded operation makes", calls_);
    const std::int64_t spentUs = clock_.Peek() - watchStartUs_;
    if (spentUs > watchBoundUs_) Trap("operation outlived its time bound, us", spentUs);
    --stallLooks_;
    *bytesWaiting = stallCount_;
    return 0;
  }
  std::uint8_t k = 0;
  int code = 0;
  if (Fails(&k, &code)) return code;
  const std::uint32_t left = Left();
  std::uint32_t n = left;
  switch (k & 7) {
    case 1:
      n = 0;
      break;  // not yet
    case 2:
      n = left + 1 + answers_.Byte();
      break;  // surplus
    case 3:
      n = left ? left - 1 - answers_.Byte() % left : 0;
      break;  // short
    case 4:
      n = answers_.Byte();
      break;
    case 5:
      n = answers_.U32();
      break;
    case 6:  // stalled at a short count for up to 4096 looks, longer than any wait
      stallCount_ = answers_.Byte() % 4 == 0 ? left / 2 : 0;
      stallLooks_ = (answers_.Byte() + 1) * 16 - 1;
      n = stallCount_;
      break;
    case 7:
      n = UINT32_MAX;
      break;  // a queue that never ends
  }
  *bytesWaiting = n;
  return 0;
}

std::uint32_t FuzzDriver::Transferred(std::uint8_t control, std::uint32_t count) {
  switch (control & 3) {
    case 1:
      return count ? answers_.Byte() % count : 0;
    case 2:
      return 0;
    default:
      return count;
  }
}

int FuzzDriver::Read(DeviceHandle handle, void* buffer, std::uint32_t count, std::uint32_t* got) {
  CheckHandle(handle);
  std::uint8_t k = 0;
  int code = 0;
  if (Fails(&k, &code)) return code;
  // How many: all asked for, fewer, none, or what is left of the sound reply.
  const std::uint32_t n = (k & 3) == 3 ? std::min(count, Left()) : Transferred(k, count);
  auto* bytes = static_cast<std::uint8_t*>(buffer);
  // What: the sound reply (junk after its end), raw input, one byte throughout, or the sound
  // reply with one byte changed.
  const int content = (k >> 2) & 3;
  if (content == 1) {
    answers_.Copy(bytes, n);
  } else if (content == 2) {
    std::memset(bytes, answers_.Byte(), n);
  } else {
    for (std::uint32_t i = 0; i < n; ++i) {
      const std::uint32_t at = static_cast<std::uint32_t>(replyAt_) + i;
      bytes[i] = at < static_cast<std::uint32_t>(replyLength_) ? reply_[at] : 0x55;
    }
    if (content == 3 && n > 0) {
      const std::uint32_t at = (answers_.U16() % kReplyBytes) % n;
      bytes[at] = answers_.Byte();
    }
  }
  replyAt_ = static_cast<int>(std::min<std::uint32_t>(replyAt_ + n, kReplyBytes));
  *got = n;
  return 0;
}

int FuzzDriver::Write(DeviceHandle handle, const void* buffer, std::uint32_t count,
                      std::uint32_t* written) {
  CheckHandle(handle);
  std::uint8_t k = 0;
  int code = 0;
  if (Fails(&k, &code)) return code;
  const std::uint32_t n = Transferred(k, count);
  *written = n;
  if (n == count) Receive(static_cast<const char*>(buffer), count);
  return 0;
}

void FuzzDriver::Close(DeviceHandle handle) {
  CheckHandle(handle);
  open_ = nullptr;
}

void FuzzDriver::Receive(const char* frame, std::uint32_t length) {
  char f[16] = {};
  std::memcpy(f, frame, std::min<std::uint32_t>(length, sizeof f - 1));
  const std::int64_t now = clock_.Peek();
  replyAt_ = 0;
  replyLength_ = 1;
  reply_[0] = '!';
  if (!std::strcmp(f, "$G;") || !std::strcmp(f, "$X;")) {
    running_ = true;
    scan_ = f[1] == 'X';
    runStartUs_ = now;
  } else if (!std::strcmp(f, "$S;")) {
    stoppedAt10ms_ = RealTime10ms();
    running_ = false;
  } else if (!std::strcmp(f, "$C;") || !std::strcmp(f, "$CX;")) {
    runStartUs_ = now;
    stoppedAt10ms_ = 0;
  } else if (f[1] == 'P') {
    preset10ms_ = std::strtoll(f + 2, nullptr, 10) * 10;
  } else if (f[1] == 'M') {
    channels_ = std::clamp(static_cast<int>(std::strtol(f + 2, nullptr, 10)), 1, 32) * 128;
  } else if (!std::strcmp(f, "$R0;")) {
    PrepareStatus();
  } else if (f[1] == 'R') {
    PrepareBlock(static_cast<int>(std::strtol(f + 2, nullptr, 10)));
  }
}

std::int32_t FuzzDriver::RealTime10ms() {
  if (!running_) return stoppedAt10ms_;
  std::int64_t rt = (clock_.Peek() - runStartUs_) / 10000;
  // An MCA run stops counting at the analyser's own preset.
  if (!scan_ && preset10ms_ > 0) rt = std::min(rt, preset10ms_);
  return static_cast<std::int32_t>(std::min<std::int64_t>(rt, INT32_MAX));
}

void FuzzDriver::PrepareStatus() {
  const std::int32_t rt = RealTime10ms();
  AcqStatus st;
  for (int i = 0; i < 256; ++i) st.SetTracePoint(i, static_cast<std::uint8_t>(i * 7 + rt));
  st.SetDisplayStart(0);
  st.SetDisplayEnd(static_cast<std::int16_t>(channels_ - 1));
  st.SetCursor(static_cast<std::int16_t>(channels_ / 2));
  st.SetVfsIndex(0);
  st.SetRealTime10ms(rt);
  st.SetEvents(rt * 5);
  const bool done = running_ && scan_ && rt >= preset10ms_;
  st.SetScanDone(done ? 1 : 0);
  // A finished scan is taken; the next one starts at once.
  if (done) runStartUs_ = clock_.Peek();
  std::memcpy(reply_, st.data(), kStatusBytes);
  replyLength_ = kStatusBytes;
}

void FuzzDriver::PrepareBlock(int block) {
  const std::uint32_t scale = static_cast<std::uint32_t>(RealTime10ms()) / 10 + 1;
  for (int i = 0; i < kBlockChannels; ++i) {
    const int ch = (block - 1) * kBlockChannels + i;
    // A flat background with a peak every 256 channels.
    const std::uint32_t shape = ch % 256 == 100 ? 50 : 1 + ch % 3;
    PutU32(reply_ + 4 * i, scale * shape);
  }
  replyLength_ = kBlockBytes;
}

}  // namespace tavlex::fuzz
