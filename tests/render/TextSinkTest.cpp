#include "render/TextSink.h"

#include <gtest/gtest.h>

#include <sstream>

#include "render/RenderSupport.h"

namespace {

using render_test::PageWith;
using render_test::Text;

std::string Render(const std::vector<Page>& pages) {
  std::ostringstream out;
  TextSink sink(out);
  sink.Begin(DocumentInfo{});
  for (const Page& page : pages) sink.AddPage(page);
  sink.End({});
  return out.str();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

LineItem Rule(double x1, double x2, double y) {
  LineItem line;
  line.X1 = x1;
  line.X2 = x2;
  line.Y1 = line.Y2 = y;
  return line;
}

TEST(TextSinkTest, PlacesTextByPositionOnTheGrid) {
  // Column = left / 7, row = top / 14.
  const std::string text =
      Render({PageWith(1, {Text(0, 0, 70, 14, "Titulo"), Text(70, 28, 70, 14, "Linha")})});
  EXPECT_EQ(text, "Titulo\n\n          Linha\n");
}

TEST(TextSinkTest, AnA4PageIsAboutOneHundredTenColumnsWide) {
  const std::string text = Render({PageWith(1, {Rule(0, 794, 0)})});
  EXPECT_EQ(text, std::string(113, '-') + "\n");
}

TEST(TextSinkTest, HonoursRightAndCentreAlignment) {
  const auto lines = Lines(Render({PageWith(1, {Text(0, 0, 70, 14, "1,00", TextAlign::Right),
                                                Text(0, 14, 70, 14, "ab", TextAlign::Center)})}));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "      1,00");
  EXPECT_EQ(lines[1], "    ab");
}

TEST(TextSinkTest, WidensTheColumnsRatherThanCutATextKeepingABlankBeforeTheNextLabel) {
  // Run together, "Estab" and "X" would read as one word; numbers side by side as one number.
  // Cut, "12/01/202" or "1.234.567,8" would read as another value: the page's columns widen
  // where a text needs it, and everything to its right moves along.
  const auto lines = Lines(Render(
      {PageWith(1, {Text(0, 0, 35, 14, "Estabelecimento"), Text(35, 0, 35, 14, "X"),
                    Text(0, 14, 35, 14, "12345", TextAlign::Right), Text(35, 14, 35, 14, "678"),
                    Text(0, 28, 63, 14, "12/01/2026", TextAlign::Center), Rule(0, 70, 42)})}));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "Estabelecimento X");
  EXPECT_EQ(lines[1], "          12345 678");
  EXPECT_EQ(lines[2], "     12/01/2026");
  // A rule across the widened columns widens with them.
  EXPECT_EQ(lines[3], std::string(21, '-'));
}

TEST(TextSinkTest, BandsKeepTheirShapeWhereverTheyFall) {
  // A 21-unit detail band with its text at 6 and a signature rule at 20 takes two rows, text
  // then rule, whatever its position on the page.
  auto detail = [](double top, const std::string& name) {
    LineItem rule;
    rule.X1 = 70;
    rule.X2 = 140;
    rule.Y1 = rule.Y2 = top + 20;
    Band band = render_test::BandWith({Text(0, top + 6, 70, 14, name), rule});
    band.Top = top;
    band.Height = 21;
    return band;
  };
  Page page;
  page.Number = 1;
  for (int i = 0; i < 4; ++i) page.Bands.push_back(detail(21.0 * i, "n" + std::to_string(i)));
  EXPECT_EQ(Render({page}),
            "n0\n          ----------\nn1\n          ----------\n"
            "n2\n          ----------\nn3\n          ----------\n");
}

TEST(TextSinkTest, RunsOnIntoFreeRoomRatherThanLosingText) {
  // A number wider than its small box still shows whole when nothing else is beside it; right
  // aligned it grows to the left.
  const auto lines =
      Lines(Render({PageWith(1, {Text(70, 0, 21, 14, "1.234.567,89", TextAlign::Right),
                                 Text(0, 14, 21, 14, "Observação longa")})}));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], " 1.234.567,89");  // ends at column 13, the box's right edge
  EXPECT_EQ(lines[1], "Observação longa");
}

TEST(TextSinkTest, CountsCharactersNotBytes) {
  const auto lines =
      Lines(Render({PageWith(1, {Text(0, 0, 70, 14, "Ação São", TextAlign::Right),
                                 // "e" followed by a combining acute accent takes one column.
                                 Text(0, 14, 70, 14, "Jose\xCC\x81", TextAlign::Right)})}));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "  Ação São");
  EXPECT_EQ(lines[1], "      Jose\xCC\x81");
}

TEST(TextSinkTest, WrapsMultilineLabelsInsideTheirBoxShowingEveryLine) {
  // Characters of the text format are wider than the font's: a text that fits its two-line box
  // on paper may need more rows here, and gets them rather than lose its end.
  const auto lines = Lines(
      Render({PageWith(1, {Text(0, 0, 70, 28, "um dois tres quatro cinco", TextAlign::Left, true),
                           Text(0, 28, 70, 14, "depois")})}));
  EXPECT_EQ(lines, (std::vector<std::string>{"um dois", "tres", "quatro", "cinco", "depois"}));
}

TEST(TextSinkTest, RulesBecomeDashesAndGiveWayToText) {
  const auto lines = Lines(Render({PageWith(
      1, {Text(0, 0, 70, 14, "Cabecalho"), Rule(0, 70, 14), Text(0, 28, 70, 14, "Linha")})}));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "Cabecalho");
  EXPECT_EQ(lines[1], "----------");
  EXPECT_EQ(lines[2], "Linha");
}

TEST(TextSinkTest, ASignatureRuleSitsOnTheFreeRowItLeansTo) {
  // The rule falls on the row of its caption; it moves up beside the date field rather than
  // down into the closing rule, and does not cross any text.
  LineItem signature;
  signature.X1 = 527;
  signature.X2 = 777;
  signature.Y1 = signature.Y2 = 66;
  LineItem closing;
  closing.X1 = 23;
  closing.X2 = 777;
  closing.Y1 = closing.Y2 = 83;
  Band band =
      render_test::BandWith({Text(23, 54, 300, 14, "Data: __/__/____"), signature,
                             Text(527, 68, 250, 11, "Assinatura", TextAlign::Center), closing});
  band.Height = 85;
  Page page;
  page.Number = 1;
  page.Bands = {band};
  const auto lines = Lines(Render({page}));
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[4], "   Data: __/__/____" + std::string(56, ' ') + std::string(36, '-'));
  EXPECT_EQ(lines[5], std::string(88, ' ') + "Assinatura");
  EXPECT_EQ(lines[6], "   " + std::string(108, '-'));
}

TEST(TextSinkTest, FramesImagesAndVerticalLinesAreLeftOut) {
  FrameItem frame;
  frame.Left = 0;
  frame.Top = 0;
  frame.Width = 100;
  frame.Height = 40;
  LineItem vertical;
  vertical.X1 = vertical.X2 = 50;
  vertical.Y1 = 0;
  vertical.Y2 = 100;
  EXPECT_EQ(Render({PageWith(1, {frame, vertical, Text(0, 0, 70, 14, "So texto")})}), "So texto\n");
}

TEST(TextSinkTest, SeparatesPagesWithAFormFeedAndLeavesNoTrailingBlanks) {
  const std::string text =
      Render({PageWith(1, {Text(0, 0, 70, 14, "a  ")}),
              PageWith(2, {Text(0, 14, 70, 14, "b", TextAlign::Left)}), PageWith(3, {})});
  EXPECT_EQ(text, "a\n\f\nb\n\f");
  for (const std::string& line : Lines(text)) {
    EXPECT_TRUE(line.empty() || line.back() != ' ');
  }
}

TEST(TextSinkTest, ControlCharactersCannotBreakThePageStructure) {
  EXPECT_EQ(Render({PageWith(1, {Text(0, 0, 140, 14, "a\fb\nc\x1b[31m")})}), "ab c[31m\n");
}

}  // namespace
