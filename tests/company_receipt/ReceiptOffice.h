// What the receipt tests share: an office database with one company and its head office, small
// helpers to add protocols and items, and a run of the receipt on the real report writer.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "company_receipt/TKdrProtocoloEmpresa.h"
#include "support/RecordingEngine.h"
#include "support/ReportHarness.h"
#include "support/TestDatabase.h"
#include "support/TestOffice.h"

// An office with company 1 ("Padaria Pão Quente Ltda") and its establishment 1 ("Matriz") at
// Rua Nove, 120, Sala 3, Centro, Curitiba / PR, telephone (41) 3333-4444.
class ReceiptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Data.StreetType(1, "Rua").StreetType(2, "Avenida");
    Data.City("PR", 1, "Curitiba").City("SC", 2, "Joinville");
    Data.Add(office::Company{.Code = 1, .Name = "Padaria Pão Quente Ltda"});
    Data.Add(office::Company{.Code = 2, .Name = "Oficina São José"});
    Estab(1, 1, "Matriz", 1, "Nove", 120, "Sala 3", "Centro", "41", "33334444");
  }

  // An establishment of Curitiba / PR named and nicknamed `nickname`; std::nullopt leaves a part
  // of the address null.
  void Estab(int company, int estab, const std::string& nickname, office::Integer streetType,
             office::Text street, office::Integer number, office::Text complement,
             office::Text district, office::Text areaCode, office::Text phone) {
    Data.Add(office::Establishment{.Company = company,
                                   .Number = estab,
                                   .Name = nickname,
                                   .Nickname = nickname,
                                   .RegistrationType = std::nullopt,
                                   .Registration = std::nullopt,
                                   .StreetType = streetType,
                                   .Street = street,
                                   .HouseNumber = number,
                                   .Complement = complement,
                                   .District = district,
                                   .City = 1,
                                   .AreaCode = areaCode,
                                   .Phone = phone});
  }

  void Protocolo(int code, int company, int estab, const std::string& description,
                 const std::string& launched = "2026-03-10") {
    Data.Add(office::Protocol{.Code = code,
                              .Company = company,
                              .Establishment = estab,
                              .Note = description,
                              .Launched = launched,
                              .Nature = "E"});
  }

  // An item launched on 10/03/2026, due on 20/03/2026, of competence 02/2026.
  void Item(int protocol, int sequence, const std::string& description,
            const std::string& value = "1234.5") {
    Data.Add(office::Item{.Protocol = protocol,
                          .Sequence = sequence,
                          .Description = description,
                          .Value = value,
                          .Competence = "2026-02-01",
                          .Launched = "2026-03-10"});
  }

  // The receipt of March 2026 with these parameters besides the dates.
  std::unique_ptr<ReportHarness> Run(std::map<std::string, std::string> parameters = {}) {
    parameters.emplace("pDataInicial", "01/03/2026");
    parameters.emplace("pDataFinal", "31/03/2026");
    auto harness = std::make_unique<ReportHarness>("KdrProtocoloEmpresa", parameters);
    harness->Run<TKdrProtocoloEmpresa>();
    return harness;
  }

  // The printed bands of one section, in print order.
  static std::vector<const Band*> BandsOf(const ReportHarness& harness, int section) {
    std::vector<const Band*> bands;
    for (const Band* band : harness.Bands()) {
      if (band->Section == section) bands.push_back(band);
    }
    return bands;
  }

  static std::string Value(const Band* band, const std::string& name) {
    return ReportHarness::Value(*band, name);
  }

  TestDatabase Office;
  office::TestOffice Data{Office.Engine()};
  RecordingEngine Engine{Office.Engine()};
};

// Statements that read the establishments' addresses hold this.
inline const std::string kAddressStatement = "from ESTAB F";

inline const std::string kReceiptLine = "Recebido em:  ........./........../..........";
