#pragma once
// Real FTDI devices through libftdi1, the open library of Linux distributions. Each driver call
// maps to its libftdi counterpart; the receive-queue count comes from a buffer of our own that
// non-blocking reads fill (the chip answers a read within its latency time, data or not).

#include <cstdint>
#include <memory>
#include <vector>

#include "link/Driver.h"

namespace tavlex {

struct FtdiCalls;

class FtdiDriver : public Driver {
 public:
  FtdiDriver();
  // The same backend over another table of the libftdi functions (a test's fake device).
  explicit FtdiDriver(const FtdiCalls& calls);
  ~FtdiDriver() override;
  FtdiDriver(const FtdiDriver&) = delete;
  FtdiDriver& operator=(const FtdiDriver&) = delete;

  // False when libusb cannot be used at all on this machine.
  bool Usable() const { return usable_; }

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
  const char* Name() const override { return "libftdi"; }

  struct Device;

 private:
  Device* Find(DeviceHandle handle) const;

  const FtdiCalls& calls_;
  bool usable_ = false;
  std::vector<std::unique_ptr<Device>> devices_;
};

}  // namespace tavlex
