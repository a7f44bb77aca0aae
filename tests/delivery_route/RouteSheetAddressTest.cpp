// The address block of the route sheet: when it prints, which address it shows (own or
// delivery, as the establishment's configuration says), how the text is put together from
// incomplete addresses, and the statement that reads the addresses once per run.
#include <gtest/gtest.h>

#include "DataAccess.h"
#include "delivery_route/RouteSheetSupport.h"
#include "delivery_route/Sections.h"

using namespace rota_entrega;

namespace route_sheet {
namespace {

using Texts = std::vector<std::string>;

const std::string kOwnAddress =
    "Endereço: Rua Nove, 120  Sala 3, Centro, Curitiba / PR      Telefone: (41) 3333-4444";
const std::string kDeliveryAddress =
    "Endereço: Avenida Sete, 45  Afonso Pena, São José dos Pinhais / PR      Telefone: (41) "
    "3333-4444";

// One establishment on route 1 with both an own and a delivery address.
class RouteAddressTest : public RouteSheetTest {
 protected:
  void SetUp() override {
    RouteSheetTest::SetUp();
    Establishment(1, 1, "Padaria Pão Quente Ltda");
    DeliveryAddress(1, 1, "Avenida", "Sete", 45);
    Stop(1, 1, 1, 1);
  }

  Texts AddressesOf(const std::map<std::string, std::string>& given) {
    RouteRun run(given);
    run.Print();
    return run.Addresses();
  }
  Texts Addresses() { return AddressesOf({{"pTipoRel", "1"}, {"pMostrarEnd", "1"}}); }
};

TEST_F(RouteAddressTest, AddressesPrintOnlyWhenAskedForInTheDetailedForm) {
  EXPECT_EQ(Addresses(), Texts{kOwnAddress});
  EXPECT_TRUE(AddressesOf({{"pTipoRel", "1"}, {"pMostrarEnd", "0"}}).empty());
  EXPECT_TRUE(AddressesOf({{"pTipoRel", "1"}}).empty()) << "addresses are off by default";
  EXPECT_TRUE(AddressesOf({{"pTipoRel", "2"}, {"pMostrarEnd", "1"}}).empty());
  EXPECT_TRUE(AddressesOf({{"pTipoRel", "3"}, {"pMostrarEnd", "1"}}).empty());
}

TEST_F(RouteAddressTest, OwnAddressWhenTheConfigurationSaysSameAddress) {
  SameAddressForDelivery(1, 1, "1");
  EXPECT_EQ(Addresses(), Texts{kOwnAddress});
}

TEST_F(RouteAddressTest, OwnAddressWhenTheConfigurationSaysNothing) {
  EXPECT_EQ(Addresses(), Texts{kOwnAddress}) << "no configuration row";
  Data.Add(office::ProtocolSettings{.SameAddress = std::nullopt});
  EXPECT_EQ(Addresses(), Texts{kOwnAddress}) << "a blank flag";
}

TEST_F(RouteAddressTest, DeliveryAddressWhenTheConfigurationSaysAnotherAddress) {
  SameAddressForDelivery(1, 1, "0");
  // The telephone is the establishment's own: delivery rows have none.
  EXPECT_EQ(Addresses(), Texts{kDeliveryAddress});
}

TEST_F(RouteAddressTest, OwnAddressWhenTheDeliveryAddressIsMissing) {
  Establishment(1, 2, "Padaria Pão Quente Ltda");
  SameAddressForDelivery(1, 2, "0");
  Stop(1, 1, 2, 2);
  SameAddressForDelivery(1, 1, "0");
  EXPECT_EQ(Addresses(), (Texts{kDeliveryAddress, kOwnAddress}));
}

TEST_F(RouteAddressTest, EmptyPartsDropTheirSeparators) {
  Establishment(2, 1, "Sem complemento nem bairro",
                {.Complement = std::nullopt, .District = std::nullopt});
  Establishment(2, 2, "Sem telefone", {}, std::nullopt, std::nullopt);
  Establishment(2, 3, "Sem rua", {.Street = std::nullopt, .City = 4125506}, std::nullopt,
                "33334444");
  Stop(1, 2, 1, 2);
  Stop(1, 2, 2, 3);
  Stop(1, 2, 3, 4);
  EXPECT_EQ(
      Addresses(),
      (Texts{kOwnAddress, "Endereço: Rua Nove, 120  Curitiba / PR      Telefone: (41) 3333-4444",
             "Endereço: Rua Nove, 120  Sala 3, Centro, Curitiba / PR",
             "Endereço: Rua 120  Sala 3, Centro, São José dos Pinhais / PR      "
             "Telefone: 3333-4444"}));
}

TEST_F(RouteAddressTest, HouseNumberZeroIsPrintedAndAMissingOneLeavesItsBlanks) {
  Establishment(2, 1, "Número zero", {.Number = 0});
  Establishment(2, 2, "Sem número", {.Number = std::nullopt});
  Stop(1, 2, 1, 2);
  Stop(1, 2, 2, 3);
  EXPECT_EQ(Addresses(),
            (Texts{kOwnAddress,
                   "Endereço: Rua Nove, 0  Sala 3, Centro, Curitiba / PR      Telefone: (41) "
                   "3333-4444",
                   "Endereço: Rua Nove,   Sala 3, Centro, Curitiba / PR      Telefone: (41) "
                   "3333-4444"}));
}

TEST_F(RouteAddressTest, OwnAddressWithoutStreetTypeOrCityIsStillPrinted) {
  Establishment(2, 1, "Sem tipo de logradouro", {.StreetType = std::nullopt});
  Establishment(2, 2, "Município desconhecido", {.City = 9999999});
  Stop(1, 2, 1, 2);
  Stop(1, 2, 2, 3);
  EXPECT_EQ(Addresses(),
            (Texts{kOwnAddress,
                   "Endereço:  Nove, 120  Sala 3, Centro, Curitiba / PR      Telefone: (41) "
                   "3333-4444",
                   "Endereço: Rua Nove, 120  Sala 3, Centro,       Telefone: (41) 3333-4444"}));
}

TEST_F(RouteAddressTest, EstablishmentMissingFromTheAddressesKeepsItsLines) {
  // A route stop whose establishment was removed from the register.
  Stop(1, 9, 9, 2, "Cliente encerrado");
  RouteRun run(Given{{"pMostrarEnd", "1"}});
  run.Print();
  EXPECT_EQ(run.Sections(), (std::vector<int>{kSecaoCabecalhoPagina, kSecaoTituloEstab,
                                              kSecaoTituloRota, kSecaoRota, kSecaoEstab,
                                              kSecaoEndereco, kSecaoEstab, kSecaoObservacao}));
  EXPECT_EQ(run.Addresses(), Texts{kOwnAddress});
}

TEST_F(RouteAddressTest, EstablishmentOnTwoRoutesGetsItsAddressOnBoth) {
  Stop(2, 1, 1, 1);
  EXPECT_EQ(Addresses(), (Texts{kOwnAddress, kOwnAddress}));
}

TEST_F(RouteAddressTest, AddressesAreReadOnceButTheConfigurationForEveryEstablishment) {
  Establishment(1, 2, "Padaria Pão Quente Ltda");
  DeliveryAddress(1, 2, "Avenida", "Sete", 45);
  Stop(1, 1, 2, 2);
  ProgressLog progress;
  // After the first establishment: its address row is gone from the database, and the second
  // one now delivers elsewhere.
  progress.OnUpdate = [this](int position) {
    if (position != 1) return;
    Office.Execute("delete from ESTAB where CODIGOESTAB = 2");
    SameAddressForDelivery(1, 2, "0");
  };
  RouteRun run(Given{{"pMostrarEnd", "1"}}, &progress);
  run.Print();
  EXPECT_EQ(run.Addresses(), (Texts{kOwnAddress, kDeliveryAddress}));
}

// The address statement's filter for every combination of the three expressions: both
// halves of the union carry the same one, and the statement runs.
TEST_F(RouteAddressTest, AddressStatementCarriesTheFiltersGiven) {
  const auto condition = [](const std::string& column, const std::string& expression) {
    return FilterInterval({column}, expression, {1}, false, 1);
  };
  const std::string companies = condition("E.CODIGOEMPRESA", "1-3");
  const std::string establishments = condition("E.CODIGOESTAB", "1,2");
  const std::string routes = condition("P.CODIGOROTA", "1");
  struct Case {
    std::map<std::string, std::string> Given;
    std::string Filter;
  };
  const std::vector<Case> cases = {
      {{}, ""},
      {{{"pCodigoEmpresa", "1-3"}}, "where " + companies},
      {{{"pCodigoEstab", "1,2"}}, "where " + establishments},
      {{{"pCodigoRota", " 1 "}}, "where " + routes},
      {{{"pCodigoEmpresa", "1-3"}, {"pCodigoEstab", "1,2"}},
       "where " + companies + " and " + establishments},
      {{{"pCodigoEmpresa", "1-3"}, {"pCodigoRota", "1"}}, "where " + companies + " and " + routes},
      {{{"pCodigoEstab", "1,2"}, {"pCodigoRota", "1"}},
       "where " + establishments + " and " + routes},
      {{{"pCodigoEmpresa", "1-3"}, {"pCodigoEstab", "1,2"}, {"pCodigoRota", "1"}},
       "where " + companies + " and " + establishments + " and " + routes},
      {{{"pCodigoEmpresa", "   "}}, ""},
  };
  for (const Case& test : cases) {
    std::map<std::string, std::string> given = test.Given;
    given["pMostrarEnd"] = "1";
    RouteRun run(given);
    run.Report->ImprimirInterno();
    const std::string statement = run.Report->SQLEndereco();
    const std::string join = "p.CODIGOESTAB = E.CODIGOESTAB ";
    EXPECT_NE(statement.find(join + test.Filter + " union select "), std::string::npos)
        << "filter \"" << test.Filter << "\" in " << statement;
    EXPECT_TRUE(statement.ends_with(join + test.Filter + " "))
        << "filter \"" << test.Filter << "\" in " << statement;
    EXPECT_EQ(statement.find("%s"), std::string::npos);
    run.Writer().Finish();
    EXPECT_EQ(run.Addresses(), Texts{kOwnAddress}) << "filter \"" << test.Filter << "\"";
  }
}

TEST_F(RouteAddressTest, AddressStatementKeepsOnlyTheEstablishmentsTheFiltersAdmit) {
  // Company 2 rides route 2 only; with route 1 asked for, its address is not read.
  Establishment(2, 1, "Oficina São José");
  Stop(2, 2, 1, 1);
  RouteRun run(Given{{"pMostrarEnd", "1"}, {"pCodigoRota", "1"}});
  run.Report->ImprimirInterno();
  // Asked directly, company 2's address is not found: the set is read with the same filters.
  run.Report->ImprimirEndereco(2, 1);
  run.Report->ImprimirEndereco(1, 1);
  run.Writer().Finish();
  EXPECT_EQ(run.Addresses(), (Texts{kOwnAddress, kOwnAddress}));
}

}  // namespace
}  // namespace route_sheet
