#pragma once
// What the readers of other programs' text spectra share: the lines of the file, numbers and
// texts as those files write them, the counts binned as they arrive, and the spectrum made from
// what a reader found (calibration, times, date, texts), padded or refused by one rule.

#include <cstdint>
#include <string>
#include <string_view>

#include "app/AcqDate.h"
#include "files/SpectrumFile.h"

namespace tavlex::textread {

// The lines of a file's text: a UTF-8 byte order mark skipped; CR LF, LF or a lone CR end a
// line; numbered from 1.
class Lines {
 public:
  explicit Lines(std::string_view text);
  // The next line without its end; false after the last.
  bool Next(std::string_view& line);
  int Number() const { return number_; }

 private:
  std::string_view rest_;
  int number_ = 0;
};

std::string_view Trim(std::string_view text);
bool SameNoCase(std::string_view a, std::string_view b);
bool StartsNoCase(std::string_view text, std::string_view prefix);
// The words of a line, split at blanks, tabs, commas and semicolons (empty words dropped).
// Returns how many were put in `words` (at most `capacity`; -1 when there were more).
int SplitWords(std::string_view line, std::string_view* words, int capacity);
// The same at the separators given only.
int SplitAt(std::string_view line, std::string_view separators, std::string_view* words,
            int capacity);
// A number as these files write it ("12", "9.", "1.5e3", "-0.2"); nothing else on the text.
bool Number(std::string_view text, double& out);

// A calibration as a file holds it, reduced to this program's line: energy in keV = channel x
// slope + offset.
struct Line {
  bool present = false;
  double slope = 0, offset = 0;
  bool droppedTerms = false;  // the file's own curve had more than a line
};
// keV per unit of a unit text ("eV" 0.001, "keV" 1); 0 for a unit that is no energy
// ("channel"). An empty text is taken as keV.
double KevPerUnit(std::string_view unit);
// The least-squares line through channel-energy points (two points: the line through both).
// No line from fewer than two distinct channels. `droppedTerms` when the points leave the line
// by more than a part in a thousand of the energy range.
Line FitLine(const double* channels, const double* energies, int n);

// What a reader found besides the counts.
struct Found {
  Line calibration;
  double liveSeconds = -1, realSeconds = -1, presetSeconds = -1;  // -1: not in the file
  AcqDate date;                                                   // all zero: none
  std::string title, sampleId;  // as the file has them (UTF-8 or 8-bit)
  int declaredChannels = -1;    // the channel count the file states, if it states one
};

// Parses "Sample ID xyz" or "TEXT; Sample ID xyz" (how the exports carry both texts in one).
void SplitSampleId(std::string_view text, std::string& title, std::string& sampleId);
// A date and time in any of the usual orders: "MM/DD/YYYY hh:mm:ss", "YYYY/MM/DD hh:mm",
// "YYYY-MM-DD hh:mm:ss", "DD-MMM-YYYY" (month by name); seconds and time may be absent.
// An invalid date gives all zero.
AcqDate ParseDate(std::string_view text);

// Where counts go as they are read: rounded, refused when negative or no number, added into
// bins of `rebin` channels, and counted on beyond what the buffer keeps so that a refusal can
// say how many channels the file has.
class Counts {
 public:
  Counts(SpectrumData& into, int rebin);
  // The next channel's value from `text` on line `line`; false (and Failed()) when refused.
  bool Add(std::string_view text, int line);
  bool Add(double value, int line);
  // Channels before the first value (a file whose data starts at a later channel).
  void Skip(std::int64_t channels);
  std::int64_t Channels() const { return channels_; }
  bool Failed() const { return !failure_.ok(); }
  const FileResult& Failure() const { return failure_; }
  // Refuses the read for line `line` with a reason.
  void Refuse(int line, const char* why);

 private:
  SpectrumData& into_;
  int rebin_;
  std::int64_t channels_ = 0;
  FileResult failure_;
};

// The spectrum from what was read: the channel count checked (binned, padded to the next size
// the program holds, or refused above 4096 with the count and the factor that would fit), the
// header made from `found`. A note in the result says what was changed.
FileResult Finish(SpectrumData& into, const Counts& counts, const Found& found, int rebin);

// The text of a header field in the header's 8-bit characters: UTF-8 turned into Latin-1 where it
// is valid UTF-8 ('?' for what Latin-1 lacks), cut to 31 characters.
std::string HeaderText(std::string_view text);

}  // namespace tavlex::textread

namespace tavlex::textread {

// One reader per format, beside its writer: the file's whole text in, the spectrum out.
FileResult ReadMsa(std::string_view text, SpectrumData& into, int rebin);
FileResult ReadPmca(std::string_view text, SpectrumData& into, int rebin);
FileResult ReadSpe(std::string_view text, SpectrumData& into, int rebin);
// Columns of numbers: counts alone (the plain .mca), channel and counts, energy and counts, or
// channel, energy and counts; a header line and '#' comment lines are passed over.
FileResult ReadColumns(std::string_view text, SpectrumData& into, int rebin);

}  // namespace tavlex::textread
