#pragma once
// Paths as the file system has them (the bytes given, whatever their encoding), and the checks
// made before a file is opened: an input must be a regular file, never a pipe or device that
// would be waited on; an output must land in a writable folder, on a regular file or a new
// name, and never on a file the command is reading.

#include <QFile>
#include <span>
#include <string>
#include <string_view>

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
};

// Why a path was refused, for the command line; empty for None.
std::string PathProblemReason(PathProblem problem);

// A path fit to be written: its folder exists and is writable, and it is a new name or a
// regular file (or a link to one) that is none of `inputs`.
PathProblem CheckOutputPath(std::string_view path, std::span<const std::string_view> inputs = {});

// The file a write to `path` replaces: the path itself, or the file a link at it points to.
std::string OutputTarget(std::string_view path);

// Opens a regular file for reading. A pipe, device or folder is refused before anything could
// wait on it. `device` takes over the opened handle.
PathProblem OpenInputFile(std::string_view path, QFile& device);

// The user's application data folder for spectra kept on the program's own account
// (tavlex/recovered), made when missing; empty when it cannot be made.
std::string RecoveryFolder();

// Where a spectrum whose save failed is kept instead: the user's application data folder
// (tavlex/recovered), the target's name with the time and, if needed, a number that makes it
// new. Creates the folder; empty when it cannot be made.
std::string RecoveryPath(std::string_view target);

}  // namespace tavlex
