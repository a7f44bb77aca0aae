// Every report prints the demo office without losing text to a label too small for it. A report
// whose layout still clips is listed in kKnownClipping and skipped, naming what clips; once it
// prints whole, the test fails until the mark is taken away.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "support/ClippedLabels.h"
#include "support/KdrProcess.h"

namespace {

namespace fs = std::filesystem;

struct DemoRun {
  std::string Report;
  std::vector<std::string> Parameters;
};

// The first run of each report in the demo script.
const std::vector<DemoRun> kDemoRuns = {
    {"KdrProtocolo", {"pDataInicial=01/01/2026", "pDataFinal=31/01/2026", "pOrigem=G"}},
    {"KdrBaixaProtocolo",
     {"pDataInicial=01/03/2026", "pDataFinal=31/03/2026", "pQuebra=0", "pOrdenacao=4"}},
    {"KdrProtocolosNaoBaixados", {"pDataInicial=01/05/2026", "pDataFinal=30/06/2026", "pQuebra=0"}},
    {"KdrProtocoloEmpresa", {"pDataInicial=01/06/2026", "pDataFinal=30/06/2026"}},
    {"KdrRotaEntrega", {"pTipoRel=1", "pMostrarEnd=1"}},
    {"KdrMovimentacaoDoc", {"pDataInicial=01/01/2026", "pDataFinal=30/06/2026"}},
};

// Layouts that still clip on the demo office; their fix is pending. The written-off and pending
// listings cut the detail line's descriptions (R1, R2, R3 of section 14), the movement report
// the establishment's name of its heading (etiNomeEstab of section 9).
const std::set<std::string> kKnownClipping = {"KdrBaixaProtocolo", "KdrProtocolosNaoBaixados",
                                              "KdrMovimentacaoDoc"};

// Names the run in failure messages instead of its bytes.
[[maybe_unused]] void PrintTo(const DemoRun& run, std::ostream* out) {
  *out << run.Report;
}

std::string PrintName(const ::testing::TestParamInfo<DemoRun>& info) {
  return info.param.Report;
}

class NothingClippedOnTheDemo : public ::testing::TestWithParam<DemoRun> {
 protected:
  static void SetUpTestSuite() {
    char pattern[] = "/tmp/kdr-clipped-XXXXXX";
    Folder = mkdtemp(pattern);
    const Outcome demo = RunKdr({"db", "demo", "--db", DemoUrl()}, Folder);
    ASSERT_EQ(demo.Status, 0) << demo.Err;
  }
  static void TearDownTestSuite() { fs::remove_all(Folder); }
  static std::string DemoUrl() { return "sqlite:" + (Folder / "demo.sqlite").string(); }

  static inline fs::path Folder;
};

}  // namespace

TEST_P(NothingClippedOnTheDemo, EveryValueFitsItsLabel) {
  std::vector<std::string> arguments = {"run", GetParam().Report, "--db", DemoUrl(), "--quiet"};
  for (const std::string& parameter : GetParam().Parameters) {
    arguments.push_back("-p");
    arguments.push_back(parameter);
  }
  for (const char* output : {"--format", "json", "-o", "-"}) arguments.emplace_back(output);
  const Outcome outcome = RunKdr(arguments, Folder);
  ASSERT_EQ(outcome.Status, 0) << outcome.Err;
  const nlohmann::json document = nlohmann::json::parse(outcome.Out);
  ASSERT_FALSE(document.at("pages").empty()) << "the demo run printed nothing to check";

  if (kKnownClipping.count(GetParam().Report) != 0) {
    const std::string clipped = ClippedBands(document);
    ASSERT_FALSE(clipped.empty()) << GetParam().Report
                                  << " no longer clips: take it out of kKnownClipping";
    GTEST_SKIP() << "known failure, the layout still clips:\n" << clipped;
  }
  EXPECT_TRUE(NothingClipped(document));
}

INSTANTIATE_TEST_SUITE_P(Reports, NothingClippedOnTheDemo, ::testing::ValuesIn(kDemoRuns),
                         PrintName);
