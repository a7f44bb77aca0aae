// The fonts of a PDF: each font file Pango shapes with is embedded once, as a subset of the
// glyphs the document shows that keeps their ids, so that the page contents can name glyphs
// by the ids shaping gave them. Objects are reserved when a font is first used and written at
// the end, when every glyph is known.
#pragma once

#include <pango/pango.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class PdfFile;

class PdfFontSet {
 public:
  // How text in one of Pango's fonts is shown: which embedded font, at what size, and the
  // emboldening or slant fontconfig asked for when a family has no such face.
  struct FontUse {
    int Face = 0;  // index of the embedded font; its resource is /F<Face + 1>
    double Size = 0;
    double Skew = 0;  // horizontal shear of the glyphs
    bool Embolden = false;
  };

  explicit PdfFontSet(PdfFile& file);
  ~PdfFontSet();
  PdfFontSet(const PdfFontSet&) = delete;
  PdfFontSet& operator=(const PdfFontSet&) = delete;

  const FontUse& Use(PangoFont* font);
  // Records that `glyph` of embedded font `face` shows `text` (one cluster of the shaped
  // text) and gives the glyph's advance in thousandths of the font size, as the font's /W
  // array will say.
  double AddGlyph(int face, std::uint16_t glyph, std::string_view text);
  // The /Font dictionary's entries: "/F1 12 0 R ...".
  void AppendResources(std::string& out) const;
  // Writes every font used; raises Exception when a font cannot be subset.
  void WriteFonts();

 private:
  struct Face;
  struct PangoFontUnref {
    void operator()(PangoFont* font) const { g_object_unref(font); }
  };

  PdfFile& FFile;
  std::vector<std::unique_ptr<Face>> FFaces;
  std::unordered_map<const void*, int> FFaceIndex;  // by HarfBuzz face
  std::unordered_map<PangoFont*, FontUse> FUses;
  // Holding the fonts keeps their addresses from being reused by others.
  std::vector<std::unique_ptr<PangoFont, PangoFontUnref>> FHeld;
};
