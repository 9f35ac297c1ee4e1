// How the command line spells texts: JSON strings that any parser takes, and 'key: value' lines
// that stay one line, for header texts (Latin-1) and for file names (bytes, mostly UTF-8).

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <limits>

#include "cli/Output.h"

namespace tavlex::cli {
namespace {

TEST(OutputTest, TextsBecomeValidJsonAndSingleLines) {
  const struct {
    const char* what;
    std::string bytes;
    Bytes as;
    const char* json;  // the literal printed
    const char* line;
  } rows[] = {
      {"plain", "brass, 40 kV", Bytes::Latin1, "\"brass, 40 kV\"", "brass, 40 kV"},
      {"quote and backslash", "a\"b\\c", Bytes::Latin1, "\"a\\\"b\\\\c\"", "a\"b\\\\c"},
      {"line breaks", "a\r\nb\tc", Bytes::Latin1, "\"a\\r\\nb\\tc\"", "a\\r\\nb\\tc"},
      {"other controls", std::string("\x01\x1f\x7f", 3), Bytes::Latin1, "\"\\u0001\\u001f\x7f\"",
       "\\x01\\x1F\\x7F"},
      {"Latin-1 text", "\xE9\xB5\xFF", Bytes::Latin1, "\"\xC3\xA9\xC2\xB5\xC3\xBF\"",
       "\xC3\xA9\xC2\xB5\xC3\xBF"},
      {"UTF-8 text read as Latin-1", "\xC3\xA9", Bytes::Latin1, "\"\xC3\x83\xC2\xA9\"",
       "\xC3\x83\xC2\xA9"},
      {"UTF-8 name", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", Bytes::Path,
       "\"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80\"",
       "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"},
      // A name that is not UTF-8 keeps its bytes on a line; in JSON each odd byte is Latin-1.
      {"Latin-1 name", "caf\xE9", Bytes::Path, "\"caf\xC3\xA9\"", "caf\xE9"},
      {"overlong slash", "\xC0\xAF", Bytes::Path, "\"\xC3\x80\xC2\xAF\"", "\xC0\xAF"},
      {"surrogate", "\xED\xA0\x80", Bytes::Path, "\"\xC3\xAD\xC2\xA0\xC2\x80\"", "\xED\xA0\x80"},
      {"past U+10FFFF", "\xF4\x90\x80\x80", Bytes::Path, "\"\xC3\xB4\xC2\x90\xC2\x80\xC2\x80\"",
       "\xF4\x90\x80\x80"},
      {"cut sequence", "x\xE2\x82", Bytes::Path, "\"x\xC3\xA2\xC2\x82\"", "x\xE2\x82"},
      {"name with a line break", "a\nb\\c", Bytes::Path, "\"a\\nb\\\\c\"", "a\\nb\\\\c"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    const std::string json = JsonString(row.bytes, row.as);
    EXPECT_EQ(json, row.json);
    EXPECT_EQ(LineText(row.bytes, row.as), row.line);
    // Whatever the bytes, a strict parser takes the result.
    QJsonParseError error;
    QJsonDocument::fromJson(QByteArray::fromStdString("{\"k\": " + json + "}"), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError);
  }
}

TEST(OutputTest, NumbersThatAreNotFiniteAreNull) {
  EXPECT_EQ(JsonNumber(0.02f), "0.02");
  EXPECT_EQ(JsonNumber(-0.05f), "-0.05");
  EXPECT_EQ(JsonNumber(std::numeric_limits<double>::quiet_NaN()), "null");
  EXPECT_EQ(JsonNumber(std::numeric_limits<double>::infinity()), "null");
  EXPECT_EQ(JsonNumber(-std::numeric_limits<double>::infinity()), "null");
  EXPECT_EQ(JsonNumber(1.5, "%.1f"), "1.5");
}

}  // namespace
}  // namespace tavlex::cli
