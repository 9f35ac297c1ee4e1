#include "files/LineWriter.h"

#include <cstdarg>
#include <cstdio>

namespace tavlex {

void LineWriter::Line(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  const int n = std::vsnprintf(line_, sizeof line_ - 2, fmt, ap);
  va_end(ap);
  if (n < 0 || n >= static_cast<int>(sizeof line_) - 2) return out_.Fail();
  line_[n] = '\r';
  line_[n + 1] = '\n';
  out_.Write(line_, n + 2);
}

}  // namespace tavlex
