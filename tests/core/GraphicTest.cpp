// Image formats told by their leading bytes, and pictures that refuse damaged data.
#include <cairo.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>

#include "Exception.h"
#include "TGraphic.h"
#include "render/JpegSamples.h"

namespace {

std::string BigEndian32(std::uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
          static_cast<char>(v)};
}
std::string LittleEndian32(std::uint32_t v) {
  return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
          static_cast<char>(v >> 24)};
}

std::uint32_t Crc32(const std::string& bytes) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char byte : bytes) {
    crc ^= byte;
    for (int k = 0; k < 8; ++k) crc = (crc & 1) ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
  }
  return crc ^ 0xFFFFFFFFu;
}

std::string PngChunk(const std::string& type, const std::string& data) {
  return BigEndian32(static_cast<std::uint32_t>(data.size())) + type + data +
         BigEndian32(Crc32(type + data));
}

// A header with a correct checksum and a data chunk that holds no picture of that size.
std::string PngHeader(std::uint32_t width, std::uint32_t height) {
  const std::string header =
      BigEndian32(width) + BigEndian32(height) + std::string("\x08\x02\0\0\0", 5);
  return std::string("\x89PNG\r\n\x1a\n", 8) + PngChunk("IHDR", header) +
         PngChunk("IDAT", std::string("\x78\x9c\x63\x00\x00\x00\x01\x00\x01", 9)) +
         PngChunk("IEND", "");
}

// A real picture of that size, as Cairo writes it.
std::string Png(int width, int height) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  std::string bytes;
  cairo_surface_write_to_png_stream(
      surface,
      [](void* closure, const unsigned char* data, unsigned int length) {
        static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
        return CAIRO_STATUS_SUCCESS;
      },
      &bytes);
  cairo_surface_destroy(surface);
  return bytes;
}

using render_test::kJpegColour;        // 32 x 32
using render_test::kJpegWithRestarts;  // 48 x 32

// One red pixel.
const std::string kGif(
    "GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\x00\x00\x00\x00\x00"
    "\x2c\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00\x3b",
    35);

std::string Bmp(int width, int height) {
  const std::uint32_t rowBytes = (24u * static_cast<std::uint32_t>(width) + 31) / 32 * 4;
  const std::uint32_t pixels = rowBytes * static_cast<std::uint32_t>(height < 0 ? -height : height);
  std::string info = LittleEndian32(40) + LittleEndian32(static_cast<std::uint32_t>(width)) +
                     LittleEndian32(static_cast<std::uint32_t>(height)) +
                     std::string("\x01\x00\x18\x00", 4) + LittleEndian32(0) +
                     LittleEndian32(pixels) + std::string(16, '\0');
  return "BM" + LittleEndian32(54 + pixels) + LittleEndian32(0) + LittleEndian32(54) + info +
         std::string(pixels, '\x7f');
}

TBitmap Load(const std::string& bytes, TGraphicFormat format) {
  TMemoryStream stream(bytes);
  TPicture picture;
  picture.LoadFromStream(stream, format);
  return picture.Bitmap();
}

TEST(GraphicClass, ToldByLeadingBytes) {
  EXPECT_EQ(GetGraphicClass(TMemoryStream(Png(1, 1))), TGraphicFormat::PNG);
  EXPECT_EQ(GetGraphicClass(TMemoryStream(kJpegColour)), TGraphicFormat::JPEG);
  EXPECT_EQ(GetGraphicClass(TMemoryStream(Bmp(1, 1))), TGraphicFormat::BMP);
  EXPECT_EQ(GetGraphicClass(TMemoryStream(kGif)), TGraphicFormat::GIF);
  EXPECT_EQ(GetGraphicClass(TMemoryStream(std::string("II*\0\x08\0\0\0", 8))),
            TGraphicFormat::TIFF);
  EXPECT_EQ(GetGraphicClass(TMemoryStream(std::string("MM\0*\0\0\0\x08", 8))),
            TGraphicFormat::TIFF);
  EXPECT_EQ(GetGraphicClass(TMemoryStream(std::string("\0\0\1\0\1\0", 6))), TGraphicFormat::ICO);
  EXPECT_EQ(GetGraphicClass(TMemoryStream(std::string("\0\0\1\0\0\0", 6))), std::nullopt);
  EXPECT_EQ(GetGraphicClass(TMemoryStream("GIF90a....")), std::nullopt);
  EXPECT_EQ(GetGraphicClass(TMemoryStream("")), std::nullopt);
  EXPECT_EQ(GetGraphicClass(TMemoryStream("B")), std::nullopt);
}

TEST(PictureLoading, ReadsThePixelSizeOfEachFormat) {
  const TBitmap png = Load(Png(640, 200), TGraphicFormat::PNG);
  EXPECT_EQ(std::pair(png.Width(), png.Height()), std::pair(640, 200));
  EXPECT_EQ(png.Format(), TGraphicFormat::PNG);
  EXPECT_FALSE(png.Empty());
  const TBitmap jpeg = Load(kJpegWithRestarts, TGraphicFormat::JPEG);
  EXPECT_EQ(std::pair(jpeg.Width(), jpeg.Height()), std::pair(48, 32));
  const TBitmap gif = Load(kGif, TGraphicFormat::GIF);
  EXPECT_EQ(std::pair(gif.Width(), gif.Height()), std::pair(1, 1));
  const TBitmap bmp = Load(Bmp(3, -2), TGraphicFormat::BMP);  // top-down rows
  EXPECT_EQ(std::pair(bmp.Width(), bmp.Height()), std::pair(3, 2));
}

TEST(PictureLoading, CopiesShareTheEncodedBytes) {
  TMemoryStream stream(Png(2, 2));
  TPicture picture;
  picture.LoadFromStream(stream, TGraphicFormat::PNG);
  TPicture copy;
  copy.Assign(picture);
  EXPECT_EQ(copy.Bitmap().Identity(), picture.Bitmap().Identity());
  EXPECT_EQ(copy.Bitmap().Bytes(), Png(2, 2));
}

void ExpectInvalid(const std::string& bytes, TGraphicFormat format) {
  try {
    Load(bytes, format);
    ADD_FAILURE() << "accepted " << bytes.size() << " bytes";
  } catch (const Exception& error) {
    const std::string message = error.what();
    EXPECT_EQ(message.rfind("Imagem ", 0), 0u) << message;
    EXPECT_NE(message.find(" inválida: "), std::string::npos) << message;
  }
}

TEST(PictureLoading, EveryTruncationIsRefusedWithAClearMessage) {
  for (const auto& [bytes, format] :
       {std::pair{Png(4, 4), TGraphicFormat::PNG}, std::pair{kJpegColour, TGraphicFormat::JPEG},
        std::pair{Bmp(4, 4), TGraphicFormat::BMP}}) {
    for (std::size_t length = 0; length < bytes.size(); ++length) {
      ExpectInvalid(bytes.substr(0, length), format);
    }
  }
}

TEST(PictureLoading, DamagedOrMislabelledDataIsRefused) {
  std::string damaged = Png(4, 4);
  damaged[20] ^= 0x01;  // inside IHDR: its checksum no longer matches
  ExpectInvalid(damaged, TGraphicFormat::PNG);
  ExpectInvalid(Png(4, 4), TGraphicFormat::JPEG);
  ExpectInvalid(kJpegColour, TGraphicFormat::BMP);
  ExpectInvalid(PngHeader(0, 4), TGraphicFormat::PNG);
  ExpectInvalid(PngHeader(4, 4), TGraphicFormat::PNG);  // too little data for its pixels
  std::string noHeight = kJpegColour;
  const std::size_t frame = noHeight.find("\xFF\xC0");
  noHeight[frame + 5] = noHeight[frame + 6] = '\0';
  ExpectInvalid(noHeight, TGraphicFormat::JPEG);
  ExpectInvalid(Bmp(0, 4), TGraphicFormat::BMP);
  ExpectInvalid(std::string(64, '\xFF'), TGraphicFormat::JPEG);
  std::string hugeBmp = Bmp(2, 2);
  hugeBmp.replace(18, 4, LittleEndian32(0x7FFFFFFF));  // claims far more pixels than it has
  ExpectInvalid(hugeBmp, TGraphicFormat::BMP);
}

TEST(PictureLoading, AFailedLoadKeepsThePreviousImage) {
  TMemoryStream good(Png(8, 6));
  TPicture picture;
  picture.LoadFromStream(good, TGraphicFormat::PNG);
  TMemoryStream bad(Png(8, 6).substr(0, 30));
  EXPECT_THROW(picture.LoadFromStream(bad, TGraphicFormat::PNG), Exception);
  EXPECT_EQ(picture.Bitmap().Width(), 8);
}

TEST(PictureLoading, ReadsFromTheStreamPosition) {
  TMemoryStream stream("junk" + Png(5, 7));
  stream.SetPosition(4);
  EXPECT_EQ(GetGraphicClass(stream), TGraphicFormat::PNG);
  TPicture picture;
  picture.LoadFromStream(stream, TGraphicFormat::PNG);
  EXPECT_EQ(picture.Bitmap().Height(), 7);
  EXPECT_EQ(stream.Position(), stream.Size());
}

}  // namespace
