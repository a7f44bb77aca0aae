// The route sheet keeps an establishment's line on the page with its address: a page break
// never falls between the two.
#include <gtest/gtest.h>

#include "delivery_route/RouteSheetSupport.h"
#include "delivery_route/Sections.h"

using namespace rota_entrega;

namespace route_sheet {
namespace {

class RouteKeepTogetherTest : public RouteSheetTest {
 protected:
  // One route with `count` establishments, each with its own address.
  void OneLongRoute(int count) {
    for (int number = 1; number <= count; ++number) {
      Establishment(1, number, "Estabelecimento " + std::to_string(number));
      Stop(1, 1, number, number);
    }
  }
};

TEST_F(RouteKeepTogetherTest, AnEstablishmentsAddressIsOnTheSamePageAsItsLine) {
  OneLongRoute(45);
  RouteRun run({{"pTipoRel", "1"}, {"pMostrarEnd", "1"}});
  run.Print();
  const auto pages = run.SectionsPerPage();
  ASSERT_GE(pages.size(), 2U) << "the route must cross a page break";
  int addresses = 0;
  for (std::size_t page = 0; page < pages.size(); ++page) {
    const std::vector<int>& sections = pages[page];
    for (std::size_t i = 0; i < sections.size(); ++i) {
      if (sections[i] != kSecaoEndereco) continue;
      ++addresses;
      EXPECT_TRUE(i > 0 && sections[i - 1] == kSecaoEstab)
          << "page " << page + 1 << " starts an address away from its establishment";
    }
    EXPECT_NE(sections.back(), kSecaoEstab) << "page " << page + 1 << " ends on a lone line";
  }
  EXPECT_EQ(addresses, 45);
}

}  // namespace
}  // namespace route_sheet
