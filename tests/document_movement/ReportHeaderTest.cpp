// The report header on its own, printed through the real report writer: what it shows for a
// company, when it reads the database again, and how it places the logo.
#include <gtest/gtest.h>

#include <string>

#include "TjCabecalhoRelatorio.h"
#include "document_movement/MovementSupport.h"
#include "render/ImageFixtures.h"

namespace movimentacao {
namespace {

class ReportHeaderTest : public MovementTest {
 protected:
  void SetUp() override {
    MovementTest::SetUp();
    Company(1, "Padaria Pão Quente Ltda");
    Establishment(1, 1, "Padaria Pão Quente - Matriz");
    Establishment(1, 2, "Padaria Pão Quente - Filial", "11222333000262");
    Company(2, "Oficina São José");
    Establishment(2, 1, "Oficina São José");
  }

  // A header as the movement report makes it, for the establishment selection given.
  std::unique_ptr<TjCabecalhoRelatorio> Header(const std::string& establishments = "") {
    return std::make_unique<TjCabecalhoRelatorio>(&Harness.Writer(), false, false, false, false,
                                                  false, std::array<int, 2>{8, 8}, -1, 1, 1,
                                                  establishments, "", false);
  }

  std::vector<std::string> PrintedCompanies() const {
    std::vector<std::string> names;
    for (const Band* band : Harness.Bands()) {
      if (band->Section == kSecaoCabecalhoEmpresa) {
        names.push_back(ReportHarness::Value(*band, "RCabEmpresa"));
      }
    }
    return names;
  }

  static const ElementState* Element(const Band& band, const std::string& name) {
    for (const ElementState& element : *band.Elements) {
      if (element.Name == name) return &element;
    }
    return nullptr;
  }

  ReportHarness Harness{"KdrMovimentacaoDoc"};
};

TEST_F(ReportHeaderTest, ReadsACompanyOnlyWhenTheCompanyChanges) {
  auto header = Header();
  header->ImpressaoCabecalho();  // no company yet: nothing to print
  header->Executar(1);
  header->ImpressaoCabecalho();
  Office.Execute("update EMPRESA set NOMEEMPRESA = 'Padaria Renomeada' where CODIGOEMPRESA = 1");
  header->Executar(1);
  header->ImpressaoCabecalho();
  header->Executar(2);
  header->ImpressaoCabecalho();
  header->Executar(1);
  header->ImpressaoCabecalho();
  Harness.Writer().Finish();

  EXPECT_EQ(PrintedCompanies(),
            (std::vector<std::string>{"Padaria Pão Quente Ltda", "Padaria Pão Quente Ltda",
                                      "Oficina São José", "Padaria Renomeada"}));
}

TEST_F(ReportHeaderTest, SeveralEstablishmentsShowTheHeadOfficeAndOneShowsItself) {
  struct Case {
    std::string Selection, Establishment, Registration;
  };
  const Case cases[] = {
      {"", "Diversos estabelecimentos", "CNPJ: 11.222.333/0001-81"},
      {"1-2", "Diversos estabelecimentos", "CNPJ: 11.222.333/0001-81"},
      {"1,2", "Diversos estabelecimentos", "CNPJ: 11.222.333/0001-81"},
      {" 2 ", "Estabelecimento 2 - Padaria Pão Quente - Filial", "CNPJ: 11.222.333/0002-62"},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.Selection);
    ReportHarness harness("KdrMovimentacaoDoc");
    TjCabecalhoRelatorio header(&harness.Writer(), false, false, false, false, false, {8, 8}, -1, 1,
                                1, test.Selection, "", false);
    header.Executar(1);
    header.ImpressaoCabecalho();
    harness.Writer().Finish();
    const Band& band = *harness.Bands().back();
    EXPECT_EQ(ReportHarness::Value(band, "RCabEstab"), test.Establishment);
    EXPECT_EQ(ReportHarness::Value(band, "RCabInscricao"), test.Registration);
    EXPECT_EQ(ReportHarness::Value(band, "RCabEndereco"), "Rua Nove, 120 - Centro - Curitiba/PR");
  }
}

TEST_F(ReportHeaderTest, TheLogoShowsBesideTheLabelsAndItsAbsenceMovesThemToTheMargin) {
  const std::string bmp = render_test::Bmp(1, 1, 24, {std::string("\x00\x00\xFF\x00", 4)});
  Office.Execute("update EMPRESA set LOGOTIPOEMPRESA = :logo where CODIGOEMPRESA = 1",
                 {Variant(Blob{bmp})});
  // Company 2's logo is no picture at all: it is left out like a missing one.
  Office.Execute("update EMPRESA set LOGOTIPOEMPRESA = :logo where CODIGOEMPRESA = 2",
                 {Variant(Blob{"not a picture"})});
  auto header = Header();
  header->Executar(1);
  header->ImpressaoCabecalho();
  header->Executar(2);
  header->ImpressaoCabecalho();
  Harness.Writer().Finish();
  std::vector<const Band*> headers;
  for (const Band* band : Harness.Bands()) {
    if (band->Section == kSecaoCabecalhoEmpresa) headers.push_back(band);
  }
  ASSERT_EQ(headers.size(), 2u);

  const ElementState* logo = Element(*headers[0], "Logo");
  ASSERT_NE(logo, nullptr);
  EXPECT_TRUE(logo->Visible);
  for (const char* label : {"etiCabEmpresa", "etiCabEndereco"}) {
    const ElementState* state = Element(*headers[0], label);
    ASSERT_NE(state, nullptr) << label;
    EXPECT_EQ(state->Left, 202) << label;
    EXPECT_EQ(state->Width, 575) << label;
  }

  logo = Element(*headers[1], "Logo");
  ASSERT_NE(logo, nullptr);
  EXPECT_FALSE(logo->Visible);
  for (const char* label : {"etiCabEmpresa", "etiCabEndereco"}) {
    const ElementState* state = Element(*headers[1], label);
    ASSERT_NE(state, nullptr) << label;
    EXPECT_EQ(state->Left, 23) << label;
    EXPECT_EQ(state->Width, 754) << label;
  }
}

}  // namespace
}  // namespace movimentacao
