// Decoded pictures by identity of their bytes, so that a logo printed on every page is decoded
// once.
#pragma once

#include <cstddef>
#include <vector>

#include "TGraphic.h"
#include "render/CairoHandles.h"

class ImageCache {
 public:
  // The surface for `bitmap`, decoded on first use. Raises Exception for unreadable bytes.
  cairo_surface_t* Surface(const TBitmap& bitmap);
  std::size_t Size() const { return FEntries.size(); }

 private:
  struct Entry {
    // Holding the bitmap keeps its bytes alive, so that their address cannot be reused by
    // another picture while the entry exists.
    TBitmap Bitmap;
    CairoSurfacePtr Surface;
  };
  // Reports show a handful of distinct pictures; the bound only guards odd runs.
  static constexpr std::size_t kMaxEntries = 32;
  std::vector<Entry> FEntries;
};
