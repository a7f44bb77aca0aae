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

#include "Exception.h"
#include "data/DatabaseEngine.h"
#include "protocol_print/TKdrProtocolo.h"
#include "support/ReportHarness.h"

// The host connection, recording every statement that passes through it.
class RecordingEngine : public DatabaseEngine {
 public:
  explicit RecordingEngine(DatabaseEngine& inner) : FInner(inner) {}

  std::string EngineName() const override { return FInner.EngineName(); }
  std::unique_ptr<TjClientDataSet> Query(const std::string& statement,
                                         const std::vector<Variant>& values) override {
    Statements.push_back(statement);
    if (!FailOn.empty() && statement.rfind(FailOn, 0) == 0) throw EDatabaseError("conexão perdida");
    return FInner.Query(statement, values);
  }
  void Execute(const std::string& statement, const std::vector<Variant>& values) override {
    FInner.Execute(statement, values);
  }
  void ExecuteScript(const std::string& script) override { FInner.ExecuteScript(script); }
  std::unique_ptr<PreparedStatement> Prepare(const std::string& statement) override {
    return FInner.Prepare(statement);
  }
  void BeginTransaction() override { FInner.BeginTransaction(); }
  void Commit() override { FInner.Commit(); }
  void Rollback() override { FInner.Rollback(); }
  std::vector<std::string> TableNames() override { return FInner.TableNames(); }

  // How many recorded statements begin with `start`.
  int CountStarting(const std::string& start) const {
    return static_cast<int>(
        std::count_if(Statements.begin(), Statements.end(),
                      [&](const std::string& s) { return s.rfind(start, 0) == 0; }));
  }

  std::vector<std::string> Statements;
  std::string FailOn;  // statements beginning with this text fail

 private:
  DatabaseEngine& FInner;
};

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
  ProtocoloOffice() : FRecorder(FOffice.Database()) {
    HostConnection::Set(&FRecorder);
    // A throw-away database: waiting for the disk after every insert only slows the tests.
    FOffice.Execute("PRAGMA synchronous = OFF");
    FOffice.Execute("insert into MUNICIPIO values ('PR', 4106902, 'Curitiba')");
    FOffice.Execute("insert into TIPOLOGRADOURO values (1, 'Rua')");
    FOffice.Execute("insert into TIPOLOGRADOURO values (2, 'Avenida')");
    FOffice.Execute("insert into EMPRESA values (1, 'Padaria Pão Quente Ltda', null)");
    AddEstablishment(1, 1, "Padaria Pão Quente Ltda", "41", "33334444");
  }
  ~ProtocoloOffice() override { HostConnection::Set(&FOffice.Database()); }

  void AddEstablishment(int company, int establishment, const std::string& name,
                        const std::string& areaCode, const std::string& phone) {
    FOffice.Execute(
        "insert into ESTAB (CODIGOEMPRESA, CODIGOESTAB, NOMEESTAB, TIPOINSCR, INSCRFEDERAL, "
        "CODIGOTIPOLOGRAD, ENDERECOESTAB, NUMENDERESTAB, COMPLENDERESTAB, BAIRROENDERESTAB, "
        "SIGLAESTADO, CODIGOMUNIC, DDDFONE, NUMEROFONE) values (:empresa, :estab, :nome, 1, "
        "'12345678000195', 1, 'das Flores', 100, 'Loja 2', 'Centro', 'PR', 4106902, :ddd, :fone)",
        {company, establishment, name, areaCode.empty() ? Variant() : Variant(areaCode),
         phone.empty() ? Variant() : Variant(phone)});
  }

  // A protocol launched on 10/03/2026 for establishment 1 of company 1 unless told otherwise.
  void AddProtocol(int code, const std::string& title = "Guias de março", int company = 1,
                   int establishment = 1, const std::string& launched = "2026-03-10") {
    FOffice.Execute(
        "insert into PROTOCOLO (CODIGOPROTOCOLO, CODIGOEMPRESA, CODIGOESTAB, TIPOPRO, OBSERVACAO, "
        "DATALCTOPRO, FORMAENTREGA, NATUREZAPRO) values (:codigo, :empresa, :estab, 1, "
        ":titulo, :lancamento, '1', 'S')",
        {code, company, establishment, title, launched});
  }

  void AddItem(int protocol, int sequence, const std::string& description,
               const std::string& value = "10.00", const Variant& due = Variant("2026-03-20"),
               const Variant& competence = Variant("2026-03-01")) {
    FOffice.Execute(
        "insert into PROTOCOLOITEM (CODIGOPROTOCOLO, SEQITEMPRO, DESCRITEM, VALOR, VENCIMENTO, "
        "COMPETENCIA, CANCELADO) values (:protocolo, :seq, :descricao, "
        ":valor, :vencimento, :competencia, '0')",
        {protocol, sequence, description, Variant(Decimal::Parse(value, 2)), due, competence});
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
    return std::any_of(band.Values.begin(), band.Values.end(),
                       [&](const auto& entry) { return entry.first == name; });
  }

  static const ElementState* Element(const Band& band, const std::string& name) {
    for (const ElementState& state : band.Elements) {
      if (state.Name == name) return &state;
    }
    return nullptr;
  }

  TempOffice FOffice;
  RecordingEngine FRecorder;
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
