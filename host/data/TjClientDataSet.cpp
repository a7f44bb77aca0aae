#include "TjClientDataSet.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <exception>
#include <map>
#include <optional>
#include <string_view>

#include "Exception.h"
#include "SysUtils.h"
#include "data/CompactCells.h"
#include "data/FieldConversion.h"
#include "data/FieldStructure.h"
#include "data/ResultSetWriter.h"

namespace {

// An index resolved to field positions.
struct IndexKey {
  std::vector<int> Fields;
  std::vector<bool> Descending;
  bool CaseInsensitive = false;
};

std::vector<std::string> SplitNames(const std::string& names) {
  std::vector<std::string> result;
  std::string current;
  for (char c : names + ";") {
    if (c == ';') {
      // Empty items come from a trailing ';' ("A;B;"), which callers use freely.
      if (!Trim(current).empty()) result.push_back(Trim(current));
      current.clear();
    } else {
      current += c;
    }
  }
  return result;
}

// Field names are looked up without regard to ASCII case and to the blanks around them, on
// every read of a field by name: without making a string for it.
std::string_view TrimmedName(std::string_view name) {
  while (!name.empty() && static_cast<unsigned char>(name.front()) <= ' ') name.remove_prefix(1);
  while (!name.empty() && static_cast<unsigned char>(name.back()) <= ' ') name.remove_suffix(1);
  return name;
}

}  // namespace

struct TjClientDataSet::Impl {
  enum class State { Inactive, Browse, Edit, Insert };

  // The fields as declared, until the data set is created; then its structure, which the
  // results of one kept statement share.
  std::vector<FieldShape> Declared;
  std::shared_ptr<const FieldStructure> Structure;
  std::vector<TField> FieldList;  // made once, all together, and never moved

  // Records, row after row; a record's number is its insertion order.
  CompactCells Cells;
  std::int32_t RowCount = 0;
  // The current record's values as read through CurrentValue, each with the record it was
  // read from: fields hand out references, which must stay valid while the cursor stays.
  struct ReadValue {
    Variant Value;
    std::int32_t Record = -1;
  };
  mutable std::vector<ReadValue> RowValues;

  std::map<std::string, std::pair<std::string, IndexKey>> NamedIndexes;  // by upper-case name
  std::optional<IndexKey> CurrentIndex;                                  // none: insertion order
  std::string CurrentIndexFieldNames;

  // Record numbers in the current index's order. The first SortedCount are in order; records
  // appended after them are merged in when the order is next needed, so bulk appends stay
  // linear. Without an index the order is the records' own and Order stays empty.
  std::vector<std::int32_t> Order;
  std::size_t SortedCount = 0;
  bool NeedsFullSort = false;

  bool HasRange = false;
  std::vector<Variant> RangeStart;
  std::vector<Variant> RangeEnd;
  std::size_t RangeBegin = 0;
  std::size_t RangeStop = 0;

  std::int32_t CurrentRow = -1;
  std::size_t Position = 0;  // of CurrentRow in the order, valid while the order is
  bool AtEof = true;
  bool AtBof = true;

  State CurrentState = State::Inactive;
  std::vector<Variant> Buffer;  // the record being edited or inserted
  std::int32_t RowBeforeInsert = -1;

  std::string Command;
  std::vector<Variant> CommandValues;

  const std::vector<FieldShape>& Shapes() const {
    return Structure ? Structure->Shapes() : Declared;
  }
  std::size_t Width() const { return Shapes().size(); }
  std::size_t CellIndex(std::int32_t row, std::size_t field) const {
    return static_cast<std::size_t>(row) * Width() + field;
  }
  Variant Cell(std::int32_t row, std::size_t field) const {
    return Cells.Get(CellIndex(row, field));
  }
  void ForgetRowValues() {
    for (ReadValue& value : RowValues) value.Record = -1;
  }
  // Values reach the cells converted to their field's type: a decimal field's all have its
  // scale.
  int DecimalScale(std::size_t field) const {
    const FieldShape& shape = Shapes()[field];
    return shape.Type == TFieldType::ftFMTBcd ? shape.Scale : -1;
  }
  std::size_t OrderSize() const { return CurrentIndex ? Order.size() : RowCount; }
  std::int32_t RowAt(std::size_t position) const {
    return CurrentIndex ? Order[position] : static_cast<std::int32_t>(position);
  }
  bool Dirty() const { return CurrentIndex && (NeedsFullSort || SortedCount != Order.size()); }

  // Fields and their by-name index come from `structure`; the data set is open, empty.
  void Open(TjClientDataSet& self, std::shared_ptr<const FieldStructure> structure) {
    Structure = std::move(structure);
    const std::vector<FieldShape>& shapes = Structure->Shapes();
    FieldList.reserve(shapes.size());
    for (std::size_t i = 0; i < shapes.size(); ++i) {
      const FieldShape& shape = shapes[i];
      FieldList.emplace_back(self, static_cast<int>(i), shape.Name, shape.Type, shape.Size,
                             shape.Precision, shape.Scale);
    }
    RowValues.resize(shapes.size());
    CurrentState = State::Browse;
  }

  void CheckActive() const {
    if (CurrentState == State::Inactive) throw Exception("O conjunto de dados não está aberto");
  }

  int FieldIndexOrThrow(const std::string& name) const {
    if (Structure) {
      if (const int found = Structure->Find(TrimmedName(name)); found >= 0) return found;
    }
    // Indexes may be declared with the field definitions, before the data set is created.
    if (CurrentState == State::Inactive) {
      for (std::size_t i = 0; i < Declared.size(); ++i) {
        if (SameText(Declared[i].Name, Trim(name))) return static_cast<int>(i);
      }
    }
    throw Exception("Campo não encontrado: " + name);
  }

  IndexKey Resolve(const std::string& names, const std::string& descFields, bool allDescending,
                   bool caseInsensitive) const {
    IndexKey key;
    key.CaseInsensitive = caseInsensitive;
    for (const std::string& name : SplitNames(names)) {
      key.Fields.push_back(FieldIndexOrThrow(name));
      key.Descending.push_back(allDescending);
    }
    for (const std::string& name : SplitNames(descFields)) {
      const int field = FieldIndexOrThrow(name);
      const auto at = std::find(key.Fields.begin(), key.Fields.end(), field);
      if (at == key.Fields.end()) {
        throw Exception("Campo " + name + " não faz parte do índice " + names);
      }
      key.Descending[static_cast<std::size_t>(at - key.Fields.begin())] = true;
    }
    return key;
  }

  // Orders two records by the first `fields` index fields; 0 when they agree on them.
  int CompareRows(std::int32_t a, std::int32_t b, std::size_t fields) const {
    const IndexKey& key = *CurrentIndex;
    for (std::size_t k = 0; k < fields; ++k) {
      const auto field = static_cast<std::size_t>(key.Fields[k]);
      const int order =
          Cells.Compare(CellIndex(a, field), CellIndex(b, field), key.CaseInsensitive);
      if (order != 0) return key.Descending[k] ? -order : order;
    }
    return 0;
  }

  // A strict order: equal keys keep insertion order.
  bool RowLess(std::int32_t a, std::int32_t b) const {
    const int order = CompareRows(a, b, CurrentIndex->Fields.size());
    return order != 0 ? order < 0 : a < b;
  }

  int CompareRowToKeys(std::int32_t row, const std::vector<Variant>& keys) const {
    const IndexKey& key = *CurrentIndex;
    for (std::size_t k = 0; k < keys.size(); ++k) {
      const auto field = static_cast<std::size_t>(key.Fields[k]);
      const int order = CompactCells::CompareValues(Cell(row, field), keys[k], key.CaseInsensitive);
      if (order != 0) return key.Descending[k] ? -order : order;
    }
    return 0;
  }

  std::vector<Variant> KeysForIndex(const std::vector<Variant>& keys) const {
    if (!CurrentIndex) throw Exception("O conjunto de dados não tem índice ativo");
    if (keys.size() > CurrentIndex->Fields.size()) {
      throw Exception("Mais valores de chave (" + std::to_string(keys.size()) +
                      ") que campos no índice (" + std::to_string(CurrentIndex->Fields.size()) +
                      ")");
    }
    std::vector<Variant> converted;
    for (std::size_t k = 0; k < keys.size(); ++k) {
      converted.push_back(
          ConvertKeyForField(keys[k], Shapes()[static_cast<std::size_t>(CurrentIndex->Fields[k])]));
    }
    return converted;
  }

  std::size_t LowerBound(std::size_t from, std::size_t to, const std::vector<Variant>& keys) const {
    return static_cast<std::size_t>(
        std::partition_point(Order.begin() + static_cast<std::ptrdiff_t>(from),
                             Order.begin() + static_cast<std::ptrdiff_t>(to),
                             [&](std::int32_t row) { return CompareRowToKeys(row, keys) < 0; }) -
        Order.begin());
  }
  std::size_t UpperBound(std::size_t from, std::size_t to, const std::vector<Variant>& keys) const {
    return static_cast<std::size_t>(
        std::partition_point(Order.begin() + static_cast<std::ptrdiff_t>(from),
                             Order.begin() + static_cast<std::ptrdiff_t>(to),
                             [&](std::int32_t row) { return CompareRowToKeys(row, keys) <= 0; }) -
        Order.begin());
  }

  void ComputeRange() {
    if (!HasRange) {
      RangeBegin = 0;
      RangeStop = OrderSize();
      return;
    }
    RangeBegin = LowerBound(0, Order.size(), RangeStart);
    RangeStop = std::max(RangeBegin, UpperBound(RangeBegin, Order.size(), RangeEnd));
  }

  // Brings the order, the range and the cursor position up to date after appends and edits.
  void EnsureOrder() {
    if (Dirty()) {
      const auto less = [this](std::int32_t a, std::int32_t b) { return RowLess(a, b); };
      if (NeedsFullSort) {
        std::stable_sort(Order.begin(), Order.end(), less);
      } else {
        const auto middle = Order.begin() + static_cast<std::ptrdiff_t>(SortedCount);
        std::sort(middle, Order.end(), less);
        std::inplace_merge(Order.begin(), middle, Order.end(), less);
      }
      SortedCount = Order.size();
      NeedsFullSort = false;
      ComputeRange();
      LocateCurrentRow();
    }
  }

  void LocateCurrentRow() {
    if (CurrentRow < 0) return;
    if (!CurrentIndex) {
      Position = static_cast<std::size_t>(CurrentRow);
    } else {
      Position = static_cast<std::size_t>(
          std::lower_bound(Order.begin(), Order.end(), CurrentRow,
                           [this](std::int32_t a, std::int32_t b) { return RowLess(a, b); }) -
          Order.begin());
    }
    // A record outside the range cannot stay current.
    if (Position < RangeBegin || Position >= RangeStop) MoveToFirst();
  }

  void MoveToFirst() {
    AtBof = true;
    if (RangeBegin == RangeStop) {
      CurrentRow = -1;
      AtEof = true;
      return;
    }
    Position = RangeBegin;
    CurrentRow = RowAt(Position);
    AtEof = false;
  }

  void Reorder() {
    Order.clear();
    SortedCount = 0;
    NeedsFullSort = CurrentIndex.has_value();
    if (CurrentIndex) {
      Order.resize(static_cast<std::size_t>(RowCount));
      for (std::size_t i = 0; i < Order.size(); ++i) Order[i] = static_cast<std::int32_t>(i);
    } else {
      Order.shrink_to_fit();
    }
    HasRange = false;
    ComputeRange();
    const bool hadRecord = CurrentRow >= 0;
    EnsureOrder();
    if (!hadRecord) {
      MoveToFirst();
    } else {
      LocateCurrentRow();
      AtBof = AtEof = false;
    }
  }

  void StoreRow(std::vector<Variant> values) {
    CheckRoom();
    for (std::size_t field = 0; field < values.size(); ++field) {
      Cells.Append(values[field], DecimalScale(field));
    }
    RowStored();
  }

  void CheckRoom() const {
    if (RowCount == INT32_MAX) throw Exception("Conjunto de dados cheio");
  }

  // A record's cells were appended: it takes its place in the order and becomes current.
  void RowStored() {
    const std::int32_t row = RowCount++;
    if (CurrentIndex) Order.push_back(row);
    CurrentRow = row;
    if (!Dirty()) {
      Position = OrderSize() - 1;
      ComputeRange();
      if (Position < RangeBegin || Position >= RangeStop) MoveToFirst();
    }
    AtEof = AtBof = false;
  }
};

TjClientDataSet::TjClientDataSet() : FImpl(std::make_unique<Impl>()) {}
TjClientDataSet::~TjClientDataSet() = default;

void TjClientDataSet::AddFieldDef(const std::string& name, TFieldType type, int size, int precision,
                                  int scale) {
  if (FImpl->CurrentState != Impl::State::Inactive) {
    throw Exception("Campos só podem ser definidos antes de criar o conjunto de dados");
  }
  if (TrimmedName(name).empty()) throw Exception("Campo sem nome");
  for (const FieldShape& shape : FImpl->Declared) {
    if (SameText(shape.Name, name)) throw Exception("Campo duplicado: " + name);
  }
  FImpl->Declared.push_back({name, type, size, precision, scale});
}

void TjClientDataSet::CreateDataSet() {
  if (FImpl->CurrentState != Impl::State::Inactive) return;
  if (FImpl->Declared.empty()) throw Exception("O conjunto de dados não tem campos");
  FImpl->Open(*this, std::make_shared<const FieldStructure>(std::move(FImpl->Declared)));
  FImpl->Declared = {};
}

bool TjClientDataSet::Active() const {
  return FImpl->CurrentState != Impl::State::Inactive;
}

int TjClientDataSet::FieldCount() const {
  return static_cast<int>(FImpl->FieldList.size());
}

TField& TjClientDataSet::Fields(int index) {
  if (index < 0 || index >= FieldCount()) {
    throw Exception("Campo de índice " + std::to_string(index) + " não existe (o conjunto tem " +
                    std::to_string(FieldCount()) + " campos)");
  }
  return FImpl->FieldList[static_cast<std::size_t>(index)];
}

TField* TjClientDataSet::FindField(const std::string& name) {
  if (!FImpl->Structure) return nullptr;
  const int found = FImpl->Structure->Find(TrimmedName(name));
  return found < 0 ? nullptr : &FImpl->FieldList[static_cast<std::size_t>(found)];
}

TField& TjClientDataSet::FieldByName(const std::string& name) {
  TField* field = FindField(name);
  if (field == nullptr) throw Exception("Campo não encontrado: " + name);
  return *field;
}

void TjClientDataSet::AddIndex(const std::string& name, const std::string& fields, int options,
                               const std::string& descFields) {
  if (Trim(name).empty()) throw Exception("Índice sem nome");
  IndexKey key = FImpl->Resolve(fields, descFields, (options & ixDescending) != 0,
                                (options & ixCaseInsensitive) != 0);
  if (key.Fields.empty()) throw Exception("Índice " + name + " sem campos");
  FImpl->NamedIndexes[UpperCase(name)] = {fields, std::move(key)};
}

void TjClientDataSet::SetIndexName(const std::string& name) {
  std::optional<IndexKey> key;
  if (!Trim(name).empty()) {
    const auto found = FImpl->NamedIndexes.find(UpperCase(Trim(name)));
    if (found == FImpl->NamedIndexes.end()) throw Exception("Índice não encontrado: " + name);
    key = found->second.second;
  }
  if (FImpl->CurrentState == Impl::State::Edit || FImpl->CurrentState == Impl::State::Insert) {
    Post();
  }
  FImpl->CurrentIndex = std::move(key);
  FImpl->CurrentIndexFieldNames.clear();
  FImpl->Reorder();
}

void TjClientDataSet::SetIndexFieldNames(const std::string& names) {
  std::optional<IndexKey> key;
  if (!SplitNames(names).empty()) key = FImpl->Resolve(names, "", false, false);
  if (FImpl->CurrentState == Impl::State::Edit || FImpl->CurrentState == Impl::State::Insert) {
    Post();
  }
  FImpl->CurrentIndex = std::move(key);
  FImpl->CurrentIndexFieldNames = names;
  FImpl->Reorder();
}

std::string TjClientDataSet::IndexFieldNames() const {
  return FImpl->CurrentIndexFieldNames;
}

namespace {

// Leaves edit or insert mode by storing the record, as moving away from it does.
void PostPending(TjClientDataSet& dataSet, bool editing) {
  if (editing) dataSet.Post();
}

}  // namespace

void TjClientDataSet::First() {
  FImpl->CheckActive();
  PostPending(*this, FImpl->CurrentState != Impl::State::Browse);
  FImpl->EnsureOrder();
  FImpl->MoveToFirst();
}

void TjClientDataSet::Last() {
  FImpl->CheckActive();
  PostPending(*this, FImpl->CurrentState != Impl::State::Browse);
  FImpl->EnsureOrder();
  Impl& d = *FImpl;
  d.AtEof = true;
  if (d.RangeBegin == d.RangeStop) {
    d.CurrentRow = -1;
    d.AtBof = true;
    return;
  }
  d.Position = d.RangeStop - 1;
  d.CurrentRow = d.RowAt(d.Position);
  d.AtBof = false;
}

void TjClientDataSet::Next() {
  FImpl->CheckActive();
  PostPending(*this, FImpl->CurrentState != Impl::State::Browse);
  FImpl->EnsureOrder();
  Impl& d = *FImpl;
  d.AtBof = false;
  if (d.CurrentRow < 0 || d.Position + 1 >= d.RangeStop) {
    d.AtEof = true;
    return;
  }
  d.CurrentRow = d.RowAt(++d.Position);
  d.AtEof = false;
}

void TjClientDataSet::Prior() {
  FImpl->CheckActive();
  PostPending(*this, FImpl->CurrentState != Impl::State::Browse);
  FImpl->EnsureOrder();
  Impl& d = *FImpl;
  d.AtEof = false;
  if (d.CurrentRow < 0 || d.Position <= d.RangeBegin) {
    d.AtBof = true;
    return;
  }
  d.CurrentRow = d.RowAt(--d.Position);
  d.AtBof = false;
}

bool TjClientDataSet::Eof() const {
  return FImpl->AtEof;
}
bool TjClientDataSet::Bof() const {
  return FImpl->AtBof;
}

bool TjClientDataSet::IsEmpty() const {
  return FImpl->CurrentState != Impl::State::Insert && RecordCount() == 0;
}

int TjClientDataSet::RecordCount() const {
  if (!FImpl->HasRange) return FImpl->RowCount;
  FImpl->EnsureOrder();
  return static_cast<int>(FImpl->RangeStop - FImpl->RangeBegin);
}

int TjClientDataSet::RecNo() const {
  if (FImpl->CurrentState == Impl::State::Insert || FImpl->CurrentRow < 0) return 0;
  FImpl->EnsureOrder();
  if (FImpl->CurrentRow < 0) return 0;
  return static_cast<int>(FImpl->Position - FImpl->RangeBegin) + 1;
}

void TjClientDataSet::Append() {
  FImpl->CheckActive();
  PostPending(*this, FImpl->CurrentState != Impl::State::Browse);
  FImpl->RowBeforeInsert = FImpl->CurrentRow;
  FImpl->Buffer.assign(FImpl->Width(), Variant());
  FImpl->CurrentState = Impl::State::Insert;
}

void TjClientDataSet::Edit() {
  FImpl->CheckActive();
  if (FImpl->CurrentState != Impl::State::Browse) return;
  if (FImpl->CurrentRow < 0) {
    Append();  // nothing to edit: a new record, as the host does
    return;
  }
  FImpl->Buffer.clear();
  for (std::size_t field = 0; field < FImpl->Width(); ++field) {
    FImpl->Buffer.push_back(FImpl->Cell(FImpl->CurrentRow, field));
  }
  FImpl->CurrentState = Impl::State::Edit;
}

void TjClientDataSet::Post() {
  Impl& d = *FImpl;
  d.CheckActive();
  if (d.CurrentState == Impl::State::Insert) {
    std::vector<Variant> values = std::move(d.Buffer);
    d.Buffer.clear();
    d.CurrentState = Impl::State::Browse;
    d.StoreRow(std::move(values));
  } else if (d.CurrentState == Impl::State::Edit) {
    for (std::size_t field = 0; field < d.Width(); ++field) {
      d.Cells.Set(d.CellIndex(d.CurrentRow, field), d.Buffer[field], d.DecimalScale(field));
    }
    d.ForgetRowValues();
    d.Buffer.clear();
    d.CurrentState = Impl::State::Browse;
    if (d.CurrentIndex) d.NeedsFullSort = true;  // the key may have changed
  } else {
    throw Exception("O conjunto de dados não está em edição ou inserção");
  }
}

void TjClientDataSet::Cancel() {
  Impl& d = *FImpl;
  if (d.CurrentState == Impl::State::Insert) d.CurrentRow = d.RowBeforeInsert;
  if (d.CurrentState == Impl::State::Insert || d.CurrentState == Impl::State::Edit) {
    d.Buffer.clear();
    d.CurrentState = Impl::State::Browse;
  }
}

void TjClientDataSet::AppendRecord(std::vector<Variant> values) {
  Impl& d = *FImpl;
  d.CheckActive();
  PostPending(*this, d.CurrentState != Impl::State::Browse);
  if (values.size() > d.Width()) {
    throw Exception("Registro com " + std::to_string(values.size()) + " valores para " +
                    std::to_string(d.Width()) + " campos");
  }
  values.resize(d.Width());
  for (std::size_t field = 0; field < d.Width(); ++field) {
    values[field] = ConvertForField(values[field], d.Shapes()[field]);
  }
  d.StoreRow(std::move(values));
}

void TjClientDataSet::SetRange(const std::vector<Variant>& start, const std::vector<Variant>& end) {
  FImpl->CheckActive();
  PostPending(*this, FImpl->CurrentState != Impl::State::Browse);
  std::vector<Variant> startKeys = FImpl->KeysForIndex(start);
  std::vector<Variant> endKeys = FImpl->KeysForIndex(end);
  FImpl->EnsureOrder();
  FImpl->RangeStart = std::move(startKeys);
  FImpl->RangeEnd = std::move(endKeys);
  FImpl->HasRange = true;
  FImpl->ComputeRange();
  FImpl->MoveToFirst();
}

void TjClientDataSet::CancelRange() {
  FImpl->CheckActive();
  FImpl->EnsureOrder();
  FImpl->HasRange = false;
  FImpl->ComputeRange();
  if (FImpl->CurrentRow < 0) FImpl->MoveToFirst();
}

bool TjClientDataSet::FindKey(const std::vector<Variant>& keys) {
  FImpl->CheckActive();
  PostPending(*this, FImpl->CurrentState != Impl::State::Browse);
  const std::vector<Variant> converted = FImpl->KeysForIndex(keys);
  Impl& d = *FImpl;
  d.EnsureOrder();
  const std::size_t at = d.LowerBound(d.RangeBegin, d.RangeStop, converted);
  if (at == d.RangeStop || d.CompareRowToKeys(d.RowAt(at), converted) != 0) return false;
  d.Position = at;
  d.CurrentRow = d.RowAt(at);
  d.AtEof = d.AtBof = false;
  return true;
}

void TjClientDataSet::SetCommand(const std::string& statement, const std::vector<Variant>& values) {
  FImpl->Command = statement;
  FImpl->CommandValues = values;
}

const std::string& TjClientDataSet::CommandText() const {
  return FImpl->Command;
}

void TjClientDataSet::EmptyDataSet() {
  Impl& d = *FImpl;
  d.CheckActive();
  d.Buffer.clear();
  d.CurrentState = Impl::State::Browse;
  d.Cells.Clear();
  d.ForgetRowValues();
  d.RowCount = 0;
  d.Order.clear();
  d.SortedCount = 0;
  d.NeedsFullSort = false;
  d.ComputeRange();
  d.CurrentRow = -1;
  d.AtEof = d.AtBof = true;
}

const Variant& TjClientDataSet::CurrentValue(int field) const {
  static const Variant null;
  const Impl& d = *FImpl;
  if (field < 0 || static_cast<std::size_t>(field) >= d.Width()) {
    throw Exception("Campo de índice " + std::to_string(field) + " não existe");
  }
  if (d.CurrentState == Impl::State::Insert || d.CurrentState == Impl::State::Edit) {
    return d.Buffer[static_cast<std::size_t>(field)];
  }
  if (d.CurrentRow < 0) return null;
  const auto index = static_cast<std::size_t>(field);
  Impl::ReadValue& read = d.RowValues[index];
  if (read.Record != d.CurrentRow) {
    read.Value = d.Cell(d.CurrentRow, index);
    read.Record = d.CurrentRow;
  }
  return read.Value;
}

void TjClientDataSet::SetCurrentValue(int field, const Variant& value) {
  Impl& d = *FImpl;
  if (field < 0 || static_cast<std::size_t>(field) >= d.Width()) {
    throw Exception("Campo de índice " + std::to_string(field) + " não existe");
  }
  if (d.CurrentState != Impl::State::Insert && d.CurrentState != Impl::State::Edit) {
    throw Exception("O conjunto de dados não está em edição ou inserção (campo " +
                    d.Shapes()[static_cast<std::size_t>(field)].Name + ")");
  }
  d.Buffer[static_cast<std::size_t>(field)] =
      ConvertForField(value, d.Shapes()[static_cast<std::size_t>(field)]);
}

namespace {

// A recording: each value a tag and its bytes, each record closed by kEndOfRecord.
constexpr char kNullTag = 'N';
constexpr char kIntegerTag = 'I';
constexpr char kTextTag = 'T';
constexpr char kFloatTag = 'F';
constexpr char kDateTimeTag = 'D';
constexpr char kBooleanTag = 'B';
constexpr char kDecimalTag = 'M';
constexpr char kBlobTag = 'L';
constexpr char kEndOfRecord = 'E';

template <typename T>
std::string_view BytesOf(const T& value) {
  return {reinterpret_cast<const char*>(&value), sizeof value};
}

template <typename T>
T Take(std::string_view& from) {
  T value{};
  std::memcpy(&value, from.data(), sizeof value);
  from.remove_prefix(sizeof value);
  return value;
}

std::string_view TakeSized(std::string_view& from) {
  const auto size = Take<std::uint32_t>(from);
  const std::string_view bytes = from.substr(0, size);
  from.remove_prefix(size);
  return bytes;
}

}  // namespace

ResultSetWriter::ResultSetWriter(std::shared_ptr<const FieldStructure> fields)
    : FDataSet(std::make_unique<TjClientDataSet>()) {
  FDataSet->FImpl->Open(*FDataSet, std::move(fields));
}

ResultSetWriter::~ResultSetWriter() = default;

void ResultSetWriter::Keep(char tag, std::string_view bytes) {
  if (!FRecording) return;
  FRecorded += tag;
  FRecorded += bytes;
}

void ResultSetWriter::KeepSized(char tag, std::string_view bytes) {
  if (!FRecording) return;
  const auto size = static_cast<std::uint32_t>(bytes.size());
  Keep(tag, BytesOf(size));
  FRecorded += bytes;
}

void ResultSetWriter::Null() {
  Keep(kNullTag, {});
  FDataSet->FImpl->Cells.Append(Variant());
  ++FField;
}

void ResultSetWriter::Integer(std::int64_t value) {
  Keep(kIntegerTag, BytesOf(value));
  FDataSet->FImpl->Cells.AppendInteger(value);
  ++FField;
}

void ResultSetWriter::Text(std::string_view value) {
  KeepSized(kTextTag, value);
  FDataSet->FImpl->Cells.AppendText(value);
  ++FField;
}

void ResultSetWriter::Value(const Variant& value) {
  TjClientDataSet::Impl& d = *FDataSet->FImpl;
  Variant converted;
  try {
    converted = ConvertForField(value, d.Shapes()[FField]);
  } catch (const Exception&) {
    // Said when the record ends, as AppendRecord would say it: after the values that follow
    // were read, and only of a record the engine does not read again.
    if (!FFailure) FFailure = std::current_exception();
  }
  if (FRecording) {
    switch (converted.GetKind()) {
      case Variant::Kind::Null:
        Keep(kNullTag, {});
        break;
      case Variant::Kind::Integer:
        Keep(kIntegerTag, BytesOf(converted.AsInt64()));
        break;
      case Variant::Kind::Float:
        Keep(kFloatTag, BytesOf(converted.AsFloat()));
        break;
      case Variant::Kind::DateTime:
        Keep(kDateTimeTag, BytesOf(converted.AsDateTime().Value()));
        break;
      case Variant::Kind::Boolean:
        Keep(kBooleanTag, BytesOf(converted.AsBoolean()));
        break;
      case Variant::Kind::Decimal: {
        // A decimal field's values all have its scale; another field's decimal is not kept.
        const int scale = d.DecimalScale(FField);
        if (scale < 0) {
          FRecordable = false;
          break;
        }
        const Decimal number = converted.AsDecimal(scale);
        Keep(kDecimalTag, std::string(BytesOf(number.Unscaled())).append(BytesOf(scale)));
        break;
      }
      case Variant::Kind::Text:
        KeepSized(kTextTag, converted.AsBytes());
        break;
      case Variant::Kind::Blob:
        KeepSized(kBlobTag, converted.AsBytes());
        break;
    }
  }
  d.Cells.Append(converted, d.DecimalScale(FField));
  ++FField;
}

void ResultSetWriter::EndRecord() {
  if (FFailure) std::rethrow_exception(FFailure);
  TjClientDataSet::Impl& d = *FDataSet->FImpl;
  if (FField != d.Width()) {
    throw Exception("Registro com " + std::to_string(FField) + " valores para " +
                    std::to_string(d.Width()) + " campos");
  }
  d.CheckRoom();
  d.RowStored();
  FField = 0;
  Keep(kEndOfRecord, {});
  if (++FRecords > 1) {
    FRecording = false;
    FRecorded.clear();
  }
}

std::unique_ptr<TjClientDataSet> ResultSetWriter::Finish() {
  return std::move(FDataSet);
}

void ResultSetWriter::Record() {
  FRecording = FRecords == 0 && FField == 0;
}

std::optional<std::string> ResultSetWriter::Recorded() const {
  if (!FRecordable || FRecords > 1) return std::nullopt;
  return FRecorded;
}

void ResultSetWriter::Replay(std::string_view recorded) {
  while (!recorded.empty()) {
    const char tag = recorded.front();
    recorded.remove_prefix(1);
    switch (tag) {
      case kNullTag:
        Null();
        break;
      case kIntegerTag:
        Integer(Take<std::int64_t>(recorded));
        break;
      case kTextTag:
        Text(TakeSized(recorded));
        break;
      case kFloatTag:
        Value(Variant(Take<double>(recorded)));
        break;
      case kDateTimeTag:
        Value(Variant(TDateTime(Take<double>(recorded))));
        break;
      case kBooleanTag:
        Value(Variant(Take<bool>(recorded)));
        break;
      case kDecimalTag: {
        const auto unscaled = Take<std::int64_t>(recorded);
        Value(Variant(Decimal(unscaled, Take<int>(recorded))));
        break;
      }
      case kBlobTag:
        Value(Variant(Blob{std::string(TakeSized(recorded))}));
        break;
      case kEndOfRecord:
        EndRecord();
        break;
      default:
        throw Exception("Gravação de resultado ilegível");
    }
  }
}
