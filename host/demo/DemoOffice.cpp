#include "demo/DemoOffice.h"

#include <algorithm>

#include "demo/DemoVocabulary.h"
#include "demo/FederalRegistration.h"

namespace demo {
namespace {

constexpr std::uint64_t kCompanyStream = 1;
constexpr std::uint64_t kRouteStream = 2;
constexpr std::uint64_t kEstablishmentStream = 3;

// How many of the cities at the head of the list (the office's own state) most clients are in.
constexpr std::size_t kHomeStateCities = 10;

const City& FindCity(int code) {
  for (const City& city : kCities) {
    if (city.Code == code) return city;
  }
  return kCities.front();
}

const City& RandomCity(DemoRandom& random) {
  if (random.Percent(65)) return kCities[random.Below(kHomeStateCities)];
  return random.Pick(kCities);
}

int RandomStreetType(DemoRandom& random) {
  int total = 0;
  for (const StreetType& type : kStreetTypes) total += type.Weight;
  int draw = static_cast<int>(random.Below(static_cast<std::uint64_t>(total)));
  for (const StreetType& type : kStreetTypes) {
    if (draw < type.Weight) return type.Code;
    draw -= type.Weight;
  }
  return kStreetTypes.front().Code;
}

std::string Digits(DemoRandom& random, int count) {
  std::string digits;
  for (int i = 0; i < count; ++i) digits += static_cast<char>('0' + random.Below(10));
  return digits;
}

std::string RandomCpf(DemoRandom& random) {
  std::string base;
  do {
    base = Digits(random, 9);
  } while (base.find_first_not_of(base[0]) == std::string::npos);  // 111.111.111-.. is invalid
  return CompleteCpf(base);
}

std::string RandomCei(DemoRandom& random) {
  for (;;) {
    // State region, establishment, sequence, then the activity digit 7 of building sites.
    std::string base = std::to_string(random.Between(10, 29)) + Digits(random, 8) + "7";
    const int digit = CeiCheckDigit(base);
    if (digit >= 0) return base + static_cast<char>('0' + digit);
  }
}

std::string CnpjRoot(int company, DemoRandom& random) {
  // Disjoint ranges per company keep the roots unique.
  const int root = 10000000 + company * 4973 + static_cast<int>(random.Below(4973));
  return std::to_string(root);
}

std::string CnpjOf(const std::string& root, int order) {
  std::string orderText = std::to_string(order);
  orderText.insert(0, 4 - orderText.size(), '0');
  return CompleteCnpj(root + orderText);
}

DemoAddress RandomAddress(DemoRandom& random) {
  DemoAddress address;
  address.StreetTypeCode = RandomStreetType(random);
  address.Street = random.Pick(kStreetNames);
  address.HouseNumber = random.Percent(5) ? 0 : random.Between(1, 3999);
  if (random.Percent(45)) address.Complement = random.Pick(kComplements);
  if (random.Percent(90)) address.District = random.Pick(kDistricts);
  address.Place = &RandomCity(random);
  return address;
}

DemoAddress RandomDeliveryAddress(DemoRandom& random, const City& home) {
  DemoAddress address = RandomAddress(random);
  if (random.Percent(80)) address.Place = &home;
  if (address.Complement && random.Percent(20)) address.Complement.reset();
  return address;
}

void SetRandomPhone(DemoEstablishment& establishment, DemoRandom& random) {
  if (random.Percent(8)) return;
  if (!random.Percent(8)) establishment.AreaCode = establishment.Address.Place->AreaCode;
  establishment.Phone = random.Percent(70) ? "3" + Digits(random, 7) : "9" + Digits(random, 8);
}

// The first letter (a whole UTF-8 character) of `word`.
std::string FirstLetter(const std::string& word) {
  std::size_t length = 1;
  while (length < word.size() && (static_cast<unsigned char>(word[length]) & 0xC0) == 0x80) {
    ++length;
  }
  return word.substr(0, length);
}

}  // namespace

DemoOffice::DemoOffice(long long protocolCount) {
  // About one establishment for twenty protocols, never so few that the showcase and some
  // ordinary clients do not fit, never so many that the logos dominate the time.
  const long long target = std::clamp(protocolCount / 20, 24LL, 12000LL);
  // Reserved so that the reference AddEstablishment returns stays valid while it is filled.
  FEstablishments.reserve(static_cast<std::size_t>(target) + 16);
  AddShowcaseCompanies();
  DemoRandom random(0x4B445244454D4FULL);
  while (static_cast<long long>(FEstablishments.size()) < target) AddRandomCompany(random);
  AddRoutes();
}

int DemoOffice::PickEstablishment(DemoRandom& random) const {
  // The office itself (index 0) gets no protocols; the minimum of two draws favours the
  // establishments created first.
  const auto clients = static_cast<std::uint64_t>(FEstablishments.size() - 1);
  return 1 + static_cast<int>(std::min(random.Below(clients), random.Below(clients)));
}

DemoEstablishment& DemoOffice::AddEstablishment(int company, const std::string& name,
                                                const std::string& nickname) {
  // A company's establishments are added one after the other.
  const int number = !FEstablishments.empty() && FEstablishments.back().Company == company
                         ? FEstablishments.back().Number + 1
                         : 1;
  DemoEstablishment& establishment = FEstablishments.emplace_back();
  establishment.Company = company;
  establishment.Number = number;
  establishment.Name = name;
  establishment.Nickname = nickname;
  return establishment;
}

void DemoOffice::AddShowcaseCompanies() {
  auto address = [](int streetType, const char* street, int number, const char* complement,
                    const char* district, int city) {
    DemoAddress result;
    result.StreetTypeCode = streetType;
    result.Street = street;
    result.HouseNumber = number;
    if (complement) result.Complement = complement;
    if (district) result.District = district;
    result.Place = &FindCity(city);
    return result;
  };
  constexpr int kCuritiba = 4106902, kSaoJose = 4125506, kLondrina = 4113700;

  DemoRandom office = DemoRandom::For(kCompanyStream, 1);
  const std::string officeName = "Horizonte Contabilidade e Assessoria Empresarial Ltda";
  FCompanies.push_back({1, officeName, LogoStyle{"HC", "Horizonte", 0x1F4E79}});
  DemoEstablishment& head = AddEstablishment(1, officeName, "Matriz");
  head.Registration = CnpjOf(CnpjRoot(1, office), 1);
  head.Address = address(1, "Comendador Araújo", 540, "Sala 1204", "Centro", kCuritiba);
  head.AreaCode = "41";
  head.Phone = "32225566";
  head.SameAddressForDelivery = '1';
  head.DeliveryForm = '1';

  DemoRandom bakery = DemoRandom::For(kCompanyStream, 2);
  const std::string bakeryName = "Panificadora Pão Dourado Ltda";
  const std::string bakeryRoot = CnpjRoot(2, bakery);
  FCompanies.push_back({2, bakeryName, LogoStyle{"PD", "Pão Dourado", 0xB7950B}});
  DemoEstablishment& twoRoutes = AddEstablishment(2, bakeryName, "Matriz");
  twoRoutes.Registration = CnpjOf(bakeryRoot, 1);
  twoRoutes.Address = address(2, "Sete de Setembro", 2775, "Loja 2", "Rebouças", kCuritiba);
  twoRoutes.AreaCode = "41";
  twoRoutes.Phone = "33334444";
  twoRoutes.SameAddressForDelivery = '1';
  twoRoutes.DeliveryForm = '2';

  DemoEstablishment& delivery = AddEstablishment(2, bakeryName, "Filial Batel");
  delivery.Registration = CnpjOf(bakeryRoot, 2);
  delivery.Address = address(1, "Vicente Machado", 1320, nullptr, "Batel", kCuritiba);
  delivery.AreaCode = "41";
  delivery.Phone = "999887766";
  delivery.SameAddressForDelivery = '0';
  delivery.DeliveryForm = '2';
  delivery.DeliveryAddress = address(2, "do Batel", 1868, "Sala 3", "Batel", kCuritiba);

  DemoEstablishment& site = AddEstablishment(2, bakeryName, "Obra Ampliação da Fábrica");
  site.RegistrationKind = 3;
  site.Registration = RandomCei(bakery);
  site.Address = address(6, "BR-277", 1500, "Km 12", "Cidade Industrial", kSaoJose);
  site.AreaCode = "41";
  site.Phone = "32829900";
  site.DeliveryAddress = address(1, "XV de Novembro", 100, nullptr, "Centro", kCuritiba);

  DemoRandom parts = DemoRandom::For(kCompanyStream, 3);
  const std::string partsName = "Auto Peças Três Irmãos Ltda - ME";
  const std::string partsRoot = CnpjRoot(3, parts);
  FCompanies.push_back({3, partsName, std::nullopt});
  DemoEstablishment& bare = AddEstablishment(3, partsName, "Matriz");
  bare.Registration = CnpjOf(partsRoot, 1);
  bare.Address = address(1, "João Negrão", 0, nullptr, nullptr, kCuritiba);
  bare.Phone = "32641122";
  bare.SameAddressForDelivery = '0';
  bare.DeliveryForm = '2';

  DemoEstablishment& noPhone = AddEstablishment(3, partsName, "Filial Londrina");
  noPhone.Registration = CnpjOf(partsRoot, 2);
  noPhone.Address = address(2, "Higienópolis", 1100, "Sala 4", "Centro", kLondrina);
  noPhone.SameAddressForDelivery = '0';
  noPhone.DeliveryForm = '1';
  noPhone.DeliveryAddress = address(1, "Sergipe", 845, nullptr, "Centro", kLondrina);

  DemoRandom doctor = DemoRandom::For(kCompanyStream, 4);
  const std::string doctorName = "Ricardo Almeida Nogueira";
  FCompanies.push_back({4, doctorName, LogoStyle{"RN", "Dr. Ricardo", 0x117A65}});
  DemoEstablishment& person = AddEstablishment(4, doctorName, "Consultório");
  person.RegistrationKind = 2;
  person.Registration = RandomCpf(doctor);
  person.Address = address(4, "Dr. Carlos de Carvalho", 555, "Conjunto 51", "Centro", kCuritiba);
  person.AreaCode = "41";
  person.Phone = "30305050";
  person.SameAddressForDelivery = '1';
  person.DeliveryForm = '1';
}

void DemoOffice::AddRandomCompany(DemoRandom& sizes) {
  const int code = static_cast<int>(FCompanies.size()) + 1;
  DemoRandom random = DemoRandom::For(kCompanyStream, static_cast<std::uint64_t>(code));

  // A few clients are persons (a doctor, a farmer) registered by their CPF.
  if (random.Percent(4)) {
    const std::string name = std::string(random.Pick(kFirstNames)) + " " + random.Pick(kLastNames) +
                             " " + random.Pick(kLastNames);
    FCompanies.push_back({code, name, std::nullopt});
    DemoEstablishment& person =
        AddEstablishment(code, name, random.Percent(50) ? "Produtor rural" : "Consultório");
    person.RegistrationKind = 2;
    person.Registration = RandomCpf(random);
    person.Address = RandomAddress(random);
    SetRandomPhone(person, random);
    person.SameAddressForDelivery = '1';
    person.DeliveryForm = random.Percent(50) ? '1' : '2';
    return;
  }

  const std::string activity = random.Pick(kActivities);
  const std::size_t fantasyIndex = random.Below(kFantasyNames.size());
  const std::string fantasy = kFantasyNames[fantasyIndex];
  const std::string name = activity + " " + fantasy + " " + random.Pick(kLegalSuffixes);
  // A name keeps its colour, so that logos repeat as names do and need drawing only once.
  FCompanies.push_back({code, name,
                        LogoStyle{FirstLetter(activity) + FirstLetter(fantasy), fantasy,
                                  kLogoColours[fantasyIndex % kLogoColours.size()]}});

  const std::uint64_t sizeDraw = sizes.Below(100);
  const int branches = sizeDraw < 60   ? 1
                       : sizeDraw < 80 ? 2
                       : sizeDraw < 92 ? 3
                                       : 4 + sizes.Between(0, 2);
  const std::string root = CnpjRoot(code, random);
  int cnpjOrder = 0;
  for (int branch = 1; branch <= branches; ++branch) {
    DemoRandom local = DemoRandom::For(kEstablishmentStream, FEstablishments.size());
    const bool site = branch > 1 && local.Percent(5);
    DemoEstablishment& establishment =
        AddEstablishment(code, name,
                         branch == 1 ? std::string("Matriz")
                         : site      ? "Obra Residencial " + fantasy
                                     : std::string(local.Pick(kBranchNicknames)));
    if (site) {
      establishment.RegistrationKind = 3;
      establishment.Registration = RandomCei(local);
    } else {
      establishment.Registration = CnpjOf(root, ++cnpjOrder);
    }
    establishment.Address = RandomAddress(local);
    SetRandomPhone(establishment, local);
    const std::uint64_t configuration = local.Below(100);
    if (configuration >= 12) {
      establishment.SameAddressForDelivery = configuration < 75 ? '1' : '0';
      establishment.DeliveryForm = local.Percent(55) ? '1' : '2';
    }
    const int deliveryChance = !establishment.SameAddressForDelivery          ? 10
                               : *establishment.SameAddressForDelivery == '0' ? 85
                                                                              : 5;
    if (local.Percent(deliveryChance)) {
      establishment.DeliveryAddress = RandomDeliveryAddress(local, *establishment.Address.Place);
    }
  }
}

void DemoOffice::AddRoutes() {
  std::vector<int> stopsPerRoute(3, 0);
  auto addStop = [&](int route, int establishment, std::optional<std::string> note) {
    if (static_cast<int>(stopsPerRoute.size()) <= route) stopsPerRoute.resize(route + 1, 0);
    FRouteStops.push_back({route, establishment, ++stopsPerRoute[route], std::move(note)});
  };
  addStop(1, kTwoRoutes, std::nullopt);
  addStop(1, kDeliveryAddress, std::string(kRouteNotes[0]));
  addStop(2, kBareAddress, std::nullopt);
  addStop(2, kTwoRoutes, std::string(kRouteNotes[1]));

  // Every other establishment that has its protocols delivered rides one route.
  std::vector<int> members;
  for (int index = kShowcaseCount; index < static_cast<int>(FEstablishments.size()); ++index) {
    const DemoEstablishment& establishment = FEstablishments[index];
    if (establishment.SameAddressForDelivery && establishment.DeliveryForm == '2') {
      members.push_back(index);
    }
  }
  FRouteCount = std::clamp(static_cast<int>(members.size()) / 6 + 2, 3, 400);
  for (std::size_t j = 0; j < members.size(); ++j) {
    DemoRandom random = DemoRandom::For(kRouteStream, j);
    // The first members fill the routes beyond the two of the showcase, so none is empty.
    const int route = j + 2 < static_cast<std::size_t>(FRouteCount)
                          ? static_cast<int>(j) + 3
                          : 1 + static_cast<int>(random.Below(FRouteCount));
    std::optional<std::string> note;
    if (random.Percent(35)) note = random.Pick(kRouteNotes);
    addStop(route, members[j], std::move(note));
  }
  std::stable_sort(FRouteStops.begin(), FRouteStops.end(),
                   [](const DemoRouteStop& a, const DemoRouteStop& b) {
                     return a.Route != b.Route ? a.Route < b.Route : a.Sequence < b.Sequence;
                   });
}

}  // namespace demo
