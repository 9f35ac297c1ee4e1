// The reader of spectra as columns of numbers: counts alone (one to a line, as the plain .mca
// has them), channel and counts, energy and counts, or channel, energy and counts; separated by
// commas, semicolons, tabs or blanks. Lines starting with '#' are comments; lines of words before
// the first row of numbers are headers, the last of which names the columns. With semicolons
// as separators a comma is a decimal point.

#include <cmath>
#include <string>

#include "files/TextRead.h"

namespace tavlex::textread {
namespace {

struct Roles {
  int channel = -1, energy = -1, counts = -1;
  double kev = 1;
};

bool Names(std::string_view word, std::initializer_list<std::string_view> parts) {
  for (std::string_view p : parts)
    for (std::size_t i = 0; i + p.size() <= word.size(); ++i)
      if (SameNoCase(word.substr(i, p.size()), p)) return true;
  return false;
}

// The columns' roles from a header's names, else from their number.
Roles RolesOf(int columns, const std::string& header, bool energyFirst) {
  Roles r;
  std::string_view names[4];
  // Names may hold blanks ("Energy (keV)") where another separator parts them.
  const bool blanks = header.find_first_of(",;\t") == std::string::npos;
  if (!header.empty() && SplitAt(header, blanks ? " " : ",;\t", names, 4) == columns) {
    for (int i = 0; i < columns; ++i) {
      if (Names(names[i], {"count", "cts", "intens"})) {
        r.counts = i;
      } else if (Names(names[i], {"energ", "ev"})) {
        r.energy = i;
        r.kev = KevPerUnit(names[i]);
      } else if (Names(names[i], {"chan"})) {
        r.channel = i;
      }
    }
    if (r.counts >= 0) return r;
    r = Roles{};
  }
  r.counts = columns - 1;
  if (columns == 3) r.channel = 0, r.energy = 1;
  if (columns == 2) (energyFirst ? r.energy : r.channel) = 0;
  return r;
}

}  // namespace

FileResult ReadColumns(std::string_view text, SpectrumData& into, int rebin) {
  Lines lines(text);
  Counts counts(into, rebin);
  Found found;
  std::string header, row;
  int columns = 0, countsColumn = 0;
  bool semicolons = false, decided = false, wholeFirst = true;
  double first[3] = {}, last[3] = {};  // the first and the last row's numbers
  std::string_view line;
  while (lines.Next(line) && !counts.Failed()) {
    const std::string_view t = Trim(line);
    if (t.empty() || t.starts_with('#')) continue;
    if (!decided) semicolons = t.find(';') != t.npos, decided = true;
    row = t;
    if (semicolons)
      for (char& c : row)
        if (c == ',') c = '.';
    std::string_view words[8];
    const int n = SplitWords(row, words, 8);
    double v[8] = {};
    bool numbers = n > 0;
    for (int i = 0; i < n && numbers; ++i) numbers = Number(words[i], v[i]);
    if (columns == 0 && !numbers) {
      header = row;  // a title or the columns' names
      continue;
    }
    if (!numbers || n > 3 || (columns != 0 && n != columns)) {
      counts.Refuse(lines.Number(), n > 3 || n < 0 ? "more than three columns"
                                    : numbers      ? "a row of another number of columns"
                                                   : "not a number");
      break;
    }
    if (columns == 0) {
      columns = n;
      countsColumn = RolesOf(n, header, false).counts;
      std::copy(v, v + 3, first);
    }
    std::copy(v, v + 3, last);
    if (v[0] != std::floor(v[0])) wholeFirst = false;
    counts.Add(v[countsColumn], lines.Number());
  }
  const Roles roles = RolesOf(columns, header, !wholeFirst);
  const double span = static_cast<double>(counts.Channels() - 1);
  if (roles.energy >= 0 && span > 0 && roles.kev > 0) {
    // The line through the first and the last row: the channel's energy as the file gives it.
    const double channels[2] = {0, span};
    const double energies[2] = {first[roles.energy] * roles.kev, last[roles.energy] * roles.kev};
    found.calibration = FitLine(channels, energies, 2);
  }
  return Finish(into, counts, found, rebin);
}

}  // namespace tavlex::textread
