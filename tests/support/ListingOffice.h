// Test support shared by the grouped protocol listings: an office database the test fills with
// companies, branches, users and protocols (through TestOffice), `kdr run` of a listing read back
// from its JSON document, and what the tests look for in it (sections, values, the protocol of each
// row).
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "support/DocumentBands.h"
#include "support/KdrProcess.h"
#include "support/TestDatabase.h"
#include "support/TestOffice.h"

namespace listing {

namespace fs = std::filesystem;
using nlohmann::json;

// A protocol row. Dates are ISO texts as the database keeps them; an empty write-off date
// leaves the protocol pending.
struct Protocolo {
  int Codigo;
  int Empresa;
  int Estab;
  std::string Lancamento;  // yyyy-mm-dd
  std::string Cadastro;    // yyyy-mm-dd hh:mm:ss
  int Usuario;             // who registered it
  std::string Baixa;       // yyyy-mm-dd hh:mm:ss, or empty
  int UsuarioBaixa = 0;
  std::string Recebedor = "";
  int Tipo = 1;
};

class ListingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kdr-listing-XXXXXX";
    FFolder = mkdtemp(pattern);
    // Two companies, the first with two branches, and three users.
    FData.Add(office::Company{.Code = 1, .Name = "Padaria Pão Quente"})
        .Add(office::Company{.Code = 2, .Name = "Oficina São José"});
    Branch(1, 1, "Padaria Pão Quente Ltda", "Matriz");
    Branch(1, 2, "Padaria Pão Quente Ltda", "Filial Batel");
    Branch(2, 1, "Oficina São José ME", "Matriz");
    FData.Add(office::User{.Code = 7, .Login = "maria", .FullName = "Maria Souza"})
        .Add(office::User{.Code = 8, .Login = "joao", .FullName = "João Lima"})
        .Add(office::User{.Code = 9, .Login = "ana", .FullName = "Ana Prado"});
  }
  void TearDown() override { fs::remove_all(FFolder); }

  std::string Url() const { return FDemo.empty() ? FOffice.Url() : "sqlite:" + FDemo.string(); }
  Outcome Kdr(const std::vector<std::string>& arguments) const {
    return RunKdr(arguments, FFolder);
  }

  void Execute(const std::string& sql) { FOffice.Execute(sql); }

  // A branch with its names only: no address, registration or telephone.
  void Branch(int company, int number, const std::string& name, const std::string& nickname) {
    FData.Add(office::NamesOnly(company, number, name, nickname));
  }

  static office::Text Texto(const std::string& text) {
    return text.empty() ? office::Text() : office::Text(text);
  }

  void Add(const Protocolo& p) {
    FData.Add(office::Protocol{
        .Code = p.Codigo,
        .Company = p.Empresa,
        .Establishment = p.Estab,
        .Type = p.Tipo,
        .Note = std::nullopt,
        .Launched = Texto(p.Lancamento),
        .Registered = Texto(p.Cadastro),
        .User = p.Usuario,
        .DeliveryKind = std::nullopt,
        .Nature = std::nullopt,
        .WrittenOffBy = p.UsuarioBaixa ? office::Integer(p.UsuarioBaixa) : office::Integer(),
        .Receiver = Texto(p.Recebedor),
        .WrittenOff = Texto(p.Baixa)});
  }

  // The written-off listing's office: five protocols written off in March 2026 by three users,
  // one pending and one written off in April (neither listed for March).
  void AddMarchWriteOffs() {
    // Codigo, Empresa, Estab, Lancamento, Cadastro, Usuario, Baixa, UsuarioBaixa, Recebedor, Tipo
    Add({101, 1, 1, "2026-02-20", "2026-02-20 09:00:00", 7, "2026-03-05 10:00:00", 8, "Carlos", 1});
    Add({102, 1, 2, "2026-02-10", "2026-02-10 09:00:00", 7, "2026-03-02 09:30:00", 7, "Rita", 2});
    Add({103, 2, 1, "2026-02-25", "2026-02-25 09:00:00", 7, "2026-03-05 16:00:00", 7, "Paulo", 1});
    Add({104, 1, 1, "2026-02-05", "2026-02-05 09:00:00", 7, "2026-03-02 11:00:00", 9, "Carlos", 1});
    Add({105, 1, 1, "2026-03-01", "2026-03-01 09:00:00", 7, "", 0, "", 1});
    Add({106, 2, 1, "2026-03-01", "2026-03-01 09:00:00", 7, "2026-04-02 10:00:00", 7, "Paulo", 1});
    Add({107, 1, 2, "2026-01-15", "2026-01-15 09:00:00", 7, "2026-03-20 08:00:00", 7, "Rita", 1});
  }

  void AddItem(int protocolo, int seq, const std::string& descricao, const std::string& valor,
               const std::string& vencimento) {
    FData.Add(office::Item{.Protocol = protocolo,
                           .Sequence = seq,
                           .Description = descricao,
                           .Value = valor,
                           .Due = vencimento,
                           .Competence = std::nullopt});
  }

  // `kdr run` of the listing with the March 2026 period unless the parameters say otherwise.
  Outcome Run(const std::string& report, const std::vector<std::string>& parameters,
              const std::vector<std::string>& output = {"--format", "json", "-o", "-"}) const {
    std::vector<std::string> arguments = {"run",
                                          report,
                                          "--db",
                                          Url(),
                                          "--quiet",
                                          "-p",
                                          "pDataInicial=01/03/2026",
                                          "-p",
                                          "pDataFinal=31/03/2026"};
    for (const std::string& parameter : parameters) {
      arguments.push_back("-p");
      arguments.push_back(parameter);
    }
    arguments.insert(arguments.end(), output.begin(), output.end());
    return Kdr(arguments);
  }

  json RunJson(const std::string& report, const std::vector<std::string>& parameters) const {
    const Outcome outcome = Run(report, parameters);
    EXPECT_EQ(outcome.Status, 0) << outcome.Err;
    if (outcome.Status != 0) return json::object({{"pages", json::array()}});
    return json::parse(outcome.Out);
  }

  // The run fails with status 1 and a message holding `fragment`.
  void ExpectRefused(const std::string& report, const std::vector<std::string>& parameters,
                     const std::string& fragment) const {
    const Outcome outcome = Run(report, parameters);
    EXPECT_EQ(outcome.Status, 1) << outcome.Out;
    EXPECT_NE(outcome.Err.find(fragment), std::string::npos) << outcome.Err;
  }

  static std::vector<int> Sections(const json& document) { return SectionsOf(document); }
  static std::vector<json> Bands(const json& document, int section) {
    return BandsOf(document, section);
  }
  static std::string Value(const json& band, const std::string& name) {
    return band["values"].contains(name) ? band["values"][name].get<std::string>() : "";
  }
  static std::vector<std::string> Values(const json& document, int section,
                                         const std::string& name) {
    std::vector<std::string> values;
    for (const json& band : Bands(document, section)) values.push_back(Value(band, name));
    return values;
  }
  // The protocol numbers of the detail rows, in print order.
  static std::vector<int> Protocols(const json& document, int section) {
    std::vector<int> codes;
    for (const json& band : Bands(document, section)) {
      codes.push_back(std::stoi(Value(band, "R0")));
    }
    return codes;
  }

  // Every plan of a listing prints groups and totals from the demo office over `period`.
  void ExpectDemoPrintsEveryPlan(const std::string& report,
                                 const std::vector<std::string>& period) {
    FDemo = FFolder / "demo.sqlite";
    ASSERT_EQ(Kdr({"db", "demo", "--db", Url()}).Status, 0);
    for (const std::string plan : {"0", "1", "2", "3"}) {
      std::vector<std::string> parameters = period;
      parameters.push_back("pQuebra=" + plan);
      const json document = RunJson(report, parameters);
      EXPECT_GE(Bands(document, 10).size(), 2u) << report << " plan " << plan;
      EXPECT_GE(Bands(document, 12).size(), 2u) << report << " plan " << plan;
      EXPECT_TRUE(document["messages"].empty()) << report << " plan " << plan;
    }
  }

  TestDatabase FOffice;
  office::TestOffice FData{FOffice.Engine()};
  fs::path FFolder;
  fs::path FDemo;  // the demo office, once a test asks for it
};

}  // namespace listing
