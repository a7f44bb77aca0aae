#include "support/EngineDatabase.h"

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "data/DatabaseEngine.h"

namespace engines {

namespace {

std::string NewName() {
  static std::atomic<int> counter{0};
  return "kdr_test_" + std::to_string(getpid()) + "_" + std::to_string(++counter);
}

std::string SqliteCreate(const std::string&, const std::string& name) {
  return "sqlite:" + (std::filesystem::temp_directory_path() / (name + ".sqlite")).string();
}

void SqliteDrop(const std::string&, const std::string& name) {
  std::error_code ignored;
  std::filesystem::remove(std::filesystem::temp_directory_path() / (name + ".sqlite"), ignored);
}

std::string PostgresCreate(const std::string& serverUrl, const std::string& name) {
  OpenDatabase(serverUrl, OpenMode::ReadWriteCreate)->Execute("create database " + name);
  return WithDatabase(serverUrl, name);
}

void PostgresDrop(const std::string& serverUrl, const std::string& name) {
  OpenDatabase(serverUrl, OpenMode::ReadWriteCreate)
      ->Execute("drop database if exists " + name + " with (force)");
}

// A Firebird database is a file in the test server's folder: `kdr db demo` creates it.
std::string FirebirdCreate(const std::string& serverUrl, const std::string& name) {
  return serverUrl + "/" + name + ".fdb";
}

void FirebirdDrop(const std::string& serverUrl, const std::string& name) {
  const auto folder = serverUrl.find('/', serverUrl.find("://") + 3);
  std::error_code ignored;
  std::filesystem::remove(serverUrl.substr(folder) + "/" + name + ".fdb", ignored);
}

}  // namespace

const std::vector<EngineAccess>& KnownEngines() {
  static const std::vector<EngineAccess> engines = {
      {"sqlite", "", SqliteCreate, SqliteDrop},
      {"postgresql", "KDR_TEST_POSTGRESQL", PostgresCreate, PostgresDrop},
      {"firebird", "KDR_TEST_FIREBIRD", FirebirdCreate, FirebirdDrop},
  };
  return engines;
}

std::optional<std::string> ServerUrl(const EngineAccess& engine) {
  if (engine.Variable.empty()) return "";
  const char* url = std::getenv(engine.Variable.c_str());
  if (url == nullptr || *url == '\0') return std::nullopt;
  return std::string(url);
}

bool ServersRequired() {
  const char* required = std::getenv("KDR_TEST_REQUIRE_SERVERS");
  return required != nullptr && std::string(required) == "1";
}

EngineDatabase::EngineDatabase(const std::string& engine) : FName(NewName()) {
  for (const EngineAccess& known : KnownEngines()) {
    if (known.Name == engine) FEngine = &known;
  }
  if (FEngine == nullptr) throw std::invalid_argument("unknown engine " + engine);
  const auto server = ServerUrl(*FEngine);
  if (!server) throw std::runtime_error(FEngine->Variable + " is not set");
  FServerUrl = *server;
  FUrl = FEngine->Create(FServerUrl, FName);
}

EngineDatabase::~EngineDatabase() {
  try {
    FEngine->Drop(FServerUrl, FName);
  } catch (const std::exception&) {
    // A database left behind dies with the throwaway server.
  }
}

std::string WithDatabase(const std::string& serverUrl, const std::string& database) {
  const auto authority = serverUrl.find("://");
  const auto query = serverUrl.find('?');
  const auto slash = serverUrl.find('/', authority == std::string::npos ? 0 : authority + 3);
  const std::string head = serverUrl.substr(0, std::min(slash, query));
  const std::string tail = query == std::string::npos ? "" : serverUrl.substr(query);
  return head + "/" + database + tail;
}

std::filesystem::path ScratchFolder() {
  // Made on first use, removed when the test program ends.
  static const struct Folder {
    std::filesystem::path Path =
        std::filesystem::temp_directory_path() / ("kdr-engines-" + std::to_string(getpid()));
    Folder() { std::filesystem::create_directories(Path); }
    ~Folder() {
      std::error_code ignored;
      std::filesystem::remove_all(Path, ignored);
    }
  } folder;
  return folder.Path;
}

std::string FileDatabaseCreate(const std::string& serverUrl, const std::string& databaseName) {
  return serverUrl + (std::filesystem::temp_directory_path() / (databaseName + ".fdb")).string();
}

void FileDatabaseDrop(const std::string&, const std::string& databaseName) {
  std::error_code ignored;
  std::filesystem::remove(std::filesystem::temp_directory_path() / (databaseName + ".fdb"),
                          ignored);
}

}  // namespace engines
