// Logos as stored in the database: any bytes are either decoded within the size limits or
// refused with Exception, both when a picture is loaded and when a page draws it. The first
// byte chooses the format the caller claims, so that every decoder also sees other formats'
// data.
#include <cairo.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "Exception.h"
#include "TGraphic.h"
#include "render/ImageDecoding.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  InstallImageDecoding();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  static constexpr TGraphicFormat kFormats[] = {TGraphicFormat::PNG,  TGraphicFormat::JPEG,
                                                TGraphicFormat::BMP,  TGraphicFormat::GIF,
                                                TGraphicFormat::TIFF, TGraphicFormat::ICO};
  const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  // Seeds are whole files: their own format is the one their leading bytes tell.
  const TGraphicClass detected = GetGraphicClass(TMemoryStream(bytes));
  const TGraphicFormat format =
      data[0] < 128 && detected ? *detected : kFormats[data[0] % std::size(kFormats)];
  try {
    TMemoryStream stream(bytes);
    TPicture picture;
    picture.LoadFromStream(stream, format);
    const CairoSurfacePtr surface = DecodeImage(picture.Bitmap());
    if (cairo_image_surface_get_width(surface.get()) != picture.Bitmap().Width() ||
        static_cast<long long>(picture.Bitmap().Width()) * picture.Bitmap().Height() >
            kMaxImagePixels) {
      std::abort();
    }
  } catch (const Exception&) {
  }
  return 0;
}
