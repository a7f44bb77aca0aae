// The one source of text metrics: Pango with Cairo's font map at a resolution of 72 (sizes in
// points), no glyph-position rounding and no hint metrics, exactly as the renderers draw.
// Widths are returned in layout units (1/96 inch).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "TFont.h"

class FontMetrics {
 public:
  FontMetrics();
  ~FontMetrics();
  FontMetrics(const FontMetrics&) = delete;
  FontMetrics& operator=(const FontMetrics&) = delete;

  // Width of one line of text in layout units.
  double TextWidth(const std::string& text, const TFont& font) const;
  // Whether one line of `text` is at most `width` layout units wide, as TextWidth would say.
  // Most labels have room to spare, and the widths of their characters show it without
  // shaping the line; only a close call is shaped.
  bool FitsWidth(const std::string& text, const TFont& font, double width) const;
  // Splits one paragraph (no line breaks) into lines no wider than `width` layout units,
  // breaking between words and, for a word longer than the width, inside it.
  std::vector<std::string> WrapParagraph(const std::string& text, const TFont& font,
                                         double width) const;
  // Height of one line in layout units.
  double LineHeight(const TFont& font) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> FImpl;
};
