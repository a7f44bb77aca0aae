#include "render/PdfSink.h"

#include <cairo-pdf.h>

#include <ctime>
#include <optional>
#include <string>

#include "Exception.h"
#include "render/CairoHandles.h"
#include "render/FontMetrics.h"
#include "render/PageDrawer.h"
#include "render/PangoText.h"
#include "render/SourceDate.h"

namespace {

// The time to stamp the document with, from SOURCE_DATE_EPOCH when it is set; none to let the
// library use the time of the run.
std::optional<std::string> SourceDate() {
  const std::optional<std::time_t> time = SourceDateEpoch();
  if (!time) return std::nullopt;
  std::tm utc{};
  gmtime_r(&*time, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return std::string(text);
}

}  // namespace

struct PdfSink::Impl {
  Impl(std::ostream& out, const FontMetrics* shared)
      : Out(out),
        Owned(shared ? nullptr : std::make_unique<FontMetrics>()),
        Drawer(shared ? *shared : *Owned) {}

  static cairo_status_t Write(void* closure, const unsigned char* data, unsigned int length) {
    auto* self = static_cast<Impl*>(closure);
    // A document abandoned after a failure is closed without touching the stream, which may
    // already be gone.
    if (self->Abandoned) return CAIRO_STATUS_SUCCESS;
    self->Out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(length));
    return self->Out ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_WRITE_ERROR;
  }

  void Start(const DocumentInfo& info) {
    const std::optional<std::string> date = SourceDate();
    Surface.reset(cairo_pdf_surface_create_for_stream(&Write, this, info.PageWidth * kPointsPerUnit,
                                                      info.PageHeight * kPointsPerUnit));
    if (cairo_surface_status(Surface.get()) != CAIRO_STATUS_SUCCESS) {
      throw Exception("Não foi possível criar o documento PDF.");
    }
    cairo_pdf_surface_set_metadata(Surface.get(), CAIRO_PDF_METADATA_TITLE, info.Title.c_str());
    cairo_pdf_surface_set_metadata(Surface.get(), CAIRO_PDF_METADATA_AUTHOR, info.Author.c_str());
    cairo_pdf_surface_set_metadata(Surface.get(), CAIRO_PDF_METADATA_CREATOR, "kdr");
    if (date) {
      cairo_pdf_surface_set_metadata(Surface.get(), CAIRO_PDF_METADATA_CREATE_DATE, date->c_str());
      cairo_pdf_surface_set_metadata(Surface.get(), CAIRO_PDF_METADATA_MOD_DATE, date->c_str());
    }
    Cr.reset(cairo_create(Surface.get()));
  }

  void Check(const char* what) const {
    cairo_status_t status = cairo_surface_status(Surface.get());
    if (status == CAIRO_STATUS_SUCCESS && Cr) status = cairo_status(Cr.get());
    if (status != CAIRO_STATUS_SUCCESS) {
      throw Exception(std::string(what) + ": " + cairo_status_to_string(status));
    }
  }

  std::ostream& Out;
  bool Abandoned = false;
  std::unique_ptr<FontMetrics> Owned;
  PageDrawer Drawer;
  CairoSurfacePtr Surface;
  CairoPtr Cr;
};

PdfSink::PdfSink(std::ostream& out) : FImpl(std::make_unique<Impl>(out, nullptr)) {}

PdfSink::PdfSink(std::ostream& out, const FontMetrics& metrics)
    : FImpl(std::make_unique<Impl>(out, &metrics)) {}

PdfSink::~PdfSink() {
  if (FImpl->Surface) FImpl->Abandoned = true;
}

void PdfSink::Begin(const DocumentInfo& info) {
  FImpl->Start(info);
}

void PdfSink::AddPage(const Page& page) {
  if (!FImpl->Surface) FImpl->Start(DocumentInfo{});
  cairo_pdf_surface_set_size(FImpl->Surface.get(), page.Width * kPointsPerUnit,
                             page.Height * kPointsPerUnit);
  FImpl->Drawer.Draw(FImpl->Cr.get(), page);
  cairo_show_page(FImpl->Cr.get());
  FImpl->Check("Falha ao gravar o PDF");
}

void PdfSink::End(const std::vector<Message>&) {
  if (!FImpl->Surface) FImpl->Start(DocumentInfo{});
  FImpl->Cr.reset();
  cairo_surface_finish(FImpl->Surface.get());
  const cairo_status_t status = cairo_surface_status(FImpl->Surface.get());
  FImpl->Surface.reset();
  FImpl->Out.flush();
  if (status != CAIRO_STATUS_SUCCESS || !FImpl->Out) {
    throw Exception(std::string("Falha ao gravar o PDF: ") + cairo_status_to_string(status));
  }
}
