// A SQLite database in a temporary file of its own, for one test: with the office's tables
// unless told otherwise, the host's connection while it lives, and removed afterwards. It can
// also be read back with SQLite's own API, so that a check does not depend on the engine's
// typing.
#pragma once

#include <sqlite3.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "data/DatabaseEngine.h"

class TestDatabase {
 public:
  enum class Tables { Office, None };

  explicit TestDatabase(Tables tables = Tables::Office);
  // At `path` rather than a temporary name of its own: for a test about the files beside the
  // database. The file is removed afterwards all the same.
  explicit TestDatabase(std::filesystem::path path, Tables tables = Tables::Office);
  ~TestDatabase();
  TestDatabase(const TestDatabase&) = delete;
  TestDatabase& operator=(const TestDatabase&) = delete;

  DatabaseEngine& Engine();
  void Execute(const std::string& statement, const std::vector<Variant>& values = {});
  const std::filesystem::path& Path() const { return FPath; }
  // The `--db` argument of `kdr` for this file.
  std::string Url() const { return "sqlite:" + FPath.string(); }

  // Reading through SQLite directly. The engine is closed first, so that the reading sees the
  // file as another program would; the database is read-only from then on.
  long long Scalar(const std::string& sql);
  // Every row, every value as text ("NULL" for null, blobs as "blob:<size>").
  std::vector<std::vector<std::string>> Rows(const std::string& sql);
  // Blob or text bytes of the first column of every row, null rows skipped.
  std::vector<std::string> Blobs(const std::string& sql);
  // The whole table, rows sorted, each value tagged with its storage class.
  std::string Dump(const std::string& table);

 private:
  sqlite3* Reader();

  std::filesystem::path FPath;
  std::unique_ptr<DatabaseEngine> FEngine;
  sqlite3* FReader = nullptr;
};
