// The protocol print: every open protocol of a launch-date range, one block per protocol and
// copy (the client establishment's header, the item lines, a footer the client signs), two
// blocks to a page, in a large mode with the office logo ("G") or a compact one, in one or two
// item columns.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "TDateTime.h"
#include "TjClientDataSet.h"
#include "TjfmBaseDll.h"
#include "TjxsLabel.h"

class TjCursorSQL;

class TKdrProtocolo : public TjfmBaseDll {
 public:
  using TjfmBaseDll::TjfmBaseDll;

  static std::string Versao();

  void ImprimirInterno() override;

  // Builds the item statement from the run's filters into FSQL.
  void MontarSQL();
  // Places the office logo (company pCodigoEmpresaLogo) and moves the header labels beside it.
  void ImpressaoLogoEmpresa();
  // Fills the block header with the establishment's data; prints it when asked.
  void ImpressaoCabecalho(int _ACodigoEmpresa, int _ACodigoEstab, bool _AFlagImprimeCab,
                          TDateTime _ACompet);
  void LimparParametros(int _AColuna);
  // After-section handler: the block's headings follow its header.
  void DoAdd(TObject* Sender, int Section);

  // The statement MontarSQL built, for those who check it.
  const std::string& SQL() const { return FSQL; }

 private:
  // Where the walk over the working set stands.
  struct TEstadoImpressao {
    int Linhas = 0;  // rows used in the current block, the header counting as one
    int Blocos = 0;  // blocks finished on the current page
    int Coluna = 2;  // column of the next item in two-column mode: 2 or 4
    int LinhasItem = 0;
    std::string TextoAtual;
    // Texts already split into their label's lines: an item's description is split to see
    // whether it fits the block and then again to print it, and offices repeat the same
    // descriptions item after item. Bounded: it starts over when full.
    std::unordered_map<std::string, std::vector<std::string>> Quebras;
    std::vector<std::string> Cortados;  // protocols whose text did not fit its column
    int Progresso = 0;
  };

  void LerParametros();
  void ValidarDatas();
  std::unique_ptr<TjClientDataSet> MontarConjuntoTrabalho(TjCursorSQL& resultado) const;
  void Imprimir(TjClientDataSet& dados);
  // False, printing nothing, when the item's lines do not fit the rest of the block.
  bool ImprimirItemUmaColuna(TjClientDataSet& dados, TEstadoImpressao& estado);
  void ImprimirItemDuasColunas(TjClientDataSet& dados, TEstadoImpressao& estado);
  // Splits the current text into the description label's lines (their number goes to
  // LinhasItem), printing all but the last when asked.
  void QuebrarDescricao(TEstadoImpressao& estado, bool imprimir);
  bool ItemCabeNoBloco(int linhasItem, int linhas) const;
  // Ends a block (the working set already stands on the next row): filler rows, footer, and
  // the next block's start on this page or the next.
  void FecharBloco(TjClientDataSet& dados, TEstadoImpressao& estado);
  void IniciarSegundoBloco(TjClientDataSet& dados, TEstadoImpressao& estado);
  void CabecalhoDaLinhaAtual(TjClientDataSet& dados, bool imprimir);
  void LimparColunas();
  int CapacidadeBloco() const;
  bool ModoGrande() const;

  TDateTime FDataInicial;
  TDateTime FDataFinal;
  std::string FTipoImpressao;
  int FQuantCopias = 1;
  int FColuna = 0;
  std::string FSQL;
  TjxsLabel* pDesc = nullptr;
  std::unique_ptr<TjClientDataSet> curEmpresa;
};
