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
#include "render/FigureShaping.h"
#include "render/PangoText.h"
#include "render/PdfFontSet.h"
#include "render/WordShaping.h"

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
  // Shapes `text` into FBuffer as Pango would, with the settings of the simple path.
  void HarfBuzzShape(std::string_view text, bool latin, const FontLines& lines, hb_font_t* font);
  // HarfBuzzShape for the figure and word setters, which learn a font from its shaping.
  FigureShaping::Shaper Shaper(bool latin, const FontLines& lines, hb_font_t* font);
  // Sets a line of figures into FSetGlyphs and FSetPositions without shaping it, once the
  // font has been learned; false when it must be shaped.
  bool SetFigures(std::string_view text, FontLines& lines, hb_font_t* font);
  // Sets a line of several words into FSetGlyphs and FSetPositions from its words, when
  // the font allows; false when it must be shaped whole.
  bool SetWords(std::string_view text, bool latin, FontLines& lines, hb_font_t* font);
  // Makes `line` of the glyphs shaped for `text`.
  void TakeShaped(std::string_view text, const hb_glyph_info_t* infos,
                  const hb_glyph_position_t* positions, std::size_t count, const FontLines& lines,
                  Line& line);
  // The runs of the line laid out in `layout`.
  void SlowShape(PangoLayout* layout, Line& line);
  // Appends the runs of the glyphs in FShaped, set in `font` from `x` on.
  void AddRuns(PangoFont* font, int& x, double baseline, Line& line);

  // The lines of one font met lately. Generations bound the memory: when the current one is
  // full a new one starts, and a line not met in the current or the previous generation is
  // dropped; a line met again joins the current generation. A line met more than once (a
  // heading, an item's description) is kept for kGenerationsKept generations instead, so that
  // the many lines shown once (names, addresses) do not push out those that recur. Entries are
  // found through an open table of their hashes, which a look-up reads mostly in one place.
  class LineCache {
   public:
    // The line for `text`, whose hash is `hash`; none when it is not cached.
    const Line* Find(std::string_view text, std::size_t hash);
    const Line& Add(std::string_view text, std::size_t hash, Line line);

   private:
    struct Entry {
      std::string Text;
      std::size_t Hash = 0;
      Line Shaped;
      std::uint64_t Generation = 0;
      bool MetAgain = false;  // found again since it was added
    };
    struct Slot {
      std::uint32_t Hash = 0;        // the low bits of the entry's hash
      std::uint32_t Number = kFree;  // of the entry in FEntries
    };
    static constexpr std::uint32_t kFree = UINT32_MAX;
    static constexpr std::size_t kGeneration = 1024;
    static constexpr std::uint64_t kGenerationsKept = 8;

    // Counts one more line into the current generation, starting a new one when it is full.
    // `kept` is moved into the generation that holds the line, so that it survives.
    void Join(Entry* kept);
    void Index(std::uint32_t entry);
    void Rebuild();

    std::vector<std::unique_ptr<Entry>> FEntries;  // stable addresses across rebuilds
    std::vector<Slot> FSlots;                      // a power of two, at most half full
    std::uint64_t FGeneration = 0;
    std::size_t FInCurrent = 0;
  };
  struct PangoFontUnref {
    void operator()(PangoFont* font) const { g_object_unref(font); }
  };
  struct HbBufferDestroy {
    void operator()(hb_buffer_t* buffer) const { hb_buffer_destroy(buffer); }
  };
  enum class CharacterKind : std::uint8_t { Unknown, Latin, Common, Unusable };
  enum class Usability : std::uint8_t { Unknown, Usable, Unusable };
  // Lines of figures a font shapes before it is learned (a few milliseconds).
  static constexpr std::size_t kFigureLinesToLearn = 1000;
  // Lines of words a font shapes whole before they are set from words: a short document
  // does not pay for shaping words and gaps apart.
  static constexpr std::size_t kWordLinesToLearn = 500;
  // Past the last character the simple path takes.
  static constexpr gunichar kCharacterKinds = 0x20C1;
  struct FontLines {
    TFont Font;
    LineCache Cache;
    // The face the font's text is set in where it has the glyphs, and where a line in it
    // stands: its logical height and its baseline from the top, in points.
    std::unique_ptr<PangoFont, PangoFontUnref> Primary;
    double Height = 0, Baseline = 0;
    // The OpenType features Pango shapes the face with (fontconfig may ask for some).
    std::vector<hb_feature_t> Features;
    // What the simple path makes of each character below kCharacterKinds, found once.
    std::vector<CharacterKind> Kinds;
    // Lines of figures met, and whether they can be set without shaping.
    std::size_t FigureLines = 0;
    Usability FigureState = Usability::Unknown;
    FigureShaping Figures;
    // Lines of several words met, whether the face allows setting them from words, and the
    // words of Latin lines and of lines of common characters, which shape apart.
    std::size_t WordLines = 0;
    Usability WordState = Usability::Unknown;
    WordShaping LatinWords, CommonWords;
  };

  PdfFontSet& FFonts;
  SharedLayout FLayout;
  std::unique_ptr<hb_buffer_t, HbBufferDestroy> FBuffer;
  hb_language_t FLanguage;
  std::vector<ShapedGlyph> FShaped;
  std::vector<hb_glyph_info_t> FSetGlyphs;
  std::vector<hb_glyph_position_t> FSetPositions;
  std::vector<FontLines> FByFont;
  std::size_t FLastFont = 0;
};
