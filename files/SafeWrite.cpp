#include "files/SafeWrite.h"

#include <QByteArray>
#include <QFile>
#include <algorithm>
#include <cstring>

namespace tavlex {

QString FileNameFromPath(std::string_view path) {
  return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

SafeWriter::SafeWriter(std::string_view path) : file_(FileNameFromPath(path)) {}

bool SafeWriter::Open() {
  // Never fall back to writing over the target in place: that is what could lose it.
  file_.setDirectWriteFallback(false);
  // Unbuffered, so that every short write is seen here: a buffered device that flushes only
  // part of its buffer at commit reports success for a cut file.
  failed_ = !file_.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
  return !failed_;
}

bool SafeWriter::Write(const void* data, std::int64_t size) {
  const char* from = static_cast<const char*>(data);
  while (!failed_ && size > 0) {
    const std::int64_t n = std::min<std::int64_t>(size, sizeof buffer_ - used_);
    std::memcpy(buffer_ + used_, from, static_cast<std::size_t>(n));
    used_ += n, from += n, size -= n;
    if (used_ == static_cast<std::int64_t>(sizeof buffer_)) Flush();
  }
  return !failed_;
}

bool SafeWriter::Flush() {
  if (!failed_ && used_ > 0 && file_.write(buffer_, used_) != used_) Fail();
  used_ = 0;
  return !failed_;
}

void SafeWriter::Fail() {
  failed_ = true;
  file_.cancelWriting();
}

bool SafeWriter::Commit() {
  if (!Flush()) return false;
  failed_ = !file_.commit();
  return !failed_;
}

}  // namespace tavlex
