// A statement prepared on a Firebird connection: `:name` parameters bound one value per
// occurrence, and the rows read into a client data set in the host's types.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "TjClientDataSet.h"
#include "Variant.h"
#include "data/FieldConversion.h"
#include "data/FirebirdConnection.h"
#include "data/StatementParameters.h"

namespace firebird {

// A prepared statement with its parameter and column buffers.
class Statement {
 public:
  Statement(Connection& connection, isc_tr_handle* transaction, std::string statement);
  bool IsSelect() const;
  void Run(isc_tr_handle* transaction, const std::vector<Variant>& values);

  // Reads the whole result of a select run by Run into a new data set.
  std::unique_ptr<TjClientDataSet> ReadAll(isc_tr_handle* transaction);

 private:
  [[noreturn]] void Fail(const Status& status) const { FConnection.Fail(status, FStatement); }

  using Describer = ISC_STATUS (*)(ISC_STATUS*, isc_stmt_handle*, unsigned short, XSQLDA*);
  void Describe(Sqlda& area, Describer describe);
  int StatementType();

  // Field shapes and buffers for the result columns; names made unique as the host does.
  void PrepareColumns();
  static FieldShape ShapeOf(const XSQLVAR& var, std::string name);
  bool Fetch();
  Variant Cell(int column, isc_tr_handle* transaction);

  // Exact: a scaled integer becomes a decimal of that scale, never a double.
  static Variant Integer(std::int64_t value, int sqlScale);
  std::string ReadBlob(ISC_QUAD id, isc_tr_handle* transaction);
  ISC_QUAD WriteBlob(const std::string& bytes, isc_tr_handle* transaction);

  // Binds one placeholder. The statement's own type for it decides blobs, booleans and dates;
  // everything else is handed over in its own type and the server converts it.
  void Bind(int index, const Variant& value, isc_tr_handle* transaction);

  Connection& FConnection;
  std::string FStatement;
  NamedParameters FParameters;
  StatementHandle FHandle;
  Sqlda FOutput{16};
  Sqlda FInput;
  int FType = 0;
  bool FCursorOpen = false;
  std::vector<FieldShape> FShapes;
  std::vector<std::vector<char>> FColumnData;
  std::vector<short> FColumnNulls;
  std::vector<int> FDescribedTypes;
  std::vector<std::vector<char>> FInputData;
  std::vector<short> FInputNulls;
};

}  // namespace firebird
