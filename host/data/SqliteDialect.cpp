#include "data/SqliteDialect.h"

#include <cctype>
#include <vector>

#include "data/SqlText.h"

namespace {

bool SameWordAt(const std::string& text, std::size_t at, const char* word) {
  std::size_t i = 0;
  for (; word[i] != '\0'; ++i) {
    if (at + i >= text.size() ||
        std::tolower(static_cast<unsigned char>(text[at + i])) != word[i]) {
      return false;
    }
  }
  return true;
}

bool IsWordPart(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

// The position just past a quoted run, a comment, or the character at `at`.
std::size_t SkipToken(const std::string& s, std::size_t at) {
  const std::size_t past = SkipSqlNonCode(s, at);
  return past == at ? at + 1 : past;
}

// The position of the ')' that closes the '(' at `open`, or npos.
std::size_t ClosingParenthesis(const std::string& s, std::size_t open) {
  int depth = 0;
  for (std::size_t i = open; i < s.size(); i = SkipToken(s, i)) {
    if (s[i] == '(') ++depth;
    if (s[i] == ')' && --depth == 0) return i;
  }
  return std::string::npos;
}

// Where " AS DATE" (with the blanks before it) begins when the text before `close` ends with it,
// else npos.
std::size_t AsDateBefore(const std::string& s, std::size_t open, std::size_t close) {
  std::size_t end = close;
  while (end > open && std::isspace(static_cast<unsigned char>(s[end - 1])) != 0) --end;
  if (end < open + 4 || !SameWordAt(s, end - 4, "date") || IsWordPart(s[end - 5])) {
    return std::string::npos;
  }
  std::size_t as = end - 4;
  while (as > open && std::isspace(static_cast<unsigned char>(s[as - 1])) != 0) --as;
  if (as == end - 4 || as < open + 2 || !SameWordAt(s, as - 2, "as") || IsWordPart(s[as - 3])) {
    return std::string::npos;
  }
  std::size_t start = as - 2;
  while (start > open + 1 && std::isspace(static_cast<unsigned char>(s[start - 1])) != 0) --start;
  return start;
}

}  // namespace

std::string WithSqliteDateCasts(const std::string& statement) {
  std::vector<std::size_t> casts;  // where a `cast` keyword of the code starts
  for (std::size_t i = 0; i < statement.size(); i = SkipToken(statement, i)) {
    if (SameWordAt(statement, i, "cast") && (i == 0 || !IsWordPart(statement[i - 1])) &&
        (i + 4 >= statement.size() || !IsWordPart(statement[i + 4]))) {
      casts.push_back(i);
    }
  }
  std::string result = statement;
  // From the last one back, so that a cast inside another is rewritten first and the positions
  // of those before it still hold.
  for (auto cast = casts.rbegin(); cast != casts.rend(); ++cast) {
    std::size_t open = *cast + 4;
    while (open < result.size() && std::isspace(static_cast<unsigned char>(result[open])) != 0) {
      ++open;
    }
    if (open >= result.size() || result[open] != '(') continue;
    const std::size_t close = ClosingParenthesis(result, open);
    if (close == std::string::npos) continue;
    const std::size_t asDate = AsDateBefore(result, open, close);
    if (asDate == std::string::npos) continue;
    result.erase(asDate, close - asDate);
    result.replace(*cast, open - *cast, "date");
  }
  return result;
}
