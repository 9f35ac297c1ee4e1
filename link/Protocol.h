#pragma once
// Opening the analyser and the framed ASCII command exchange with it. Every operation returns 1
// for success and 0 for failure; `LinkContext::lastFailure` says why the last one returned 0.
// No operation allocates memory, and every wait on the analyser ends within `timeoutMs`.

#include "app/AppState.h"
#include "app/Clock.h"
#include "app/MainWindowPort.h"
#include "link/Driver.h"

namespace tavlex {

enum class LinkFailure {
  None,     // the operation succeeded
  Driver,   // a driver call failed (or no device is listed): unplugged or never opened
  Timeout,  // the analyser did not send the expected bytes in time: stalled
  Refused,  // the analyser answered with something else than '!', or the frame was not sent
};

struct LinkContext {
  AppState& s;
  MainWindowPort& window;
  Driver& driver;
  // Bounds every wait. The waits poll without pausing, so in tests a ManualClock needs a step
  // (SetStepUs) wherever a reply may never come.
  Clock& clock;
  int timeoutMs = 3000;
  LinkFailure lastFailure = LinkFailure::None;  // why the last operation returned 0
};

// Reply sizes on the link.
inline constexpr int kAckBufferSize = 512;
inline constexpr int kStatusBytes = static_cast<int>(AcqStatus::kSize);
inline constexpr int kBlockBytes = 512;
inline constexpr int kBlockChannels = kBlockBytes / 4;
// The analyser's memory holds at most this many blocks.
inline constexpr int kMaxBlocks = kMaxChannels / kBlockChannels;

// Lists the devices by serial number and opens and prepares device n.
int OpenDevice(LinkContext& c, int n);

int ExchangeAck(LinkContext& c, int device, const char* frame);
int SendStart(LinkContext& c, int device);      // "$G;"
int SendScanStart(LinkContext& c, int device);  // "$X;"
int SendStop(LinkContext& c, int device);       // "$S;"
int SendClear(LinkContext& c, int device);      // "$C;"
int SendScanClear(LinkContext& c, int device);  // "$CX;"
int ReadStatus(LinkContext& c, int device);     // "$R0;"
int ReadSpectrumBlocks(LinkContext& c, int device);
int SendPreset(LinkContext& c, int device, int t);
// 256 channels are sent as "$M2;" (two blocks), following the block-count digits of the
// other sizes; any size other than 256 .. 4096 sends nothing and returns 0.
int SendMemorySize(LinkContext& c, int device, int channels);
int SendCursor(LinkContext& c, int device, int channel);
int SendRoi(LinkContext& c, int device, int roi, int low, int high);
int SendAcqMode(LinkContext& c, int device, char mode);  // 'G', 'S', 'M'
int SendLogDisplay(LinkContext& c, int device);          // "$O;"
int SendVfsStep(LinkContext& c, int device, int k);      // "$V" (0x30+k) ";"
int SendVfsDown(LinkContext& c, int device);             // "$V;"
int SendVfsUp(LinkContext& c, int device);               // "$v;"
int SendExpand(LinkContext& c, int device);              // "$E;"
int SendCompress(LinkContext& c, int device);            // "$e;"

}  // namespace tavlex
