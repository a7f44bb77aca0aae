// Decodes baseline JPEG (sequential, Huffman coded, 8 bits, grey or colour) into a Cairo
// surface, so that a JPEG logo shows on raster pages as it does in the PDF.
#pragma once

#include <string>

#include "render/CairoHandles.h"

// Raises Exception with a clear message when the data is damaged. Returns an empty pointer for
// valid pictures in the rarer encodings (progressive, arithmetic coded, 12 bits), which the
// PDF still embeds as they are.
CairoSurfacePtr DecodeBaselineJpeg(const std::string& bytes);
