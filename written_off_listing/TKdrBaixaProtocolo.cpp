#include "TKdrBaixaProtocolo.h"

#include <cstdint>

#include "DataAccess.h"
#include "Exception.h"
#include "PluginSupport.h"
#include "Sections.h"
#include "SysUtils.h"
#include "TField.h"
#include "Variant.h"

using namespace baixa_protocolo;

namespace {

constexpr int kPlanoEmpresa = 0;
constexpr int kPlanoFilial = 1;
constexpr int kPlanoDataBaixa = 2;
constexpr int kPlanoUsuario = 3;

const char* const kPlanos = "0 (Empresa), 1 (Filial), 2 (Data da Baixa) ou 3 (Usuário)";

// pQuebraPag 1 to 4.
const std::array<std::string, 4> kColunasQuebraPagina = {"CODIGOEMPRESA", "CODIGOESTAB",
                                                         "DATABAIXA", "CODIGOUSUARIOINT"};

// Protocol types whose items the listing can show (pItensPro must name one of them).
constexpr int kTiposComItens[] = {1, 2};

const std::string kSQLItens =
    "SELECT P.TIPOPRO, I.DESCRITEM, I.VALOR, I.VENCIMENTO FROM PROTOCOLOITEM I JOIN PROTOCOLO P "
    "ON P.CODIGOPROTOCOLO = I.CODIGOPROTOCOLO WHERE P.CODIGOPROTOCOLO = :PCODIGOPROTOCOLO ";

}  // namespace

std::string TKdrBaixaProtocolo::Versao() {
  return "[versao: 1.0.0.0]";
}

const kdr::TabelaOrdenacao& TKdrBaixaProtocolo::Ordenacoes() {
  // Each plan leaves out the key of its own break column.
  static const kdr::TabelaOrdenacao tabela = {{
      {{"Protocolo=0", "Filial=1", "Usuário=2", "Data Lançamento=3", "Data Baixa=4"},
       {"CODIGOPROTOCOLO", "CODIGOESTAB", "CODIGOUSUARIOINT", "DATALCTOPRO", "DATAHORABAIXA"}},
      {{"Protocolo=0", "Usuário=1", "Data Lançamento=2", "Data Baixa=3"},
       {"CODIGOPROTOCOLO", "CODIGOUSUARIOINT", "DATALCTOPRO", "DATAHORABAIXA"}},
      {{"Protocolo=0", "Filial=1", "Usuário=2", "Data Lançamento=3"},
       {"CODIGOPROTOCOLO", "CODIGOESTAB", "CODIGOUSUARIOINT", "DATALCTOPRO"}},
      {{"Protocolo=0", "Filial=1", "Data Lançamento=2", "Data Baixa=3"},
       {"CODIGOPROTOCOLO", "CODIGOESTAB", "DATALCTOPRO", "DATAHORABAIXA"}},
  }};
  return tabela;
}

void TKdrBaixaProtocolo::ImprimirInterno() {
  TjClientDataSet* dados = DataSet();
  if (dados == nullptr) {
    throw Exception("A definição da listagem de baixas não tem a consulta dos protocolos.");
  }
  // Bad parameters are told also when the period has nothing to list.
  LerParametros();
  if (dados->IsEmpty()) return;

  struct FimDaExecucao {
    TKdrBaixaProtocolo& Relatorio;
    ~FimDaExecucao() {
      Relatorio.Quebra.reset();
      Relatorio.Report()->OnAfterSection = nullptr;
    }
  } fimDaExecucao{*this};
  Report()->OnAfterSection = [this](TObject* sender, int section) {
    DoSecaoImpressa(sender, section);
  };

  RepParam("pPeriodo", "Baixados de " + GetParams().GetValues("pDataInicial") + " a " +
                           GetParams().GetValues("pDataFinal"));
  MontarQuebras();
  AplicarOrdenacao();

  kdr::PercorrerGrupos(*dados, *Quebra, *Report(), [this] { ImprimirItensProtocolo(); });
}

void TKdrBaixaProtocolo::LerParametros() {
  TjxsPowerParam& params = GetParams();
  FQuebra = kdr::LerPlanoQuebra(params.GetValues("pQuebra"), kPlanos);
  FQuebraPagina = kdr::LerInteiroDef(params.GetValues("pQuebraPag"), 0);
  FOrdenacao = kdr::LerInteiroDef(params.GetValues("pOrdenacao"), 1);
  // The run's own plan gives the ordering keys: the form that filled them was another instance.
  FOrdem = Ordenacoes()[static_cast<std::size_t>(FQuebra)].Chaves;
  kdr::ChaveDeOrdenacao(Ordenacoes()[static_cast<std::size_t>(FQuebra)],
                        params.GetValues("pOrdenacao"));

  FItensPro = params.GetValues("pItensPro");
  const int coluna = kdr::LerInteiroDef(params.GetValues("pColuna"), 0);
  F1Coluna = coluna == 0;
  F2Colunas = coluna == 1;
  // A malformed expression is refused here, before anything prints.
  FMostrarItens = false;
  if (!Trim(FItensPro).empty()) {
    for (const int tipo : kTiposComItens) {
      FMostrarItens = FMostrarItens || CheckInInclusion(tipo, FItensPro, {1});
    }
    MontarSQLItens();
  }
  if (FMostrarItens && !F1Coluna && !F2Colunas) {
    throw EjxsError("Colunas dos itens inválidas: \"" + params.GetValues("pColuna") +
                    "\". Escolha 0 (uma coluna) ou 1 (duas colunas).");
  }

  TjClientDataSet& dados = *DataSet();
  const auto posicao = [&dados](const char* nome) { return dados.FieldByName(nome).Index(); };
  ixCodigoEmpresa = posicao("CodigoEmpresa");
  ixNomeEmpresa = posicao("NomeEmpresa");
  ixCodigoProtocolo = posicao("CodigoProtocolo");
  ixNomeEstab = posicao("NomeEstab");
  ixAplelidoEstab = posicao("ApelidoEstab");
  ixDataLctoPro = posicao("DataLctoPro");
  ixDataHoraBaixa = posicao("DataHoraBaixa");
  ixCodigoUsuarioInt = posicao("CodigoUsuarioInt");
  ixUsuarioExt = posicao("UsuarioExt");
  ixNomeUsuario = posicao("NomeUsuarioCompl");
  ixCodigoEstab = posicao("CodigoEstab");
}

void TKdrBaixaProtocolo::AdicionarQuebraEmpresa(std::string& indice) {
  TjClientDataSet& dados = *DataSet();
  indice += "CODIGOEMPRESA";
  Quebra->AddQuebra("Empresa", &dados.FieldByName("CODIGOEMPRESA"), [this] {
    return kdr::TituloEmpresa(*DataSet(), ixCodigoEmpresa, ixNomeEmpresa);
  });
}

void TKdrBaixaProtocolo::MontarQuebras() {
  TjClientDataSet& dados = *DataSet();
  Quebra = std::make_unique<TjQuebra>();
  Quebra->OnImprimirTotal = [this](const std::string& nome, bool fimPagina,
                                   const TjDoubleArray& totais) {
    ImprimirTotalQuebra(nome, fimPagina, totais);
  };
  Quebra->OnImprimirTitulo = [this](const std::string& titulo) { ImprimirTituloQuebra(titulo); };
  Quebra->AddTotalizador(&dados.FieldByName("Contador"));

  std::string indice;
  switch (FQuebra) {
    case kPlanoEmpresa:
      AdicionarQuebraEmpresa(indice);
      break;
    case kPlanoFilial:
      AdicionarQuebraEmpresa(indice);
      indice += ";CODIGOESTAB";
      Quebra->AddQuebra("Filial", &dados.FieldByName("CODIGOESTAB"), [this] {
        return kdr::TituloFilial(*DataSet(), ixCodigoEstab, ixNomeEstab, ixAplelidoEstab);
      });
      break;
    case kPlanoDataBaixa:
      indice += "DATABAIXA;";
      Quebra->AddQuebra("Data da Baixa", &dados.FieldByName("DATABAIXA"), [this] {
        return "Data Baixa: " +
               FormatDateTime("dd/mm/yyyy", DataSet()->Fields(ixDataHoraBaixa).AsDateTime());
      });
      AdicionarQuebraEmpresa(indice);
      break;
    case kPlanoUsuario:
      indice += "CODIGOUSUARIOINT;";
      Quebra->AddQuebra("Usuário", &dados.FieldByName("CODIGOUSUARIOINT"), [this] {
        return Coluna(ixCodigoUsuarioInt) + " - " + Coluna(ixNomeUsuario);
      });
      AdicionarQuebraEmpresa(indice);
      break;
    default:
      break;
  }
  FLayout = Layout();
  Quebra->OnImprimirDetalhe = [this] { kdr::ImprimirLinha(*Report(), FLayout); };

  kdr::DefinirQuebraPagina(*Quebra, dados, FQuebraPagina, kColunasQuebraPagina, *Report());
  dados.SetIndexFieldNames(indice);
}

void TKdrBaixaProtocolo::AplicarOrdenacao() {
  if (FOrdem.empty()) return;
  TjClientDataSet& dados = *DataSet();
  const std::string chave = kdr::ChaveDeOrdenacao(Ordenacoes()[static_cast<std::size_t>(FQuebra)],
                                                  GetParams().GetValues("pOrdenacao"));
  dados.SetIndexFieldNames(dados.IndexFieldNames() + ";" + chave);
}

kdr::LayoutListagem TKdrBaixaProtocolo::Layout() const {
  const auto coluna = [this](int posicao) { return [this, posicao] { return Coluna(posicao); }; };
  const auto protocolo = coluna(ixCodigoProtocolo);
  const auto filial = [this] {
    return kdr::TextoFilial(*DataSet(), ixCodigoEstab, ixNomeEstab, ixAplelidoEstab);
  };
  const auto usuario = [this] { return TextoUsuario(); };
  const auto recebimento = coluna(ixUsuarioExt);
  const auto lancamento = coluna(ixDataLctoPro);
  const auto baixa = coluna(ixDataHoraBaixa);
  switch (FQuebra) {
    case kPlanoEmpresa:
      return {kSecaoTitulosEmpresa,
              {"Protocolo", "Filial", "Usuário Baixa", "Usuário Recebimento", "Data Lcto",
               "Data Hora Baixa"},
              kSecaoLinhaEmpresa,
              {protocolo, filial, usuario, recebimento, lancamento, baixa}};
    case kPlanoFilial:
      return {kSecaoTitulosFilialUsuario,
              {"Protocolo", "Usuário Baixa", "Usuário Recebimento", "Data Lcto", "Data Hora Baixa"},
              kSecaoLinhaFilialUsuario,
              {protocolo, usuario, recebimento, lancamento, baixa}};
    case kPlanoDataBaixa:
      return {kSecaoTitulosData,
              {"Protocolo", "Filial", "Usuário Baixa", "Usuário Recebimento", "Data Lançamento"},
              kSecaoLinhaData,
              {protocolo, filial, usuario, recebimento, lancamento}};
    default:
      return {kSecaoTitulosFilialUsuario,
              {"Protocolo", "Filial", "Usuário Recebimento", "Data Lcto", "Data Hora Baixa"},
              kSecaoLinhaFilialUsuario,
              {protocolo, filial, recebimento, lancamento, baixa}};
  }
}

std::string TKdrBaixaProtocolo::Coluna(int posicao) const {
  return DataSet()->Fields(posicao).AsString();
}

std::string TKdrBaixaProtocolo::TextoUsuario() const {
  return Coluna(ixCodigoUsuarioInt) + " " + Coluna(ixNomeUsuario);
}

void TKdrBaixaProtocolo::DoSecaoImpressa(TObject*, int Section) {
  if (Section != kSecaoCabecalhoPagina) return;
  kdr::ImprimirColunas(*Report(), "C", FLayout.Titulos, FLayout.SecaoTitulos);
  Report()->RepPrintSection(kSecaoSeparador);
}

void TKdrBaixaProtocolo::ImprimirTituloQuebra(const std::string& titulo) {
  RepParam("RTitulo", titulo);
  RepPrintSection(kSecaoTituloQuebra);
}

void TKdrBaixaProtocolo::ImprimirTotalQuebra(const std::string& nome, bool fimPagina,
                                             const TjDoubleArray& totais) {
  RepParam("R4", "Total de Baixas por: " + nome);
  RepParam("R5", kdr::TextoQuantidadeProtocolos(totais.empty() ? 0 : totais.front()));
  kdr::ImprimirTotalDoGrupo(*Report(), *Quebra, fimPagina, kSecaoTotalQuebra, kSecaoSeparador);
}

std::string TKdrBaixaProtocolo::MontarSQLItens() const {
  return kSQLItens + FilterInterval({"P.TIPOPRO"}, FItensPro, {1}, true, 0, -1);
}

void TKdrBaixaProtocolo::ImprimirItensProtocolo() {
  if (!FMostrarItens) return;
  const std::int64_t protocolo = DataSet()->Fields(ixCodigoProtocolo).AsLargeInt();
  std::unique_ptr<TjClientDataSet> itens = ExecutarSQL(MontarSQLItens(), {Variant(protocolo)});
  struct Liberar {
    std::unique_ptr<TjClientDataSet>& Itens;
    ~Liberar() { DestruirSQL(Itens); }
  } liberar{itens};

  itens->First();
  if (itens->IsEmpty()) return;
  RepPrintSection(kSecaoCabecalhoItens);
  RepPrintSection(F1Coluna ? kSecaoTitulosItensUmaColuna : kSecaoTitulosItensDuasColunas);
  while (!itens->Eof()) {
    ImprimirItem(1, *itens);
    if (F1Coluna) {
      RepPrintSection(kSecaoItemUmaColuna);
    } else {
      itens->Next();
      if (itens->Eof()) {
        for (const char* nome : {"pDesc2", "pValor2", "pVencto2"}) RepParam(nome, "");
      } else {
        ImprimirItem(2, *itens);
      }
      RepPrintSection(kSecaoItemDuasColunas);
      if (itens->Eof()) break;
    }
    itens->Next();
  }
}

// Sets the item's values in the left (1) or right (2) half of an item line.
void TKdrBaixaProtocolo::ImprimirItem(int sufixo, TjClientDataSet& itens) {
  const std::string lado = std::to_string(sufixo);
  RepParam("pDesc" + lado, itens.FieldByName("DESCRITEM").AsString());
  RepParam("pValor" + lado, FormatFloat("#,##0.00", itens.FieldByName("VALOR").AsFloat()));
  RepParam("pVencto" + lado, itens.FieldByName("VENCIMENTO").AsString());
}

void TKdrBaixaProtocolo::DepoisConfigurar(TWinControl* _AParent) {
  TjfmBaseDll::DepoisConfigurar(_AParent);
  Report()->MsgConfigurar({"Mensagem"});
  FDefOrdenacao = GetParams().EdFindFieldControl("pOrdenacao");
  FOrdenacao = kdr::LerInteiroDef(FDefOrdenacao->GetAsString(), 1);
}

void TKdrBaixaProtocolo::DoParamChange(TObject*, TjxsParamItem* _AParam) {
  if (_AParam == nullptr) return;
  TjxsPowerParam& params = GetParams();
  if (SameText(_AParam->Name(), "pQuebra")) {
    if (FDefOrdenacao == nullptr) FDefOrdenacao = params.EdFindFieldControl("pOrdenacao");
    const kdr::OrdenacaoDoPlano* ordenacao =
        kdr::TrocarPlanoNoFormulario(params, *FDefOrdenacao, Ordenacoes());
    if (ordenacao != nullptr) FOrdem = ordenacao->Chaves;
    if (FDefOrdenacao->GetAsString().empty()) FDefOrdenacao->SetAsInteger(FOrdenacao);
  } else if (SameText(_AParam->Name(), "pItensPro")) {
    const bool comItens = !Trim(params.EdFindFieldControl("pItensPro")->GetAsString()).empty();
    params.EdRequiredField("pColuna", comItens);
    params.EdEnabledField("pColuna", comItens);
  }
}
