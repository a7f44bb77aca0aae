// Writes a statement's rows into a new client data set as an engine reads them, without what
// AddFieldDef and AppendRecord cost each time: the fields come from a structure the engine may
// share among the results of one statement, and each value arrives already of its field's type,
// straight into the records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "TjClientDataSet.h"
#include "Variant.h"

class FieldStructure;

class ResultSetWriter {
 public:
  explicit ResultSetWriter(std::shared_ptr<const FieldStructure> fields);
  ~ResultSetWriter();
  ResultSetWriter(const ResultSetWriter&) = delete;
  ResultSetWriter& operator=(const ResultSetWriter&) = delete;

  // The next value of the record being written, in field order. Integer is for an integer field
  // (within 32 bits for ftInteger) and Text for a text field (within its size): the engine has
  // typed the column for its values. Value takes anything, converted as AppendRecord converts.
  void Null();
  void Integer(std::int64_t value);
  void Text(std::string_view value);
  void Value(const Variant& value);
  // Ends the record, which must have a value for every field.
  void EndRecord();
  // The data set, open, its last record current.
  std::unique_ptr<TjClientDataSet> Finish();

  // Keeps what is written from here on in a compact form, as long as it is at most one record,
  // to be written again into another data set of the same structure (a result the engine
  // remembers).
  void Record();
  // What was kept: no record or one, each value as its field holds it; nothing when more than
  // one record was written.
  std::optional<std::string> Recorded() const;
  // Writes the records of a recording made with the same structure, as they were written.
  void Replay(std::string_view recorded);

 private:
  void Keep(char tag, std::string_view bytes);
  void KeepSized(char tag, std::string_view bytes);  // its length first

  std::unique_ptr<TjClientDataSet> FDataSet;
  std::size_t FField = 0;
  std::exception_ptr FFailure;  // a value of the record that its field cannot take
  bool FRecording = false;
  bool FRecordable = true;
  std::size_t FRecords = 0;
  std::string FRecorded;
};
