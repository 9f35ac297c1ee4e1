#include "files/SafeWrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace tavlex {
namespace {

// A name beside the target that no other writer is using: the target's name and six letters.
std::string TempName(const std::string& target, int attempt) {
  static unsigned counter = 0;
  std::uint64_t seed =
      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
      (static_cast<std::uint64_t>(::getpid()) << 32) ^ (++counter * 7919u) ^
      static_cast<std::uint64_t>(attempt);
  std::string name = target + ".";
  for (int i = 0; i < 6; ++i, seed /= 36) name += "abcdefghijklmnopqrstuvwxyz0123456789"[seed % 36];
  return name;
}

}  // namespace

SafeWriter::SafeWriter(std::string_view path, std::span<const std::string_view> inputs)
    : path_(path), ownInputs_(inputs), inputs_(&ownInputs_) {}

SafeWriter::SafeWriter(std::string_view path, const InputFiles& inputs)
    : path_(path), inputs_(&inputs) {}

SafeWriter::~SafeWriter() {
  if (fd_ >= 0) Fail();
}

bool SafeWriter::Open() {
  // A folder, pipe or device is never opened, so nothing waits on it or is written into it.
  problem_ = CheckOutputPath(path_, *inputs_);
  if (problem_ != PathProblem::None) {
    failed_ = true;
    return false;
  }
  target_ = OutputTarget(path_);
  for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
    temp_ = TempName(target_, attempt);
    fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ < 0 && errno != EEXIST) break;
  }
  if (fd_ < 0) {
    problem_ = PathProblem::FolderNotWritable;
    failed_ = true;
    return false;
  }
  // A replaced file keeps its permissions.
  struct stat old;
  if (::stat(target_.c_str(), &old) == 0) ::fchmod(fd_, old.st_mode & 07777);
  failed_ = false;
  return true;
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
  // Every short write is seen here; a full disk or a size limit fails the whole file.
  for (std::int64_t done = 0; !failed_ && done < used_;) {
    const ssize_t n = ::write(fd_, buffer_ + done, static_cast<std::size_t>(used_ - done));
    if (n > 0)
      done += n;
    else if (n < 0 && errno == EINTR)
      continue;
    else
      Fail();
  }
  used_ = 0;
  return !failed_;
}

void SafeWriter::Fail() {
  failed_ = true;
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
    ::unlink(temp_.c_str());
  }
}

bool SafeWriter::Commit() {
  if (fd_ < 0 || !Flush()) return false;
  // On the disk before the rename, so that a crash leaves the old file or the whole new one.
  const bool written = ::fsync(fd_) == 0;
  const bool closed = ::close(fd_) == 0;
  fd_ = -1;
  if (written && closed && ::rename(temp_.c_str(), target_.c_str()) == 0) return true;
  ::unlink(temp_.c_str());
  failed_ = true;
  return false;
}

}  // namespace tavlex
