// Integer literals compared with `=` taken out of a statement as parameters, so that texts that
// differ only in them (a lookup per establishment with its codes pasted in) share one compiled
// statement. In SQLite a bound value, like a literal, has no affinity: `X = ?` compares as
// `X = 5` does.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "KdrApi.h"
#include "Variant.h"

struct LiteralParameters {
  std::string Statement;        // the literals replaced by named parameters
  std::vector<Variant> Values;  // theirs, in order
};

// Nothing when the statement has no such literal, or when it has parameters of its own, or
// names in brackets or backquotes (which the text scanning here does not read as names).
// Negative numbers, decimals, exponents, hexadecimal and literals beyond 64 bits stay as
// they are.
KDR_API std::optional<LiteralParameters> ParameterizeEqualityLiterals(const std::string& statement);
