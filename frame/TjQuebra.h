// The break engine: groups the rows of a data set by break columns, in the data set's current
// index order, and calls the report back to print group titles, detail rows and group totals.
//
// A run: declare the levels (outermost first) and the totalisers, then for every row call
// IniciarBloco, ImprimirDetalhe and FinalizarBloco, in that order.
// - IniciarBloco closes the open groups whose break column changed (innermost first, each
//   handing its totals to OnImprimirTotal) and opens the new ones (outermost first, each
//   printing its title through OnImprimirTitulo); then it adds the row to the totals.
// - ImprimirDetalhe calls OnImprimirDetalhe.
// - FinalizarBloco, on the last row of the data set, closes every open group.
// With a page-break column, a change of that column ends the page: the outermost total closed
// by the change is told so (its page-end flag), and the titles of the groups that stay open are
// printed again at the top of the new page before the new groups open.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "KdrApi.h"
#include "TField.h"
#include "TObject.h"

// Totals of a group, in the order the totalisers were added.
using TjDoubleArray = std::vector<double>;
// Text of a group title (or of a group's name in its total) for the current row.
using TFuncTituloQuebra = std::function<std::string()>;
using TEventoTituloQuebra = std::function<void(const std::string& titulo)>;
using TEventoDetalhe = std::function<void()>;
// (name of the closing level, whether the page ends after this total, the group's totals)
using TEventoTotalQuebra =
    std::function<void(const std::string& nome, bool fimPagina, const TjDoubleArray& totais)>;

class KDR_API TjQuebra : public TObject {
 public:
  TjQuebra();
  ~TjQuebra() override;
  TjQuebra(const TjQuebra&) = delete;
  TjQuebra& operator=(const TjQuebra&) = delete;

  // Adds a level inside the ones already added. `nome` is the level's name handed to the total
  // handler, `campo` its break column, `funcaoTitulo` its group title. Optional: `funcaoRodape`
  // replaces `nome` in the total when set; `recuo` blanks are put before the title (nested
  // groups); `quebraPagina` makes this level's column the page-break column.
  void AddQuebra(const std::string& nome, TField* campo, TFuncTituloQuebra funcaoTitulo,
                 TFuncTituloQuebra funcaoRodape = nullptr, int recuo = 0,
                 bool quebraPagina = false);
  // Adds a column summed per group (a null value counts as 0).
  void AddTotalizador(TField* campo);
  // Ends the page when this column changes; null removes the page break. Raises Exception when
  // the column is not one of the declared break columns.
  void SetFieldQuebraPagina(TField* campo);

  void IniciarBloco();
  void ImprimirDetalhe();
  void FinalizarBloco();
  // Prints again the titles of the open groups, outermost first (after a forced page end).
  // A group counts as open until its total has printed, so a total handler that moves to a
  // new page gets its own group's title above it.
  void PrintCabecalho();

  TEventoTituloQuebra OnImprimirTitulo;
  TEventoDetalhe OnImprimirDetalhe;
  TEventoTotalQuebra OnImprimirTotal;

 private:
  struct Impl;
  std::unique_ptr<Impl> FImpl;
};
