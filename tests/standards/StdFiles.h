#pragma once
// Standards tables built from the 128-byte record's layout itself (offsets written out here,
// never taken from the program's accessors or writer) and spectrum files built from the header's
// (FileBytes.h), in a temporary folder.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "standards/StandardsTable.h"
#include "tests/files/FileBytes.h"

namespace tavlex::test {

// Offsets of the 128-byte standard record (the header's are FileBytes.h's At).
enum RefAt : int {
  kSpecFileAt = 0,
  kElementAt = 32,
  kFitOnAt = 40,
  kStdRoiLowAt = 44,  // the standard's own range, not a region of a spectrum file's header
  kStdRoiHighAt = 48,
  kCfAt = 76,
  kKRatioAt = 80,
  kChemAt = 84,
  kKErrorAt = 112,
  kRecordSize = 128,
  kTableSize = 2048,
};

inline void PutText(QByteArray& b, int at, const char* text) {
  for (std::size_t i = 0; i <= std::strlen(text); ++i) b[at + int(i)] = text[i];
}

struct RefSlot {
  const char* file;
  const char* element;
  int fitOn, low, high;
  float cf = 1.0f, kRatio = 0.0f, chem = 0.0f, kError = 0.0f;
};

// A table file: every slot empty as a new table has it, except the given ones.
inline QByteArray RefBytes(const std::vector<std::pair<int, RefSlot>>& records) {
  QByteArray b(kTableSize, '\0');
  for (int i = 0; i < 16; ++i) {
    PutText(b, i * kRecordSize + kSpecFileAt, "       ");
    PutText(b, i * kRecordSize + kElementAt, "     ");
    PutF32(b, i * kRecordSize + kCfAt, 1.0f);
  }
  for (const auto& [slot, r] : records) {
    const int at = slot * kRecordSize;
    PutText(b, at + kSpecFileAt, r.file);
    PutText(b, at + kElementAt, r.element);
    PutLE(b, at + kFitOnAt, std::uint32_t(r.fitOn), 4);
    PutLE(b, at + kStdRoiLowAt, std::uint32_t(r.low), 4);
    PutLE(b, at + kStdRoiHighAt, std::uint32_t(r.high), 4);
    PutF32(b, at + kCfAt, r.cf);
    PutF32(b, at + kKRatioAt, r.kRatio);
    PutF32(b, at + kChemAt, r.chem);
    PutF32(b, at + kKErrorAt, r.kError);
  }
  return b;
}

// A spectrum file: the 1024-byte header declaring as many channels as there are counts and the
// live time (0.1 s), then the counts.
inline QByteArray DatBytes(const std::vector<std::int32_t>& counts, int live = 0) {
  QByteArray b = DatFile(int(counts.size()), int(counts.size()));
  PutLE(b, kLiveAt, std::uint32_t(live), 4);
  for (std::size_t i = 0; i < counts.size(); ++i)
    PutLE(b, kCountsAt + 4 * int(i), std::uint32_t(counts[i]), 4);
  return b;
}

// A peak of `height` counts at `centre` (Gaussian, sigma in channels) over a flat `base`.
inline std::vector<std::int32_t> Peak(int channels, int centre, double height, double sigma,
                                      int base = 0) {
  std::vector<std::int32_t> c(channels, base);
  for (int i = 0; i < channels; ++i) {
    const double d = (i - centre) / sigma;
    c[i] += static_cast<std::int32_t>(height * std::exp(-0.5 * d * d) + 0.5);
  }
  return c;
}

inline std::vector<std::int32_t> Spike(int channels, int at, std::int32_t value) {
  std::vector<std::int32_t> c(channels, 0);
  c[at] = value;
  return c;
}

// A folder for tables and spectra, and a data module loading from it.
struct StdFolder {
  QTemporaryDir dir;
  std::unique_ptr<TDmSMTX> dm = std::make_unique<TDmSMTX>();

  QString PathOf(const QString& name) const { return dir.filePath(name); }
  std::string Path8(const QString& name) const {
    return QFile::encodeName(PathOf(name)).toStdString();
  }
  void Write(const QString& name, const QByteArray& bytes) const {
    QFile f(PathOf(name));
    if (f.open(QIODevice::WriteOnly)) f.write(bytes);
  }
  void WriteDat(const QString& name, const std::vector<std::int32_t>& counts, int live = 0) const {
    Write(name, DatBytes(counts, live));
  }
  int Load(const QString& table) { return dm->LoadStandardsFrom(Path8(table)); }
};

}  // namespace tavlex::test
