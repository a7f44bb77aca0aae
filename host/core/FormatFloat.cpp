#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "SysUtils.h"
#include "core/DecimalDigits.h"

namespace {

// One section of a number pattern ("#,##0.00"), read once.
struct NumberPattern {
  std::string Prefix;  // literal text before the first digit placeholder
  std::string Suffix;  // literal text after the last one
  int MinIntegerDigits = 0;
  int MinDecimals = 0;
  int MaxDecimals = 0;
  bool Grouping = false;
};

// Splits "positive;negative;zero", leaving ';' inside quotes alone.
std::vector<std::string> Sections(const std::string& pattern) {
  std::vector<std::string> sections(1);
  char quote = 0;
  for (char c : pattern) {
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '\'' || c == '"') {
      quote = c;
    } else if (c == ';') {
      sections.emplace_back();
      continue;
    }
    sections.back() += c;
  }
  return sections;
}

NumberPattern Parse(const std::string& section) {
  NumberPattern pattern;
  bool seenPlaceholder = false;
  bool inDecimals = false;
  bool seenIntegerZero = false;
  int decimalPlaceholders = 0;
  std::string literal;
  for (std::size_t i = 0; i < section.size(); ++i) {
    const char c = section[i];
    if (c == '\'' || c == '"') {
      const std::size_t close = section.find(c, i + 1);
      const std::size_t stop = close == std::string::npos ? section.size() : close;
      literal += section.substr(i + 1, stop - i - 1);
      i = stop;
      continue;
    }
    if (c == '0' || c == '#') {
      if (!seenPlaceholder) pattern.Prefix = literal;
      literal.clear();
      seenPlaceholder = true;
      if (inDecimals) {
        ++decimalPlaceholders;
        if (c == '0') pattern.MinDecimals = decimalPlaceholders;
      } else if (c == '0' || seenIntegerZero) {
        seenIntegerZero = true;
        ++pattern.MinIntegerDigits;
      }
    } else if (c == '.' && !inDecimals) {
      inDecimals = true;
    } else if (c == ',' && !inDecimals) {
      pattern.Grouping = true;
    } else {
      literal += c;
    }
  }
  if (!seenPlaceholder) pattern.Prefix = literal;
  if (seenPlaceholder) pattern.Suffix = literal;
  pattern.MaxDecimals = decimalPlaceholders;
  return pattern;
}

std::string Group(const std::string& digits) {
  std::string grouped;
  const std::size_t length = digits.size();
  for (std::size_t i = 0; i < length; ++i) {
    if (i > 0 && (length - i) % 3 == 0) grouped += '.';
    grouped += digits[i];
  }
  return grouped;
}

std::string Render(const NumberPattern& pattern, const decimal_digits::Rounded& rounded) {
  const std::size_t decimals = static_cast<std::size_t>(pattern.MaxDecimals);
  std::string integerPart = rounded.Digits.substr(0, rounded.Digits.size() - decimals);
  std::string fraction = rounded.Digits.substr(rounded.Digits.size() - decimals);
  integerPart.erase(0, integerPart.find_first_not_of('0'));
  if (integerPart.size() < static_cast<std::size_t>(pattern.MinIntegerDigits)) {
    integerPart.insert(0, static_cast<std::size_t>(pattern.MinIntegerDigits) - integerPart.size(),
                       '0');
  }
  while (fraction.size() > static_cast<std::size_t>(pattern.MinDecimals) &&
         fraction.back() == '0') {
    fraction.pop_back();
  }
  std::string text = pattern.Prefix + (pattern.Grouping ? Group(integerPart) : integerPart);
  if (!fraction.empty()) text += ',' + fraction;
  return text + pattern.Suffix;
}

}  // namespace

std::string FormatFloat(const std::string& patternText, double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  // Reports format thousands of values with the same few patterns, often in turn (a code,
  // then an amount): the last few are kept parsed, per thread.
  struct ParsedPattern {
    std::string Text;
    std::vector<std::string> Sections;
    std::vector<NumberPattern> Patterns;
  };
  constexpr std::size_t kKeptPatterns = 8;
  thread_local std::vector<ParsedPattern> kept;
  thread_local std::size_t nextToReplace = 0;
  auto found = std::find_if(kept.begin(), kept.end(), [&](const ParsedPattern& parsed) {
    return parsed.Text == patternText;
  });
  if (found == kept.end()) {
    ParsedPattern parsed{patternText, Sections(patternText), {}};
    for (const std::string& section : parsed.Sections) parsed.Patterns.push_back(Parse(section));
    if (kept.size() < kKeptPatterns) {
      found = kept.insert(kept.end(), std::move(parsed));
    } else {
      found = kept.begin() + static_cast<std::ptrdiff_t>(nextToReplace);
      nextToReplace = (nextToReplace + 1) % kKeptPatterns;
      *found = std::move(parsed);
    }
  }
  const ParsedPattern& last = *found;
  const std::vector<std::string>& sections = last.Sections;
  const decimal_digits::Number number = decimal_digits::FromDouble(value);

  const NumberPattern& pattern = last.Patterns[0];
  decimal_digits::Rounded rounded = decimal_digits::RoundTo(number, pattern.MaxDecimals);
  if (rounded.IsZero && sections.size() >= 3 && !sections[2].empty()) {
    const NumberPattern& zero = last.Patterns[2];
    return Render(zero, decimal_digits::RoundTo(number, zero.MaxDecimals));
  }
  if (number.Negative && sections.size() >= 2 && !sections[1].empty()) {
    // The negative section shows its own signs.
    const NumberPattern& negative = last.Patterns[1];
    return Render(negative, decimal_digits::RoundTo(number, negative.MaxDecimals));
  }
  // A value that rounds to zero shows no minus sign: -0,001 is "0,00", not "-0,00".
  const bool minus = number.Negative && !rounded.IsZero;
  return (minus ? "-" : "") + Render(pattern, rounded);
}
