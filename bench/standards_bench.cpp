// The MLSQ fit with sixteen active standards over 4096 channels, and the load of a sixteen-
// standard table with its 4096-channel spectrum files.

#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <memory>

#include "standards/StandardsTable.h"
#include "tests/CountingNew.h"

namespace tavlex {
namespace {

// Standard k: a line at channel 200 + 240 k on a falling continuum; its range the line's 60
// channels, overlapping its neighbours'.
std::int32_t StandardCount(int k, int c) {
  const double d = (c - (200 + 240 * k)) / 8.0;
  return static_cast<std::int32_t>(300.0 * std::exp(-c / 1500.0) +
                                   20000.0 * std::exp(-0.5 * d * d));
}

void MakeTable(TDmSMTX& dm) {
  for (int k = 0; k < kStandardSlots; ++k) {
    StandardRecord& r = dm.table[k];
    r.SetFitOn(1);
    r.SetRoiLow(200 + 240 * k - 150);
    r.SetRoiHigh(200 + 240 * k + 150);
    r.SetElementName("El");
    r.SetSpecFileName(("std" + std::to_string(k) + ".dat").c_str());
  }
}

void BM_RunMlsqFit_16x4096(benchmark::State& state) {
  auto dm = std::make_unique<TDmSMTX>();
  MakeTable(*dm);
  dm->BuildActiveList();
  std::int32_t counts[kMaxChannels];
  for (int k = 0; k < kStandardSlots; ++k) {
    for (int c = 0; c < kMaxChannels; ++c) counts[c] = StandardCount(k, c);
    FilterSpectrum(counts, kMaxChannels, dm->referenceSpectra[k]);
    std::copy_n(counts, kMaxChannels, dm->referenceCounts[k]);
    dm->referenceChannels[k] = kMaxChannels;
  }
  for (int c = 0; c < kMaxChannels; ++c) {
    double v = 0;
    for (int k = 0; k < kStandardSlots; ++k) v += StandardCount(k, c) * (0.1 + 0.05 * k);
    dm->sampleCounts[c] = static_cast<std::int32_t>(v);
  }
  dm->sampleChannels = kMaxChannels;
  const long before = counting::Allocations();
  for (auto _ : state) {
    if (dm->RunMlsqFit(true) != FitStatus::Fitted) state.SkipWithError("fit failed");
    benchmark::DoNotOptimize(dm->fitCoefficients);
  }
  state.counters["allocs/fit"] =
      benchmark::Counter(static_cast<double>(counting::Allocations() - before) /
                         static_cast<double>(state.iterations()));
}

void BM_LoadStandards_16x4096(benchmark::State& state) {
  QTemporaryDir dir;
  auto dm = std::make_unique<TDmSMTX>();
  MakeTable(*dm);
  for (int k = 0; k < kStandardSlots; ++k) {
    QByteArray bytes(1024 + 4 * kMaxChannels, '\0');
    for (int c = 0; c < kMaxChannels; ++c) {
      const std::uint32_t v = static_cast<std::uint32_t>(StandardCount(k, c));
      for (int b = 0; b < 4; ++b) bytes[1024 + 4 * c + b] = static_cast<char>(v >> (8 * b));
    }
    QFile f(dir.filePath(QString("std%1.dat").arg(k)));
    if (f.open(QIODevice::WriteOnly)) f.write(bytes);
  }
  const std::string table = QFile::encodeName(dir.filePath("set.ref")).toStdString();
  dm->SaveStandardsTo(table);
  for (auto _ : state) {
    if (dm->LoadStandardsFrom(table) != kStandardSlots) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(dm->referenceSpectra);
  }
}

BENCHMARK(BM_RunMlsqFit_16x4096)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadStandards_16x4096)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tavlex
