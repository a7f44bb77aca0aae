// An exact fixed-point number (money is NUMERIC(18,2)): an unscaled integer and its scale.
#pragma once

#include <cstdint>
#include <string>

#include "KdrApi.h"

class KDR_API Decimal {
 public:
  constexpr Decimal() = default;
  constexpr Decimal(std::int64_t unscaled, int scale) : FUnscaled(unscaled), FScale(scale) {}

  // Parses "1234.5", "-0.07" or "12" exactly, rounding half away from zero to `scale` digits.
  static Decimal Parse(const std::string& text, int scale);
  static Decimal FromDouble(double value, int scale);

  constexpr std::int64_t Unscaled() const { return FUnscaled; }
  constexpr int Scale() const { return FScale; }
  double ToDouble() const;
  Decimal Rescaled(int scale) const;
  // Plain text with a '.' and exactly Scale() decimals, as SQL literals want it.
  std::string ToPlainString() const;

  int Compare(const Decimal& other) const;
  bool operator==(const Decimal& other) const { return Compare(other) == 0; }

 private:
  std::int64_t FUnscaled = 0;
  int FScale = 0;
};
