// The IAEA SPE reader: blocks headed "$NAME:" (their first line may follow on the same line),
// the counts after $DATA's first and last channel, any number to a line, whole or with a
// decimal point ("9."). The calibration comes from $ENER_FIT (offset, slope) or else from
// $MCA_CAL (the number of coefficients, then the coefficients, a unit word after them allowed).

#include <climits>

#include "files/TextRead.h"

namespace tavlex::textread {
namespace {

struct Polynomial {
  double c[8] = {};
  int n = 0;
  double kev = 1;
};

// Coefficients from a line: numbers, then perhaps the unit.
void TakeCoefficients(std::string_view t, Polynomial& p) {
  std::string_view words[10];
  const int n = SplitWords(t, words, 10);
  p.n = 0;
  for (int i = 0; i < n && p.n < 8; ++i) {
    if (!Number(words[i], p.c[p.n])) {
      p.kev = KevPerUnit(words[i]);
      break;
    }
    ++p.n;
  }
}

Line LineOf(const Polynomial& p) {
  Line line;
  if (p.n < 2 || p.kev <= 0) return line;
  line.present = true;
  line.offset = p.c[0] * p.kev;
  line.slope = p.c[1] * p.kev;
  for (int i = 2; i < p.n; ++i)
    if (p.c[i] != 0) line.droppedTerms = true;
  return line;
}

}  // namespace

FileResult ReadSpe(std::string_view text, SpectrumData& into, int rebin) {
  Lines lines(text);
  Counts counts(into, rebin);
  Found found;
  Polynomial enerFit, mcaCal;
  std::string_view block;
  int row = 0;  // line within the block
  std::string_view line;
  while (lines.Next(line) && !counts.Failed()) {
    std::string_view t = Trim(line);
    if (t.starts_with('$')) {
      const std::size_t colon = t.find(':');
      block = Trim(t.substr(1, colon == t.npos ? t.npos : colon - 1));
      t = colon == t.npos ? std::string_view{} : Trim(t.substr(colon + 1));
      row = 0;
    }
    if (t.empty()) continue;
    const int at = row++;
    std::string_view words[64];
    if (SameNoCase(block, "SPEC_ID")) {
      if (at == 0) found.title = t;
    } else if (SameNoCase(block, "SPEC_REM")) {
      std::string title;
      if (StartsNoCase(t, "Sample ID ")) SplitSampleId(t, title, found.sampleId);
    } else if (SameNoCase(block, "DATE_MEA")) {
      if (at == 0) found.date = ParseDate(t);
    } else if (SameNoCase(block, "MEAS_TIM")) {
      if (at == 0 && SplitWords(t, words, 64) >= 2) {
        if (!Number(words[0], found.liveSeconds)) found.liveSeconds = -1;
        if (!Number(words[1], found.realSeconds)) found.realSeconds = -1;
      }
    } else if (SameNoCase(block, "DATA") && at == 0) {
      double first = 0, last = 0;
      if (SplitWords(t, words, 64) != 2 || !Number(words[0], first) || !Number(words[1], last) ||
          first < 0 || last < first || last >= INT_MAX) {
        counts.Refuse(lines.Number(), "no first and last channel");
        break;
      }
      // Channels before the first one are empty; the calibration counts from channel 0.
      counts.Skip(static_cast<std::int64_t>(first));
      found.declaredChannels = static_cast<int>(last) + 1;
    } else if (SameNoCase(block, "DATA")) {
      const int n = SplitWords(t, words, 64);
      if (n < 0) counts.Refuse(lines.Number(), "more than 64 values on a line");
      for (int i = 0; i < n && counts.Add(words[i], lines.Number()); ++i) {
      }
    } else if (SameNoCase(block, "ENER_FIT")) {
      if (at == 0) TakeCoefficients(t, enerFit);
    } else if (SameNoCase(block, "MCA_CAL")) {
      if (at == 1) TakeCoefficients(t, mcaCal);
    }
  }
  found.calibration = enerFit.n >= 2 ? LineOf(enerFit) : LineOf(mcaCal);
  return Finish(into, counts, found, rebin);
}

}  // namespace tavlex::textread
