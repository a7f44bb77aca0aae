#include "render/PangoText.h"

#include <cmath>

namespace {

// The language decides fallback fonts and some shaping; fixing it keeps output independent of
// the environment of the run.
constexpr const char* kLanguage = "pt-br";
constexpr const char* kFallbackFamilies = "Liberation Sans, DejaVu Sans";
constexpr double kDefaultSize = 9;

void ApplySettings(PangoContext* context) {
  pango_cairo_context_set_resolution(context, 72);
  pango_context_set_round_glyph_positions(context, FALSE);
  pango_context_set_language(context, pango_language_from_string(kLanguage));
  std::unique_ptr<cairo_font_options_t, decltype(&cairo_font_options_destroy)> options(
      cairo_font_options_create(), &cairo_font_options_destroy);
  cairo_font_options_set_hint_metrics(options.get(), CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_hint_style(options.get(), CAIRO_HINT_STYLE_NONE);
  pango_cairo_context_set_font_options(context, options.get());
}

}  // namespace

namespace pango_text {

PangoContextPtr CreateMeasuringContext() {
  PangoContextPtr context(pango_font_map_create_context(pango_cairo_font_map_get_default()));
  ApplySettings(context.get());
  return context;
}

PangoContextPtr CreateDrawingContext(cairo_t* cr) {
  PangoContextPtr context(pango_cairo_create_context(cr));
  ApplySettings(context.get());
  return context;
}

FontDescriptionPtr DescribeFont(const TFont& font) {
  FontDescriptionPtr description(pango_font_description_new());
  std::string families =
      font.Family.empty() ? std::string(kFallbackFamilies) : font.Family + ", " + kFallbackFamilies;
  pango_font_description_set_family(description.get(), families.c_str());
  const double size = std::isfinite(font.Size) && font.Size > 0 ? font.Size : kDefaultSize;
  pango_font_description_set_size(description.get(),
                                  static_cast<gint>(std::lround(size * PANGO_SCALE)));
  pango_font_description_set_weight(description.get(),
                                    font.Bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  pango_font_description_set_style(description.get(),
                                   font.Italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
  return description;
}

std::string ValidUtf8(std::string_view text) {
  if (g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr)) {
    return std::string(text);
  }
  std::unique_ptr<gchar, decltype(&g_free)> valid(
      g_utf8_make_valid(text.data(), static_cast<gssize>(text.size())), &g_free);
  return std::string(valid.get());
}

}  // namespace pango_text

const PangoFontDescription* FontDescriptionCache::Get(const TFont& font) {
  if (FLastHit < FEntries.size() && FEntries[FLastHit].first == font) {
    return FEntries[FLastHit].second.get();
  }
  for (std::size_t i = 0; i < FEntries.size(); ++i) {
    if (FEntries[i].first == font) {
      FLastHit = i;
      return FEntries[i].second.get();
    }
  }
  FEntries.emplace_back(font, pango_text::DescribeFont(font));
  FLastHit = FEntries.size() - 1;
  return FEntries.back().second.get();
}

SharedLayout::SharedLayout(PangoContextPtr context)
    : FContext(std::move(context)), FLayout(pango_layout_new(FContext.get())) {
  // Lines are read back and drawn one by one: a hyphen Pango would add at a break inside a
  // word is neither drawn nor wanted, and it must not take room while breaking.
  std::unique_ptr<PangoAttrList, decltype(&pango_attr_list_unref)> attributes(
      pango_attr_list_new(), &pango_attr_list_unref);
  pango_attr_list_insert(attributes.get(), pango_attr_insert_hyphens_new(FALSE));
  pango_layout_set_attributes(FLayout.get(), attributes.get());
}

void SharedLayout::SetText(std::string_view text, const TFont& font) {
  const PangoFontDescription* description = FFonts.Get(font);
  if (description != FCurrentFont) {
    pango_layout_set_font_description(FLayout.get(), description);
    FCurrentFont = description;
  }
  pango_layout_set_width(FLayout.get(), -1);
  if (g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr)) {
    pango_layout_set_text(FLayout.get(), text.data(), static_cast<int>(text.size()));
  } else {
    const std::string valid = pango_text::ValidUtf8(text);
    pango_layout_set_text(FLayout.get(), valid.data(), static_cast<int>(valid.size()));
  }
}

double SharedLayout::WidthInPoints() const {
  PangoRectangle logical;
  pango_layout_get_extents(FLayout.get(), nullptr, &logical);
  return static_cast<double>(logical.width) / PANGO_SCALE;
}
