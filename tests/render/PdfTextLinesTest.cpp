// Lines of plain text are shaped on a short path that skips Pango's layout; they must come out
// exactly as the layout would set them: same glyphs, same kerning, same positions.
#include "render/PdfTextLines.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "render/FigureShaping.h"
#include "render/PdfFile.h"
#include "render/PdfFontSet.h"
#include "render/WordShaping.h"

namespace {

// U+2060 WORD JOINER draws nothing and takes no room, but it is not of the plain kind: a line
// that ends with it goes through the whole layout.
constexpr std::string_view kWordJoiner = "\u2060";

class PdfTextLinesTest : public ::testing::Test {
 protected:
  std::ostringstream Out;
  PdfFile File{Out};
  PdfFontSet Fonts{File};
  PdfTextLines Lines{Fonts};

  // The line as the short path shapes it and as the layout does, which must be equal.
  void ExpectSameAsLayout(const std::string& text, const TFont& font) {
    const PdfTextLines::Line shortPath = Lines.Get(text, font);
    const PdfTextLines::Line& layout = Lines.Get(text + std::string(kWordJoiner), font);
    SCOPED_TRACE(text + " in " + font.Family + (font.Bold ? " bold" : "") +
                 (font.Italic ? " italic" : "") + " " + std::to_string(font.Size));
    EXPECT_EQ(shortPath.Width, layout.Width);
    EXPECT_EQ(shortPath.Height, layout.Height);
    ASSERT_EQ(shortPath.Runs.size(), layout.Runs.size());
    for (std::size_t index = 0; index < layout.Runs.size(); ++index) {
      const PdfTextLines::Run& expected = layout.Runs[index];
      const PdfTextLines::Run& actual = shortPath.Runs[index];
      EXPECT_EQ(actual.Font.Face, expected.Font.Face);
      EXPECT_EQ(actual.Font.Size, expected.Font.Size);
      EXPECT_EQ(actual.X, expected.X);
      EXPECT_EQ(actual.Y, expected.Y);
      EXPECT_EQ(actual.Show, expected.Show);
    }
  }
};

TEST_F(PdfTextLinesTest, PlainLinesAreSetAsTheLayoutSetsThem) {
  // Kerning pairs (AV, To, Ty, L', Yo), accents, digits and the punctuation and symbols of
  // amounts and dates, a line of only common characters (no script of its own), and blanks.
  const std::vector<std::string> texts = {"AVATAR Tower: Yves, L'Oréal, Yoga",
                                          "Ação nº 0017 — São José/SC, “Três” irmãos",
                                          "11/11/2026 17:45",
                                          "R$ 1.234.567,89 € 12,5% (±0,01)",
                                          "   recuado  e com  blancos  ",
                                          "W.A.V.Y. T.Y. P.A. F.A.",
                                          "ÁÉÍÓÚ àèìòù âêîôû ãõ ç ü ß æ ø"};
  std::vector<TFont> fonts(5);
  fonts[1].Bold = true;
  fonts[2].Italic = true;
  fonts[3].Size = 7.5;
  fonts[4].Family = "DejaVu Serif";
  fonts[4].Size = 11;
  for (const TFont& font : fonts) {
    for (const std::string& text : texts) ExpectSameAsLayout(text, font);
  }
}

TEST_F(PdfTextLinesTest, LinesOfFiguresAreSetAsTheLayoutSetsThem) {
  // Enough distinct figures for each font to be learned, then amounts, dates, times and codes
  // with the pairs that kern ("11", "1.", "/1") checked against the layout.
  std::vector<TFont> fonts(4);
  fonts[1].Bold = true;
  fonts[2].Size = 7.5;
  fonts[3].Family = "DejaVu Serif";
  std::mt19937 random(7);
  const std::string figures = "0123456789.,-/: ";
  for (const TFont& font : fonts) {
    for (int number = 0; number < 1100; ++number) Lines.Get(std::to_string(number) + ",00", font);
    for (const std::string text : {"11/11/2011", "1.111.111,11", "-1,10", "17:45 - 01/12", "1"}) {
      ExpectSameAsLayout(text, font);
    }
    for (int line = 0; line < 150; ++line) {
      std::string text(1 + random() % 14, ' ');
      for (char& figure : text) figure = figures[random() % figures.size()];
      ExpectSameAsLayout(text, font);
    }
  }
}

// A line of words ending and starting with the letters that kern with a space (A, L, P, T, Y),
// between one to four spaces and at either end.
std::string RandomLineOfWords(std::mt19937& random) {
  static const std::vector<std::string> words = {"A",   "TYPO", "Ltda",  "PAL",  "Yara",
                                                 "São", "ação", "-",     "nº",   "1.234,56",
                                                 "(T)", "“Y”",  "LTDA.", "W.A.", "Av."};
  std::string text(random() % 3 == 0 ? 1 + random() % 2 : 0, ' ');
  const std::size_t count = 2 + random() % 6;
  for (std::size_t word = 0; word < count; ++word) {
    if (word > 0) text.append(1 + (random() % 8 == 0 ? random() % 4 : 0), ' ');
    text += words[random() % words.size()];
  }
  if (random() % 4 == 0) text += ' ';
  return text;
}

TEST_F(PdfTextLinesTest, LinesOfWordsAreSetAsTheLayoutSetsThem) {
  // Enough lines of words for each font to set them from words, then random lines checked
  // against the layout; DejaVu Sans names its space in a substitution and is shaped whole.
  std::vector<TFont> fonts(5);
  fonts[1].Bold = true;
  fonts[2].Italic = true;
  fonts[3].Family = "DejaVu Sans";
  fonts[4].Family = "DejaVu Serif";
  fonts[4].Size = 7.5;
  std::mt19937 random(11);
  for (const TFont& font : fonts) {
    for (int number = 0; number < 600; ++number) {
      Lines.Get("Protocolo " + std::to_string(number) + " de Teste", font);
    }
    for (int count = 0; count < 200; ++count) ExpectSameAsLayout(RandomLineOfWords(random), font);
  }
}

TEST(WordShaping, LiberationSansLinesAreSetFromWordsAsShapingSetsThemWhole) {
  const PangoContextPtr context = pango_text::CreateMeasuringContext();
  std::mt19937 random(5);
  for (const bool bold : {false, true}) {
    TFont font;
    font.Bold = bold;
    const FontDescriptionPtr description = pango_text::DescribeFont(font);
    const std::unique_ptr<PangoFont, GObjectUnref> pangoFont(
        pango_context_load_font(context.get(), description.get()));
    ASSERT_NE(pangoFont, nullptr);
    hb_font_t* hbFont = pango_font_get_hb_font(pangoFont.get());
    hb_codepoint_t space = 0;
    ASSERT_TRUE(hb_font_get_nominal_glyph(hbFont, ' ', &space));
    ASSERT_TRUE(WordShaping::Allows(hb_font_get_face(hbFont), space));

    const std::unique_ptr<hb_buffer_t, decltype(&hb_buffer_destroy)> buffer(hb_buffer_create(),
                                                                            hb_buffer_destroy);
    const WordShaping::Shaper shape = [&](std::string_view text,
                                          std::vector<hb_glyph_info_t>& glyphs,
                                          std::vector<hb_glyph_position_t>& positions) {
      hb_buffer_clear_contents(buffer.get());
      hb_buffer_add_utf8(buffer.get(), text.data(), static_cast<int>(text.size()), 0,
                         static_cast<int>(text.size()));
      hb_buffer_guess_segment_properties(buffer.get());
      hb_buffer_set_script(buffer.get(), HB_SCRIPT_LATIN);
      hb_shape(hbFont, buffer.get(), nullptr, 0);
      unsigned count = 0;
      const hb_glyph_info_t* infos = hb_buffer_get_glyph_infos(buffer.get(), &count);
      const hb_glyph_position_t* shaped = hb_buffer_get_glyph_positions(buffer.get(), nullptr);
      glyphs.assign(infos, infos + count);
      positions.assign(shaped, shaped + count);
    };
    WordShaping words;
    std::vector<hb_glyph_info_t> setGlyphs, wholeGlyphs;
    std::vector<hb_glyph_position_t> setPositions, wholePositions;
    for (int count = 0; count < 300; ++count) {
      std::string text = RandomLineOfWords(random);
      SCOPED_TRACE(text);
      // Gaps of four spaces are left to shaping.
      const bool longGap = text.find("    ") != std::string::npos;
      ASSERT_EQ(words.Set(text, shape, setGlyphs, setPositions), !longGap);
      if (longGap) continue;
      shape(text, wholeGlyphs, wholePositions);
      ASSERT_EQ(setGlyphs.size(), wholeGlyphs.size());
      for (std::size_t at = 0; at < wholeGlyphs.size(); ++at) {
        EXPECT_EQ(setGlyphs[at].codepoint, wholeGlyphs[at].codepoint);
        EXPECT_EQ(setGlyphs[at].cluster, wholeGlyphs[at].cluster);
        EXPECT_EQ(setPositions[at].x_advance, wholePositions[at].x_advance);
        EXPECT_EQ(setPositions[at].x_offset, wholePositions[at].x_offset);
        EXPECT_EQ(setPositions[at].y_offset, wholePositions[at].y_offset);
      }
    }
  }
}

// A shaper that sets each byte as a glyph of its own, 500 units wide, alone and in pairs alike;
// 300 wide where `narrowed` says, as a font's contextual positioning may set it.
FigureShaping::Shaper ByteShaper(std::function<bool(std::string_view, std::size_t)> narrowed) {
  return
      [narrowed = std::move(narrowed)](std::string_view text, std::vector<hb_glyph_info_t>& glyphs,
                                       std::vector<hb_glyph_position_t>& positions) {
        glyphs.assign(text.size(), hb_glyph_info_t{});
        positions.assign(text.size(), hb_glyph_position_t{});
        for (std::size_t at = 0; at < text.size(); ++at) {
          glyphs[at].codepoint = static_cast<hb_codepoint_t>(text[at]);
          glyphs[at].cluster = static_cast<std::uint32_t>(at);
          positions[at].x_advance = narrowed(text, at) ? 300 : 500;
        }
      };
}

TEST(WordShaping, AFontThatSetsAGapOtherwiseThanItsPairsIsRefused) {
  // Narrows a space between two A's, as a font reaching across a space may.
  const auto shaper = [](bool contextual) {
    return ByteShaper([contextual](std::string_view text, std::size_t at) {
      return contextual && text[at] == ' ' && at > 0 && at + 1 < text.size() &&
             text[at - 1] == 'A' && text[at + 1] == 'A';
    });
  };
  std::vector<hb_glyph_info_t> glyphs;
  std::vector<hb_glyph_position_t> positions;
  WordShaping plain;
  ASSERT_TRUE(plain.Set("BA AB", shaper(false), glyphs, positions));
  ASSERT_EQ(positions.size(), 5u);
  EXPECT_EQ(glyphs[3].cluster, 3u);
  EXPECT_EQ(positions[2].x_advance, 500);

  WordShaping contextual;
  EXPECT_TRUE(contextual.Set("BA BB", shaper(true), glyphs, positions));
  EXPECT_FALSE(contextual.Set("BA AB", shaper(true), glyphs, positions));
  // Once refused, the font's lines stay with shaping, even those it sets plainly.
  EXPECT_FALSE(contextual.Set("BA BB", shaper(true), glyphs, positions));
}

TEST(FigureShaping, AFontThatSetsThreeFiguresOtherwiseThanItsPairsIsNotLearned) {
  // Narrows a colon between two figures, as a font's contextual forms may.
  const auto shaper = [](bool contextual) {
    return ByteShaper([contextual](std::string_view text, std::size_t at) {
      return contextual && text[at] == ':' && at > 0 && at + 1 < text.size();
    });
  };
  FigureShaping plain;
  ASSERT_TRUE(plain.Learn(shaper(false)));
  std::vector<hb_glyph_info_t> glyphs;
  std::vector<hb_glyph_position_t> positions;
  plain.Set("1:2", glyphs, positions);
  ASSERT_EQ(positions.size(), 3u);
  EXPECT_EQ(positions[1].x_advance, 500);
  EXPECT_FALSE(FigureShaping().Learn(shaper(true)));
}

TEST_F(PdfTextLinesTest, ACharacterOneFaceLacksTakesTheFallbackInThatFaceOnly) {
  // DejaVu Sans has U+2031 PER TEN THOUSAND SIGN; Liberation Sans does not, so there the sign
  // comes from the fallback face, even after DejaVu Sans has set the same text by itself.
  const std::string text = "Taxa de 5\u2031 ao mês";
  TFont dejaVu;
  dejaVu.Family = "DejaVu Sans";
  const PdfTextLines::Line inDejaVu = Lines.Get(text, dejaVu);
  ASSERT_EQ(inDejaVu.Runs.size(), 1u);
  const PdfTextLines::Line& inLiberation = Lines.Get(text, TFont{});
  ASSERT_GE(inLiberation.Runs.size(), 2u);
  EXPECT_NE(inLiberation.Runs.front().Font.Face, inLiberation.Runs[1].Font.Face);
  EXPECT_EQ(inLiberation.Runs[1].Font.Face, inDejaVu.Runs.front().Font.Face);
}

TEST_F(PdfTextLinesTest, EachLineLookedUpIsTheLineAskedFor) {
  // Many more lines than the cache keeps, each met again one and several generations later,
  // checked now and then against a writer that has shaped only the lines checked.
  std::ostringstream otherOut;
  PdfFile otherFile{otherOut};
  PdfFontSet otherFonts{otherFile};
  PdfTextLines reference{otherFonts};
  TFont font;
  int checked = 0;
  for (int number = 0; number < 12000; ++number) {
    for (const int shown : {number, number / 2, number / 5}) {
      const std::string text = "Linha " + std::to_string(shown);
      const PdfTextLines::Line line = Lines.Get(text, font);
      if (number % 97 != 0) continue;
      ++checked;
      const PdfTextLines::Line& expected = reference.Get(text, font);
      ASSERT_EQ(line.Runs.size(), expected.Runs.size()) << text;
      EXPECT_EQ(line.Runs[0].Show, expected.Runs[0].Show) << text;
      EXPECT_EQ(line.Width, expected.Width) << text;
    }
  }
  EXPECT_GT(checked, 300);
}

}  // namespace
