// How printed sections become pages: page breaks, the page header, the after-section event and
// its re-entrant use by plug-ins, oversized sections and forced page ends.
#include <gtest/gtest.h>

#include "Exception.h"
#include "report/ReportTestSupport.h"

using Pages = std::vector<std::vector<int>>;

namespace {

// Header 30, detail 50, headings 10 and 20, a section taller than the 200-unit page.
ReportDefinition ListingLayout() {
  return MakeDefinition({MakeSection(1, 30), MakeSection(8, 10), MakeSection(9, 20),
                         MakeSection(10, 50), MakeSection(11, 40),
                         MakeSection(20, 500,
                                     {MakeLabel("etiAlta", 0, 150, 100, 40),
                                      MakeLabel("etiFora", 0, 400, 100, 20)})});
}

}  // namespace

TEST(PageBreaks, SectionThatDoesNotFitStartsNewPageWithHeaderFirst) {
  WriterHarness run(ListingLayout());
  run.RecordEvents();
  for (int i = 0; i < 4; ++i) run.Writer->RepPrintSection(10);
  run.Writer->Finish();

  // 30 + 3 * 50 = 180 leaves 20: the fourth detail goes to page 2, after its header.
  EXPECT_EQ(run.Sink.SectionsPerPage(), (Pages{{1, 10, 10, 10}, {1, 10}}));
  EXPECT_EQ(run.Events, (std::vector<int>{1, 10, 10, 10, 1, 10}));
  EXPECT_EQ(run.Writer->PageCount(), 2);
  EXPECT_EQ(run.Sink.Pages[1].Number, 2);
}

TEST(PageBreaks, BandsStackFromTheTopMarginDown) {
  ReportDefinition layout = ListingLayout();
  layout.Page.MarginTop = 15;
  layout.Page.MarginBottom = 15;
  layout.Page.Height = 230;
  WriterHarness run(layout);
  run.Writer->RepPrintSection(10);
  run.Writer->RepPrintSection(10);
  run.Writer->Finish();

  const std::vector<Band>& bands = run.Sink.Pages.at(0).Bands;
  ASSERT_EQ(bands.size(), 3u);
  EXPECT_DOUBLE_EQ(bands[0].Top, 15);
  EXPECT_DOUBLE_EQ(bands[1].Top, 45);
  EXPECT_DOUBLE_EQ(bands[2].Top, 95);
  EXPECT_DOUBLE_EQ(run.Sink.Pages[0].Height, 230);
}

TEST(PageBreaks, SectionFillingThePageExactlyStaysOnIt) {
  ReportDefinition layout = MakeDefinition({MakeSection(1, 50), MakeSection(10, 50)});
  WriterHarness run(layout);
  for (int i = 0; i < 3; ++i) run.Writer->RepPrintSection(10);
  run.Writer->Finish();
  EXPECT_EQ(run.Sink.SectionsPerPage(), (Pages{{1, 10, 10, 10}}));
}

TEST(PageBreaks, LayoutWithoutHeaderPrintsNoHeader) {
  WriterHarness run(MakeDefinition({MakeSection(10, 120)}));
  run.RecordEvents();
  run.Writer->RepPrintSection(10);
  run.Writer->RepPrintSection(10);
  run.Writer->Finish();
  EXPECT_EQ(run.Sink.SectionsPerPage(), (Pages{{10}, {10}}));
  EXPECT_EQ(run.Events, (std::vector<int>{10, 10}));
}

TEST(PageBreaks, UndefinedSectionIsAnEmptyBandThatStillFiresTheEvent) {
  WriterHarness run(ListingLayout());
  run.RecordEvents();
  run.Writer->RepPrintSection(10);
  run.Writer->RepPrintSection(77);
  run.Writer->RepPrintSection(10);
  run.Writer->Finish();

  ASSERT_EQ(run.Sink.SectionsPerPage(), (Pages{{1, 10, 77, 10}}));
  const Band& undefined = run.Sink.Pages[0].Bands[2];
  EXPECT_DOUBLE_EQ(undefined.Height, 0);
  EXPECT_TRUE(undefined.Items.empty());
  EXPECT_DOUBLE_EQ(run.Sink.Pages[0].Bands[3].Top, 80);
  EXPECT_EQ(run.Events, (std::vector<int>{1, 10, 77, 10}));
}

TEST(PageBreaks, LayoutVariantChosenByParameterGovernsHeights) {
  ReportDefinition layout = ListingLayout();
  layout.Parameters.push_back(ParameterDefinition{"pOrigem", "Origem", "text", "", false, {}});
  layout.Variants.push_back(
      LayoutVariant{"pOrigem", "G", {MakeSection(1, 30), MakeSection(10, 100)}});
  auto runWith = [&](const std::string& origem) {
    CapturingSink sink;
    TjxsPowerParam params;
    params.Add(std::make_unique<TjxsParamItem>("pOrigem", "Origem", "text", origem, false));
    ReportWriter writer(layout, params, nullptr, SharedMetrics(), sink, nullptr);
    writer.Begin("");
    writer.RepPrintSection(10);
    writer.RepPrintSection(10);
    writer.Finish();
    return sink.SectionsPerPage();
  };
  EXPECT_EQ(runWith("G"), (Pages{{1, 10}, {1, 10}}));
  EXPECT_EQ(runWith("F"), (Pages{{1, 10, 10}}));
}

TEST(AfterSectionEvent, PlugInPrintsColumnHeadingsAfterEveryPageHeader) {
  WriterHarness run(ListingLayout());
  std::vector<int> events;
  run.Writer->OnAfterSection = [&](TObject* sender, int section) {
    EXPECT_EQ(sender, run.Writer.get());
    events.push_back(section);
    if (section == 1) {
      run.Writer->RepPrintSection(8);
      run.Writer->RepPrintSection(9);
    }
  };
  for (int i = 0; i < 4; ++i) run.Writer->RepPrintSection(10);
  run.Writer->Finish();

  // 30 + 10 + 20 = 60 of header; two details fit (160), the third starts page 2.
  EXPECT_EQ(run.Sink.SectionsPerPage(), (Pages{{1, 8, 9, 10, 10}, {1, 8, 9, 10, 10}}));
  EXPECT_EQ(events, (std::vector<int>{1, 8, 9, 10, 10, 1, 8, 9, 10, 10}));
}

TEST(AfterSectionEvent, HeaderPrintedExplicitlyMidPageIsNotDoubled) {
  WriterHarness run(ListingLayout());
  run.RecordEvents();
  run.Writer->RepPrintSection(1);  // a report that prints its own header first
  run.Writer->RepPrintSection(10);
  run.Writer->RepPrintSection(1);  // a second block's header on the same page
  run.Writer->RepPrintSection(10);
  run.Writer->Finish();
  EXPECT_EQ(run.Sink.SectionsPerPage(), (Pages{{1, 10, 1, 10}}));
  EXPECT_EQ(run.Events, (std::vector<int>{1, 10, 1, 10}));
}

TEST(AfterSectionEvent, HandlerThatDetachesItselfWhileRunning) {
  WriterHarness run(ListingLayout());
  std::vector<std::string> seen;
  // Captured by value and used after detaching: the handler's own state must outlive the call.
  const std::string tag = "a handler whose state does not fit inside the event object";
  run.Writer->OnAfterSection = [&run, &seen, tag](TObject*, int) {
    run.Writer->OnAfterSection = nullptr;
    seen.push_back(tag);
  };
  run.Writer->RepPrintSection(10);
  run.Writer->RepPrintSection(10);
  EXPECT_EQ(seen, (std::vector<std::string>{tag}));
}

TEST(AfterSectionEvent, HandlerPrintingTheHeaderFromItsOwnEventIsStopped) {
  WriterHarness run(ListingLayout());
  run.Writer->OnAfterSection = [&](TObject*, int section) {
    if (section == 1) run.Writer->RepPrintSection(1);
  };
  try {
    run.Writer->RepPrintSection(10);
    FAIL() << "endless nesting was not stopped";
  } catch (const Exception& error) {
    EXPECT_NE(std::string(error.what()).find("OnAfterSection"), std::string::npos) << error.what();
  }
  // The writer is still usable once the faulty handler is gone.
  run.Writer->OnAfterSection = nullptr;
  run.Writer->RepPrintSection(10);
}

TEST(AfterSectionEvent, HeaderAndHeadingsTallerThanThePageStayOnOnePage) {
  ReportDefinition layout =
      MakeDefinition({MakeSection(1, 120), MakeSection(8, 120), MakeSection(10, 50)});
  WriterHarness run(layout);
  run.Writer->OnAfterSection = [&](TObject*, int section) {
    if (section == 1) run.Writer->RepPrintSection(8);
  };
  run.Writer->RepPrintSection(10);
  run.Writer->RepPrintSection(10);
  run.Writer->Finish();
  // Breaking inside the header would only repeat it, page after page: what the header leaves
  // no room for is clipped, and each detail still gets a page of its own.
  EXPECT_EQ(run.Sink.SectionsPerPage(), (Pages{{1, 8, 10}, {1, 8, 10}}));
  EXPECT_DOUBLE_EQ(run.Sink.Pages[0].Bands[1].Height, 80);
  EXPECT_DOUBLE_EQ(run.Sink.Pages[0].Bands[2].Height, 0);
}

TEST(OversizedSection, GoesClippedOntoAFreshPageAndTheRunGoesOn) {
  WriterHarness run(ListingLayout());
  run.RecordEvents();
  run.Writer->RepPrintSection(10);
  run.Writer->RepPrintSection(20);
  run.Writer->RepPrintSection(10);
  run.Writer->Finish();

  ASSERT_EQ(run.Sink.SectionsPerPage(), (Pages{{1, 10}, {1, 20}, {1, 10}}));
  const Band& tall = run.Sink.Pages[1].Bands[1];
  EXPECT_DOUBLE_EQ(tall.Top, 30);
  EXPECT_DOUBLE_EQ(tall.Height, 170);
  EXPECT_EQ(run.Events, (std::vector<int>{1, 10, 1, 20, 1, 10}));
}

TEST(OversizedSection, ItemsAreClippedToThePage) {
  ReportDefinition layout = ListingLayout();
  for (ElementDefinition& element : layout.Sections.back().Elements) element.Text = "texto";
  ElementDefinition line;
  line.Type = ElementDefinition::Kind::Line;
  line.Left = 0;
  line.Top = 100;
  line.Width = 200;
  line.Height = 200;  // a diagonal that leaves the page halfway
  layout.Sections.back().Elements.push_back(line);
  WriterHarness run(layout);
  run.Writer->RepPrintSection(20);
  run.Writer->Finish();

  ASSERT_EQ(run.Sink.SectionsPerPage(), (Pages{{1, 20}}));
  const std::vector<DrawItem>& items = run.Sink.Pages[0].Bands[1].Items;
  ASSERT_EQ(items.size(), 2u);
  const auto& text = std::get<TextItem>(items[0]);
  EXPECT_DOUBLE_EQ(text.Top, 180);
  EXPECT_DOUBLE_EQ(text.Height, 20);
  const auto& cut = std::get<LineItem>(items[1]);
  EXPECT_DOUBLE_EQ(cut.Y1, 130);
  EXPECT_DOUBLE_EQ(cut.Y2, 200);
  EXPECT_DOUBLE_EQ(cut.X2, 70);
}

TEST(OversizedSection, UnderAHeaderTheReportPrintedItselfMakesNoHeaderOnlyPage) {
  WriterHarness run(ListingLayout());
  run.Writer->RepPrintSection(1);
  run.Writer->RepPrintSection(20);
  run.Writer->Finish();
  EXPECT_EQ(run.Sink.SectionsPerPage(), (Pages{{1, 20}}));
}

TEST(OversizedSection, FirstSectionOfTheRunMakesNoBlankPage) {
  WriterHarness run(ListingLayout());
  run.Writer->RepPrintSection(20);
  run.Writer->RepPrintSection(20);
  run.Writer->RepPrintSection(10);
  run.Writer->Finish();
  EXPECT_EQ(run.Sink.SectionsPerPage(), (Pages{{1, 20}, {1, 20}, {1, 10}}));
}

TEST(ForcedPageEnd, EndingThePageAtTheEndMakesNoBlankPage) {
  WriterHarness run(ListingLayout());
  run.Writer->RepPrintSection(10);
  run.Writer->RepEndOfPage(true);
  run.Writer->RepEndOfPage(true);
  run.Writer->Finish();
  EXPECT_EQ(run.Sink.SectionsPerPage(), (Pages{{1, 10}}));
  EXPECT_EQ(run.Writer->PageCount(), 1);
}

TEST(ForcedPageEnd, NextSectionOpensANewPageWithItsHeader) {
  WriterHarness run(ListingLayout());
  run.Writer->RepPrintSection(10);
  run.Writer->RepEndOfPage(true);
  run.Writer->RepPrintSection(11);
  run.Writer->Finish();
  EXPECT_EQ(run.Sink.SectionsPerPage(), (Pages{{1, 10}, {1, 11}}));
}

TEST(ForcedPageEnd, BeforeAnythingPrintedDoesNothing) {
  WriterHarness run(ListingLayout());
  run.Writer->RepEndOfPage(true);
  run.Writer->Finish();
  EXPECT_TRUE(run.Sink.Pages.empty());
  EXPECT_EQ(run.Sink.EndCount, 1);
}

TEST(ForcedPageEnd, HandlerEndingThePageItsHeaderOpenedDoesNotLoop) {
  WriterHarness run(ListingLayout());
  run.Writer->OnAfterSection = [&](TObject*, int section) {
    if (section == 1) run.Writer->RepEndOfPage(true);
  };
  run.Writer->RepPrintSection(10);
  run.Writer->Finish();
  EXPECT_EQ(run.Sink.SectionsPerPage(), (Pages{{1}, {10}}));
}

TEST(CanPrintSection, AnswersForTheRestOfThePage) {
  WriterHarness run(ListingLayout());
  // No page yet: a fresh page after its 30-unit header.
  EXPECT_TRUE(run.Writer->NativeCanPrintSection(10));
  EXPECT_TRUE(run.Writer->NativeCanPrintSection(1));
  EXPECT_FALSE(run.Writer->NativeCanPrintSection(20));

  run.Writer->RepPrintSection(10);
  run.Writer->RepPrintSection(10);
  run.Writer->RepPrintSection(10);  // 180 used, 20 left
  EXPECT_FALSE(run.Writer->NativeCanPrintSection(10));
  EXPECT_TRUE(run.Writer->NativeCanPrintSection(9));
  EXPECT_TRUE(run.Writer->NativeCanPrintSection(77)) << "an undefined section takes no room";

  run.Writer->RepEndOfPage(true);
  EXPECT_TRUE(run.Writer->NativeCanPrintSection(10));
}

TEST(Document, BeginAndFinishFrameThePages) {
  WriterHarness run(ListingLayout());
  run.Writer->MsgMensagem(1,
                          "Protocolo 00007, texto de alguns itens não foi impresso por completo");
  run.Writer->MsgConfigurar({"Mensagem"});  // late: what was said before must stay
  run.Writer->RepPrintSection(10);
  run.Writer->MsgMensagem(4, "Quebra de página ignorada");
  run.Writer->Finish();
  run.Writer->Finish();

  EXPECT_EQ(run.Sink.BeginCount, 1);
  EXPECT_EQ(run.Sink.EndCount, 1);
  EXPECT_EQ(run.Sink.Info.Report, "KdrTeste");
  EXPECT_EQ(run.Sink.Info.Version, "[versao: 1.0.0.0]");
  EXPECT_EQ(run.Sink.Info.Title, "Relatório de teste");
  ASSERT_EQ(run.Sink.Messages.size(), 2u);
  EXPECT_EQ(run.Sink.Messages[0].Kind, 1);
  EXPECT_EQ(run.Sink.Messages[1].Text, "Quebra de página ignorada");
  EXPECT_EQ(run.Writer->Messages().size(), 2u);
  EXPECT_THROW(run.Writer->RepPrintSection(10), Exception);
}

TEST(Document, FinishedPagesReachTheSinkAsSoonAsTheyAreFull) {
  WriterHarness run(ListingLayout());
  for (int i = 0; i < 3; ++i) run.Writer->RepPrintSection(10);
  EXPECT_TRUE(run.Sink.Pages.empty()) << "the page is still open";
  run.Writer->RepPrintSection(10);
  EXPECT_EQ(run.Sink.Pages.size(), 1u);
  for (int i = 0; i < 300; ++i) run.Writer->RepPrintSection(10);
  EXPECT_EQ(run.Sink.Pages.size(), 101u);
  EXPECT_EQ(run.Sink.Pages.back().Number, 101);
}
