// Choosing the backend, and the real-device backends on a machine without an analyser.

#include "link/Backends.h"
#include "LinkFixture.h"
#include "link/FtdiDriver.h"

namespace tavlex::test {
namespace {

TEST(BackendsTest, NamesChooseTheBackend) {
  std::string error;
  auto sim = MakeDriver("sim", &error);
  ASSERT_NE(sim, nullptr);
  EXPECT_TRUE(sim->IsSimulation());
  EXPECT_STREQ(sim->Name(), "simulated");
  EXPECT_STREQ(MakeDriver("d2xx", &error)->Name(), "D2XX");
  EXPECT_STREQ(MakeDriver("ftdi", &error)->Name(), "libftdi");
  auto chosen = MakeDriver("", &error);
  ASSERT_NE(chosen, nullptr);
  EXPECT_FALSE(chosen->IsSimulation());
  EXPECT_TRUE(error.empty());
  EXPECT_EQ(MakeDriver("serial", &error), nullptr);
  EXPECT_NE(error.find("serial"), std::string::npos);
}

TEST(BackendsTest, TheSimulatedAnalyserListsOneDeviceByDefault) {
  auto sim = MakeDriver("sim", nullptr);
  char a[64] = {}, b[64] = {};
  char* list[] = {a, b, nullptr};
  std::uint32_t count = 0;
  ASSERT_EQ(sim->ListDevices(list, &count, kListAllBySerialNumber), 0);
  EXPECT_EQ(count, 1u);
  EXPECT_STREQ(a, "SIM00001");
  EXPECT_STREQ(b, "");
}

// With no analyser attached, whatever the machine: no device, or a clean failure.
TEST(BackendsTest, WithoutADeviceTheRealBackendsListNothingAndOpenNothing) {
  std::string error;
  for (const char* name : {"", "d2xx", "ftdi"}) {
    auto driver = MakeDriver(name, &error);
    char serial[64] = {};
    char* list[] = {serial, nullptr};
    std::uint32_t count = 99;
    const int st = driver->ListDevices(list, &count, kListAllBySerialNumber);
    EXPECT_TRUE(st != 0 || count == 0) << name;
    EXPECT_TRUE(st == 0 || count == 0) << name;
    DeviceHandle h = nullptr;
    EXPECT_NE(driver->OpenEx("SIM00001", kOpenBySerialNumber, &h), 0) << name;
    std::uint32_t n = 0;
    EXPECT_NE(driver->GetQueueStatus(nullptr, &n), 0) << name;
    EXPECT_NE(driver->Write(nullptr, "$G;", 3, &n), 0) << name;
    EXPECT_NE(driver->Read(nullptr, serial, 1, &n), 0) << name;
    driver->Close(nullptr);
  }
}

TEST(BackendsTest, TheLibftdiBackendRefusesHandlesItDidNotOpen) {
  FtdiDriver ftdi;
  int notOurs = 0;
  std::uint32_t n = 0;
  EXPECT_EQ(ftdi.ResetDevice(&notOurs), kDriverInvalidHandle);
  EXPECT_EQ(ftdi.SetLatencyTimer(&notOurs, 6), kDriverInvalidHandle);
  EXPECT_EQ(ftdi.SetTimeouts(&notOurs, 3000, 3000), kDriverInvalidHandle);
  EXPECT_EQ(ftdi.Purge(&notOurs, 3), kDriverInvalidHandle);
  EXPECT_EQ(ftdi.GetQueueStatus(&notOurs, &n), kDriverInvalidHandle);
  ftdi.Close(&notOurs);
}

}  // namespace
}  // namespace tavlex::test
