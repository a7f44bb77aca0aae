// Test support for the protocol print: an office database with one client establishment to
// start from, helpers to add protocols and items, a connection that records every statement
// it runs, and short ways to read what the run printed.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "data/DatabaseEngine.h"
#include "protocol_print/TKdrProtocolo.h"
#include "support/RecordingEngine.h"
#include "support/ReportHarness.h"
#include "support/TestDatabase.h"
#include "support/TestOffice.h"

// Beginnings of the statements the report runs, to count them.
inline const char* const kItemStatement = "select ";
inline const char* const kOwnAddressStatement = "select F.CODIGOEMPRESA";
inline const char* const kDeliveryAddressStatement = "select T.CODIGOEMPRESA";
inline const char* const kLogoStatement = "select EMP.CODIGOEMPRESA";

class ProtocoloOffice : public ::testing::Test {
 public:
  // The parameters of a March run in the given print mode ("G" large, "C" compact).
  static std::map<std::string, std::string> March(const std::string& mode,
                                                  std::map<std::string, std::string> more = {}) {
    more.emplace("pDataInicial", "01/03/2026");
    more.emplace("pDataFinal", "31/03/2026");
    more.emplace("pOrigem", mode);
    return more;
  }

 protected:
  ProtocoloOffice() {
    FData.StreetType(1, "Rua").StreetType(2, "Avenida").City("PR", office::kCuritiba, "Curitiba");
    FData.Add(office::Company{});
    AddEstablishment(1, 1, "Padaria Pão Quente Ltda", "41", "33334444");
  }

  void AddEstablishment(int company, int establishment, const std::string& name,
                        const std::string& areaCode, const std::string& phone) {
    FData.Add(office::Establishment{.Company = company,
                                    .Number = establishment,
                                    .Name = name,
                                    .Nickname = std::nullopt,
                                    .RegistrationType = 1,
                                    .Registration = "12345678000195",
                                    .Street = "das Flores",
                                    .HouseNumber = 100,
                                    .Complement = "Loja 2",
                                    .AreaCode = areaCode.empty() ? office::Text() : areaCode,
                                    .Phone = phone.empty() ? office::Text() : phone});
  }

  // A protocol launched on 10/03/2026 for establishment 1 of company 1 unless told otherwise.
  void AddProtocol(int code, const std::string& title = "Guias de março", int company = 1,
                   int establishment = 1, const std::string& launched = "2026-03-10") {
    FData.Add(office::Protocol{.Code = code,
                               .Company = company,
                               .Establishment = establishment,
                               .Note = title,
                               .Launched = launched});
  }

  void AddItem(int protocol, int sequence, const std::string& description,
               const std::string& value = "10.00", const Variant& due = Variant("2026-03-20"),
               const Variant& competence = Variant("2026-03-01")) {
    FData.Add(office::Item{.Protocol = protocol,
                           .Sequence = sequence,
                           .Description = description,
                           .Value = value,
                           .Due = TextOf(due),
                           .Competence = TextOf(competence)});
  }

  // `count` single-line items numbered from 1.
  void AddItems(int protocol, int count) {
    for (int i = 1; i <= count; ++i) AddItem(protocol, i, "Item " + std::to_string(i));
  }

  std::unique_ptr<ReportHarness> Run(const std::map<std::string, std::string>& params) {
    auto harness = std::make_unique<ReportHarness>("KdrProtocolo", params);
    harness->Run<TKdrProtocolo>();
    return harness;
  }

  // Section numbers of the bands printed on each page.
  static std::vector<std::vector<int>> PageSections(const ReportHarness& harness) {
    std::vector<std::vector<int>> pages;
    for (const Page& page : harness.Sink.Pages) {
      pages.emplace_back();
      for (const Band& band : page.Bands) pages.back().push_back(band.Section);
    }
    return pages;
  }

  // The bands of one section, in print order.
  static std::vector<const Band*> BandsOf(const ReportHarness& harness, int section) {
    std::vector<const Band*> bands;
    for (const Band* band : harness.Bands()) {
      if (band->Section == section) bands.push_back(band);
    }
    return bands;
  }

  static bool HasValue(const Band& band, const std::string& name) {
    return std::any_of(band.Values->begin(), band.Values->end(),
                       [&](const auto& entry) { return entry.first == name; });
  }

  static const ElementState* Element(const Band& band, const std::string& name) {
    for (const ElementState& state : *band.Elements) {
      if (state.Name == name) return &state;
    }
    return nullptr;
  }

  TestDatabase FOffice;
  office::TestOffice FData{FOffice.Engine()};
  RecordingEngine FRecorder{FOffice.Engine()};

 private:
  static office::Text TextOf(const Variant& date) {
    return date.IsNull() ? office::Text() : office::Text(date.AsString());
  }
};

// Sections a block prints in order, for building expected sequences.
inline std::vector<int> Repeat(int section, int times) {
  return std::vector<int>(static_cast<std::size_t>(times), section);
}
inline std::vector<int> Join(std::initializer_list<std::vector<int>> parts) {
  std::vector<int> joined;
  for (const auto& part : parts) joined.insert(joined.end(), part.begin(), part.end());
  return joined;
}
