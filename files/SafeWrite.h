#pragma once
// Writes a file beside its target and moves it into place only once every byte is written, so
// that a failed or short write never destroys the file that was there before. The one writer of
// every file the program makes.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "files/FileAccess.h"

namespace tavlex {

// What a write does with a file already at its name: replaces it, or keeps it and fails (a
// scan or a recovery copy must never take the place of a file that appeared since its name was
// chosen).
enum class Existing { Replace, Keep };

class SafeWriter {
 public:
  // `inputs` are files the command reads, which the target must not be.
  explicit SafeWriter(std::string_view path, std::span<const std::string_view> inputs = {},
                      Existing existing = Existing::Replace);
  // The same for inputs looked at once for many writes; they must outlive Open.
  SafeWriter(std::string_view path, const InputFiles& inputs);
  SafeWriter(std::string_view path, Existing existing) : SafeWriter(path, {}, existing) {}
  ~SafeWriter();
  SafeWriter(const SafeWriter&) = delete;
  SafeWriter& operator=(const SafeWriter&) = delete;

  // False when the file cannot be created: no such folder, no rights, or a target that is a
  // folder, pipe or device or one of the inputs (none of them is opened). Problem() says which.
  bool Open();
  PathProblem Problem() const { return problem_; }
  // Collects the bytes in a fixed buffer. False once any write has failed; later ones are skipped.
  bool Write(const void* data, std::int64_t size);
  // Marks the file as failed: it will not be put in place.
  void Fail();
  // Writes what is left, puts it on the disk and in place, and the folder's new entry on the
  // disk too. On failure the new bytes are discarded and an old file stays; with Keep, a file
  // that took the name in the meantime makes it fail (Problem() is Taken).
  bool Commit();

 private:
  bool Flush();
  bool PutInPlace();

  std::string path_, target_, temp_;
  InputFiles ownInputs_;
  const InputFiles* inputs_;
  Existing existing_ = Existing::Replace;
  int fd_ = -1;
  bool failed_ = false;
  PathProblem problem_ = PathProblem::None;
  std::int64_t used_ = 0;
  char buffer_[16384];
};

}  // namespace tavlex
