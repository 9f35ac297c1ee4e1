// tavlex identify: the elements of a calibrated spectrum file, read as File -> Read does and
// identified as the window's "Identify" does.

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "analysis/Identify.h"
#include "cli/Cli.h"
#include "cli/Options.h"
#include "cli/Output.h"
#include "cli/Session.h"

namespace tavlex::cli {
namespace {

struct IdentifyOptions {
  std::vector<std::string> files;
  int anodeZ = 0;
  bool json = false;
};

int Parse(const Args& args, IdentifyOptions& o) {
  OptionParser parser("identify");
  parser.ReadsSpectra();
  parser.Value("--tube", "--tube needs the anode's element symbol, e.g. Rh",
               [&o](const std::string& v) { return (o.anodeZ = XrayZOfSymbol(v)) != 0; });
  parser.Flag("--json", o.json).Files(1, 1, "needs FILE");
  return parser.Parse(args, o.files);
}

std::string Symbol(int z) {
  const XrayElement* el = XrayElementByZ(z);
  return el != nullptr ? el->symbol : "?";
}

void PrintJson(const Identification& id) {
  std::vector<std::string> peaks, elements;
  char part[64];
  for (int i = 0; i < id.peakCount; ++i) {
    const IdentifiedPeak& p = id.peaks[i];
    std::vector<std::string> parts;
    for (int k = 0; k < p.partCount; ++k)
      parts.push_back(JsonString(PeakPartText(id, p.parts[k], part, sizeof part), Bytes::Latin1));
    JsonObject o;
    o.Number("energy_kev", p.peak.energyKeV, "%.4f")
        .Number("channel", p.peak.channel, "%.2f")
        .Number("net", p.peak.net, "%.1f")
        .Number("net_sigma", p.peak.netSigma, "%.1f")
        .Json("assignments", JsonArray(parts));
    peaks.push_back(o.Done());
  }
  for (int k = 0; k < id.elementCount; ++k) {
    const FoundElement& el = id.elements[k];
    std::vector<std::string> lines;
    for (int l = 0; l < el.lineCount; ++l)
      lines.push_back(JsonObject()
                          .Text("line", el.lines[l].label, Bytes::Latin1)
                          .Number("tabulated_kev", el.lines[l].tabulatedKeV, "%.4f")
                          .Number("measured_kev", el.lines[l].measuredKeV, "%.4f")
                          .Done());
    elements.push_back(JsonObject()
                           .Text("symbol", Symbol(el.z), Bytes::Latin1)
                           .Int("z", el.z)
                           .Text("families", el.families, Bytes::Latin1)
                           .Number("confidence", el.confidence, "%.2f")
                           .Json("lines", JsonArray(lines))
                           .Done());
  }
  std::printf("%s\n", JsonObject().Json("peaks", JsonArray(peaks)).Json("elements", JsonArray(elements)).Done().c_str());
}

}  // namespace

int Identify(const Args& args) {
  IdentifyOptions o;
  if (int status = Parse(args, o)) return status;
  Session session;
  if (!session.Read(o.files[0])) return kExitFailure;
  const char* why = nullptr;
  if (!XrayDataReady(&why)) {
    Complain(why);
    return kExitFailure;
  }
  auto id = std::make_unique<Identification>();
  if (!IdentifyDisplayed(session.State(), o.anodeZ, *id)) {
    Complain(o.files[0] + " is not energy calibrated: calibrate it first with 'tavlex calibrate'");
    return kExitFailure;
  }
  if (o.json) {
    PrintJson(*id);
    return kExitOk;
  }
  for (int i = 0; i < id->peakCount; ++i) std::printf("peak %s\n", IdentifiedPeakLine(*id, i).c_str());
  for (int k = 0; k < id->elementCount; ++k) std::printf("element %s\n", FoundElementLine(*id, k).c_str());
  return kExitOk;
}

}  // namespace tavlex::cli
