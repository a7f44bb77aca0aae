#include "data/FieldConversion.h"

#include <limits>

#include "Exception.h"
#include "SysUtils.h"

namespace {

using Kind = Variant::Kind;

std::int64_t PowerOfTen(int exponent) {
  std::int64_t result = 1;
  for (int i = 0; i < exponent; ++i) result *= 10;
  return result;
}

Variant Convert(const Variant& value, const FieldShape& field, bool cutText) {
  if (value.IsNull()) return value;
  // A blank text clears a non-text field, as an emptied editor does.
  if (value.GetKind() == Kind::Text && field.Type != TFieldType::ftString &&
      field.Type != TFieldType::ftBlob && Trim(value.AsString()).empty()) {
    return Variant();
  }
  switch (field.Type) {
    case TFieldType::ftInteger: {
      const std::int64_t number = value.AsInt64();
      if (number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max()) {
        throw Exception("Valor fora do intervalo de um inteiro: " + std::to_string(number));
      }
      return Variant(number);
    }
    case TFieldType::ftLargeint:
      return value.GetKind() == Kind::Integer ? value : Variant(value.AsInt64());
    case TFieldType::ftFloat:
      return value.GetKind() == Kind::Float ? value : Variant(value.AsFloat());
    case TFieldType::ftFMTBcd: {
      const Decimal number = value.AsDecimal(field.Scale);
      if (field.Precision > 0 && field.Precision < 19) {
        const std::int64_t limit = PowerOfTen(field.Precision);
        if (number.Unscaled() >= limit || number.Unscaled() <= -limit) {
          throw Exception("Valor " + value.AsString() + " excede a precisão de " +
                          std::to_string(field.Precision) + " dígitos");
        }
      }
      return Variant(number);
    }
    case TFieldType::ftString: {
      std::string text = value.AsString();
      if (cutText && field.Size > 0 && CharCount(text) > field.Size) {
        text = LeftChars(text, field.Size);
      }
      return Variant(std::move(text));
    }
    case TFieldType::ftDate:
      return Variant(value.AsDateTime().DateOnly());
    case TFieldType::ftDateTime:
      return value.GetKind() == Kind::DateTime ? value : Variant(value.AsDateTime());
    case TFieldType::ftBlob:
      if (value.GetKind() == Kind::Blob) return value;
      return Variant(Blob{value.GetKind() == Kind::Text ? value.AsBytes() : value.AsString()});
    case TFieldType::ftBoolean:
      return Variant(value.AsBoolean());
    case TFieldType::ftUnknown:
      break;
  }
  return value;
}

Variant ConvertNamingField(const Variant& value, const FieldShape& field, bool cutText) {
  try {
    return Convert(value, field, cutText);
  } catch (const Exception& error) {
    throw Exception("Campo " + field.Name + ": " + error.Message());
  }
}

}  // namespace

Variant ConvertForField(const Variant& value, const FieldShape& field) {
  return ConvertNamingField(value, field, true);
}

Variant ConvertKeyForField(const Variant& value, const FieldShape& field) {
  return ConvertNamingField(value, field, false);
}
