// Feeds any bytes to the .dat reader exactly as File -> "&Read" takes a file in, and checks that
// the state never leaves its fixed arrays: accepted files show 1 to 4096 channels, rejected ones
// change nothing but the displayed header.

#include <QBuffer>
#include <cstdlib>
#include <cstring>

#include "files/SpectrumFile.h"

namespace {

using namespace tavlex;

// The program state is large; it is made once and carried from input to input.
struct Target {
  AppState state;
  HeadlessWindow window;
  SpectrumData read;
};

Target& TheTarget() {
  static Target* target = new Target();
  return *target;
}

void Require(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Target& t = TheTarget();
  AppState& s = t.state;
  QByteArray bytes =
      QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  QBuffer in(&bytes);
  in.open(QIODevice::ReadOnly);
  const FileResult checked = ReadSpectrum(in, t.read);
  const int found = t.read.channels;
  const std::size_t room = size < 1024 ? 0 : (size - 1024) / 4;
  Require(found >= 0 && found <= kReadBufferChannels && static_cast<std::size_t>(found) <= room);

  // The last byte picks the checked view, so every memory and an unknown view are reached.
  const int view = size ? data[size - 1] % 5 - 1 : kMcaView;
  const int channelsBefore = s.channelSize;
  const FileResult r = ApplyDat(s, t.window, t.read, view);
  Require(r.status == checked.status);
  Require(r.message.empty() == r.ok() && FileResultReason(r).empty() == r.ok());
  if (!r.ok()) {
    Require(s.channelSize == channelsBefore && s.currentHeader.bytes == s.mcaHeader.bytes);
    return 0;
  }
  Require(found >= 1 && found <= kMaxChannels && s.channelSize == found);
  Require(s.viewStart == 0 && s.viewEnd == found - 1 && s.cursorChannel == found / 2);
  Require(std::memcmp(s.spectrumCounts, t.read.counts, sizeof(std::int32_t) * found) == 0);
  Require(s.currentHeader.Comment().size() <= 31 && s.currentHeader.SampleId().size() <= 31);
  // Saving it again keeps the channel size and the 16-bit region fields as they were read.
  const SpectrumHeader read = s.currentHeader;
  FillHeaderForWrite(s);
  Require(s.currentHeader.ChannelSize() == found);
  for (int i = 0; i < kRoiCount; ++i)
    Require(s.currentHeader.RoiLow(i) == read.RoiLow(i) &&
            s.currentHeader.RoiHigh(i) == read.RoiHigh(i) &&
            s.currentHeader.RoiColour(i) == read.RoiColour(i));
  return 0;
}
