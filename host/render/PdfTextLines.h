// Single lines of text shaped for a PDF: each distinct line of a font is shaped once by Pango,
// with the settings the metrics use, into text operators ready to append to a page, so that
// the many texts a report repeats (headings, names, dates) cost a lookup and a copy.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "TFont.h"
#include "render/PangoText.h"
#include "render/PdfFontSet.h"

class PdfTextLines {
 public:
  // Glyphs of one font on one baseline, drawn with `Show` once the text matrix puts the pen
  // at (X, Y) from the line's top left corner, in points, y downwards.
  struct Run {
    PdfFontSet::FontUse Font;
    double X = 0, Y = 0;
    std::string Show;  // "<...> Tj" or "[...] TJ"
  };
  struct Line {
    double Width = 0, Height = 0;  // logical size in points, as the metrics measure it
    std::vector<Run> Runs;
  };

  explicit PdfTextLines(PdfFontSet& fonts);
  // The line for `text` in `font`; valid until the next call.
  const Line& Get(std::string_view text, const TFont& font);

 private:
  Line Shape(std::string_view text, const TFont& font);
  void AddRuns(const char* text, PangoGlyphItem* item, int& x, double baseline, Line& line);

  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const {
      return std::hash<std::string_view>{}(text);
    }
  };
  using Lines = std::unordered_map<std::string, Line, Hash, std::equal_to<>>;
  // Two generations per font bound the memory: when the current one is full it replaces the
  // previous one, and lines still in use move back on their next hit.
  struct FontLines {
    TFont Font;
    Lines Current, Previous;
  };
  static constexpr std::size_t kGeneration = 4096;

  PdfFontSet& FFonts;
  SharedLayout FLayout;
  std::vector<FontLines> FByFont;
  std::size_t FLastFont = 0;
};
