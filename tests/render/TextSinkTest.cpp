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

TEST(TextSinkTest, ClipsTextToItsBoxWhereTheNextLabelBegins) {
  const auto lines = Lines(
      Render({PageWith(1, {Text(0, 0, 35, 14, "Estabelecimento"), Text(35, 0, 35, 14, "X")})}));
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "EstabX");
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

TEST(TextSinkTest, WrapsMultilineLabelsInsideTheirBox) {
  const auto lines = Lines(
      Render({PageWith(1, {Text(0, 0, 70, 28, "um dois tres quatro cinco", TextAlign::Left, true),
                           Text(0, 28, 70, 14, "depois")})}));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "um dois");
  EXPECT_EQ(lines[1], "tres");  // the third line does not fit the box's two rows
  EXPECT_EQ(lines[2], "depois");
}

TEST(TextSinkTest, RulesBecomeDashesAndGiveWayToText) {
  const auto lines = Lines(Render({PageWith(
      1, {Text(0, 0, 70, 14, "Cabecalho"), Rule(0, 70, 14), Text(0, 28, 70, 14, "Linha")})}));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "Cabecalho");
  EXPECT_EQ(lines[1], "----------");
  EXPECT_EQ(lines[2], "Linha");
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
