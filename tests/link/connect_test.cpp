// Listing and opening the analyser.

#include "LinkFixture.h"

namespace tavlex::test {
namespace {

class ConnectTest : public LinkTest {};

TEST_F(ConnectTest, OpeningPreparesTheLink) {
  ASSERT_EQ(OpenDevice(c, 0), 1);
  EXPECT_EQ(c.lastFailure, LinkFailure::None);
  EXPECT_EQ(s.deviceCount, 1);
  EXPECT_EQ(s.deviceOpen, 1);
  EXPECT_NE(s.deviceHandles[0], nullptr);
  EXPECT_EQ(driver.Resets(), 1);
  EXPECT_EQ(driver.LatencyMs(), 6);
  EXPECT_EQ(driver.ReadTimeoutMs(), 3000u);
  EXPECT_EQ(driver.WriteTimeoutMs(), 3000u);
  EXPECT_EQ(driver.PurgeMask(), 3u);
  EXPECT_TRUE(Frames().empty());  // opening sends no frame
}

TEST_F(ConnectTest, NoDeviceListedFailsAndALaterListingSucceeds) {
  driver.SetDeviceCount(0);
  EXPECT_EQ(OpenDevice(c, 0), 0);
  EXPECT_EQ(c.lastFailure, LinkFailure::Driver);
  EXPECT_EQ(s.deviceCount, 0);
  EXPECT_EQ(s.deviceOpen, 0);
  EXPECT_EQ(driver.Opens(), 0);
  driver.SetDeviceCount(1);
  EXPECT_EQ(OpenDevice(c, 0), 1);
}

TEST_F(ConnectTest, AFailedListingKeepsTheDeviceCount) {
  s.deviceCount = 4;
  driver.FailCall(SimCall::List);
  EXPECT_EQ(OpenDevice(c, 0), 0);
  EXPECT_EQ(s.deviceCount, 4);
}

TEST_F(ConnectTest, MoreThanFiveDevicesAreListedSafely) {
  driver.SetDeviceCount(9);
  ASSERT_EQ(OpenDevice(c, 0), 1);
  EXPECT_EQ(s.deviceCount, 9);
  // Device numbers past the five listed serial numbers are refused rather than opened blindly.
  EXPECT_EQ(OpenDevice(c, 5), 0);
  EXPECT_EQ(OpenDevice(c, 4), 1);
  EXPECT_EQ(OpenDevice(c, -1), 0);
}

TEST_F(ConnectTest, FailuresOfOpenResetAndLatencyFailTheOpen) {
  for (SimCall call : {SimCall::Open, SimCall::Reset, SimCall::Latency}) {
    driver.FailCall(call);
    EXPECT_EQ(OpenDevice(c, 0), 0) << static_cast<int>(call);
    EXPECT_EQ(c.lastFailure, LinkFailure::Driver);
    EXPECT_EQ(s.deviceOpen, 0);
    EXPECT_EQ(s.deviceCount, 1);  // listed, not opened
  }
  // A handle that opened but could not be prepared is closed by the next open.
  ASSERT_EQ(OpenDevice(c, 0), 1);
  EXPECT_EQ(driver.OpenHandles(), 1);
}

TEST_F(ConnectTest, FailuresOfTimeOutsAndPurgeAreIgnored) {
  driver.FailCall(SimCall::Timeouts);
  driver.FailCall(SimCall::Purge);
  EXPECT_EQ(OpenDevice(c, 0), 1);
  EXPECT_EQ(s.deviceOpen, 1);
}

TEST_F(ConnectTest, ReopeningClosesTheEarlierHandle) {
  for (int i = 0; i < 40; ++i) ASSERT_EQ(OpenDevice(c, 0), 1) << i;
  EXPECT_EQ(driver.OpenHandles(), 1);
  EXPECT_EQ(driver.Opens(), 40);
  EXPECT_EQ(SendStop(c, 0), 1);  // the handle kept is the live one
}

}  // namespace
}  // namespace tavlex::test
