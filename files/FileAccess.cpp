// Checks on paths before files are opened, done on the bytes given so that a name in any
// encoding (Latin-1 from an older laboratory PC, say) is found under its own name.

#include "files/FileAccess.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QStandardPaths>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "files/SpectrumFile.h"

namespace tavlex {
namespace {

PathProblem KindProblem(mode_t mode) {
  if (S_ISREG(mode)) return PathProblem::None;
  if (S_ISDIR(mode)) return PathProblem::IsFolder;
  if (S_ISFIFO(mode) || S_ISSOCK(mode)) return PathProblem::IsPipe;
  return PathProblem::IsDevice;
}

std::string FolderOf(const std::string& path) {
  const std::size_t cut = path.find_last_of('/');
  if (cut == std::string::npos) return ".";
  if (cut == 0) return "/";
  return path.substr(0, cut);
}

// The name after the last separator, without its extension.
std::string Stem(std::string_view path) {
  const std::size_t cut = path.find_last_of('/');
  std::string_view name = cut == std::string_view::npos ? path : path.substr(cut + 1);
  const std::size_t dot = name.find_last_of('.');
  if (dot != std::string_view::npos && dot > 0) name = name.substr(0, dot);
  // Short enough for the 255 characters a spectrum file's path may have.
  return name.empty() ? std::string("spectrum") : std::string(name.substr(0, 80));
}

}  // namespace

std::string OutputTarget(std::string_view path) {
  std::string p(path);
  struct stat link;
  // A link is followed, so that the file it points to is replaced and the link stays.
  if (::lstat(p.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
    if (char* real = ::realpath(p.c_str(), nullptr)) {
      p = real;
      std::free(real);
    }
  }
  return p;
}

std::string PathProblemReason(PathProblem problem) {
  switch (problem) {
    case PathProblem::None:
      return {};
    case PathProblem::Missing:
      return "no such file";
    case PathProblem::NoFolder:
      return "its folder does not exist";
    case PathProblem::FolderNotWritable:
      return "its folder cannot be written to";
    case PathProblem::IsFolder:
      return "is a folder, not a file";
    case PathProblem::IsPipe:
      return "is a pipe, not a file";
    case PathProblem::IsDevice:
      return "is a device, not a file";
    case PathProblem::SameAsInput:
      return "is the file being read; it is not written over";
    case PathProblem::Unreadable:
      return "cannot be opened";
    case PathProblem::NameTooLong:
      return "its name is too long";
    case PathProblem::Taken:
      return "is already there; it is not written over";
  }
  return {};
}

InputFiles::InputFiles(std::span<const std::string_view> paths) {
  for (std::size_t i = 0; i < paths.size(); ++i) Add(paths[i], static_cast<int>(i));
}

InputFiles::InputFiles(std::span<const std::string> paths) {
  for (std::size_t i = 0; i < paths.size(); ++i) Add(paths[i], static_cast<int>(i));
}

void InputFiles::Add(std::string_view path, int index) {
  struct stat st;
  // An input that is not there is no file an output could replace.
  if (::stat(std::string(path).c_str(), &st) == 0)
    files_.try_emplace({st.st_dev, st.st_ino}, index);
}

int InputFiles::IndexOf(std::uint64_t device, std::uint64_t inode) const {
  const auto found = files_.find({device, inode});
  return found == files_.end() ? -1 : found->second;
}

int InputFiles::IndexOf(std::string_view path) const {
  struct stat st;
  if (files_.empty() || ::stat(std::string(path).c_str(), &st) != 0) return -1;
  return IndexOf(st.st_dev, st.st_ino);
}

PathProblem CheckOutputPath(std::string_view path, std::span<const std::string_view> inputs) {
  return CheckOutputPath(path, InputFiles(inputs));
}

PathProblem CheckOutputPath(std::string_view path, const InputFiles& inputs) {
  if (path.empty()) return PathProblem::Missing;
  const std::string target = OutputTarget(path);
  struct stat st;
  if (::stat(target.c_str(), &st) == 0) {
    if (const PathProblem kind = KindProblem(st.st_mode); kind != PathProblem::None) return kind;
    if (inputs.IndexOf(st.st_dev, st.st_ino) >= 0) return PathProblem::SameAsInput;
  } else if (errno == ENAMETOOLONG) {
    return PathProblem::NameTooLong;
  }
  // The new file is made in the target's folder and renamed over the target.
  const std::string folder = FolderOf(target);
  struct stat dir;
  if (::stat(folder.c_str(), &dir) != 0 || !S_ISDIR(dir.st_mode)) return PathProblem::NoFolder;
  if (::access(folder.c_str(), W_OK | X_OK) != 0) return PathProblem::FolderNotWritable;
  return PathProblem::None;
}

PathProblem OpenInputFile(std::string_view path, QFile& device) {
  const std::string p(path);
  struct stat st;
  // Looked at before it is opened: opening a pipe for reading waits for a writer.
  if (::stat(p.c_str(), &st) != 0)
    return errno == ENOENT || errno == ENOTDIR ? PathProblem::Missing : PathProblem::Unreadable;
  if (const PathProblem kind = KindProblem(st.st_mode); kind != PathProblem::None) return kind;
  // Non-blocking in case the name was swapped for a pipe in between; fstat says what was opened.
  const int fd = ::open(p.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? PathProblem::Missing : PathProblem::Unreadable;
  PathProblem problem = PathProblem::Unreadable;
  if (::fstat(fd, &st) == 0) problem = KindProblem(st.st_mode);
  if (problem == PathProblem::None) {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (device.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) return problem;
    problem = PathProblem::Unreadable;
  }
  ::close(fd);
  return problem;
}

std::string RecoveryFolder() {
  const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  if (base.isEmpty()) return {};
  const QString folder = base + "/tavlex/recovered";
  if (!QDir().mkpath(folder)) return {};
  return QFile::encodeName(folder).toStdString();
}

bool NameIsFree(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) != 0 && errno == ENOENT;
}

std::string FirstFreeName(std::string_view stem, std::string_view extension) {
  for (int n = 1; n < 1000; ++n) {
    const std::string path =
        std::string(stem) + (n > 1 ? "-" + std::to_string(n) : "") + std::string(extension);
    if (NameIsFree(path)) return path;
  }
  return {};
}

RecoveryStamp RecoveryStampOf(const AcqDate& d) {
  RecoveryStamp stamp;
  // The remainders keep each field to its digits whatever a damaged date holds.
  std::snprintf(stamp.text, sizeof stamp.text, "%04u%02u%02u-%02u%02u%02u", d.year % 10000u,
                d.month % 100u, d.day % 100u, d.hour % 100u, d.minute % 100u, d.second % 100u);
  return stamp;
}

std::string RecoveryPath(std::string_view target) {
  const std::string folder = RecoveryFolder();
  if (folder.empty()) return {};
  return FirstFreeName(folder + "/" + Stem(target) + "-" + RecoveryStampOf(AcqDateNow()).text,
                       ".dat");
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

}  // namespace tavlex
