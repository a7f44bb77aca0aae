#include "TField.h"

#include "Exception.h"
#include "TjClientDataSet.h"

namespace {

// Reads the field's value, naming the field when the value cannot be read as asked.
template <class Read>
auto Reading(const std::string& name, Read read) {
  try {
    return read();
  } catch (const Exception& error) {
    throw Exception("Campo " + name + ": " + error.Message());
  }
}

}  // namespace

TField::TField(TjClientDataSet& owner, int index, std::string name, TFieldType type, int size,
               int precision, int scale)
    : FOwner(owner),
      FIndex(index),
      FName(std::move(name)),
      FType(type),
      FSize(size),
      FPrecision(precision),
      FScale(scale) {}

bool TField::IsNull() const {
  return FOwner.CurrentValue(FIndex).IsNull();
}

Variant TField::Value() const {
  return FOwner.CurrentValue(FIndex);
}

std::string TField::AsString() const {
  return FOwner.CurrentValue(FIndex).AsString();
}

int TField::AsInteger() const {
  return Reading(FName, [&] { return FOwner.CurrentValue(FIndex).AsInteger(); });
}

std::int64_t TField::AsLargeInt() const {
  return Reading(FName, [&] { return FOwner.CurrentValue(FIndex).AsInt64(); });
}

double TField::AsFloat() const {
  return Reading(FName, [&] { return FOwner.CurrentValue(FIndex).AsFloat(); });
}

TDateTime TField::AsDateTime() const {
  return Reading(FName, [&] { return FOwner.CurrentValue(FIndex).AsDateTime(); });
}

const std::string& TField::AsBytes() const {
  return FOwner.CurrentValue(FIndex).AsBytes();
}

void TField::SetValue(const Variant& value) {
  FOwner.SetCurrentValue(FIndex, value);
}
