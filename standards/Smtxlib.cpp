#include "standards/Smtxlib.h"

#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <cstring>

#include "files/FileAccess.h"
#include "files/SafeWrite.h"

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

std::int64_t ReadFully(QIODevice& in, char* to, std::int64_t size) {
  std::int64_t done = 0;
  while (done < size) {
    const std::int64_t n = in.read(to + done, size - done);
    if (n <= 0) break;
    done += n;
  }
  return done;
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

std::int64_t TDmSMTX::ReadTable(QIODevice& in) {
  std::int64_t total = 0;
  for (StandardRecord& r : table) {
    const std::int64_t n =
        ReadFully(in, reinterpret_cast<char*>(r.data()), static_cast<std::int64_t>(r.kSize));
    total += n;
    if (n < static_cast<std::int64_t>(r.kSize)) break;
  }
  return total;
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
    return 0;
  }
  ReadTable(file);
  file.close();
  BuildActiveList();
  for (int k = 0; k < activeCount; ++k) {
    const std::string spectrum = tableDirectory + std::string(activeStandards[k].SpecFileName());
    if (ReadReference(k, spectrum) == 0) {
      lastLoad_ = LoadStatus::CannotReadSpectrum;
      failedStandard_ = k;
      return 0;
    }
  }
  lastLoad_ = LoadStatus::Loaded;
  return activeCount;
}

// Reads one standard's spectrum file into the scratch counts and its filtered values into entry
// k of referenceSpectra. Returns the channels used, 0 when the file can't be used.
int TDmSMTX::ReadReference(int k, std::string_view path) {
  QFile file;
  if (OpenInputFile(path, file) != PathProblem::None) return 0;
  char header[1024];
  if (ReadFully(file, header, sizeof header) < static_cast<std::int64_t>(sizeof header)) return 0;
  // The filter looks past the end of a short spectrum: those channels must be empty, not what an
  // earlier, longer one left.
  std::fill(std::begin(scratchCounts), std::end(scratchCounts), 0);
  int blocks = 0;
  std::int64_t lastBytes = 0;
  while (blocks < kMaxChannels / kStdBlockCounts) {
    const std::int64_t want = std::int64_t{4} * kStdBlockCounts;
    lastBytes =
        ReadFully(file, reinterpret_cast<char*>(scratchCounts + blocks * kStdBlockCounts), want);
    if (lastBytes < want) break;
    ++blocks;
  }
  int n = blocks * kStdBlockCounts;
  // A spectrum of fewer than 512 channels (the analyser offers 256) is taken as long as it is;
  // one without a single whole count can't serve as a standard.
  if (n == 0) n = static_cast<int>(lastBytes / 4);
  if (n == 0) return 0;
  // What a short last block put beyond n (a cut count too) is not part of the spectrum.
  const int touched = std::min(kMaxChannels, (blocks + 1) * kStdBlockCounts);
  std::fill(scratchCounts + n, scratchCounts + touched, 0);
  for (int i = 0; i < n; ++i) scratchCounts[i] = qFromLittleEndian(scratchCounts[i]);
  FilterSpectrum(scratchCounts, n, scratchFiltered, filterSideWidth, filterCentreWidth);
  // The filter zeroed every output from n on, so the whole entry is this standard's alone.
  std::copy(std::begin(scratchFiltered), std::end(scratchFiltered), referenceSpectra[k]);
  referenceChannels_[k] = n;
  return n;
}

bool TDmSMTX::SaveStandards() {
  const std::optional<std::string> path = chooser_ ? chooser_(StdDialog::Save) : std::nullopt;
  if (!path) return false;
  return SaveStandardsTo(*path);
}

bool TDmSMTX::SaveStandardsTo(std::string_view path) {
  SafeWriter out(path);
  if (!out.Open()) return false;
  for (const StandardRecord& r : table) out.Write(r.data(), static_cast<std::int64_t>(r.kSize));
  return out.Commit();
}

}  // namespace tavlex
