// The protocols of the demo office and their items, made one at a time from the protocol's
// number so that a million of them need no more memory than one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "demo/DemoCalendar.h"
#include "demo/DemoRandom.h"

namespace demo {

class DemoOffice;

struct DemoTimestamp {
  Day Date;
  int Hour = 0, Minute = 0, Second = 0;
};

struct DemoItem {
  int Sequence = 0;  // SEQITEMPRO, from 1
  std::string Description;
  std::optional<std::int64_t> Cents;  // VALOR in cents
  std::optional<Day> Due;
  std::optional<Day> Competence;  // first day of the month
  std::optional<int> TaxCode;
  std::optional<int> TaxVariation;
  std::optional<int> Employee;
  bool Cancelled = false;
  std::optional<std::string> SourceKey;
};

struct DemoProtocol {
  long long Code = 0;
  int Establishment = 0;             // index into DemoOffice::Establishments
  int Type = 1;                      // TIPOPRO 1 to 4
  std::optional<std::string> Title;  // OBSERVACAO
  Day Launch;
  DemoTimestamp Registered;
  int RegisteredBy = 0;
  char DeliveryForm = '1';  // '1', '2' or '3'
  char Nature = 'S';        // 'S' sent to the client, 'E' received from it
  std::optional<DemoTimestamp> Delivered;
  std::optional<DemoTimestamp> WrittenOff;  // with the two below
  int WrittenOffBy = 0;
  std::string ReceivedBy;
  std::vector<DemoItem> Items;
};

class DemoProtocolMaker {
 public:
  // The first protocols show particular cases whatever the size: see the table in the source.
  static constexpr int kShowcaseCount = 8;

  DemoProtocolMaker(const DemoOffice& office, const DemoCalendar& calendar, long long count);

  // Fills `protocol` with number `code` (1 to count), reusing its storage.
  void Make(long long code, DemoProtocol& protocol) const;
  // Index into the calendar's business days of the protocol's launch date; never decreases
  // with the number, as offices number protocols in the order they launch them.
  int DayIndexOf(long long code) const;

 private:
  void MakeShowcase(long long code, DemoProtocol& protocol) const;
  void MakeRandom(long long code, DemoProtocol& protocol) const;
  void SetRegistration(DemoProtocol& protocol, DemoRandom& random) const;
  void SetWriteOff(DemoProtocol& protocol, DemoRandom& random) const;

  const DemoOffice& FOffice;
  const DemoCalendar& FCalendar;
  long long FCount;
};

}  // namespace demo
