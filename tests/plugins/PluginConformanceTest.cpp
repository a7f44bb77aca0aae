// What every report plug-in must do through `kdr`, whatever it prints: load and describe
// itself, refuse a run without its required parameters, print nothing for a selection without
// data, and leave no file behind when a run fails. `RunKdr` also checks, for every run, that
// the database is left as it was. A new plug-in joins by one line in kPlugins.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "support/KdrProcess.h"
#include "support/TestDatabase.h"
#include "xlsx/Workbook.h"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

struct PluginCase {
  std::string Name;
  // Parameters of a run that prints something from the demo office.
  std::vector<std::string> Valid;
  // Parameters that select nothing from the demo office.
  std::vector<std::string> Empty;
};

// The demo office's protocols are of the first half of 2026.
const std::vector<std::string> kDemoYear = {"pDataInicial=01/01/2026", "pDataFinal=31/12/2026"};
const std::vector<std::string> kLongAgo = {"pDataInicial=01/01/1990", "pDataFinal=31/01/1990"};

const std::vector<PluginCase> kPlugins = {
    {"KdrProtocolo", kDemoYear, kLongAgo},
    {"KdrBaixaProtocolo", kDemoYear, kLongAgo},
    {"KdrProtocolosNaoBaixados", kDemoYear, kLongAgo},
    {"KdrProtocoloEmpresa", kDemoYear, kLongAgo},
    {"KdrRotaEntrega", {}, {"pCodigoRota=999999"}},
    // Documents never moved are listed for any period: an unknown company selects nothing.
    {"KdrMovimentacaoDoc",
     kDemoYear,
     {"pDataInicial=01/01/1990", "pDataFinal=31/01/1990", "pCodigoEmpresa=999999"}},
};

std::string PrintName(const ::testing::TestParamInfo<PluginCase>& info) {
  return info.param.Name;
}

// The report's own definition, as the host reads it.
json Definition(const std::string& report) {
  std::ifstream file(std::string(KDR_REPORTS_DIR) + "/" + report + ".json");
  return json::parse(file);
}

std::vector<std::string> RequiredParameters(const std::string& report) {
  std::vector<std::string> names;
  const json definition = Definition(report);
  for (const json& parameter : definition["parameters"]) {
    if (parameter.value("required", false)) names.push_back(parameter["name"]);
  }
  return names;
}

std::vector<std::string> Files(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

class PluginConformance : public ::testing::TestWithParam<PluginCase> {
 protected:
  // One demo office for the whole suite: every test only reads it.
  static void SetUpTestSuite() {
    char pattern[] = "/tmp/kdr-plugins-XXXXXX";
    Folder = mkdtemp(pattern);
    const Outcome demo = RunKdr({"db", "demo", "--db", DemoUrl(), "--size", "60"}, Folder);
    ASSERT_EQ(demo.Status, 0) << demo.Err;
  }
  static void TearDownTestSuite() { fs::remove_all(Folder); }

  void SetUp() override {
    Output = Folder / ("out-" + GetParam().Name);
    fs::create_directories(Output);
  }
  void TearDown() override { fs::remove_all(Output); }

  static std::string DemoUrl() { return "sqlite:" + (Folder / "demo.sqlite").string(); }

  // `kdr run` of this test's report on `url` with `parameters`, written to `output`.
  static Outcome Run(const std::string& url, const std::vector<std::string>& parameters,
                     const std::vector<std::string>& output) {
    std::vector<std::string> arguments = {"run", GetParam().Name, "--db", url, "--quiet"};
    for (const std::string& parameter : parameters) {
      arguments.push_back("-p");
      arguments.push_back(parameter);
    }
    arguments.insert(arguments.end(), output.begin(), output.end());
    return RunKdr(arguments, Folder);
  }
  static Outcome RunJson(const std::vector<std::string>& parameters) {
    return Run(DemoUrl(), parameters, {"--format", "json", "-o", "-"});
  }

  static inline fs::path Folder;
  fs::path Output;
};

TEST_P(PluginConformance, IsListedAndDescribesItsParametersAndSections) {
  const Outcome list = RunKdr({"list"}, Folder);
  ASSERT_EQ(list.Status, 0) << list.Err;
  EXPECT_NE(list.Out.find(GetParam().Name), std::string::npos) << list.Out;

  const Outcome described = RunKdr({"describe", GetParam().Name}, Folder);
  ASSERT_EQ(described.Status, 0) << described.Err;
  EXPECT_EQ(described.Out.rfind(GetParam().Name + " — ", 0), 0u) << described.Out;
  EXPECT_NE(described.Out.find("classe T" + GetParam().Name + ", "), std::string::npos)
      << described.Out;
  const json definition = Definition(GetParam().Name);
  for (const json& parameter : definition["parameters"]) {
    EXPECT_NE(described.Out.find("  " + parameter["name"].get<std::string>() + "  "),
              std::string::npos)
        << parameter["name"];
  }
  EXPECT_NE(described.Out.find("\nseções:\n"), std::string::npos) << described.Out;
}

TEST_P(PluginConformance, PrintsTheDemoOfficeWithItsSmallestValidParameters) {
  const fs::path pdf = Output / "relatorio.pdf";
  const Outcome outcome = Run(DemoUrl(), GetParam().Valid, {"-o", pdf.string()});
  ASSERT_EQ(outcome.Status, 0) << outcome.Err;
  EXPECT_EQ(ReadFile(pdf).rfind("%PDF-", 0), 0u);

  const fs::path spreadsheet = Output / "relatorio.xlsx";
  ASSERT_EQ(Run(DemoUrl(), GetParam().Valid, {"-o", spreadsheet.string()}).Status, 0);
  EXPECT_FALSE(xlsx::ReadWorkbook(spreadsheet)["rows"].empty());

  const Outcome jsonRun = RunJson(GetParam().Valid);
  ASSERT_EQ(jsonRun.Status, 0) << jsonRun.Err;
  const json document = json::parse(jsonRun.Out);
  EXPECT_EQ(document["report"], GetParam().Name);
  ASSERT_FALSE(document["pages"].empty());
  EXPECT_FALSE(document["pages"][0]["bands"].empty());
}

TEST_P(PluginConformance, RefusesARunWithoutARequiredParameterAndWritesNothing) {
  const std::vector<std::string> required = RequiredParameters(GetParam().Name);
  if (required.empty()) {
    // Nothing may be left out: the report must then run on its defaults alone.
    const Outcome outcome = RunJson({});
    EXPECT_EQ(outcome.Status, 0) << outcome.Err;
    return;
  }
  for (const std::string& missing : required) {
    std::vector<std::string> parameters;
    for (const std::string& given : GetParam().Valid) {
      if (given.rfind(missing + "=", 0) != 0) parameters.push_back(given);
    }
    const Outcome outcome = Run(DemoUrl(), parameters, {"-o", (Output / "r.pdf").string()});
    EXPECT_EQ(outcome.Status, 1) << missing << ": " << outcome.Out;
    EXPECT_NE(outcome.Err.find(missing), std::string::npos) << outcome.Err;
    EXPECT_TRUE(Files(Output).empty()) << missing << " left " << Files(Output).front();
  }
}

TEST_P(PluginConformance, PrintsNothingForASelectionWithoutData) {
  const Outcome outcome = RunJson(GetParam().Empty);
  ASSERT_EQ(outcome.Status, 0) << outcome.Err;
  const json document = json::parse(outcome.Out);
  for (const json& page : document["pages"]) {
    EXPECT_TRUE(page["bands"].empty()) << page.dump();
  }
}

TEST_P(PluginConformance, AFailingRunLeavesNoFile) {
  // A database without the office's tables: the report's first statement fails.
  TestDatabase bare(TestDatabase::Tables::None);
  bare.Execute("create table OUTRA (X integer)");
  for (const std::string format : {"pdf", "png", "txt", "json", "xlsx"}) {
    const Outcome outcome =
        Run(bare.Url(), GetParam().Valid, {"-o", (Output / ("r." + format)).string()});
    EXPECT_EQ(outcome.Status, 1) << format << ": " << outcome.Out;
    EXPECT_FALSE(outcome.Err.empty()) << format;
    EXPECT_TRUE(Files(Output).empty()) << format << " left " << Files(Output).front();
  }
}

INSTANTIATE_TEST_SUITE_P(EveryPlugin, PluginConformance, ::testing::ValuesIn(kPlugins), PrintName);

}  // namespace
