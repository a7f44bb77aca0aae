// The host connection seen through a recorder: every query and its values, in order, while it
// lives. It can also fail chosen queries and hand rows back in reverse, to show that a report
// neither hides a lost connection nor depends on the engine's order.
#pragma once

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "Exception.h"
#include "data/DatabaseEngine.h"

class RecordingEngine : public DatabaseEngine {
 public:
  // Becomes the host connection; gives it back to `inner` when done.
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
    const bool failing = FailQuery == static_cast<int>(Queries.size()) ||
                         (!FailOn.empty() && statement.rfind(FailOn, 0) == 0);
    if (failing) throw EDatabaseError("conexão perdida");
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

  // How many recorded queries begin with `start`.
  int CountStarting(const std::string& start) const {
    return static_cast<int>(std::count_if(Queries.begin(), Queries.end(), [&](const auto& query) {
      return query.Statement.rfind(start, 0) == 0;
    }));
  }
  // How many recorded queries hold `fragment` anywhere.
  int CountHolding(const std::string& fragment) const {
    return static_cast<int>(std::count_if(Queries.begin(), Queries.end(), [&](const auto& query) {
      return query.Statement.find(fragment) != std::string::npos;
    }));
  }

  std::vector<RecordedQuery> Queries;
  bool ReverseRows = false;
  int FailQuery = 0;   // 1-based number of the query that fails; 0: none
  std::string FailOn;  // queries beginning with this text fail; empty: none

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
