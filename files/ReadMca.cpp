// The PMCA spectrum reader: "TAG - value" lines after <<PMCA SPECTRUM>>, channel-energy points
// under <<CALIBRATION>> (after a LABEL line naming the unit), the counts under <<DATA>> up to
// <<END>>. Other sections (<<ROI>>, the configuration after <<END>>) are passed over.

#include "files/TextRead.h"

namespace tavlex::textread {
namespace {

enum class Section { None, Header, Calibration, Data, Other };

Section SectionOf(std::string_view mark) {
  mark = Trim(mark.substr(2, mark.find(">>") - 2));
  if (StartsNoCase(mark, "PMCA SPECTRUM")) return Section::Header;
  if (SameNoCase(mark, "CALIBRATION")) return Section::Calibration;
  if (SameNoCase(mark, "DATA")) return Section::Data;
  return Section::Other;
}

void HeaderLine(std::string_view t, Found& found) {
  const std::size_t dash = t.find(" - ");
  if (dash == std::string_view::npos) return;
  const std::string_view tag = Trim(t.substr(0, dash)), value = Trim(t.substr(dash + 3));
  double v = -1;
  if (SameNoCase(tag, "DESCRIPTION"))
    SplitSampleId(value, found.title, found.sampleId);
  else if (SameNoCase(tag, "LIVE_TIME"))
    found.liveSeconds = Number(value, v) ? v : -1;
  else if (SameNoCase(tag, "REAL_TIME"))
    found.realSeconds = Number(value, v) ? v : -1;
  else if (SameNoCase(tag, "PRESET_TIME"))
    found.presetSeconds = Number(value, v) ? v : -1;
  else if (SameNoCase(tag, "START_TIME"))
    found.date = ParseDate(value);
}

}  // namespace

FileResult ReadPmca(std::string_view text, SpectrumData& into, int rebin) {
  Lines lines(text);
  Counts counts(into, rebin);
  Found found;
  constexpr int kPoints = 64;
  double channels[kPoints], energies[kPoints], kev = 1;
  int points = 0;
  Section section = Section::None;
  std::string_view line;
  while (lines.Next(line) && !counts.Failed()) {
    const std::string_view t = Trim(line);
    if (t.empty()) continue;
    if (t.starts_with("<<")) {
      if (StartsNoCase(t, "<<END>>")) break;
      section = SectionOf(t);
      continue;
    }
    std::string_view words[64];
    switch (section) {
      case Section::Header:
        HeaderLine(t, found);
        break;
      case Section::Calibration:
        if (StartsNoCase(t, "LABEL")) {
          kev = KevPerUnit(t.substr(t.find('-') == t.npos ? t.size() : t.find('-') + 1));
        } else if (points < kPoints && SplitWords(t, words, 64) == 2 &&
                   Number(words[0], channels[points]) && Number(words[1], energies[points])) {
          ++points;
        }
        break;
      case Section::Data: {
        const int n = SplitWords(t, words, 64);
        if (n < 0) counts.Refuse(lines.Number(), "more than 64 values on a line");
        for (int i = 0; i < n && counts.Add(words[i], lines.Number()); ++i) {
        }
        break;
      }
      case Section::None:
      case Section::Other:
        break;
    }
  }
  if (kev > 0) {
    found.calibration = FitLine(channels, energies, points);
    found.calibration.slope *= kev;
    found.calibration.offset *= kev;
  }
  return Finish(into, counts, found, rebin);
}

}  // namespace tavlex::textread
