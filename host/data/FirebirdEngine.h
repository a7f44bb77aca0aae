// The Firebird 3 engine: a database on a Firebird server, or a local file opened by the embedded
// engine, reached through Firebird's client library.
#pragma once

#include <memory>
#include <string>

#include "data/DatabaseEngine.h"

namespace firebird {
class Connection;
}

class FirebirdEngine : public DatabaseEngine {
 public:
  // Attaches to "firebird://..." (see FirebirdUrl). ReadOnly runs every statement in one
  // read-only snapshot transaction and refuses anything but a select; it never creates the
  // database. ReadWriteCreate creates a missing database (UTF8), and runs a statement outside
  // BeginTransaction/Commit in a transaction of its own. Raises EDatabaseError with a message
  // that names the database but never the password.
  FirebirdEngine(const std::string& url, OpenMode mode);
  ~FirebirdEngine() override;
  FirebirdEngine(const FirebirdEngine&) = delete;
  FirebirdEngine& operator=(const FirebirdEngine&) = delete;

  std::string EngineName() const override { return "firebird"; }
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
  std::unique_ptr<firebird::Connection> FConnection;
};
