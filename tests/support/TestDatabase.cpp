#include "support/TestDatabase.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <stdexcept>
#include <utility>

#include "run/DatabaseSetup.h"

namespace {

std::filesystem::path NewDatabasePath() {
  static std::atomic<int> counter{0};
  return std::filesystem::temp_directory_path() /
         ("kdr-test-" + std::to_string(getpid()) + "-" + std::to_string(++counter) + ".sqlite");
}

struct StatementRelease {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementRelease>;

Statement PrepareOn(sqlite3* reader, const std::string& sql) {
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(reader, sql.c_str(), -1, &raw, nullptr) != SQLITE_OK) {
    sqlite3_finalize(raw);
    throw std::runtime_error(std::string(sqlite3_errmsg(reader)) + ": " + sql);
  }
  return Statement(raw);
}

}  // namespace

TestDatabase::TestDatabase(Tables tables) : TestDatabase(NewDatabasePath(), tables) {}

TestDatabase::TestDatabase(std::filesystem::path path, Tables tables) : FPath(std::move(path)) {
  std::filesystem::remove(FPath);
  FEngine = OpenDatabase("sqlite:" + FPath.string(), OpenMode::ReadWriteCreate);
  // A throw-away file: waiting for the disk after every insert only slows the tests.
  FEngine->Execute("PRAGMA synchronous = OFF", {});
  if (tables == Tables::Office) CreateSchema(*FEngine);
  HostConnection::Set(FEngine.get());
}

TestDatabase::~TestDatabase() {
  if (FEngine) HostConnection::Set(nullptr);
  if (FReader) sqlite3_close(FReader);
  FEngine.reset();
  std::error_code ignored;
  for (const char* suffix : {"", "-journal", "-wal", "-shm"}) {
    std::filesystem::remove(FPath.string() + suffix, ignored);
  }
}

DatabaseEngine& TestDatabase::Engine() {
  if (!FEngine) throw std::logic_error("the engine was closed for reading");
  return *FEngine;
}

void TestDatabase::Execute(const std::string& statement, const std::vector<Variant>& values) {
  Engine().Execute(statement, values);
}

sqlite3* TestDatabase::Reader() {
  if (!FReader) {
    HostConnection::Set(nullptr);
    FEngine.reset();
    if (sqlite3_open_v2(FPath.c_str(), &FReader, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
      throw std::runtime_error("cannot open " + FPath.string());
    }
  }
  return FReader;
}

std::vector<std::vector<std::string>> TestDatabase::Rows(const std::string& sql) {
  const Statement statement = PrepareOn(Reader(), sql);
  sqlite3_stmt* raw = statement.get();
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

long long TestDatabase::Scalar(const std::string& sql) {
  const auto rows = Rows(sql);
  if (rows.empty() || rows[0].empty() || rows[0][0] == "NULL") {
    throw std::runtime_error("no value from " + sql);
  }
  return std::stoll(rows[0][0]);
}

std::vector<std::string> TestDatabase::Blobs(const std::string& sql) {
  const Statement statement = PrepareOn(Reader(), sql);
  sqlite3_stmt* raw = statement.get();
  std::vector<std::string> blobs;
  while (sqlite3_step(raw) == SQLITE_ROW) {
    if (sqlite3_column_type(raw, 0) == SQLITE_NULL) continue;
    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(raw, 0));
    const int size = sqlite3_column_bytes(raw, 0);
    blobs.emplace_back(size > 0 ? std::string(bytes, static_cast<std::size_t>(size)) : "");
  }
  return blobs;
}

std::string TestDatabase::Dump(const std::string& table) {
  const Statement statement = PrepareOn(Reader(), "select * from " + table);
  sqlite3_stmt* raw = statement.get();
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
  // Insertion order is the writer's business; the content is what a check compares.
  std::sort(lines.begin(), lines.end());
  std::string dump;
  for (const std::string& line : lines) dump += line + '\x1E';
  return dump;
}
