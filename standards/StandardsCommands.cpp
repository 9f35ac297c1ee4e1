// The "Rada" page's commands without widgets (window definition unit Rada).

#include "standards/StandardsCommands.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>

#include "app/Convert.h"
#include "files/SpectrumFile.h"

namespace tavlex {

int AddStandardFromRoi(const AppState& s, MainWindowPort& window, TDmSMTX& dm) {
  const int r = s.currentRoi;
  if (r < 0 || r >= kStandardSlots) return -1;
  const std::string_view file(s.dataFileName);
  if (file.size() >= stdrec::kSpecFileNameSize) {
    window.SetText(Field::Edit1, stdtext::kNameTooLong);
    return -1;
  }
  if (file.empty() || file == stdtext::kAnalyserSlotName) {
    window.SetText(Field::Edit1, stdtext::kSaveFirst);
    return -1;
  }
  const RoiRecord& roi = s.roiTable[r];
  StandardRecord& slot = dm.table[r];
  slot.SetFitOn(1);
  slot.SetRoiLow(roi.low);
  slot.SetRoiHigh(roi.high);
  // The region's label holds at most 7 characters, as the record does.
  slot.SetElementName(std::string_view(roi.label, strnlen(roi.label, sizeof roi.label)));
  slot.SetSpecFileName(file);
  window.SetText(Field::Edit1, "");
  return r;
}

int LoadStandardsIntoRois(AppState& s, MainWindowPort& window, TDmSMTX& dm) {
  return ApplyLoadedStandards(s, window, dm, dm.LoadStandards());
}

int ApplyLoadedStandards(AppState& s, MainWindowPort& window, const TDmSMTX& dm, int n) {
  if (dm.LastLoadStatus() == LoadStatus::CannotReadSpectrum) {
    const std::string_view file = dm.activeStandards[dm.FailedStandard()].SpecFileName();
    window.SetText(Field::Edit1, "Error ! Std File " + std::string(file));
    return 0;
  }
  window.SetText(Field::Edit1, Format("%d", n));
  if (n == 0) return 0;
  s.standardsLoaded = 1;
  // Each standard goes to the region of its own slot's number, where Add Std took it from.
  for (int k = 0; k < n; ++k) {
    const int slot = dm.activeSlot[k];
    const StandardRecord& r = dm.table[slot];
    RoiRecord& roi = s.roiTable[slot];
    roi.defined = 1;
    roi.shown = 0;
    CopyText(roi.label, sizeof roi.label, r.ElementName());
    roi.low = r.RoiLow();
    roi.high = r.RoiHigh();
    roi.colour = 0xFF0000;
    s.currentRoi = slot;
  }
  return n;
}

FitStatus FitDisplayedSpectrum(const AppState& s, MainWindowPort& window, TDmSMTX& dm) {
  const int n = std::clamp(s.channelSize, 0, kMaxChannels);
  std::copy_n(s.spectrumCounts, n, dm.sampleCounts);
  // The filters look past the end of a shorter spectrum: no channel of an earlier one may remain.
  std::fill(dm.sampleCounts + n, dm.sampleCounts + kMaxChannels, 0);
  dm.sampleChannels = n;
  dm.sampleLiveTime = s.liveTime;
  const std::string before = window.Text(Field::Edit1);
  const FitStatus status = dm.RunMlsqFit(s.standardsLoaded == 1);
  // What was said while the table dialog was open (a lost link) is news, not a stale error.
  if (status == FitStatus::Fitted && window.Text(Field::Edit1) == before)
    window.SetText(Field::Edit1, dm.LiveTimesUsed() ? "" : stdtext::kCountsCompared);
  else if (const std::string m = FitMessage(status, dm); !m.empty())
    window.SetText(Field::Edit1, m);
  return status;
}

std::string FitMessage(FitStatus status, const TDmSMTX& dm) {
  const int k = std::max(dm.FaultStandard(), 0);
  switch (status) {
    case FitStatus::LoadFailed:
      return stdtext::kLoadFailed;
    case FitStatus::NoSample:
      return stdtext::kNoSample;
    case FitStatus::Singular:
      return stdtext::kSingular;
    case FitStatus::SampleNegative:
      return stdtext::kSampleNegative;
    case FitStatus::ChannelMismatch:
      return Format("Error ! MLSQ %dch Std %dch", dm.sampleChannels, dm.referenceChannels[k]);
    case FitStatus::RangePastSample:
      return Format("Error ! MLSQ Range > %dch", dm.sampleChannels);
    case FitStatus::Fitted:
    case FitStatus::NoStandards:
    case FitStatus::LoadCancelled:
      break;
  }
  return "";
}

SaveStatus SaveStandardsTable(MainWindowPort& window, TDmSMTX& dm) {
  const SaveStatus status = dm.SaveStandards();
  if (status == SaveStatus::Failed) window.SetText(Field::Edit1, filetext::kWriteError);
  if (status == SaveStatus::Saved) window.SetText(Field::Edit1, "");
  return status;
}

bool FitShowsEditor(FitStatus status) {
  return status == FitStatus::Fitted || status == FitStatus::NoStandards;
}

std::string CfText(const StandardRecord& r) {
  return Format("%8.3f", r.Cf());
}

std::string KRatioText(const StandardRecord& r, bool wtPercent) {
  if (wtPercent) return Format("%9.2f  +/-%9.3f", r.KRatio() * r.Cf(), r.KRatioError() * r.Cf());
  return Format("%9.2f  +/-%9.3f", r.KRatio(), r.KRatioError());
}

float WtPercent(const StandardRecord& r) {
  return r.KRatio() * r.Cf();
}

bool TakesWtPercent(const StandardRecord& r) {
  // Before any fit kRatio is 0: there is no cf to derive, and a later fit of another sample
  // must not pick up a value typed for this standard.
  return r.KRatio() != 0.0f;
}

bool StoreWtPercent(StandardRecord& r, std::string_view text) {
  double value = 0;
  if (!TakesWtPercent(r)) return false;
  // A number beyond single precision is not one the record can hold.
  if (!TryStrToFloat(text, value) || !(std::fabs(value) <= FLT_MAX)) return false;
  r.SetChemWtPercent(static_cast<float>(value));
  r.SetCf(r.ChemWtPercent() / r.KRatio());
  return true;
}

}  // namespace tavlex
