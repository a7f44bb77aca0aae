#include "run/DatabaseSetup.h"

#include "Exception.h"

void CreateSchema(DatabaseEngine& database) {
  const auto tables = database.TableNames();
  if (!tables.empty()) {
    // Refusing keeps an office's data safe from a mistyped --db.
    throw Exception("O banco de dados já tem tabelas (" + tables.front() +
                    ", ...); use um banco vazio.");
  }
  database.BeginTransaction();
  try {
    database.ExecuteScript(kSchemaSql);
    database.Commit();
  } catch (...) {
    database.Rollback();
    throw;
  }
}
