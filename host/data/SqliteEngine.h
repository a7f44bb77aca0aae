// The SQLite engine: a database file reached through SQLite's C API.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "data/DatabaseEngine.h"

struct sqlite3;
class FieldStructure;

class SqliteEngine : public DatabaseEngine {
 public:
  // Opens the file; ReadWriteCreate creates it when missing. Raises EDatabaseError naming the
  // file when it cannot be opened, and, for ReadOnly, when it does not exist.
  SqliteEngine(const std::string& path, OpenMode mode);
  ~SqliteEngine() override;
  SqliteEngine(const SqliteEngine&) = delete;
  SqliteEngine& operator=(const SqliteEngine&) = delete;

  std::string EngineName() const override { return "sqlite"; }
  // In a read-only run, a repeatable statement's result of at most one row is remembered by
  // the values it was run with, and given again (a new data set of it) for the same values.
  std::unique_ptr<TjClientDataSet> Query(const std::string& statement,
                                         const std::vector<Variant>& values) override;
  // Rows are read from the statement as the cursor moves, a long result a few hundred rows
  // ahead on a thread of the cursor's own.
  std::unique_ptr<RowCursor> OpenCursor(const std::string& statement,
                                        const std::vector<Variant>& values) override;
  void Execute(const std::string& statement, const std::vector<Variant>& values = {}) override;
  void ExecuteScript(const std::string& script) override;
  // The prepared statement must not outlive the engine.
  std::unique_ptr<PreparedStatement> Prepare(const std::string& statement) override;
  void BeginTransaction() override;
  void Commit() override;
  void Rollback() override;
  std::vector<std::string> TableNames() override;

 protected:
  // A lookup runs as the kept statement of its text with its integer literals compared with `=`
  // bound: texts that differ only in those (one per establishment, its codes pasted in) are
  // compiled once.
  Variant FirstValue(const std::string& statement) override;

 private:
  struct Closer {
    void operator()(sqlite3* database) const;
  };
  struct ResultColumns;
  struct RememberedResult;
  struct CachedStatement;
  // The compiled form of `statement`, kept for the next run of the same text: a report runs
  // the same few statements once per block, and compiling them is most of their cost.
  CachedStatement& Cached(const std::string& statement);
  // Its result columns as declared, after its first step (which compiles it again if its tables
  // changed); kept with it while the connection reads one snapshot.
  std::shared_ptr<const ResultColumns> Columns(CachedStatement& cached);
  // Keeps a result of the statement by the values it was run with, within a bounded memory.
  void Remember(CachedStatement& cached, std::string values,
                std::shared_ptr<const FieldStructure> fields, std::string records);

  // Held by whoever uses the connection: cursors read long results ahead on threads of their
  // own, and SQLite's own locking is off (one thread at a time is all it needs).
  std::mutex FConnection;
  std::unique_ptr<sqlite3, Closer> FDatabase;
  // Declared after the connection, so that its statements are finalized before it closes.
  std::unordered_map<std::string, std::unique_ptr<CachedStatement>> FStatements;
  std::uint64_t FStatementUses = 0;
  std::size_t FRememberedBytes = 0;  // of every kept statement's remembered results
};
