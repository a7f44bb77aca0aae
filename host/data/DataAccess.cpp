#include "DataAccess.h"

#include "Exception.h"
#include "SysUtils.h"
#include "data/DatabaseEngine.h"

std::unique_ptr<TjClientDataSet> ExecutarSQL(const std::string& statement,
                                             const std::vector<Variant>& values, bool, bool, int,
                                             const std::string&, TConnection*, bool) {
  std::unique_ptr<TjClientDataSet> dataSet = HostConnection::Get().Query(statement, values);
  dataSet->SetCommand(statement, values);
  if (dataSet->Active()) dataSet->First();
  return dataSet;
}

void RefreshSQL(TjClientDataSet& dataSet, const std::vector<Variant>& values, bool) {
  const std::string statement = dataSet.CommandText();
  if (statement.empty()) {
    throw Exception("O conjunto de dados não foi aberto por um comando e não pode ser reexecutado");
  }
  std::unique_ptr<TjClientDataSet> fresh = HostConnection::Get().Query(statement, values);
  const int fields = fresh->FieldCount();
  if (fields != dataSet.FieldCount()) {
    throw Exception("O comando reexecutado devolveu " + std::to_string(fields) +
                    " colunas em vez de " + std::to_string(dataSet.FieldCount()));
  }
  // The caller keeps its data set (and its index); only the records are replaced.
  dataSet.EmptyDataSet();
  for (fresh->First(); !fresh->Eof(); fresh->Next()) {
    std::vector<Variant> row;
    row.reserve(static_cast<std::size_t>(fields));
    for (int field = 0; field < fields; ++field) row.push_back(fresh->Fields(field).Value());
    dataSet.AppendRecord(std::move(row));
  }
  dataSet.SetCommand(statement, values);
  dataSet.First();
}

void DestruirSQL(std::unique_ptr<TjClientDataSet>& dataSet) {
  dataSet.reset();
}

Variant TjDMSQLDataSet::PegarValorCampo(const std::string& table, const std::string& column,
                                        const std::string& condition) {
  std::string statement = "select " + column + " from " + table;
  if (!Trim(condition).empty()) statement += " where " + condition;
  return HostConnection::Get().LookupValue(statement);
}

TjDMSQLDataSet& jDMSQLDataSet() {
  static TjDMSQLDataSet instance;
  return instance;
}
