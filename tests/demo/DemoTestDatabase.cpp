#include "demo/DemoTestDatabase.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <stdexcept>

namespace {

std::filesystem::path NewDatabasePath() {
  static std::atomic<int> counter{0};
  return std::filesystem::temp_directory_path() / ("kdr-demo-test-" + std::to_string(getpid()) +
                                                   "-" + std::to_string(++counter) + ".sqlite");
}

// Statements that return rows, with the statement released however the reading ends.
struct StatementRelease {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};

}  // namespace

const std::vector<std::string>& DemoTables() {
  static const std::vector<std::string> tables = {"EMPRESA",
                                                  "TIPOLOGRADOURO",
                                                  "MUNICIPIO",
                                                  "ESTAB",
                                                  "ESTABENTREGA",
                                                  "CFGESTABPRO",
                                                  "USUARIO",
                                                  "PROTOCOLO",
                                                  "PROTOCOLOITEM",
                                                  "PROTOCOLOROTAENTREGA",
                                                  "DEPARTAMENTOESCRIT",
                                                  "PROTOCOLODOCEMP",
                                                  "PROTOCOLODOCMOVIMENTO"};
  return tables;
}

DemoTestDatabase::DemoTestDatabase(bool withSchema) : FPath(NewDatabasePath()) {
  FEngine = OpenDatabase("sqlite:" + FPath.string(), OpenMode::ReadWriteCreate);
  if (withSchema) {
    // One transaction: a commit per table would make the tests wait for the disk.
    FEngine->BeginTransaction();
    FEngine->ExecuteScript(kSchemaSql);
    FEngine->Commit();
  }
}

DemoTestDatabase::~DemoTestDatabase() {
  if (FReader) sqlite3_close(FReader);
  FEngine.reset();
  std::error_code ignored;
  std::filesystem::remove(FPath, ignored);
  std::filesystem::remove(FPath.string() + "-journal", ignored);
  std::filesystem::remove(FPath.string() + "-wal", ignored);
  std::filesystem::remove(FPath.string() + "-shm", ignored);
}

DatabaseEngine& DemoTestDatabase::Engine() {
  if (!FEngine) throw std::logic_error("the engine was closed for reading");
  return *FEngine;
}

void DemoTestDatabase::Fill(int protocols,
                            const std::function<void(long long, long long)>& progress) {
  DemoOptions options;
  options.Protocols = protocols;
  FillDemoDatabase(Engine(), options, progress);
}

sqlite3* DemoTestDatabase::Reader() {
  if (!FReader) {
    FEngine.reset();
    if (sqlite3_open_v2(FPath.c_str(), &FReader, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
      throw std::runtime_error("cannot open " + FPath.string());
    }
  }
  return FReader;
}

std::vector<std::vector<std::string>> DemoTestDatabase::Rows(const std::string& sql) {
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(Reader(), sql.c_str(), -1, &raw, nullptr) != SQLITE_OK) {
    throw std::runtime_error(std::string(sqlite3_errmsg(Reader())) + ": " + sql);
  }
  std::unique_ptr<sqlite3_stmt, StatementRelease> statement(raw);
  std::vector<std::vector<std::string>> rows;
  while (sqlite3_step(raw) == SQLITE_ROW) {
    std::vector<std::string>& row = rows.emplace_back();
    for (int column = 0; column < sqlite3_column_count(raw); ++column) {
      switch (sqlite3_column_type(raw, column)) {
        case SQLITE_NULL:
          row.push_back("NULL");
          break;
        case SQLITE_BLOB:
          row.push_back("blob:" + std::to_string(sqlite3_column_bytes(raw, column)));
          break;
        default:
          row.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(raw, column)));
      }
    }
  }
  return rows;
}

long long DemoTestDatabase::Scalar(const std::string& sql) {
  const auto rows = Rows(sql);
  if (rows.empty() || rows[0].empty() || rows[0][0] == "NULL") {
    throw std::runtime_error("no value from " + sql);
  }
  return std::stoll(rows[0][0]);
}

std::vector<std::string> DemoTestDatabase::Blobs(const std::string& sql) {
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(Reader(), sql.c_str(), -1, &raw, nullptr) != SQLITE_OK) {
    throw std::runtime_error(std::string(sqlite3_errmsg(Reader())) + ": " + sql);
  }
  std::unique_ptr<sqlite3_stmt, StatementRelease> statement(raw);
  std::vector<std::string> blobs;
  while (sqlite3_step(raw) == SQLITE_ROW) {
    if (sqlite3_column_type(raw, 0) == SQLITE_NULL) continue;
    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(raw, 0));
    const int size = sqlite3_column_bytes(raw, 0);
    blobs.emplace_back(size > 0 ? std::string(bytes, static_cast<std::size_t>(size)) : "");
  }
  return blobs;
}

std::string DemoTestDatabase::Dump(const std::string& table) {
  sqlite3_stmt* raw = nullptr;
  const std::string sql = "select * from " + table;
  if (sqlite3_prepare_v2(Reader(), sql.c_str(), -1, &raw, nullptr) != SQLITE_OK) {
    throw std::runtime_error(std::string(sqlite3_errmsg(Reader())) + ": " + sql);
  }
  std::unique_ptr<sqlite3_stmt, StatementRelease> statement(raw);
  std::vector<std::string> lines;
  while (sqlite3_step(raw) == SQLITE_ROW) {
    std::string line;
    for (int column = 0; column < sqlite3_column_count(raw); ++column) {
      const int type = sqlite3_column_type(raw, column);
      line += std::to_string(type) + ":";
      if (type != SQLITE_NULL) {
        const auto* bytes = static_cast<const char*>(sqlite3_column_blob(raw, column));
        const int size = sqlite3_column_bytes(raw, column);
        if (size > 0) line.append(bytes, static_cast<std::size_t>(size));
      }
      line += '\x1F';
    }
    lines.push_back(std::move(line));
  }
  // Insertion order is the generator's business; the content is what must not change.
  std::sort(lines.begin(), lines.end());
  std::string dump;
  for (const std::string& line : lines) dump += line + '\x1E';
  return dump;
}
