// The document movement report end to end: `kdr` on the demo office, read back from the JSON
// document as a caller sees it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "document_movement/Sections.h"
#include "support/KdrProcess.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace movimentacao {
namespace {

class MovementCommandTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    char pattern[] = "/tmp/kdr-movement-XXXXXX";
    Folder = mkdtemp(pattern);
    const Outcome demo = RunKdr({"db", "demo", "--db", Url(), "--size", "60"}, Folder);
    ASSERT_EQ(demo.Status, 0) << demo.Err;
  }
  static void TearDownTestSuite() { fs::remove_all(Folder); }

  static std::string Url() { return "sqlite:" + (Folder / "office.sqlite").string(); }

  static Outcome Run(const std::vector<std::string>& parameters, const std::string& output = "-") {
    std::vector<std::string> arguments = {
        "run", "KdrMovimentacaoDoc", "--db", Url(), "--quiet", "--format", "json", "-o", output};
    for (const std::string& parameter : parameters) {
      arguments.push_back("-p");
      arguments.push_back(parameter);
    }
    return RunKdr(arguments, Folder);
  }

  static inline fs::path Folder;
};

TEST_F(MovementCommandTest, TheDemoOfficePrintsEveryDocumentsHistoryUnderItsCompany) {
  const Outcome outcome = Run({"pDataInicial=01/01/2026", "pDataFinal=31/12/2026"});
  ASSERT_EQ(outcome.Status, 0) << outcome.Err;
  const json document = json::parse(outcome.Out);
  EXPECT_EQ(document["report"], "KdrMovimentacaoDoc");
  EXPECT_EQ(document["version"], "[versao: 1.1.28.0]");

  // Per document (by code): the sequences of its movement lines.
  std::map<std::string, std::vector<std::string>> histories;
  std::string current;
  ASSERT_FALSE(document["pages"].empty());
  for (const json& page : document["pages"]) {
    const json& bands = page["bands"];
    ASSERT_GE(bands.size(), 2u);
    EXPECT_EQ(bands[0]["section"], kSecaoCabecalhoPagina);
    EXPECT_EQ(bands[1]["section"], kSecaoCabecalhoEmpresa);
    EXPECT_TRUE(bands[1]["values"].contains("RCabEmpresa"));
    for (const json& band : bands) {
      if (band["section"] == kSecaoDocumento) {
        current = band["fields"]["CODIGODOCEMP"];
        histories[current];
      } else if (band["section"] == kSecaoMovimento) {
        histories[current].push_back(band["values"]["RSeq"]);
      }
    }
  }
  // The showcase documents: a history of four movements, and one never moved.
  EXPECT_EQ(histories["1"], (std::vector<std::string>{"0001", "0002", "0003", "0004"}));
  ASSERT_TRUE(histories.count("2"));
  EXPECT_TRUE(histories["2"].empty());
}

TEST_F(MovementCommandTest, ARefusedRunLeavesItsMessageAndNoFile) {
  const fs::path file = Folder / "movimentacao.json";
  Outcome outcome = Run({"pDataInicial=31/03/2026", "pDataFinal=01/03/2026"}, file.string());
  EXPECT_EQ(outcome.Status, 1);
  EXPECT_EQ(outcome.Err, "A data inicial deve ser inferior a data final.\n");
  EXPECT_FALSE(fs::exists(file));

  // The period is required: a run without its end fails before the report starts.
  outcome = Run({"pDataInicial=01/03/2026"}, file.string());
  EXPECT_NE(outcome.Status, 0);
  EXPECT_NE(outcome.Err.find("pDataFinal"), std::string::npos) << outcome.Err;
  EXPECT_FALSE(fs::exists(file));
}

}  // namespace
}  // namespace movimentacao
