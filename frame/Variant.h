// A nullable value of one of the kinds that fields and statement parameters carry.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "Decimal.h"
#include "KdrApi.h"
#include "TDateTime.h"

// Bytes of a blob, kept apart from text so that a value knows which of the two it is.
struct Blob {
  std::string Bytes;
  bool operator==(const Blob&) const = default;
};

class KDR_API Variant {
 public:
  enum class Kind { Null, Integer, Float, Decimal, Text, DateTime, Boolean, Blob };

  Variant() = default;
  Variant(int value) : FValue(std::int64_t{value}) {}
  Variant(std::int64_t value) : FValue(value) {}
  Variant(double value) : FValue(value) {}
  Variant(::Decimal value) : FValue(value) {}
  Variant(std::string value) : FValue(std::move(value)) {}
  Variant(const char* value) : FValue(std::string(value)) {}
  Variant(TDateTime value) : FValue(value) {}
  Variant(bool value) : FValue(value) {}
  Variant(::Blob value) : FValue(std::move(value)) {}

  static Variant Null() { return {}; }

  Kind GetKind() const { return static_cast<Kind>(FValue.index()); }
  bool IsNull() const { return GetKind() == Kind::Null; }

  // Conversions raise Exception when the value cannot be read as the kind asked for; a null
  // reads as 0, 0.0, the zero date, false or an empty text.
  std::int64_t AsInt64() const;
  int AsInteger() const;
  double AsFloat() const;
  ::Decimal AsDecimal(int scale) const;
  TDateTime AsDateTime() const;
  bool AsBoolean() const;
  // Display text under the host's regional settings (dates dd/mm/yyyy, decimal comma).
  std::string AsString() const;
  // Raw bytes of a blob or a text; empty for anything else.
  const std::string& AsBytes() const;

  // Orders values for indexes and key searches: null first, numbers by value, texts by bytes.
  static int Compare(const Variant& a, const Variant& b);
  bool operator==(const Variant& other) const { return Compare(*this, other) == 0; }

 private:
  std::variant<std::monostate, std::int64_t, double, ::Decimal, std::string, TDateTime, bool,
               ::Blob>
      FValue;
};
