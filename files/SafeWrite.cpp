#include "files/SafeWrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace tavlex {
namespace {

constexpr std::size_t kTempSuffix = 7;  // "." and six letters

std::string FolderOf(const std::string& path) {
  const std::size_t cut = path.find_last_of('/');
  if (cut == std::string::npos) return ".";
  if (cut == 0) return "/";
  return path.substr(0, cut);
}

// A name beside the target that no other writer is using: the target's name and six letters,
// the name cut where a long one would leave the temporary name longer than the folder allows.
std::string TempName(const std::string& target, int attempt) {
  static unsigned counter = 0;
  std::uint64_t seed =
      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
      (static_cast<std::uint64_t>(::getpid()) << 32) ^ (++counter * 7919u) ^
      static_cast<std::uint64_t>(attempt);
  const std::size_t nameAt = target.find_last_of('/') + 1;  // 0 without a folder
  const long longest = ::pathconf(FolderOf(target).c_str(), _PC_NAME_MAX);
  const std::size_t fits = (longest > 0 ? static_cast<std::size_t>(longest) : 255) - kTempSuffix;
  std::string name = target.substr(0, nameAt + std::min(target.size() - nameAt, fits)) + ".";
  for (int i = 0; i < 6; ++i, seed /= 36) name += "abcdefghijklmnopqrstuvwxyz0123456789"[seed % 36];
  return name;
}

}  // namespace

SafeWriter::SafeWriter(std::string_view path, std::span<const std::string_view> inputs,
                       Existing existing)
    : path_(path), ownInputs_(inputs), inputs_(&ownInputs_), existing_(existing) {}

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
  // A name that must stay free is the name itself: a link there is not followed either.
  target_ = existing_ == Existing::Keep ? path_ : OutputTarget(path_);
  if (existing_ == Existing::Keep && !NameIsFree(target_)) problem_ = PathProblem::Taken;
  for (int attempt = 0; attempt < 100 && fd_ < 0 && problem_ == PathProblem::None; ++attempt) {
    temp_ = TempName(target_, attempt);
    fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ < 0 && errno == ENAMETOOLONG) problem_ = PathProblem::NameTooLong;
    if (fd_ < 0 && errno != EEXIST) break;
  }
  if (fd_ < 0) {
    if (problem_ == PathProblem::None) problem_ = PathProblem::FolderNotWritable;
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
  if (written && closed && PutInPlace()) {
    // The new name is in the folder, which a power cut could still lose. A folder that cannot
    // be synced (some file systems refuse it) leaves the file in place all the same.
    const int folder = ::open(FolderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
      ::fsync(folder);
      ::close(folder);
    }
    return true;
  }
  ::unlink(temp_.c_str());
  failed_ = true;
  return false;
}

bool SafeWriter::PutInPlace() {
  if (existing_ == Existing::Replace) return ::rename(temp_.c_str(), target_.c_str()) == 0;
  if (::renameat2(AT_FDCWD, temp_.c_str(), AT_FDCWD, target_.c_str(), RENAME_NOREPLACE) == 0)
    return true;
  // A file system without that rename gives the file a second name instead, which fails just
  // the same on a name that is taken; one without second names cannot keep the rule.
  if (errno == EINVAL || errno == ENOSYS || errno == ENOTSUP) {
    if (::link(temp_.c_str(), target_.c_str()) == 0) {
      ::unlink(temp_.c_str());
      return true;
    }
  }
  if (errno == EEXIST) problem_ = PathProblem::Taken;
  return false;
}

}  // namespace tavlex
