#include "Decimal.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "Exception.h"
#include "core/DecimalDigits.h"

namespace {

__extension__ using Wide = __int128;

constexpr int kMaxScale = 18;

Wide PowerOfTen(int exponent) {
  Wide result = 1;
  for (int i = 0; i < exponent; ++i) result *= 10;
  return result;
}

std::int64_t Narrow(Wide value, const std::string& what) {
  if (value > std::numeric_limits<std::int64_t>::max() ||
      value < std::numeric_limits<std::int64_t>::min()) {
    throw Exception("Número fora do intervalo: " + what);
  }
  return static_cast<std::int64_t>(value);
}

void CheckScale(int scale) {
  if (scale < 0 || scale > kMaxScale) {
    throw Exception("Escala decimal inválida: " + std::to_string(scale));
  }
}

}  // namespace

Decimal Decimal::Parse(const std::string& text, int scale) {
  CheckScale(scale);
  const auto digits = decimal_digits::FromText(text);
  if (!digits) throw Exception("Número inválido: \"" + text + "\"");
  const decimal_digits::Rounded rounded = decimal_digits::RoundTo(*digits, scale);
  // Any digit beyond 38 cannot fit an int64 anyway; refuse before the wide value overflows.
  if (rounded.Digits.size() > 38) throw Exception("Número fora do intervalo: " + text);
  Wide unscaled = 0;
  for (char c : rounded.Digits) unscaled = unscaled * 10 + (c - '0');
  if (digits->Negative) unscaled = -unscaled;
  return Decimal(Narrow(unscaled, text), scale);
}

Decimal Decimal::FromDouble(double value, int scale) {
  if (!std::isfinite(value)) throw Exception("Número inválido para decimal");
  // Fifteen significant digits are what a double holds reliably: 2.675 is read as written,
  // not as the binary 2.67499999..., so it rounds to 2.68 as a person expects.
  char text[64];
  const auto end =
      std::to_chars(text, text + sizeof text - 1, value, std::chars_format::general, 15).ptr;
  return Parse(std::string(text, end), scale);
}

double Decimal::ToDouble() const {
  return static_cast<double>(FUnscaled) / static_cast<double>(PowerOfTen(FScale));
}

Decimal Decimal::Rescaled(int scale) const {
  CheckScale(scale);
  if (scale >= FScale) {
    return Decimal(Narrow(Wide{FUnscaled} * PowerOfTen(scale - FScale), ToPlainString()), scale);
  }
  const Wide divisor = PowerOfTen(FScale - scale);
  Wide quotient = Wide{FUnscaled} / divisor;
  const Wide remainder = Wide{FUnscaled} % divisor;
  // Half away from zero.
  if (2 * (remainder < 0 ? -remainder : remainder) >= divisor) quotient += FUnscaled < 0 ? -1 : 1;
  return Decimal(static_cast<std::int64_t>(quotient), scale);
}

std::string Decimal::ToPlainString() const {
  const bool negative = FUnscaled < 0;
  // Through the wide type so that the lowest int64 has a positive counterpart.
  Wide magnitude = negative ? -Wide{FUnscaled} : Wide{FUnscaled};
  std::string digits;
  do {
    digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(magnitude % 10)));
    magnitude /= 10;
  } while (magnitude != 0);
  if (FScale > 0) {
    if (digits.size() <= static_cast<std::size_t>(FScale)) {
      digits.insert(0, static_cast<std::size_t>(FScale) + 1 - digits.size(), '0');
    }
    digits.insert(digits.size() - static_cast<std::size_t>(FScale), ".");
  }
  return negative ? "-" + digits : digits;
}

int Decimal::Compare(const Decimal& other) const {
  if (FScale == other.FScale) {
    return FUnscaled < other.FUnscaled ? -1 : (FUnscaled > other.FUnscaled ? 1 : 0);
  }
  const int scale = FScale > other.FScale ? FScale : other.FScale;
  const Wide left = Wide{FUnscaled} * PowerOfTen(scale - FScale);
  const Wide right = Wide{other.FUnscaled} * PowerOfTen(scale - other.FScale);
  return left < right ? -1 : (left > right ? 1 : 0);
}
