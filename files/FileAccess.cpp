// Checks on paths before files are opened, done on the bytes given so that a name in any
// encoding (Latin-1 from an older laboratory PC, say) is found under its own name.

#include "files/FileAccess.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QStandardPaths>
#include <cerrno>
#include <cstdlib>

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
  }
  return {};
}

PathProblem CheckOutputPath(std::string_view path, std::span<const std::string_view> inputs) {
  if (path.empty()) return PathProblem::Missing;
  const std::string target = OutputTarget(path);
  struct stat st;
  if (::stat(target.c_str(), &st) == 0) {
    if (const PathProblem kind = KindProblem(st.st_mode); kind != PathProblem::None) return kind;
    for (std::string_view input : inputs) {
      struct stat in;
      if (::stat(std::string(input).c_str(), &in) == 0 && in.st_dev == st.st_dev &&
          in.st_ino == st.st_ino)
        return PathProblem::SameAsInput;
    }
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

std::string RecoveryPath(std::string_view target) {
  const std::string folder = RecoveryFolder();
  if (folder.empty()) return {};
  const std::string start = folder + "/" + Stem(target) + "-" +
                            QDateTime::currentDateTime().toString("yyyyMMdd-HHmmss").toStdString();
  for (int n = 1; n < 1000; ++n) {
    const std::string path = start + (n > 1 ? "-" + std::to_string(n) : "") + ".dat";
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 && errno == ENOENT) return path;
  }
  return {};
}

}  // namespace tavlex
