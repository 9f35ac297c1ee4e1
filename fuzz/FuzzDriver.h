#pragma once
// A driver backend for the fuzzer: a hostile analyser whose every answer comes from the input.
// Each call takes one control byte from the answer stream: 0xF0 and above make the call fail,
// lower values choose how it succeeds (queue counts, byte counts, reply bytes), and 0 is always
// what a sound analyser would answer. Once the stream is used up, every call fails, so that every
// run ends. It also watches the operation under way and traps when one outlives its time bound
// or makes more driver calls than a bounded operation can.

#include <cstddef>
#include <cstdint>

#include "app/Clock.h"
#include "link/Driver.h"

namespace tavlex::fuzz {

// Bytes taken in order; zeros once they are used up.
class ByteStream {
 public:
  void Reset(const std::uint8_t* data, std::size_t size) {
    data_ = data;
    size_ = size;
    at_ = 0;
  }
  bool Empty() const { return at_ >= size_; }
  std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
  std::uint16_t U16();
  std::uint32_t U32();
  // Copies n bytes, the missing ones as zeros.
  void Copy(std::uint8_t* to, std::size_t n);

 private:
  const std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t at_ = 0;
};

class FuzzDriver : public Driver {
 public:
  explicit FuzzDriver(ManualClock& clock) : clock_(clock) {}

  // A new run: the answers, a fresh analyser and no handle open.
  void Reset(const std::uint8_t* answers, std::size_t size);

  // The analyser is gone for good: every call fails from now on.
  void Unplug() { answers_.Reset(nullptr, 0); }

  // The operation under way may last `boundUs` on the clock and make `maxCalls` driver calls;
  // a call beyond either traps.
  void Watch(std::int64_t boundUs, std::int64_t maxCalls);

  int ListDevices(char** buffers, std::uint32_t* count, std::uint32_t flags) override;
  int OpenEx(const char* serialNumber, std::uint32_t flags, DeviceHandle* handle) override;
  int ResetDevice(DeviceHandle handle) override;
  int SetLatencyTimer(DeviceHandle handle, std::uint8_t ms) override;
  int SetTimeouts(DeviceHandle handle, std::uint32_t readMs, std::uint32_t writeMs) override;
  int Purge(DeviceHandle handle, std::uint32_t mask) override;
  int GetQueueStatus(DeviceHandle handle, std::uint32_t* bytesWaiting) override;
  int Read(DeviceHandle handle, void* buffer, std::uint32_t count, std::uint32_t* got) override;
  int Write(DeviceHandle handle, const void* buffer, std::uint32_t count,
            std::uint32_t* written) override;
  void Close(DeviceHandle handle) override;
  const char* Name() const override { return "fuzz"; }

 private:
  static constexpr int kHandles = 4;
  static constexpr int kReplyBytes = 512;

  // Counts the call against the watch and takes its control byte; true (with *code) when the
  // call is to fail.
  bool Fails(std::uint8_t* control, int* code);
  // A transfer's byte count from the control byte: all of `count`, fewer, or none.
  std::uint32_t Transferred(std::uint8_t control, std::uint32_t count);
  // A call with a handle that is not the open one is a fault of the program, not of the analyser.
  void CheckHandle(DeviceHandle handle) const;
  // The analyser takes a whole frame and prepares the reply a sound one would send.
  void Receive(const char* frame, std::uint32_t length);
  std::int32_t RealTime10ms();
  void PrepareStatus();
  void PrepareBlock(int block);
  std::uint32_t Left() const {
    return replyAt_ < replyLength_ ? static_cast<std::uint32_t>(replyLength_ - replyAt_) : 0;
  }

  ManualClock& clock_;
  ByteStream answers_;

  // The watch over the operation under way.
  std::int64_t watchStartUs_ = 0;
  std::int64_t watchBoundUs_ = 0;
  std::int64_t calls_ = 0;
  std::int64_t maxCalls_ = 0;

  char handles_[kHandles] = {};
  int opens_ = 0;
  DeviceHandle open_ = nullptr;

  // A stalled queue repeats its count for this many more looks.
  int stallLooks_ = 0;
  std::uint32_t stallCount_ = 0;

  // The sound analyser behind the plausible replies: memory size, preset, the run's clock.
  int channels_ = 4096;
  std::int64_t preset10ms_ = 0;
  bool running_ = false;
  bool scan_ = false;
  std::int64_t runStartUs_ = 0;
  std::int32_t stoppedAt10ms_ = 0;
  std::uint8_t reply_[kReplyBytes] = {};
  int replyLength_ = 0;
  int replyAt_ = 0;
};

}  // namespace tavlex::fuzz
