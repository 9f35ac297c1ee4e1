// The acknowledged frames of the command table and what an accepted one changes in the state.

#include <algorithm>
#include <cstdio>

#include "link/Protocol.h"
#include "link/Wire.h"

namespace tavlex {

using wire::Fail;

namespace {

void ZeroSpectrum(AppState& s) {
  const int n = std::clamp(s.channelSize, 0, kReadBufferChannels);
  std::fill(s.spectrumCounts, s.spectrumCounts + n, 0);
}

bool IsRefusal(const LinkContext& c) {
  return c.lastFailure == LinkFailure::Refused;
}

// Frames that are only sent when their numbers fit the fixed field widths.
int NotSent(LinkContext& c) {
  return Fail(c, LinkFailure::Refused);
}

// The analyser's memory was cleared: its totals start again from 0, and a rate taken across
// the clear would be meaningless.
void ForgetCounters(LinkContext& c) {
  c.health.lastEvents = 0;
  c.s.eventWraps = 0;
  c.health.rateBaseline = 0;
}

}  // namespace

int SendStart(LinkContext& c, int device) {
  c.s.mcaMode = 1;
  if (ExchangeAck(c, device, "$G;")) {
    c.window.SetTimerEnabled(true);
    c.s.acquiring = 1;
    return 1;
  }
  if (IsRefusal(c)) c.s.acquiring = 0;
  return 0;
}

int SendScanStart(LinkContext& c, int device) {
  c.s.mcaMode = 0;
  if (ExchangeAck(c, device, "$X;")) {
    c.window.SetTimerInterval(c.s.sxfmSetup.refreshMs);
    c.window.SetTimerEnabled(true);
    c.s.scanCount = 0;
    c.s.acquiring = 1;
    return 1;
  }
  if (IsRefusal(c)) c.s.acquiring = 0;
  return 0;
}

int SendStop(LinkContext& c, int device) {
  if (!ExchangeAck(c, device, "$S;")) return 0;
  c.window.SetTimerEnabled(false);
  c.s.acquiring = 0;
  return 1;
}

int SendStopBriefly(LinkContext& c, int device) {
  // The analyser may be gone or far behind: drop what it still owes instead of waiting for it,
  // and give the stop a short time of its own.
  if (DeviceHandle h = wire::HandleOf(c.s, device)) wire::Discard(c, h);
  c.health.owedBytes = 0;
  BeginOperation(c, kBriefStopMs);
  return SendStop(c, device);
}

int SendClear(LinkContext& c, int device) {
  if (!ExchangeAck(c, device, "$C;")) return 0;
  ZeroSpectrum(c.s);
  ForgetCounters(c);
  return 1;
}

int SendScanClear(LinkContext& c, int device) {
  c.s.scanCount = 0;
  if (!ExchangeAck(c, device, "$CX;")) return 0;
  ZeroSpectrum(c.s);
  ForgetCounters(c);
  return 1;
}

int SendPreset(LinkContext& c, int device, int t) {
  char frame[16];
  std::snprintf(frame, sizeof frame, "$P%d;", t);
  c.window.SetText(Field::Edit1, frame);
  return ExchangeAck(c, device, frame);
}

int SendMemorySize(LinkContext& c, int device, int channels) {
  c.lastFailure = LinkFailure::None;
  // The digits are the number of 128-channel blocks; 256 channels follow the same rule.
  struct Size {
    int channels;
    const char* frame;
  };
  constexpr Size kSizes[] = {
      {256, "$M2;"}, {512, "$M4;"}, {1024, "$M8;"}, {2048, "$M16;"}, {4096, "$M32;"}};
  for (const Size& size : kSizes) {
    if (size.channels != channels) continue;
    if (!ExchangeAck(c, device, size.frame)) return 0;
    // The spectrum total now sums another memory: no rate across the change.
    c.health.rateBaseline = 0;
    return 1;
  }
  return NotSent(c);
}

int SendCursor(LinkContext& c, int device, int channel) {
  c.lastFailure = LinkFailure::None;
  if (channel < 0 || channel >= kMaxChannels) return NotSent(c);
  char frame[16];
  std::snprintf(frame, sizeof frame, "$@C%04d;", channel);
  return ExchangeAck(c, device, frame);
}

int SendRoi(LinkContext& c, int device, int roi, int low, int high) {
  c.lastFailure = LinkFailure::None;
  // One digit for the region, four for each channel (the end channel may be 4096).
  if (roi < 0 || roi > 9 || low < 0 || low > 9999 || high < 0 || high > 9999) return NotSent(c);
  char frame[16];
  std::snprintf(frame, sizeof frame, "$@R%c,%04d,%04d;", static_cast<char>('0' + roi), low, high);
  return ExchangeAck(c, device, frame);
}

int SendAcqMode(LinkContext& c, int device, char mode) {
  c.lastFailure = LinkFailure::None;
  if (mode != 'G' && mode != 'S' && mode != 'M') return NotSent(c);
  const char frame[] = {'$', 'D', mode, ';', '\0'};
  return ExchangeAck(c, device, frame);
}

int SendLogDisplay(LinkContext& c, int device) {
  return ExchangeAck(c, device, "$O;");
}

int SendVfsStep(LinkContext& c, int device, int k) {
  c.lastFailure = LinkFailure::None;
  if (k < 1 || k > 22) return NotSent(c);
  const char frame[] = {'$', 'V', static_cast<char>(0x30 + k), ';', '\0'};
  c.window.SetText(Field::Edit1, frame);
  return ExchangeAck(c, device, frame);
}

int SendVfsDown(LinkContext& c, int device) {
  return ExchangeAck(c, device, "$V;");
}
int SendVfsUp(LinkContext& c, int device) {
  return ExchangeAck(c, device, "$v;");
}
int SendExpand(LinkContext& c, int device) {
  return ExchangeAck(c, device, "$E;");
}
int SendCompress(LinkContext& c, int device) {
  return ExchangeAck(c, device, "$e;");
}

}  // namespace tavlex
