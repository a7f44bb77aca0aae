#include "TKdrProtocolo.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "DataAccess.h"
#include "Exception.h"
#include "PluginSupport.h"
#include "QuebraDescricao.h"
#include "Sections.h"
#include "SysUtils.h"
#include "TGraphic.h"

using namespace protocolo;

namespace {

// Rows of a block, its header row included.
constexpr int kCapacidadeGrande = 13;
constexpr int kCapacidadeCompacta = 6;

// Copies of each protocol, as many as the form's field takes: every copy is a row of the work
// set, so an absurd number would exhaust the memory before anything prints.
constexpr std::int64_t kMaximoCopias = 99;
// Texts up to this length (line breaks counted) are taken to fit the description label as
// they are; longer ones are re-flowed to its width.
constexpr int kTamanhoSemQuebra = 70;
// Descriptions kept split at a time: more than an office repeats; a few MB at most.
constexpr std::size_t kTextosQuebradosGuardados = 4096;
// Lines an item's description shows in a column of the two-column layout; a text that needs
// more is cut there, and its protocol is reported.
constexpr int kLinhasPorColuna = 2;

// Placement of the header labels beside the logo, in layout units.
constexpr int kMargemEsquerda = 23;
constexpr int kLarguraCabecalho = 754;
constexpr int kEsquerdaAoLadoLogo = 202;
constexpr int kLarguraTituloAoLadoLogo = 575;
constexpr int kEspacoAposLogo = 3;

const char* const kSqlItens =
    "select %s I.CODIGOPROTOCOLO ,I.SEQITEMPRO ,I.DESCRITEM ,I.DATALCTOPRO ,I.VENCIMENTO ,I.VALOR "
    ",I.CODIGOIMPOSTO ,I.VARIACAOIMPOSTO ,I.CODIGODOCEMP ,I.CodigoFuncContr ,I.CANCELADO "
    ",I.CHAVEORIGEM ,I.COMPETENCIA ,P.CODIGOEMPRESA ,P.CODIGOESTAB ,P.TIPOPRO ,P.OBSERVACAO "
    ",P.DATAHORACADASTRO ,P.CODIGOUSUARIO ,P.FORMAENTREGA ,P.NATUREZAPRO ,P.DATAHORAENTREGA "
    ",P.CODIGOUSUARIOINT ,P.USUARIOEXT ,P.DATAHORABAIXA from PROTOCOLOITEM I join PROTOCOLO P on "
    "I.CODIGOPROTOCOLO = P.CODIGOPROTOCOLO %s where P.DATAHORABAIXA is null and P.DATALCTOPRO "
    "between :pDataInicial and :pDataFinal and I.CANCELADO = '0' ";

const char* const kSqlEstab =
    "select F.CODIGOEMPRESA ,F.CODIGOESTAB ,F.TIPOINSCR ,F.INSCRFEDERAL ,TL.DESCRTIPOLOGRAD "
    ",F.ENDERECOESTAB ,F.NUMENDERESTAB ,F.COMPLENDERESTAB ,F.BAIRROENDERESTAB ,F.DDDFONE "
    ",F.NUMEROFONE ,F.SIGLAESTADO ,F.NOMEESTAB ,M.NOMEMUNIC from ESTAB F join MUNICIPIO M on "
    "M.SIGLAESTADO = F.SIGLAESTADO and M.CODIGOMUNIC = F.CODIGOMUNIC  join TIPOLOGRADOURO  TL    "
    "on TL.CODIGOTIPOLOGRAD = F.CODIGOTIPOLOGRAD where F.CODIGOEMPRESA = :pCodigoEmpresa and "
    "F.CODIGOESTAB = :pCodigoEstab  order by F.CODIGOEMPRESA, F.CODIGOESTAB";

const char* const kSqlEstabEntrega =
    "select T.CODIGOEMPRESA ,T.CODIGOESTAB ,F.TIPOINSCR ,F.INSCRFEDERAL ,T.LOGRADENTREGA "
    ",T.ENDERECOENTREGA ,T.NUMENDERENTREGA ,T.COMPLENDERENTREGA ,T.BAIRROENDERENTREGA ,F.DDDFONE "
    ",F.NUMEROFONE ,T.SIGLAESTADO ,F.NOMEESTAB ,M.NOMEMUNIC from ESTABENTREGA T join ESTAB F on "
    "F.CODIGOEMPRESA = T.CODIGOEMPRESA and F.CODIGOESTAB = T.CODIGOESTAB join Municipio M on "
    "M.SIGLAESTADO = T.SIGLAESTADO and M.CODIGOMUNIC = T.CODIGOMUNIC where T.CODIGOEMPRESA = "
    ":CodigoEmpresa and T.CODIGOESTAB = :CodigoEstab  order by T.CODIGOEMPRESA, T.CODIGOESTAB";

const char* const kSqlLogo =
    "select EMP.CODIGOEMPRESA, EMP.NOMEEMPRESA, EMP.LOGOTIPOEMPRESA, EST.ENDERECOESTAB, "
    "EST.SIGLAESTADO, MUN.NOMEMUNIC from EMPRESA EMP, ESTAB EST, MUNICIPIO MUN where "
    "EMP.CODIGOEMPRESA = EST.CODIGOEMPRESA and EST.SIGLAESTADO = MUN.SIGLAESTADO and "
    "EST.CODIGOMUNIC = MUN.CODIGOMUNIC and EST.CODIGOESTAB = 1 and EMP.CODIGOEMPRESA = "
    ":pCodigoEmpresaLogo ";

// Columns of the establishment statements, which both return in this order.
enum ColunaEstab {
  cTipoInscr = 2,
  cInscrFederal = 3,
  cLogradouro = 4,
  cEndereco = 5,
  cNumero = 6,
  cComplemento = 7,
  cBairro = 8,
  cDddFone = 9,
  cNumeroFone = 10,
  cSiglaEstado = 11,
  cNomeEstab = 12,
  cNomeMunic = 13
};

// An item without competence has none to show, not the zero date's month.
std::string FormatarCompet(TDateTime compet) {
  return compet.IsZero() ? std::string() : FormatDateTime("mm/yyyy", compet);
}

std::string FormatarVcto(TDateTime vcto) {
  return vcto.IsZero() ? std::string() : DateToStr(vcto);
}

// The protocol type goes into the statement as a number, so only a whole number is accepted.
std::string TipoProtocoloParaSQL(const std::string& texto) {
  const std::optional<int> valor = kdr::LerInt(texto);
  if (!valor) {
    throw EjxsError("Tipo de protocolo inválido: \"" + texto +
                    "\". Informe o código numérico do tipo, ou deixe vazio para todos.");
  }
  return std::to_string(*valor);
}

TjTipoInscrFederal TipoInscricao(int codigo) {
  switch (codigo) {
    case 1:
      return TjTipoInscrFederal::tifCNPJ;
    case 3:
      return TjTipoInscrFederal::tifCEI;
    default:
      return TjTipoInscrFederal::tifCPF;
  }
}

}  // namespace

std::string TKdrProtocolo::Versao() {
  return "[versao: 1.1.28.0]";
}

void TKdrProtocolo::ImprimirInterno() {
  // Whatever way the run ends, the report object must not keep a handler into this instance,
  // and every data set of the run goes.
  struct Liberacao {
    TKdrProtocolo& Relatorio;
    ~Liberacao() {
      Relatorio.Report()->OnAfterSection = nullptr;
      DestruirSQL(Relatorio.curEmpresa);
    }
  } liberacao{*this};

  LerParametros();
  // Descriptions are measured against the label they print in: in two columns, a column's.
  const char* etiquetaDescricao = ModoGrande() ? "pDesc1" : "Etiqueta21";
  if (FColuna == 1) etiquetaDescricao = "etiDesc2";
  pDesc = Report()->LabelByName(etiquetaDescricao);
  if (FColuna == 1) Report()->MsgConfigurar({"Mensagem"});
  ValidarDatas();
  RepParam("pCliente", LeftChars(RepParam("pCliente"), 32));
  RepParam("pEscrit", LeftChars(RepParam("pEscrit"), 30));
  // The statement is built before anything runs, so that a bad filter stops the run at once.
  MontarSQL();
  if (ModoGrande()) ImpressaoLogoEmpresa();

  Report()->OnAfterSection = [this](TObject* sender, int section) { DoAdd(sender, section); };
  DestruirSQL(curEmpresa);

  if (FSQL.empty()) return;
  // The items are read once, straight into the working set: held twice, a large office's year
  // would cost twice the memory.
  TjCursorSQL itens(FSQL, {FDataInicial, FDataFinal});
  std::unique_ptr<TjClientDataSet> dados = MontarConjuntoTrabalho(itens);
  if (dados->IsEmpty()) return;
  Imprimir(*dados);
}

void TKdrProtocolo::LerParametros() {
  FTipoImpressao = RepParam("pOrigem");
  // A text that is not a number gives one copy; zero or fewer print nothing.
  const std::int64_t copias = StrToInt64Def(RepParam("pCopia"), 1);
  if (copias > kMaximoCopias) {
    throw EjxsError("Número de vias inválido: " + std::to_string(copias) + ". Informe no máximo " +
                    std::to_string(kMaximoCopias) + " vias de cada protocolo.");
  }
  FQuantCopias = static_cast<int>(std::max<std::int64_t>(copias, 0));
  // Only one or two columns have a layout to print into.
  const std::string coluna = Trim(RepParam("pColuna"));
  FColuna = coluna.empty() ? 0 : StrToIntDef(coluna, -1);
  if (FColuna != 0 && FColuna != 1) {
    throw EjxsError("Colunas inválidas: \"" + coluna +
                    "\". Use 0 para uma coluna de itens ou 1 para duas colunas.");
  }
}

void TKdrProtocolo::ValidarDatas() {
  FDataInicial = StrToDateDef(RepParam("pDataInicial"), TDateTime());
  if (FDataInicial.IsZero()) throw EjxsError("Data inicial invalida!");
  FDataFinal = StrToDateDef(RepParam("pDataFinal"), TDateTime());
  if (FDataFinal.IsZero()) throw EjxsError("Data final invalida!");
}

bool TKdrProtocolo::ModoGrande() const {
  return FTipoImpressao == "G";
}

int TKdrProtocolo::CapacidadeBloco() const {
  return ModoGrande() ? kCapacidadeGrande : kCapacidadeCompacta;
}

void TKdrProtocolo::MontarSQL() {
  std::string juncao;
  std::string colunasRota;
  std::string condicao;
  std::string ordem = "order by P.CODIGOPROTOCOLO, I.SEQITEMPRO, P.CODIGOEMPRESA, P.CODIGOESTAB";

  const std::pair<const char*, const char*> intervalos[] = {
      {"pCodigoEmpresa", "P.CODIGOEMPRESA"},
      {"pCodigoEstab", "P.CODIGOESTAB"},
      {"pCodigoProtocolo", "P.CODIGOPROTOCOLO"},
      {"pCodigoRota", "R.CODIGOROTA"}};
  for (const auto& [parametro, coluna] : intervalos) {
    const std::string expressao = Trim(RepParam(parametro));
    if (!expressao.empty()) condicao += FilterInterval({coluna}, expressao, {1}, true, 3);
  }

  if (!Trim(RepParam("pCodigoRota")).empty()) {
    colunasRota = "R.CODIGOROTA, R.SEQROTA, ";
    ordem =
        "order by R.CODIGOROTA, R.SEQROTA, P.CODIGOPROTOCOLO, I.SEQITEMPRO, P.CODIGOEMPRESA, "
        "P.CODIGOESTAB";
    juncao =
        "join PROTOCOLOROTAENTREGA R on R.CODIGOEMPRESA = P.CODIGOEMPRESA and R.CODIGOESTAB = "
        "P.CODIGOESTAB ";
  }

  const std::pair<const char*, const char*> igualdades[] = {
      {"pFormaEntrega", " and P.FORMAENTREGA = "}, {"pNatureza", " and P.NATUREZAPRO = "}};
  for (const auto& [parametro, condicaoColuna] : igualdades) {
    const std::string valor = Trim(RepParam(parametro));
    if (!valor.empty() && valor != "0") {
      condicao += condicaoColuna + ValorParaSQL(Variant(valor), TFieldType::ftString);
    }
  }

  const std::string tipo = Trim(RepParam("pTipoPro"));
  if (!tipo.empty() && tipo != "0") {
    condicao += " and CAST(P.TIPOPRO AS INTEGER) = " + TipoProtocoloParaSQL(tipo);
  }

  FSQL = kdr::PreencherModelo(kSqlItens, {colunasRota, juncao}) + " " + condicao + " " + ordem;
}

std::unique_ptr<TjClientDataSet> TKdrProtocolo::MontarConjuntoTrabalho(
    TjCursorSQL& resultado) const {
  const bool modoRota = resultado.Coluna("CODIGOROTA") >= 0;
  auto dados = std::make_unique<TjClientDataSet>();
  dados->AddFieldDef("CodigoProtocolo", TFieldType::ftFloat);
  dados->AddFieldDef("SeqItem", TFieldType::ftInteger);
  dados->AddFieldDef("CodigoEmpresa", TFieldType::ftInteger);
  dados->AddFieldDef("CodigoEstab", TFieldType::ftInteger);
  dados->AddFieldDef("Seq", TFieldType::ftInteger);
  dados->AddFieldDef("DescrProtocolo", TFieldType::ftString, 100);
  // As wide as the item's description column, so that no description loses its end.
  dados->AddFieldDef("Desc", TFieldType::ftString, 500);
  dados->AddFieldDef("Vcto", TFieldType::ftDateTime);
  dados->AddFieldDef("Compet", TFieldType::ftDateTime);
  if (modoRota) {
    dados->AddFieldDef("CodigoRota", TFieldType::ftInteger);
    dados->AddFieldDef("SeqRota", TFieldType::ftInteger);
  }
  dados->AddFieldDef("Valor", TFieldType::ftFMTBcd, 0, 18, 2);
  dados->CreateDataSet();

  // Every key descends: highest route, stop and protocol first; within a protocol the copies
  // and the items from the highest number down.
  std::string campos = "CodigoProtocolo;Seq;SeqItem;CodigoEmpresa;CodigoEstab;Vcto";
  if (modoRota) campos = "CODIGOROTA;SEQROTA;" + campos;
  dados->AddIndex("ixIndice", campos, TjClientDataSet::ixDescending, "Vcto");
  dados->SetIndexName("ixIndice");

  const int codigoProtocolo = resultado.ColunaObrigatoria("CODIGOPROTOCOLO");
  const int seqItem = resultado.ColunaObrigatoria("SEQITEMPRO");
  const int codigoEmpresa = resultado.ColunaObrigatoria("CODIGOEMPRESA");
  const int codigoEstab = resultado.ColunaObrigatoria("CODIGOESTAB");
  const int observacao = resultado.ColunaObrigatoria("OBSERVACAO");
  const int descricao = resultado.ColunaObrigatoria("DESCRITEM");
  const int vencimento = resultado.ColunaObrigatoria("VENCIMENTO");
  const int competencia = resultado.ColunaObrigatoria("COMPETENCIA");
  const int codigoRota = modoRota ? resultado.ColunaObrigatoria("CODIGOROTA") : -1;
  const int seqRota = modoRota ? resultado.ColunaObrigatoria("SEQROTA") : -1;
  const int valor = resultado.ColunaObrigatoria("VALOR");

  while (resultado.Proximo()) {
    std::vector<Variant> linha = {
        Variant(static_cast<double>(resultado.Valor(codigoProtocolo).AsInt64())),
        resultado.Valor(seqItem),
        resultado.Valor(codigoEmpresa),
        resultado.Valor(codigoEstab),
        Variant(),
        Variant(resultado.Valor(observacao).AsString()),
        Variant(resultado.Valor(descricao).AsString()),
        resultado.Valor(vencimento),
        resultado.Valor(competencia)};
    if (modoRota) {
      linha.push_back(resultado.Valor(codigoRota));
      linha.push_back(resultado.Valor(seqRota));
    }
    // Money stays exact; an item without value counts as zero.
    const Variant& quantia = resultado.Valor(valor);
    linha.push_back(quantia.IsNull() ? Variant(Decimal(0, 2)) : quantia);
    for (int copia = 1; copia <= FQuantCopias; ++copia) {
      linha[4] = Variant(copia);
      dados->AppendRecord(linha);
    }
  }
  return dados;
}

void TKdrProtocolo::Imprimir(TjClientDataSet& dados) {
  TEstadoImpressao estado;
  const int total = dados.RecordCount();
  TField& codigoProtocolo = dados.FieldByName("CodigoProtocolo");
  TField& seq = dados.FieldByName("Seq");
  TField& compet = dados.FieldByName("Compet");
  TField* codigoRota = dados.FindField("CodigoRota");

  double ultimoProtocolo = -1;
  int ultimaCopia = 0;
  Variant ultimaRota;
  dados.First();
  while (!dados.Eof()) {
    if (codigoProtocolo.AsFloat() != ultimoProtocolo) {
      CabecalhoDaLinhaAtual(dados, false);
      estado.Linhas = 1;
    }
    RepParam("pCompet", FormatarCompet(compet.AsDateTime()));
    if (FColuna == 0) {
      if (!ImprimirItemUmaColuna(dados, estado)) {
        // The item starts the next block instead.
        FecharBloco(dados, estado);
        continue;
      }
    } else {
      ImprimirItemDuasColunas(dados, estado);
    }

    ultimoProtocolo = codigoProtocolo.AsFloat();
    ultimaCopia = seq.AsInteger();
    if (codigoRota != nullptr) ultimaRota = codigoRota->Value();
    dados.Next();
    RepShowProgress(++estado.Progresso, total);

    // A copy is a receipt of its own, and so is the same protocol delivered on another route.
    const bool fim = dados.Eof();
    if (fim || codigoProtocolo.AsFloat() != ultimoProtocolo || seq.AsInteger() != ultimaCopia ||
        (codigoRota != nullptr && !(codigoRota->Value() == ultimaRota)) ||
        estado.Linhas >= CapacidadeBloco()) {
      FecharBloco(dados, estado);
    }
  }

  if (FColuna == 1) {
    for (const std::string& protocolo : estado.Cortados) {
      Report()->MsgMensagem(
          1, "Protocolo " + protocolo + ", texto de alguns itens não foi impresso por completo");
    }
  }
}

bool TKdrProtocolo::ImprimirItemUmaColuna(TjClientDataSet& dados, TEstadoImpressao& estado) {
  const std::string descricao = dados.FieldByName("Desc").AsString();
  RepParam("pDesc", "");
  RepParam("pVal", "");
  RepParam("pVcto", "");
  estado.TextoAtual = descricao;
  QuebrarDescricao(estado, false);
  if (!ItemCabeNoBloco(estado.LinhasItem, estado.Linhas)) return false;
  estado.TextoAtual = descricao;
  QuebrarDescricao(estado, true);
  RepParam("pDesc", estado.TextoAtual);
  RepParam("pVal", FormatFloat("#,##0.00", dados.FieldByName("Valor").AsFloat()));
  RepParam("pVcto", FormatarVcto(dados.FieldByName("Vcto").AsDateTime()));
  RepPrintSection(kSecaoItemUmaColuna);
  ++estado.Linhas;
  return true;
}

void TKdrProtocolo::ImprimirItemDuasColunas(TjClientDataSet& dados, TEstadoImpressao& estado) {
  const std::string n = std::to_string(estado.Coluna);
  const std::string descricao = dados.FieldByName("Desc").AsString();
  RepParam("pDesc" + n, descricao);
  estado.TextoAtual = descricao;
  QuebrarDescricao(estado, false);
  if (estado.LinhasItem > kLinhasPorColuna) {
    const std::string protocolo =
        FormatFloat("00000", dados.FieldByName("CodigoProtocolo").AsFloat());
    bool presente = false;
    for (const std::string& cortado : estado.Cortados) presente = presente || cortado == protocolo;
    if (!presente) estado.Cortados.push_back(protocolo);
  }
  RepParam("pVal" + n, FormatFloat("#,##0.00", dados.FieldByName("Valor").AsFloat()));
  const TDateTime vcto = dados.FieldByName("Vcto").AsDateTime();
  if (!vcto.IsZero()) RepParam("pVcto" + n, DateToStr(vcto));

  if (estado.Coluna == 4) {
    RepPrintSection(kSecaoItemDuasColunas);
    ++estado.Linhas;
    RepParam("pVcto2", "");
    RepParam("pVcto4", "");
    estado.Coluna = 2;
  } else {
    estado.Coluna = 4;
  }
}

void TKdrProtocolo::QuebrarDescricao(TEstadoImpressao& estado, bool imprimir) {
  auto quebra = estado.Quebras.find(estado.TextoAtual);
  if (quebra == estado.Quebras.end()) {
    if (estado.Quebras.size() >= kTextosQuebradosGuardados) estado.Quebras.clear();
    quebra =
        estado.Quebras
            .emplace(estado.TextoAtual,
                     kdr::QuebrarDescricao(*Report(), pDesc, estado.TextoAtual, kTamanhoSemQuebra))
            .first;
  }
  const std::vector<std::string>& linhas = quebra->second;
  estado.LinhasItem = static_cast<int>(linhas.size());
  for (std::size_t i = 0; i + 1 < linhas.size(); ++i) {
    RepParam("pDesc", linhas[i]);
    if (imprimir) {
      RepPrintSection(kSecaoItemUmaColuna);
      ++estado.Linhas;
    }
  }
  estado.TextoAtual = linhas.back();
}

bool TKdrProtocolo::ItemCabeNoBloco(int linhasItem, int linhas) const {
  if (ModoGrande()) return !((linhasItem > 3 && linhas > 8) || (linhasItem > 2 && linhas > 9));
  return !((linhasItem > 2 && linhas > 3) || (linhasItem > 1 && linhas > 4));
}

void TKdrProtocolo::FecharBloco(TjClientDataSet& dados, TEstadoImpressao& estado) {
  // At the end there is no next row: the competence of the last item stays.
  if (!dados.Eof()) {
    RepParam("pCompet", FormatarCompet(dados.FieldByName("Compet").AsDateTime()));
  }
  if (FColuna == 1 && estado.Coluna == 4) {
    RepParam("pDesc4", "");
    RepParam("pVal4", "");
    RepParam("pVcto4", "");
    RepPrintSection(kSecaoItemDuasColunas);
    ++estado.Linhas;
    // The left item's due date must not reach the next block's first row.
    RepParam("pVcto2", "");
    estado.Coluna = 2;
  }
  while (estado.Linhas < CapacidadeBloco()) {
    if (FColuna == 0) {
      RepParam("pDesc", "");
      RepParam("pVal", "");
      RepParam("pVcto", "");
      RepParam("pCompet", "");
      RepPrintSection(kSecaoItemUmaColuna);
    } else {
      LimparColunas();
      RepPrintSection(kSecaoItemDuasColunas);
    }
    ++estado.Linhas;
  }
  ++estado.Blocos;
  RepPrintSection(kSecaoRodape);
  estado.Linhas = 1;

  if (estado.Blocos == 2) {
    if (!dados.Eof()) CabecalhoDaLinhaAtual(dados, false);
    RepEndOfPage(true);
    estado.Blocos = 0;
  } else if (estado.Blocos == 1 && !dados.Eof()) {
    IniciarSegundoBloco(dados, estado);
  }
}

void TKdrProtocolo::IniciarSegundoBloco(TjClientDataSet& dados, TEstadoImpressao& estado) {
  // When the first block grew past its room, the separators would open a page of their own
  // under a page header, and the block's header would then print twice: start the page
  // with the next block instead.
  auto proximaPagina = [&] {
    CabecalhoDaLinhaAtual(dados, false);
    RepEndOfPage(true);
    estado.Blocos = 0;
  };
  if (!ModoGrande()) {
    if (!Report()->NativeCanPrintSection(kSecaoRecorte)) return proximaPagina();
    RepPrintSection(kSecaoRecorte);
  }
  if (!Report()->NativeCanPrintSection(kSecaoEspacoEntreBlocos)) return proximaPagina();
  RepPrintSection(kSecaoEspacoEntreBlocos);
  CabecalhoDaLinhaAtual(dados, true);
}

void TKdrProtocolo::CabecalhoDaLinhaAtual(TjClientDataSet& dados, bool imprimir) {
  RepParam("pDescrProtocolo",
           "Protocolo: " + FormatFloat("00000", dados.FieldByName("CodigoProtocolo").AsFloat()) +
               " - " + dados.FieldByName("DescrProtocolo").AsString());
  ImpressaoCabecalho(dados.FieldByName("CodigoEmpresa").AsInteger(),
                     dados.FieldByName("CodigoEstab").AsInteger(), imprimir,
                     dados.FieldByName("Compet").AsDateTime());
}

void TKdrProtocolo::LimparColunas() {
  for (const char* nome : {"pDesc2", "pVal2", "pVcto2", "pDesc4", "pVal4", "pVcto4"}) {
    RepParam(nome, "");
  }
}

void TKdrProtocolo::LimparParametros(int _AColuna) {
  if (_AColuna == 1) LimparColunas();
  RepParam("pDesc", "");
  RepParam("pVal", "");
  RepParam("pVcto", "");
}

void TKdrProtocolo::DoAdd(TObject*, int Section) {
  if (Section != kSecaoCabecalhoBloco) return;
  RepPrintSection(kSecaoTituloItens);
  RepPrintSection(FColuna == 0 ? kSecaoTitulosItensUmaColuna : kSecaoTitulosItensDuasColunas);
}

void TKdrProtocolo::ImpressaoCabecalho(int _ACodigoEmpresa, int _ACodigoEstab,
                                       bool _AFlagImprimeCab, TDateTime _ACompet) {
  RepParam("pCompet", FormatarCompet(_ACompet));
  const std::string empresa = std::to_string(_ACodigoEmpresa);
  const std::string estab = std::to_string(_ACodigoEstab);
  const Variant mesmoEndereco =
      jDMSQLDataSet().PegarValorCampo("CFGESTABPRO", "MESMOENDERECOENT",
                                      "CODIGOEMPRESA = " + empresa + " and CODIGOESTAB = " + estab);
  std::string configuracao = Trim(mesmoEndereco.AsString());
  if (configuracao.empty()) configuracao = "1";

  const bool mesmoEstab = curEmpresa && !curEmpresa->IsEmpty() &&
                          curEmpresa->Fields(0).AsInteger() == _ACodigoEmpresa &&
                          curEmpresa->Fields(1).AsInteger() == _ACodigoEstab;
  if (!mesmoEstab) {
    DestruirSQL(curEmpresa);
    const std::vector<Variant> parametros = {_ACodigoEmpresa, _ACodigoEstab};
    if (configuracao != "1") {
      curEmpresa = ExecutarSQL(kSqlEstabEntrega, parametros, true, true);
    }
    // Without a delivery address of its own the establishment receives at its own address;
    // its name and registration must not vanish from the header for want of one.
    if (!curEmpresa || curEmpresa->IsEmpty()) {
      DestruirSQL(curEmpresa);
      curEmpresa = ExecutarSQL(kSqlEstab, parametros, true, true);
    }
  }
  curEmpresa->First();
  TjxsLabel* telefone = Report()->LabelByName("etiTelefone");
  if (curEmpresa->IsEmpty()) {
    for (const char* nome : {"pNomeEmpresa", "pCnpj", "pEnder", "pTelefone"}) RepParam(nome, "");
    telefone->SetVisible(false);
  } else {
    auto texto = [this](int coluna) { return curEmpresa->Fields(coluna).AsString(); };
    RepParam("pNomeEmpresa", texto(cNomeEstab));
    // An establishment without a registration number shows none rather than zeros.
    const int tipoInscr = curEmpresa->Fields(cTipoInscr).AsInteger();
    const Variant inscricao = curEmpresa->Fields(cInscrFederal).Value();
    RepParam("pCnpj",
             Trim(inscricao.AsString()).empty()
                 ? std::string()
                 : FormatarInscrFed(
                       tipoInscr, FormatarInscrFederal(TipoInscricao(tipoInscr), inscricao, false),
                       true));
    RepParam("pEnder", texto(cLogradouro) + " " + texto(cEndereco) + " " + texto(cNumero) + " " +
                           texto(cComplemento) + ", " + texto(cBairro) + " - " + texto(cNomeMunic) +
                           " " + texto(cSiglaEstado));
    const std::string numeroFone = Trim(texto(cNumeroFone));
    // A number left from the previous establishment must not stand for this one's.
    RepParam("pTelefone",
             numeroFone.empty() ? std::string() : Trim(texto(cDddFone) + " " + numeroFone));
    telefone->SetVisible(!numeroFone.empty());
  }

  if (_AFlagImprimeCab) RepPrintSection(kSecaoCabecalhoBloco);
}

void TKdrProtocolo::ImpressaoLogoEmpresa() {
  TjxsImage* logo = Report()->ImageByName("Logo");
  bool logoPresente = false;
  const int empresa = StrToIntDef(RepParam("pCodigoEmpresaLogo"), 0);
  if (empresa != 0) {
    std::unique_ptr<TjClientDataSet> dados = ExecutarSQL(kSqlLogo, {empresa}, false, true);
    TField* imagem = dados->IsEmpty() ? nullptr : &dados->FieldByName("LOGOTIPOEMPRESA");
    if (imagem != nullptr && !imagem->IsNull() && !imagem->AsBytes().empty()) {
      TMemoryStream stream(imagem->AsBytes());
      // A stream in no known picture format is left out: there is nothing to draw.
      if (const TGraphicClass formato = GetGraphicClass(stream)) {
        TPicture picture;
        stream.SetPosition(0);
        picture.LoadFromStream(stream, *formato);
        Report()->Picture().Assign(picture);
        logo->SetImage(Report()->Picture().Bitmap());
        logoPresente = true;
      }
    }
  }

  TjxsLabel* descrProtocolo = Report()->LabelByName("etiDescrProtocolo");
  TjxsLabel* titulo = Report()->LabelByName("etiTitulo");
  const char* const etiquetasEmpresa[] = {"etiNomeEmpresa", "etiCNPJ", "etiEndereco",
                                          "etiTelefone"};
  logo->SetVisible(logoPresente);
  if (logoPresente) {
    descrProtocolo->SetWidth(kLarguraCabecalho - logo->Width());
    descrProtocolo->SetLeft(logo->Left() + logo->Width() + kEspacoAposLogo);
    titulo->SetWidth(kLarguraTituloAoLadoLogo);
    titulo->SetLeft(kEsquerdaAoLadoLogo);
    for (const char* nome : etiquetasEmpresa) {
      Report()->LabelByName(nome)->SetLeft(kEsquerdaAoLadoLogo);
    }
  } else {
    descrProtocolo->SetLeft(kMargemEsquerda);
    descrProtocolo->SetWidth(kLarguraCabecalho);
    titulo->SetLeft(kMargemEsquerda);
    titulo->SetWidth(kLarguraCabecalho);
    for (const char* nome : etiquetasEmpresa) {
      Report()->LabelByName(nome)->SetLeft(kMargemEsquerda);
    }
  }
}
