// The walk over protocols, copies and items in one-column mode: blocks of a fixed number of
// rows filled up with empty rows, two blocks to a page, the fit rule for wrapped descriptions,
// and what each item line shows.
#include "SysUtils.h"
#include "protocol_print/ProtocoloOffice.h"
#include "protocol_print/Sections.h"
#include "report/ParameterList.h"

using namespace protocolo;

namespace {

// A block's opening: its header, the heading and the item column titles.
const std::vector<int> kAberturaUmaColuna = {kSecaoCabecalhoBloco, kSecaoTituloItens,
                                             kSecaoTitulosItensUmaColuna};

}  // namespace

namespace {

using Sections = std::vector<int>;

// A compact block of `items` single-line items: header, headings, items, filler, footer.
Sections CompactBlock(int items) {
  return Join({kAberturaUmaColuna,
               Repeat(kSecaoItemUmaColuna, items),
               Repeat(kSecaoItemUmaColuna, 5 - items),
               {kSecaoRodape}});
}
Sections LargeBlock(int items) {
  return Join({kAberturaUmaColuna,
               Repeat(kSecaoItemUmaColuna, items),
               Repeat(kSecaoItemUmaColuna, 12 - items),
               {kSecaoRodape}});
}

std::vector<std::string> Descriptions(const ReportHarness& harness) {
  std::vector<std::string> texts;
  for (const Band* band : harness.Bands()) {
    if (band->Section == kSecaoItemUmaColuna) texts.push_back(ReportHarness::Value(*band, "pDesc"));
  }
  return texts;
}

TEST_F(ProtocoloOffice, ABlockIsFilledUpWithEmptyRows) {
  AddProtocol(1);
  AddItem(1, 1, "DAS - Simples Nacional", "1234.50", Variant("2026-03-20"), Variant("2026-02-01"));
  AddItem(1, 2, "FGTS", "0.07");
  const auto harness = Run(March("C"));

  EXPECT_EQ(PageSections(*harness), std::vector<Sections>{CompactBlock(2)});
  const auto rows = BandsOf(*harness, kSecaoItemUmaColuna);
  ASSERT_EQ(rows.size(), 5u);
  // Items from the highest sequence down.
  EXPECT_EQ(ReportHarness::Value(*rows[0], "pDesc"), "FGTS");
  EXPECT_EQ(ReportHarness::Value(*rows[0], "pVal"), "0,07");
  const Band& das = *rows[1];
  EXPECT_EQ(ReportHarness::Value(das, "pDesc"), "DAS - Simples Nacional");
  EXPECT_EQ(ReportHarness::Value(das, "pVal"), "1.234,50");
  EXPECT_EQ(ReportHarness::Value(das, "pVcto"), "20/03/2026");
  EXPECT_EQ(ReportHarness::Value(das, "pCompet"), "02/2026");
  for (std::size_t i = 2; i < rows.size(); ++i) {
    for (const char* name : {"pDesc", "pVal", "pVcto", "pCompet"}) {
      EXPECT_FALSE(HasValue(*rows[i], name)) << "filler row " << i << " shows " << name;
    }
  }
  const Band& header = *harness->Bands().front();
  EXPECT_EQ(ReportHarness::Value(header, "pDescrProtocolo"), "Protocolo: 00001 - Guias de março");
}

TEST_F(ProtocoloOffice, ItemsWithoutDueDateOrCompetenceShowNone) {
  AddProtocol(1);
  AddItem(1, 1, "Contrato social", "0", Variant(), Variant());
  const auto harness = Run(March("G"));
  const Band& item = *BandsOf(*harness, kSecaoItemUmaColuna).front();
  EXPECT_EQ(ReportHarness::Value(item, "pDesc"), "Contrato social");
  EXPECT_EQ(ReportHarness::Value(item, "pVal"), "0,00");
  EXPECT_FALSE(HasValue(item, "pVcto"));
  EXPECT_FALSE(HasValue(item, "pCompet")) << ReportHarness::Value(item, "pCompet");
  EXPECT_FALSE(HasValue(*harness->Bands().front(), "pCompet"));
}

TEST_F(ProtocoloOffice, TwoCompactBlocksShareAPageAroundTheCutLine) {
  for (int code = 1; code <= 3; ++code) {
    AddProtocol(code, "Protocolo " + std::to_string(code));
    AddItems(code, 1);
  }
  const auto harness = Run(March("C"));
  EXPECT_EQ(PageSections(*harness),
            (std::vector<Sections>{
                Join({CompactBlock(1), {kSecaoRecorte, kSecaoEspacoEntreBlocos}, CompactBlock(1)}),
                CompactBlock(1)}));
  // Each header shows its own protocol: the highest number first.
  const auto headers = BandsOf(*harness, kSecaoCabecalhoBloco);
  ASSERT_EQ(headers.size(), 3u);
  EXPECT_EQ(ReportHarness::Value(*headers[0], "pDescrProtocolo"), "Protocolo: 00003 - Protocolo 3");
  EXPECT_EQ(ReportHarness::Value(*headers[1], "pDescrProtocolo"), "Protocolo: 00002 - Protocolo 2");
  EXPECT_EQ(ReportHarness::Value(*headers[2], "pDescrProtocolo"), "Protocolo: 00001 - Protocolo 1");
}

TEST_F(ProtocoloOffice, ItemsBeyondABlockContinueUnderTheSameHeader) {
  AddProtocol(7, "Folha");
  AddItems(7, 8);
  const auto harness = Run(March("C"));
  EXPECT_EQ(PageSections(*harness),
            std::vector<Sections>{Join(
                {CompactBlock(5), {kSecaoRecorte, kSecaoEspacoEntreBlocos}, CompactBlock(3)})});
  for (const Band* header : BandsOf(*harness, kSecaoCabecalhoBloco)) {
    EXPECT_EQ(ReportHarness::Value(*header, "pDescrProtocolo"), "Protocolo: 00007 - Folha");
  }
}

TEST_F(ProtocoloOffice, EveryCopyIsABlockOfItsOwn) {
  AddProtocol(1);
  AddItems(1, 2);
  const auto harness = Run(March("C", {{"pCopia", "2"}}));
  EXPECT_EQ(PageSections(*harness),
            std::vector<Sections>{Join(
                {CompactBlock(2), {kSecaoRecorte, kSecaoEspacoEntreBlocos}, CompactBlock(2)})});
  EXPECT_EQ(Descriptions(*harness), (std::vector<std::string>{"Item 2", "Item 1", "", "", "",
                                                              "Item 2", "Item 1", "", "", ""}));
}

TEST_F(ProtocoloOffice, CopiesThatAreNoPositiveNumber) {
  AddProtocol(1);
  AddItems(1, 2);
  EXPECT_TRUE(Run(March("C", {{"pCopia", "0"}}))->Sink.Pages.empty());
  EXPECT_TRUE(Run(March("C", {{"pCopia", "-1"}}))->Sink.Pages.empty());
  EXPECT_EQ(PageSections(*Run(March("C", {{"pCopia", "duas"}}))),
            std::vector<Sections>{CompactBlock(2)});
}

TEST_F(ProtocoloOffice, ADescriptionLongerThanABlockPrintsWholeWithoutFiller) {
  AddProtocol(1);
  AddItem(1, 1, "Linha 1\nLinha 2\nLinha 3\nLinha 4\nLinha 5\nLinha 6\nLinha 7", "99.90");
  const auto harness = Run(March("C"));
  EXPECT_EQ(PageSections(*harness),
            std::vector<Sections>{
                Join({kAberturaUmaColuna, Repeat(kSecaoItemUmaColuna, 7), {kSecaoRodape}})});
  const auto rows = BandsOf(*harness, kSecaoItemUmaColuna);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(ReportHarness::Value(*rows[i], "pDesc"), "Linha " + std::to_string(i + 1));
    const bool last = i + 1 == rows.size();
    // Value and due date go on the item's last line only; the competence is the block's.
    for (const char* name : {"pVal", "pVcto"}) {
      EXPECT_EQ(HasValue(*rows[i], name), last) << name << " on line " << i + 1;
    }
    EXPECT_TRUE(HasValue(*rows[i], "pCompet")) << "line " << i + 1;
  }
}

TEST_F(ProtocoloOffice, ABlockThatFillsThePageSendsTheNextToANewPage) {
  std::string lines = "Linha 1";
  for (int i = 2; i <= 24; ++i) lines += "\nLinha " + std::to_string(i);
  AddProtocol(2, "Longo");
  AddItem(2, 1, lines);
  AddProtocol(1, "Seguinte");
  AddItems(1, 1);
  const auto harness = Run(March("C"));
  // No cut line and no second header at the top of a page that has its own header.
  EXPECT_EQ(PageSections(*harness),
            (std::vector<Sections>{
                Join({kAberturaUmaColuna, Repeat(kSecaoItemUmaColuna, 24), {kSecaoRodape}}),
                CompactBlock(1)}));
  EXPECT_EQ(ReportHarness::Value(*BandsOf(*harness, kSecaoCabecalhoBloco)[1], "pDescrProtocolo"),
            "Protocolo: 00001 - Seguinte");
}

TEST_F(ProtocoloOffice, AWrappedItemThatDoesNotFitStartsTheNextBlock) {
  AddProtocol(1);
  AddItem(1, 1, "Primeira linha\nSegunda linha\nTerceira linha\nQuarta linha");
  for (int i = 2; i <= 9; ++i) AddItem(1, i, "Item " + std::to_string(i));
  const auto harness = Run(March("G"));
  // Eight items fill rows 2 to 9; four more lines do not fit behind them.
  EXPECT_EQ(PageSections(*harness),
            std::vector<Sections>{Join({LargeBlock(8), {kSecaoEspacoEntreBlocos}, LargeBlock(4)})});
  EXPECT_EQ(ReportHarness::Value(*BandsOf(*harness, kSecaoItemUmaColuna)[12], "pDesc"),
            "Primeira linha");
}

TEST_F(ProtocoloOffice, LargeModeFitRuleAtItsLimits) {
  // Three lines still fit behind nine items (row 10); behind ten they do not.
  AddProtocol(2);
  AddItem(2, 1, "a\nb\nc");
  for (int i = 2; i <= 9; ++i) AddItem(2, i, "Item " + std::to_string(i));
  AddProtocol(1);
  AddItem(1, 1, "a\nb\nc");
  for (int i = 2; i <= 10; ++i) AddItem(1, i, "Item " + std::to_string(i));
  const auto harness = Run(March("G"));
  EXPECT_EQ(PageSections(*harness),
            (std::vector<Sections>{Join({LargeBlock(11), {kSecaoEspacoEntreBlocos}, LargeBlock(9)}),
                                   LargeBlock(3)}));
}

TEST_F(ProtocoloOffice, LargeModeTwoLineItemAtTheLastRowStillPrints) {
  AddProtocol(1);
  AddItem(1, 1, "Penúltima\nÚltima");
  for (int i = 2; i <= 12; ++i) AddItem(1, i, "Item " + std::to_string(i));
  const auto harness = Run(March("G"));
  // Rows 2 to 12 hold eleven items; the two lines make the block 14 rows, with no filler.
  EXPECT_EQ(PageSections(*harness),
            std::vector<Sections>{
                Join({kAberturaUmaColuna, Repeat(kSecaoItemUmaColuna, 13), {kSecaoRodape}})});
  EXPECT_EQ(Descriptions(*harness).back(), "Última");
}

TEST_F(ProtocoloOffice, CompactBlocksThatGrowByTheFitRuleKeepTheirFootersOnThePage) {
  // Two single lines and then a four-line item, which the fit rule still lets into the block:
  // each block grows one row past its room, and both still end on the page with their footer.
  const std::string word(40, 'W');  // two of them never share a line
  const std::string fourLines = word + " " + word + " " + word + " " + word;
  for (int protocol : {2, 1}) {
    AddProtocol(protocol);
    AddItem(protocol, 1, fourLines);
    AddItem(protocol, 2, "DAS");
    AddItem(protocol, 3, "FGTS");
  }
  const auto harness = Run(March("C"));

  const std::vector<int> opening = {kSecaoCabecalhoBloco, kSecaoTituloItens,
                                    kSecaoTitulosItensUmaColuna};
  EXPECT_EQ(
      PageSections(*harness),
      std::vector<std::vector<int>>{Join({opening,
                                          Repeat(kSecaoItemUmaColuna, 6),
                                          {kSecaoRodape, kSecaoRecorte, kSecaoEspacoEntreBlocos},
                                          opening,
                                          Repeat(kSecaoItemUmaColuna, 6),
                                          {kSecaoRodape}})});
}

TEST_F(ProtocoloOffice, DescriptionsWiderThanTheirLabelAreReflowedShortOrLong) {
  // Longer than 70 characters with its line break, the second is re-flowed by rule; the first
  // is not, but is still too wide for the description and is re-flowed rather than cut.
  AddProtocol(2);
  AddItem(2, 1, std::string(68, 'W'));
  AddProtocol(1);
  AddItem(1, 1, std::string(69, 'W'));
  const auto harness = Run(March("G"));
  const auto texts = Descriptions(*harness);
  ASSERT_GE(texts.size(), 14u);
  EXPECT_LT(texts[0].size(), 68u);
  EXPECT_EQ(texts[0] + texts[1], std::string(68, 'W'));
  EXPECT_EQ(texts[2], "");
  EXPECT_LT(texts[12].size(), 69u);
  EXPECT_EQ(texts[12] + texts[13], std::string(69, 'W'));
  for (const Band* line : BandsOf(*harness, kSecaoItemUmaColuna)) {
    EXPECT_TRUE(line->Clipped.empty()) << ReportHarness::Value(*line, "pDesc");
  }
}

TEST_F(ProtocoloOffice, RouteModePrintsStopsFromTheLastDown) {
  AddEstablishment(1, 2, "Padaria Pão Quente - Filial", "41", "30001000");
  FData.Add(office::RouteStop{.Route = 1, .Number = 1, .Sequence = 1})
      .Add(office::RouteStop{.Route = 1, .Number = 2, .Sequence = 2});
  AddProtocol(1, "Matriz", 1, 1);
  AddItems(1, 1);
  AddProtocol(2, "Filial", 1, 2);
  AddItems(2, 1);
  AddProtocol(3, "Sem rota", 1, 3);
  AddItems(3, 1);
  const auto harness = Run(March("C", {{"pCodigoRota", "1"}}));
  const auto headers = BandsOf(*harness, kSecaoCabecalhoBloco);
  ASSERT_EQ(headers.size(), 2u);
  EXPECT_EQ(ReportHarness::Value(*headers[0], "pDescrProtocolo"), "Protocolo: 00002 - Filial");
  EXPECT_EQ(ReportHarness::Value(*headers[1], "pDescrProtocolo"), "Protocolo: 00001 - Matriz");
}

TEST_F(ProtocoloOffice, AnEstablishmentOnTwoRoutesGetsAReceiptPerRoute) {
  FData.Add(office::RouteStop{.Route = 1, .Sequence = 4})
      .Add(office::RouteStop{.Route = 2, .Sequence = 1});
  AddProtocol(1);
  AddItems(1, 2);
  const auto harness = Run(March("C", {{"pCodigoRota", "1-2"}}));
  EXPECT_EQ(PageSections(*harness),
            std::vector<Sections>{Join(
                {CompactBlock(2), {kSecaoRecorte, kSecaoEspacoEntreBlocos}, CompactBlock(2)})});
}

TEST_F(ProtocoloOffice, ClientAndOfficeTextsAreCutToTheirLengths) {
  AddProtocol(1);
  AddItems(1, 1);
  const std::string office = "Escritório Contábil Horizonte e Associados Ltda";
  const std::string client = "Assinatura do responsável pela empresa cliente";
  const auto harness = Run(March("G", {{"pEscrit", office}, {"pCliente", client}}));
  const Band& footer = *BandsOf(*harness, kSecaoRodape).front();
  EXPECT_EQ(ReportHarness::Value(footer, "pEscrit"), LeftChars(office, 30));
  EXPECT_EQ(ReportHarness::Value(footer, "pCliente"), LeftChars(client, 32));
}

class RecordingProgress : public ProgressReporter {
 public:
  void Update(int position, int total) override { Updates.emplace_back(position, total); }
  void Done() override {}
  std::vector<std::pair<int, int>> Updates;
};

TEST_F(ProtocoloOffice, ProgressCountsItemCopies) {
  AddProtocol(1);
  AddItems(1, 2);
  const ReportDefinition definition =
      LoadReportDefinition(std::string(KDR_SOURCE_DIR) + "/reports/KdrProtocolo.json");
  auto params = BuildParameterList(definition, March("C", {{"pCopia", "2"}}));
  CapturingSink sink;
  RecordingProgress progress;
  ReportWriter writer(definition, *params, nullptr, ReportHarness::Metrics(), sink, &progress);
  {
    TKdrProtocolo report(&writer);
    report.ImprimirInterno();
  }
  EXPECT_EQ(progress.Updates, (std::vector<std::pair<int, int>>{{1, 4}, {2, 4}, {3, 4}, {4, 4}}));
}

TEST_F(ProtocoloOffice, AFailedRunLeavesNoHandlerBehind) {
  AddProtocol(1);
  AddItems(1, 1);
  FRecorder.FailOn = kOwnAddressStatement;
  ReportHarness harness("KdrProtocolo", March("G"));
  TKdrProtocolo report(&harness.Writer());
  EXPECT_THROW(report.ImprimirInterno(), EDatabaseError);
  EXPECT_FALSE(harness.Writer().OnAfterSection) << "handler still attached to a live report";
}

}  // namespace
