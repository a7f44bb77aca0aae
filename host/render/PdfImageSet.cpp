#include "render/PdfImageSet.h"

#include <cairo.h>

#include <string_view>

#include "render/CairoHandles.h"
#include "render/ImageDecoding.h"
#include "render/PdfFile.h"
#include "render/PdfSyntax.h"

namespace {

// What the frame header of a JPEG says about its colours: how many components, and whether an
// Adobe marker says CMYK is stored inverted, as Adobe's programs write it.
struct JpegColours {
  int Components = 3;
  bool AdobeInverted = false;
};

JpegColours ReadJpegColours(std::string_view jpeg) {
  JpegColours colours;
  std::size_t at = 2;  // past the start-of-image marker
  while (at + 4 <= jpeg.size()) {
    if (static_cast<unsigned char>(jpeg[at]) != 0xFF) break;
    const auto marker = static_cast<unsigned char>(jpeg[at + 1]);
    if (marker == 0xFF) {
      ++at;
      continue;
    }
    const std::size_t length =
        (static_cast<std::size_t>(static_cast<unsigned char>(jpeg[at + 2])) << 8) |
        static_cast<unsigned char>(jpeg[at + 3]);
    const std::string_view segment = jpeg.substr(at + 4, length >= 2 ? length - 2 : 0);
    if (marker == 0xEE && segment.substr(0, 5) == "Adobe") colours.AdobeInverted = true;
    const bool frame =
        marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame && segment.size() > 5) {
      colours.Components = static_cast<unsigned char>(segment[5]);
      break;
    }
    at += 2 + length;
  }
  return colours;
}

void WriteJpeg(PdfFile& file, std::uint32_t object, std::string_view jpeg, int width, int height) {
  const JpegColours colours = ReadJpegColours(jpeg);
  std::string dictionary = " /Type /XObject /Subtype /Image /Width ";
  pdf_syntax::AppendInteger(dictionary, width);
  dictionary += " /Height ";
  pdf_syntax::AppendInteger(dictionary, height);
  dictionary += " /BitsPerComponent 8 /ColorSpace ";
  if (colours.Components == 1) {
    dictionary += "/DeviceGray";
  } else if (colours.Components == 4) {
    dictionary += "/DeviceCMYK";
    if (colours.AdobeInverted) dictionary += " /Decode [1 0 1 0 1 0 1 0]";
  } else {
    dictionary += "/DeviceRGB";
  }
  dictionary += " /Filter /DCTDecode";
  file.WriteRawStream(object, dictionary, jpeg);
}

// Cairo keeps colours premultiplied by their opacity; the PDF wants them straight, with the
// opacity apart.
void WritePixels(PdfFile& file, std::uint32_t object, cairo_surface_t* surface) {
  cairo_surface_flush(surface);
  const int width = cairo_image_surface_get_width(surface);
  const int height = cairo_image_surface_get_height(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  const bool hasAlpha = cairo_image_surface_get_format(surface) == CAIRO_FORMAT_ARGB32;
  const unsigned char* data = cairo_image_surface_get_data(surface);
  const auto pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  std::string rgb(pixels * 3, '\0'), alpha(pixels, '\xFF');
  bool translucent = false;
  std::size_t out = 0;
  for (int row = 0; row < height; ++row) {
    const auto* line =
        reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(row) * stride);
    for (int column = 0; column < width; ++column, ++out) {
      const std::uint32_t pixel = line[column];
      const unsigned a = hasAlpha ? pixel >> 24 : 255;
      unsigned r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
      if (a != 255) {
        translucent = true;
        if (a != 0) {
          r = (r * 255 + a / 2) / a;
          g = (g * 255 + a / 2) / a;
          b = (b * 255 + a / 2) / a;
        }
      }
      rgb[out * 3] = static_cast<char>(r);
      rgb[out * 3 + 1] = static_cast<char>(g);
      rgb[out * 3 + 2] = static_cast<char>(b);
      alpha[out] = static_cast<char>(a);
    }
  }
  std::string size = " /Width ";
  pdf_syntax::AppendInteger(size, width);
  size += " /Height ";
  pdf_syntax::AppendInteger(size, height);
  size += " /BitsPerComponent 8";
  std::string dictionary = " /Type /XObject /Subtype /Image" + size + " /ColorSpace /DeviceRGB";
  if (translucent) {
    const std::uint32_t mask = file.Reserve();
    dictionary += " /SMask ";
    pdf_syntax::AppendReference(dictionary, mask);
    file.WriteStream(mask, " /Type /XObject /Subtype /Image" + size + " /ColorSpace /DeviceGray",
                     alpha);
  }
  file.WriteStream(object, dictionary, rgb);
}

}  // namespace

PdfImageSet::PdfImageSet(PdfFile& file) : FFile(file) {}

PdfImageSet::Image PdfImageSet::Use(const TBitmap& bitmap) {
  for (const Known& known : FKnown) {
    if (known.Bitmap.Identity() == bitmap.Identity()) return known.Picture;
  }
  const CairoSurfacePtr surface = DecodeImage(bitmap);
  Image picture{static_cast<int>(FObjects.size() + 1), cairo_image_surface_get_width(surface.get()),
                cairo_image_surface_get_height(surface.get())};
  const std::uint32_t object = FFile.Reserve();
  const unsigned char* jpeg = nullptr;
  unsigned long jpegLength = 0;
  cairo_surface_get_mime_data(surface.get(), CAIRO_MIME_TYPE_JPEG, &jpeg, &jpegLength);
  if (jpeg != nullptr && jpegLength > 0) {
    WriteJpeg(FFile, object, std::string_view(reinterpret_cast<const char*>(jpeg), jpegLength),
              picture.Width, picture.Height);
  } else {
    WritePixels(FFile, object, surface.get());
  }
  FObjects.push_back(object);
  if (FKnown.size() == kMaxKnown) FKnown.erase(FKnown.begin());
  FKnown.push_back(Known{bitmap, picture});
  return picture;
}

void PdfImageSet::AppendResources(std::string& out) const {
  for (std::size_t index = 0; index < FObjects.size(); ++index) {
    out += " /Im";
    pdf_syntax::AppendInteger(out, static_cast<long long>(index) + 1);
    out += ' ';
    pdf_syntax::AppendReference(out, FObjects[index]);
  }
}
