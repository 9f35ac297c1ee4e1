#pragma once
// The standards data module TDmSMTX (window definition unit Smtxlib): the table of sixteen
// reference standards, the active list built by a load, the filtered reference spectra and the fit
// state. Fixed in size, allocated once.

#include <QIODevice>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "app/Records.h"
#include "standards/StandardRecord.h"

namespace tavlex {

inline constexpr int kStandardSlots = 16;
inline constexpr int kRefFileSize = kStandardSlots * static_cast<int>(StandardRecord::kSize);

// The two file dialogs of the data module.
enum class StdDialog { Open, Save };
// Shows a dialog and gives the chosen path (8-bit, as the records hold it), or nothing when the
// operator cancelled. The window installs one; without it every dialog counts as cancelled.
using StdPathChooser = std::function<std::optional<std::string>(StdDialog)>;

// How the last load ended, for the messages of the commands that trigger it.
enum class LoadStatus {
  Loaded,              // table read, every active standard's spectrum read and filtered
  Cancelled,           // the dialog was cancelled: nothing changed
  CannotOpenTable,     // the table file could not be opened: only tableLabel changed
  CannotReadSpectrum,  // an active standard's spectrum file is missing or refused by its checks
};

// How a fit ended. Only Fitted writes K-ratios. Singular is the standards' fault; the sample's
// own faults have their own values.
enum class FitStatus {
  Fitted,
  NoSample,
  NoStandards,
  LoadFailed,
  LoadCancelled,
  Singular,
  ChannelMismatch,  // the sample and a standard differ in channels (FaultStandard())
  SampleNegative,   // the sample holds negative counts
  RangePastSample,  // a standard's range ends past the sample's last channel (FaultStandard())
};

// How a table save ended.
enum class SaveStatus { Saved, Cancelled, Failed };

// The top-hat filter over a 4096-entry count array, n outputs (0 to 4096). Outputs whose window
// would reach past channel 4095 are set to 0, and so are the entries of out from n to 4095.
void FilterSpectrum(const std::int32_t* counts, int n, double* out, int sideWidth = 8,
                    int centreWidth = 16);
// The variance of the filtered values: the same window with squared weights, one channel later.
void FilterVariance(const std::int32_t* counts, int n, double* out, int sideWidth = 8,
                    int centreWidth = 16);
// The transpose of FilterSpectrum: in[i] = sum over outputs j < n of weight(i, j) x g[j], with the
// same windows, so that sum g x FilterSpectrum(c) = sum in x c for any c. in is 4096 entries.
void FilterSpectrumTranspose(const double* g, int n, double* in, int sideWidth = 8,
                             int centreWidth = 16);

class TDmSMTX {
 public:
  // File dialogs owned by the data module (filter, default extension).
  static constexpr const char* kOpenDialogFilter =
      "Std Reference(*.ref)|*.ref|MCA Data(*.dat)|*.dat";
  static constexpr const char* kOpenDialogDefaultExt = "dat";
  static constexpr const char* kNewTableLabel = " [ New File  ]";

  TDmSMTX() { DataModuleCreate(); }

  // The initial state: sixteen empty slots, the label of a new table, no active standards.
  void DataModuleCreate();

  void SetPathChooser(StdPathChooser chooser) { chooser_ = std::move(chooser); }

  // Asks for a table file and loads it with its spectra. Returns activeCount, or 0 when the
  // dialog was cancelled (nothing changes), a file could not be opened or nothing is active.
  int LoadStandards();
  // The same without the dialog, for the command line and the tests.
  int LoadStandardsFrom(std::string_view path);
  LoadStatus LastLoadStatus() const { return lastLoad_; }
  // The active standard whose spectrum file stopped the last load, or -1.
  int FailedStandard() const { return failedStandard_; }
  // A load that failed leaves the reference spectra of no table: no fit until a load succeeds.
  bool ReferencesUsable() const { return !loadFailed_; }
  // The active standard a fit stopped at (ChannelMismatch, RangePastSample), or -1.
  int FaultStandard() const { return faultStandard_; }
  // Whether the last fit compared count rates: false when a live time was 0 and counts were
  // compared instead.
  bool LiveTimesUsed() const { return liveTimesUsed_; }

  // Asks for a file name and writes the table; a failed write keeps the file that was there. A
  // name without an extension gets ".ref", so that Load Std's filter lists it.
  SaveStatus SaveStandards();
  bool SaveStandardsTo(std::string_view path);

  // Reads up to 16 records from `in` into the slots, as far as the input reaches; a record that is
  // cut off is overwritten only up to the end of the input. Returns the bytes read.
  std::int64_t ReadTable(QIODevice& in);
  // Builds activeStandards, activeSlot and activeCount from the records whose fitOn is 1.
  void BuildActiveList();

  // The fit of sampleCounts (sampleChannels) on the active standards. With loaded false the table
  // is loaded first through the dialog, and a load that gives no standard stops the fit.
  FitStatus RunMlsqFit(bool loaded);

  StandardRecord table[kStandardSlots];
  std::string tableLabel;
  std::string tableDirectory;  // directory part of the last table chosen, with its separator
  StandardRecord activeStandards[kStandardSlots];
  int activeSlot[kStandardSlots] = {};
  int activeCount = 0;
  double referenceSpectra[kStandardSlots][kMaxChannels] = {};
  // Of each active standard as its file holds it: the counts, their number and the live time
  // (0.1 s), for the live-time scaling and the counting noise of the standards.
  std::int32_t referenceCounts[kStandardSlots][kMaxChannels] = {};
  int referenceChannels[kStandardSlots] = {};
  int referenceLiveTime[kStandardSlots] = {};
  int filterSideWidth = 8;
  int filterCentreWidth = 16;
  std::int32_t scratchCounts[kMaxChannels] = {};
  double scratchFiltered[kMaxChannels] = {};

  // Fit state
  std::int32_t sampleCounts[kMaxChannels] = {};
  std::int32_t sampleChannels = 0;
  std::int32_t sampleLiveTime = 0;  // 0.1 s; 0 when unknown
  double sampleFiltered[kMaxChannels] = {};
  double sampleVariance[kMaxChannels] = {};
  double normalMatrix[kStandardSlots][2 * kStandardSlots] = {};
  double rightHandSide[kStandardSlots] = {};
  double fitCoefficients[kStandardSlots] = {};
  double fitErrors[kStandardSlots] = {};
  // Uncertainty in per cent (three standard deviations) with the counting noise of the sample
  // and of every standard, propagated through the solution.
  double fitErrorsTotal[kStandardSlots] = {};
  double referenceScale[kStandardSlots] = {};  // sample live time / standard live time, or 1

 private:
  int ReadReference(int k, std::string_view path);
  void BuildNormalEquations(int m, const int* lo, const int* hi);
  bool InvertNormalMatrix(int m);
  double& Variance(int j);
  FitStatus CheckSample(int channels, int m);
  void ScaleByLiveTime(int m);
  void PropagateCountingNoise(int m, const int* lo, const int* hi);

  StdPathChooser chooser_;
  LoadStatus lastLoad_ = LoadStatus::Cancelled;
  bool loadFailed_ = false;
  int failedStandard_ = -1;
  int faultStandard_ = -1;
  bool liveTimesUsed_ = true;
  double originalDiagonal_[kStandardSlots] = {};
  // Scratch of the noise propagation: a weight per filtered channel and its transpose.
  double noiseWeights_[kMaxChannels] = {};
  double noiseOnCounts_[kMaxChannels] = {};
};

// The directory part of a table path (up to and including its last '\\' or '/') and the name
// after it.
void SplitTablePath(std::string_view path, std::string& directory, std::string& name);

}  // namespace tavlex
