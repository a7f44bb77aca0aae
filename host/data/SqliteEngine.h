// The SQLite engine: a database file reached through SQLite's C API.
#pragma once

#include <memory>
#include <string>

#include "data/DatabaseEngine.h"

struct sqlite3;

class SqliteEngine : public DatabaseEngine {
 public:
  // Opens the file; ReadWriteCreate creates it when missing. Raises EDatabaseError naming the
  // file when it cannot be opened, and, for ReadOnly, when it does not exist.
  SqliteEngine(const std::string& path, OpenMode mode);
  ~SqliteEngine() override;
  SqliteEngine(const SqliteEngine&) = delete;
  SqliteEngine& operator=(const SqliteEngine&) = delete;

  std::string EngineName() const override { return "sqlite"; }
  std::unique_ptr<TjClientDataSet> Query(const std::string& statement,
                                         const std::vector<Variant>& values) override;
  void Execute(const std::string& statement, const std::vector<Variant>& values = {}) override;
  void ExecuteScript(const std::string& script) override;
  // The prepared statement must not outlive the engine.
  std::unique_ptr<PreparedStatement> Prepare(const std::string& statement) override;
  void BeginTransaction() override;
  void Commit() override;
  void Rollback() override;
  std::vector<std::string> TableNames() override;

 private:
  struct Closer {
    void operator()(sqlite3* database) const;
  };
  std::unique_ptr<sqlite3, Closer> FDatabase;
};
