// The delivery route sheet a courier takes out: every route of the route list the host opened
// from the report definition and, in the detailed form, the establishments to visit in route
// order with their notes and, on request, the address to go to.
#pragma once

#include <memory>
#include <string>

#include "TObject.h"
#include "TjClientDataSet.h"
#include "TjfmBaseDll.h"
#include "TjxsParamItem.h"

class TKdrRotaEntrega : public TjfmBaseDll {
 public:
  using TjfmBaseDll::TjfmBaseDll;

  static std::string Versao();

  void ImprimirInterno() override;
  // Prints the address block of one establishment: its delivery address or its own one, as the
  // establishment's protocol configuration says.
  void ImprimirEndereco(int _ACodigoEmpresa, int _ACodigoEstab);

  // On the parameter form, addresses can only be asked for in the detailed form.
  void DoParamChange(TObject* Sender, TjxsParamItem* _AParam) override;

  // The address statement as this instance last opened it; empty before the first address.
  const std::string& SQLEndereco() const { return FSQLEndereco; }

 private:
  void DoSecaoImpressa(TObject* Sender, int Section);
  void ImprimirSeparadorRota();
  static std::string LimparSeparador(const std::string& texto);

  void LerTipoRel();
  std::string MontarFiltroEndereco() const;
  void AbrirEnderecos();
  std::string MesmoEnderecoEntrega(int codigoEmpresa, int codigoEstab) const;
  std::string MontarTextoEndereco();

  std::unique_ptr<TjClientDataSet> curEnd;
  std::string FEmpresa;
  std::string FEstab;
  std::string FRota;
  int FTipoRel = 1;
  std::string FSQLEndereco;
};
