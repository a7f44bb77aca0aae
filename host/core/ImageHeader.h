// Tells an image's format from its leading bytes, and reads the pixel size of encoded image
// data through the decoder the rendering side installs: decoding belongs there, with the
// library that does it, while pictures are loaded here, in the runtime the plug-ins share.
#pragma once

#include <string>

#include "KdrApi.h"
#include "TGraphic.h"

namespace image_header {

struct PixelSize {
  int Width = 0;
  int Height = 0;
};

// Decodes `bytes` as an image of `format` and gives its size; raises Exception with a clear
// message for damaged, truncated or oversized data.
using SizeReader = PixelSize (*)(const std::string& bytes, TGraphicFormat format);
KDR_API void InstallSizeReader(SizeReader reader);

// Raises Exception "Imagem <formato> inválida: ..." when the bytes are not a readable image
// of `format` (also when they are another format's, or no decoder is installed).
KDR_API PixelSize Read(const std::string& bytes, TGraphicFormat format);
// The format told by the leading bytes; none when they are not those of a known image.
KDR_API TGraphicClass Detect(const std::string& bytes);
// "PNG", "JPEG", ... as messages name them.
KDR_API std::string FormatName(TGraphicFormat format);

}  // namespace image_header
