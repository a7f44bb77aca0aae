#include "render/PngSink.h"

#include <gtest/gtest.h>

#include <map>

#include "Exception.h"
#include "render/ImageFixtures.h"
#include "render/JpegSamples.h"
#include "render/RenderSupport.h"

namespace {

using namespace render_test;

constexpr unsigned kWhite = 0xFFFFFF, kRed = 0xFF0000, kBlack = 0x000000;

std::map<int, std::string> RenderPng(const std::vector<Page>& pages, double dpi = 96) {
  std::map<int, std::string> images;
  PngSink sink([&](int number, const std::string& png) { images[number] = png; }, dpi);
  sink.Begin(DocumentInfo{});
  for (const Page& page : pages) sink.AddPage(page);
  sink.End({});
  return images;
}

ImageItem Picture(double left, double top, double width, double height, const TBitmap& bitmap) {
  ImageItem item;
  item.Left = left;
  item.Top = top;
  item.Width = width;
  item.Height = height;
  item.Bitmap = bitmap;
  return item;
}

bool AllWhite(const PixelImage& image, int x0, int y0, int x1, int y1) {
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      if (image.Rgb(x, y) != kWhite) return false;
    }
  }
  return true;
}

TEST(PngSinkTest, PagesAreWhitePaperOnePixelPerUnitAtNinetySixDpi) {
  const auto images = RenderPng({PageWith(1, {}), PageWith(2, {}, 1123, 794)});
  ASSERT_EQ(images.size(), 2u);
  const PixelImage portrait(images.at(1)), landscape(images.at(2));
  EXPECT_EQ(portrait.Width(), 794);
  EXPECT_EQ(portrait.Height(), 1123);
  EXPECT_EQ(landscape.Width(), 1123);
  EXPECT_EQ(landscape.Height(), 794);
  EXPECT_TRUE(AllWhite(portrait, 0, 0, 794, 1123));
  const PixelImage doubled(RenderPng({PageWith(1, {})}, 192).at(1));
  EXPECT_EQ(doubled.Width(), 1588);
  EXPECT_EQ(doubled.Height(), 2246);
}

TEST(PngSinkTest, ALogoIsScaledIntoItsBoxKeepingItsProportions) {
  // A 50 x 50 red square in a 200 x 100 box: scaled to 100 x 100 at the box's top left.
  const TBitmap logo(TGraphicFormat::PNG, SolidPng(50, 50, 1, 0, 0), 50, 50);
  const PixelImage page(RenderPng({PageWith(1, {Picture(100, 200, 200, 100, logo)})}).at(1));
  EXPECT_EQ(page.Rgb(100, 200), kRed);
  EXPECT_EQ(page.Rgb(150, 250), kRed);
  EXPECT_EQ(page.Rgb(199, 299), kRed);
  EXPECT_EQ(page.Rgb(99, 250), kWhite);   // left of the box
  EXPECT_EQ(page.Rgb(150, 199), kWhite);  // above it
  EXPECT_EQ(page.Rgb(150, 300), kWhite);  // below it
  EXPECT_EQ(page.Rgb(201, 250), kWhite);  // in the box, beyond the scaled square
  EXPECT_TRUE(AllWhite(page, 301, 0, 794, 1123));
}

TEST(PngSinkTest, BmpLogosAreDrawnTheRightWayUp) {
  // Bottom row blue, top row red, stored bottom-up.
  const std::string bmp =
      Bmp(1, 2, 24, {Bgr(0, 0, 255) + std::string(1, '\0'), Bgr(255, 0, 0) + std::string(1, '\0')});
  const TBitmap logo(TGraphicFormat::BMP, bmp, 1, 2);
  const PixelImage page(RenderPng({PageWith(1, {Picture(100, 100, 50, 100, logo)})}).at(1));
  EXPECT_EQ(page.Rgb(125, 110), kRed);
  EXPECT_EQ(page.Rgb(125, 190), 0x0000FFU);
}

TEST(PngSinkTest, JpegLogosAreDrawnFromTheirPixels) {
  const TBitmap logo(TGraphicFormat::JPEG, kJpegColour, 32, 32);
  const PixelImage page(RenderPng({PageWith(1, {Picture(100, 100, 64, 64, logo)})}).at(1));
  const unsigned red = page.Rgb(116, 116), white = page.Rgb(148, 148);
  EXPECT_GT(red >> 16, 240u);
  EXPECT_LT((red >> 8) & 0xFF, 16u);
  EXPECT_GT(white & 0xFF, 240u);
  EXPECT_GT((white >> 8) & 0xFF, 240u);
}

TEST(PngSinkTest, TextIsClippedToItsBox) {
  const std::string wide(80, 'W');
  const PixelImage page(RenderPng({PageWith(1, {Text(100, 100, 60, 14, wide)})}).at(1));
  EXPECT_FALSE(AllWhite(page, 100, 100, 160, 114));
  EXPECT_TRUE(AllWhite(page, 161, 90, 794, 130));
  EXPECT_TRUE(AllWhite(page, 0, 90, 99, 130));
}

TEST(PngSinkTest, RulesAreSharpAndAsThickAsAsked) {
  LineItem line;
  line.X1 = 100;
  line.X2 = 300;
  line.Y1 = line.Y2 = 500;
  line.Thickness = 2;
  LineItem hairline = line;
  hairline.Y1 = hairline.Y2 = 600.3;
  hairline.Thickness = 1;
  LineItem thin = line;
  thin.Y1 = thin.Y2 = 700;
  thin.Thickness = 0.5;
  const PixelImage page(RenderPng({PageWith(1, {line, hairline, thin})}).at(1));
  EXPECT_EQ(page.Rgb(200, 499), kBlack);
  EXPECT_EQ(page.Rgb(200, 500), kBlack);
  EXPECT_EQ(page.Rgb(200, 498), kWhite);
  EXPECT_EQ(page.Rgb(200, 501), kWhite);
  // One unit thick: one row of solid black pixels, nothing smeared beside it.
  int dark = 0;
  for (int y = 595; y < 606; ++y) {
    if (page.Rgb(200, y) != kWhite) {
      ++dark;
      EXPECT_EQ(page.Rgb(200, y), kBlack) << y;
    }
  }
  EXPECT_EQ(dark, 1);
  // Half a unit still shows as one whole pixel rather than a grey smear.
  dark = 0;
  for (int y = 695; y < 706; ++y) {
    if (page.Rgb(200, y) != kWhite) {
      ++dark;
      EXPECT_EQ(page.Rgb(200, y), kBlack) << y;
    }
  }
  EXPECT_EQ(dark, 1);
}

TEST(PngSinkTest, SameInputGivesTheSameBytes) {
  const TBitmap logo(TGraphicFormat::PNG, SolidPng(30, 10, 0, 0, 1), 30, 10);
  const std::vector<Page> pages = {
      PageWith(1, {Picture(23, 2, 120, 36, logo),
                   Text(23, 40, 754, 14, "Protocolo: 00007 - Guias de março, São José, Ação"),
                   Text(23, 60, 120, 60, "texto longo que quebra em várias linhas na caixa",
                        TextAlign::Center, true)})};
  const auto first = RenderPng(pages);
  const auto second = RenderPng(pages);
  EXPECT_TRUE(first.at(1) == second.at(1)) << "two runs differ";
}

TEST(PngSinkTest, WritesEachPageToTheFileItIsGiven) {
  ScratchDir dir;
  PngSink sink(PngSink::FileWriter([&](int number) {
    return (dir / ("relatorio-" + std::to_string(number) + ".png")).string();
  }));
  sink.Begin(DocumentInfo{});
  sink.AddPage(PageWith(1, {Text(23, 40, 300, 14, "um")}));
  sink.AddPage(PageWith(2, {Text(23, 40, 300, 14, "dois")}));
  sink.End({});
  EXPECT_EQ(PixelImage(ReadFile(dir / "relatorio-1.png")).Width(), 794);
  EXPECT_EQ(PixelImage(ReadFile(dir / "relatorio-2.png")).Width(), 794);
  EXPECT_FALSE(std::filesystem::exists(dir / "relatorio-3.png"));
}

TEST(PngSinkTest, FailuresAreReportedClearly) {
  ScratchDir dir;
  PngSink unwritable(
      PngSink::FileWriter([&](int) { return (dir / "missing-folder" / "page.png").string(); }));
  EXPECT_THROW(unwritable.AddPage(PageWith(1, {})), Exception);
  EXPECT_THROW(PngSink([](int, const std::string&) {}, 0), Exception);

  PngSink sink([](int, const std::string&) {});
  const TBitmap broken(TGraphicFormat::JPEG, "\xFF\xD8 not really", 10, 10);
  EXPECT_THROW(sink.AddPage(PageWith(1, {Picture(0, 0, 50, 50, broken)})), Exception);
}

}  // namespace
