// What the receipt tests share: an office database with one company and its head office, small
// helpers to add protocols and items, an engine that records every query the report runs, and a
// run of the receipt on the real report writer.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "company_receipt/TKdrProtocoloEmpresa.h"
#include "data/DatabaseEngine.h"
#include "support/ReportHarness.h"

// The host connection seen through a recorder: every query and its values, in order. It can
// also hand rows back in reverse (to show the report does not depend on the engine's order) and
// fail one chosen query.
class RecordingEngine : public DatabaseEngine {
 public:
  explicit RecordingEngine(DatabaseEngine& inner) : FInner(inner) { HostConnection::Set(this); }
  ~RecordingEngine() override { HostConnection::Set(&FInner); }
  RecordingEngine(const RecordingEngine&) = delete;
  RecordingEngine& operator=(const RecordingEngine&) = delete;

  struct RecordedQuery {
    std::string Statement;
    std::vector<Variant> Values;
  };

  std::string EngineName() const override { return FInner.EngineName(); }
  std::unique_ptr<TjClientDataSet> Query(const std::string& statement,
                                         const std::vector<Variant>& values) override {
    Queries.push_back({statement, values});
    if (FailQuery == static_cast<int>(Queries.size())) throw EDatabaseError("conexão perdida");
    std::unique_ptr<TjClientDataSet> rows = FInner.Query(statement, values);
    return ReverseRows ? Reversed(*rows) : std::move(rows);
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

  // Statements that read the establishments' addresses.
  int AddressQueries() const {
    int count = 0;
    for (const auto& query : Queries) {
      if (query.Statement.find("from ESTAB F") != std::string::npos) ++count;
    }
    return count;
  }

  std::vector<RecordedQuery> Queries;
  bool ReverseRows = false;
  int FailQuery = 0;  // 1-based number of the query that fails; 0: none

 private:
  static std::unique_ptr<TjClientDataSet> Reversed(TjClientDataSet& rows) {
    auto copy = std::make_unique<TjClientDataSet>();
    for (int i = 0; i < rows.FieldCount(); ++i) {
      const TField& field = rows.Fields(i);
      copy->AddFieldDef(field.FieldName(), field.DataType(), field.Size(), field.Precision(),
                        field.Scale());
    }
    copy->CreateDataSet();
    std::vector<std::vector<Variant>> records;
    for (rows.First(); !rows.Eof(); rows.Next()) {
      std::vector<Variant>& record = records.emplace_back();
      for (int i = 0; i < rows.FieldCount(); ++i) record.push_back(rows.Fields(i).Value());
    }
    for (auto record = records.rbegin(); record != records.rend(); ++record) {
      copy->AppendRecord(*record);
    }
    copy->First();
    return copy;
  }

  DatabaseEngine& FInner;
};

// An office with company 1 ("Padaria Pão Quente Ltda") and its establishment 1 ("Matriz") at
// Rua Nove, 120, Sala 3, Centro, Curitiba / PR, telephone (41) 3333-4444.
class ReceiptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Office.Execute("insert into TIPOLOGRADOURO values (1, 'Rua'), (2, 'Avenida')");
    Office.Execute("insert into MUNICIPIO values ('PR', 1, 'Curitiba'), ('SC', 2, 'Joinville')");
    Office.Execute(
        "insert into EMPRESA (CODIGOEMPRESA, NOMEEMPRESA) values "
        "(1, 'Padaria Pão Quente Ltda'), (2, 'Oficina São José')");
    Estab(1, 1, "Matriz", "1", "'Nove'", "120", "'Sala 3'", "'Centro'", "'41'", "'33334444'");
  }

  void Estab(int company, int estab, const std::string& nickname, const std::string& streetType,
             const std::string& street, const std::string& number, const std::string& complement,
             const std::string& district, const std::string& areaCode, const std::string& phone) {
    Office.Execute(
        "insert into ESTAB (CODIGOEMPRESA, CODIGOESTAB, NOMEESTAB, APELIDOESTAB, "
        "CODIGOTIPOLOGRAD, ENDERECOESTAB, NUMENDERESTAB, COMPLENDERESTAB, BAIRROENDERESTAB, "
        "SIGLAESTADO, CODIGOMUNIC, DDDFONE, NUMEROFONE) values (" +
        std::to_string(company) + ", " + std::to_string(estab) + ", '" + nickname + "', '" +
        nickname + "', " + streetType + ", " + street + ", " + number + ", " + complement + ", " +
        district + ", 'PR', 1, " + areaCode + ", " + phone + ")");
  }

  void Protocolo(int code, int company, int estab, const std::string& description,
                 const std::string& launched = "2026-03-10") {
    Office.Execute(
        "insert into PROTOCOLO (CODIGOPROTOCOLO, CODIGOEMPRESA, CODIGOESTAB, "
        "OBSERVACAO, DATALCTOPRO, FORMAENTREGA, NATUREZAPRO, TIPOPRO) values (:c, :e, "
        ":s, :d, :l, '1', 'E', 1)",
        {code, company, estab, description, launched});
  }

  // An item launched on 10/03/2026, due on 20/03/2026, of competence 02/2026.
  void Item(int protocol, int sequence, const std::string& description,
            const std::string& value = "1234.5") {
    Office.Execute(
        "insert into PROTOCOLOITEM (CODIGOPROTOCOLO, SEQITEMPRO, DESCRITEM, "
        "DATALCTOPRO, VENCIMENTO, VALOR, CANCELADO, COMPETENCIA) values (:p, :s, :d, "
        "'2026-03-10', '2026-03-20', " +
            value + ", '0', '2026-02-01')",
        {protocol, sequence, description});
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

  TempOffice Office;
  RecordingEngine Engine{Office.Database()};
};

inline const std::string kReceiptLine = "Recebido em:  ........./........../..........";
