#include "render/PdfTextLines.h"

#include <cmath>
#include <memory>

#include "render/PdfSyntax.h"

namespace {

// How far, in points, the PDF's pen may drift from where Pango placed a glyph before an
// adjustment puts it back: Pango keeps widths in 1/1024 point, the font's widths are exact.
constexpr double kDrift = 0.01;

struct LayoutIterFree {
  void operator()(PangoLayoutIter* iter) const { pango_layout_iter_free(iter); }
};

// Characters the simple path takes: Latin letters and the punctuation, digits, symbols and
// spaces of common text, none of which Pango treats specially (no breaks, marks, controls or
// direction changes).
bool SimpleCharacter(gunichar character) {
  return (character >= 0x20 && character <= 0x7E) ||
         (character >= 0xA0 && character <= 0x24F && character != 0xAD) ||
         (character >= 0x2010 && character <= 0x2027) ||
         (character >= 0x2030 && character <= 0x205E) ||
         (character >= 0x20A0 && character <= 0x20C0);
}

}  // namespace

PdfTextLines::PdfTextLines(PdfFontSet& fonts)
    : FFonts(fonts),
      FLayout(pango_text::CreateMeasuringContext()),
      FBuffer(hb_buffer_create()),
      FLanguage(hb_language_from_string(
          pango_language_to_string(pango_context_get_language(FLayout.Context())), -1)) {}

const PdfTextLines::Line& PdfTextLines::Get(std::string_view text, const TFont& font) {
  if (FLastFont >= FByFont.size() || !(FByFont[FLastFont].Font == font)) {
    FLastFont = FByFont.size();
    for (std::size_t index = 0; index < FByFont.size() && FLastFont == FByFont.size(); ++index) {
      if (FByFont[index].Font == font) FLastFont = index;
    }
    if (FLastFont == FByFont.size()) {
      FontLines added;
      added.Font = font;
      FByFont.push_back(std::move(added));
    }
  }
  FontLines& lines = FByFont[FLastFont];
  const std::size_t hash = std::hash<std::string_view>{}(text);
  if (const Line* known = lines.Cache.Find(text, hash)) return *known;
  return lines.Cache.Add(text, hash, Shape(text, lines));
}

const PdfTextLines::Line* PdfTextLines::LineCache::Find(std::string_view text, std::size_t hash) {
  if (FSlots.empty()) return nullptr;
  const std::size_t mask = FSlots.size() - 1;
  for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
    const Slot& slot = FSlots[at];
    if (slot.Number == kFree) return nullptr;
    if (slot.Hash != static_cast<std::uint32_t>(hash)) continue;
    Entry* entry = FEntries[slot.Number].get();
    if (entry->Text != text) continue;
    entry->MetAgain = true;
    if (entry->Generation != FGeneration) Join(entry);
    return &entry->Shaped;
  }
}

const PdfTextLines::Line& PdfTextLines::LineCache::Add(std::string_view text, std::size_t hash,
                                                       Line line) {
  Join(nullptr);
  FEntries.push_back(
      std::make_unique<Entry>(Entry{std::string(text), hash, std::move(line), FGeneration}));
  if (FEntries.size() * 2 > FSlots.size()) {
    Rebuild();
  } else {
    Index(static_cast<std::uint32_t>(FEntries.size() - 1));
  }
  return FEntries.back()->Shaped;
}

void PdfTextLines::LineCache::Join(Entry* kept) {
  const bool full = FInCurrent >= kGeneration;
  if (full) {
    ++FGeneration;
    FInCurrent = 0;
  }
  if (kept != nullptr) kept->Generation = FGeneration;
  if (full) {
    std::erase_if(FEntries, [this](const std::unique_ptr<Entry>& entry) {
      return entry->Generation + (entry->MetAgain ? kGenerationsKept : 1) < FGeneration;
    });
    Rebuild();
  }
  ++FInCurrent;
}

void PdfTextLines::LineCache::Index(std::uint32_t entry) {
  const std::size_t mask = FSlots.size() - 1;
  const std::size_t hash = FEntries[entry]->Hash;
  std::size_t at = hash & mask;
  while (FSlots[at].Number != kFree) at = (at + 1) & mask;
  FSlots[at] = Slot{static_cast<std::uint32_t>(hash), entry};
}

void PdfTextLines::LineCache::Rebuild() {
  std::size_t size = 16;
  while (size < FEntries.size() * 2) size *= 2;
  FSlots.assign(size, Slot{});
  for (std::size_t entry = 0; entry < FEntries.size(); ++entry) {
    Index(static_cast<std::uint32_t>(entry));
  }
}

PdfTextLines::Line PdfTextLines::Shape(std::string_view text, FontLines& lines) {
  Line line;
  if (ShapeSimple(text, lines, line)) return line;
  FLayout.SetText(text, lines.Font);
  SlowShape(FLayout.Get(), line);
  return line;
}

void PdfTextLines::SlowShape(PangoLayout* layout, Line& line) {
  PangoRectangle logical;
  pango_layout_get_extents(layout, nullptr, &logical);
  line.Width = static_cast<double>(logical.width) / PANGO_SCALE;
  line.Height = static_cast<double>(logical.height) / PANGO_SCALE;
  const char* shaped = pango_layout_get_text(layout);
  std::unique_ptr<PangoLayoutIter, LayoutIterFree> iter(pango_layout_get_iter(layout));
  do {
    PangoLayoutLine* layoutLine = pango_layout_iter_get_line_readonly(iter.get());
    PangoRectangle extents;
    pango_layout_iter_get_line_extents(iter.get(), nullptr, &extents);
    const double baseline =
        static_cast<double>(pango_layout_iter_get_baseline(iter.get())) / PANGO_SCALE;
    int x = extents.x;
    for (GSList* run = layoutLine->runs; run != nullptr; run = run->next) {
      auto* item = static_cast<PangoGlyphItem*>(run->data);
      const PangoGlyphString* glyphs = item->glyphs;
      FShaped.assign(static_cast<std::size_t>(glyphs->num_glyphs), ShapedGlyph{});
      for (int index = 0; index < glyphs->num_glyphs; ++index) {
        const PangoGlyphInfo& glyph = glyphs->glyphs[index];
        FShaped[static_cast<std::size_t>(index)] = {glyph.glyph,
                                                    glyph.geometry.width,
                                                    glyph.geometry.x_offset,
                                                    glyph.geometry.y_offset,
                                                    {}};
      }
      PangoGlyphItemIter cluster;
      for (gboolean more = pango_glyph_item_iter_init_start(&cluster, item, shaped); more;
           more = pango_glyph_item_iter_next_cluster(&cluster)) {
        FShaped[static_cast<std::size_t>(cluster.start_glyph)].Text =
            std::string_view(shaped + cluster.start_index,
                             static_cast<std::size_t>(cluster.end_index - cluster.start_index));
      }
      AddRuns(item->item->analysis.font, x, baseline, line);
    }
  } while (pango_layout_iter_next_line(iter.get()));
}

bool PdfTextLines::ShapeSimple(std::string_view text, FontLines& lines, Line& line) {
  if (text.empty()) return false;
  if (!lines.Primary) {
    // The font Pango sets a line of plain letters in, and that line's height and baseline,
    // which every line set wholly in that font shares.
    FLayout.SetText("x", lines.Font);
    PangoLayoutLine* sample = pango_layout_get_line_readonly(FLayout.Get(), 0);
    if (sample == nullptr || sample->runs == nullptr) return false;
    auto* run = static_cast<PangoGlyphItem*>(sample->runs->data);
    lines.Primary.reset(PANGO_FONT(g_object_ref(run->item->analysis.font)));
    PangoRectangle logical;
    pango_layout_get_extents(FLayout.Get(), nullptr, &logical);
    lines.Height = static_cast<double>(logical.height) / PANGO_SCALE;
    lines.Baseline = static_cast<double>(pango_layout_get_baseline(FLayout.Get())) / PANGO_SCALE;
    constexpr guint kMostFeatures = 32;
    lines.Features.resize(kMostFeatures);
    guint features = 0;
    pango_font_get_features(lines.Primary.get(), lines.Features.data(), kMostFeatures, &features);
    lines.Features.resize(features);
  }
  hb_font_t* font = pango_font_get_hb_font(lines.Primary.get());
  if (lines.Kinds.empty()) lines.Kinds.resize(kCharacterKinds, CharacterKind::Unknown);
  bool latin = false;
  bool figures = true;
  const char* at = text.data();
  const char* const end = text.data() + text.size();
  while (at < end) {
    // Invalid UTF-8 comes back as a value far past the table.
    const gunichar character = g_utf8_get_char_validated(at, end - at);
    if (character >= kCharacterKinds) return false;
    CharacterKind& kind = lines.Kinds[character];
    if (kind == CharacterKind::Unknown) {
      hb_codepoint_t glyph = 0;
      if (!SimpleCharacter(character) || !hb_font_get_nominal_glyph(font, character, &glyph)) {
        kind = CharacterKind::Unusable;
      } else if (g_unichar_get_script(character) == G_UNICODE_SCRIPT_LATIN) {
        kind = CharacterKind::Latin;
      } else {
        kind = CharacterKind::Common;
      }
    }
    if (kind == CharacterKind::Unusable) return false;
    latin = latin || kind == CharacterKind::Latin;
    figures = figures && FigureShaping::IsFigure(*at);
    at = g_utf8_next_char(at);
  }
  if (figures && SetFigures(text, lines, font)) {
    TakeShaped(text, FSetGlyphs.data(), FSetPositions.data(), FSetGlyphs.size(), lines, line);
    return true;
  }
  if (!figures && SetWords(text, latin, lines, font)) {
    TakeShaped(text, FSetGlyphs.data(), FSetPositions.data(), FSetGlyphs.size(), lines, line);
    return true;
  }
  hb_buffer_t* buffer = FBuffer.get();
  HarfBuzzShape(text, latin, lines, font);
  unsigned count = 0;
  const hb_glyph_info_t* infos = hb_buffer_get_glyph_infos(buffer, &count);
  const hb_glyph_position_t* positions = hb_buffer_get_glyph_positions(buffer, nullptr);
  TakeShaped(text, infos, positions, count, lines, line);
  return true;
}

void PdfTextLines::HarfBuzzShape(std::string_view text, bool latin, const FontLines& lines,
                                 hb_font_t* font) {
  // The buffer as Pango's shaper sets it up for a line that is one item: left to right, the
  // common characters taking the script of the letters around them, the context's language,
  // one cluster per character, Pango's empty glyph for what is not drawn.
  hb_buffer_t* buffer = FBuffer.get();
  hb_buffer_clear_contents(buffer);
  hb_buffer_set_direction(buffer, HB_DIRECTION_LTR);
  hb_buffer_set_script(buffer, latin ? HB_SCRIPT_LATIN : HB_SCRIPT_COMMON);
  hb_buffer_set_language(buffer, FLanguage);
  hb_buffer_set_cluster_level(buffer, HB_BUFFER_CLUSTER_LEVEL_MONOTONE_CHARACTERS);
  hb_buffer_set_flags(buffer,
                      static_cast<hb_buffer_flags_t>(HB_BUFFER_FLAG_BOT | HB_BUFFER_FLAG_EOT));
  hb_buffer_set_invisible_glyph(buffer, PANGO_GLYPH_EMPTY);
  const int length = static_cast<int>(text.size());
  hb_buffer_add_utf8(buffer, text.data(), length, 0, length);
  hb_shape(font, buffer, lines.Features.data(), static_cast<unsigned>(lines.Features.size()));
}

FigureShaping::Shaper PdfTextLines::Shaper(bool latin, const FontLines& lines, hb_font_t* font) {
  return [this, latin, &lines, font](std::string_view text, std::vector<hb_glyph_info_t>& glyphs,
                                     std::vector<hb_glyph_position_t>& positions) {
    HarfBuzzShape(text, latin, lines, font);
    unsigned count = 0;
    const hb_glyph_info_t* infos = hb_buffer_get_glyph_infos(FBuffer.get(), &count);
    const hb_glyph_position_t* shaped = hb_buffer_get_glyph_positions(FBuffer.get(), nullptr);
    glyphs.assign(infos, infos + count);
    positions.assign(shaped, shaped + count);
  };
}

bool PdfTextLines::SetFigures(std::string_view text, FontLines& lines, hb_font_t* font) {
  // Small documents never pay for learning the font.
  if (lines.FigureState == Usability::Unusable || ++lines.FigureLines < kFigureLinesToLearn) {
    return false;
  }
  if (lines.FigureState == Usability::Unknown) {
    const bool learned = lines.Figures.Learn(Shaper(false, lines, font));
    lines.FigureState = learned ? Usability::Usable : Usability::Unusable;
    if (!learned) return false;
  }
  lines.Figures.Set(text, FSetGlyphs, FSetPositions);
  return true;
}

bool PdfTextLines::SetWords(std::string_view text, bool latin, FontLines& lines, hb_font_t* font) {
  // A line of one word gains nothing.
  if (lines.WordState == Usability::Unusable || text.find(' ') == std::string_view::npos ||
      ++lines.WordLines < kWordLinesToLearn) {
    return false;
  }
  if (lines.WordState == Usability::Unknown) {
    hb_codepoint_t space = 0;
    const bool allowed = hb_font_get_nominal_glyph(font, ' ', &space) &&
                         WordShaping::Allows(hb_font_get_face(font), space);
    lines.WordState = allowed ? Usability::Usable : Usability::Unusable;
    if (!allowed) return false;
  }
  WordShaping& words = latin ? lines.LatinWords : lines.CommonWords;
  return words.Set(text, Shaper(latin, lines, font), FSetGlyphs, FSetPositions);
}

void PdfTextLines::TakeShaped(std::string_view text, const hb_glyph_info_t* infos,
                              const hb_glyph_position_t* positions, std::size_t count,
                              const FontLines& lines, Line& line) {
  FShaped.resize(count);
  int width = 0;
  std::size_t clusterStart = 0;  // the first glyph of the current cluster
  for (std::size_t index = 0; index < count; ++index) {
    ShapedGlyph& glyph = FShaped[index];
    glyph = {infos[index].codepoint,
             positions[index].x_advance,
             positions[index].x_offset,
             -positions[index].y_offset,
             {}};
    // Pango turns a negative advance around, keeping where the glyph is drawn.
    if (glyph.Width < 0) {
      glyph.Width = -glyph.Width;
      glyph.XOffset += glyph.Width;
    }
    width += glyph.Width;
    if (index > 0 && infos[index].cluster != infos[clusterStart].cluster) {
      FShaped[clusterStart].Text = text.substr(infos[clusterStart].cluster,
                                               infos[index].cluster - infos[clusterStart].cluster);
      clusterStart = index;
    }
  }
  if (count > 0) FShaped[clusterStart].Text = text.substr(infos[clusterStart].cluster);
  line.Width = static_cast<double>(width) / PANGO_SCALE;
  line.Height = lines.Height;
  int x = 0;
  AddRuns(lines.Primary.get(), x, lines.Baseline, line);
}

void PdfTextLines::AddRuns(PangoFont* pangoFont, int& x, double baseline, Line& line) {
  const PdfFontSet::FontUse& font = FFonts.Use(pangoFont);
  Run* run = nullptr;
  double pen = 0;  // where the PDF's pen stands after the glyphs shown so far, in points
  bool adjusted = false, stringOpen = false;
  auto finish = [&] {
    if (run == nullptr) return;
    if (stringOpen) run->Show += ')';
    if (adjusted) {
      run->Show.insert(run->Show.begin(), '[');
      run->Show += "] TJ";
    } else {
      run->Show += " Tj";
    }
    run = nullptr;
  };
  for (const ShapedGlyph& glyph : FShaped) {
    const bool drawn = (glyph.Glyph & PANGO_GLYPH_UNKNOWN_FLAG) == 0 &&
                       glyph.Glyph != PANGO_GLYPH_EMPTY && glyph.Glyph <= 0xFFFF;
    if (drawn) {
      const double target = static_cast<double>(x + glyph.XOffset) / PANGO_SCALE;
      const double y = baseline + static_cast<double>(glyph.YOffset) / PANGO_SCALE;
      if (run == nullptr || run->Y != y) {
        finish();
        line.Runs.push_back(Run{font, target, y, {}});
        run = &line.Runs.back();
        // Two bytes a glyph, and room for the operator and a few adjustments: one allocation.
        run->Show.reserve(FShaped.size() * 2 + 24);
        pen = target;
        adjusted = stringOpen = false;
      }
      if (std::abs(target - pen) > kDrift) {
        // A TJ number moves the pen left by thousandths of the font size, to a tenth of one.
        const double thousandths = std::round((pen - target) / font.Size * 10000) / 10;
        if (stringOpen) run->Show += ')';
        stringOpen = false;
        pdf_syntax::AppendNumber(run->Show, thousandths);
        pen -= thousandths / 1000 * font.Size;
        adjusted = true;
      }
      if (!stringOpen) run->Show += '(';
      stringOpen = true;
      pdf_syntax::AppendGlyphBytes(run->Show, static_cast<std::uint16_t>(glyph.Glyph));
      const double width =
          FFonts.AddGlyph(font.Face, static_cast<std::uint16_t>(glyph.Glyph), glyph.Text);
      pen += width / 1000 * font.Size;
    }
    x += glyph.Width;
  }
  finish();
}
