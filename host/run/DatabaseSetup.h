// Creating the report tables in a new database.
#pragma once

#include <string>

#include "data/DatabaseEngine.h"

// The schema script (db/schema.sql), compiled into the runtime.
extern const std::string kSchemaSql;

// Creates every table in a database that has none yet. Raises Exception, changing nothing,
// when the database already has tables.
void CreateSchema(DatabaseEngine& database);
