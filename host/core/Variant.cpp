#include "Variant.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "Exception.h"
#include "SysUtils.h"
#include "core/DateText.h"
#include "core/NumberText.h"

namespace {

const char* KindName(Variant::Kind kind) {
  switch (kind) {
    case Variant::Kind::Null:
      return "nulo";
    case Variant::Kind::Integer:
      return "inteiro";
    case Variant::Kind::Float:
      return "número";
    case Variant::Kind::Decimal:
      return "decimal";
    case Variant::Kind::Text:
      return "texto";
    case Variant::Kind::DateTime:
      return "data";
    case Variant::Kind::Boolean:
      return "lógico";
    case Variant::Kind::Blob:
      return "binário";
  }
  return "?";
}

[[noreturn]] void CannotConvert(const Variant& value, const char* target) {
  std::string shown;
  if (value.GetKind() == Variant::Kind::Text) shown = " \"" + value.AsString() + "\"";
  throw Exception(std::string("Não é possível converter o valor ") + KindName(value.GetKind()) +
                  shown + " em " + target);
}

std::int64_t RoundToInt64(double value, const Variant& original) {
  const double rounded = std::round(value);  // half away from zero
  if (!std::isfinite(rounded) || rounded < -9.2233720368547758e18 ||
      rounded >= 9.2233720368547758e18) {
    CannotConvert(original, "inteiro");
  }
  return static_cast<std::int64_t>(rounded);
}

// Ranks of the kinds for ordering values of different kinds: null, numbers, texts, blobs.
int Rank(Variant::Kind kind) {
  switch (kind) {
    case Variant::Kind::Null:
      return 0;
    case Variant::Kind::Text:
      return 2;
    case Variant::Kind::Blob:
      return 3;
    default:
      return 1;
  }
}

}  // namespace

std::int64_t Variant::AsInt64() const {
  switch (GetKind()) {
    case Kind::Null:
      return 0;
    case Kind::Integer:
      return std::get<std::int64_t>(FValue);
    case Kind::Float:
      return RoundToInt64(std::get<double>(FValue), *this);
    case Kind::Decimal: {
      const ::Decimal whole = std::get<::Decimal>(FValue).Rescaled(0);
      return whole.Unscaled();
    }
    case Kind::Text: {
      const std::string& text = std::get<std::string>(FValue);
      const auto number = number_text::ParseInteger(text);
      if (number) return *number;
      const auto real = number_text::ParseDecimal(text);
      if (real) return real->Rescaled(0).Unscaled();
      CannotConvert(*this, "inteiro");
    }
    case Kind::DateTime:
      return static_cast<std::int64_t>(std::get<TDateTime>(FValue).Value());
    case Kind::Boolean:
      return std::get<bool>(FValue) ? 1 : 0;
    case Kind::Blob:
      break;
  }
  CannotConvert(*this, "inteiro");
}

int Variant::AsInteger() const {
  const std::int64_t value = AsInt64();
  if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max()) {
    throw Exception("Valor fora do intervalo de um inteiro: " + std::to_string(value));
  }
  return static_cast<int>(value);
}

double Variant::AsFloat() const {
  switch (GetKind()) {
    case Kind::Null:
      return 0.0;
    case Kind::Integer:
      return static_cast<double>(std::get<std::int64_t>(FValue));
    case Kind::Float:
      return std::get<double>(FValue);
    case Kind::Decimal:
      return std::get<::Decimal>(FValue).ToDouble();
    case Kind::Text: {
      const auto number = number_text::ParseFloat(std::get<std::string>(FValue));
      if (number) return *number;
      break;
    }
    case Kind::DateTime:
      return std::get<TDateTime>(FValue).Value();
    case Kind::Boolean:
      return std::get<bool>(FValue) ? 1.0 : 0.0;
    case Kind::Blob:
      break;
  }
  CannotConvert(*this, "número");
}

::Decimal Variant::AsDecimal(int scale) const {
  switch (GetKind()) {
    case Kind::Null:
      return ::Decimal(0, scale);
    case Kind::Integer:
      return ::Decimal(std::get<std::int64_t>(FValue), 0).Rescaled(scale);
    case Kind::Float:
      return ::Decimal::FromDouble(std::get<double>(FValue), scale);
    case Kind::Decimal:
      return std::get<::Decimal>(FValue).Rescaled(scale);
    case Kind::Text: {
      const auto number = number_text::ParseDecimal(std::get<std::string>(FValue));
      if (number) return number->Rescaled(scale);
      break;
    }
    case Kind::Boolean:
      return ::Decimal(std::get<bool>(FValue) ? 1 : 0, 0).Rescaled(scale);
    case Kind::DateTime:
    case Kind::Blob:
      break;
  }
  CannotConvert(*this, "decimal");
}

TDateTime Variant::AsDateTime() const {
  switch (GetKind()) {
    case Kind::Null:
      return TDateTime();
    case Kind::Integer:
      return TDateTime(static_cast<double>(std::get<std::int64_t>(FValue)));
    case Kind::Float:
      return TDateTime(std::get<double>(FValue));
    case Kind::Decimal:
      return TDateTime(std::get<::Decimal>(FValue).ToDouble());
    case Kind::Text: {
      const auto value = date_text::ParseDateTime(std::get<std::string>(FValue));
      if (value) return *value;
      break;
    }
    case Kind::DateTime:
      return std::get<TDateTime>(FValue);
    case Kind::Boolean:
    case Kind::Blob:
      break;
  }
  CannotConvert(*this, "data");
}

bool Variant::AsBoolean() const {
  switch (GetKind()) {
    case Kind::Null:
      return false;
    case Kind::Boolean:
      return std::get<bool>(FValue);
    case Kind::Integer:
      return std::get<std::int64_t>(FValue) != 0;
    case Kind::Float:
      return std::get<double>(FValue) != 0.0;
    case Kind::Decimal:
      return std::get<::Decimal>(FValue).Unscaled() != 0;
    case Kind::Text: {
      const std::string text = Trim(std::get<std::string>(FValue));
      if (SameText(text, "True")) return true;
      if (SameText(text, "False")) return false;
      const auto number = number_text::ParseFloat(text);
      if (number) return *number != 0.0;
      break;
    }
    case Kind::DateTime:
    case Kind::Blob:
      break;
  }
  CannotConvert(*this, "lógico");
}

std::string Variant::AsString() const {
  switch (GetKind()) {
    case Kind::Null:
      return {};
    case Kind::Integer:
      return std::to_string(std::get<std::int64_t>(FValue));
    case Kind::Float:
      return number_text::FloatToDisplay(std::get<double>(FValue));
    case Kind::Decimal: {
      std::string text = std::get<::Decimal>(FValue).ToPlainString();
      const auto point = text.find('.');
      if (point != std::string::npos) text[point] = ',';
      return text;
    }
    case Kind::Text:
      return std::get<std::string>(FValue);
    case Kind::DateTime:
      return DateTimeToStr(std::get<TDateTime>(FValue));
    case Kind::Boolean:
      return std::get<bool>(FValue) ? "True" : "False";
    case Kind::Blob:
      return std::get<::Blob>(FValue).Bytes;
  }
  return {};
}

const std::string& Variant::AsBytes() const {
  static const std::string empty;
  if (GetKind() == Kind::Blob) return std::get<::Blob>(FValue).Bytes;
  if (GetKind() == Kind::Text) return std::get<std::string>(FValue);
  return empty;
}

int Variant::Compare(const Variant& a, const Variant& b) {
  // Same-kind values are the common case of index sorts: compare them without conversion.
  if (a.FValue.index() == b.FValue.index()) {
    const auto three_way = [](const auto& x, const auto& y) {
      return x < y ? -1 : (y < x ? 1 : 0);
    };
    switch (a.GetKind()) {
      case Kind::Null:
        return 0;
      case Kind::Integer:
        return three_way(std::get<std::int64_t>(a.FValue), std::get<std::int64_t>(b.FValue));
      case Kind::Float:
        return three_way(std::get<double>(a.FValue), std::get<double>(b.FValue));
      case Kind::DateTime:
        return three_way(std::get<TDateTime>(a.FValue).Value(),
                         std::get<TDateTime>(b.FValue).Value());
      case Kind::Decimal:
        return std::get<::Decimal>(a.FValue).Compare(std::get<::Decimal>(b.FValue));
      case Kind::Text: {
        const int order = std::get<std::string>(a.FValue).compare(std::get<std::string>(b.FValue));
        return order < 0 ? -1 : (order > 0 ? 1 : 0);
      }
      default:
        break;
    }
  }
  const int rankA = Rank(a.GetKind());
  const int rankB = Rank(b.GetKind());
  if (rankA != rankB) return rankA < rankB ? -1 : 1;
  if (rankA == 0) return 0;
  if (rankA == 1) {
    // Integers and decimals compare exactly; once a float or a date is involved, as doubles.
    const auto inexact = [](Kind kind) { return kind == Kind::Float || kind == Kind::DateTime; };
    if (inexact(a.GetKind()) || inexact(b.GetKind())) {
      const double x = a.AsFloat();
      const double y = b.AsFloat();
      return x < y ? -1 : (x > y ? 1 : 0);
    }
    const auto exact = [](const Variant& v) {
      return v.GetKind() == Kind::Decimal ? std::get<::Decimal>(v.FValue)
                                          : ::Decimal(v.AsInt64(), 0);
    };
    return exact(a).Compare(exact(b));
  }
  const int order = a.AsBytes().compare(b.AsBytes());
  return order < 0 ? -1 : (order > 0 ? 1 : 0);
}
