// The "read any spectrum" entry: which format a file is, the size refused before reading, and
// the reader of that format.

#include "files/SpectrumFormats.h"

#include <algorithm>

#include "app/Convert.h"
#include "files/TextRead.h"

namespace tavlex {
namespace {

std::string_view Extension(std::string_view name) {
  const std::size_t slash = name.find_last_of("\\/");
  if (slash != std::string_view::npos) name.remove_prefix(slash + 1);
  const std::size_t dot = name.rfind('.');
  return dot == std::string_view::npos || dot == 0 ? std::string_view{} : name.substr(dot + 1);
}

// Sums `rebin` channels into one, with the calibration moved to the wider channels' middles.
void RebinDat(SpectrumData& d, int rebin) {
  const int n = d.channels;
  for (int k = 0; k * rebin < n; ++k) {
    std::int64_t sum = 0;
    for (int i = k * rebin; i < std::min(n, (k + 1) * rebin); ++i) sum += d.counts[i];
    d.counts[k] = static_cast<std::int32_t>(std::clamp<std::int64_t>(sum, INT32_MIN, INT32_MAX));
  }
  d.channels = (n + rebin - 1) / rebin;
  d.header.SetChannelSize(static_cast<std::int16_t>(d.channels));
  if (d.header.HoldsCalibration()) {
    const float slope = d.header.CalSlope();
    d.header.SetCalOffset(d.header.CalOffset() + slope * static_cast<float>(rebin - 1) / 2);
    d.header.SetCalSlope(slope * static_cast<float>(rebin));
  }
}

FileResult TooLarge() {
  FileResult r;
  r.status = FileStatus::TooLarge;
  r.message = "Error ! File Over 100 MB";
  return r;
}

}  // namespace

int RebinToFit(std::int64_t channels) {
  int factor = 1;
  while ((channels + factor - 1) / factor > kMaxChannels) factor *= 2;
  return factor;
}

std::string TooManyChannelsText(std::int64_t channels, bool cli) {
  const long long n = channels;
  const int factor = RebinToFit(channels);
  if (factor > kMaxRebin)
    return cli ? Format("%lld channels, more than the 4096 the program holds, even binned", n)
               : Format("Error ! %lldch Over 4096ch", n);
  return cli ? Format(
                   "%lld channels, more than the 4096 the program holds; read it with "
                   "--rebin %d",
                   n, factor)
             : Format("Error ! %lldch Over 4096ch, Read with Rebin %d", n, factor);
}

SpectrumFormat DetectSpectrumFormat(std::string_view name, std::string_view head) {
  const std::string_view ext = Extension(name);
  // The program's own file is binary: whatever its bytes, they are no text.
  if (textread::SameNoCase(ext, "dat")) return SpectrumFormat::Dat;
  textread::Lines lines(head);
  std::string_view line;
  bool firstLine = true;
  for (int i = 0; i < 40 && lines.Next(line);) {
    const std::string_view t = textread::Trim(line);
    if (t.empty()) continue;
    ++i;
    if (firstLine && textread::StartsNoCase(t, "<<PMCA SPECTRUM")) return SpectrumFormat::Pmca;
    if (firstLine && t.starts_with('$') && t.find(':') != t.npos) return SpectrumFormat::Spe;
    if (textread::StartsNoCase(t, "#FORMAT") || textread::StartsNoCase(t, "#NPOINTS") ||
        textread::StartsNoCase(t, "#XPERCHAN"))
      return SpectrumFormat::Msa;
    firstLine = false;
  }
  if (textread::SameNoCase(ext, "msa") || textread::SameNoCase(ext, "emsa"))
    return SpectrumFormat::Msa;
  if (textread::SameNoCase(ext, "spe")) return SpectrumFormat::Spe;
  if (textread::SameNoCase(ext, "mca") || textread::SameNoCase(ext, "csv") ||
      textread::SameNoCase(ext, "txt"))
    return SpectrumFormat::Columns;
  return SpectrumFormat::Dat;
}

FileResult ReadTextSpectrum(SpectrumFormat format, std::string_view text, SpectrumData& into,
                            const SpectrumReadOptions& options) {
  const int rebin = std::clamp(options.rebin, 1, kMaxRebin);
  switch (format) {
    case SpectrumFormat::Msa:
      return textread::ReadMsa(text, into, rebin);
    case SpectrumFormat::Pmca:
      return textread::ReadPmca(text, into, rebin);
    case SpectrumFormat::Spe:
      return textread::ReadSpe(text, into, rebin);
    case SpectrumFormat::Columns:
    case SpectrumFormat::Dat:
      break;
  }
  return textread::ReadColumns(text, into, rebin);
}

FileResult ReadAnySpectrum(QIODevice& in, std::string_view name, SpectrumData& into,
                           const SpectrumReadOptions& options) {
  if (!in.isSequential() && in.size() - in.pos() >= kMaxSpectrumFileBytes) {
    into.channels = 0;
    return TooLarge();
  }
  into.unit = nullptr;
  const QByteArray head = in.peek(4096);
  const SpectrumFormat format =
      DetectSpectrumFormat(name, std::string_view(head.constData(), head.size()));
  if (format == SpectrumFormat::Dat) {
    into.channels = ReadDat(in, into.header, into.counts, kReadBufferChannels);
    const int rebin = std::clamp(options.rebin, 1, kMaxRebin);
    if (rebin > 1 && into.channels > 0 && into.channels == into.header.ChannelSize())
      RebinDat(into, rebin);
    FileResult r = CheckSpectrum(into.header, into.channels);
    if (r.ok() && rebin > 1) r.detail = Format("binned by %d", rebin);
    return r;
  }
  // A file's size is known and below the limit. A pipe gives none: it is read up to the limit,
  // and refused when that is reached.
  QByteArray text = in.isSequential() ? QByteArray() : in.readAll();
  while (in.isSequential() && text.size() < kMaxSpectrumFileBytes) {
    const QByteArray part = in.read(1 << 20);
    if (part.isEmpty()) break;
    text += part;
  }
  if (text.size() >= kMaxSpectrumFileBytes) {
    into.channels = 0;
    return TooLarge();
  }
  return ReadTextSpectrum(format, std::string_view(text.constData(), text.size()), into, options);
}

}  // namespace tavlex
