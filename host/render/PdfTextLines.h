// Single lines of text shaped for a PDF: each distinct line of a font is shaped once by Pango,
// with the settings the metrics use, into text operators ready to append to a page, so that
// the many texts a report repeats (headings, names, dates) cost a lookup and a copy.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
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
    std::string Show;  // "(...) Tj" or "[...] TJ"
  };
  struct Line {
    double Width = 0, Height = 0;  // logical size in points, as the metrics measure it
    std::vector<Run> Runs;
  };

  explicit PdfTextLines(PdfFontSet& fonts);
  // The line for `text` in `font`; valid until the next call.
  const Line& Get(std::string_view text, const TFont& font);

 private:
  struct FontLines;
  Line Shape(std::string_view text, FontLines& lines);
  // Shapes `text` with Pango's shaper alone when the font's own glyphs cover it and it is of
  // the simple kind (Latin script and common punctuation), where a whole layout would come to
  // the same glyphs at several times the cost. False when the text needs the layout.
  bool ShapeSimple(std::string_view text, FontLines& lines, Line& line);
  // The runs of the line laid out in `layout`.
  void SlowShape(PangoLayout* layout, Line& line);
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
  struct PangoFontUnref {
    void operator()(PangoFont* font) const { g_object_unref(font); }
  };
  struct GlyphStringFree {
    void operator()(PangoGlyphString* glyphs) const { pango_glyph_string_free(glyphs); }
  };
  struct FontLines {
    TFont Font;
    Lines Current, Previous;
    // The face the font's text is set in where it has the glyphs, and where a line in it
    // stands: its logical height and its baseline from the top, in points.
    std::unique_ptr<PangoFont, PangoFontUnref> Primary;
    double Height = 0, Baseline = 0;
  };
  static constexpr std::size_t kGeneration = 4096;

  PdfFontSet& FFonts;
  SharedLayout FLayout;
  std::unique_ptr<PangoGlyphString, GlyphStringFree> FGlyphs;
  std::vector<FontLines> FByFont;
  std::size_t FLastFont = 0;
};
