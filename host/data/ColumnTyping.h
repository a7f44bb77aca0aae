// Field types of result columns: from the declared type of a table column, or, for an
// expression, from the storage class of its values. A column whose values do not fit the type
// first chosen is widened (see Widen), and the query is read again with the wider type.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Variant.h"
#include "data/FieldConversion.h"

// SQLite's storage classes, as sqlite3_column_type gives them.
enum class StorageClass { Integer = 1, Float = 2, Text = 3, Blob = 4, Null = 5 };

struct ColumnPlan {
  FieldShape Shape;
  bool Declared = false;     // typed by its declared type, not by its values
  bool TrimPadding = false;  // CHAR(n): the padding blanks are not part of the value
  bool SeenValue = false;    // an undeclared column has been typed by a value
};

// The plan for a column of declared type `declared` (empty for an expression).
ColumnPlan PlanForDeclaredType(const std::string& name, const std::string& declared);

// The plan an expression column needs for a value of storage class `storage` when its current
// plan cannot hold it without loss (its first value, an integer column meeting a real, a number
// column meeting a text); nothing when it can, or when the column has a declared type.
std::optional<ColumnPlan> WidenForStorage(const ColumnPlan& plan, StorageClass storage);
// The plan a declared column needs to hold `value` without loss (an integer beyond 32 bits, a
// text longer than declared); nothing when it can.
std::optional<ColumnPlan> WidenForValue(const ColumnPlan& plan, const Variant& value);
// The same for an integer, and for a text, read as the plan types them.
std::optional<ColumnPlan> WidenForInteger(const ColumnPlan& plan, std::int64_t value);
std::optional<ColumnPlan> WidenForText(const ColumnPlan& plan, std::string_view text);

// Result column names made unique the way the host does ("CODIGO", "CODIGO_1"); a column
// without a name is "COLUNAn".
std::vector<std::string> UniqueColumnNames(const std::vector<std::string>& names);
