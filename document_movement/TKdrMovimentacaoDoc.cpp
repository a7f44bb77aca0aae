#include "TKdrMovimentacaoDoc.h"

#include <array>
#include <optional>

#include "DataAccess.h"
#include "Exception.h"
#include "Sections.h"
#include "SysUtils.h"
#include "TField.h"
#include "Variant.h"

using namespace movimentacao;

namespace {

constexpr const char* kSqlMovimento =
    " select M.CODIGODOCEMP ,M.SEQDOCEMP ,M.TIPOLOCAL ,M.DATALCTOPRO ,M.CODIGODPTOESCRIT "
    ",M.CODIGOUSUARIORESP ,M.CODIGOPROTOCOLO ,M.OBSERVACAO ,M.DATAHORA ,M.CODIGOUSUARIO "
    ",D.DESCRDPTOESCRIT from PROTOCOLODOCMOVIMENTO M join PROTOCOLODOCEMP P on M.CODIGODOCEMP = "
    "P.CODIGODOCEMP left join DEPARTAMENTOESCRIT D on M.CODIGODPTOESCRIT = "
    "D.CODIGODPTOESCRIT ";

// TIPOLOCAL of a movement into one of the office's departments; anything else went outside.
constexpr int kLocalInterno = 1;

// The header's section on the first page and on the pages after it.
constexpr std::array<int, 2> kSecoesCabecalho = {kSecaoCabecalhoEmpresa, kSecaoCabecalhoEmpresa};
// Each company's own logo.
constexpr int kLogotipoDaPropriaEmpresa = -1;
constexpr int kEstabelecimentoSede = 1;
constexpr int kInscricaoFormatada = 1;

}  // namespace

std::string TKdrMovimentacaoDoc::Versao() {
  return "[versao: 1.1.28.0]";
}

void TKdrMovimentacaoDoc::ImprimirInterno() {
  TjClientDataSet* documentos = DataSet();
  if (documentos == nullptr) {
    throw Exception(
        "A definição do relatório de movimentação de documentos não tem a consulta dos "
        "documentos.");
  }
  // The period is checked even when no document matches it: a reversed period must not pass
  // for an office without documents.
  LerParametros();
  if (documentos->IsEmpty()) return;

  // Whatever way the run ends, the movement set and the header go and the report forgets
  // this instance.
  struct FimDaExecucao {
    TKdrMovimentacaoDoc& Relatorio;
    ~FimDaExecucao() {
      Relatorio.curMovimento.reset();
      Relatorio.FCabecalho.reset();
      Relatorio.Report()->OnAfterSection = nullptr;
    }
  } fimDaExecucao{*this};

  FCabecalho = std::make_unique<TjCabecalhoRelatorio>(
      Report(), false, false, false, false, false, kSecoesCabecalho, kLogotipoDaPropriaEmpresa,
      kEstabelecimentoSede, kInscricaoFormatada, FCodigoEstabFiltro, "", false);
  Report()->OnAfterSection = [this](TObject* sender, int section) {
    DoAfterSection(sender, section);
  };

  const int total = documentos->RecordCount();
  int impressos = 0;
  documentos->First();
  CarregarMovimentacao();

  const int ixCodigoEmpresa = documentos->FieldByName("CODIGOEMPRESA").Index();
  const int ixCodigoEstab = documentos->FieldByName("CODIGOESTAB").Index();
  std::optional<int> empresaAnterior;
  while (!documentos->Eof()) {
    FCodigoEstab = documentos->Fields(ixCodigoEstab).AsInteger();
    FCodigoEmpresa = documentos->Fields(ixCodigoEmpresa).AsInteger();
    // Each company starts a page of its own, so that the header at the top of a page is the
    // company of every document on it.
    if (empresaAnterior.has_value() && *empresaAnterior != FCodigoEmpresa) RepEndOfPage(true);
    empresaAnterior = FCodigoEmpresa;
    FCabecalho->Executar(FCodigoEmpresa);
    ImprimirDocumento(*documentos);
    Report()->CSLShowProgress(++impressos, total);
    documentos->Next();
  }
}

void TKdrMovimentacaoDoc::LerParametros() {
  FDataInicial = StrToDateDef(RepParam("pDataInicial"), TDateTime());
  if (FDataInicial.IsZero()) throw EjxsError("Data inicial invalida!");
  FDataFinal = StrToDateDef(RepParam("pDataFinal"), TDateTime());
  if (FDataFinal.IsZero()) throw EjxsError("Data final invalida!");
  if (FDataInicial > FDataFinal) {
    throw EjxsError("A data inicial deve ser inferior a data final.");
  }
  FCodigoEmpresaFiltro = Trim(RepParam("pCodigoEmpresa"));
  FCodigoEstabFiltro = Trim(RepParam("pCodigoEstab"));
  RepParam("RPeriodo", "Período: " + DateToStr(FDataInicial) + " a " + DateToStr(FDataFinal));
}

void TKdrMovimentacaoDoc::MontarSQL() {
  const std::string& empresas = FCodigoEmpresaFiltro;
  const std::string& estabelecimentos = FCodigoEstabFiltro;
  // FilterInterval refuses any expression that is not codes and ranges, so no text of the
  // user's reaches the statement.
  std::string condicao;
  if (!empresas.empty()) condicao = FilterInterval({"P.CODIGOEMPRESA"}, empresas, {1}, false, 3);
  if (!estabelecimentos.empty()) {
    condicao += FilterInterval({"P.CODIGOESTAB"}, estabelecimentos, {1}, !condicao.empty(), 3);
  }
  FSQL = kSqlMovimento;
  if (!condicao.empty()) FSQL += " where " + condicao;
}

void TKdrMovimentacaoDoc::CarregarMovimentacao() {
  MontarSQL();
  DestruirSQL(curMovimento);
  curMovimento = ExecutarSQL(FSQL, {}, true, false, 10);
  curMovimento->SetIndexFieldNames("CODIGODOCEMP;SEQDOCEMP;");
  ixSeq = curMovimento->FieldByName("SEQDOCEMP").Index();
  ixObservacao = curMovimento->FieldByName("OBSERVACAO").Index();
  ixTipoLocal = curMovimento->FieldByName("TIPOLOCAL").Index();
  ixDepartamento = curMovimento->FieldByName("DESCRDPTOESCRIT").Index();
  ixProtocolo = curMovimento->FieldByName("CODIGOPROTOCOLO").Index();
}

void TKdrMovimentacaoDoc::DoAfterSection(TObject*, int Section) {
  if (Section == kSecaoCabecalhoPagina && FCabecalho) FCabecalho->ImpressaoCabecalho();
}

void TKdrMovimentacaoDoc::ImprimirDocumento(TjClientDataSet& documentos) {
  RepPrintSection(kSecaoDocumento);
  const Variant documento = documentos.FieldByName("CODIGODOCEMP").Value();
  curMovimento->SetRange({documento}, {documento});
  for (curMovimento->First(); !curMovimento->Eof(); curMovimento->Next()) ImprimirMovimento();
  RepParam("RTexto", "");
  if (Report()->NativeCanPrintSection(kSecaoFimDocumento)) RepPrintSection(kSecaoFimDocumento);
}

void TKdrMovimentacaoDoc::ImprimirMovimento() {
  const TField& protocolo = curMovimento->Fields(ixProtocolo);
  RepParam("RProtocolo",
           protocolo.IsNull() ? std::string() : FormatFloat("00000", protocolo.AsFloat()));
  RepParam("RSeq", FormatFloat("0000", curMovimento->Fields(ixSeq).AsFloat()));
  RepParam("RObservacaoMov", curMovimento->Fields(ixObservacao).AsString());
  const TField& tipoLocal = curMovimento->Fields(ixTipoLocal);
  RepParam("RLocalMov",
           !tipoLocal.IsNull() && tipoLocal.AsInteger() == kLocalInterno ? "Interno" : "Externo");
  RepParam("RDepartamento", curMovimento->Fields(ixDepartamento).AsString());
  RepPrintSection(kSecaoMovimento);
}
