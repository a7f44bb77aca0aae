#include "render/FontMetrics.h"

#include <glib.h>
#include <gtest/gtest.h>

#include <cmath>

#include <string>
#include <vector>

namespace {

const std::string kDescription =
    "Guias de recolhimento do FGTS e do INSS referentes a março, entregues em São José, Ação "
    "trabalhista número 0001234-56.2026 e documentos diversos da contabilidade mensal";

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line;
  return text;
}

std::string WithoutBlanks(std::string text) {
  std::erase(text, ' ');
  return text;
}

class FontMetricsTest : public ::testing::Test {
 protected:
  FontMetrics Metrics;
  TFont Font;
};

TEST_F(FontMetricsTest, WidthsAreInLayoutUnitsAndFollowTheFont) {
  // Liberation Sans is metric-compatible with Arial: "0" advances 0.556 em, so ten of them at
  // 9 points are 50.04 points, 66.72 units.
  EXPECT_NEAR(Metrics.TextWidth("0000000000", Font), 66.72, 0.05);
  TFont bold = Font;
  bold.Bold = true;
  TFont larger = Font;
  larger.Size = 18;
  const double normal = Metrics.TextWidth("Protocolo de entrega", Font);
  EXPECT_GT(Metrics.TextWidth("Protocolo de entrega", bold), normal);
  EXPECT_NEAR(Metrics.TextWidth("Protocolo de entrega", larger), 2 * normal, 0.05);
  EXPECT_EQ(Metrics.TextWidth("", Font), 0);
}

TEST_F(FontMetricsTest, WidthsAreNotRoundedToWholePoints) {
  // With rounding on, every glyph would advance a whole number of points; "m" advances
  // 0.833 em, 7.5 points at 9 points.
  const double width = Metrics.TextWidth("m", Font) * 72 / 96;
  EXPECT_NEAR(width, 7.497, 0.01);
}

// The quick answer from character widths must be the one shaping the line gives, also for
// kerned pairs, accents, ligatures and bytes that are not text, right at the edge of the box.
TEST_F(FontMetricsTest, FitsWidthAgreesWithTheShapedWidth) {
  TFont bold = Font;
  bold.Bold = true;
  for (const TFont& font : {Font, bold}) {
    for (const std::string& text :
         {std::string("AVAVAVAV WAWAWA To Ty"), std::string("Competência ação 1.234,56"),
          std::string("office fluffy"), kDescription, std::string("tab\there"),
          std::string("inv\xff\xfelido")}) {
      const double width = Metrics.TextWidth(text, font);
      for (const double box : {width * 0.5, width - 0.01, width, width + 0.01, width * 1.5}) {
        EXPECT_EQ(Metrics.FitsWidth(text, font, box), width <= box) << text << " in " << box;
      }
    }
  }
}

TEST_F(FontMetricsTest, LineHeightSuitsTheFontSize) {
  const double height = Metrics.LineHeight(Font);
  EXPECT_GT(height, 9 * 96.0 / 72);
  EXPECT_LT(height, 9 * 96.0 / 72 * 1.4);
  TFont larger = Font;
  larger.Size = 18;
  EXPECT_NEAR(Metrics.LineHeight(larger), 2 * height, 0.1);
}

TEST_F(FontMetricsTest, UnknownFamilyFallsBackToAUsableFace) {
  TFont unknown = Font;
  unknown.Family = "No Such Face";
  EXPECT_NEAR(Metrics.TextWidth("Protocolo", unknown), Metrics.TextWidth("Protocolo", Font), 3);
}

TEST_F(FontMetricsTest, WrappedLinesNeverExceedTheirWidth) {
  for (double width : {40.0, 75.5, 120.0, 202.0, 575.0}) {
    for (bool bold : {false, true}) {
      TFont font = Font;
      font.Bold = bold;
      const auto lines = Metrics.WrapParagraph(kDescription, font, width);
      ASSERT_FALSE(lines.empty());
      for (const std::string& line : lines) {
        EXPECT_LE(Metrics.TextWidth(line, font), width) << "width " << width << ": " << line;
        EXPECT_FALSE(line.empty());
        EXPECT_NE(line.back(), ' ') << line;
      }
      // Nothing is lost or repeated: only the blanks at the breaks go.
      EXPECT_EQ(WithoutBlanks(Joined(lines)), WithoutBlanks(kDescription)) << width;
    }
  }
}

TEST_F(FontMetricsTest, WrappingBreaksBetweenWordsAndUsesTheRoom) {
  const double width = 150;
  const auto lines = Metrics.WrapParagraph(kDescription, Font, width);
  ASSERT_GT(lines.size(), 3u);
  for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
    // The next word would not have fitted on this line.
    const std::string next = lines[i + 1].substr(0, lines[i + 1].find(' '));
    EXPECT_GT(Metrics.TextWidth(lines[i] + " " + next, Font), width) << lines[i];
  }
  // Words stay whole when they fit on a line.
  for (const std::string& line : lines) {
    EXPECT_NE(kDescription.find(line), std::string::npos) << line;
  }
}

TEST_F(FontMetricsTest, AWordLongerThanTheLineIsBrokenInsideWithoutHyphens) {
  const std::string word(60, 'A');
  const auto lines = Metrics.WrapParagraph(word, Font, 50);
  ASSERT_GT(lines.size(), 1u);
  for (const std::string& line : lines) {
    EXPECT_LE(Metrics.TextWidth(line, Font), 50);
    EXPECT_EQ(line.find('-'), std::string::npos);
  }
  // Each line holds as many letters as fit.
  EXPECT_GT(Metrics.TextWidth(lines[0] + "A", Font), 50);
  EXPECT_EQ(Joined(lines), word);
}

TEST_F(FontMetricsTest, AccentedTextIsNeverSplitInsideACharacter) {
  const std::string text = "ÇÃÕÉÍÓÚçãõéíóú ÇÃÕÉÍÓÚçãõéíóú";
  for (double width : {10.0, 25.0, 60.0}) {
    const auto lines = Metrics.WrapParagraph(text, Font, width);
    for (const std::string& line : lines) {
      EXPECT_TRUE(g_utf8_validate(line.data(), static_cast<gssize>(line.size()), nullptr)) << line;
    }
    EXPECT_EQ(WithoutBlanks(Joined(lines)), WithoutBlanks(text));
  }
}

TEST_F(FontMetricsTest, DegenerateInputsGiveSensibleLines) {
  EXPECT_EQ(Metrics.WrapParagraph("", Font, 100), std::vector<std::string>{""});
  EXPECT_EQ(Metrics.WrapParagraph("curto", Font, 1000), std::vector<std::string>{"curto"});
  // No room at all: one character per line, and the run goes on.
  EXPECT_EQ(Metrics.WrapParagraph("abc", Font, 0), (std::vector<std::string>{"a", "b", "c"}));
  // Bytes that are not UTF-8 (text stored in another encoding) are replaced, not dropped.
  const auto lines = Metrics.WrapParagraph("S\xe3o Jos\xe9", Font, 1000);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "S\uFFFDo Jos\uFFFD");
  EXPECT_GT(Metrics.TextWidth("S\xe3o", Font), 0);
}

TEST_F(FontMetricsTest, AParagraphThatFitsIsItsOwnLineUnlessItBreaksByItself) {
  // Leading blanks show, trailing ones do not, however the line was found.
  EXPECT_EQ(Metrics.WrapParagraph("  recuo e fim   ", Font, 1000),
            std::vector<std::string>{"  recuo e fim"});
  // A line or paragraph separator ends a line whatever the room.
  EXPECT_EQ(Metrics.WrapParagraph("um\u2028dois", Font, 1000).size(), 2u);
  EXPECT_EQ(Metrics.WrapParagraph("um\u2029dois", Font, 1000).size(), 2u);
  // A text just short of its width is laid out, and still one line when it fits.
  const std::string text = "Guias de recolhimento do FGTS";
  const double width = Metrics.TextWidth(text, Font);
  EXPECT_EQ(Metrics.WrapParagraph(text, Font, width + 0.01), std::vector<std::string>{text});
  EXPECT_GT(Metrics.WrapParagraph(text, Font, width - 1).size(), 1u);
}

}  // namespace
