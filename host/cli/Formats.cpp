#include "cli/Formats.h"

#include <iostream>

#include "render/JsonSink.h"
#include "render/PdfSink.h"
#include "render/PngSink.h"
#include "render/TextSink.h"
#include "run/UsageError.h"

namespace {

bool ToStandardOutput(const std::optional<std::string>& output) {
  return !output || *output == "-";
}

// out.png -> out-N.png
std::string PageFileName(const std::filesystem::path& output, int page) {
  std::filesystem::path name = output;
  const std::string stem = output.stem().string();
  name.replace_filename(stem + "-" + std::to_string(page) + ".png");
  return name.string();
}

}  // namespace

std::string ChooseFormat(const std::optional<std::string>& format,
                         const std::optional<std::string>& output) {
  if (format) return *format;
  if (!ToStandardOutput(output)) {
    const std::string extension = std::filesystem::path(*output).extension().string();
    for (const char* known : {"pdf", "png", "txt", "json"}) {
      if (extension == std::string(".") + known) return known;
    }
  }
  return "txt";
}

std::unique_ptr<PageSink> MakeSink(const std::string& format,
                                   const std::optional<std::string>& output, int dpi,
                                   const FontMetrics& metrics, OutputFiles& files) {
  if (format == "png") {
    if (ToStandardOutput(output)) {
      throw UsageError("o formato png grava um arquivo por página: informe -o ARQUIVO.png");
    }
    const std::filesystem::path base = *output;
    return std::make_unique<PngSink>(
        [&files, base](int page, const std::string& png) {
          files.Write(PageFileName(base, page), png);
        },
        metrics, dpi);
  }
  std::ostream& out = ToStandardOutput(output) ? std::cout : files.Create(*output);
  if (format == "pdf") return std::make_unique<PdfSink>(out, metrics);
  if (format == "json") return std::make_unique<JsonSink>(out);
  return std::make_unique<TextSink>(out);
}
