#include "data/DatabaseEngine.h"

#include "Exception.h"
#include "SysUtils.h"
#include "data/FirebirdEngine.h"
#include "data/PostgresEngine.h"
#include "data/SqlText.h"
#include "data/SqliteEngine.h"

namespace {

DatabaseEngine* hostEngine = nullptr;

const char* const kUrlHelp =
    "use sqlite:CAMINHO (por exemplo sqlite:kdr.sqlite), postgresql://... ou firebird://...";

}  // namespace

std::string SqliteFileOf(const std::string& url) {
  const std::string trimmed = Trim(url);
  const auto colon = trimmed.find(':');
  if (colon == std::string::npos || !SameText(trimmed.substr(0, colon), "sqlite")) return "";
  return trimmed.substr(colon + 1);
}

std::unique_ptr<DatabaseEngine> OpenDatabase(const std::string& url, OpenMode mode) {
  const std::string trimmed = Trim(url);
  const auto colon = trimmed.find(':');
  // Only the scheme is quoted back: the rest of a server URL may carry a password.
  const std::string scheme = colon == std::string::npos ? "" : trimmed.substr(0, colon);
  if (SameText(scheme, "sqlite"))
    return std::make_unique<SqliteEngine>(trimmed.substr(colon + 1), mode);
  if (SameText(scheme, "postgresql") || SameText(scheme, "postgres")) {
    return std::make_unique<PostgresEngine>(trimmed, mode);
  }
  if (SameText(scheme, "firebird")) return std::make_unique<FirebirdEngine>(trimmed, mode);
  if (trimmed.empty()) throw Exception(std::string("URL do banco de dados vazia: ") + kUrlHelp);
  if (scheme.empty()) {
    throw Exception("URL do banco de dados sem esquema: \"" + trimmed + "\"; " + kUrlHelp);
  }
  throw Exception("Esquema de URL de banco de dados desconhecido: \"" + scheme + "\"; " + kUrlHelp);
}

namespace {

// Enough for one lookup per establishment of a large office; beyond it the memory starts over.
constexpr std::size_t kMaxLookups = 16384;

}  // namespace

namespace {

// A cursor over a result read whole.
class WholeResultCursor : public RowCursor {
 public:
  explicit WholeResultCursor(std::unique_ptr<TjClientDataSet> result) : FResult(std::move(result)) {
    for (int field = 0; field < FResult->FieldCount(); ++field) {
      FNames.push_back(FResult->Fields(field).FieldName());
    }
    FRow.resize(FNames.size());
  }
  const std::vector<std::string>& Names() const override { return FNames; }
  bool Next() override {
    if (!FResult->Active()) return false;  // a statement without result columns
    if (FStarted) {
      FResult->Next();
    } else {
      FResult->First();
      FStarted = true;
    }
    return !FResult->Eof();
  }
  const Variant& Value(std::size_t column) override {
    FRow[column] = FResult->Fields(static_cast<int>(column)).Value();
    return FRow[column];
  }

 private:
  std::unique_ptr<TjClientDataSet> FResult;
  std::vector<std::string> FNames;
  std::vector<Variant> FRow;  // what Value handed out
  bool FStarted = false;
};

}  // namespace

std::unique_ptr<RowCursor> DatabaseEngine::OpenCursor(const std::string& statement,
                                                      const std::vector<Variant>& values) {
  return std::make_unique<WholeResultCursor>(Query(statement, values));
}

Variant DatabaseEngine::LookupValue(const std::string& statement) {
  // Only repeatable statements are kept, so a statement found is one of them.
  if (auto known = FLookups.find(statement); known != FLookups.end()) return known->second;
  const bool memorable = FOneSnapshot && IsRepeatable(statement);
  Variant value = FirstValue(statement);
  if (memorable) {
    if (FLookups.size() >= kMaxLookups) FLookups.clear();
    FLookups.emplace(statement, value);
  }
  return value;
}

Variant DatabaseEngine::FirstValue(const std::string& statement) {
  // Read through a cursor: the first value is all that is wanted, not a data set of the rows.
  std::unique_ptr<RowCursor> cursor = OpenCursor(statement, {});
  return !cursor->Names().empty() && cursor->Next() ? cursor->Value(0) : Variant();
}

void HostConnection::Set(DatabaseEngine* engine) {
  hostEngine = engine;
}

DatabaseEngine& HostConnection::Get() {
  if (hostEngine == nullptr) throw Exception("Nenhum banco de dados aberto");
  return *hostEngine;
}
