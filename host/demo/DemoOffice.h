// The client base of the demo office: companies with their logos' styles, establishments with
// registrations, addresses, telephones and delivery settings, and the delivery routes. Built
// in memory from the number of protocols alone; the database writer stores it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "demo/DemoLogo.h"
#include "demo/DemoRandom.h"

namespace demo {

struct City;

struct DemoCompany {
  int Code = 0;
  std::string Name;
  std::optional<LogoStyle> Logo;  // none: the company has no logo
};

struct DemoAddress {
  int StreetTypeCode = 0;  // TIPOLOGRADOURO
  std::string Street;
  int HouseNumber = 0;  // 0 now and then, as offices type it
  std::optional<std::string> Complement;
  std::optional<std::string> District;
  const City* Place = nullptr;
};

struct DemoEstablishment {
  int Company = 0;
  int Number = 0;  // CODIGOESTAB, from 1 within the company
  std::string Name;
  std::string Nickname;
  int RegistrationKind = 1;  // 1 CNPJ, 2 CPF, 3 CEI
  std::string Registration;  // digits only, check digits included
  DemoAddress Address;
  std::optional<std::string> AreaCode;
  std::optional<std::string> Phone;
  // CFGESTABPRO: none when the establishment has no configuration row.
  std::optional<char> SameAddressForDelivery;  // '1' or '0'
  char DeliveryForm = '1';                     // '1' or '2', meaningful with a configuration
  std::optional<DemoAddress> DeliveryAddress;  // ESTABENTREGA row
};

struct DemoRouteStop {
  int Route = 0;
  int Establishment = 0;  // index into DemoOffice::Establishments
  int Sequence = 0;       // SEQROTA, from 1 within the route
  std::optional<std::string> Note;
};

class DemoOffice {
 public:
  // Establishments that show a particular case, by their index in Establishments; they exist
  // whatever the size.
  enum ShowcaseEstablishment {
    kOffice = 0,           // the office itself, company 1
    kTwoRoutes = 1,        // member of routes 1 and 2
    kDeliveryAddress = 2,  // delivers to an address of its own (ESTABENTREGA, '0' and '2')
    kBuildingSite = 3,     // CEI registration, delivery row but no configuration row
    kBareAddress = 4,      // company without logo; house number 0, no complement nor
                           // district, telephone without area code, '0' without delivery row
    kNoPhone = 5,          // no telephone; '0' and '1' with a delivery row
    kPerson = 6,           // CPF registration
    kShowcaseCount = 7
  };

  explicit DemoOffice(long long protocolCount);

  const std::vector<DemoCompany>& Companies() const { return FCompanies; }
  const std::vector<DemoEstablishment>& Establishments() const { return FEstablishments; }
  const std::vector<DemoRouteStop>& RouteStops() const { return FRouteStops; }
  int RouteCount() const { return FRouteCount; }

  // An establishment for a protocol or document: the first ones are drawn more often, as a
  // few clients always bring most of the work.
  int PickEstablishment(DemoRandom& random) const;

 private:
  void AddShowcaseCompanies();
  void AddRandomCompany(DemoRandom& random);
  DemoEstablishment& AddEstablishment(int company, const std::string& name,
                                      const std::string& nickname);
  void AddRoutes();

  std::vector<DemoCompany> FCompanies;
  std::vector<DemoEstablishment> FEstablishments;
  std::vector<DemoRouteStop> FRouteStops;
  int FRouteCount = 0;
};

}  // namespace demo
