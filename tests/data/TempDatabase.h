// A SQLite database in a file of its own for one test, removed afterwards, and made the host's
// connection while the test runs.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "data/DatabaseEngine.h"

class TempDatabase {
 public:
  TempDatabase() {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    FPath = std::filesystem::temp_directory_path() /
            ("kdr-data-" + std::to_string(::getpid()) + "-" + test->test_suite_name() + "-" +
             test->name() + ".sqlite");
    std::filesystem::remove(FPath);
    FEngine = OpenDatabase("sqlite:" + FPath.string(), OpenMode::ReadWriteCreate);
    HostConnection::Set(FEngine.get());
  }
  ~TempDatabase() {
    HostConnection::Set(nullptr);
    FEngine.reset();
    std::filesystem::remove(FPath);
  }
  TempDatabase(const TempDatabase&) = delete;
  TempDatabase& operator=(const TempDatabase&) = delete;

  DatabaseEngine& Engine() { return *FEngine; }
  const std::filesystem::path& Path() const { return FPath; }

 private:
  std::filesystem::path FPath;
  std::unique_ptr<DatabaseEngine> FEngine;
};
