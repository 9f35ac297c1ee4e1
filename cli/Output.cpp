#include "cli/Output.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "cli/Cli.h"

namespace tavlex::cli {
namespace {

// The length of the valid UTF-8 sequence at the start of `s`, or 0 when there is none.
std::size_t Utf8Length(std::string_view s) {
  const auto b = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char lead = b(0);
  std::size_t n = 0;
  unsigned char low = 0x80, high = 0xBF;  // the allowed range of the second byte
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) n = 2;
  if (lead >= 0xE0 && lead <= 0xEF) n = 3;
  if (lead >= 0xF0 && lead <= 0xF4) n = 4;
  if (n == 0 || s.size() < n) return 0;
  // No overlong forms, no surrogates, nothing past U+10FFFF.
  if (lead == 0xE0) low = 0xA0;
  if (lead == 0xED) high = 0x9F;
  if (lead == 0xF0) low = 0x90;
  if (lead == 0xF4) high = 0x8F;
  if (b(1) < low || b(1) > high) return 0;
  for (std::size_t i = 2; i < n; ++i)
    if (b(i) < 0x80 || b(i) > 0xBF) return 0;
  return n;
}

// Calls put(escape, bytes) for each piece of text: escape is the control character or backslash
// or quote to be escaped (0 for none), bytes the UTF-8 of a printable piece.
template <typename Put>
void Walk(std::string_view text, Bytes bytes, Put put) {
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char ch = static_cast<unsigned char>(text[i]);
    if (ch < 0x20 || ch == 0x7F || ch == '\\' || ch == '"') {
      put(ch, std::string_view());
      ++i;
      continue;
    }
    const std::size_t n = bytes == Bytes::Path ? Utf8Length(text.substr(i)) : (ch < 0x80);
    if (n > 0) {
      put(0, text.substr(i, n));
      i += n;
    } else {
      const char latin1[2] = {static_cast<char>(0xC0 | (ch >> 6)),
                              static_cast<char>(0x80 | (ch & 0x3F))};
      put(0, std::string_view(latin1, 2));
      ++i;
    }
  }
}

// The escape that JSON and C write alike: a backslash, a line feed, a carriage return or a tab;
// null for any other byte.
const char* ShortEscape(unsigned char ch) {
  switch (ch) {
    case '\\':
      return "\\\\";
    case '\n':
      return "\\n";
    case '\r':
      return "\\r";
    case '\t':
      return "\\t";
  }
  return nullptr;
}

}  // namespace

std::string JsonString(std::string_view text, Bytes bytes) {
  std::string out = "\"";
  Walk(text, bytes, [&](unsigned char escape, std::string_view piece) {
    if (escape == 0) return void(out += piece);
    if (escape == '"') return void(out += "\\\"");
    if (escape == 0x7F) return void(out += '\x7F');  // allowed in JSON as it is
    if (const char* e = ShortEscape(escape)) return void(out += e);
    char u[8];
    std::snprintf(u, sizeof u, "\\u%04x", escape);
    out += u;
  });
  return out + "\"";
}

std::string LineText(std::string_view text, Bytes bytes) {
  std::string out;
  const auto escape = [&](unsigned char ch) {
    if (const char* e = ShortEscape(ch)) return void(out += e);
    char x[8];
    std::snprintf(x, sizeof x, "\\x%02X", ch);
    out += x;
  };
  if (bytes == Bytes::Path) {
    // A path keeps its bytes, so that a script can use the name it reads back.
    for (const char c : text) {
      const unsigned char ch = static_cast<unsigned char>(c);
      if (ch < 0x20 || ch == 0x7F || ch == '\\')
        escape(ch);
      else
        out += c;
    }
    return out;
  }
  Walk(text, bytes, [&](unsigned char e, std::string_view piece) {
    if (e == '"')
      out += '"';
    else if (e != 0)
      escape(e);
    else
      out += piece;
  });
  return out;
}

namespace {

template <typename Float>
std::string Shortest(Float value) {
  if (!std::isfinite(value)) return "null";
  char text[64];
  const auto [end, ec] = std::to_chars(text, text + sizeof text, value);
  return ec == std::errc() ? std::string(text, end) : "null";
}

}  // namespace

std::string JsonNumber(float value) {
  return Shortest(value);
}

std::string JsonNumber(double value) {
  return Shortest(value);
}

std::string JsonNumber(double value, const char* format) {
  if (!std::isfinite(value)) return "null";
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

JsonObject& JsonObject::Json(std::string_view key, std::string_view json) {
  if (text_.size() > 1) text_ += ", ";
  text_ += JsonString(key, Bytes::Latin1);
  text_ += ": ";
  text_ += json;
  return *this;
}

JsonObject& JsonObject::Text(std::string_view key, std::string_view text, Bytes bytes) {
  return Json(key, JsonString(text, bytes));
}

JsonObject& JsonObject::Number(std::string_view key, float value) {
  return Json(key, JsonNumber(value));
}

JsonObject& JsonObject::Number(std::string_view key, double value) {
  return Json(key, JsonNumber(value));
}

JsonObject& JsonObject::Number(std::string_view key, double value, const char* format) {
  return Json(key, JsonNumber(value, format));
}

JsonObject& JsonObject::Int(std::string_view key, long long value) {
  return Json(key, std::to_string(value));
}

JsonObject& JsonObject::Bool(std::string_view key, bool value) {
  return Json(key, value ? "true" : "false");
}

std::string JsonArray(const std::vector<std::string>& items) {
  std::string out = "[";
  for (const std::string& item : items) {
    if (out.size() > 1) out += ", ";
    out += item;
  }
  return out + "]";
}

bool FinishStdout() {
  static bool reported = false;
  errno = 0;
  const bool flushed = std::fflush(stdout) == 0;
  const int error = errno;
  if (flushed && !std::ferror(stdout)) return true;
  if (!reported) {
    reported = true;
    Complain(std::string("standard output: ") +
             (error != 0 ? std::strerror(error) : "write error") + "; the output is incomplete");
  }
  return false;
}

int WithStdout(int status) {
  const bool ok = FinishStdout();
  return ok || status != kExitOk ? status : kExitFailure;
}

}  // namespace tavlex::cli
