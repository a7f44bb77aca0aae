// Values between the host and libpq: statement parameters in libpq's text (blobs: binary)
// form, and result columns typed by their PostgreSQL types and read from their text form, so
// that NUMERIC arrives as an exact decimal and never through a double.
#pragma once

#include <string>
#include <vector>

#include "Variant.h"
#include "data/ColumnTyping.h"

struct pg_result;

// The parameters of one execution, as libpq's parallel arrays.
class PostgresParameters {
 public:
  // `typed`: each value carries its type (dates as DATE or TIMESTAMP, integers as BIGINT,
  // decimals as NUMERIC); otherwise only blobs do and the server infers the rest from the
  // statement, as it does for a prepared insert. Texts are always left for the server to infer,
  // as a quoted literal would be. Raises EDatabaseError for a text holding a null character.
  PostgresParameters(const std::vector<Variant>& values, bool typed);
  PostgresParameters(const PostgresParameters&) = delete;
  PostgresParameters& operator=(const PostgresParameters&) = delete;

  int Count() const { return static_cast<int>(FValues.size()); }
  const unsigned int* Types() const { return FTypes.data(); }
  const char* const* Values() const { return FValues.data(); }
  const int* Lengths() const { return FLengths.data(); }
  const int* Formats() const { return FFormats.data(); }

 private:
  std::vector<std::string> FTexts;
  std::vector<unsigned int> FTypes;
  std::vector<const char*> FValues;
  std::vector<int> FLengths;
  std::vector<int> FFormats;
};

// The plans of a result's columns: the same field types as a SQLite column declared with the
// same type, names made unique the way the host does.
std::vector<ColumnPlan> PostgresColumnPlans(const pg_result* result);
// The value of one cell in the field type of its plan. Raises EDatabaseError naming the column
// when the text does not read as that type.
Variant ReadPostgresCell(const pg_result* result, int row, int column, const ColumnPlan& plan,
                         const std::string& statement);
