// Feeds any bytes to every reader of the text spectra of other programs, and to the entry that
// picks one by content: no crash, no read past the input, and a spectrum that is accepted holds
// one of the program's channel counts with the counts it was given and a header whose texts end
// inside their slots. The first byte picks the name's extension and the binning factor, and
// whether an accepted spectrum is then identified (its own calibration, else 10 eV channels):
// peaks, parts and elements stay within their tables and their numbers finite.

#include <QBuffer>
#include <cmath>
#include <cstdlib>
#include <string_view>

#include "analysis/Identify.h"
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

void CheckIdentify(const SpectrumData& d) {
  static Identification* id = new Identification();
  IdentifySetup setup;
  const bool own = d.header.HoldsCalibration() && d.header.CalSlope() > 0;
  setup.slope = own ? d.header.CalSlope() : 0.01;
  setup.offset = own ? d.header.CalOffset() : 0;
  setup.anodeZ = 45;
  setup.liveTimeS = 1;
  if (!Identify(d.counts, d.channels, setup, *id)) return;
  Require(id->peakCount >= 0 && id->peakCount <= kMaxFoundPeaks);
  Require(id->elementCount >= 0 && id->elementCount <= kMaxFoundElements);
  for (int i = 0; i < id->peakCount; ++i) {
    const IdentifiedPeak& p = id->peaks[i];
    Require(std::isfinite(p.peak.energyKeV) && std::isfinite(p.peak.net) && p.partCount <= kMaxPeakParts);
    for (int k = 0; k < p.partCount; ++k)
      Require(p.parts[k].parent < id->peakCount && p.parts[k].parent2 < id->peakCount);
  }
  for (int k = 0; k < id->elementCount; ++k) {
    const FoundElement& el = id->elements[k];
    Require(XrayElementByZ(el.z) != nullptr && el.confidence >= 0 && el.confidence <= 1);
    for (int l = 0; l < el.lineCount; ++l) Require(el.lines[l].peak >= 0 && el.lines[l].peak < id->peakCount);
  }
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
  const FileResult any = ReadAnySpectrum(in, name, *read, options);
  Check(any, *read, isText);
  if (any.ok() && (pick & 0x20)) CheckIdentify(*read);
  return 0;
}
