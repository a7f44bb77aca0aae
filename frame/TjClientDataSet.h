// The in-memory data set of the host: typed fields with nulls, a cursor, secondary indexes
// (ascending or descending, stable for equal keys), ranges on an index prefix and key search.
// Result sets of ExecutarSQL are client data sets; reports also build their own.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "KdrApi.h"
#include "TField.h"
#include "TObject.h"
#include "Variant.h"

class KDR_API TjClientDataSet : public TObject {
 public:
  enum TIndexOption { ixDescending = 1, ixCaseInsensitive = 2 };

  TjClientDataSet();
  ~TjClientDataSet() override;
  TjClientDataSet(const TjClientDataSet&) = delete;
  TjClientDataSet& operator=(const TjClientDataSet&) = delete;

  // Structure: declare the fields, then CreateDataSet.
  void AddFieldDef(const std::string& name, TFieldType type, int size = 0, int precision = 0,
                   int scale = 0);
  void CreateDataSet();
  bool Active() const;

  // Fields, by position or by name without regard to case.
  int FieldCount() const;
  TField& Fields(int index);
  TField* FindField(const std::string& name);
  // Raises Exception naming the field when the data set has none of that name.
  TField& FieldByName(const std::string& name);

  // Indexes. Names are ';'-separated, a trailing ';' accepted. `descFields` names the fields
  // sorted descending; with ixDescending in `options` every field is.
  void AddIndex(const std::string& name, const std::string& fields, int options = 0,
                const std::string& descFields = "");
  void SetIndexName(const std::string& name);
  void SetIndexFieldNames(const std::string& names);
  std::string IndexFieldNames() const;

  // Navigation over the current index order, within the current range.
  void First();
  void Last();
  void Next();
  void Prior();
  bool Eof() const;
  bool Bof() const;
  bool IsEmpty() const;
  int RecordCount() const;
  // 1-based position of the current record in the current order, 0 when there is none.
  int RecNo() const;

  // Editing: Append opens a new record, Post stores it (and keeps it current), Cancel drops it.
  void Append();
  void Edit();
  void Post();
  void Cancel();
  // Appends and posts a whole record at once (values in field order).
  void AppendRecord(std::vector<Variant> values);

  // Ranges over the leading fields of the current index; both ends inclusive.
  void SetRange(const std::vector<Variant>& start, const std::vector<Variant>& end);
  void CancelRange();
  // Moves to the first record whose leading index fields equal `keys`; false (and the cursor
  // unchanged) when there is none.
  bool FindKey(const std::vector<Variant>& keys);

  // The statement and values a data set was opened from, for RefreshSQL.
  void SetCommand(const std::string& statement, const std::vector<Variant>& values);
  const std::string& CommandText() const;
  void EmptyDataSet();

  // Used by TField.
  const Variant& CurrentValue(int field) const;
  void SetCurrentValue(int field, const Variant& value);

 private:
  friend class ResultSetWriter;  // the host's engines fill their results through it
  struct Impl;
  std::unique_ptr<Impl> FImpl;
};
