#pragma once
// The vendor's D2XX library, loaded when the program starts: by file name on Linux and macOS,
// by ordinal on Windows. Without the library, or with one that lacks an entry point, the
// backend lists no device (and says why); it never crashes.

#include <cstdint>
#include <memory>
#include <string>

#include "link/Driver.h"

namespace tavlex {

class D2xxDriver : public Driver {
 public:
  // The platform's library name: libftd2xx.so, libftd2xx.dylib or ftd2xx.dll.
  static const char* DefaultLibrary();
  // `library` empty: the environment variable TAVLEX_D2XX_LIBRARY if set, else the default.
  explicit D2xxDriver(const std::string& library = "");
  ~D2xxDriver() override;
  D2xxDriver(const D2xxDriver&) = delete;
  D2xxDriver& operator=(const D2xxDriver&) = delete;

  bool Loaded() const { return loaded_; }
  const std::string& LoadError() const { return loadError_; }

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
  const char* Name() const override { return "D2XX"; }

  struct Api;

 private:
  void Load(const std::string& library);
  void Unload();

  void* module_ = nullptr;
  std::unique_ptr<Api> api_;
  bool loaded_ = false;
  std::string loadError_;
};

}  // namespace tavlex
