#include "link/D2xxDriver.h"

#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#define TAVLEX_D2XX_CALL __stdcall
#else
#include <dlfcn.h>
#define TAVLEX_D2XX_CALL
#endif

namespace tavlex {

namespace {

// The vendor's status, handle and count types are 32-bit unsigned values and a pointer on
// every platform it supports.
using FtStatus = std::uint32_t;
using FtHandle = void*;
constexpr std::uint32_t kListNumberOnly = 0x80000000;
// Room for devices plugged in between counting and listing.
constexpr std::uint32_t kListingMargin = 16;
constexpr std::uint32_t kMostDevices = 1024;

}  // namespace

struct D2xxDriver::Api {
  FtStatus(TAVLEX_D2XX_CALL* listDevices)(void*, void*, std::uint32_t) = nullptr;
  FtStatus(TAVLEX_D2XX_CALL* openEx)(void*, std::uint32_t, FtHandle*) = nullptr;
  FtStatus(TAVLEX_D2XX_CALL* resetDevice)(FtHandle) = nullptr;
  FtStatus(TAVLEX_D2XX_CALL* setLatencyTimer)(FtHandle, unsigned char) = nullptr;
  FtStatus(TAVLEX_D2XX_CALL* setTimeouts)(FtHandle, std::uint32_t, std::uint32_t) = nullptr;
  FtStatus(TAVLEX_D2XX_CALL* purge)(FtHandle, std::uint32_t) = nullptr;
  FtStatus(TAVLEX_D2XX_CALL* getQueueStatus)(FtHandle, std::uint32_t*) = nullptr;
  FtStatus(TAVLEX_D2XX_CALL* read)(FtHandle, void*, std::uint32_t, std::uint32_t*) = nullptr;
  FtStatus(TAVLEX_D2XX_CALL* write)(FtHandle, void*, std::uint32_t, std::uint32_t*) = nullptr;
  FtStatus(TAVLEX_D2XX_CALL* close)(FtHandle) = nullptr;  // optional
};

namespace {

void* OpenModule(const std::string& path) {
#if defined(_WIN32)
  return reinterpret_cast<void*>(LoadLibraryA(path.c_str()));
#else
  return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
#endif
}

void CloseModule(void* module) {
#if defined(_WIN32)
  FreeLibrary(reinterpret_cast<HMODULE>(module));
#else
  dlclose(module);
#endif
}

// An entry point by name on Linux and macOS, by ordinal on Windows (by name when the ordinal is
// 0). Stores it into `fn`; false when the library lacks it.
template <typename Fn>
bool Bind(void* module, Fn& fn, const char* name, [[maybe_unused]] int ordinal) {
#if defined(_WIN32)
  FARPROC p =
      GetProcAddress(reinterpret_cast<HMODULE>(module), ordinal ? MAKEINTRESOURCEA(ordinal) : name);
#else
  void* p = dlsym(module, name);
#endif
  if (!p) return false;
  static_assert(sizeof fn == sizeof p);
  std::memcpy(&fn, &p, sizeof fn);
  return true;
}

}  // namespace

const char* D2xxDriver::DefaultLibrary() {
#if defined(_WIN32)
  return "ftd2xx.dll";
#elif defined(__APPLE__)
  return "libftd2xx.dylib";
#else
  return "libftd2xx.so";
#endif
}

D2xxDriver::D2xxDriver(const std::string& library) {
  std::string path = library;
  if (path.empty()) {
    const char* env = std::getenv("TAVLEX_D2XX_LIBRARY");
    path = (env && *env) ? env : DefaultLibrary();
  }
  Load(path);
}

D2xxDriver::~D2xxDriver() {
  Unload();
}

void D2xxDriver::Load(const std::string& library) {
  module_ = OpenModule(library);
  if (!module_) {
    loadError_ = "cannot load " + library;
    return;
  }
  api_ = std::make_unique<Api>();
  struct Entry {
    bool bound;
    const char* name;
  };
  const Entry entries[] = {
      {Bind(module_, api_->listDevices, "FT_ListDevices", 28), "FT_ListDevices"},
      {Bind(module_, api_->openEx, "FT_OpenEx", 27), "FT_OpenEx"},
      {Bind(module_, api_->resetDevice, "FT_ResetDevice", 6), "FT_ResetDevice"},
      {Bind(module_, api_->setLatencyTimer, "FT_SetLatencyTimer", 29), "FT_SetLatencyTimer"},
      {Bind(module_, api_->setTimeouts, "FT_SetTimeouts", 17), "FT_SetTimeouts"},
      {Bind(module_, api_->purge, "FT_Purge", 16), "FT_Purge"},
      {Bind(module_, api_->getQueueStatus, "FT_GetQueueStatus", 18), "FT_GetQueueStatus"},
      {Bind(module_, api_->read, "FT_Read", 3), "FT_Read"},
      {Bind(module_, api_->write, "FT_Write", 4), "FT_Write"},
  };
  Bind(module_, api_->close, "FT_Close", 0);
  for (const Entry& e : entries) {
    if (!e.bound) {
      loadError_ = library + " lacks " + e.name;
      Unload();
      return;
    }
  }
  loaded_ = true;
}

void D2xxDriver::Unload() {
  loaded_ = false;
  api_.reset();
  if (module_) CloseModule(module_);
  module_ = nullptr;
}

int D2xxDriver::ListDevices(char** buffers, std::uint32_t* count, std::uint32_t flags) {
  if (count) *count = 0;
  if (!loaded_) return kDriverOtherError;
  if (!count) return kDriverOtherError;
  if (flags != kListAllBySerialNumber)
    return static_cast<int>(api_->listDevices(buffers, count, flags));
  // The library fills one buffer for every attached device, however few the caller has: count
  // them first, list into buffers of our own, then copy what fits.
  std::uint32_t attached = 0;
  if (FtStatus st = api_->listDevices(&attached, nullptr, kListNumberOnly))
    return static_cast<int>(st);
  if (attached > kMostDevices) return kDriverOtherError;
  const std::uint32_t room = attached + kListingMargin;
  std::vector<std::array<char, 64>> serials(room);
  std::vector<char*> list(room + 1, nullptr);
  for (std::uint32_t i = 0; i < room; ++i) list[i] = serials[i].data();
  std::uint32_t listed = 0;
  if (FtStatus st = api_->listDevices(list.data(), &listed, flags)) return static_cast<int>(st);
  for (std::uint32_t i = 0; buffers && i < listed && i < room && buffers[i]; ++i) {
    serials[i][63] = '\0';
    std::memcpy(buffers[i], serials[i].data(), 64);
  }
  *count = listed;
  return 0;
}

int D2xxDriver::OpenEx(const char* serialNumber, std::uint32_t flags, DeviceHandle* handle) {
  if (!loaded_) return kDriverDeviceNotFound;
  if (!serialNumber || !handle) return kDriverOtherError;
  return static_cast<int>(api_->openEx(const_cast<char*>(serialNumber), flags, handle));
}

namespace {

// The remaining calls pass straight through, refusing a missing library or handle.
template <typename Call>
int Pass(bool loaded, DeviceHandle handle, Call call) {
  if (!loaded || !handle) return kDriverInvalidHandle;
  return static_cast<int>(call());
}

}  // namespace

int D2xxDriver::ResetDevice(DeviceHandle h) {
  return Pass(loaded_, h, [&] { return api_->resetDevice(h); });
}

int D2xxDriver::SetLatencyTimer(DeviceHandle h, std::uint8_t ms) {
  return Pass(loaded_, h, [&] { return api_->setLatencyTimer(h, ms); });
}

int D2xxDriver::SetTimeouts(DeviceHandle h, std::uint32_t readMs, std::uint32_t writeMs) {
  return Pass(loaded_, h, [&] { return api_->setTimeouts(h, readMs, writeMs); });
}

int D2xxDriver::Purge(DeviceHandle h, std::uint32_t mask) {
  return Pass(loaded_, h, [&] { return api_->purge(h, mask); });
}

int D2xxDriver::GetQueueStatus(DeviceHandle h, std::uint32_t* bytesWaiting) {
  return Pass(loaded_, h, [&] { return api_->getQueueStatus(h, bytesWaiting); });
}

int D2xxDriver::Read(DeviceHandle h, void* buffer, std::uint32_t count, std::uint32_t* got) {
  return Pass(loaded_, h, [&] { return api_->read(h, buffer, count, got); });
}

int D2xxDriver::Write(DeviceHandle h, const void* buffer, std::uint32_t count,
                      std::uint32_t* written) {
  return Pass(loaded_, h,
              [&] { return api_->write(h, const_cast<void*>(buffer), count, written); });
}

void D2xxDriver::Close(DeviceHandle handle) {
  if (loaded_ && handle && api_->close) api_->close(handle);
}

}  // namespace tavlex
