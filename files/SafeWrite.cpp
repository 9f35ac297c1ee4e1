#include "files/SafeWrite.h"

#include <QByteArray>
#include <QFile>

namespace tavlex {

QString FileNameFromPath(std::string_view path) {
  return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

SafeWriter::SafeWriter(std::string_view path) : file_(FileNameFromPath(path)) {}

bool SafeWriter::Open() {
  // Never fall back to writing over the target in place: that is what could lose it.
  file_.setDirectWriteFallback(false);
  failed_ = !file_.open(QIODevice::WriteOnly);
  return !failed_;
}

bool SafeWriter::Write(const void* data, std::int64_t size) {
  if (failed_) return false;
  if (file_.write(static_cast<const char*>(data), size) != size) Fail();
  return !failed_;
}

void SafeWriter::Fail() {
  failed_ = true;
  file_.cancelWriting();
}

bool SafeWriter::Commit() {
  if (failed_) return false;
  // commit() flushes the buffer, so a write error found only then is caught here as well.
  failed_ = !file_.commit();
  return !failed_;
}

}  // namespace tavlex
