// Feeds any bytes to every reader of the text spectra of other programs, and to the entry that
// picks one by content: no crash, no read past the input, and a spectrum that is accepted holds
// one of the program's channel counts with the counts it was given and a header whose texts end
// inside their slots. The first byte picks the name's extension and the binning factor.

#include <QBuffer>
#include <cstdlib>
#include <string_view>

#include "files/SpectrumFormats.h"

namespace {

using namespace tavlex;

void Require(bool ok) {
  if (!ok) std::abort();
}

bool ProgramSize(int channels) {
  return channels == 256 || channels == 512 || channels == 1024 || channels == 2048 ||
         channels == 4096;
}

void Check(const FileResult& r, const SpectrumData& d, bool text) {
  Require(r.message.empty() == r.ok() && FileResultReason(r).empty() == r.ok());
  if (!r.ok()) return;
  Require(d.channels >= 1 && d.channels <= kMaxChannels);
  Require(d.header.ChannelSize() == d.channels);
  Require(!text || ProgramSize(d.channels));
  Require(d.header.Comment().size() <= 31 && d.header.SampleId().size() <= 31);
  for (int i = 0; text && i < d.channels; ++i) Require(d.counts[i] >= 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static SpectrumData* read = new SpectrumData();
  static constexpr const char* kNames[] = {"s.msa", "s.mca", "s.spe", "s.csv", "s.txt", "s"};
  const std::uint8_t pick = size ? data[0] : 0;
  const SpectrumReadOptions options{1 << (pick >> 6)};
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (const SpectrumFormat f :
       {SpectrumFormat::Msa, SpectrumFormat::Pmca, SpectrumFormat::Spe, SpectrumFormat::Columns})
    Check(ReadTextSpectrum(f, text, *read, options), *read, true);

  QByteArray bytes = QByteArray::fromRawData(text.data(), static_cast<qsizetype>(size));
  QBuffer in(&bytes);
  in.open(QIODevice::ReadOnly);
  const char* name = kNames[pick % 6];
  const bool isText = DetectSpectrumFormat(name, text.substr(0, 4096)) != SpectrumFormat::Dat;
  Check(ReadAnySpectrum(in, name, *read, options), *read, isText);
  return 0;
}
