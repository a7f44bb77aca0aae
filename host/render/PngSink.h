// Writes every page as a PNG image (white paper, 96 dots per inch by default, so that one
// layout unit is one pixel), drawn exactly as the PDF draws it. The same input gives the same
// bytes.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "page/Page.h"
#include "render/FontMetrics.h"

class PngSink : public PageSink {
 public:
  // Receives each finished page's PNG bytes with its page number (1, 2, ...).
  using PageWriter = std::function<void(int pageNumber, const std::string& png)>;

  explicit PngSink(PageWriter writer, double dpi = 96);
  // Wraps multiline labels with `metrics`, which must outlive the sink (see PdfSink).
  PngSink(PageWriter writer, const FontMetrics& metrics, double dpi = 96);
  ~PngSink() override;

  // A writer that stores each page in the file `fileName` gives for its number
  // (e.g. BASE-1.png, BASE-2.png); raises Exception when a file cannot be written.
  static PageWriter FileWriter(std::function<std::string(int pageNumber)> fileName);

  void Begin(const DocumentInfo& info) override;
  void AddPage(const Page& page) override;
  bool WantsBandState() const override { return false; }
  void End(const std::vector<Message>& messages) override;

 private:
  struct Impl;
  std::unique_ptr<Impl> FImpl;
};
