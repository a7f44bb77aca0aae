// Reading SQL text as every engine does: string literals ('...', with '' inside), quoted names
// ("...", with "" inside) and comments (-- to the end of the line, /* ... */) are not code, so
// nothing the host looks for in a statement (parameters, casts, its first word) is found there.
#pragma once

#include <cstddef>
#include <string>

#include "KdrApi.h"

// The position just past the literal, quoted name or comment that starts at `at`, or `at` when
// none starts there. One left open runs to the end of the text.
std::size_t SkipSqlNonCode(const std::string& text, std::size_t at);

// Whether running the statement again while the connection reads one snapshot of the database
// gives the same rows: its code calls no function and has no subquery (no parenthesis), and
// names no moment of the clock (CURRENT_DATE, CURRENT_TIME, CURRENT_TIMESTAMP, LOCALTIME,
// LOCALTIMESTAMP, which SQLite reads anew for each run of a statement; nor Firebird's 'NOW',
// 'TODAY', 'TOMORROW' and 'YESTERDAY', which a date or time takes as the moment they name).
KDR_API bool IsRepeatable(const std::string& statement);
