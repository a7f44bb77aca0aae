#include "core/NumberText.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "SysUtils.h"
#include "core/DecimalDigits.h"

namespace number_text {

namespace {

// The text with a decimal point, or nothing when it holds no number at all.
std::optional<std::string> WithDecimalPoint(const std::string& text) {
  std::string trimmed = Trim(text);
  if (trimmed.empty()) return std::nullopt;
  if (trimmed.find(',') == std::string::npos) return trimmed;
  if (trimmed.find(',') != trimmed.rfind(',')) return std::nullopt;
  std::string result;
  for (char c : trimmed) {
    if (c == '.') continue;  // thousands separator
    result += c == ',' ? '.' : c;
  }
  return result;
}

}  // namespace

std::optional<std::int64_t> ParseInteger(const std::string& text) {
  const std::string trimmed = Trim(text);
  const char* begin = trimmed.data();
  const char* end = begin + trimmed.size();
  if (begin != end && *begin == '+') ++begin;
  std::int64_t value = 0;
  const auto [stop, error] = std::from_chars(begin, end, value);
  if (error != std::errc() || stop != end || begin == end) return std::nullopt;
  return value;
}

std::optional<Decimal> ParseDecimal(const std::string& text) {
  const auto normalised = WithDecimalPoint(text);
  if (!normalised) return std::nullopt;
  const auto digits = decimal_digits::FromText(*normalised);
  if (!digits) return std::nullopt;
  // Keep every decimal the text shows, up to the widest scale a Decimal holds.
  int scale = static_cast<int>(digits->Digits.size()) - digits->IntegerDigits;
  if (scale < 0) scale = 0;
  if (scale > 18) scale = 18;
  try {
    return Decimal::Parse(*normalised, scale);
  } catch (...) {
    return std::nullopt;  // out of range
  }
}

std::optional<double> ParseFloat(const std::string& text) {
  const auto normalised = WithDecimalPoint(text);
  if (!normalised || !decimal_digits::FromText(*normalised)) return std::nullopt;
  const char* begin = normalised->data();
  const char* end = begin + normalised->size();
  if (*begin == '+') ++begin;
  double value = 0;
  const auto [stop, error] = std::from_chars(begin, end, value);
  if (error != std::errc() || stop != end) return std::nullopt;
  return value;
}

std::string FloatToDisplay(double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  char buffer[64];
  const std::string text(
      buffer,
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15).ptr);
  std::string result;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '.') {
      result += ',';
    } else if (c == 'e') {
      // "1e+20" is shown "1E20", "1e-05" as "1E-5".
      result += 'E';
      std::size_t j = i + 1;
      if (text[j] == '-') result += '-';
      if (text[j] == '+' || text[j] == '-') ++j;
      while (j + 1 < text.size() && text[j] == '0') ++j;
      result += text.substr(j);
      break;
    } else {
      result += c;
    }
  }
  return result;
}

}  // namespace number_text
