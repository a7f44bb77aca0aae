// Named `:name` parameters of a statement rewritten to the placeholders an engine takes. Names
// are found outside string literals, quoted identifiers and comments, and `::` casts are left
// alone. A name used twice is one parameter: values go to distinct names in order of first
// appearance, without regard to case.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "KdrApi.h"
#include "Variant.h"

enum class PlaceholderStyle {
  NumberedQuestionMark,  // ?1, ?2 ... one number per name (SQLite)
  NumberedDollar,     // $1, $2 ... one per occurrence (PostgreSQL): bind with ValuesPerOccurrence
  PlainQuestionMark,  // ? per occurrence (Firebird): bind with ValuesPerOccurrence
};

struct NamedParameters {
  std::string Statement;                 // with placeholders
  std::vector<std::string> Names;        // distinct names, in order of first appearance
  std::vector<std::size_t> Occurrences;  // for each placeholder in order, its index in Names
};

KDR_API NamedParameters RewriteNamedParameters(const std::string& statement,
                                               PlaceholderStyle style);

// The value of each distinct name, in order; raises Exception naming the parameters left
// without a value when there are fewer values than names. Extra values are ignored.
KDR_API std::vector<Variant> ValuesForNames(const NamedParameters& parameters,
                                            const std::vector<Variant>& values);
// One value per placeholder, for engines whose placeholders are positional.
KDR_API std::vector<Variant> ValuesPerOccurrence(const NamedParameters& parameters,
                                                 const std::vector<Variant>& values);

// A decimal value as a statement's text gives a number: every decimal it has, with a point, so
// that the engine converts it exactly.
std::string DecimalSqlText(const Variant& value);
