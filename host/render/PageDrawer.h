// Draws a page with Cairo: text through Pango with the settings the metrics use, lines,
// frames and pictures, for the PNG renderer. The PDF writer places everything the same way
// (PdfPageContent), so both show the same page.
#pragma once

#include <cairo.h>

#include <memory>

#include "page/Page.h"
#include "render/FontMetrics.h"
#include "render/ImageCache.h"

class LineLayoutCache;

class PageDrawer {
 public:
  explicit PageDrawer(const FontMetrics& metrics);
  ~PageDrawer();
  PageDrawer(const PageDrawer&) = delete;
  PageDrawer& operator=(const PageDrawer&) = delete;

  // Draws `page` on `cr`, whose user space must be points (1/72 inch) from the page's top
  // left corner. Raises Exception for an unreadable picture or a failed Cairo target.
  void Draw(cairo_t* cr, const Page& page);

 private:
  void DrawText(cairo_t* cr, const TextItem& item);
  void DrawLine(cairo_t* cr, const LineItem& item);
  void DrawFrame(cairo_t* cr, const FrameItem& item);
  void DrawImage(cairo_t* cr, const ImageItem& item);
  // A label's box in points.
  struct Box {
    double Left, Top, Width, Height;
  };
  // Draws one line of text with its top at `top`, aligned in the box and clipped to it.
  void ShowLine(cairo_t* cr, const std::string& text, const TFont& font, TextAlign align,
                const Box& box, double top);

  const FontMetrics& FMetrics;
  ImageCache FImages;
  std::unique_ptr<LineLayoutCache> FLines;
  // The target the text context was last set up for.
  cairo_matrix_t FMatrix{};
  cairo_surface_type_t FTargetType = CAIRO_SURFACE_TYPE_IMAGE;
};
