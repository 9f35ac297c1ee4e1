// The vendor-library backend, loaded at run time: through a stand-in library that answers from
// the simulated analyser, and without a library or with an incomplete one.

#include <dlfcn.h>

#include <cstdlib>

#include "LinkFixture.h"
#include "link/D2xxDriver.h"

namespace tavlex::test {
namespace {

// Reaches the stand-in's own controls while the backend holds it loaded.
template <typename Fn>
Fn StandIn(const char* name) {
  void* module = dlopen(TAVLEX_STANDIN_LIBRARY, RTLD_NOW | RTLD_NOLOAD);
  EXPECT_NE(module, nullptr);
  void* symbol = module ? dlsym(module, name) : nullptr;
  if (module) dlclose(module);  // drops only the reference taken here
  EXPECT_NE(symbol, nullptr) << name;
  return reinterpret_cast<Fn>(symbol);
}

class D2xxTest : public ::testing::Test {
 protected:
  SteadyClock clock;
  HeadlessWindow window;
  std::unique_ptr<AppState> state = std::make_unique<AppState>();
};

TEST_F(D2xxTest, TheStandInIsLoadedAndAnswersEveryKindOfExchange) {
  D2xxDriver d2xx(TAVLEX_STANDIN_LIBRARY);
  ASSERT_TRUE(d2xx.Loaded()) << d2xx.LoadError();
  EXPECT_FALSE(d2xx.IsSimulation());
  LinkContext c{*state, window, d2xx, clock};
  ASSERT_EQ(OpenDevice(c, 0), 1);
  EXPECT_EQ(state->deviceCount, 1);
  const int before = StandIn<int (*)()>("StandInFrameCount")();
  EXPECT_EQ(SendMemorySize(c, 0, 1024), 1);
  state->channelSize = 1024;
  EXPECT_EQ(SendStart(c, 0), 1);
  EXPECT_EQ(ReadSpectrumBlocks(c, 0), 1);
  ASSERT_EQ(ReadStatus(c, 0), 1);
  EXPECT_EQ(state->acqStatus.DisplayEnd(), 1023);
  EXPECT_EQ(state->acqStatus.Cursor(), 512);
  EXPECT_EQ(SendStop(c, 0), 1);
  EXPECT_EQ(StandIn<int (*)()>("StandInFrameCount")() - before, 1 + 1 + 8 + 1 + 1);
  EXPECT_EQ(StandIn<int (*)()>("StandInOpenHandles")(), 1);
  d2xx.Close(state->deviceHandles[0]);
  state->deviceHandles[0] = nullptr;
  EXPECT_EQ(StandIn<int (*)()>("StandInOpenHandles")(), 0);
}

TEST_F(D2xxTest, ListingMoreDevicesThanTheProgramHasBuffersForIsSafe) {
  D2xxDriver d2xx(TAVLEX_STANDIN_LIBRARY);
  ASSERT_TRUE(d2xx.Loaded());
  StandIn<void (*)(int)>("StandInSetDeviceCount")(12);
  LinkContext c{*state, window, d2xx, clock};
  EXPECT_EQ(OpenDevice(c, 0), 1);
  EXPECT_EQ(state->deviceCount, 12);
  char one[64] = {};
  char* list[] = {one, nullptr};
  std::uint32_t count = 0;
  ASSERT_EQ(d2xx.ListDevices(list, &count, kListAllBySerialNumber), 0);
  EXPECT_EQ(count, 12u);
  EXPECT_STREQ(one, "SIM00001");
  StandIn<void (*)(int)>("StandInSetDeviceCount")(1);
}

TEST_F(D2xxTest, TheLibraryCanBeNamedInTheEnvironment) {
  setenv("TAVLEX_D2XX_LIBRARY", TAVLEX_STANDIN_LIBRARY, 1);
  D2xxDriver d2xx;
  unsetenv("TAVLEX_D2XX_LIBRARY");
  EXPECT_TRUE(d2xx.Loaded()) << d2xx.LoadError();
}

TEST_F(D2xxTest, AMissingLibraryOrEntryPointListsNoDevice) {
  D2xxDriver missing("/nonexistent/libftd2xx.so");
  D2xxDriver incomplete(TAVLEX_STANDIN_NOWRITE_LIBRARY);
  EXPECT_NE(missing.LoadError().find("cannot load"), std::string::npos);
  EXPECT_NE(incomplete.LoadError().find("FT_Write"), std::string::npos);
  for (D2xxDriver* d : {&missing, &incomplete}) {
    EXPECT_FALSE(d->Loaded());
    char buffer[64] = {};
    char* list[] = {buffer, nullptr};
    std::uint32_t count = 7;
    EXPECT_NE(d->ListDevices(list, &count, kListAllBySerialNumber), 0);
    EXPECT_EQ(count, 0u);
    DeviceHandle h = nullptr;
    EXPECT_NE(d->OpenEx("SIM00001", kOpenBySerialNumber, &h), 0);
    std::uint32_t n = 0;
    EXPECT_NE(d->GetQueueStatus(h, &n), 0);
    EXPECT_NE(d->Write(h, "$G;", 3, &n), 0);
    d->Close(h);
    LinkContext c{*state, window, *d, clock};
    EXPECT_EQ(OpenDevice(c, 0), 0);
    EXPECT_EQ(c.lastFailure, LinkFailure::Driver);
  }
}

}  // namespace
}  // namespace tavlex::test
