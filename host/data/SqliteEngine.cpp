#include "data/SqliteEngine.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <exception>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <thread>
#include <type_traits>
#include <utility>

#include "Exception.h"
#include "SysUtils.h"
#include "core/DateText.h"
#include "core/NumberText.h"
#include "data/ColumnTyping.h"
#include "data/EngineMessages.h"
#include "data/FieldStructure.h"
#include "data/LiteralParameters.h"
#include "data/ResultSetWriter.h"
#include "data/SqlText.h"
#include "data/SqliteDialect.h"
#include "data/StatementParameters.h"

namespace {

struct StatementCloser {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using StatementHandle = std::unique_ptr<sqlite3_stmt, StatementCloser>;

[[noreturn]] void DatabaseError(const std::string& message, const std::string& statement) {
  throw EDatabaseError(message + "\nComando: " + statement);
}

// A connection opened for reading only: every write is refused, and the refusal is said plainly.
bool OpenedReadOnly(sqlite3* database) {
  return sqlite3_db_readonly(database, "main") == 1;
}

[[noreturn]] void DatabaseError(sqlite3* database, const std::string& statement) {
  const int code = sqlite3_errcode(database) & 0xff;
  if (OpenedReadOnly(database) && (code == SQLITE_AUTH || code == SQLITE_READONLY)) {
    DatabaseError(WriteRefusedMessage(sqlite3_errmsg(database)), statement);
  }
  DatabaseError(sqlite3_errmsg(database), statement);
}

// Pragmas that take an argument and still only read.
bool ReadingPragma(const char* name) {
  for (const char* reading :
       {"table_info", "table_xinfo", "table_list", "index_list", "index_info", "index_xinfo",
        "foreign_key_list", "function_list", "collation_list", "pragma_list", "module_list"}) {
    if (SameText(name, reading)) return true;
  }
  return false;
}

// On a read-only connection statements may only read. SQLite's read-only open and query_only
// already stop writes to the file; this also stops what they let through: attaching (or
// creating) other files, `vacuum into`, and pragmas that set something (query_only itself).
int AllowOnlyReading(void*, int action, const char* first, const char* second, const char*,
                     const char*) {
  switch (action) {
    case SQLITE_SELECT:
    case SQLITE_READ:
    case SQLITE_FUNCTION:
    case SQLITE_RECURSIVE:
      return SQLITE_OK;
    case SQLITE_PRAGMA:
      return second == nullptr || ReadingPragma(first) ? SQLITE_OK : SQLITE_DENY;
    default:
      return SQLITE_DENY;
  }
}

// A statement ready to run: compiled, with `:name` parameters turned into numbered ones.
struct Compiled {
  StatementHandle Handle;
  NamedParameters Parameters;
};

Compiled Compile(sqlite3* database, const std::string& statement) {
  Compiled compiled;
  compiled.Parameters = RewriteNamedParameters(WithSqliteDateCasts(statement),
                                               PlaceholderStyle::NumberedQuestionMark);
  const std::string& text = compiled.Parameters.Statement;
  sqlite3_stmt* raw = nullptr;
  const char* tail = nullptr;
  if (sqlite3_prepare_v2(database, text.c_str(), static_cast<int>(text.size()), &raw, &tail) !=
      SQLITE_OK) {
    DatabaseError(database, statement);
  }
  compiled.Handle.reset(raw);
  if (!compiled.Handle) DatabaseError("Comando vazio", statement);
  // Said before it runs: inside the run's read transaction some writes (VACUUM) would fail
  // for that reason instead, which hides what is wrong with them.
  if (OpenedReadOnly(database) && sqlite3_stmt_readonly(raw) == 0) {
    DatabaseError(WriteRefusedMessage("só consultas são aceitas"), statement);
  }
  // One statement at a time: whatever follows a ';' must be blanks or comments.
  sqlite3_stmt* next = nullptr;
  const char* end = text.c_str() + text.size();
  if (tail != nullptr && tail < end) {
    const int result =
        sqlite3_prepare_v2(database, tail, static_cast<int>(end - tail), &next, nullptr);
    sqlite3_finalize(next);
    if (result != SQLITE_OK || next != nullptr) {
      DatabaseError("Mais de um comando no mesmo texto", statement);
    }
  }
  return compiled;
}

void Bind(sqlite3* database, sqlite3_stmt* handle, const NamedParameters& parameters,
          const std::vector<Variant>& values, const std::string& statement) {
  const std::vector<Variant> byName = ValuesForNames(parameters, values);
  sqlite3_reset(handle);
  sqlite3_clear_bindings(handle);
  for (std::size_t i = 0; i < byName.size(); ++i) {
    const int slot = static_cast<int>(i) + 1;
    const Variant& value = byName[i];
    int result = SQLITE_OK;
    switch (value.GetKind()) {
      case Variant::Kind::Null:
        result = sqlite3_bind_null(handle, slot);
        break;
      case Variant::Kind::Integer:
        result = sqlite3_bind_int64(handle, slot, value.AsInt64());
        break;
      case Variant::Kind::Boolean:
        result = sqlite3_bind_int(handle, slot, value.AsBoolean());
        break;
      case Variant::Kind::Float:
        result = sqlite3_bind_double(handle, slot, value.AsFloat());
        break;
      case Variant::Kind::Decimal: {
        const std::string text = DecimalSqlText(value);
        result = sqlite3_bind_text(handle, slot, text.c_str(), static_cast<int>(text.size()),
                                   SQLITE_TRANSIENT);
        break;
      }
      case Variant::Kind::DateTime: {
        // Dates as the database keeps them; a date alone without " 00:00:00", or a text
        // comparison such as `between` would leave out the first day.
        const std::string text = date_text::ToIsoText(value.AsDateTime());
        result = sqlite3_bind_text(handle, slot, text.c_str(), static_cast<int>(text.size()),
                                   SQLITE_TRANSIENT);
        break;
      }
      case Variant::Kind::Text: {
        const std::string& text = value.AsBytes();
        result = sqlite3_bind_text(handle, slot, text.data(), static_cast<int>(text.size()),
                                   SQLITE_TRANSIENT);
        break;
      }
      case Variant::Kind::Blob: {
        const std::string& bytes = value.AsBytes();
        result = sqlite3_bind_blob(handle, slot, bytes.data(), static_cast<int>(bytes.size()),
                                   SQLITE_TRANSIENT);
        break;
      }
    }
    if (result != SQLITE_OK) DatabaseError(database, statement);
  }
}

// The values as Bind hands them to SQLite, as text: equal keys are equal bindings.
std::string BoundValuesKey(const std::vector<Variant>& values) {
  std::string key;
  const auto append = [&key](const auto& bytes) {
    key.append(reinterpret_cast<const char*>(&bytes), sizeof bytes);
  };
  const auto appendSized = [&](const std::string& text) {
    append(static_cast<std::uint32_t>(text.size()));
    key += text;
  };
  for (const Variant& value : values) {
    key += static_cast<char>(value.GetKind());
    switch (value.GetKind()) {
      case Variant::Kind::Null:
        break;
      case Variant::Kind::Integer:
        append(value.AsInt64());
        break;
      case Variant::Kind::Boolean:
        append(value.AsBoolean());
        break;
      case Variant::Kind::Float:
        append(value.AsFloat());
        break;
      case Variant::Kind::Decimal:
        appendSized(DecimalSqlText(value));
        break;
      case Variant::Kind::DateTime:
        appendSized(date_text::ToIsoText(value.AsDateTime()));
        break;
      case Variant::Kind::Text:
      case Variant::Kind::Blob:
        appendSized(value.AsBytes());
        break;
    }
  }
  return key;
}

std::string_view ColumnTextView(sqlite3_stmt* handle, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(handle, column));
  return text == nullptr
             ? std::string_view()
             : std::string_view(text,
                                static_cast<std::size_t>(sqlite3_column_bytes(handle, column)));
}

// A text column's value as the plan reads it: CHAR padding is no part of it.
std::string_view PlannedText(sqlite3_stmt* handle, int column, const ColumnPlan& plan) {
  std::string_view text = ColumnTextView(handle, column);
  if (plan.TrimPadding) {
    const std::size_t last = text.find_last_not_of(' ');
    text = last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
  }
  return text;
}

// A value of the statement's current row, read where it stands.
struct LiveCell {
  sqlite3_stmt* Handle;
  int Column;

  std::int64_t Integer() const { return sqlite3_column_int64(Handle, Column); }
  double Real() const { return sqlite3_column_double(Handle, Column); }
  std::string Text() const { return std::string(ColumnTextView(Handle, Column)); }
  std::string Bytes() const {
    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(Handle, Column));
    const auto size = static_cast<std::size_t>(sqlite3_column_bytes(Handle, Column));
    return bytes == nullptr ? std::string() : std::string(bytes, size);
  }
};

// A value of a row read ahead, as SQLite gave it: the number for an integer, the number and
// SQLite's own text of it for a real, the bytes for a text or a blob. Read as a LiveCell
// would be: an integer's text is its decimal digits, a real's the text SQLite wrote.
struct CapturedValue {
  StorageClass Storage = StorageClass::Null;
  std::int64_t Integer = 0;
  double Real = 0;
  std::size_t TextAt = 0, TextSize = 0;  // in the batch's text
};

struct CapturedCell {
  const CapturedValue& Value;
  const std::string& Texts;

  std::int64_t Integer() const { return Value.Integer; }
  double Real() const {
    return Value.Storage == StorageClass::Integer ? static_cast<double>(Value.Integer) : Value.Real;
  }
  std::string Text() const {
    if (Value.Storage == StorageClass::Integer) return std::to_string(Value.Integer);
    return Texts.substr(Value.TextAt, Value.TextSize);
  }
  std::string Bytes() const { return Text(); }
};

template <class Cell>
Variant ReadCell(const Cell& cell, const ColumnPlan& plan, StorageClass storage,
                 const std::string& statement) {
  if (storage == StorageClass::Null) return Variant();
  switch (plan.Shape.Type) {
    case TFieldType::ftInteger:
    case TFieldType::ftLargeint: {
      if (storage == StorageClass::Integer) return Variant(cell.Integer());
      const std::string text = cell.Text();
      if (storage == StorageClass::Float) {
        const double number = cell.Real();
        if (std::trunc(number) == number && std::fabs(number) < 9.2e18) {
          return Variant(static_cast<std::int64_t>(number));
        }
      } else if (storage == StorageClass::Text) {
        if (const auto number = number_text::ParseInteger(text)) return Variant(*number);
      }
      FailColumnValue(plan.Shape.Name, text, "um número inteiro", statement);
    }
    case TFieldType::ftFloat: {
      if (storage == StorageClass::Integer || storage == StorageClass::Float) {
        return Variant(cell.Real());
      }
      const std::string text = cell.Text();
      if (const auto number = number_text::ParseFloat(text)) return Variant(*number);
      FailColumnValue(plan.Shape.Name, text, "um número", statement);
    }
    case TFieldType::ftFMTBcd: {
      if (storage == StorageClass::Integer) {
        return Variant(Decimal(cell.Integer(), 0).Rescaled(plan.Shape.Scale));
      }
      // Exactly from the text form: SQLite writes a stored real with 15 significant digits, so
      // a money value stored as 0.3 reads back as 0.3 and not as 0.299999...
      const std::string text = cell.Text();
      try {
        return Variant(Decimal::Parse(text, plan.Shape.Scale));
      } catch (const Exception&) {
        FailColumnValue(plan.Shape.Name, text, "um número decimal", statement);
      }
    }
    case TFieldType::ftDate:
    case TFieldType::ftDateTime: {
      const std::string text = cell.Text();
      const auto value =
          storage == StorageClass::Text ? date_text::ParseIsoDateTime(text) : std::nullopt;
      if (!value)
        FailColumnValue(plan.Shape.Name, text, "uma data (aaaa-mm-dd ou aaaa-mm-dd hh:mm:ss)",
                        statement);
      return Variant(plan.Shape.Type == TFieldType::ftDate ? value->DateOnly() : *value);
    }
    case TFieldType::ftBlob: {
      return Variant(Blob{cell.Bytes()});
    }
    case TFieldType::ftBoolean: {
      if (storage == StorageClass::Integer) return Variant(cell.Integer() != 0);
      const std::string text = cell.Text();
      try {
        return Variant(Variant(text).AsBoolean());
      } catch (const Exception&) {
        FailColumnValue(plan.Shape.Name, text, "um valor lógico", statement);
      }
    }
    case TFieldType::ftString:
    case TFieldType::ftUnknown:
      break;
  }
  std::string text = cell.Text();
  if (plan.TrimPadding) text.erase(text.find_last_not_of(' ') + 1);
  return Variant(std::move(text));
}

bool IsIntegerField(TFieldType type) {
  return type == TFieldType::ftInteger || type == TFieldType::ftLargeint;
}
bool IsTextField(TFieldType type) {
  return type == TFieldType::ftString || type == TFieldType::ftUnknown;
}

// Reads the current row into `rows` as ReadCell types each value; integers and texts, most of a
// result, go without a Variant. When a column's plan cannot hold its value without loss, gives
// the column and the wider plan it needs and leaves the row unfinished. Plans that may change
// (expressions, typed by their first value) are marked as their values are seen.
template <typename Plans>
std::optional<std::pair<std::size_t, ColumnPlan>> WriteRow(sqlite3_stmt* handle, Plans& plans,
                                                           ResultSetWriter& rows,
                                                           const std::string& statement) {
  for (std::size_t column = 0; column < plans.size(); ++column) {
    const ColumnPlan& plan = plans[column];
    const int index = static_cast<int>(column);
    const auto storage = static_cast<StorageClass>(sqlite3_column_type(handle, index));
    std::optional<ColumnPlan> wider = WidenForStorage(plan, storage);
    if (wider) {
      // (the value is not read: the row is read again with the wider plan)
    } else if (storage == StorageClass::Null) {
      rows.Null();
    } else if (IsIntegerField(plan.Shape.Type) && storage == StorageClass::Integer) {
      const auto value = static_cast<std::int64_t>(sqlite3_column_int64(handle, index));
      wider = WidenForInteger(plan, value);
      if (!wider) rows.Integer(value);
    } else if (IsTextField(plan.Shape.Type)) {
      const std::string_view text = PlannedText(handle, index, plan);
      wider = WidenForText(plan, text);
      if (!wider) rows.Text(text);
    } else {
      const Variant value = ReadCell(LiveCell{handle, index}, plan, storage, statement);
      wider = WidenForValue(plan, value);
      if (!wider) rows.Value(value);
    }
    if (wider) return std::pair{column, std::move(*wider)};
    if constexpr (!std::is_const_v<Plans>) {
      if (storage != StorageClass::Null) plans[column].SeenValue = true;
    }
  }
  rows.EndRecord();
  return std::nullopt;
}

std::vector<std::string> ColumnNames(sqlite3_stmt* handle) {
  std::vector<std::string> names;
  for (int column = 0; column < sqlite3_column_count(handle); ++column) {
    const char* raw = sqlite3_column_name(handle, column);
    names.emplace_back(raw == nullptr ? "" : raw);
  }
  return UniqueColumnNames(names);
}

class SqlitePrepared : public PreparedStatement {
 public:
  // Compiled by the engine, which holds the connection.
  SqlitePrepared(sqlite3* database, std::mutex& connection, std::string statement)
      : FDatabase(database),
        FConnection(connection),
        FStatement(std::move(statement)),
        FCompiled(Compile(database, FStatement)) {}

  ~SqlitePrepared() override {
    const std::lock_guard lock(FConnection);
    FCompiled.Handle.reset();
  }
  SqlitePrepared(const SqlitePrepared&) = delete;
  SqlitePrepared& operator=(const SqlitePrepared&) = delete;

  void Run(const std::vector<Variant>& values) override {
    const std::lock_guard lock(FConnection);
    sqlite3_stmt* handle = FCompiled.Handle.get();
    Bind(FDatabase, handle, FCompiled.Parameters, values, FStatement);
    int result = SQLITE_ROW;
    while (result == SQLITE_ROW) result = sqlite3_step(handle);
    if (result != SQLITE_DONE) DatabaseError(FDatabase, FStatement);
    sqlite3_reset(handle);
  }

 private:
  sqlite3* FDatabase;
  std::mutex& FConnection;
  std::string FStatement;
  Compiled FCompiled;
};

// A statement of its own (not a kept one, which another query of the same text would reset),
// stepped as the cursor moves. Columns are typed as Query types them; an expression column
// whose values change storage class takes each value in the kind it needs, as Query would
// widen the column for it, without reading the rows again. A value is converted only when
// asked for: readers of a wide select often take a few of its columns.
//
// A long result is read ahead on a thread of its own once the first rows are through: SQLite
// finds the next rows while the reader works on the current ones (a report building its
// working set spends as long in each). The thread only copies the rows' values as SQLite has
// them; converting them stays with the reader, as asked for. The connection is used by one
// thread at a time: whoever steps or reads it holds `connection`.
class SqliteCursor : public RowCursor {
 public:
  SqliteCursor(sqlite3* database, std::mutex& connection, std::string statement,
               const std::vector<Variant>& values)
      : FDatabase(database), FConnection(connection), FStatement(std::move(statement)) {
    const std::lock_guard lock(FConnection);
    FCompiled = Compile(database, FStatement);
    sqlite3_stmt* handle = FCompiled.Handle.get();
    Bind(database, handle, FCompiled.Parameters, values, FStatement);
    FNames = ColumnNames(handle);
    for (std::size_t column = 0; column < FNames.size(); ++column) {
      const char* declared = sqlite3_column_decltype(handle, static_cast<int>(column));
      FPlans.push_back(PlanForDeclaredType(FNames[column], declared == nullptr ? "" : declared));
    }
    FRow.resize(FNames.size());
    FReadInRow.resize(FNames.size(), 0);
  }

  ~SqliteCursor() override {
    if (FAhead) {
      {
        const std::lock_guard lock(FAhead->Lock);
        FAhead->Stop = true;
      }
      FAhead->Room.notify_one();
      FAhead->Reader.join();
    }
    const std::lock_guard lock(FConnection);
    FCompiled.Handle.reset();
  }

  SqliteCursor(const SqliteCursor&) = delete;
  SqliteCursor& operator=(const SqliteCursor&) = delete;

  const std::vector<std::string>& Names() const override { return FNames; }

  bool Next() override {
    if (FAhead) return NextReadAhead();
    if (FFinished) return false;
    // The current row may still be read: reading ahead starts with the row after it.
    if (FRowNumber >= kRowsBeforeReadingAhead) {
      StartReadingAhead();
      return NextReadAhead();
    }
    const std::lock_guard lock(FConnection);
    const int result = sqlite3_step(FCompiled.Handle.get());
    if (result == SQLITE_DONE) {
      FFinished = true;
      return false;
    }
    if (result != SQLITE_ROW) DatabaseError(FDatabase, FStatement);
    ++FRowNumber;
    return true;
  }

  const Variant& Value(std::size_t column) override {
    if (FReadInRow[column] == FRowNumber) return FRow[column];
    if (FAhead) {
      const Batch& batch = FAhead->Current;
      const CapturedValue& value = batch.Values[FAhead->Row * FNames.size() + column];
      FRow[column] = Convert(CapturedCell{value, batch.Texts}, value.Storage, column);
    } else {
      const std::lock_guard lock(FConnection);
      sqlite3_stmt* handle = FCompiled.Handle.get();
      const int index = static_cast<int>(column);
      const auto storage = static_cast<StorageClass>(sqlite3_column_type(handle, index));
      FRow[column] = Convert(LiveCell{handle, index}, storage, column);
    }
    FReadInRow[column] = FRowNumber;
    return FRow[column];
  }

 private:
  // Rows read on the caller's thread first: a lookup or a short result starts no thread.
  static constexpr std::uint64_t kRowsBeforeReadingAhead = 256;
  static constexpr std::size_t kRowsPerBatch = 256;
  static constexpr std::size_t kBatchesAhead = 2;

  // Rows read ahead, all their values in row order, and how the reading ended after them.
  struct Batch {
    std::size_t Rows = 0;
    std::vector<CapturedValue> Values;
    std::string Texts;
    bool Last = false;
    std::exception_ptr Failure;  // the step after the rows failed
  };
  struct ReadAhead {
    std::mutex Lock;
    std::condition_variable Ready, Room;
    std::deque<Batch> Waiting;
    bool Stop = false;
    Batch Current;  // the reader's
    std::size_t Row = 0;
    std::thread Reader;
  };

  template <class Cell>
  Variant Convert(const Cell& cell, StorageClass storage, std::size_t column) {
    if (std::optional<ColumnPlan> wider = WidenForStorage(FPlans[column], storage)) {
      FPlans[column] = *wider;
    }
    Variant value = ReadCell(cell, FPlans[column], storage, FStatement);
    if (storage != StorageClass::Null) FPlans[column].SeenValue = true;
    return value;
  }

  void StartReadingAhead() {
    FAhead = std::make_unique<ReadAhead>();
    FAhead->Reader = std::thread([this] { ReadAheadLoop(); });
  }

  bool NextReadAhead() {
    ReadAhead& ahead = *FAhead;
    while (ahead.Row + 1 >= ahead.Current.Rows) {
      if (ahead.Current.Failure) std::rethrow_exception(ahead.Current.Failure);
      if (ahead.Current.Last) {
        ahead.Row = ahead.Current.Rows;  // past the last row: no value to read
        return false;
      }
      {
        std::unique_lock lock(ahead.Lock);
        ahead.Ready.wait(lock, [&] { return !ahead.Waiting.empty(); });
        ahead.Current = std::move(ahead.Waiting.front());
        ahead.Waiting.pop_front();
      }
      ahead.Room.notify_one();
      if (ahead.Current.Rows > 0) {
        ahead.Row = 0;
        ++FRowNumber;
        return true;
      }
    }
    ++ahead.Row;
    ++FRowNumber;
    return true;
  }

  void ReadAheadLoop() {
    ReadAhead& ahead = *FAhead;
    for (;;) {
      {
        std::unique_lock lock(ahead.Lock);
        ahead.Room.wait(lock, [&] { return ahead.Stop || ahead.Waiting.size() < kBatchesAhead; });
        if (ahead.Stop) return;
      }
      Batch batch = ReadBatch();
      const bool ended = batch.Last || batch.Failure;
      {
        const std::lock_guard lock(ahead.Lock);
        ahead.Waiting.push_back(std::move(batch));
      }
      ahead.Ready.notify_one();
      if (ended) return;
    }
  }

  Batch ReadBatch() {
    Batch batch;
    const std::size_t width = FNames.size();
    const std::lock_guard lock(FConnection);
    try {
      batch.Values.reserve(kRowsPerBatch * width);
      while (batch.Rows < kRowsPerBatch) {
        const int result = sqlite3_step(FCompiled.Handle.get());
        if (result == SQLITE_DONE) {
          batch.Last = true;
          break;
        }
        if (result != SQLITE_ROW) DatabaseError(FDatabase, FStatement);
        for (std::size_t column = 0; column < width; ++column) {
          batch.Values.push_back(Capture(static_cast<int>(column), batch.Texts));
        }
        ++batch.Rows;
      }
    } catch (...) {
      batch.Failure = std::current_exception();
    }
    return batch;
  }

  CapturedValue Capture(int column, std::string& texts) const {
    sqlite3_stmt* handle = FCompiled.Handle.get();
    CapturedValue value;
    value.Storage = static_cast<StorageClass>(sqlite3_column_type(handle, column));
    switch (value.Storage) {
      case StorageClass::Null:
        return value;
      case StorageClass::Integer:
        value.Integer = sqlite3_column_int64(handle, column);
        return value;
      case StorageClass::Float:
        value.Real = sqlite3_column_double(handle, column);
        break;
      case StorageClass::Text:
      case StorageClass::Blob:
        break;
    }
    // The real's text as SQLite writes it; the text's or blob's bytes.
    const void* bytes = value.Storage == StorageClass::Blob ? sqlite3_column_blob(handle, column)
                                                            : sqlite3_column_text(handle, column);
    value.TextAt = texts.size();
    value.TextSize = static_cast<std::size_t>(sqlite3_column_bytes(handle, column));
    if (bytes != nullptr) texts.append(static_cast<const char*>(bytes), value.TextSize);
    return value;
  }

  sqlite3* FDatabase;
  std::mutex& FConnection;
  std::string FStatement;
  Compiled FCompiled;
  std::vector<std::string> FNames;
  std::vector<ColumnPlan> FPlans;
  std::vector<Variant> FRow;
  // The row each value of FRow was read in: values are read when asked for, once per row.
  std::vector<std::uint64_t> FReadInRow;
  std::uint64_t FRowNumber = 0;
  bool FFinished = false;
  std::unique_ptr<ReadAhead> FAhead;  // once the first rows are through
};

// Reset also when a run fails half way, so that no kept statement holds the file's lock.
struct ResetOnExit {
  sqlite3_stmt* Handle;
  explicit ResetOnExit(sqlite3_stmt* handle) : Handle(handle) {}
  ResetOnExit(const ResetOnExit&) = delete;
  ResetOnExit& operator=(const ResetOnExit&) = delete;
  ~ResetOnExit() { sqlite3_reset(Handle); }
};

// Statements kept compiled: enough for every statement of a report, few enough that the texts
// built with values pasted in (one per establishment) cannot pile up.
constexpr std::size_t kCachedStatements = 32;

// Results remembered: enough for one per establishment of a large office (about 400 bytes
// each); beyond it the memory starts over. A result larger than a lookup's row is not kept.
constexpr std::size_t kRememberedBytes = std::size_t{4} << 20;
constexpr std::size_t kRememberedResultBytes = 1024;
constexpr std::size_t kRememberedEntryBytes = 128;  // what the map takes beside key and rows

}  // namespace

// A statement's result columns as their declared types give them, with the data set structure
// of those types.
struct SqliteEngine::ResultColumns {
  std::vector<ColumnPlan> Plans;
  std::shared_ptr<const FieldStructure> Fields;
  // Whether an expression among them is to be typed by its values.
  bool TypedByValues = false;

  explicit ResultColumns(std::vector<ColumnPlan> plans) : Plans(std::move(plans)) {
    std::vector<FieldShape> shapes;
    shapes.reserve(Plans.size());
    for (const ColumnPlan& plan : Plans) {
      shapes.push_back(plan.Shape);
      TypedByValues = TypedByValues || !plan.Declared;
    }
    Fields = std::make_shared<const FieldStructure>(std::move(shapes));
  }
};

// A result of at most one row, as ResultSetWriter recorded it.
struct SqliteEngine::RememberedResult {
  std::shared_ptr<const FieldStructure> Fields;
  std::string Records;
};

struct SqliteEngine::CachedStatement {
  Compiled Statement;
  std::uint64_t LastUse = 0;
  // Its result columns, kept while the connection reads one snapshot: the schema cannot change
  // under it then, and every result of the statement shares their structure.
  std::shared_ptr<const ResultColumns> Columns;
  // Whether the same values give the same rows within one snapshot (IsRepeatable), and its
  // results of at most one row by the values they were run with: a report runs the same
  // statement once per block, for the few establishments it meets again and again.
  bool Repeatable = false;
  std::unordered_map<std::string, RememberedResult> Results;
  std::size_t RememberedBytes = 0;
};

SqliteEngine::CachedStatement& SqliteEngine::Cached(const std::string& statement) {
  ++FStatementUses;
  if (auto found = FStatements.find(statement); found != FStatements.end()) {
    found->second->LastUse = FStatementUses;
    return *found->second;
  }
  auto compiled = std::make_unique<CachedStatement>();
  compiled->Statement = Compile(FDatabase.get(), statement);
  compiled->LastUse = FStatementUses;
  compiled->Repeatable = IsRepeatable(statement);
  if (FStatements.size() >= kCachedStatements) {
    const auto oldest = std::min_element(
        FStatements.begin(), FStatements.end(),
        [](const auto& a, const auto& b) { return a.second->LastUse < b.second->LastUse; });
    FRememberedBytes -= oldest->second->RememberedBytes;
    FStatements.erase(oldest);
  }
  return *FStatements.emplace(statement, std::move(compiled)).first->second;
}

void SqliteEngine::Closer::operator()(sqlite3* database) const {
  sqlite3_close_v2(database);
}

SqliteEngine::SqliteEngine(const std::string& path, OpenMode mode) {
  if (Trim(path).empty()) throw EDatabaseError("Caminho do banco SQLite vazio");
  const bool readOnly = mode == OpenMode::ReadOnly;
  // SQLite would open a missing file read-only as an empty database; say what is wrong instead.
  std::error_code error;
  if (readOnly && !std::filesystem::exists(path, error)) {
    throw EDatabaseError("O banco de dados SQLite \"" + path + "\" não existe");
  }
  sqlite3* raw = nullptr;
  // A connection is used by one thread at a time: SQLite need not lock it around every call
  // (reading a value is a call, and the lock was a twentieth of a run).
  const int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE) |
                    SQLITE_OPEN_NOMUTEX;
  const int result = sqlite3_open_v2(path.c_str(), &raw, flags, nullptr);
  FDatabase.reset(raw);  // released also when opening failed
  if (result != SQLITE_OK) {
    throw EDatabaseError("Não foi possível abrir o banco SQLite \"" + path +
                         "\": " + (raw != nullptr ? sqlite3_errmsg(raw) : sqlite3_errstr(result)));
  }
  sqlite3_busy_timeout(raw, 5000);
  sqlite3_extended_result_codes(raw, 1);
  if (readOnly) {
    if (sqlite3_exec(raw, "pragma query_only = 1", nullptr, nullptr, nullptr) != SQLITE_OK) {
      DatabaseError(raw, "pragma query_only = 1");
    }
    // One read transaction for the whole run, as on the servers: every statement of a report
    // sees the same data, and the file's lock is taken once instead of around every statement
    // (two lock calls and a journal check each, a seventh of a long run). In rollback-journal
    // mode a writer waits for the run to end; in WAL mode it does not.
    if (sqlite3_exec(raw, "begin", nullptr, nullptr, nullptr) != SQLITE_OK) {
      DatabaseError(raw, "begin");
    }
    sqlite3_set_authorizer(raw, AllowOnlyReading, nullptr);
    BeganSnapshot();
  }
}

SqliteEngine::~SqliteEngine() = default;

std::shared_ptr<const SqliteEngine::ResultColumns> SqliteEngine::Columns(CachedStatement& cached) {
  if (cached.Columns) return cached.Columns;
  sqlite3_stmt* handle = cached.Statement.Handle.get();
  const std::vector<std::string> names = ColumnNames(handle);
  std::vector<ColumnPlan> plans;
  for (std::size_t column = 0; column < names.size(); ++column) {
    const char* declared = sqlite3_column_decltype(handle, static_cast<int>(column));
    plans.push_back(PlanForDeclaredType(names[column], declared == nullptr ? "" : declared));
  }
  auto columns = std::make_shared<const ResultColumns>(std::move(plans));
  if (ReadsOneSnapshot()) cached.Columns = columns;
  return columns;
}

void SqliteEngine::Remember(CachedStatement& cached, std::string values,
                            std::shared_ptr<const FieldStructure> fields, std::string records) {
  if (records.size() > kRememberedResultBytes) return;
  const std::size_t bytes = values.size() + records.size() + kRememberedEntryBytes;
  if (FRememberedBytes + bytes > kRememberedBytes) {
    for (auto& kept : FStatements) {
      kept.second->Results.clear();
      kept.second->RememberedBytes = 0;
    }
    FRememberedBytes = 0;
  }
  cached.Results.emplace(std::move(values),
                         RememberedResult{std::move(fields), std::move(records)});
  cached.RememberedBytes += bytes;
  FRememberedBytes += bytes;
}

std::unique_ptr<TjClientDataSet> SqliteEngine::Query(const std::string& statement,
                                                     const std::vector<Variant>& values) {
  const std::lock_guard lock(FConnection);
  sqlite3* database = FDatabase.get();
  CachedStatement& cached = Cached(statement);
  // Within one snapshot, the same values give the same rows.
  const bool remembers = cached.Repeatable && ReadsOneSnapshot();
  std::string key;
  if (remembers) {
    key = BoundValuesKey(values);
    if (const auto found = cached.Results.find(key); found != cached.Results.end()) {
      ResultSetWriter rows(found->second.Fields);
      rows.Replay(found->second.Records);
      std::unique_ptr<TjClientDataSet> dataSet = rows.Finish();
      dataSet->First();
      return dataSet;
    }
  }
  const Compiled& compiled = cached.Statement;
  sqlite3_stmt* handle = compiled.Handle.get();
  const ResetOnExit reset{handle};
  Bind(database, handle, compiled.Parameters, values, statement);
  // The first step comes before the columns are read: a kept statement whose tables changed
  // is compiled again by it, and only then are its columns the current ones.
  int result = sqlite3_step(handle);

  const std::shared_ptr<const ResultColumns> columns = Columns(cached);
  if (columns->Plans.empty()) {
    // A statement without result columns: it runs, and its result is a closed data set.
    while (result == SQLITE_ROW) result = sqlite3_step(handle);
    if (result != SQLITE_DONE) DatabaseError(database, statement);
    return std::make_unique<TjClientDataSet>();
  }

  // Rows go straight into the data set. When a value does not fit its column's type (an
  // expression that changes storage class, a text longer than declared) the column is widened
  // and the statement read again; each column can widen only a few times. Only then, or for an
  // expression, which a value types, are the columns this result's own.
  std::optional<ResultColumns> own;
  if (columns->TypedByValues) own.emplace(columns->Plans);
  const std::size_t attempts = columns->Plans.size() * 3 + 2;
  for (std::size_t attempt = 0; attempt < attempts; ++attempt) {
    ResultSetWriter rows(own ? own->Fields : columns->Fields);
    if (remembers) rows.Record();
    if (attempt > 0) {
      sqlite3_reset(handle);
      result = sqlite3_step(handle);
    }
    std::optional<std::pair<std::size_t, ColumnPlan>> wider;
    for (; !wider && result == SQLITE_ROW; result = wider ? result : sqlite3_step(handle)) {
      if (own && own->TypedByValues) {
        wider = WriteRow(handle, own->Plans, rows, statement);
      } else {
        wider = WriteRow(handle, std::as_const(own ? own->Plans : columns->Plans), rows, statement);
      }
    }
    if (wider) {
      std::vector<ColumnPlan> plans = own ? std::move(own->Plans) : std::vector(columns->Plans);
      plans[wider->first] = std::move(wider->second);
      own.emplace(std::move(plans));
      continue;
    }
    if (result != SQLITE_DONE) DatabaseError(database, statement);
    if (remembers) {
      if (std::optional<std::string> records = rows.Recorded()) {
        Remember(cached, std::move(key), own ? own->Fields : columns->Fields, std::move(*records));
      }
    }
    std::unique_ptr<TjClientDataSet> dataSet = rows.Finish();
    dataSet->First();
    return dataSet;
  }
  DatabaseError("Tipos das colunas do resultado não puderam ser determinados", statement);
}

Variant SqliteEngine::FirstValue(const std::string& statement) {
  const std::optional<LiteralParameters> shared = ParameterizeEqualityLiterals(statement);
  if (!shared) return DatabaseEngine::FirstValue(statement);
  std::unique_lock lock(FConnection);
  CachedStatement* cached = nullptr;
  try {
    cached = &Cached(shared->Statement);
  } catch (const Exception&) {
    // What is wrong with the statement is said of its own text.
    lock.unlock();
    return DatabaseEngine::FirstValue(statement);
  }
  sqlite3* database = FDatabase.get();
  sqlite3_stmt* handle = cached->Statement.Handle.get();
  if (sqlite3_column_count(handle) == 0) {
    lock.unlock();
    return DatabaseEngine::FirstValue(statement);
  }
  const ResetOnExit reset{handle};
  Bind(database, handle, cached->Statement.Parameters, shared->Values, statement);
  const int result = sqlite3_step(handle);
  if (result == SQLITE_DONE) return Variant();
  if (result != SQLITE_ROW) DatabaseError(database, statement);
  // Typed as a cursor types its first value.
  const std::shared_ptr<const ResultColumns> columns = Columns(*cached);
  const ColumnPlan& plan = columns->Plans[0];
  const auto storage = static_cast<StorageClass>(sqlite3_column_type(handle, 0));
  const std::optional<ColumnPlan> wider = WidenForStorage(plan, storage);
  return ReadCell(LiveCell{handle, 0}, wider ? *wider : plan, storage, statement);
}

std::unique_ptr<RowCursor> SqliteEngine::OpenCursor(const std::string& statement,
                                                    const std::vector<Variant>& values) {
  return std::make_unique<SqliteCursor>(FDatabase.get(), FConnection, statement, values);
}

void SqliteEngine::Execute(const std::string& statement, const std::vector<Variant>& values) {
  const std::lock_guard lock(FConnection);
  sqlite3* database = FDatabase.get();
  Compiled compiled = Compile(database, statement);
  Bind(database, compiled.Handle.get(), compiled.Parameters, values, statement);
  int result = SQLITE_ROW;
  while (result == SQLITE_ROW) result = sqlite3_step(compiled.Handle.get());
  if (result != SQLITE_DONE) DatabaseError(database, statement);
}

void SqliteEngine::ExecuteScript(const std::string& script) {
  const std::lock_guard lock(FConnection);
  char* message = nullptr;
  if (sqlite3_exec(FDatabase.get(), script.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
    const std::string text = message != nullptr ? message : sqlite3_errmsg(FDatabase.get());
    sqlite3_free(message);
    throw EDatabaseError(text);
  }
}

std::unique_ptr<PreparedStatement> SqliteEngine::Prepare(const std::string& statement) {
  const std::lock_guard lock(FConnection);
  return std::make_unique<SqlitePrepared>(FDatabase.get(), FConnection, statement);
}

void SqliteEngine::BeginTransaction() {
  Execute("begin");
}
void SqliteEngine::Commit() {
  Execute("commit");
}
void SqliteEngine::Rollback() {
  Execute("rollback");
}

std::vector<std::string> SqliteEngine::TableNames() {
  const auto tables = Query(
      "select name from sqlite_master where type = 'table' and name not like 'sqlite\\_%' "
      "escape '\\' order by name",
      {});
  std::vector<std::string> names;
  for (tables->First(); !tables->Eof(); tables->Next()) {
    names.push_back(UpperCase(tables->Fields(0).AsString()));
  }
  return names;
}
