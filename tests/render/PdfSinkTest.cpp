#include "render/PdfSink.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <optional>
#include <set>
#include <sstream>

#include "Exception.h"
#include "render/FontMetrics.h"
#include "render/ImageFixtures.h"
#include "render/JpegSamples.h"
#include "render/RenderSupport.h"

namespace {

using namespace render_test;

const std::string kAccented = "Protocolo: 00007 - Guias de março, São José, Ação";

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : FName(name) {
    if (const char* old = std::getenv(name)) FOld = old;
    if (value) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (FOld) {
      setenv(FName.c_str(), FOld->c_str(), 1);
    } else {
      unsetenv(FName.c_str());
    }
  }

 private:
  std::string FName;
  std::optional<std::string> FOld;
};

std::string RenderPdf(const std::vector<Page>& pages, const DocumentInfo& info = {}) {
  std::ostringstream out;
  PdfSink sink(out);
  sink.Begin(info);
  for (const Page& page : pages) sink.AddPage(page);
  sink.End({});
  return out.str();
}

// A word of `pdftotext -bbox`: its text and horizontal extent in points.
struct Word {
  std::string Text;
  double XMin, YMin, XMax, YMax;
};

// The value of attribute `name` in an XML tag that starts at `tag`.
double Attribute(const std::string& html, std::size_t tag, const std::string& name) {
  const std::size_t at = html.find(name + "=\"", tag);
  return std::stod(html.substr(at + name.size() + 2));
}

std::vector<Word> Words(const std::filesystem::path& pdf) {
  const std::string html = Shell("pdftotext -bbox " + Quote(pdf) + " - 2>/dev/null");
  std::vector<Word> words;
  for (std::size_t tag = html.find("<word "); tag != std::string::npos;
       tag = html.find("<word ", tag + 1)) {
    const std::size_t textStart = html.find('>', tag) + 1;
    const std::size_t textEnd = html.find("</word>", textStart);
    words.push_back(Word{html.substr(textStart, textEnd - textStart), Attribute(html, tag, "xMin"),
                         Attribute(html, tag, "yMin"), Attribute(html, tag, "xMax"),
                         Attribute(html, tag, "yMax")});
  }
  return words;
}

// pdfinfo aligns its columns with a varying number of blanks.
std::string Squeezed(const std::string& text) {
  std::string squeezed;
  for (char c : text) {
    if (c != ' ' || squeezed.empty() || squeezed.back() != ' ') squeezed += c;
  }
  return squeezed;
}

class PdfSinkTest : public ::testing::Test {
 protected:
  ScratchDir Dir;
  FontMetrics Metrics;
  ScopedEnv Epoch{"SOURCE_DATE_EPOCH", "1767225600"};  // 2026-01-01 00:00:00 UTC

  std::filesystem::path Write(const std::vector<Page>& pages, const DocumentInfo& info = {}) {
    const auto path = Dir / "report.pdf";
    WriteFile(path, RenderPdf(pages, info));
    return path;
  }
};

TEST_F(PdfSinkTest, AccentedTextRoundTripsThroughTextExtraction) {
  const auto pdf = Write({PageWith(1, {Text(23, 40, 754, 14, kAccented)})});
  EXPECT_EQ(Shell("pdftotext -enc UTF-8 " + Quote(pdf) + " - 2>&1"), kAccented + "\n\n\f");
  // The font is embedded as a subset, so the text looks the same everywhere.
  const std::string fonts = Shell("pdffonts " + Quote(pdf));
  EXPECT_NE(fonts.find("LiberationSans"), std::string::npos) << fonts;
  EXPECT_NE(fonts.find("yes yes"), std::string::npos) << fonts;  // embedded, subset
}

TEST_F(PdfSinkTest, PagesKeepTheirCountSizeAndOrientation) {
  const auto pdf = Write({PageWith(1, {Text(23, 40, 300, 14, "um")}),
                          PageWith(2, {Text(23, 40, 300, 14, "dois")}),
                          PageWith(3, {Text(23, 40, 300, 14, "tres")}, 1123, 794)});
  const std::string info = Squeezed(Shell("pdfinfo -f 1 -l 3 " + Quote(pdf)));
  EXPECT_NE(info.find("Pages: 3"), std::string::npos) << info;
  EXPECT_NE(info.find("Page 1 size: 595.5 x 842.25 pts"), std::string::npos) << info;
  EXPECT_NE(info.find("Page 2 size: 595.5 x 842.25 pts"), std::string::npos) << info;
  EXPECT_NE(info.find("Page 3 size: 842.25 x 595.5 pts"), std::string::npos) << info;
  EXPECT_EQ(Shell("pdftotext -f 3 -l 3 " + Quote(pdf) + " - 2>&1"), "tres\n\n\f");
}

TEST_F(PdfSinkTest, CarriesTitleAuthorAndTheSourceDate) {
  const auto pdf = Write({PageWith(1, {})}, DocumentInfo{"KdrProtocolo", "1.0",
                                                         "Protocolos de entrega", "Escritório"});
  const std::string info = Squeezed(Shell("pdfinfo -isodates " + Quote(pdf)));
  EXPECT_NE(info.find("Title: Protocolos de entrega"), std::string::npos) << info;
  EXPECT_NE(info.find("Author: Escritório"), std::string::npos) << info;
  EXPECT_NE(info.find("CreationDate: 2026-01-01T00:00:00"), std::string::npos) << info;
  EXPECT_NE(info.find("ModDate: 2026-01-01T00:00:00"), std::string::npos) << info;
}

TEST_F(PdfSinkTest, SameInputGivesTheSameBytes) {
  const TBitmap logo(TGraphicFormat::PNG, SolidPng(20, 10, 0, 0.5, 0), 20, 10);
  ImageItem image;
  image.Left = 23;
  image.Top = 2;
  image.Width = 120;
  image.Height = 36;
  image.Bitmap = logo;
  const std::vector<Page> pages = {
      PageWith(1, {image, Text(23, 40, 754, 14, kAccented),
                   Text(23, 60, 100, 40, kAccented, TextAlign::Right, true)}),
      PageWith(2, {image, Text(23, 40, 754, 14, "segunda página")})};
  const std::string first = RenderPdf(pages, DocumentInfo{"R", "1", "Título", "Autor"});
  const std::string second = RenderPdf(pages, DocumentInfo{"R", "1", "Título", "Autor"});
  EXPECT_GT(first.size(), 1000u);
  EXPECT_TRUE(first == second) << "two runs differ";
}

TEST_F(PdfSinkTest, SharingTheWritersMetricsDrawsTheSamePages) {
  const std::vector<Page> pages = {PageWith(
      1,
      {Text(23, 40, 754, 14, kAccented), Text(23, 60, 120, 80, kAccented, TextAlign::Left, true)})};
  std::ostringstream shared;
  PdfSink sink(shared, Metrics);
  sink.Begin(DocumentInfo{});
  for (const Page& page : pages) sink.AddPage(page);
  sink.End({});
  EXPECT_TRUE(shared.str() == RenderPdf(pages)) << "the shared metrics changed the output";
}

TEST_F(PdfSinkTest, AMalformedSourceDateIsRefused) {
  ScopedEnv broken("SOURCE_DATE_EPOCH", "amanhã");
  std::ostringstream out;
  PdfSink sink(out);
  EXPECT_THROW(sink.Begin(DocumentInfo{}), Exception);
}

TEST_F(PdfSinkTest, DrawnTextTakesExactlyTheMeasuredWidth) {
  const std::string line = "Guias de recolhimento do FGTS referentes a março";
  TFont font;
  const double measured = Metrics.TextWidth(line, font);
  const auto pdf = Write(
      {PageWith(1, {Text(23, 40, 754, 14, line), Text(23, 80, 754, 14, line, TextAlign::Right),
                    Text(23, 120, 754, 14, line, TextAlign::Center)})});
  const std::vector<Word> words = Words(pdf);
  ASSERT_EQ(words.size(), 24u);
  for (int row = 0; row < 3; ++row) {
    const Word& first = words[static_cast<std::size_t>(row * 8)];
    const Word& last = words[static_cast<std::size_t>(row * 8 + 7)];
    const double left = first.XMin * 96 / 72, right = last.XMax * 96 / 72;
    EXPECT_NEAR(right - left, measured, 0.5) << "row " << row;
    const double expectedLeft = row == 0 ? 23 : row == 1 ? 777 - measured : 400 - measured / 2;
    EXPECT_NEAR(left, expectedLeft, 0.5) << "row " << row;
  }
}

TEST_F(PdfSinkTest, MultilineLabelsWrapInsideTheirBoxAsMeasured) {
  const std::string text =
      "Guias de recolhimento do FGTS e do INSS referentes a março, entregues em São José";
  TFont font;
  const double width = 150;
  const auto lines = Metrics.WrapParagraph(text, font, width);
  ASSERT_GE(lines.size(), 3u);
  const auto pdf = Write({PageWith(1, {Text(100, 40, width, 200, text, TextAlign::Left, true)})});
  std::set<long> rows;
  for (const Word& word : Words(pdf)) {
    EXPECT_GE(word.XMin * 96 / 72, 100 - 0.5) << word.Text;
    EXPECT_LE(word.XMax * 96 / 72, 100 + width + 0.5) << word.Text;
    rows.insert(std::lround(word.YMin * 10));
  }
  EXPECT_EQ(rows.size(), lines.size());
  // And the text reads line by line as the metrics broke it.
  std::string expected;
  for (const std::string& line : lines) expected += line + "\n";
  EXPECT_EQ(Shell("pdftotext -layout " + Quote(pdf) + " - 2>&1").find(lines[0]), 0u);
  EXPECT_EQ(Shell("pdftotext " + Quote(pdf) + " - 2>&1"), expected + "\n\f");
}

TEST_F(PdfSinkTest, EachPictureIsEmbeddedOnceAndJpegAsItIs) {
  const TBitmap logo(TGraphicFormat::PNG, SolidPng(20, 10, 1, 0, 0), 20, 10);
  const TBitmap photo(TGraphicFormat::JPEG, kJpegColour, 32, 32);
  std::vector<Page> pages;
  for (int number = 1; number <= 3; ++number) {
    ImageItem first;
    first.Left = 23;
    first.Top = 2;
    first.Width = 120;
    first.Height = 36;
    first.Bitmap = logo;
    ImageItem second = first;
    second.Left = 300;
    second.Bitmap = photo;
    pages.push_back(PageWith(number, {first, second}));
  }
  const auto pdf = Write(pages);
  const std::string list = Shell("pdfimages -list " + Quote(pdf));
  std::set<std::string> objects;
  int placements = 0, jpegPlacements = 0;
  std::istringstream lines(list);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream fields(line);
    std::vector<std::string> columns;
    for (std::string column; fields >> column;) columns.push_back(column);
    if (columns.size() < 12 || columns[0] == "page") continue;
    ++placements;
    if (columns[8] == "jpeg") ++jpegPlacements;
    objects.insert(columns[10]);
  }
  EXPECT_EQ(placements, 6) << list;
  EXPECT_EQ(jpegPlacements, 3) << list;
  EXPECT_EQ(objects.size(), 2u) << list;
}

TEST_F(PdfSinkTest, CorruptPictureRaisesAClearException) {
  std::string damaged = SolidPng(20, 10, 1, 0, 0);
  damaged.resize(damaged.size() - 20);
  ImageItem image;
  image.Width = 50;
  image.Height = 50;
  image.Bitmap = TBitmap(TGraphicFormat::PNG, damaged, 20, 10);
  std::ostringstream out;
  PdfSink sink(out);
  sink.Begin(DocumentInfo{});
  try {
    sink.AddPage(PageWith(1, {image}));
    FAIL() << "no exception";
  } catch (const Exception& error) {
    EXPECT_EQ(error.Message(), "Imagem PNG inválida: dados corrompidos.");
  }
}

TEST_F(PdfSinkTest, PagesAreWrittenOutAsTheyArrive) {
  std::ostringstream out;
  PdfSink sink(out);
  sink.Begin(DocumentInfo{});
  std::vector<DrawItem> items;
  for (int row = 0; row < 60; ++row) {
    items.push_back(Text(23, 40 + row * 16, 754, 14, kAccented + " " + std::to_string(row)));
  }
  sink.AddPage(PageWith(1, items));
  const std::size_t afterFirst = out.str().size();
  sink.AddPage(PageWith(2, items));
  const std::size_t afterSecond = out.str().size();
  EXPECT_GT(afterFirst, 500u);
  EXPECT_GT(afterSecond, afterFirst + 500);
  sink.End({});
}

TEST_F(PdfSinkTest, AFailingStreamIsReported) {
  std::ostringstream out;
  PdfSink sink(out);
  sink.Begin(DocumentInfo{});
  sink.AddPage(PageWith(1, {Text(23, 40, 754, 14, kAccented)}));
  out.setstate(std::ios::badbit);
  EXPECT_THROW(sink.End({}), Exception);
}

TEST_F(PdfSinkTest, AnAbandonedDocumentDoesNotTouchItsStreamAgain) {
  auto out = std::make_unique<std::ostringstream>();
  auto sink = std::make_unique<PdfSink>(*out);
  sink->Begin(DocumentInfo{});
  sink->AddPage(PageWith(1, {Text(23, 40, 754, 14, kAccented)}));
  const std::size_t written = out->str().size();
  sink.reset();  // a run that failed: End is never called
  EXPECT_EQ(out->str().size(), written);
}

}  // namespace
