#include "data/PostgresValues.h"

#include <libpq-fe.h>

#include <cstdio>
#include <memory>

#include "Exception.h"
#include "core/DateText.h"
#include "core/NumberText.h"
#include "data/EngineMessages.h"
#include "data/StatementParameters.h"

namespace {

// Type identifiers of the server's built-in types (pg_type.oid), fixed since long ago.
constexpr Oid kBool = 16;
constexpr Oid kBytea = 17;
constexpr Oid kInt8 = 20;
constexpr Oid kInt2 = 21;
constexpr Oid kInt4 = 23;
constexpr Oid kOid = 26;
constexpr Oid kFloat4 = 700;
constexpr Oid kFloat8 = 701;
constexpr Oid kBpchar = 1042;
constexpr Oid kVarchar = 1043;
constexpr Oid kDate = 1082;
constexpr Oid kTimestamp = 1114;
constexpr Oid kTimestampTz = 1184;
constexpr Oid kNumeric = 1700;

// A column's type as SQL would declare it, so that ColumnTyping gives the same field as for a
// SQLite column declared that way. The type modifier carries lengths (+4) and, for NUMERIC,
// precision and scale.
std::string DeclaredType(Oid type, int modifier) {
  const int length = modifier >= 4 ? modifier - 4 : -1;
  const auto withLength = [length](const char* base) {
    return length > 0 ? std::string(base) + "(" + std::to_string(length) + ")" : std::string(base);
  };
  switch (type) {
    case kBool:
      return "BOOLEAN";
    case kBytea:
      return "BLOB";
    case kInt2:
    case kInt4:
      return "INTEGER";
    case kInt8:
    case kOid:
      return "BIGINT";
    case kFloat4:
    case kFloat8:
      return "DOUBLE";
    case kBpchar:
      return withLength("CHAR");
    case kVarchar:
      return withLength("VARCHAR");
    case kDate:
      return "DATE";
    case kTimestamp:
    case kTimestampTz:
      return "TIMESTAMP";
    case kNumeric: {
      const int precision = (length >> 16) & 0xffff;
      const int scale = length & 0xffff;
      if (length < 0 || scale > precision) return "NUMERIC";
      return "NUMERIC(" + std::to_string(precision) + "," + std::to_string(scale) + ")";
    }
    default:
      // Text, and every type the host has no field for, read in its text form.
      return "TEXT";
  }
}

struct FreeMemory {
  void operator()(unsigned char* bytes) const { PQfreemem(bytes); }
};

}  // namespace

PostgresParameters::PostgresParameters(const std::vector<Variant>& values, bool typed) {
  const std::size_t count = values.size();
  FTexts.resize(count);
  FTypes.assign(count, 0);
  FLengths.assign(count, 0);
  FFormats.assign(count, 0);
  std::vector<bool> isNull(count, false);
  for (std::size_t i = 0; i < count; ++i) {
    const Variant& value = values[i];
    std::string& text = FTexts[i];
    Oid type = 0;
    switch (value.GetKind()) {
      case Variant::Kind::Null:
        isNull[i] = true;
        break;
      case Variant::Kind::Integer:
        text = std::to_string(value.AsInt64());
        type = kInt8;
        break;
      case Variant::Kind::Boolean:
        text = value.AsBoolean() ? "true" : "false";
        type = kBool;
        break;
      case Variant::Kind::Float: {
        char buffer[40];
        std::snprintf(buffer, sizeof buffer, "%.17g", value.AsFloat());
        text = buffer;
        type = kFloat8;
        break;
      }
      case Variant::Kind::Decimal:
        text = DecimalSqlText(value);
        type = kNumeric;
        break;
      case Variant::Kind::DateTime:
        // A date alone stays a date, so that it compares with a DATE column as a date.
        text = date_text::ToIsoText(value.AsDateTime());
        type = text.size() == 10 ? kDate : kTimestamp;
        break;
      case Variant::Kind::Text:
        text = value.AsBytes();
        if (text.find('\0') != std::string::npos) {
          throw EDatabaseError("Texto com caractere nulo não pode ir para o PostgreSQL");
        }
        break;
      case Variant::Kind::Blob:
        text = value.AsBytes();
        type = kBytea;
        FFormats[i] = 1;
        FLengths[i] = static_cast<int>(text.size());
        break;
    }
    FTypes[i] = typed || FFormats[i] == 1 ? type : 0;
  }
  // Pointers only once every text is in place.
  FValues.reserve(count);
  for (std::size_t i = 0; i < count; ++i)
    FValues.push_back(isNull[i] ? nullptr : FTexts[i].c_str());
}

std::vector<ColumnPlan> PostgresColumnPlans(const pg_result* result) {
  const int count = PQnfields(result);
  std::vector<std::string> names;
  names.reserve(static_cast<std::size_t>(count));
  for (int column = 0; column < count; ++column) names.emplace_back(PQfname(result, column));
  names = UniqueColumnNames(names);
  std::vector<ColumnPlan> plans;
  plans.reserve(names.size());
  for (int column = 0; column < count; ++column) {
    plans.push_back(
        PlanForDeclaredType(names[static_cast<std::size_t>(column)],
                            DeclaredType(PQftype(result, column), PQfmod(result, column))));
  }
  return plans;
}

Variant ReadPostgresCell(const pg_result* result, int row, int column, const ColumnPlan& plan,
                         const std::string& statement) {
  if (PQgetisnull(result, row, column) != 0) return Variant();
  const char* raw = PQgetvalue(result, row, column);
  std::string text(raw, static_cast<std::size_t>(PQgetlength(result, row, column)));
  switch (plan.Shape.Type) {
    case TFieldType::ftInteger:
    case TFieldType::ftLargeint:
      if (const auto number = number_text::ParseInteger(text)) return Variant(*number);
      FailColumnValue(plan.Shape.Name, text, "um número inteiro", statement);
    case TFieldType::ftFloat:
      if (const auto number = number_text::ParseFloat(text)) return Variant(*number);
      FailColumnValue(plan.Shape.Name, text, "um número", statement);
    case TFieldType::ftFMTBcd:
      try {
        return Variant(Decimal::Parse(text, plan.Shape.Scale));
      } catch (const Exception&) {
        FailColumnValue(plan.Shape.Name, text, "um número decimal de até 18 dígitos", statement);
      }
    case TFieldType::ftDate:
    case TFieldType::ftDateTime: {
      // A moment with a time zone comes in the session's zone, "+00" or "-03:00" after it.
      const auto zone = text.find_first_of("+-", 19);
      const auto value = date_text::ParseIsoDateTime(text.substr(0, zone));
      if (!value)
        FailColumnValue(plan.Shape.Name, text, "uma data do calendário do relatório", statement);
      return Variant(plan.Shape.Type == TFieldType::ftDate ? value->DateOnly() : *value);
    }
    case TFieldType::ftBlob: {
      std::size_t size = 0;
      const std::unique_ptr<unsigned char, FreeMemory> bytes(
          PQunescapeBytea(reinterpret_cast<const unsigned char*>(raw), &size));
      if (!bytes) throw EDatabaseError("Memória insuficiente para ler a coluna " + plan.Shape.Name);
      return Variant(Blob{std::string(reinterpret_cast<const char*>(bytes.get()), size)});
    }
    case TFieldType::ftBoolean:
      return Variant(text == "t");
    case TFieldType::ftString:
    case TFieldType::ftUnknown:
      break;
  }
  if (plan.TrimPadding) text.erase(text.find_last_not_of(' ') + 1);
  return Variant(std::move(text));
}
