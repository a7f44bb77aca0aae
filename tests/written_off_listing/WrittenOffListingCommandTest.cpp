// The written-off listing end to end: `kdr` on an office the test fills, read back from the
// JSON document.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/ListingOffice.h"
#include "written_off_listing/Sections.h"

using namespace baixa_protocolo;
using listing::json;

namespace {

const std::string kBaixa = "KdrBaixaProtocolo";

// The office of AddMarchWriteOffs: five protocols written off in March 2026, two not listed.
class WrittenOffListingTest : public listing::ListingTest {
 protected:
  void SetUp() override {
    ListingTest::SetUp();
    AddMarchWriteOffs();
  }

  json List(const std::vector<std::string>& parameters) const {
    return RunJson(kBaixa, parameters);
  }
};

TEST_F(WrittenOffListingTest, CompanyPlanListsEachCompanyWithItsCount) {
  const json document = List({"pQuebra=0"});
  EXPECT_EQ(document["version"], "[versao: 1.0.0.0]");
  EXPECT_EQ(Sections(document),
            (std::vector<int>{kSecaoCabecalhoPagina, kSecaoTitulosEmpresa, kSecaoSeparador,
                              kSecaoTituloQuebra, kSecaoLinhaEmpresa, kSecaoLinhaEmpresa,
                              kSecaoLinhaEmpresa, kSecaoLinhaEmpresa, kSecaoTotalQuebra,
                              kSecaoSeparador, kSecaoTituloQuebra, kSecaoLinhaEmpresa,
                              kSecaoTotalQuebra, kSecaoSeparador}));
  EXPECT_EQ(Values(document, kSecaoTituloQuebra, "RTitulo"),
            (std::vector<std::string>{"Empresa: 1 - Padaria Pão Quente",
                                      "Empresa: 2 - Oficina São José"}));
  EXPECT_EQ(
      Values(document, kSecaoTotalQuebra, "R4"),
      (std::vector<std::string>{"Total de Baixas por: Empresa", "Total de Baixas por: Empresa"}));
  EXPECT_EQ(Values(document, kSecaoTotalQuebra, "R5"),
            (std::vector<std::string>{"4 Protocolos", "1 Protocolo"}));

  const json titles = Bands(document, kSecaoTitulosEmpresa).at(0);
  EXPECT_EQ(Value(titles, "C1"), "Filial");
  EXPECT_EQ(Value(titles, "C5"), "Data Hora Baixa");
  const json row = Bands(document, kSecaoLinhaEmpresa).at(0);
  EXPECT_EQ(Value(row, "R0"), "101");
  EXPECT_EQ(Value(row, "R1"), "1 Padaria Pão Quente Ltda, Matriz");
  EXPECT_EQ(Value(row, "R2"), "8 João Lima");
  EXPECT_EQ(Value(row, "R3"), "Carlos");
  EXPECT_EQ(Value(row, "R4"), "20/02/2026");
  EXPECT_EQ(Value(row, "R5"), "05/03/2026 10:00:00");
  EXPECT_TRUE(document["messages"].empty());
}

TEST_F(WrittenOffListingTest, BranchPlanNestsBranchesInCompaniesAndClosesInnermostFirst) {
  const json document = List({"pQuebra=1"});
  const int T = kSecaoTituloQuebra, L = kSecaoLinhaFilialUsuario, S = kSecaoTotalQuebra,
            R = kSecaoSeparador;
  EXPECT_EQ(Sections(document), (std::vector<int>{kSecaoCabecalhoPagina,
                                                  kSecaoTitulosFilialUsuario,
                                                  R,
                                                  T,
                                                  T,
                                                  L,
                                                  L,
                                                  S,
                                                  R,
                                                  T,
                                                  L,
                                                  L,
                                                  S,
                                                  R,
                                                  S,
                                                  R,
                                                  T,
                                                  T,
                                                  L,
                                                  S,
                                                  R,
                                                  S,
                                                  R}));
  EXPECT_EQ(Values(document, T, "RTitulo"),
            (std::vector<std::string>{
                "Empresa: 1 - Padaria Pão Quente", "Filial: 1 - Padaria Pão Quente Ltda, Matriz",
                "Filial: 2 - Padaria Pão Quente Ltda, Filial Batel",
                "Empresa: 2 - Oficina São José", "Filial: 1 - Oficina São José ME, Matriz"}));
  EXPECT_EQ(Values(document, S, "R4"),
            (std::vector<std::string>{"Total de Baixas por: Filial", "Total de Baixas por: Filial",
                                      "Total de Baixas por: Empresa", "Total de Baixas por: Filial",
                                      "Total de Baixas por: Empresa"}));
  EXPECT_EQ(Values(document, S, "R5"),
            (std::vector<std::string>{"2 Protocolos", "2 Protocolos", "4 Protocolos", "1 Protocolo",
                                      "1 Protocolo"}));
  const json row = Bands(document, L).at(0);
  EXPECT_EQ(Value(row, "R1"), "8 João Lima");
  EXPECT_EQ(Value(row, "R4"), "05/03/2026 10:00:00");
  EXPECT_EQ(Value(Bands(document, kSecaoTitulosFilialUsuario).at(0), "C1"), "Usuário Baixa");
}

TEST_F(WrittenOffListingTest, DatePlanGroupsCompaniesUnderTheWriteOffDate) {
  const json document = List({"pQuebra=2"});
  EXPECT_EQ(Values(document, kSecaoTituloQuebra, "RTitulo"),
            (std::vector<std::string>{"Data Baixa: 02/03/2026", "Empresa: 1 - Padaria Pão Quente",
                                      "Data Baixa: 05/03/2026", "Empresa: 1 - Padaria Pão Quente",
                                      "Empresa: 2 - Oficina São José", "Data Baixa: 20/03/2026",
                                      "Empresa: 1 - Padaria Pão Quente"}));
  EXPECT_EQ(Protocols(document, kSecaoLinhaData), (std::vector<int>{102, 104, 101, 103, 107}));
  EXPECT_EQ(Values(document, kSecaoTitulosData, "C4"),
            (std::vector<std::string>{"Data Lançamento"}));
  EXPECT_EQ(Value(Bands(document, kSecaoLinhaData).at(0), "R4"), "10/02/2026");
  EXPECT_EQ(Values(document, kSecaoTotalQuebra, "R4").back(), "Total de Baixas por: Data da Baixa");
}

TEST_F(WrittenOffListingTest, UserPlanGroupsCompaniesUnderTheUserWhoWroteOff) {
  const json document = List({"pQuebra=3"});
  EXPECT_EQ(Values(document, kSecaoTituloQuebra, "RTitulo"),
            (std::vector<std::string>{"7 - Maria Souza", "Empresa: 1 - Padaria Pão Quente",
                                      "Empresa: 2 - Oficina São José", "8 - João Lima",
                                      "Empresa: 1 - Padaria Pão Quente", "9 - Ana Prado",
                                      "Empresa: 1 - Padaria Pão Quente"}));
  EXPECT_EQ(Values(document, kSecaoTitulosFilialUsuario, "C2"),
            (std::vector<std::string>{"Usuário Recebimento"}));
  const json row = Bands(document, kSecaoLinhaFilialUsuario).at(0);
  EXPECT_EQ(Value(row, "R1"), "2 Padaria Pão Quente Ltda, Filial Batel");
  EXPECT_EQ(Value(row, "R2"), "Rita");
  EXPECT_EQ(Values(document, kSecaoTotalQuebra, "R4").back(), "Total de Baixas por: Usuário");
}

// Every run creates its own instance: the ordering comes from the run's own plan.
TEST_F(WrittenOffListingTest, OrderingIsAppliedInsideTheGroupsOfEveryPlan) {
  struct Case {
    std::string Plan;
    std::string Ordering;
    int Section;
    std::vector<int> Protocols;
  };
  const std::vector<Case> cases = {
      {"0", "", kSecaoLinhaEmpresa, {101, 102, 104, 107, 103}},
      {"0", "3", kSecaoLinhaEmpresa, {107, 104, 102, 101, 103}},
      {"0", "4", kSecaoLinhaEmpresa, {102, 104, 101, 107, 103}},
      {"1", "2", kSecaoLinhaFilialUsuario, {104, 101, 107, 102, 103}},
      {"2", "3", kSecaoLinhaData, {104, 102, 101, 103, 107}},
      {"3", "0", kSecaoLinhaFilialUsuario, {102, 107, 103, 101, 104}},
      {"3", "2", kSecaoLinhaFilialUsuario, {107, 102, 103, 101, 104}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> parameters = {"pQuebra=" + c.Plan};
    if (!c.Ordering.empty()) parameters.push_back("pOrdenacao=" + c.Ordering);
    EXPECT_EQ(Protocols(List(parameters), c.Section), c.Protocols)
        << "pQuebra " << c.Plan << " pOrdenacao " << c.Ordering;
  }
}

TEST_F(WrittenOffListingTest, ItemsPrintInOneColumnUnderTheirProtocol) {
  AddItem(101, 1, "Guia DAS", "1234.5", "2026-03-20");
  AddItem(101, 2, "Folha de pagamento", "0", "2026-03-05");
  AddItem(101, 3, "FGTS", "88.1", "2026-03-07");
  AddItem(102, 1, "Recibo de aluguel", "900", "2026-03-10");  // a type 2 protocol
  const json document = List({"pCodigoEmpresa=1", "pItensPro=1", "pColuna=0"});
  EXPECT_EQ(Sections(document),
            (std::vector<int>{kSecaoCabecalhoPagina, kSecaoTitulosEmpresa, kSecaoSeparador,
                              kSecaoTituloQuebra, kSecaoLinhaEmpresa, kSecaoCabecalhoItens,
                              kSecaoTitulosItensUmaColuna, kSecaoItemUmaColuna, kSecaoItemUmaColuna,
                              kSecaoItemUmaColuna, kSecaoLinhaEmpresa, kSecaoLinhaEmpresa,
                              kSecaoLinhaEmpresa, kSecaoTotalQuebra, kSecaoSeparador}));
  const auto lines = Bands(document, kSecaoItemUmaColuna);
  EXPECT_EQ(Value(lines[0], "pDesc1"), "Guia DAS");
  EXPECT_EQ(Value(lines[0], "pValor1"), "1.234,50");
  EXPECT_EQ(Value(lines[0], "pVencto1"), "20/03/2026");
  EXPECT_EQ(Value(lines[1], "pValor1"), "0,00");

  // Both protocol types: the type 2 protocol shows its item too.
  EXPECT_EQ(Bands(List({"pCodigoEmpresa=1", "pItensPro=1-2"}), kSecaoItemUmaColuna).size(), 4u);
}

TEST_F(WrittenOffListingTest, TwoColumnsLeaveTheRightHalfOfAnOddLastLineEmpty) {
  AddItem(101, 1, "Guia DAS", "1234.5", "2026-03-20");
  AddItem(101, 2, "Folha de pagamento", "10", "2026-03-05");
  AddItem(101, 3, "FGTS", "88.1", "2026-03-07");
  const json document = List({"pCodigoEmpresa=1", "pItensPro=1", "pColuna=1"});
  EXPECT_EQ(Bands(document, kSecaoTitulosItensDuasColunas).size(), 1u);
  EXPECT_TRUE(Bands(document, kSecaoItemUmaColuna).empty());
  const auto lines = Bands(document, kSecaoItemDuasColunas);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(Value(lines[0], "pDesc1"), "Guia DAS");
  EXPECT_EQ(Value(lines[0], "pDesc2"), "Folha de pagamento");
  EXPECT_EQ(Value(lines[0], "pValor2"), "10,00");
  EXPECT_EQ(Value(lines[1], "pDesc1"), "FGTS");
  EXPECT_EQ(Value(lines[1], "pDesc2"), "");
  EXPECT_EQ(Value(lines[1], "pValor2"), "");
  EXPECT_EQ(Value(lines[1], "pVencto2"), "");
}

TEST_F(WrittenOffListingTest, ItemsOnlyForProtocolTypesOneOrTwo) {
  AddItem(101, 1, "Guia DAS", "1234.5", "2026-03-20");
  for (const std::string types : {"3", "3-9"}) {
    // Whatever the column choice says: no items are asked for.
    const json document = List({"pItensPro=" + types, "pColuna=1"});
    for (const int section :
         {kSecaoCabecalhoItens, kSecaoTitulosItensDuasColunas, kSecaoItemDuasColunas,
          kSecaoTitulosItensUmaColuna, kSecaoItemUmaColuna}) {
      EXPECT_TRUE(Bands(document, section).empty()) << types << " section " << section;
    }
    EXPECT_EQ(Bands(document, kSecaoLinhaEmpresa).size(), 5u);
  }
}

TEST_F(WrittenOffListingTest, PageBreakOnABreakColumnStartsEachGroupOnItsOwnPage) {
  const json document = List({"pQuebra=0", "pQuebraPag=1"});
  ASSERT_EQ(document["pages"].size(), 2u);
  std::vector<int> second;
  for (const json& band : document["pages"][1]["bands"]) second.push_back(band["section"]);
  EXPECT_EQ(second, (std::vector<int>{kSecaoCabecalhoPagina, kSecaoTitulosEmpresa, kSecaoSeparador,
                                      kSecaoTituloQuebra, kSecaoLinhaEmpresa, kSecaoTotalQuebra,
                                      kSecaoSeparador}));

  // Date groups with a page per company: the date stays on top of the new page.
  const json byDate = List({"pQuebra=2", "pQuebraPag=1"});
  ASSERT_EQ(byDate["pages"].size(), 4u);
  EXPECT_EQ(Value(byDate["pages"][2]["bands"][3], "RTitulo"), "Data Baixa: 05/03/2026");
  EXPECT_EQ(Value(byDate["pages"][2]["bands"][4], "RTitulo"), "Empresa: 2 - Oficina São José");
}

// Around a full page of one company's protocols, the total lands at the foot of the page or
// beyond it: every page starts with the column titles, and a total pushed to a new page comes
// under its group's title.
TEST_F(WrittenOffListingTest, TotalThatDoesNotFitMovesToANewPageUnderItsGroupTitle) {
  Execute("delete from PROTOCOLO");
  bool totalMoved = false;
  for (int count = 1; count <= 75; ++count) {
    Add({1000 + count, 1, 1, "2026-02-20", "2026-02-20 09:00:00", 7, "2026-03-05 10:00:00", 8});
    if (count < 25) continue;
    const json document = List({});
    for (const json& page : document["pages"]) {
      std::vector<int> sections;
      for (const json& band : page["bands"]) sections.push_back(band["section"]);
      ASSERT_GE(sections.size(), 4u) << count;
      EXPECT_EQ(std::vector<int>(sections.begin(), sections.begin() + 3),
                (std::vector<int>{kSecaoCabecalhoPagina, kSecaoTitulosEmpresa, kSecaoSeparador}))
          << count;
      EXPECT_NE(sections[3], kSecaoTotalQuebra) << "a total opens page of " << count;
      totalMoved =
          totalMoved || (sections[3] == kSecaoTituloQuebra && sections[4] == kSecaoTotalQuebra);
    }
    EXPECT_EQ(Values(document, kSecaoTotalQuebra, "R5"),
              (std::vector<std::string>{std::to_string(count) + " Protocolos"}));
  }
  EXPECT_TRUE(totalMoved) << "no count put the total on a page of its own";
}

TEST_F(WrittenOffListingTest, PageBreakOnAColumnThePlanDoesNotGroupIsIgnoredWithAMessage) {
  const json document = List({"pQuebra=0", "pQuebraPag=2"});
  EXPECT_EQ(document["pages"].size(), 1u);
  ASSERT_EQ(document["messages"].size(), 1u);
  EXPECT_EQ(document["messages"][0]["kind"], 4);
  const std::string text = document["messages"][0]["text"];
  EXPECT_NE(text.find("CODIGOESTAB"), std::string::npos) << text;
  const std::string ignored = " Quebra de Página foi ignorada.";
  ASSERT_GT(text.size(), ignored.size());
  EXPECT_EQ(text.substr(text.size() - ignored.size()), ignored) << text;
}

TEST_F(WrittenOffListingTest, ParametersOutsideTheirChoicesAreRefusedBeforeAnythingPrints) {
  // The host checks each value against the choices the form offers.
  const std::string plan = "Valor inválido para Agrupar por (pQuebra): ";
  ExpectRefused(kBaixa, {"pQuebra=4"}, plan + "\"4\"");
  ExpectRefused(kBaixa, {"pQuebra=-1"}, plan);
  ExpectRefused(kBaixa, {"pQuebra=empresa"}, plan);
  // Plan 1 offers positions 0 to 3 only: the form refilled the choices for it.
  ExpectRefused(kBaixa, {"pQuebra=1", "pOrdenacao=4"},
                "Valor inválido para Ordenação dentro do grupo (pOrdenacao): \"4\". Use um destes "
                "valores: 0 (Protocolo), 1 (Usuário), 2 (Data Lançamento), 3 (Data Baixa)");
  ExpectRefused(kBaixa, {"pOrdenacao=x"}, "(pOrdenacao): \"x\"");
  ExpectRefused(kBaixa, {"pItensPro=1", "pColuna=2"}, "Valor inválido para Itens em (pColuna)");
  // Also when the period has nothing to list.
  ExpectRefused(kBaixa, {"pDataInicial=01/01/2020", "pDataFinal=02/01/2020", "pQuebra=9"}, plan);

  const listing::fs::path pdf = FFolder / "baixas.pdf";
  const Outcome outcome = Run(kBaixa, {"pQuebra=5"}, {"-o", pdf.string()});
  EXPECT_EQ(outcome.Status, 1);
  EXPECT_FALSE(listing::fs::exists(pdf));
}

TEST_F(WrittenOffListingTest, HostileItemTypesEndInTheExpressionError) {
  for (const std::string hostile : {"1) or (1=1", "1; drop table PROTOCOLO", "1,'2'"}) {
    ExpectRefused(kBaixa, {"pItensPro=" + hostile}, "Expressão de códigos inválida");
  }
  EXPECT_EQ(Bands(List({}), kSecaoLinhaEmpresa).size(), 5u) << "the protocols are all still there";
}

TEST_F(WrittenOffListingTest, DescribeShowsTheParametersWithTheirChoices) {
  const Outcome outcome = Kdr({"describe", kBaixa});
  ASSERT_EQ(outcome.Status, 0) << outcome.Err;
  for (const std::string part :
       {"TKdrBaixaProtocolo, [versao: 1.0.0.0]", "DepoisConfigurar(_AParent: TWinControl)",
        "Data da Baixa=2", "Usuário=4", "Duas colunas=1", "pItensPro"}) {
    EXPECT_NE(outcome.Out.find(part), std::string::npos) << part << "\n" << outcome.Out;
  }
}

TEST_F(WrittenOffListingTest, DemoOfficePrintsEveryPlan) {
  ExpectDemoPrintsEveryPlan(kBaixa, {"pItensPro=1-2", "pColuna=1"});
}

}  // namespace
