#include "link/FtdiDriver.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "link/FtdiCalls.h"

namespace tavlex {

const FtdiCalls& LibftdiCalls() {
  static constexpr FtdiCalls calls = {
      .newContext = ftdi_new,
      .freeContext = ftdi_free,
      .findAll = ftdi_usb_find_all,
      .listFree = ftdi_list_free,
      .getStrings = ftdi_usb_get_strings,
      .openDev = ftdi_usb_open_dev,
      .close = ftdi_usb_close,
      .reset = ftdi_usb_reset,
      .setLatencyTimer = ftdi_set_latency_timer,
      .tciflush = ftdi_tciflush,
      .tcoflush = ftdi_tcoflush,
      .readData = ftdi_read_data,
      .writeData = ftdi_write_data,
  };
  return calls;
}

struct FtdiDriver::Device {
  explicit Device(const FtdiCalls& c) : calls(c) {}
  const FtdiCalls& calls;
  ftdi_context* ftdi = nullptr;
  std::uint8_t buffer[4096] = {};
  int length = 0;
  int readTimeoutMs = 3000;
  ~Device() {
    if (ftdi) {
      calls.close(ftdi);
      calls.freeContext(ftdi);
    }
  }
  // One non-blocking read into the free room of the buffer. A count beyond the room asked for
  // cannot be true of bytes that fit: it is taken as a failed read, not added to the length.
  int Fill() {
    const int room = static_cast<int>(sizeof buffer) - length;
    if (room <= 0) return 0;
    const int n = calls.readData(ftdi, buffer + length, room);
    if (n < 0 || n > room) return kDriverIoError;
    length += n;
    return 0;
  }
  void Take(std::uint8_t* to, int n) {
    std::memcpy(to, buffer, n);
    std::memmove(buffer, buffer + n, length - n);
    length -= n;
  }
};

namespace {

// The devices that libftdi finds with its default FTDI vendor and product ids.
class DeviceList {
 public:
  DeviceList(const FtdiCalls& calls, ftdi_context* ftdi) : calls_(calls), ftdi_(ftdi) {
    count_ = ftdi ? calls_.findAll(ftdi, &list_, 0, 0) : -1;
  }
  ~DeviceList() {
    if (list_) calls_.listFree(&list_);
  }
  DeviceList(const DeviceList&) = delete;
  DeviceList& operator=(const DeviceList&) = delete;
  int Count() const { return count_; }
  ftdi_device_list* First() const { return list_; }
  // The serial number, or an empty text when the device cannot be asked (no permission).
  void Serial(ftdi_device_list* entry, char* out, int size) const {
    out[0] = '\0';
    if (calls_.getStrings(ftdi_, entry->dev, nullptr, 0, nullptr, 0, out, size) < 0) out[0] = '\0';
    out[size - 1] = '\0';
  }

 private:
  const FtdiCalls& calls_;
  ftdi_context* ftdi_;
  ftdi_device_list* list_ = nullptr;
  int count_ = -1;
};

}  // namespace

FtdiDriver::FtdiDriver() : FtdiDriver(LibftdiCalls()) {}

FtdiDriver::FtdiDriver(const FtdiCalls& calls) : calls_(calls) {
  if (ftdi_context* probe = calls_.newContext()) {
    usable_ = true;
    calls_.freeContext(probe);
  }
}

FtdiDriver::~FtdiDriver() = default;

FtdiDriver::Device* FtdiDriver::Find(DeviceHandle handle) const {
  for (const auto& d : devices_)
    if (d.get() == handle) return d.get();
  return nullptr;
}

int FtdiDriver::ListDevices(char** buffers, std::uint32_t* count, std::uint32_t flags) {
  if (count) *count = 0;
  if (!count || flags != kListAllBySerialNumber) return kDriverOtherError;
  ftdi_context* ftdi = calls_.newContext();
  if (!ftdi) return kDriverOtherError;
  int result = 0;
  {
    DeviceList list(calls_, ftdi);
    if (list.Count() < 0) {
      result = kDriverIoError;
    } else {
      int i = 0;
      // Only as many buffers as the caller's list holds, up to its null pointer.
      for (ftdi_device_list* e = list.First(); e && buffers && buffers[i]; e = e->next, ++i)
        list.Serial(e, buffers[i], 64);
      *count = static_cast<std::uint32_t>(list.Count());
    }
  }
  calls_.freeContext(ftdi);
  return result;
}

int FtdiDriver::OpenEx(const char* serialNumber, std::uint32_t flags, DeviceHandle* handle) {
  if (!serialNumber || !handle || flags != kOpenBySerialNumber) return kDriverOtherError;
  auto device = std::make_unique<Device>(calls_);
  device->ftdi = calls_.newContext();
  if (!device->ftdi) return kDriverOtherError;
  bool opened = false;
  {
    DeviceList list(calls_, device->ftdi);
    for (ftdi_device_list* e = list.First(); e && !opened; e = e->next) {
      char serial[64];
      list.Serial(e, serial, sizeof serial);
      // Opening claims the interface; libftdi detaches the kernel's serial driver from it.
      if (std::strcmp(serial, serialNumber) == 0 && calls_.openDev(device->ftdi, e->dev) == 0)
        opened = true;
    }
  }
  if (!opened) return kDriverDeviceNotFound;
  *handle = device.get();
  devices_.push_back(std::move(device));
  return 0;
}

int FtdiDriver::ResetDevice(DeviceHandle handle) {
  Device* d = Find(handle);
  if (!d) return kDriverInvalidHandle;
  d->length = 0;
  return calls_.reset(d->ftdi) == 0 ? 0 : kDriverIoError;
}

int FtdiDriver::SetLatencyTimer(DeviceHandle handle, std::uint8_t ms) {
  Device* d = Find(handle);
  if (!d) return kDriverInvalidHandle;
  return calls_.setLatencyTimer(d->ftdi, ms) == 0 ? 0 : kDriverIoError;
}

int FtdiDriver::SetTimeouts(DeviceHandle handle, std::uint32_t readMs, std::uint32_t writeMs) {
  Device* d = Find(handle);
  if (!d) return kDriverInvalidHandle;
  d->readTimeoutMs = static_cast<int>(std::min<std::uint32_t>(readMs, 600000));
  d->ftdi->usb_read_timeout = d->readTimeoutMs;
  d->ftdi->usb_write_timeout = static_cast<int>(std::min<std::uint32_t>(writeMs, 600000));
  return 0;
}

int FtdiDriver::Purge(DeviceHandle handle, std::uint32_t mask) {
  Device* d = Find(handle);
  if (!d) return kDriverInvalidHandle;
  int result = 0;
  if (mask & 1) {
    d->length = 0;
    if (calls_.tciflush(d->ftdi) != 0) result = kDriverIoError;
  }
  if ((mask & 2) && calls_.tcoflush(d->ftdi) != 0) result = kDriverIoError;
  return result;
}

int FtdiDriver::GetQueueStatus(DeviceHandle handle, std::uint32_t* bytesWaiting) {
  Device* d = Find(handle);
  if (!d) return kDriverInvalidHandle;
  if (!bytesWaiting) return kDriverOtherError;
  if (int st = d->Fill()) return st;
  *bytesWaiting = static_cast<std::uint32_t>(d->length);
  return 0;
}

int FtdiDriver::Read(DeviceHandle handle, void* buffer, std::uint32_t count, std::uint32_t* got) {
  if (got) *got = 0;
  Device* d = Find(handle);
  if (!d) return kDriverInvalidHandle;
  if (!buffer || !got) return kDriverOtherError;
  // Like the vendor's read: wait for the bytes asked for, up to the read time-out.
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(d->readTimeoutMs);
  const int want = static_cast<int>(std::min<std::uint32_t>(count, sizeof d->buffer));
  while (d->length < want && std::chrono::steady_clock::now() < deadline)
    if (int st = d->Fill()) return st;
  const int n = std::min(want, d->length);
  d->Take(static_cast<std::uint8_t*>(buffer), n);
  *got = static_cast<std::uint32_t>(n);
  return 0;
}

int FtdiDriver::Write(DeviceHandle handle, const void* buffer, std::uint32_t count,
                      std::uint32_t* written) {
  if (written) *written = 0;
  Device* d = Find(handle);
  if (!d) return kDriverInvalidHandle;
  if (!buffer || !written) return kDriverOtherError;
  const int n = calls_.writeData(d->ftdi, static_cast<const unsigned char*>(buffer),
                                 static_cast<int>(std::min<std::uint32_t>(count, 65536)));
  if (n < 0) return kDriverIoError;
  *written = static_cast<std::uint32_t>(n);
  return 0;
}

void FtdiDriver::Close(DeviceHandle handle) {
  std::erase_if(devices_, [handle](const std::unique_ptr<Device>& d) { return d.get() == handle; });
}

}  // namespace tavlex
