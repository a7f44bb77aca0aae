// A demo database in a temporary SQLite file, filled through the engine and read back with
// SQLite's own API, so that the checks do not depend on the data sets' typing.
#pragma once

#include <sqlite3.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "data/DatabaseEngine.h"
#include "demo/DemoDatabase.h"

extern const std::string kSchemaSql;

class DemoTestDatabase {
 public:
  // A new, empty file; with `withSchema` the tables are created.
  explicit DemoTestDatabase(bool withSchema = true);
  ~DemoTestDatabase();
  DemoTestDatabase(const DemoTestDatabase&) = delete;
  DemoTestDatabase& operator=(const DemoTestDatabase&) = delete;

  DatabaseEngine& Engine();
  void Fill(int protocols, const std::function<void(long long, long long)>& progress = nullptr);

  // Reading, through SQLite directly (the engine is closed first).
  long long Scalar(const std::string& sql);
  // Every row, every value as text ("NULL" for null, blobs as their size).
  std::vector<std::vector<std::string>> Rows(const std::string& sql);
  // Blob or text bytes of the first column of every row, null rows skipped.
  std::vector<std::string> Blobs(const std::string& sql);
  // The whole table, in key order, each value tagged with its storage class.
  std::string Dump(const std::string& table);

 private:
  sqlite3* Reader();

  std::filesystem::path FPath;
  std::unique_ptr<DatabaseEngine> FEngine;
  sqlite3* FReader = nullptr;
};

// The tables the demo data fills.
const std::vector<std::string>& DemoTables();
