// How a value is stored in a field of a given type: converted to the type's kind, texts cut to
// the field's size in characters, decimals at the field's scale, dates without a time.
#pragma once

#include <string>

#include "TField.h"
#include "Variant.h"

struct FieldShape {
  std::string Name;
  TFieldType Type = TFieldType::ftUnknown;
  int Size = 0;       // characters of a text field; 0 for no limit
  int Precision = 0;  // digits of a decimal field; 0 for no limit
  int Scale = 0;
};

// Raises Exception naming the field when the value cannot be read as the field's type.
Variant ConvertForField(const Variant& value, const FieldShape& field);
// The same, for a value that is only compared with the field's values (keys of a search):
// it is never cut, so that a longer key cannot match a shorter stored text.
Variant ConvertKeyForField(const Variant& value, const FieldShape& field);
