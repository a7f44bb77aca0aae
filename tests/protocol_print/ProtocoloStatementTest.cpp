// The item statement built from the filters, the parameters that are refused before anything
// runs, and the rows the statement selects.
#include "DataAccess.h"
#include "protocol_print/ProtocoloOffice.h"
#include "protocol_print/Sections.h"

using namespace protocolo;

namespace {

const std::string kColumns =
    "I.CODIGOPROTOCOLO ,I.SEQITEMPRO ,I.DESCRITEM ,I.DATALCTOPRO ,I.VENCIMENTO ,I.VALOR "
    ",I.CODIGOIMPOSTO ,I.VARIACAOIMPOSTO ,I.CODIGODOCEMP ,I.CodigoFuncContr ,I.CANCELADO "
    ",I.CHAVEORIGEM ,I.COMPETENCIA ,P.CODIGOEMPRESA ,P.CODIGOESTAB ,P.TIPOPRO ,P.OBSERVACAO "
    ",P.DATAHORACADASTRO ,P.CODIGOUSUARIO ,P.FORMAENTREGA ,P.NATUREZAPRO ,P.DATAHORAENTREGA "
    ",P.CODIGOUSUARIOINT ,P.USUARIOEXT ,P.DATAHORABAIXA from PROTOCOLOITEM I join PROTOCOLO P on "
    "I.CODIGOPROTOCOLO = P.CODIGOPROTOCOLO ";
const std::string kWhere =
    "where P.DATAHORABAIXA is null and P.DATALCTOPRO between :pDataInicial and :pDataFinal and "
    "I.CANCELADO = '0' ";

class ProtocoloStatement : public ProtocoloOffice {
 protected:
  std::string Statement(const std::map<std::string, std::string>& params) {
    ReportHarness harness("KdrProtocolo", March("G", params));
    TKdrProtocolo report(&harness.Writer());
    report.MontarSQL();
    return report.SQL();
  }
};

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST_F(ProtocoloStatement, WithoutFiltersSelectsOpenItemsOfTheRangeByProtocol) {
  EXPECT_EQ(Statement({}),
            "select  " + kColumns + " " + kWhere +
                "  order by P.CODIGOPROTOCOLO, I.SEQITEMPRO, P.CODIGOEMPRESA, P.CODIGOESTAB");
}

TEST_F(ProtocoloStatement, RouteFilterJoinsTheRouteAndOrdersByIt) {
  const std::string route = FilterInterval({"R.CODIGOROTA"}, "1-3", {1}, true, 3);
  EXPECT_EQ(Statement({{"pCodigoRota", " 1-3 "}}),
            "select R.CODIGOROTA, R.SEQROTA,  " + kColumns +
                "join PROTOCOLOROTAENTREGA R on R.CODIGOEMPRESA = P.CODIGOEMPRESA and "
                "R.CODIGOESTAB = P.CODIGOESTAB  " +
                kWhere + " " + route +
                " order by R.CODIGOROTA, R.SEQROTA, P.CODIGOPROTOCOLO, I.SEQITEMPRO, "
                "P.CODIGOEMPRESA, P.CODIGOESTAB");
}

TEST_F(ProtocoloStatement, IntervalFiltersAreAppendedInTheirOrder) {
  const std::string sql =
      Statement({{"pCodigoEmpresa", "1,3"}, {"pCodigoEstab", "2"}, {"pCodigoProtocolo", "10-20"}});
  const std::string expected = FilterInterval({"P.CODIGOEMPRESA"}, "1,3", {1}, true, 3) +
                               FilterInterval({"P.CODIGOESTAB"}, "2", {1}, true, 3) +
                               FilterInterval({"P.CODIGOPROTOCOLO"}, "10-20", {1}, true, 3);
  EXPECT_TRUE(Contains(sql, kWhere + " " + expected + " order by P.CODIGOPROTOCOLO")) << sql;
  EXPECT_FALSE(Contains(sql, "PROTOCOLOROTAENTREGA"));
}

TEST_F(ProtocoloStatement, ZeroOrEmptyEqualityFiltersAddNothing) {
  for (const std::string none : {"", "0", " 0 "}) {
    const std::string sql =
        Statement({{"pFormaEntrega", none}, {"pNatureza", none}, {"pTipoPro", none}});
    EXPECT_FALSE(Contains(sql, "FORMAENTREGA =")) << sql;
    EXPECT_FALSE(Contains(sql, "NATUREZAPRO =")) << sql;
    EXPECT_FALSE(Contains(sql, "TIPOPRO AS INTEGER")) << sql;
  }
}

TEST_F(ProtocoloStatement, DeliveryFormAndNatureAreQuotedTexts) {
  const std::string sql = Statement({{"pFormaEntrega", "2"}, {"pNatureza", "S' or '1'='1"}});
  EXPECT_TRUE(Contains(sql,
                       "'0'   and P.FORMAENTREGA = '2' and P.NATUREZAPRO = 'S'' or ''1''=''1' "
                       "order by"))
      << sql;
}

TEST_F(ProtocoloStatement, ProtocolTypeIsPastedAsANumber) {
  EXPECT_TRUE(Contains(Statement({{"pTipoPro", " 3 "}}), " and CAST(P.TIPOPRO AS INTEGER) = 3 "));
  EXPECT_TRUE(Contains(Statement({{"pTipoPro", "-2"}}), " and CAST(P.TIPOPRO AS INTEGER) = -2 "));
}

TEST_F(ProtocoloStatement, ProtocolTypeThatIsNoWholeNumberIsRefused) {
  for (const std::string bad :
       {"3 or 1=1", "abc", "3.5", "1;drop table PROTOCOLO", "99999999999"}) {
    try {
      Statement({{"pTipoPro", bad}});
      ADD_FAILURE() << "accepted: " << bad;
    } catch (const EjxsError& error) {
      EXPECT_TRUE(Contains(error.Message(), "Tipo de protocolo inválido")) << error.Message();
      EXPECT_TRUE(Contains(error.Message(), bad)) << error.Message();
    }
  }
}

// Parameters a run refuses: the message, and no statement has reached the database.
class ProtocoloRefusedParameters : public ProtocoloOffice {
 protected:
  ProtocoloRefusedParameters() {
    AddProtocol(1);
    AddItems(1, 1);
  }

  void ExpectRefused(const std::map<std::string, std::string>& params, const std::string& message) {
    ReportHarness harness("KdrProtocolo", params);
    try {
      harness.Run<TKdrProtocolo>();
      ADD_FAILURE() << "run accepted the parameters; expected: " << message;
    } catch (const EjxsError& error) {
      EXPECT_EQ(error.Message(), message);
    }
    EXPECT_TRUE(FRecorder.Queries.empty()) << FRecorder.Queries.front().Statement;
    EXPECT_FALSE(harness.Writer().OnAfterSection);
  }
};

TEST_F(ProtocoloRefusedParameters, MissingOrInvalidDates) {
  ExpectRefused({{"pDataFinal", "31/03/2026"}}, "Data inicial invalida!");
  ExpectRefused({{"pDataInicial", "31/02/2026"}, {"pDataFinal", "31/03/2026"}},
                "Data inicial invalida!");
  ExpectRefused({{"pDataInicial", "01/03/2026"}, {"pDataFinal", "março"}}, "Data final invalida!");
}

TEST_F(ProtocoloRefusedParameters, ProtocolTypeBeforeTheLogoIsRead) {
  ExpectRefused(March("G", {{"pTipoPro", "1 or 1=1"}, {"pCodigoEmpresaLogo", "1"}}),
                "Tipo de protocolo inválido: \"1 or 1=1\". Informe o código numérico do tipo, "
                "ou deixe vazio para todos.");
}

TEST_F(ProtocoloRefusedParameters, ColumnModesOtherThanOneOrTwoColumns) {
  ExpectRefused(March("C", {{"pColuna", "2"}}),
                "Colunas inválidas: \"2\". Use 0 para uma coluna de itens ou 1 para duas colunas.");
  ExpectRefused(March("C", {{"pColuna", "duas"}}),
                "Colunas inválidas: \"duas\". Use 0 para uma coluna de itens ou 1 para duas "
                "colunas.");
}

// What the statement selects, seen in the printed item lines.
TEST_F(ProtocoloOffice, OnlyOpenUncancelledItemsOfTheRangePrint) {
  AddProtocol(1, "No período");
  AddItem(1, 1, "Guia a entregar");
  FData.Add(office::Item{.Protocol = 1,
                         .Sequence = 2,
                         .Description = "Item cancelado",
                         .Value = std::nullopt,
                         .Due = std::nullopt,
                         .Competence = std::nullopt,
                         .Cancelled = "1"});
  FData.Add(office::Protocol{.Code = 2, .Note = "Baixado", .WrittenOff = "2026-03-12 10:00:00"});
  AddItem(2, 1, "Já entregue");
  AddProtocol(3, "Primeiro dia", 1, 1, "2026-03-01");
  AddItem(3, 1, "Do primeiro dia");
  AddProtocol(4, "Abril", 1, 1, "2026-04-01");
  AddItem(4, 1, "Fora do período");

  const auto harness = Run(March("C"));
  std::vector<std::string> printed;
  for (const Band* band : BandsOf(*harness, kSecaoItemUmaColuna)) {
    if (HasValue(*band, "pDesc")) printed.push_back(ReportHarness::Value(*band, "pDesc"));
  }
  EXPECT_EQ(printed, (std::vector<std::string>{"Do primeiro dia", "Guia a entregar"}));
}

TEST_F(ProtocoloOffice, NothingSelectedPrintsNothing) {
  AddProtocol(1, "Abril", 1, 1, "2026-04-01");
  AddItems(1, 2);
  const auto harness = Run(March("G"));
  EXPECT_TRUE(harness->Sink.Pages.empty());
  EXPECT_TRUE(harness->Sink.Messages.empty());
}

}  // namespace
