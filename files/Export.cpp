// The export of the displayed spectrum: the format from its name, the data gathered from the
// state, and the pieces every format's writer shares.

#include "files/Export.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "app/AcqDate.h"
#include "files/ExportWriter.h"

namespace tavlex {
namespace exportfile {

Spectrum FromState(const AppState& s) {
  Spectrum sp;
  sp.counts = s.spectrumCounts;
  sp.channels = std::clamp(s.channelSize, 0, kReadBufferChannels);
  // A file may hold any bits as its calibration; a line that is no number is no calibration.
  sp.calibrated = s.calibrated == 1 && std::isfinite(s.calSlope) && std::isfinite(s.calOffset);
  sp.slope = s.calSlope;
  sp.offset = s.calOffset;
  // The unit of the last Exec Calib; before any, what the unit box shows when the window opens.
  if (s.energyUnit[0] != '\0') sp.unit = s.energyUnit;
  sp.liveTime = s.liveTime;
  sp.realTime = s.realTime;
  sp.presetTime = s.presetTime;
  const AcqDate d = s.currentHeader.Date();
  sp.hasDate = ValidAcqDate(d);
  sp.date = d;
  sp.comment = s.currentHeader.Comment().substr(0, 31);
  sp.sampleId = s.currentHeader.SampleId().substr(0, 31);
  return sp;
}

LineText MakeLineText(std::string_view latin1, Charset charset) {
  LineText t;
  for (const unsigned char c : latin1.substr(0, 31)) {
    if (c < 0x20 || c == 0x7F) {
      t.text[t.size++] = ' ';  // a line break or tab inside a text would end or split its line
    } else if (c < 0x80) {
      t.text[t.size++] = static_cast<char>(c);
    } else if (charset == Charset::Ascii || c < 0xA0) {
      t.text[t.size++] = '?';  // no ASCII form; and 0x80-0x9F are control codes in Latin-1
    } else {
      t.text[t.size++] = static_cast<char>(0xC0 | (c >> 6));
      t.text[t.size++] = static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  t.text[t.size] = '\0';
  return t;
}

Seconds SecondsText(std::int32_t tenths) {
  Seconds s;
  const std::int64_t t = tenths;
  const std::int64_t whole = t / 10, tenth = std::llabs(t % 10);
  if (tenth == 0)
    std::snprintf(s.text, sizeof s.text, "%lld", static_cast<long long>(whole));
  else
    std::snprintf(s.text, sizeof s.text, "%s%lld.%lld", t < 0 ? "-" : "",
                  static_cast<long long>(std::llabs(whole)), static_cast<long long>(tenth));
  return s;
}

FloatText ShortFloat(float value) {
  FloatText f;
  const auto [end, ec] = std::to_chars(f.text, f.text + sizeof f.text - 1, value);
  *(ec == std::errc() ? end : f.text) = '\0';
  return f;
}

}  // namespace exportfile

namespace {

bool SameLetters(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

constexpr ExportFormat kFormats[] = {ExportFormat::Msa, ExportFormat::Mca, ExportFormat::Spe,
                                     ExportFormat::Csv};

}  // namespace

const char* ExportExtension(ExportFormat format) {
  switch (format) {
    case ExportFormat::Msa:
      return "msa";
    case ExportFormat::Mca:
      return "mca";
    case ExportFormat::Spe:
      return "spe";
    case ExportFormat::Csv:
      return "csv";
  }
  return "";
}

std::optional<ExportFormat> ExportFormatFromName(std::string_view name) {
  for (const ExportFormat f : kFormats)
    if (SameLetters(name, ExportExtension(f))) return f;
  return std::nullopt;
}

std::optional<ExportFormat> ExportFormatFromPath(std::string_view path) {
  const std::size_t slash = path.find_last_of("\\/");
  const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return std::nullopt;
  return ExportFormatFromName(name.substr(dot + 1));
}

FileResult ExportSpectrum(const AppState& s, ExportFormat format, std::string_view path,
                          const InputFiles& inputs) {
  FileResult r;
  SafeWriter out(path, inputs);
  if (!out.Open()) {
    r.status = FileStatus::CannotOpen;
    r.message = filetext::kWriteError;
    r.problem = out.Problem();
    return r;
  }
  LineWriter lines(out);
  const exportfile::Spectrum sp = exportfile::FromState(s);
  switch (format) {
    case ExportFormat::Msa:
      exportfile::WriteMsa(lines, sp);
      break;
    case ExportFormat::Mca:
      exportfile::WriteMca(lines, sp);
      break;
    case ExportFormat::Spe:
      exportfile::WriteSpe(lines, sp);
      break;
    case ExportFormat::Csv:
      exportfile::WriteCsv(lines, sp);
      break;
  }
  if (!out.Commit()) {
    r.status = FileStatus::WriteError;
    r.message = filetext::kWriteError;
  }
  return r;
}

}  // namespace tavlex
