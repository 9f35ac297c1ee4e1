// The simulated analyser's command set: parsing a frame, acting on it, building its reply.

#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/AcqStatus.h"
#include "link/Protocol.h"
#include "link/SimAnalyser.h"

namespace tavlex {

namespace {

// Full-scale counts of the 22 linear display steps.
constexpr std::int64_t kVfsFullScale[23] = {
    0,        100,      250,      500,       1000,      2500,      5000,      10000,
    25000,    50000,    100000,   250000,    500000,    1000000,   2500000,   5000000,
    10000000, 25000000, 50000000, 100000000, 250000000, 500000000, 1000000000};

constexpr int kTracePoints = 256;
constexpr int kNarrowestDisplay = 32;  // channels

// A decimal number of 1 to `maxDigits` digits and nothing else.
bool ParseDigits(std::string_view s, int maxDigits, int* value) {
  if (s.empty() || static_cast<int>(s.size()) > maxDigits) return false;
  std::int64_t v = 0;
  for (char ch : s) {
    if (ch < '0' || ch > '9') return false;
    v = v * 10 + (ch - '0');
  }
  if (v > 2147483647) return false;
  *value = static_cast<int>(v);
  return true;
}

}  // namespace

SimAnalyser::SimAnalyser(const SimConfig& config, Clock& clock)
    : config_(config),
      clock_(clock),
      random_(config.seed),
      frames_(std::make_unique<FrameSlot[]>(kMaxFrameRecord)) {
  lastClockUs_ = clock_.NowUs();
  BuildSampleSpectrum(config_.sample, config_.anodeZ, spectrum_);
  SetMemorySize(kMaxChannels);
}

void SimAnalyser::SetVfsIndex(int index) {
  if (index == 0) {
    logScale_ = true;
  } else if (index >= 1 && index <= 22) {
    logScale_ = false;
    linearVfs_ = index;
  }
}

int SimAnalyser::HandleFrame(const std::uint8_t* frame, int length, std::uint8_t* reply) {
  Update();
  RecordFrame(frame, length);
  int replyLength = 0;
  const std::string_view f(reinterpret_cast<const char*>(frame), static_cast<std::size_t>(length));
  if (!Execute(f, reply, &replyLength)) {
    reply[0] = kRefusal;
    replyLength = 1;
  }
  return replyLength;
}

bool SimAnalyser::Execute(std::string_view f, std::uint8_t* reply, int* length) {
  if (f.size() < 3 || f.size() > 15 || f.front() != '$' || f.back() != ';') return false;
  const std::string_view body = f.substr(1, f.size() - 2);
  int n = 0;
  if (body.size() >= 2 && body[0] == 'R' && ParseDigits(body.substr(1), 2, &n)) {
    if (n == 0) {
      BuildStatus(reply);
      *length = kStatusBytes;
      return true;
    }
    if (n > kMaxBlocks) return false;
    BuildBlock(n, reply);
    *length = kBlockBytes;
    return true;
  }
  *length = 1;
  reply[0] = '!';
  if (body == "G") {
    scanning_ = false;
    scanMode_ = false;
    running_ = realUs_ < static_cast<std::int64_t>(std::max(preset_, 0)) * 100000;
  } else if (body == "S") {
    running_ = false;
    scanning_ = false;
  } else if (body == "C") {
    ClearMca();
  } else if (body == "X") {
    running_ = false;
    ClearScans();
    scanning_ = true;
    scanMode_ = true;
  } else if (body == "CX") {
    ClearScans();
  } else if (body.size() >= 2 && body[0] == 'P') {
    const bool negative = body[1] == '-';
    if (!ParseDigits(body.substr(negative ? 2 : 1), 10, &n)) return false;
    preset_ = negative ? -n : n;
    Update();
    // A preset below the real time already counted ends the run at once.
    if (running_ && realUs_ >= static_cast<std::int64_t>(std::max(preset_, 0)) * 100000) {
      running_ = false;
    }
  } else if (body.size() >= 2 && body[0] == 'M') {
    if (!ParseDigits(body.substr(1), 2, &n) || (n != 2 && n != 4 && n != 8 && n != 16 && n != 32))
      return false;
    SetMemorySize(n * kBlockChannels);
  } else if (body == "DG" || body == "DS" || body == "DM") {
    acqMode_ = body[1];
  } else {
    return ExecuteDisplay(body);
  }
  return true;
}

bool SimAnalyser::ExecuteDisplay(std::string_view body) {
  int a = 0, b = 0;
  const int span = displayEnd_ - displayStart_ + 1;
  if (body == "O") {
    logScale_ = true;
  } else if (body == "V") {
    logScale_ = false;
    linearVfs_ = std::max(1, linearVfs_ - 1);
  } else if (body == "v") {
    logScale_ = false;
    linearVfs_ = std::min(22, linearVfs_ + 1);
  } else if (body.size() == 2 && body[0] == 'V') {
    // "$V" c ";": c is 0x30 + step, so step 11 arrives as ';'.
    const int k = static_cast<unsigned char>(body[1]) - 0x30;
    if (k < 1 || k > 22) return false;
    logScale_ = false;
    linearVfs_ = k;
  } else if (body == "E" || body == "e") {
    const int wanted = body == "E" ? (span > kNarrowestDisplay ? span / 2 : span)
                                   : std::min(memorySize_, span * 2);
    displayStart_ = std::clamp(cursor_ - wanted / 2, 0, memorySize_ - wanted);
    displayEnd_ = displayStart_ + wanted - 1;
  } else if (body.size() == 6 && body.substr(0, 2) == "@C" && ParseDigits(body.substr(2), 4, &a)) {
    cursor_ = std::min(a, memorySize_ - 1);
  } else if (body.size() == 13 && body.substr(0, 2) == "@R" && body[3] == ',' && body[8] == ',' &&
             body[2] >= '0' && body[2] <= '9' && ParseDigits(body.substr(4, 4), 4, &a) &&
             ParseDigits(body.substr(9, 4), 4, &b)) {
    rois_[body[2] - '0'] = SimRoi{true, a, b};
  } else {
    return false;
  }
  return true;
}

void SimAnalyser::SetMemorySize(int channels) {
  memorySize_ = std::clamp(channels, 2 * kBlockChannels, kMaxChannels);
  BuildShape();
  ClearMca();
  ClearScans();
  displayStart_ = 0;
  displayEnd_ = memorySize_ - 1;
  cursor_ = memorySize_ / 2;
}

void SimAnalyser::BuildShape() {
  BuildSpectrumShape(spectrum_, config_.inputRateCps, memorySize_, shape_);
  double sum = 0;
  for (int i = 0; i < memorySize_; ++i) cdf_[i] = (sum += shape_[i]);
  cdf_[memorySize_ - 1] = 1.0;
  for (int k = 0, ch = 0; k < kMaxChannels; ++k) {
    const double u = static_cast<double>(k) / kMaxChannels;
    while (ch < memorySize_ - 1 && cdf_[ch] <= u) ++ch;
    guide_[k] = ch;
  }
}

std::uint8_t SimAnalyser::TracePoint(const std::uint32_t* counts, int point) const {
  const int span = displayEnd_ - displayStart_ + 1;
  const int first = displayStart_ + point * span / kTracePoints;
  const int last = std::max(first, displayStart_ + (point + 1) * span / kTracePoints - 1);
  std::uint32_t peak = 0;
  for (int ch = first; ch <= last && ch < memorySize_; ++ch) peak = std::max(peak, counts[ch]);
  double height = 0;
  if (logScale_) {
    height = peak < 1 ? 0 : std::log10(peak + 0.5) / 6.0 * 256.0;
  } else {
    height = static_cast<double>(peak) * 256.0 / static_cast<double>(kVfsFullScale[linearVfs_]);
  }
  return static_cast<std::uint8_t>(std::min(height, 255.0));
}

void SimAnalyser::BuildStatus(std::uint8_t* out) {
  AcqStatus status;
  const std::uint32_t* shown = scanMode_ ? banks_[activeBank_] : counts_;
  for (int i = 0; i < kTracePoints; ++i) status.SetTracePoint(i, TracePoint(shown, i));
  status.SetDisplayStart(static_cast<std::int16_t>(displayStart_));
  status.SetDisplayEnd(static_cast<std::int16_t>(displayEnd_));
  status.SetCursor(static_cast<std::int16_t>(cursor_));
  status.SetVfsIndex(static_cast<std::int16_t>(VfsIndex()));
  status.SetRealTime10ms(RealTime10ms());
  status.SetEvents(static_cast<std::int32_t>(Events()));
  // Each finished scan is reported once.
  status.SetScanDone(scanDone_ ? 1 : 0);
  scanDone_ = false;
  std::memcpy(out, status.data(), kStatusBytes);
}

void SimAnalyser::BuildBlock(int n, std::uint8_t* out) const {
  const std::uint32_t* memory =
      scanMode_ ? (scanFinished_ ? banks_[activeBank_ ^ 1] : nullptr) : counts_;
  for (int i = 0; i < kBlockChannels; ++i) {
    const int ch = (n - 1) * kBlockChannels + i;
    // Blocks past the memory size read as empty.
    const std::uint32_t v = (memory && ch < memorySize_) ? memory[ch] : 0;
    for (int k = 0; k < 4; ++k) out[4 * i + k] = static_cast<std::uint8_t>(v >> (8 * k));
  }
}

void SimAnalyser::RecordFrame(const std::uint8_t* frame, int length) {
  FrameSlot& slot = frames_[frameCount_ % kMaxFrameRecord];
  slot.length = static_cast<std::uint8_t>(std::clamp(length, 0, 16));
  std::memcpy(slot.bytes, frame, slot.length);
  ++frameCount_;
}

std::vector<std::string> SimAnalyser::Frames() const {
  std::vector<std::string> out;
  const int n = std::min(frameCount_, kMaxFrameRecord);
  for (int i = frameCount_ - n; i < frameCount_; ++i) {
    const FrameSlot& slot = frames_[i % kMaxFrameRecord];
    out.emplace_back(slot.bytes, slot.length);
  }
  return out;
}

std::string SimAnalyser::LastFrame() const {
  if (frameCount_ == 0) return {};
  const FrameSlot& slot = frames_[(frameCount_ - 1) % kMaxFrameRecord];
  return std::string(slot.bytes, slot.length);
}

}  // namespace tavlex
