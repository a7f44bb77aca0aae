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
#include "support/TestDatabase.h"
#include "support/TestOffice.h"

namespace movimentacao {

using Given = std::map<std::string, std::string>;

inline std::string DefinitionPath() {
  return std::string(KDR_SOURCE_DIR) + "/reports/KdrMovimentacaoDoc.json";
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
    Data.StreetType(1, "Rua").City("PR", office::kCuritiba, "Curitiba");
    Data.Department(1, "Recepção").Department(2, "Departamento Fiscal");
  }

  void Company(int code, const std::string& name) {
    Data.Add(office::Company{.Code = code, .Name = name});
  }

  // A CNPJ establishment at Rua Nove, 120, Centro, Curitiba.
  void Establishment(int company, int number, const std::string& name,
                     const std::string& registration = "11222333000181") {
    Data.Add(office::Establishment{.Company = company,
                                   .Number = number,
                                   .Name = name,
                                   .Nickname = std::nullopt,
                                   .Registration = registration,
                                   .Complement = std::nullopt,
                                   .AreaCode = std::nullopt,
                                   .Phone = std::nullopt});
  }

  void Document(int code, int company, int establishment, const std::string& description) {
    Data.Add(office::Document{.Code = code,
                              .Company = company,
                              .Establishment = establishment,
                              .Description = description});
  }

  void Move(const Movement& m) {
    Data.Add(office::Movement{.Document = m.Document,
                              .Sequence = m.Sequence,
                              .PlaceKind = m.PlaceKind,
                              .Date = m.Date,
                              .Department = m.Department,
                              .Protocol = m.Protocol,
                              .Note = m.Note});
  }

  // March 2026 unless told otherwise.
  static Given Period(Given given = {}) {
    given.try_emplace("pDataInicial", "01/03/2026");
    given.try_emplace("pDataFinal", "31/03/2026");
    return given;
  }

  TestDatabase Office;
  office::TestOffice Data{Office.Engine()};
};

}  // namespace movimentacao
