#include "render/PngSink.h"

#include <cmath>
#include <fstream>

#include "Exception.h"
#include "render/CairoHandles.h"
#include "render/FontMetrics.h"
#include "render/PageDrawer.h"
#include "render/PangoText.h"

namespace {

constexpr double kMinDpi = 10, kMaxDpi = 1200;

cairo_status_t AppendBytes(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

int Pixels(double units, double dpi) {
  return std::max(1, static_cast<int>(std::lround(units * dpi / 96)));
}

}  // namespace

struct PngSink::Impl {
  Impl(PageWriter writer, double dpi, const FontMetrics* shared)
      : Writer(std::move(writer)),
        Dpi(dpi),
        Owned(shared ? nullptr : std::make_unique<FontMetrics>()),
        Drawer(shared ? *shared : *Owned) {
    if (!(dpi >= kMinDpi && dpi <= kMaxDpi)) {
      throw Exception("Resolução inválida para PNG: " + std::to_string(dpi) + " dpi.");
    }
  }
  PageWriter Writer;
  double Dpi;
  int PagesWritten = 0;
  std::unique_ptr<FontMetrics> Owned;
  PageDrawer Drawer;
};

PngSink::PngSink(PageWriter writer, double dpi)
    : FImpl(std::make_unique<Impl>(std::move(writer), dpi, nullptr)) {}

PngSink::PngSink(PageWriter writer, const FontMetrics& metrics, double dpi)
    : FImpl(std::make_unique<Impl>(std::move(writer), dpi, &metrics)) {}

PngSink::~PngSink() = default;

PngSink::PageWriter PngSink::FileWriter(std::function<std::string(int pageNumber)> fileName) {
  return [fileName = std::move(fileName)](int pageNumber, const std::string& png) {
    const std::string name = fileName(pageNumber);
    std::ofstream file(name, std::ios::binary | std::ios::trunc);
    file.write(png.data(), static_cast<std::streamsize>(png.size()));
    file.close();
    if (!file) throw Exception("Não foi possível gravar " + name + ".");
  };
}

void PngSink::Begin(const DocumentInfo&) {
  FImpl->PagesWritten = 0;
}

void PngSink::AddPage(const Page& page) {
  const double dpi = FImpl->Dpi;
  CairoSurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, Pixels(page.Width, dpi),
                                                     Pixels(page.Height, dpi)));
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
    throw Exception("Memória insuficiente para a página PNG.");
  }
  {
    CairoPtr cr(cairo_create(surface.get()));
    cairo_set_source_rgb(cr.get(), 1, 1, 1);
    cairo_paint(cr.get());
    const double pixelsPerPoint = dpi / 72;
    cairo_scale(cr.get(), pixelsPerPoint, pixelsPerPoint);
    FImpl->Drawer.Draw(cr.get(), page);
  }
  std::string png;
  const cairo_status_t status =
      cairo_surface_write_to_png_stream(surface.get(), &AppendBytes, &png);
  if (status != CAIRO_STATUS_SUCCESS) {
    throw Exception(std::string("Falha ao gravar a página PNG: ") + cairo_status_to_string(status));
  }
  ++FImpl->PagesWritten;
  FImpl->Writer(page.Number > 0 ? page.Number : FImpl->PagesWritten, png);
}

void PngSink::End(const std::vector<Message>&) {}
