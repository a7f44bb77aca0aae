// Messages that every database engine words the same way.
#pragma once

#include <string>

// A statement refused because a report's database is open for reading only; `reason` is the
// engine's own word on it.
std::string WriteRefusedMessage(const std::string& reason);
// Raises EDatabaseError: the text `shown` of result column `column` does not read as the type
// the column has (`kind`: "um número inteiro", "uma data" ...).
[[noreturn]] void FailColumnValue(const std::string& column, const std::string& shown,
                                  const char* kind, const std::string& statement);
