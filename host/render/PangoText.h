// The Pango settings that measuring and drawing share, so that a line measured for wrapping
// takes exactly the width it is drawn with: resolution 72 (font sizes are points), no
// glyph-position rounding, no hinting, a fixed language, and the font description of a TFont.
#pragma once

#include <pango/pangocairo.h>

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "TFont.h"

struct GObjectUnref {
  void operator()(void* object) const { g_object_unref(object); }
};
struct FontDescriptionFree {
  void operator()(PangoFontDescription* description) const {
    pango_font_description_free(description);
  }
};

using PangoContextPtr = std::unique_ptr<PangoContext, GObjectUnref>;
using PangoLayoutPtr = std::unique_ptr<PangoLayout, GObjectUnref>;
using FontDescriptionPtr = std::unique_ptr<PangoFontDescription, FontDescriptionFree>;

// Layout units are 1/96 inch; Pango works in points here.
inline constexpr double kPointsPerUnit = 72.0 / 96.0;
inline constexpr double kUnitsPerPoint = 96.0 / 72.0;

namespace pango_text {

// A context for measuring, not bound to any surface; its user space is in points.
PangoContextPtr CreateMeasuringContext();
// A context for drawing on `cr` whose current matrix maps points to the device.
PangoContextPtr CreateDrawingContext(cairo_t* cr);
// The font of a layout element, with the usual fallback faces behind its family.
FontDescriptionPtr DescribeFont(const TFont& font);
// Pango wants valid UTF-8; database text may not be. Invalid bytes become U+FFFD.
std::string ValidUtf8(std::string_view text);

}  // namespace pango_text

// Font descriptions made once per distinct font. A report uses a handful of fonts, so a short
// list searched from the most recent hit is faster than hashing.
class FontDescriptionCache {
 public:
  const PangoFontDescription* Get(const TFont& font);

 private:
  std::vector<std::pair<TFont, FontDescriptionPtr>> FEntries;
  std::size_t FLastHit = 0;
};

// One reused layout with the shared settings: the font is only reset when it changes, which
// keeps Pango's shaping caches warm for runs of labels in the same font.
class SharedLayout {
 public:
  explicit SharedLayout(PangoContextPtr context);
  PangoLayout* Get() const { return FLayout.get(); }
  PangoContext* Context() const { return FContext.get(); }
  // Prepares the layout for one line or paragraph of `text` in `font`, without wrapping.
  void SetText(std::string_view text, const TFont& font);
  // Logical width of the prepared text in points.
  double WidthInPoints() const;

 private:
  PangoContextPtr FContext;
  PangoLayoutPtr FLayout;
  FontDescriptionCache FFonts;
  const PangoFontDescription* FCurrentFont = nullptr;
};
