#include "data/InclusionExpression.h"

#include <cmath>
#include <limits>
#include <optional>

#include "DataAccess.h"
#include "Exception.h"
#include "SysUtils.h"
#include "core/NumberText.h"

namespace {

[[noreturn]] void Invalid(const std::string& expression) {
  throw EjxsError("Expressão de códigos inválida: \"" + expression + "\"");
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

class Reader {
 public:
  explicit Reader(const std::string& text) : FText(text) {}

  void SkipBlanks() {
    while (FAt < FText.size() && IsBlank(FText[FAt])) ++FAt;
  }
  bool AtEnd() {
    SkipBlanks();
    return FAt >= FText.size();
  }
  bool Accept(char c) {
    SkipBlanks();
    if (FAt >= FText.size() || FText[FAt] != c) return false;
    ++FAt;
    return true;
  }
  bool AcceptSeparator() { return Accept(',') || Accept(';'); }
  std::int64_t Code() {
    SkipBlanks();
    if (FAt >= FText.size() || !IsDigit(FText[FAt])) Invalid(FText);
    std::int64_t value = 0;
    while (FAt < FText.size() && IsDigit(FText[FAt])) {
      const int digit = FText[FAt++] - '0';
      if (value > (std::numeric_limits<std::int64_t>::max() - digit) / 10) Invalid(FText);
      value = value * 10 + digit;
    }
    return value;
  }

 private:
  const std::string& FText;
  std::size_t FAt = 0;
};

std::string Condition(const std::string& column, const std::vector<CodeRange>& ranges) {
  std::string codes;
  std::string parts;
  for (const CodeRange& range : ranges) {
    if (range.First == range.Last) {
      codes += (codes.empty() ? "" : ",") + std::to_string(range.First);
    }
  }
  if (!codes.empty()) parts = column + " in (" + codes + ")";
  for (const CodeRange& range : ranges) {
    if (range.First != range.Last) {
      parts += (parts.empty() ? "" : " or ") + column + " between " + std::to_string(range.First) +
               " and " + std::to_string(range.Last);
    }
  }
  return "(" + parts + ")";
}

bool IsColumnName(const std::string& column) {
  if (column.empty()) return false;
  for (char c : column) {
    const bool allowed =
        (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || IsDigit(c) || c == '_' || c == '.';
    if (!allowed) return false;
  }
  return !IsDigit(column[0]);
}

const std::string& ColumnOf(const std::vector<std::string>& columns) {
  if (columns.empty()) throw Exception("FilterInterval sem coluna");
  if (!IsColumnName(columns.front())) {
    throw Exception("Nome de coluna inválido para FilterInterval: \"" + columns.front() + "\"");
  }
  return columns.front();
}

void CheckKinds(const std::vector<TjxsTypeInclusionExV>& kinds) {
  for (TjxsTypeInclusionExV kind : kinds) {
    if (kind != 1) {
      throw Exception("Tipo de expressão de inclusão não suportado: " + std::to_string(kind));
    }
  }
}

}  // namespace

std::vector<CodeRange> ParseInclusionExpression(const std::string& expression) {
  std::vector<CodeRange> ranges;
  Reader reader(expression);
  if (reader.AtEnd()) return ranges;
  do {
    CodeRange range{};
    range.First = reader.Code();
    range.Last = reader.Accept('-') ? reader.Code() : range.First;
    if (range.First > range.Last) Invalid(expression);
    ranges.push_back(range);
  } while (reader.AcceptSeparator());
  if (!reader.AtEnd()) Invalid(expression);
  return ranges;
}

std::string FilterInterval(const std::vector<std::string>& columns, const std::string& expression,
                           const std::vector<TjxsTypeInclusionExV>& kinds, bool leadingAnd,
                           int number) {
  return FilterInterval(columns, expression, kinds, leadingAnd, number, 0);
}

std::string FilterInterval(const std::vector<std::string>& columns, const std::string& expression,
                           const std::vector<TjxsTypeInclusionExV>& kinds, bool leadingAnd, int,
                           int) {
  const std::string& column = ColumnOf(columns);
  CheckKinds(kinds);
  const std::vector<CodeRange> ranges = ParseInclusionExpression(expression);
  // Callers skip blank expressions; one that reaches here selects nothing less.
  if (ranges.empty()) return "";
  return (leadingAnd ? " and " : "") + Condition(column, ranges);
}

bool CheckInInclusion(const Variant& value, const std::string& expression,
                      const std::vector<TjxsTypeInclusionExV>& kinds) {
  CheckKinds(kinds);
  const std::vector<CodeRange> ranges = ParseInclusionExpression(expression);
  // Only a whole number can be one of the codes; anything else lies outside every expression.
  std::optional<std::int64_t> code;
  switch (value.GetKind()) {
    case Variant::Kind::Integer:
      code = value.AsInt64();
      break;
    case Variant::Kind::Text:
      code = number_text::ParseInteger(value.AsBytes());
      break;
    case Variant::Kind::Float:
    case Variant::Kind::Decimal:
      if (const double number = value.AsFloat();
          std::trunc(number) == number && std::fabs(number) < 9.0e18) {
        code = static_cast<std::int64_t>(number);
      }
      break;
    default:
      break;
  }
  if (!code) return false;
  for (const CodeRange& range : ranges) {
    if (*code >= range.First && *code <= range.Last) return true;
  }
  return false;
}
