// The test report: lists protocol items of a launch-date range through every host service a
// report uses (parameters, statements, layout values, wrapping, labels, the logo, the
// after-section event, messages, progress), and can be asked to fail.
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <thread>

#include "DataAccess.h"
#include "Exception.h"
#include "Sections.h"
#include "SysUtils.h"
#include "TStringList.h"
#include "TjfmBaseDll.h"
#include "jfmBaseDllReg.h"

using namespace teste;

namespace {

std::atomic<int> gDestructions{0};

class TKdrTeste : public TjfmBaseDll {
 public:
  using TjfmBaseDll::TjfmBaseDll;
  ~TKdrTeste() override { ++gDestructions; }

  static std::string Versao() { return "[versao: 0.1.0.0]"; }

  void ImprimirInterno() override {
    FDataInicial = StrToDateDef(GetParams().GetValues("pDataInicial"), TDateTime());
    if (FDataInicial.IsZero()) throw EjxsError("Data inicial invalida!");
    FDataFinal = StrToDateDef(GetParams().GetValues("pDataFinal"), TDateTime());
    if (FDataFinal.IsZero()) throw EjxsError("Data final invalida!");
    const std::string falha = Trim(RepParam("pFalhar"));
    if (falha == "1") throw EjxsError("Falha solicitada pelo teste.");
    // A plug-in that brings its process down, or never returns: what a server must outlive.
    if (falha == "4") std::abort();
    while (falha == "5") std::this_thread::sleep_for(std::chrono::seconds(1));

    // The handler is detached on every way out of the run.
    struct Detach {
      TjfmReport* Report;
      ~Detach() { Report->OnAfterSection = nullptr; }
    } detach{Report()};
    Report()->OnAfterSection = [this](TObject*, int section) {
      if (section == kSecaoCabecalhoPagina) RepPrintSection(kSecaoTitulosItens);
    };

    ImprimirLogo();
    RepParam("pPeriodo", "Período: " + DateToStr(FDataInicial) + " a " + DateToStr(FDataFinal));

    std::string sql =
        "select P.CODIGOPROTOCOLO, P.OBSERVACAO, E.NOMEESTAB, I.SEQITEMPRO, I.DESCRITEM, "
        "I.VALOR, I.VENCIMENTO from PROTOCOLO P join PROTOCOLOITEM I on I.CODIGOPROTOCOLO = "
        "P.CODIGOPROTOCOLO left join ESTAB E on E.CODIGOEMPRESA = P.CODIGOEMPRESA and "
        "E.CODIGOESTAB = P.CODIGOESTAB where P.DATALCTOPRO between :pDataInicial and :pDataFinal";
    const std::string empresas = Trim(RepParam("pCodigoEmpresa"));
    if (!empresas.empty()) sql += FilterInterval({"P.CODIGOEMPRESA"}, empresas, {1}, true, 1);
    sql += " order by P.CODIGOPROTOCOLO, I.SEQITEMPRO";
    std::unique_ptr<TjClientDataSet> itens = ExecutarSQL(sql, {FDataInicial, FDataFinal});

    TjxsLabel* descricao = Report()->LabelByName("etiDescricao");
    TStringList linhas;
    const int total = itens->RecordCount();
    int impressos = 0;
    int protocolos = 0;
    int atual = -1;
    double soma = 0;
    for (itens->First(); !itens->Eof();) {
      const int protocolo = itens->FieldByName("CODIGOPROTOCOLO").AsInteger();
      if (protocolo != atual) {
        atual = protocolo;
        ++protocolos;
        soma = 0;
        RepParam("pDescrProtocolo", "Protocolo: " + FormatFloat("00000", protocolo) + " - " +
                                        itens->FieldByName("OBSERVACAO").AsString());
        RepParam("pNomeEstab", itens->FieldByName("NOMEESTAB").AsString());
        RepPrintSection(kSecaoProtocolo);
        if (falha == "2") throw Exception("Falha no meio da impressão.");
        // As an allocation that fails half-way through a run would.
        if (falha == "3") throw std::bad_alloc();
      }
      linhas.SetText(itens->FieldByName("DESCRITEM").AsString());
      if (linhas.Count() == 0) linhas.Add("");
      Report()->WrapText(linhas, descricao, true, true);
      RepParam("pValor", "");
      RepParam("pVcto", "");
      for (int i = 0; i < linhas.Count(); ++i) {
        const bool ultima = i + 1 == linhas.Count();
        RepParam("pDesc", linhas[i]);
        if (ultima) {
          const double valor = itens->FieldByName("VALOR").AsFloat();
          soma += valor;
          RepParam("pValor", FormatFloat("#,##0.00", valor));
          const TDateTime vencimento = itens->FieldByName("VENCIMENTO").AsDateTime();
          RepParam("pVcto", vencimento.IsZero() ? "" : DateToStr(vencimento));
        }
        RepPrintSection(kSecaoItem);
      }
      Report()->CSLShowProgress(++impressos, total);
      itens->Next();
      if (itens->Eof() || itens->FieldByName("CODIGOPROTOCOLO").AsInteger() != atual) {
        RepParam("pTotal", "Total: " + FormatFloat("#,##0.00", soma));
        RepPrintSection(kSecaoTotal);
      }
    }
    Report()->MsgMensagem(1, std::to_string(protocolos) + " protocolo(s) impresso(s)");
  }

 private:
  void ImprimirLogo() {
    TjxsImage* logo = Report()->ImageByName("Logo");
    logo->SetVisible(false);
    const int empresa = StrToIntDef(RepParam("pCodigoEmpresaLogo"), 0);
    if (empresa == 0) return;
    std::unique_ptr<TjClientDataSet> dados =
        ExecutarSQL("select LOGOTIPOEMPRESA from EMPRESA where CODIGOEMPRESA = :pCodigoEmpresa",
                    {empresa}, false, true);
    if (dados->IsEmpty() || dados->Fields(0).IsNull()) return;
    TMemoryStream stream(dados->Fields(0).AsBytes());
    const TGraphicClass formato = GetGraphicClass(stream);
    if (!formato) return;
    Report()->Picture().LoadFromStream(stream, *formato);
    logo->SetImage(Report()->Picture().Bitmap());
    logo->SetVisible(true);
  }

  TDateTime FDataInicial;
  TDateTime FDataFinal;
};

}  // namespace

const TjfmBaseDllClass& jfmRegisteredClass() {
  static const TjfmBaseDllClass reportClass =
      TjfmBaseDllClass::Of<TKdrTeste>("TKdrTeste", TjfmBaseDllClass::StandardMethods());
  return reportClass;
}

// How many report instances this library has destroyed, for the frame's tests.
KDR_PLUGIN_EXPORT int KdrTesteDestruicoes() {
  return gDestructions.load();
}
