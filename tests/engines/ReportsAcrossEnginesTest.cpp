// Every report gives the same document on every engine: the demo office is written through
// `kdr db demo` into a fresh database of each engine, every report runs through `kdr` with the
// same parameters, and each JSON document must be byte for byte SQLite's.
#include <gtest/gtest.h>

#include <map>

#include "data/DatabaseEngine.h"
#include "support/EngineDatabase.h"
#include "support/KdrProcess.h"
#include "support/TestOffice.h"

namespace {

struct ReportRunCase {
  const char* Name;
  const char* Report;
  std::vector<std::string> Parameters;
};

// The runs of scripts/demo, and a few that reach the filters and casts of the statements.
const std::vector<ReportRunCase>& Runs() {
  static const std::vector<ReportRunCase> runs = {
      {"teste",
       "KdrTeste",
       {"pDataInicial=01/03/2026", "pDataFinal=31/03/2026", "pCodigoEmpresaLogo=1"}},
      {"rotas", "KdrRotaEntrega", {"pTipoRel=1", "pMostrarEnd=1"}},
      {"rotas-resumo", "KdrRotaEntrega", {"pTipoRel=2"}},
      {"rotas-primeira", "KdrRotaEntrega", {"pTipoRel=3", "pCodigoRota=1-2"}},
      {"rotas-empresas", "KdrRotaEntrega", {"pTipoRel=1", "pMostrarEnd=0", "pCodigoEmpresa=1-5"}},
      {"recibo", "KdrProtocoloEmpresa", {"pDataInicial=01/06/2026", "pDataFinal=30/06/2026"}},
      {"recibo-ordenado",
       "KdrProtocoloEmpresa",
       {"pDataInicial=01/01/2026", "pDataFinal=31/03/2026", "pOrdenacao=2", "pCodigoRota=1-3",
        "pTipoPro=1", "pNatureza=S"}},
      {"protocolos",
       "KdrProtocolo",
       {"pDataInicial=01/01/2026", "pDataFinal=31/01/2026", "pOrigem=G", "pCodigoEmpresaLogo=1"}},
      {"protocolos-colunas",
       "KdrProtocolo",
       {"pDataInicial=01/01/2026", "pDataFinal=31/01/2026", "pOrigem=C", "pColuna=1"}},
      {"protocolos-rotas",
       "KdrProtocolo",
       {"pDataInicial=01/01/2026", "pDataFinal=31/01/2026", "pOrigem=C", "pCodigoRota=1-2",
        "pCopia=2"}},
      {"protocolos-filtros",
       "KdrProtocolo",
       {"pDataInicial=01/01/2026", "pDataFinal=30/06/2026", "pOrigem=C", "pCodigoEmpresa=1-4,7",
        "pTipoPro=1", "pFormaEntrega=1", "pNatureza=S"}},
      {"baixas-empresa",
       "KdrBaixaProtocolo",
       {"pDataInicial=01/03/2026", "pDataFinal=31/03/2026", "pQuebra=0", "pOrdenacao=4"}},
      {"baixas-filial",
       "KdrBaixaProtocolo",
       {"pDataInicial=01/03/2026", "pDataFinal=31/03/2026", "pQuebra=1", "pItensPro=1",
        "pColuna=0"}},
      {"baixas-data",
       "KdrBaixaProtocolo",
       {"pDataInicial=01/03/2026", "pDataFinal=31/03/2026", "pQuebra=2", "pQuebraPag=3"}},
      {"baixas-usuario",
       "KdrBaixaProtocolo",
       {"pDataInicial=01/03/2026", "pDataFinal=31/03/2026", "pQuebra=3", "pItensPro=1-2",
        "pColuna=1"}},
      {"pendentes-empresa",
       "KdrProtocolosNaoBaixados",
       {"pDataInicial=01/05/2026", "pDataFinal=30/06/2026", "pQuebra=0"}},
      {"pendentes-filial",
       "KdrProtocolosNaoBaixados",
       {"pDataInicial=01/05/2026", "pDataFinal=30/06/2026", "pQuebra=1", "pOrdenacao=2"}},
      {"pendentes-lancamento",
       "KdrProtocolosNaoBaixados",
       {"pDataInicial=01/05/2026", "pDataFinal=30/06/2026", "pQuebra=2", "pOrdenacao=3"}},
      {"pendentes-usuario",
       "KdrProtocolosNaoBaixados",
       {"pDataInicial=01/05/2026", "pDataFinal=30/06/2026", "pQuebra=3", "pQuebraPag=4"}},
      {"movimentacao", "KdrMovimentacaoDoc", {"pDataInicial=01/01/2026", "pDataFinal=30/06/2026"}},
      {"movimentacao-filtros",
       "KdrMovimentacaoDoc",
       {"pDataInicial=01/01/2026", "pDataFinal=30/06/2026", "pCodigoEmpresa=1-3",
        "pCodigoEstab=1"}},
  };
  return runs;
}

// Rows the demo office does not have: what a server orders or compares differently (nulls in
// sort columns, a write-off at midnight and one a second before it).
void WriteEdgeOffice(DatabaseEngine& database) {
  using namespace office;
  TestOffice office(database);
  office.OneProtocol();
  office.Add(Establishment{.Number = 2, .Nickname = std::nullopt, .Phone = std::nullopt});
  office.Add(Protocol{.Code = 2, .Company = std::nullopt, .Launched = std::nullopt});
  office.Add(Protocol{.Code = 3, .Establishment = 2, .Launched = "2026-03-01"});
  office.Items(3, 3);
  office.Add(Protocol{
      .Code = 4, .Launched = "2026-03-02", .WrittenOffBy = 7, .WrittenOff = "2026-03-31 23:59:59"});
  office.Add(Protocol{
      .Code = 5, .Launched = "2026-03-02", .WrittenOffBy = 7, .WrittenOff = "2026-04-01 00:00:00"});
  office.Add(User{});
  office.Add(Document{.Code = 1, .Company = std::nullopt, .Establishment = std::nullopt});
  office.Add(Document{.Code = 2});
  office.Add(Movement{.Document = 1, .Note = "sem empresa"});
  office.Add(Movement{.Document = 2, .Sequence = 1, .Date = "2026-03-11"});
}

const std::vector<ReportRunCase>& EdgeRuns() {
  static const std::vector<ReportRunCase> runs = {
      {"movimentacao", "KdrMovimentacaoDoc", {"pDataInicial=01/03/2026", "pDataFinal=31/03/2026"}},
      {"recibo-data",
       "KdrProtocoloEmpresa",
       {"pDataInicial=01/01/2026", "pDataFinal=31/12/2026", "pOrdenacao=2"}},
      {"recibo-empresa",
       "KdrProtocoloEmpresa",
       {"pDataInicial=01/01/2026", "pDataFinal=31/12/2026", "pOrdenacao=3"}},
      {"pendentes",
       "KdrProtocolosNaoBaixados",
       {"pDataInicial=01/01/2026", "pDataFinal=31/12/2026", "pQuebra=2"}},
      {"baixas",
       "KdrBaixaProtocolo",
       {"pDataInicial=01/03/2026", "pDataFinal=31/03/2026", "pQuebra=2"}},
  };
  return runs;
}

enum class Office { Demo, Edges };

// Every run's JSON document on a fresh office of `engine`, by run name.
std::map<std::string, std::string> Documents(const std::string& engine, Office kind,
                                             const std::filesystem::path& scratch) {
  engines::EngineDatabase database(engine);
  if (kind == Office::Demo) {
    const Outcome demo = RunKdr({"db", "demo", "--db", database.Url(), "--quiet"}, scratch);
    EXPECT_EQ(demo.Status, 0) << demo.Err;
  } else {
    const Outcome init = RunKdr({"db", "init", "--db", database.Url()}, scratch);
    EXPECT_EQ(init.Status, 0) << init.Err;
    WriteEdgeOffice(*OpenDatabase(database.Url(), OpenMode::ReadWriteCreate));
  }
  std::map<std::string, std::string> documents;
  for (const ReportRunCase& run : kind == Office::Demo ? Runs() : EdgeRuns()) {
    std::vector<std::string> arguments = {"run",  run.Report, "--db", database.Url(), "--format",
                                          "json", "-o",       "-",    "--quiet"};
    for (const std::string& parameter : run.Parameters) {
      arguments.insert(arguments.end(), {"-p", parameter});
    }
    const Outcome outcome = RunKdr(arguments, scratch);
    EXPECT_EQ(outcome.Status, 0) << engine << " " << run.Name << ": " << outcome.Err;
    documents[run.Name] = outcome.Out;
  }
  return documents;
}

class ReportsAcrossEngines : public ::testing::TestWithParam<std::string> {
 protected:
  void ExpectSqlitesDocuments(Office kind, const std::vector<ReportRunCase>& runs) {
    const auto expected = Documents("sqlite", kind, engines::ScratchFolder());
    const auto documents = Documents(GetParam(), kind, engines::ScratchFolder());
    for (const ReportRunCase& run : runs) {
      const std::string& document = documents.at(run.Name);
      // A document that prints nothing would make the comparison worthless.
      EXPECT_NE(document.find("\"section\""), std::string::npos) << run.Name;
      EXPECT_TRUE(document == expected.at(run.Name))
          << run.Name << ": the " << GetParam() << " document differs from SQLite's";
    }
  }
};

TEST_P(ReportsAcrossEngines, EveryReportGivesSqlitesDocument) {
  KDR_REQUIRE_ENGINE(GetParam());
  ExpectSqlitesDocuments(Office::Demo, Runs());
}

TEST_P(ReportsAcrossEngines, RowsAServerOrdersOrComparesDifferentlyGiveSqlitesDocumentToo) {
  KDR_REQUIRE_ENGINE(GetParam());
  ExpectSqlitesDocuments(Office::Edges, EdgeRuns());
}

// Every server engine the suite knows, whether reachable or not: one that is not skips (or
// fails under KDR_TEST_REQUIRE_SERVERS) with a message saying why.
std::vector<std::string> ServerEngines() {
  std::vector<std::string> names;
  for (const auto& engine : engines::KnownEngines()) {
    if (!engine.Variable.empty()) names.push_back(engine.Name);
  }
  return names;
}

INSTANTIATE_TEST_SUITE_P(Servers, ReportsAcrossEngines, ::testing::ValuesIn(ServerEngines()),
                         [](const auto& info) { return info.param; });

}  // namespace
