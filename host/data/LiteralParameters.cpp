#include "data/LiteralParameters.h"

#include <charconv>
#include <cstdint>
#include <string_view>

#include "data/SqlText.h"

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// What may end an integer literal: anything else (a letter, a point, a byte of a UTF-8 name)
// makes it part of another token, or not a plain integer.
bool EndsLiteral(char c) {
  return IsBlank(c) || std::string_view(")],;+-*/%<>=!|&").find(c) != std::string_view::npos;
}

// Characters that begin a parameter of the statement's own or a name quoted in a way
// SkipSqlNonCode does not know.
bool OutOfScope(char c) {
  return c == '?' || c == ':' || c == '@' || c == '$' || c == '[' || c == '`';
}

}  // namespace

std::optional<LiteralParameters> ParameterizeEqualityLiterals(const std::string& statement) {
  LiteralParameters result;
  const std::string& s = statement;
  std::size_t copied = 0;
  for (std::size_t at = 0; at < s.size();) {
    if (const std::size_t past = SkipSqlNonCode(s, at); past != at) {
      at = past;
      continue;
    }
    const char c = s[at];
    if (OutOfScope(c)) return std::nullopt;
    ++at;
    // `=` alone: not `==`, `<=`, `>=`, `!=`.
    if (c != '=' ||
        (at >= 2 && std::string_view("<>!=").find(s[at - 2]) != std::string_view::npos) ||
        (at < s.size() && s[at] == '=')) {
      continue;
    }
    std::size_t begin = at;
    while (begin < s.size() && IsBlank(s[begin])) ++begin;
    std::size_t end = begin;
    while (end < s.size() && IsDigit(s[end])) ++end;
    if (end == begin || (end < s.size() && !EndsLiteral(s[end]))) continue;
    std::int64_t value = 0;
    const auto [last, error] = std::from_chars(s.data() + begin, s.data() + end, value);
    if (error != std::errc() || last != s.data() + end) continue;  // beyond 64 bits: a real
    result.Statement.append(s, copied, begin - copied);
    result.Values.emplace_back(value);
    result.Statement += ":literal" + std::to_string(result.Values.size());
    copied = end;
    at = end;
  }
  if (result.Values.empty()) return std::nullopt;
  result.Statement.append(s, copied, std::string::npos);
  return result;
}
