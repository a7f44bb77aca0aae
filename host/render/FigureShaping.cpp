#include "render/FigureShaping.h"

#include <string>

namespace {

bool SameShift(const hb_glyph_position_t& position, hb_position_t xAdvance, hb_position_t yAdvance,
               hb_position_t xOffset, hb_position_t yOffset) {
  return position.x_advance == xAdvance && position.y_advance == yAdvance &&
         position.x_offset == xOffset && position.y_offset == yOffset;
}

}  // namespace

bool FigureShaping::IsFigure(char character) {
  return kFigures.find(character) != std::string_view::npos;
}

std::size_t FigureShaping::IndexOf(char figure) {
  return kFigures.find(figure);
}

bool FigureShaping::Learn(const Shaper& shape) {
  std::vector<hb_glyph_info_t> glyphs;
  std::vector<hb_glyph_position_t> positions;
  // Each glyph must be its own figure's, in its own cluster.
  const auto ownGlyphs = [&](std::string_view text) {
    if (glyphs.size() != text.size()) return false;
    for (std::size_t at = 0; at < text.size(); ++at) {
      if (glyphs[at].cluster != at || glyphs[at].codepoint != FGlyph[IndexOf(text[at])]) {
        return false;
      }
    }
    return true;
  };

  for (std::size_t a = 0; a < kCount; ++a) {
    shape(kFigures.substr(a, 1), glyphs, positions);
    if (glyphs.size() != 1 || glyphs[0].cluster != 0) return false;
    FGlyph[a] = glyphs[0].codepoint;
    const hb_glyph_position_t& alone = positions[0];
    FAlone[a] = {alone.x_advance, alone.y_advance, alone.x_offset, alone.y_offset};
  }
  for (std::size_t a = 0; a < kCount; ++a) {
    for (std::size_t b = 0; b < kCount; ++b) {
      const std::string pair{kFigures[a], kFigures[b]};
      shape(pair, glyphs, positions);
      if (!ownGlyphs(pair)) return false;
      const auto change = [](const hb_glyph_position_t& shaped, const Shift& alone) {
        return Shift{shaped.x_advance - alone.XAdvance, shaped.y_advance - alone.YAdvance,
                     shaped.x_offset - alone.XOffset, shaped.y_offset - alone.YOffset};
      };
      FAsFirst[a][b] = change(positions[0], FAlone[a]);
      FAsSecond[a][b] = change(positions[1], FAlone[b]);
    }
  }
  // Every three figures come out as their pairs say: nothing reaches further than a pair.
  std::vector<hb_glyph_info_t> setGlyphs;
  std::vector<hb_glyph_position_t> setPositions;
  for (char a : kFigures) {
    for (char b : kFigures) {
      for (char c : kFigures) {
        const std::string three{a, b, c};
        shape(three, glyphs, positions);
        if (!ownGlyphs(three)) return false;
        Set(three, setGlyphs, setPositions);
        for (std::size_t at = 0; at < 3; ++at) {
          const hb_glyph_position_t& expected = setPositions[at];
          if (!SameShift(positions[at], expected.x_advance, expected.y_advance, expected.x_offset,
                         expected.y_offset)) {
            return false;
          }
        }
      }
    }
  }
  return true;
}

void FigureShaping::Set(std::string_view text, std::vector<hb_glyph_info_t>& glyphs,
                        std::vector<hb_glyph_position_t>& positions) const {
  glyphs.assign(text.size(), hb_glyph_info_t{});
  positions.assign(text.size(), hb_glyph_position_t{});
  for (std::size_t at = 0; at < text.size(); ++at) {
    const std::size_t figure = IndexOf(text[at]);
    Shift shift = FAlone[figure];
    const auto add = [&shift](const Shift& change) {
      shift.XAdvance += change.XAdvance;
      shift.YAdvance += change.YAdvance;
      shift.XOffset += change.XOffset;
      shift.YOffset += change.YOffset;
    };
    if (at + 1 < text.size()) add(FAsFirst[figure][IndexOf(text[at + 1])]);
    if (at > 0) add(FAsSecond[IndexOf(text[at - 1])][figure]);
    glyphs[at].codepoint = FGlyph[figure];
    glyphs[at].cluster = static_cast<std::uint32_t>(at);
    positions[at].x_advance = shift.XAdvance;
    positions[at].y_advance = shift.YAdvance;
    positions[at].x_offset = shift.XOffset;
    positions[at].y_offset = shift.YOffset;
  }
}
