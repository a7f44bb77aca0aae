// Lines of plain text set in one font from their words: each word shaped once, the words joined
// at their spaces with what the pair on each side of a space changes. A long report shows tens
// of thousands of distinct lines (names, addresses, titles with a number) made of far fewer
// words, and shaping each line whole is most of the cost of its text.
//
// Only for a face whose layout tables leave nothing else to reach across a space (Allows), and
// each gap met between two characters is shaped whole once and must come out as its pairs say;
// one that does not sends the font's lines back to shaping for good.
#pragma once

#include <hb.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "render/FigureShaping.h"

class WordShaping {
 public:
  // Shapes a text as a line of the font would be shaped (same face, script and features).
  using Shaper = FigureShaping::Shaper;

  // Whether the face's tables let lines be set from words: no substitution involves the space,
  // and the only positioning that does is kerning of a pair that moves its first glyph alone.
  static bool Allows(hb_face_t* face, hb_codepoint_t space);

  // The glyphs of `text`, as `shape` shaping the line whole gives them; false when the line
  // must be shaped whole. `text` is valid UTF-8 of characters the font has glyphs for, and
  // `shape` the same every time.
  bool Set(std::string_view text, const Shaper& shape, std::vector<hb_glyph_info_t>& glyphs,
           std::vector<hb_glyph_position_t>& positions);

 private:
  struct Glyph {
    hb_codepoint_t Id = 0;
    std::uint32_t Cluster = 0;
    hb_position_t XAdvance = 0, YAdvance = 0, XOffset = 0, YOffset = 0;
  };
  // A word as shaped alone; usable when its first and last glyphs are those of its first and
  // last characters alone, which the pairs around it were measured with.
  struct Word {
    std::vector<Glyph> Glyphs;
    char32_t First = 0, Last = 0;
    bool Usable = false;
  };
  // Words are found by their text without making a string of it.
  struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const {
      return std::hash<std::string_view>{}(text);
    }
  };
  // What a pair of characters changes of their glyphs set alone.
  struct PairShift {
    Glyph First, Second;  // the changes (Id and Cluster unused)
    bool Usable = false;
  };
  // Gaps longer than this are shaped whole: each length would be checked apart.
  static constexpr std::size_t kLongestGap = 3;
  // Words kept before the cache starts over: four times as many saved 1 to 2 % of a long
  // report's time for 2 MiB more per report (each font keeps its own).
  static constexpr std::size_t kWordsKept = 1024;

  // The character's glyph set alone; null when it is not a single glyph.
  const Glyph* Alone(char32_t character, const Shaper& shape);
  const Word& WordOf(std::string_view word, const Shaper& shape);
  const PairShift& PairOf(char32_t first, char32_t second, const Shaper& shape);
  // Sets `text` from its words and spaces into FGlyphs; false when some part is not usable.
  bool Compose(std::string_view text, const Shaper& shape);
  // Every gap of `text` (spaces between two characters or at an end) checked once.
  bool GapsChecked(std::string_view text, const Shaper& shape);
  void Shape(std::string_view text, const Shaper& shape);  // into FShaped

  bool FRefused = false;
  std::unordered_map<char32_t, Glyph> FAlone;
  std::unordered_set<char32_t> FNotAlone;
  std::unordered_map<std::string, Word, TextHash, std::equal_to<>> FWords;
  std::unordered_map<std::uint64_t, PairShift> FPairs;  // by both characters
  std::unordered_set<std::uint64_t> FCheckedGaps;       // by both ends and length
  std::string FScratch;
  std::vector<Glyph> FGlyphs;
  std::vector<Glyph> FShaped;
  std::vector<hb_glyph_info_t> FInfos;
  std::vector<hb_glyph_position_t> FPositions;
};
