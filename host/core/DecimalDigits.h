// Decimal numbers as digit strings, for exact parsing and for rounding half away from zero
// without passing through binary floating point.
#pragma once

#include <optional>
#include <string>

namespace decimal_digits {

// A number as its significant decimal digits and the position of the decimal point: the
// integer part is the first `IntegerDigits` characters of `Digits` (zero-filled on the right
// when there are fewer), the fraction the rest (zero-filled on the left when negative).
struct Number {
  bool Negative = false;
  std::string Digits;     // without leading zeros; empty for zero
  int IntegerDigits = 0;  // may be negative (0.001 has Digits "1", IntegerDigits -2)
};

// Parses "-12.50", "+3", ".5", "1e+15" or "1.0E-3"; blanks around it allowed.
std::optional<Number> FromText(const std::string& text);
// The fifteen significant digits of a finite double.
Number FromDouble(double value);

struct Rounded {
  std::string Digits;  // integer part followed by exactly `decimals` digits, no sign
  bool IsZero = true;
};
// Rounds half away from zero to `decimals` places.
Rounded RoundTo(const Number& number, int decimals);

}  // namespace decimal_digits
