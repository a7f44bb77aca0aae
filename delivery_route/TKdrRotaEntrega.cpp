#include "TKdrRotaEntrega.h"

#include <optional>

#include "DataAccess.h"
#include "Exception.h"
#include "PluginSupport.h"
#include "Sections.h"
#include "SysUtils.h"
#include "TField.h"
#include "Variant.h"

using namespace rota_entrega;

namespace {

// Report forms (pTipoRel): the detailed one lists the establishments of every route; the
// routes-only one prints no establishment heading. Any other number prints the route lines
// under both headings.
constexpr int TipoRelDetalhado = 1;
constexpr int TipoRelSomenteRotas = 2;

// Own addresses (ORIGEM "M") and delivery addresses (ORIGEM "O") of the establishments on the
// routes; both "%s" take the same filter text. The own address is the last resort of the
// sheet, so an establishment whose street type or city row is missing keeps it, with those
// parts blank.
constexpr const char* SQLEnderecoModelo =
    "select E.CODIGOEMPRESA ,E.CODIGOESTAB ,E.DDDFONE ,E.NUMEROFONE ,TL.DESCRTIPOLOGRAD "
    ",E.ENDERECOESTAB ,E.NUMENDERESTAB ,E.COMPLENDERESTAB ,E.BAIRROENDERESTAB ,M.NOMEMUNIC "
    ",M.SIGLAESTADO ,cast('M' as VarChar(1)) ORIGEM from ESTAB E  left join TIPOLOGRADOURO  TL  "
    "  on TL.CODIGOTIPOLOGRAD = E.CODIGOTIPOLOGRAD left join MUNICIPIO M on M.SIGLAESTADO = "
    "E.SIGLAESTADO and M.CODIGOMUNIC = E.CODIGOMUNIC join PROTOCOLOROTAENTREGA P on "
    "P.CODIGOEMPRESA = E.CODIGOEMPRESA and p.CODIGOESTAB = E.CODIGOESTAB %s union select "
    "E.CODIGOEMPRESA ,E.CODIGOESTAB ,F.DDDFONE ,F.NUMEROFONE ,E.LOGRADENTREGA ,E.ENDERECOENTREGA "
    ",E.NUMENDERENTREGA ,E.COMPLENDERENTREGA ,E.BAIRROENDERENTREGA ,M.NOMEMUNIC ,E.SIGLAESTADO "
    ",cast('O' as VarChar(1)) ORIGEM from ESTABENTREGA E join MUNICIPIO M on M.SIGLAESTADO = "
    "E.SIGLAESTADO and M.CODIGOMUNIC = E.CODIGOMUNIC join ESTAB F on F.CODIGOEMPRESA = "
    "E.CODIGOEMPRESA and F.CODIGOESTAB = E.CODIGOESTAB join PROTOCOLOROTAENTREGA P on "
    "P.CODIGOEMPRESA = E.CODIGOEMPRESA and p.CODIGOESTAB = E.CODIGOESTAB %s ";

// Positions of the address set's columns.
constexpr int ixDDDFone = 2;
constexpr int ixNumeroFone = 3;
constexpr int ixTipoLograd = 4;
constexpr int ixEndereco = 5;
constexpr int ixNumero = 6;
constexpr int ixComplemento = 7;
constexpr int ixBairro = 8;
constexpr int ixMunicipio = 9;
constexpr int ixEstado = 10;

const std::string OrigemPropria = "M";
const std::string OrigemEntrega = "O";

}  // namespace

std::string TKdrRotaEntrega::Versao() {
  return "[versao: 1.1.28.0]";
}

void TKdrRotaEntrega::ImprimirInterno() {
  // A form that is not a number would otherwise stop the run halfway, after pages were laid out.
  LerTipoRel();

  TjClientDataSet* rotas = DataSet();
  if (rotas == nullptr) {
    throw Exception("A definição do relatório de rotas de entrega não tem a consulta das rotas.");
  }
  if (rotas->IsEmpty()) return;

  // Whatever way the run ends, the address set goes and the report forgets this instance.
  struct FimDaExecucao {
    TKdrRotaEntrega& Relatorio;
    ~FimDaExecucao() {
      Relatorio.curEnd.reset();
      Relatorio.Report()->OnAfterSection = nullptr;
    }
  } fimDaExecucao{*this};
  Report()->OnAfterSection = [this](TObject* sender, int section) {
    DoSecaoImpressa(sender, section);
  };

  int feitos = 0;
  const int total = rotas->RecordCount();
  const int ixObservacao = rotas->FieldByName("OBSERVACAO").Index();
  const int ixCodigoEmpresa = rotas->FieldByName("CODIGOEMPRESA").Index();
  const int ixCodigoEstab = rotas->FieldByName("CODIGOESTAB").Index();
  rotas->First();

  curEnd.reset();
  FEmpresa = Trim(RepParam("pCodigoEmpresa"));
  FEstab = Trim(RepParam("pCodigoEstab"));
  FRota = Trim(RepParam("pCodigoRota"));
  const bool mostrarEndereco = RepParam("pMostrarEnd") == "1" && RepParam("pTipoRel") == "1";

  // No route yet: a first route whose code is 0 still gets its route line.
  std::optional<int> rotaAtual;
  while (!rotas->Eof()) {
    const int rota = rotas->FieldByName("CODIGOROTA").AsInteger();
    if (rota != rotaAtual) {
      if (rotaAtual.has_value() && FTipoRel == TipoRelDetalhado) ImprimirSeparadorRota();
      rotaAtual = rota;
      RepPrintSection(kSecaoRota);
    }
    if (FTipoRel == TipoRelDetalhado) {
      RepPrintSection(kSecaoEstab);
      if (mostrarEndereco) {
        ImprimirEndereco(rotas->Fields(ixCodigoEmpresa).AsInteger(),
                         rotas->Fields(ixCodigoEstab).AsInteger());
      }
      if (!rotas->Fields(ixObservacao).IsNull()) RepPrintSection(kSecaoObservacao);
    }
    Report()->CSLShowProgress(++feitos, total);
    rotas->Next();
  }
}

void TKdrRotaEntrega::LerTipoRel() {
  const std::string texto = GetParams().GetValues("pTipoRel");
  const std::optional<int> tipoRel = kdr::LerInt(texto);
  if (!tipoRel) {
    throw EjxsError("Tipo de relatório inválido: \"" + texto +
                    "\". Informe 1 (rotas com estabelecimentos), 2 (somente rotas) ou 3 (somente "
                    "rotas, com os dois cabeçalhos).");
  }
  FTipoRel = *tipoRel;
}

void TKdrRotaEntrega::DoSecaoImpressa(TObject*, int Section) {
  if (Section != kSecaoCabecalhoPagina) return;
  if (FTipoRel != TipoRelSomenteRotas) RepPrintSection(kSecaoTituloEstab);
  RepPrintSection(kSecaoTituloRota);
}

void TKdrRotaEntrega::ImprimirSeparadorRota() {
  RepParam("RTexto", "");
  RepPrintSection(kSecaoSeparador);
}

std::string TKdrRotaEntrega::LimparSeparador(const std::string& texto) {
  const std::string aparado = Trim(texto);
  if (aparado == "," || aparado == "/" || aparado == "Telefone:") return "";
  return texto;
}

std::string TKdrRotaEntrega::MontarFiltroEndereco() const {
  const std::string inicio = "where ";
  std::string filtro = inicio;
  const auto acrescentar = [&filtro, &inicio](const std::string& coluna,
                                              const std::string& expressao) {
    if (expressao.empty()) return;
    if (filtro != inicio) filtro += " and ";
    filtro += FilterInterval({coluna}, expressao, {1}, false, 1);
  };
  acrescentar("E.CODIGOEMPRESA", FEmpresa);
  acrescentar("E.CODIGOESTAB", FEstab);
  acrescentar("P.CODIGOROTA", FRota);
  return filtro == inicio ? "" : filtro;
}

void TKdrRotaEntrega::AbrirEnderecos() {
  const std::string filtro = MontarFiltroEndereco();
  FSQLEndereco = kdr::PreencherModelo(SQLEnderecoModelo, {filtro, filtro});
  curEnd = ExecutarSQL(FSQLEndereco, {}, true, false, 10);
  curEnd->SetIndexFieldNames("CODIGOEMPRESA;CODIGOESTAB;ORIGEM;");
}

// "1" (the default, also when the establishment has no configuration) means deliveries go to
// the establishment's own address.
std::string TKdrRotaEntrega::MesmoEnderecoEntrega(int codigoEmpresa, int codigoEstab) const {
  const Variant valor =
      jDMSQLDataSet().PegarValorCampo("CFGESTABPRO", "MESMOENDERECOENT",
                                      "CODIGOEMPRESA = " + ValorParaSQL(codigoEmpresa) +
                                          " and CODIGOESTAB = " + ValorParaSQL(codigoEstab));
  const std::string texto = valor.IsNull() ? "" : Trim(valor.AsString());
  return texto.empty() ? "1" : texto;
}

void TKdrRotaEntrega::ImprimirEndereco(int _ACodigoEmpresa, int _ACodigoEstab) {
  if (!curEnd) AbrirEnderecos();

  bool achou = false;
  if (MesmoEnderecoEntrega(_ACodigoEmpresa, _ACodigoEstab) == "1") {
    achou = curEnd->FindKey({_ACodigoEmpresa, _ACodigoEstab, OrigemPropria});
  } else {
    achou = curEnd->FindKey({_ACodigoEmpresa, _ACodigoEstab, OrigemEntrega}) ||
            curEnd->FindKey({_ACodigoEmpresa, _ACodigoEstab, OrigemPropria});
  }
  if (!achou) return;

  RepParam("REndereco", MontarTextoEndereco());
  RepPrintSection(kSecaoEndereco);
}

// The address of the current row of the address set. A part is dropped when nothing but its
// separator is left of it; a house number of 0 is a number like any other.
std::string TKdrRotaEntrega::MontarTextoEndereco() {
  const auto coluna = [this](int posicao) { return curEnd->Fields(posicao).AsString(); };
  return "Endereço: " + LimparSeparador(coluna(ixTipoLograd) + " ") +
         LimparSeparador(coluna(ixEndereco) + ", ") + LimparSeparador(coluna(ixNumero) + "  ") +
         LimparSeparador(coluna(ixComplemento) + ", ") + LimparSeparador(coluna(ixBairro) + ", ") +
         LimparSeparador(coluna(ixMunicipio) + " / ") + LimparSeparador(coluna(ixEstado)) +
         LimparSeparador("      Telefone: " +
                         FormatarFone(coluna(ixDDDFone), coluna(ixNumeroFone), ""));
}

void TKdrRotaEntrega::DoParamChange(TObject*, TjxsParamItem* _AParam) {
  if (_AParam == nullptr || !SameText(_AParam->Name(), "pTipoRel")) return;
  const std::string tipoRel = _AParam->Control().GetAsString();
  GetParams().EdEnabledField("pMostrarEnd", tipoRel == "1");
}
