// Single lines of text shaped for a PDF: each distinct line of a font is shaped once, with the
// fonts and settings the metrics use, into text operators ready to append to a page, so that
// the many texts a report repeats (headings, names, dates) cost a lookup and a copy.
#pragma once

#include <hb.h>

#include <cstddef>
#include <cstdint>
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
  // One glyph as shaped, in Pango units, with the text of the cluster it starts (empty for
  // the further glyphs of a cluster).
  struct ShapedGlyph {
    std::uint32_t Glyph = 0;
    int Width = 0, XOffset = 0, YOffset = 0;  // y downwards
    std::string_view Text;
  };

  Line Shape(std::string_view text, FontLines& lines);
  // Shapes `text` with HarfBuzz alone, on the font and with the settings Pango's shaper would
  // use, when the font's own glyphs cover it and it is of the simple kind (Latin script and
  // common punctuation): a whole layout would come to the same glyphs at several times the
  // cost. False when the text needs the layout.
  bool ShapeSimple(std::string_view text, FontLines& lines, Line& line);
  // The runs of the line laid out in `layout`.
  void SlowShape(PangoLayout* layout, Line& line);
  // Appends the runs of the glyphs in FShaped, set in `font` from `x` on.
  void AddRuns(PangoFont* font, int& x, double baseline, Line& line);

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
  struct HbBufferDestroy {
    void operator()(hb_buffer_t* buffer) const { hb_buffer_destroy(buffer); }
  };
  struct FontLines {
    TFont Font;
    Lines Current, Previous;
    // The face the font's text is set in where it has the glyphs, and where a line in it
    // stands: its logical height and its baseline from the top, in points.
    std::unique_ptr<PangoFont, PangoFontUnref> Primary;
    double Height = 0, Baseline = 0;
    // The OpenType features Pango shapes the face with (fontconfig may ask for some).
    std::vector<hb_feature_t> Features;
  };
  static constexpr std::size_t kGeneration = 4096;

  PdfFontSet& FFonts;
  SharedLayout FLayout;
  std::unique_ptr<hb_buffer_t, HbBufferDestroy> FBuffer;
  hb_language_t FLanguage;
  std::vector<ShapedGlyph> FShaped;
  std::vector<FontLines> FByFont;
  std::size_t FLastFont = 0;
};
