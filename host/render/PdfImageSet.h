// The pictures of a PDF: each distinct picture is written once, when first shown, as an image
// object that every page showing it refers to. A JPEG goes in as it is; other pictures as
// compressed RGB, with a soft mask when they have transparency.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "TGraphic.h"

class PdfFile;

class PdfImageSet {
 public:
  struct Image {
    int Resource = 0;           // its resource is /Im<Resource>
    int Width = 0, Height = 0;  // in pixels
  };

  explicit PdfImageSet(PdfFile& file);
  // The picture of `bitmap`, decoded and written on its first use. Raises Exception for
  // unreadable bytes, with the decoder's message.
  Image Use(const TBitmap& bitmap);
  // The /XObject dictionary's entries: "/Im1 12 0 R ...".
  void AppendResources(std::string& out) const;

 private:
  struct Known {
    // Holding the bitmap keeps its bytes alive, so that their address cannot be reused by
    // another picture while the entry exists.
    TBitmap Bitmap;
    Image Picture;
  };
  // Reports show a handful of distinct pictures; the bound only guards odd runs, where a
  // picture that comes back after many others is written again.
  static constexpr std::size_t kMaxKnown = 32;

  PdfFile& FFile;
  std::vector<Known> FKnown;
  std::vector<std::uint32_t> FObjects;  // of every picture written, by resource number - 1
};
