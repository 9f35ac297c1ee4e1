// The spectrum for spreadsheets: "channel,energy,counts" (or "channel,counts" without a
// calibration), one row per channel.

#include "analysis/Calibration.h"
#include "files/ExportWriter.h"

namespace tavlex::exportfile {

void WriteCsv(LineWriter& out, const Spectrum& sp) {
  if (!sp.calibrated) {
    out.Line("channel,counts");
    for (int c = 0; c < sp.channels; ++c) out.Line("%d,%d", c, sp.counts[c]);
    return;
  }
  out.Line("channel,energy,counts");
  for (int c = 0; c < sp.channels; ++c) {
    const float energy = ChannelEnergy(static_cast<float>(c), sp.slope, sp.offset);
    out.Line("%d,%s,%d", c, ShortFloat(energy).text, sp.counts[c]);
  }
}

}  // namespace tavlex::exportfile
