// One column of a client data set, reading and writing the data set's current record.
#pragma once

#include <cstdint>
#include <string>

#include "KdrApi.h"
#include "Variant.h"

class TjClientDataSet;

enum class TFieldType {
  ftUnknown,
  ftInteger,   // 32-bit
  ftLargeint,  // 64-bit
  ftFloat,
  ftFMTBcd,  // exact decimal of a precision and scale
  ftString,  // text of at most Size characters
  ftDate,
  ftDateTime,
  ftBlob,
  ftBoolean,
};

class KDR_API TField {
 public:
  TField(TjClientDataSet& owner, int index, std::string name, TFieldType type, int size,
         int precision, int scale);

  const std::string& FieldName() const { return FName; }
  TFieldType DataType() const { return FType; }
  int Size() const { return FSize; }
  int Precision() const { return FPrecision; }
  int Scale() const { return FScale; }
  int Index() const { return FIndex; }
  TjClientDataSet& DataSet() const { return FOwner; }

  bool IsNull() const;
  Variant Value() const;
  // Display text: integers plain, decimals with a comma and their scale, dates dd/mm/yyyy,
  // date-times with the time unless it is midnight, null as empty text.
  std::string AsString() const;
  int AsInteger() const;
  std::int64_t AsLargeInt() const;
  double AsFloat() const;
  TDateTime AsDateTime() const;
  const std::string& AsBytes() const;

  // Writing needs the data set in insert or edit state; the value is converted to the
  // field's type (texts are cut to Size characters).
  void SetValue(const Variant& value);
  void SetAsString(const std::string& value) { SetValue(Variant(value)); }
  void SetAsInteger(int value) { SetValue(Variant(value)); }
  void SetAsFloat(double value) { SetValue(Variant(value)); }
  void SetAsDateTime(TDateTime value) { SetValue(Variant(value)); }
  void Clear() { SetValue(Variant()); }

 private:
  TjClientDataSet& FOwner;
  int FIndex;
  std::string FName;
  TFieldType FType;
  int FSize;
  int FPrecision;
  int FScale;
};
