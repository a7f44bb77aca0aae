// Every report prints the demo office without losing text to a label too small for it: each run
// of scripts/demo, read from the script so that a run added there is checked here too. The only
// text a run may cut is what a report's own rule cuts and reports: the protocol print's
// two-column descriptions, for the protocols its messages name.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <ostream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/ClippedLabels.h"
#include "support/KdrProcess.h"

namespace {

namespace fs = std::filesystem;

struct DemoRun {
  std::string Name;
  std::string Report;
  std::vector<std::string> Arguments;  // the parameters, as the script passes them
};

// The runs of scripts/demo: lines "name|Report|-p NAME=VALUE ..." of its `runs` list.
std::vector<DemoRun> DemoRuns() {
  std::ifstream script(std::string(KDR_SOURCE_DIR) + "/scripts/demo");
  const std::regex entry(R"re(^\s*"([^|"]+)\|([^|"]+)\|([^"]*)"\s*$)re");
  std::vector<DemoRun> runs;
  std::string line;
  while (std::getline(script, line)) {
    std::smatch match;
    if (!std::regex_match(line, match, entry)) continue;
    DemoRun run{match[1], match[2], {}};
    std::istringstream words(match[3].str());
    for (std::string word; words >> word;) run.Arguments.push_back(word);
    runs.push_back(std::move(run));
  }
  return runs;
}

// Names the run in failure messages instead of its bytes.
[[maybe_unused]] void PrintTo(const DemoRun& run, std::ostream* out) {
  *out << run.Name;
}

std::string PrintName(const ::testing::TestParamInfo<DemoRun>& info) {
  std::string name = info.param.Name;
  for (char& c : name) {
    if (c == '-') c = '_';
  }
  return name;
}

// The protocols the protocol print reports as cut ("Protocolo 00063, texto de ...").
std::set<std::string> ReportedAsCut(const nlohmann::json& document) {
  std::set<std::string> protocols;
  const std::regex cut(R"(^Protocolo (\d+), texto de alguns itens não foi impresso por completo$)");
  for (const nlohmann::json& message : document.at("messages")) {
    std::smatch match;
    const std::string text = message.at("text").get<std::string>();
    if (std::regex_match(text, match, cut)) protocols.insert(match[1]);
  }
  return protocols;
}

// Takes out of the document the column descriptions the two-column cut rule cut and reported,
// and fails for a cut that no message reports.
void RemoveReportedCuts(nlohmann::json& document) {
  const std::set<std::string> reported = ReportedAsCut(document);
  const std::regex protocolTitle(R"(^Protocolo: (\d+) - )");
  for (nlohmann::json& page : document.at("pages")) {
    for (nlohmann::json& band : page.at("bands")) {
      if (!band.contains("clipped") || band.at("section") != 10) continue;
      std::smatch match;
      const std::string title = band.at("values").value("pDescrProtocolo", "");
      const bool isReported =
          std::regex_search(title, match, protocolTitle) && reported.count(match[1]) != 0;
      nlohmann::json kept = nlohmann::json::array();
      for (const nlohmann::json& label : band.at("clipped")) {
        const bool column = label == "etiDesc2" || label == "etiDesc4";
        if (!column || !isReported) kept.push_back(label);
      }
      if (kept.empty()) {
        band.erase("clipped");
      } else {
        band["clipped"] = kept;
      }
    }
  }
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

TEST(DemoRuns, TheScriptListsARunOfEveryReport) {
  std::set<std::string> reports;
  for (const DemoRun& run : DemoRuns()) reports.insert(run.Report);
  EXPECT_EQ(reports, (std::set<std::string>{"KdrTeste", "KdrProtocolo", "KdrBaixaProtocolo",
                                            "KdrProtocolosNaoBaixados", "KdrProtocoloEmpresa",
                                            "KdrRotaEntrega", "KdrMovimentacaoDoc"}));
}

TEST_P(NothingClippedOnTheDemo, EveryValueFitsItsLabel) {
  std::vector<std::string> arguments = {"run", GetParam().Report, "--db", DemoUrl(), "--quiet"};
  arguments.insert(arguments.end(), GetParam().Arguments.begin(), GetParam().Arguments.end());
  for (const char* output : {"--format", "json", "-o", "-"}) arguments.emplace_back(output);
  const Outcome outcome = RunKdr(arguments, Folder);
  ASSERT_EQ(outcome.Status, 0) << outcome.Err;
  nlohmann::json document = nlohmann::json::parse(outcome.Out);
  ASSERT_FALSE(document.at("pages").empty()) << "the demo run printed nothing to check";
  if (GetParam().Report == "KdrProtocolo") RemoveReportedCuts(document);
  EXPECT_TRUE(NothingClipped(document));
}

INSTANTIATE_TEST_SUITE_P(Demo, NothingClippedOnTheDemo, ::testing::ValuesIn(DemoRuns()), PrintName);
