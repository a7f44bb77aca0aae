// The block header: the establishment's name, registration, address and telephone, read once
// for consecutive blocks of one establishment, from its delivery address when so configured;
// and the office logo with the header labels placed beside it.
#include <cairo.h>

#include "protocol_print/ProtocoloOffice.h"
#include "protocol_print/Sections.h"

using namespace protocolo;

namespace {

cairo_status_t AppendBytes(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

std::string SmallPng() {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 60, 30);
  cairo_t* cr = cairo_create(surface);
  cairo_set_source_rgb(cr, 0.1, 0.3, 0.7);
  cairo_paint(cr);
  cairo_destroy(cr);
  std::string bytes;
  cairo_surface_write_to_png_stream(surface, AppendBytes, &bytes);
  cairo_surface_destroy(surface);
  return bytes;
}

const Band& FirstHeader(const ReportHarness& harness) {
  return *harness.Bands().front();
}

TEST_F(ProtocoloOffice, HeaderShowsTheEstablishment) {
  AddProtocol(1);
  AddItems(1, 1);
  const auto harness = Run(March("G"));
  const Band& header = FirstHeader(*harness);
  ASSERT_EQ(header.Section, kSecaoCabecalhoBloco);
  EXPECT_EQ(ReportHarness::Value(header, "pNomeEmpresa"), "Padaria Pão Quente Ltda");
  EXPECT_EQ(ReportHarness::Value(header, "pCnpj"), "12.345.678/0001-95");
  EXPECT_EQ(ReportHarness::Value(header, "pEnder"),
            "Rua das Flores 100 Loja 2, Centro - Curitiba PR");
  EXPECT_EQ(ReportHarness::Value(header, "pTelefone"), "41 33334444");
  EXPECT_EQ(ReportHarness::Value(header, "pCompet"), "03/2026");
  const ElementState* telephone = Element(header, "etiTelefone");
  ASSERT_NE(telephone, nullptr);
  EXPECT_TRUE(telephone->Visible);
}

TEST_F(ProtocoloOffice, ConsecutiveBlocksOfOneEstablishmentReadItsAddressOnce) {
  AddProtocol(1);
  AddItems(1, 1);
  AddProtocol(2);
  AddItems(2, 1);
  const auto harness = Run(March("C", {{"pCopia", "2"}}));
  EXPECT_EQ(BandsOf(*harness, kSecaoRodape).size(), 4u);
  EXPECT_EQ(FRecorder.CountStarting(kOwnAddressStatement), 1);
}

TEST_F(ProtocoloOffice, AnotherEstablishmentReadsItsOwnAddress) {
  AddEstablishment(1, 2, "Padaria Pão Quente - Filial", "41", "30001000");
  AddProtocol(1, "Matriz", 1, 1);
  AddItems(1, 1);
  AddProtocol(2, "Filial", 1, 2);
  AddItems(2, 1);
  AddProtocol(3, "Matriz de novo", 1, 1);
  AddItems(3, 1);
  const auto harness = Run(March("C"));
  EXPECT_EQ(FRecorder.CountStarting(kOwnAddressStatement), 3);
  const auto headers = BandsOf(*harness, kSecaoCabecalhoBloco);
  ASSERT_EQ(headers.size(), 3u);
  EXPECT_EQ(ReportHarness::Value(*headers[1], "pNomeEmpresa"), "Padaria Pão Quente - Filial");
  EXPECT_EQ(ReportHarness::Value(*headers[1], "pTelefone"), "41 30001000");
}

TEST_F(ProtocoloOffice, DeliveryAddressWhenTheEstablishmentReceivesElsewhere) {
  FData.Add(office::ProtocolSettings{.SameAddress = "0"});
  FData.Add(office::DeliveryAddress{.StreetType = "Avenida",
                                    .Street = "Brasil",
                                    .HouseNumber = 2000,
                                    .Complement = "Sala 5",
                                    .District = "Batel",
                                    .City = office::kCuritiba});
  AddProtocol(1);
  AddItems(1, 1);
  const auto harness = Run(March("G"));
  const Band& header = FirstHeader(*harness);
  EXPECT_EQ(ReportHarness::Value(header, "pEnder"),
            "Avenida Brasil 2000 Sala 5, Batel - Curitiba PR");
  EXPECT_EQ(ReportHarness::Value(header, "pNomeEmpresa"), "Padaria Pão Quente Ltda");
  EXPECT_EQ(FRecorder.CountStarting(kDeliveryAddressStatement), 1);
  EXPECT_EQ(FRecorder.CountStarting(kOwnAddressStatement), 0);
}

TEST_F(ProtocoloOffice, DeliveryConfiguredWithoutDeliveryAddressUsesTheOwnOne) {
  FData.Add(office::ProtocolSettings{.SameAddress = "0"});
  AddProtocol(1);
  AddItems(1, 1);
  const auto harness = Run(March("G"));
  const Band& header = FirstHeader(*harness);
  EXPECT_EQ(ReportHarness::Value(header, "pNomeEmpresa"), "Padaria Pão Quente Ltda");
  EXPECT_EQ(ReportHarness::Value(header, "pEnder"),
            "Rua das Flores 100 Loja 2, Centro - Curitiba PR");
}

TEST_F(ProtocoloOffice, AnEstablishmentWithoutTelephoneShowsNone) {
  AddEstablishment(1, 2, "Filial sem telefone", "41", "");
  AddProtocol(2, "Com telefone", 1, 1);
  AddItems(2, 1);
  AddProtocol(1, "Sem telefone", 1, 2);
  AddItems(1, 1);
  const auto harness = Run(March("C"));
  const auto headers = BandsOf(*harness, kSecaoCabecalhoBloco);
  ASSERT_EQ(headers.size(), 2u);
  EXPECT_EQ(ReportHarness::Value(*headers[0], "pTelefone"), "41 33334444");
  EXPECT_TRUE(Element(*headers[0], "etiTelefone")->Visible);
  EXPECT_EQ(ReportHarness::Value(*headers[1], "pNomeEmpresa"), "Filial sem telefone");
  EXPECT_FALSE(HasValue(*headers[1], "pTelefone"))
      << ReportHarness::Value(*headers[1], "pTelefone");
  EXPECT_FALSE(Element(*headers[1], "etiTelefone")->Visible);
}

TEST_F(ProtocoloOffice, AnEstablishmentWithoutRegistrationShowsNoZeros) {
  FOffice.Execute("update ESTAB set INSCRFEDERAL = null");
  AddProtocol(1);
  AddItems(1, 1);
  const auto harness = Run(March("G"));
  EXPECT_FALSE(HasValue(FirstHeader(*harness), "pCnpj"))
      << ReportHarness::Value(FirstHeader(*harness), "pCnpj");
}

class ProtocoloLogo : public ProtocoloOffice {
 protected:
  ProtocoloLogo() {
    AddProtocol(1);
    AddItems(1, 1);
  }

  void StoreLogo(const std::string& bytes) {
    FOffice.Execute("update EMPRESA set LOGOTIPOEMPRESA = :logo where CODIGOEMPRESA = 1",
                    {Variant(Blob{bytes})});
  }

  static void ExpectLabelsAt(const Band& header, int left) {
    for (const char* name : {"etiNomeEmpresa", "etiCNPJ", "etiEndereco", "etiTelefone"}) {
      const ElementState* label = Element(header, name);
      ASSERT_NE(label, nullptr) << name;
      EXPECT_EQ(label->Left, left) << name;
    }
  }
};

TEST_F(ProtocoloLogo, TheLongestTextsTheColumnsHoldPrintWholeInBothModes) {
  // A protocol description and an item description as long as their columns allow, the title
  // beside the logo in the large mode.
  StoreLogo(SmallPng());
  std::string title, description;
  while (title.size() + 10 <= 100) title += "Guias de m ";
  while (description.size() + 10 <= 500) description += "Guia DARF ";
  AddProtocol(2, title);
  AddItem(2, 1, description);
  for (const char* mode : {"G", "C"}) {
    const auto harness = Run(March(mode, {{"pCodigoEmpresaLogo", "1"}}));
    for (const Band* band : harness->Bands()) {
      EXPECT_TRUE(band->Clipped.empty())
          << mode << ": section " << band->Section << " cuts " << band->Clipped.front();
    }
  }
}

TEST_F(ProtocoloLogo, APictureMovesTheHeaderBesideIt) {
  StoreLogo(SmallPng());
  const auto harness = Run(March("G", {{"pCodigoEmpresaLogo", "1"}}));
  const Band& header = FirstHeader(*harness);
  EXPECT_TRUE(Element(header, "Logo")->Visible);
  const ElementState* description = Element(header, "etiDescrProtocolo");
  EXPECT_EQ(description->Left, 23 + 176 + 3);
  EXPECT_EQ(description->Width, 754 - 176);
  EXPECT_EQ(Element(header, "etiTitulo")->Left, 202);
  EXPECT_EQ(Element(header, "etiTitulo")->Width, 575);
  ExpectLabelsAt(header, 202);
  bool drawn = false;
  for (const DrawItem& item : header.Items)
    drawn = drawn || std::holds_alternative<ImageItem>(item);
  EXPECT_TRUE(drawn) << "the logo is not drawn";
}

TEST_F(ProtocoloLogo, NoCompanyMeansNoLogoAndNoQuery) {
  StoreLogo(SmallPng());
  for (const std::string company : {"", "0", "x"}) {
    const auto harness = Run(March("G", {{"pCodigoEmpresaLogo", company}}));
    const Band& header = FirstHeader(*harness);
    EXPECT_FALSE(Element(header, "Logo")->Visible);
    EXPECT_EQ(Element(header, "etiDescrProtocolo")->Left, 23);
    EXPECT_EQ(Element(header, "etiDescrProtocolo")->Width, 754);
    EXPECT_EQ(Element(header, "etiTitulo")->Width, 754);
    ExpectLabelsAt(header, 23);
  }
  EXPECT_EQ(FRecorder.CountStarting(kLogoStatement), 0);
}

TEST_F(ProtocoloLogo, ACompanyWithoutPictureHasNoLogo) {
  const auto harness = Run(March("G", {{"pCodigoEmpresaLogo", "1"}}));
  EXPECT_EQ(FRecorder.CountStarting(kLogoStatement), 1);
  EXPECT_FALSE(Element(FirstHeader(*harness), "Logo")->Visible);
  ExpectLabelsAt(FirstHeader(*harness), 23);
}

TEST_F(ProtocoloLogo, BytesOfNoKnownPictureFormatAreLeftOut) {
  StoreLogo("isto não é uma imagem");
  const auto harness = Run(March("G", {{"pCodigoEmpresaLogo", "1"}}));
  EXPECT_FALSE(Element(FirstHeader(*harness), "Logo")->Visible);
  ExpectLabelsAt(FirstHeader(*harness), 23);
}

TEST_F(ProtocoloLogo, ABrokenPictureEndsTheRun) {
  StoreLogo(std::string("\x89PNG\r\n\x1a\n", 8) + "corrompido");
  ReportHarness harness("KdrProtocolo", March("G", {{"pCodigoEmpresaLogo", "1"}}));
  EXPECT_THROW(harness.Run<TKdrProtocolo>(), Exception);
  EXPECT_FALSE(harness.Writer().OnAfterSection);
}

TEST_F(ProtocoloLogo, CompactModeReadsNoLogo) {
  StoreLogo(SmallPng());
  const auto harness = Run(March("C", {{"pCodigoEmpresaLogo", "1"}}));
  EXPECT_EQ(FRecorder.CountStarting(kLogoStatement), 0);
  EXPECT_EQ(Element(FirstHeader(*harness), "Logo"), nullptr) << "nothing moved or shown";
}

}  // namespace
