#include "TjCabecalhoRelatorio.h"

#include <optional>
#include <vector>

#include "DataAccess.h"
#include "SysUtils.h"
#include "TGraphic.h"
#include "TjClientDataSet.h"
#include "TjxsImage.h"
#include "TjxsLabel.h"

namespace {

constexpr const char* kSqlEmpresa =
    "select EMP.NOMEEMPRESA from EMPRESA EMP where EMP.CODIGOEMPRESA = :pCodigoEmpresa";
constexpr const char* kSqlLogotipo =
    "select EMP.LOGOTIPOEMPRESA from EMPRESA EMP where EMP.CODIGOEMPRESA = :pCodigoEmpresa";
// The wanted establishment first, else the company's lowest-numbered one; street type and city
// are optional so that a partly filled establishment still shows what it has.
constexpr const char* kSqlEstab =
    "select E.CODIGOESTAB, E.NOMEESTAB, E.TIPOINSCR, E.INSCRFEDERAL, TL.DESCRTIPOLOGRAD, "
    "E.ENDERECOESTAB, E.NUMENDERESTAB, E.COMPLENDERESTAB, E.BAIRROENDERESTAB, M.NOMEMUNIC, "
    "E.SIGLAESTADO from ESTAB E left join TIPOLOGRADOURO TL on TL.CODIGOTIPOLOGRAD = "
    "E.CODIGOTIPOLOGRAD left join MUNICIPIO M on M.SIGLAESTADO = E.SIGLAESTADO and "
    "M.CODIGOMUNIC = E.CODIGOMUNIC where E.CODIGOEMPRESA = :pCodigoEmpresa order by case when "
    "E.CODIGOESTAB = :pCodigoEstab then 0 else 1 end, E.CODIGOESTAB";

constexpr int kMargemEsquerda = 23;
constexpr int kLarguraPagina = 754;
constexpr int kEsquerdaAoLadoLogo = 202;
constexpr int kLarguraAoLadoLogo = 575;

const char* const kEtiquetas[] = {"etiCabEmpresa", "etiCabEstab", "etiCabInscricao",
                                  "etiCabEndereco", "etiCabSubtitulo"};

// The one establishment an inclusion expression names, when it names exactly one.
std::optional<int> EstabelecimentoUnico(const std::string& expressao) {
  const std::string texto = Trim(expressao);
  // Two different fallbacks agree only when the text really is a number.
  const int valor = StrToIntDef(texto, 0);
  if (valor == 0 || valor != StrToIntDef(texto, 1)) return std::nullopt;
  return valor;
}

std::string NomeTipoInscricao(int tipo) {
  switch (tipo) {
    case 1:
      return "CNPJ";
    case 3:
      return "CEI";
    default:
      return "CPF";
  }
}

TjTipoInscrFederal TipoInscricao(int tipo) {
  switch (tipo) {
    case 1:
      return TjTipoInscrFederal::tifCNPJ;
    case 3:
      return TjTipoInscrFederal::tifCEI;
    default:
      return TjTipoInscrFederal::tifCPF;
  }
}

// Parts joined by `separador`, leaving out the empty ones and their separators.
std::string Juntar(const std::vector<std::string>& partes, const std::string& separador) {
  std::string texto;
  for (const std::string& parte : partes) {
    const std::string aparada = Trim(parte);
    if (aparada.empty()) continue;
    if (!texto.empty()) texto += separador;
    texto += aparada;
  }
  return texto;
}

// Capitals of a UTF-8 text, the accented letters of Portuguese included (UpperCase knows
// ASCII only, and a name in capitals must not keep "ã" small).
std::string Maiusculas(const std::string& texto) {
  std::string resultado = UpperCase(texto);
  for (std::size_t i = 0; i + 1 < resultado.size(); ++i) {
    // U+00E0..U+00FE (but U+00F7, the division sign) are the small letters of U+00C0..U+00DE.
    const auto segundo = static_cast<unsigned char>(resultado[i + 1]);
    if (static_cast<unsigned char>(resultado[i]) == 0xC3 && segundo >= 0xA0 && segundo <= 0xBE &&
        segundo != 0xB7) {
      resultado[i + 1] = static_cast<char>(segundo - 0x20);
      ++i;
    }
  }
  return resultado;
}

}  // namespace

struct TjCabecalhoRelatorio::Impl {
  TjfmReport* Report = nullptr;
  bool SemLogotipo = false;
  bool SemInscricao = false;
  bool SemEndereco = false;
  bool SemEstabelecimento = false;
  bool SomentePrimeiraPagina = false;
  std::array<int, 2> Secoes{};
  int EmpresaLogotipo = -1;
  int EstabelecimentoSede = 1;
  bool InscricaoFormatada = true;
  std::optional<int> EstabUnico;
  std::string Subtitulo;
  bool NomeEmMaiusculas = false;

  // What the loaded company's header shows.
  std::optional<int> Empresa;
  std::string Nome;
  std::string Estab;
  std::string Inscricao;
  std::string Endereco;
  TBitmap Logotipo;
  int Impressos = 0;

  void Carregar(int codigoEmpresa);
  void CarregarEstabelecimento(int codigoEmpresa);
  TBitmap LerLogotipo(int codigoEmpresa) const;
  void PosicionarEtiquetas(bool comLogotipo) const;
};

TjCabecalhoRelatorio::TjCabecalhoRelatorio(TjfmReport* report, bool semLogotipo, bool semInscricao,
                                           bool semEndereco, bool semEstabelecimento,
                                           bool somentePrimeiraPagina, std::array<int, 2> secoes,
                                           int empresaLogotipo, int estabelecimentoSede,
                                           int inscricaoFormatada,
                                           const std::string& estabelecimentos,
                                           const std::string& subtitulo, bool nomeEmMaiusculas)
    : FImpl(std::make_unique<Impl>()) {
  FImpl->Report = report;
  FImpl->SemLogotipo = semLogotipo;
  FImpl->SemInscricao = semInscricao;
  FImpl->SemEndereco = semEndereco;
  FImpl->SemEstabelecimento = semEstabelecimento;
  FImpl->SomentePrimeiraPagina = somentePrimeiraPagina;
  FImpl->Secoes = secoes;
  FImpl->EmpresaLogotipo = empresaLogotipo;
  FImpl->EstabelecimentoSede = estabelecimentoSede;
  FImpl->InscricaoFormatada = inscricaoFormatada != 0;
  FImpl->EstabUnico = EstabelecimentoUnico(estabelecimentos);
  FImpl->Subtitulo = subtitulo;
  FImpl->NomeEmMaiusculas = nomeEmMaiusculas;
}

TjCabecalhoRelatorio::~TjCabecalhoRelatorio() = default;

void TjCabecalhoRelatorio::Executar(int codigoEmpresa) {
  if (FImpl->Empresa == codigoEmpresa) return;
  FImpl->Carregar(codigoEmpresa);
}

void TjCabecalhoRelatorio::Impl::Carregar(int codigoEmpresa) {
  // Forget the previous company first: a failed load must not leave its data standing for
  // this one.
  Empresa.reset();
  std::unique_ptr<TjClientDataSet> empresa = ExecutarSQL(kSqlEmpresa, {codigoEmpresa});
  Nome = empresa->IsEmpty() ? std::string() : Trim(empresa->Fields(0).AsString());
  if (Nome.empty()) Nome = "Empresa " + std::to_string(codigoEmpresa);
  if (NomeEmMaiusculas) Nome = Maiusculas(Nome);
  CarregarEstabelecimento(codigoEmpresa);
  const int empresaDoLogotipo = EmpresaLogotipo == -1 ? codigoEmpresa : EmpresaLogotipo;
  Logotipo = SemLogotipo ? TBitmap() : LerLogotipo(empresaDoLogotipo);
  Empresa = codigoEmpresa;
}

void TjCabecalhoRelatorio::Impl::CarregarEstabelecimento(int codigoEmpresa) {
  const int procurado = EstabUnico.value_or(EstabelecimentoSede);
  std::unique_ptr<TjClientDataSet> estab = ExecutarSQL(kSqlEstab, {codigoEmpresa, procurado});
  Estab.clear();
  Inscricao.clear();
  Endereco.clear();
  if (!EstabUnico) Estab = "Diversos estabelecimentos";
  if (estab->IsEmpty()) return;
  estab->First();
  auto texto = [&estab](int coluna) { return Trim(estab->Fields(coluna).AsString()); };
  const int codigo = estab->Fields(0).AsInteger();
  if (EstabUnico) {
    // The establishment asked for may be missing: name none rather than another one.
    Estab = "Estabelecimento " + std::to_string(*EstabUnico);
    if (codigo == *EstabUnico && !texto(1).empty()) Estab += " - " + texto(1);
  }
  const int tipo = estab->Fields(2).AsInteger();
  const Variant numero = estab->Fields(3).Value();
  if (!Trim(numero.AsString()).empty()) {
    Inscricao = NomeTipoInscricao(tipo) + ": " +
                FormatarInscrFed(tipo, FormatarInscrFederal(TipoInscricao(tipo), numero, false),
                                 InscricaoFormatada);
  }
  const std::string numeroCasa = texto(6) == "0" ? std::string() : texto(6);
  const std::string rua = Juntar({texto(4), texto(5)}, " ");
  const std::string cidade = Juntar({texto(9), texto(10)}, "/");
  Endereco = Juntar({Juntar({rua, numeroCasa, texto(7)}, ", "), texto(8), cidade}, " - ");
}

TBitmap TjCabecalhoRelatorio::Impl::LerLogotipo(int codigoEmpresa) const {
  std::unique_ptr<TjClientDataSet> dados = ExecutarSQL(kSqlLogotipo, {codigoEmpresa}, false, true);
  if (dados->IsEmpty() || dados->Fields(0).IsNull()) return TBitmap();
  TMemoryStream stream(dados->Fields(0).AsBytes());
  // Bytes in no picture format we know are left out, as everywhere else: nothing to draw.
  const TGraphicClass formato = GetGraphicClass(stream);
  if (!formato) return TBitmap();
  TPicture picture;
  stream.SetPosition(0);
  picture.LoadFromStream(stream, *formato);
  return picture.Bitmap();
}

void TjCabecalhoRelatorio::ImpressaoCabecalho() {
  Impl& d = *FImpl;
  if (!d.Empresa) return;
  if (d.SomentePrimeiraPagina && d.Impressos > 0) return;

  d.Report->SetLayoutValue("RCabEmpresa", d.Nome);
  d.Report->SetLayoutValue("RCabEstab", d.SemEstabelecimento ? std::string() : d.Estab);
  d.Report->SetLayoutValue("RCabInscricao", d.SemInscricao ? std::string() : d.Inscricao);
  d.Report->SetLayoutValue("RCabEndereco", d.SemEndereco ? std::string() : d.Endereco);
  d.Report->SetLayoutValue("RCabSubtitulo", d.Subtitulo);

  const bool comLogotipo = !d.Logotipo.Empty();
  TjxsImage* logo = d.Report->ImageByName("Logo");
  logo->SetImage(d.Logotipo);
  logo->SetVisible(comLogotipo);
  d.PosicionarEtiquetas(comLogotipo);

  const int secao = d.Impressos == 0 ? d.Secoes[0] : d.Secoes[1];
  ++d.Impressos;
  d.Report->RepPrintSection(secao);
}

void TjCabecalhoRelatorio::Impl::PosicionarEtiquetas(bool comLogotipo) const {
  for (const char* nome : kEtiquetas) {
    TjxsLabel* etiqueta = Report->LabelByName(nome);
    etiqueta->SetLeft(comLogotipo ? kEsquerdaAoLadoLogo : kMargemEsquerda);
    etiqueta->SetWidth(comLogotipo ? kLarguraAoLadoLogo : kLarguraPagina);
  }
}
