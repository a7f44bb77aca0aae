#include "demo/DemoDocuments.h"

#include <algorithm>

#include "demo/DemoOffice.h"
#include "demo/DemoVocabulary.h"

namespace demo {
namespace {

constexpr std::uint64_t kDocumentStream = 20;

constexpr int kReception = 5;
constexpr int kSocietary = 4;
constexpr int kArchive = 6;
constexpr int kWorkingDepartments[] = {1, 2, 3, 4, 6, 7};

}  // namespace

DemoDocumentMaker::DemoDocumentMaker(
    const DemoOffice& office, const DemoCalendar& calendar,
    const std::vector<std::vector<long long>>& protocolsByEstablishment)
    : FOffice(office), FCalendar(calendar), FProtocolsByEstablishment(protocolsByEstablishment) {}

long long DemoDocumentMaker::CountFor(long long protocolCount) {
  return std::clamp(protocolCount / 10, 30LL, 200000LL);
}

std::optional<long long> DemoDocumentMaker::ProtocolOf(int establishment,
                                                       DemoRandom& random) const {
  const std::vector<long long>& protocols = FProtocolsByEstablishment[establishment];
  if (protocols.empty()) return std::nullopt;
  return protocols[random.Below(protocols.size())];
}

void DemoDocumentMaker::Make(long long code, DemoDocument& document) const {
  DemoRandom random = DemoRandom::For(kDocumentStream, static_cast<std::uint64_t>(code));
  document.Code = code;
  document.Movements.clear();
  const int lastDay = FCalendar.BusinessDayCount() - 1;
  auto at = [&](int day) {
    return DemoTimestamp{FCalendar.BusinessDay(std::min(day, lastDay)), random.Between(8, 17),
                         random.Between(0, 59), random.Between(0, 59)};
  };

  if (code == 1) {
    document.Establishment = DemoOffice::kTwoRoutes;
    document.Description = "Contrato social consolidado";
    const std::optional<long long> protocol = ProtocolOf(document.Establishment, random);
    document.Movements = {
        {1, 1, at(2), kReception, 2, 2, std::nullopt, std::string(kInternalMoveNotes[0])},
        {2, 1, at(4), kSocietary, 4, 4, std::nullopt, std::string(kInternalMoveNotes[2])},
        {3, 2, at(9), std::nullopt, 4, 4, protocol, std::string(kExternalMoveNotes[1])},
        {4, 1, at(15), kArchive, 6, 6, std::nullopt, std::nullopt},
    };
    return;
  }
  if (code == 2) {
    document.Establishment = DemoOffice::kDeliveryAddress;
    document.Description = "Certificado digital e-CNPJ A1";
    return;
  }

  document.Establishment = FOffice.PickEstablishment(random);
  document.Description = random.Pick(kDocumentNames);
  const int count = random.Percent(10) ? 0 : random.Between(1, 5);
  int day = static_cast<int>(random.Below(static_cast<std::uint64_t>(lastDay) + 1));
  for (int sequence = 1; sequence <= count; ++sequence) {
    DemoMovement movement;
    movement.Sequence = sequence;
    movement.When = at(day);
    movement.Responsible = random.Between(2, 9);
    movement.User = random.Between(2, 9);
    if (sequence == 1) {
      movement.Department = kReception;
      movement.Note = kInternalMoveNotes[0];
    } else if (random.Percent(30)) {
      movement.PlaceKind = 2;
      if (random.Percent(90)) movement.Note = random.Pick(kExternalMoveNotes);
    } else {
      movement.Department = random.Pick(kWorkingDepartments);
      if (random.Percent(60)) {
        movement.Note = kInternalMoveNotes[1 + random.Below(kInternalMoveNotes.size() - 1)];
      }
    }
    if (random.Percent(30)) movement.Protocol = ProtocolOf(document.Establishment, random);
    document.Movements.push_back(std::move(movement));
    day += random.Between(0, 8);
  }
}

}  // namespace demo
