// The --params document: a JSON object of parameter name to value.
#pragma once

#include <map>
#include <string>

// Reads the text of a --params document. Values are strings or numbers (a number as written,
// `1.50` stays "1.50"); anything else, a repeated name or text that is not such an object raises
// UsageError naming the problem and, for a value, its name.
std::map<std::string, std::string> ParseParamsDocument(const std::string& text);
