#pragma once
// Opening the analyser and the framed ASCII command exchange with it. Every operation returns 1
// for success and 0 for failure; `LinkContext::lastFailure` says why the last one returned 0.
// No operation allocates memory, and every wait on the analyser ends within `timeoutMs`.

#include "app/AppState.h"
#include "app/Clock.h"
#include "app/MainWindowPort.h"
#include "app/RunEvents.h"
#include "link/Driver.h"
#include "link/LinkHealth.h"

namespace tavlex {

enum class LinkFailure {
  None,     // the operation succeeded
  Driver,   // a driver call failed (or no device is listed): unplugged or never opened
  Timeout,  // the analyser did not send the expected bytes in time: stalled
  Refused,  // the analyser answered with something else than '!', or the frame was not sent
};

// The link to the analyser: one for the life of the window or of a command, made before the
// device is opened and passed to every exchange and every acquisition action.
struct LinkContext {
  AppState& s;
  MainWindowPort& window;
  Driver& driver;
  // Bounds every wait; the waits sleep on it between looks at the receive queue.
  Clock& clock;
  int timeoutMs = 3000;
  LinkFailure lastFailure = LinkFailure::None;  // why the last operation returned 0

  // The operation under way (a tick, Start, setup OK, ...): its end on the clock (0 = none),
  // whether it has given up after a time-out, and whether the analyser answered during it.
  std::int64_t opDeadlineUs = 0;
  bool opGaveUp = false;
  bool answered = false;
  bool driverFailed = false;

  // What the link has learned and still owes, from one operation to the next.
  LinkHealth health = {};
  // Told by the acquisition when a run starts and ends; nothing is installed by default.
  RunEvents runEvents = {};
};

// Begins one operation of several exchanges: it may last the link's time-out plus a margin
// (or `budgetMs`, when given), and after its first time-out it sends nothing more.
inline constexpr int kOperationMarginMs = 300;
void BeginOperation(LinkContext& c, int budgetMs = -1);

// Reply sizes on the link.
inline constexpr int kAckBufferSize = 512;
inline constexpr int kStatusBytes = static_cast<int>(AcqStatus::kSize);
inline constexpr int kBlockBytes = 512;
inline constexpr int kBlockChannels = kBlockBytes / 4;
// The analyser's memory holds at most this many blocks.
inline constexpr int kMaxBlocks = kMaxChannels / kBlockChannels;

// Lists the devices by serial number and opens and prepares device n.
int OpenDevice(LinkContext& c, int n);
// Whether the driver still lists device n: false once the analyser has been unplugged.
bool DeviceListed(LinkContext& c, int n);

int ExchangeAck(LinkContext& c, int device, const char* frame);
int SendStart(LinkContext& c, int device);      // "$G;"
int SendScanStart(LinkContext& c, int device);  // "$X;"
int SendStop(LinkContext& c, int device);       // "$S;"
// "$S;" once more when a run ends on a link in trouble: sent whatever the analyser still owes,
// with a short wait of its own for the answer. With an operation's margin it keeps a tick that
// ends this way within the link's time-out plus half a second.
inline constexpr int kBriefStopMs = 200;
int SendStopBriefly(LinkContext& c, int device);
int SendClear(LinkContext& c, int device);      // "$C;"
int SendScanClear(LinkContext& c, int device);  // "$CX;"
int ReadStatus(LinkContext& c, int device);     // "$R0;"
// "$R1;" .. "$Rk;", k = channelSize / kBlockChannels: the counts, then the largest of them in
// `maxChannelCount` and their total in `health.spectrumTotal`, the polling loop's rate source.
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
