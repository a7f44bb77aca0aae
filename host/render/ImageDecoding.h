// Turns the encoded bytes of a TBitmap into a Cairo surface ready to paint, through gdk-pixbuf
// (PNG, JPEG, BMP, GIF, TIFF and ICO). A JPEG also carries its original bytes as the surface's
// JPEG data, which the PDF embeds as they are.
#pragma once

#include <string>

#include "TGraphic.h"
#include "core/ImageHeader.h"
#include "render/CairoHandles.h"

// Larger pictures are refused rather than risking the memory of the run; Cairo draws no
// surface wider or taller than kMaxImageSide.
inline constexpr long long kMaxImagePixels = 40'000'000;
inline constexpr int kMaxImageSide = 32767;

// Raise Exception "Imagem <formato> inválida: ..." when the bytes are not a readable image of
// that format, are damaged or truncated, or claim more pixels than the limits allow.
CairoSurfacePtr DecodeImage(const TBitmap& bitmap);
CairoSurfacePtr DecodeImage(const std::string& bytes, TGraphicFormat format);

// The pixel size of a readable image; this is the reader pictures are loaded with.
image_header::PixelSize ReadImageSize(const std::string& bytes, TGraphicFormat format);

// Pictures are loaded in the runtime, which has no decoder of its own: the host installs this
// one, and quiets the loaders' own complaints, before any report runs (the command at its start,
// the tests through their shared setup, the fuzz target in its initializer).
void InstallImageDecoding();
