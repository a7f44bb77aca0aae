// The office's list of protocols not yet written off, grouped by company, branch, launch date
// or registering user with a count per group. The host opens the protocols from the report
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

class TKdrProtocolosNaoBaixados : public TjfmBaseDll {
 public:
  using TjfmBaseDll::TjfmBaseDll;

  static std::string Versao();

  void ImprimirInterno() override;
  // On the parameter form the break plan offers its own ordering choices.
  void DoParamChange(TObject* Sender, TjxsParamItem* _AParam) override;
  void DepoisConfigurar(TWinControl* _AParent) override;

  // The ordering choices and keys of each break plan.
  static const kdr::TabelaOrdenacao& Ordenacoes();

 private:
  void LerParametros();
  void MontarQuebras();
  void AplicarOrdenacao();
  void AdicionarQuebraEmpresa(std::string& indice);
  kdr::LayoutListagem Layout() const;

  void DoSecaoImpressa(TObject* Sender, int Section);
  void ImprimirTituloQuebra(const std::string& titulo);
  void ImprimirTotalQuebra(const std::string& nome, bool fimPagina, const TjDoubleArray& totais);

  std::string Coluna(int posicao) const;

  // The keys belong to the instance: a run takes them from its own plan, and two forms open
  // at once do not share them.
  std::vector<std::string> FOrdem;
  TjFraControle* FDefOrdenacao = nullptr;
  int FQuebra = 0;
  int FQuebraPagina = 0;
  int ixCodigoEmpresa = 0;
  int ixNomeEmpresa = 0;
  int ixCodigoEstab = 0;
  int ixCodigoProtocolo = 0;
  int ixNomeEstab = 0;
  int ixAplelidoEstab = 0;
  int ixDataLctoPro = 0;
  int ixDataHoraCadastro = 0;
  int ixNomeUsuario = 0;
  int ixCodigoUsuario = 0;
  kdr::LayoutListagem FLayout;
  std::unique_ptr<TjQuebra> Quebra;
};
