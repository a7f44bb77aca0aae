#include "data/FirebirdEngine.h"

#include <cstddef>

#include "SysUtils.h"
#include "data/FirebirdConnection.h"
#include "data/FirebirdStatement.h"
#include "data/SqlText.h"

namespace {

// Statements of a script, split at the ';' that end them (not those in literals or comments).
std::vector<std::string> SplitScript(const std::string& script) {
  std::vector<std::string> statements;
  std::string current;
  const auto flush = [&] {
    if (!Trim(current).empty()) statements.push_back(Trim(current));
    current.clear();
  };
  for (std::size_t i = 0; i < script.size();) {
    const char c = script[i];
    if (const std::size_t past = SkipSqlNonCode(script, i); past != i) {
      // A literal or quoted name is kept whole; a comment leaves a blank in its place.
      if (c == '\'' || c == '"') {
        current.append(script, i, past - i);
      } else {
        current += ' ';
      }
      i = past;
    } else {
      if (c == ';') {
        flush();
      } else {
        current += c;
      }
      ++i;
    }
  }
  flush();
  return statements;
}

class FirebirdPrepared : public PreparedStatement {
 public:
  FirebirdPrepared(firebird::Connection& connection, const std::string& statement)
      : FConnection(connection), FStatement(Compile(connection, statement)) {}

  void Run(const std::vector<Variant>& values) override {
    firebird::StatementTransaction transaction(FConnection);
    FStatement->Run(transaction.Handle(), values);
    transaction.Done();
  }

 private:
  static std::unique_ptr<firebird::Statement> Compile(firebird::Connection& connection,
                                                      const std::string& statement) {
    firebird::StatementTransaction transaction(connection);
    auto compiled =
        std::make_unique<firebird::Statement>(connection, transaction.Handle(), statement);
    transaction.Done();
    return compiled;
  }

  firebird::Connection& FConnection;
  std::unique_ptr<firebird::Statement> FStatement;
};

}  // namespace

FirebirdEngine::FirebirdEngine(const std::string& url, OpenMode mode)
    : FConnection(std::make_unique<firebird::Connection>(url, mode)) {
  if (mode == OpenMode::ReadOnly) BeganSnapshot();
}

FirebirdEngine::~FirebirdEngine() = default;

std::unique_ptr<TjClientDataSet> FirebirdEngine::Query(const std::string& statement,
                                                       const std::vector<Variant>& values) {
  firebird::StatementTransaction transaction(*FConnection);
  firebird::Statement compiled(*FConnection, transaction.Handle(), statement);
  compiled.Run(transaction.Handle(), values);
  auto dataSet = compiled.ReadAll(transaction.Handle());
  transaction.Done();
  return dataSet;
}

void FirebirdEngine::Execute(const std::string& statement, const std::vector<Variant>& values) {
  firebird::StatementTransaction transaction(*FConnection);
  firebird::Statement compiled(*FConnection, transaction.Handle(), statement);
  compiled.Run(transaction.Handle(), values);
  transaction.Done();
}

void FirebirdEngine::ExecuteScript(const std::string& script) {
  // The server takes one statement at a time.
  for (const std::string& statement : SplitScript(script)) Execute(statement);
}

std::unique_ptr<PreparedStatement> FirebirdEngine::Prepare(const std::string& statement) {
  return std::make_unique<FirebirdPrepared>(*FConnection, statement);
}

void FirebirdEngine::BeginTransaction() {
  FConnection->Begin();
}
void FirebirdEngine::Commit() {
  FConnection->End(true);
}
void FirebirdEngine::Rollback() {
  FConnection->End(false);
}

std::vector<std::string> FirebirdEngine::TableNames() {
  const auto tables = Query(
      "select rdb$relation_name from rdb$relations where coalesce(rdb$system_flag, 0) = 0 "
      "and rdb$view_blr is null order by rdb$relation_name",
      {});
  std::vector<std::string> names;
  for (tables->First(); !tables->Eof(); tables->Next()) {
    names.push_back(UpperCase(Trim(tables->Fields(0).AsString())));
  }
  return names;
}
