// tavlex fit: a spectrum file read as File -> Read does, a standards table loaded as Load Std
// does, and the spectrum fitted as MLSQ Fit does; the K-ratios as the standards editor shows them.

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "cli/Options.h"
#include "cli/Output.h"
#include "cli/Session.h"
#include "standards/StandardsCommands.h"
#include "standards/StandardsTable.h"

namespace tavlex::cli {
namespace {

struct FitOptions {
  std::vector<std::string> files;  // SAMPLE.dat, TABLE.ref
  bool json = false;
};

int Parse(const Args& args, FitOptions& o) {
  return OptionParser("fit")
      .ReadsSpectra()
      .Flag("--json", o.json)
      .Files(2, 2, "needs SAMPLE.dat and TABLE.ref")
      .Parse(args, o.files);
}

// Says why the table gave no standards; false when it did.
bool LoadFailed(const TDmSMTX& dm, int n, const std::string& table) {
  switch (dm.LastLoadStatus()) {
    case LoadStatus::CannotOpenTable:
      Complain(table + ": cannot open the standards table");
      return true;
    case LoadStatus::CannotReadSpectrum: {
      const int k = dm.FailedStandard();
      const std::string file(dm.activeStandards[k].SpecFileName());
      Complain(dm.tableDirectory + file + ": cannot read the spectrum of the standard in slot " +
               std::to_string(dm.activeSlot[k]));
      return true;
    }
    case LoadStatus::Loaded:
    case LoadStatus::Cancelled:
      break;
  }
  if (n == 0) {
    Complain(table + ": no standard of the table takes part in the fit");
    return true;
  }
  return false;
}

std::string FitReason(FitStatus status, const TDmSMTX& dm) {
  const int k = std::max(dm.FaultStandard(), 0);
  const std::string slot = "the standard in slot " + std::to_string(dm.activeSlot[k]);
  switch (status) {
    case FitStatus::Singular:
      return "fit: the standards can't be told apart (singular fit): two alike, or one without "
             "signal in its range";
    case FitStatus::SampleNegative:
      return "fit: the sample holds negative counts";
    case FitStatus::ChannelMismatch:
      return "fit: the sample has " + std::to_string(dm.sampleChannels) + " channels, " + slot +
             " " + std::to_string(dm.referenceChannels[k]);
    case FitStatus::RangePastSample:
      return "fit: the range of " + slot + " ends at channel " +
             std::to_string(dm.activeStandards[k].RoiHigh()) + ", past the sample's " +
             std::to_string(dm.sampleChannels) + " channels";
    default:
      return "fit: " + FitMessage(status, dm);
  }
}

void Print(const TDmSMTX& dm, bool json) {
  std::vector<std::string> standards;
  for (int k = 0; k < dm.activeCount; ++k) {
    const int slot = dm.activeSlot[k];
    const StandardRecord& r = dm.table[slot];
    if (json) {
      standards.push_back(JsonObject()
                              .Int("slot", slot)
                              .Text("element", r.ElementName(), Bytes::Latin1)
                              .Number("k_ratio", r.KRatio())
                              .Number("k_ratio_error", r.KRatioError())
                              .Number("k_ratio_error_total", dm.fitErrorsTotal[k])
                              .Number("wt_percent", WtPercent(r))
                              .Done());
    } else {
      // A label's control characters escaped as info escapes them: one standard, one line.
      std::printf("%2d  %-7s %s  %9.2f\n", slot, LineText(r.ElementName(), Bytes::Latin1).c_str(),
                  KRatioText(r, false).c_str(), WtPercent(r));
    }
  }
  if (json)
    std::printf("%s\n", JsonObject().Json("standards", JsonArray(standards)).Done().c_str());
}

}  // namespace

int Fit(const Args& args) {
  FitOptions o;
  if (int status = Parse(args, o)) return status;
  Session session;
  const std::string &sample = o.files[0], &table = o.files[1];
  if (!session.Read(sample)) return kExitFailure;
  AppState& s = session.State();
  auto dm = std::make_unique<TDmSMTX>();
  const int n = dm->LoadStandardsFrom(table);
  if (LoadFailed(*dm, n, table)) return kExitFailure;
  ApplyLoadedStandards(s, session.Window(), *dm, n);
  const FitStatus status = FitDisplayedSpectrum(s, session.Window(), *dm);
  if (status != FitStatus::Fitted) {
    Complain(FitReason(status, *dm));
    return kExitFailure;
  }
  if (!dm->LiveTimesUsed())
    Complain("fit: a live time is 0 in the sample or a standard: counts compared, not rates");
  Print(*dm, o.json);
  return kExitOk;
}

}  // namespace tavlex::cli
