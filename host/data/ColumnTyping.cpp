#include "data/ColumnTyping.h"

#include <limits>

#include "SysUtils.h"

namespace {

struct DeclaredType {
  std::string Base;  // "VARCHAR", "NUMERIC", "CHARACTER VARYING"
  int First = -1;    // first argument in parentheses, -1 when none
  int Second = -1;
};

DeclaredType ParseDeclared(const std::string& declared) {
  DeclaredType type;
  const std::string upper = UpperCase(Trim(declared));
  const auto open = upper.find('(');
  type.Base = Trim(upper.substr(0, open));
  if (open != std::string::npos) {
    const auto close = upper.find(')', open);
    const std::string arguments =
        upper.substr(open + 1, close == std::string::npos ? std::string::npos : close - open - 1);
    const auto comma = arguments.find(',');
    type.First = StrToIntDef(arguments.substr(0, comma), -1);
    if (comma != std::string::npos) type.Second = StrToIntDef(arguments.substr(comma + 1), -1);
  }
  return type;
}

bool Contains(const std::string& text, const char* part) {
  return text.find(part) != std::string::npos;
}

ColumnPlan Typed(const std::string& name, TFieldType type, int size = 0, int precision = 0,
                 int scale = 0) {
  ColumnPlan plan;
  plan.Shape = {name, type, size, precision, scale};
  plan.Declared = true;
  return plan;
}

}  // namespace

ColumnPlan PlanForDeclaredType(const std::string& name, const std::string& declared) {
  const DeclaredType type = ParseDeclared(declared);
  const std::string& base = type.Base;
  if (base.empty()) {
    // An expression: text until a value tells otherwise.
    ColumnPlan plan;
    plan.Shape = {name, TFieldType::ftString, 0, 0, 0};
    return plan;
  }
  if (base == "DATE") return Typed(name, TFieldType::ftDate);
  if (base.rfind("TIMESTAMP", 0) == 0 || base == "DATETIME") {
    return Typed(name, TFieldType::ftDateTime);
  }
  if (base == "NUMERIC" || base == "DECIMAL") {
    // Without arguments the host's default for exact numbers: 18 digits, 4 decimals.
    const int precision = type.First > 0 ? type.First : 18;
    const int scale = type.First > 0 ? (type.Second >= 0 ? type.Second : 0) : 4;
    return Typed(name, TFieldType::ftFMTBcd, 0, precision, scale > 18 ? 18 : scale);
  }
  if (base == "BOOLEAN" || base == "BOOL") return Typed(name, TFieldType::ftBoolean);
  if (Contains(base, "INT")) {
    const bool wide = base == "BIGINT" || base == "INT8" || base == "UNSIGNED BIG INT";
    return Typed(name, wide ? TFieldType::ftLargeint : TFieldType::ftInteger);
  }
  if (Contains(base, "CHAR") || Contains(base, "CLOB") || Contains(base, "TEXT")) {
    ColumnPlan plan = Typed(name, TFieldType::ftString, type.First > 0 ? type.First : 0);
    plan.TrimPadding =
        base == "CHAR" || base == "NCHAR" || base == "CHARACTER" || base == "NATIVE CHARACTER";
    return plan;
  }
  if (Contains(base, "BLOB")) return Typed(name, TFieldType::ftBlob);
  if (Contains(base, "REAL") || Contains(base, "FLOA") || Contains(base, "DOUB")) {
    return Typed(name, TFieldType::ftFloat);
  }
  // A type this host does not know: read it as an expression.
  return PlanForDeclaredType(name, "");
}

std::optional<ColumnPlan> WidenForStorage(const ColumnPlan& plan, StorageClass storage) {
  if (plan.Declared || storage == StorageClass::Null) return std::nullopt;
  ColumnPlan wider = plan;
  wider.SeenValue = true;
  const TFieldType type = plan.Shape.Type;
  if (!plan.SeenValue) {
    // The first value types the column; a text keeps the provisional text type.
    switch (storage) {
      case StorageClass::Integer:
        wider.Shape.Type = TFieldType::ftLargeint;
        return wider;
      case StorageClass::Float:
        wider.Shape.Type = TFieldType::ftFloat;
        return wider;
      case StorageClass::Blob:
        wider.Shape.Type = TFieldType::ftBlob;
        return wider;
      default:
        return std::nullopt;
    }
  }
  const bool textual = storage == StorageClass::Text || storage == StorageClass::Blob;
  if (type == TFieldType::ftLargeint && storage == StorageClass::Float) {
    wider.Shape.Type = TFieldType::ftFloat;
    return wider;
  }
  if ((type == TFieldType::ftLargeint || type == TFieldType::ftFloat) && textual) {
    wider.Shape.Type = TFieldType::ftString;
    return wider;
  }
  return std::nullopt;
}

std::optional<ColumnPlan> WidenForValue(const ColumnPlan& plan, const Variant& value) {
  if (value.IsNull()) return std::nullopt;
  if (plan.Shape.Type == TFieldType::ftInteger) return WidenForInteger(plan, value.AsInt64());
  if (plan.Shape.Type == TFieldType::ftString) return WidenForText(plan, value.AsBytes());
  return std::nullopt;
}

std::optional<ColumnPlan> WidenForInteger(const ColumnPlan& plan, std::int64_t value) {
  if (!plan.Declared || plan.Shape.Type != TFieldType::ftInteger ||
      (value >= std::numeric_limits<int>::min() && value <= std::numeric_limits<int>::max())) {
    return std::nullopt;
  }
  ColumnPlan wider = plan;
  wider.Shape.Type = TFieldType::ftLargeint;
  return wider;
}

std::optional<ColumnPlan> WidenForText(const ColumnPlan& plan, std::string_view text) {
  const int size = plan.Shape.Size;
  // A text of no more bytes than the size has no more characters either.
  if (!plan.Declared || plan.Shape.Type != TFieldType::ftString || size <= 0 ||
      text.size() <= static_cast<std::size_t>(size) || CharCount(std::string(text)) <= size) {
    return std::nullopt;
  }
  // The database holds a longer text than declared: keep all of it.
  ColumnPlan wider = plan;
  wider.Shape.Size = 0;
  return wider;
}

std::vector<std::string> UniqueColumnNames(const std::vector<std::string>& names) {
  std::vector<std::string> unique;
  for (std::size_t column = 0; column < names.size(); ++column) {
    const std::string base =
        names[column].empty() ? "COLUNA" + std::to_string(column + 1) : names[column];
    std::string name = base;
    for (int suffix = 1;; ++suffix) {
      bool taken = false;
      for (const std::string& other : unique) taken = taken || SameText(other, name);
      if (!taken) break;
      name = base + "_" + std::to_string(suffix);
    }
    unique.push_back(name);
  }
  return unique;
}
