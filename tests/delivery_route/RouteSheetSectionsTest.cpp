// The route sheet's printing flow: which sections print in which order for each report form,
// the headings after every page header, notes, the route order of the list, progress, a bad
// report form, and what is released when a run fails halfway.
#include <gtest/gtest.h>

#include "Exception.h"
#include "delivery_route/RouteSheetSupport.h"
#include "delivery_route/Sections.h"

using namespace rota_entrega;

namespace route_sheet {
namespace {

using Sections = std::vector<int>;

TEST_F(RouteSheetTest, DetailedFormPrintsEachRouteWithItsEstablishments) {
  TwoRoutesOfTwo();
  RouteRun run(Given{{"pTipoRel", "1"}});
  run.Print();
  EXPECT_EQ(run.Sections(), (Sections{kSecaoCabecalhoPagina, kSecaoTituloEstab, kSecaoTituloRota,
                                      kSecaoRota, kSecaoEstab, kSecaoEstab, kSecaoSeparador,
                                      kSecaoRota, kSecaoEstab, kSecaoEstab}));
}

TEST_F(RouteSheetTest, RoutesOnlyFormPrintsOneLinePerRouteUnderTheRouteHeading) {
  TwoRoutesOfTwo();
  RouteRun run(Given{{"pTipoRel", "2"}});
  run.Print();
  EXPECT_EQ(run.Sections(),
            (Sections{kSecaoCabecalhoPagina, kSecaoTituloRota, kSecaoRota, kSecaoRota}));
  // The route line shows its route and how many establishments it visits.
  ASSERT_EQ(run.Bands(kSecaoRota).size(), 2u);
  EXPECT_EQ(RouteRun::Field(*run.Bands(kSecaoRota)[0], "CODIGOROTA"), "1");
  EXPECT_EQ(RouteRun::Field(*run.Bands(kSecaoRota)[1], "CODIGOROTA"), "2");
  EXPECT_EQ(RouteRun::Field(*run.Bands(kSecaoRota)[1], "QTDEESTABROTA"), "2");
}

TEST_F(RouteSheetTest, AnyOtherFormPrintsRouteLinesUnderBothHeadings) {
  TwoRoutesOfTwo();
  for (const std::string form : {"3", "0", "7"}) {
    RouteRun run(Given{{"pTipoRel", form}});
    run.Print();
    EXPECT_EQ(run.Sections(), (Sections{kSecaoCabecalhoPagina, kSecaoTituloEstab, kSecaoTituloRota,
                                        kSecaoRota, kSecaoRota}))
        << "pTipoRel " << form;
  }
}

TEST_F(RouteSheetTest, FirstRouteCodedZeroStillGetsItsRouteLine) {
  Establishment(1, 1, "Padaria Pão Quente Ltda");
  Establishment(2, 1, "Oficina São José");
  Stop(0, 1, 1, 1);
  Stop(5, 2, 1, 1);
  RouteRun run;
  run.Print();
  EXPECT_EQ(run.Sections(),
            (Sections{kSecaoCabecalhoPagina, kSecaoTituloEstab, kSecaoTituloRota, kSecaoRota,
                      kSecaoEstab, kSecaoSeparador, kSecaoRota, kSecaoEstab}));
  EXPECT_EQ(RouteRun::Field(*run.Bands(kSecaoRota)[0], "CODIGOROTA"), "0");
}

TEST_F(RouteSheetTest, EstablishmentsComeInDeliveryOrderWithUnsequencedOnesLast) {
  Establishment(1, 1, "Primeiro código");
  Establishment(1, 2, "Segundo código");
  Establishment(1, 3, "Terceiro código");
  Establishment(1, 4, "Sem ordem");
  Stop(1, 1, 4, std::nullopt);
  Stop(1, 1, 1, 3);
  Stop(1, 1, 3, 1);
  Stop(1, 1, 2, 2);
  RouteRun run;
  run.Print();
  std::vector<std::string> visited;
  for (const Band* band : run.Bands(kSecaoEstab))
    visited.push_back(RouteRun::Field(*band, "CODIGOESTAB"));
  EXPECT_EQ(visited, (std::vector<std::string>{"3", "2", "1", "4"}));
}

TEST_F(RouteSheetTest, CompanyEstablishmentAndRouteExpressionsNarrowTheList) {
  TwoRoutesOfTwo();
  {
    RouteRun run(Given{{"pCodigoRota", "2"}});
    run.Print();
    EXPECT_EQ(run.Sections(), (Sections{kSecaoCabecalhoPagina, kSecaoTituloEstab, kSecaoTituloRota,
                                        kSecaoRota, kSecaoEstab, kSecaoEstab}));
    EXPECT_EQ(RouteRun::Field(*run.Bands(kSecaoRota)[0], "CODIGOROTA"), "2");
  }
  {
    RouteRun run(Given{{"pCodigoEmpresa", "1,3"}, {"pCodigoEstab", "1"}});
    run.Print();
    EXPECT_EQ(run.Sections(),
              (Sections{kSecaoCabecalhoPagina, kSecaoTituloEstab, kSecaoTituloRota, kSecaoRota,
                        kSecaoEstab, kSecaoSeparador, kSecaoRota, kSecaoEstab}));
    EXPECT_EQ(RouteRun::Field(*run.Bands(kSecaoEstab)[0], "CODIGOEMPRESA"), "1");
    EXPECT_EQ(RouteRun::Field(*run.Bands(kSecaoEstab)[1], "CODIGOEMPRESA"), "3");
  }
}

TEST_F(RouteSheetTest, EmptyRouteListPrintsNothingAndSaysNothing) {
  Establishment(1, 1, "Padaria Pão Quente Ltda");
  RouteRun run(Given{{"pMostrarEnd", "1"}});
  run.Print();
  EXPECT_TRUE(run.Sections().empty());
  EXPECT_TRUE(run.Sink.Messages.empty());
}

TEST_F(RouteSheetTest, HeadingsFollowThePageHeaderOnEveryPage) {
  for (int company = 1; company <= 70; ++company) {
    Establishment(company, 1, "Cliente " + std::to_string(company));
    Stop(1 + company / 20, company, 1, company);
  }
  for (const auto& [form, headings] : std::vector<std::pair<std::string, Sections>>{
           {"1", {kSecaoCabecalhoPagina, kSecaoTituloEstab, kSecaoTituloRota}},
           {"2", {kSecaoCabecalhoPagina, kSecaoTituloRota}}}) {
    RouteRun run(Given{{"pTipoRel", form}, {"pMostrarEnd", "1"}});
    run.Print();
    const auto pages = run.SectionsPerPage();
    if (form == "1") {
      ASSERT_GT(pages.size(), 1u);
    }
    for (const Sections& page : pages) {
      ASSERT_GE(page.size(), headings.size());
      EXPECT_EQ(Sections(page.begin(), page.begin() + static_cast<long>(headings.size())), headings)
          << "pTipoRel " << form;
      // Headings print nowhere else.
      for (std::size_t i = headings.size(); i < page.size(); ++i) {
        EXPECT_GE(page[i], 10) << "pTipoRel " << form;
      }
    }
  }
}

TEST_F(RouteSheetTest, NoteLineFollowsTheEstablishmentThatHasOne) {
  Establishment(1, 1, "Padaria Pão Quente Ltda");
  Establishment(1, 2, "Padaria Pão Quente Ltda");
  Stop(1, 1, 1, 1, "Entregar na portaria ao Sr. Valdir");
  Stop(1, 1, 2, 2);
  {
    RouteRun run;
    run.Print();
    EXPECT_EQ(run.Sections(), (Sections{kSecaoCabecalhoPagina, kSecaoTituloEstab, kSecaoTituloRota,
                                        kSecaoRota, kSecaoEstab, kSecaoObservacao, kSecaoEstab}));
    EXPECT_EQ(RouteRun::Field(*run.Bands(kSecaoObservacao)[0], "OBSERVACAO"),
              "Entregar na portaria ao Sr. Valdir");
  }
  {
    // The address comes between the establishment and its note.
    RouteRun run(Given{{"pMostrarEnd", "1"}});
    run.Print();
    EXPECT_EQ(run.Sections(), (Sections{kSecaoCabecalhoPagina, kSecaoTituloEstab, kSecaoTituloRota,
                                        kSecaoRota, kSecaoEstab, kSecaoEndereco, kSecaoObservacao,
                                        kSecaoEstab, kSecaoEndereco}));
  }
  {
    // Only the detailed form has establishment lines, and so notes.
    RouteRun run(Given{{"pTipoRel", "3"}});
    run.Print();
    EXPECT_EQ(run.Sections(),
              (Sections{kSecaoCabecalhoPagina, kSecaoTituloEstab, kSecaoTituloRota, kSecaoRota}));
  }
}

TEST_F(RouteSheetTest, SeparatorPrintsWithAnEmptyText) {
  TwoRoutesOfTwo();
  RouteRun run;
  run.Writer().SetLayoutValue("RTexto", "restos de outra execução");
  run.Print();
  ASSERT_EQ(run.Bands(kSecaoSeparador).size(), 1u);
  EXPECT_EQ(ReportHarness::Value(*run.Bands(kSecaoSeparador)[0], "RTexto"), "");
}

TEST_F(RouteSheetTest, ProgressCountsEveryRecordOfTheList) {
  TwoRoutesOfTwo();
  for (const std::string form : {"1", "2"}) {
    ProgressLog progress;
    RouteRun run(Given{{"pTipoRel", form}}, &progress);
    run.Print();
    EXPECT_EQ(progress.Positions, (std::vector<int>{1, 2, 3, 4})) << "pTipoRel " << form;
    EXPECT_EQ(progress.Totals, (std::vector<int>{4, 4, 4, 4})) << "pTipoRel " << form;
  }
}

TEST_F(RouteSheetTest, ReportFormThatIsNoNumberIsRefusedBeforeAnythingPrints) {
  TwoRoutesOfTwo();
  for (const std::string form : {"abc", "", "1a", "99999999999"}) {
    RouteRun run(Given{{"pTipoRel", form}});
    try {
      run.Print();
      ADD_FAILURE() << "pTipoRel \"" << form << "\" was accepted";
    } catch (const EjxsError& error) {
      EXPECT_EQ(std::string(error.what()),
                "Tipo de relatório inválido: \"" + form +
                    "\". Informe 1 (rotas com estabelecimentos), 2 (somente rotas) ou 3 (somente "
                    "rotas, com os dois cabeçalhos).");
    }
    EXPECT_TRUE(run.Sections().empty()) << "pTipoRel \"" << form << "\"";
  }
  // Even with nothing to print, the mistake is reported rather than hidden.
  Office.Execute("delete from PROTOCOLOROTAENTREGA");
  RouteRun empty(Given{{"pTipoRel", "x"}});
  EXPECT_THROW(empty.Print(), EjxsError);
}

TEST_F(RouteSheetTest, FailureHalfwayDetachesTheHandlerAndReleasesTheAddresses) {
  TwoRoutesOfTwo();
  // The address statement cannot run without the delivery addresses' table.
  Office.Execute("drop table ESTABENTREGA");
  RouteRun run(Given{{"pMostrarEnd", "1"}});
  EXPECT_THROW(run.Report->ImprimirInterno(), Exception);
  // Checked while the instance still lives: its own run detached the handler.
  EXPECT_FALSE(run.Writer().OnAfterSection);
  EXPECT_TRUE(run.Report->SQLEndereco().find("ESTABENTREGA") != std::string::npos);
  run.Writer().Finish();
  EXPECT_EQ(run.Sections(), (Sections{kSecaoCabecalhoPagina, kSecaoTituloEstab, kSecaoTituloRota,
                                      kSecaoRota, kSecaoEstab}));
}

TEST_F(RouteSheetTest, HandlerIsDetachedWhenTheRunEnds) {
  TwoRoutesOfTwo();
  RouteRun run;
  run.Report->ImprimirInterno();
  EXPECT_FALSE(run.Writer().OnAfterSection);
}

TEST_F(RouteSheetTest, MissingRouteListIsReportedAsAnError) {
  RouteRun run;
  ReportDefinition definition = LoadReportDefinition(DefinitionPath());
  definition.Statement.clear();
  CapturingSink sink;
  ReportWriter writer(definition, run.Params(), nullptr, ReportHarness::Metrics(), sink, nullptr);
  TKdrRotaEntrega report(&writer);
  EXPECT_THROW(report.ImprimirInterno(), Exception);
}

// The parameter form: addresses can be asked for only in the detailed form.
TEST_F(RouteSheetTest, ChangingTheReportFormTogglesTheAddressEditor) {
  RouteRun run;
  TjxsParamItem* form = run.Params().Find("pTipoRel");
  TjxsParamItem* addresses = run.Params().Find("pMostrarEnd");
  ASSERT_NE(form, nullptr);
  ASSERT_NE(addresses, nullptr);

  for (const auto& [value, enabled] : std::vector<std::pair<std::string, bool>>{
           {"2", false}, {"1", true}, {"3", false}, {"1", true}, {"", false}}) {
    form->Control().SetAsString(value);
    run.Report->DoParamChange(nullptr, form);
    EXPECT_EQ(addresses->Enabled(), enabled) << "pTipoRel \"" << value << "\"";
  }

  // Other parameters leave the editor as it is.
  form->Control().SetAsString("2");
  run.Report->DoParamChange(nullptr, form);
  TjxsParamItem* routes = run.Params().Find("pCodigoRota");
  form->Control().SetAsString("1");
  run.Report->DoParamChange(nullptr, routes);
  run.Report->DoParamEnter(nullptr, form);
  run.Report->DoParamExit(nullptr, form);
  EXPECT_FALSE(addresses->Enabled());
}

}  // namespace
}  // namespace route_sheet
