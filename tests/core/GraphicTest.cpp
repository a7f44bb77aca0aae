// Image formats told by their leading bytes, and pictures that refuse damaged data.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>

#include "Exception.h"
#include "TGraphic.h"

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

std::string Png(std::uint32_t width, std::uint32_t height) {
  const std::string header =
      BigEndian32(width) + BigEndian32(height) + std::string("\x08\x02\0\0\0", 5);
  return std::string("\x89PNG\r\n\x1a\n", 8) + PngChunk("IHDR", header) +
         PngChunk("IDAT", std::string("\x78\x9c\x63\x00\x00\x00\x01\x00\x01", 9)) +
         PngChunk("IEND", "");
}

std::string Jpeg(std::uint16_t width, std::uint16_t height) {
  std::string frame = "\xFF\xC0";
  frame += std::string("\x00\x0B\x08", 3);
  frame += {static_cast<char>(height >> 8), static_cast<char>(height),
            static_cast<char>(width >> 8), static_cast<char>(width)};
  frame += std::string("\x01\x01\x11\x00", 4);
  return std::string("\xFF\xD8", 2) + std::string("\xFF\xE0\x00\x04\x00\x00", 6) + frame +
         std::string("\xFF\xDA\x00\x08\x01\x01\x00\x00\x3F\x00", 10) + "\x12\x34\x56" + "\xFF\xD9";
}

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
  EXPECT_EQ(GetGraphicClass(TMemoryStream(Jpeg(1, 1))), TGraphicFormat::JPEG);
  EXPECT_EQ(GetGraphicClass(TMemoryStream(Bmp(1, 1))), TGraphicFormat::BMP);
  EXPECT_EQ(GetGraphicClass(TMemoryStream("GIF89a....")), std::nullopt);
  EXPECT_EQ(GetGraphicClass(TMemoryStream("")), std::nullopt);
  EXPECT_EQ(GetGraphicClass(TMemoryStream("B")), std::nullopt);
}

TEST(PictureLoading, ReadsThePixelSizeOfEachFormat) {
  const TBitmap png = Load(Png(640, 200), TGraphicFormat::PNG);
  EXPECT_EQ(std::pair(png.Width(), png.Height()), std::pair(640, 200));
  EXPECT_EQ(png.Format(), TGraphicFormat::PNG);
  EXPECT_FALSE(png.Empty());
  const TBitmap jpeg = Load(Jpeg(300, 120), TGraphicFormat::JPEG);
  EXPECT_EQ(std::pair(jpeg.Width(), jpeg.Height()), std::pair(300, 120));
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
    EXPECT_EQ(std::string(error.what()).rfind("Imagem inválida: ", 0), 0u) << error.what();
  }
}

TEST(PictureLoading, EveryTruncationIsRefusedWithAClearMessage) {
  for (const auto& [bytes, format] :
       {std::pair{Png(4, 4), TGraphicFormat::PNG}, std::pair{Jpeg(4, 4), TGraphicFormat::JPEG},
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
  ExpectInvalid(Jpeg(4, 4), TGraphicFormat::BMP);
  ExpectInvalid(Png(0, 4), TGraphicFormat::PNG);
  ExpectInvalid(Jpeg(0, 4), TGraphicFormat::JPEG);
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
