#include "data/SqlText.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "core/AsciiCase.h"

std::size_t SkipSqlNonCode(const std::string& text, std::size_t at) {
  if (at >= text.size()) return at;
  const char c = text[at];
  if (c == '\'' || c == '"') {
    std::size_t i = at + 1;
    while (i < text.size()) {
      if (text[i] == c) {
        if (i + 1 < text.size() && text[i + 1] == c) {
          i += 2;
          continue;
        }
        return i + 1;
      }
      ++i;
    }
    return text.size();
  }
  const char next = at + 1 < text.size() ? text[at + 1] : '\0';
  if (c == '-' && next == '-') return std::min(text.find('\n', at), text.size());
  if (c == '/' && next == '*') {
    const auto close = text.find("*/", at + 2);
    return close == std::string::npos ? text.size() : close + 2;
  }
  return at;
}

namespace {

bool IsNamePart(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '$' || static_cast<unsigned char>(c) >= 0x80;
}

bool NamesAMoment(std::string_view word) {
  constexpr std::array<std::string_view, 5> kMoments = {
      "CURRENT_DATE", "CURRENT_TIME", "CURRENT_TIMESTAMP", "LOCALTIME", "LOCALTIMESTAMP"};
  return std::any_of(kMoments.begin(), kMoments.end(),
                     [&](std::string_view moment) { return ascii_case::Equal{}(word, moment); });
}

bool IsAMomentLiteral(std::string_view literal) {
  constexpr std::array<std::string_view, 4> kMoments = {"'NOW'", "'TODAY'", "'TOMORROW'",
                                                        "'YESTERDAY'"};
  return std::any_of(kMoments.begin(), kMoments.end(),
                     [&](std::string_view moment) { return ascii_case::Equal{}(literal, moment); });
}

}  // namespace

bool IsRepeatable(const std::string& statement) {
  for (std::size_t at = 0; at < statement.size();) {
    if (const std::size_t past = SkipSqlNonCode(statement, at); past != at) {
      if (IsAMomentLiteral(std::string_view(statement).substr(at, past - at))) return false;
      at = past;
      continue;
    }
    if (statement[at] == '(') return false;
    if (!IsNamePart(statement[at])) {
      ++at;
      continue;
    }
    std::size_t end = at;
    while (end < statement.size() && IsNamePart(statement[end])) ++end;
    if (NamesAMoment(std::string_view(statement).substr(at, end - at))) return false;
    at = end;
  }
  return true;
}
