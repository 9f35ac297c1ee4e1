// Feeds any bytes to the .ref reader as Load Std takes a table in, then fits a sample on the
// standards it names, and checks that every read and every sum stays inside the fixed arrays:
// texts within their slots, ranges anywhere, fitOn any value.

#include <QBuffer>
#include <cstdlib>
#include <cstring>

#include "standards/StandardsTable.h"

namespace {

using namespace tavlex;

TDmSMTX& TheModule() {
  static TDmSMTX* dm = new TDmSMTX();
  return *dm;
}

void Require(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TDmSMTX& dm = TheModule();
  dm.DataModuleCreate();
  QByteArray bytes =
      QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  QBuffer in(&bytes);
  in.open(QIODevice::ReadOnly);
  const std::int64_t read = dm.ReadTable(in);
  Require(read == static_cast<std::int64_t>(std::min<std::size_t>(size, kRefFileSize)));
  dm.BuildActiveList();
  Require(dm.activeCount >= 0 && dm.activeCount <= kStandardSlots);
  for (int k = 0; k < dm.activeCount; ++k) {
    Require(dm.activeSlot[k] >= 0 && dm.activeSlot[k] < kStandardSlots);
    Require(dm.table[dm.activeSlot[k]].FitOn() == 1);
    Require(dm.activeStandards[k].SpecFileName().size() <= 32);
    Require(dm.activeStandards[k].ElementName().size() <= 8);
  }
  // The sample is the bytes after the table, as many channels as the last byte says.
  const int channels = size ? (data[size - 1] % 9) * 512 : 0;
  for (int j = 0; j < kMaxChannels; ++j) {
    const std::size_t at = kRefFileSize + static_cast<std::size_t>(j);
    dm.sampleCounts[j] = j < channels && at < size ? data[at] : 0;
  }
  // The references: the input's own bytes as counts, filtered once and shared by every standard,
  // so that the ranges decide what the fit sees. The fit looks no further than the sample's
  // channels.
  for (int j = 0; j < kMaxChannels; ++j)
    dm.scratchCounts[j] = j < static_cast<int>(size) ? data[j] : 0;
  FilterSpectrum(dm.scratchCounts, channels, dm.scratchFiltered);
  for (int k = 0; k < dm.activeCount; ++k) {
    std::memcpy(dm.referenceSpectra[k], dm.scratchFiltered, sizeof dm.scratchFiltered);
    std::memcpy(dm.referenceCounts[k], dm.scratchCounts, sizeof dm.scratchCounts);
    dm.referenceChannels[k] = channels;
  }
  dm.sampleChannels = channels;
  std::uint8_t before[kStandardSlots][4];
  for (int i = 0; i < kStandardSlots; ++i)
    std::memcpy(before[i], dm.table[i].data() + stdrec::kKRatio, 4);
  // A fit that stops (singular, nothing to fit) leaves every K-ratio as it was read.
  if (dm.RunMlsqFit(true) != FitStatus::Fitted) {
    for (int i = 0; i < kStandardSlots; ++i)
      Require(std::memcmp(before[i], dm.table[i].data() + stdrec::kKRatio, 4) == 0);
  }
  return 0;
}
