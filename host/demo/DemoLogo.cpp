#include "demo/DemoLogo.h"

#include <cairo.h>

#include <memory>

#include "Exception.h"

namespace demo {
namespace {

struct SurfaceRelease {
  void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct ContextRelease {
  void operator()(cairo_t* context) const { cairo_destroy(context); }
};

void SetColour(cairo_t* context, std::uint32_t rgb) {
  cairo_set_source_rgb(context, ((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0,
                       (rgb & 0xFF) / 255.0);
}

// Shows `text` centred on (centreX, baselineY) at most `maxWidth` wide, shrinking the font.
void ShowFitted(cairo_t* context, const std::string& text, double size, double centreX,
                double baselineY, double maxWidth, bool centred) {
  cairo_set_font_size(context, size);
  cairo_text_extents_t extents;
  cairo_text_extents(context, text.c_str(), &extents);
  if (extents.x_advance > maxWidth && extents.x_advance > 0) {
    size *= maxWidth / extents.x_advance;
    cairo_set_font_size(context, size);
    cairo_text_extents(context, text.c_str(), &extents);
  }
  const double left = centred ? centreX - extents.x_advance / 2 : centreX;
  cairo_move_to(context, left, baselineY);
  cairo_show_text(context, text.c_str());
}

cairo_status_t AppendToString(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

}  // namespace

std::string DrawDemoLogo(const LogoStyle& style) {
  std::unique_ptr<cairo_surface_t, SurfaceRelease> surface(
      cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kLogoWidth, kLogoHeight));
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
    throw Exception("Não foi possível criar a imagem do logotipo de demonstração.");
  }
  {
    std::unique_ptr<cairo_t, ContextRelease> context(cairo_create(surface.get()));
    cairo_t* cr = context.get();

    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);

    SetColour(cr, style.Colour);
    cairo_arc(cr, 30, 30, 27, 0, 2 * 3.141592653589793);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_set_line_width(cr, 1.5);
    cairo_arc(cr, 30, 30, 23, 0, 2 * 3.141592653589793);
    cairo_stroke(cr);

    cairo_select_font_face(cr, "Liberation Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    ShowFitted(cr, style.Initials, 20, 30, 37, 36, true);

    SetColour(cr, style.Colour);
    ShowFitted(cr, style.ShortName, 17, 64, 33, 92, false);
    cairo_rectangle(cr, 64, 40, 92, 2.5);
    cairo_fill(cr);

    if (cairo_status(cr) != CAIRO_STATUS_SUCCESS) {
      throw Exception(std::string("Falha ao desenhar o logotipo de demonstração: ") +
                      cairo_status_to_string(cairo_status(cr)));
    }
  }
  std::string png;
  const cairo_status_t written =
      cairo_surface_write_to_png_stream(surface.get(), AppendToString, &png);
  if (written != CAIRO_STATUS_SUCCESS) {
    throw Exception(std::string("Falha ao gravar o logotipo de demonstração: ") +
                    cairo_status_to_string(written));
  }
  return png;
}

}  // namespace demo
