// Creating the report tables in a new database.
#pragma once

#include <string>

#include "data/DatabaseEngine.h"

// The schema script (db/schema.sql), compiled into the runtime.
extern const std::string kSchemaSql;

// The schema script with the types of `engine` (DatabaseEngine::EngineName).
std::string SchemaFor(const std::string& engine);

// Creates every table in a database that has none yet. Raises Exception, changing nothing,
// when the database already has tables or the tables cannot be created (saying what db init
// needs).
void CreateSchema(DatabaseEngine& database);
