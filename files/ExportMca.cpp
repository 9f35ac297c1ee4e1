// The PMCA spectrum text file that XRF programs read: "TAG - value" lines between
// <<PMCA SPECTRUM>> and <<DATA>>, a <<CALIBRATION>> of two channel-energy points when the
// spectrum is calibrated, the counts one to a line, and <<END>>. Texts are written as UTF-8.

#include "analysis/Calibration.h"
#include "files/ExportWriter.h"

namespace tavlex::exportfile {
namespace {

// A "<<" anywhere in a line reads as a section mark to some readers: a text keeps none.
LineText McaText(std::string_view latin1) {
  LineText t = MakeLineText(latin1, Charset::Utf8);
  for (int i = 0; i + 1 < t.size; ++i)
    if (t.text[i] == '<' && t.text[i + 1] == '<') t.text[i + 1] = ' ';
  return t;
}

}  // namespace

void WriteMca(LineWriter& out, const Spectrum& sp) {
  const LineText comment = McaText(sp.comment);
  const LineText sampleId = McaText(sp.sampleId);
  out.Line("<<PMCA SPECTRUM>>");
  out.Line("TAG - live_data");
  if (comment.size > 0 && sampleId.size > 0)
    out.Line("DESCRIPTION - %s; Sample ID %s", comment.text, sampleId.text);
  else if (sampleId.size > 0)
    out.Line("DESCRIPTION - Sample ID %s", sampleId.text);
  else
    out.Line("DESCRIPTION - %s", comment.text);
  // The preset ends a run on its real time.
  out.Line("LIVE_MODE - 0");
  out.Line("PRESET_TIME - %s", SecondsText(sp.presetTime).text);
  out.Line("LIVE_TIME - %s", SecondsText(sp.liveTime).text);
  out.Line("REAL_TIME - %s", SecondsText(sp.realTime).text);
  if (sp.hasDate) {
    const AcqDate& d = sp.date;
    out.Line("START_TIME - %02d/%02d/%04d %02d:%02d:%02d", d.month, d.day, d.year, d.hour, d.minute,
             d.second);
  }
  if (sp.calibrated) {
    // The line's two ends; a reader takes the straight line through them.
    const int last = sp.channels > 1 ? sp.channels - 1 : 1;
    const float lastEnergy = ChannelEnergy(static_cast<float>(last), sp.slope, sp.offset);
    out.Line("<<CALIBRATION>>");
    out.Line("LABEL - %s", McaText(sp.unit).text);
    out.Line("0 %s", ShortFloat(sp.offset).text);
    out.Line("%d %s", last, ShortFloat(lastEnergy).text);
  }
  out.Line("<<DATA>>");
  for (int c = 0; c < sp.channels; ++c) out.Line("%d", sp.counts[c]);
  out.Line("<<END>>");
}

}  // namespace tavlex::exportfile
