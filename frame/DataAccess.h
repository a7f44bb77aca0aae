// The host's data access and formatting utilities as reports call them. Statements run on the
// host's own connection; `:name` parameters take the values in order of first appearance.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "KdrApi.h"
#include "TField.h"
#include "TjClientDataSet.h"
#include "Variant.h"

class TConnection;  // another connection than the host's own; reports always pass none

// Runs a select and returns it open, positioned on its first row, owned by the caller.
// The flags, the number and the text are the host's query options; the statement and its
// values are what matter here. Database errors raise EDatabaseError with the engine's message.
KDR_API std::unique_ptr<TjClientDataSet> ExecutarSQL(
    const std::string& statement, const std::vector<Variant>& values, bool readOnly = true,
    bool keepBlobs = false, int packetRecords = -1, const std::string& providerName = "",
    TConnection* connection = nullptr, bool openNow = true);
// Runs the data set's statement again with new values, replacing its rows.
KDR_API void RefreshSQL(TjClientDataSet& dataSet, const std::vector<Variant>& values,
                        bool first = true);
// Frees a data set returned by ExecutarSQL; an empty pointer is left alone.
KDR_API void DestruirSQL(std::unique_ptr<TjClientDataSet>& dataSet);

// A select read once, from its first row to its last, holding only the current row: for a
// result a report copies into a data set of its own, which would otherwise sit in memory
// twice. Values are typed as ExecutarSQL types them. Database errors raise EDatabaseError.
class KDR_API TjCursorSQL {
 public:
  TjCursorSQL(const std::string& statement, const std::vector<Variant>& values);
  ~TjCursorSQL();
  TjCursorSQL(const TjCursorSQL&) = delete;
  TjCursorSQL& operator=(const TjCursorSQL&) = delete;

  // Moves to the next row (the first, on the first call); false once past the last.
  bool Proximo();
  // The column of that name, without regard to case; -1 when the result has none.
  int Coluna(const std::string& nome) const;
  // The same, raising Exception naming the column when the result has none.
  int ColunaObrigatoria(const std::string& nome) const;
  // The current row's value in `coluna`. Raises Exception off a row or for a column it lacks.
  const Variant& Valor(int coluna) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> FImpl;
};

// The global SQL data module of the host.
class KDR_API TjDMSQLDataSet {
 public:
  // The column of the first row of `table` matching `condition`; null when no row matches.
  Variant PegarValorCampo(const std::string& table, const std::string& column,
                          const std::string& condition);
};
KDR_API TjDMSQLDataSet& jDMSQLDataSet();

// Kinds of inclusion expression; reports always pass 1 (codes and ranges of codes).
using TjxsTypeInclusionExV = int;

// SQL condition selecting, in the first of `columns`, the codes an inclusion expression names.
// Expressions are codes and ranges separated by ',' or ';', e.g. "1,3,10-20" (blanks ignored).
// Anything else raises EjxsError quoting the expression: no text of it reaches a statement.
// With `leadingAnd` the condition begins with " and ".
KDR_API std::string FilterInterval(const std::vector<std::string>& columns,
                                   const std::string& expression,
                                   const std::vector<TjxsTypeInclusionExV>& kinds, bool leadingAnd,
                                   int number);
KDR_API std::string FilterInterval(const std::vector<std::string>& columns,
                                   const std::string& expression,
                                   const std::vector<TjxsTypeInclusionExV>& kinds, bool leadingAnd,
                                   int number, int extra);
// True when `value` lies in the inclusion expression (same syntax and errors as FilterInterval).
KDR_API bool CheckInInclusion(const Variant& value, const std::string& expression,
                              const std::vector<TjxsTypeInclusionExV>& kinds);

// SQL literal of a value: numbers plain, texts and dates quoted with quotes doubled, null NULL.
KDR_API std::string ValorParaSQL(const Variant& value);
// The same, read as the given field type first (a text field type always gives a quoted text).
KDR_API std::string ValorParaSQL(const Variant& value, TFieldType type);

// Kinds of federal registration number.
enum class TjTipoInscrFederal { tifCNPJ = 0, tifCPF = 1, tifCEI = 2 };

// The registration number of `kind`, zero-filled to its length; with `mask` in its usual form
// (CNPJ 00.000.000/0000-00, CPF 000.000.000-00, CEI 00.000.00000/00).
KDR_API std::string FormatarInscrFederal(TjTipoInscrFederal kind, const Variant& number, bool mask);
// The same from the registration kind code of the database (1 CNPJ, 2 CPF, 3 CEI, other CPF)
// and a text whose digits are the number.
KDR_API std::string FormatarInscrFed(int kindCode, const std::string& text, bool mask);
// A telephone number as "(41) 3333-4444"; without area code "3333-4444"; empty parts give
// an empty text. `mask` is reserved (reports pass an empty text).
KDR_API std::string FormatarFone(const std::string& areaCode, const std::string& number,
                                 const std::string& mask);
