#include "render/ImageCache.h"

#include "render/ImageDecoding.h"

cairo_surface_t* ImageCache::Surface(const TBitmap& bitmap) {
  for (const Entry& entry : FEntries) {
    if (entry.Bitmap.Identity() == bitmap.Identity()) return entry.Surface.get();
  }
  CairoSurfacePtr surface = DecodeImage(bitmap);
  if (FEntries.size() == kMaxEntries) FEntries.erase(FEntries.begin());
  FEntries.push_back(Entry{bitmap, std::move(surface)});
  return FEntries.back().Surface.get();
}
