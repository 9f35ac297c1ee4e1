#pragma once
// The simulated analyser: the program's built-in instrument, good enough to learn and demonstrate
// the whole program on. `SimAnalyser` is the instrument (it answers every frame of the command
// set, counts an XRF spectrum in real time from a clock, keeps its own display state and runs
// scans into two banks); `SimDriver` is the USB side (listing, handles, the receive queue) with
// the faults that tests inject.
//
// It counts in steps of 10 ms of its own clock: each step's events are drawn from a generator
// seeded by the seed, the run and the step's number, so a run's spectrum depends on the seed,
// the sample, the setup and the preset only, never on when or how often the host asks.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/Clock.h"
#include "link/Driver.h"
#include "link/SimRandom.h"
#include "link/SimSpectrum.h"

namespace tavlex {

struct SimConfig {
  std::uint64_t seed = 1;
  int deviceCount = 1;          // devices listed: "SIM00001", "SIM00002", ...
  double inputRateCps = 15000;  // photons reaching the detector
  // Dead time per counted event; the counted rate is input / (1 + input x dead time). 0 = none.
  double deadTimeUs = 1.8;  // the program's own default, so the live time shown describes it
  // Exact expected counts instead of Poisson counting (events = counted rate x real time).
  bool exactCounts = false;
  SimSample sample = SimSteel();
  int anodeZ = kSimDefaultAnodeZ;  // the tube's anode (rhodium)
  Clock* clock = nullptr;          // null: the steady wall clock
  // The link: a reply starts to arrive this long after its frame was written, and the frame's
  // and the reply's bytes travel at this many bytes per second (0: no time at all), so the
  // host may see part of a reply first.
  std::int64_t linkDelayUs = 0;
  std::int64_t linkBytesPerSecond = 0;
};

// A link model as the program and the command line take it: "LATENCY_MS,BYTES_PER_S", for
// example "1,1000000" (1 ms per round trip, 1 MB/s). The latency may have a fraction, to the
// microsecond. False for anything else, or for values outside the limits below.
// --sim-sample and --sim-tube as the program and the command line take them.
inline constexpr const char* kSimSampleHelp =
    "--sim-sample needs steel, brass or a composition in weight per cent, for example "
    "--sim-sample Fe=70,Cr=18,Ni=10,Mn=2";
bool ParseSimTube(std::string_view text, SimConfig& config);

inline constexpr double kMaxSimLinkLatencyMs = 10000;
inline constexpr std::int64_t kMinSimLinkBytesPerSecond = 100;
inline constexpr std::int64_t kMaxSimLinkBytesPerSecond = 1000000000;
inline constexpr const char* kSimLinkHelp =
    "--sim-link needs LATENCY_MS,BYTES_PER_S: a latency of 0 to 10000 ms and 100 to 1000000000 "
    "bytes per second, for example --sim-link=1,1000000";
bool ParseSimLink(std::string_view text, SimConfig& config);

struct SimRoi {
  bool set = false;
  int low = 0, high = 0;
};

class SimAnalyser {
 public:
  static constexpr int kMaxFrameRecord = 4096;
  static constexpr int kMaxReply = 512;
  static constexpr std::uint8_t kRefusal = '?';
  // The analyser's counting step: events are drawn for whole steps of its clock.
  static constexpr std::int64_t kStepUs = 10000;

  SimAnalyser(const SimConfig& config, Clock& clock);

  // Takes one frame (the bytes of one write) and writes its reply into `reply` (room for
  // kMaxReply bytes); returns the reply's length.
  int HandleFrame(const std::uint8_t* frame, int length, std::uint8_t* reply);
  // Brings real time and counting up to the clock. Every frame does it first; the accessors
  // below show the state of the last frame or Update.
  void Update();

  // What tests and demonstrations look at or set.
  bool Running() const { return running_; }
  bool Scanning() const { return scanning_; }
  int MemorySize() const { return memorySize_; }
  int Preset() const { return preset_; }  // 0.1 s
  std::int32_t RealTime10ms() const;
  std::uint32_t Events() const;
  std::uint32_t Count(int channel) const;  // of the MCA memory
  std::uint32_t BankCount(int bank, int channel) const;
  // Loads a count into the MCA memory, for tests of the host's arithmetic.
  void SetCount(int channel, std::uint32_t value);
  int ScansCompleted() const { return scansCompleted_; }
  int DisplayStart() const { return displayStart_; }
  int DisplayEnd() const { return displayEnd_; }
  int Cursor() const { return cursor_; }
  int VfsIndex() const { return logScale_ ? 0 : linearVfs_; }  // 0 = logarithmic
  void SetVfsIndex(int index);
  char AcqMode() const { return acqMode_; }
  SimRoi Roi(int r) const { return (r >= 0 && r < 10) ? rois_[r] : SimRoi{}; }
  double KeVPerChannel() const { return kSimKeVPerChannel4096 * 4096.0 / memorySize_; }
  double Probability(int channel) const { return shape_[channel]; }
  double CountedRateCps() const;
  // A new input rate changes the pile-up, so the shape is made again (not while counting).
  void SetInputRate(double cps);
  void SetDeadTimeUs(double us) { Update(), config_.deadTimeUs = us; }
  const SimSample& Sample() const { return config_.sample; }

  // The frames received, oldest first (the last kMaxFrameRecord of them).
  std::vector<std::string> Frames() const;
  std::string LastFrame() const;
  int FrameCount() const { return frameCount_; }
  void ClearFrames() { frameCount_ = 0; }
  void RecordFrame(const std::uint8_t* frame, int length);

 private:
  bool Execute(std::string_view f, std::uint8_t* reply, int* length);
  bool ExecuteDisplay(std::string_view f);
  void BuildStatus(std::uint8_t* out);
  void BuildBlock(int n, std::uint8_t* out) const;
  void SetMemorySize(int channels);
  void BuildShape();
  void ClearMca();
  void ClearScans();
  void AdvanceMca(std::int64_t dtUs);
  void AdvanceScan(std::int64_t dtUs);
  void FinishScan();
  // Counts the steps completed between fromUs and toUs of a run; `stream` and `run` tell the
  // runs apart.
  void CountSteps(std::uint32_t* counts, double* carry, std::uint32_t* events, std::uint64_t stream,
                  std::uint64_t run, std::int64_t fromUs, std::int64_t toUs);
  void DistributeExact(std::uint32_t* counts, double* carry, std::uint64_t n);
  void DistributePoisson(std::uint32_t* counts, std::uint32_t* events, double mean);
  std::int64_t ScanPresetUs() const;
  std::uint8_t TracePoint(const std::uint32_t* counts, int point) const;

  SimConfig config_;
  Clock& clock_;
  SimRandom random_;
  std::int64_t lastClockUs_ = 0;

  int memorySize_ = 4096;
  int preset_ = 10000;          // 0.1 s
  SimSampleSpectrum spectrum_;  // the sample's spectrum, made once
  double shape_[kMaxChannels] = {};
  double cdf_[kMaxChannels] = {};
  // guide_[k]: the first channel whose cumulative probability exceeds k / kMaxChannels, so that
  // drawing one event's channel is a short walk instead of a search.
  int guide_[kMaxChannels] = {};

  // MCA memory
  bool running_ = false;
  bool scanMode_ = false;  // blocks come from the last finished scan
  std::int64_t realUs_ = 0;
  std::uint32_t counts_[kMaxChannels] = {};
  double carry_[kMaxChannels] = {};  // exact counting: fractions not yet counted
  std::uint32_t events_ = 0;
  std::uint64_t mcaRuns_ = 0;  // clears of the MCA memory, so that each run draws afresh

  // Scan banks
  bool scanning_ = false;
  int activeBank_ = 0;
  std::int64_t scanUs_ = 0;
  std::uint32_t banks_[2][kMaxChannels] = {};
  double bankCarry_[kMaxChannels] = {};
  std::uint32_t scanEvents_ = 0;
  bool scanFinished_ = false;  // a finished bank exists
  bool scanDone_ = false;      // latched until a status block has reported it
  int scansCompleted_ = 0;
  std::uint64_t scanSeries_ = 0;  // clears of the banks

  // Display
  int displayStart_ = 0, displayEnd_ = 4095, cursor_ = 2048;
  bool logScale_ = true;
  int linearVfs_ = 2;
  char acqMode_ = 'M';
  SimRoi rois_[10];

  // Record of frames: a ring of fixed slots, so that a long demonstration does not grow memory.
  struct FrameSlot {
    std::uint8_t length = 0;
    char bytes[16] = {};
  };
  std::unique_ptr<FrameSlot[]> frames_;
  int frameCount_ = 0;
  int order_[kMaxChannels] = {};  // scratch of the exact counting
};

// Driver calls by kind, for injecting a failure into one of them.
enum class SimCall { List, Open, Reset, Latency, Timeouts, Purge, QueueStatus, Read, Write, Count };

class SimDriver : public Driver {
 public:
  static constexpr int kMaxHandles = 16;
  static constexpr int kQueueBytes = 8192;

  explicit SimDriver(const SimConfig& config = {});
  ~SimDriver() override;

  SimAnalyser& Analyser() { return *analyser_; }
  // What the window's title names: "steel", "brass" or the composition given.
  const std::string& SampleName() const { return analyser_->Sample().name; }
  const SimAnalyser& Analyser() const { return *analyser_; }

  // Attached devices.
  void SetDeviceCount(int n) { deviceCount_ = n < 0 ? 0 : n; }
  int DeviceCount() const { return deviceCount_; }
  // Pulling the cable: every open handle is dead from now on and nothing is listed. Plugging it
  // back lists the devices again; dead handles stay dead until closed.
  void Unplug();
  void Plug() { plugged_ = true; }
  bool Plugged() const { return plugged_; }

  // Faults for tests.
  void RefuseNextFrame(std::uint8_t byte = SimAnalyser::kRefusal) { refuseNext_ = byte; }
  // The call of this kind after `skip` successful ones fails, `times` times in a row.
  void FailCall(SimCall call, int skip = 0, int times = 1);
  // The next write of exactly this frame fails.
  void FailWriteOf(std::string_view frame);
  void ShortNextReply(int bytes) { shortNext_ = bytes; }
  void SurplusNextReply(int bytes, std::uint8_t fill = 0x55) {
    surplusNext_ = bytes, surplusFill_ = fill;
  }
  void StallNextReply() { stallNext_ = true; }
  // The reply to this frame never comes, after `skip` replies to it that do.
  void StallReplyTo(std::string_view frame, int skip = 0) {
    stallFrame_.Set(frame), stallSkip_ = skip;
  }
  // After every reply the analyser goes on sending junk, so the queue is never empty.
  void SetBabble(bool babble) { babble_ = babble; }
  // The analyser takes frames but no reply ever comes, until unmuted.
  void SetMute(bool mute) { mute_ = mute; }
  // Every reply from now on starts to arrive this long after its frame.
  void SetLinkDelayUs(std::int64_t us) { linkDelayUs_ = us < 0 ? 0 : us; }
  // Frames and replies from now on travel at this byte rate; 0 = in no time.
  void SetLinkBytesPerSecond(std::int64_t rate) { linkRate_ = rate < 0 ? 0 : rate; }
  // Once this frame has been written: the next call of the kind fails / the cable is pulled
  // before the reply arrives.
  void FailCallAfterFrame(SimCall call, std::string_view frame);
  void UnplugAfterFrame(std::string_view frame);

  // What the host did on the link.
  int OpenHandles() const;
  int Opens() const { return opens_; }
  int Resets() const { return resets_; }
  int LatencyMs() const { return latencyMs_; }
  std::uint32_t ReadTimeoutMs() const { return readTimeoutMs_; }
  std::uint32_t WriteTimeoutMs() const { return writeTimeoutMs_; }
  std::uint32_t PurgeMask() const { return purgeMask_; }
  int QueueStatusCalls() const { return queueStatusCalls_; }
  // Frames the host tried to write, even on a dead handle (the last kMaxFrameRecord).
  int WriteAttempts(std::string_view frame) const;
  std::vector<std::string> Frames() const { return analyser_->Frames(); }

  // Driver
  int ListDevices(char** buffers, std::uint32_t* count, std::uint32_t flags) override;
  int OpenEx(const char* serialNumber, std::uint32_t flags, DeviceHandle* handle) override;
  int ResetDevice(DeviceHandle handle) override;
  int SetLatencyTimer(DeviceHandle handle, std::uint8_t ms) override;
  int SetTimeouts(DeviceHandle handle, std::uint32_t readMs, std::uint32_t writeMs) override;
  int Purge(DeviceHandle handle, std::uint32_t mask) override;
  int GetQueueStatus(DeviceHandle handle, std::uint32_t* bytesWaiting) override;
  int Read(DeviceHandle handle, void* buffer, std::uint32_t count, std::uint32_t* got) override;
  int Write(DeviceHandle handle, const void* buffer, std::uint32_t count,
            std::uint32_t* written) override;
  void Close(DeviceHandle handle) override;
  const char* Name() const override { return "simulated"; }
  bool IsSimulation() const override { return true; }

 private:
  struct Slot {
    bool inUse = false;
    bool dead = false;
  };
  // 0 when the handle is open and alive, else the driver status to return.
  int Check(DeviceHandle handle) const;
  int SlotOf(DeviceHandle handle) const;
  bool Faulted(SimCall call);
  // Queues a reply whose frame of `frameBytes` bytes was written now.
  void Queue(const std::uint8_t* bytes, int n, int frameBytes);
  void ClearQueue();
  void Reveal();
  // Wire time of n bytes at the link's rate, rounded up to the microsecond.
  std::int64_t WireUs(std::int64_t n) const;

  std::unique_ptr<SteadyClock> ownClock_;
  Clock& clock_;
  std::unique_ptr<SimAnalyser> analyser_;
  std::int64_t linkDelayUs_ = 0;
  std::int64_t linkRate_ = 0;
  int deviceCount_ = 1;
  bool plugged_ = true;
  Slot slots_[kMaxHandles];

  std::uint8_t queue_[kQueueBytes] = {};
  int queueLength_ = 0;
  int visible_ = 0;  // bytes of the queue that have arrived
  // The queue's bytes after the visible ones, as the replies they came in: each starts to arrive
  // at startUs and comes in at the link's rate after the reply before it. Only the first can
  // have arrived in part. A fixed ring; when it is full a reply joins the last one.
  struct Arrival {
    int bytes = 0;
    int arrived = 0;
    std::int64_t startUs = 0;
  };
  static constexpr int kMaxArrivals = 32;
  Arrival arrivals_[kMaxArrivals];
  int arrivalFirst_ = 0, arrivalCount_ = 0;
  std::int64_t wireFreeUs_ = 0;  // when the last byte on its way will have arrived

  struct Fault {
    int skip = 0, times = 0;
  };
  Fault faults_[static_cast<int>(SimCall::Count)];
  struct FramePattern {
    char bytes[16] = {};
    int length = 0;
    bool Matches(const std::uint8_t* frame, int n) const;
    void Set(std::string_view frame);
  };
  FramePattern failWrite_, failAfter_, unplugAfter_, stallFrame_;
  int stallSkip_ = 0;
  bool babble_ = false;
  SimCall failAfterCall_ = SimCall::Count;
  int refuseNext_ = -1;
  int shortNext_ = -1;
  int surplusNext_ = 0;
  std::uint8_t surplusFill_ = 0x55;
  bool stallNext_ = false;
  bool mute_ = false;
  struct Attempt {
    char bytes[16] = {};
  };
  std::unique_ptr<Attempt[]> attempts_ = std::make_unique<Attempt[]>(SimAnalyser::kMaxFrameRecord);
  int attemptCount_ = 0;

  int opens_ = 0, resets_ = 0, latencyMs_ = -1, queueStatusCalls_ = 0;
  std::uint32_t readTimeoutMs_ = 0, writeTimeoutMs_ = 0, purgeMask_ = 0;
};

}  // namespace tavlex
