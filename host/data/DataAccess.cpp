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

struct TjCursorSQL::Impl {
  std::unique_ptr<RowCursor> Cursor;
  bool OnRow = false;
};

TjCursorSQL::TjCursorSQL(const std::string& statement, const std::vector<Variant>& values)
    : FImpl(std::make_unique<Impl>()) {
  FImpl->Cursor = HostConnection::Get().OpenCursor(statement, values);
}

TjCursorSQL::~TjCursorSQL() = default;

bool TjCursorSQL::Proximo() {
  FImpl->OnRow = FImpl->Cursor->Next();
  return FImpl->OnRow;
}

int TjCursorSQL::Coluna(const std::string& nome) const {
  const std::vector<std::string>& names = FImpl->Cursor->Names();
  for (std::size_t column = 0; column < names.size(); ++column) {
    if (SameText(names[column], nome)) return static_cast<int>(column);
  }
  return -1;
}

int TjCursorSQL::ColunaObrigatoria(const std::string& nome) const {
  const int column = Coluna(nome);
  if (column < 0) throw Exception("Coluna \"" + nome + "\" não existe no resultado do comando");
  return column;
}

const Variant& TjCursorSQL::Valor(int coluna) const {
  if (!FImpl->OnRow) throw Exception("O cursor não está sobre uma linha do resultado");
  if (coluna < 0 || static_cast<std::size_t>(coluna) >= FImpl->Cursor->Names().size()) {
    throw Exception("Coluna " + std::to_string(coluna) + " não existe no resultado do comando");
  }
  return FImpl->Cursor->Value(static_cast<std::size_t>(coluna));
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
