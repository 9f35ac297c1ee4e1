#pragma once
// Choosing the driver backend at start: --driver=sim|d2xx|ftdi (--simulate means sim).

#include <memory>
#include <string>

#include "link/Driver.h"

namespace tavlex {

// A backend with nothing behind it: it lists no device. Used when no driver can be loaded.
class NoDeviceDriver : public Driver {
 public:
  int ListDevices(char**, std::uint32_t* count, std::uint32_t) override {
    if (count) *count = 0;
    return 0;
  }
  int OpenEx(const char*, std::uint32_t, DeviceHandle*) override { return kDriverDeviceNotFound; }
  int ResetDevice(DeviceHandle) override { return kDriverInvalidHandle; }
  int SetLatencyTimer(DeviceHandle, std::uint8_t) override { return kDriverInvalidHandle; }
  int SetTimeouts(DeviceHandle, std::uint32_t, std::uint32_t) override {
    return kDriverInvalidHandle;
  }
  int Purge(DeviceHandle, std::uint32_t) override { return kDriverInvalidHandle; }
  int GetQueueStatus(DeviceHandle, std::uint32_t*) override { return kDriverInvalidHandle; }
  int Read(DeviceHandle, void*, std::uint32_t, std::uint32_t*) override {
    return kDriverInvalidHandle;
  }
  int Write(DeviceHandle, const void*, std::uint32_t, std::uint32_t*) override {
    return kDriverInvalidHandle;
  }
  const char* Name() const override { return "none"; }
};

// name: "sim", "d2xx", "ftdi" or "" (the default: the vendor library, then libftdi1).
// Returns null and sets *error for an unknown name.
std::unique_ptr<Driver> MakeDriver(const std::string& name, std::string* error);

}  // namespace tavlex
