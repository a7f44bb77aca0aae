// Test support shared by the company receipt's tests: an office with one company and its branch,
// protocol 7 of March 2026 with its first tax guide, and `kdr` run in a folder the test owns.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/KdrProcess.h"
#include "support/TestDatabase.h"
#include "support/TestOffice.h"

namespace receipt {

namespace fs = std::filesystem;

class ReceiptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kdr-receipt-XXXXXX";
    FFolder = mkdtemp(pattern);
    FData.Places().Add(office::Company{.Code = 1, .Name = "Padaria Pão Quente"});
    FData.Add(office::Establishment{.Name = std::nullopt,
                                    .RegistrationType = std::nullopt,
                                    .Registration = std::nullopt,
                                    .Complement = std::nullopt,
                                    .AreaCode = std::nullopt,
                                    .Phone = std::nullopt});
    FData.Add(Protocolo(7, "Guias de março", "2026-03-02"))
        .Add(office::Item{.Protocol = 7,
                          .Sequence = 1,
                          .Description = "DAS - Simples Nacional",
                          .Value = "1234.50",
                          .Due = "2026-03-20",
                          .Competence = "2026-02-01",
                          .Launched = "2026-03-02"});
  }
  void TearDown() override { fs::remove_all(FFolder); }

  // A protocol of company 1's establishment 1 with no type, delivery kind or nature.
  static office::Protocol Protocolo(int code, const std::string& note,
                                    const std::string& launched) {
    return office::Protocol{.Code = code,
                            .Type = std::nullopt,
                            .Note = note,
                            .Launched = launched,
                            .DeliveryKind = std::nullopt,
                            .Nature = std::nullopt};
  }

  std::string Url() const { return FOffice.Url(); }

  Outcome Kdr(const std::vector<std::string>& arguments) const {
    return RunKdr(arguments, FFolder);
  }

  TestDatabase FOffice;
  office::TestOffice FData{FOffice.Engine()};
  fs::path FFolder;
};

}  // namespace receipt
