#include "acq/Acquisition.h"

#include <QDateTime>
#include <cstdio>
#include <cstring>

#include "display/Plot.h"

namespace tavlex {
namespace {

void SetNumberText(MainWindowPort& w, Field f, int value, const char* suffix) {
  char text[32];
  std::snprintf(text, sizeof text, "%d%s", value, suffix);
  w.SetText(f, text);
}

bool LinkBroken(const LinkContext& c) {
  return c.lastFailure == LinkFailure::Driver || c.lastFailure == LinkFailure::Timeout;
}

// The analyser stopped answering: the run is no longer shown as running, the timer stops so
// that the window stays responsive, and one line says why.
void LinkLost(LinkContext& c) {
  c.window.SetTimerEnabled(false);
  c.s.acquiring = 0;
  c.s.linkFailed = 1;
  c.window.SetText(Field::Edit1, kLinkLostMessage);
  PaintBox1Paint(c.s, c.window);
}

// Live time in 0.1 s: real time less the dead time of the counted events.
int LiveTimeFrom(int realTime, int events, float deadTimePerEvent) {
  return static_cast<int>(realTime - events * static_cast<double>(deadTimePerEvent) * 0.00001);
}

// Display state the analyser owns while it runs: range, cursor, scale.
void TakeDisplayState(LinkContext& c) {
  AppState& s = c.s;
  const AcqStatus& st = s.acqStatus;
  SetNumberText(c.window, Field::Label1, st.DisplayStart(), "ch");
  s.viewStart = st.DisplayStart();
  SetNumberText(c.window, Field::Label2, st.DisplayEnd(), "ch");
  s.viewEnd = st.DisplayEnd();
  SetNumberText(c.window, Field::Label3, st.Cursor(), "");
  s.cursorChannel = st.Cursor();
  const int vfs = st.VfsIndex();
  if (vfs == 0) {
    s.logScale = 1;
  } else {
    s.logScale = 0;
    // A step outside the table would index past it; keep the last good one.
    if (vfs >= 1 && vfs <= 22) s.vfsIndex = vfs;
  }
}

void EndAtPreset(LinkContext& c) {
  AppState& s = c.s;
  c.window.SetTimerEnabled(false);
  ReadSpectrumBlocks(c, 0);
  SendStop(c, 0);
  s.acquiring = 0;
  s.realTime = s.acqStatus.RealTime10ms() / 10;
  s.liveTime = LiveTimeFrom(s.realTime, s.acqStatus.Events(), s.mcaSetup.deadTimePerEvent);
  // The real time shown equals the preset exactly.
  s.realTime = s.mcaSetup.presetTime;
  PaintBox1Paint(s, c.window);
}

void UpdateRatesAndTimes(AppState& s) {
  const int rt10ms = s.acqStatus.RealTime10ms();
  s.realSeconds = static_cast<float>(rt10ms * 0.01);
  s.totalCounts = s.countRate;
  s.countRate = s.totalCounts - s.prevTotalCounts;
  s.tickSeconds = s.realSeconds - s.prevRealSeconds;
  if (s.tickSeconds > 0) s.countRate = static_cast<float>(s.countRate / s.tickSeconds * 0.001);
  if (!(s.countRate >= 0)) s.countRate = 0;
  s.realTime = rt10ms / 10;
  s.liveTime = LiveTimeFrom(s.realTime, s.acqStatus.Events(), s.mcaSetup.deadTimePerEvent);
  s.deadTime = static_cast<int>(static_cast<double>(s.countRate) * s.mcaSetup.deadTimePerEvent);
}

}  // namespace

void McaStart(LinkContext& c) {
  AppState& s = c.s;
  s.currentHeader = s.mcaHeader;
  const QDateTime now = QDateTime::currentDateTime();
  const QDate d = now.date();
  const QTime t = now.time();
  s.currentHeader.SetDate({static_cast<std::int16_t>(d.year()), static_cast<std::int16_t>(d.month()),
                           static_cast<std::int16_t>(d.day()), static_cast<std::int16_t>(t.hour()),
                           static_cast<std::int16_t>(t.minute()),
                           static_cast<std::int16_t>(t.second())});
  std::snprintf(s.dataFileName, sizeof s.dataFileName, "%s", "MCA");
  if (s.deviceCount == 0 && OpenDevice(c, 0) == 1) SetNumberText(c.window, Field::Edit1, s.deviceCount, "");
  s.linkFailed = 0;
  SendStart(c, 0);
  ShowLogScale(s, c.window, 1);
  PaintBox1Paint(s, c.window);
}

void McaStop(LinkContext& c) {
  SendStop(c, 0);
  PaintBox1Paint(c.s, c.window);
}

void McaClear(LinkContext& c) {
  SendClear(c, 0);
  PaintBox1Paint(c.s, c.window);
}

void SetAcqMode(LinkContext& c, char mode) { SendAcqMode(c, 0, mode); }

void ApplyMcaSetup(LinkContext& c) {
  AppState& s = c.s;
  if (s.deviceOpen == 1) {
    SendPreset(c, 0, s.mcaSetup.presetTime);
    s.presetTime = s.mcaSetup.presetTime;
    SendMemorySize(c, 0, s.mcaSetup.memorySize);
  }
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
  s.prevRealSeconds = s.realSeconds;
  s.prevTotalCounts = s.totalCounts;

  c.window.SetTimerEnabled(false);
  const bool blocksRead = ReadSpectrumBlocks(c, 0) == 1;
  const bool blocksBroken = !blocksRead && LinkBroken(c);
  c.window.SetTimerEnabled(true);

  const bool statusRead = !blocksBroken && ReadStatus(c, 0) == 1;
  if (blocksBroken || (!statusRead && LinkBroken(c))) {
    LinkLost(c);
    return;
  }
  if (statusRead) {
    TakeDisplayState(c);
    if (s.acqStatus.RealTime10ms() / 10 >= s.mcaSetup.presetTime) {
      EndAtPreset(c);
      return;
    }
  }
  UpdateRatesAndTimes(s);
  // The repaint ends with the three copies to the paint box, so the tick needs none of its own.
  PaintBox1Paint(s, c.window);
}

void Timer1Tick(LinkContext& c) {
  if (!c.s.bitmapsAlive) return;
  if (c.s.mcaMode == 1) McaTick(c);
}

}  // namespace tavlex
