// Writes the report as a PDF to a stream, page by page as pages arrive: selectable text with
// subset-embedded fonts, each picture embedded once, title and author in the metadata. The
// dates come from SOURCE_DATE_EPOCH when it is set, so that the same run gives the same bytes.
#pragma once

#include <memory>
#include <ostream>
#include <vector>

#include "page/Page.h"
#include "render/FontMetrics.h"

class PdfSink : public PageSink {
 public:
  explicit PdfSink(std::ostream& out);
  // Wraps multiline labels with `metrics`, which must outlive the sink: given the metrics the
  // report writer sized the bands with, the wrapped lines are found again rather than redone.
  PdfSink(std::ostream& out, const FontMetrics& metrics);
  ~PdfSink() override;

  void Begin(const DocumentInfo& info) override;
  void AddPage(const Page& page) override;
  bool WantsBandState() const override { return false; }
  // Finishes the document; raises Exception when the stream could not be written.
  void End(const std::vector<Message>& messages) override;

 private:
  struct Impl;
  std::unique_ptr<Impl> FImpl;
};
