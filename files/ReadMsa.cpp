// The EMSA/MAS 1.0 reader: "#KEYWORD[-unit] : value" lines, then after #SPECTRUM the data as Y
// values (any number to a line, separated by commas or blanks) or as X, Y pairs, to
// #ENDOFDATA. Keywords are taken in any case; unknown ones are passed over.

#include <cmath>

#include "files/TextRead.h"

namespace tavlex::textread {
namespace {

struct Keyword {
  std::string_view name, value;
};

// "#LIVETIME  -s: 97.5" -> LIVETIME, "97.5". The unit after '-' is the one the format fixes.
Keyword Split(std::string_view line) {
  const std::size_t colon = line.find(':');
  std::string_view name = line.substr(1, colon == std::string_view::npos ? line.npos : colon - 1);
  name = Trim(name.substr(0, name.find('-')));
  const std::string_view value =
      colon == std::string_view::npos ? std::string_view{} : Trim(line.substr(colon + 1));
  return {name, value};
}

double Value(std::string_view text, double otherwise) {
  double v = 0;
  return Number(text, v) ? v : otherwise;
}

}  // namespace

FileResult ReadMsa(std::string_view text, SpectrumData& into, int rebin) {
  Lines lines(text);
  Counts counts(into, rebin);
  Found found;
  double perChannel = NAN, offset = 0, kev = 1;
  double firstX = NAN, lastX = NAN;
  bool xy = false, data = false;
  std::string date, time;
  std::string_view line;
  while (lines.Next(line) && !counts.Failed()) {
    const std::string_view t = Trim(line);
    if (t.empty()) continue;
    if (t[0] == '#') {
      const Keyword k = Split(t);
      if (SameNoCase(k.name, "ENDOFDATA")) break;
      if (SameNoCase(k.name, "SPECTRUM")) data = true;
      if (SameNoCase(k.name, "NPOINTS")) {
        const double n = Value(k.value, -1);
        if (n >= 0 && n < 1e9) found.declaredChannels = static_cast<int>(n);
      } else if (SameNoCase(k.name, "XPERCHAN")) {
        perChannel = Value(k.value, NAN);
      } else if (SameNoCase(k.name, "OFFSET")) {
        offset = Value(k.value, 0);
      } else if (SameNoCase(k.name, "XUNITS")) {
        kev = KevPerUnit(k.value);
      } else if (SameNoCase(k.name, "DATATYPE")) {
        xy = StartsNoCase(k.value, "XY");
      } else if (SameNoCase(k.name, "TITLE")) {
        found.title = k.value;
      } else if (SameNoCase(k.name, "DATE")) {
        date = k.value;
      } else if (SameNoCase(k.name, "TIME")) {
        time = k.value;
      } else if (SameNoCase(k.name, "LIVETIME")) {
        found.liveSeconds = Value(k.value, -1);
      } else if (SameNoCase(k.name, "REALTIME")) {
        found.realSeconds = Value(k.value, -1);
      } else if (SameNoCase(k.name, "COMMENT") && StartsNoCase(k.value, "Sample ID ")) {
        std::string title;
        SplitSampleId(k.value, title, found.sampleId);
      }
      continue;
    }
    if (!data) {
      counts.Refuse(lines.Number(), "data before #SPECTRUM");
      break;
    }
    std::string_view words[64];
    const int n = SplitWords(t, words, 64);
    if (n < 0) counts.Refuse(lines.Number(), "more than 64 values on a line");
    if (xy && n % 2 != 0) counts.Refuse(lines.Number(), "an X without its Y");
    for (int i = 0; i < n && !counts.Failed(); i += xy ? 2 : 1) {
      if (xy) {
        double x = 0;
        if (!Number(words[i], x)) counts.Refuse(lines.Number(), "not a number");
        if (std::isnan(firstX)) firstX = x;
        lastX = x;
      }
      counts.Add(words[xy ? i + 1 : i], lines.Number());
    }
  }
  // XY data without a step: the line through its first and last X.
  const double last = static_cast<double>(counts.Channels() - 1);
  if (std::isnan(perChannel) && xy && last > 0) {
    perChannel = (lastX - firstX) / last;
    offset = firstX;
  }
  if (!std::isnan(perChannel) && kev > 0 && perChannel != 0) {
    found.calibration.present = true;
    found.calibration.slope = perChannel * kev;
    found.calibration.offset = offset * kev;
  }
  if (!date.empty()) found.date = ParseDate(date + " " + time);
  return Finish(into, counts, found, rebin);
}

}  // namespace tavlex::textread
