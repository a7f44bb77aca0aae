// What the document movement tests share: an office database with companies, establishments,
// documents and movements inserted by the test, and one run of the report on the real report
// writer, with the document list opened from the report's own definition as the host opens it.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "DataAccess.h"
#include "document_movement/Sections.h"
#include "document_movement/TKdrMovimentacaoDoc.h"
#include "run/ReportRun.h"
#include "support/ReportHarness.h"

namespace movimentacao {

using Given = std::map<std::string, std::string>;

inline std::string DefinitionPath() {
  return std::string(KDR_SOURCE_DIR) + "/reports/KdrMovimentacaoDoc.json";
}

// Text of an optional SQL value: a quoted text or null.
inline std::string Sql(const std::optional<std::string>& text) {
  if (!text) return "null";
  std::string quoted = "'";
  for (char c : *text) quoted += c == '\'' ? std::string("''") : std::string(1, c);
  return quoted + "'";
}

inline std::string Sql(std::optional<int> number) {
  return number ? std::to_string(*number) : "null";
}

// One run of the report with the given parameter texts. The instance stays reachable after
// Print, for tests that look at the statement it built.
class MovementRun {
 public:
  explicit MovementRun(const Given& given)
      : FDefinition(LoadReportDefinition(DefinitionPath())),
        FParams(BuildParameterList(FDefinition, given)) {
    const MainStatement statement = BuildMainStatement(FDefinition, *FParams);
    FDocuments = ExecutarSQL(statement.Text, statement.Values);
    FWriter = std::make_unique<ReportWriter>(FDefinition, *FParams, FDocuments.get(),
                                             ReportHarness::Metrics(), Sink, nullptr);
    FWriter->Begin(TKdrMovimentacaoDoc::Versao());
    Report = std::make_unique<TKdrMovimentacaoDoc>(FWriter.get());
  }

  void Print() {
    Report->ImprimirInterno();
    FWriter->Finish();
  }

  ReportWriter& Writer() { return *FWriter; }
  TjxsPowerParam& Params() { return *FParams; }

  std::vector<int> Sections() const {
    std::vector<int> sections;
    for (const Page& page : Sink.Pages) {
      for (const Band& band : page.Bands) sections.push_back(band.Section);
    }
    return sections;
  }
  std::vector<const Band*> Bands(int section) const {
    std::vector<const Band*> bands;
    for (const Page& page : Sink.Pages) {
      for (const Band& band : page.Bands) {
        if (band.Section == section) bands.push_back(&band);
      }
    }
    return bands;
  }
  static std::string Field(const Band& band, const std::string& name) {
    for (const auto& [key, value] : band.Fields) {
      if (key == name) return value;
    }
    return "";
  }

 private:
  ReportDefinition FDefinition;
  std::unique_ptr<TjxsPowerParam> FParams;
  std::unique_ptr<TjClientDataSet> FDocuments;

 public:
  CapturingSink Sink;

 private:
  std::unique_ptr<ReportWriter> FWriter;

 public:
  std::unique_ptr<TKdrMovimentacaoDoc> Report;
};

struct Movement {
  int Document = 0;
  int Sequence = 0;
  std::optional<int> PlaceKind = 1;
  std::string Date = "2026-03-10";
  std::optional<int> Department;
  std::optional<int> Protocol;
  std::optional<std::string> Note;
};

// An office with two departments and whatever companies, documents and movements a test adds.
class MovementTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Office.Execute("PRAGMA synchronous = OFF");
    Office.Execute("insert into TIPOLOGRADOURO values (1, 'Rua')");
    Office.Execute("insert into MUNICIPIO values ('PR', 4106902, 'Curitiba')");
    Office.Execute(
        "insert into DEPARTAMENTOESCRIT values (1, 'Recepção'), (2, 'Departamento Fiscal')");
  }

  void Company(int code, const std::string& name) {
    Office.Execute("insert into EMPRESA (CODIGOEMPRESA, NOMEEMPRESA) values (" +
                   std::to_string(code) + ", " + Sql(name) + ")");
  }

  // A CNPJ establishment at Rua Nove, 120, Centro, Curitiba.
  void Establishment(int company, int number, const std::string& name,
                     const std::string& registration = "11222333000181") {
    Office.Execute(
        "insert into ESTAB (CODIGOEMPRESA, CODIGOESTAB, NOMEESTAB, TIPOINSCR, INSCRFEDERAL, "
        "CODIGOTIPOLOGRAD, ENDERECOESTAB, NUMENDERESTAB, BAIRROENDERESTAB, SIGLAESTADO, "
        "CODIGOMUNIC) values (" +
        std::to_string(company) + ", " + std::to_string(number) + ", " + Sql(name) + ", 1, " +
        Sql(registration) + ", 1, 'Nove', 120, 'Centro', 'PR', 4106902)");
  }

  void Document(int code, int company, int establishment, const std::string& description) {
    Office.Execute("insert into PROTOCOLODOCEMP values (" + std::to_string(code) + ", " +
                   std::to_string(company) + ", " + std::to_string(establishment) + ", " +
                   Sql(description) + ")");
  }

  void Move(const Movement& m) {
    Office.Execute(
        "insert into PROTOCOLODOCMOVIMENTO (CODIGODOCEMP, SEQDOCEMP, TIPOLOCAL, DATALCTOPRO, "
        "CODIGODPTOESCRIT, CODIGOPROTOCOLO, OBSERVACAO) values (" +
        std::to_string(m.Document) + ", " + std::to_string(m.Sequence) + ", " + Sql(m.PlaceKind) +
        ", '" + m.Date + "', " + Sql(m.Department) + ", " + Sql(m.Protocol) + ", " + Sql(m.Note) +
        ")");
  }

  // March 2026 unless told otherwise.
  static Given Period(Given given = {}) {
    given.try_emplace("pDataInicial", "01/03/2026");
    given.try_emplace("pDataFinal", "31/03/2026");
    return given;
  }

  TempOffice Office;
};

}  // namespace movimentacao
