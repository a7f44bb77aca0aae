// Numbers read from and written as text: integers, exact decimals and floats. Input accepts
// the decimal point or the Brazilian decimal comma (then '.' groups thousands, "1.234,50").
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "Decimal.h"

namespace number_text {

std::optional<std::int64_t> ParseInteger(const std::string& text);
std::optional<Decimal> ParseDecimal(const std::string& text);
std::optional<double> ParseFloat(const std::string& text);
// Display text of a float under the Brazilian settings: up to fifteen significant digits,
// decimal comma, exponent for very large or small values ("1,5E20").
std::string FloatToDisplay(double value);

}  // namespace number_text
