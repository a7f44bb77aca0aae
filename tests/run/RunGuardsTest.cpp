// What a run refuses before it can do harm: a damaged plug-in library is not loaded, and a
// report that exhausts the memory ends with a message saying so.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Exception.h"
#include "run/PluginLibrary.h"
#include "support/KdrProcess.h"
#include "support/TestDatabase.h"

namespace fs = std::filesystem;

namespace {

class RunGuards : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kdr-run-XXXXXX";
    FFolder = mkdtemp(pattern);
    FPlugin = ReadFile(fs::path(KDR_PLUGIN_DIR) / "KdrTeste.so");
    ASSERT_GT(FPlugin.size(), 100'000u);
  }
  void TearDown() override {
    unsetenv("KDR_PLUGIN_PATH");
    fs::remove_all(FFolder);
  }

  // The first `length` bytes of the test plug-in, as a library of its own.
  fs::path CutPlugin(std::size_t length, const std::string& folder = "cut") const {
    fs::create_directories(FFolder / folder);
    const fs::path path = FFolder / folder / "KdrTeste.so";
    std::ofstream(path, std::ios::binary) << FPlugin.substr(0, length);
    return path;
  }

  // The message loading `path` raises; empty when it loaded.
  static std::string LoadError(const fs::path& path) {
    try {
      PluginLibrary library(path);
    } catch (const Exception& error) {
      return error.what();
    }
    return "";
  }

  fs::path FFolder;
  std::string FPlugin;
};

}  // namespace

// The loader maps a library's segments from the file: one cut short used to kill the whole
// process with SIGBUS, here the test program itself.
TEST_F(RunGuards, ALibraryCutShortIsRefusedNamingIt) {
  const std::size_t size = FPlugin.size();
  for (std::size_t length : {std::size_t{0}, std::size_t{40}, std::size_t{64}, std::size_t{1000},
                             std::size_t{20'000}, size / 2, size - 4096, size - 1}) {
    SCOPED_TRACE(length);
    const fs::path path = CutPlugin(length, "cut-" + std::to_string(length));
    const std::string message = LoadError(path);
    EXPECT_EQ(message.rfind("O plug-in " + path.string() + " está danificado (", 0), 0u) << message;
  }
  EXPECT_EQ(LoadError(CutPlugin(size, "whole")), "") << "the intact library loads";
}

TEST_F(RunGuards, AFileThatIsNoLibraryIsRefusedNamingIt) {
  fs::create_directories(FFolder / "text");
  const fs::path path = FFolder / "text" / "KdrTeste.so";
  std::ofstream(path) << std::string(5000, 'x');
  EXPECT_EQ(LoadError(path), "O plug-in " + path.string() +
                                 " está danificado (não é uma biblioteca ELF). " +
                                 "Instale-o de novo.");

  // A library with its headers intact but claiming segments past its end.
  std::string lying = FPlugin;
  lying.resize(lying.size() - 1);
  const fs::path cut = FFolder / "text" / "Cortado.so";
  std::ofstream(cut, std::ios::binary) << lying;
  EXPECT_NE(LoadError(cut).find("arquivo truncado"), std::string::npos) << LoadError(cut);
}

TEST_F(RunGuards, TheCommandRefusesADamagedPlugin) {
  TestDatabase office;
  const fs::path plugin = CutPlugin(20'000);
  setenv("KDR_PLUGIN_PATH", plugin.parent_path().c_str(), 1);
  const Outcome outcome =
      RunKdr({"run", "KdrTeste", "--db", office.Url(), "-p", "pDataInicial=01/03/2026", "-p",
              "pDataFinal=31/03/2026", "--format", "json"},
             FFolder);
  EXPECT_EQ(outcome.Status, 1);
  EXPECT_NE(outcome.Err.find("O plug-in " + plugin.string() + " está danificado"),
            std::string::npos)
      << outcome.Err;
}

// An allocation that fails in the middle of a run used to end the command with the bare
// "std::bad_alloc".
TEST_F(RunGuards, ExhaustedMemoryEndsTheRunWithAMessage) {
  const std::string url = "sqlite:" + (FFolder / "office.sqlite").string();
  ASSERT_EQ(RunKdr({"db", "demo", "--db", url}, FFolder).Status, 0);
  const fs::path output = FFolder / "teste.pdf";
  const Outcome outcome =
      RunKdr({"run", "KdrTeste", "--db", url, "--quiet", "-p", "pDataInicial=01/01/2000", "-p",
              "pDataFinal=31/12/2099", "-p", "pFalhar=3", "-o", output.string()},
             FFolder);
  EXPECT_EQ(outcome.Status, 1);
  EXPECT_EQ(outcome.Err,
            "Memória insuficiente para executar o relatório KdrTeste. Restrinja a seleção (datas, "
            "empresas, vias) e tente de novo.\n");
  EXPECT_FALSE(fs::exists(output));
}
