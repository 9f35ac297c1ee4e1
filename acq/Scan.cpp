// The SXFM scan mode: short scans of a fixed preset one after another, the host counting them
// and reading each finished scan, the analyser's own display trace between them. Also the "MCA"
// choice among the memories, which reads the analyser's spectrum again.

#include <cstdio>

#include "acq/AcqShared.h"
#include "acq/Acquisition.h"
#include "display/Memories.h"
#include "display/Plot.h"
#include "files/Recovery.h"
#include "files/SpectrumFile.h"

namespace tavlex {

using namespace acqshared;

void SxfmStart(LinkContext& c) {
  AppState& s = c.s;
  BeginOperation(c);
  if (s.deviceCount == 0 && OpenDevice(c, 0) == 1)
    SetNumberText(c.window, Field::Edit1, s.deviceCount, "");
  ResetRunHealth(s);
  // A run still under way is superseded by this one: it keeps its copy first.
  if (s.acquiring == 1) KeepRunCopy(s);
  NameRecoveryCopy(s.runCopy, AcqDateNow(), true);
  SendScanStart(c, 0);
  ShowLogScale(s, c.window, 1);
}

void SxfmStop(LinkContext& c) {
  if (c.s.acquiring != 1) return;
  BeginOperation(c);
  SendStop(c, 0);
  if (c.s.acquiring == 0) KeepRunCopy(c.s);
}

void SxfmClear(LinkContext& c) {
  BeginOperation(c);
  SendScanClear(c, 0);
  SetNumberText(c.window, Field::Edit4, c.s.scanCount, "");
  PaintBox1Paint(c.s, c.window);
}

void PrepareSxfmSetup(AppState& s) {
  if (s.channelSize > 2048) {
    s.sxfmSetup.memorySize = 2048;
    s.channelSize = 2048;
  }
}

void ApplySxfmSetup(LinkContext& c) {
  AppState& s = c.s;
  BeginOperation(c);
  // The scan preset's 100 ms steps are the frame's 0.1 s units.
  SendPreset(c, 0, s.sxfmSetup.presetTime);
  if (SendMemorySize(c, 0, s.sxfmSetup.memorySize) == 1) s.channelSize = s.sxfmSetup.memorySize;
  // The MCA setup is no longer what the analyser holds.
  s.link.setupSent = 0;
  c.window.SetTimerInterval(s.sxfmSetup.refreshMs);
  PaintBox1Paint(s, c.window);
}

bool ScanTick(LinkContext& c) {
  AppState& s = c.s;
  BeginOperation(c);
  bool finished = false;
  if (ReadStatus(c, 0) == 1) {
    if (s.acqStatus.ScanDone() != 0) {
      c.window.SetTimerEnabled(false);
      ++s.scanCount;
      SetNumberText(c.window, Field::Edit4, s.scanCount, "");
      finished = ReadSpectrumBlocks(c, 0) == 1;
      // Counts of one scan over its time; a preset of 0 has no time to divide by.
      const int preset = s.sxfmSetup.presetTime;
      s.countRate = preset > 0 ? static_cast<float>(s.countRate / preset * 0.01) : 0.0f;
      c.window.SetTimerEnabled(true);
    }
    TakeDisplayState(c, false);
    c.window.SetText(Field::Label7, " ");
  }
  if (LinkGone(c)) {
    LinkLost(c);
    return false;
  }
  DrawLivePreview(s, c.window);
  return finished;
}

void ShowMcaSlot(LinkContext& c) {
  AppState& s = c.s;
  s.currentHeader = s.mcaHeader;
  std::snprintf(s.dataFileName, sizeof s.dataFileName, "%s", "MCA");
  // A slot whose header holds no channel count keeps the one in effect.
  if (IsMemorySize(s.currentHeader.ChannelSize())) s.channelSize = s.currentHeader.ChannelSize();
  RestoreFromHeader(s, s.currentHeader);
  if (s.deviceOpen == 1) {
    BeginOperation(c);
    ReadSpectrumBlocks(c, 0);
    if (ReadStatus(c, 0) == 1) {
      TakeDisplayState(c);
      s.realTime = s.acqStatus.RealTime10ms() / 10;
      s.liveTime = LiveTimeFrom(s.realTime, EventsSinceClear(s), s.mcaSetup.deadTimePerEvent);
      // A finished run shows its preset exactly; an unfinished one its own real time, not a
      // preset it never reached.
      if (s.realTime >= s.mcaSetup.presetTime) s.realTime = s.mcaSetup.presetTime;
      if (s.liveTime > s.realTime) s.liveTime = s.realTime;
    }
  }
  PaintBox1Paint(s, c.window);
}

}  // namespace tavlex
