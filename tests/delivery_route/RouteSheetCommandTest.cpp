// The route sheet end to end: `kdr` on a database the test builds, read back from the JSON
// document as a caller sees it, and on the demo office in every form.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "delivery_route/Sections.h"
#include "support/DocumentBands.h"
#include "support/KdrProcess.h"
#include "support/TestDatabase.h"
#include "support/TestOffice.h"

using namespace rota_entrega;

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

class RouteSheetCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kdr-route-XXXXXX";
    FFolder = mkdtemp(pattern);
  }
  void TearDown() override { fs::remove_all(FFolder); }

  std::string Url() const { return FDemo.empty() ? FOffice.Url() : "sqlite:" + FDemo.string(); }

  Outcome Kdr(const std::vector<std::string>& arguments) const {
    return RunKdr(arguments, FFolder);
  }

  Outcome RunSheet(const std::vector<std::string>& parameters,
                   const std::vector<std::string>& output = {"--format", "json", "-o", "-"}) const {
    std::vector<std::string> arguments = {"run", "KdrRotaEntrega", "--db", Url(), "--quiet"};
    for (const std::string& parameter : parameters) {
      arguments.push_back("-p");
      arguments.push_back(parameter);
    }
    arguments.insert(arguments.end(), output.begin(), output.end());
    return Kdr(arguments);
  }

  json RunJson(const std::vector<std::string>& parameters) const {
    const Outcome outcome = RunSheet(parameters);
    EXPECT_EQ(outcome.Status, 0) << outcome.Err;
    return json::parse(outcome.Out);
  }

  // Two routes: route 3 visits the bakery's head office (own address) and its branch, which
  // delivers elsewhere; route 7 visits the garage, with a note.
  void FillOffice() {
    FData.Places();
    FData.Add(office::Establishment{.RegistrationType = std::nullopt, .Registration = std::nullopt})
        .Add(office::Establishment{.Number = 2,
                                   .Nickname = "Filial",
                                   .RegistrationType = std::nullopt,
                                   .Registration = std::nullopt,
                                   .StreetType = 2,
                                   .Street = "Batel",
                                   .HouseNumber = 900,
                                   .Complement = std::nullopt,
                                   .District = "Batel",
                                   .Phone = "32221111"})
        .Add(office::Establishment{.Company = 2,
                                   .Name = "Oficina São José",
                                   .RegistrationType = std::nullopt,
                                   .Registration = std::nullopt,
                                   .Street = "das Flores",
                                   .HouseNumber = 0,
                                   .Complement = std::nullopt,
                                   .District = std::nullopt,
                                   .AreaCode = std::nullopt,
                                   .Phone = std::nullopt});
    FData.Add(office::DeliveryAddress{
        .Number = 2, .Complement = "Galpão 4", .District = "Portão", .City = office::kCuritiba});
    FData.Add(office::ProtocolSettings{.Number = 1, .SameAddress = "1"})
        .Add(office::ProtocolSettings{.Number = 2, .SameAddress = "0"});
    FData.Add(office::RouteStop{.Route = 3, .Number = 2, .Sequence = 2})
        .Add(office::RouteStop{.Route = 3, .Number = 1, .Sequence = 1})
        .Add(office::RouteStop{.Route = 7,
                               .Company = 2,
                               .Number = 1,
                               .Sequence = 1,
                               .Note = "Entrada pelos fundos, portão azul"});
  }

  static std::vector<int> Sections(const json& document) { return SectionsOf(document); }
  static std::vector<json> Bands(const json& document, int section) {
    return BandsOf(document, section);
  }

  TestDatabase FOffice;
  office::TestOffice FData{FOffice.Engine()};
  fs::path FFolder;
  fs::path FDemo;  // the demo office, once a test asks for it
};

TEST_F(RouteSheetCommandTest, DetailedSheetListsEachRouteWithItsStopsAndAddresses) {
  FillOffice();
  const json document = RunJson({"pTipoRel=1", "pMostrarEnd=1"});
  EXPECT_EQ(document["report"], "KdrRotaEntrega");
  EXPECT_EQ(document["version"], "[versao: 1.1.28.0]");
  EXPECT_EQ(
      Sections(document),
      (std::vector<int>{kSecaoCabecalhoPagina, kSecaoTituloEstab, kSecaoTituloRota, kSecaoRota,
                        kSecaoEstab, kSecaoEndereco, kSecaoEstab, kSecaoEndereco, kSecaoSeparador,
                        kSecaoRota, kSecaoEstab, kSecaoEndereco, kSecaoObservacao}));

  const auto routes = Bands(document, kSecaoRota);
  ASSERT_EQ(routes.size(), 2u);
  EXPECT_EQ(routes[0]["fields"]["CODIGOROTA"], "3");
  EXPECT_EQ(routes[0]["fields"]["QTDEESTABROTA"], "2");
  EXPECT_EQ(routes[1]["fields"]["CODIGOROTA"], "7");

  const auto stops = Bands(document, kSecaoEstab);
  ASSERT_EQ(stops.size(), 3u);
  EXPECT_EQ(stops[0]["fields"]["APELIDOESTAB"], "Matriz");
  EXPECT_EQ(stops[1]["fields"]["APELIDOESTAB"], "Filial");
  EXPECT_EQ(stops[2]["fields"]["NOMEESTAB"], "Oficina São José");

  std::vector<std::string> addresses;
  for (const json& band : Bands(document, kSecaoEndereco)) {
    addresses.push_back(band["values"]["REndereco"].get<std::string>());
  }
  EXPECT_EQ(addresses,
            (std::vector<std::string>{
                "Endereço: Rua Nove, 120  Sala 3, Centro, Curitiba / PR      Telefone: (41) "
                "3333-4444",
                "Endereço: Rua do Porto, 15  Galpão 4, Portão, Curitiba / PR      Telefone: (41) "
                "3222-1111",
                "Endereço: Rua das Flores, 0  Curitiba / PR"}));
  EXPECT_EQ(Bands(document, kSecaoObservacao)[0]["fields"]["OBSERVACAO"],
            "Entrada pelos fundos, portão azul");
  EXPECT_TRUE(document["messages"].empty());
}

TEST_F(RouteSheetCommandTest, ShorterFormsListOnlyTheRoutes) {
  FillOffice();
  EXPECT_EQ(Sections(RunJson({"pTipoRel=2", "pMostrarEnd=1"})),
            (std::vector<int>{kSecaoCabecalhoPagina, kSecaoTituloRota, kSecaoRota, kSecaoRota}));
  EXPECT_EQ(Sections(RunJson({"pTipoRel=3"})),
            (std::vector<int>{kSecaoCabecalhoPagina, kSecaoTituloEstab, kSecaoTituloRota,
                              kSecaoRota, kSecaoRota}));
  EXPECT_EQ(Sections(RunJson({"pCodigoRota=7", "pTipoRel=2"})),
            (std::vector<int>{kSecaoCabecalhoPagina, kSecaoTituloRota, kSecaoRota}));
}

TEST_F(RouteSheetCommandTest, ReportFormThatIsNoNumberFailsWithItsMessageAndNoFile) {
  FillOffice();
  const fs::path pdf = FFolder / "rotas.pdf";
  const Outcome outcome = RunSheet({"pTipoRel=detalhado"}, {"-o", pdf.string()});
  EXPECT_EQ(outcome.Status, 1);
  EXPECT_EQ(outcome.Err.rfind("Valor inválido para Tipo de relatório (pTipoRel): \"detalhado\". "
                              "Use um destes valores: 1 (",
                              0),
            0u)
      << outcome.Err;
  EXPECT_FALSE(fs::exists(pdf));
}

// A number the form does not offer used to print a sheet of route lines under both headings.
TEST_F(RouteSheetCommandTest, OnlyTheFormsOfTheDefinitionAreAccepted) {
  FillOffice();
  for (const char* refused : {"0", "4", "-5", "1.0"}) {
    const Outcome outcome = RunSheet({std::string("pTipoRel=") + refused});
    EXPECT_EQ(outcome.Status, 1) << refused;
    EXPECT_NE(outcome.Err.find("(pTipoRel): \"" + std::string(refused) + "\""), std::string::npos)
        << outcome.Err;
    EXPECT_EQ(outcome.Out, "") << refused;
  }
  for (const char* refused : {"2", "sim", "true"}) {
    const Outcome outcome = RunSheet({std::string("pMostrarEnd=") + refused});
    EXPECT_EQ(outcome.Status, 1) << refused;
    EXPECT_NE(outcome.Err.find("(pMostrarEnd)"), std::string::npos) << outcome.Err;
  }
  for (const char* accepted : {"1", "2", "3", " 3"}) {
    const Outcome outcome = RunSheet({std::string("pTipoRel=") + accepted});
    EXPECT_EQ(outcome.Status, 0) << accepted << ": " << outcome.Err;
  }
  EXPECT_EQ(RunSheet({"pMostrarEnd=1"}).Status, 0);
}

TEST_F(RouteSheetCommandTest, DescribeShowsTheFormsAndThePublishedAddressOperation) {
  const Outcome outcome = Kdr({"describe", "KdrRotaEntrega"});
  ASSERT_EQ(outcome.Status, 0) << outcome.Err;
  EXPECT_NE(outcome.Out.find("TKdrRotaEntrega, [versao: 1.1.28.0]"), std::string::npos)
      << outcome.Out;
  EXPECT_NE(outcome.Out.find("ImprimirEndereco(_ACodigoEmpresa: Integer; _ACodigoEstab: Integer)"),
            std::string::npos)
      << outcome.Out;
  EXPECT_NE(outcome.Out.find("Somente as rotas=2"), std::string::npos) << outcome.Out;
}

TEST_F(RouteSheetCommandTest, DemoOfficeSheetsPrintInEveryForm) {
  FDemo = FFolder / "demo.sqlite";
  ASSERT_EQ(Kdr({"db", "demo", "--db", Url()}).Status, 0);
  const json detailed = RunJson({"pTipoRel=1", "pMostrarEnd=1"});
  EXPECT_FALSE(Bands(detailed, kSecaoEstab).empty());
  EXPECT_EQ(Bands(detailed, kSecaoEndereco).size(), Bands(detailed, kSecaoEstab).size())
      << "every demo establishment has an address";
  for (const std::string form : {"2", "3"}) {
    const json routes = RunJson({"pTipoRel=" + form});
    EXPECT_EQ(Bands(routes, kSecaoRota).size(), Bands(detailed, kSecaoRota).size())
        << "pTipoRel " << form;
    EXPECT_TRUE(Bands(routes, kSecaoEstab).empty()) << "pTipoRel " << form;
  }
  for (const std::string format : {"pdf", "png", "txt"}) {
    const fs::path file = FFolder / ("rotas." + format);
    const Outcome outcome = RunSheet({"pMostrarEnd=1"}, {"-o", file.string()});
    EXPECT_EQ(outcome.Status, 0) << outcome.Err;
    // PNG pages go one to a file: rotas-1.png, rotas-2.png, ...
    const fs::path written = std::string(format) == "png" ? FFolder / "rotas-1.png" : file;
    ASSERT_TRUE(fs::exists(written)) << written;
    EXPECT_GT(fs::file_size(written), 0u) << format;
  }
}

}  // namespace
