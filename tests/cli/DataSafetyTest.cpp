// `kdr` end to end, as a careless or hostile caller would use it: the database is never written
// or replaced by a run, outputs are all or nothing (also when the run is interrupted), and
// messages name the problem without letting what they echo drive the terminal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/KdrProcess.h"
#include "support/TestDatabase.h"
#include "support/TestOffice.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

// Sets an environment variable for the commands a test runs, restoring it afterwards.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const std::string& value) : FName(name) {
    if (const char* old = std::getenv(name)) FOld = old;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnvironment() {
    if (FOld) {
      setenv(FName, FOld->c_str(), 1);
    } else {
      unsetenv(FName);
    }
  }

 private:
  const char* FName;
  std::optional<std::string> FOld;
};

class DataSafetyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FData.Add(office::Protocol{.Code = 1, .Note = "Guias", .Launched = "2026-03-01"})
        .Add(office::Item{.Description = "DAS", .Value = "10.00", .Due = std::nullopt});
  }
  void TearDown() override {
    fs::permissions(FFolder, fs::perms::owner_all);
    fs::remove_all(FFolder);
  }

  static fs::path NewFolder() {
    char pattern[] = "/tmp/kdr-safety-XXXXXX";
    return mkdtemp(pattern);
  }

  std::string Url() const { return FOffice.Url(); }
  Outcome Kdr(const std::vector<std::string>& arguments) const {
    return RunKdr(arguments, FFolder);
  }
  std::vector<std::string> RunArguments(std::vector<std::string> extra) const {
    std::vector<std::string> arguments = {"run",
                                          "KdrTeste",
                                          "--db",
                                          Url(),
                                          "--quiet",
                                          "-p",
                                          "pDataInicial=01/03/2026",
                                          "-p",
                                          "pDataFinal=31/03/2026"};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    return arguments;
  }
  Outcome Run(std::vector<std::string> extra) const { return Kdr(RunArguments(std::move(extra))); }

  // Enough items for many pages.
  void AddItems(int count) {
    FOffice.Engine().BeginTransaction();
    for (int i = 2; i <= count + 1; ++i) {
      FData.Add(office::Item{.Sequence = i,
                             .Description = "Item " + std::to_string(i),
                             .Value = "1.00",
                             .Due = std::nullopt});
    }
    FOffice.Engine().Commit();
  }
  std::vector<std::string> FolderEntries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(FFolder)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  // Definitions to load instead of the build tree's: the test report's, changed by `edit`.
  fs::path DefinitionsWith(const std::function<void(nlohmann::json&)>& edit) {
    const fs::path folder = FFolder / "definicoes";
    fs::create_directories(folder);
    for (const auto& entry : fs::directory_iterator(KDR_REPORTS_DIR)) {
      fs::copy_file(entry.path(), folder / entry.path().filename());
    }
    auto definition = nlohmann::json::parse(ReadFile(folder / "KdrTeste.json"));
    edit(definition);
    std::ofstream(folder / "KdrTeste.json") << definition.dump();
    return folder;
  }

  // The database lies in the folder the runs write to, as an office's often does.
  fs::path FFolder = NewFolder();
  TestDatabase FOffice{FFolder / "office.sqlite"};
  office::TestOffice FData{FOffice.Engine()};
};

TEST_F(DataSafetyTest, AnOutputNamingTheDatabaseIsRefusedTouchingNothing) {
  const fs::path database = FOffice.Path();
  fs::create_symlink(database, FFolder / "atalho.pdf");
  fs::create_hard_link(database, FFolder / "mesmo.pdf");
  const auto before = FolderEntries();
  for (const fs::path& output :
       std::vector<fs::path>{database, FFolder / "atalho.pdf", FFolder / "mesmo.pdf",
                             FFolder / "." / "office.sqlite"}) {
    const Outcome outcome = Run({"--format", "pdf", "-o", output.string()});
    EXPECT_EQ(outcome.Status, 2) << output << outcome.Err;
    EXPECT_NE(outcome.Err.find("banco de dados"), std::string::npos) << outcome.Err;
    EXPECT_EQ(FolderEntries(), before) << output;
  }
  EXPECT_TRUE(fs::is_symlink(FFolder / "atalho.pdf"));
}

TEST_F(DataSafetyTest, AStatementThatWritesFailsClearlyAndTheDatabaseStaysTheSame) {
  for (const std::string& statement :
       std::vector<std::string>{"delete from PROTOCOLO", "drop table PROTOCOLOITEM",
                                "update PROTOCOLO set OBSERVACAO = 'x' returning CODIGOPROTOCOLO",
                                "vacuum into '" + (FFolder / "copia.sqlite").string() + "'",
                                "pragma user_version = 3"}) {
    const ScopedEnvironment definitions("KDR_REPORTS_PATH",
                                        DefinitionsWith([&](nlohmann::json& definition) {
                                          definition["statement"] = statement;
                                        }).string());
    const Outcome outcome = Run({"--format", "json", "-o", "-"});
    EXPECT_EQ(outcome.Status, 1) << statement;
    EXPECT_NE(outcome.Err.find("só lê o banco de dados"), std::string::npos) << outcome.Err;
    EXPECT_FALSE(fs::exists(FFolder / "copia.sqlite"));
    fs::remove_all(FFolder / "definicoes");
  }
}

TEST_F(DataSafetyTest, AMissingDatabaseIsSaidNotToExistAndNothingIsCreated) {
  const fs::path missing = FFolder / "sumiu.sqlite";
  Outcome outcome = Kdr({"run", "KdrTeste", "--db", "sqlite:" + missing.string(), "-p",
                         "pDataInicial=01/03/2026", "-p", "pDataFinal=31/03/2026"});
  EXPECT_EQ(outcome.Status, 1);
  EXPECT_NE(outcome.Err.find("não existe"), std::string::npos) << outcome.Err;
  EXPECT_FALSE(fs::exists(missing));

  // The default database, in the current folder, comes with how to make one.
  const fs::path here = fs::current_path();
  fs::create_directory(FFolder / "vazia");
  fs::current_path(FFolder / "vazia");
  outcome =
      Kdr({"run", "KdrTeste", "-p", "pDataInicial=01/03/2026", "-p", "pDataFinal=31/03/2026"});
  fs::current_path(here);
  EXPECT_EQ(outcome.Status, 1);
  EXPECT_NE(outcome.Err.find("kdr db demo"), std::string::npos) << outcome.Err;
  EXPECT_TRUE(fs::is_empty(FFolder / "vazia"));
}

TEST_F(DataSafetyTest, AnInterruptedRunRemovesItsTemporaryFilesAndExitsWith128PlusTheSignal) {
  AddItems(4000);
  const auto arguments =
      RunArguments({"--format", "png", "--dpi", "150", "-o", (FFolder / "pagina.png").string()});
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    std::vector<char*> argv = {const_cast<char*>(KDR_BINARY)};
    for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    ASSERT_EQ(posix_spawn(&child, KDR_BINARY, &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    // Interrupted once pages are being written.
    bool writing = false;
    for (int wait = 0; wait < 20000 && !writing; ++wait) {
      for (const auto& name : FolderEntries()) {
        writing = writing || (name[0] == '.' && name.find(".tmp-") != std::string::npos);
      }
      if (!writing) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_TRUE(writing) << "the run never wrote a page";
    kill(child, signal);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << signal;
    EXPECT_EQ(WEXITSTATUS(status), 128 + signal);
    EXPECT_EQ(FolderEntries(), (std::vector<std::string>{"office.sqlite"})) << signal;
  }
}

TEST_F(DataSafetyTest, PngPagesAreExactlyTheReportsOrWhatWasThereBefore) {
  for (int page = 1; page <= 4; ++page) {
    std::ofstream(FFolder / ("out-" + std::to_string(page) + ".png")) << "antiga " << page;
  }
  std::ofstream(FFolder / "out-notas.png") << "not a page";
  const std::string output = (FFolder / "out.png").string();

  // A failed run leaves every earlier page as it was.
  EXPECT_EQ(Run({"-p", "pFalhar=2", "-o", output}).Status, 1);
  for (int page = 1; page <= 4; ++page) {
    EXPECT_EQ(ReadFile(FFolder / ("out-" + std::to_string(page) + ".png")),
              "antiga " + std::to_string(page));
  }
  // A page that cannot be put in place fails the whole run: page 1 keeps its old content.
  AddItems(200);
  fs::rename(FFolder / "out-2.png", FFolder / "out-2.png.antiga");
  fs::create_directories(FFolder / "out-2.png" / "ocupado");
  Outcome outcome = Run({"-o", output});
  EXPECT_EQ(outcome.Status, 1);
  EXPECT_NE(outcome.Err.find("out-2.png"), std::string::npos) << outcome.Err;
  EXPECT_EQ(ReadFile(FFolder / "out-1.png"), "antiga 1");
  EXPECT_EQ(ReadFile(FFolder / "out-3.png"), "antiga 3");

  // A shorter run replaces the pages and removes those beyond its last.
  fs::remove_all(FFolder / "out-2.png");
  fs::rename(FFolder / "out-2.png.antiga", FFolder / "out-2.png");
  FOffice.Execute("delete from PROTOCOLOITEM where SEQITEMPRO > 1");
  outcome = Run({"-o", output});
  ASSERT_EQ(outcome.Status, 0) << outcome.Err;
  EXPECT_EQ(FolderEntries(),
            (std::vector<std::string>{"office.sqlite", "out-1.png", "out-notas.png"}));
  EXPECT_EQ(ReadFile(FFolder / "out-1.png").substr(1, 3), "PNG");
}

TEST_F(DataSafetyTest, EchoedValuesAreSafeForATerminalAndShort) {
  const std::string hostile = "1\x1b]0;pwned\x07" + std::string(100000, '9') + "\xff";
  const Outcome outcome = Run({"-p", "pCodigoEmpresa=" + hostile, "--format", "json"});
  EXPECT_EQ(outcome.Status, 1);
  EXPECT_EQ(outcome.Err.find('\x1b'), std::string::npos);
  EXPECT_EQ(outcome.Err.find('\x07'), std::string::npos);
  EXPECT_NE(outcome.Err.find("\\e]0;pwned\\x07"), std::string::npos) << outcome.Err;
  EXPECT_LT(outcome.Err.size(), 2000u);
  EXPECT_NE(outcome.Err.find("…"), std::string::npos);
}

TEST_F(DataSafetyTest, WriteFailuresNameThePathAndTheReason) {
  const std::string output = (FFolder / "nao-existe" / "relatorio.pdf").string();
  const Outcome outcome = Run({"-o", output});
  EXPECT_EQ(outcome.Status, 1);
  EXPECT_EQ(outcome.Err, "Não foi possível gravar " + output + ": arquivo ou pasta inexistente\n");
}

TEST_F(DataSafetyTest, UsageSlipsAndOutputNames) {
  EXPECT_EQ(Run({"-o", ""}).Status, 2);
  EXPECT_EQ(Run({"-o", (FFolder / "a.pdf").string(), "-o", (FFolder / "b.pdf").string()}).Status,
            2);
  EXPECT_EQ(FolderEntries(), (std::vector<std::string>{"office.sqlite"}));

  // The extension chooses the format whatever its case.
  ASSERT_EQ(Run({"-o", (FFolder / "caixa.PDF").string()}).Status, 0);
  EXPECT_EQ(ReadFile(FFolder / "caixa.PDF").substr(0, 5), "%PDF-");

  // A link as the output: its target gets the report, the link stays.
  fs::create_directory(FFolder / "arquivo");
  std::ofstream(FFolder / "arquivo" / "ultimo.txt") << "anterior";
  fs::create_symlink("arquivo/ultimo.txt", FFolder / "ultimo.txt");
  ASSERT_EQ(Run({"-o", (FFolder / "ultimo.txt").string()}).Status, 0);
  EXPECT_TRUE(fs::is_symlink(FFolder / "ultimo.txt"));
  EXPECT_NE(ReadFile(FFolder / "arquivo" / "ultimo.txt").find("Guias"), std::string::npos);
}

TEST_F(DataSafetyTest, APipeOrDeviceIsWrittenInPlaceAndAFolderIsRefused) {
  // Renaming the finished file over a device would replace the device itself (as root,
  // `-o /dev/null` once turned /dev/null into a plain file): a named pipe stands in for it.
  const fs::path pipe = FFolder / "saida.txt";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  ASSERT_EQ(Run({"-o", pipe.string()}).Status, 0);
  std::string received;
  char chunk[4096];
  for (ssize_t got; (got = ::read(reader, chunk, sizeof chunk)) > 0;) received.append(chunk, got);
  ::close(reader);
  EXPECT_TRUE(fs::is_fifo(pipe));
  EXPECT_NE(received.find("Guias"), std::string::npos);

  fs::create_directory(FFolder / "pasta.pdf");
  const Outcome folder = Run({"-o", (FFolder / "pasta.pdf").string()});
  EXPECT_EQ(folder.Status, 1);
  EXPECT_NE(folder.Err.find("pasta.pdf"), std::string::npos) << folder.Err;
  EXPECT_TRUE(fs::is_directory(FFolder / "pasta.pdf"));
}

TEST_F(DataSafetyTest, ParametersFileTakesTextAndNumbersOnly) {
  const fs::path params = FFolder / "params.json";
  for (const std::string value : {"true", "null", "[1]", "{\"a\": 1}"}) {
    std::ofstream(params) << R"({"pDataInicial": "01/03/2026", "pCodigoEmpresa": )" << value << "}";
    const Outcome outcome = Kdr({"run", "KdrTeste", "--db", Url(), "--params", params.string(),
                                 "-p", "pDataFinal=31/03/2026"});
    EXPECT_EQ(outcome.Status, 2) << value;
    EXPECT_NE(outcome.Err.find("pCodigoEmpresa"), std::string::npos) << outcome.Err;
  }
}

TEST_F(DataSafetyTest, ListShowsWhereItLookedAndEveryReportThatLoads) {
  fs::create_directory(FFolder / "sem-relatorios");
  {
    const ScopedEnvironment definitions("KDR_REPORTS_PATH", (FFolder / "sem-relatorios").string());
    const Outcome outcome = Kdr({"list"});
    EXPECT_EQ(outcome.Status, 1);
    EXPECT_NE(outcome.Err.find((FFolder / "sem-relatorios").string()), std::string::npos)
        << outcome.Err;
  }
  const ScopedEnvironment definitions(
      "KDR_REPORTS_PATH",
      DefinitionsWith([](nlohmann::json& definition) { definition["sections"] = 7; }).string());
  const Outcome outcome = Kdr({"list"});
  EXPECT_EQ(outcome.Status, 1);
  EXPECT_NE(outcome.Out.find("KdrProtocolo\t"), std::string::npos) << outcome.Out;
  EXPECT_EQ(outcome.Out.find("KdrTeste"), std::string::npos) << outcome.Out;
  EXPECT_NE(outcome.Err.find("KdrTeste"), std::string::npos) << outcome.Err;
}

}  // namespace
