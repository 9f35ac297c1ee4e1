#pragma once
// The text files the program writes (the ASCII dump, the exports, a scan series' summary): lines
// that end in CR LF on every platform, so the file is written as bytes through the safe writer.

#include "files/SafeWrite.h"

namespace tavlex {

class LineWriter {
 public:
  explicit LineWriter(SafeWriter& out) : out_(out) {}
  // One line from a printf format. Every field the program writes is bounded (names 255, texts
  // 64 bytes, numbers a few dozen), so a line always fits; one that did not would fail the file.
  void Line(const char* fmt, ...) __attribute__((format(printf, 2, 3)));

 private:
  SafeWriter& out_;
  char line_[320];
};

}  // namespace tavlex
