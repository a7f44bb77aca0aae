#include <cstdio>

#include "DataAccess.h"
#include "Exception.h"
#include "core/DateText.h"
#include "core/NumberText.h"
#include "data/FieldConversion.h"
#include "data/StatementParameters.h"

namespace {

std::string Quoted(const std::string& text) {
  std::string literal = "'";
  for (char c : text) {
    if (c == '\0') throw Exception("Texto com caractere nulo não pode ir para um comando SQL");
    literal += c;
    if (c == '\'') literal += '\'';
  }
  return literal + "'";
}

std::string HexLiteral(const std::string& bytes) {
  static const char* const digits = "0123456789ABCDEF";
  std::string literal = "X'";
  for (unsigned char byte : bytes) {
    literal += digits[byte >> 4];
    literal += digits[byte & 0x0F];
  }
  return literal + "'";
}

}  // namespace

std::string ValorParaSQL(const Variant& value) {
  switch (value.GetKind()) {
    case Variant::Kind::Null:
      return "NULL";
    case Variant::Kind::Integer:
      return std::to_string(value.AsInt64());
    case Variant::Kind::Boolean:
      return value.AsBoolean() ? "1" : "0";
    case Variant::Kind::Float: {
      char buffer[40];
      std::snprintf(buffer, sizeof buffer, "%.15g", value.AsFloat());
      return buffer;
    }
    case Variant::Kind::Decimal:
      return DecimalSqlText(value);
    case Variant::Kind::DateTime:
      return "'" + date_text::ToIsoText(value.AsDateTime()) + "'";
    case Variant::Kind::Text:
      return Quoted(value.AsBytes());
    case Variant::Kind::Blob:
      return HexLiteral(value.AsBytes());
  }
  return "NULL";
}

std::string ValorParaSQL(const Variant& value, TFieldType type) {
  if (value.IsNull()) return "NULL";
  if (type == TFieldType::ftString) return Quoted(value.AsString());
  if (type == TFieldType::ftFMTBcd) {
    // Every decimal the value has, whatever scale a field would give it.
    if (value.GetKind() == Variant::Kind::Text) {
      const auto number = number_text::ParseDecimal(value.AsBytes());
      if (!number) throw Exception("Valor \"" + value.AsString() + "\" não é um número decimal");
      return ValorParaSQL(Variant(*number));
    }
    return ValorParaSQL(value.GetKind() == Variant::Kind::Boolean ? Variant(value.AsInt64())
                                                                  : value);
  }
  FieldShape shape;
  shape.Name = "valor";
  shape.Type = type;
  return ValorParaSQL(ConvertKeyForField(value, shape));
}
