// The writer tells which labels' text does not fit their box, measured with the metrics that
// draw it: too wide for a single-line label, more lines than a multiline label's box holds.
#include <gtest/gtest.h>

#include <cmath>

#include "report/ReportTestSupport.h"

namespace {

TFont BodyFont() {
  TFont font;
  font.Family = "Liberation Sans";
  font.Size = 9;
  return font;
}

ElementDefinition ValueLabel(std::string name, std::string value, double width, double height,
                             bool multiline = false) {
  ElementDefinition label = MakeLabel(std::move(name), 23, 0, width, height);
  label.Value = std::move(value);
  label.Font = BodyFont();
  label.Multiline = multiline;
  return label;
}

// Prints section 10 once with `value` in pValor and returns the band's clipped labels.
std::vector<std::string> ClippedWith(const ElementDefinition& label, const std::string& value) {
  WriterHarness harness(MakeDefinition({MakeSection(10, 120, {label})}));
  harness.Writer->SetLayoutValue("pValor", value);
  harness.Writer->RepPrintSection(10);
  harness.Writer->Finish();
  return harness.Sink.Pages.at(0).Bands.at(0).Clipped;
}

using Names = std::vector<std::string>;

const std::string kDescription = "GUIA DARF IRPJ LUCRO PRESUMIDO MM";

}  // namespace

TEST(ClippedSingleLine, TextWiderThanItsBoxIsFlaggedByTheLabelsName) {
  const double width = SharedMetrics().TextWidth(kDescription, BodyFont());
  EXPECT_EQ(ClippedWith(ValueLabel("etiDescricao", "pValor", width - 1, 14), kDescription),
            Names{"etiDescricao"});
}

TEST(ClippedSingleLine, ExactFitsAndTrailingBlanksAreNotClipped) {
  const double width = SharedMetrics().TextWidth(kDescription, BodyFont());
  EXPECT_EQ(ClippedWith(ValueLabel("etiDescricao", "pValor", width, 14), kDescription), Names{});
  EXPECT_EQ(ClippedWith(ValueLabel("etiDescricao", "pValor", width, 14), kDescription + "   "),
            Names{});
  EXPECT_EQ(ClippedWith(ValueLabel("etiDescricao", "pValor", width + 40, 14), "curto"), Names{});
}

TEST(ClippedSingleLine, UnnamedLabelsAreNamedByWhatTheyShow) {
  ElementDefinition byValue = ValueLabel("", "pValor", 20, 14);
  EXPECT_EQ(ClippedWith(byValue, kDescription), Names{"pValor"});

  ElementDefinition byText = MakeLabel("", 23, 0, 20, 14);
  byText.Text = "Competência";
  byText.Font = BodyFont();
  EXPECT_EQ(ClippedWith(byText, ""), Names{"Competência"});
}

TEST(ClippedMultiline, MoreLinesThanTheBoxHoldsIsFlagged) {
  const double lineHeight = SharedMetrics().LineHeight(BodyFont());
  const std::string text = kDescription + " referente a março de 2026";
  const std::size_t lines = SharedMetrics().WrapParagraph(text, BodyFont(), 100).size();
  ASSERT_GE(lines, 3U);
  const double holdsAll = lineHeight * static_cast<double>(lines);
  EXPECT_EQ(ClippedWith(ValueLabel("etiItem", "pValor", 100, holdsAll - 1, true), text),
            Names{"etiItem"});
  // Exactly as tall as its lines: everything shows.
  EXPECT_EQ(ClippedWith(ValueLabel("etiItem", "pValor", 100, holdsAll, true), text), Names{});
}

TEST(ClippedMultiline, BreaksCountAsLinesButEmptyLinesAtTheEndDoNot) {
  const double lineHeight = SharedMetrics().LineHeight(BodyFont());
  const ElementDefinition twoLines = ValueLabel("etiNota", "pValor", 300, 2 * lineHeight, true);
  EXPECT_EQ(ClippedWith(twoLines, "um\ndois\ntres"), Names{"etiNota"});
  EXPECT_EQ(ClippedWith(twoLines, "um\r\ndois\n\n"), Names{});
}

TEST(ClippedPage, ALabelThePageEndCutsIsClipped) {
  // A section taller than the page prints cut at its foot: the label below the cut is lost.
  ElementDefinition low = ValueLabel("etiRodape", "pValor", 200, 14);
  low.Top = 250;
  WriterHarness harness(MakeDefinition({MakeSection(10, 300, {low})}));
  harness.Writer->SetLayoutValue("pValor", "assinatura");
  harness.Writer->RepPrintSection(10);
  harness.Writer->Finish();
  EXPECT_EQ(harness.Sink.Pages.at(0).Bands.at(0).Clipped, Names{"etiRodape"});
}

TEST(ClippedAgain, EachBandJudgesItsTextInTheBoxTheLabelHasThen) {
  // A text met before is judged again once the run narrows or widens its label.
  const int fits = static_cast<int>(std::ceil(SharedMetrics().TextWidth(kDescription, BodyFont())));
  WriterHarness harness(
      MakeDefinition({MakeSection(10, 20, {ValueLabel("etiDescricao", "pValor", fits, 14)})}));
  auto print = [&](const std::string& value) {
    harness.Writer->SetLayoutValue("pValor", value);
    harness.Writer->RepPrintSection(10);
  };
  print(kDescription);
  harness.Writer->LabelByName("etiDescricao")->SetWidth(fits - 20);
  print(kDescription);
  print("curto");
  harness.Writer->LabelByName("etiDescricao")->SetWidth(fits);
  print(kDescription);
  print(kDescription + " E MAIS");
  harness.Writer->Finish();

  std::vector<Names> clipped;
  for (const Page& page : harness.Sink.Pages) {
    for (const Band& band : page.Bands) clipped.push_back(band.Clipped);
  }
  const Names none, flagged{"etiDescricao"};
  EXPECT_EQ(clipped, (std::vector<Names>{none, flagged, none, none, flagged}));
}
