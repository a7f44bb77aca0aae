// The receipt's statements: parameter validation and its order, the items statement for every
// ordering and filter, hostile filter text, and the address statement read once per run.
#include <gtest/gtest.h>

#include <string>

#include "DataAccess.h"
#include "Exception.h"
#include "company_receipt/ReceiptOffice.h"
#include "company_receipt/Sections.h"

using namespace protocolo_empresa;

namespace {

const std::string kItemsNoFilter =
    "select  I.CODIGOPROTOCOLO ,I.SEQITEMPRO ,I.DESCRITEM ,I.DATALCTOPRO ,I.VENCIMENTO ,I.VALOR "
    ",I.CODIGOIMPOSTO ,I.VARIACAOIMPOSTO ,I.CODIGODOCEMP ,I.CodigoFuncContr ,I.CANCELADO "
    ",I.CHAVEORIGEM ,I.COMPETENCIA ,P.CODIGOEMPRESA ,P.CODIGOESTAB ,P.TIPOPRO ,P.OBSERVACAO "
    ",P.DATAHORACADASTRO ,P.CODIGOUSUARIO ,P.FORMAENTREGA ,P.NATUREZAPRO ,P.DATAHORAENTREGA "
    ",P.CODIGOUSUARIOINT ,P.USUARIOEXT ,P.DATAHORABAIXA from PROTOCOLOITEM I join PROTOCOLO P on "
    "I.CODIGOPROTOCOLO = P.CODIGOPROTOCOLO  where P.DATAHORABAIXA is null and P.DATALCTOPRO "
    "between :pDataInicial and :pDataFinal and I.CANCELADO = '0'  order by P.CODIGOPROTOCOLO, "
    "I.SEQITEMPRO, P.CODIGOEMPRESA, P.CODIGOESTAB";

const std::string kRouteJoin =
    "join PROTOCOLOROTAENTREGA R on R.CODIGOEMPRESA = P.CODIGOEMPRESA and R.CODIGOESTAB = "
    "P.CODIGOESTAB  where";

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The filter text between the fixed where clause and the ordering.
std::string Filters(const std::string& statement) {
  const std::string fixedEnd = "I.CANCELADO = '0'";
  const size_t start = statement.find(fixedEnd) + fixedEnd.size();
  return statement.substr(start, statement.find(" order by ") - start);
}

class ItemsStatement : public ReceiptTest {
 protected:
  std::string ItemsStatementFor(std::map<std::string, std::string> parameters) {
    Engine.Queries.clear();
    Run(std::move(parameters));
    EXPECT_FALSE(Engine.Queries.empty());
    return Engine.Queries.empty() ? "" : Engine.Queries.front().Statement;
  }
};

TEST_F(ItemsStatement, WithoutFiltersOnlyTheFixedConditionsAndTheDateRangeApply) {
  Run();
  ASSERT_EQ(Engine.Queries.size(), 1u) << "no items: the address statement never runs";
  EXPECT_EQ(Engine.Queries[0].Statement, kItemsNoFilter);
  ASSERT_EQ(Engine.Queries[0].Values.size(), 2u);
  EXPECT_EQ(Engine.Queries[0].Values[0].AsDateTime(), TDateTime::EncodeDate(2026, 3, 1));
  EXPECT_EQ(Engine.Queries[0].Values[1].AsDateTime(), TDateTime::EncodeDate(2026, 3, 31));
}

TEST_F(ItemsStatement, EachOrderingSortsByItsKeys) {
  const std::string byProtocol =
      " order by P.CODIGOPROTOCOLO, I.SEQITEMPRO, P.CODIGOEMPRESA, P.CODIGOESTAB";
  const std::string byDate =
      " order by P.DATALCTOPRO, P.CODIGOPROTOCOLO, I.SEQITEMPRO, P.CODIGOEMPRESA, P.CODIGOESTAB";
  const std::string byCompany =
      " order by P.CODIGOEMPRESA, P.CODIGOESTAB, P.CODIGOPROTOCOLO, I.SEQITEMPRO";
  const std::map<std::string, std::string> expected = {
      {"0", byProtocol}, {"1", byProtocol}, {"2", byDate},     {"3", byCompany},
      {"4", byCompany},  {"", byProtocol},  {"x", byProtocol}, {" 2 ", byDate}};
  for (const auto& [ordering, end] : expected) {
    const std::string statement = ItemsStatementFor({{"pOrdenacao", ordering}});
    EXPECT_TRUE(EndsWith(statement, end)) << "pOrdenacao \"" << ordering << "\": " << statement;
  }
}

TEST_F(ItemsStatement, OrderingOutsideTheChoicesIsRefusedBeforeAnyStatement) {
  for (const std::string ordering : {"5", "-1", "99"}) {
    Engine.Queries.clear();
    try {
      Run({{"pOrdenacao", ordering}});
      ADD_FAILURE() << "pOrdenacao " << ordering << " was accepted";
    } catch (const EjxsError& error) {
      EXPECT_NE(std::string(error.what()).find(ordering), std::string::npos) << error.what();
      EXPECT_NE(std::string(error.what()).find("0 a 4"), std::string::npos) << error.what();
    }
    EXPECT_TRUE(Engine.Queries.empty());
  }
}

TEST_F(ItemsStatement, RouteFilterLeadsTheOrderingAndTheSelectList) {
  const std::string statement = ItemsStatementFor({{"pCodigoRota", "3"}, {"pOrdenacao", "2"}});
  EXPECT_EQ(statement.rfind("select R.CODIGOROTA, R.SEQROTA,  I.CODIGOPROTOCOLO ,", 0), 0u)
      << statement;
  EXPECT_NE(statement.find(kRouteJoin), std::string::npos) << statement;
  EXPECT_EQ(Filters(statement), " " + FilterInterval({"R.CODIGOROTA"}, "3", {1}, true, 1));
  EXPECT_TRUE(EndsWith(statement,
                       " order by R.CODIGOROTA, R.SEQROTA, P.DATALCTOPRO, P.CODIGOPROTOCOLO, "
                       "I.SEQITEMPRO, P.CODIGOEMPRESA, P.CODIGOESTAB"))
      << statement;
}

TEST_F(ItemsStatement, CodeFiltersFollowTheFixedConditionInOrder) {
  const std::string statement = ItemsStatementFor({{"pCodigoProtocolo", " 7,10-20 "},
                                                   {"pCodigoEstab", "2"},
                                                   {"pCodigoEmpresa", "1-3"},
                                                   {"pCodigoRota", "4"}});
  EXPECT_EQ(Filters(statement), " " + FilterInterval({"P.CODIGOEMPRESA"}, "1-3", {1}, true, 1) +
                                    FilterInterval({"P.CODIGOESTAB"}, "2", {1}, true, 1) +
                                    FilterInterval({"P.CODIGOPROTOCOLO"}, "7,10-20", {1}, true, 1) +
                                    FilterInterval({"R.CODIGOROTA"}, "4", {1}, true, 1));
}

TEST_F(ItemsStatement, ZeroOrBlankFlagsAddNoCondition) {
  const std::string statement =
      ItemsStatementFor({{"pFormaEntrega", "0"}, {"pNatureza", "   "}, {"pTipoPro", " 0 "}});
  EXPECT_EQ(Filters(statement), " ");
}

TEST_F(ItemsStatement, FlagsEnterAsLiteralsAndTheTypeAsANumber) {
  const std::string statement =
      ItemsStatementFor({{"pFormaEntrega", " 2 "}, {"pNatureza", "E"}, {"pTipoPro", "12"}});
  EXPECT_EQ(
      Filters(statement),
      "  and P.FORMAENTREGA = '2' and P.NATUREZAPRO = 'E' and CAST(P.TIPOPRO AS INTEGER) = 12");
}

TEST_F(ItemsStatement, HostileFlagTextStaysInsideItsLiteral) {
  Protocolo(7, 1, 1, "Guias de março");
  Item(7, 1, "DAS");
  const auto harness = Run({{"pFormaEntrega", "1' or '1'='1"}, {"pNatureza", "E'; --"}});
  ASSERT_FALSE(Engine.Queries.empty());
  EXPECT_EQ(Filters(Engine.Queries[0].Statement),
            "  and P.FORMAENTREGA = '1'' or ''1''=''1' and P.NATUREZAPRO = 'E''; --'");
  EXPECT_TRUE(harness->Bands().empty()) << "no protocol has such a delivery form";
}

TEST_F(ItemsStatement, HostileTypeOrCodeTextIsRefusedBeforeAnyStatement) {
  const std::vector<std::map<std::string, std::string>> hostile = {
      {{"pTipoPro", "1 or 1=1"}},
      {{"pTipoPro", "1;"}},
      {{"pTipoPro", "um"}},
      {{"pCodigoEmpresa", "1) or (1=1"}},
      {{"pCodigoRota", "1; drop table PROTOCOLO"}},
  };
  for (const auto& parameters : hostile) {
    Engine.Queries.clear();
    const std::string text = parameters.begin()->second;
    try {
      Run(parameters);
      ADD_FAILURE() << text << " was accepted";
    } catch (const EjxsError& error) {
      EXPECT_NE(std::string(error.what()).find(text), std::string::npos) << error.what();
    }
    EXPECT_TRUE(Engine.Queries.empty()) << text;
  }
}

class ParameterValidation : public ReceiptTest {};

TEST_F(ParameterValidation, InitialDateIsCheckedFirst) {
  const auto run = [](const std::string& initial, const std::string& final) {
    ReportHarness harness("KdrProtocoloEmpresa",
                          {{"pDataInicial", initial}, {"pDataFinal", final}});
    try {
      harness.Run<TKdrProtocoloEmpresa>();
    } catch (const EjxsError& error) {
      return std::string(error.what());
    }
    return std::string("no error");
  };
  EXPECT_EQ(run("31/02/2026", "nunca"), "Data inicial invalida!");
  EXPECT_EQ(run("", ""), "Data inicial invalida!");
  EXPECT_EQ(run("01/03/2026", "32/03/2026"), "Data final invalida!");
  EXPECT_TRUE(Engine.Queries.empty());
}

TEST_F(ParameterValidation, ReversedRangeSelectsNothingWithoutError) {
  Protocolo(7, 1, 1, "Guias de março");
  Item(7, 1, "DAS");
  const auto harness = Run({{"pDataInicial", "31/03/2026"}, {"pDataFinal", "01/03/2026"}});
  EXPECT_TRUE(harness->Bands().empty());
}

class AddressStatement : public ReceiptTest {};

TEST_F(AddressStatement, RunsOnceForAllProtocolsAndEstablishments) {
  Estab(1, 2, "Filial", 2, "Brasil", 900, std::nullopt, "Batel", std::nullopt, std::nullopt);
  Protocolo(1, 1, 1, "Um");
  Protocolo(2, 1, 2, "Dois");
  Protocolo(3, 1, 1, "Três");
  for (int protocol = 1; protocol <= 3; ++protocol) Item(protocol, 1, "Guia");
  const auto harness = Run();
  EXPECT_EQ(BandsOf(*harness, kSecaoCabecalhoEstab).size(), 3u);
  EXPECT_EQ(Engine.CountHolding(kAddressStatement), 1);
  EXPECT_EQ(Engine.Queries.size(), 2u);
}

TEST_F(AddressStatement, CodeFiltersAreBareConditionsBehindOneWhere) {
  Protocolo(1, 1, 1, "Um");
  Item(1, 1, "Guia");
  Run({{"pCodigoEmpresa", "1"}, {"pCodigoEstab", "1-2"}});
  ASSERT_EQ(Engine.CountHolding(kAddressStatement), 1);
  const std::string& statement = Engine.Queries.back().Statement;
  EXPECT_TRUE(EndsWith(statement, "C.MESMOENDERECOENT = '0'  where " +
                                      FilterInterval({"F.CODIGOEMPRESA"}, "1", {1}, false, 1) +
                                      " and " +
                                      FilterInterval({"F.CODIGOESTAB"}, "1-2", {1}, false, 1)))
      << statement;
  EXPECT_TRUE(Engine.Queries.back().Values.empty());

  Engine.Queries.clear();
  Run({{"pCodigoEstab", "1"}});
  EXPECT_TRUE(EndsWith(Engine.Queries.back().Statement,
                       "'0'  where " + FilterInterval({"F.CODIGOESTAB"}, "1", {1}, false, 1)))
      << Engine.Queries.back().Statement;
}

}  // namespace
