#include "app/Convert.h"

#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace tavlex {
namespace {

std::string_view Trim(std::string_view t) {
  while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
  while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.remove_suffix(1);
  return t;
}

}  // namespace

bool TryStrToFloat(std::string_view text, double& out) {
  std::string_view t = Trim(text);
  // One sign at most: "+-5" is no number.
  const bool plus = !t.empty() && t.front() == '+';
  if (plus) t.remove_prefix(1);
  if (t.empty() || t.front() == '+' || (plus && t.front() == '-')) return false;
  // from_chars accepts "inf" and "nan"; the dialogs take only plain numbers.
  for (char c : t) {
    if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == 'e' || c == 'E' || c == '+'))
      return false;
  }
  double v = 0;
  auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
  if (ec != std::errc() || end != t.data() + t.size() || !std::isfinite(v)) return false;
  out = v;
  return true;
}

bool TryStrToInt(std::string_view text, int& out) {
  std::string_view t = Trim(text);
  // One sign at most: "+-5" is no number.
  const bool plus = !t.empty() && t.front() == '+';
  if (plus) t.remove_prefix(1);
  if (t.empty() || t.front() == '+' || (plus && t.front() == '-')) return false;
  int v = 0;
  auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
  if (ec != std::errc() || end != t.data() + t.size()) return false;
  out = v;
  return true;
}

double StrToFloat(std::string_view text) {
  double v;
  if (!TryStrToFloat(text, v))
    throw ConvertError("'" + std::string(text) + "' is not a valid floating point value");
  return v;
}

int StrToInt(std::string_view text) {
  int v;
  if (!TryStrToInt(text, v))
    throw ConvertError("'" + std::string(text) + "' is not a valid integer value");
  return v;
}

void CopyText(char* slot, std::size_t size, std::string_view text) {
  std::size_t n = text.size() < size - 1 ? text.size() : size - 1;
  std::memcpy(slot, text.data(), n);
  slot[n] = '\0';
}

std::string ShortestFloatText(float value) {
  char buf[64];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
  return ec == std::errc() ? std::string(buf, end) : std::string();
}

std::string Format(const char* fmt, ...) {
  char buf[512];
  va_list ap;
  va_start(ap, fmt);
  int n = std::vsnprintf(buf, sizeof buf, fmt, ap);
  va_end(ap);
  if (n < 0) return {};
  if (static_cast<std::size_t>(n) < sizeof buf) return std::string(buf, static_cast<std::size_t>(n));
  std::string big(static_cast<std::size_t>(n) + 1, '\0');
  va_start(ap, fmt);
  std::vsnprintf(big.data(), big.size(), fmt, ap);
  va_end(ap);
  big.resize(static_cast<std::size_t>(n));
  return big;
}

}  // namespace tavlex
