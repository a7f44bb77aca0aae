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

}  // namespace render_test
