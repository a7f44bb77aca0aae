#include "data/StatementParameters.h"

#include "Exception.h"
#include "SysUtils.h"
#include "data/SqlText.h"

namespace {

bool IsNameStart(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool IsNamePart(char c) {
  return IsNameStart(c) || (c >= '0' && c <= '9');
}

// `occurrence` counts the placeholders before this one.
std::string Placeholder(PlaceholderStyle style, std::size_t nameIndex, std::size_t occurrence) {
  switch (style) {
    case PlaceholderStyle::NumberedQuestionMark:
      return "?" + std::to_string(nameIndex + 1);
    case PlaceholderStyle::NumberedDollar:
      // One number per occurrence: the server infers each placeholder's type on its own, so a
      // name used in two places of different types does not clash.
      return "$" + std::to_string(occurrence + 1);
    case PlaceholderStyle::PlainQuestionMark:
      return "?";
  }
  return "?";
}

}  // namespace

NamedParameters RewriteNamedParameters(const std::string& statement, PlaceholderStyle style) {
  NamedParameters result;
  const std::string& s = statement;
  std::size_t i = 0;
  std::size_t copied = 0;  // statement text before this position is already in the result
  const auto copyUpTo = [&](std::size_t end) {
    result.Statement.append(s, copied, end - copied);
    copied = end;
  };
  while (i < s.size()) {
    const char c = s[i];
    if (const std::size_t past = SkipSqlNonCode(s, i); past != i) {
      i = past;
    } else if (c == ':' && i + 1 < s.size() && s[i + 1] == ':') {
      i += 2;  // a cast, "x::integer"
      while (i < s.size() && IsNamePart(s[i])) ++i;
    } else if (c == ':' && i + 1 < s.size() && IsNameStart(s[i + 1])) {
      std::size_t end = i + 1;
      while (end < s.size() && IsNamePart(s[end])) ++end;
      const std::string name = s.substr(i + 1, end - i - 1);
      std::size_t index = 0;
      while (index < result.Names.size() && !SameText(result.Names[index], name)) ++index;
      if (index == result.Names.size()) result.Names.push_back(name);
      copyUpTo(i);
      result.Statement += Placeholder(style, index, result.Occurrences.size());
      result.Occurrences.push_back(index);
      copied = end;
      i = end;
    } else {
      ++i;
    }
  }
  copyUpTo(s.size());
  return result;
}

std::vector<Variant> ValuesForNames(const NamedParameters& parameters,
                                    const std::vector<Variant>& values) {
  if (values.size() < parameters.Names.size()) {
    std::string missing;
    for (std::size_t i = values.size(); i < parameters.Names.size(); ++i) {
      missing += (missing.empty() ? ":" : ", :") + parameters.Names[i];
    }
    throw Exception("O comando tem " + std::to_string(parameters.Names.size()) +
                    " parâmetros e recebeu " + std::to_string(values.size()) +
                    " valores; sem valor: " + missing);
  }
  return {values.begin(), values.begin() + static_cast<std::ptrdiff_t>(parameters.Names.size())};
}

std::vector<Variant> ValuesPerOccurrence(const NamedParameters& parameters,
                                         const std::vector<Variant>& values) {
  const std::vector<Variant> byName = ValuesForNames(parameters, values);
  std::vector<Variant> result;
  result.reserve(parameters.Occurrences.size());
  for (std::size_t index : parameters.Occurrences) result.push_back(byName[index]);
  return result;
}

std::string DecimalSqlText(const Variant& value) {
  std::string text = value.AsString();  // plain, with a decimal comma
  for (char& c : text) c = c == ',' ? '.' : c;
  return text;
}
