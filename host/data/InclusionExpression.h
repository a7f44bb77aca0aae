// Inclusion expressions: the codes a user names in a code parameter, as "1,3,10-20". Items are
// codes or ranges "start-end" (start not above end), separated by ',' or ';'; blanks between
// tokens are ignored. Anything else is refused, so no text of an expression reaches a statement.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct CodeRange {
  std::int64_t First;
  std::int64_t Last;  // equal to First for a single code
};

// Raises EjxsError `Expressão de códigos inválida: "<expression>"` when the text is not an
// inclusion expression. A blank expression names no code.
std::vector<CodeRange> ParseInclusionExpression(const std::string& expression);
