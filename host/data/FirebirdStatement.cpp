#include "data/FirebirdStatement.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

#include "Exception.h"
#include "SysUtils.h"
#include "core/CivilTime.h"
#include "data/ColumnTyping.h"
#include "data/EngineMessages.h"

namespace firebird {

namespace {

// Firebird counts days from 17/11/1858; the host's date-times from 30/12/1899, 15018 days later.
constexpr ISC_LONG kZeroDateTimeDay = 15018;
constexpr double kTimeUnitsPerDay = 864'000'000.0;  // ISC_TIME is in 1/10000 s
constexpr short kUtf8 = 4;                          // character set ids of Firebird
constexpr short kUnicodeFss = 3;
constexpr short kOctets = 1;

template <typename T>
T Read(const char* data) {
  T value{};
  std::memcpy(&value, data, sizeof value);
  return value;
}

template <typename T>
void Write(std::vector<char>& buffer, T value) {
  buffer.resize(sizeof value);
  std::memcpy(buffer.data(), &value, sizeof value);
}

int BytesPerCharacter(short characterSet) {
  switch (characterSet & 0xff) {
    case kUtf8:
      return 4;
    case kUnicodeFss:
      return 3;
    default:
      return 1;
  }
}

std::int64_t PowerOfTen(int exponent) {
  std::int64_t power = 1;
  while (exponent-- > 0) power *= 10;
  return power;
}

}  // namespace

Statement::Statement(Connection& connection, isc_tr_handle* transaction, std::string statement)
    : FConnection(connection),
      FStatement(std::move(statement)),
      FParameters(RewriteNamedParameters(FStatement, PlaceholderStyle::PlainQuestionMark)),
      FInput(static_cast<int>(FParameters.Occurrences.size())) {
  Status status;
  isc_dsql_allocate_statement(status.Vector, connection.Database(), FHandle.Address());
  if (status.Failed()) Fail(status);
  const std::string& text = FParameters.Statement;
  // The columns are described below, with room for as many as there are.
  isc_dsql_prepare(status.Vector, transaction, FHandle.Address(), 0, text.c_str(), kDialect,
                   nullptr);
  if (status.Failed()) Fail(status);
  Describe(FOutput, isc_dsql_describe);
  Describe(FInput, isc_dsql_describe_bind);
  if (static_cast<std::size_t>(FInput.Count()) != FParameters.Occurrences.size()) {
    throw EDatabaseError("O comando tem " + std::to_string(FInput.Count()) +
                         " parâmetros para o Firebird e " +
                         std::to_string(FParameters.Occurrences.size()) +
                         " parâmetros :nome\nComando: " + FStatement);
  }
  for (int index = 0; index < FInput.Count(); ++index) {
    FDescribedTypes.push_back(FInput.Var(index).sqltype & ~1);
  }
  FInputData.resize(FDescribedTypes.size());
  FInputNulls.assign(FDescribedTypes.size(), 0);
  FType = StatementType();
  if (connection.ReadOnly() && !IsSelect()) {
    throw EDatabaseError(WriteRefusedMessage("só consultas são aceitas") +
                         "\nComando: " + FStatement);
  }
  PrepareColumns();
}

bool Statement::IsSelect() const {
  return FType == isc_info_sql_stmt_select || FType == isc_info_sql_stmt_select_for_upd;
}

void Statement::Run(isc_tr_handle* transaction, const std::vector<Variant>& values) {
  const std::vector<Variant> perOccurrence = ValuesPerOccurrence(FParameters, values);
  for (int index = 0; index < FInput.Count(); ++index) {
    Bind(index, perOccurrence[static_cast<std::size_t>(index)], transaction);
  }
  XSQLDA* input = FInput.Count() > 0 ? FInput.Get() : nullptr;
  Status status;
  if (IsSelect() || FOutput.Count() == 0) {
    isc_dsql_execute(status.Vector, transaction, FHandle.Address(), kDialect, input);
  } else {
    isc_dsql_execute2(status.Vector, transaction, FHandle.Address(), kDialect, input,
                      FOutput.Get());
  }
  if (status.Failed()) Fail(status);
  FCursorOpen = IsSelect();
}

std::unique_ptr<TjClientDataSet> Statement::ReadAll(isc_tr_handle* transaction) {
  auto dataSet = std::make_unique<TjClientDataSet>();
  if (!IsSelect()) return dataSet;  // a statement without rows: a closed data set
  for (const FieldShape& shape : FShapes) {
    dataSet->AddFieldDef(shape.Name, shape.Type, shape.Size, shape.Precision, shape.Scale);
  }
  dataSet->CreateDataSet();
  std::vector<Variant> row(FShapes.size());
  while (Fetch()) {
    for (int column = 0; column < FOutput.Count(); ++column) {
      row[static_cast<std::size_t>(column)] = Cell(column, transaction);
    }
    dataSet->AppendRecord(std::move(row));
    row.assign(FShapes.size(), Variant());
  }
  dataSet->First();
  return dataSet;
}

void Statement::Describe(Sqlda& area, Describer describe) {
  Status status;
  describe(status.Vector, FHandle.Address(), kDialect, area.Get());
  if (status.Failed()) Fail(status);
  if (area.Fits()) return;
  area = Sqlda(area.Count());
  describe(status.Vector, FHandle.Address(), kDialect, area.Get());
  if (status.Failed()) Fail(status);
}

int Statement::StatementType() {
  const char items[] = {isc_info_sql_stmt_type};
  char answer[16] = {};
  Status status;
  isc_dsql_sql_info(status.Vector, FHandle.Address(), sizeof items, items, sizeof answer, answer);
  if (status.Failed()) Fail(status);
  if (answer[0] != isc_info_sql_stmt_type) return 0;
  const auto length = static_cast<short>(isc_vax_integer(answer + 1, 2));
  return static_cast<int>(isc_vax_integer(answer + 3, length));
}

void Statement::PrepareColumns() {
  const auto count = static_cast<std::size_t>(FOutput.Count());
  std::vector<std::string> names;
  names.reserve(count);
  for (std::size_t column = 0; column < count; ++column) {
    const XSQLVAR& var = FOutput.Var(static_cast<int>(column));
    names.emplace_back(var.aliasname, static_cast<std::size_t>(var.aliasname_length));
  }
  names = UniqueColumnNames(names);
  FColumnData.resize(count);
  FColumnNulls.assign(count, 0);
  for (std::size_t column = 0; column < count; ++column) {
    XSQLVAR& var = FOutput.Var(static_cast<int>(column));
    const int type = var.sqltype & ~1;
    FColumnData[column].resize(static_cast<std::size_t>(var.sqllen) +
                               (type == SQL_VARYING ? 2 : 0));
    var.sqldata = FColumnData[column].data();
    var.sqlind = &FColumnNulls[column];
    var.sqltype = static_cast<ISC_SHORT>(type | 1);  // always report nulls through sqlind
    FShapes.push_back(ShapeOf(var, std::move(names[column])));
  }
}

FieldShape Statement::ShapeOf(const XSQLVAR& var, std::string name) {
  FieldShape shape;
  shape.Name = std::move(name);
  const int scale = -var.sqlscale;
  switch (var.sqltype & ~1) {
    case SQL_TEXT:
    case SQL_VARYING:
      shape.Type = TFieldType::ftString;
      shape.Size = var.sqllen / BytesPerCharacter(var.sqlsubtype);
      break;
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64: {
      const bool wide = (var.sqltype & ~1) == SQL_INT64;
      if (scale > 0) {
        shape.Type = TFieldType::ftFMTBcd;
        shape.Precision = wide ? 18 : (var.sqltype & ~1) == SQL_LONG ? 9 : 4;
        shape.Scale = scale;
      } else {
        shape.Type = wide ? TFieldType::ftLargeint : TFieldType::ftInteger;
      }
      break;
    }
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
      shape.Type = TFieldType::ftFloat;
      break;
    case SQL_TYPE_DATE:
      shape.Type = TFieldType::ftDate;
      break;
    case SQL_TIMESTAMP:
    case SQL_TYPE_TIME:
      shape.Type = TFieldType::ftDateTime;
      break;
    case SQL_BOOLEAN:
      shape.Type = TFieldType::ftBoolean;
      break;
    case SQL_BLOB:
      shape.Type = var.sqlsubtype == isc_blob_text ? TFieldType::ftString : TFieldType::ftBlob;
      break;
    default:
      shape.Type = TFieldType::ftString;
      break;
  }
  return shape;
}

bool Statement::Fetch() {
  if (!FCursorOpen) return false;
  Status status;
  const ISC_STATUS result =
      isc_dsql_fetch(status.Vector, FHandle.Address(), kDialect, FOutput.Get());
  if (result == 100) {
    FCursorOpen = false;
    return false;
  }
  if (status.Failed()) Fail(status);
  return true;
}

Variant Statement::Cell(int column, isc_tr_handle* transaction) {
  const XSQLVAR& var = FOutput.Var(column);
  if (*var.sqlind < 0) return Variant();
  const char* data = var.sqldata;
  switch (var.sqltype & ~1) {
    case SQL_TEXT: {
      // CHAR(n) comes padded with blanks to its full length; the blanks are not the value.
      std::string text(data, static_cast<std::size_t>(var.sqllen));
      text.erase(text.find_last_not_of(' ') + 1);
      return Variant(std::move(text));
    }
    case SQL_VARYING:
      return Variant(std::string(data + 2, static_cast<std::size_t>(Read<short>(data))));
    case SQL_SHORT:
      return Integer(Read<std::int16_t>(data), var.sqlscale);
    case SQL_LONG:
      return Integer(Read<std::int32_t>(data), var.sqlscale);
    case SQL_INT64:
      return Integer(Read<std::int64_t>(data), var.sqlscale);
    case SQL_FLOAT:
      return Variant(static_cast<double>(Read<float>(data)));
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
      return Variant(Read<double>(data));
    case SQL_TYPE_DATE:
      return Variant(TDateTime(Read<ISC_DATE>(data) - kZeroDateTimeDay));
    case SQL_TYPE_TIME:
      return Variant(TDateTime(Read<ISC_TIME>(data) / kTimeUnitsPerDay));
    case SQL_TIMESTAMP: {
      const auto stamp = Read<ISC_TIMESTAMP>(data);
      return Variant(TDateTime((stamp.timestamp_date - kZeroDateTimeDay) +
                               stamp.timestamp_time / kTimeUnitsPerDay));
    }
    case SQL_BOOLEAN:
      return Variant(Read<FB_BOOLEAN>(data) != FB_FALSE);
    case SQL_BLOB: {
      std::string bytes = ReadBlob(Read<ISC_QUAD>(data), transaction);
      if (var.sqlsubtype == isc_blob_text) return Variant(std::move(bytes));
      return Variant(Blob{std::move(bytes)});
    }
    default:
      throw EDatabaseError("Tipo de coluna do Firebird não suportado (" +
                           std::to_string(var.sqltype & ~1) + ") na coluna " +
                           FShapes[static_cast<std::size_t>(column)].Name +
                           "\nComando: " + FStatement);
  }
}

Variant Statement::Integer(std::int64_t value, int sqlScale) {
  if (sqlScale < 0) return Variant(Decimal(value, -sqlScale));
  return Variant(value * PowerOfTen(sqlScale));
}

std::string Statement::ReadBlob(ISC_QUAD id, isc_tr_handle* transaction) {
  BlobHandle blob;
  Status status;
  isc_open_blob2(status.Vector, FConnection.Database(), transaction, blob.Address(), &id, 0,
                 nullptr);
  if (status.Failed()) Fail(status);
  std::string bytes;
  char segment[32768];
  for (;;) {
    unsigned short length = 0;
    const ISC_STATUS result =
        isc_get_segment(status.Vector, blob.Address(), &length, sizeof segment, segment);
    if (result != 0 && result != isc_segment) {
      if (result == isc_segstr_eof) break;
      Fail(status);
    }
    bytes.append(segment, length);
  }
  isc_close_blob(status.Vector, blob.Address());
  if (status.Failed()) Fail(status);
  return bytes;
}

ISC_QUAD Statement::WriteBlob(const std::string& bytes, isc_tr_handle* transaction) {
  BlobHandle blob;
  ISC_QUAD id{};
  Status status;
  isc_create_blob2(status.Vector, FConnection.Database(), transaction, blob.Address(), &id, 0,
                   nullptr);
  if (status.Failed()) Fail(status);
  constexpr std::size_t kSegment = 32768;
  for (std::size_t at = 0; at < bytes.size(); at += kSegment) {
    const auto length = static_cast<unsigned short>(std::min(kSegment, bytes.size() - at));
    isc_put_segment(status.Vector, blob.Address(), length, bytes.data() + at);
    if (status.Failed()) Fail(status);
  }
  isc_close_blob(status.Vector, blob.Address());
  if (status.Failed()) Fail(status);
  return id;
}

void Statement::Bind(int index, const Variant& value, isc_tr_handle* transaction) {
  XSQLVAR& var = FInput.Var(index);
  const auto slot = static_cast<std::size_t>(index);
  const int described = FDescribedTypes[slot];
  std::vector<char>& buffer = FInputData[slot];
  short type = SQL_TEXT;
  var.sqlscale = 0;
  FInputNulls[slot] = 0;
  switch (value.GetKind()) {
    case Variant::Kind::Null:
      FInputNulls[slot] = -1;
      buffer.assign(8, 0);
      type = SQL_INT64;  // any type: the server only reads the null indicator
      break;
    case Variant::Kind::Integer:
    case Variant::Kind::Boolean:
      if (described == SQL_BOOLEAN) {
        Write<FB_BOOLEAN>(buffer, value.AsBoolean() ? FB_TRUE : FB_FALSE);
        type = SQL_BOOLEAN;
      } else {
        Write<std::int64_t>(buffer, value.AsInt64());
        type = SQL_INT64;
      }
      break;
    case Variant::Kind::Float:
      Write<double>(buffer, value.AsFloat());
      type = SQL_DOUBLE;
      break;
    case Variant::Kind::Decimal: {
      const std::string text = DecimalSqlText(value);
      buffer.assign(text.begin(), text.end());
      var.sqlsubtype = kUtf8;
      var.sqllen = static_cast<ISC_SHORT>(text.size());
      break;
    }
    case Variant::Kind::DateTime: {
      const civil::DayAndTime split = civil::Split(value.AsDateTime().Value());
      const auto day = static_cast<ISC_DATE>(split.Days + kZeroDateTimeDay);
      if (described == SQL_TYPE_DATE) {
        Write<ISC_DATE>(buffer, day);
        type = SQL_TYPE_DATE;
      } else {
        Write<ISC_TIMESTAMP>(buffer,
                             ISC_TIMESTAMP{day, static_cast<ISC_TIME>(split.Milliseconds * 10)});
        type = SQL_TIMESTAMP;
      }
      break;
    }
    case Variant::Kind::Text:
    case Variant::Kind::Blob: {
      const std::string& bytes = value.AsBytes();
      if (described == SQL_BLOB) {
        Write<ISC_QUAD>(buffer, WriteBlob(bytes, transaction));
        type = SQL_BLOB;
        break;
      }
      if (bytes.size() > 32767) {
        throw EDatabaseError(
            "Valor de " + std::to_string(bytes.size()) +
            " bytes longo demais para um parâmetro do Firebird\nComando: " + FStatement);
      }
      buffer.assign(bytes.begin(), bytes.end());
      var.sqlsubtype = value.GetKind() == Variant::Kind::Text ? kUtf8 : kOctets;
      var.sqllen = static_cast<ISC_SHORT>(bytes.size());
      break;
    }
  }
  if (type != SQL_TEXT) var.sqllen = static_cast<ISC_SHORT>(buffer.size());
  if (buffer.empty()) buffer.push_back('\0');  // an empty text still needs an address
  var.sqltype = static_cast<ISC_SHORT>(type | 1);
  var.sqldata = buffer.data();
  var.sqlind = &FInputNulls[slot];
}

}  // namespace firebird
