// The few pieces of standard SQL that PostgreSQL and Firebird understand and SQLite does not,
// mapped onto SQLite's own functions, so that the reports' statements are one text for every
// engine. SQLite has no date type: it would read `CAST(x AS DATE)` as a number (the year).
#pragma once

#include <string>

#include "KdrApi.h"

// `statement` with every `CAST(expression AS DATE)` (outside string literals, quoted names and
// comments) written as SQLite's `date(expression)`, the yyyy-mm-dd text of the day.
KDR_API std::string WithSqliteDateCasts(const std::string& statement);
