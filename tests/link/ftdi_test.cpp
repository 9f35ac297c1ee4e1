// The libftdi backend's own receive buffer, over a fake of the few libftdi functions it calls:
// reads that bring a reply in pieces, more than the caller asked for, or a failure.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "link/FtdiCalls.h"
#include "link/FtdiDriver.h"

namespace tavlex::test {
namespace {

// What one ftdi_read_data call does: hand over bytes, fail with a libftdi status, or (extra > 0)
// claim `extra` bytes more than the whole room it was given, a count no real read can have.
struct ReadStep {
  std::string bytes;
  int status = 0;
  int extra = 0;
};

struct FakeFtdi {
  const char* serials[2] = {"FT000017", "FT000042"};
  std::deque<ReadStep> reads;  // once empty, every read finds nothing
  int writeResult = -1;        // < 0: the write fails; otherwise the count it reports
  int flushResult = 0;
  int inputFlushes = 0, outputFlushes = 0, contexts = 0;
};
FakeFtdi* fake = nullptr;

libusb_device* Dev(int i) {
  return reinterpret_cast<libusb_device*>(&fake->serials[i]);
}

const FtdiCalls kFakeCalls = {
    .newContext =
        [] {
          ++fake->contexts;
          return new ftdi_context{};
        },
    .freeContext =
        [](ftdi_context* f) {
          --fake->contexts;
          delete f;
        },
    .findAll =
        [](ftdi_context*, ftdi_device_list** list, int, int) {
          *list = new ftdi_device_list{new ftdi_device_list{nullptr, Dev(1)}, Dev(0)};
          return 2;
        },
    .listFree =
        [](ftdi_device_list** list) {
          for (ftdi_device_list* e = *list; e;) delete std::exchange(e, e->next);
          *list = nullptr;
        },
    .getStrings =
        [](ftdi_context*, libusb_device* dev, char*, int, char*, int, char* serial, int size) {
          std::snprintf(serial, static_cast<std::size_t>(size), "%s",
                        *reinterpret_cast<const char**>(dev));
          return 0;
        },
    .openDev = [](ftdi_context*, libusb_device*) { return 0; },
    .close = [](ftdi_context*) { return 0; },
    .reset = [](ftdi_context*) { return 0; },
    .setLatencyTimer = [](ftdi_context*, unsigned char) { return 0; },
    .tciflush =
        [](ftdi_context*) {
          ++fake->inputFlushes;
          return fake->flushResult;
        },
    .tcoflush =
        [](ftdi_context*) {
          ++fake->outputFlushes;
          return fake->flushResult;
        },
    .readData =
        [](ftdi_context*, unsigned char* buf, int size) {
          if (fake->reads.empty()) return 0;
          const ReadStep step = fake->reads.front();
          fake->reads.pop_front();
          if (step.status < 0) return step.status;
          // A step larger than the room is handed over in two reads, as the chip would.
          const int n = std::min(size, static_cast<int>(step.bytes.size()));
          std::memcpy(buf, step.bytes.data(), static_cast<std::size_t>(n));
          if (n < static_cast<int>(step.bytes.size()))
            fake->reads.push_front({step.bytes.substr(n)});
          return step.extra > 0 ? size + step.extra : n;
        },
    .writeData = [](ftdi_context*, const unsigned char*, int) { return fake->writeResult; },
};

class FtdiTest : public ::testing::Test {
 protected:
  FakeFtdi device;
  std::unique_ptr<FtdiDriver> ftdi;
  DeviceHandle h = nullptr;

  void SetUp() override {
    fake = &device;
    ftdi = std::make_unique<FtdiDriver>(kFakeCalls);
    ASSERT_TRUE(ftdi->Usable());
    ASSERT_EQ(ftdi->OpenEx("FT000042", kOpenBySerialNumber, &h), 0);
    // A read that finds too little ends at once rather than spinning for three seconds.
    ASSERT_EQ(ftdi->SetTimeouts(h, 1, 1), 0);
  }
  void TearDown() override {
    ftdi.reset();
    EXPECT_EQ(device.contexts, 0);  // every context freed, the device's one by Close
    fake = nullptr;
  }
  // Reads up to `count` bytes; the status and what came, as text.
  std::pair<int, std::string> Read(std::uint32_t count) {
    char buffer[5000];
    std::memset(buffer, '#', sizeof buffer);
    std::uint32_t got = 99;
    const int st = ftdi->Read(h, buffer, count, &got);
    EXPECT_EQ(buffer[got], '#') << "written past the count it reported";
    return {st, std::string(buffer, got)};
  }
  std::uint32_t Queue() {
    std::uint32_t n = 99;
    EXPECT_EQ(ftdi->GetQueueStatus(h, &n), 0);
    return n;
  }
};

TEST_F(FtdiTest, ListsAndOpensBySerialNumber) {
  char a[64] = {}, b[64] = {};
  char* list[] = {a, b, nullptr};
  std::uint32_t count = 0;
  ASSERT_EQ(ftdi->ListDevices(list, &count, kListAllBySerialNumber), 0);
  EXPECT_EQ(count, 2u);
  EXPECT_STREQ(a, "FT000017");
  EXPECT_STREQ(b, "FT000042");
  DeviceHandle other = nullptr;
  EXPECT_EQ(ftdi->OpenEx("FT000099", kOpenBySerialNumber, &other), kDriverDeviceNotFound);
  EXPECT_EQ(other, nullptr);
}

TEST_F(FtdiTest, TheReceiveBufferAcrossReads) {
  struct Case {
    const char* name;
    std::vector<ReadStep> reads;
    std::uint32_t asked;
    int status;
    std::string got;
    std::uint32_t left;  // bytes still queued afterwards
  } cases[] = {
      {"a reply in three pieces", {{"!12"}, {"34"}, {"5;"}}, 7, 0, "!12345;", 0},
      {"more than asked stays for the next read", {{"!ABCDEFGHIJ"}}, 1, 0, "!", 10},
      {"a short reply ends at the time-out", {{"!A"}}, 5, 0, "!A", 0},
      {"a failed read after a piece", {{"!A"}, {"", -1}}, 5, kDriverIoError, "", 2},
      {"a count beyond the room is a failure", {{"!A", 0, 5}}, 5, kDriverIoError, "", 0},
      {"nothing at all", {}, 3, 0, "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    device.reads.assign(c.reads.begin(), c.reads.end());
    EXPECT_EQ(Read(c.asked), std::make_pair(c.status, c.got));
    EXPECT_EQ(Queue(), c.left);
    EXPECT_EQ(ftdi->Purge(h, 1), 0);
  }
}

TEST_F(FtdiTest, SurplusIsKeptInOrderUpToTheBufferAndHandedOutAcrossReads) {
  std::string big;
  for (int i = 0; i < 5000; ++i) big += static_cast<char>('a' + i % 26);
  device.reads.push_back({big});
  EXPECT_EQ(Queue(), 4096u);  // one read fills the buffer; the rest waits in the chip
  EXPECT_EQ(Read(100).second, big.substr(0, 100));
  EXPECT_EQ(Read(4900).second, big.substr(100, 4096));  // at most one buffer per read
  EXPECT_EQ(Read(4900).second, big.substr(4196));
  EXPECT_EQ(Queue(), 0u);
}

TEST_F(FtdiTest, PurgeResetWriteAndTheirFailures) {
  device.reads.push_back({"stale"});
  EXPECT_EQ(Queue(), 5u);
  EXPECT_EQ(ftdi->Purge(h, 2), 0);  // the transmit side only: the received bytes stay
  EXPECT_EQ(device.outputFlushes, 1);
  EXPECT_EQ(Queue(), 5u);
  device.flushResult = -1;
  EXPECT_EQ(ftdi->Purge(h, 1), kDriverIoError);
  EXPECT_EQ(device.inputFlushes, 1);
  EXPECT_EQ(Queue(), 0u);  // our own copy is gone even when the chip's flush failed
  device.reads.push_back({"stale"});
  EXPECT_EQ(Queue(), 5u);
  EXPECT_EQ(ftdi->ResetDevice(h), 0);
  EXPECT_EQ(Queue(), 0u);

  std::uint32_t written = 99;
  EXPECT_EQ(ftdi->Write(h, "$G;", 3, &written), kDriverIoError);
  EXPECT_EQ(written, 0u);
  device.writeResult = 2;
  EXPECT_EQ(ftdi->Write(h, "$G;", 3, &written), 0);
  EXPECT_EQ(written, 2u);
  device.reads.push_back({"", -666});  // libftdi's "device unavailable"
  std::uint32_t n = 99;
  EXPECT_EQ(ftdi->GetQueueStatus(h, &n), kDriverIoError);
}

}  // namespace
}  // namespace tavlex::test
