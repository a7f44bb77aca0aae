// What the grouped protocol listings share: the break plans and their ordering choices, the
// refusal of a plan or ordering the listing does not have, the page break, the group total and
// the rows of column titles and values. Header-only: compiled into each listing plug-in.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Exception.h"
#include "PluginSupport.h"
#include "SysUtils.h"
#include "TjClientDataSet.h"
#include "TjFraControle.h"
#include "TjQuebra.h"
#include "TjfmReport.h"
#include "TjxsPowerParam.h"

namespace kdr {

// Break plans 0 to 3 (pQuebra): company, branch, a date, a user.
constexpr int kPlanosDeQuebra = 4;

// The ordering choices of one break plan: the form's lines ("Caption=position") and the
// ordering key at each position.
struct OrdenacaoDoPlano {
  std::vector<std::string> Escolhas;
  std::vector<std::string> Chaves;
};
using TabelaOrdenacao = std::array<OrdenacaoDoPlano, kPlanosDeQuebra>;

// A listing's layout for one plan: the column titles and the values of a detail row.
struct LayoutListagem {
  int SecaoTitulos = 0;
  std::vector<std::string> Titulos;
  int SecaoLinha = 0;
  std::vector<std::function<std::string()>> Valores;
};

// The break plan a pQuebra text names; an empty text is plan 0. Anything else than a plan
// would leave the listing without groups, rows or column titles, so it is refused before the
// run prints.
inline int LerPlanoQuebra(const std::string& texto, const std::string& planos) {
  if (Trim(texto).empty()) return 0;
  const std::optional<std::int64_t> plano = LerInteiro(texto);
  if (!plano || *plano < 0 || *plano >= kPlanosDeQuebra) {
    throw EjxsError("Quebra inválida: \"" + texto + "\". Escolha " + planos + ".");
  }
  return static_cast<int>(*plano);
}

// "0 (Protocolo), 1 (Filial)" from the plan's choice lines.
inline std::string DescreverEscolhas(const OrdenacaoDoPlano& plano) {
  std::string texto;
  for (const std::string& linha : plano.Escolhas) {
    const auto igual = linha.find('=');
    if (!texto.empty()) texto += ", ";
    texto += linha.substr(igual + 1) + " (" + linha.substr(0, igual) + ")";
  }
  return texto;
}

// The ordering key a pOrdenacao text picks among the plan's keys; an empty text picks the
// first (the protocol number). A position the plan does not offer is refused.
inline std::string ChaveDeOrdenacao(const OrdenacaoDoPlano& plano, const std::string& texto) {
  if (Trim(texto).empty()) return plano.Chaves.front();
  const std::optional<std::int64_t> posicao = LerInteiro(texto);
  if (!posicao || *posicao < 0 || *posicao >= static_cast<std::int64_t>(plano.Chaves.size())) {
    throw EjxsError("Ordenação inválida para esta quebra: \"" + texto + "\". Escolha " +
                    DescreverEscolhas(plano) + ".");
  }
  return plano.Chaves[static_cast<std::size_t>(*posicao)];
}

// Puts a plan's ordering choices in the form's editor (none for an unknown plan) and shows
// them; the editor drops a value that is no longer offered.
inline void PreencherEscolhasOrdenacao(TjFraControle& editor, const OrdenacaoDoPlano* plano) {
  TStringList& escolhas = editor.GetFieldDefinicao();
  escolhas.Clear();
  if (plano != nullptr) {
    for (const std::string& linha : plano->Escolhas) escolhas.Add(linha);
  }
  editor.RefreshChoices();
}

// The plan the "pQuebra" editor now shows, with its ordering choices put in the "pOrdenacao"
// editor; null (and no choices) for a value that is no plan.
inline const OrdenacaoDoPlano* TrocarPlanoNoFormulario(TjxsPowerParam& params,
                                                       TjFraControle& editorOrdenacao,
                                                       const TabelaOrdenacao& tabela) {
  const int plano = params.EdFindFieldControl("pQuebra")->GetAsInteger();
  const OrdenacaoDoPlano* ordenacao =
      plano >= 0 && plano < kPlanosDeQuebra ? &tabela[static_cast<std::size_t>(plano)] : nullptr;
  PreencherEscolhasOrdenacao(editorOrdenacao, ordenacao);
  return ordenacao;
}

// Ends the page when the column of the pQuebraPag choice changes: 0 none, 1 to 4 the columns
// in `colunas`, anything else leaves the engine as it is. A column the engine does not group
// by is told in the run's messages and the listing prints without page breaks.
inline void DefinirQuebraPagina(TjQuebra& quebra, TjClientDataSet& dados, int escolha,
                                const std::array<std::string, 4>& colunas, TjfmReport& report) {
  if (escolha < 0 || escolha > static_cast<int>(colunas.size())) return;
  TField* campo =
      escolha == 0 ? nullptr : &dados.FieldByName(colunas[static_cast<std::size_t>(escolha - 1)]);
  try {
    quebra.SetFieldQuebraPagina(campo);
  } catch (const Exception& erro) {
    report.MsgMensagem(4, erro.Message() + " Quebra de Página foi ignorada.");
  }
}

// "1 Protocolo", "3 Protocolos".
inline std::string TextoQuantidadeProtocolos(double quantidade) {
  return FormatFloat("#0", quantidade) + (quantidade == 1 ? " Protocolo" : " Protocolos");
}

// Sets prefix0, prefix1, ... to the texts in order and prints the section.
inline void ImprimirColunas(TjfmReport& report, const std::string& prefixo,
                            const std::vector<std::string>& textos, int secao) {
  for (std::size_t i = 0; i < textos.size(); ++i) {
    report.SetLayoutValue(prefixo + std::to_string(i), textos[i]);
  }
  report.RepPrintSection(secao);
}

inline void ImprimirLinha(TjfmReport& report, const LayoutListagem& layout) {
  std::vector<std::string> textos;
  textos.reserve(layout.Valores.size());
  for (const auto& valor : layout.Valores) textos.push_back(valor());
  ImprimirColunas(report, "R", textos, layout.SecaoLinha);
}

// Prints a group's total, whose values the caller set. A total that does not fit goes to a new
// page under the titles of the groups still open. After it the page ends when the group's close
// asks so; otherwise a separator follows when it fits.
inline void ImprimirTotalDoGrupo(TjfmReport& report, TjQuebra& quebra, bool fimPagina,
                                 int secaoTotal, int secaoSeparador) {
  if (!report.NativeCanPrintSection(secaoTotal)) {
    report.RepEndOfPage(true);
    quebra.PrintCabecalho();
  }
  if (report.NativeCanPrintSection(secaoTotal)) report.RepPrintSection(secaoTotal);
  if (fimPagina) {
    report.RepEndOfPage(true);
  } else if (report.NativeCanPrintSection(secaoSeparador)) {
    report.RepPrintSection(secaoSeparador);
  }
}

// Walks the data set in its current index order through the engine, reporting progress;
// `depoisDaLinha` runs after each detail row, before the row's groups may close.
inline void PercorrerGrupos(TjClientDataSet& dados, TjQuebra& quebra, TjfmReport& report,
                            const std::function<void()>& depoisDaLinha) {
  const int total = dados.RecordCount();
  int feitos = 0;
  for (dados.First(); !dados.Eof(); dados.Next()) {
    quebra.IniciarBloco();
    quebra.ImprimirDetalhe();
    if (depoisDaLinha) depoisDaLinha();
    quebra.FinalizarBloco();
    report.CSLShowProgress(++feitos, total);
  }
}

// Group titles shared by the listings.
inline std::string TituloEmpresa(TjClientDataSet& dados, int ixCodigo, int ixNome) {
  return "Empresa: " + dados.Fields(ixCodigo).AsString() + " - " + dados.Fields(ixNome).AsString();
}
inline std::string TituloFilial(TjClientDataSet& dados, int ixCodigo, int ixNome, int ixApelido) {
  return "Filial: " + dados.Fields(ixCodigo).AsString() + " - " + dados.Fields(ixNome).AsString() +
         ", " + dados.Fields(ixApelido).AsString();
}
// The branch as a detail column shows it: "2 Padaria Pão Quente, Filial".
inline std::string TextoFilial(TjClientDataSet& dados, int ixCodigo, int ixNome, int ixApelido) {
  return dados.Fields(ixCodigo).AsString() + " " + dados.Fields(ixNome).AsString() + ", " +
         dados.Fields(ixApelido).AsString();
}

}  // namespace kdr
