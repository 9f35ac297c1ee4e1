#pragma once
// Spectrum file bytes built from the format table itself (offsets written out here, never taken
// from the program's writer or its header constants), and small file helpers for the tests.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "app/AppState.h"
#include "app/MainWindowPort.h"

namespace tavlex::test {

// Offsets of the 1024-byte header.
enum At : int {
  kCompanyAt = 0,
  kChannelSizeAt = 54,
  kMarkerAt = 64,
  kSlopeAt = 68,
  kOffsetAt = 72,
  kYearAt = 80,
  kMonthAt = 82,
  kDayAt = 84,
  kHourAt = 88,
  kMinuteAt = 90,
  kSecondAt = 92,
  kRoiLowAt = 94,
  kRoiHighAt = 294,
  kRoiColourAt = 494,
  kPresetAt = 704,
  kLiveAt = 712,
  kRealAt = 716,
  kCommentAt = 774,
  kSampleIdAt = 806,
  kCountsAt = 1024,
};

inline void PutLE(QByteArray& b, int at, std::uint32_t v, int size) {
  for (int i = 0; i < size; ++i) b[at + i] = static_cast<char>(v >> (8 * i));
}
inline std::uint32_t GetLE(const QByteArray& b, int at, int size) {
  std::uint32_t v = 0;
  for (int i = 0; i < size; ++i) v |= std::uint32_t(std::uint8_t(b[at + i])) << (8 * i);
  return v;
}
inline std::int16_t I16(const QByteArray& b, int at) {
  return std::int16_t(GetLE(b, at, 2));
}
inline std::int32_t I32(const QByteArray& b, int at) {
  return std::int32_t(GetLE(b, at, 4));
}
inline float F32(const QByteArray& b, int at) {
  std::uint32_t u = GetLE(b, at, 4);
  float f;
  std::memcpy(&f, &u, 4);
  return f;
}
inline void PutF32(QByteArray& b, int at, float f) {
  std::uint32_t u;
  std::memcpy(&u, &f, 4);
  PutLE(b, at, u, 4);
}

// A header declaring `declared` channels followed by `counts` counts, count i = i * 3 + 1.
inline QByteArray DatFile(int declared, int counts) {
  QByteArray b(kCountsAt + 4 * counts, '\0');
  PutLE(b, kChannelSizeAt, std::uint32_t(declared), 2);
  PutF32(b, kMarkerAt, 1.0f);
  for (int i = 0; i < counts; ++i) PutLE(b, kCountsAt + 4 * i, std::uint32_t(i * 3 + 1), 4);
  return b;
}

inline QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
inline void WriteAll(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  if (f.open(QIODevice::WriteOnly)) f.write(bytes);
}
inline std::string Path(const QString& p) {
  return QFile::encodeName(p).toStdString();
}

// The program state after the main window's construction, with a headless window.
struct Headless {
  std::unique_ptr<AppState> s = std::make_unique<AppState>();
  HeadlessWindow w;
  Headless() { ConstructState(*s, w); }
};

}  // namespace tavlex::test
