#pragma once
// Paths as the file system has them (the bytes given, whatever their encoding), and the checks
// made before a file is opened: an input must be a regular file, never a pipe or device that
// would be waited on; an output must land in a writable folder, on a regular file or a new
// name, and never on a file the command is reading.

#include <QFile>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "app/SpectrumHeader.h"

namespace tavlex {

enum class PathProblem {
  None,
  Missing,            // no file of that name
  NoFolder,           // the folder the file would go in does not exist
  FolderNotWritable,  // that folder cannot be written to
  IsFolder,           // the name is a folder
  IsPipe,             // a pipe or socket
  IsDevice,           // a character or block device
  SameAsInput,        // the output is a file the command reads
  Unreadable,         // a regular file that cannot be opened (rights, I/O)
  NameTooLong,        // longer than the file system allows a name or a path
  Taken,              // a file that must not be replaced is there
};

// Why a path was refused, for the command line; empty for None.
std::string PathProblemReason(PathProblem problem);

// The files a command reads, known by what they are on the disk (device and inode, whatever
// name or link reaches them), so that an output is checked against all of them with one look-up.
class InputFiles {
 public:
  InputFiles() = default;
  explicit InputFiles(std::span<const std::string_view> paths);
  explicit InputFiles(std::span<const std::string> paths);

  // Which of the paths given the file at `path` is (a link followed), or -1.
  int IndexOf(std::string_view path) const;
  // The same for a file already looked at.
  int IndexOf(std::uint64_t device, std::uint64_t inode) const;

 private:
  void Add(std::string_view path, int index);
  std::map<std::pair<std::uint64_t, std::uint64_t>, int> files_;
};

// A path fit to be written: its folder exists and is writable, and it is a new name or a
// regular file (or a link to one) that is none of `inputs`.
PathProblem CheckOutputPath(std::string_view path, const InputFiles& inputs);
PathProblem CheckOutputPath(std::string_view path, std::span<const std::string_view> inputs = {});

// The file a write to `path` replaces: the path itself, or the file a link at it points to.
std::string OutputTarget(std::string_view path);

// Opens a regular file for reading. A pipe, device or folder is refused before anything could
// wait on it. `device` takes over the opened handle.
PathProblem OpenInputFile(std::string_view path, QFile& device);
// Reads up to `size` bytes, as many reads as it takes; fewer only where the input ends.
std::int64_t ReadFully(QIODevice& in, char* to, std::int64_t size);

// Whether nothing in the file system has this name yet, not even a link that leads nowhere.
bool NameIsFree(const std::string& path);
// The first free one of STEM.EXT, STEM-2.EXT, ..., STEM-999.EXT, for a file that must not
// replace another; empty when all of them are taken.
std::string FirstFreeName(std::string_view stem, std::string_view extension);

// When a recovery copy's spectrum was measured, as the copy's name carries it: YYYYMMDD-HHMMSS.
struct RecoveryStamp {
  char text[24];
};
RecoveryStamp RecoveryStampOf(const AcqDate& date);

// The user's application data folder for spectra kept on the program's own account
// (tavlex/recovered), made when missing; empty when it cannot be made.
std::string RecoveryFolder();

// Where a spectrum whose save failed is kept instead: the user's application data folder
// (tavlex/recovered), NAME-YYYYMMDD-HHMMSS.dat from the target's name and the time, numbered as
// FirstFreeName numbers. Creates the folder; empty when it cannot be made.
std::string RecoveryPath(std::string_view target);

}  // namespace tavlex
