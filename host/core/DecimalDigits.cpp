#include "core/DecimalDigits.h"

#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstdlib>

namespace decimal_digits {

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Drops leading zeros of the digit string, adjusting the integer digit count.
void Normalise(Number& number) {
  std::size_t leading = 0;
  while (leading < number.Digits.size() && number.Digits[leading] == '0') ++leading;
  number.Digits.erase(0, leading);
  number.IntegerDigits -= static_cast<int>(leading);
  while (!number.Digits.empty() && number.Digits.back() == '0') number.Digits.pop_back();
  if (number.Digits.empty()) {
    number.IntegerDigits = 0;
    number.Negative = false;
  }
}

}  // namespace

std::optional<Number> FromText(const std::string& text) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  Number number;
  if (i < n && (text[i] == '+' || text[i] == '-')) number.Negative = text[i++] == '-';
  bool anyDigit = false;
  while (i < n && IsDigit(text[i])) {
    number.Digits += text[i++];
    ++number.IntegerDigits;
    anyDigit = true;
  }
  if (i < n && text[i] == '.') {
    ++i;
    while (i < n && IsDigit(text[i])) {
      number.Digits += text[i++];
      anyDigit = true;
    }
  }
  if (!anyDigit) return std::nullopt;
  if (i < n && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    bool negativeExponent = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) negativeExponent = text[i++] == '-';
    if (i >= n || !IsDigit(text[i])) return std::nullopt;
    long exponent = 0;
    while (i < n && IsDigit(text[i])) {
      exponent = exponent * 10 + (text[i++] - '0');
      if (exponent > 100000) return std::nullopt;
    }
    number.IntegerDigits += static_cast<int>(negativeExponent ? -exponent : exponent);
  }
  while (i < n && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  if (i != n) return std::nullopt;
  Normalise(number);
  return number;
}

Number FromDouble(double value) {
  // to_chars writes what printf's "%.14e" would, without the locale and format machinery.
  char text[64];
  const auto end =
      std::to_chars(text, text + sizeof text - 1, value, std::chars_format::scientific, 14).ptr;
  *end = '\0';
  return *FromText(text);
}

Rounded RoundTo(const Number& number, int decimals) {
  // Written out in full: integer part, then `decimals` digits, then the rest for rounding.
  std::string integerPart;
  std::string fraction;
  for (int position = 0; position < number.IntegerDigits; ++position) {
    integerPart += position < static_cast<int>(number.Digits.size())
                       ? number.Digits[static_cast<std::size_t>(position)]
                       : '0';
  }
  if (integerPart.empty()) integerPart.push_back('0');
  for (int position = number.IntegerDigits; position < number.IntegerDigits + decimals + 1;
       ++position) {
    const bool inside = position >= 0 && position < static_cast<int>(number.Digits.size());
    fraction += inside ? number.Digits[static_cast<std::size_t>(position)] : '0';
  }
  const bool roundUp = fraction.back() >= '5';
  fraction.pop_back();
  std::string digits = integerPart + fraction;
  if (roundUp) {
    int position = static_cast<int>(digits.size()) - 1;
    while (position >= 0 && digits[static_cast<std::size_t>(position)] == '9') {
      digits[static_cast<std::size_t>(position--)] = '0';
    }
    if (position < 0) {
      digits.insert(digits.begin(), '1');
    } else {
      ++digits[static_cast<std::size_t>(position)];
    }
  }
  Rounded rounded;
  rounded.IsZero = digits.find_first_not_of('0') == std::string::npos;
  // Keep at least one integer digit and no superfluous leading zeros.
  const std::size_t integerLength = digits.size() - static_cast<std::size_t>(decimals);
  std::size_t leading = 0;
  while (leading + 1 < integerLength && digits[leading] == '0') ++leading;
  rounded.Digits = digits.substr(leading);
  return rounded;
}

}  // namespace decimal_digits
