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
      FGlyphs(pango_glyph_string_new()) {}

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
  if (auto hit = lines.Current.find(text); hit != lines.Current.end()) return hit->second;
  auto makeRoom = [&lines] {
    if (lines.Current.size() >= kGeneration) {
      lines.Previous = std::move(lines.Current);
      lines.Current.clear();
    }
  };
  if (auto hit = lines.Previous.find(text); hit != lines.Previous.end()) {
    Lines::node_type kept = lines.Previous.extract(hit);
    makeRoom();
    return lines.Current.insert(std::move(kept)).position->second;
  }
  Line shaped = Shape(text, lines);
  makeRoom();
  return lines.Current.emplace(std::string(text), std::move(shaped)).first->second;
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
      AddRuns(shaped, static_cast<PangoGlyphItem*>(run->data), x, baseline, line);
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
  }
  hb_font_t* font = pango_font_get_hb_font(lines.Primary.get());
  bool latin = false;
  int characters = 0;
  const char* at = text.data();
  const char* const end = text.data() + text.size();
  while (at < end) {
    const gunichar character = g_utf8_get_char_validated(at, end - at);
    hb_codepoint_t glyph = 0;
    if (character >= 0xFFFFFFFE || !SimpleCharacter(character) ||
        !hb_font_get_nominal_glyph(font, character, &glyph)) {
      return false;
    }
    latin = latin || g_unichar_get_script(character) == G_UNICODE_SCRIPT_LATIN;
    ++characters;
    at = g_utf8_next_char(at);
  }
  // One item, as Pango's itemizer makes of such a line: the common characters take the
  // script of the letters around them.
  PangoItem item{};
  item.offset = 0;
  item.length = static_cast<int>(text.size());
  item.num_chars = characters;
  item.analysis.font = lines.Primary.get();
  item.analysis.gravity = PANGO_GRAVITY_SOUTH;
  item.analysis.script = latin ? PANGO_SCRIPT_LATIN : PANGO_SCRIPT_COMMON;
  item.analysis.language = pango_context_get_language(FLayout.Context());
  pango_shape_with_flags(text.data(), item.length, text.data(), item.length, &item.analysis,
                         FGlyphs.get(), PANGO_SHAPE_NONE);
  PangoGlyphItem glyphItem{};
  glyphItem.item = &item;
  glyphItem.glyphs = FGlyphs.get();
  line.Width = static_cast<double>(pango_glyph_string_get_width(FGlyphs.get())) / PANGO_SCALE;
  line.Height = lines.Height;
  int x = 0;
  AddRuns(text.data(), &glyphItem, x, lines.Baseline, line);
  return true;
}

void PdfTextLines::AddRuns(const char* text, PangoGlyphItem* item, int& x, double baseline,
                           Line& line) {
  const PdfFontSet::FontUse& font = FFonts.Use(item->item->analysis.font);
  PangoGlyphString* glyphs = item->glyphs;
  // Each cluster's text goes with its first glyph, for the font's map back to text.
  std::vector<std::string_view> clusterText(static_cast<std::size_t>(glyphs->num_glyphs));
  PangoGlyphItemIter cluster;
  for (gboolean more = pango_glyph_item_iter_init_start(&cluster, item, text); more;
       more = pango_glyph_item_iter_next_cluster(&cluster)) {
    clusterText[static_cast<std::size_t>(cluster.start_glyph)] =
        std::string_view(text + cluster.start_index,
                         static_cast<std::size_t>(cluster.end_index - cluster.start_index));
  }

  Run* run = nullptr;
  double pen = 0;  // where the PDF's pen stands after the glyphs shown so far, in points
  bool adjusted = false, stringOpen = false;
  auto finish = [&] {
    if (run == nullptr) return;
    if (stringOpen) run->Show += ')';
    run->Show = adjusted ? "[" + run->Show + "] TJ" : run->Show + " Tj";
    run = nullptr;
  };
  for (int index = 0; index < glyphs->num_glyphs; ++index) {
    const PangoGlyphInfo& glyph = glyphs->glyphs[index];
    const int advance = glyph.geometry.width;
    const bool drawn = (glyph.glyph & PANGO_GLYPH_UNKNOWN_FLAG) == 0 &&
                       glyph.glyph != PANGO_GLYPH_EMPTY && glyph.glyph <= 0xFFFF;
    if (drawn) {
      const double target = static_cast<double>(x + glyph.geometry.x_offset) / PANGO_SCALE;
      const double y = baseline + static_cast<double>(glyph.geometry.y_offset) / PANGO_SCALE;
      if (run == nullptr || run->Y != y) {
        finish();
        line.Runs.push_back(Run{font, target, y, {}});
        run = &line.Runs.back();
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
      pdf_syntax::AppendGlyphBytes(run->Show, static_cast<std::uint16_t>(glyph.glyph));
      const double width = FFonts.AddGlyph(font.Face, static_cast<std::uint16_t>(glyph.glyph),
                                           clusterText[static_cast<std::size_t>(index)]);
      pen += width / 1000 * font.Size;
    }
    x += advance;
  }
  finish();
}
