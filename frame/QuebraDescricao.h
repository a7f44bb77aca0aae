// Splitting an item description into the lines its layout label shows. Header-only: compiled
// into each plug-in that prints descriptions, so nothing here is exported.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "SysUtils.h"
#include "TStringList.h"
#include "TjfmReport.h"
#include "TjxsLabel.h"

namespace kdr {

// The lines of `texto` as the label `etiqueta` prints them. A text whose lines, each with its
// two-character break, come to more than `tamanhoSemQuebra` characters is re-flowed to the
// label's width (words wrapped, its own breaks kept). A shorter one keeps its own lines when they
// fit; when one does not (capitals are wide), it is re-flowed too rather than lose its end at the
// label's edge. Never empty: an empty description is one empty line.
inline std::vector<std::string> QuebrarDescricao(TjfmReport& report, TjxsLabel* etiqueta,
                                                 const std::string& texto, int tamanhoSemQuebra) {
  TStringList lista;
  lista.SetText(texto);
  if (CharCount(lista.Text()) > tamanhoSemQuebra) {
    report.WrapText(lista, etiqueta, true, true);
  } else {
    TStringList refeita = lista;
    report.WrapText(refeita, etiqueta, true, true);
    if (refeita.Count() > lista.Count()) lista = std::move(refeita);
  }
  std::vector<std::string> linhas;
  linhas.reserve(static_cast<std::size_t>(lista.Count()));
  for (int i = 0; i < lista.Count(); ++i) linhas.push_back(lista[i]);
  if (linhas.empty()) linhas.emplace_back();
  return linhas;
}

}  // namespace kdr
