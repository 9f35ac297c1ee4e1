// The EMSA/MAS spectral data file, version 1.0: keyword lines "#KEYWORD : value", then the
// counts one to a line (a single Y column). The format is plain ASCII.

#include "files/ExportWriter.h"

namespace tavlex::exportfile {
namespace {

constexpr const char* kMonths[12] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                     "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

// Readers split a keyword line at the first ": ", some at every one: a text keeps none.
LineText MsaText(std::string_view latin1) {
  LineText t = MakeLineText(latin1, Charset::Ascii);
  for (int i = 0; i + 1 < t.size; ++i)
    if (t.text[i] == ':' && t.text[i + 1] == ' ') t.text[i] = ';';
  return t;
}

}  // namespace

void WriteMsa(LineWriter& out, const Spectrum& sp) {
  const LineText title = MsaText(sp.comment);
  const LineText sampleId = MsaText(sp.sampleId);
  const LineText unit = MsaText(sp.unit);
  out.Line("#FORMAT      : EMSA/MAS Spectral Data File");
  out.Line("#VERSION     : 1.0");
  out.Line("#TITLE       : %s", title.text);
  if (sp.hasDate) {
    const AcqDate& d = sp.date;
    out.Line("#DATE        : %02d-%s-%04d", d.day, kMonths[d.month - 1], d.year);
    out.Line("#TIME        : %02d:%02d", d.hour, d.minute);
  } else {
    out.Line("#DATE        : ");
    out.Line("#TIME        : ");
  }
  out.Line("#OWNER       : ");
  out.Line("#NPOINTS     : %d", sp.channels);
  out.Line("#NCOLUMNS    : 1");
  out.Line("#XUNITS      : %s", sp.calibrated ? unit.text : "channel");
  out.Line("#YUNITS      : counts");
  out.Line("#DATATYPE    : Y");
  out.Line("#XPERCHAN    : %s", sp.calibrated ? ShortFloat(sp.slope).text : "1");
  out.Line("#OFFSET      : %s", sp.calibrated ? ShortFloat(sp.offset).text : "0");
  out.Line("#SIGNALTYPE  : EDS");
  out.Line("#LIVETIME  -s: %s", SecondsText(sp.liveTime).text);
  out.Line("#REALTIME  -s: %s", SecondsText(sp.realTime).text);
  if (sampleId.size > 0) out.Line("#COMMENT     : Sample ID %s", sampleId.text);
  out.Line("#SPECTRUM    : Spectral Data Starts Here");
  for (int c = 0; c < sp.channels; ++c) out.Line("%d", sp.counts[c]);
  out.Line("#ENDOFDATA   : End Of Data and File");
}

}  // namespace tavlex::exportfile
