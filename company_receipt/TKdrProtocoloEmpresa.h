// The company protocol receipt: for each open protocol of a launch-date range, a header with the
// company, establishment and address, the protocol's items (launch date, wrapped description,
// due date, competence, value) with the line the receiver dates on the first item, and a
// closing section for the signature.
#pragma once

#include <memory>
#include <string>

#include "TDateTime.h"
#include "TjClientDataSet.h"
#include "TjfmBaseDll.h"
#include "TjxsLabel.h"

class TKdrProtocoloEmpresa : public TjfmBaseDll {
 public:
  using TjfmBaseDll::TjfmBaseDll;

  static std::string Versao() { return "[versao: 1.1.28.0]"; }

  void ImprimirInterno() override;

 private:
  void LerParametros();
  void MontarConsultaItens();
  void AbrirEnderecosEstab();
  void LocalizarColunas();
  void ImprimirProtocolos();
  void ImprimirCabecalhoEstab();
  std::string MontarEndereco() const;
  void QuebrarDescricao(std::string& descricao);
  std::string CampoComSeparador(int posicao, const std::string& separador) const;
  void Limpar();

  TDateTime FDataInicial;
  TDateTime FDataFinal;
  TjxsLabel* pDesc = nullptr;  // owned by the report
  int FOrdenacao = 0;
  int FCodigoPro = -1;
  int FCodigoEmpresa = -1;
  int FCodigoEstab = -1;
  int ixCodigoPro = -1;
  int ixCodigoEmpresa = -1;
  int ixCodigoEstab = -1;
  int ixDescricaoPro = -1;
  int ixDescricao = -1;
  int ixDataVencimento = -1;
  int ixDataLctoPro = -1;
  int ixCompetencia = -1;
  int ixValor = -1;
  std::unique_ptr<TjClientDataSet> curEmpresa;
  std::unique_ptr<TjClientDataSet> curDados;
};
