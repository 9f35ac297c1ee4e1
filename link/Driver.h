#pragma once
// The nine calls of the USB driver that the program uses. Every backend (the vendor's D2XX
// library, libftdi1, the simulated analyser) implements exactly these; the command protocol uses
// nothing else. Each call returns 0 for success, as the vendor library does.

#include <cstdint>

#include "app/AppState.h"

namespace tavlex {

// Flags and masks with the values the vendor library defines.
inline constexpr std::uint32_t kListAllBySerialNumber = 0x20000001;  // list all | by serial number
inline constexpr std::uint32_t kOpenBySerialNumber = 1;
inline constexpr std::uint32_t kPurgeRxTx = 3;

// Status codes a backend may return besides 0 (success).
inline constexpr int kDriverInvalidHandle = 1;
inline constexpr int kDriverDeviceNotFound = 2;
inline constexpr int kDriverDeviceNotOpened = 3;
inline constexpr int kDriverIoError = 4;
inline constexpr int kDriverOtherError = 18;

class Driver {
 public:
  virtual ~Driver() = default;

  // List all devices by serial number: `buffers` is an array of pointers to 64-byte buffers,
  // ended by a null pointer; the count of attached devices goes to *count. Only as many
  // buffers as the array holds are filled.
  virtual int ListDevices(char** buffers, std::uint32_t* count, std::uint32_t flags) = 0;
  virtual int OpenEx(const char* serialNumber, std::uint32_t flags, DeviceHandle* handle) = 0;
  virtual int ResetDevice(DeviceHandle handle) = 0;
  virtual int SetLatencyTimer(DeviceHandle handle, std::uint8_t ms) = 0;
  virtual int SetTimeouts(DeviceHandle handle, std::uint32_t readMs, std::uint32_t writeMs) = 0;
  virtual int Purge(DeviceHandle handle, std::uint32_t mask) = 0;
  virtual int GetQueueStatus(DeviceHandle handle, std::uint32_t* bytesWaiting) = 0;
  virtual int Read(DeviceHandle handle, void* buffer, std::uint32_t count, std::uint32_t* got) = 0;
  virtual int Write(DeviceHandle handle, const void* buffer, std::uint32_t count,
                    std::uint32_t* written) = 0;
  // Not one of the nine: releases a handle when the program ends.
  virtual void Close(DeviceHandle /*handle*/) {}
  // A short name for messages and the window caption ("simulated", "D2XX", "libftdi").
  virtual const char* Name() const = 0;
  virtual bool IsSimulation() const { return false; }
};

}  // namespace tavlex
