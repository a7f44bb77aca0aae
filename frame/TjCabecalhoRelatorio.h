// The company header of a report page: the company's logo where it has one, its name, the
// establishment the run is about (or "Diversos estabelecimentos"), its registration and its
// address. A report creates one for a run, tells it the company of what it prints next
// (Executar) and lets it print its section right after the page header (ImpressaoCabecalho,
// from the report's handler of section 1).
//
// The layout holds the header in a section of its own with the image "Logo" and the labels
// "etiCabEmpresa", "etiCabEstab", "etiCabInscricao", "etiCabEndereco" and "etiCabSubtitulo",
// which show the layout values "RCabEmpresa", "RCabEstab", "RCabInscricao", "RCabEndereco" and
// "RCabSubtitulo". With a logo the labels stand beside it (left 202, width 575); without one
// they span the page (left 23, width 754).
#pragma once

#include <array>
#include <memory>
#include <string>

#include "KdrApi.h"
#include "TObject.h"
#include "TjfmReport.h"

class KDR_API TjCabecalhoRelatorio : public TObject {
 public:
  // report: the report object printing the header; it must outlive this object.
  // semLogotipo: leave the logo out even when the company has one.
  // semInscricao: leave the registration number out.
  // semEndereco: leave the address out.
  // semEstabelecimento: leave the establishment line out.
  // somentePrimeiraPagina: print the header on the first page only (false: on every page).
  // secoes: the header's section on the first page and on the pages after it.
  // empresaLogotipo: the company whose logo shows; -1 shows each company's own logo, any other
  //   code that company's logo on every header (the office's own, say).
  // estabelecimentoSede: the establishment whose registration and address stand for the
  //   company when the run covers several of them (1, the head office); a company without it
  //   is represented by its lowest-numbered establishment.
  // inscricaoFormatada: 1 shows the registration with its usual mask, 0 digits only.
  // estabelecimentos: the run's establishment selection as the user typed it (an inclusion
  //   expression); one non-zero code names that establishment, anything else (empty, a list,
  //   a range) reads "Diversos estabelecimentos". It is never pasted into a statement.
  // subtitulo: a line under the company name (a period, a selection); empty for none.
  // nomeEmMaiusculas: show the company name in capitals.
  TjCabecalhoRelatorio(TjfmReport* report, bool semLogotipo, bool semInscricao, bool semEndereco,
                       bool semEstabelecimento, bool somentePrimeiraPagina,
                       std::array<int, 2> secoes, int empresaLogotipo, int estabelecimentoSede,
                       int inscricaoFormatada, const std::string& estabelecimentos,
                       const std::string& subtitulo, bool nomeEmMaiusculas);
  ~TjCabecalhoRelatorio() override;
  TjCabecalhoRelatorio(const TjCabecalhoRelatorio&) = delete;
  TjCabecalhoRelatorio& operator=(const TjCabecalhoRelatorio&) = delete;

  // Makes `codigoEmpresa` the company of the next headers. Its data is read from the database
  // only when the company differs from the one loaded last. A company missing from the
  // database gives a header with its code alone.
  void Executar(int codigoEmpresa);
  // Sets the header's layout values, logo and labels for the loaded company and prints the
  // header's section. Does nothing before the first Executar, or on later pages when the
  // header is for the first page only.
  void ImpressaoCabecalho();

 private:
  struct Impl;
  std::unique_ptr<Impl> FImpl;
};
