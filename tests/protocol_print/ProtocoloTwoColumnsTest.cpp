// Two-column mode: two items to a row, an odd item alone on the block's last row, and the
// protocols whose item texts did not fit one line, reported after the run.
#include "protocol_print/ProtocoloOffice.h"
#include "protocol_print/Sections.h"

using namespace protocolo;

namespace {

// A block's opening: its header, the heading and the item column titles.
const std::vector<int> kAberturaDuasColunas = {kSecaoCabecalhoBloco, kSecaoTituloItens,
                                               kSecaoTitulosItensDuasColunas};

}  // namespace

namespace {

using Sections = std::vector<int>;

const std::string kLongText =
    "Pagamento até o vencimento para evitar multa de 0,33% ao dia e juros pela taxa Selic; após "
    "o vencimento solicite ao escritório a guia recalculada.";

std::map<std::string, std::string> TwoColumns(const std::string& mode) {
  return ProtocoloOffice::March(mode, {{"pColuna", "1"}});
}

TEST_F(ProtocoloOffice, AnOddItemPrintsAloneOnTheLastRow) {
  AddProtocol(1);
  AddItem(1, 1, "DAS", "1.00", Variant("2026-03-20"));
  AddItem(1, 2, "FGTS", "2.00", Variant("2026-03-07"));
  AddItem(1, 3, "GPS", "3.00", Variant("2026-03-21"));
  const auto harness = Run(TwoColumns("C"));

  EXPECT_EQ(PageSections(*harness), std::vector<Sections>{Join({kAberturaDuasColunas,
                                                                Repeat(kSecaoItemDuasColunas, 2),
                                                                Repeat(kSecaoItemDuasColunas, 3),
                                                                {kSecaoRodape}})});
  const auto rows = BandsOf(*harness, kSecaoItemDuasColunas);
  const Band& full = *rows[0];
  EXPECT_EQ(ReportHarness::Value(full, "pDesc2"), "GPS");
  EXPECT_EQ(ReportHarness::Value(full, "pVal2"), "3,00");
  EXPECT_EQ(ReportHarness::Value(full, "pVcto2"), "21/03/2026");
  EXPECT_EQ(ReportHarness::Value(full, "pDesc4"), "FGTS");
  EXPECT_EQ(ReportHarness::Value(full, "pVal4"), "2,00");
  EXPECT_EQ(ReportHarness::Value(full, "pVcto4"), "07/03/2026");
  const Band& odd = *rows[1];
  EXPECT_EQ(ReportHarness::Value(odd, "pDesc2"), "DAS");
  EXPECT_EQ(ReportHarness::Value(odd, "pVcto2"), "20/03/2026");
  for (const char* name : {"pDesc4", "pVal4", "pVcto4"}) EXPECT_FALSE(HasValue(odd, name)) << name;
  for (std::size_t i = 2; i < rows.size(); ++i) {
    for (const char* name : {"pDesc2", "pVal2", "pVcto2", "pDesc4", "pVal4", "pVcto4"}) {
      EXPECT_FALSE(HasValue(*rows[i], name)) << "filler row shows " << name;
    }
  }
  EXPECT_TRUE(harness->Sink.Messages.empty());
}

TEST_F(ProtocoloOffice, AnOddRowClosingAFullBlockLeavesNoDueDateBehind) {
  // Nine items: four full rows and the odd one fill the compact block, so no empty row
  // clears the columns before the next protocol's first row.
  AddProtocol(2);
  for (int i = 1; i <= 9; ++i) AddItem(2, i, "Guia " + std::to_string(i), "1.00");
  AddProtocol(1);
  AddItem(1, 1, "Com vencimento", "1.00", Variant("2026-03-25"));
  AddItem(1, 2, "Sem vencimento", "1.00", Variant());
  const auto harness = Run(TwoColumns("C"));

  EXPECT_EQ(PageSections(*harness),
            std::vector<Sections>{Join({kAberturaDuasColunas,
                                        Repeat(kSecaoItemDuasColunas, 5),
                                        {kSecaoRodape, kSecaoRecorte, kSecaoEspacoEntreBlocos},
                                        kAberturaDuasColunas,
                                        Repeat(kSecaoItemDuasColunas, 5),
                                        {kSecaoRodape}})});
  const Band& next = *BandsOf(*harness, kSecaoItemDuasColunas)[5];
  EXPECT_EQ(ReportHarness::Value(next, "pDesc2"), "Sem vencimento");
  EXPECT_FALSE(HasValue(next, "pVcto2")) << ReportHarness::Value(next, "pVcto2");
  EXPECT_EQ(ReportHarness::Value(next, "pVcto4"), "25/03/2026");
}

TEST_F(ProtocoloOffice, LargeTwoColumnBlocksHoldTwelveRows) {
  AddProtocol(1);
  AddItems(1, 30);
  const auto harness = Run(TwoColumns("G"));
  EXPECT_EQ(PageSections(*harness),
            std::vector<Sections>{Join({kAberturaDuasColunas,
                                        Repeat(kSecaoItemDuasColunas, 12),
                                        {kSecaoRodape, kSecaoEspacoEntreBlocos},
                                        kAberturaDuasColunas,
                                        Repeat(kSecaoItemDuasColunas, 12),
                                        {kSecaoRodape}})});
}

TEST_F(ProtocoloOffice, ProtocolsWithCutTextsAreReportedOnceEach) {
  AddProtocol(3, "Curto");
  AddItems(3, 2);
  AddProtocol(2, "Dois longos");
  AddItem(2, 1, kLongText);
  AddItem(2, 2, "Linha\ncom quebra");
  AddProtocol(1, "Um longo");
  AddItem(1, 1, kLongText);
  const auto harness = Run(TwoColumns("G"));

  ASSERT_EQ(harness->Sink.Messages.size(), 2u);
  EXPECT_EQ(harness->Sink.Messages[0].Kind, 1);
  EXPECT_EQ(harness->Sink.Messages[0].Text,
            "Protocolo 00002, texto de alguns itens não foi impresso por completo");
  EXPECT_EQ(harness->Sink.Messages[1].Text,
            "Protocolo 00001, texto de alguns itens não foi impresso por completo");
  // The whole text is handed to the column; the layout shows what fits.
  bool shown = false;
  for (const Band* row : BandsOf(*harness, kSecaoItemDuasColunas)) {
    shown = shown || ReportHarness::Value(*row, "pDesc2") == kLongText ||
            ReportHarness::Value(*row, "pDesc4") == kLongText;
  }
  EXPECT_TRUE(shown);
}

TEST_F(ProtocoloOffice, TheCutRuleMeasuresTheColumnThatPrints) {
  // One wide line would hold either text; a column of two lines holds only the second.
  const std::string threeLines =
      "Guia de recolhimento do FGTS e da contribuição social da folha de pagamento referente a "
      "março";
  const std::string twoLines = "Guia da Previdência Social dos empregados de fevereiro de 2026";
  AddProtocol(2, "Três linhas");
  AddItem(2, 1, threeLines);
  AddProtocol(1, "Duas linhas");
  AddItem(1, 1, twoLines);
  const auto harness = Run(TwoColumns("G"));

  ASSERT_EQ(harness->Sink.Messages.size(), 1u);
  EXPECT_EQ(harness->Sink.Messages[0].Text,
            "Protocolo 00002, texto de alguns itens não foi impresso por completo");
  // What the rule cuts it reports; nothing else loses text.
  int cut = 0;
  for (const Band* band : harness->Bands()) {
    for (const std::string& label : band->Clipped) {
      EXPECT_EQ(ReportHarness::Value(*band, label == "etiDesc2" ? "pDesc2" : "pDesc4"), threeLines)
          << "section " << band->Section << " cuts " << label;
      ++cut;
    }
  }
  EXPECT_EQ(cut, 1);
}

TEST_F(ProtocoloOffice, OneColumnModeReportsNoCutTexts) {
  AddProtocol(1);
  AddItem(1, 1, kLongText);
  const auto harness = Run(March("G"));
  EXPECT_TRUE(harness->Sink.Messages.empty());
  EXPECT_GE(BandsOf(*harness, kSecaoItemUmaColuna).size(), 12u);
}

}  // namespace
