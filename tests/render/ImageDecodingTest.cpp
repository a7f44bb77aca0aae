// Logos decoded through gdk-pixbuf: each format's pixels, premultiplied alpha for Cairo, the
// JPEG bytes kept for the PDF, and damaged or oversized pictures refused with a clear message.
#include "render/ImageDecoding.h"

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "Exception.h"
#include "render/ImageCache.h"
#include "render/ImageFixtures.h"
#include "render/JpegSamples.h"

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

// A picture written by gdk-pixbuf's own encoder for `type`: quadrants red, green, blue and
// white, each pixel with `alpha`.
std::string Encoded(const char* type, int width, int height, guint8 alpha = 255) {
  std::unique_ptr<GdkPixbuf, decltype(&g_object_unref)> pixbuf(
      gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, width, height), &g_object_unref);
  const int stride = gdk_pixbuf_get_rowstride(pixbuf.get());
  guint8* pixels = gdk_pixbuf_get_pixels(pixbuf.get());
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int quadrant = (y >= height / 2 ? 2 : 0) + (x >= width / 2 ? 1 : 0);
      static constexpr guint8 kColours[4][3] = {
          {255, 0, 0}, {0, 200, 0}, {0, 0, 255}, {255, 255, 255}};
      guint8* pixel = pixels + y * stride + x * 4;
      std::memcpy(pixel, kColours[quadrant], 3);
      pixel[3] = alpha;
    }
  }
  gchar* buffer = nullptr;
  gsize size = 0;
  GError* error = nullptr;
  const bool saved = gdk_pixbuf_save_to_buffer(pixbuf.get(), &buffer, &size, type, &error, nullptr);
  if (!saved) {
    const std::string message = error->message;
    g_error_free(error);
    throw std::runtime_error(message);
  }
  std::string bytes(buffer, size);
  g_free(buffer);
  return bytes;
}

// One red pixel: a global table of red and black, and the LZW codes clear, 0, end.
const std::string kRedGif(
    "GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\x00\x00\x00\x00\x00"
    "\x2c\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00\x3b",
    35);

std::string BigEndian32(std::uint32_t value) {
  return {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
          static_cast<char>(value >> 8), static_cast<char>(value)};
}

// A PNG whose header, with a correct checksum, claims `width` x `height` pixels.
std::string PngClaiming(std::uint32_t width, std::uint32_t height) {
  std::string png = Encoded("png", 2, 2);
  const std::string chunk = "IHDR" + BigEndian32(width) + BigEndian32(height) + png.substr(24, 5);
  std::uint32_t crc = 0xFFFFFFFFU;
  for (const unsigned char byte : chunk) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 1U) ? 0xEDB88320U ^ (crc >> 1) : crc >> 1;
  }
  png.replace(12, 17, chunk);
  png.replace(29, 4, BigEndian32(crc ^ 0xFFFFFFFFU));
  return png;
}

struct Rgb {
  int Red, Green, Blue;
};

void ExpectColour(cairo_surface_t* surface, int x, int y, Rgb expected, int tolerance = 6) {
  const std::uint32_t pixel = Pixel(surface, x, y);
  EXPECT_NEAR(static_cast<int>((pixel >> 16) & 0xFF), expected.Red, tolerance) << x << "," << y;
  EXPECT_NEAR(static_cast<int>((pixel >> 8) & 0xFF), expected.Green, tolerance) << x << "," << y;
  EXPECT_NEAR(static_cast<int>(pixel & 0xFF), expected.Blue, tolerance) << x << "," << y;
}

void ExpectQuadrants(cairo_surface_t* surface, int tolerance = 6) {
  const int width = cairo_image_surface_get_width(surface);
  const int height = cairo_image_surface_get_height(surface);
  ExpectColour(surface, width / 4, height / 4, {255, 0, 0}, tolerance);
  ExpectColour(surface, 3 * width / 4, height / 4, {0, 200, 0}, tolerance);
  ExpectColour(surface, width / 4, 3 * height / 4, {0, 0, 255}, tolerance);
  ExpectColour(surface, 3 * width / 4, 3 * height / 4, {255, 255, 255}, tolerance);
}

TEST(ImageDecodingTest, EveryFormatDecodesToItsPixels) {
  for (const auto& [type, format] :
       {std::pair{"png", TGraphicFormat::PNG}, std::pair{"bmp", TGraphicFormat::BMP},
        std::pair{"tiff", TGraphicFormat::TIFF}, std::pair{"ico", TGraphicFormat::ICO}}) {
    SCOPED_TRACE(type);
    const CairoSurfacePtr surface = DecodeImage(Encoded(type, 16, 8), format);
    ASSERT_EQ(cairo_image_surface_get_width(surface.get()), 16);
    ASSERT_EQ(cairo_image_surface_get_height(surface.get()), 8);
    ExpectQuadrants(surface.get(), 0);
  }
  const CairoSurfacePtr gif = DecodeImage(kRedGif, TGraphicFormat::GIF);
  EXPECT_EQ(Pixel(gif.get(), 0, 0), 0xFFFF0000U);
  ExpectQuadrants(DecodeImage(kJpegColour, TGraphicFormat::JPEG).get());
}

TEST(ImageDecodingTest, TranslucentPixelsArePremultipliedForCairo) {
  for (const auto& [type, format] :
       {std::pair{"png", TGraphicFormat::PNG}, std::pair{"ico", TGraphicFormat::ICO}}) {
    const CairoSurfacePtr surface = DecodeImage(Encoded(type, 2, 2, 128), format);
    EXPECT_EQ(cairo_image_surface_get_format(surface.get()), CAIRO_FORMAT_ARGB32) << type;
    EXPECT_EQ(Pixel(surface.get(), 0, 0), 0x80800000U) << type;  // half-transparent red
    EXPECT_EQ(Pixel(surface.get(), 1, 1), 0x80808080U) << type;  // half-transparent white
  }
  const CairoSurfacePtr clear = DecodeImage(Encoded("png", 2, 2, 0), TGraphicFormat::PNG);
  EXPECT_EQ(Pixel(clear.get(), 0, 0), 0U);
}

TEST(ImageDecodingTest, BmpRowsPalettesAndMasks) {
  // Stored bottom row first unless the height is negative.
  const CairoSurfacePtr bottomUp = DecodeImage(
      Bmp(1, 2, 24, {Bgr(255, 0, 0) + '\0', Bgr(0, 0, 255) + '\0'}), TGraphicFormat::BMP);
  EXPECT_EQ(Pixel(bottomUp.get(), 0, 0), 0xFF0000FFU);
  EXPECT_EQ(Pixel(bottomUp.get(), 0, 1), 0xFFFF0000U);
  const CairoSurfacePtr topDown = DecodeImage(
      Bmp(1, -2, 24, {Bgr(255, 0, 0) + '\0', Bgr(0, 0, 255) + '\0'}), TGraphicFormat::BMP);
  EXPECT_EQ(Pixel(topDown.get(), 0, 0), 0xFFFF0000U);

  std::string palette;
  Put32(palette, 0x00000000);  // black
  Put32(palette, 0x000000FF);  // blue
  Put32(palette, 0x00FF0000);  // red
  const CairoSurfacePtr eightBit =
      DecodeImage(Bmp(3, 1, 8, {std::string("\x02\x01\x00\x00", 4)}, palette), TGraphicFormat::BMP);
  EXPECT_EQ(Pixel(eightBit.get(), 0, 0), 0xFFFF0000U);
  EXPECT_EQ(Pixel(eightBit.get(), 1, 0), 0xFF0000FFU);
  EXPECT_EQ(Pixel(eightBit.get(), 2, 0), 0xFF000000U);

  std::string masks;
  Put32(masks, 0x0000F800);  // 5-6-5
  Put32(masks, 0x000007E0);
  Put32(masks, 0x0000001F);
  std::string row;
  Put16(row, 0xF800);
  Put16(row, 0x07E0);
  const CairoSurfacePtr fiveSixFive =
      DecodeImage(Bmp(2, 1, 16, {row}, {}, 3, masks), TGraphicFormat::BMP);
  EXPECT_EQ(Pixel(fiveSixFive.get(), 0, 0), 0xFFFF0000U);
  EXPECT_EQ(Pixel(fiveSixFive.get(), 1, 0), 0xFF00FF00U);

  // Alpha in a 32-bit picture is often left at zero by programs that do not use it.
  std::string unusedAlpha;
  Put32(unusedAlpha, 0x00112233);
  const CairoSurfacePtr opaque = DecodeImage(Bmp(1, 1, 32, {unusedAlpha}), TGraphicFormat::BMP);
  EXPECT_EQ(Pixel(opaque.get(), 0, 0), 0xFF112233U);
}

TEST(ImageDecodingTest, JpegKeepsItsBytesForThePdfAndDecodesEveryEncoding) {
  const CairoSurfacePtr surface = DecodeImage(kJpegColour, TGraphicFormat::JPEG);
  const unsigned char* data = nullptr;
  unsigned long length = 0;
  cairo_surface_get_mime_data(surface.get(), CAIRO_MIME_TYPE_JPEG, &data, &length);
  ASSERT_EQ(length, kJpegColour.size());
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(data), length), kJpegColour);

  const CairoSurfacePtr grey = DecodeImage(kJpegGrey, TGraphicFormat::JPEG);
  ExpectColour(grey.get(), 4, 4, {0, 0, 0});
  ExpectColour(grey.get(), 12, 12, {240, 240, 240});
  const CairoSurfacePtr restarts = DecodeImage(kJpegWithRestarts, TGraphicFormat::JPEG);
  EXPECT_EQ(cairo_image_surface_get_width(restarts.get()), 48);
  ExpectQuadrants(restarts.get());
  ExpectQuadrants(DecodeImage(kJpegProgressive, TGraphicFormat::JPEG).get());

  const CairoSurfacePtr png = DecodeImage(Encoded("png", 2, 2), TGraphicFormat::PNG);
  cairo_surface_get_mime_data(png.get(), CAIRO_MIME_TYPE_JPEG, &data, &length);
  EXPECT_EQ(data, nullptr);
}

TEST(ImageDecodingTest, TruncatedPicturesAreRefusedWithAClearMessage) {
  const std::vector<std::pair<std::string, TGraphicFormat>> pictures = {
      {Encoded("png", 16, 8), TGraphicFormat::PNG},   {kJpegColour, TGraphicFormat::JPEG},
      {Encoded("bmp", 16, 8), TGraphicFormat::BMP},   {kRedGif, TGraphicFormat::GIF},
      {Encoded("tiff", 16, 8), TGraphicFormat::TIFF}, {Encoded("ico", 16, 8), TGraphicFormat::ICO}};
  for (const auto& [bytes, format] : pictures) {
    const std::string expected = "Imagem " + image_header::FormatName(format) + " inválida: ";
    for (const std::size_t length :
         {std::size_t{1}, std::size_t{10}, bytes.size() / 2, bytes.size() - 12, bytes.size() - 1}) {
      EXPECT_EQ(MessageOf([&] { DecodeImage(bytes.substr(0, length), format); }).rfind(expected, 0),
                0u)
          << expected << length;
    }
  }
}

TEST(ImageDecodingTest, DamagedOrMislabelledPicturesAreRefused) {
  std::string corrupt = Encoded("png", 16, 8);
  for (std::size_t i = 40; i < corrupt.size(); ++i) corrupt[i] = static_cast<char>(i * 7);
  EXPECT_EQ(MessageOf([&] { DecodeImage(corrupt, TGraphicFormat::PNG); }),
            "Imagem PNG inválida: dados corrompidos.");
  EXPECT_EQ(MessageOf([&] { DecodeImage(kRedGif, TGraphicFormat::PNG); }),
            "Imagem PNG inválida: os dados não são PNG.");
  EXPECT_EQ(MessageOf([&] { DecodeImage(Encoded("png", 2, 2), TGraphicFormat::JPEG); }),
            "Imagem JPEG inválida: os dados não são JPEG.");
  EXPECT_EQ(MessageOf([&] { DecodeImage("", TGraphicFormat::BMP); }), "Imagem vazia.");
  // A palette count that a loader multiplies into a buffer size of gigabytes.
  std::string manyColours = Bmp(1, 1, 8, {std::string(4, '\0')}, std::string(4, '\0'));
  manyColours.replace(46, 4, "\xFF\xFF\xFF\x3F");
  EXPECT_EQ(MessageOf([&] { DecodeImage(manyColours, TGraphicFormat::BMP); }),
            "Imagem BMP inválida: dados corrompidos.");
  std::string farPixels = Bmp(1, 1, 24, {std::string(4, '\0')});
  farPixels.replace(10, 4, std::string("\0\0\0\x7F", 4));  // pixels said to lie 2 GB in
  EXPECT_EQ(MessageOf([&] { DecodeImage(farPixels, TGraphicFormat::BMP); }),
            "Imagem BMP inválida: dados corrompidos.");
  std::string badFrame = kJpegColour;
  badFrame[badFrame.find("\xFF\xC0") + 9] = '\x07';  // seven colour components
  EXPECT_EQ(MessageOf([&] { DecodeImage(badFrame, TGraphicFormat::JPEG); }),
            "Imagem JPEG inválida: dados corrompidos.");
}

TEST(ImageDecodingTest, OversizedPicturesAreRefusedBeforeTheirPixelsAreAllocated) {
  EXPECT_EQ(MessageOf([] { DecodeImage(PngClaiming(30000, 30000), TGraphicFormat::PNG); }),
            "Imagem PNG inválida: dimensões grandes demais (30000 x 30000).");
  EXPECT_EQ(MessageOf([] { DecodeImage(PngClaiming(40000, 1), TGraphicFormat::PNG); }),
            "Imagem PNG inválida: dimensões grandes demais (40000 x 1).");
  EXPECT_EQ(MessageOf([] {
              DecodeImage(Bmp(30000, 30000, 24, {std::string(16, '\0')}), TGraphicFormat::BMP);
            }),
            "Imagem BMP inválida: dimensões grandes demais (30000 x 30000).");
  std::string hugeGif = kRedGif;
  hugeGif.replace(6, 4, "\x30\x75\x30\x75");   // the screen: 30000 x 30000
  hugeGif.replace(22, 4, "\x30\x75\x30\x75");  // the image
  EXPECT_EQ(MessageOf([&] {
              DecodeImage(hugeGif, TGraphicFormat::GIF);
            }).rfind("Imagem GIF inválida: ", 0),
            0u);
  // Pictures loaded into a report are checked the same way.
  TMemoryStream stream(PngClaiming(30000, 30000));
  TPicture picture;
  EXPECT_EQ(MessageOf([&] { picture.LoadFromStream(stream, TGraphicFormat::PNG); }),
            "Imagem PNG inválida: dimensões grandes demais (30000 x 30000).");
}

TEST(ImageCacheTest, DecodesEachDistinctPictureOnce) {
  ImageCache cache;
  const TBitmap logo(TGraphicFormat::PNG, Encoded("png", 4, 4), 4, 4);
  const TBitmap sameLogo = logo;  // shares the bytes, as pages showing one picture do
  cairo_surface_t* first = cache.Surface(logo);
  EXPECT_EQ(cache.Surface(sameLogo), first);
  EXPECT_EQ(cache.Size(), 1u);
  const TBitmap other(TGraphicFormat::PNG, Encoded("png", 4, 4), 4, 4);
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
