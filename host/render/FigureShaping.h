// Lines made only of figures (digits and the signs set with them in amounts, dates and codes)
// set in one font without shaping each: from every figure's own glyph and what each pair of
// figures changes of it, once shaping every pair and every three figures has shown that the
// font does no more than that with them. A long report shows tens of thousands of distinct
// amounts; shaping each is most of the cost of its text.
#pragma once

#include <hb.h>

#include <array>
#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

class FigureShaping {
 public:
  // Shapes `text` as the line would be shaped, into its glyphs and their positions.
  using Shaper = std::function<void(std::string_view text, std::vector<hb_glyph_info_t>& glyphs,
                                    std::vector<hb_glyph_position_t>& positions)>;

  static bool IsFigure(char character);

  // Learns the font through `shape`. False when the font sets some pair or three of figures
  // otherwise than from their own glyphs and pairs (a ligature, a contextual form): its lines
  // of figures are then left to shaping.
  bool Learn(const Shaper& shape);

  // The glyphs of `text`, figures only, as shaping gives them; each glyph is the cluster of
  // its own figure. Only after Learn succeeded.
  void Set(std::string_view text, std::vector<hb_glyph_info_t>& glyphs,
           std::vector<hb_glyph_position_t>& positions) const;

 private:
  static constexpr std::string_view kFigures = "0123456789.,-/: ";
  static constexpr std::size_t kCount = kFigures.size();
  struct Shift {
    hb_position_t XAdvance = 0, YAdvance = 0, XOffset = 0, YOffset = 0;
  };
  static std::size_t IndexOf(char figure);

  std::array<hb_codepoint_t, kCount> FGlyph{};
  std::array<Shift, kCount> FAlone{};
  // What following figure b changes of figure a, and what preceding figure a changes of b.
  std::array<std::array<Shift, kCount>, kCount> FAsFirst{}, FAsSecond{};
};
