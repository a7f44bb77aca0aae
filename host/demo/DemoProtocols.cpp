#include "demo/DemoProtocols.h"

#include <algorithm>
#include <cstring>

#include "demo/DemoOffice.h"
#include "demo/DemoVocabulary.h"

namespace demo {
namespace {

constexpr std::uint64_t kProtocolStream = 10;

constexpr std::size_t kLongestItem = 300;  // characters

// Fits OBSERVACAO (100 characters) with every month name, and needs two lines in a header.
constexpr const char* kLongTitle =
    "Guias de %m, recibos de entrega das declarações e documentos da folha para conferência";

// What an item is like, beyond its kind.
struct ItemShape {
  bool Long = false;
  bool TwoLines = false;
  bool Cancelled = false;
  bool NoDue = false;
  bool NoCompetence = false;
  std::optional<std::int64_t> Cents;  // a value of its own instead of a drawn one
};

ItemShape LongText() {
  ItemShape shape;
  shape.Long = true;
  return shape;
}
ItemShape TwoLines() {
  ItemShape shape;
  shape.TwoLines = true;
  return shape;
}
ItemShape CancelledItem() {
  ItemShape shape;
  shape.Cancelled = true;
  return shape;
}
ItemShape WithoutDue() {
  ItemShape shape;
  shape.NoDue = true;
  return shape;
}
ItemShape Valued(std::int64_t cents) {
  ItemShape shape;
  shape.Cents = cents;
  return shape;
}

std::size_t CharacterCount(const std::string& text) {
  std::size_t count = 0;
  for (char c : text) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return count;
}

void ReplaceAll(std::string& text, const char* marker, const std::string& value) {
  const std::size_t length = std::strlen(marker);
  for (std::size_t at = text.find(marker); at != std::string::npos;
       at = text.find(marker, at + value.size())) {
    text.replace(at, length, value);
  }
}

std::string MonthYearText(Day month) {
  int year = 0, monthNumber = 0;
  DemoCalendar::YearMonth(month, year, monthNumber);
  return std::string(monthNumber < 10 ? "0" : "") + std::to_string(monthNumber) + "/" +
         std::to_string(year);
}

std::string MonthName(Day month) {
  int year = 0, monthNumber = 0;
  DemoCalendar::YearMonth(month, year, monthNumber);
  return kMonthNames[monthNumber - 1];
}

// Guides handed out in a month are those of the month before.
Day CompetenceOf(Day launch) {
  int year = 0, month = 0;
  DemoCalendar::YearMonth(launch, year, month);
  return month == 1 ? DemoCalendar::FirstOfMonth(year - 1, 12)
                    : DemoCalendar::FirstOfMonth(year, month - 1);
}

const ItemKind& KindStartingWith(const char* prefix) {
  for (const ItemKind& kind : kItemKinds) {
    if (std::strncmp(kind.Text, prefix, std::strlen(prefix)) == 0) return kind;
  }
  return kItemKinds.front();
}

const ItemKind& RandomKind(int protocolType, DemoRandom& random) {
  // Most lines match the protocol's type; some protocols mix in a line of another kind.
  if (random.Percent(15)) return random.Pick(kItemKinds);
  std::size_t matching = 0;
  for (const ItemKind& kind : kItemKinds) matching += kind.ProtocolType == protocolType;
  std::size_t pick = random.Below(matching);
  for (const ItemKind& kind : kItemKinds) {
    if (kind.ProtocolType == protocolType && pick-- == 0) return kind;
  }
  return kItemKinds.front();
}

ItemShape RandomShape(DemoRandom& random) {
  ItemShape shape;
  const std::uint64_t look = random.Below(100);
  shape.Long = look < 7;
  shape.TwoLines = look >= 7 && look < 12;
  shape.Cancelled = random.Percent(4);
  shape.NoDue = random.Percent(4);
  shape.NoCompetence = random.Percent(3);
  return shape;
}

std::int64_t DrawCents(const ItemKind& kind, DemoRandom& random) {
  // The least of three draws: small amounts are common, large ones rare.
  const auto range = static_cast<std::uint64_t>(kind.MaxCents - kind.MinCents) + 1;
  const std::uint64_t offset =
      std::min({random.Below(range), random.Below(range), random.Below(range)});
  return kind.MinCents + static_cast<std::int64_t>(offset);
}

DemoItem MakeItem(const ItemKind& kind, int sequence, Day competence, const ItemShape& shape,
                  const DemoCalendar& calendar, DemoRandom& random) {
  DemoItem item;
  item.Sequence = sequence;
  item.Description = kind.Text;
  ReplaceAll(item.Description, "%c", MonthYearText(competence));
  if (shape.Long) {
    const std::size_t first = random.Below(kItemDetails.size());
    item.Description += std::string(" - ") + kItemDetails[first];
    const std::string more =
        item.Description + " " + kItemDetails[(first + 1) % kItemDetails.size()];
    if (CharacterCount(more) <= kLongestItem) item.Description = more;
  } else if (shape.TwoLines) {
    item.Description += std::string("\n") + random.Pick(kItemSecondLines);
  }

  if (shape.Cents) {
    item.Cents = shape.Cents;
  } else if (kind.MaxCents > 0) {
    item.Cents = DrawCents(kind, random);
  } else if (random.Percent(50)) {
    item.Cents = 0;  // documents carry no value: some offices leave it empty, others zero
  }

  if (kind.DueDay > 0 && !shape.NoDue) {
    int year = 0, month = 0;
    DemoCalendar::YearMonth(competence, year, month);
    year += month / 12;
    month = month % 12 + 1;
    const Day due = kind.DueDay == 31 ? DemoCalendar::LastOfMonth(year, month)
                                      : DemoCalendar::FirstOfMonth(year, month) +
                                            std::chrono::days{kind.DueDay - 1};
    item.Due = calendar.NextBusinessDayFrom(due);
  }
  if (kind.HasCompetence && !shape.NoCompetence) item.Competence = competence;

  if (kind.TaxCode > 0) {
    item.TaxCode = kind.TaxCode;
    item.TaxVariation = 0;
    int year = 0, month = 0;
    DemoCalendar::YearMonth(competence, year, month);
    item.SourceKey =
        "IMP" + std::to_string(kind.TaxCode) + ":" + std::to_string(year * 100 + month);
  }
  // Holiday and dismissal papers belong to one employee.
  if (kind.ProtocolType == 2 && kind.TaxCode == 0 && !kind.HasCompetence) {
    item.Employee = random.Between(1, 250);
  }
  item.Cancelled = shape.Cancelled;
  return item;
}

std::string PersonName(DemoRandom& random) {
  return std::string(random.Pick(kFirstNames)) + " " + random.Pick(kLastNames) +
         random.Pick(kReceiverRoles);
}

// The protocols that show particular cases. Items name a kind by the start of its text.
struct ShowcaseItem {
  const char* Kind;
  ItemShape Shape;
};
struct ShowcaseProtocol {
  int Establishment;
  int Type;
  const char* Title;
  bool WrittenOff;
  std::vector<ShowcaseItem> Items;
};

const std::vector<ShowcaseProtocol>& Showcase() {
  static const std::vector<ShowcaseProtocol> protocols = {
      // 1: a value in the millions, establishment on two routes.
      {DemoOffice::kTwoRoutes,
       1,
       "Guias de %m",
       false,
       {{"ICMS", Valued(123456789)}, {"DAS", {}}, {"ISS", {}}, {"FGTS", {}}}},
      // 2 and 3: one establishment, the same day; delivered to its delivery address; 3 items.
      {DemoOffice::kDeliveryAddress,
       2,
       "Folha de pagamento de %m",
       false,
       {{"GPS", {}}, {"FGTS", {}}, {"Folha de pagamento", {}}}},
      {DemoOffice::kDeliveryAddress, 1, kLongTitle, false, {{"DAS", {}}, {"DARF PIS", {}}}},
      // 4: more items than a block holds, a long line, a line with a break, a cancelled
      // line, lines without due date or competence.
      {DemoOffice::kPerson,
       1,
       "Impostos de %m",
       false,
       {{"DARF IRPJ", LongText()},
        {"DARF CSLL", TwoLines()},
        {"ISS", CancelledItem()},
        {"Taxa de fiscalização", {}},
        {"Recibo de entrega da DCTF -", {}},
        {"DARF PIS", {}},
        {"DARF COFINS", {}},
        {"DAS", WithoutDue()}}},
      // 5: one item, CEI registration.
      {DemoOffice::kBuildingSite,
       4,
       "Documentos para assinatura",
       false,
       {{"Contrato social", {}}}},
      // 6: company without logo, bare address.
      {DemoOffice::kBareAddress, 1, "Guias de %m", false, {{"DAS", {}}, {"Parcelamento", {}}}},
      // 7: no telephone.
      {DemoOffice::kNoPhone,
       3,
       "Obrigações acessórias de %m",
       false,
       {{"Recibo de entrega da DCTFWeb", {}},
        {"Recibo de entrega da EFD-Reinf", {}},
        {"Recibo de entrega da EFD ICMS", {}},
        {"Balancete", {}},
        {"Demonstração do resultado", {}}}},
      // 8: written off.
      {DemoOffice::kDeliveryAddress,
       1,
       "Guias de %m",
       true,
       {{"DAS", {}}, {"GPS", {}}, {"FGTS", {}}}},
  };
  return protocols;
}

}  // namespace

DemoProtocolMaker::DemoProtocolMaker(const DemoOffice& office, const DemoCalendar& calendar,
                                     long long count)
    : FOffice(office), FCalendar(calendar), FCount(count) {}

int DemoProtocolMaker::DayIndexOf(long long code) const {
  // Protocol 3 shares the day of protocol 2: one establishment, two protocols, one day.
  if (code == 3) code = 2;
  const long long days = FCalendar.BusinessDayCount();
  return static_cast<int>((code - 1) * days / std::max(FCount, 1LL));
}

void DemoProtocolMaker::Make(long long code, DemoProtocol& protocol) const {
  protocol.Items.clear();
  protocol.Code = code;
  protocol.Launch = FCalendar.BusinessDay(DayIndexOf(code));
  protocol.Delivered.reset();
  protocol.WrittenOff.reset();
  protocol.WrittenOffBy = 0;
  protocol.ReceivedBy.clear();
  if (code <= kShowcaseCount) {
    MakeShowcase(code, protocol);
  } else {
    MakeRandom(code, protocol);
  }
}

void DemoProtocolMaker::SetRegistration(DemoProtocol& protocol, DemoRandom& random) const {
  protocol.Registered = {protocol.Launch, random.Between(8, 17), random.Between(0, 59),
                         random.Between(0, 59)};
  protocol.RegisteredBy = random.Between(2, 9);
  const DemoEstablishment& establishment = FOffice.Establishments()[protocol.Establishment];
  if (establishment.SameAddressForDelivery && random.Percent(85)) {
    protocol.DeliveryForm = establishment.DeliveryForm;
  } else {
    const std::uint64_t draw = random.Below(100);
    protocol.DeliveryForm = draw < 60 ? '1' : draw < 85 ? '2' : '3';
  }
  protocol.Nature = random.Percent(protocol.Type == 4 ? 45 : 8) ? 'E' : 'S';
}

void DemoProtocolMaker::SetWriteOff(DemoProtocol& protocol, DemoRandom& random) const {
  const int day = DayIndexOf(protocol.Code);
  const int age = FCalendar.BusinessDayCount() - 1 - day;  // business days until today
  if (age < 1) return;
  const int chance = age >= 30 ? 88 : age >= 10 ? 60 : 15;
  if (random.Percent(chance)) {
    const int writeOffDay = day + random.Between(1, std::min(age, 20));
    const int deliveryDay = random.Between(day, writeOffDay - 1);  // before the receipt came back
    protocol.Delivered = DemoTimestamp{FCalendar.BusinessDay(deliveryDay), random.Between(9, 17),
                                       random.Between(0, 59), 0};
    protocol.WrittenOff = DemoTimestamp{FCalendar.BusinessDay(writeOffDay), random.Between(8, 17),
                                        random.Between(0, 59), random.Between(0, 59)};
    protocol.WrittenOffBy = random.Between(2, 9);
    protocol.ReceivedBy = PersonName(random);
  } else if (random.Percent(40)) {
    // Delivered, the signed receipt not back yet.
    protocol.Delivered =
        DemoTimestamp{FCalendar.BusinessDay(day + random.Between(1, std::min(age, 5))),
                      random.Between(9, 17), random.Between(0, 59), 0};
  }
}

void DemoProtocolMaker::MakeShowcase(long long code, DemoProtocol& protocol) const {
  const ShowcaseProtocol& showcase = Showcase()[code - 1];
  DemoRandom random = DemoRandom::For(kProtocolStream, static_cast<std::uint64_t>(code));
  protocol.Establishment = showcase.Establishment;
  protocol.Type = showcase.Type;
  const Day competence = CompetenceOf(protocol.Launch);
  protocol.Title = showcase.Title;
  ReplaceAll(*protocol.Title, "%m", MonthName(competence));
  SetRegistration(protocol, random);
  if (showcase.WrittenOff) {
    // Written off a few days after the launch, whatever the size.
    const int day = DayIndexOf(code);
    const int writeOffDay = std::min(day + 3, FCalendar.BusinessDayCount() - 1);
    protocol.Delivered = DemoTimestamp{FCalendar.BusinessDay(writeOffDay), 10, 15, 0};
    protocol.WrittenOff = DemoTimestamp{FCalendar.BusinessDay(writeOffDay), 16, 40, 12};
    protocol.WrittenOffBy = 3;
    protocol.ReceivedBy = "Juliana Moreira (recepção)";
  }
  int sequence = 0;
  for (const ShowcaseItem& item : showcase.Items) {
    protocol.Items.push_back(MakeItem(KindStartingWith(item.Kind), ++sequence, competence,
                                      item.Shape, FCalendar, random));
  }
}

void DemoProtocolMaker::MakeRandom(long long code, DemoProtocol& protocol) const {
  DemoRandom random = DemoRandom::For(kProtocolStream, static_cast<std::uint64_t>(code));
  protocol.Establishment = FOffice.PickEstablishment(random);
  const std::uint64_t typeDraw = random.Below(100);
  protocol.Type = typeDraw < 50 ? 1 : typeDraw < 72 ? 2 : typeDraw < 88 ? 3 : 4;
  const Day competence = CompetenceOf(protocol.Launch);
  const std::uint64_t titleDraw = random.Below(100);
  if (titleDraw < 2) {
    protocol.Title.reset();
  } else {
    protocol.Title = titleDraw < 5 ? kLongTitle : random.Pick(kProtocolTitles[protocol.Type - 1]);
    ReplaceAll(*protocol.Title, "%m", MonthName(competence));
  }
  SetRegistration(protocol, random);
  SetWriteOff(protocol, random);

  static constexpr int kItemCountWeights[8] = {15, 20, 22, 16, 10, 8, 5, 4};
  int draw = static_cast<int>(random.Below(100));
  int itemCount = 1;
  while (itemCount < 8 && draw >= kItemCountWeights[itemCount - 1]) {
    draw -= kItemCountWeights[itemCount - 1];
    ++itemCount;
  }
  for (int sequence = 1; sequence <= itemCount; ++sequence) {
    const ItemKind& kind = RandomKind(protocol.Type, random);
    protocol.Items.push_back(
        MakeItem(kind, sequence, competence, RandomShape(random), FCalendar, random));
  }
}

}  // namespace demo
