#include "render/ImageDecoding.h"

#include <gtest/gtest.h>

#include <cstring>

#include "Exception.h"
#include "render/ImageCache.h"
#include "render/ImageFixtures.h"
#include "render/JpegDecoder.h"
#include "render/JpegSamples.h"
#include "render/RenderSupport.h"

namespace {

using namespace render_test;

// 0xAARRGGBB of a decoded pixel.
std::uint32_t Pixel(cairo_surface_t* surface, int x, int y) {
  const unsigned char* row =
      cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
  std::uint32_t pixel = 0;
  std::memcpy(&pixel, row + x * 4, 4);
  if (cairo_image_surface_get_format(surface) == CAIRO_FORMAT_RGB24) pixel |= 0xFF000000U;
  return pixel;
}

std::string MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Exception& error) {
    return error.Message();
  }
  return "(no exception)";
}

TEST(BmpDecodingTest, ReadsTwentyFourBitRowsBottomUp) {
  // Stored bottom row first: the red/green row is the picture's bottom row.
  const std::string bmp = Bmp(2, 2, 24,
                              {Bgr(255, 0, 0) + Bgr(0, 255, 0) + std::string(2, '\0'),
                               Bgr(0, 0, 255) + Bgr(255, 255, 255) + std::string(2, '\0')});
  const CairoSurfacePtr surface = DecodeBmp(bmp);
  ASSERT_EQ(cairo_image_surface_get_width(surface.get()), 2);
  ASSERT_EQ(cairo_image_surface_get_height(surface.get()), 2);
  EXPECT_EQ(Pixel(surface.get(), 0, 0), 0xFF0000FFU);
  EXPECT_EQ(Pixel(surface.get(), 1, 0), 0xFFFFFFFFU);
  EXPECT_EQ(Pixel(surface.get(), 0, 1), 0xFFFF0000U);
  EXPECT_EQ(Pixel(surface.get(), 1, 1), 0xFF00FF00U);
}

TEST(BmpDecodingTest, ReadsTopDownRowsWhenTheHeightIsNegative) {
  const std::string bmp = Bmp(1, -2, 24, {Bgr(255, 0, 0) + '\0', Bgr(0, 0, 255) + '\0'});
  const CairoSurfacePtr surface = DecodeBmp(bmp);
  EXPECT_EQ(Pixel(surface.get(), 0, 0), 0xFFFF0000U);
  EXPECT_EQ(Pixel(surface.get(), 0, 1), 0xFF0000FFU);
}

TEST(BmpDecodingTest, ThirtyTwoBitWithUnusedAlphaIsOpaque) {
  std::string row;
  Put32(row, 0x00112233);
  const CairoSurfacePtr surface = DecodeBmp(Bmp(1, 1, 32, {row}));
  EXPECT_EQ(Pixel(surface.get(), 0, 0), 0xFF112233U);
}

TEST(BmpDecodingTest, ThirtyTwoBitAlphaIsPremultiplied) {
  std::string row;
  Put32(row, 0x80FF0000);  // half-transparent red
  Put32(row, 0x00000000);  // fully transparent
  const CairoSurfacePtr surface = DecodeBmp(Bmp(2, 1, 32, {row}));
  EXPECT_EQ(Pixel(surface.get(), 0, 0), 0x80800000U);
  EXPECT_EQ(Pixel(surface.get(), 1, 0), 0x00000000U);
}

TEST(BmpDecodingTest, ReadsBitFieldMasks) {
  std::string masks;
  Put32(masks, 0x0000F800);  // 5-6-5
  Put32(masks, 0x000007E0);
  Put32(masks, 0x0000001F);
  std::string row;
  Put16(row, 0xF800);
  Put16(row, 0x07E0);
  const CairoSurfacePtr surface = DecodeBmp(Bmp(2, 1, 16, {row}, {}, 3, masks));
  EXPECT_EQ(Pixel(surface.get(), 0, 0), 0xFFFF0000U);
  EXPECT_EQ(Pixel(surface.get(), 1, 0), 0xFF00FF00U);
}

TEST(BmpDecodingTest, ReadsPalettePictures) {
  std::string palette;
  Put32(palette, 0x00000000);  // black
  Put32(palette, 0x000000FF);  // blue
  Put32(palette, 0x00FF0000);  // red
  const CairoSurfacePtr eightBit =
      DecodeBmp(Bmp(3, 1, 8, {std::string("\x02\x01\x00\x00", 4)}, palette));
  EXPECT_EQ(Pixel(eightBit.get(), 0, 0), 0xFFFF0000U);
  EXPECT_EQ(Pixel(eightBit.get(), 1, 0), 0xFF0000FFU);
  EXPECT_EQ(Pixel(eightBit.get(), 2, 0), 0xFF000000U);
  // 1 bit, most significant bit first: 1 0 1.
  const CairoSurfacePtr oneBit =
      DecodeBmp(Bmp(3, 1, 1, {std::string("\xA0\x00\x00\x00", 4)}, palette.substr(0, 8)));
  EXPECT_EQ(Pixel(oneBit.get(), 0, 0), 0xFF0000FFU);
  EXPECT_EQ(Pixel(oneBit.get(), 1, 0), 0xFF000000U);
  EXPECT_EQ(Pixel(oneBit.get(), 2, 0), 0xFF0000FFU);
}

TEST(BmpDecodingTest, RefusesDamagedOrUnsupportedFilesWithAClearMessage) {
  const std::string good = Bmp(2, 2, 24, {std::string(8, '\0'), std::string(8, '\0')});
  EXPECT_EQ(MessageOf([&] { DecodeBmp(good.substr(0, good.size() - 3)); }),
            "Imagem BMP inválida: pixels truncados.");
  EXPECT_EQ(MessageOf([&] { DecodeBmp("BM"); }), "Imagem BMP inválida: cabeçalho ausente.");
  EXPECT_EQ(MessageOf([&] { DecodeBmp(std::string(60, 'x')); }),
            "Imagem BMP inválida: cabeçalho ausente.");
  EXPECT_EQ(MessageOf([&] { DecodeBmp(Bmp(2, 2, 8, {std::string(8, '\0')}, {}, 1)); }),
            "Imagem BMP inválida: compressão não suportada (tipo 1).");
  EXPECT_EQ(MessageOf([&] { DecodeBmp(Bmp(0, 2, 24, {})); }),
            "Imagem BMP inválida: dimensões nulas.");
  // A header claiming a huge picture is refused before any memory is taken for it.
  EXPECT_EQ(MessageOf([&] { DecodeBmp(Bmp(30000, 30000, 24, {std::string(16, '\0')})); }),
            "Imagem BMP inválida: dimensões grandes demais (30000 x 30000).");
  std::string palette;
  Put32(palette, 0);
  std::string lyingHeader = Bmp(1, 1, 8, {std::string(4, '\0')}, palette);
  lyingHeader[46] = '\xFF';  // claims 255 palette colours that are not there
  EXPECT_EQ(MessageOf([&] { DecodeBmp(lyingHeader); }), "Imagem BMP inválida: paleta truncada.");
}

TEST(PngDecodingTest, DecodesAndRefusesCorruptData) {
  const std::string png = SolidPng(3, 2, 1, 0, 0);
  const CairoSurfacePtr surface = DecodePng(png);
  EXPECT_EQ(cairo_image_surface_get_width(surface.get()), 3);
  EXPECT_EQ(Pixel(surface.get(), 2, 1), 0xFFFF0000U);

  std::string corrupt = png;
  for (std::size_t i = 40; i < corrupt.size(); ++i) corrupt[i] = static_cast<char>(i * 7);
  EXPECT_EQ(MessageOf([&] { DecodePng(corrupt); }), "Imagem PNG inválida: dados corrompidos.");
  EXPECT_EQ(MessageOf([&] { DecodePng(png.substr(0, png.size() / 2)); }),
            "Imagem PNG inválida: dados corrompidos.");
  EXPECT_EQ(MessageOf([&] { DecodePng("GIF89a"); }), "Imagem PNG inválida: assinatura ausente.");
  std::string huge = png;
  huge.replace(16, 8, std::string("\x00\x00\x75\x30\x00\x00\x75\x30", 8));  // 30000 x 30000
  EXPECT_EQ(MessageOf([&] { DecodePng(huge); }),
            "Imagem PNG inválida: dimensões grandes demais (30000 x 30000).");
}

// Channels of a decoded pixel, for the tolerance that JPEG's loss needs.
struct Rgb {
  int Red, Green, Blue;
};
Rgb Channels(cairo_surface_t* surface, int x, int y) {
  const std::uint32_t pixel = Pixel(surface, x, y);
  return Rgb{static_cast<int>((pixel >> 16) & 0xFF), static_cast<int>((pixel >> 8) & 0xFF),
             static_cast<int>(pixel & 0xFF)};
}

void ExpectColour(cairo_surface_t* surface, int x, int y, Rgb expected) {
  const Rgb actual = Channels(surface, x, y);
  EXPECT_NEAR(actual.Red, expected.Red, 6) << x << "," << y;
  EXPECT_NEAR(actual.Green, expected.Green, 6) << x << "," << y;
  EXPECT_NEAR(actual.Blue, expected.Blue, 6) << x << "," << y;
}

void ExpectQuadrants(cairo_surface_t* surface) {
  const int width = cairo_image_surface_get_width(surface);
  const int height = cairo_image_surface_get_height(surface);
  ExpectColour(surface, width / 4, height / 4, {255, 0, 0});
  ExpectColour(surface, 3 * width / 4, height / 4, {0, 200, 0});
  ExpectColour(surface, width / 4, 3 * height / 4, {0, 0, 255});
  ExpectColour(surface, 3 * width / 4, 3 * height / 4, {255, 255, 255});
}

TEST(JpegDecodingTest, DecodesColourWithSubsampledChroma) {
  const CairoSurfacePtr surface = DecodeBaselineJpeg(kJpegColour);
  ASSERT_TRUE(surface);
  EXPECT_EQ(cairo_image_surface_get_width(surface.get()), 32);
  EXPECT_EQ(cairo_image_surface_get_height(surface.get()), 32);
  ExpectQuadrants(surface.get());
}

TEST(JpegDecodingTest, DecodesGreyAndRestartIntervals) {
  const CairoSurfacePtr grey = DecodeBaselineJpeg(kJpegGrey);
  ASSERT_TRUE(grey);
  ExpectColour(grey.get(), 4, 4, {0, 0, 0});
  ExpectColour(grey.get(), 12, 4, {80, 80, 80});
  ExpectColour(grey.get(), 4, 12, {160, 160, 160});
  ExpectColour(grey.get(), 12, 12, {240, 240, 240});
  const CairoSurfacePtr restarts = DecodeBaselineJpeg(kJpegWithRestarts);
  ASSERT_TRUE(restarts);
  EXPECT_EQ(cairo_image_surface_get_width(restarts.get()), 48);
  ExpectQuadrants(restarts.get());
}

TEST(JpegDecodingTest, LeavesRarerEncodingsToThePdfAndRefusesDamage) {
  EXPECT_FALSE(DecodeBaselineJpeg(kJpegProgressive));
  EXPECT_EQ(MessageOf([] { DecodeBaselineJpeg(kJpegColour.substr(0, kJpegColour.size() - 20)); }),
            "Imagem JPEG inválida: dados da imagem truncados.");
  std::string noTables = kJpegColour;
  noTables[noTables.find("\xFF\xC4")] = '\x00';  // the first Huffman table is gone
  EXPECT_THROW(DecodeBaselineJpeg(noTables), Exception);
}

TEST(JpegWrappingTest, CarriesTheOriginalBytesWithTheDecodedPixels) {
  const CairoSurfacePtr surface = WrapJpeg(kJpegColour);
  EXPECT_EQ(cairo_image_surface_get_width(surface.get()), 32);
  ExpectQuadrants(surface.get());
  const unsigned char* data = nullptr;
  unsigned long length = 0;
  cairo_surface_get_mime_data(surface.get(), CAIRO_MIME_TYPE_JPEG, &data, &length);
  ASSERT_EQ(length, kJpegColour.size());
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(data), length), kJpegColour);
}

TEST(JpegWrappingTest, AProgressivePictureIsAPaleBoxOfItsSizeOnRasterPages) {
  const CairoSurfacePtr surface = WrapJpeg(kJpegProgressive);
  EXPECT_EQ(cairo_image_surface_get_width(surface.get()), 32);
  EXPECT_EQ(cairo_image_surface_get_height(surface.get()), 32);
  ExpectColour(surface.get(), 16, 16, {230, 230, 230});
  const unsigned char* data = nullptr;
  unsigned long length = 0;
  cairo_surface_get_mime_data(surface.get(), CAIRO_MIME_TYPE_JPEG, &data, &length);
  EXPECT_EQ(length, kJpegProgressive.size());
}

TEST(JpegWrappingTest, RefusesDamagedOrUnsupportedFiles) {
  const std::string jpeg = JpegStructure(40, 30);
  EXPECT_EQ(MessageOf([&] { WrapJpeg(jpeg.substr(0, 30)); }),
            "Imagem JPEG inválida: segmento truncado.");
  EXPECT_EQ(MessageOf([&] { WrapJpeg("\xFF\xD8\xFF\xD9"); }),
            "Imagem JPEG inválida: quadro ausente ou sem dados.");
  EXPECT_EQ(MessageOf([&] { WrapJpeg("not a jpeg"); }),
            "Imagem JPEG inválida: assinatura ausente.");
  EXPECT_EQ(MessageOf([&] { WrapJpeg(JpegStructure(40, 30, 4)); }),
            "Imagem JPEG inválida: 4 componentes de cor (use RGB ou tons de cinza).");
  std::string garbage = jpeg;
  garbage[2] = 'x';
  EXPECT_EQ(MessageOf([&] { WrapJpeg(garbage); }), "Imagem JPEG inválida: marcador inválido.");
}

TEST(ImageCacheTest, DecodesEachDistinctPictureOnce) {
  ImageCache cache;
  const TBitmap logo(TGraphicFormat::PNG, SolidPng(4, 4, 0, 0, 1), 4, 4);
  const TBitmap sameLogo = logo;  // shares the bytes, as pages showing one picture do
  cairo_surface_t* first = cache.Surface(logo);
  EXPECT_EQ(cache.Surface(sameLogo), first);
  EXPECT_EQ(cache.Size(), 1u);
  const TBitmap other(TGraphicFormat::PNG, SolidPng(4, 4, 0, 0, 1), 4, 4);
  EXPECT_NE(cache.Surface(other), first);
  EXPECT_EQ(cache.Size(), 2u);
}

TEST(ImageCacheTest, AnUnreadablePictureRaisesAndIsNotKept) {
  ImageCache cache;
  const TBitmap broken(TGraphicFormat::BMP, "BM not really", 10, 10);
  EXPECT_THROW(cache.Surface(broken), Exception);
  EXPECT_EQ(cache.Size(), 0u);
}

}  // namespace
