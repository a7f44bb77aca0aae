#include "render/ImageDecoding.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "Exception.h"
#include "render/JpegDecoder.h"

namespace {

[[noreturn]] void Fail(const std::string& format, const std::string& problem) {
  throw Exception("Imagem " + format + " inválida: " + problem + ".");
}

void CheckPixelCount(const std::string& format, long long width, long long height) {
  if (width <= 0 || height <= 0) Fail(format, "dimensões nulas");
  if (width > 32767 || height > 32767 || width * height > kMaxImagePixels) {
    Fail(format, "dimensões grandes demais (" + std::to_string(width) + " x " +
                     std::to_string(height) + ")");
  }
}

CairoSurfacePtr NewSurface(cairo_format_t format, int width, int height) {
  CairoSurfacePtr surface(cairo_image_surface_create(format, width, height));
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
    throw Exception("Memória insuficiente para a imagem.");
  }
  return surface;
}

// ---- PNG ----

struct ByteReader {
  std::string_view Bytes;
  std::size_t Position = 0;
};

cairo_status_t ReadBytes(void* closure, unsigned char* data, unsigned int length) {
  auto* reader = static_cast<ByteReader*>(closure);
  if (reader->Bytes.size() - reader->Position < length) return CAIRO_STATUS_READ_ERROR;
  std::memcpy(data, reader->Bytes.data() + reader->Position, length);
  reader->Position += length;
  return CAIRO_STATUS_SUCCESS;
}

// ---- BMP ----

std::uint32_t Read16(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 8;
}

std::uint32_t Read32(std::string_view bytes, std::size_t at) {
  return Read16(bytes, at) | Read16(bytes, at + 2) << 16;
}

std::uint32_t ReadBigEndian16(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at])) << 8 |
         static_cast<unsigned char>(bytes[at + 1]);
}

std::uint32_t ReadBigEndian32(std::string_view bytes, std::size_t at) {
  return ReadBigEndian16(bytes, at) << 16 | ReadBigEndian16(bytes, at + 2);
}

// A channel described by a bit mask (16- and 32-bit pictures), scaled to 8 bits.
struct Channel {
  std::uint32_t Mask = 0;
  int Shift = 0;
  std::uint32_t Maximum = 0;

  explicit Channel(std::uint32_t mask = 0) : Mask(mask) {
    if (mask == 0) return;
    while (((mask >> Shift) & 1U) == 0) ++Shift;
    Maximum = mask >> Shift;
  }
  std::uint32_t Extract(std::uint32_t pixel) const {
    if (Mask == 0 || Maximum == 0) return 0;
    return ((pixel & Mask) >> Shift) * 255U / Maximum;
  }
};

struct BmpHeader {
  std::int64_t Width = 0, Height = 0;
  bool TopDown = false;
  int BitsPerPixel = 0;
  std::uint32_t Compression = 0;
  std::size_t PixelOffset = 0;
  std::size_t PaletteOffset = 0;
  std::size_t PaletteEntrySize = 4;
  std::size_t PaletteColors = 0;
  Channel Red, Green, Blue, Alpha;
};

constexpr std::uint32_t kBiRgb = 0, kBiBitfields = 3, kBiAlphaBitfields = 6;

BmpHeader ReadBmpHeader(std::string_view bytes) {
  const std::string format = "BMP";
  if (bytes.size() < 26 || bytes[0] != 'B' || bytes[1] != 'M') Fail(format, "cabeçalho ausente");
  BmpHeader header;
  header.PixelOffset = Read32(bytes, 10);
  const std::size_t infoSize = Read32(bytes, 14);
  if (infoSize < 12 || 14 + infoSize > bytes.size()) Fail(format, "cabeçalho truncado");
  if (infoSize == 12) {
    header.Width = Read16(bytes, 18);
    header.Height = Read16(bytes, 20);
    header.BitsPerPixel = static_cast<int>(Read16(bytes, 24));
    header.PaletteEntrySize = 3;
  } else {
    if (infoSize < 40) Fail(format, "cabeçalho desconhecido");
    header.Width = static_cast<std::int32_t>(Read32(bytes, 18));
    const auto height = static_cast<std::int32_t>(Read32(bytes, 22));
    header.TopDown = height < 0;
    header.Height = height < 0 ? -static_cast<std::int64_t>(height) : height;
    header.BitsPerPixel = static_cast<int>(Read16(bytes, 28));
    header.Compression = Read32(bytes, 30);
    header.PaletteColors = Read32(bytes, 46);
  }
  header.PaletteOffset = 14 + infoSize;

  const int bits = header.BitsPerPixel;
  if (header.Compression == kBiBitfields || header.Compression == kBiAlphaBitfields) {
    if (bits != 16 && bits != 32)
      Fail(format, "máscaras de cor em " + std::to_string(bits) + " bits");
    // The masks follow a 40-byte header; larger headers carry them inside.
    const std::size_t masksAt = 14 + 40;
    const bool withAlpha = header.Compression == kBiAlphaBitfields || infoSize >= 56;
    if (masksAt + (withAlpha ? 16 : 12) > bytes.size()) Fail(format, "máscaras de cor truncadas");
    header.Red = Channel(Read32(bytes, masksAt));
    header.Green = Channel(Read32(bytes, masksAt + 4));
    header.Blue = Channel(Read32(bytes, masksAt + 8));
    if (withAlpha) header.Alpha = Channel(Read32(bytes, masksAt + 12));
    if (infoSize == 40) header.PaletteOffset += header.Compression == kBiAlphaBitfields ? 16 : 12;
  } else if (header.Compression != kBiRgb) {
    Fail(format, "compressão não suportada (tipo " + std::to_string(header.Compression) + ")");
  } else if (bits == 16) {
    header.Red = Channel(0x7C00);
    header.Green = Channel(0x03E0);
    header.Blue = Channel(0x001F);
  } else if (bits == 32) {
    header.Red = Channel(0x00FF0000);
    header.Green = Channel(0x0000FF00);
    header.Blue = Channel(0x000000FF);
    header.Alpha = Channel(0xFF000000);
  }
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
    Fail(format, std::to_string(bits) + " bits por pixel");
  }
  if (bits <= 8) {
    const std::size_t maximum = std::size_t{1} << bits;
    if (header.PaletteColors == 0 || header.PaletteColors > maximum) header.PaletteColors = maximum;
    if (header.PaletteOffset + header.PaletteColors * header.PaletteEntrySize > bytes.size()) {
      Fail(format, "paleta truncada");
    }
  }
  CheckPixelCount(format, header.Width, header.Height);
  return header;
}

}  // namespace

CairoSurfacePtr DecodePng(const std::string& bytes) {
  static constexpr std::string_view kSignature("\x89PNG\r\n\x1a\n", 8);
  if (std::string_view(bytes).substr(0, kSignature.size()) != kSignature) {
    Fail("PNG", "assinatura ausente");
  }
  // The header chunk comes first; a size claimed there is checked before any pixel memory is
  // taken for it.
  if (bytes.size() < 24 || bytes.compare(12, 4, "IHDR") != 0) Fail("PNG", "cabeçalho ausente");
  CheckPixelCount("PNG", ReadBigEndian32(bytes, 16), ReadBigEndian32(bytes, 20));
  ByteReader reader{bytes};
  CairoSurfacePtr surface(cairo_image_surface_create_from_png_stream(&ReadBytes, &reader));
  // Cairo reports libpng's complaints about damaged data as a lack of memory, so every
  // failure here is taken for what it almost always is.
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) Fail("PNG", "dados corrompidos");
  return surface;
}

CairoSurfacePtr DecodeBmp(const std::string& data) {
  const std::string_view bytes(data);
  const BmpHeader header = ReadBmpHeader(bytes);
  const int width = static_cast<int>(header.Width);
  const int height = static_cast<int>(header.Height);
  const std::size_t rowBytes =
      ((static_cast<std::size_t>(width) * static_cast<std::size_t>(header.BitsPerPixel) + 31) /
       32) *
      4;
  if (header.PixelOffset > bytes.size() ||
      (bytes.size() - header.PixelOffset) / rowBytes < static_cast<std::size_t>(height)) {
    Fail("BMP", "pixels truncados");
  }

  // Alpha in a 32-bit picture is often left at zero by programs that do not use it; such a
  // picture is opaque, not invisible.
  bool usesAlpha = false;
  if (header.Alpha.Mask != 0) {
    for (int y = 0; y < height && !usesAlpha; ++y) {
      const std::size_t row = header.PixelOffset + static_cast<std::size_t>(y) * rowBytes;
      for (int x = 0; x < width; ++x) {
        const std::uint32_t pixel = header.BitsPerPixel == 32
                                        ? Read32(bytes, row + static_cast<std::size_t>(x) * 4)
                                        : Read16(bytes, row + static_cast<std::size_t>(x) * 2);
        if (header.Alpha.Extract(pixel) != 0) {
          usesAlpha = true;
          break;
        }
      }
    }
  }

  CairoSurfacePtr surface =
      NewSurface(usesAlpha ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, width, height);
  cairo_surface_flush(surface.get());
  unsigned char* target = cairo_image_surface_get_data(surface.get());
  const int stride = cairo_image_surface_get_stride(surface.get());

  auto paletteColour = [&](std::size_t index) -> std::uint32_t {
    if (index >= header.PaletteColors) return 0xFF000000U;
    const std::size_t at = header.PaletteOffset + index * header.PaletteEntrySize;
    const auto blue = static_cast<unsigned char>(bytes[at]);
    const auto green = static_cast<unsigned char>(bytes[at + 1]);
    const auto red = static_cast<unsigned char>(bytes[at + 2]);
    return 0xFF000000U | std::uint32_t{red} << 16 | std::uint32_t{green} << 8 | blue;
  };

  for (int y = 0; y < height; ++y) {
    // Bottom-up unless the height was negative.
    const int sourceRow = header.TopDown ? y : height - 1 - y;
    const std::size_t row = header.PixelOffset + static_cast<std::size_t>(sourceRow) * rowBytes;
    auto* out = reinterpret_cast<std::uint32_t*>(target + static_cast<std::ptrdiff_t>(y) * stride);
    for (int x = 0; x < width; ++x) {
      const auto column = static_cast<std::size_t>(x);
      std::uint32_t argb = 0;
      switch (header.BitsPerPixel) {
        case 1:
        case 4:
        case 8: {
          const int bits = header.BitsPerPixel;
          const std::size_t bitOffset = column * static_cast<std::size_t>(bits);
          const auto byte = static_cast<unsigned char>(bytes[row + bitOffset / 8]);
          const int shift = 8 - bits - static_cast<int>(bitOffset % 8);
          argb = paletteColour((byte >> shift) & ((1U << bits) - 1));
          break;
        }
        case 24: {
          const std::size_t at = row + column * 3;
          argb = 0xFF000000U | std::uint32_t{static_cast<unsigned char>(bytes[at + 2])} << 16 |
                 std::uint32_t{static_cast<unsigned char>(bytes[at + 1])} << 8 |
                 static_cast<unsigned char>(bytes[at]);
          break;
        }
        default: {
          const std::uint32_t pixel = header.BitsPerPixel == 32 ? Read32(bytes, row + column * 4)
                                                                : Read16(bytes, row + column * 2);
          const std::uint32_t alpha = usesAlpha ? header.Alpha.Extract(pixel) : 255U;
          // Cairo wants premultiplied colour.
          const std::uint32_t red = header.Red.Extract(pixel) * alpha / 255U;
          const std::uint32_t green = header.Green.Extract(pixel) * alpha / 255U;
          const std::uint32_t blue = header.Blue.Extract(pixel) * alpha / 255U;
          argb = alpha << 24 | red << 16 | green << 8 | blue;
          break;
        }
      }
      out[x] = argb;
    }
  }
  cairo_surface_mark_dirty(surface.get());
  return surface;
}

CairoSurfacePtr WrapJpeg(const std::string& data) {
  const std::string_view bytes(data);
  const std::string format = "JPEG";
  if (bytes.size() < 4 || static_cast<unsigned char>(bytes[0]) != 0xFF ||
      static_cast<unsigned char>(bytes[1]) != 0xD8) {
    Fail(format, "assinatura ausente");
  }
  // Walk the marker segments up to the frame header, which gives the size; a scan must follow
  // it for the picture to hold anything.
  int width = 0, height = 0, components = 0;
  bool scanFound = false;
  std::size_t at = 2;
  while (at + 4 <= bytes.size() && !scanFound) {
    if (static_cast<unsigned char>(bytes[at]) != 0xFF) Fail(format, "marcador inválido");
    const auto marker = static_cast<unsigned char>(bytes[at + 1]);
    if (marker == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
      at += 2;
      continue;
    }
    if (marker == 0xD9) break;
    const std::size_t length = ReadBigEndian16(bytes, at + 2);
    if (length < 2 || at + 2 + length > bytes.size()) Fail(format, "segmento truncado");
    const bool frame =
        marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame) {
      if (length < 8) Fail(format, "quadro truncado");
      height = static_cast<int>(ReadBigEndian16(bytes, at + 5));
      width = static_cast<int>(ReadBigEndian16(bytes, at + 7));
      components = static_cast<unsigned char>(bytes[at + 9]);
    }
    if (marker == 0xDA) scanFound = true;
    at += 2 + length;
  }
  if (width == 0 || height == 0 || !scanFound) Fail(format, "quadro ausente ou sem dados");
  if (components != 1 && components != 3) {
    Fail(format, std::to_string(components) + " componentes de cor (use RGB ou tons de cinza)");
  }
  CheckPixelCount(format, width, height);

  // The PDF embeds the JPEG data as it is; raster pages need the pixels. A picture in one of
  // the rarer encodings shows there as a pale box rather than as nothing at all.
  CairoSurfacePtr surface = DecodeBaselineJpeg(data);
  if (!surface) {
    surface = NewSurface(CAIRO_FORMAT_RGB24, width, height);
    CairoPtr cr(cairo_create(surface.get()));
    cairo_set_source_rgb(cr.get(), 0.9, 0.9, 0.9);
    cairo_paint(cr.get());
  }
  auto copy = std::make_unique<std::string>(data);
  const auto* copyBytes = reinterpret_cast<const unsigned char*>(copy->data());
  const std::size_t copyLength = copy->size();
  const cairo_status_t status = cairo_surface_set_mime_data(
      surface.get(), CAIRO_MIME_TYPE_JPEG, copyBytes, copyLength,
      [](void* owned) { std::unique_ptr<std::string> release(static_cast<std::string*>(owned)); },
      copy.get());
  if (status != CAIRO_STATUS_SUCCESS) throw Exception("Memória insuficiente para a imagem.");
  copy.release();  // now owned by the surface, released with it
  return surface;
}

CairoSurfacePtr DecodeImage(const TBitmap& bitmap) {
  if (bitmap.Empty()) throw Exception("Imagem vazia.");
  switch (bitmap.Format()) {
    case TGraphicFormat::PNG:
      return DecodePng(bitmap.Bytes());
    case TGraphicFormat::BMP:
      return DecodeBmp(bitmap.Bytes());
    case TGraphicFormat::JPEG:
      return WrapJpeg(bitmap.Bytes());
  }
  throw Exception("Formato de imagem desconhecido.");
}
