// Pictures built byte by byte for the image tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace render_test {

inline void Put16(std::string& bytes, std::uint32_t value) {
  bytes += static_cast<char>(value & 0xFF);
  bytes += static_cast<char>((value >> 8) & 0xFF);
}
inline void Put32(std::string& bytes, std::uint32_t value) {
  Put16(bytes, value & 0xFFFF);
  Put16(bytes, value >> 16);
}

// An uncompressed BMP with a 40-byte header. `rows` are the stored rows in file order (bottom
// row first unless `height` is negative), each already padded to four bytes.
inline std::string Bmp(int width, int height, int bitsPerPixel,
                       const std::vector<std::string>& rows, const std::string& palette = {},
                       std::uint32_t compression = 0, const std::string& masks = {}) {
  std::string pixels;
  for (const std::string& row : rows) pixels += row;
  const std::uint32_t offset = 14 + 40 + static_cast<std::uint32_t>(masks.size() + palette.size());
  std::string bytes = "BM";
  Put32(bytes, offset + static_cast<std::uint32_t>(pixels.size()));
  Put32(bytes, 0);
  Put32(bytes, offset);
  Put32(bytes, 40);
  Put32(bytes, static_cast<std::uint32_t>(width));
  Put32(bytes, static_cast<std::uint32_t>(height));
  Put16(bytes, 1);
  Put16(bytes, static_cast<std::uint32_t>(bitsPerPixel));
  Put32(bytes, compression);
  Put32(bytes, static_cast<std::uint32_t>(pixels.size()));
  Put32(bytes, 2835);
  Put32(bytes, 2835);
  Put32(bytes, static_cast<std::uint32_t>(palette.size() / 4));
  Put32(bytes, 0);
  return bytes + masks + palette + pixels;
}

// Blue, green, red of a 24-bit pixel.
inline std::string Bgr(unsigned char red, unsigned char green, unsigned char blue) {
  return std::string{static_cast<char>(blue), static_cast<char>(green), static_cast<char>(red)};
}

// The structure of a baseline JPEG: start, frame header, scan header, entropy-coded bytes and
// end. The scan is not real picture data; only the structure is read here, and the PDF
// embeds the bytes as they are.
inline std::string JpegStructure(int width, int height, int components = 3) {
  std::string bytes = "\xFF\xD8";
  bytes += "\xFF\xE0";
  bytes += std::string("\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00", 16);
  bytes += "\xFF\xC0";
  const int frameLength = 8 + 3 * components;
  bytes += static_cast<char>(frameLength >> 8);
  bytes += static_cast<char>(frameLength & 0xFF);
  bytes += static_cast<char>(8);
  bytes += static_cast<char>(height >> 8);
  bytes += static_cast<char>(height & 0xFF);
  bytes += static_cast<char>(width >> 8);
  bytes += static_cast<char>(width & 0xFF);
  bytes += static_cast<char>(components);
  for (int c = 1; c <= components; ++c) {
    bytes += static_cast<char>(c);
    bytes += static_cast<char>(0x11);
    bytes += static_cast<char>(0);
  }
  bytes += "\xFF\xDA";
  const int scanLength = 6 + 2 * components;
  bytes += static_cast<char>(0);
  bytes += static_cast<char>(scanLength);
  bytes += static_cast<char>(components);
  for (int c = 1; c <= components; ++c) {
    bytes += static_cast<char>(c);
    bytes += static_cast<char>(0);
  }
  bytes += std::string("\x00\x3F\x00", 3);
  bytes += std::string(16, '\x55');
  bytes += "\xFF\xD9";
  return bytes;
}

}  // namespace render_test
