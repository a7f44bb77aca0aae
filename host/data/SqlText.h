// Reading SQL text as every engine does: string literals ('...', with '' inside), quoted names
// ("...", with "" inside) and comments (-- to the end of the line, /* ... */) are not code, so
// nothing the host looks for in a statement (parameters, casts, its first word) is found there.
#pragma once

#include <cstddef>
#include <string>

// The position just past the literal, quoted name or comment that starts at `at`, or `at` when
// none starts there. One left open runs to the end of the text.
std::size_t SkipSqlNonCode(const std::string& text, std::size_t at);
