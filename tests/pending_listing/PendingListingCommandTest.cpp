// The pending listing end to end: `kdr` on an office the test fills, read back from the JSON
// document.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pending_listing/Sections.h"
#include "support/ListingOffice.h"

using namespace nao_baixados;
using listing::json;

namespace {

const std::string kPendentes = "KdrProtocolosNaoBaixados";

// Six protocols launched in March 2026 and still pending, one written off and one launched in
// April (neither listed).
class PendingListingTest : public listing::ListingTest {
 protected:
  void SetUp() override {
    ListingTest::SetUp();
    // Codigo, Empresa, Estab, Lancamento, Cadastro, Usuario, Baixa
    Add({201, 1, 1, "2026-03-03", "2026-03-03 15:00:00", 7, ""});
    Add({202, 1, 2, "2026-03-03", "2026-03-03 08:30:00", 8, ""});
    Add({203, 2, 1, "2026-03-10", "2026-03-10 10:00:00", 7, ""});
    Add({204, 1, 1, "2026-03-10", "2026-03-10 09:00:00", 7, ""});
    Add({205, 1, 1, "2026-03-05", "2026-03-05 09:00:00", 7, "2026-03-20 10:00:00", 7, "Rita"});
    Add({206, 2, 1, "2026-04-01", "2026-04-01 09:00:00", 7, ""});
    Add({207, 1, 2, "2026-03-10", "2026-03-10 07:00:00", 9, ""});
    Add({208, 1, 1, "2026-03-01", "2026-03-01 11:00:00", 8, ""});
  }

  json List(const std::vector<std::string>& parameters) const {
    return RunJson(kPendentes, parameters);
  }
};

TEST_F(PendingListingTest, CompanyPlanCountsThePendingProtocolsOfEachCompany) {
  const json document = List({});
  EXPECT_EQ(document["version"], "[versao: 1.0.0.0]");
  const int L = kSecaoLinhaEmpresa;
  EXPECT_EQ(Sections(document),
            (std::vector<int>{kSecaoCabecalhoPagina, kSecaoTitulosEmpresa, kSecaoSeparador,
                              kSecaoTituloQuebra, L, L, L, L, L, kSecaoTotalQuebra, kSecaoSeparador,
                              kSecaoTituloQuebra, L, kSecaoTotalQuebra, kSecaoSeparador}));
  EXPECT_EQ(Values(document, kSecaoTotalQuebra, "R4"),
            (std::vector<std::string>{"Total de Lançamentos por: Empresa",
                                      "Total de Lançamentos por: Empresa"}));
  EXPECT_EQ(Values(document, kSecaoTotalQuebra, "R5"),
            (std::vector<std::string>{"5 Protocolos", "1 Protocolo"}));
  const json titles = Bands(document, kSecaoTitulosEmpresa).at(0);
  EXPECT_EQ(Value(titles, "C2"), "Usuário Cadastro");
  EXPECT_EQ(Value(titles, "C4"), "Cadastro");
  const json row = Bands(document, L).at(0);
  EXPECT_EQ(Value(row, "R0"), "201");
  EXPECT_EQ(Value(row, "R1"), "1 Padaria Pão Quente Ltda, Matriz");
  EXPECT_EQ(Value(row, "R2"), "7 Maria Souza");
  EXPECT_EQ(Value(row, "R3"), "03/03/2026");
  EXPECT_EQ(Value(row, "R4"), "03/03/2026 15:00:00");
}

TEST_F(PendingListingTest, BranchAndUserPlansNameTheirGroups) {
  const json byBranch = List({"pQuebra=1"});
  EXPECT_EQ(Values(byBranch, kSecaoTituloQuebra, "RTitulo"),
            (std::vector<std::string>{
                "Empresa: 1 - Padaria Pão Quente", "Filial: 1 - Padaria Pão Quente Ltda, Matriz",
                "Filial: 2 - Padaria Pão Quente Ltda, Filial Batel",
                "Empresa: 2 - Oficina São José", "Filial: 1 - Oficina São José ME, Matriz"}));
  EXPECT_EQ(Values(byBranch, kSecaoTotalQuebra, "R4").front(), "Total de Lançamentos por: Filial");
  EXPECT_EQ(Values(byBranch, kSecaoTitulosFilialUsuario, "C1"),
            (std::vector<std::string>{"Usuário Cadastro"}));

  const json byUser = List({"pQuebra=3"});
  EXPECT_EQ(Values(byUser, kSecaoTituloQuebra, "RTitulo"),
            (std::vector<std::string>{"7 - Maria Souza", "Empresa: 1 - Padaria Pão Quente",
                                      "Empresa: 2 - Oficina São José", "8 - João Lima",
                                      "Empresa: 1 - Padaria Pão Quente", "9 - Ana Prado",
                                      "Empresa: 1 - Padaria Pão Quente"}));
  EXPECT_EQ(Values(byUser, kSecaoTotalQuebra, "R4").back(), "Total de Lançamentos por: Usuário");
  EXPECT_EQ(Values(byUser, kSecaoTitulosFilialUsuario, "C2"),
            (std::vector<std::string>{"Lançamento"}));
}

TEST_F(PendingListingTest, LaunchDatePlanShowsTheDateInTheTitleAndNotAsAColumn) {
  const json document = List({"pQuebra=2"});
  EXPECT_EQ(Values(document, kSecaoTituloQuebra, "RTitulo"),
            (std::vector<std::string>{"Lançamento: 01/03/2026", "Empresa: 1 - Padaria Pão Quente",
                                      "Lançamento: 03/03/2026", "Empresa: 1 - Padaria Pão Quente",
                                      "Lançamento: 10/03/2026", "Empresa: 1 - Padaria Pão Quente",
                                      "Empresa: 2 - Oficina São José"}));
  const json titles = Bands(document, kSecaoTitulosData).at(0);
  EXPECT_EQ(Value(titles, "C3"), "Cadastro");
  EXPECT_EQ(Value(titles, "C4"), "");
  const json row = Bands(document, kSecaoLinhaData).at(0);
  EXPECT_EQ(Value(row, "R2"), "8 João Lima");
  EXPECT_EQ(Value(row, "R3"), "01/03/2026 11:00:00");
  for (const json& band : Bands(document, kSecaoLinhaData)) {
    for (const auto& [name, value] : band["values"].items()) {
      if (name.size() == 2 && name[0] == 'R') {
        EXPECT_NE(value.get<std::string>().size(), 10u) << "a date-only column " << name;
      }
    }
  }
  EXPECT_EQ(Values(document, kSecaoTotalQuebra, "R4").back(),
            "Total de Lançamentos por: Data de Lançamento");
}

// Every run takes the keys from its own plan, also when no form event chose the plan.
TEST_F(PendingListingTest, OrderingIsAppliedInsideTheGroupsOfEveryPlan) {
  struct Case {
    std::vector<std::string> Parameters;
    int Section;
    std::vector<int> Protocols;
  };
  const std::vector<Case> cases = {
      {{}, kSecaoLinhaEmpresa, {201, 202, 204, 207, 208, 203}},
      {{"pOrdenacao=1"}, kSecaoLinhaEmpresa, {201, 204, 208, 202, 207, 203}},
      {{"pQuebra=0", "pOrdenacao=3"}, kSecaoLinhaEmpresa, {208, 201, 202, 204, 207, 203}},
      {{"pQuebra=1", "pOrdenacao=2"}, kSecaoLinhaFilialUsuario, {208, 201, 204, 202, 207, 203}},
      {{"pQuebra=2"}, kSecaoLinhaData, {208, 201, 202, 204, 207, 203}},
      // Registration time inside each date and company.
      {{"pQuebra=2", "pOrdenacao=3"}, kSecaoLinhaData, {208, 202, 201, 207, 204, 203}},
      {{"pQuebra=3", "pOrdenacao=2"}, kSecaoLinhaFilialUsuario, {201, 204, 203, 208, 202, 207}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Protocols(List(c.Parameters), c.Section), c.Protocols)
        << ::testing::PrintToString(c.Parameters);
  }
}

TEST_F(PendingListingTest, PageBreakOnTheLaunchDateAndTheMessageForAColumnNotGrouped) {
  const json byDate = List({"pQuebra=2", "pQuebraPag=3"});
  ASSERT_EQ(byDate["pages"].size(), 3u);
  EXPECT_TRUE(byDate["messages"].empty());

  const json document = List({"pQuebra=0", "pQuebraPag=3"});
  EXPECT_EQ(document["pages"].size(), 1u);
  ASSERT_EQ(document["messages"].size(), 1u);
  EXPECT_EQ(document["messages"][0]["kind"], 4);
  const std::string text = document["messages"][0]["text"];
  EXPECT_NE(text.find("DATALCTOPRO"), std::string::npos) << text;
  const std::string ignored = " Quebra de Página foi ignorada.";
  ASSERT_GT(text.size(), ignored.size());
  EXPECT_EQ(text.substr(text.size() - ignored.size()), ignored) << text;
}

TEST_F(PendingListingTest, PlanOrOrderingOutsideTheirChoicesIsRefused) {
  // The host checks each value against the choices the form offers for the plan.
  ExpectRefused(kPendentes, {"pQuebra=4"}, "Valor inválido para Agrupar por (pQuebra): \"4\"");
  ExpectRefused(kPendentes, {"pOrdenacao=4"},
                "(pOrdenacao): \"4\". Use um destes valores: 0 (Protocolo), 1 (Filial), "
                "2 (Usuário), 3 (Data Lançamento)");
  ExpectRefused(kPendentes, {"pOrdenacao=-1"}, "(pOrdenacao): \"-1\"");
  ExpectRefused(kPendentes, {"pCodigoEmpresa=1 or 1=1"}, "Expressão de códigos inválida");
}

TEST_F(PendingListingTest, DemoOfficePrintsEveryPlan) {
  ExpectDemoPrintsEveryPlan(kPendentes, {"pDataInicial=01/05/2026", "pDataFinal=30/06/2026"});
}

}  // namespace
