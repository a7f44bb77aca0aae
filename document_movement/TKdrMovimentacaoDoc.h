// The document movement report: for every client document of the host's document list, the
// history of where it went (a department of the office or a place outside it), in which
// protocol and with what note, under the header of the document's company.
#pragma once

#include <memory>
#include <string>

#include "TDateTime.h"
#include "TObject.h"
#include "TjCabecalhoRelatorio.h"
#include "TjClientDataSet.h"
#include "TjfmBaseDll.h"
#include "TjxsParamItem.h"

class TKdrMovimentacaoDoc : public TjfmBaseDll {
 public:
  using TjfmBaseDll::TjfmBaseDll;

  static std::string Versao();

  void ImprimirInterno() override;

  // Opens the movements of every document of the run's companies and establishments (read by
  // ImprimirInterno before), ordered by document and sequence.
  void CarregarMovimentacao();
  // After-section handler: the company header follows the page header.
  void DoAfterSection(TObject* Sender, int Section);

  // The movement statement as this instance last built it; empty when none was built.
  const std::string& SQL() const { return FSQL; }

 private:
  void LerParametros();
  void MontarSQL();
  void ImprimirDocumento(TjClientDataSet& documentos);
  void ImprimirMovimento();

  TDateTime FDataInicial;
  TDateTime FDataFinal;
  // The run's inclusion expressions, trimmed; the report header reads the establishments' one
  // to tell a single establishment from several.
  std::string FCodigoEmpresaFiltro;
  std::string FCodigoEstabFiltro;
  int FCodigoEmpresa = 0;
  int FCodigoEstab = 0;
  std::string FSQL;
  std::unique_ptr<TjCabecalhoRelatorio> FCabecalho;
  std::unique_ptr<TjClientDataSet> curMovimento;
  int ixSeq = 0;
  int ixObservacao = 0;
  int ixTipoLocal = 0;
  int ixDepartamento = 0;
  int ixProtocolo = 0;
};
