// A stand-in for the vendor's D2XX library, built by the tests: it exports the entry points the
// program loads at run time and answers from the simulated analyser. Like the vendor's library,
// listing by serial number fills one buffer for every attached device, whatever the caller's
// room, so a careless caller would overrun its buffers here.

#include <cstdint>
#include <cstdio>

#include "link/SimAnalyser.h"

#define STANDIN_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

using tavlex::DeviceHandle;
using tavlex::SimDriver;

SimDriver& Sim() {
  static SimDriver driver;
  return driver;
}

}  // namespace

STANDIN_EXPORT void StandInSetDeviceCount(int n) {
  Sim().SetDeviceCount(n);
}
STANDIN_EXPORT int StandInFrameCount() {
  return Sim().Analyser().FrameCount();
}
STANDIN_EXPORT int StandInOpenHandles() {
  return Sim().OpenHandles();
}

STANDIN_EXPORT std::uint32_t FT_ListDevices(void* arg1, void* arg2, std::uint32_t flags) {
  const auto n = static_cast<std::uint32_t>(Sim().DeviceCount());
  if (flags == 0x80000000u) {
    *static_cast<std::uint32_t*>(arg1) = n;
    return 0;
  }
  if (flags != tavlex::kListAllBySerialNumber) return 18;
  char** buffers = static_cast<char**>(arg1);
  for (std::uint32_t i = 0; i < n; ++i) std::snprintf(buffers[i], 64, "SIM%05u", i + 1);
  *static_cast<std::uint32_t*>(arg2) = n;
  return 0;
}

STANDIN_EXPORT std::uint32_t FT_OpenEx(void* arg, std::uint32_t flags, DeviceHandle* handle) {
  return Sim().OpenEx(static_cast<const char*>(arg), flags, handle);
}
STANDIN_EXPORT std::uint32_t FT_ResetDevice(DeviceHandle h) {
  return Sim().ResetDevice(h);
}
STANDIN_EXPORT std::uint32_t FT_SetLatencyTimer(DeviceHandle h, unsigned char ms) {
  return Sim().SetLatencyTimer(h, ms);
}
STANDIN_EXPORT std::uint32_t FT_SetTimeouts(DeviceHandle h, std::uint32_t r, std::uint32_t w) {
  return Sim().SetTimeouts(h, r, w);
}
STANDIN_EXPORT std::uint32_t FT_Purge(DeviceHandle h, std::uint32_t mask) {
  return Sim().Purge(h, mask);
}
STANDIN_EXPORT std::uint32_t FT_GetQueueStatus(DeviceHandle h, std::uint32_t* n) {
  return Sim().GetQueueStatus(h, n);
}
STANDIN_EXPORT std::uint32_t FT_Read(DeviceHandle h, void* b, std::uint32_t n, std::uint32_t* got) {
  return Sim().Read(h, b, n, got);
}
#ifndef STANDIN_WITHOUT_WRITE
STANDIN_EXPORT std::uint32_t FT_Write(DeviceHandle h, void* b, std::uint32_t n,
                                      std::uint32_t* written) {
  return Sim().Write(h, b, n, written);
}
#endif
STANDIN_EXPORT std::uint32_t FT_Close(DeviceHandle h) {
  Sim().Close(h);
  return 0;
}
