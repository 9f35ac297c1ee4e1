// The options that choose the analyser, as the window program and the measuring commands read
// them (--sim-link above all), the driver they make, the pace of the measuring loops and the
// signals that end them.

#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <vector>

#include "cli/Analyser.h"
#include "cli/Interrupt.h"
#include "link/SimAnalyser.h"

namespace tavlex::cli {
namespace {

TEST(AnalyserOptionTest, OptionsAreReadOrRefusedWithTheirReason) {
  const struct {
    std::vector<std::string> args;
    bool taken;
    bool good;
    std::string driver;
    std::int64_t delayUs, rate;
  } rows[] = {
      {{"--sim-link=1,1000000"}, true, true, "", 1000, 1000000},
      {{"--sim-link=0.25,500000"}, true, true, "", 250, 500000},
      {{"--sim-link=0,100"}, true, true, "", 0, 100},
      {{"--sim-link=10000,1000000000"}, true, true, "", 10000000, 1000000000},
      {{"--sim-link= 2 , 1e6 "}, true, true, "", 2000, 1000000},
      {{"--sim-link=0.0004,1000"}, true, true, "", 0, 1000},  // to the microsecond
      {{"--sim-link="}, true, false, "", 0, 0},
      {{"--sim-link=1"}, true, false, "", 0, 0},
      {{"--sim-link=1,"}, true, false, "", 0, 0},
      {{"--sim-link=,1000"}, true, false, "", 0, 0},
      {{"--sim-link=-1,1000"}, true, false, "", 0, 0},
      {{"--sim-link=10001,1000"}, true, false, "", 0, 0},
      {{"--sim-link=1,99"}, true, false, "", 0, 0},
      {{"--sim-link=1,1000000001"}, true, false, "", 0, 0},
      {{"--sim-link=1,1000.5"}, true, false, "", 0, 0},
      {{"--sim-link=1,1000,5"}, true, false, "", 0, 0},
      {{"--sim-link=nan,1000"}, true, false, "", 0, 0},
      {{"--sim-link=1ms,1MB"}, true, false, "", 0, 0},
      {{"--simulate"}, true, true, "sim", 0, 0},
      {{"--driver=ftdi"}, true, true, "ftdi", 0, 0},
      {{"--seed", "7"}, true, true, "", 0, 0},
      {{"--seed", "x"}, true, false, "", 0, 0},
      {{"--sim-link", "1,1000000"}, false, true, "", 0, 0},  // only with '='
      {{"--sim-sample", "brass"}, true, true, "", 0, 0},
      {{"--sim-sample=Fe=70,Cr=18,Ni=10,Mn=2"}, true, true, "", 0, 0},
      {{"--sim-sample", "Fe=70,Xx=30"}, true, false, "", 0, 0},
      {{"--sim-sample", "Fe=70,Cr=-30"}, true, false, "", 0, 0},
      {{"--sim-sample", "Fe=70,,Cr=30"}, true, false, "", 0, 0},
      {{"--sim-sample"}, true, false, "", 0, 0},
      {{"--sim-tube", "Mo"}, true, true, "", 0, 0},
      {{"--sim-tube=w"}, true, true, "", 0, 0},
      {{"--sim-tube", "Xx"}, true, false, "", 0, 0},
      {{"--sim-tube=rhodium"}, true, false, "", 0, 0},
      {{"--preset"}, false, true, "", 0, 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.args[0] + (row.args.size() > 1 ? " " + row.args[1] : ""));
    AnalyserChoice choice;
    std::size_t i = 0;
    std::string error;
    EXPECT_EQ(ReadAnalyserOption(row.args, i, choice, error), row.taken);
    EXPECT_EQ(error.empty(), row.good) << error;
    if (row.taken && !row.good && row.args[0].rfind("--sim-link", 0) == 0) {
      EXPECT_EQ(error, kSimLinkHelp);
    }
    // A refused sample names its bad item; a refused tube what was given.
    if (!row.good && row.args.size() > 1 && row.args[0] == "--sim-sample") {
      EXPECT_NE(error.find(row.args[1].find(",,") != std::string::npos ? "empty item"
                                                                       : row.args[1].substr(8)),
                std::string::npos)
          << error;
    }
    if (!row.good && row.args[0].rfind("--sim-tube", 0) == 0) {
      EXPECT_NE(error.find(kSimTubeHelp), std::string::npos) << error;
    }
    EXPECT_EQ(i, row.taken ? row.args.size() - 1 : 0u);
    EXPECT_EQ(choice.driver, row.driver);
    if (row.good) {
      EXPECT_EQ(choice.linkDelayUs, row.delayUs);
      EXPECT_EQ(choice.linkBytesPerSecond, row.rate);
    }
  }
}

// The simulated analyser gets the link it was given: with a latency of 10 s its reply is not
// there right after the frame; with none it is.
TEST(AnalyserOptionTest, TheSimulatedAnalyserGetsItsLinkAndOnlyItTakesSimOptions) {
  const struct {
    std::vector<std::string> args;
    bool made;
    std::uint32_t waitingAfterFrame;
    std::string sample;
  } rows[] = {
      {{"--simulate"}, true, 1, "steel"},
      {{"--simulate", "--sim-link=10000,1000000"}, true, 0, "steel"},
      {{"--sim-link=10000,1000000", "--driver=sim"}, true, 0, "steel"},
      {{"--simulate", "--sim-sample", "brass", "--sim-tube", "Mo"}, true, 1, "brass"},
      {{"--simulate", "--sim-sample=Sn=63,Pb=37"}, true, 1, "Sn=63,Pb=37"},
      {{"--sim-link=1,1000000"}, false, 0, ""},
      {{"--driver=ftdi", "--sim-link=1,1000000"}, false, 0, ""},
      {{"--driver=ftdi", "--sim-sample=brass"}, false, 0, ""},
      {{"--driver=ftdi", "--sim-tube=Mo"}, false, 0, ""},
      {{"--driver=usb"}, false, 0, ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.args.back());
    AnalyserChoice choice;
    std::string error;
    for (std::size_t i = 0; i < row.args.size(); ++i)
      ASSERT_TRUE(ReadAnalyserOption(row.args, i, choice, error));
    const std::unique_ptr<Driver> driver = MakeAnalyserDriver(choice, error);
    ASSERT_EQ(driver != nullptr, row.made) << error;
    if (!driver) {
      EXPECT_FALSE(error.empty());
      continue;
    }
    EXPECT_EQ(dynamic_cast<SimDriver&>(*driver).SampleName(), row.sample);
    char serial[64] = {};
    char* list[] = {serial, nullptr};
    std::uint32_t count = 0;
    DeviceHandle h = nullptr;
    ASSERT_EQ(driver->ListDevices(list, &count, kListAllBySerialNumber), 0);
    ASSERT_EQ(driver->OpenEx(serial, kOpenBySerialNumber, &h), 0);
    std::uint32_t n = 0;
    ASSERT_EQ(driver->Write(h, "$S;", 3, &n), 0);
    ASSERT_EQ(driver->GetQueueStatus(h, &n), 0);
    EXPECT_EQ(n, row.waitingAfterFrame);
    driver->Close(h);
  }
}

TEST(AnalyserOptionTest, LateTicksAreNotMadeUpFor) {
  using std::chrono::milliseconds;
  const TickTime t0{};
  const struct {
    const char* what;
    int lastDueMs, nowMs, intervalMs, nextMs;
  } rows[] = {
      {"on time: one interval on", 0, 30, 100, 100},
      {"just in time", 0, 100, 100, 100},
      {"a tick ran 50 ms over: at once", 0, 150, 100, 150},
      {"a stalled tick of 3 s: once at once, not 30 times", 0, 3000, 100, 3000},
      {"short interval", 500, 505, 10, 510},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(
        NextTickAt(t0 + milliseconds(row.lastDueMs), t0 + milliseconds(row.nowMs), row.intervalMs),
        t0 + milliseconds(row.nextMs));
  }
}

// Ctrl-C, SIGTERM and SIGHUP ask a measuring command to stop, unless ignored at its start (nohup).
TEST(AnalyserOptionTest, ASignalIgnoredAtTheStartStaysIgnored) {
  // Signal, ignored when the command starts, what the handlers note when it comes.
  const int rows[][3] = {{SIGHUP, 1, 0}, {SIGTERM, 1, 0}, {SIGHUP, 0, SIGHUP}, {SIGINT, 0, SIGINT}};
  for (const auto& [signal, ignored, noted] : rows) {
    SCOPED_TRACE(testing::Message() << "signal " << signal << (ignored ? ", ignored" : ""));
    const auto original = std::signal(signal, ignored ? SIG_IGN : SIG_DFL);
    {
      InterruptHandlers handlers;
      std::raise(signal);  // never with the default in place, which would end the test
      EXPECT_EQ(interrupted, noted);
    }
    EXPECT_EQ(std::signal(signal, original), ignored ? SIG_IGN : SIG_DFL);
  }
}

}  // namespace
}  // namespace tavlex::cli
