// Laid-out single lines of text ready to draw. Strings that recur in a report (headings on
// every page, dates, names, states) are shaped once and kept; a string met for the first time
// goes through one reused layout, so that one-off texts cost no allocation.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "render/PangoText.h"

class LineLayoutCache {
 public:
  struct Line {
    PangoLayout* Layout;  // valid until the next call of Get
    double Width;         // logical size in points
    double Height;
  };

  explicit LineLayoutCache(PangoContextPtr context);
  PangoContext* Context() const { return FShared.Context(); }
  Line Get(std::string_view text, const TFont& font);

 private:
  struct Entry {
    PangoLayoutPtr Layout;
    double Width, Height;
  };
  static Line Measure(PangoLayout* layout);
  Line Keep(std::string key, std::string_view text, const TFont& font);

  // Two generations bound the memory: when the current one is full it replaces the previous
  // one, and entries still in use move back on their next hit.
  static constexpr std::size_t kGeneration = 512;
  static constexpr std::size_t kMaxSeen = 16384;
  SharedLayout FShared;
  FontDescriptionCache FFonts;
  std::unordered_set<std::size_t> FSeen;
  std::unordered_map<std::string, Entry> FCurrent, FPrevious;
};
