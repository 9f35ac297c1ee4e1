// tavlex fit: a spectrum file read as File -> Read does, a standards table loaded as Load Std
// does, and the spectrum fitted as MLSQ Fit does; the K-ratios as the standards editor shows them.

#include <QString>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include "app/Convert.h"
#include "cli/Cli.h"
#include "cli/Session.h"
#include "standards/Rada.h"
#include "standards/Smtxlib.h"

namespace tavlex::cli {
namespace {

struct FitOptions {
  std::string sample, table;
  bool json = false;
};

int Parse(const Args& args, FitOptions& o) {
  for (const std::string& a : args) {
    if (a == "--json") {
      o.json = true;
    } else if (!a.empty() && a[0] == '-') {
      return UsageError("fit", "unknown option " + a);
    } else if (o.sample.empty()) {
      o.sample = a;
    } else if (o.table.empty()) {
      o.table = a;
    } else {
      return UsageError("fit", "too many files named");
    }
  }
  if (o.table.empty()) return UsageError("fit", "needs SAMPLE.dat and TABLE.ref");
  return 0;
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

std::string JsonNumber(float v) {
  return std::isfinite(v) ? ShortestFloatText(v) : "null";
}

std::string JsonText(std::string_view latin1) {
  QString out = "\"";
  for (QChar c : QString::fromLatin1(latin1.data(), static_cast<qsizetype>(latin1.size()))) {
    if (c == '"' || c == '\\')
      out += QString('\\') + c;
    else if (c.unicode() < 0x20)
      out += QString::asprintf("\\u%04x", c.unicode());
    else
      out += c;
  }
  return (out + "\"").toUtf8().toStdString();
}

void Print(const TDmSMTX& dm, bool json) {
  if (json) std::printf("{\"standards\": [");
  for (int k = 0; k < dm.activeCount; ++k) {
    const int slot = dm.activeSlot[k];
    const StandardRecord& r = dm.table[slot];
    if (json) {
      std::printf(
          "%s{\"slot\": %d, \"element\": %s, \"k_ratio\": %s, \"k_ratio_error\": %s, "
          "\"wt_percent\": %s}",
          k ? ", " : "", slot, JsonText(r.ElementName()).c_str(), JsonNumber(r.KRatio()).c_str(),
          JsonNumber(r.KRatioError()).c_str(), JsonNumber(WtPercent(r)).c_str());
    } else {
      const QString element = QString::fromLatin1(r.ElementName().data(),
                                                  static_cast<qsizetype>(r.ElementName().size()));
      std::printf("%2d  %-7s %s  %9.2f\n", slot, element.toLocal8Bit().constData(),
                  KRatioText(r, false).c_str(), WtPercent(r));
    }
  }
  if (json) std::printf("]}\n");
}

}  // namespace

int Fit(const Args& args) {
  FitOptions o;
  if (int status = Parse(args, o)) return status;
  Session session;
  if (!session.Read(o.sample)) return kExitFailure;
  AppState& s = session.State();
  auto dm = std::make_unique<TDmSMTX>();
  const int n = dm->LoadStandardsFrom(o.table);
  if (LoadFailed(*dm, n, o.table)) return kExitFailure;
  ApplyLoadedStandards(s, session.Window(), *dm, n);
  const FitStatus status = FitDisplayedSpectrum(s, session.Window(), *dm);
  if (status == FitStatus::Singular) {
    Complain(
        "fit: the standards can't be told apart (singular fit): two alike, or one without "
        "signal in its range");
    return kExitFailure;
  }
  if (status != FitStatus::Fitted) {
    Complain(std::string("fit: ") + FitMessage(status));
    return kExitFailure;
  }
  Print(*dm, o.json);
  return kExitOk;
}

}  // namespace tavlex::cli
