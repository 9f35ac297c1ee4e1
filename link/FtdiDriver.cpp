#include "link/FtdiDriver.h"

#include <ftdi.h>

#include <algorithm>
#include <chrono>
#include <cstring>

namespace tavlex {

struct FtdiDriver::Device {
  ftdi_context* ftdi = nullptr;
  std::uint8_t buffer[4096] = {};
  int length = 0;
  int readTimeoutMs = 3000;
  ~Device() {
    if (ftdi) {
      ftdi_usb_close(ftdi);
      ftdi_free(ftdi);
    }
  }
  // One non-blocking read into the free room of the buffer.
  int Fill() {
    const int room = static_cast<int>(sizeof buffer) - length;
    if (room <= 0) return 0;
    const int n = ftdi_read_data(ftdi, buffer + length, room);
    if (n < 0) return kDriverIoError;
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
  explicit DeviceList(ftdi_context* ftdi) : ftdi_(ftdi) {
    count_ = ftdi ? ftdi_usb_find_all(ftdi, &list_, 0, 0) : -1;
  }
  ~DeviceList() {
    if (list_) ftdi_list_free(&list_);
  }
  DeviceList(const DeviceList&) = delete;
  DeviceList& operator=(const DeviceList&) = delete;
  int Count() const { return count_; }
  ftdi_device_list* First() const { return list_; }
  // The serial number, or an empty text when the device cannot be asked (no permission).
  void Serial(ftdi_device_list* entry, char* out, int size) const {
    out[0] = '\0';
    if (ftdi_usb_get_strings(ftdi_, entry->dev, nullptr, 0, nullptr, 0, out, size) < 0)
      out[0] = '\0';
    out[size - 1] = '\0';
  }

 private:
  ftdi_context* ftdi_;
  ftdi_device_list* list_ = nullptr;
  int count_ = -1;
};

}  // namespace

FtdiDriver::FtdiDriver() {
  if (ftdi_context* probe = ftdi_new()) {
    usable_ = true;
    ftdi_free(probe);
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
  ftdi_context* ftdi = ftdi_new();
  if (!ftdi) return kDriverOtherError;
  int result = 0;
  {
    DeviceList list(ftdi);
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
  ftdi_free(ftdi);
  return result;
}

int FtdiDriver::OpenEx(const char* serialNumber, std::uint32_t flags, DeviceHandle* handle) {
  if (!serialNumber || !handle || flags != kOpenBySerialNumber) return kDriverOtherError;
  auto device = std::make_unique<Device>();
  device->ftdi = ftdi_new();
  if (!device->ftdi) return kDriverOtherError;
  bool opened = false;
  {
    DeviceList list(device->ftdi);
    for (ftdi_device_list* e = list.First(); e && !opened; e = e->next) {
      char serial[64];
      list.Serial(e, serial, sizeof serial);
      // Opening claims the interface; libftdi detaches the kernel's serial driver from it.
      if (std::strcmp(serial, serialNumber) == 0 && ftdi_usb_open_dev(device->ftdi, e->dev) == 0)
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
  return ftdi_usb_reset(d->ftdi) == 0 ? 0 : kDriverIoError;
}

int FtdiDriver::SetLatencyTimer(DeviceHandle handle, std::uint8_t ms) {
  Device* d = Find(handle);
  if (!d) return kDriverInvalidHandle;
  return ftdi_set_latency_timer(d->ftdi, ms) == 0 ? 0 : kDriverIoError;
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
    if (ftdi_tciflush(d->ftdi) != 0) result = kDriverIoError;
  }
  if ((mask & 2) && ftdi_tcoflush(d->ftdi) != 0) result = kDriverIoError;
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
  const int n = ftdi_write_data(d->ftdi, static_cast<const unsigned char*>(buffer),
                                static_cast<int>(std::min<std::uint32_t>(count, 65536)));
  if (n < 0) return kDriverIoError;
  *written = static_cast<std::uint32_t>(n);
  return 0;
}

void FtdiDriver::Close(DeviceHandle handle) {
  std::erase_if(devices_, [handle](const std::unique_ptr<Device>& d) { return d.get() == handle; });
}

}  // namespace tavlex
