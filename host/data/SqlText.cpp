#include "data/SqlText.h"

#include <algorithm>

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
