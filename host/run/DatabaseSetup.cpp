#include "run/DatabaseSetup.h"

#include <cctype>

#include "Exception.h"

std::string SchemaFor(const std::string& engine) {
  // One DDL serves every engine. The one type they name differently is the binary one: BLOB in
  // SQLite and Firebird, BYTEA in PostgreSQL.
  if (engine != "postgresql") return kSchemaSql;
  std::string schema = kSchemaSql;
  const auto isNamePart = [&schema](std::size_t at) {
    return at < schema.size() &&
           (std::isalnum(static_cast<unsigned char>(schema[at])) != 0 || schema[at] == '_');
  };
  for (auto at = schema.find("BLOB"); at != std::string::npos; at = schema.find("BLOB", at + 4)) {
    if ((at == 0 || !isNamePart(at - 1)) && !isNamePart(at + 4)) schema.replace(at, 4, "BYTEA");
  }
  return schema;
}

namespace {

void RollbackQuietly(DatabaseEngine& database) {
  try {
    database.Rollback();
  } catch (...) {
    // The failure that led here is the one worth reporting.
  }
}

}  // namespace

void CreateSchema(DatabaseEngine& database) {
  const auto tables = database.TableNames();
  if (!tables.empty()) {
    // Refusing keeps an office's data safe from a mistyped --db.
    throw Exception("O banco de dados já tem tabelas (" + tables.front() +
                    ", ...); use um banco vazio.");
  }
  database.BeginTransaction();
  try {
    database.ExecuteScript(SchemaFor(database.EngineName()));
    database.Commit();
  } catch (const Exception& error) {
    RollbackQuietly(database);
    throw Exception(std::string("Não foi possível criar as tabelas: ") + error.what() +
                    "\nO banco precisa estar vazio e o usuário precisa poder criar tabelas nele.");
  } catch (...) {
    RollbackQuietly(database);
    throw;
  }
}
