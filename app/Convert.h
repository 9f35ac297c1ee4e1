#pragma once
// Text-to-number conversions as the dialogs use them. A text that is not a number raises
// ConvertError, whose message the error box shows.

#include <stdexcept>
#include <string>
#include <string_view>

namespace tavlex {

class ConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Decimal number with optional sign, fraction and exponent; blanks around it are allowed.
bool TryStrToFloat(std::string_view text, double& out);
// Decimal digits with an optional sign, within the 32-bit range; blanks around it are allowed.
bool TryStrToInt(std::string_view text, int& out);

double StrToFloat(std::string_view text);  // throws ConvertError
int StrToInt(std::string_view text);       // throws ConvertError

// Copies text into a fixed NUL-terminated slot of `size` bytes, cutting it to size - 1.
void CopyText(char* slot, std::size_t size, std::string_view text);

// The shortest decimal text that reads back as the same single-precision value ("0.02").
std::string ShortestFloatText(float value);

// printf into a std::string (the program's own "%8.1f" style texts).
std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

}  // namespace tavlex
