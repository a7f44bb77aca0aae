// The words the demo office is made of: cities, streets, names, tax guides and documents, in
// Brazilian Portuguese (UTF-8).
#pragma once

#include <cstdint>
#include <vector>

namespace demo {

struct City {
  const char* State;  // two-letter abbreviation
  int Code;           // IBGE municipality code
  const char* Name;
  const char* AreaCode;  // telephone area code
};

struct StreetType {
  int Code;
  const char* Name;
  int Weight;  // how common it is, relative to the others
};

struct NamedCode {
  int Code;
  const char* Name;
  const char* FullName;
};

// A line that an office hands out under a protocol.
struct ItemKind {
  int ProtocolType;    // TIPOPRO the line belongs with
  int TaxCode;         // CODIGOIMPOSTO, 0 when the line is a document rather than a tax
  const char* Text;    // "%c" stands for the competence as mm/yyyy
  int DueDay;          // day of the month after the competence; 0 none, 31 the last day
  bool HasCompetence;  // false: no competence
  std::int64_t MinCents, MaxCents;  // value range; both 0 for documents without a value
};

extern const std::vector<City> kCities;
extern const std::vector<StreetType> kStreetTypes;
extern const std::vector<const char*> kStreetNames;
extern const std::vector<const char*> kDistricts;
extern const std::vector<const char*> kComplements;
extern const std::vector<const char*> kActivities;
extern const std::vector<const char*> kFantasyNames;
extern const std::vector<const char*> kLegalSuffixes;
extern const std::vector<const char*> kBranchNicknames;
extern const std::vector<const char*> kFirstNames;
extern const std::vector<const char*> kLastNames;
extern const std::vector<const char*> kReceiverRoles;
extern const std::vector<NamedCode> kUsers;
extern const std::vector<NamedCode> kDepartments;
extern const std::vector<const char*> kMonthNames;  // "janeiro" .. "dezembro"
extern const std::vector<ItemKind> kItemKinds;
extern const std::vector<const char*> kItemDetails;        // sentences that make a line long
extern const std::vector<const char*> kItemSecondLines;    // text after a line break
extern const std::vector<const char*> kProtocolTitles[4];  // per type; "%m" the month name
extern const std::vector<const char*> kRouteNotes;
extern const std::vector<const char*> kDocumentNames;
extern const std::vector<const char*> kInternalMoveNotes;
extern const std::vector<const char*> kExternalMoveNotes;
extern const std::vector<std::uint32_t> kLogoColours;

}  // namespace demo
