#include "render/PdfFontSet.h"

#include <fontconfig/fontconfig.h>
#include <hb-ot.h>
#include <hb-subset.h>
#include <pango/pangofc-font.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "Exception.h"
#include "render/PangoText.h"
#include "render/PdfFile.h"
#include "render/PdfSyntax.h"

namespace {

struct HbFaceDestroy {
  void operator()(hb_face_t* face) const { hb_face_destroy(face); }
};
struct HbFontDestroy {
  void operator()(hb_font_t* font) const { hb_font_destroy(font); }
};
struct HbBlobDestroy {
  void operator()(hb_blob_t* blob) const { hb_blob_destroy(blob); }
};
struct HbSubsetInputDestroy {
  void operator()(hb_subset_input_t* input) const { hb_subset_input_destroy(input); }
};
using HbFacePtr = std::unique_ptr<hb_face_t, HbFaceDestroy>;
using HbFontPtr = std::unique_ptr<hb_font_t, HbFontDestroy>;
using HbBlobPtr = std::unique_ptr<hb_blob_t, HbBlobDestroy>;
using HbSubsetInputPtr = std::unique_ptr<hb_subset_input_t, HbSubsetInputDestroy>;

// A big-endian integer at `offset` of a font table; 0 past its end.
long TableInteger(hb_face_t* face, hb_tag_t tag, unsigned offset, bool isSigned) {
  HbBlobPtr blob(hb_face_reference_table(face, tag));
  unsigned length = 0;
  const auto* data = reinterpret_cast<const unsigned char*>(hb_blob_get_data(blob.get(), &length));
  if (data == nullptr || offset + 2 > length) return 0;
  const unsigned value = (static_cast<unsigned>(data[offset]) << 8) | data[offset + 1];
  return isSigned ? static_cast<std::int16_t>(value) : static_cast<long>(value);
}

std::string PostScriptName(hb_face_t* face) {
  char name[128] = {};
  unsigned length = sizeof name;
  hb_ot_name_get_utf8(face, HB_OT_NAME_ID_POSTSCRIPT_NAME, HB_LANGUAGE_INVALID, &length, name);
  std::string clean;
  for (const char* c = name; *c != '\0'; ++c) {
    const bool safe = (*c >= 'A' && *c <= 'Z') || (*c >= 'a' && *c <= 'z') ||
                      (*c >= '0' && *c <= '9') || *c == '-' || *c == '_' || *c == '.';
    if (safe) clean += *c;
  }
  return clean.empty() ? "Font" : clean;
}

// Fontconfig asks for emboldening or a slant when a family lacks the bold or italic face;
// Cairo would draw the glyphs so, and the PDF must show them so too.
PdfFontSet::FontUse Synthesis(PangoFont* font) {
  PdfFontSet::FontUse use;
  if (!PANGO_IS_FC_FONT(font)) return use;
  FcPattern* pattern = pango_fc_font_get_pattern(PANGO_FC_FONT(font));
  FcBool embolden = FcFalse;
  if (FcPatternGetBool(pattern, FC_EMBOLDEN, 0, &embolden) == FcResultMatch) {
    use.Embolden = embolden == FcTrue;
  }
  FcMatrix* matrix = nullptr;
  if (FcPatternGetMatrix(pattern, FC_MATRIX, 0, &matrix) == FcResultMatch && matrix != nullptr &&
      matrix->yy != 0) {
    use.Skew = matrix->xy / matrix->yy;
  }
  return use;
}

// Six capital letters that tell subsets of the same font apart, from the glyphs they hold.
std::string SubsetTag(const std::string& name, const std::vector<std::uint16_t>& glyphs) {
  std::uint64_t hash = 1469598103934665603ULL;
  auto mix = [&hash](unsigned value) {
    hash ^= value;
    hash *= 1099511628211ULL;
  };
  for (char c : name) mix(static_cast<unsigned char>(c));
  for (std::uint16_t glyph : glyphs) {
    mix(glyph & 0xFFu);
    mix(glyph >> 8);
  }
  std::string tag;
  for (int letter = 0; letter < 6; ++letter) {
    tag += static_cast<char>('A' + hash % 26);
    hash /= 26;
  }
  return tag;
}

}  // namespace

struct PdfFontSet::Face {
  struct Glyph {
    double Advance = 0;  // thousandths of the font size
    std::string Text;
    bool Used = false;
    bool Nominal = false;  // the font's character map gives this glyph for the text
  };

  HbFacePtr HbFace;
  HbFontPtr Unscaled;  // at the font's own units, for advances and metrics
  std::uint32_t Object = 0;
  // By glyph id: a font has at most 65,536 glyphs, and a look-up here is made for every glyph
  // of every line shaped.
  std::vector<Glyph> Glyphs;

  Glyph& At(std::uint16_t glyph) {
    if (glyph >= Glyphs.size()) Glyphs.resize(std::size_t{glyph} + 1);
    Glyph& entry = Glyphs[glyph];
    if (!entry.Used) {
      const double units = hb_font_get_glyph_h_advance(Unscaled.get(), glyph);
      // Rounded as the /W array writes it, so that positions computed from it hold in the
      // file.
      entry.Advance = std::round(units * 1000.0 / hb_face_get_upem(HbFace.get()) * 1000.0) / 1000.0;
      entry.Used = true;
    }
    return entry;
  }
};

PdfFontSet::PdfFontSet(PdfFile& file) : FFile(file) {}
PdfFontSet::~PdfFontSet() = default;

const PdfFontSet::FontUse& PdfFontSet::Use(PangoFont* font) {
  if (auto known = FUses.find(font); known != FUses.end()) return known->second;
  hb_face_t* hbFace = hb_font_get_face(pango_font_get_hb_font(font));
  auto [at, added] = FFaceIndex.emplace(hbFace, static_cast<int>(FFaces.size()));
  if (added) {
    auto face = std::make_unique<Face>();
    face->HbFace.reset(hb_face_reference(hbFace));
    face->Unscaled.reset(hb_font_create(hbFace));
    face->Object = FFile.Reserve();
    FFaces.push_back(std::move(face));
  }
  FontUse use = Synthesis(font);
  use.Face = at->second;
  FontDescriptionPtr description(pango_font_describe_with_absolute_size(font));
  use.Size = static_cast<double>(pango_font_description_get_size(description.get())) / PANGO_SCALE;
  FHeld.emplace_back(PANGO_FONT(g_object_ref(font)));
  return FUses.emplace(font, use).first->second;
}

double PdfFontSet::AddGlyph(int faceIndex, std::uint16_t glyph, std::string_view text) {
  Face& face = *FFaces[static_cast<std::size_t>(faceIndex)];
  const bool added = glyph >= face.Glyphs.size() || !face.Glyphs[glyph].Used;
  Face::Glyph& entry = face.At(glyph);
  if (entry.Nominal && entry.Text == text) return entry.Advance;
  // A glyph may show different texts (a space and a no-break space often share one); the
  // text the font's own character map gives it is the one a reader should get back.
  bool nominal = false;
  if (!text.empty()) {
    const gunichar character = g_utf8_get_char_validated(text.data(), text.size());
    hb_codepoint_t mapped = 0;
    nominal = g_utf8_next_char(text.data()) == text.data() + text.size() &&
              hb_font_get_nominal_glyph(face.Unscaled.get(), character, &mapped) && mapped == glyph;
  }
  if (added || (entry.Text.empty() && !text.empty()) || (nominal && !entry.Nominal) ||
      (nominal && entry.Nominal && std::string_view(entry.Text) > text)) {
    entry.Text = std::string(text);
    entry.Nominal = nominal;
  }
  return entry.Advance;
}

void PdfFontSet::AppendResources(std::string& out) const {
  for (std::size_t index = 0; index < FFaces.size(); ++index) {
    out += " /F";
    pdf_syntax::AppendInteger(out, static_cast<long long>(index) + 1);
    out += ' ';
    pdf_syntax::AppendReference(out, FFaces[index]->Object);
  }
}

void PdfFontSet::WriteFonts() {
  for (const std::unique_ptr<Face>& face : FFaces) {
    hb_face_t* hbFace = face->HbFace.get();
    hb_font_t* font = face->Unscaled.get();
    std::vector<std::uint16_t> glyphs;
    for (std::size_t glyph = 0; glyph < face->Glyphs.size(); ++glyph) {
      if (face->Glyphs[glyph].Used) glyphs.push_back(static_cast<std::uint16_t>(glyph));
    }

    // The subset keeps the glyph ids, which the page contents already name; the layout
    // tables only served shaping, which is done.
    HbSubsetInputPtr input(hb_subset_input_create_or_fail());
    if (!input) throw Exception("Falha ao gravar o PDF: sem memória para as fontes.");
    hb_set_t* keep = hb_subset_input_glyph_set(input.get());
    hb_set_add(keep, 0);
    for (std::uint16_t glyph : glyphs) hb_set_add(keep, glyph);
    hb_set_t* drop = hb_subset_input_set(input.get(), HB_SUBSET_SETS_DROP_TABLE_TAG);
    for (hb_tag_t tag :
         {HB_TAG('G', 'S', 'U', 'B'), HB_TAG('G', 'P', 'O', 'S'), HB_TAG('G', 'D', 'E', 'F')}) {
      hb_set_add(drop, tag);
    }
    hb_subset_input_set_flags(input.get(), HB_SUBSET_FLAGS_RETAIN_GIDS);
    HbFacePtr subset(hb_subset_or_fail(hbFace, input.get()));
    const std::string name = PostScriptName(hbFace);
    if (!subset) throw Exception("Falha ao gravar o PDF: não foi possível embutir a fonte " + name);
    HbBlobPtr programBlob(hb_face_reference_blob(subset.get()));
    unsigned programLength = 0;
    const char* programData = hb_blob_get_data(programBlob.get(), &programLength);

    const std::string baseFont = SubsetTag(name, glyphs) + "+" + name;
    const double perUnit = 1000.0 / hb_face_get_upem(hbFace);
    auto metric = [&](hb_ot_metrics_tag_t tag, double fallback) {
      hb_position_t value = 0;
      return hb_ot_metrics_get_position(font, tag, &value) ? value * perUnit : fallback;
    };
    const double ascent = metric(HB_OT_METRICS_TAG_HORIZONTAL_ASCENDER, 800);
    const double descent = metric(HB_OT_METRICS_TAG_HORIZONTAL_DESCENDER, -200);
    const double capHeight = metric(HB_OT_METRICS_TAG_CAP_HEIGHT, ascent * 0.9);
    const double italicAngle = hb_style_get_value(font, HB_STYLE_TAG_SLANT_ANGLE);
    const double weight = hb_style_get_value(font, HB_STYLE_TAG_WEIGHT);
    // The stem width is not in the font; this is the usual estimate from its weight.
    const double stemV = std::max(10.0, 10 + 220 * (weight - 50) / 900);
    const bool fixedPitch = TableInteger(hbFace, HB_TAG('p', 'o', 's', 't'), 12, false) != 0 ||
                            TableInteger(hbFace, HB_TAG('p', 'o', 's', 't'), 14, false) != 0;
    const int flags = 4 | (fixedPitch ? 1 : 0) | (italicAngle != 0 ? 64 : 0);

    // Outlines in the compact font format go in as an OpenType program of a CIDFontType0;
    // TrueType outlines as a TrueType program. The glyph ids stand for the CIDs either way.
    HbBlobPtr cff(hb_face_reference_table(hbFace, HB_TAG('C', 'F', 'F', ' ')));
    const bool compact = hb_blob_get_length(cff.get()) > 0;
    const std::uint32_t descendant = FFile.Reserve(), descriptor = FFile.Reserve(),
                        program = FFile.Reserve(), toUnicode = FFile.Reserve();
    std::string body = "<< /Type /Font /Subtype /Type0 /BaseFont /" + baseFont +
                       " /Encoding /Identity-H /DescendantFonts [";
    pdf_syntax::AppendReference(body, descendant);
    body += "] /ToUnicode ";
    pdf_syntax::AppendReference(body, toUnicode);
    body += " >>";
    FFile.WriteObject(face->Object, body);

    body = std::string("<< /Type /Font /Subtype ") + (compact ? "/CIDFontType0" : "/CIDFontType2") +
           " /BaseFont /" + baseFont +
           " /CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >>"
           " /FontDescriptor ";
    pdf_syntax::AppendReference(body, descriptor);
    body += compact ? " /W [" : " /CIDToGIDMap /Identity /W [";
    for (std::size_t at = 0; at < glyphs.size();) {
      body += ' ';
      pdf_syntax::AppendInteger(body, glyphs[at]);
      body += " [";
      for (std::uint16_t next = glyphs[at]; at < glyphs.size() && glyphs[at] == next;
           ++at, ++next) {
        pdf_syntax::AppendNumber(body, face->Glyphs[glyphs[at]].Advance);
        body += ' ';
      }
      body.back() = ']';
    }
    body += "] >>";
    FFile.WriteObject(descendant, body);

    body = "<< /Type /FontDescriptor /FontName /" + baseFont + " /Flags ";
    pdf_syntax::AppendInteger(body, flags);
    body += " /FontBBox [";
    for (unsigned offset : {36u, 38u, 40u, 42u}) {
      pdf_syntax::AppendNumber(
          body, TableInteger(hbFace, HB_TAG('h', 'e', 'a', 'd'), offset, true) * perUnit);
      body += offset == 42 ? "]" : " ";
    }
    body += " /ItalicAngle ";
    pdf_syntax::AppendNumber(body, italicAngle);
    body += " /Ascent ";
    pdf_syntax::AppendNumber(body, ascent);
    body += " /Descent ";
    pdf_syntax::AppendNumber(body, descent);
    body += " /CapHeight ";
    pdf_syntax::AppendNumber(body, capHeight);
    body += " /StemV ";
    pdf_syntax::AppendNumber(body, std::round(stemV));
    body += compact ? " /FontFile3 " : " /FontFile2 ";
    pdf_syntax::AppendReference(body, program);
    body += " >>";
    FFile.WriteObject(descriptor, body);

    std::string programEntries = " /Subtype /OpenType";
    if (!compact) {
      programEntries = " /Length1 ";
      pdf_syntax::AppendInteger(programEntries, programLength);
    }
    FFile.WriteStream(program, programEntries, std::string_view(programData, programLength));

    std::string cmap =
        "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
        "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
        "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
        "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
    std::vector<std::pair<std::uint16_t, std::string>> mappings;
    for (std::uint16_t glyph : glyphs) {
      const std::string& text = face->Glyphs[glyph].Text;
      if (!text.empty()) mappings.emplace_back(glyph, pdf_syntax::Utf16Hex(text));
    }
    // At most 100 entries to a block, as the CMap format asks.
    for (std::size_t start = 0; start < mappings.size(); start += 100) {
      const std::size_t end = std::min(mappings.size(), start + 100);
      pdf_syntax::AppendInteger(cmap, static_cast<long long>(end - start));
      cmap += " beginbfchar\n";
      for (std::size_t index = start; index < end; ++index) {
        cmap += '<';
        pdf_syntax::AppendHex16(cmap, mappings[index].first);
        cmap += "> <" + mappings[index].second + ">\n";
      }
      cmap += "endbfchar\n";
    }
    cmap += "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
    FFile.WriteStream(toUnicode, "", cmap);
  }
}
