#include "render/PageDrawer.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "Exception.h"
#include "page/LabelText.h"
#include "render/LineLayoutCache.h"
#include "render/PangoText.h"

namespace {

constexpr double kTolerance = 1e-6;

double Points(double units) {
  return units * kPointsPerUnit;
}

// On a raster page a thin rule at an arbitrary position smears over two rows of pixels;
// moving it to the pixel grid keeps rules sharp. Vector targets are left untouched.
class PixelSnap {
 public:
  explicit PixelSnap(cairo_t* cr)
      : FCr(cr),
        FActive(cairo_surface_get_type(cairo_get_target(cr)) == CAIRO_SURFACE_TYPE_IMAGE) {}

  // A stroke at least one device pixel wide: thinner ones would show as a grey smear.
  double Width(double width) const {
    if (!FActive) return width;
    double dx = 1, dy = 0;
    cairo_device_to_user_distance(FCr, &dx, &dy);
    return std::max(width, std::hypot(dx, dy));
  }

  // Snaps user-space coordinate `value` along one axis for a stroke `width` points wide.
  double X(double value, double width) const { return Snap(value, width, true); }
  double Y(double value, double width) const { return Snap(value, width, false); }

 private:
  double Snap(double value, double width, bool horizontalAxis) const {
    if (!FActive) return value;
    double x = horizontalAxis ? value : 0, y = horizontalAxis ? 0 : value;
    double dx = horizontalAxis ? width : 0, dy = horizontalAxis ? 0 : width;
    cairo_user_to_device(FCr, &x, &y);
    cairo_user_to_device_distance(FCr, &dx, &dy);
    double& position = horizontalAxis ? x : y;
    const double pixels = std::max(1.0, std::round(std::abs(horizontalAxis ? dx : dy)));
    const bool odd = static_cast<long long>(pixels) % 2 == 1;
    position = odd ? std::floor(position) + 0.5 : std::round(position);
    cairo_device_to_user(FCr, &x, &y);
    return horizontalAxis ? x : y;
  }

  cairo_t* FCr;
  bool FActive;
};

bool SameMatrix(const cairo_matrix_t& a, const cairo_matrix_t& b) {
  return a.xx == b.xx && a.yx == b.yx && a.xy == b.xy && a.yy == b.yy && a.x0 == b.x0 &&
         a.y0 == b.y0;
}

}  // namespace

PageDrawer::PageDrawer(const FontMetrics& metrics) : FMetrics(metrics) {}
PageDrawer::~PageDrawer() = default;

void PageDrawer::Draw(cairo_t* cr, const Page& page) {
  cairo_matrix_t matrix;
  cairo_get_matrix(cr, &matrix);
  const cairo_surface_type_t targetType = cairo_surface_get_type(cairo_get_target(cr));
  if (!FLines) {
    FLines = std::make_unique<LineLayoutCache>(pango_text::CreateDrawingContext(cr));
  } else if (targetType != FTargetType || !SameMatrix(matrix, FMatrix)) {
    // Telling Pango about a target, even an identical one, makes it lay every kept line out
    // again; raster pages come on a new target each time but with the same settings.
    pango_cairo_update_context(cr, FLines->Context());
  }
  FMatrix = matrix;
  FTargetType = targetType;
  cairo_set_source_rgb(cr, 0, 0, 0);
  for (const Band& band : page.Bands) {
    for (const DrawItem& item : band.Items) {
      std::visit(
          [&](const auto& element) {
            using Element = std::decay_t<decltype(element)>;
            if constexpr (std::is_same_v<Element, TextItem>) DrawText(cr, element);
            if constexpr (std::is_same_v<Element, LineItem>) DrawLine(cr, element);
            if constexpr (std::is_same_v<Element, FrameItem>) DrawFrame(cr, element);
            if constexpr (std::is_same_v<Element, ImageItem>) DrawImage(cr, element);
          },
          item);
    }
  }
  if (cairo_status(cr) != CAIRO_STATUS_SUCCESS) {
    throw Exception(std::string("Falha ao desenhar a página: ") +
                    cairo_status_to_string(cairo_status(cr)));
  }
}

void PageDrawer::DrawText(cairo_t* cr, const TextItem& item) {
  if (item.Text.empty()) return;
  const Box box{Points(item.Left), Points(item.Top), Points(item.Width), Points(item.Height)};
  if (!item.Multiline) {
    ShowLine(cr, label_text::OneLine(item.Text), item.Font, item.Align, box, box.Top);
    return;
  }
  // Wrapped with the very metrics the report writer used to size the band.
  const double lineHeight = Points(FMetrics.LineHeight(item.Font));
  double top = box.Top;
  for (std::string_view paragraph : label_text::Paragraphs(item.Text)) {
    for (const std::string& line :
         FMetrics.WrapParagraph(std::string(paragraph), item.Font, item.Width)) {
      if (top >= box.Top + box.Height - kTolerance) return;
      if (!line.empty()) ShowLine(cr, line, item.Font, item.Align, box, top);
      top += lineHeight;
    }
  }
}

void PageDrawer::ShowLine(cairo_t* cr, const std::string& text, const TFont& font, TextAlign align,
                          const Box& box, double top) {
  const LineLayoutCache::Line line = FLines->Get(text, font);
  const double width = line.Width, height = line.Height;
  double left = box.Left;
  if (align == TextAlign::Right) left = box.Left + box.Width - width;
  if (align == TextAlign::Center) left = box.Left + (box.Width - width) / 2;
  // Clipping costs a graphics state in the PDF; only text that leaves its box pays for it.
  const bool clip =
      width > box.Width + kTolerance || top + height > box.Top + box.Height + kTolerance;
  if (clip) {
    cairo_save(cr);
    cairo_rectangle(cr, box.Left, box.Top, box.Width, box.Height);
    cairo_clip(cr);
  }
  cairo_move_to(cr, left, top);
  pango_cairo_show_layout(cr, line.Layout);
  if (clip) cairo_restore(cr);
}

void PageDrawer::DrawLine(cairo_t* cr, const LineItem& item) {
  if (!(item.Thickness > 0)) return;
  const PixelSnap snap(cr);
  const double thickness = snap.Width(Points(item.Thickness));
  double x1 = Points(item.X1), y1 = Points(item.Y1), x2 = Points(item.X2), y2 = Points(item.Y2);
  if (y1 == y2) y1 = y2 = snap.Y(y1, thickness);
  if (x1 == x2) x1 = x2 = snap.X(x1, thickness);
  cairo_set_line_width(cr, thickness);
  cairo_move_to(cr, x1, y1);
  cairo_line_to(cr, x2, y2);
  cairo_stroke(cr);
}

void PageDrawer::DrawFrame(cairo_t* cr, const FrameItem& item) {
  if (!(item.Thickness > 0)) return;
  const PixelSnap snap(cr);
  const double thickness = snap.Width(Points(item.Thickness));
  const double left = snap.X(Points(item.Left), thickness);
  const double top = snap.Y(Points(item.Top), thickness);
  const double right = snap.X(Points(item.Left + item.Width), thickness);
  const double bottom = snap.Y(Points(item.Top + item.Height), thickness);
  cairo_set_line_width(cr, thickness);
  cairo_rectangle(cr, left, top, right - left, bottom - top);
  cairo_stroke(cr);
}

void PageDrawer::DrawImage(cairo_t* cr, const ImageItem& item) {
  if (item.Bitmap.Empty() || !(item.Width > 0) || !(item.Height > 0)) return;
  cairo_surface_t* surface = FImages.Surface(item.Bitmap);
  const int pixelWidth = cairo_image_surface_get_width(surface);
  const int pixelHeight = cairo_image_surface_get_height(surface);
  // Scaled into the box keeping its proportions, from the box's top left corner, which lines
  // the picture up with the margin the box sits on.
  const double scale = std::min(Points(item.Width) / pixelWidth, Points(item.Height) / pixelHeight);
  cairo_save(cr);
  cairo_translate(cr, Points(item.Left), Points(item.Top));
  cairo_scale(cr, scale, scale);
  cairo_set_source_surface(cr, surface, 0, 0);
  // Smoothing would blend the picture's edge pixels with the transparent surroundings on a
  // raster page; padding keeps the edges in the picture's own colours.
  if (cairo_surface_get_type(cairo_get_target(cr)) == CAIRO_SURFACE_TYPE_IMAGE) {
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
  }
  cairo_rectangle(cr, 0, 0, pixelWidth, pixelHeight);
  cairo_fill(cr);
  cairo_restore(cr);
}
