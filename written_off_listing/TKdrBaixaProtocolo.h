// The office's list of written-off protocols (their signed receipt came back), grouped by
// company, branch, write-off date or user with a count per group and, on request, each
// protocol's items in one or two columns. The host opens the protocols from the report
// definition; the break engine groups them in the order this report gives the data set.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ListagemAgrupada.h"
#include "TObject.h"
#include "TjFraControle.h"
#include "TjQuebra.h"
#include "TjfmBaseDll.h"
#include "TjxsParamItem.h"

class TKdrBaixaProtocolo : public TjfmBaseDll {
 public:
  using TjfmBaseDll::TjfmBaseDll;

  static std::string Versao();

  void ImprimirInterno() override;
  // On the parameter form: the break plan offers its own ordering choices, and asking for
  // items makes the column choice required.
  void DoParamChange(TObject* Sender, TjxsParamItem* _AParam) override;
  void DepoisConfigurar(TWinControl* _AParent) override;

  // The ordering choices and keys of each break plan.
  static const kdr::TabelaOrdenacao& Ordenacoes();
  // The items statement for the current pItensPro (read by the run).
  std::string MontarSQLItens() const;

 private:
  void LerParametros();
  void MontarQuebras();
  void AplicarOrdenacao();
  void AdicionarQuebraEmpresa(std::string& indice);
  kdr::LayoutListagem Layout() const;

  void DoSecaoImpressa(TObject* Sender, int Section);
  void ImprimirTituloQuebra(const std::string& titulo);
  void ImprimirTotalQuebra(const std::string& nome, bool fimPagina, const TjDoubleArray& totais);
  void ImprimirItensProtocolo();
  void ImprimirItem(int sufixo, TjClientDataSet& itens);

  std::string Coluna(int posicao) const;
  std::string TextoUsuario() const;

  std::vector<std::string> FOrdem;
  TjFraControle* FDefOrdenacao = nullptr;
  std::string FItensPro;
  bool FMostrarItens = false;
  bool F1Coluna = false;
  bool F2Colunas = false;
  int FQuebra = 0;
  int FQuebraPagina = 0;
  int FOrdenacao = 1;
  int ixCodigoEmpresa = 0;
  int ixNomeEmpresa = 0;
  int ixCodigoEstab = 0;
  int ixCodigoProtocolo = 0;
  int ixNomeEstab = 0;
  int ixAplelidoEstab = 0;
  int ixDataLctoPro = 0;
  int ixDataHoraBaixa = 0;
  int ixNomeUsuario = 0;
  int ixCodigoUsuarioInt = 0;
  int ixUsuarioExt = 0;
  kdr::LayoutListagem FLayout;
  std::unique_ptr<TjQuebra> Quebra;
};
