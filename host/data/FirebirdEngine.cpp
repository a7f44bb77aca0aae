#include "data/FirebirdEngine.h"

#include <ibase.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

#include "Exception.h"
#include "SysUtils.h"
#include "core/CivilTime.h"
#include "data/FieldConversion.h"
#include "data/FirebirdUrl.h"
#include "data/StatementParameters.h"

namespace {

constexpr unsigned short kDialect = SQL_DIALECT_V6;
// Firebird counts days from 17/11/1858; the host's date-times from 30/12/1899, 15018 days later.
constexpr ISC_LONG kZeroDateTimeDay = 15018;
constexpr double kTimeUnitsPerDay = 864'000'000.0;  // ISC_TIME is in 1/10000 s
constexpr short kUtf8 = 4;                          // character set ids of Firebird
constexpr short kUnicodeFss = 3;
constexpr short kOctets = 1;

// --- status vectors -----------------------------------------------------------------------

struct Status {
  ISC_STATUS_ARRAY Vector{};
  bool Failed() const { return Vector[0] == 1 && Vector[1] != 0; }
  bool Has(ISC_STATUS code) const {
    for (std::size_t i = 0; i + 1 < std::size(Vector) && Vector[i] != isc_arg_end;) {
      if (Vector[i] == isc_arg_gds && Vector[i + 1] == code) return true;
      i += Vector[i] == isc_arg_cstring ? 3 : 2;
    }
    return false;
  }
  template <typename... Codes>
  bool HasAny(Codes... codes) const {
    return (Has(codes) || ...);
  }
  // The engine's own lines, as fb_interpret gives them.
  std::string Text() const {
    const ISC_STATUS* cursor = Vector;
    std::string text;
    char line[1024];
    while (fb_interpret(line, sizeof line, &cursor) > 0) {
      text += (text.empty() ? "" : "; ") + std::string(line);
    }
    return text.empty() ? "erro desconhecido do Firebird" : text;
  }
};

bool ConnectionLost(const Status& status) {
  return status.HasAny(isc_network_error, isc_net_read_err, isc_net_write_err, isc_conn_lost,
                       isc_att_shutdown, isc_shutdown, isc_net_server_shutdown);
}

// --- handles --------------------------------------------------------------------------------

ISC_STATUS DropStatement(ISC_STATUS* status, isc_stmt_handle* handle) {
  return isc_dsql_free_statement(status, handle, DSQL_drop);
}

// A handle of the client library, released by `Release` unless already released by a call
// that ends it (commit, close).
template <typename Handle, ISC_STATUS (*Release)(ISC_STATUS*, Handle*)>
class IscHandle {
 public:
  IscHandle() = default;
  ~IscHandle() { Reset(); }
  IscHandle(const IscHandle&) = delete;
  IscHandle& operator=(const IscHandle&) = delete;
  IscHandle(IscHandle&& other) noexcept : FHandle(std::exchange(other.FHandle, 0)) {}
  IscHandle& operator=(IscHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      FHandle = std::exchange(other.FHandle, 0);
    }
    return *this;
  }

  Handle* Address() { return &FHandle; }
  explicit operator bool() const { return FHandle != 0; }
  void Reset() {
    if (FHandle == 0) return;
    ISC_STATUS_ARRAY ignored;  // nothing to report from a release during cleanup
    Release(ignored, &FHandle);
    FHandle = 0;
  }

 private:
  Handle FHandle = 0;
};

using Attachment = IscHandle<isc_db_handle, isc_detach_database>;
using Transaction = IscHandle<isc_tr_handle, isc_rollback_transaction>;  // unless committed
using StatementHandle = IscHandle<isc_stmt_handle, DropStatement>;
using BlobHandle = IscHandle<isc_blob_handle, isc_cancel_blob>;  // unless closed

// An XSQLDA: a header followed by `capacity` column descriptions.
class Sqlda {
 public:
  explicit Sqlda(int capacity)
      : FStorage((XSQLDA_LENGTH(std::max(capacity, 1)) + sizeof(std::max_align_t) - 1) /
                 sizeof(std::max_align_t)) {
    Get()->version = SQLDA_VERSION1;
    Get()->sqln = static_cast<ISC_SHORT>(std::max(capacity, 1));
  }
  XSQLDA* Get() { return reinterpret_cast<XSQLDA*>(FStorage.data()); }
  int Count() { return Get()->sqld; }
  bool Fits() { return Get()->sqld <= Get()->sqln; }
  XSQLVAR& Var(int index) { return Get()->sqlvar[index]; }

 private:
  std::vector<std::max_align_t> FStorage;
};

template <typename T>
T Read(const char* data) {
  T value{};
  std::memcpy(&value, data, sizeof value);
  return value;
}

template <typename T>
void Write(std::vector<char>& buffer, T value) {
  buffer.resize(sizeof value);
  std::memcpy(buffer.data(), &value, sizeof value);
}

int BytesPerCharacter(short characterSet) {
  switch (characterSet & 0xff) {
    case kUtf8:
      return 4;
    case kUnicodeFss:
      return 3;
    default:
      return 1;
  }
}

std::int64_t PowerOfTen(int exponent) {
  std::int64_t power = 1;
  while (exponent-- > 0) power *= 10;
  return power;
}

const std::string kReadOnlyRefusal =
    "Comando recusado: um relatório só lê o banco de dados, e este comando o alteraria";

// Statements of a script, split at the ';' that end them (not those in literals or comments).
std::vector<std::string> SplitScript(const std::string& script) {
  std::vector<std::string> statements;
  std::string current;
  const auto flush = [&] {
    if (!Trim(current).empty()) statements.push_back(Trim(current));
    current.clear();
  };
  for (std::size_t i = 0; i < script.size(); ++i) {
    const char c = script[i];
    if (c == '\'' || c == '"') {
      const std::size_t close = script.find(c, i + 1);
      const std::size_t end = close == std::string::npos ? script.size() : close + 1;
      current.append(script, i, end - i);
      i = end - 1;
    } else if (c == '-' && i + 1 < script.size() && script[i + 1] == '-') {
      const std::size_t lineEnd = script.find('\n', i);
      i = lineEnd == std::string::npos ? script.size() : lineEnd;
      current += '\n';
    } else if (c == '/' && i + 1 < script.size() && script[i + 1] == '*') {
      const std::size_t close = script.find("*/", i + 2);
      i = close == std::string::npos ? script.size() : close + 1;
      current += ' ';
    } else if (c == ';') {
      flush();
    } else {
      current += c;
    }
  }
  flush();
  return statements;
}

}  // namespace

// --- the connection ---------------------------------------------------------------------------

// One attachment and its transactions: in ReadOnly mode one read-only snapshot for every
// statement; otherwise the transaction BeginTransaction opened, if any.
class FirebirdConnection {
 public:
  FirebirdConnection(const std::string& url, OpenMode mode)
      : FUrl(FirebirdUrl::Parse(url)), FReadOnly(mode == OpenMode::ReadOnly) {
    Open();
    if (FReadOnly) {
      FTransaction = Start();
      FInTransaction = true;
    }
  }

  bool ReadOnly() const { return FReadOnly; }
  isc_db_handle* Database() { return FAttachment.Address(); }

  // The transaction open for the caller's statements, or none.
  Transaction* Current() { return FInTransaction ? &FTransaction : nullptr; }

  Transaction Start() {
    static const char kReadSnapshot[] = {isc_tpb_version3, isc_tpb_read, isc_tpb_concurrency,
                                         isc_tpb_nowait};
    static const char kWrite[] = {isc_tpb_version3, isc_tpb_write, isc_tpb_concurrency,
                                  isc_tpb_nowait};
    const char* block = FReadOnly ? kReadSnapshot : kWrite;
    const auto length = static_cast<short>(FReadOnly ? sizeof kReadSnapshot : sizeof kWrite);
    Transaction transaction;
    Status status;
    isc_start_transaction(status.Vector, transaction.Address(), 1, Database(), length, block);
    if (status.Failed()) Fail(status, "");
    return transaction;
  }

  void Finish(Transaction& transaction, bool commit) {
    Status status;
    if (commit) {
      isc_commit_transaction(status.Vector, transaction.Address());
    } else {
      isc_rollback_transaction(status.Vector, transaction.Address());
    }
    if (status.Failed()) Fail(status, commit ? "commit" : "rollback");
  }

  void Begin() {
    RequireWriting("BeginTransaction");
    if (FInTransaction) throw EDatabaseError("Já há uma transação aberta no banco Firebird");
    FTransaction = Start();
    FInTransaction = true;
  }

  void End(bool commit) {
    RequireWriting(commit ? "Commit" : "Rollback");
    if (!FInTransaction) throw EDatabaseError("Nenhuma transação aberta no banco Firebird");
    // A commit that fails leaves the transaction open, for the caller's Rollback.
    Finish(FTransaction, commit);
    FInTransaction = false;
  }

  // Raises the engine's error for a failed call on `statement` (empty when not a statement).
  [[noreturn]] void Fail(const Status& status, const std::string& statement) const {
    const std::string command = statement.empty() ? "" : "\nComando: " + statement;
    if (status.Has(isc_read_only_trans)) {
      throw EDatabaseError(kReadOnlyRefusal + " (" + status.Text() + ")" + command);
    }
    if (status.Has(isc_dsql_relation_err)) {
      throw EDatabaseError("Tabela inexistente no banco Firebird " + FUrl.AttachName() + ": " +
                           status.Text() + command);
    }
    if (ConnectionLost(status)) {
      throw EDatabaseError("A conexão com o banco Firebird " + FUrl.AttachName() +
                           " foi perdida: " + status.Text() + command);
    }
    throw EDatabaseError(status.Text() + command);
  }

 private:
  void RequireWriting(const char* what) const {
    if (FReadOnly) {
      throw EDatabaseError(std::string(what) +
                           ": o banco Firebird foi aberto só para leitura (execução de relatório)");
    }
  }

  std::string ParameterBlock(bool creating) const {
    std::string block(1, static_cast<char>(isc_dpb_version1));
    const auto add = [&block](char tag, const std::string& value) {
      block += tag;
      block += static_cast<char>(value.size());
      block += value;
    };
    if (FUrl.User.size() > 255 || FUrl.Password.size() > 255) {
      throw EDatabaseError("Usuário ou senha longos demais para o Firebird");
    }
    if (!FUrl.User.empty()) add(isc_dpb_user_name, FUrl.User);
    if (!FUrl.Password.empty()) add(isc_dpb_password, FUrl.Password);
    add(isc_dpb_lc_ctype, "UTF8");
    if (!FUrl.Embedded()) {
      const auto seconds = static_cast<std::uint32_t>(FUrl.ConnectTimeoutSeconds);
      block += static_cast<char>(isc_dpb_connect_timeout);
      block += static_cast<char>(4);
      for (int shift = 0; shift < 32; shift += 8) block += static_cast<char>(seconds >> shift);
    }
    if (creating) {
      add(isc_dpb_set_db_charset, "UTF8");
      block += static_cast<char>(isc_dpb_sql_dialect);
      block += static_cast<char>(1);
      block += static_cast<char>(kDialect);
    }
    return block;
  }

  void Open() {
    const std::string name = FUrl.AttachName();
    std::error_code error;
    const bool missingFile = FUrl.Embedded() && !std::filesystem::exists(FUrl.Path, error);
    if (FReadOnly && missingFile) {
      throw EDatabaseError("O banco de dados Firebird \"" + FUrl.Path + "\" não existe");
    }
    Status status;
    if (!missingFile) {
      const std::string block = ParameterBlock(false);
      isc_attach_database(status.Vector, 0, name.c_str(), FAttachment.Address(),
                          static_cast<short>(block.size()), block.data());
      if (!status.Failed()) return;
      FAttachment = Attachment();
      // A database the server cannot open because it is not there is created by db init and
      // db demo, never by a run.
      if (FReadOnly || !Missing(status)) FailToOpen(status);
    }
    Status creation;
    const std::string block = ParameterBlock(true);
    isc_create_database(creation.Vector, 0, name.c_str(), FAttachment.Address(),
                        static_cast<short>(block.size()), block.data(), 0);
    if (creation.Failed()) {
      FAttachment = Attachment();
      throw EDatabaseError("Não foi possível criar o banco de dados Firebird \"" +
                           FUrl.AttachName() + "\": " + creation.Text());
    }
  }

  // A server gives the system's reason as text only: a file it may not read looks the same.
  static bool Missing(const Status& status) {
    return status.Has(isc_io_error) && status.Has(isc_io_open_err);
  }

  [[noreturn]] void FailToOpen(const Status& status) const {
    const std::string reason = status.Text();
    if (status.Has(isc_login)) {
      throw EDatabaseError("Usuário ou senha recusados pelo servidor Firebird " +
                           FUrl.AttachName() +
                           (FUrl.User.empty() ? "" : " (usuário " + FUrl.User + ")"));
    }
    if (status.HasAny(isc_network_error, isc_net_connect_err, isc_net_lookup_err,
                      isc_net_connect_listen_err, isc_net_event_connect_timeout,
                      isc_connect_reject)) {
      throw EDatabaseError("Não foi possível conectar ao servidor Firebird " + FUrl.Host +
                           (FUrl.Port.empty() ? "" : ":" + FUrl.Port) +
                           " (fora do ar, inacessível ou sem resposta em " +
                           std::to_string(FUrl.ConnectTimeoutSeconds) + " s): " + reason);
    }
    if (Missing(status)) {
      throw EDatabaseError("O banco de dados Firebird \"" + FUrl.AttachName() +
                           "\" não existe ou não pode ser aberto: " + reason);
    }
    throw EDatabaseError("Não foi possível abrir o banco de dados Firebird \"" + FUrl.AttachName() +
                         "\": " + reason);
  }

  FirebirdUrl FUrl;
  bool FReadOnly;
  // Released in reverse order: the transaction before the attachment it belongs to.
  Attachment FAttachment;
  Transaction FTransaction;
  bool FInTransaction = false;
};

namespace {

// The transaction a statement runs in: the caller's, or one of its own, committed by Done.
class StatementTransaction {
 public:
  explicit StatementTransaction(FirebirdConnection& connection) : FConnection(connection) {
    FShared = connection.Current();
    if (FShared == nullptr) FOwn = connection.Start();
  }
  isc_tr_handle* Handle() { return FShared != nullptr ? FShared->Address() : FOwn.Address(); }
  void Done() {
    if (FShared == nullptr) FConnection.Finish(FOwn, true);
  }

 private:
  FirebirdConnection& FConnection;
  Transaction* FShared = nullptr;
  Transaction FOwn;  // rolled back when a statement failed before Done
};

// A prepared statement with its parameter and column buffers.
class FirebirdStatement {
 public:
  FirebirdStatement(FirebirdConnection& connection, isc_tr_handle* transaction,
                    std::string statement)
      : FConnection(connection),
        FStatement(std::move(statement)),
        FParameters(RewriteNamedParameters(FStatement, PlaceholderStyle::PlainQuestionMark)),
        FInput(static_cast<int>(FParameters.Occurrences.size())) {
    Status status;
    isc_dsql_allocate_statement(status.Vector, connection.Database(), FHandle.Address());
    if (status.Failed()) Fail(status);
    const std::string& text = FParameters.Statement;
    isc_dsql_prepare(status.Vector, transaction, FHandle.Address(), 0, text.c_str(), kDialect,
                     FOutput.Get());
    if (status.Failed()) Fail(status);
    Describe(FOutput, isc_dsql_describe);
    Describe(FInput, isc_dsql_describe_bind);
    if (static_cast<std::size_t>(FInput.Count()) != FParameters.Occurrences.size()) {
      throw EDatabaseError("O comando tem " + std::to_string(FInput.Count()) +
                           " parâmetros para o Firebird e " +
                           std::to_string(FParameters.Occurrences.size()) +
                           " parâmetros :nome\nComando: " + FStatement);
    }
    for (int index = 0; index < FInput.Count(); ++index) {
      FDescribedTypes.push_back(FInput.Var(index).sqltype & ~1);
    }
    FInputData.resize(FDescribedTypes.size());
    FInputNulls.assign(FDescribedTypes.size(), 0);
    FType = StatementType();
    if (connection.ReadOnly() && !IsSelect()) {
      throw EDatabaseError(kReadOnlyRefusal + "\nComando: " + FStatement);
    }
    PrepareColumns();
  }

  bool IsSelect() const {
    return FType == isc_info_sql_stmt_select || FType == isc_info_sql_stmt_select_for_upd;
  }

  void Run(isc_tr_handle* transaction, const std::vector<Variant>& values) {
    const std::vector<Variant> perOccurrence = ValuesPerOccurrence(FParameters, values);
    for (int index = 0; index < FInput.Count(); ++index) {
      Bind(index, perOccurrence[static_cast<std::size_t>(index)], transaction);
    }
    XSQLDA* input = FInput.Count() > 0 ? FInput.Get() : nullptr;
    Status status;
    if (IsSelect() || FOutput.Count() == 0) {
      isc_dsql_execute(status.Vector, transaction, FHandle.Address(), kDialect, input);
    } else {
      isc_dsql_execute2(status.Vector, transaction, FHandle.Address(), kDialect, input,
                        FOutput.Get());
    }
    if (status.Failed()) Fail(status);
    FCursorOpen = IsSelect();
  }

  // Reads the whole result of a select run by Run into a new data set.
  std::unique_ptr<TjClientDataSet> ReadAll(isc_tr_handle* transaction) {
    auto dataSet = std::make_unique<TjClientDataSet>();
    if (!IsSelect()) return dataSet;  // a statement without rows: a closed data set
    for (const FieldShape& shape : FShapes) {
      dataSet->AddFieldDef(shape.Name, shape.Type, shape.Size, shape.Precision, shape.Scale);
    }
    dataSet->CreateDataSet();
    std::vector<Variant> row(FShapes.size());
    while (Fetch()) {
      for (int column = 0; column < FOutput.Count(); ++column) {
        row[static_cast<std::size_t>(column)] = Cell(column, transaction);
      }
      dataSet->AppendRecord(std::move(row));
      row.assign(FShapes.size(), Variant());
    }
    dataSet->First();
    return dataSet;
  }

 private:
  [[noreturn]] void Fail(const Status& status) const { FConnection.Fail(status, FStatement); }

  template <typename Describer>
  void Describe(Sqlda& area, Describer describe) {
    Status status;
    describe(status.Vector, FHandle.Address(), kDialect, area.Get());
    if (status.Failed()) Fail(status);
    if (area.Fits()) return;
    area = Sqlda(area.Count());
    describe(status.Vector, FHandle.Address(), kDialect, area.Get());
    if (status.Failed()) Fail(status);
  }

  int StatementType() {
    const char items[] = {isc_info_sql_stmt_type};
    char answer[16] = {};
    Status status;
    isc_dsql_sql_info(status.Vector, FHandle.Address(), sizeof items, items, sizeof answer, answer);
    if (status.Failed()) Fail(status);
    if (answer[0] != isc_info_sql_stmt_type) return 0;
    const auto length = static_cast<short>(isc_vax_integer(answer + 1, 2));
    return static_cast<int>(isc_vax_integer(answer + 3, length));
  }

  // Field shapes and buffers for the result columns; names made unique as the host does.
  void PrepareColumns() {
    const auto count = static_cast<std::size_t>(FOutput.Count());
    FColumnData.resize(count);
    FColumnNulls.assign(count, 0);
    for (std::size_t column = 0; column < count; ++column) {
      XSQLVAR& var = FOutput.Var(static_cast<int>(column));
      const int type = var.sqltype & ~1;
      FColumnData[column].resize(static_cast<std::size_t>(var.sqllen) +
                                 (type == SQL_VARYING ? 2 : 0));
      var.sqldata = FColumnData[column].data();
      var.sqlind = &FColumnNulls[column];
      var.sqltype = static_cast<ISC_SHORT>(type | 1);  // always report nulls through sqlind
      FShapes.push_back(ShapeOf(var, UniqueName(var)));
    }
  }

  std::string UniqueName(const XSQLVAR& var) const {
    std::string base(var.aliasname, static_cast<std::size_t>(var.aliasname_length));
    if (base.empty()) base = "COLUNA" + std::to_string(FShapes.size() + 1);
    std::string name = base;
    for (int suffix = 1;; ++suffix) {
      const bool taken = std::any_of(FShapes.begin(), FShapes.end(),
                                     [&](const FieldShape& s) { return SameText(s.Name, name); });
      if (!taken) return name;
      name = base + "_" + std::to_string(suffix);
    }
  }

  static FieldShape ShapeOf(const XSQLVAR& var, std::string name) {
    FieldShape shape;
    shape.Name = std::move(name);
    const int scale = -var.sqlscale;
    switch (var.sqltype & ~1) {
      case SQL_TEXT:
      case SQL_VARYING:
        shape.Type = TFieldType::ftString;
        shape.Size = var.sqllen / BytesPerCharacter(var.sqlsubtype);
        break;
      case SQL_SHORT:
      case SQL_LONG:
      case SQL_INT64: {
        const bool wide = (var.sqltype & ~1) == SQL_INT64;
        if (scale > 0) {
          shape.Type = TFieldType::ftFMTBcd;
          shape.Precision = wide ? 18 : (var.sqltype & ~1) == SQL_LONG ? 9 : 4;
          shape.Scale = scale;
        } else {
          shape.Type = wide ? TFieldType::ftLargeint : TFieldType::ftInteger;
        }
        break;
      }
      case SQL_FLOAT:
      case SQL_DOUBLE:
      case SQL_D_FLOAT:
        shape.Type = TFieldType::ftFloat;
        break;
      case SQL_TYPE_DATE:
        shape.Type = TFieldType::ftDate;
        break;
      case SQL_TIMESTAMP:
      case SQL_TYPE_TIME:
        shape.Type = TFieldType::ftDateTime;
        break;
      case SQL_BOOLEAN:
        shape.Type = TFieldType::ftBoolean;
        break;
      case SQL_BLOB:
        shape.Type = var.sqlsubtype == isc_blob_text ? TFieldType::ftString : TFieldType::ftBlob;
        break;
      default:
        shape.Type = TFieldType::ftString;
        break;
    }
    return shape;
  }

  bool Fetch() {
    if (!FCursorOpen) return false;
    Status status;
    const ISC_STATUS result =
        isc_dsql_fetch(status.Vector, FHandle.Address(), kDialect, FOutput.Get());
    if (result == 100) {
      FCursorOpen = false;
      return false;
    }
    if (status.Failed()) Fail(status);
    return true;
  }

  Variant Cell(int column, isc_tr_handle* transaction) {
    const XSQLVAR& var = FOutput.Var(column);
    if (*var.sqlind < 0) return Variant();
    const char* data = var.sqldata;
    switch (var.sqltype & ~1) {
      case SQL_TEXT: {
        // CHAR(n) comes padded with blanks to its full length; the blanks are not the value.
        std::string text(data, static_cast<std::size_t>(var.sqllen));
        text.erase(text.find_last_not_of(' ') + 1);
        return Variant(std::move(text));
      }
      case SQL_VARYING:
        return Variant(std::string(data + 2, static_cast<std::size_t>(Read<short>(data))));
      case SQL_SHORT:
        return Integer(Read<std::int16_t>(data), var.sqlscale);
      case SQL_LONG:
        return Integer(Read<std::int32_t>(data), var.sqlscale);
      case SQL_INT64:
        return Integer(Read<std::int64_t>(data), var.sqlscale);
      case SQL_FLOAT:
        return Variant(static_cast<double>(Read<float>(data)));
      case SQL_DOUBLE:
      case SQL_D_FLOAT:
        return Variant(Read<double>(data));
      case SQL_TYPE_DATE:
        return Variant(TDateTime(Read<ISC_DATE>(data) - kZeroDateTimeDay));
      case SQL_TYPE_TIME:
        return Variant(TDateTime(Read<ISC_TIME>(data) / kTimeUnitsPerDay));
      case SQL_TIMESTAMP: {
        const auto stamp = Read<ISC_TIMESTAMP>(data);
        return Variant(TDateTime((stamp.timestamp_date - kZeroDateTimeDay) +
                                 stamp.timestamp_time / kTimeUnitsPerDay));
      }
      case SQL_BOOLEAN:
        return Variant(Read<FB_BOOLEAN>(data) != FB_FALSE);
      case SQL_BLOB: {
        std::string bytes = ReadBlob(Read<ISC_QUAD>(data), transaction);
        if (var.sqlsubtype == isc_blob_text) return Variant(std::move(bytes));
        return Variant(Blob{std::move(bytes)});
      }
      default:
        throw EDatabaseError("Tipo de coluna do Firebird não suportado (" +
                             std::to_string(var.sqltype & ~1) + ") na coluna " +
                             FShapes[static_cast<std::size_t>(column)].Name +
                             "\nComando: " + FStatement);
    }
  }

  // Exact: a scaled integer becomes a decimal of that scale, never a double.
  static Variant Integer(std::int64_t value, int sqlScale) {
    if (sqlScale < 0) return Variant(Decimal(value, -sqlScale));
    return Variant(value * PowerOfTen(sqlScale));
  }

  std::string ReadBlob(ISC_QUAD id, isc_tr_handle* transaction) {
    BlobHandle blob;
    Status status;
    isc_open_blob2(status.Vector, FConnection.Database(), transaction, blob.Address(), &id, 0,
                   nullptr);
    if (status.Failed()) Fail(status);
    std::string bytes;
    char segment[32768];
    for (;;) {
      unsigned short length = 0;
      const ISC_STATUS result =
          isc_get_segment(status.Vector, blob.Address(), &length, sizeof segment, segment);
      if (result != 0 && result != isc_segment) {
        if (result == isc_segstr_eof) break;
        Fail(status);
      }
      bytes.append(segment, length);
    }
    isc_close_blob(status.Vector, blob.Address());
    if (status.Failed()) Fail(status);
    return bytes;
  }

  ISC_QUAD WriteBlob(const std::string& bytes, isc_tr_handle* transaction) {
    BlobHandle blob;
    ISC_QUAD id{};
    Status status;
    isc_create_blob2(status.Vector, FConnection.Database(), transaction, blob.Address(), &id, 0,
                     nullptr);
    if (status.Failed()) Fail(status);
    constexpr std::size_t kSegment = 32768;
    for (std::size_t at = 0; at < bytes.size(); at += kSegment) {
      const auto length = static_cast<unsigned short>(std::min(kSegment, bytes.size() - at));
      isc_put_segment(status.Vector, blob.Address(), length, bytes.data() + at);
      if (status.Failed()) Fail(status);
    }
    isc_close_blob(status.Vector, blob.Address());
    if (status.Failed()) Fail(status);
    return id;
  }

  // Binds one placeholder. The statement's own type for it decides blobs, booleans and dates;
  // everything else is handed over in its own type and the server converts it.
  void Bind(int index, const Variant& value, isc_tr_handle* transaction) {
    XSQLVAR& var = FInput.Var(index);
    const auto slot = static_cast<std::size_t>(index);
    const int described = FDescribedTypes[slot];
    std::vector<char>& buffer = FInputData[slot];
    short type = SQL_TEXT;
    var.sqlscale = 0;
    FInputNulls[slot] = 0;
    switch (value.GetKind()) {
      case Variant::Kind::Null:
        FInputNulls[slot] = -1;
        buffer.assign(8, 0);
        type = SQL_INT64;  // any type: the server only reads the null indicator
        break;
      case Variant::Kind::Integer:
      case Variant::Kind::Boolean:
        if (described == SQL_BOOLEAN) {
          Write<FB_BOOLEAN>(buffer, value.AsBoolean() ? FB_TRUE : FB_FALSE);
          type = SQL_BOOLEAN;
        } else {
          Write<std::int64_t>(buffer, value.AsInt64());
          type = SQL_INT64;
        }
        break;
      case Variant::Kind::Float:
        Write<double>(buffer, value.AsFloat());
        type = SQL_DOUBLE;
        break;
      case Variant::Kind::Decimal: {
        // As text with every decimal it has: the server converts it exactly.
        std::string text = value.AsString();
        std::replace(text.begin(), text.end(), ',', '.');
        buffer.assign(text.begin(), text.end());
        var.sqlsubtype = kUtf8;
        var.sqllen = static_cast<ISC_SHORT>(text.size());
        break;
      }
      case Variant::Kind::DateTime: {
        const civil::DayAndTime split = civil::Split(value.AsDateTime().Value());
        const auto day = static_cast<ISC_DATE>(split.Days + kZeroDateTimeDay);
        if (described == SQL_TYPE_DATE) {
          Write<ISC_DATE>(buffer, day);
          type = SQL_TYPE_DATE;
        } else {
          Write<ISC_TIMESTAMP>(buffer,
                               ISC_TIMESTAMP{day, static_cast<ISC_TIME>(split.Milliseconds * 10)});
          type = SQL_TIMESTAMP;
        }
        break;
      }
      case Variant::Kind::Text:
      case Variant::Kind::Blob: {
        const std::string& bytes = value.AsBytes();
        if (described == SQL_BLOB) {
          Write<ISC_QUAD>(buffer, WriteBlob(bytes, transaction));
          type = SQL_BLOB;
          break;
        }
        if (bytes.size() > 32767) {
          throw EDatabaseError(
              "Valor de " + std::to_string(bytes.size()) +
              " bytes longo demais para um parâmetro do Firebird\nComando: " + FStatement);
        }
        buffer.assign(bytes.begin(), bytes.end());
        var.sqlsubtype = value.GetKind() == Variant::Kind::Text ? kUtf8 : kOctets;
        var.sqllen = static_cast<ISC_SHORT>(bytes.size());
        break;
      }
    }
    if (type != SQL_TEXT) var.sqllen = static_cast<ISC_SHORT>(buffer.size());
    if (buffer.empty()) buffer.push_back('\0');  // an empty text still needs an address
    var.sqltype = static_cast<ISC_SHORT>(type | 1);
    var.sqldata = buffer.data();
    var.sqlind = &FInputNulls[slot];
  }

  FirebirdConnection& FConnection;
  std::string FStatement;
  NamedParameters FParameters;
  StatementHandle FHandle;
  Sqlda FOutput{16};
  Sqlda FInput;
  int FType = 0;
  bool FCursorOpen = false;
  std::vector<FieldShape> FShapes;
  std::vector<std::vector<char>> FColumnData;
  std::vector<short> FColumnNulls;
  std::vector<int> FDescribedTypes;
  std::vector<std::vector<char>> FInputData;
  std::vector<short> FInputNulls;
};

class FirebirdPrepared : public PreparedStatement {
 public:
  FirebirdPrepared(FirebirdConnection& connection, const std::string& statement)
      : FConnection(connection), FStatement(Compile(connection, statement)) {}

  void Run(const std::vector<Variant>& values) override {
    StatementTransaction transaction(FConnection);
    FStatement->Run(transaction.Handle(), values);
    transaction.Done();
  }

 private:
  static std::unique_ptr<FirebirdStatement> Compile(FirebirdConnection& connection,
                                                    const std::string& statement) {
    StatementTransaction transaction(connection);
    auto compiled =
        std::make_unique<FirebirdStatement>(connection, transaction.Handle(), statement);
    transaction.Done();
    return compiled;
  }

  FirebirdConnection& FConnection;
  std::unique_ptr<FirebirdStatement> FStatement;
};

}  // namespace

FirebirdEngine::FirebirdEngine(const std::string& url, OpenMode mode)
    : FConnection(std::make_unique<FirebirdConnection>(url, mode)) {}

FirebirdEngine::~FirebirdEngine() = default;

std::unique_ptr<TjClientDataSet> FirebirdEngine::Query(const std::string& statement,
                                                       const std::vector<Variant>& values) {
  StatementTransaction transaction(*FConnection);
  FirebirdStatement compiled(*FConnection, transaction.Handle(), statement);
  compiled.Run(transaction.Handle(), values);
  auto dataSet = compiled.ReadAll(transaction.Handle());
  transaction.Done();
  return dataSet;
}

void FirebirdEngine::Execute(const std::string& statement, const std::vector<Variant>& values) {
  StatementTransaction transaction(*FConnection);
  FirebirdStatement compiled(*FConnection, transaction.Handle(), statement);
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
