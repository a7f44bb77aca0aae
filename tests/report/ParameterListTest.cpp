// The run's parameter list: built from the definition and the given values, edited through the
// form's editors, and checked for required parameters.
#include <gtest/gtest.h>

#include <functional>

#include "Exception.h"
#include "TjxsPowerParam.h"
#include "report/ParameterList.h"

namespace {

ReportDefinition ProtocolParameters() {
  ReportDefinition definition;
  definition.Name = "KdrProtocolo";
  definition.Parameters = {
      {"pDataInicial", "Data inicial", "date", "", true, {}},
      {"pCopia", "Cópias", "integer", "1", false, {}},
      {"pOrdenacao", "Ordenação", "choice", "0", false, {"Protocolo=0", "Data de lançamento=2"}},
      {"pCodigoEmpresa", "", "codes", "", true, {}},
  };
  return definition;
}

std::string EjxsMessage(const std::function<void()>& action) {
  try {
    action();
  } catch (const EjxsError& error) {
    return error.what();
  }
  return "";
}

}  // namespace

TEST(BuildingTheList, GivenTextWinsElseTheDefault) {
  auto params = BuildParameterList(ProtocolParameters(),
                                   {{"pdatainicial", "01/03/2026"}, {"pCodigoEmpresa", ""}});
  ASSERT_EQ(params->Items().size(), 4u);
  EXPECT_EQ(params->Items()[0]->Name(), "pDataInicial");
  EXPECT_EQ(params->GetValues("pDataInicial"), "01/03/2026");
  EXPECT_EQ(params->GetValues("pCopia"), "1");
  EXPECT_EQ(params->GetValues("PORDENACAO"), "0");
  EXPECT_EQ(params->GetValues("pCodigoEmpresa"), "") << "an empty given text still wins";
  EXPECT_EQ(params->Find("pOrdenacao")->Choices().Count(), 2);
  EXPECT_TRUE(params->Find("pDataInicial")->Required());
  EXPECT_EQ(params->GetValues("pInexistente"), "");
}

TEST(BuildingTheList, IsoDatesAreHeldAsTheFormHoldsThem) {
  auto params = BuildParameterList(ProtocolParameters(),
                                   {{"pDataInicial", "2026-03-01"}, {"pCopia", "2026-03-01"}});
  EXPECT_EQ(params->GetValues("pDataInicial"), "01/03/2026");
  EXPECT_EQ(params->GetValues("pCopia"), "2026-03-01") << "only date parameters are read as dates";
  auto impossible = BuildParameterList(ProtocolParameters(), {{"pDataInicial", "2026-02-31"}});
  EXPECT_EQ(impossible->GetValues("pDataInicial"), "2026-02-31") << "left for the report to reject";
}

TEST(BuildingTheList, UnknownGivenNameIsAnError) {
  EXPECT_EQ(EjxsMessage([] {
              BuildParameterList(ProtocolParameters(), {{"pDataIncial", "x"}});
            }),
            "Parâmetro desconhecido no relatório KdrProtocolo: pDataIncial");
}

TEST(RequiredParameters, EmptyRequiredParameterNamesCaptionAndName) {
  auto params = BuildParameterList(ProtocolParameters(), {{"pCodigoEmpresa", "1-5"}});
  EXPECT_EQ(EjxsMessage([&] { CheckRequiredParameters(*params); }),
            "Parâmetro obrigatório não informado: Data inicial (pDataInicial)");

  params->SetValues("pDataInicial", "   ");
  EXPECT_EQ(EjxsMessage([&] { CheckRequiredParameters(*params); }),
            "Parâmetro obrigatório não informado: Data inicial (pDataInicial)")
      << "blanks are no value";

  params->SetValues("pDataInicial", "01/03/2026");
  params->SetValues("pCodigoEmpresa", "");
  EXPECT_EQ(EjxsMessage([&] { CheckRequiredParameters(*params); }),
            "Parâmetro obrigatório não informado: pCodigoEmpresa (pCodigoEmpresa)")
      << "without a caption the name stands in";
}

TEST(RequiredParameters, FormChangesAreRespected) {
  auto params = BuildParameterList(ProtocolParameters(),
                                   {{"pDataInicial", "01/03/2026"}, {"pCodigoEmpresa", "1"}});
  EXPECT_NO_THROW(CheckRequiredParameters(*params));

  params->EdRequiredField("pCopia", true);
  params->SetValues("pCopia", "");
  EXPECT_THROW(CheckRequiredParameters(*params), EjxsError);

  // A disabled editor cannot be filled in, so it cannot be demanded either.
  params->EdEnabledField("pCopia", false);
  EXPECT_NO_THROW(CheckRequiredParameters(*params));
  params->EdRequiredField("pCopia", false);
  params->EdEnabledField("pCopia", true);
  EXPECT_NO_THROW(CheckRequiredParameters(*params));
}

TEST(ParameterEditors, UnknownNamesRaiseNamingThem) {
  TjxsPowerParam params;
  params.Add(std::make_unique<TjxsParamItem>("pTipoRel", "Tipo", "choice", "1", false));
  EXPECT_EQ(EjxsMessage([&] { params.EdFindFieldControl("pMostrarEndereco"); }),
            "Parâmetro não encontrado: pMostrarEndereco");
  EXPECT_EQ(EjxsMessage([&] { params.SetValues("pQuebra", "1"); }),
            "Parâmetro não encontrado: pQuebra");
  EXPECT_THROW(params.EdEnabledField("pQuebra", true), EjxsError);
  EXPECT_THROW(params.EdRequiredField("pQuebra", true), EjxsError);
  EXPECT_EQ(params.EdFindFieldControl("PTIPOREL"), &params.Find("pTipoRel")->Control());
}

TEST(ParameterEditors, AddingRefusesDuplicatesAndLongNames) {
  TjxsPowerParam params;
  params.Add(std::make_unique<TjxsParamItem>("pTipoRel", "Tipo", "choice", "1", false));
  EXPECT_THROW(
      params.Add(std::make_unique<TjxsParamItem>("PTIPOREL", "Tipo", "choice", "1", false)),
      EjxsError);
  EXPECT_THROW(
      params.Add(std::make_unique<TjxsParamItem>(std::string(129, 'p'), "", "text", "", false)),
      EjxsError);
  EXPECT_NO_THROW(
      params.Add(std::make_unique<TjxsParamItem>(std::string(128, 'p'), "", "text", "", false)));
  EXPECT_EQ(params.Items().size(), 2u);
}

TEST(ParameterEditors, RefilledChoicesDropAValueNoLongerOffered) {
  TjxsPowerParam params;
  TjxsParamItem& item =
      params.Add(std::make_unique<TjxsParamItem>("pQuebra", "Quebra", "choice", "2", false));
  item.Choices().Add("Empresa=1");
  item.Choices().Add("Usuário=2");
  TjFraControle* editor = params.EdFindFieldControl("pQuebra");

  TStringList& choices = editor->GetFieldDefinicao();
  choices.Clear();
  choices.Add("Empresa=1");
  choices.Add("Data=2");
  editor->RefreshChoices();
  EXPECT_EQ(params.GetValues("pQuebra"), "2") << "still offered, under another caption";

  choices.Clear();
  choices.Add("Filial=1");
  choices.Add("Usuário=3");
  editor->RefreshChoices();
  EXPECT_EQ(params.GetValues("pQuebra"), "") << "no longer offered";

  // Matching is by value, not caption.
  editor->SetAsString("Filial");
  editor->RefreshChoices();
  EXPECT_EQ(params.GetValues("pQuebra"), "");
}

TEST(ParameterEditors, FreeTextEditorsHaveNoChoicesToLose) {
  TjxsPowerParam params;
  params.Add(std::make_unique<TjxsParamItem>("pEscrit", "Escritório", "text", "Contábil", false));
  params.EdFindFieldControl("pEscrit")->RefreshChoices();
  EXPECT_EQ(params.GetValues("pEscrit"), "Contábil");
}

TEST(CheckingValues, IntegerParametersTakeOnlyIntegers) {
  auto params = BuildParameterList(ProtocolParameters(), {{"pCopia", "abc"}});
  EXPECT_EQ(EjxsMessage([&] { CheckParameterValues(*params); }),
            "Valor inválido para Cópias (pCopia): \"abc\". Informe um número inteiro de "
            "-2147483648 a 2147483647.");
  for (const char* refused : {"1.5", "2,0", "0x10", "3 vias", "99999999999", "1e3"}) {
    params->SetValues("pCopia", refused);
    EXPECT_NE(EjxsMessage([&] { CheckParameterValues(*params); }), "") << refused;
  }
  // What is accepted is held as every report reads it: trimmed, in plain digits.
  for (const auto& [given, held] : std::vector<std::pair<std::string, std::string>>{
           {" 7 ", "7"}, {"+3", "3"}, {"007", "7"}, {"-2", "-2"}, {"", ""}, {"  ", ""}}) {
    params->SetValues("pCopia", given);
    EXPECT_EQ(EjxsMessage([&] { CheckParameterValues(*params); }), "") << given;
    EXPECT_EQ(params->GetValues("pCopia"), held) << given;
  }
}

TEST(CheckingValues, ChoiceParametersTakeOnlyTheirValuesOrNothing) {
  auto params = BuildParameterList(ProtocolParameters(), {{"pOrdenacao", "1"}});
  EXPECT_EQ(EjxsMessage([&] { CheckParameterValues(*params); }),
            "Valor inválido para Ordenação (pOrdenacao): \"1\". Use um destes valores: 0 "
            "(Protocolo), 2 (Data de lançamento); ou deixe vazio.");
  for (const char* refused : {"abc", "-0", "02", "Protocolo", "Protocolo=0"}) {
    params->SetValues("pOrdenacao", refused);
    EXPECT_NE(EjxsMessage([&] { CheckParameterValues(*params); }), "") << refused;
  }
  for (const auto& [given, held] :
       std::vector<std::pair<std::string, std::string>>{{"2", "2"}, {" 0 ", "0"}, {"", ""}}) {
    params->SetValues("pOrdenacao", given);
    EXPECT_EQ(EjxsMessage([&] { CheckParameterValues(*params); }), "") << given;
    EXPECT_EQ(params->GetValues("pOrdenacao"), held) << given;
  }
  // Dates, codes and free text are the reports' to judge.
  params->SetValues("pDataInicial", "31/02/2026");
  params->SetValues("pCodigoEmpresa", "1,,x");
  EXPECT_EQ(EjxsMessage([&] { CheckParameterValues(*params); }), "");
}

TEST(CheckingValues, TheChoicesTheFormLeftAreTheOnesThatCount) {
  auto params = BuildParameterList(ProtocolParameters(), {{"pOrdenacao", "7"}});
  TStringList& choices = params->EdFindFieldControl("pOrdenacao")->GetFieldDefinicao();
  choices.Clear();
  choices.Add("Por filial=7");
  EXPECT_EQ(EjxsMessage([&] { CheckParameterValues(*params); }), "");
  params->SetValues("pOrdenacao", "0");
  EXPECT_EQ(EjxsMessage([&] { CheckParameterValues(*params); }),
            "Valor inválido para Ordenação (pOrdenacao): \"0\". Use um destes valores: 7 (Por "
            "filial); ou deixe vazio.");
}

TEST(CheckingValues, AHugeValueIsEchoedShort) {
  auto params = BuildParameterList(ProtocolParameters(), {{"pCopia", std::string(100'000, '9')}});
  const std::string message = EjxsMessage([&] { CheckParameterValues(*params); });
  EXPECT_LT(message.size(), 200u) << message;
  EXPECT_NE(message.find("\"" + std::string(60, '9') + "...\""), std::string::npos) << message;
}
