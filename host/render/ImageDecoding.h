// Turns the encoded bytes of a TBitmap into a Cairo surface ready to paint. PNG is decoded by
// Cairo; uncompressed BMP (1, 4, 8, 16, 24 and 32 bits) and baseline JPEG by us. A JPEG also
// carries its original bytes as the surface's JPEG data, which the PDF embeds as they are.
#pragma once

#include <string>

#include "TGraphic.h"
#include "render/CairoHandles.h"

// Larger pictures are refused rather than risking the memory of the run.
inline constexpr long long kMaxImagePixels = 40'000'000;

// Raises Exception with a message naming the format when the bytes are not a readable image.
CairoSurfacePtr DecodeImage(const TBitmap& bitmap);

CairoSurfacePtr DecodePng(const std::string& bytes);
CairoSurfacePtr DecodeBmp(const std::string& bytes);
CairoSurfacePtr WrapJpeg(const std::string& bytes);
