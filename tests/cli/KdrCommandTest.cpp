// `kdr` end to end: a database the test builds, the test report run through the command, and
// the JSON document, exit statuses and output files checked as a caller sees them.
#include <cairo.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "plugin/Sections.h"
#include "support/KdrProcess.h"
#include "support/TestDatabase.h"
#include "support/TestOffice.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

cairo_status_t AppendPng(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

std::string SmallPng() {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 40, 20);
  cairo_t* cr = cairo_create(surface);
  cairo_set_source_rgb(cr, 0.1, 0.3, 0.7);
  cairo_paint(cr);
  cairo_destroy(cr);
  std::string bytes;
  cairo_surface_write_to_png_stream(surface, AppendPng, &bytes);
  cairo_surface_destroy(surface);
  return bytes;
}

class KdrCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kdr-cli-XXXXXX";
    FFolder = mkdtemp(pattern);
    FillOffice();
  }
  void TearDown() override { fs::remove_all(FFolder); }

  std::string Url() const { return FOffice.Url(); }

  Outcome Kdr(const std::vector<std::string>& arguments) const {
    return RunKdr(arguments, FFolder);
  }

  Outcome RunTestReport(std::vector<std::string> extra) const {
    std::vector<std::string> arguments = {"run",
                                          "KdrTeste",
                                          "--db",
                                          Url(),
                                          "--quiet",
                                          "-p",
                                          "pDataInicial=01/03/2026",
                                          "-p",
                                          "pDataFinal=2026-03-31"};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    return Kdr(arguments);
  }

  json RunJson(std::vector<std::string> extra = {}) const {
    extra.insert(extra.end(), {"--format", "json", "-o", "-"});
    const Outcome outcome = RunTestReport(extra);
    EXPECT_EQ(outcome.Status, 0) << outcome.Err;
    return json::parse(outcome.Out);
  }

  // Protocols 1 (two items, one with a long description) and 3 of company 1, which has a logo,
  // and protocol 2 of company 2; protocol 3 is launched in April.
  void FillOffice() {
    FData.Add(office::Company{.Code = 1, .Name = "Padaria Pão Quente Ltda", .Logo = SmallPng()})
        .Add(office::Company{.Code = 2, .Name = "Oficina São José"});
    FData.Add(office::NamesOnly(1, 1, "Matriz", std::nullopt))
        .Add(office::NamesOnly(2, 1, "Oficina", std::nullopt));
    FData.Add(office::Protocol{.Code = 1, .Note = "Guias de março", .Launched = "2026-03-01"})
        .Add(office::Protocol{.Code = 2, .Company = 2, .Note = "Folha", .Launched = "2026-03-31"})
        .Add(office::Protocol{.Code = 3, .Note = "Abril", .Launched = "2026-04-01"});
    const std::string longDescription = std::string(60, 'x') + " " + std::string(60, 'y') + " " +
                                        std::string(60, 'z') +
                                        " longa descrição que não cabe numa linha só";
    FData
        .Add(office::Item{.Protocol = 1,
                          .Sequence = 1,
                          .Description = "DAS - Simples Nacional",
                          .Value = "1234.50",
                          .Due = "2026-03-20"})
        .Add(office::Item{.Protocol = 1,
                          .Sequence = 2,
                          .Description = longDescription,
                          .Value = "10.00",
                          .Due = std::nullopt})
        .Add(office::Item{.Protocol = 2,
                          .Sequence = 1,
                          .Description = "FGTS",
                          .Value = "0.07",
                          .Due = "2026-04-07"})
        .Add(office::Item{.Protocol = 3,
                          .Sequence = 1,
                          .Description = "Fora do período",
                          .Value = "1.00",
                          .Due = std::nullopt});
  }

  TestDatabase FOffice;
  office::TestOffice FData{FOffice.Engine()};
  fs::path FFolder;
};

std::vector<int> Sections(const json& page) {
  std::vector<int> sections;
  for (const auto& band : page["bands"]) sections.push_back(band["section"].get<int>());
  return sections;
}

TEST_F(KdrCommandTest, RunPrintsTheJsonDocument) {
  const json document = RunJson();
  EXPECT_EQ(document["report"], "KdrTeste");
  EXPECT_EQ(document["version"], "[versao: 0.1.0.0]");
  ASSERT_EQ(document["pages"].size(), 1u);
  const json& page = document["pages"][0];
  EXPECT_EQ(page["number"], 1);
  const auto sections = Sections(page);
  // Page header, its column headings from the after-section event, then the report's bands.
  ASSERT_GE(sections.size(), 6u);
  EXPECT_EQ(sections[0], teste::kSecaoCabecalhoPagina);
  EXPECT_EQ(sections[1], teste::kSecaoTitulosItens);
  EXPECT_EQ(sections[2], teste::kSecaoProtocolo);
  EXPECT_EQ(sections.back(), teste::kSecaoTotal);

  const json& header = page["bands"][2];
  EXPECT_EQ(header["values"]["pDescrProtocolo"], "Protocolo: 00001 - Guias de março");
  EXPECT_EQ(header["values"]["pPeriodo"], "Período: 01/03/2026 a 31/03/2026");
  EXPECT_FALSE(header.contains("fields")) << "the test report has no main data set";
  EXPECT_EQ(page["bands"][0]["labels"]["Logo"]["visible"], false);

  const json& firstItem = page["bands"][3];
  EXPECT_EQ(firstItem["section"], teste::kSecaoItem);
  EXPECT_EQ(firstItem["values"]["pDesc"], "DAS - Simples Nacional");
  EXPECT_EQ(firstItem["values"]["pValor"], "1.234,50");
  EXPECT_EQ(firstItem["values"]["pVcto"], "20/03/2026");

  ASSERT_EQ(document["messages"].size(), 1u);
  EXPECT_EQ(document["messages"][0]["kind"], 1);
  EXPECT_EQ(document["messages"][0]["text"], "2 protocolo(s) impresso(s)");
}

TEST_F(KdrCommandTest, LongDescriptionIsWrappedIntoSeveralLinesLosingNothing) {
  const json document = RunJson();
  // Protocol 1's second item: the item lines after the first, up to the protocol's total.
  std::vector<json> lines;
  for (const auto& band : document["pages"][0]["bands"]) {
    if (band["section"] == teste::kSecaoTotal) break;
    if (band["section"] == teste::kSecaoItem) lines.push_back(band["values"]);
  }
  ASSERT_GE(lines.size(), 3u) << "one line for the first item, two or more for the long one";
  std::string joined;
  for (size_t i = 1; i < lines.size(); ++i) {
    joined += (i > 1 ? " " : "") + lines[i].value("pDesc", "");
    EXPECT_EQ(lines[i].contains("pValor"), i + 1 == lines.size())
        << "the value prints on the item's last line only";
  }
  EXPECT_EQ(joined, std::string(60, 'x') + " " + std::string(60, 'y') + " " + std::string(60, 'z') +
                        " longa descrição que não cabe numa linha só");
  EXPECT_EQ(lines.back()["pValor"], "10,00");
}

TEST_F(KdrCommandTest, CompanyFilterAndHostileExpressions) {
  const json document = RunJson({"-p", "pCodigoEmpresa=2"});
  EXPECT_EQ(document["pages"][0]["bands"][2]["values"]["pDescrProtocolo"],
            "Protocolo: 00002 - Folha");

  for (const std::string hostile : {"1;--", "1 or 1=1", "1') or ('1'='1", "1-"}) {
    const fs::path output = FFolder / "hostile.json";
    const Outcome outcome = RunTestReport({"-p", "pCodigoEmpresa=" + hostile, "-o", output});
    EXPECT_EQ(outcome.Status, 1) << hostile;
    EXPECT_NE(outcome.Err.find(hostile), std::string::npos) << outcome.Err;
    EXPECT_FALSE(fs::exists(output));
  }
}

TEST_F(KdrCommandTest, ReportErrorsExitWithOneAndTheMessageAlone) {
  Outcome outcome = Kdr({"run", "KdrTeste", "--db", Url(), "-p", "pDataInicial=31/02/2026", "-p",
                         "pDataFinal=01/03/2026"});
  EXPECT_EQ(outcome.Status, 1);
  EXPECT_EQ(outcome.Err, "Data inicial invalida!\n");

  outcome = Kdr({"run", "KdrTeste", "--db", Url(), "-p", "pDataFinal=01/03/2026"});
  EXPECT_EQ(outcome.Status, 1);
  EXPECT_EQ(outcome.Err, "Parâmetro obrigatório não informado: Data inicial (pDataInicial)\n");
}

TEST_F(KdrCommandTest, UsageErrorsExitWithTwo) {
  EXPECT_EQ(Kdr({}).Status, 2);
  EXPECT_EQ(Kdr({"frobnicate"}).Status, 2);
  EXPECT_EQ(Kdr({"run"}).Status, 2);
  EXPECT_EQ(Kdr({"run", "KdrNaoExiste", "--db", Url()}).Status, 2);
  EXPECT_EQ(RunTestReport({"-p", "pInexistente=1"}).Status, 2);
  EXPECT_EQ(RunTestReport({"-p", "semigual"}).Status, 2);
  EXPECT_EQ(RunTestReport({"--format", "doc"}).Status, 2);
  EXPECT_EQ(Kdr({"db", "demo", "--size", "zero"}).Status, 2);
  EXPECT_EQ(Kdr({"db", "demo", "--size", "5000000000"}).Status, 2);
  EXPECT_EQ(Kdr({"--help"}).Status, 0);
}

TEST_F(KdrCommandTest, FailedRunLeavesNoFileBehind) {
  const fs::path output = FFolder / "relatorio.pdf";
  std::ofstream(output) << "previous report";
  const Outcome outcome = RunTestReport({"-p", "pFalhar=2", "-o", output});
  EXPECT_EQ(outcome.Status, 1);
  EXPECT_EQ(outcome.Err, "Falha no meio da impressão.\n");
  EXPECT_EQ(ReadFile(output), "previous report") << "a failed run must not touch the old file";
  for (const auto& entry : fs::directory_iterator(FFolder)) {
    EXPECT_EQ(entry.path().filename().string().find(".relatorio.pdf"), std::string::npos)
        << "temporary file left: " << entry.path();
  }
}

TEST_F(KdrCommandTest, TextFormatToStandardOutput) {
  const Outcome outcome = RunTestReport({"--format", "txt"});
  ASSERT_EQ(outcome.Status, 0) << outcome.Err;
  EXPECT_NE(outcome.Out.find("Protocolo: 00001 - Guias de março"), std::string::npos);
  EXPECT_NE(outcome.Out.find("1.234,50"), std::string::npos);
  EXPECT_EQ(outcome.Err, "Mensagem: 2 protocolo(s) impresso(s)\n");
}

TEST_F(KdrCommandTest, ParametersFileAndCommandLineValues) {
  const fs::path params = FFolder / "params.json";
  std::ofstream(params) << R"({"pDataInicial": "01/04/2026", "pDataFinal": "30/04/2026",
                               "pCodigoEmpresaLogo": 1})";
  const Outcome outcome = Kdr({"run", "KdrTeste", "--db", Url(), "--params", params.string(), "-p",
                               "pDataInicial=01/03/2026", "--format", "json"});
  ASSERT_EQ(outcome.Status, 0) << outcome.Err;
  const json document = json::parse(outcome.Out);
  // -p wins over the file, so March and April are both in the range.
  EXPECT_EQ(document["messages"][0]["text"], "3 protocolo(s) impresso(s)");
  EXPECT_EQ(document["pages"][0]["bands"][0]["labels"]["Logo"]["visible"], true);
}

TEST_F(KdrCommandTest, ManyItemsFillSeveralPagesEachWithItsHeader) {
  for (int i = 2; i <= 120; ++i) {
    FData.Add(office::Item{.Protocol = 2,
                           .Sequence = i,
                           .Description = "Item " + std::to_string(i),
                           .Value = "1.00",
                           .Due = std::nullopt});
  }
  const json document = RunJson();
  ASSERT_GE(document["pages"].size(), 2u);
  int number = 0;
  for (const auto& page : document["pages"]) {
    EXPECT_EQ(page["number"], ++number);
    const auto sections = Sections(page);
    ASSERT_GE(sections.size(), 3u);
    EXPECT_EQ(sections[0], 1);
    EXPECT_EQ(sections[1], 8);
  }
}

TEST_F(KdrCommandTest, ListAndDescribe) {
  Outcome outcome = Kdr({"list"});
  ASSERT_EQ(outcome.Status, 0) << outcome.Err;
  EXPECT_NE(outcome.Out.find("KdrTeste\t[versao: 0.1.0.0]\tRelatório de teste"), std::string::npos)
      << outcome.Out;

  outcome = Kdr({"describe", "KdrTeste"});
  ASSERT_EQ(outcome.Status, 0) << outcome.Err;
  EXPECT_NE(outcome.Out.find("pDataInicial"), std::string::npos);
  EXPECT_NE(outcome.Out.find("DoParamChange(Sender: TObject; _AParam: TjxsParamItem)"),
            std::string::npos)
      << outcome.Out;
}

TEST_F(KdrCommandTest, InitRefusesADatabaseThatHasTables) {
  const Outcome outcome = Kdr({"db", "init", "--db", Url()});
  EXPECT_EQ(outcome.Status, 1);
  EXPECT_FALSE(outcome.Err.empty());
  EXPECT_EQ(RunJson()["messages"][0]["text"], "2 protocolo(s) impresso(s)") << "data kept";
}

}  // namespace
