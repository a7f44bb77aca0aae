// Checks encoded PNG, JPEG and BMP data and reads their pixel size, without decoding pixels.
// Damaged or truncated data raises Exception "Imagem inválida: ..." naming what is wrong.
#pragma once

#include <string>

#include "TGraphic.h"

namespace image_header {

struct PixelSize {
  int Width = 0;
  int Height = 0;
};

PixelSize Read(const std::string& bytes, TGraphicFormat format);
// The format told by the leading bytes; none when they are not those of a known image.
TGraphicClass Detect(const std::string& bytes);

}  // namespace image_header
