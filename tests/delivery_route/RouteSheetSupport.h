// What the route sheet tests share: an office database with streets, cities, establishments
// and routes inserted by the test, and one run of the report on the real report writer, with
// the route list opened from the report's own definition as the host opens it.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "DataAccess.h"
#include "delivery_route/Sections.h"
#include "delivery_route/TKdrRotaEntrega.h"
#include "run/ReportRun.h"
#include "support/ReportHarness.h"
#include "support/TestDatabase.h"
#include "support/TestOffice.h"

namespace route_sheet {

// Parameter texts of a run, by name.
using Given = std::map<std::string, std::string>;

inline std::string DefinitionPath() {
  return std::string(KDR_SOURCE_DIR) + "/reports/KdrRotaEntrega.json";
}

// Records every progress report.
class ProgressLog : public ProgressReporter {
 public:
  void Update(int position, int total) override {
    Positions.push_back(position);
    Totals.push_back(total);
    if (OnUpdate) OnUpdate(position);
  }
  void Done() override {}

  std::vector<int> Positions;
  std::vector<int> Totals;
  std::function<void(int position)> OnUpdate;
};

// One run of the route sheet with the given parameter texts (the definition's defaults for
// the rest). The instance stays reachable between Start and Finish, for tests that look at it.
class RouteRun {
 public:
  explicit RouteRun(const std::map<std::string, std::string>& given = {},
                    ProgressReporter* progress = nullptr)
      : FDefinition(LoadReportDefinition(DefinitionPath())),
        FParams(BuildParameterList(FDefinition, given)) {
    const MainStatement statement = BuildMainStatement(FDefinition, *FParams);
    FRoutes = ExecutarSQL(statement.Text, statement.Values);
    FWriter = std::make_unique<ReportWriter>(FDefinition, *FParams, FRoutes.get(),
                                             ReportHarness::Metrics(), Sink, progress);
    FWriter->Begin(TKdrRotaEntrega::Versao());
    Report = std::make_unique<TKdrRotaEntrega>(FWriter.get());
  }

  // Runs the report body and ends the document; the instance is freed either way.
  void Print() {
    struct Free {
      std::unique_ptr<TKdrRotaEntrega>& Report;
      ~Free() { Report.reset(); }
    } free{Report};
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
  std::vector<std::vector<int>> SectionsPerPage() const {
    std::vector<std::vector<int>> pages;
    for (const Page& page : Sink.Pages) {
      std::vector<int>& sections = pages.emplace_back();
      for (const Band& band : page.Bands) sections.push_back(band.Section);
    }
    return pages;
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
  // The address texts of the printed address blocks, in print order.
  std::vector<std::string> Addresses() const {
    std::vector<std::string> texts;
    for (const Band* band : Bands(rota_entrega::kSecaoEndereco))
      texts.push_back(ReportHarness::Value(*band, "REndereco"));
    return texts;
  }
  // A column of the route list as a printed band showed it.
  static std::string Field(const Band& band, const std::string& name) {
    for (const auto& [key, value] : band.Fields) {
      if (key == name) return value;
    }
    return "";
  }

  // Declared in this order so that the instance goes before the writer, and the writer
  // before what it refers to.
 private:
  ReportDefinition FDefinition;
  std::unique_ptr<TjxsPowerParam> FParams;
  std::unique_ptr<TjClientDataSet> FRoutes;

 public:
  CapturingSink Sink;

 private:
  std::unique_ptr<ReportWriter> FWriter;

 public:
  std::unique_ptr<TKdrRotaEntrega> Report;
};

// An establishment's own address: Rua Nove, 120, Sala 3, Centro, Curitiba unless told otherwise.
struct Address {
  std::optional<int> StreetType = 1;
  std::optional<std::string> Street = "Nove";
  std::optional<int> Number = 120;
  std::optional<std::string> Complement = "Sala 3";
  std::optional<std::string> District = "Centro";
  int City = 4106902;
};

// An office with two street types and two cities; tests add establishments and routes.
class RouteSheetTest : public ::testing::Test {
 protected:
  void SetUp() override { Data.Places(); }

  // An establishment with the telephone (41) 3333-4444 unless told otherwise.
  void Establishment(int company, int number, const std::string& name, const Address& address = {},
                     std::optional<std::string> areaCode = "41",
                     std::optional<std::string> phone = "33334444") {
    Data.Add(office::Establishment{.Company = company,
                                   .Number = number,
                                   .Name = name,
                                   .Nickname = "Matriz",
                                   .RegistrationType = std::nullopt,
                                   .Registration = std::nullopt,
                                   .StreetType = address.StreetType,
                                   .Street = address.Street,
                                   .HouseNumber = address.Number,
                                   .Complement = address.Complement,
                                   .District = address.District,
                                   .City = address.City,
                                   .AreaCode = areaCode,
                                   .Phone = phone});
  }

  void DeliveryAddress(int company, int number, const std::string& streetType,
                       const std::string& street, int houseNumber,
                       int city = office::kSaoJoseDosPinhais) {
    Data.Add(office::DeliveryAddress{.Company = company,
                                     .Number = number,
                                     .StreetType = streetType,
                                     .Street = street,
                                     .HouseNumber = houseNumber,
                                     .City = city});
  }

  // The establishment's protocol configuration: "1" delivers to its own address.
  void SameAddressForDelivery(int company, int number, const std::string& flag) {
    Data.Add(office::ProtocolSettings{.Company = company, .Number = number, .SameAddress = flag});
  }

  void Stop(int route, int company, int number, std::optional<int> sequence,
            std::optional<std::string> note = std::nullopt) {
    Data.Add(office::RouteStop{
        .Route = route, .Company = company, .Number = number, .Sequence = sequence, .Note = note});
  }

  // Two routes of two establishments each.
  void TwoRoutesOfTwo() {
    Establishment(1, 1, "Padaria Pão Quente Ltda");
    Establishment(1, 2, "Padaria Pão Quente Ltda");
    Establishment(2, 1, "Oficina São José");
    Establishment(3, 1, "Mercado Boa Vista");
    Stop(1, 1, 1, 1);
    Stop(1, 1, 2, 2);
    Stop(2, 2, 1, 1);
    Stop(2, 3, 1, 2);
  }

  TestDatabase Office;
  office::TestOffice Data{Office.Engine()};
};

}  // namespace route_sheet
