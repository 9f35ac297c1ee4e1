#pragma once
// What the command line prints: texts escaped so that JSON stays valid and one 'key: value'
// stays one line, numbers that are not finite as null, and standard output checked at the end.

#include <string>
#include <string_view>

namespace tavlex::cli {

// How the bytes of a text are to be read.
enum class Bytes {
  Latin1,  // a header's 8-bit text: every byte is the Latin-1 character of that code
  Path,    // a file name: UTF-8 where it is valid UTF-8, each other byte taken as Latin-1
};

// A JSON string literal, quotes included, in UTF-8.
std::string JsonString(std::string_view text, Bytes bytes);
// A number as printf's format gives it, or null when it is not finite (JSON has no NaN).
std::string JsonNumber(double value, const char* format = "%.7g");
// A text for a 'key: value' line: line breaks, other control characters and backslashes as C
// escapes (\n, \xHH, \\). Latin-1 texts are converted to UTF-8; paths keep their bytes.
std::string LineText(std::string_view text, Bytes bytes);

// Flushes standard output. When anything written to it was lost (a closed pipe, a full disk),
// says so on stderr and returns false.
bool FinishStdout();
// The exit status of a command whose own status is `status`, once standard output is flushed:
// a failed standard output turns success into a failure.
int WithStdout(int status);

}  // namespace tavlex::cli
