#include "acq/Acquisition.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "acq/AcqShared.h"
#include "analysis/Calibration.h"
#include "app/AcqDate.h"
#include "display/Plot.h"

namespace tavlex {

namespace acqshared {

// The link is lost after this many consecutive ticks without any reply, once the silence has
// also lasted longer than the link's time-out.
constexpr int kSilentTicksForLoss = 2;
// The analyser has ended the run itself when its real time stands still over this many ticks
// spanning at least this long.
constexpr int kStillTicksForEnd = 3;
constexpr std::int64_t kStillSpanUs = 1'000'000;

void SetNumberText(MainWindowPort& w, Field f, int value, const char* suffix) {
  char text[32];
  std::snprintf(text, sizeof text, "%d%s", value, suffix);
  w.SetText(f, text);
}

void TakeEndTimes(AppState& s) {
  const RunTimes t =
      RunEndTimes(s.acqStatus.RealTime10ms() / 10, s.mcaSetup.presetTime,
                  static_cast<double>(EventsSinceClear(s)), s.mcaSetup.deadTimePerEvent);
  s.realTime = t.real;
  s.liveTime = t.live;
}

void RunStarted(LinkContext& c, const AcqDate& start, bool scan) {
  if (c.runEvents.started) c.runEvents.started(c.s, start, scan);
}

void RunEnded(LinkContext& c) {
  if (c.runEvents.ended) c.runEvents.ended(c.s);
}

// The analyser is no longer there, or has not answered for too long: the run is no longer shown
// as running, the timer stops so that the window stays responsive, one line says why, and a
// live analyser is asked to stop so that it does not count on unseen.
void LinkLost(LinkContext& c) {
  SendStopBriefly(c, 0);
  c.window.SetTimerEnabled(false);
  c.s.acquiring = 0;
  c.s.linkFailed = 1;
  c.window.SetText(Field::Edit1, kLinkLostMessage);
  // A scan run's times are its scans' own; the window shows none of them.
  if (c.s.mcaMode == 1) TakeEndTimes(c.s);
  PaintBox1Paint(c.s, c.window);
  RunEnded(c);
}

// One failed call is not a lost analyser: only a device the driver no longer lists, or a
// silence over consecutive ticks longer than the link's time-out.
bool LinkGone(LinkContext& c) {
  LinkHealth& link = c.health;
  if (c.driverFailed && !DeviceListed(c, 0)) return true;
  if (c.answered) {
    link.silentTicks = 0;
    return false;
  }
  ++link.silentTicks;
  const std::int64_t silentUs = c.clock.NowUs() - link.lastAnswerUs;
  return link.silentTicks >= kSilentTicksForLoss &&
         silentUs > static_cast<std::int64_t>(c.timeoutMs) * 1000;
}

// Whether the analyser has stopped counting on its own (its preset may differ from the one
// the host holds): its real time stands still while the host believes the run goes on.
bool StoppedCounting(LinkContext& c) {
  LinkHealth& link = c.health;
  const std::int32_t rt = c.s.acqStatus.RealTime10ms();
  const std::int64_t now = c.clock.NowUs();
  if (rt != link.lastRealTime10ms) {
    link.lastRealTime10ms = rt;
    link.stillTicks = 0;
    link.stillSinceUs = now;
    return false;
  }
  ++link.stillTicks;
  return rt > 0 && link.stillTicks >= kStillTicksForEnd && now - link.stillSinceUs >= kStillSpanUs;
}

DisplayPlace StatusDisplayPlace(const AppState& s) {
  const AcqStatus& st = s.acqStatus;
  const int last = std::clamp(s.channelSize, 1, kMaxChannels) - 1;
  DisplayPlace p;
  p.start = std::clamp<int>(st.DisplayStart(), 0, last);
  p.end = std::clamp<int>(st.DisplayEnd(), p.start, last);
  p.cursor = std::clamp<int>(st.Cursor(), 0, last);
  return p;
}

// Display state the analyser owns while it runs: range, cursor, scale.
void TakeDisplayState(LinkContext& c, bool takeCursor) {
  AppState& s = c.s;
  const AcqStatus& st = s.acqStatus;
  const DisplayPlace place = StatusDisplayPlace(s);
  SetNumberText(c.window, Field::Label1, place.start, "ch");
  s.viewStart = place.start;
  SetNumberText(c.window, Field::Label2, place.end, "ch");
  s.viewEnd = place.end;
  if (takeCursor) s.cursorChannel = place.cursor;
  ShowChannelReadout(s, c.window, place.cursor);
  const int vfs = st.VfsIndex();
  if (vfs == 0) {
    s.logScale = 1;
  } else {
    s.logScale = 0;
    // A step outside the table would index past it; keep the last good one.
    if (vfs >= 1 && vfs <= 22) s.vfsIndex = vfs;
  }
}

void ResetRunHealth(LinkContext& c) {
  c.s.linkFailed = 0;
  c.health.silentTicks = 0;
  c.health.lastRealTime10ms = -1;
  c.health.stillTicks = 0;
  c.health.rateBaseline = 0;
}

}  // namespace acqshared

using namespace acqshared;

namespace {

// The timer off, the last counts, then "$S;" (a brief one when the operation has already had
// its time-out); the run is over on the host whatever the analyser answers.
void CollectThenStop(LinkContext& c) {
  c.window.SetTimerEnabled(false);
  ReadSpectrumBlocks(c, 0);
  if (c.opGaveUp)
    SendStopBriefly(c, 0);
  else
    SendStop(c, 0);
  c.s.acquiring = 0;
}

// The last counts, then the stop: the host's preset or the analyser ended the run.
void EndRun(LinkContext& c) {
  CollectThenStop(c);
  TakeEndTimes(c.s);
  PaintBox1Paint(c.s, c.window);
  RunEnded(c);
}

// The rate is taken between two ticks that both read the blocks and the status, from the
// spectrum total modulo 2^32, so it stays right when the total wraps. A tick that missed either
// keeps the rate shown before it, and the next good one spans both.
void UpdateRatesAndTimes(LinkContext& c, bool blocksRead, bool statusRead) {
  AppState& s = c.s;
  LinkHealth& link = c.health;
  const int rt10ms = s.acqStatus.RealTime10ms();
  if (blocksRead && statusRead) {
    // The first tick of a run, or the first after a clear, has nothing to take a rate from.
    const bool first = !link.rateBaseline;
    if (first) {
      link.rateTotal = link.spectrumTotal;
      link.rateTime10ms = rt10ms;
      link.rateBaseline = 1;
    }
    std::uint32_t added = 0;
    const bool forward = CounterAdvance(link.rateTotal, link.spectrumTotal, &added);
    // In whole 10 ms steps: seconds in single precision lose the step after an hour.
    const double seconds = (static_cast<std::int64_t>(rt10ms) - link.rateTime10ms) * 0.01;
    if (forward && seconds > 0) {
      s.countRate = static_cast<float>(added / seconds * 0.001);
      link.rateTotal = link.spectrumTotal;
      link.rateTime10ms = rt10ms;
    } else if (first || !forward) {
      // A new baseline; or counts went back, the memory cleared behind the host's back.
      s.countRate = 0;
      link.rateTotal = link.spectrumTotal;
      link.rateTime10ms = rt10ms;
    }
    // Otherwise no real time has passed: counts alone are no rate. The next tick spans both.
  }
  if (!(s.countRate >= 0) || std::isinf(s.countRate)) s.countRate = 0;
  s.realTime = rt10ms / 10;
  s.liveTime = LiveTimeFrom(s.realTime, static_cast<double>(EventsSinceClear(s)),
                            s.mcaSetup.deadTimePerEvent);
  s.deadTime = TruncToInt(static_cast<double>(s.countRate) * s.mcaSetup.deadTimePerEvent);
}

// Preset and memory size to the analyser, as the setup's OK sends them.
void SendSetup(LinkContext& c) {
  AppState& s = c.s;
  const bool preset = SendPreset(c, 0, s.mcaSetup.presetTime) == 1;
  s.presetTime = s.mcaSetup.presetTime;
  const bool memory = SendMemorySize(c, 0, s.mcaSetup.memorySize) == 1;
  if (memory) c.health.memorySize = s.mcaSetup.memorySize;
  c.health.setupSent = preset && memory;
  c.health.scanSetupSent = 0;
}

void StampStart(AppState& s) {
  s.currentHeader = s.mcaHeader;
  s.currentHeader.SetDate(AcqDateNow());
  std::snprintf(s.dataFileName, sizeof s.dataFileName, "%s", "MCA");
}

}  // namespace

void McaStart(LinkContext& c) {
  AppState& s = c.s;
  BeginOperation(c);
  // A run still under way is superseded by this one: it ends first.
  if (s.acquiring == 1) RunEnded(c);
  StampStart(s);
  RunStarted(c, s.currentHeader.Date(), false);
  const bool opened = s.deviceCount == 0 && OpenDevice(c, 0) == 1;
  // Host and analyser agree on preset and memory before the first run on a new link, even
  // when the setup was confirmed before the analyser was opened.
  if (s.deviceOpen == 1 && !c.health.setupSent) SendSetup(c);
  if (opened) SetNumberText(c.window, Field::Edit1, s.deviceCount, "");
  // The run reads the analyser's whole memory, whatever channel count a file read left.
  if (IsMcaMemorySize(c.health.memorySize))
    s.channelSize = c.health.memorySize;
  else if (IsMcaMemorySize(s.mcaHeader.ChannelSize()))
    s.channelSize = s.mcaHeader.ChannelSize();
  ResetRunHealth(c);
  SendStart(c, 0);
  s.logScale = 1;
  ShowScaleAndRepaint(s, c.window);
}

void McaStop(LinkContext& c) {
  const bool running = c.s.acquiring == 1;
  BeginOperation(c);
  SendStop(c, 0);
  PaintBox1Paint(c.s, c.window);
  if (running && c.s.acquiring == 0) RunEnded(c);
}

void McaStopAndCollect(LinkContext& c) {
  BeginOperation(c);
  CollectThenStop(c);
  RunEnded(c);
}

void McaClear(LinkContext& c) {
  BeginOperation(c);
  SendClear(c, 0);
  PaintBox1Paint(c.s, c.window);
}

void SetAcqMode(LinkContext& c, char mode) {
  BeginOperation(c);
  SendAcqMode(c, 0, mode);
}

void ApplyMcaSetup(LinkContext& c) {
  AppState& s = c.s;
  BeginOperation(c);
  if (s.deviceOpen == 1) SendSetup(c);
  s.channelSize = s.mcaSetup.memorySize;
  s.mcaHeader.SetChannelSize(static_cast<std::int16_t>(s.channelSize));
  s.mcaHeader.SetPresetTime(s.mcaSetup.presetTime);
  // Start copies the MCA slot's header over the displayed one; the texts go with it, or the
  // comment and sample ID typed for the next run would be gone before it is saved.
  s.mcaHeader.SetComment(s.mcaSetup.comment);
  s.mcaHeader.SetSampleId(s.mcaSetup.sampleId);
  s.currentHeader.SetComment(s.mcaSetup.comment);
  s.currentHeader.SetSampleId(s.mcaSetup.sampleId);
  PaintBox1Paint(s, c.window);
}

void McaTick(LinkContext& c) {
  AppState& s = c.s;
  BeginOperation(c);

  c.window.SetTimerEnabled(false);
  const bool blocksRead = ReadSpectrumBlocks(c, 0) == 1;
  c.window.SetTimerEnabled(true);

  // After a time-out in the blocks the operation has given up: no status read this tick.
  const bool statusRead = ReadStatus(c, 0) == 1;
  if (LinkGone(c)) {
    LinkLost(c);
    return;
  }
  if (statusRead) {
    TakeDisplayState(c);
    const bool atPreset = s.acqStatus.RealTime10ms() / 10 >= s.mcaSetup.presetTime;
    if (atPreset || StoppedCounting(c)) {
      EndRun(c);
      return;
    }
  }
  UpdateRatesAndTimes(c, blocksRead, statusRead);
  // The repaint ends with the three copies to the paint box, so the tick needs none of its own.
  PaintBox1Paint(s, c.window);
}

void StopRunOnClose(LinkContext& c) {
  if (c.s.acquiring != 1) return;
  SendStopBriefly(c, 0);
  c.window.SetTimerEnabled(false);
  c.s.acquiring = 0;
  RunEnded(c);
}

bool Timer1Tick(LinkContext& c) {
  if (!c.s.bitmapsAlive) return false;
  if (c.s.mcaMode == 0) return ScanTick(c);
  McaTick(c);
  return false;
}

}  // namespace tavlex
