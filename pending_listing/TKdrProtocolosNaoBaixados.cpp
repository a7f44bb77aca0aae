#include "TKdrProtocolosNaoBaixados.h"

#include "Exception.h"
#include "PluginSupport.h"
#include "Sections.h"
#include "SysUtils.h"
#include "TField.h"

using namespace nao_baixados;

namespace {

constexpr int kPlanoEmpresa = 0;
constexpr int kPlanoFilial = 1;
constexpr int kPlanoDataLancamento = 2;
constexpr int kPlanoUsuario = 3;

const char* const kPlanos = "0 (Empresa), 1 (Filial), 2 (Data de Lançamento) ou 3 (Usuário)";

// pQuebraPag 1 to 4.
const std::array<std::string, 4> kColunasQuebraPagina = {"CODIGOEMPRESA", "CODIGOESTAB",
                                                         "DATALCTOPRO", "CODIGOUSUARIO"};

}  // namespace

std::string TKdrProtocolosNaoBaixados::Versao() {
  return "[versao: 1.0.0.0]";
}

const kdr::TabelaOrdenacao& TKdrProtocolosNaoBaixados::Ordenacoes() {
  // Each plan leaves out the key of its own break column; within a launch date the
  // registration time orders the protocols.
  static const kdr::TabelaOrdenacao tabela = {{
      {{"Protocolo=0", "Filial=1", "Usuário=2", "Data Lançamento=3"},
       {"CODIGOPROTOCOLO", "CODIGOESTAB", "CODIGOUSUARIO", "DATALCTOPRO"}},
      {{"Protocolo=0", "Usuário=1", "Data Lançamento=2"},
       {"CODIGOPROTOCOLO", "CODIGOUSUARIO", "DATALCTOPRO"}},
      {{"Protocolo=0", "Filial=1", "Usuário=2", "Data Hora Cadastro=3"},
       {"CODIGOPROTOCOLO", "CODIGOESTAB", "CODIGOUSUARIO", "DATAHORACADASTRO"}},
      {{"Protocolo=0", "Filial=1", "Data Lançamento=2"},
       {"CODIGOPROTOCOLO", "CODIGOESTAB", "DATALCTOPRO"}},
  }};
  return tabela;
}

void TKdrProtocolosNaoBaixados::ImprimirInterno() {
  TjClientDataSet* dados = DataSet();
  if (dados == nullptr) {
    throw Exception(
        "A definição da listagem de protocolos não baixados não tem a consulta dos "
        "protocolos.");
  }
  // Bad parameters are told also when the period has nothing to list.
  LerParametros();
  if (dados->IsEmpty()) return;

  struct FimDaExecucao {
    TKdrProtocolosNaoBaixados& Relatorio;
    ~FimDaExecucao() {
      Relatorio.Quebra.reset();
      Relatorio.Report()->OnAfterSection = nullptr;
    }
  } fimDaExecucao{*this};
  Report()->OnAfterSection = [this](TObject* sender, int section) {
    DoSecaoImpressa(sender, section);
  };

  RepParam("pPeriodo", "Lançados de " + GetParams().GetValues("pDataInicial") + " a " +
                           GetParams().GetValues("pDataFinal"));
  MontarQuebras();
  AplicarOrdenacao();
  kdr::PercorrerGrupos(*dados, *Quebra, *Report(), nullptr);
}

void TKdrProtocolosNaoBaixados::LerParametros() {
  TjxsPowerParam& params = GetParams();
  FQuebra = kdr::LerPlanoQuebra(params.GetValues("pQuebra"), kPlanos);
  FQuebraPagina = kdr::LerInteiroDef(params.GetValues("pQuebraPag"), 0);
  // The run's own plan gives the ordering keys, whatever a form did before.
  FOrdem = Ordenacoes()[static_cast<std::size_t>(FQuebra)].Chaves;
  kdr::ChaveDeOrdenacao(Ordenacoes()[static_cast<std::size_t>(FQuebra)],
                        params.GetValues("pOrdenacao"));

  TjClientDataSet& dados = *DataSet();
  const auto posicao = [&dados](const char* nome) { return dados.FieldByName(nome).Index(); };
  ixCodigoEmpresa = posicao("CodigoEmpresa");
  ixNomeEmpresa = posicao("NomeEmpresa");
  ixCodigoProtocolo = posicao("CodigoProtocolo");
  ixNomeEstab = posicao("NomeEstab");
  ixAplelidoEstab = posicao("ApelidoEstab");
  ixDataLctoPro = posicao("DataLctoPro");
  ixDataHoraCadastro = posicao("DataHoraCadastro");
  ixCodigoUsuario = posicao("CodigoUsuario");
  ixNomeUsuario = posicao("NomeUsuarioCompl");
  ixCodigoEstab = posicao("CodigoEstab");
}

void TKdrProtocolosNaoBaixados::AdicionarQuebraEmpresa(std::string& indice) {
  indice += "CODIGOEMPRESA";
  Quebra->AddQuebra("Empresa", &DataSet()->FieldByName("CODIGOEMPRESA"), [this] {
    return kdr::TituloEmpresa(*DataSet(), ixCodigoEmpresa, ixNomeEmpresa);
  });
}

void TKdrProtocolosNaoBaixados::MontarQuebras() {
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
    case kPlanoDataLancamento:
      indice += "DATALCTOPRO;";
      Quebra->AddQuebra("Data de Lançamento", &dados.FieldByName("DATALCTOPRO"), [this] {
        return "Lançamento: " +
               FormatDateTime("dd/mm/yyyy", DataSet()->Fields(ixDataLctoPro).AsDateTime());
      });
      AdicionarQuebraEmpresa(indice);
      break;
    case kPlanoUsuario:
      indice += "CODIGOUSUARIO;";
      Quebra->AddQuebra("Usuário", &dados.FieldByName("CODIGOUSUARIO"),
                        [this] { return Coluna(ixCodigoUsuario) + " - " + Coluna(ixNomeUsuario); });
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

void TKdrProtocolosNaoBaixados::AplicarOrdenacao() {
  if (FOrdem.empty()) return;
  TjClientDataSet& dados = *DataSet();
  const std::string chave = kdr::ChaveDeOrdenacao(Ordenacoes()[static_cast<std::size_t>(FQuebra)],
                                                  GetParams().GetValues("pOrdenacao"));
  dados.SetIndexFieldNames(dados.IndexFieldNames() + ";" + chave);
}

kdr::LayoutListagem TKdrProtocolosNaoBaixados::Layout() const {
  const auto coluna = [this](int posicao) { return [this, posicao] { return Coluna(posicao); }; };
  const auto protocolo = coluna(ixCodigoProtocolo);
  const auto filial = [this] {
    return kdr::TextoFilial(*DataSet(), ixCodigoEstab, ixNomeEstab, ixAplelidoEstab);
  };
  const auto usuario = [this] { return Coluna(ixCodigoUsuario) + " " + Coluna(ixNomeUsuario); };
  const auto lancamento = coluna(ixDataLctoPro);
  const auto cadastro = coluna(ixDataHoraCadastro);
  switch (FQuebra) {
    case kPlanoEmpresa:
      return {kSecaoTitulosEmpresa,
              {"Protocolo", "Filial", "Usuário Cadastro", "Lançamento", "Cadastro"},
              kSecaoLinhaEmpresa,
              {protocolo, filial, usuario, lancamento, cadastro}};
    case kPlanoFilial:
      return {kSecaoTitulosFilialUsuario,
              {"Protocolo", "Usuário Cadastro", "Lançamento", "Cadastro"},
              kSecaoLinhaFilialUsuario,
              {protocolo, usuario, lancamento, cadastro}};
    case kPlanoDataLancamento:
      // The launch date stands in the group title.
      return {kSecaoTitulosData,
              {"Protocolo", "Filial", "Usuário Cadastro", "Cadastro"},
              kSecaoLinhaData,
              {protocolo, filial, usuario, cadastro}};
    default:
      return {kSecaoTitulosFilialUsuario,
              {"Protocolo", "Filial", "Lançamento", "Cadastro"},
              kSecaoLinhaFilialUsuario,
              {protocolo, filial, lancamento, cadastro}};
  }
}

std::string TKdrProtocolosNaoBaixados::Coluna(int posicao) const {
  return DataSet()->Fields(posicao).AsString();
}

void TKdrProtocolosNaoBaixados::DoSecaoImpressa(TObject*, int Section) {
  if (Section != kSecaoCabecalhoPagina) return;
  kdr::ImprimirColunas(*Report(), "C", FLayout.Titulos, FLayout.SecaoTitulos);
  Report()->RepPrintSection(kSecaoSeparador);
}

void TKdrProtocolosNaoBaixados::ImprimirTituloQuebra(const std::string& titulo) {
  RepParam("RTitulo", titulo);
  RepPrintSection(kSecaoTituloQuebra);
}

void TKdrProtocolosNaoBaixados::ImprimirTotalQuebra(const std::string& nome, bool fimPagina,
                                                    const TjDoubleArray& totais) {
  RepParam("R4", "Total de Lançamentos por: " + nome);
  RepParam("R5", kdr::TextoQuantidadeProtocolos(totais.empty() ? 0 : totais.front()));
  kdr::ImprimirTotalDoGrupo(*Report(), *Quebra, fimPagina, kSecaoTotalQuebra, kSecaoSeparador);
}

void TKdrProtocolosNaoBaixados::DepoisConfigurar(TWinControl* _AParent) {
  TjfmBaseDll::DepoisConfigurar(_AParent);
  Report()->MsgConfigurar({"Mensagem"});
  FDefOrdenacao = GetParams().EdFindFieldControl("pOrdenacao");
}

// Only the break plan is handled; the refill does not put a dropped ordering back.
void TKdrProtocolosNaoBaixados::DoParamChange(TObject*, TjxsParamItem* _AParam) {
  if (_AParam == nullptr || !SameText(_AParam->Name(), "pQuebra")) return;
  if (FDefOrdenacao == nullptr) FDefOrdenacao = GetParams().EdFindFieldControl("pOrdenacao");
  const kdr::OrdenacaoDoPlano* ordenacao =
      kdr::TrocarPlanoNoFormulario(GetParams(), *FDefOrdenacao, Ordenacoes());
  if (ordenacao != nullptr) FOrdem = ordenacao->Chaves;
}
