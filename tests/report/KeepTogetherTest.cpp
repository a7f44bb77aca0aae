// A section marked keepWithNext stays on the page with the section printed right after it: the
// page ends before the marked one when the two do not fit, never making a loop or a blank page.
#include <gtest/gtest.h>

#include "report/ReportTestSupport.h"

using Pages = std::vector<std::vector<int>>;

namespace {

constexpr int kHeader = 1, kDetail = 10, kLine = 11, kAddress = 12, kTall = 20;

// Page of 200: header 30, details 50, a marked line of 40 with its label, an address of 50, and
// a section taller than the page.
ReportDefinition KeepingLayout() {
  SectionDefinition line = MakeSection(kLine, 40, {MakeLabel("etiNome", 5, 5, 100, 14)});
  line.KeepWithNext = true;
  line.Elements[0].Text = "Padaria";
  return MakeDefinition({MakeSection(kHeader, 30), MakeSection(kDetail, 50), line,
                         MakeSection(kAddress, 50), MakeSection(kTall, 500)});
}

Pages Print(const std::vector<int>& sections) {
  WriterHarness run(KeepingLayout());
  for (int section : sections) run.Writer->RepPrintSection(section);
  run.Writer->Finish();
  return run.Sink.SectionsPerPage();
}

}  // namespace

TEST(KeepWithNext, MarkedSectionMovesToTheNextPageWithTheSectionAfterIt) {
  WriterHarness run(KeepingLayout());
  run.RecordEvents();
  for (int section : {kDetail, kDetail, kLine, kAddress}) run.Writer->RepPrintSection(section);
  run.Writer->Finish();

  // 30 + 50 + 50 + 40 = 170 holds the line, but not its address of 50 as well.
  EXPECT_EQ(run.Sink.SectionsPerPage(),
            (Pages{{kHeader, kDetail, kDetail}, {kHeader, kLine, kAddress}}));
  // Moved with what it draws, right under the new page's header.
  const Band& moved = run.Sink.Pages.at(1).Bands.at(1);
  EXPECT_DOUBLE_EQ(moved.Top, 30);
  ASSERT_EQ(moved.Items.size(), 1U);
  EXPECT_DOUBLE_EQ(std::get<TextItem>(moved.Items[0]).Top, 35);
  EXPECT_DOUBLE_EQ(run.Sink.Pages.at(1).Bands.at(2).Top, 70);
  // Every section still fires its event once.
  EXPECT_EQ(run.Events, (std::vector<int>{kHeader, kDetail, kDetail, kLine, kHeader, kAddress}));
}

TEST(KeepWithNext, StaysWhereItIsWhenBothFit) {
  EXPECT_EQ(Print({kDetail, kLine, kAddress}), (Pages{{kHeader, kDetail, kLine, kAddress}}));
  // Without a marked section before it, a section that does not fit breaks the page alone.
  EXPECT_EQ(Print({kDetail, kDetail, kAddress, kAddress}),
            (Pages{{kHeader, kDetail, kDetail, kAddress}, {kHeader, kAddress}}));
}

TEST(KeepWithNext, FollowingMarkedSectionTakesTheOneBeforeAlong) {
  // 30 + 100 + 40 leaves 30: the second line does not fit and the first goes along with it.
  EXPECT_EQ(Print({kDetail, kDetail, kLine, kLine, kAddress}),
            (Pages{{kHeader, kDetail, kDetail}, {kHeader, kLine, kLine, kAddress}}));
}

TEST(KeepWithNext, NoBlankPageWhenTheMarkedSectionIsAlreadyFirstOnItsPage) {
  // The line is the page's only body: ending the page before it would only repeat this page.
  EXPECT_EQ(Print({kLine, kTall}), (Pages{{kHeader, kLine}, {kHeader, kTall}}));
}

TEST(KeepWithNext, PairTallerThanAPagePrintsAsAnOverTallSection) {
  EXPECT_EQ(Print({kDetail, kLine, kTall, kDetail}),
            (Pages{{kHeader, kDetail, kLine}, {kHeader, kTall}, {kHeader, kDetail}}));
}

TEST(KeepWithNext, AForcedPageEndReleasesTheMarkedSection) {
  WriterHarness run(KeepingLayout());
  for (int section : {kDetail, kDetail, kLine}) run.Writer->RepPrintSection(section);
  run.Writer->RepEndOfPage(true);
  run.Writer->RepPrintSection(kAddress);
  run.Writer->Finish();
  EXPECT_EQ(run.Sink.SectionsPerPage(),
            (Pages{{kHeader, kDetail, kDetail, kLine}, {kHeader, kAddress}}));
}

TEST(KeepWithPrevious, ChainsWithTheMarkedSectionsBeforeItAndNothingAfter) {
  // A line kept with its address (50) and a note of 40 kept with that address: the three move
  // as one; the next line is tied to none of them.
  constexpr int kNote = 13;
  ReportDefinition layout = KeepingLayout();
  SectionDefinition note = MakeSection(kNote, 40);
  note.KeepWithPrevious = true;
  layout.Sections.push_back(note);
  WriterHarness run(layout);
  // 30 + 50 + 40 + 50 = 170 holds the line and its address, not the note as well.
  for (int section : {kDetail, kLine, kAddress, kNote, kLine}) run.Writer->RepPrintSection(section);
  run.Writer->Finish();
  EXPECT_EQ(run.Sink.SectionsPerPage(),
            (Pages{{kHeader, kDetail}, {kHeader, kLine, kAddress, kNote, kLine}}));
  // Without the note the address stays where it is: nothing ties it to the next line.
  EXPECT_EQ(Print({kDetail, kLine, kAddress, kDetail}),
            (Pages{{kHeader, kDetail, kLine, kAddress}, {kHeader, kDetail}}));
}
