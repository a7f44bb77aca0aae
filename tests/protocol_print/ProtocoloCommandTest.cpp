// The protocol print through the `kdr` command on a database the test builds: the JSON
// document in both print modes and both column modes, the published operations, and the
// refusals a caller sees.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "protocol_print/Sections.h"
#include "support/KdrProcess.h"
#include "support/TestDatabase.h"
#include "support/TestOffice.h"

using namespace protocolo;

namespace {

// A block's opening: its header, the heading and the item column titles.
const std::vector<int> kAberturaUmaColuna = {kSecaoCabecalhoBloco, kSecaoTituloItens,
                                             kSecaoTitulosItensUmaColuna};
const std::vector<int> kAberturaDuasColunas = {kSecaoCabecalhoBloco, kSecaoTituloItens,
                                               kSecaoTitulosItensDuasColunas};

}  // namespace

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

class ProtocoloCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kdr-protocolo-XXXXXX";
    FFolder = mkdtemp(pattern);
    FData.Places().Add(office::Company{.Code = 1, .Name = "Horizonte Contabilidade"});
    FData.Add(office::Establishment{.Name = "Oficina São José",
                                    .Nickname = std::nullopt,
                                    .RegistrationType = 2,
                                    .Registration = "52998224725",
                                    .Street = "XV de Novembro",
                                    .HouseNumber = 10,
                                    .Complement = std::nullopt,
                                    .Phone = "32225566"});
    FData.Add(Protocolo(7, 1, "Guias de março", "2026-03-05"))
        .Add(Protocolo(8, 2, "Folha de março", "2026-03-06"));
    FData
        .Add(office::Item{.Protocol = 7,
                          .Sequence = 1,
                          .Description = "DAS - Simples Nacional - competência 02/2026",
                          .Value = "1234.50",
                          .Due = "2026-03-20",
                          .Competence = "2026-02-01"})
        .Add(office::Item{.Protocol = 7,
                          .Sequence = 2,
                          .Description = "ISS - Imposto sobre serviços",
                          .Value = "99.90",
                          .Due = "2026-03-10",
                          .Competence = "2026-02-01"})
        .Add(office::Item{.Protocol = 7,
                          .Sequence = 3,
                          .Description = "Recibo de entrega",
                          .Value = std::nullopt,
                          .Due = std::nullopt,
                          .Competence = std::nullopt})
        .Add(office::Item{.Protocol = 8,
                          .Sequence = 1,
                          .Description = "GPS - INSS",
                          .Value = "500.00",
                          .Due = "2026-03-20",
                          .Competence = "2026-02-01"});
  }
  void TearDown() override { fs::remove_all(FFolder); }

  // A protocol of company 1's establishment 1 with no delivery kind or nature.
  static office::Protocol Protocolo(int code, int type, const std::string& note,
                                    const std::string& launched) {
    return office::Protocol{.Code = code,
                            .Type = type,
                            .Note = note,
                            .Launched = launched,
                            .DeliveryKind = std::nullopt,
                            .Nature = std::nullopt};
  }

  std::string Url() const { return FOffice.Url(); }

  Outcome Kdr(const std::vector<std::string>& arguments) const {
    return RunKdr(arguments, FFolder);
  }

  Outcome RunProtocolo(std::vector<std::string> parameters,
                       std::vector<std::string> output = {"--format", "json", "-o", "-"}) const {
    std::vector<std::string> arguments = {
        "run", "KdrProtocolo",         "--db", Url(), "--quiet", "-p", "pDataInicial=01/03/2026",
        "-p",  "pDataFinal=2026-03-31"};
    for (const std::string& parameter : parameters) {
      arguments.push_back("-p");
      arguments.push_back(parameter);
    }
    arguments.insert(arguments.end(), output.begin(), output.end());
    return Kdr(arguments);
  }

  json RunJson(const std::vector<std::string>& parameters) const {
    const Outcome outcome = RunProtocolo(parameters);
    EXPECT_EQ(outcome.Status, 0) << outcome.Err;
    return json::parse(outcome.Out);
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

std::vector<int> Repeated(std::vector<int> start, int section, int times, std::vector<int> end) {
  start.insert(start.end(), static_cast<std::size_t>(times), section);
  start.insert(start.end(), end.begin(), end.end());
  return start;
}

TEST_F(ProtocoloCommand, LargeModePrintsTwoBlocksOnAPage) {
  const json document = RunJson({"pOrigem=G"});
  EXPECT_EQ(document["report"], "KdrProtocolo");
  EXPECT_EQ(document["version"], "[versao: 1.1.28.0]");
  ASSERT_EQ(document["pages"].size(), 1u);
  const json& page = document["pages"][0];
  std::vector<int> expected = Repeated(kAberturaUmaColuna, kSecaoItemUmaColuna, 12,
                                       {kSecaoRodape, kSecaoEspacoEntreBlocos});
  const std::vector<int> second =
      Repeated(kAberturaUmaColuna, kSecaoItemUmaColuna, 12, {kSecaoRodape});
  expected.insert(expected.end(), second.begin(), second.end());
  EXPECT_EQ(Sections(page), expected);

  const json& header = page["bands"][0];
  EXPECT_EQ(header["values"]["pDescrProtocolo"], "Protocolo: 00008 - Folha de março");
  EXPECT_EQ(header["values"]["pNomeEmpresa"], "Oficina São José");
  EXPECT_EQ(header["values"]["pCnpj"], "529.982.247-25");
  EXPECT_EQ(header["values"]["pEnder"], "Rua XV de Novembro 10 , Centro - Curitiba PR");
  EXPECT_EQ(header["values"]["pTelefone"], "41 32225566");
  EXPECT_EQ(header["labels"]["Logo"]["visible"], false);
  EXPECT_FALSE(header.contains("fields")) << "the report has no main data set";

  const json& secondHeader = page["bands"][17];
  ASSERT_EQ(secondHeader["section"], kSecaoCabecalhoBloco);
  EXPECT_EQ(secondHeader["values"]["pDescrProtocolo"], "Protocolo: 00007 - Guias de março");
  const json& lastItem = page["bands"][22];
  EXPECT_EQ(lastItem["values"]["pDesc"], "DAS - Simples Nacional - competência 02/2026");
  EXPECT_EQ(lastItem["values"]["pVal"], "1.234,50");
  EXPECT_EQ(lastItem["values"]["pVcto"], "20/03/2026");
  EXPECT_EQ(lastItem["values"]["pCompet"], "02/2026");
  const json& noDue = page["bands"][20];
  EXPECT_EQ(noDue["values"]["pDesc"], "Recibo de entrega");
  EXPECT_EQ(noDue["values"]["pVal"], "0,00");
  EXPECT_FALSE(noDue["values"].contains("pVcto"));
  EXPECT_FALSE(noDue["values"].contains("pCompet"));
  EXPECT_TRUE(document["messages"].empty());
}

TEST_F(ProtocoloCommand, CompactTwoColumnModeWithCopies) {
  const json document = RunJson({"pOrigem=C", "pColuna=1", "pCopia=2", "pCodigoProtocolo=7"});
  ASSERT_EQ(document["pages"].size(), 1u);
  std::vector<int> expected = Repeated(kAberturaDuasColunas, kSecaoItemDuasColunas, 5,
                                       {kSecaoRodape, kSecaoRecorte, kSecaoEspacoEntreBlocos});
  const std::vector<int> second =
      Repeated(kAberturaDuasColunas, kSecaoItemDuasColunas, 5, {kSecaoRodape});
  expected.insert(expected.end(), second.begin(), second.end());
  EXPECT_EQ(Sections(document["pages"][0]), expected);
  const json& odd = document["pages"][0]["bands"][4];
  EXPECT_EQ(odd["values"]["pDesc2"], "DAS - Simples Nacional - competência 02/2026");
  EXPECT_FALSE(odd["values"].contains("pDesc4"));
}

TEST_F(ProtocoloCommand, FiltersNarrowTheProtocols) {
  const json byType = RunJson({"pTipoPro=2"});
  ASSERT_EQ(byType["pages"].size(), 1u);
  EXPECT_EQ(byType["pages"][0]["bands"][0]["values"]["pDescrProtocolo"],
            "Protocolo: 00008 - Folha de março");
  EXPECT_EQ(Sections(byType["pages"][0]).back(), kSecaoRodape);
  EXPECT_TRUE(RunJson({"pFormaEntrega=2"})["pages"].empty());
}

TEST_F(ProtocoloCommand, RefusedParametersExitWithTheMessage) {
  const fs::path output = FFolder / "protocolo.pdf";
  Outcome outcome = RunProtocolo({"pTipoPro=1 or 1=1"}, {"-o", output.string()});
  EXPECT_EQ(outcome.Status, 1);
  EXPECT_EQ(outcome.Err,
            "Valor inválido para Tipo de protocolo (número; vazio ou 0: todos) (pTipoPro): \"1 or "
            "1=1\". Informe um número inteiro de -2147483648 a 2147483647.\n");
  EXPECT_FALSE(fs::exists(output));

  outcome = RunProtocolo({"pColuna=3"});
  EXPECT_EQ(outcome.Status, 1);
  EXPECT_EQ(outcome.Err,
            "Valor inválido para Itens em (pColuna): \"3\". Use um destes valores: 0 (Uma "
            "coluna), 1 (Duas colunas); ou deixe vazio.\n");

  // Every integer parameter is checked, also those the report reads only later (the logo's).
  outcome = RunProtocolo({"pCodigoEmpresaLogo=abc"});
  EXPECT_EQ(outcome.Status, 1);
  EXPECT_NE(outcome.Err.find("(pCodigoEmpresaLogo): \"abc\""), std::string::npos) << outcome.Err;

  // Any mode but "G" used to print the compact layout silently.
  for (const char* mode : {"X", "g", "grande"}) {
    outcome = RunProtocolo({std::string("pOrigem=") + mode});
    EXPECT_EQ(outcome.Status, 1) << mode;
    EXPECT_NE(outcome.Err.find("(pOrigem): \"" + std::string(mode) + "\""), std::string::npos)
        << outcome.Err;
  }
  EXPECT_EQ(RunProtocolo({"pOrigem=C"}).Status, 0);
  EXPECT_EQ(RunProtocolo({"pOrigem="}).Status, 0) << "empty means the compact layout";

  outcome = Kdr({"run", "KdrProtocolo", "--db", Url(), "-p", "pDataInicial=01/03/2026", "-p",
                 "pDataFinal=00/03/2026"});
  EXPECT_EQ(outcome.Status, 1);
  EXPECT_EQ(outcome.Err, "Data final invalida!\n");
}

// Every copy is a row of the work set: a million of them used to grow the process to
// gigabytes and end in a bare std::bad_alloc.
TEST_F(ProtocoloCommand, CopiesAreBoundedBeforeAnyWork) {
  const fs::path output = FFolder / "protocolo.pdf";
  Outcome outcome = RunProtocolo({"pCopia=1000000"}, {"-o", output.string()});
  EXPECT_EQ(outcome.Status, 1);
  EXPECT_EQ(outcome.Err,
            "Número de vias inválido: 1000000. Informe no máximo 99 vias de cada protocolo.\n");
  EXPECT_FALSE(fs::exists(output));
  EXPECT_EQ(RunProtocolo({"pCopia=100"}).Status, 1);

  EXPECT_EQ(RunProtocolo({"pCopia=99"}).Status, 0);
  // No copies print nothing, as before.
  for (const char* none : {"0", "-3"}) {
    outcome = RunProtocolo({std::string("pCopia=") + none});
    EXPECT_EQ(outcome.Status, 0) << none << ": " << outcome.Err;
    EXPECT_TRUE(json::parse(outcome.Out)["pages"].empty()) << none;
  }
}

TEST_F(ProtocoloCommand, DescribeListsThePublishedOperations) {
  const Outcome outcome = Kdr({"describe", "KdrProtocolo"});
  ASSERT_EQ(outcome.Status, 0) << outcome.Err;
  for (const std::string operation :
       {"Versao(): string  virtual: sim", "MontarSQL()  virtual: não",
        "ImpressaoLogoEmpresa()  virtual: não",
        "ImpressaoCabecalho(_ACodigoEmpresa: Integer; _ACodigoEstab: Integer; _AFlagImprimeCab: "
        "Boolean; _ACompet: TDateTime)  virtual: não",
        "LimparParametros(_AColuna: Integer)  virtual: não",
        "DoAdd(Sender: TObject; Section: Integer)  virtual: não"}) {
    EXPECT_NE(outcome.Out.find(operation), std::string::npos) << operation << "\n" << outcome.Out;
  }
}

}  // namespace
