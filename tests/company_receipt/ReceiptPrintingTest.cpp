// The receipt's printing: the order of its sections, the item lines with wrapped descriptions,
// the receipt line, the protocol header with its address and telephone, and the clean-up.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DataAccess.h"
#include "Exception.h"
#include "company_receipt/ReceiptOffice.h"
#include "company_receipt/Sections.h"

using namespace protocolo_empresa;

namespace {

// Three words of which no two fit the description's width together.
const std::string kA(20, 'A');
const std::string kB(20, 'B');
const std::string kC(20, 'C');

// Where establishment 1 has its protocols delivered when a test configures it so.
const office::DeliveryAddress kTravessaEntrega{.StreetType = "Travessa",
                                               .Street = "Entrega",
                                               .HouseNumber = 45,
                                               .Complement = std::nullopt,
                                               .District = "Vila Nova",
                                               .State = "SC",
                                               .City = 2};

class ItemLines : public ReceiptTest {};

TEST_F(ItemLines, OneProtocolOfThreeSingleLineItems) {
  Protocolo(7, 1, 1, "Guias de março");
  Item(7, 1, "DAS - Simples Nacional");
  Item(7, 2, "FGTS", "0.07");
  Item(7, 3, "INSS", "1234567.89");
  const auto harness = Run();

  EXPECT_EQ(harness->Sections(),
            (std::vector<int>{kSecaoCabecalhoPagina, kSecaoCabecalhoEstab, kSecaoItem, kSecaoItem,
                              kSecaoItem, kSecaoFechamento}));
  const auto items = BandsOf(*harness, kSecaoItem);
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(Value(items[0], "pTexto"), kReceiptLine);
  EXPECT_EQ(Value(items[1], "pTexto"), "");
  EXPECT_EQ(Value(items[2], "pTexto"), "");

  EXPECT_EQ(Value(items[0], "pDataLcto"), "10/03/2026");
  EXPECT_EQ(Value(items[0], "pDescricao"), "DAS - Simples Nacional");
  EXPECT_EQ(Value(items[0], "pDataVcto"), "20/03/2026");
  EXPECT_EQ(Value(items[0], "pCompet"), "02/2026");
  EXPECT_EQ(Value(items[0], "pValor"), "1.234,50");
  EXPECT_EQ(Value(items[1], "pValor"), "0,07");
  EXPECT_EQ(Value(items[2], "pValor"), "1.234.567,89");
  EXPECT_EQ(Value(items[2], "pDataLcto"), "10/03/2026") << "every item shows its launch date";
}

TEST_F(ItemLines, WrappedDescriptionShowsDatesAndValueOnItsFirstAndLastLines) {
  Protocolo(7, 1, 1, "Guias");
  Item(7, 1, kA + " " + kB + " " + kC);
  Item(7, 2, "FGTS");
  const auto harness = Run();

  EXPECT_EQ(harness->Sections(),
            (std::vector<int>{kSecaoCabecalhoPagina, kSecaoCabecalhoEstab, kSecaoItem, kSecaoItem,
                              kSecaoItem, kSecaoItem, kSecaoFechamento}));
  const auto lines = BandsOf(*harness, kSecaoItem);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(Value(lines[0], "pDescricao"), kA);
  EXPECT_EQ(Value(lines[1], "pDescricao"), kB);
  EXPECT_EQ(Value(lines[2], "pDescricao"), kC);
  EXPECT_EQ(Value(lines[0], "pDataLcto"), "10/03/2026");
  EXPECT_EQ(Value(lines[1], "pDataLcto"), "");
  EXPECT_EQ(Value(lines[2], "pDataLcto"), "");
  for (const char* onLastLine : {"pDataVcto", "pCompet", "pValor"}) {
    EXPECT_EQ(Value(lines[0], onLastLine), "") << onLastLine;
    EXPECT_EQ(Value(lines[1], onLastLine), "") << onLastLine;
    EXPECT_NE(Value(lines[2], onLastLine), "") << onLastLine;
  }
  // The receipt line stands on the protocol's first line alone, not on every line of a
  // wrapped first item.
  EXPECT_EQ(Value(lines[0], "pTexto"), kReceiptLine);
  for (int line = 1; line < 4; ++line) EXPECT_EQ(Value(lines[line], "pTexto"), "") << line;
}

TEST_F(ItemLines, ShortDescriptionsPrintWholeEvenInCapitals) {
  // A tax guide's name in capitals fits the description as it is; a short text too wide even
  // so is wrapped like a long one rather than cut at the label's edge.
  const std::string guia = "GUIA DARF IRPJ LUCRO PRESUMIDO MM";
  const std::string wide33 = std::string(16, 'W') + " " + std::string(16, 'W');
  const std::string wide34 = std::string(16, 'W') + " " + std::string(17, 'W');
  Protocolo(1, 1, 1, "Um");
  Item(1, 1, guia);
  Protocolo(2, 1, 1, "Dois");
  Item(2, 1, wide33);
  Protocolo(3, 1, 1, "Três");
  Item(3, 1, wide34);
  const auto harness = Run();

  std::vector<std::string> descriptions;
  for (const Band* band : BandsOf(*harness, kSecaoItem)) {
    descriptions.push_back(Value(band, "pDescricao"));
    EXPECT_TRUE(band->Clipped.empty()) << Value(band, "pDescricao") << " loses its end";
  }
  EXPECT_EQ(descriptions,
            (std::vector<std::string>{guia, std::string(16, 'W'), std::string(16, 'W'),
                                      std::string(16, 'W'), std::string(17, 'W')}));
}

TEST_F(ItemLines, TheLongestTextsTheColumnsHoldPrintWhole) {
  // A protocol description and an item description as long as their columns allow.
  std::string title, description;
  while (title.size() + 10 <= 100) title += "Guias de m ";
  while (description.size() + 10 <= 500) description += "Guia DARF ";
  Protocolo(7, 1, 1, title);
  Item(7, 1, description);
  const auto harness = Run();
  for (const Band* band : harness->Bands()) {
    EXPECT_TRUE(band->Clipped.empty())
        << "section " << band->Section << " cuts " << band->Clipped.front();
  }
}

TEST_F(ItemLines, LineBreaksInADescriptionStartNewLines) {
  Protocolo(7, 1, 1, "Guias");
  Item(7, 1, "Linha um\nLinha dois\r\nTrês");
  const auto harness = Run();
  const auto lines = BandsOf(*harness, kSecaoItem);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(Value(lines[0], "pDescricao"), "Linha um");
  EXPECT_EQ(Value(lines[1], "pDescricao"), "Linha dois");
  EXPECT_EQ(Value(lines[2], "pDescricao"), "Três");
  EXPECT_EQ(Value(lines[0], "pValor"), "");
  EXPECT_EQ(Value(lines[2], "pValor"), "1.234,50");
}

TEST_F(ItemLines, EmptyDescriptionPrintsOneLine) {
  Protocolo(7, 1, 1, "Guias");
  Item(7, 1, "");
  const auto harness = Run();
  const auto lines = BandsOf(*harness, kSecaoItem);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(Value(lines[0], "pDescricao"), "");
  EXPECT_EQ(Value(lines[0], "pDataLcto"), "10/03/2026");
  EXPECT_EQ(Value(lines[0], "pValor"), "1.234,50");
}

TEST_F(ItemLines, MissingCompetenceAndValue) {
  Protocolo(7, 1, 1, "Guias");
  Data.Add(office::Item{.Protocol = 7,
                        .Sequence = 1,
                        .Description = "Recibo",
                        .Value = std::nullopt,
                        .Due = std::nullopt,
                        .Competence = std::nullopt});
  const auto harness = Run();
  const auto lines = BandsOf(*harness, kSecaoItem);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(Value(lines[0], "pCompet"), "") << "not the month of the zero date";
  EXPECT_EQ(Value(lines[0], "pDataVcto"), "");
  EXPECT_EQ(Value(lines[0], "pValor"), "0,00");
}

TEST_F(ItemLines, OfficeNameIsCutToThirtyCharacters) {
  Protocolo(7, 1, 1, "Guias");
  Item(7, 1, "DAS");
  const auto harness = Run({{"pEscrit", "Escritório Contábil São João da Boa Vista"}});
  EXPECT_EQ(Value(harness->Bands().front(), "pEscrit"), "Escritório Contábil São João d");
}

class ProtocolHeader : public ReceiptTest {};

TEST_F(ProtocolHeader, ShowsProtocolCompanyAndAddress) {
  Protocolo(7, 1, 1, "Guias de março");
  Protocolo(123456, 1, 1, "Folha");
  Item(7, 1, "DAS");
  Item(123456, 1, "FGTS");
  const auto harness = Run();
  const auto headers = BandsOf(*harness, kSecaoCabecalhoEstab);
  ASSERT_EQ(headers.size(), 2u);
  EXPECT_EQ(Value(headers[0], "pDescrProtocolo"), "Protocolo: 00007 - Guias de março");
  EXPECT_EQ(Value(headers[1], "pDescrProtocolo"), "Protocolo: 123456 - Folha");
  EXPECT_EQ(Value(headers[0], "pNomeEmpresa"), "Padaria Pão Quente Ltda - Matriz");
  EXPECT_EQ(Value(headers[0], "pTexto"),
            "Endereço: Rua Nove, 120, Sala 3, Centro, Curitiba / PR        Telefone: " +
                FormatarFone("41", "33334444", ""));
}

TEST_F(ProtocolHeader, ConsecutiveProtocolsOfOneEstablishmentEachGetAHeader) {
  Protocolo(1, 1, 1, "Um");
  Protocolo(2, 1, 1, "Dois");
  Item(1, 1, "DAS");
  Item(2, 1, "FGTS");
  Item(2, 2, "INSS");
  const auto harness = Run();
  EXPECT_EQ(
      harness->Sections(),
      (std::vector<int>{kSecaoCabecalhoPagina, kSecaoCabecalhoEstab, kSecaoItem, kSecaoFechamento,
                        kSecaoCabecalhoEstab, kSecaoItem, kSecaoItem, kSecaoFechamento}));
  const auto items = BandsOf(*harness, kSecaoItem);
  EXPECT_EQ(Value(items[0], "pTexto"), kReceiptLine);
  EXPECT_EQ(Value(items[1], "pTexto"), kReceiptLine) << "each protocol has its receipt line";
  EXPECT_EQ(Value(items[2], "pTexto"), "");
}

TEST_F(ProtocolHeader, MissingPartsLeaveNoSeparatorsBehind) {
  Estab(1, 2, "Filial", 2, "Brasil", 0, std::nullopt, "  ", std::nullopt, "33335555");
  Estab(1, 3, "Depósito", 1, "Um", 5, std::nullopt, std::nullopt, "41", std::nullopt);
  Estab(1, 4, "Loja", 1, "Dois", 6, std::nullopt, std::nullopt, "41", "");
  for (int estab = 2; estab <= 4; ++estab) {
    Protocolo(estab, 1, estab, "P");
    Item(estab, 1, "DAS");
  }
  const auto harness = Run();
  const auto headers = BandsOf(*harness, kSecaoCabecalhoEstab);
  ASSERT_EQ(headers.size(), 3u);
  EXPECT_EQ(Value(headers[0], "pTexto"),
            "Endereço: Avenida Brasil, Curitiba / PR        Telefone: " +
                FormatarFone("", "33335555", ""));
  EXPECT_EQ(Value(headers[1], "pTexto"), "Endereço: Rua Um, 5, Curitiba / PR");
  EXPECT_EQ(Value(headers[2], "pTexto"), "Endereço: Rua Dois, 6, Curitiba / PR");
}

TEST_F(ProtocolHeader, EstablishmentWithoutAddressRowStillGetsItsOwnHeader) {
  // No street type nor city: no address row.
  Data.Add(office::NamesOnly(2, 1, std::nullopt, "Oficina"));
  Protocolo(1, 1, 1, "Um");
  Protocolo(2, 2, 1, "Dois");
  Item(1, 1, "DAS");
  Item(2, 1, "FGTS");
  const auto harness = Run();
  EXPECT_EQ(
      harness->Sections(),
      (std::vector<int>{kSecaoCabecalhoPagina, kSecaoCabecalhoEstab, kSecaoItem, kSecaoFechamento,
                        kSecaoCabecalhoEstab, kSecaoItem, kSecaoFechamento}));
  const auto headers = BandsOf(*harness, kSecaoCabecalhoEstab);
  EXPECT_EQ(Value(headers[1], "pDescrProtocolo"), "Protocolo: 00002 - Dois");
  EXPECT_EQ(Value(headers[1], "pNomeEmpresa"), "") << "not the previous protocol's company";
  EXPECT_EQ(Value(headers[1], "pTexto"), "");
  EXPECT_EQ(Value(BandsOf(*harness, kSecaoItem)[1], "pTexto"), kReceiptLine);
}

TEST_F(ProtocolHeader, DeliveryAddressWinsOverTheOwnAddressInAnyRowOrder) {
  Data.Add(office::ProtocolSettings{.SameAddress = "0", .DeliveryKind = "2"});
  Data.Add(kTravessaEntrega);
  Protocolo(7, 1, 1, "Guias");
  Item(7, 1, "DAS");
  for (const bool reversed : {false, true}) {
    Engine.ReverseRows = reversed;
    const auto harness = Run();
    const auto headers = BandsOf(*harness, kSecaoCabecalhoEstab);
    ASSERT_EQ(headers.size(), 1u);
    EXPECT_EQ(
        Value(headers[0], "pTexto")
            .rfind("Endereço: Travessa Entrega, 45, Vila Nova, Joinville / SC        Telefone: ",
                   0),
        0u)
        << Value(headers[0], "pTexto") << (reversed ? " (rows reversed)" : "");
  }
}

TEST_F(ProtocolHeader, OwnAddressWhenDeliveryIsNotConfigured) {
  Data.Add(office::ProtocolSettings{.SameAddress = "1", .DeliveryKind = "2"});
  Data.Add(kTravessaEntrega);
  Protocolo(7, 1, 1, "Guias");
  Item(7, 1, "DAS");
  const auto harness = Run();
  EXPECT_EQ(Value(BandsOf(*harness, kSecaoCabecalhoEstab).at(0), "pTexto")
                .rfind("Endereço: Rua Nove, 120", 0),
            0u);
}

TEST_F(ProtocolHeader, AProtocolOnTwoSelectedRoutesIsOneReceiptPerRoute) {
  // The establishment is the last stop of route 1 and the first of route 2, so its protocol's
  // rows of the two routes follow one another.
  Estab(1, 2, "Filial", 1, "Dez", 10, std::nullopt, "Centro", "41", "33335555");
  Data.Add(office::RouteStop{.Route = 1, .Company = 1, .Number = 2, .Sequence = 1});
  Data.Add(office::RouteStop{.Route = 1, .Company = 1, .Number = 1, .Sequence = 2});
  Data.Add(office::RouteStop{.Route = 2, .Company = 1, .Number = 1, .Sequence = 1});
  Protocolo(7, 1, 1, "Guias");
  Item(7, 1, "DAS");
  Item(7, 2, "FGTS");
  const auto harness = Run({{"pCodigoRota", "1-2"}});

  EXPECT_EQ(harness->Sections(),
            (std::vector<int>{kSecaoCabecalhoPagina, kSecaoCabecalhoEstab, kSecaoItem, kSecaoItem,
                              kSecaoFechamento, kSecaoCabecalhoEstab, kSecaoItem, kSecaoItem,
                              kSecaoFechamento}));
  const auto items = BandsOf(*harness, kSecaoItem);
  ASSERT_EQ(items.size(), 4u);
  EXPECT_EQ(Value(items[0], "pTexto"), kReceiptLine);
  EXPECT_EQ(Value(items[1], "pTexto"), "");
  EXPECT_EQ(Value(items[2], "pTexto"), kReceiptLine) << "each route's receipt is dated";
}

class RunLifecycle : public ReceiptTest {};

TEST_F(RunLifecycle, ItemsOfOtherStatesAreLeftOut) {
  Protocolo(1, 1, 1, "Aberto");
  Data.Add(office::Protocol{
      .Code = 2, .Note = "Baixado", .Nature = "E", .WrittenOff = "2026-03-15 10:00:00"});
  Protocolo(3, 1, 1, "Abril", "2026-04-01");
  Item(1, 1, "Vale");
  Item(2, 1, "Baixado");
  Item(3, 1, "Fora do período");
  Data.Add(office::Item{.Protocol = 1,
                        .Sequence = 2,
                        .Description = "Cancelado",
                        .Value = std::nullopt,
                        .Due = std::nullopt,
                        .Competence = std::nullopt,
                        .Cancelled = "1"});
  const auto harness = Run();
  const auto items = BandsOf(*harness, kSecaoItem);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(Value(items[0], "pDescricao"), "Vale");
}

TEST_F(RunLifecycle, AnErrorWhilePrintingReachesTheCallerAfterTheCleanUp) {
  Protocolo(7, 1, 1, "Guias");
  Item(7, 1, "DAS");
  Engine.FailQuery = 2;  // the address statement, at the first header
  ReportHarness harness("KdrProtocoloEmpresa",
                        {{"pDataInicial", "01/03/2026"}, {"pDataFinal", "31/03/2026"}});
  harness.Writer().OnAfterSection = [](TObject*, int) {};
  EXPECT_THROW(
      {
        try {
          harness.Run<TKdrProtocoloEmpresa>();
        } catch (const EDatabaseError& error) {
          EXPECT_STREQ(error.what(), "conexão perdida");
          throw;
        }
      },
      EDatabaseError);
  EXPECT_FALSE(harness.Writer().OnAfterSection) << "no handler left on the report";
}

}  // namespace
