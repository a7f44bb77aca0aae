// What the PDF writer must get right beyond the common cases: text in other scripts and in a
// fallback font, clipping, transparent pictures, synthetic bold, and memory over long runs.
#include <gtest/gtest.h>
#include <malloc.h>

#include <cstdlib>
#include <sstream>
#include <streambuf>

#include "render/PdfSink.h"
#include "render/RenderSupport.h"

namespace {

using namespace render_test;

std::string RenderPdf(const std::vector<Page>& pages) {
  std::ostringstream out;
  PdfSink sink(out);
  sink.Begin(DocumentInfo{});
  for (const Page& page : pages) sink.AddPage(page);
  sink.End({});
  return out.str();
}

// A PNG whose left half is opaque red and whose right half is fully transparent.
std::string HalfTransparentPng(int width, int height) {
  std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface(
      cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height), &cairo_surface_destroy);
  std::unique_ptr<cairo_t, decltype(&cairo_destroy)> cr(cairo_create(surface.get()),
                                                        &cairo_destroy);
  cairo_set_source_rgb(cr.get(), 1, 0, 0);
  cairo_rectangle(cr.get(), 0, 0, width / 2.0, height);
  cairo_fill(cr.get());
  return PngOf(surface.get());
}

// Counts what is written and keeps nothing, like a file on a disk that never fills.
class CountingBuffer : public std::streambuf {
 protected:
  std::streamsize xsputn(const char*, std::streamsize count) override { return count; }
  int_type overflow(int_type c) override { return traits_type::not_eof(c); }
};

class PdfWriterTest : public ::testing::Test {
 protected:
  ScratchDir Dir;

  std::filesystem::path Write(const std::vector<Page>& pages) {
    const auto path = Dir / "report.pdf";
    WriteFile(path, RenderPdf(pages));
    return path;
  }

  // The first page drawn at 72 dots per inch: one pixel per point.
  PixelImage Rendered(const std::filesystem::path& pdf) {
    Shell("pdftoppm -png -r 72 -singlefile " + Quote(pdf) + " " + Quote(Dir / "page"));
    return PixelImage(ReadFile(Dir / "page.png"));
  }
};

bool Dark(unsigned rgb) {
  return ((rgb >> 16) & 0xFF) < 128 && ((rgb >> 8) & 0xFF) < 128 && (rgb & 0xFF) < 128;
}

TEST_F(PdfWriterTest, OtherScriptsAndFallbackGlyphsExtractAsWritten) {
  // Greek and Cyrillic come from Liberation Sans, the check mark and the star only from its
  // fallback, DejaVu Sans: two embedded fonts, each with its map back to the text.
  const std::string text = "Grego Ωμέγα, russo Привет, marcas ✓ ★ e fim";
  const auto pdf = Write({PageWith(1, {Text(23, 40, 754, 14, text)})});
  EXPECT_EQ(Shell("pdftotext -enc UTF-8 " + Quote(pdf) + " - 2>&1"), text + "\n\n\f");
  const std::string fonts = Shell("pdffonts " + Quote(pdf));
  EXPECT_NE(fonts.find("LiberationSans"), std::string::npos) << fonts;
  EXPECT_NE(fonts.find("DejaVuSans"), std::string::npos) << fonts;
}

TEST_F(PdfWriterTest, EveryPrintableAsciiCharacterExtractsAsWritten) {
  // Glyph ids are written as bytes: some of them are the string syntax's own parentheses,
  // backslash and carriage return, which must be escaped.
  std::string ascii;
  for (char c = '!'; c <= '~'; ++c) ascii += c;
  const auto pdf = Write({PageWith(1, {Text(23, 40, 754, 14, ascii)})});
  EXPECT_EQ(Shell("pdftotext -enc UTF-8 " + Quote(pdf) + " - 2>&1"), ascii + "\n\n\f");
}

TEST_F(PdfWriterTest, TextIsClippedOnlyWhereItLeavesItsBox) {
  // A box 80 units (60 points) wide from x = 100 units (75 points) holding a much longer line,
  // and below it the same line in a box wide enough.
  const std::string line(40, 'W');
  const auto pdf =
      Write({PageWith(1, {Text(100, 40, 80, 14, line), Text(100, 80, 700, 14, line)})});
  const PixelImage page = Rendered(pdf);
  auto inkBetween = [&page](int fromX, int toX, int fromY, int toY) {
    int ink = 0;
    for (int y = fromY; y < toY; ++y) {
      for (int x = fromX; x < toX; ++x) ink += Dark(page.Rgb(x, y)) ? 1 : 0;
    }
    return ink;
  };
  EXPECT_GT(inkBetween(76, 134, 30, 41), 20);    // inside the narrow box
  EXPECT_EQ(inkBetween(137, 400, 28, 44), 0);    // past its right edge: clipped
  EXPECT_GT(inkBetween(137, 400, 60, 71), 100);  // the wide box's line runs on
}

TEST_F(PdfWriterTest, TransparentPicturesKeepTheirTransparency) {
  ImageItem image;
  image.Left = 100;
  image.Top = 100;
  image.Width = 200;
  image.Height = 100;
  image.Bitmap = TBitmap(TGraphicFormat::PNG, HalfTransparentPng(40, 20), 40, 20);
  const auto pdf = Write({PageWith(1, {image})});
  const std::string list = Shell("pdfimages -list " + Quote(pdf));
  EXPECT_NE(list.find("smask"), std::string::npos) << list;
  // The picture spans 150 x 75 points from (75, 75): red on the left, the page on the right.
  const PixelImage page = Rendered(pdf);
  EXPECT_EQ(page.Rgb(110, 110), 0xFF0000u);
  EXPECT_EQ(page.Rgb(190, 110), 0xFFFFFFu);
}

TEST_F(PdfWriterTest, AFaceWithoutBoldIsEmboldened) {
  // DejaVu Math TeX Gyre has no bold face: fontconfig asks for emboldening, and the glyphs
  // must come out heavier than the regular ones, as on screen.
  TextItem regular = Text(23, 40, 754, 30, "Mmmm Wwww Hhhh");
  regular.Font.Family = "DejaVu Math TeX Gyre";
  regular.Font.Size = 20;
  TextItem bold = regular;
  bold.Top = 100;
  bold.Font.Bold = true;
  const PixelImage page = Rendered(Write({PageWith(1, {regular, bold})}));
  auto ink = [&page](int fromY, int toY) {
    int count = 0;
    for (int y = fromY; y < toY; ++y) {
      for (int x = 0; x < page.Width(); ++x) count += Dark(page.Rgb(x, y)) ? 1 : 0;
    }
    return count;
  };
  const int regularInk = ink(28, 55), boldInk = ink(73, 100);
  EXPECT_GT(regularInk, 200);
  EXPECT_GT(boldInk, regularInk * 5 / 4) << "regular " << regularInk << ", bold " << boldInk;
}

TEST_F(PdfWriterTest, MemoryStaysFlatOverALongDocument) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer keeps freed memory aside";
#endif
  CountingBuffer discard;
  std::ostream out(&discard);
  PdfSink sink(out);
  sink.Begin(DocumentInfo{});
  // Every page has texts of its own, as a listing of many clients does.
  auto page = [](int number) {
    std::vector<DrawItem> items;
    for (int row = 0; row < 30; ++row) {
      items.push_back(
          Text(23, 40 + row * 30, 754, 14,
               "Cliente " + std::to_string(number) + " - documento " + std::to_string(row)));
    }
    return PageWith(number, items);
  };
  int number = 1;
  for (; number <= 600; ++number) sink.AddPage(page(number));
  const std::size_t warm = mallinfo2().uordblks;
  for (; number <= 1200; ++number) sink.AddPage(page(number));
  const std::size_t later = mallinfo2().uordblks;
  sink.End({});
  EXPECT_LT(later, warm + 1024 * 1024) << "grew from " << warm << " to " << later << " bytes";
}

}  // namespace
