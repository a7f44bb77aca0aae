#include "TKdrProtocoloEmpresa.h"

#include <cstdint>
#include <optional>
#include <vector>

#include "DataAccess.h"
#include "Exception.h"
#include "PluginSupport.h"
#include "QuebraDescricao.h"
#include "Sections.h"
#include "SysUtils.h"

using namespace protocolo_empresa;

namespace {

const std::string kSelectItens =
    "select %s I.CODIGOPROTOCOLO ,I.SEQITEMPRO ,I.DESCRITEM ,I.DATALCTOPRO ,I.VENCIMENTO "
    ",I.VALOR ,I.CODIGOIMPOSTO ,I.VARIACAOIMPOSTO ,I.CODIGODOCEMP ,I.CodigoFuncContr "
    ",I.CANCELADO ,I.CHAVEORIGEM ,I.COMPETENCIA ,P.CODIGOEMPRESA ,P.CODIGOESTAB ,P.TIPOPRO "
    ",P.OBSERVACAO ,P.DATAHORACADASTRO ,P.CODIGOUSUARIO ,P.FORMAENTREGA ,P.NATUREZAPRO "
    ",P.DATAHORAENTREGA ,P.CODIGOUSUARIOINT ,P.USUARIOEXT ,P.DATAHORABAIXA from PROTOCOLOITEM I "
    "join PROTOCOLO P on I.CODIGOPROTOCOLO = P.CODIGOPROTOCOLO %s where P.DATAHORABAIXA is null "
    "and P.DATALCTOPRO between :pDataInicial and :pDataFinal and I.CANCELADO = '0'";

const std::string kPrefixoRota = "R.CODIGOROTA, R.SEQROTA, ";
const std::string kJuncaoRota =
    "join PROTOCOLOROTAENTREGA R on R.CODIGOEMPRESA = P.CODIGOEMPRESA and R.CODIGOESTAB = "
    "P.CODIGOESTAB ";

// Own address first, delivery address second. ORIGEMENDERECO (0 own, 1 delivery) lets the key
// search prefer the delivery address whatever order the engine returns the two rows in; the
// other columns keep their positions. The filter appended behind lands in the second branch.
const std::string kSelectEnderecos =
    "select distinct F.CODIGOEMPRESA ,F.CODIGOESTAB ,F.APELIDOESTAB ,F.DDDFONE ,F.NUMEROFONE "
    ",TL.DESCRTIPOLOGRAD ,F.ENDERECOESTAB ,F.NUMENDERESTAB ,F.COMPLENDERESTAB "
    ",F.BAIRROENDERESTAB ,M.NOMEMUNIC ,M.SIGLAESTADO ,E.NOMEEMPRESA ,0 as ORIGEMENDERECO from "
    "ESTAB F  join TIPOLOGRADOURO  TL    on TL.CODIGOTIPOLOGRAD = F.CODIGOTIPOLOGRAD join "
    "MUNICIPIO M on M.SIGLAESTADO = F.SIGLAESTADO and M.CODIGOMUNIC = F.CODIGOMUNIC join EMPRESA "
    "E on F.CODIGOEMPRESA = E.CODIGOEMPRESA union select distinct T.CODIGOEMPRESA ,T.CODIGOESTAB "
    ",F.APELIDOESTAB ,F.DDDFONE ,F.NUMEROFONE ,T.LOGRADENTREGA,T.ENDERECOENTREGA "
    ",T.NUMENDERENTREGA ,T.COMPLENDERENTREGA ,T.BAIRROENDERENTREGA ,M.NOMEMUNIC ,T.SIGLAESTADO "
    ",E.NOMEEMPRESA ,1 from ESTABENTREGA T join MUNICIPIO M on M.SIGLAESTADO = T.SIGLAESTADO and "
    "M.CODIGOMUNIC = T.CODIGOMUNIC join EMPRESA E on T.CODIGOEMPRESA = E.CODIGOEMPRESA join ESTAB "
    "F on F.CODIGOEMPRESA = T.CODIGOEMPRESA and F.CODIGOESTAB = T.CODIGOESTAB join CFGESTABPRO C "
    "on C.CODIGOEMPRESA = T.CODIGOEMPRESA and C.CODIGOESTAB = T.CODIGOESTAB and C.FORMAENTREGA = "
    "'2' and C.MESMOENDERECOENT = '0' ";

const std::string kIndiceEnderecos = "ixEnderecoEstab";

// Positions of the address set's columns.
enum ColunaEndereco {
  cEndApelidoEstab = 2,
  cEndDDDFone = 3,
  cEndNumeroFone = 4,
  cEndTipoLogradouro = 5,
  cEndLogradouro = 6,
  cEndNumero = 7,
  cEndComplemento = 8,
  cEndBairro = 9,
  cEndMunicipio = 10,
  cEndEstado = 11,
  cEndNomeEmpresa = 12,
};

const std::string kLinhaRecebimento = "Recebido em:  ........./........../..........";

// Descriptions whose text (each line with its two-character break) is longer than this are
// re-split to the description label's width; shorter ones always fit it.
constexpr int kTamanhoSemQuebra = 35;

std::string ListaDeOrdenacao(int ordenacao) {
  switch (ordenacao) {
    case 0:
    case 1:
      return "P.CODIGOPROTOCOLO, I.SEQITEMPRO, P.CODIGOEMPRESA, P.CODIGOESTAB";
    case 2:
      return "P.DATALCTOPRO, P.CODIGOPROTOCOLO, I.SEQITEMPRO, P.CODIGOEMPRESA, P.CODIGOESTAB";
    case 3:
    case 4:
      return "P.CODIGOEMPRESA, P.CODIGOESTAB, P.CODIGOPROTOCOLO, I.SEQITEMPRO";
    default:
      // Without an ordering the statement would end in a bare "order by".
      throw EjxsError("Ordenação inválida: " + std::to_string(ordenacao) +
                      ". Escolha uma ordenação de 0 a 4.");
  }
}

// "" and "0" mean no filter in the equality filters.
bool FiltroInformado(const std::string& valor) {
  return !valor.empty() && valor != "0";
}

std::string FiltroDeCodigos(const std::string& coluna, const std::string& expressao,
                            bool comConjuncao) {
  return FilterInterval({coluna}, expressao, {1}, comConjuncao, 1);
}

}  // namespace

void TKdrProtocoloEmpresa::ImprimirInterno() {
  // Whatever way the run ends, its data sets and work list are released before the error, if
  // any, reaches the host.
  struct Limpeza {
    TKdrProtocoloEmpresa& Relatorio;
    ~Limpeza() { Relatorio.Limpar(); }
  } limpeza{*this};

  LerParametros();
  curEmpresa.reset();
  curDados.reset();
  MontarConsultaItens();
  if (curDados->IsEmpty()) return;

  RepParam("pEscrit", LeftChars(GetParams().GetValues("pEscrit"), 30));
  LocalizarColunas();
  ImprimirProtocolos();
}

void TKdrProtocoloEmpresa::LerParametros() {
  FDataInicial = StrToDateDef(GetParams().GetValues("pDataInicial"), TDateTime());
  FOrdenacao = StrToIntDef(GetParams().GetValues("pOrdenacao"), 0);
  pDesc = Report()->LabelByName("Etiqueta5");
  if (FDataInicial.IsZero()) throw EjxsError("Data inicial invalida!");
  FDataFinal = StrToDateDef(GetParams().GetValues("pDataFinal"), TDateTime());
  if (FDataFinal.IsZero()) throw EjxsError("Data final invalida!");
}

void TKdrProtocoloEmpresa::MontarConsultaItens() {
  std::string prefixo;
  std::string juncao;
  std::string filtro;
  std::string ordenacao = ListaDeOrdenacao(FOrdenacao);

  const std::string empresas = Trim(RepParam("pCodigoEmpresa"));
  if (!empresas.empty()) filtro = FiltroDeCodigos("P.CODIGOEMPRESA", empresas, true);
  const std::string estabs = Trim(RepParam("pCodigoEstab"));
  if (!estabs.empty()) filtro += FiltroDeCodigos("P.CODIGOESTAB", estabs, true);
  const std::string protocolos = Trim(RepParam("pCodigoProtocolo"));
  if (!protocolos.empty()) filtro += FiltroDeCodigos("P.CODIGOPROTOCOLO", protocolos, true);
  const std::string rotas = Trim(RepParam("pCodigoRota"));
  if (!rotas.empty()) {
    filtro += FiltroDeCodigos("R.CODIGOROTA", rotas, true);
    prefixo = kPrefixoRota;
    ordenacao = kPrefixoRota + ordenacao;
    juncao = kJuncaoRota;
  }

  // The flags reach the statement only as quoted literals and the type only as a number.
  const std::string formaEntrega = Trim(RepParam("pFormaEntrega"));
  if (FiltroInformado(formaEntrega)) {
    filtro += " and P.FORMAENTREGA = " + ValorParaSQL(Variant(formaEntrega), TFieldType::ftString);
  }
  const std::string natureza = Trim(RepParam("pNatureza"));
  if (FiltroInformado(natureza)) {
    filtro += " and P.NATUREZAPRO = " + ValorParaSQL(Variant(natureza), TFieldType::ftString);
  }
  const std::string tipo = Trim(RepParam("pTipoPro"));
  if (FiltroInformado(tipo)) {
    const std::optional<std::int64_t> numero = kdr::LerInteiro(tipo);
    if (!numero) {
      throw EjxsError("Tipo de protocolo inválido: \"" + tipo + "\". Informe um número inteiro.");
    }
    filtro += " and CAST(P.TIPOPRO AS INTEGER) = " + std::to_string(*numero);
  }

  const std::string consulta = kdr::PreencherModelo(kSelectItens, {prefixo, juncao}) + " " +
                               filtro + " order by " + ordenacao;
  DestruirSQL(curDados);
  curDados = ExecutarSQL(consulta, {FDataInicial, FDataFinal});
}

void TKdrProtocoloEmpresa::AbrirEnderecosEstab() {
  std::string filtro;
  const std::string empresas = Trim(RepParam("pCodigoEmpresa"));
  if (!empresas.empty()) filtro = " where " + FiltroDeCodigos("F.CODIGOEMPRESA", empresas, false);
  const std::string estabs = Trim(RepParam("pCodigoEstab"));
  if (!estabs.empty()) {
    filtro += filtro.empty() ? " where " : " and ";
    filtro += FiltroDeCodigos("F.CODIGOESTAB", estabs, false);
  }
  curEmpresa = ExecutarSQL(kSelectEnderecos + filtro, {});
  curEmpresa->AddIndex(kIndiceEnderecos, "CODIGOEMPRESA;CODIGOESTAB;ORIGEMENDERECO", 0,
                       "ORIGEMENDERECO");
  curEmpresa->SetIndexName(kIndiceEnderecos);
}

void TKdrProtocoloEmpresa::LocalizarColunas() {
  ixCodigoPro = curDados->FieldByName("CodigoProtocolo").Index();
  ixCodigoEmpresa = curDados->FieldByName("CodigoEmpresa").Index();
  ixCodigoEstab = curDados->FieldByName("CodigoEstab").Index();
  ixDataVencimento = curDados->FieldByName("Vencimento").Index();
  ixDataLctoPro = curDados->FieldByName("DataLctoPro").Index();
  ixDescricao = curDados->FieldByName("DESCRITEM").Index();
  ixDescricaoPro = curDados->FieldByName("OBSERVACAO").Index();
  ixCompetencia = curDados->FieldByName("COMPETENCIA").Index();
  ixValor = curDados->FieldByName("VALOR").Index();
}

void TKdrProtocoloEmpresa::ImprimirProtocolos() {
  int impressos = 0;
  const int total = curDados->RecordCount();
  FCodigoPro = -1;
  FCodigoEmpresa = -1;
  FCodigoEstab = -1;
  // In route mode a protocol whose establishment stops on two selected routes comes once per
  // route: each is a receipt of its own, as the route changes between them.
  const TField* rota = curDados->FindField("CODIGOROTA");
  auto rotaAtual = [rota] { return rota != nullptr ? rota->AsString() : std::string(); };
  std::string rotaDoProtocolo;
  curDados->First();
  while (!curDados->Eof()) {
    const int protocolo = curDados->Fields(ixCodigoPro).AsInteger();
    if (protocolo != FCodigoPro || rotaAtual() != rotaDoProtocolo) {
      rotaDoProtocolo = rotaAtual();
      FCodigoEmpresa = curDados->Fields(ixCodigoEmpresa).AsInteger();
      FCodigoEstab = curDados->Fields(ixCodigoEstab).AsInteger();
      FCodigoPro = protocolo;
      RepParam("pDescrProtocolo",
               "Protocolo: " + FormatFloat("00000", curDados->Fields(ixCodigoPro).AsFloat()) +
                   " - " + curDados->Fields(ixDescricaoPro).AsString());
      ImprimirCabecalhoEstab();
      RepParam("pTexto", kLinhaRecebimento);
    }

    RepParam("pDataLcto", curDados->Fields(ixDataLctoPro).AsString());
    RepParam("pDescricao", "");
    RepParam("pDataVcto", "");
    RepParam("pValor", "");
    RepParam("pCompet", "");
    std::string descricao = curDados->Fields(ixDescricao).AsString();
    QuebrarDescricao(descricao);

    RepParam("pDescricao", descricao);
    RepParam("pDataVcto", curDados->Fields(ixDataVencimento).AsString());
    // No competence prints nothing rather than the month of the zero date.
    const TDateTime competencia = curDados->Fields(ixCompetencia).AsDateTime();
    RepParam("pCompet", competencia.IsZero() ? "" : FormatDateTime("mm/yyyy", competencia));
    RepParam("pValor", FormatFloat("#,##0.00", curDados->Fields(ixValor).AsFloat()));
    RepPrintSection(kSecaoItem);
    RepParam("pTexto", "");

    ++impressos;
    Report()->CSLShowProgress(impressos, total);
    curDados->Next();
    if (curDados->Eof() || curDados->Fields(ixCodigoPro).AsInteger() != FCodigoPro ||
        rotaAtual() != rotaDoProtocolo) {
      RepPrintSection(kSecaoFechamento);
    }
  }
}

void TKdrProtocoloEmpresa::ImprimirCabecalhoEstab() {
  if (!curEmpresa) AbrirEnderecosEstab();
  // Every protocol gets its header, so that its items never print under the previous one's
  // name; an establishment without an address row shows its protocol line alone.
  const bool encontrado =
      !curEmpresa->IsEmpty() && curEmpresa->FindKey({FCodigoEmpresa, FCodigoEstab});
  if (encontrado) {
    RepParam("pNomeEmpresa", curEmpresa->Fields(cEndNomeEmpresa).AsString() + " - " +
                                 curEmpresa->Fields(cEndApelidoEstab).AsString());
    RepParam("pTexto", MontarEndereco());
  } else {
    RepParam("pNomeEmpresa", "");
    RepParam("pTexto", "");
  }
  RepPrintSection(kSecaoCabecalhoEstab);
}

std::string TKdrProtocoloEmpresa::MontarEndereco() const {
  std::string endereco =
      "Endereço: " + CampoComSeparador(cEndTipoLogradouro, " ") +
      CampoComSeparador(cEndLogradouro, ", ") + CampoComSeparador(cEndNumero, ", ") +
      CampoComSeparador(cEndComplemento, ", ") + CampoComSeparador(cEndBairro, ", ") +
      CampoComSeparador(cEndMunicipio, " / ") + CampoComSeparador(cEndEstado, "");
  const TField& fone = curEmpresa->Fields(cEndNumeroFone);
  // A blank number would leave the word "Telefone:" with nothing behind it.
  if (!fone.IsNull() && !Trim(fone.AsString()).empty()) {
    endereco += "        Telefone: " +
                FormatarFone(curEmpresa->Fields(cEndDDDFone).AsString(), fone.AsString(), "");
  }
  return endereco;
}

void TKdrProtocoloEmpresa::QuebrarDescricao(std::string& descricao) {
  const std::vector<std::string> linhas =
      kdr::QuebrarDescricao(*Report(), pDesc, descricao, kTamanhoSemQuebra);
  // The launch date stands on the item's first line only, and so does the receipt line: the
  // receiver writes the date once, not once per line of a wrapped description.
  for (std::size_t linha = 0; linha + 1 < linhas.size(); ++linha) {
    RepParam("pDescricao", linhas[linha]);
    RepPrintSection(kSecaoItem);
    RepParam("pDataLcto", "");
    RepParam("pTexto", "");
  }
  descricao = linhas.back();
}

std::string TKdrProtocoloEmpresa::CampoComSeparador(int posicao,
                                                    const std::string& separador) const {
  const TField& campo = curEmpresa->Fields(posicao);
  const std::string texto = campo.AsString();
  // A house number of 0 means none; a blank part would leave its separator dangling.
  if (campo.IsNull() || texto == "0" || Trim(texto).empty()) return "";
  return texto + separador;
}

void TKdrProtocoloEmpresa::Limpar() {
  Report()->OnAfterSection = nullptr;
  DestruirSQL(curDados);
  DestruirSQL(curEmpresa);
  pDesc = nullptr;
}
