// Owning handles for Cairo objects, so that they are released on every path, failures included.
#pragma once

#include <cairo.h>

#include <memory>

struct CairoSurfaceDestroy {
  void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct CairoDestroy {
  void operator()(cairo_t* cr) const { cairo_destroy(cr); }
};

using CairoSurfacePtr = std::unique_ptr<cairo_surface_t, CairoSurfaceDestroy>;
using CairoPtr = std::unique_ptr<cairo_t, CairoDestroy>;
