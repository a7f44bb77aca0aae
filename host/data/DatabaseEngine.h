// One database engine behind the host's data access: SQLite, PostgreSQL, Firebird. Statements
// run as written; `:name` parameters take the values in order of first appearance (a name used
// twice takes the same value each time).
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "KdrApi.h"
#include "TjClientDataSet.h"
#include "Variant.h"

// A statement prepared once and run many times (bulk inserts of the demo data).
class PreparedStatement {
 public:
  virtual ~PreparedStatement() = default;
  virtual void Run(const std::vector<Variant>& values) = 0;
};

// A select read forward once: each row replaces the one before it.
class KDR_API RowCursor {
 public:
  virtual ~RowCursor() = default;
  // The result's column names, made unique as a data set's field names are.
  virtual const std::vector<std::string>& Names() const = 0;
  // Moves to the next row (the first, on the first call); false once past the last.
  virtual bool Next() = 0;
  // The current row's value in `column` (below Names().size()), typed as Query types it; valid
  // until the cursor moves. Only the values asked for are read.
  virtual const Variant& Value(std::size_t column) = 0;
};

class KDR_API DatabaseEngine {
 public:
  virtual ~DatabaseEngine() = default;

  // "sqlite", "postgresql" or "firebird".
  virtual std::string EngineName() const = 0;
  // Runs a select into a new client data set: fields typed by the columns' declared types
  // (DATE and TIMESTAMP as date-times, NUMERIC as exact decimals, CHAR padding trimmed).
  virtual std::unique_ptr<TjClientDataSet> Query(const std::string& statement,
                                                 const std::vector<Variant>& values) = 0;
  // Opens a select to be read forward once, without keeping its rows; the cursor must not
  // outlive the engine. The base reads the whole result first: an engine that can hand rows
  // over as they come says so by overriding it.
  virtual std::unique_ptr<RowCursor> OpenCursor(const std::string& statement,
                                                const std::vector<Variant>& values);
  // Runs a statement that returns no rows.
  virtual void Execute(const std::string& statement, const std::vector<Variant>& values = {}) = 0;
  // Runs a script of ';'-terminated statements (the schema).
  virtual void ExecuteScript(const std::string& script) = 0;
  virtual std::unique_ptr<PreparedStatement> Prepare(const std::string& statement) = 0;
  virtual void BeginTransaction() = 0;
  virtual void Commit() = 0;
  virtual void Rollback() = 0;
  // Names of the tables the database holds, upper-case.
  virtual std::vector<std::string> TableNames() = 0;

  // The first column of the first row of `statement`, null when it has no row. On a connection
  // that reads one snapshot, a repeatable lookup (IsRepeatable: no function, no moment of the
  // clock) gives the same value every time, and is answered from memory after the first:
  // reports look the same few values up once per block, each with its own statement text.
  Variant LookupValue(const std::string& statement);

 protected:
  // The first column of the first row of `statement`, null when it has no row, typed as a
  // cursor types it. The base reads it through a cursor.
  virtual Variant FirstValue(const std::string& statement);
  // Said by a read-only engine each time its connection starts reading a snapshot of the
  // database, which it then keeps to the end of the run unless a failure forces a new one.
  bool ReadsOneSnapshot() const { return FOneSnapshot; }
  void BeganSnapshot() {
    FOneSnapshot = true;
    FLookups.clear();
  }

 private:
  bool FOneSnapshot = false;
  std::unordered_map<std::string, Variant> FLookups;
};

// How a database is opened. Reports only read: a run opens its database ReadOnly, so that no
// statement of a report can change the office's data (SQLite: a read-only connection that also
// refuses attaching and writing pragmas; server engines: a read-only transaction). Only the
// commands that set a database up (`db init`, `db demo`) open it ReadWriteCreate.
enum class OpenMode { ReadOnly, ReadWriteCreate };

// Opens "sqlite:PATH", "postgresql://..." or "firebird://...". ReadOnly never creates anything:
// a missing database raises EDatabaseError saying that it does not exist. Raises Exception with a
// clear message for an unknown or unsupported URL.
KDR_API std::unique_ptr<DatabaseEngine> OpenDatabase(const std::string& url, OpenMode mode);

// The file of a "sqlite:PATH" URL, or empty for any other URL.
KDR_API std::string SqliteFileOf(const std::string& url);

// The host's own connection, which ExecutarSQL and PegarValorCampo use. Raises Exception when
// no database is open.
class KDR_API HostConnection {
 public:
  static void Set(DatabaseEngine* engine);
  static DatabaseEngine& Get();
};
