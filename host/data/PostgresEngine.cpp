#include "data/PostgresEngine.h"

#include <libpq-fe.h>

#include <cctype>
#include <cstdlib>

#include "Exception.h"
#include "SysUtils.h"
#include "data/DatabaseUrl.h"
#include "data/EngineMessages.h"
#include "data/PostgresValues.h"
#include "data/SqlText.h"
#include "data/StatementParameters.h"

namespace {

// Seconds to wait for the server when neither the URL nor PGCONNECT_TIMEOUT says: an address
// that does not answer would otherwise hold a run for minutes.
const char* const kConnectTimeout = "10";

// Prepared statements run this many times are sent together, their results read back at once:
// one wait for the server instead of one per row, for the demo's bulk inserts.
constexpr std::size_t kPipelineDepth = 256;

std::string WithoutTrailingBlanks(const char* text) {
  std::string result = text == nullptr ? "" : text;
  result.erase(result.find_last_not_of(" \n\r\t") + 1);
  return result;
}

// libpq's reason for a failed connection without what the message around it already says
// ("connection to server at ... failed:", the server's "FATAL:"), so that the reason itself
// fits the line a terminal shows.
std::string ConnectionFailure(const std::string& message) {
  std::string reason = WithoutTrailingBlanks(message.c_str());
  if (reason.rfind("connection to server", 0) == 0) {
    if (const auto failed = reason.find(" failed: "); failed != std::string::npos) {
      reason.erase(0, failed + 9);
    }
  }
  if (reason.rfind("FATAL:", 0) == 0) reason = Trim(reason.substr(6));
  return reason;
}

// The first word of a statement, past blanks, comments and opening parentheses, in capitals.
std::string FirstWord(const std::string& statement) {
  std::size_t i = 0;
  while (i < statement.size()) {
    const char c = statement[i];
    // A comment is skipped; a quoted run is where the word would be.
    const bool comment = c == '-' || c == '/';
    const std::size_t pastComment = comment ? SkipSqlNonCode(statement, i) : i;
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '(') {
      ++i;
    } else if (pastComment != i) {
      i = pastComment;
    } else {
      break;
    }
  }
  std::size_t end = i;
  while (end < statement.size() && std::isalpha(static_cast<unsigned char>(statement[end]))) ++end;
  return UpperCase(statement.substr(i, end - i));
}

}  // namespace

void PostgresEngine::Closer::operator()(pg_conn* connection) const {
  PQfinish(connection);
}

void PostgresEngine::ResultClear::operator()(pg_result* result) const {
  PQclear(result);
}

// A statement prepared on the server once and run with new values each time.
class PostgresPrepared : public PreparedStatement {
 public:
  PostgresPrepared(PostgresEngine& engine, std::string statement)
      : FEngine(engine),
        FStatement(std::move(statement)),
        FParameters(RewriteNamedParameters(FStatement, PlaceholderStyle::NumberedDollar)),
        FName("kdr_" + std::to_string(++engine.FPreparedCount)) {
    engine.RequireReading(FStatement);
    engine.FlushPipeline();
    // No types given: the server infers each parameter's type from the statement.
    const PostgresEngine::Result result(
        PQprepare(engine.FConnection.get(), FName.c_str(), FParameters.Statement.c_str(),
                  static_cast<int>(FParameters.Occurrences.size()), nullptr));
    engine.Check(result, FStatement);
  }

  ~PostgresPrepared() override {
    // With runs still in flight, or within a failed transaction, the server would not take
    // this now; the statement then goes with the connection.
    PGconn* connection = FEngine.FConnection.get();
    if (PQpipelineStatus(connection) == PQ_PIPELINE_OFF &&
        PQtransactionStatus(connection) != PQTRANS_INERROR) {
      PQclear(PQexec(connection, ("deallocate " + FName).c_str()));
    }
  }

  PostgresPrepared(const PostgresPrepared&) = delete;
  PostgresPrepared& operator=(const PostgresPrepared&) = delete;

  // Inside a transaction runs are sent at once and checked when the pipeline is flushed: by the
  // time the engine runs any other statement (the commit included) every failure is raised.
  // Outside one, each run is done when it returns.
  void Run(const std::vector<Variant>& values) override {
    const PostgresParameters parameters(ValuesPerOccurrence(FParameters, values), false);
    PGconn* connection = FEngine.FConnection.get();
    if (PQpipelineStatus(connection) == PQ_PIPELINE_OFF) {
      if (PQtransactionStatus(connection) != PQTRANS_INTRANS) {
        const PostgresEngine::Result result(
            PQexecPrepared(connection, FName.c_str(), parameters.Count(), parameters.Values(),
                           parameters.Lengths(), parameters.Formats(), 0));
        FEngine.Check(result, FStatement);
        return;
      }
      if (PQenterPipelineMode(connection) == 0) FEngine.Fail(nullptr, FStatement);
    }
    if (PQsendQueryPrepared(connection, FName.c_str(), parameters.Count(), parameters.Values(),
                            parameters.Lengths(), parameters.Formats(), 0) == 0) {
      FEngine.FlushPipeline();
      FEngine.Fail(nullptr, FStatement);
    }
    FEngine.FQueued.push_back(&FStatement);
    if (FEngine.FQueued.size() >= kPipelineDepth) FEngine.FlushPipeline();
  }

 private:
  PostgresEngine& FEngine;
  std::string FStatement;
  NamedParameters FParameters;
  std::string FName;
};

PostgresEngine::PostgresEngine(const std::string& url, OpenMode mode)
    : FShownUrl(MaskPasswords(url)), FReadOnly(mode == OpenMode::ReadOnly) {
  // libpq reads the URL itself (and percent-decoding, the environment and ~/.pgpass with it);
  // it knows the scheme only in lower case.
  const std::string uri = "postgresql://" + url.substr(url.find("://") + 3);
  std::vector<const char*> keywords;
  std::vector<const char*> values;
  const auto add = [&](const char* keyword, const char* value) {
    keywords.push_back(keyword);
    values.push_back(value);
  };
  // Before the URL, so that the URL's own settings win; the encoding after it, as the host
  // reads and writes UTF-8 whatever the URL says.
  if (std::getenv("PGCONNECT_TIMEOUT") == nullptr) add("connect_timeout", kConnectTimeout);
  add("fallback_application_name", "kdr");
  add("dbname", uri.c_str());
  add("client_encoding", "UTF8");
  add(nullptr, nullptr);
  FConnection.reset(PQconnectdbParams(keywords.data(), values.data(), 1));
  PGconn* connection = FConnection.get();
  if (connection == nullptr)
    throw EDatabaseError("Memória insuficiente para conectar ao PostgreSQL");
  if (PQstatus(connection) != CONNECTION_OK) {
    const std::string reason =
        PQconnectionNeedsPassword(connection) != 0
            ? "o servidor pede uma senha (na URL, em PGPASSWORD ou em ~/.pgpass)"
            : ConnectionFailure(ScrubPasswords(PQerrorMessage(connection), url));
    throw EDatabaseError("Não foi possível conectar a " + FShownUrl + ": " + reason);
  }
  // Dates as yyyy-mm-dd whatever the server's settings.
  RunSimple("set datestyle = 'ISO, YMD'");
  if (FReadOnly) {
    RunSimple("set default_transaction_read_only = on");
    BeginReadOnlyTransaction();
  }
}

PostgresEngine::~PostgresEngine() = default;

void PostgresEngine::BeginReadOnlyTransaction() {
  // One snapshot for the whole run: every statement of a report sees the same data.
  RunSimple("begin transaction isolation level repeatable read read only");
  BeganSnapshot();
}

void PostgresEngine::FlushPipeline() {
  PGconn* connection = FConnection.get();
  if (PQpipelineStatus(connection) == PQ_PIPELINE_OFF) return;
  const std::vector<const std::string*> queued = std::move(FQueued);
  FQueued.clear();
  Result failure;
  std::size_t failed = 0;  // the statement of the first failure
  if (PQpipelineSync(connection) != 0) {
    // Each statement's results end with a null; the sync's own result ends them all.
    std::size_t finished = 0;
    while (PQstatus(connection) == CONNECTION_OK && finished <= queued.size()) {
      Result part(PQgetResult(connection));
      if (!part) {
        ++finished;
        continue;
      }
      const ExecStatusType status = PQresultStatus(part.get());
      if (status == PGRES_PIPELINE_SYNC) break;
      if (status == PGRES_FATAL_ERROR && !failure) {
        failure = std::move(part);
        failed = finished;
      }
    }
  }
  PQexitPipelineMode(connection);
  if (failure || PQstatus(connection) == CONNECTION_BAD) {
    Fail(failure.get(), failed < queued.size() ? *queued[failed] : std::string());
  }
}

void PostgresEngine::RunSimple(const std::string& statement) {
  FlushPipeline();
  const Result result(PQexec(FConnection.get(), statement.c_str()));
  Check(result, statement);
}

void PostgresEngine::RequireReading(const std::string& statement) const {
  if (!FReadOnly) return;
  // The read-only transaction already stops every write to the database; this also stops what
  // it lets through: ending the transaction, changing settings, COPY to a file.
  const std::string word = FirstWord(statement);
  if (word != "SELECT" && word != "WITH" && word != "VALUES" && word != "TABLE") {
    throw EDatabaseError(WriteRefusedMessage("só consultas são aceitas") +
                         "\nComando: " + statement);
  }
}

void PostgresEngine::Check(const Result& result, const std::string& statement) {
  const ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
  if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) return;
  Fail(result.get(), statement);
}

void PostgresEngine::Fail(const pg_result* result, const std::string& statement) {
  PGconn* connection = FConnection.get();
  const char* primary =
      result == nullptr ? nullptr : PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY);
  std::string message =
      WithoutTrailingBlanks(primary != nullptr ? primary : PQerrorMessage(connection));
  if (PQstatus(connection) == CONNECTION_BAD) {
    throw EDatabaseError("A conexão com o servidor PostgreSQL " + FShownUrl +
                         " foi interrompida: " + message + "\nComando: " + statement);
  }
  if (const char* detail =
          result == nullptr ? nullptr : PQresultErrorField(result, PG_DIAG_MESSAGE_DETAIL)) {
    message += " (" + WithoutTrailingBlanks(detail) + ")";
  }
  const char* state = result == nullptr ? nullptr : PQresultErrorField(result, PG_DIAG_SQLSTATE);
  // 25006: a write inside the read-only transaction.
  if (state != nullptr && std::string(state) == "25006") message = WriteRefusedMessage(message);
  if (FReadOnly && PQtransactionStatus(connection) == PQTRANS_INERROR) {
    // A failed statement spoils its transaction; the next statement of the run gets a new one.
    PQclear(PQexec(connection, "rollback"));
    BeginReadOnlyTransaction();
  }
  throw EDatabaseError(message + "\nComando: " + statement);
}

std::unique_ptr<TjClientDataSet> PostgresEngine::Query(const std::string& statement,
                                                       const std::vector<Variant>& values) {
  RequireReading(statement);
  FlushPipeline();
  PGconn* connection = FConnection.get();
  const NamedParameters named = RewriteNamedParameters(statement, PlaceholderStyle::NumberedDollar);
  const PostgresParameters parameters(ValuesPerOccurrence(named, values), true);
  if (PQsendQueryParams(connection, named.Statement.c_str(), parameters.Count(), parameters.Types(),
                        parameters.Values(), parameters.Lengths(), parameters.Formats(), 0) == 0) {
    Fail(nullptr, statement);
  }
  // Rows one at a time, straight into the data set, rather than the whole result held twice.
  PQsetSingleRowMode(connection);
  // Whatever ends the reading early, the connection is left ready for the next statement.
  struct Drain {
    PGconn* Connection;
    ~Drain() {
      while (PGresult* rest = PQgetResult(Connection)) PQclear(rest);
    }
  } drain{connection};

  auto dataSet = std::make_unique<TjClientDataSet>();
  std::vector<ColumnPlan> plans;
  const auto defineFields = [&](const PGresult* described) {
    plans = PostgresColumnPlans(described);
    for (const ColumnPlan& plan : plans) {
      dataSet->AddFieldDef(plan.Shape.Name, plan.Shape.Type, plan.Shape.Size, plan.Shape.Precision,
                           plan.Shape.Scale);
    }
    dataSet->CreateDataSet();
  };
  Result failure;
  for (Result part(PQgetResult(connection)); part; part.reset(PQgetResult(connection))) {
    const PGresult* rows = part.get();
    switch (PQresultStatus(rows)) {
      case PGRES_SINGLE_TUPLE:
      case PGRES_TUPLES_OK: {
        // The closing result of a query that returns no row still describes its columns.
        if (!dataSet->Active() && PQnfields(rows) > 0) defineFields(rows);
        std::vector<Variant> row(plans.size());
        for (int index = 0; index < PQntuples(rows); ++index) {
          for (std::size_t column = 0; column < plans.size(); ++column) {
            row[column] =
                ReadPostgresCell(rows, index, static_cast<int>(column), plans[column], statement);
          }
          dataSet->AppendRecord(std::move(row));
          row.assign(plans.size(), Variant());
        }
        break;
      }
      case PGRES_COMMAND_OK:
        break;  // a statement without result columns: its data set stays closed
      default:
        if (!failure) failure = std::move(part);
    }
  }
  if (failure || PQstatus(connection) == CONNECTION_BAD) Fail(failure.get(), statement);
  if (dataSet->Active()) dataSet->First();
  return dataSet;
}

void PostgresEngine::Execute(const std::string& statement, const std::vector<Variant>& values) {
  RequireReading(statement);
  FlushPipeline();
  const NamedParameters named = RewriteNamedParameters(statement, PlaceholderStyle::NumberedDollar);
  const PostgresParameters parameters(ValuesPerOccurrence(named, values), true);
  const Result result(PQexecParams(FConnection.get(), named.Statement.c_str(), parameters.Count(),
                                   parameters.Types(), parameters.Values(), parameters.Lengths(),
                                   parameters.Formats(), 0));
  Check(result, statement);
}

void PostgresEngine::ExecuteScript(const std::string& script) {
  RequireReading(script);
  // The simple protocol runs every statement of the script, stopping at the first failure.
  RunSimple(script);
}

std::unique_ptr<PreparedStatement> PostgresEngine::Prepare(const std::string& statement) {
  return std::make_unique<PostgresPrepared>(*this, statement);
}

void PostgresEngine::BeginTransaction() {
  Execute("begin");
}
void PostgresEngine::Commit() {
  Execute("commit");
}
void PostgresEngine::Rollback() {
  try {
    FlushPipeline();
  } catch (const EDatabaseError&) {
    // What was still in flight is being undone: its failure has had its say, or no longer
    // matters.
  }
  Execute("rollback");
}

std::vector<std::string> PostgresEngine::TableNames() {
  const auto tables = Query(
      "select upper(table_name) from information_schema.tables where table_schema = "
      "current_schema() and table_type = 'BASE TABLE' order by 1",
      {});
  std::vector<std::string> names;
  for (tables->First(); !tables->Eof(); tables->Next())
    names.push_back(tables->Fields(0).AsString());
  return names;
}
