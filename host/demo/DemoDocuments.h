// Client documents kept by the demo office and their movements between its departments and
// outside places, made one at a time from the document's number.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "demo/DemoCalendar.h"
#include "demo/DemoProtocols.h"

namespace demo {

class DemoOffice;

struct DemoMovement {
  int Sequence = 0;   // SEQDOCEMP, from 1
  int PlaceKind = 1;  // TIPOLOCAL: 1 a department of the office, 2 outside it
  DemoTimestamp When;
  std::optional<int> Department;  // only inside the office
  int Responsible = 0;
  int User = 0;
  std::optional<long long> Protocol;  // the protocol that carried the document, if one did
  std::optional<std::string> Note;
};

struct DemoDocument {
  long long Code = 0;
  int Establishment = 0;  // index into DemoOffice::Establishments
  std::string Description;
  std::vector<DemoMovement> Movements;
};

class DemoDocumentMaker {
 public:
  // Document 1 has a full history (with a protocol when its establishment has one); document
  // 2 has no movement at all.
  static constexpr int kShowcaseCount = 2;

  // `protocolsByEstablishment` lists, per establishment index, the numbers of its protocols.
  DemoDocumentMaker(const DemoOffice& office, const DemoCalendar& calendar,
                    const std::vector<std::vector<long long>>& protocolsByEstablishment);

  // How many documents an office with that many protocols keeps.
  static long long CountFor(long long protocolCount);

  void Make(long long code, DemoDocument& document) const;

 private:
  std::optional<long long> ProtocolOf(int establishment, DemoRandom& random) const;

  const DemoOffice& FOffice;
  const DemoCalendar& FCalendar;
  const std::vector<std::vector<long long>>& FProtocolsByEstablishment;
};

}  // namespace demo
