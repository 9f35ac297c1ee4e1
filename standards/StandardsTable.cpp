// The standards data module TDmSMTX (window definition unit Smtxlib).

#include "standards/StandardsTable.h"

#include <QFile>
#include <algorithm>
#include <cstring>

#include "files/FileAccess.h"
#include "files/SpectrumFile.h"

namespace tavlex {
namespace {

void MakeEmptySlot(StandardRecord& r) {
  r.Clear();
  std::memcpy(r.data() + stdrec::kSpecFileName, "       ", 8);  // seven spaces and a NUL
  std::memcpy(r.data() + stdrec::kElementName, "     ", 6);     // five spaces and a NUL
  r.SetFitOn(0);
  r.SetCf(1.0f);
  r.SetChemWtPercent(0.0f);
}

}  // namespace

void SplitTablePath(std::string_view path, std::string& directory, std::string& name) {
  // A path picked here has the platform's separator, one typed on Windows a backslash.
  const std::size_t cut = path.find_last_of("\\/");
  if (cut == std::string_view::npos) {
    directory.clear();
    name = path;
    return;
  }
  directory = path.substr(0, cut + 1);
  name = path.substr(cut + 1);
}

void TDmSMTX::DataModuleCreate() {
  for (int i = 0; i < kStandardSlots; ++i) {
    MakeEmptySlot(table[i]);
    activeStandards[i].SetFitOn(0);
    activeStandards[i].SetCf(1.0f);
    activeStandards[i].SetChemWtPercent(0.0f);
    activeSlot[i] = 0;
  }
  tableLabel = kNewTableLabel;
  tableDirectory.clear();
  activeCount = 0;
  filterSideWidth = 8;
  filterCentreWidth = 16;
  sampleChannels = 0;
  for (int k = 0; k < kStandardSlots; ++k) {
    fitCoefficients[k] = 0;
    fitErrors[k] = 0;
    rightHandSide[k] = 0;
  }
}

void TDmSMTX::BuildActiveList() {
  activeCount = 0;
  for (int slot = 0; slot < kStandardSlots; ++slot) {
    if (table[slot].FitOn() != 1) continue;
    activeStandards[activeCount] = table[slot];
    activeSlot[activeCount] = slot;
    ++activeCount;
  }
}

int TDmSMTX::LoadStandards() {
  const std::optional<std::string> path = chooser_ ? chooser_(StdDialog::Open) : std::nullopt;
  if (!path) {
    // Without a chosen table there is no directory to find the spectra in: load nothing.
    lastLoad_ = LoadStatus::Cancelled;
    return 0;
  }
  return LoadStandardsFrom(*path);
}

int TDmSMTX::LoadStandardsFrom(std::string_view path) {
  std::string name;
  SplitTablePath(path, tableDirectory, name);
  tableLabel = "  [  " + name + "  ]";
  failedStandard_ = -1;
  QFile file;
  if (OpenInputFile(path, file) != PathProblem::None) {
    lastLoad_ = LoadStatus::CannotOpenTable;
    loadFailed_ = true;
    return 0;
  }
  ReadTable(file);
  file.close();
  BuildActiveList();
  for (int k = 0; k < activeCount; ++k) {
    const std::string spectrum = tableDirectory + std::string(activeStandards[k].SpecFileName());
    if (ReadReference(k, spectrum) == 0) {
      lastLoad_ = LoadStatus::CannotReadSpectrum;
      loadFailed_ = true;
      failedStandard_ = k;
      return 0;
    }
  }
  lastLoad_ = LoadStatus::Loaded;
  loadFailed_ = false;
  return activeCount;
}

// Reads one standard's spectrum file as every spectrum file is read, with its checks, and its
// filtered values into entry k of referenceSpectra. Returns the channels used, 0 when the file
// can't be used.
int TDmSMTX::ReadReference(int k, std::string_view path) {
  SpectrumData& read = SpectrumScratch();
  if (!ReadSpectrum(path, read).ok()) return 0;
  const int n = read.channels;
  std::copy_n(read.counts, n, scratchCounts);
  // The filter looks past the end of a short spectrum: those channels must be empty, not what an
  // earlier, longer one left.
  std::fill(scratchCounts + n, std::end(scratchCounts), 0);
  FilterSpectrum(scratchCounts, n, scratchFiltered, filterSideWidth, filterCentreWidth);
  // The filter zeroed every output from n on, so the whole entry is this standard's alone.
  std::copy(std::begin(scratchFiltered), std::end(scratchFiltered), referenceSpectra[k]);
  std::copy(std::begin(scratchCounts), std::end(scratchCounts), referenceCounts[k]);
  referenceChannels[k] = n;
  referenceLiveTime[k] = read.header.LiveTime();
  return n;
}

}  // namespace tavlex
