// Re-flowing a list of text lines to a label's width with the metrics that draw the text.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "Exception.h"
#include "SysUtils.h"
#include "report/ReportTestSupport.h"

namespace {

ReportDefinition DescriptionLayout(double width) {
  ElementDefinition desc = MakeLabel("Etiqueta5", 23, 0, width, 14);
  desc.Value = "pDesc";
  return MakeDefinition({MakeSection(13, 14, {desc})});
}

std::string WithoutBlanks(const std::string& text) {
  std::string result;
  for (char c : text) {
    if (c != ' ' && c != '\r' && c != '\n') result += c;
  }
  return result;
}

}  // namespace

TEST(WrapText, LinesFitTheLabelAndNoTextIsLost) {
  WriterHarness run(DescriptionLayout(180));
  TjxsLabel* label = run.Writer->LabelByName("Etiqueta5");
  const std::string text =
      "Recibo de entrega da DCTF mensal de março, com a guia DARF IRPJ e a GPS da folha de "
      "pagamento; conferir a assinatura do responsável na via do escritório antes de arquivar";
  TStringList list;
  list.SetText(text);
  run.Writer->WrapText(list, label, true, true);

  ASSERT_GT(list.Count(), 2);
  std::string joined;
  for (const std::string& line : list) {
    EXPECT_LE(SharedMetrics().TextWidth(line, label->Font()), 180.0) << line;
    EXPECT_FALSE(line.empty());
    joined += line;
  }
  EXPECT_EQ(WithoutBlanks(joined), WithoutBlanks(text));
}

TEST(WrapText, WordLongerThanTheLabelIsBrokenInside) {
  WriterHarness run(DescriptionLayout(60));
  TjxsLabel* label = run.Writer->LabelByName("Etiqueta5");
  const std::string word = "Inconstitucionalissimamente-contribuições";
  TStringList list;
  list.Add(word);
  run.Writer->WrapText(list, label, true, true);

  ASSERT_GT(list.Count(), 1);
  std::string joined;
  for (const std::string& line : list) {
    EXPECT_LE(SharedMetrics().TextWidth(line, label->Font()), 60.0) << line;
    joined += line;
  }
  EXPECT_EQ(joined, word);
}

TEST(WrapText, LineBreaksAndEmptyLinesAreKept) {
  WriterHarness run(DescriptionLayout(400));
  TStringList list;
  list.SetText("DAS\r\n\r\n   \r\nGPS competência 03/2026");
  run.Writer->WrapText(list, run.Writer->LabelByName("Etiqueta5"), true, true);
  ASSERT_EQ(list.Count(), 4) << "a line of blanks is still a line";
  EXPECT_EQ(list[0], "DAS");
  EXPECT_EQ(list[1], "");
  EXPECT_EQ(Trim(list[2]), "");
  EXPECT_EQ(list[3], "GPS competência 03/2026");
}

TEST(WrapText, UsesTheLabelsCurrentWidth) {
  WriterHarness run(DescriptionLayout(400));
  TjxsLabel* label = run.Writer->LabelByName("Etiqueta5");
  const std::string text = "Guia de recolhimento do FGTS e informações à Previdência Social";
  TStringList wide;
  wide.Add(text);
  run.Writer->WrapText(wide, label, true, true);
  EXPECT_EQ(wide.Count(), 1);

  label->SetWidth(120);
  TStringList narrow;
  narrow.Add(text);
  run.Writer->WrapText(narrow, label, true, true);
  EXPECT_GT(narrow.Count(), 1);
}

TEST(WrapText, LabelWithoutWidthLeavesTheListAlone) {
  WriterHarness run(DescriptionLayout(0));
  TStringList list;
  list.Add("um texto que não cabe em lugar nenhum");
  list.Add("");
  run.Writer->WrapText(list, run.Writer->LabelByName("Etiqueta5"), true, true);
  EXPECT_EQ(list.Lines(), (std::vector<std::string>{"um texto que não cabe em lugar nenhum", ""}));
  EXPECT_THROW(run.Writer->WrapText(list, nullptr, true, true), Exception);
}

// Pango breaks a paragraph line by line and shapes the rest of it again for each line, so a
// long description used to cost the square of its length (100,000 characters: 26 s).
TEST(WrapText, ALongDescriptionWithoutBlanksWrapsInLinearTime) {
  WriterHarness run(DescriptionLayout(525));
  TjxsLabel* label = run.Writer->LabelByName("Etiqueta5");
  const std::string text(100'000, 'A');
  TStringList list;
  list.Add(text);
  const auto started = std::chrono::steady_clock::now();
  run.Writer->WrapText(list, label, true, true);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
  // About a third of a second here; the square of the length would take tens of seconds. The
  // bound leaves room for the sanitizer build on a loaded machine.
  EXPECT_LT(took.count(), 8.0);

  ASSERT_GT(list.Count(), 1000);
  std::string joined;
  for (const std::string& line : list) joined += line;
  EXPECT_EQ(joined, text);
  // Every line but the last is full: one more letter would not have fitted.
  for (int i = 0; i + 1 < list.Count(); ++i) {
    ASSERT_GT(SharedMetrics().TextWidth(list[i] + "A", label->Font()), 525.0) << i;
  }
}

// A long paragraph is broken a stretch at a time; where one stretch meets the next, lines must
// break exactly as they would inside one: each line holds every word that fits.
TEST(WrapText, ALongParagraphUsesTheRoomOfEveryLine) {
  WriterHarness run(DescriptionLayout(180));
  TjxsLabel* label = run.Writer->LabelByName("Etiqueta5");
  const std::vector<std::string> words = {"Guia",  "de",  "recolhimento", "do",   "FGTS",
                                          "março", "São", "José",         "DARF", "IRPJ",
                                          "e",     "GPS", "competência",  "a",    "0001234-56"};
  std::string text;
  for (std::size_t i = 0; text.size() < 20'000; ++i) {
    text += words[(i * 7 + i / 3) % words.size()] + " ";
  }
  text.pop_back();
  TStringList list;
  list.Add(text);
  run.Writer->WrapText(list, label, true, true);

  ASSERT_GT(list.Count(), 100);
  std::string joined;
  for (int i = 0; i < list.Count(); ++i) {
    const std::string& line = list[i];
    EXPECT_LE(SharedMetrics().TextWidth(line, label->Font()), 180.0) << line;
    if (i + 1 < list.Count()) {
      const std::string next = list[i + 1].substr(0, list[i + 1].find(' '));
      ASSERT_GT(SharedMetrics().TextWidth(line + " " + next, label->Font()), 180.0)
          << "line " << i << ": \"" << line << "\" had room for \"" << next << "\"";
    }
    joined += line;
  }
  EXPECT_EQ(WithoutBlanks(joined), WithoutBlanks(text));
}
