#include "render/LineLayoutCache.h"

#include <cstdio>
#include <functional>

namespace {

std::string Key(std::string_view text, const TFont& font) {
  std::string key;
  key.reserve(text.size() + font.Family.size() + 32);
  key.append(text).append(1, '\0').append(font.Family).append(1, '\0');
  char numbers[48];
  const int length = std::snprintf(numbers, sizeof numbers, "%a|%d%d", font.Size, font.Bold ? 1 : 0,
                                   font.Italic ? 1 : 0);
  key.append(numbers, static_cast<std::size_t>(length > 0 ? length : 0));
  return key;
}

}  // namespace

LineLayoutCache::LineLayoutCache(PangoContextPtr context) : FShared(std::move(context)) {}

LineLayoutCache::Line LineLayoutCache::Measure(PangoLayout* layout) {
  PangoRectangle logical;
  pango_layout_get_extents(layout, nullptr, &logical);
  return Line{layout, static_cast<double>(logical.width) / PANGO_SCALE,
              static_cast<double>(logical.height) / PANGO_SCALE};
}

LineLayoutCache::Line LineLayoutCache::Get(std::string_view text, const TFont& font) {
  std::string key = Key(text, font);
  if (auto hit = FCurrent.find(key); hit != FCurrent.end()) {
    return Line{hit->second.Layout.get(), hit->second.Width, hit->second.Height};
  }
  if (auto hit = FPrevious.find(key); hit != FPrevious.end()) {
    Entry entry = std::move(hit->second);
    FPrevious.erase(hit);
    if (FCurrent.size() >= kGeneration) {
      FPrevious = std::move(FCurrent);
      FCurrent.clear();
    }
    const Entry& kept = FCurrent.emplace(std::move(key), std::move(entry)).first->second;
    return Line{kept.Layout.get(), kept.Width, kept.Height};
  }
  const std::size_t hash = std::hash<std::string>{}(key);
  if (FSeen.insert(hash).second) {
    if (FSeen.size() > kMaxSeen) {
      FSeen.clear();
      FSeen.insert(hash);
    }
    FShared.SetText(text, font);
    return Measure(FShared.Get());
  }
  return Keep(std::move(key), text, font);
}

LineLayoutCache::Line LineLayoutCache::Keep(std::string key, std::string_view text,
                                            const TFont& font) {
  PangoLayoutPtr layout(pango_layout_new(FShared.Context()));
  pango_layout_set_font_description(layout.get(), FFonts.Get(font));
  const std::string valid = pango_text::ValidUtf8(text);
  pango_layout_set_text(layout.get(), valid.data(), static_cast<int>(valid.size()));
  const Line measured = Measure(layout.get());
  if (FCurrent.size() >= kGeneration) {
    FPrevious = std::move(FCurrent);
    FCurrent.clear();
  }
  FCurrent.emplace(std::move(key), Entry{std::move(layout), measured.Width, measured.Height});
  return measured;
}
