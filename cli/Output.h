#pragma once
// What the command line prints: texts escaped so that JSON stays valid and one 'key: value'
// stays one line, numbers that read back as the values they were, not finite ones as null, and
// standard output checked at the end. Every --json output is written by JsonObject.

#include <string>
#include <string_view>
#include <vector>

namespace tavlex::cli {

// How the bytes of a text are to be read.
enum class Bytes {
  Latin1,  // a header's 8-bit text: every byte is the Latin-1 character of that code
  Path,    // a file name: UTF-8 where it is valid UTF-8, each other byte taken as Latin-1
};

// A JSON string literal, quotes included, in UTF-8.
std::string JsonString(std::string_view text, Bytes bytes);
// A number for JSON, or null when it is not finite (JSON has no NaN or infinity). A float is
// written with the fewest digits that read back as the same float, a double the same way;
// `format` gives a fixed printf form instead (tenths of a second as "%.1f").
std::string JsonNumber(float value);
std::string JsonNumber(double value);
std::string JsonNumber(double value, const char* format);
// A text for a 'key: value' line: line breaks, other control characters and backslashes as C
// escapes (\n, \xHH, \\). Latin-1 texts are converted to UTF-8; paths keep their bytes.
std::string LineText(std::string_view text, Bytes bytes);

// One JSON object on one line, {"key": value, ...}, its keys in the order given.
class JsonObject {
 public:
  JsonObject& Text(std::string_view key, std::string_view text, Bytes bytes);
  JsonObject& Number(std::string_view key, float value);
  JsonObject& Number(std::string_view key, double value);
  JsonObject& Number(std::string_view key, double value, const char* format);
  JsonObject& Int(std::string_view key, long long value);
  JsonObject& Bool(std::string_view key, bool value);
  // A value written already: an array, an object or a number from JsonNumber.
  JsonObject& Json(std::string_view key, std::string_view json);
  std::string Done() const { return text_ + "}"; }

 private:
  std::string text_ = "{";
};

// A JSON array of values written already.
std::string JsonArray(const std::vector<std::string>& items);

// Flushes standard output. When anything written to it was lost (a closed pipe, a full disk),
// says so on stderr and returns false.
bool FinishStdout();
// The exit status of a command whose own status is `status`, once standard output is flushed:
// a failed standard output turns success into a failure.
int WithStdout(int status);

}  // namespace tavlex::cli
