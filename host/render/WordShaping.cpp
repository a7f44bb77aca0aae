#include "render/WordShaping.h"

#include <glib.h>
#include <hb-ot.h>

#include <algorithm>
#include <memory>
#include <optional>

namespace {

struct BlobDestroy {
  void operator()(hb_blob_t* blob) const { hb_blob_destroy(blob); }
};
struct SetDestroy {
  void operator()(hb_set_t* set) const { hb_set_destroy(set); }
};
using SetHandle = std::unique_ptr<hb_set_t, SetDestroy>;

// Big-endian fields of a font table, each read only inside the table.
class TableReader {
 public:
  explicit TableReader(hb_blob_t* blob) {
    unsigned length = 0;
    FData = hb_blob_get_data(blob, &length);
    FLength = length;
  }
  std::optional<std::uint32_t> U16(std::size_t at) const { return Read(at, 2); }
  std::optional<std::uint32_t> U32(std::size_t at) const { return Read(at, 4); }

 private:
  std::optional<std::uint32_t> Read(std::size_t at, std::size_t size) const {
    if (FData == nullptr || at + size > FLength || at + size < at) return std::nullopt;
    std::uint32_t value = 0;
    for (std::size_t byte = 0; byte < size; ++byte) {
      value = (value << 8) | static_cast<unsigned char>(FData[at + byte]);
    }
    return value;
  }
  const char* FData = nullptr;
  std::size_t FLength = 0;
};

// Whether lookup `index` of the table names `glyph` anywhere: as input, context or output.
bool LookupInvolves(hb_face_t* face, hb_tag_t table, unsigned index, hb_codepoint_t glyph) {
  SetHandle before(hb_set_create()), input(hb_set_create()), after(hb_set_create()),
      output(hb_set_create());
  hb_ot_layout_lookup_collect_glyphs(face, table, index, before.get(), input.get(), after.get(),
                                     output.get());
  return hb_set_has(before.get(), glyph) || hb_set_has(input.get(), glyph) ||
         hb_set_has(after.get(), glyph) || hb_set_has(output.get(), glyph);
}

constexpr std::uint32_t kPairAdjustment = 2;
constexpr std::uint32_t kExtension = 9;

// Whether every subtable of the positioning lookup at `lookup` is a pair adjustment that moves
// the first glyph of its pair alone: such a pair leaves its second glyph free to start the
// next pair, so the pairs on each side of a space add up.
bool KernsFirstGlyphsOnly(const TableReader& table, std::size_t lookup) {
  const auto type = table.U16(lookup);
  const auto count = table.U16(lookup + 4);
  if (!type || !count) return false;
  for (std::uint32_t sub = 0; sub < *count; ++sub) {
    const auto offset = table.U16(lookup + 6 + 2 * sub);
    if (!offset) return false;
    std::size_t at = lookup + *offset;
    std::optional<std::uint32_t> subType = type;
    if (*type == kExtension) {
      subType = table.U16(at + 2);
      const auto extension = table.U32(at + 4);
      if (!extension) return false;
      at += *extension;
    }
    const auto secondFormat = table.U16(at + 6);
    if (subType != kPairAdjustment || secondFormat != 0u) return false;
  }
  return true;
}

bool HasTable(hb_face_t* face, hb_tag_t tag) {
  const std::unique_ptr<hb_blob_t, BlobDestroy> blob(hb_face_reference_table(face, tag));
  return hb_blob_get_length(blob.get()) > 0;
}

bool HasFeature(hb_face_t* face, hb_tag_t table, hb_tag_t feature) {
  unsigned count = hb_ot_layout_table_get_feature_tags(face, table, 0, nullptr, nullptr);
  std::vector<hb_tag_t> tags(count);
  hb_ot_layout_table_get_feature_tags(face, table, 0, &count, tags.data());
  for (unsigned index = 0; index < count; ++index) {
    if (tags[index] == feature) return true;
  }
  return false;
}

// The character starting at `at` in valid UTF-8.
char32_t CharacterAt(std::string_view text, std::size_t at) {
  return g_utf8_get_char(text.data() + at);
}

// Where the character that ends at `end` starts, in valid UTF-8.
std::size_t StartBefore(std::string_view text, std::size_t end) {
  return static_cast<std::size_t>(g_utf8_prev_char(text.data() + end) - text.data());
}

void AppendCharacter(std::string& text, char32_t character) {
  char bytes[6];
  text.append(bytes, static_cast<std::size_t>(g_unichar_to_utf8(character, bytes)));
}

std::uint64_t PairKey(char32_t first, char32_t second) {
  return (static_cast<std::uint64_t>(first) << 32) | second;
}

}  // namespace

bool WordShaping::Allows(hb_face_t* face, hb_codepoint_t space) {
  // Fonts shaped by their AAT tables, or kerned by a legacy table HarfBuzz applies when the
  // positioning table does not kern, are left to shaping whole lines.
  if (HasTable(face, HB_TAG('m', 'o', 'r', 'x')) || HasTable(face, HB_TAG('k', 'e', 'r', 'x'))) {
    return false;
  }
  if (HasTable(face, HB_TAG('k', 'e', 'r', 'n')) &&
      !HasFeature(face, HB_OT_TAG_GPOS, HB_TAG('k', 'e', 'r', 'n'))) {
    return false;
  }
  const unsigned substitutions = hb_ot_layout_table_get_lookup_count(face, HB_OT_TAG_GSUB);
  for (unsigned index = 0; index < substitutions; ++index) {
    if (LookupInvolves(face, HB_OT_TAG_GSUB, index, space)) return false;
  }
  const std::unique_ptr<hb_blob_t, BlobDestroy> blob(hb_face_reference_table(face, HB_OT_TAG_GPOS));
  const TableReader table(blob.get());
  const auto lookupList = table.U16(8);
  const unsigned positionings = hb_ot_layout_table_get_lookup_count(face, HB_OT_TAG_GPOS);
  for (unsigned index = 0; index < positionings; ++index) {
    if (!LookupInvolves(face, HB_OT_TAG_GPOS, index, space)) continue;
    const auto lookup = lookupList ? table.U16(*lookupList + 2 + 2 * index) : std::nullopt;
    if (!lookup || !KernsFirstGlyphsOnly(table, *lookupList + *lookup)) return false;
  }
  return true;
}

void WordShaping::Shape(std::string_view text, const Shaper& shape) {
  shape(text, FInfos, FPositions);
  FShaped.resize(FInfos.size());
  for (std::size_t index = 0; index < FInfos.size(); ++index) {
    const hb_glyph_position_t& position = FPositions[index];
    FShaped[index] = {FInfos[index].codepoint, FInfos[index].cluster, position.x_advance,
                      position.y_advance,      position.x_offset,     position.y_offset};
  }
}

const WordShaping::Glyph* WordShaping::Alone(char32_t character, const Shaper& shape) {
  if (auto known = FAlone.find(character); known != FAlone.end()) return &known->second;
  if (FNotAlone.count(character) != 0) return nullptr;
  FScratch.clear();
  AppendCharacter(FScratch, character);
  Shape(FScratch, shape);
  if (FShaped.size() != 1 || FShaped[0].Cluster != 0) {
    FNotAlone.insert(character);
    return nullptr;
  }
  return &FAlone.emplace(character, FShaped[0]).first->second;
}

const WordShaping::Word& WordShaping::WordOf(std::string_view text, const Shaper& shape) {
  if (auto known = FWords.find(text); known != FWords.end()) return known->second;
  if (FWords.size() >= kWordsKept) FWords.clear();
  Word word;
  const std::size_t lastStart = StartBefore(text, text.size());
  word.First = CharacterAt(text, 0);
  word.Last = CharacterAt(text, lastStart);
  const Glyph* firstAlone = Alone(word.First, shape);
  const Glyph* lastAlone = Alone(word.Last, shape);
  Shape(text, shape);
  word.Glyphs = FShaped;
  const std::size_t count = word.Glyphs.size();
  const auto lastCluster = static_cast<std::uint32_t>(lastStart);
  // Each end is its own character's glyph alone in its cluster.
  word.Usable =
      firstAlone != nullptr && lastAlone != nullptr && count > 0 && word.Glyphs[0].Cluster == 0 &&
      word.Glyphs[0].Id == firstAlone->Id && (count == 1 || word.Glyphs[1].Cluster != 0) &&
      word.Glyphs[count - 1].Cluster == lastCluster && word.Glyphs[count - 1].Id == lastAlone->Id &&
      (count == 1 || word.Glyphs[count - 2].Cluster != lastCluster);
  return FWords.emplace(std::string(text), std::move(word)).first->second;
}

const WordShaping::PairShift& WordShaping::PairOf(char32_t first, char32_t second,
                                                  const Shaper& shape) {
  const std::uint64_t key = PairKey(first, second);
  if (auto known = FPairs.find(key); known != FPairs.end()) return known->second;
  PairShift pair;
  const Glyph* firstAlone = Alone(first, shape);
  const Glyph* secondAlone = Alone(second, shape);
  FScratch.clear();
  AppendCharacter(FScratch, first);
  const auto secondCluster = static_cast<std::uint32_t>(FScratch.size());
  AppendCharacter(FScratch, second);
  Shape(FScratch, shape);
  if (firstAlone != nullptr && secondAlone != nullptr && FShaped.size() == 2 &&
      FShaped[0].Id == firstAlone->Id && FShaped[1].Id == secondAlone->Id &&
      FShaped[0].Cluster == 0 && FShaped[1].Cluster == secondCluster) {
    const auto change = [](const Glyph& shaped, const Glyph& alone) {
      return Glyph{0,
                   0,
                   shaped.XAdvance - alone.XAdvance,
                   shaped.YAdvance - alone.YAdvance,
                   shaped.XOffset - alone.XOffset,
                   shaped.YOffset - alone.YOffset};
    };
    pair.First = change(FShaped[0], *firstAlone);
    pair.Second = change(FShaped[1], *secondAlone);
    pair.Usable = true;
  }
  return FPairs.emplace(key, pair).first->second;
}

bool WordShaping::Compose(std::string_view text, const Shaper& shape) {
  FGlyphs.clear();
  char32_t previousLast = 0;  // the last character of the previous word or space
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = at + 1;
    char32_t first = ' ', last = ' ';
    const std::size_t firstGlyph = FGlyphs.size();
    if (text[at] == ' ') {
      const Glyph* space = Alone(' ', shape);
      if (space == nullptr) return false;
      FGlyphs.push_back(*space);
      FGlyphs.back().Cluster = static_cast<std::uint32_t>(at);
    } else {
      end = std::min(text.find(' ', at), text.size());
      const Word& word = WordOf(text.substr(at, end - at), shape);
      if (!word.Usable) return false;
      for (Glyph glyph : word.Glyphs) {
        glyph.Cluster += static_cast<std::uint32_t>(at);
        FGlyphs.push_back(glyph);
      }
      first = word.First;
      last = word.Last;
    }
    if (firstGlyph > 0) {
      const PairShift& pair = PairOf(previousLast, first, shape);
      if (!pair.Usable) return false;
      for (auto [glyph, change] : {std::pair{&FGlyphs[firstGlyph - 1], &pair.First},
                                   std::pair{&FGlyphs[firstGlyph], &pair.Second}}) {
        glyph->XAdvance += change->XAdvance;
        glyph->YAdvance += change->YAdvance;
        glyph->XOffset += change->XOffset;
        glyph->YOffset += change->YOffset;
      }
    }
    previousLast = last;
    at = end;
  }
  return true;
}

bool WordShaping::GapsChecked(std::string_view text, const Shaper& shape) {
  std::size_t at = 0;
  while ((at = text.find(' ', at)) != std::string_view::npos) {
    const std::size_t end = std::min(text.find_first_not_of(' ', at), text.size());
    const std::size_t spaces = end - at;
    if (spaces > kLongestGap) return false;
    // A gap at an end has no character there (0).
    const char32_t before = at > 0 ? CharacterAt(text, StartBefore(text, at)) : 0;
    const char32_t after = end < text.size() ? CharacterAt(text, end) : 0;
    at = end;
    const std::uint64_t key = PairKey(before, after) | (static_cast<std::uint64_t>(spaces) << 21);
    if (FCheckedGaps.count(key) != 0) continue;
    std::string gap;
    if (before != 0) AppendCharacter(gap, before);
    gap.append(spaces, ' ');
    if (after != 0) AppendCharacter(gap, after);
    if (!Compose(gap, shape)) return false;
    Shape(gap, shape);
    const auto same = [](const Glyph& a, const Glyph& b) {
      return a.Id == b.Id && a.Cluster == b.Cluster && a.XAdvance == b.XAdvance &&
             a.YAdvance == b.YAdvance && a.XOffset == b.XOffset && a.YOffset == b.YOffset;
    };
    if (!std::equal(FGlyphs.begin(), FGlyphs.end(), FShaped.begin(), FShaped.end(), same)) {
      FRefused = true;
      return false;
    }
    FCheckedGaps.insert(key);
  }
  return true;
}

bool WordShaping::Set(std::string_view text, const Shaper& shape,
                      std::vector<hb_glyph_info_t>& glyphs,
                      std::vector<hb_glyph_position_t>& positions) {
  if (FRefused || text.empty() || !GapsChecked(text, shape) || !Compose(text, shape)) {
    return false;
  }
  glyphs.assign(FGlyphs.size(), hb_glyph_info_t{});
  positions.assign(FGlyphs.size(), hb_glyph_position_t{});
  for (std::size_t index = 0; index < FGlyphs.size(); ++index) {
    const Glyph& glyph = FGlyphs[index];
    glyphs[index].codepoint = glyph.Id;
    glyphs[index].cluster = glyph.Cluster;
    positions[index].x_advance = glyph.XAdvance;
    positions[index].y_advance = glyph.YAdvance;
    positions[index].x_offset = glyph.XOffset;
    positions[index].y_offset = glyph.YOffset;
  }
  return true;
}
