#include "ImageHeader.h"

#include <array>
#include <cstdint>
#include <limits>

#include "Exception.h"

namespace image_header {

namespace {

const std::string kPngSignature("\x89PNG\r\n\x1a\n", 8);

[[noreturn]] void Invalid(const std::string& what) {
  throw Exception("Imagem inválida: " + what);
}

std::uint32_t Byte(const std::string& bytes, std::size_t at) {
  return static_cast<unsigned char>(bytes[at]);
}
std::uint32_t BigEndian16(const std::string& b, std::size_t at) {
  return Byte(b, at) << 8 | Byte(b, at + 1);
}
std::uint32_t BigEndian32(const std::string& b, std::size_t at) {
  return BigEndian16(b, at) << 16 | BigEndian16(b, at + 2);
}
std::uint32_t LittleEndian16(const std::string& b, std::size_t at) {
  return Byte(b, at) | Byte(b, at + 1) << 8;
}
std::uint32_t LittleEndian32(const std::string& b, std::size_t at) {
  return LittleEndian16(b, at) | LittleEndian16(b, at + 2) << 16;
}

std::uint32_t Crc32(const std::string& bytes, std::size_t begin, std::size_t length) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = begin; i < begin + length; ++i) {
    crc = table[(crc ^ Byte(bytes, i)) & 0xFF] ^ (crc >> 8);
  }
  return crc ^ 0xFFFFFFFFu;
}

// Walks every chunk up to IEND, so that a truncated or damaged file is refused here rather
// than when a page is drawn.
PixelSize ReadPng(const std::string& bytes) {
  if (bytes.compare(0, kPngSignature.size(), kPngSignature) != 0) {
    Invalid("os dados não são PNG");
  }
  PixelSize size;
  bool sawHeader = false;
  bool sawData = false;
  std::size_t at = kPngSignature.size();
  while (true) {
    if (bytes.size() - at < 12) Invalid("PNG truncado");
    const std::uint64_t length = BigEndian32(bytes, at);
    const std::string type = bytes.substr(at + 4, 4);
    if (length > 0x7FFFFFFFu || bytes.size() - at - 12 < length) Invalid("PNG truncado");
    const std::size_t data = at + 8;
    if (Crc32(bytes, at + 4, 4 + length) != BigEndian32(bytes, data + length)) {
      Invalid("PNG corrompido (bloco " + type + ")");
    }
    if (!sawHeader) {
      if (type != "IHDR" || length != 13) Invalid("PNG sem cabeçalho IHDR");
      const std::uint32_t width = BigEndian32(bytes, data);
      const std::uint32_t height = BigEndian32(bytes, data + 4);
      if (width == 0 || height == 0 || width > 0x7FFFFFFFu || height > 0x7FFFFFFFu) {
        Invalid("PNG com tamanho de imagem inválido");
      }
      size = {static_cast<int>(width), static_cast<int>(height)};
      sawHeader = true;
    } else if (type == "IDAT") {
      sawData = true;
    } else if (type == "IEND") {
      if (!sawData) Invalid("PNG sem dados de imagem");
      return size;
    }
    at = data + length + 4;
  }
}

bool IsStartOfFrame(std::uint32_t marker) {
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

PixelSize ReadJpeg(const std::string& bytes) {
  if (bytes.size() < 3 || Byte(bytes, 0) != 0xFF || Byte(bytes, 1) != 0xD8) {
    Invalid("os dados não são JPEG");
  }
  PixelSize size;
  bool sawFrame = false;
  std::size_t at = 2;
  while (true) {
    if (at >= bytes.size() || Byte(bytes, at) != 0xFF) Invalid("JPEG truncado ou corrompido");
    while (at < bytes.size() && Byte(bytes, at) == 0xFF) ++at;  // fill bytes
    if (at >= bytes.size()) Invalid("JPEG truncado");
    const std::uint32_t marker = Byte(bytes, at++);
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) continue;  // no length
    if (marker == 0xD9) Invalid("JPEG sem imagem");
    if (bytes.size() - at < 2) Invalid("JPEG truncado");
    const std::size_t length = BigEndian16(bytes, at);
    if (length < 2 || bytes.size() - at < length) Invalid("JPEG truncado");
    if (IsStartOfFrame(marker)) {
      if (length < 8) Invalid("JPEG com cabeçalho de quadro inválido");
      size.Height = static_cast<int>(BigEndian16(bytes, at + 3));
      size.Width = static_cast<int>(BigEndian16(bytes, at + 5));
      if (size.Width == 0 || size.Height == 0) Invalid("JPEG com tamanho de imagem inválido");
      sawFrame = true;
    } else if (marker == 0xDA) {
      if (!sawFrame) Invalid("JPEG sem cabeçalho de quadro");
      // The compressed data follows; a complete file closes it with the end-of-image marker.
      if (bytes.find("\xFF\xD9", at + length) == std::string::npos) Invalid("JPEG truncado");
      return size;
    }
    at += length;
  }
}

PixelSize ReadBmp(const std::string& bytes) {
  if (bytes.size() < 2 || bytes[0] != 'B' || bytes[1] != 'M') Invalid("os dados não são BMP");
  if (bytes.size() < 26) Invalid("BMP truncado");
  const std::uint64_t pixelOffset = LittleEndian32(bytes, 10);
  const std::uint64_t headerSize = LittleEndian32(bytes, 14);
  std::int64_t width = 0;
  std::int64_t height = 0;
  std::uint32_t bitsPerPixel = 0;
  std::uint32_t compression = 0;
  if (headerSize == 12) {
    width = LittleEndian16(bytes, 18);
    height = LittleEndian16(bytes, 20);
    bitsPerPixel = LittleEndian16(bytes, 24);
  } else if (headerSize >= 40 && headerSize <= 124) {
    if (bytes.size() < 14 + headerSize) Invalid("BMP truncado");
    width = static_cast<std::int32_t>(LittleEndian32(bytes, 18));
    height = static_cast<std::int32_t>(LittleEndian32(bytes, 22));
    bitsPerPixel = LittleEndian16(bytes, 28);
    compression = LittleEndian32(bytes, 30);
  } else {
    Invalid("BMP com cabeçalho desconhecido");
  }
  if (height < 0) height = -height;  // rows stored top-down
  if (width <= 0 || height <= 0 || width > std::numeric_limits<int>::max() ||
      height > std::numeric_limits<int>::max()) {
    Invalid("BMP com tamanho de imagem inválido");
  }
  if (bitsPerPixel != 1 && bitsPerPixel != 4 && bitsPerPixel != 8 && bitsPerPixel != 16 &&
      bitsPerPixel != 24 && bitsPerPixel != 32) {
    Invalid("BMP com profundidade de cor inválida");
  }
  if (pixelOffset < 14 + headerSize || pixelOffset >= bytes.size()) Invalid("BMP truncado");
  if (compression == 0 || compression == 3 || compression == 6) {
    const std::uint64_t rowBytes =
        (static_cast<std::uint64_t>(bitsPerPixel) * static_cast<std::uint64_t>(width) + 31) / 32 *
        4;
    if (rowBytes * static_cast<std::uint64_t>(height) > bytes.size() - pixelOffset) {
      Invalid("BMP truncado");
    }
  } else if (compression != 1 && compression != 2) {
    Invalid("BMP com compressão não suportada");
  }
  return {static_cast<int>(width), static_cast<int>(height)};
}

}  // namespace

PixelSize Read(const std::string& bytes, TGraphicFormat format) {
  if (bytes.empty()) Invalid("nenhum dado");
  switch (format) {
    case TGraphicFormat::PNG:
      return ReadPng(bytes);
    case TGraphicFormat::JPEG:
      return ReadJpeg(bytes);
    case TGraphicFormat::BMP:
      return ReadBmp(bytes);
  }
  Invalid("formato desconhecido");
}

TGraphicClass Detect(const std::string& bytes) {
  if (bytes.compare(0, kPngSignature.size(), kPngSignature) == 0) return TGraphicFormat::PNG;
  if (bytes.size() >= 3 && Byte(bytes, 0) == 0xFF && Byte(bytes, 1) == 0xD8 &&
      Byte(bytes, 2) == 0xFF) {
    return TGraphicFormat::JPEG;
  }
  if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') return TGraphicFormat::BMP;
  return std::nullopt;
}

}  // namespace image_header
