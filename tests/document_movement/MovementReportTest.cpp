// The document movement report on the real report writer: which documents it prints, what
// each movement line shows, the statement it builds from the selection, and the runs it
// refuses before printing anything.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Exception.h"
#include "document_movement/MovementSupport.h"

namespace movimentacao {
namespace {

class MovementReportTest : public MovementTest {
 protected:
  void SetUp() override {
    MovementTest::SetUp();
    Company(1, "Padaria Pão Quente Ltda");
    Establishment(1, 1, "Padaria Pão Quente - Matriz");
    Establishment(1, 2, "Padaria Pão Quente - Filial");
    Company(2, "Oficina São José");
    Establishment(2, 1, "Oficina São José");

    Document(10, 1, 1, "Contrato social");
    // Stored out of order: the report prints them by sequence.
    Move({10, 3, std::nullopt, "2026-03-20", std::nullopt, std::nullopt, std::nullopt});
    Move({10, 1, 1, "2026-03-02", 1, 7, "Recebido na recepção"});
    Move({10, 2, 2, "2026-02-27", std::nullopt, 12345, "Levado ao cartório"});
    Document(11, 1, 2, "Alvará de funcionamento");  // never moved
    Document(12, 2, 1, "Certificado digital");      // moved in April only
    Move({12, 1, 1, "2026-04-01", 2, std::nullopt, std::nullopt});
    Document(13, 2, 1, "Procuração");
    Move({13, 1, 1, "2026-03-10", 2, std::nullopt, "Conferida"});
  }

  static std::vector<std::string> Values(const std::vector<const Band*>& bands,
                                         const std::string& name) {
    std::vector<std::string> values;
    for (const Band* band : bands) values.push_back(ReportHarness::Value(*band, name));
    return values;
  }

  static std::vector<std::string> Documents(const MovementRun& run) {
    std::vector<std::string> codes;
    for (const Band* band : run.Bands(kSecaoDocumento)) {
      codes.push_back(MovementRun::Field(*band, "CODIGODOCEMP"));
    }
    return codes;
  }
};

TEST_F(MovementReportTest, PrintsEachDocumentsHistoryUnderItsCompanysHeader) {
  MovementRun run(Period());
  run.Print();

  // A new company starts a new page; every page header is followed by the company header.
  ASSERT_EQ(run.Sink.Pages.size(), 2u);
  EXPECT_EQ(run.Sections(),
            (std::vector<int>{kSecaoCabecalhoPagina, kSecaoCabecalhoEmpresa, kSecaoDocumento,
                              kSecaoMovimento, kSecaoMovimento, kSecaoMovimento, kSecaoFimDocumento,
                              kSecaoDocumento, kSecaoFimDocumento, kSecaoCabecalhoPagina,
                              kSecaoCabecalhoEmpresa, kSecaoDocumento, kSecaoMovimento,
                              kSecaoFimDocumento}));
  EXPECT_EQ(Values(run.Bands(kSecaoCabecalhoEmpresa), "RCabEmpresa"),
            (std::vector<std::string>{"Padaria Pão Quente Ltda", "Oficina São José"}));
  EXPECT_EQ(Documents(run), (std::vector<std::string>{"10", "11", "13"}));
  EXPECT_EQ(Values(run.Bands(kSecaoFimDocumento), "RTexto"),
            (std::vector<std::string>{"", "", ""}));
}

TEST_F(MovementReportTest, MovementLinesShowTheirFormattedValues) {
  MovementRun run(Period({{"pCodigoEmpresa", "1"}}));
  run.Print();
  const std::vector<const Band*> lines = run.Bands(kSecaoMovimento);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(Values(lines, "RSeq"), (std::vector<std::string>{"0001", "0002", "0003"}));
  EXPECT_EQ(Values(lines, "RProtocolo"), (std::vector<std::string>{"00007", "12345", ""}));
  // TIPOLOCAL 1 is a department of the office; 2 and a missing kind are outside it.
  EXPECT_EQ(Values(lines, "RLocalMov"),
            (std::vector<std::string>{"Interno", "Externo", "Externo"}));
  EXPECT_EQ(Values(lines, "RDepartamento"), (std::vector<std::string>{"Recepção", "", ""}));
  EXPECT_EQ(Values(lines, "RObservacaoMov"),
            (std::vector<std::string>{"Recebido na recepção", "Levado ao cartório", ""}));
}

TEST_F(MovementReportTest, TheMovementStatementFollowsTheSelection) {
  struct Case {
    Given Selection;
    std::string Condition;
  };
  const std::vector<Case> cases = {
      {{}, ""},
      {{{"pCodigoEmpresa", "1-2"}},
       " where " + FilterInterval({"P.CODIGOEMPRESA"}, "1-2", {1}, false, 3)},
      {{{"pCodigoEstab", "1"}}, " where " + FilterInterval({"P.CODIGOESTAB"}, "1", {1}, false, 3)},
      {{{"pCodigoEmpresa", " 1,2 "}, {"pCodigoEstab", "1"}},
       " where " + FilterInterval({"P.CODIGOEMPRESA"}, "1,2", {1}, false, 3) +
           FilterInterval({"P.CODIGOESTAB"}, "1", {1}, true, 3)},
  };
  const std::string base =
      " select M.CODIGODOCEMP ,M.SEQDOCEMP ,M.TIPOLOCAL ,M.DATALCTOPRO ,M.CODIGODPTOESCRIT "
      ",M.CODIGOUSUARIORESP ,M.CODIGOPROTOCOLO ,M.OBSERVACAO ,M.DATAHORA ,M.CODIGOUSUARIO "
      ",D.DESCRDPTOESCRIT from PROTOCOLODOCMOVIMENTO M join PROTOCOLODOCEMP P on "
      "M.CODIGODOCEMP = P.CODIGODOCEMP left join DEPARTAMENTOESCRIT D on M.CODIGODPTOESCRIT = "
      "D.CODIGODPTOESCRIT ";
  for (const Case& test : cases) {
    SCOPED_TRACE(test.Condition);
    MovementRun run(Period(test.Selection));
    run.Print();
    EXPECT_EQ(run.Report->SQL(), base + test.Condition);
  }
}

TEST_F(MovementReportTest, EqualDatesMakeAOneDayPeriod) {
  MovementRun run({{"pDataInicial", "10/03/2026"}, {"pDataFinal", "10/03/2026"}});
  run.Print();
  // Document 13 moved that day; 11 never moved; 10 moved on other days only.
  EXPECT_EQ(Documents(run), (std::vector<std::string>{"11", "13"}));
}

TEST_F(MovementReportTest, RefusedRunsPrintNothingAndLeaveNoHandler) {
  struct Case {
    Given Parameters;
    std::string Message;
  };
  const std::vector<Case> cases = {
      {{{"pDataInicial", "31/03/2026"}, {"pDataFinal", "01/03/2026"}},
       "A data inicial deve ser inferior a data final."},
      // Reversed, and no document at all in the selection: refused all the same.
      {{{"pDataInicial", "31/03/2026"}, {"pDataFinal", "01/03/2026"}, {"pCodigoEmpresa", "99"}},
       "A data inicial deve ser inferior a data final."},
  };
  for (const Case& test : cases) {
    MovementRun run(test.Parameters);
    try {
      run.Print();
      ADD_FAILURE() << "the run went through";
    } catch (const EjxsError& error) {
      EXPECT_EQ(std::string(error.what()), test.Message);
    }
    EXPECT_EQ(run.Writer().PageCount(), 0);
    EXPECT_TRUE(run.Report->SQL().empty());
  }
}

TEST_F(MovementReportTest, HostileSelectionTextIsRefusedBeforePrinting) {
  // The host refuses such text for the document list; the movement statement, built from the
  // same expressions, must refuse it on its own too.
  for (const char* parameter : {"pCodigoEmpresa", "pCodigoEstab"}) {
    SCOPED_TRACE(parameter);
    MovementRun run(Period());
    run.Params().SetValues(parameter, "1) or (1=1");
    EXPECT_THROW(run.Print(), EjxsError);
    EXPECT_EQ(run.Writer().PageCount(), 0);
    EXPECT_FALSE(static_cast<bool>(run.Writer().OnAfterSection));
  }
}

TEST_F(MovementReportTest, AnEmptyDocumentListPrintsNothingAndRunsNoMovementStatement) {
  MovementRun run(Period({{"pCodigoEmpresa", "99"}}));
  run.Print();
  EXPECT_TRUE(run.Sections().empty());
  EXPECT_TRUE(run.Report->SQL().empty());
}

}  // namespace
}  // namespace movimentacao
