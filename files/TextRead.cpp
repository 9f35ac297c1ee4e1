// The pieces every text spectrum reader shares, and the one rule that turns what was read into
// a spectrum the program holds.

#include "files/TextRead.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "app/Convert.h"

namespace tavlex::textread {
namespace {

constexpr int kSizes[] = {256, 512, 1024, 2048, 4096};

char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool ContainsNoCase(std::string_view text, std::string_view part) {
  if (part.size() > text.size()) return false;
  for (std::size_t i = 0; i + part.size() <= text.size(); ++i)
    if (SameNoCase(text.substr(i, part.size()), part)) return true;
  return false;
}

std::int32_t Tenths(double seconds) {
  if (!(seconds >= 0) || seconds * 10 > INT32_MAX) return 0;
  return static_cast<std::int32_t>(std::llround(seconds * 10));
}

int Month(std::string_view name) {
  static constexpr const char* kMonths[12] = {"jan", "feb", "mar", "apr", "may", "jun",
                                              "jul", "aug", "sep", "oct", "nov", "dec"};
  if (name.size() < 3) return 0;
  for (int m = 0; m < 12; ++m)
    if (SameNoCase(name.substr(0, 3), kMonths[m])) return m + 1;
  return 0;
}

// The numbers (or a month name) of a date or time text, split at its separators.
int Fields(std::string_view text, std::string_view separators, std::string_view* out, int cap) {
  int n = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t end = std::min(text.find_first_of(separators, i), text.size());
    if (end > i) {
      if (n == cap) return -1;
      out[n++] = text.substr(i, end - i);
    }
    i = end + 1;
  }
  return n;
}

int Whole(std::string_view text) {
  double v = 0;
  if (!Number(text, v) || v < 0 || v > 9999) return -1;
  return static_cast<int>(v);
}

bool ValidUtf8(std::string_view t) {
  for (std::size_t i = 0; i < t.size();) {
    const unsigned char c = static_cast<unsigned char>(t[i]);
    const int more = c < 0x80             ? 0
                     : (c & 0xE0) == 0xC0 ? 1
                     : (c & 0xF0) == 0xE0 ? 2
                     : (c & 0xF8) == 0xF0 ? 3
                                          : -1;
    if (more < 0 || i + more >= t.size()) return false;
    for (int k = 1; k <= more; ++k)
      if ((static_cast<unsigned char>(t[i + k]) & 0xC0) != 0x80) return false;
    i += more + 1;
  }
  return true;
}

}  // namespace

Lines::Lines(std::string_view text) : rest_(text) {
  if (rest_.starts_with("\xEF\xBB\xBF")) rest_.remove_prefix(3);
}

bool Lines::Next(std::string_view& line) {
  if (rest_.empty()) return false;
  const std::size_t end = rest_.find_first_of("\r\n");
  if (end == std::string_view::npos) {
    line = rest_;
    rest_ = {};
  } else {
    line = rest_.substr(0, end);
    std::size_t skip = end + 1;
    if (rest_[end] == '\r' && skip < rest_.size() && rest_[skip] == '\n') ++skip;
    rest_.remove_prefix(skip);
  }
  ++number_;
  return true;
}

std::string_view Trim(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\v\f";
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

bool SameNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

bool StartsNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && SameNoCase(text.substr(0, prefix.size()), prefix);
}

int SplitWords(std::string_view line, std::string_view* words, int capacity) {
  return Fields(line, " \t,;", words, capacity);
}

int SplitAt(std::string_view line, std::string_view separators, std::string_view* words,
            int capacity) {
  return Fields(line, separators, words, capacity);
}

bool Number(std::string_view text, double& out) {
  return TryStrToFloat(Trim(text), out);
}

double KevPerUnit(std::string_view unit) {
  unit = Trim(unit);
  if (unit.empty() || ContainsNoCase(unit, "kev")) return 1;
  if (ContainsNoCase(unit, "mev")) return 1000;
  if (ContainsNoCase(unit, "ev")) return 0.001;
  // A label that names the energy without a unit: the unit of an XRF spectrum.
  if (ContainsNoCase(unit, "energy")) return 1;
  return 0;
}

Line FitLine(const double* channels, const double* energies, int n) {
  Line line;
  if (n < 2) return line;
  double mc = 0, me = 0;
  for (int i = 0; i < n; ++i) {
    mc += channels[i];
    me += energies[i];
  }
  mc /= n;
  me /= n;
  double scc = 0, sce = 0, lo = energies[0], hi = energies[0];
  for (int i = 0; i < n; ++i) {
    scc += (channels[i] - mc) * (channels[i] - mc);
    sce += (channels[i] - mc) * (energies[i] - me);
    lo = std::min(lo, energies[i]);
    hi = std::max(hi, energies[i]);
  }
  if (!(scc > 0) || !std::isfinite(sce)) return line;
  line.slope = sce / scc;
  // Through the first point when there are two, so the file's own numbers come back exactly.
  line.offset = n == 2 ? energies[0] - line.slope * channels[0] : me - line.slope * mc;
  if (!std::isfinite(line.slope) || !std::isfinite(line.offset)) return line;
  line.present = true;
  for (int i = 0; i < n; ++i)
    if (std::fabs(channels[i] * line.slope + line.offset - energies[i]) > 1e-3 * (hi - lo))
      line.droppedTerms = true;
  return line;
}

void SplitSampleId(std::string_view text, std::string& title, std::string& sampleId) {
  constexpr std::string_view kMark = "Sample ID ";
  text = Trim(text);
  if (StartsNoCase(text, kMark)) {
    title.clear();
    sampleId = Trim(text.substr(kMark.size()));
    return;
  }
  const std::size_t at = text.rfind("; Sample ID ");
  if (at == std::string_view::npos) {
    title = text;
    return;
  }
  title = Trim(text.substr(0, at));
  sampleId = Trim(text.substr(at + 2 + kMark.size()));
}

AcqDate ParseDate(std::string_view text) {
  text = Trim(text);
  const std::size_t blank = text.find_first_of(" \tT");
  const std::string_view datePart = text.substr(0, blank);
  const std::string_view timePart =
      blank == std::string_view::npos ? std::string_view{} : Trim(text.substr(blank + 1));
  std::string_view d[3], t[3];
  if (Fields(datePart, "/-.", d, 3) != 3) return {};
  const int nt = Fields(timePart, ":", t, 3);
  if (nt < 0) return {};
  int year, month, day;
  if (d[0].size() == 4) {  // year first
    year = Whole(d[0]), month = Whole(d[1]), day = Whole(d[2]);
  } else if (Month(d[1]) > 0) {  // 07-Jul-1998
    day = Whole(d[0]), month = Month(d[1]), year = Whole(d[2]);
  } else if (datePart.find('.') != std::string_view::npos) {  // 23.07.2013
    day = Whole(d[0]), month = Whole(d[1]), year = Whole(d[2]);
  } else {  // the month first, as the US programs write it
    month = Whole(d[0]), day = Whole(d[1]), year = Whole(d[2]);
  }
  if (year >= 0 && year < 100) year += year < 70 ? 2000 : 1900;
  int hms[3] = {0, 0, 0};
  for (int i = 0; i < nt; ++i) {
    double v = 0;
    if (!Number(t[i], v) || v < 0 || v >= 60) return {};
    hms[i] = static_cast<int>(v);
  }
  AcqDate date;
  date.year = static_cast<std::int16_t>(std::clamp(year, -1, 9999));
  date.month = static_cast<std::int16_t>(std::clamp(month, -1, 99));
  date.day = static_cast<std::int16_t>(std::clamp(day, -1, 99));
  date.hour = static_cast<std::int16_t>(hms[0]);
  date.minute = static_cast<std::int16_t>(hms[1]);
  date.second = static_cast<std::int16_t>(hms[2]);
  return ValidAcqDate(date) ? date : AcqDate{};
}

Counts::Counts(SpectrumData& into, int rebin) : into_(into), rebin_(std::max(rebin, 1)) {
  std::fill(std::begin(into.counts), std::end(into.counts), 0);
  into.channels = 0;
}

bool Counts::Add(std::string_view text, int line) {
  double v = 0;
  if (!Number(text, v)) {
    Refuse(line, "not a number");
    return false;
  }
  return Add(v, line);
}

bool Counts::Add(double value, int line) {
  if (Failed()) return false;
  if (!std::isfinite(value)) {
    Refuse(line, "not a number");
    return false;
  }
  if (value < 0) {
    Refuse(line, "a negative count");
    return false;
  }
  if (value >= 2147483647.5) {
    Refuse(line, "a count beyond 2147483647");
    return false;
  }
  const std::int64_t bin = channels_ / rebin_;
  if (bin < kReadBufferChannels) {
    const std::int64_t sum = std::int64_t{into_.counts[bin]} + std::llround(value);
    into_.counts[bin] = static_cast<std::int32_t>(std::min<std::int64_t>(sum, INT32_MAX));
  }
  ++channels_;
  return true;
}

void Counts::Skip(std::int64_t channels) {
  channels_ += std::clamp<std::int64_t>(channels, 0, std::int64_t{1} << 40);
}

void Counts::Refuse(int line, const char* why) {
  if (Failed()) return;
  failure_.status = FileStatus::BadContent;
  failure_.message = Format("Error ! File Line %d", line);
  failure_.detail = Format("line %d: %s", line, why);
}

std::string HeaderText(std::string_view text) {
  text = Trim(text);
  std::string out;
  // Valid UTF-8 is taken as such; anything else is already 8-bit text.
  const bool utf8 = ValidUtf8(text);
  for (std::size_t i = 0; i < text.size() && out.size() < 31;) {
    unsigned int c = static_cast<unsigned char>(text[i]);
    std::size_t step = 1;
    if (utf8 && c >= 0x80) {
      step = c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
      c = step == 2 ? ((c & 0x1F) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3F) : 0x100;
    }
    if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0))
      out += ' ';  // control codes would break the header band and the text files
    else
      out += c > 0xFF ? '?' : static_cast<char>(c);
    i += step;
  }
  return std::string(Trim(out));
}

FileResult Finish(SpectrumData& into, const Counts& counts, const Found& found, int rebin) {
  if (counts.Failed()) return counts.Failure();
  rebin = std::max(rebin, 1);
  FileResult r;
  const std::int64_t n = counts.Channels();
  r.channelsFound = static_cast<int>(std::min<std::int64_t>(n, INT_MAX));
  r.headerChannels = found.declaredChannels >= 0 ? found.declaredChannels : r.channelsFound;
  if (n == 0 || (found.declaredChannels >= 0 && found.declaredChannels != n)) {
    r.status = FileStatus::ChannelMismatch;
    r.message = Format("%d", r.channelsFound);
    return r;
  }
  const std::int64_t binned = (n + rebin - 1) / rebin;
  if (binned > kMaxChannels) {
    r.status = FileStatus::TooManyChannels;
    r.message = TooManyChannelsText(n, false);
    return r;
  }
  const int size =
      *std::find_if(std::begin(kSizes), std::end(kSizes), [&](int s) { return s >= binned; });
  SpectrumHeader& h = into.header;
  into.unit = nullptr;
  h.Clear();
  h.SetChannelSize(static_cast<std::int16_t>(size));
  h.SetNoCalibrationMarker(1.0f);
  if (const Line& cal = found.calibration; cal.present) {
    // A wider channel's energy is that of its middle.
    const float slope = static_cast<float>(cal.slope * rebin);
    const float offset = static_cast<float>(cal.offset + cal.slope * (rebin - 1) / 2);
    if (std::isfinite(slope) && std::isfinite(offset)) {
      h.SetNoCalibrationMarker(0.0f);
      into.unit = "keV";
      h.SetCalSlope(slope);
      h.SetCalOffset(offset);
    }
  }
  h.SetLiveTime(Tenths(found.liveSeconds));
  h.SetRealTime(Tenths(found.realSeconds));
  h.SetPresetTime(Tenths(found.presetSeconds));
  if (ValidAcqDate(found.date)) h.SetDate(found.date);
  h.SetComment(HeaderText(found.title));
  h.SetSampleId(HeaderText(found.sampleId));
  into.channels = size;
  r.channelsFound = size;
  r.headerChannels = size;

  std::string note;
  const auto add = [&note](const std::string& part) { note += (note.empty() ? "" : ", ") + part; };
  if (rebin > 1) add(Format("binned by %d from %lld channels", rebin, static_cast<long long>(n)));
  if (size != binned)
    add(Format("padded with zeros from %lld to %d channels", static_cast<long long>(binned), size));
  if (found.calibration.present && found.calibration.droppedTerms)
    add("calibration reduced to a line");
  r.detail = note;
  return r;
}

}  // namespace tavlex::textread
