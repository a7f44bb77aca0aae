// The route sheet keeps an establishment's line, its address and its note on one page: a page
// break never falls between them.
#include <gtest/gtest.h>

#include "delivery_route/RouteSheetSupport.h"
#include "delivery_route/Sections.h"

using namespace rota_entrega;

namespace route_sheet {
namespace {

using PageSections = std::vector<std::vector<int>>;

// Every address follows its establishment's line and every note its address on the same page,
// and no page ends on a line or an address whose note is still to come.
void ExpectEstablishmentsWhole(const PageSections& pages, int establishments) {
  int addresses = 0;
  for (std::size_t page = 0; page < pages.size(); ++page) {
    const std::vector<int>& sections = pages[page];
    for (std::size_t i = 0; i < sections.size(); ++i) {
      if (sections[i] == kSecaoEndereco) {
        ++addresses;
        EXPECT_TRUE(i > 0 && sections[i - 1] == kSecaoEstab)
            << "page " << page + 1 << " starts an address away from its establishment";
      }
      if (sections[i] == kSecaoObservacao) {
        EXPECT_TRUE(i > 0 && sections[i - 1] == kSecaoEndereco)
            << "page " << page + 1 << " starts a note away from its address";
      }
    }
    EXPECT_NE(sections.back(), kSecaoEstab) << "page " << page + 1 << " ends on a lone line";
  }
  EXPECT_EQ(addresses, establishments);
}

TEST_F(RouteSheetTest, AnEstablishmentsAddressIsOnTheSamePageAsItsLine) {
  for (int number = 1; number <= 45; ++number) {
    Establishment(1, number, "Estabelecimento " + std::to_string(number));
    Stop(1, 1, number, number);
  }
  RouteRun run({{"pTipoRel", "1"}, {"pMostrarEnd", "1"}});
  run.Print();
  ASSERT_GE(run.SectionsPerPage().size(), 2U) << "the route must cross a page break";
  ExpectEstablishmentsWhole(run.SectionsPerPage(), 45);
}

TEST_F(RouteSheetTest, ANoteStaysOnThePageOfItsAddress) {
  // Route r starts with r establishments without a note, so that the page break falls at a
  // different place of an establishment on each route: one of them lands between an address
  // and its note.
  constexpr int kStops = 30, kRoutes = 7;
  for (int number = 1; number <= kStops; ++number) {
    Establishment(1, number, "Estabelecimento " + std::to_string(number));
    for (int route = 1; route <= kRoutes; ++route) {
      Stop(route, 1, number, number,
           number > route ? std::optional<std::string>("Entregar na portaria") : std::nullopt);
    }
  }
  for (int route = 1; route <= kRoutes; ++route) {
    SCOPED_TRACE("route " + std::to_string(route));
    RouteRun run({{"pTipoRel", "1"}, {"pMostrarEnd", "1"}, {"pCodigoRota", std::to_string(route)}});
    run.Print();
    ASSERT_GE(run.SectionsPerPage().size(), 2U) << "the route must cross a page break";
    ExpectEstablishmentsWhole(run.SectionsPerPage(), kStops);
  }
}

}  // namespace
}  // namespace route_sheet
