#include "render/ImageDecoding.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "Exception.h"

namespace {

struct GObjectUnref {
  void operator()(gpointer object) const { g_object_unref(object); }
};
struct GErrorFree {
  void operator()(GError* error) const { g_error_free(error); }
};
using PixbufPtr = std::unique_ptr<GdkPixbuf, GObjectUnref>;
using GErrorPtr = std::unique_ptr<GError, GErrorFree>;

[[noreturn]] void Fail(TGraphicFormat format, const std::string& problem) {
  throw Exception("Imagem " + image_header::FormatName(format) + " inválida: " + problem + ".");
}

const char* LoaderType(TGraphicFormat format) {
  switch (format) {
    case TGraphicFormat::PNG:
      return "png";
    case TGraphicFormat::JPEG:
      return "jpeg";
    case TGraphicFormat::BMP:
      return "bmp";
    case TGraphicFormat::GIF:
      return "gif";
    case TGraphicFormat::TIFF:
      return "tiff";
    case TGraphicFormat::ICO:
      return "ico";
  }
  return "";
}

// The size a loader announces before it takes memory for the pixels.
struct AnnouncedSize {
  int Width = 0;
  int Height = 0;
  bool Announced = false;

  bool WithinLimits() const {
    return Width > 0 && Height > 0 && Width <= kMaxImageSide && Height <= kMaxImageSide &&
           static_cast<long long>(Width) * Height <= kMaxImagePixels;
  }
};

// Asking for a picture of no size makes every loader stop with an error before it allocates
// the pixels, which is how an oversized picture is refused without its memory being taken.
void OnSizePrepared(GdkPixbufLoader* loader, int width, int height, gpointer data) {
  auto* size = static_cast<AnnouncedSize*>(data);
  *size = AnnouncedSize{width, height, true};
  if (!size->WithinLimits()) gdk_pixbuf_loader_set_size(loader, 0, 0);
}

// gdk-pixbuf is made for pictures that arrive a piece at a time: a picture cut short is handed
// over with its missing rows left blank. Every row must have been drawn for a logo to count as
// whole, so the rows each update covers are counted.
struct RowCoverage {
  std::vector<bool> Seen;
  std::size_t Count = 0;

  bool Complete() const { return !Seen.empty() && Count == Seen.size(); }
};

void OnAreaUpdated(GdkPixbufLoader* loader, int, int y, int, int height, gpointer data) {
  auto* rows = static_cast<RowCoverage*>(data);
  if (rows->Seen.empty()) {
    GdkPixbuf* pixbuf = gdk_pixbuf_loader_get_pixbuf(loader);
    if (pixbuf == nullptr) return;
    rows->Seen.assign(static_cast<std::size_t>(std::max(gdk_pixbuf_get_height(pixbuf), 0)), false);
  }
  const auto end = std::min(
      static_cast<std::size_t>(std::max(y, 0)) + static_cast<std::size_t>(std::max(height, 0)),
      rows->Seen.size());
  for (auto row = static_cast<std::size_t>(std::max(y, 0)); row < end; ++row) {
    if (!rows->Seen[row]) {
      rows->Seen[row] = true;
      ++rows->Count;
    }
  }
}

// One loader of a known type, closed on every path: GdkPixbuf complains about a loader dropped
// while still open.
class PixbufLoader {
 public:
  explicit PixbufLoader(TGraphicFormat format) : FFormat(format) {
    GError* error = nullptr;
    FLoader.reset(gdk_pixbuf_loader_new_with_type(LoaderType(format), &error));
    const GErrorPtr owned(error);
    if (!FLoader) Fail(format, "formato não suportado por esta instalação");
    g_signal_connect(FLoader.get(), "size-prepared", G_CALLBACK(OnSizePrepared), &FSize);
    g_signal_connect(FLoader.get(), "area-updated", G_CALLBACK(OnAreaUpdated), &FRows);
  }
  PixbufLoader(const PixbufLoader&) = delete;
  PixbufLoader& operator=(const PixbufLoader&) = delete;
  ~PixbufLoader() {
    if (!FClosed) gdk_pixbuf_loader_close(FLoader.get(), nullptr);
  }

  // The decoded picture; raises Exception for anything the loader refused.
  PixbufPtr Decode(const std::string& bytes) {
    GError* error = nullptr;
    bool ok = gdk_pixbuf_loader_write(FLoader.get(), reinterpret_cast<const guchar*>(bytes.data()),
                                      bytes.size(), &error);
    GErrorPtr writeError(error);
    error = nullptr;
    // A failed write has already closed the loader; closing it again is harmless.
    ok = gdk_pixbuf_loader_close(FLoader.get(), ok ? &error : nullptr) && ok;
    GErrorPtr closeError(error);
    FClosed = true;
    if (FSize.Announced && !FSize.WithinLimits()) {
      if (FSize.Width <= 0 || FSize.Height <= 0) Fail(FFormat, "dimensões nulas");
      Fail(FFormat, "dimensões grandes demais (" + std::to_string(FSize.Width) + " x " +
                        std::to_string(FSize.Height) + ")");
    }
    GdkPixbuf* pixbuf = gdk_pixbuf_loader_get_pixbuf(FLoader.get());
    if (!ok || pixbuf == nullptr) Fail(FFormat, "dados corrompidos");
    if (!FRows.Complete()) Fail(FFormat, "dados corrompidos");
    // A loader that ignored the size request must not slip a large picture through.
    const AnnouncedSize decoded{gdk_pixbuf_get_width(pixbuf), gdk_pixbuf_get_height(pixbuf), true};
    if (!decoded.WithinLimits()) Fail(FFormat, "dimensões grandes demais");
    if (gdk_pixbuf_get_bits_per_sample(pixbuf) != 8 ||
        gdk_pixbuf_get_colorspace(pixbuf) != GDK_COLORSPACE_RGB) {
      Fail(FFormat, "formato de pixel não suportado");
    }
    return PixbufPtr(GDK_PIXBUF(g_object_ref(pixbuf)));
  }

 private:
  TGraphicFormat FFormat;
  AnnouncedSize FSize;
  RowCoverage FRows;
  std::unique_ptr<GdkPixbufLoader, GObjectUnref> FLoader;
  bool FClosed = false;
};

std::uint32_t LittleEndian32(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
  }
  return value;
}

// Checks made on the bytes before and after the loader sees them. Before: a BMP's header and
// an icon's directory say where the pixels lie and the loaders take buffers of those sizes, so
// places beyond the data are refused first. After: the row count above cannot see the last
// bytes of some formats (the end chunk of a PNG, the end marker of a JPEG, the mask that
// closes an icon); a file without them was cut short.
bool LayoutFits(const std::string& bytes, TGraphicFormat format) {
  switch (format) {
    case TGraphicFormat::BMP:
      // The palette's colour count is multiplied into a buffer size there too, so that a huge
      // count wraps around to a huge buffer.
      return bytes.size() >= 18 && LittleEndian32(bytes, 10) < bytes.size() &&
             std::uint64_t{14} + LittleEndian32(bytes, 14) <= bytes.size() &&
             (bytes.size() < 50 || LittleEndian32(bytes, 14) < 40 ||
              LittleEndian32(bytes, 46) <= 256);
    case TGraphicFormat::ICO: {
      const std::size_t count = static_cast<unsigned char>(bytes[4]) |
                                static_cast<std::size_t>(static_cast<unsigned char>(bytes[5])) << 8;
      for (std::size_t entry = 0; entry < count; ++entry) {
        const std::size_t at = 6 + 16 * entry;
        if (at + 16 > bytes.size()) return false;
        const std::uint64_t end =
            std::uint64_t{LittleEndian32(bytes, at + 8)} + LittleEndian32(bytes, at + 12);
        if (end > bytes.size()) return false;
      }
      return true;
    }
    default:
      return true;
  }
}

// gdk-pixbuf's BMP loader takes its row buffer from the width in the header before it announces
// the size, so an oversized BMP is refused on its header's word.
void CheckBmpSize(const std::string& bytes) {
  if (bytes.size() < 26) Fail(TGraphicFormat::BMP, "dados corrompidos");
  // The old 12-byte header holds 16-bit sizes; later ones signed 32-bit sizes.
  const bool oldHeader = LittleEndian32(bytes, 14) == 12;
  const std::uint32_t sizes = LittleEndian32(bytes, 18);
  const std::int64_t width =
      oldHeader ? std::int64_t{sizes & 0xFFFF} : std::int64_t{static_cast<std::int32_t>(sizes)};
  std::int64_t height = oldHeader
                            ? std::int64_t{sizes >> 16}
                            : std::int64_t{static_cast<std::int32_t>(LittleEndian32(bytes, 22))};
  if (height < 0) height = -height;  // rows stored top-down
  if (width > kMaxImageSide || height > kMaxImageSide || width * height > kMaxImagePixels) {
    Fail(TGraphicFormat::BMP, "dimensões grandes demais (" + std::to_string(width) + " x " +
                                  std::to_string(height) + ")");
  }
}

bool EndIsPresent(const std::string& bytes, TGraphicFormat format) {
  switch (format) {
    case TGraphicFormat::PNG: {
      const std::size_t end = bytes.rfind("IEND");
      return end != std::string::npos && end + 8 <= bytes.size();  // the type and its checksum
    }
    case TGraphicFormat::JPEG: {
      const std::size_t scan = bytes.find("\xFF\xDA");
      return scan != std::string::npos && bytes.find("\xFF\xD9", scan) != std::string::npos;
    }
    default:
      return true;
  }
}

PixbufPtr DecodePixbuf(const std::string& bytes, TGraphicFormat format) {
  // The loader is chosen by the format, never guessed from the data, so that only these six
  // decoders ever see the bytes of a logo.
  if (image_header::Detect(bytes) != format) {
    Fail(format, "os dados não são " + image_header::FormatName(format));
  }
  if (!LayoutFits(bytes, format)) Fail(format, "dados corrompidos");
  if (format == TGraphicFormat::BMP) CheckBmpSize(bytes);
  PixbufPtr pixbuf = PixbufLoader(format).Decode(bytes);
  if (!EndIsPresent(bytes, format)) Fail(format, "dados corrompidos");
  return pixbuf;
}

CairoSurfacePtr NewSurface(cairo_format_t format, int width, int height) {
  CairoSurfacePtr surface(cairo_image_surface_create(format, width, height));
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
    throw Exception("Memória insuficiente para a imagem.");
  }
  return surface;
}

// GdkPixbuf keeps R, G, B (, A) bytes with straight alpha; Cairo wants native 32-bit words
// with premultiplied colour.
CairoSurfacePtr ToSurface(GdkPixbuf* pixbuf) {
  const int width = gdk_pixbuf_get_width(pixbuf);
  const int height = gdk_pixbuf_get_height(pixbuf);
  const int channels = gdk_pixbuf_get_n_channels(pixbuf);
  const bool hasAlpha = gdk_pixbuf_get_has_alpha(pixbuf) && channels == 4;
  const int sourceStride = gdk_pixbuf_get_rowstride(pixbuf);
  const guint8* source = gdk_pixbuf_read_pixels(pixbuf);

  CairoSurfacePtr surface =
      NewSurface(hasAlpha ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, width, height);
  cairo_surface_flush(surface.get());
  unsigned char* target = cairo_image_surface_get_data(surface.get());
  const int targetStride = cairo_image_surface_get_stride(surface.get());
  for (int y = 0; y < height; ++y) {
    const guint8* in = source + static_cast<std::ptrdiff_t>(y) * sourceStride;
    unsigned char* out = target + static_cast<std::ptrdiff_t>(y) * targetStride;
    for (int x = 0; x < width; ++x, in += channels, out += 4) {
      const std::uint32_t alpha = hasAlpha ? in[3] : 255U;
      auto premultiplied = [alpha](std::uint32_t channel) { return (channel * alpha + 127) / 255; };
      const std::uint32_t pixel = alpha << 24 | premultiplied(in[0]) << 16 |
                                  premultiplied(in[1]) << 8 | premultiplied(in[2]);
      std::memcpy(out, &pixel, sizeof pixel);
    }
  }
  cairo_surface_mark_dirty(surface.get());
  return surface;
}

// The PDF embeds a JPEG as it is rather than as decoded pixels.
void AttachJpegData(cairo_surface_t* surface, const std::string& bytes) {
  auto copy = std::make_unique<std::string>(bytes);
  const auto* data = reinterpret_cast<const unsigned char*>(copy->data());
  const cairo_status_t status = cairo_surface_set_mime_data(
      surface, CAIRO_MIME_TYPE_JPEG, data, copy->size(),
      [](void* owned) { std::unique_ptr<std::string> release(static_cast<std::string*>(owned)); },
      copy.get());
  if (status != CAIRO_STATUS_SUCCESS) throw Exception("Memória insuficiente para a imagem.");
  (void)copy.release();  // now owned by the surface, released with it
}

}  // namespace

void InstallImageDecoding() {
  image_header::InstallSizeReader(&ReadImageSize);
  // Every failure of a loader becomes a message of our own; on hostile data the loaders also
  // complain on standard error (assertions on a refused size, for one), which only adds noise
  // around that message.
  g_log_set_handler(
      "GdkPixbuf", static_cast<GLogLevelFlags>(G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING),
      [](const gchar*, GLogLevelFlags, const gchar*, gpointer) {}, nullptr);
}

CairoSurfacePtr DecodeImage(const std::string& bytes, TGraphicFormat format) {
  if (bytes.empty()) throw Exception("Imagem vazia.");
  const PixbufPtr pixbuf = DecodePixbuf(bytes, format);
  CairoSurfacePtr surface = ToSurface(pixbuf.get());
  if (format == TGraphicFormat::JPEG) AttachJpegData(surface.get(), bytes);
  return surface;
}

CairoSurfacePtr DecodeImage(const TBitmap& bitmap) {
  return DecodeImage(bitmap.Bytes(), bitmap.Format());
}

image_header::PixelSize ReadImageSize(const std::string& bytes, TGraphicFormat format) {
  const PixbufPtr pixbuf = DecodePixbuf(bytes, format);
  return {gdk_pixbuf_get_width(pixbuf.get()), gdk_pixbuf_get_height(pixbuf.get())};
}
