// The receipt end to end through `kdr run`: a database the test builds, the JSON document as a
// caller reads it, and the errors a clerk would see.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "company_receipt/Sections.h"
#include "support/DocumentBands.h"
#include "support/KdrProcess.h"
#include "support/ReceiptOffice.h"

using namespace protocolo_empresa;

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

class ReceiptCommand : public receipt::ReceiptTest {
 protected:
  void SetUp() override {
    ReceiptTest::SetUp();
    FData.Add(Protocolo(8, "Folha", "2026-03-01"));
    FData
        .Add(office::Item{.Protocol = 7,
                          .Sequence = 2,
                          .Description = "FGTS",
                          .Value = "10.00",
                          .Due = "2026-03-07",
                          .Competence = std::nullopt,
                          .Launched = "2026-03-02"})
        .Add(office::Item{.Protocol = 8,
                          .Sequence = 1,
                          .Description = "Folha de pagamento",
                          .Value = "99.90",
                          .Due = std::nullopt,
                          .Competence = "2026-02-01",
                          .Launched = "2026-03-01"});
  }

  // The receipt of March 2026, written to `output` ("-": standard output).
  Outcome Receipt(std::vector<std::string> parameters, const std::string& format = "json",
                  const std::string& output = "-") const {
    std::vector<std::string> arguments = {"run",
                                          "KdrProtocoloEmpresa",
                                          "--db",
                                          Url(),
                                          "--quiet",
                                          "--format",
                                          format,
                                          "-o",
                                          output,
                                          "-p",
                                          "pDataInicial=01/03/2026",
                                          "-p",
                                          "pDataFinal=31/03/2026"};
    for (const auto& parameter : parameters) {
      arguments.push_back("-p");
      arguments.push_back(parameter);
    }
    return Kdr(arguments);
  }
};

std::vector<int> Sections(const json& document) {
  return SectionsOf(document);
}

TEST_F(ReceiptCommand, PrintsEachProtocolWithItsHeaderItemsAndClosing) {
  const Outcome outcome = Receipt({"pEscrit=Escritório Modelo"});
  ASSERT_EQ(outcome.Status, 0) << outcome.Err;
  const json document = json::parse(outcome.Out);
  EXPECT_EQ(document["report"], "KdrProtocoloEmpresa");
  EXPECT_EQ(document["version"], "[versao: 1.1.28.0]");
  EXPECT_EQ(
      Sections(document),
      (std::vector<int>{kSecaoCabecalhoPagina, kSecaoCabecalhoEstab, kSecaoItem, kSecaoItem,
                        kSecaoFechamento, kSecaoCabecalhoEstab, kSecaoItem, kSecaoFechamento}));

  const json& bands = document["pages"][0]["bands"];
  EXPECT_EQ(bands[0]["values"]["pEscrit"], "Escritório Modelo");
  EXPECT_EQ(bands[1]["values"]["pDescrProtocolo"], "Protocolo: 00007 - Guias de março");
  EXPECT_EQ(bands[1]["values"]["pNomeEmpresa"], "Padaria Pão Quente - Matriz");
  EXPECT_EQ(bands[1]["values"]["pTexto"], "Endereço: Rua Nove, 120, Centro, Curitiba / PR");
  const json& first = bands[2]["values"];
  EXPECT_EQ(first["pDataLcto"], "02/03/2026");
  EXPECT_EQ(first["pDescricao"], "DAS - Simples Nacional");
  EXPECT_EQ(first["pDataVcto"], "20/03/2026");
  EXPECT_EQ(first["pCompet"], "02/2026");
  EXPECT_EQ(first["pValor"], "1.234,50");
  EXPECT_EQ(first["pTexto"], "Recebido em:  ........./........../..........");
  EXPECT_FALSE(bands[3]["values"].contains("pTexto"));
  EXPECT_FALSE(bands[3]["values"].contains("pCompet"));
  EXPECT_EQ(bands[5]["values"]["pDescrProtocolo"], "Protocolo: 00008 - Folha");
}

TEST_F(ReceiptCommand, OrderingByLaunchDatePutsTheEarlierProtocolFirst) {
  const Outcome outcome = Receipt({"pOrdenacao=2"});
  ASSERT_EQ(outcome.Status, 0) << outcome.Err;
  const json document = json::parse(outcome.Out);
  EXPECT_EQ(document["pages"][0]["bands"][1]["values"]["pDescrProtocolo"],
            "Protocolo: 00008 - Folha");
}

TEST_F(ReceiptCommand, TextOutputCarriesTheWholeReceipt) {
  // Dates, amounts, headings and the receipt line print whole, however narrow their columns.
  const Outcome outcome = Receipt({}, "txt");
  ASSERT_EQ(outcome.Status, 0) << outcome.Err;
  for (const char* text :
       {"Protocolo: 00007 - Guias de março", "Padaria Pão Quente - Matriz",
        "Recebido em:  ........./........../..........", " 02/03/2026 ", " 1.234,50", "Lançamento ",
        " Competência ", " Valor (R$) ", "Assinatura"}) {
    EXPECT_NE(outcome.Out.find(text), std::string::npos) << text << "\n" << outcome.Out;
  }
}

TEST_F(ReceiptCommand, BadParametersEndTheRunWithTheirMessage) {
  const fs::path output = FFolder / "recibo.pdf";
  Outcome outcome = Receipt({"pOrdenacao=9"}, "pdf", output.string());
  EXPECT_EQ(outcome.Status, 1);
  EXPECT_EQ(outcome.Err,
            "Valor inválido para Ordenação (pOrdenacao): \"9\". Use um destes valores: 0 "
            "(Protocolo), 1 (Protocolo e item), 2 (Data de lançamento), 3 (Empresa), 4 (Empresa e "
            "estabelecimento); ou deixe vazio.\n");
  EXPECT_FALSE(fs::exists(output)) << "a refused run leaves no document";
  // Text used to mean ordering 0 silently.
  for (const char* refused : {"abc", "5", "-1", "1.0"}) {
    outcome = Receipt({std::string("pOrdenacao=") + refused});
    EXPECT_EQ(outcome.Status, 1) << refused;
    EXPECT_NE(outcome.Err.find("(pOrdenacao): \"" + std::string(refused) + "\""), std::string::npos)
        << outcome.Err;
  }
  for (const char* accepted : {"0", "1", "2", "3", "4", ""}) {
    EXPECT_EQ(Receipt({std::string("pOrdenacao=") + accepted}).Status, 0) << accepted;
  }

  outcome = Receipt({"pTipoPro=1 or 1=1"});
  EXPECT_EQ(outcome.Status, 1);
  EXPECT_NE(outcome.Err.find("(pTipoPro): \"1 or 1=1\""), std::string::npos) << outcome.Err;

  outcome = Kdr({"run", "KdrProtocoloEmpresa", "--db", Url(), "-p", "pDataInicial=01/03/2026", "-p",
                 "pDataFinal=99/99/2026"});
  EXPECT_EQ(outcome.Status, 1);
  EXPECT_EQ(outcome.Err, "Data final invalida!\n");
}

TEST_F(ReceiptCommand, DescribeListsTheParametersAndPublishedOperations) {
  const Outcome outcome = Kdr({"describe", "KdrProtocoloEmpresa"});
  ASSERT_EQ(outcome.Status, 0) << outcome.Err;
  for (const char* text :
       {"pDataInicial", "pDataFinal", "pOrdenacao", "pCodigoRota", "pTipoPro", "ImprimirInterno",
        "DoParamExit(Sender: TObject; _AParam: TjxsParamItem)", "Data de lançamento"}) {
    EXPECT_NE(outcome.Out.find(text), std::string::npos) << text << "\n" << outcome.Out;
  }
}

}  // namespace
