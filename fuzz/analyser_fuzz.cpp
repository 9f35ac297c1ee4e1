// A hostile analyser: the window's acquisition actions and its timer, in an order the input
// chooses, over a driver whose every answer comes from the input (FuzzDriver). Checks that no
// operation outlives the link's time-out with its margin and the brief stop, that nothing is
// written past the spectrum, that the link's debts stay within one reply, and that a run shown
// as going always has its timer running.
//
// Input: byte 0 = flags (bits 0 and 1 both set: the plot is drawn, as in the window; otherwise
// not, as on the command line), byte 1 = length L of the script, the next L bytes = the script
// (actions and their settings), the rest = the analyser's answers.

#include <sanitizer/lsan_interface.h>

#include <QGuiApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "acq/Acquisition.h"
#include "acq/DisplayControl.h"
#include "display/StartUp.h"
#include "display/ViewNav.h"
#include "files/Recovery.h"
#include "fuzz/FuzzDriver.h"
#include "link/Protocol.h"
#include "link/Wire.h"

namespace {

using namespace tavlex;
using fuzz::ByteStream;
using fuzz::FuzzDriver;

void Require(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "analyser_fuzz: %s\n", what);
  std::abort();
}

// How long one operation may last: its own time (the link's time-out and the margin), then a
// brief stop when it ends on a link in trouble.
std::int64_t OperationBoundUs(const LinkContext& c) {
  return static_cast<std::int64_t>(c.timeoutMs + kOperationMarginMs + kBriefStopMs) * 1000;
}

// How many driver calls one operation may make. The waits pause at least 100 us between looks
// at an empty queue; besides the looks, one exchange makes at most a read and a look per byte
// still owed by a late reply (a block at most), three discards, a write and a read. An
// operation makes no more exchanges than two spectra, the status, the setup and a stop.
std::int64_t OperationMaxCalls(const LinkContext& c) {
  constexpr std::int64_t kExchanges = 2 * kMaxBlocks + 8;
  constexpr std::int64_t kCallsPerExchange = 2 * kBlockBytes + 3 * 2 * wire::kDiscardRounds + 4;
  return OperationBoundUs(c) / 100 + kExchanges * kCallsPerExchange;
}

enum Action {
  kOpen,
  kMcaSetup,
  kMcaClear,
  kMcaStart,
  kTick,
  kMcaStop,
  kStopAndCollect,
  kAcqMode,
  kSxfmSetup,
  kSxfmStart,
  kSxfmStop,
  kSxfmClear,
  kShowMcaSlot,
  kDisplayButton,
  kQuiet,
  kActionCount
};

constexpr int kMemorySizes[] = {256, 512, 1024, 2048, 4096};

constexpr auto kRamp = [] {
  std::array<std::int32_t, kBlockChannels> ramp{};
  for (int i = 0; i < kBlockChannels; ++i) ramp[i] = i;
  return ramp;
}();

constexpr const char* kActionNames[] = {
    "open",      "mca setup",        "mca clear", "mca start",      "tick",
    "mca stop",  "stop and collect", "mode",      "sxfm setup",     "sxfm start",
    "sxfm stop", "sxfm clear",       "mca slot",  "display button", "quiet"};
static_assert(std::size(kActionNames) == kActionCount);

// ANALYSER_FUZZ_TRACE=1 prints every action and what it left, to follow a finding.
const bool kTrace = std::getenv("ANALYSER_FUZZ_TRACE") != nullptr;

constexpr QImage AppState::*kBitmaps[] = {
    &AppState::plotBitmap, &AppState::plotBackground, &AppState::plotBlank, &AppState::scaleBlank,
    &AppState::scaleStrip, &AppState::axisBlank,      &AppState::axisStrip, &AppState::blackNormal,
    &AppState::blackLarge, &AppState::paintBox};

// The program state as the window's construction leaves it, with the plot drawn once.
const AppState& DrawnStartUp() {
  static const AppState* start = [] {
    auto* s = new AppState();
    HeadlessWindow window;
    window.SetTimerInterval(100);
    ConstructAndDrawStartUp(*s, window);
    return s;
  }();
  return *start;
}

struct Run {
  ManualClock clock;
  HeadlessWindow window;
  FuzzDriver driver{clock};
  AppState* state;
  bool draws = false;
  // One link for the input's whole script, as the window keeps one, leaving recovery copies.
  LinkContext link{*state, window, driver, clock};

  // The state is large: one is made once and started afresh for every input.
  explicit Run(bool drawn) : state(&TheState()), draws(drawn) {
    link.runEvents = RecoveryCopyWriter();
    window.SetTimerInterval(100);
    // The bitmaps keep their own pixel buffers from input to input: a drawing that had to
    // detach a shared one would allocate on every input and set off the leak checks.
    static QImage spare[std::size(kBitmaps)];
    QImage own[std::size(kBitmaps)];
    for (std::size_t i = 0; i < std::size(kBitmaps); ++i) {
      own[i].swap(state->*kBitmaps[i]);
      if (own[i].isNull()) own[i].swap(spare[i]);
    }
    if (draws) {
      *state = DrawnStartUp();
    } else {
      state->~AppState();
      new (state) AppState();
      ConstructState(*state, window, false);
    }
    for (std::size_t i = 0; i < std::size(kBitmaps); ++i) {
      if (!draws) {
        spare[i].swap(own[i]);
        continue;
      }
      const QImage& start = DrawnStartUp().*kBitmaps[i];
      if (own[i].size() != start.size())
        own[i] = start.copy();
      else
        std::memcpy(own[i].bits(), start.constBits(),
                    static_cast<std::size_t>(start.sizeInBytes()));
      own[i].swap(state->*kBitmaps[i]);
    }
  }

  static AppState& TheState() {
    static AppState* s = new AppState();
    return *s;
  }

  // One action as its handler runs it, the settings from the script.
  void Do(Action action, ByteStream& script) {
    AppState& s = *state;
    LinkContext& c = link;
    if (action == kTick) clock.AdvanceMs(window.TimerInterval());
    if (action == kQuiet) clock.AdvanceMs(script.U16());
    const std::int64_t start = clock.Peek();
    driver.Watch(OperationBoundUs(c), OperationMaxCalls(c));
    const int linkFailedBefore = s.linkFailed;
    switch (action) {
      case kOpen:
        if (OpenDevice(c, 0) == 1) s.deviceOpen = 1;
        break;
      case kMcaSetup:
        s.mcaSetup.memorySize = kMemorySizes[script.Byte() % 5];
        s.mcaSetup.presetTime = static_cast<std::int32_t>(script.U32());
        s.mcaSetup.deadTimePerEvent = script.Byte() * 0.1f;
        ApplyMcaSetup(c);
        break;
      case kMcaClear:
        McaClear(c);
        break;
      case kMcaStart:
        McaStart(c);
        break;
      case kTick:
        // Timer1 fires only while it is enabled; the command line ticks without a plot.
        if (!window.TimerEnabled()) break;
        if (draws)
          Timer1Tick(c);
        else if (s.mcaMode == 1)
          McaTick(c);
        else
          ScanTick(c);
        break;
      case kMcaStop:
        McaStop(c);
        break;
      case kStopAndCollect:
        McaStopAndCollect(c);
        break;
      case kAcqMode:
        SetAcqMode(c, "GSM"[script.Byte() % 3]);
        break;
      case kSxfmSetup:
        PrepareSxfmSetup(s);
        s.sxfmSetup.memorySize = kMemorySizes[1 + script.Byte() % 3];
        s.sxfmSetup.presetTime = 1 + script.Byte();
        s.sxfmSetup.refreshMs = 10 + script.U16();
        ApplySxfmSetup(c);
        break;
      case kSxfmStart:
        SxfmStart(c);
        break;
      case kSxfmStop:
        SxfmStop(c);
        break;
      case kSxfmClear:
        SxfmClear(c);
        break;
      case kShowMcaSlot:
        ShowMcaSlot(c);
        break;
      case kDisplayButton:
        PressDisplayButton(c, script);
        break;
      case kQuiet:
      case kActionCount:
        break;
    }
    if (kTrace)
      std::fprintf(stderr,
                   "%-16s %8lld us: acquiring %d timer %d mode %d channels %d rt %d lt %d "
                   "scans %d linkFailed %d failure %d view %d..%d cursor %d vfs %d drawn %d\n",
                   kActionNames[action], static_cast<long long>(clock.Peek() - start), s.acquiring,
                   window.TimerEnabled(), s.mcaMode, s.channelSize, s.realTime, s.liveTime,
                   s.scanCount, s.linkFailed, static_cast<int>(c.lastFailure), s.viewStart,
                   s.viewEnd, s.cursorChannel, s.vfsIndex, draws);
    Check(c, start, linkFailedBefore);
  }

  // Whatever came before, a run on an analyser that is gone ends with the link lost once the
  // silence has outlasted the link's time-out over two ticks at least; the ticks stop with it.
  // (Only without the plot: the repaint of every tick would take most of the fuzzer's time.)
  void EndOnDeadAnalyser(ByteStream& script) {
    driver.Unplug();
    const int interval = std::max(window.TimerInterval(), 1);
    const int ticks = link.timeoutMs / interval + 2;
    for (int i = 0; i < ticks && window.TimerEnabled(); ++i) Do(kTick, script);
    Require(!window.TimerEnabled() && state->acquiring == 0, "a dead analyser's run did not end");
  }

  void PressDisplayButton(LinkContext& c, ByteStream& script) {
    switch (script.Byte() % 7) {
      case 0:
        LogDisplay(c);
        break;
      case 1:
        StepVfs(c, true);
        break;
      case 2:
        StepVfs(c, false);
        break;
      case 3:
        AutoVfs(c);
        break;
      case 4:
        ExpandView(c);
        break;
      case 5:
        CompressView(c);
        break;
      case 6:
        ClickCursor(c, ChannelAtClick(*state, script.U16() % 512));
        break;
    }
  }

  void Check(const LinkContext& c, std::int64_t start, int linkFailedBefore) {
    const AppState& s = *state;
    Require(clock.Peek() - start <= OperationBoundUs(c), "operation outlived its time bound");
    // The memories lie right after the spectrum's buffer: a block stored past its end would
    // land in the first one's start-up ramp.
    Require(std::memcmp(s.memCounts[0], kRamp.data(), sizeof kRamp) == 0,
            "counts written past the spectrum");
    Require(c.health.owedBytes >= 0 && c.health.owedBytes <= kBlockBytes,
            "owed bytes out of range");
    Require(s.channelSize >= 0 && s.channelSize <= kReadBufferChannels,
            "channel size out of range");
    // A run the window shows as going is polled; otherwise it would never end.
    Require(s.acquiring == 0 || window.TimerEnabled(), "a run shown as going without its timer");
    if (s.linkFailed && !linkFailedBefore)
      Require(s.acquiring == 0 && !window.TimerEnabled() &&
                  window.Text(Field::Edit1) == kLinkLostMessage,
              "a lost link that did not end the run");
  }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  // The plot's texts need a font, hence an application; no screen is used.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
  static int argc = 1;
  static char name[] = "analyser_fuzz";
  static char* argv[] = {name, nullptr};
  // The application and the font caches of the first drawing live as long as the process.
  __lsan::ScopedDisabler keep;
  new QGuiApplication(argc, argv);
  // Every run that ends leaves a recovery copy in the user's data folder: here a folder of the
  // fuzzer's own, removed when it exits, so that the copies are written as in the program.
  static QTemporaryDir data;
  qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
  DrawnStartUp();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::size_t scriptBytes = std::min<std::size_t>(data[1], size - 2);
  // Drawing costs most of a run's time: a quarter of the inputs draw.
  Run run((data[0] & 3) == 3);
  ByteStream script;
  script.Reset(data + 2, scriptBytes);
  run.driver.Reset(data + 2 + scriptBytes, size - 2 - scriptBytes);
  while (!script.Empty()) run.Do(static_cast<Action>(script.Byte() % kActionCount), script);
  if (!run.draws) run.EndOnDeadAnalyser(script);
  return 0;
}
