// The IAEA SPE text file read by gamma and XRF analysis programs: blocks headed "$NAME:" on a
// line of their own, the counts one to a line after the first and last channel. Texts are
// written as UTF-8.

#include "files/ExportWriter.h"

namespace tavlex::exportfile {
namespace {

// A line starting with '$' would begin a new block: a text never does.
LineText SpeText(std::string_view latin1) {
  LineText t = MakeLineText(latin1, Charset::Utf8);
  int i = 0;
  while (i < t.size && t.text[i] == ' ') ++i;
  if (i < t.size && t.text[i] == '$') t.text[i] = '?';
  return t;
}

}  // namespace

void WriteSpe(LineWriter& out, const Spectrum& sp) {
  const LineText sampleId = SpeText(sp.sampleId);
  out.Line("$SPEC_ID:");
  out.Line("%s", SpeText(sp.comment).text);
  if (sampleId.size > 0) {
    out.Line("$SPEC_REM:");
    out.Line("Sample ID %s", sampleId.text);
  }
  if (sp.hasDate) {
    const AcqDate& d = sp.date;
    out.Line("$DATE_MEA:");
    out.Line("%02d/%02d/%04d %02d:%02d:%02d", d.month, d.day, d.year, d.hour, d.minute, d.second);
  }
  out.Line("$MEAS_TIM:");
  out.Line("%s %s", SecondsText(sp.liveTime).text, SecondsText(sp.realTime).text);
  out.Line("$DATA:");
  out.Line("0 %d", sp.channels - 1);
  for (int c = 0; c < sp.channels; ++c) out.Line("%d", sp.counts[c]);
  if (sp.calibrated) {
    const FloatText offset = ShortFloat(sp.offset), slope = ShortFloat(sp.slope);
    out.Line("$ENER_FIT:");
    out.Line("%s %s", offset.text, slope.text);
    // The polynomial form as well, for readers that take only this block. No unit after the
    // coefficients: some readers take every word of the line as a number.
    out.Line("$MCA_CAL:");
    out.Line("2");
    out.Line("%s %s", offset.text, slope.text);
  }
}

}  // namespace tavlex::exportfile
