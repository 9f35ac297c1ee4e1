#pragma once
// Writes a file beside its target and moves it into place only once every byte is written, so
// that a failed or short write never destroys the file that was there before.

#include <QSaveFile>
#include <cstdint>
#include <string_view>

namespace tavlex {

class SafeWriter {
 public:
  explicit SafeWriter(std::string_view path);
  SafeWriter(const SafeWriter&) = delete;
  SafeWriter& operator=(const SafeWriter&) = delete;

  // False when the file cannot be created (no such folder, a folder of that name, no rights).
  bool Open();
  // Collects the bytes in a fixed buffer. False once any write has failed; later ones are skipped.
  bool Write(const void* data, std::int64_t size);
  // Marks the file as failed: it will not be put in place.
  void Fail();
  // Writes what is left and puts the file in place. On failure the new bytes are discarded and an
  // old file stays.
  bool Commit();

 private:
  bool Flush();

  QSaveFile file_;
  bool failed_ = false;
  std::int64_t used_ = 0;
  char buffer_[16384];
};

// The 8-bit path of the program's records as the file system's name.
QString FileNameFromPath(std::string_view path);

}  // namespace tavlex
